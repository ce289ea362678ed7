// Linux: real-time FIFO scheduling where the process may have it (root, CAP_SYS_NICE, or an
// RLIMIT_RTPRIO granted by limits.conf or rtkit), else the lowest nice value RLIMIT_NICE
// allows; a plain user usually keeps nice 0.
#ifndef _WIN32
#include "input/ThreadPriority.h"

#include <algorithm>
#include <cerrno>
#include <pthread.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>
#if defined(__linux__)
#include <sys/syscall.h>
#endif

namespace {
// Below the kernel's threaded interrupt handlers (priority 50): the USB or UART interrupt
// that delivers the edge must never wait for us. Any real-time priority is above every
// ordinary thread, which is what counts here.
constexpr int WantedFifoPriority = 40;

bool TryFifo(int priority) {
    if (priority < sched_get_priority_min(SCHED_FIFO)) return false;
    sched_param sp{};
    sp.sched_priority = priority;
    return pthread_setschedparam(pthread_self(), SCHED_FIFO, &sp) == 0;
}
} // namespace

std::string RaiseCurrentThreadPriority() {
    int priority = std::min(WantedFifoPriority, sched_get_priority_max(SCHED_FIFO));
    if (TryFifo(priority)) return "SCHED_FIFO " + std::to_string(priority);
    // Without the right to any priority, a granted RLIMIT_RTPRIO is the ceiling.
    rlimit rt{};
    if (getrlimit(RLIMIT_RTPRIO, &rt) == 0 && rt.rlim_cur != RLIM_INFINITY &&
        int(rt.rlim_cur) < priority) {
        priority = int(rt.rlim_cur);
        if (TryFifo(priority)) return "SCHED_FIFO " + std::to_string(priority);
    }
#if defined(__linux__)
    // On Linux a nice value belongs to the thread, addressed by its thread id.
    const id_t self = id_t(syscall(SYS_gettid));
    int floor = -20;
    rlimit nice{};
    if (getrlimit(RLIMIT_NICE, &nice) == 0 && nice.rlim_cur != RLIM_INFINITY)
        floor = std::max(-20, 20 - int(nice.rlim_cur));
    errno = 0;
    int current = getpriority(PRIO_PROCESS, self); // -1 is a valid answer: errno tells
    if (errno != 0) current = 0;
    if (floor < current && setpriority(PRIO_PROCESS, self, floor) == 0) current = floor;
    return "SCHED_OTHER nice " + std::to_string(current);
#else
    return "SCHED_OTHER";
#endif
}
#endif
