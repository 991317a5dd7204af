#include "host/platform/windows/kernel_mutex.h"

#include <new>

namespace halvex {

KernelMutex* KernelMutex::create()
{
    HANDLE handle = CreateMutexA(nullptr, FALSE, nullptr);
    if (handle == nullptr)
        return nullptr;
    KernelMutex* created = new (std::nothrow) KernelMutex(handle);
    if (created == nullptr)
        CloseHandle(handle);
    return created;
}

KernelMutex::~KernelMutex()
{
    CloseHandle(handle_);
}

// A mutex whose holder ended without releasing it comes to the next waiter
// as abandoned: it is held all the same.
bool KernelMutex::took(DWORD waited)
{
    if (waited != WAIT_OBJECT_0 && waited != WAIT_ABANDONED)
        return false;
    owner_.store(GetCurrentThreadId());
    return true;
}

bool KernelMutex::lock()
{
    if (owner_.load() == GetCurrentThreadId())
        return false;
    return took(WaitForSingleObject(handle_, INFINITE));
}

bool KernelMutex::tryLock()
{
    if (owner_.load() == GetCurrentThreadId())
        return false;
    return took(WaitForSingleObject(handle_, 0));
}

void KernelMutex::unlock()
{
    if (owner_.load() != GetCurrentThreadId())
        return;  // not ours: releasing it would fail anyway
    owner_.store(0);
    ReleaseMutex(handle_);
}

}  // namespace halvex
