// Mutex on std::mutex.
#ifndef HALVEX_PLATFORM_STD_STD_MUTEX_H
#define HALVEX_PLATFORM_STD_STD_MUTEX_H

#include <mutex>

#include "host/platform/platform.h"

namespace halvex {

class StdMutex final : public Mutex {
public:
    bool lock() override;
    bool tryLock() override;
    void unlock() override;

private:
    std::mutex mutex_;
};

}  // namespace halvex

#endif
