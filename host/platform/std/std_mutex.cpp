#include "host/platform/std/std_mutex.h"

namespace halvex {

bool StdMutex::lock()
{
    mutex_.lock();
    return true;
}

bool StdMutex::tryLock()
{
    return mutex_.try_lock();
}

void StdMutex::unlock()
{
    mutex_.unlock();
}

}  // namespace halvex
