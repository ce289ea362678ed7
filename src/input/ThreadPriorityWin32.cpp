// Windows: the highest thread priority of the process's class, which needs no rights (15 in
// the normal class). The real-time class is left alone: it needs the increase-priority
// privilege and would hold up the whole desktop.
#ifdef _WIN32
#include "input/ThreadPriority.h"

#include <windows.h>

std::string RaiseCurrentThreadPriority() {
    if (SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_TIME_CRITICAL))
        return "THREAD_PRIORITY_TIME_CRITICAL";
    if (SetThreadPriority(GetCurrentThread(), THREAD_PRIORITY_HIGHEST))
        return "THREAD_PRIORITY_HIGHEST";
    return "THREAD_PRIORITY_NORMAL";
}
#endif
