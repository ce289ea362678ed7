#include "input/ComDeviceSim.h"

#include "input/Comms.h"

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

void TSimComLines::change(std::uint32_t setMask, std::uint32_t clearMask) {
    {
        std::lock_guard lock(m_mx);
        const std::uint32_t levels = (m_levels | setMask) & ~clearMask;
        const std::uint32_t changed = levels ^ m_levels;
        m_levels = levels;
        if (changed == 0) return;
        m_lastChange = std::chrono::steady_clock::now();
        if (m_open) m_pending |= EventBitsOf(changed);
    }
    m_cv.notify_all();
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

void TSimComLines::failLineReads(int n) {
    std::lock_guard lock(m_mx);
    m_failedReads = n;
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
