#include "input/ComDeviceSim.h"

#include "input/Comms.h"

#include <array>
#include <cerrno>
#include <cstring>

namespace {
std::uint32_t EventBitsOf(std::uint32_t lineBits) {
    std::uint32_t ev = 0;
    if (lineBits & ComMs::Cts) ev |= ComEv::Cts;
    if (lineBits & ComMs::Dsr) ev |= ComEv::Dsr;
    if (lineBits & ComMs::Rlsd) ev |= ComEv::Rlsd;
    if (lineBits & ComMs::Ring) ev |= ComEv::Ring;
    return ev;
}
} // namespace

bool TSimComLines::changeLocked(std::uint32_t setMask, std::uint32_t clearMask) {
    const std::uint32_t levels = (m_levels | setMask) & ~clearMask;
    const std::uint32_t changed = levels ^ m_levels;
    m_levels = levels;
    if (changed == 0) return false;
    m_lastChange = std::chrono::steady_clock::now();
    if (changed & ComMs::Cts) ++m_counts[0];
    if (changed & ComMs::Dsr) ++m_counts[1];
    if (changed & ComMs::Ring) ++m_counts[2];
    if (changed & ComMs::Rlsd) ++m_counts[3];
    if (m_open) m_pending |= EventBitsOf(changed);
    return true;
}

void TSimComLines::change(std::uint32_t setMask, std::uint32_t clearMask) {
    {
        std::lock_guard lock(m_mx);
        if (!changeLocked(setMask, clearMask)) return;
    }
    m_cv.notify_all();
}

void TSimComLines::toggleCtsAtNextWaitEntry() {
    std::lock_guard lock(m_mx);
    m_toggleAtWaitEntry = true;
}

void TSimComLines::setCTS(bool on) {
    change(on ? ComMs::Cts : 0, on ? 0 : ComMs::Cts);
}
void TSimComLines::setDSR(bool on) {
    change(on ? ComMs::Dsr : 0, on ? 0 : ComMs::Dsr);
}
void TSimComLines::setDCD(bool on) {
    change(on ? ComMs::Rlsd : 0, on ? 0 : ComMs::Rlsd);
}
void TSimComLines::setRI(bool on) {
    change(on ? ComMs::Ring : 0, on ? 0 : ComMs::Ring);
}

void TSimComLines::setLines(bool cts, bool dsr, bool dcd) {
    const std::uint32_t on =
        (cts ? ComMs::Cts : 0) | (dsr ? ComMs::Dsr : 0) | (dcd ? ComMs::Rlsd : 0);
    const std::uint32_t off = (ComMs::Cts | ComMs::Dsr | ComMs::Rlsd) & ~on;
    change(on, off);
}

void TSimComLines::unplug() {
    {
        std::lock_guard lock(m_mx);
        m_lost = true;
    }
    m_cv.notify_all();
}

void TSimComLines::failNextConfigure(const std::string& systemText) {
    std::lock_guard lock(m_mx);
    m_configureFailure = systemText;
}

void TSimComLines::failLineReads(int n, int err) {
    std::lock_guard lock(m_mx);
    m_failedReads = n;
    m_failErrno = err;
}

void TSimComLines::setDriver(bool counters, bool canWait) {
    std::lock_guard lock(m_mx);
    m_hasCounters = counters;
    m_canWait = canWait;
}

bool TSimComLines::lowLatency() const {
    std::lock_guard lock(m_mx);
    return m_lowLatency;
}

int TSimComLines::failedReadsLeft() const {
    std::lock_guard lock(m_mx);
    return m_failedReads;
}

bool TSimComLines::dtr() const {
    std::lock_guard lock(m_mx);
    return m_dtr;
}
bool TSimComLines::rts() const {
    std::lock_guard lock(m_mx);
    return m_rts;
}
bool TSimComLines::isOpen() const {
    std::lock_guard lock(m_mx);
    return m_open;
}
std::uint64_t TSimComLines::waitCalls() const {
    std::lock_guard lock(m_mx);
    return m_waitCalls;
}
std::uint64_t TSimComLines::wakes() const {
    std::lock_guard lock(m_mx);
    return m_wakes;
}
std::chrono::steady_clock::time_point TSimComLines::lastChange() const {
    std::lock_guard lock(m_mx);
    return m_lastChange;
}
std::chrono::steady_clock::time_point TSimComLines::lastWake() const {
    std::lock_guard lock(m_mx);
    return m_lastWake;
}

class TSimComDevice : public IComDevice {
public:
    explicit TSimComDevice(std::shared_ptr<TSimComLines> lines) : m_lines(std::move(lines)) {}
    ~TSimComDevice() override { close(); }

    void open() override {
        std::lock_guard lock(m_lines->m_mx);
        if (m_lines->m_open) throw EComHandle(std::strerror(EBUSY));
        m_lines->m_open = true;
        m_lines->m_lost = false;
        m_lines->m_pending = 0;
        m_isOpen = true;
    }

    void configure(const TComSettings& s) override {
        std::lock_guard lock(m_lines->m_mx);
        if (!m_lines->m_configureFailure.empty()) {
            const std::string text = m_lines->m_configureFailure;
            m_lines->m_configureFailure.clear();
            throw EComState(text);
        }
        m_lines->m_dtr = s.enableDTR;
        m_lines->m_rts = s.flowControl == 1;
    }

    void setEventMask(std::uint32_t mask) override {
        std::lock_guard lock(m_lines->m_mx);
        m_mask = mask;
    }

