#include "host/platform/linux/inheriting_mutex.h"

#include <new>

namespace halvex {

InheritingMutex* InheritingMutex::create()
{
    InheritingMutex* created = new (std::nothrow) InheritingMutex;
    if (created != nullptr && !created->ready_) {
        delete created;
        created = nullptr;
    }
    return created;
}

InheritingMutex::InheritingMutex()
{
    pthread_mutexattr_t attributes;
    if (pthread_mutexattr_init(&attributes) != 0)
        return;
    pthread_mutexattr_setprotocol(&attributes, PTHREAD_PRIO_INHERIT);
    ready_ = pthread_mutex_init(&mutex_, &attributes) == 0;
    pthread_mutexattr_destroy(&attributes);
}

InheritingMutex::~InheritingMutex()
{
    if (ready_)
        pthread_mutex_destroy(&mutex_);
}

bool InheritingMutex::lock()
{
    return pthread_mutex_lock(&mutex_) == 0;
}

bool InheritingMutex::tryLock()
{
    return pthread_mutex_trylock(&mutex_) == 0;
}

void InheritingMutex::unlock()
{
    pthread_mutex_unlock(&mutex_);
}

}  // namespace halvex
