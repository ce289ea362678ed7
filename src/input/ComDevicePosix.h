#pragma once
// The Linux serial device's modem-line calls, apart from the rest, so that its own logic
// (exclusivity, waiting, counters, retries, unplug detection) also runs where no hardware
// is: over a pseudo-terminal, which has no modem lines, with the lines simulated.
// Kept free of Qt like the other device code.
#ifndef _WIN32
#include "input/ComDevice.h"

#include <memory>
#include <string>

// Interrupt counters of the four input lines (TIOCGICOUNT): each change adds one.
struct TLineCounts {
    int cts = 0, dsr = 0, rng = 0, dcd = 0;
};

// The modem-line calls on an open descriptor. Each returns 0 or an errno value.
class IPosixModemLines {
public:
    virtual ~IPosixModemLines() = default;
    virtual int get(int fd, int& bits) = 0;           // TIOCMGET (TIOCM_* bits)
    virtual int set(int fd, int bits, bool on) = 0;   // TIOCMBIS / TIOCMBIC
    virtual int counts(int fd, TLineCounts& c) = 0;   // TIOCGICOUNT
    virtual int waitChange(int fd, int lineBits) = 0; // TIOCMIWAIT: blocks until a change
    virtual void interrupt() = 0;                     // any thread: ends a waitChange (EINTR)
    // Turns the driver's low-latency mode on or off (TIOCGSERIAL / TIOCSSERIAL with
    // ASYNC_LOW_LATENCY: an FTDI adapter then reports line changes after 1 ms instead of
    // 16); previous receives the mode it had.
    virtual int lowLatency(int fd, bool on, bool& previous) = 0;
};

// The Linux device over the given lines; without lines, the real ioctls on the descriptor.
std::unique_ptr<IComDevice> CreatePosixComDevice(const std::string& name,
                                                 std::unique_ptr<IPosixModemLines> lines = {});

// Where terminal programs leave their UUCP lock files ("LCK..ttyUSB0" holding a process id);
// "/var/lock" unless a test points it elsewhere. A port with a live lock is in use.
void SetComLockDirectory(const std::string& dir);

// How long after the event thread entered a wait a second thread looks again at the lines
// for an edge that fell just before the entry (0: no second look). See ComDevicePosix.cpp;
// benchmarks compare both.
void SetComSecondLookMilliseconds(int ms);
#endif
