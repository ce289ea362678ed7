#pragma once
// Scheduling of the serial event thread. The thread sleeps until a contact changes and must
// then read the clock at once, whatever else the machine is doing; so it asks for the best
// the platform grants without special rights, and takes real time where it is permitted.
// Kept free of Qt: the Windows part is compile-checked without it.
#include <string>

// Raises the calling thread's priority as far as allowed; never fails. Returns what it got,
// for example "SCHED_FIFO 40", "SCHED_OTHER nice -10" or "THREAD_PRIORITY_TIME_CRITICAL".
std::string RaiseCurrentThreadPriority();
