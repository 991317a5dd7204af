// Mutex on a kernel mutex object (CreateMutexA), kept non-recursive.
#ifndef HALVEX_PLATFORM_WINDOWS_KERNEL_MUTEX_H
#define HALVEX_PLATFORM_WINDOWS_KERNEL_MUTEX_H

#include <windows.h>

#include <atomic>

#include "host/platform/platform.h"

namespace halvex {

// Kernel mutexes are recursive: the thread that holds one gets it again at
// once, and then needs as many releases.  The host relies on a second lock
// by the holder failing (a tick must never get into tickMutex twice, and a
// forward called from inside a tick must not re-enter the engine), so the
// mutex remembers the thread that holds it, and lock and tryLock by that
// thread fail without touching the kernel object.
class KernelMutex final : public Mutex {
public:
    // Null when the system could not create one.
    static KernelMutex* create();
    ~KernelMutex() override;

    bool lock() override;
    bool tryLock() override;
    void unlock() override;

private:
    explicit KernelMutex(HANDLE handle) : handle_(handle) {}
    bool took(DWORD waited);

    HANDLE handle_;
    // The holder's thread id, 0 when free.  Only the holder writes its own id
    // and clears it, so a thread that reads its own id here holds the mutex.
    std::atomic<DWORD> owner_{0};
};

}  // namespace halvex

#endif