    TWait wait(std::uint32_t& mask) override {
        std::unique_lock lock(m_lines->m_mx);
        ++m_lines->m_waitCalls;
        m_lines->m_cv.wait(
            lock, [&] { return m_stop || m_lines->m_lost || (m_lines->m_pending & m_mask) != 0; });
        if (m_stop) return TWait::Stopped;
        if (m_lines->m_lost) return TWait::Lost;
        mask = m_lines->m_pending & m_mask;
        m_lines->m_pending = 0;
        ++m_lines->m_wakes;
        m_lines->m_lastWake = std::chrono::steady_clock::now();
        return TWait::Events;
    }

    void wake() override {
        {
            std::lock_guard lock(m_lines->m_mx);
            m_stop = true;
        }
        m_lines->m_cv.notify_all();
    }

    bool modemStatus(std::uint32_t& status) override {
        std::lock_guard lock(m_lines->m_mx);
        if (!m_isOpen || m_lines->m_lost) return false;
        if (m_lines->m_failedReads > 0) {
            --m_lines->m_failedReads;
            return false;
        }
        status = m_lines->m_levels;
        return true;
    }

    int inQue() override { return 0; }
    void purgeInput() override {}

    void close() override {
        std::lock_guard lock(m_lines->m_mx);
        if (!m_isOpen) return;
        m_isOpen = false;
        m_lines->m_open = false;
        m_lines->m_dtr = false;
        m_lines->m_rts = false;
        m_lines->m_pending = 0;
    }

private:
    std::shared_ptr<TSimComLines> m_lines;
    std::uint32_t m_mask = 0;
    bool m_stop = false; // guarded by the lines' mutex
    bool m_isOpen = false;
};

TComPort::TDeviceFactory SimulatedDeviceFactory(std::shared_ptr<TSimComLines> lines) {
    return [lines](int) -> std::unique_ptr<IComDevice> {
        return std::make_unique<TSimComDevice>(lines);
    };
}

#ifndef _WIN32
#include <sys/ioctl.h>

class TSimModemLines : public IPosixModemLines {
public:
    explicit TSimModemLines(std::shared_ptr<TSimComLines> lines) : m_lines(std::move(lines)) {}

    int get(int, int& bits) override {
        std::lock_guard lock(m_lines->m_mx);
        if (m_lines->m_lost) return EIO;
        if (m_lines->m_failedReads > 0) {
            --m_lines->m_failedReads;
            return m_lines->m_failErrno;
        }
        const std::uint32_t l = m_lines->m_levels;
        bits = (l & ComMs::Cts ? TIOCM_CTS : 0) | (l & ComMs::Dsr ? TIOCM_DSR : 0) |
               (l & ComMs::Ring ? TIOCM_RNG : 0) | (l & ComMs::Rlsd ? TIOCM_CD : 0) |
               (m_lines->m_dtr ? TIOCM_DTR : 0) | (m_lines->m_rts ? TIOCM_RTS : 0);
        return 0;
    }

    int set(int, int bits, bool on) override {
        std::lock_guard lock(m_lines->m_mx);
        if (m_lines->m_lost) return EIO;
        if (bits & TIOCM_DTR) m_lines->m_dtr = on;
        if (bits & TIOCM_RTS) m_lines->m_rts = on;
        return 0;
    }

    int counts(int, TLineCounts& c) override {
        std::lock_guard lock(m_lines->m_mx);
        if (m_lines->m_lost) return EIO;
        if (!m_lines->m_hasCounters) return ENOTTY;
        c = {m_lines->m_counts[0], m_lines->m_counts[1], m_lines->m_counts[2],
             m_lines->m_counts[3]};
        return 0;
    }

    int waitChange(int, int lineBits) override {
        std::unique_lock lock(m_lines->m_mx);
        if (!m_lines->m_canWait) return ENOTTY;
        ++m_lines->m_waitCalls;
        if (m_lines->m_toggleAtWaitEntry) {
            m_lines->m_toggleAtWaitEntry = false;
            const bool on = (m_lines->m_levels & ComMs::Cts) != 0;
            m_lines->changeLocked(on ? 0 : ComMs::Cts, on ? ComMs::Cts : 0);
        }
        const auto selected = [&] {
            const int* n = m_lines->m_counts;
            return std::array<int, 4>{
                lineBits & TIOCM_CTS ? n[0] : 0, lineBits & TIOCM_DSR ? n[1] : 0,
                lineBits & TIOCM_RNG ? n[2] : 0, lineBits & TIOCM_CD ? n[3] : 0};
        };
        const std::array<int, 4> entry = selected();
        m_lines->m_cv.wait(
            lock, [&] { return m_lines->m_interrupt || m_lines->m_lost || selected() != entry; });
        if (m_lines->m_interrupt) {
            m_lines->m_interrupt = false;
            return EINTR;
        }
        if (m_lines->m_lost) return EIO;
        ++m_lines->m_wakes;
        m_lines->m_lastWake = std::chrono::steady_clock::now();
        return 0;
    }

    void interrupt() override {
        {
            std::lock_guard lock(m_lines->m_mx);
            m_lines->m_interrupt = true;
        }
        m_lines->m_cv.notify_all();
    }

    int lowLatency(int, bool on, bool& previous) override {
        std::lock_guard lock(m_lines->m_mx);
        previous = m_lines->m_lowLatency;
        m_lines->m_lowLatency = on;
        return 0;
    }

private:
    std::shared_ptr<TSimComLines> m_lines;
};

std::unique_ptr<IPosixModemLines> SimulatedModemLines(std::shared_ptr<TSimComLines> lines) {
    return std::make_unique<TSimModemLines>(std::move(lines));
}

TComPort::TDeviceFactory SimulatedTtyDeviceFactory(std::shared_ptr<TSimComLines> lines,
                                                   std::string tty) {
    return [lines, tty](int) { return CreatePosixComDevice(tty, SimulatedModemLines(lines)); };
}
#endif
