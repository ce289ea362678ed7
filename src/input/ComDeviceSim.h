#pragma once
// A serial device with no hardware behind it: a test (or a demo) sets the modem lines and
// the same event thread as for a real port delivers the changes. Its wait blocks on a
// condition variable, so an idle simulated port costs no CPU either.
#include "input/ComDevice.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <mutex>
#include <string>

class TSimComDevice;
class TSimModemLines;

// The lines of one simulated port, shared by the test and the device that has it open.
class TSimComLines {
public:
    // Input lines, set from any thread. Setting a line to its current level is no change.
    void setCTS(bool on);
    void setDSR(bool on);
    void setDCD(bool on);
    void setRI(bool on);
    // Several lines in one burst: one wake-up of the waiting thread.
    void setLines(bool cts, bool dsr, bool dcd);
    // The device vanishes under the open port, as an unplugged adapter does. The next
    // open plugs it in again.
    void unplug();
    // The next configure fails with EComState and this system text.
    void failNextConfigure(const std::string& systemText);
    // The next n reads of the line state fail, as a transient USB error makes them; the
    // Linux device over these lines sees the error code err.
    void failLineReads(int n, int err = 71 /* EPROTO */);
    int failedReadsLeft() const;

    // What the driver behind the Linux device over these lines offers (see
    // SimulatedModemLines): interrupt counters, and waiting for a change (cp210x: neither).
    void setDriver(bool counters, bool canWait);
    // Whether the Linux device asked the driver for its low-latency mode and has it now.
    bool lowLatency() const;
    // The next wait of the Linux device over these lines sees the CTS line toggle at the very
    // moment it is entered, before it notes the counters: the edge it cannot report.
    void toggleCtsAtNextWaitEntry();

    // Output lines as the open device drives them (both low while closed).
    bool dtr() const;
    bool rts() const;
    bool isOpen() const;

    // Figures for tests and benchmarks: how often a wait was entered and left with events,
    // and when the last line change and the last wake-up happened.
    std::uint64_t waitCalls() const;
    std::uint64_t wakes() const;
    std::chrono::steady_clock::time_point lastChange() const;
    std::chrono::steady_clock::time_point lastWake() const;

private:
    friend class TSimComDevice;
    friend class TSimModemLines;
    void change(std::uint32_t setMask, std::uint32_t clearMask);
    bool changeLocked(std::uint32_t setMask, std::uint32_t clearMask); // true: a line changed

    mutable std::mutex m_mx;
    std::condition_variable m_cv;
    std::uint32_t m_levels = 0;  // ComMs bits
    std::uint32_t m_pending = 0; // ComEv bits not yet reported
    bool m_open = false;
    bool m_lost = false;
    bool m_dtr = false;
    bool m_rts = false;
    std::string m_configureFailure;
    int m_failedReads = 0;
    int m_failErrno = 71;
    int m_counts[4] = {}; // changes of CTS, DSR, RING, DCD, as the kernel counts them
    bool m_hasCounters = true;
    bool m_canWait = true;
    bool m_lowLatency = false;
    bool m_interrupt = false;
    bool m_toggleAtWaitEntry = false;
    std::uint64_t m_waitCalls = 0;
    std::uint64_t m_wakes = 0;
    std::chrono::steady_clock::time_point m_lastChange{};
    std::chrono::steady_clock::time_point m_lastWake{};
};

#ifndef _WIN32
#include "input/ComDevicePosix.h"

// Modem lines for the Linux device (CreatePosixComDevice) that sit on simulated lines, so the
// device's own code runs over a pseudo-terminal: the counters count every change, and a wait
// notes the counters when it is entered and sleeps until they move, as TIOCMIWAIT does,
// missing what changed just before.
std::unique_ptr<IPosixModemLines> SimulatedModemLines(std::shared_ptr<TSimComLines> lines);
#endif
