#include "host/platform/std/thread_priority.h"

#if defined(__unix__)
#  include <pthread.h>
#  include <sched.h>
#  include <sys/resource.h>
#  include <sys/syscall.h>
#  include <unistd.h>
#endif

namespace halvex {

// The device holds only a few blocks ahead of its play cursor: a thread of
// the host's that runs 12 ms late is heard.  Like the system threads that
// other platforms call back on, these ask for real-time scheduling.
void raiseThreadPriority()
{
#if defined(__unix__)
    sched_param param{};
    param.sched_priority = sched_get_priority_min(SCHED_FIFO) + 10;
    if (pthread_setschedparam(pthread_self(), SCHED_FIFO, &param) == 0)
        return;
#  if defined(__linux__)
    pid_t thread = static_cast<pid_t>(syscall(SYS_gettid));
    for (int nice = -20; nice < 0; nice += 5)
        if (setpriority(PRIO_PROCESS, static_cast<id_t>(thread), nice) == 0)
            return;
#  endif
#endif
}

}  // namespace halvex
