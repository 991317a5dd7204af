// Real-time scheduling for the threads that keep the sound device fed.
#ifndef HALVEX_PLATFORM_STD_THREAD_PRIORITY_H
#define HALVEX_PLATFORM_STD_THREAD_PRIORITY_H

namespace halvex {

// Asks for real-time scheduling for the calling thread, or failing that the
// highest niceness it may have; it stays at normal priority, without a
// word, when it is allowed neither.
void raiseThreadPriority();

}  // namespace halvex

#endif
