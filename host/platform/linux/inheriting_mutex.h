// Mutex that lends a waiting thread's priority to the thread that holds it.
#ifndef HALVEX_PLATFORM_LINUX_INHERITING_MUTEX_H
#define HALVEX_PLATFORM_LINUX_INHERITING_MUTEX_H

#include <pthread.h>

#include "host/platform/platform.h"

namespace halvex {

// The real-time timer thread waits for engineMutex while a forward holds it
// on a program's thread of normal priority.  With plain mutexes any busy
// thread of the system could keep that thread, and so the timer, waiting
// for as long as it likes, and the device would run dry; with inheritance the
// holder runs at the timer's priority until it lets go.  Where the system
// has no priority inheritance it is a plain mutex.
class InheritingMutex final : public Mutex {
public:
    // Null when the system could not create one.
    static InheritingMutex* create();
    ~InheritingMutex() override;

    bool lock() override;
    bool tryLock() override;
    void unlock() override;

private:
    InheritingMutex();
    pthread_mutex_t mutex_;
    bool ready_ = false;
};

}  // namespace halvex

#endif
