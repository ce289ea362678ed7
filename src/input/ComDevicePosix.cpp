// Serial device on Linux (and, with polling only, other POSIX systems).
//
// Line changes are waited for with TIOCMIWAIT. It only reports edges after it was entered,
// so after every wake-up and before every wait both the interrupt counters (TIOCGICOUNT,
// where the driver has them) and the line levels are compared with the last look: an edge
// during a hand-over is not lost. An edge can still fall between that last look and the
// kernel's entry into the wait, which notes the counters only then and would sleep until the
// next edge (a bouncing contact settling at that moment: the final state is never reported).
// So a watcher thread takes a second look 2 ms after each entry and, when the lines moved
// since the event thread's last look, interrupts the wait. One look per wait: an idle port
// costs nothing.
// A blocked TIOCMIWAIT cannot be woken by closing the descriptor, only by a signal; wake()
// sends one to the waiting thread. Drivers that cannot wait at all are read every millisecond.
//
// Other programs' ports are left alone: a port with a live UUCP lock file, an flock or the
// exclusive flag set by someone else counts as busy, and our own exclusive flag is cleared
// before every close, since it outlives our descriptor while another holder has the tty open.
#ifndef _WIN32
#include "input/ComDevicePosix.h"

#include "input/ThreadPriority.h"

#include <atomic>
#include <cerrno>
#include <chrono>
#include <climits>
#include <condition_variable>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <thread>
#include <time.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/serial.h>
#endif

#if defined(__linux__)
int SetPosixCustomBaud(int fd, int rate);
#endif

namespace {

// Consecutive failed reads of a device that is still there before it is given up: a cp210x
// read every millisecond sees an occasional USB error that the next read does not.
constexpr int MaxTransientFailures = 5;

std::atomic<int>& SecondLookMs() {
    static std::atomic<int> ms{2};
    return ms;
}

std::string& LockDirectory() {
    static std::string dir = "/var/lock";
    return dir;
}

std::string ErrorText(int err) {
    return std::strerror(err);
}

// The signal that interrupts a blocked wait. Its handler does nothing; it is installed
// without SA_RESTART so the interrupted ioctl returns EINTR instead of resuming.
int WakeSignal() {
#if defined(SIGRTMIN)
    static const int sig = SIGRTMIN + 3;
#else
    static const int sig = SIGUSR2;
#endif
    static std::once_flag once;
    std::call_once(once, [] {
        struct sigaction sa {};
        sa.sa_handler = [](int) {};
        sigemptyset(&sa.sa_mask);
        sa.sa_flags = 0;
        sigaction(sig, &sa, nullptr);
    });
    return sig;
}

// Only these say the adapter is gone; anything else may pass (see MaxTransientFailures).
bool IsUnplugged(int err) {
    return err == EIO || err == ENODEV || err == ENXIO;
}

bool IsUnsupported(int err) {
    return err == ENOTTY || err == EINVAL || err == ENOSYS;
}

void SleepMs(long ms) {
    timespec t{ms / 1000, (ms % 1000) * 1000000};
    nanosleep(&t, nullptr); // a wake-up signal ends it early, which is what it is for
}

bool StandardSpeed(int rate, speed_t& speed) {
    switch (rate) {
    case 110:
        speed = B110;
        return true;
    case 300:
        speed = B300;
        return true;
    case 600:
        speed = B600;
        return true;
    case 1200:
        speed = B1200;
        return true;
    case 2400:
        speed = B2400;
        return true;
    case 4800:
        speed = B4800;
        return true;
    case 9600:
        speed = B9600;
        return true;
    case 19200:
        speed = B19200;
        return true;
    case 38400:
        speed = B38400;
        return true;
    case 57600:
        speed = B57600;
        return true;
    case 115200:
        speed = B115200;
        return true;
#ifdef B230400
    case 230400:
        speed = B230400;
        return true;
#endif
    default:
        return false;
    }
}

// The real calls: ioctls on the descriptor.
class TIoctlModemLines : public IPosixModemLines {
public:
    int get(int fd, int& bits) override { return ioctl(fd, TIOCMGET, &bits) == 0 ? 0 : errno; }
    int set(int fd, int bits, bool on) override {
        return ioctl(fd, on ? TIOCMBIS : TIOCMBIC, &bits) == 0 ? 0 : errno;
    }
    int counts(int fd, TLineCounts& c) override {
#if defined(__linux__) && defined(TIOCGICOUNT)
        serial_icounter_struct ic{};
        if (ioctl(fd, TIOCGICOUNT, &ic) != 0) return errno;
        c = {ic.cts, ic.dsr, ic.rng, ic.dcd};
        return 0;
#else
        (void)fd;
        (void)c;
        return ENOTTY;
#endif
    }
    int waitChange(int fd, int lineBits) override {
#if defined(TIOCMIWAIT)
        {
            std::lock_guard lock(m_waiterMx);
            m_waiter = pthread_self();
            m_hasWaiter = true;
        }
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, WakeSignal());
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        const int r = ioctl(fd, TIOCMIWAIT, lineBits) == 0 ? 0 : errno;
        std::lock_guard lock(m_waiterMx);
        m_hasWaiter = false;
        return r;
#else
        (void)fd;
        (void)lineBits;
        return ENOTTY;
#endif
    }
    void interrupt() override {
        std::lock_guard lock(m_waiterMx);
        if (m_hasWaiter) pthread_kill(m_waiter, WakeSignal());
    }
    int lowLatency(int fd, bool on, bool& previous) override {
#if defined(__linux__) && defined(TIOCGSERIAL) && defined(ASYNC_LOW_LATENCY)
        serial_struct ss{};
        if (ioctl(fd, TIOCGSERIAL, &ss) != 0) return errno;
        previous = (ss.flags & ASYNC_LOW_LATENCY) != 0;
        if (previous == on) return 0;
        if (on)
            ss.flags |= ASYNC_LOW_LATENCY;
        else
            ss.flags &= ~ASYNC_LOW_LATENCY;
        return ioctl(fd, TIOCSSERIAL, &ss) == 0 ? 0 : errno;
#else
        (void)fd;
        (void)on;
        previous = false;
        return ENOTTY;
#endif
    }

private:
    std::mutex m_waiterMx;
    pthread_t m_waiter{};
    bool m_hasWaiter = false;
};

// The UUCP lock file name terminal programs use for a device: "LCK.." and the path below
// /dev with '/' as '_' ("LCK..ttyUSB0", "LCK..pts_3").
std::string LockFileName(const std::string& device) {
    std::string rest = device.rfind("/dev/", 0) == 0 ? device.substr(5) : device;
    for (char& c : rest)
        if (c == '/') c = '_';
    return LockDirectory() + "/LCK.." + rest;
}

// True when a lock file names a process that is alive and not this one. Files in the
// ASCII (HDB) and the old binary form are read; a stale or unreadable one is ignored.
bool LockFileHeld(const std::string& file) {
    FILE* f = std::fopen(file.c_str(), "rb");
    if (!f) return false;
    char buf[32] = {};
    const size_t n = std::fread(buf, 1, sizeof buf - 1, f);
    std::fclose(f);
    long pid = 0;
    if (n == sizeof(int)) {
        int binary = 0;
        std::memcpy(&binary, buf, sizeof binary);
        pid = binary;
    } else {
        char* end = nullptr;
        pid = std::strtol(buf, &end, 10);
        if (end == buf) return false;
    }
    if (pid <= 0 || pid > INT_MAX || pid == long(getpid())) return false;
    return kill(pid_t(pid), 0) == 0 || errno == EPERM;
}

// Locks under the name as given and under the name it resolves to (/dev/serial/by-id/...).
bool UucpLocked(const std::string& name) {
    if (LockFileHeld(LockFileName(name))) return true;
    char real[PATH_MAX];
    if (realpath(name.c_str(), real) && name != real) return LockFileHeld(LockFileName(real));
    return false;
}

// Clears our exclusive flag, then closes. The flag belongs to the tty, not the descriptor: left
// set while another holder keeps the tty open, it shuts every later non-root open out.
void CloseExclusive(int fd) {
    ioctl(fd, TIOCNXCL);
    ::close(fd);
}

// Opens the device exclusively, or fails with EBUSY when another program holds it: a live
// UUCP lock, its exclusive flag (which would not stop root), or its flock. TIOCEXCL keeps
// other programs out, but not a privileged one; the advisory lock also covers that case
// between programs that take it.
int OpenExclusive(const std::string& name, int& err) {
    if (name.empty()) {
        err = ENODEV;
        return -1;
    }
    if (UucpLocked(name)) {
        err = EBUSY;
        return -1;
    }
    int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return -1;
    }
#if defined(TIOCGEXCL)
    int excl = 0;
    if (ioctl(fd, TIOCGEXCL, &excl) == 0 && excl) {
        ::close(fd); // someone else's flag: not ours to clear
        err = EBUSY;
        return -1;
    }
#endif
    if (ioctl(fd, TIOCEXCL) != 0) {
        err = errno;
        ::close(fd);
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        err = errno == EWOULDBLOCK ? EBUSY : errno;
        CloseExclusive(fd);
        return -1;
    }
    return fd;
}

class TPosixComDevice : public IComDevice {
public:
    TPosixComDevice(std::string name, std::unique_ptr<IPosixModemLines> lines)
        : m_name(std::move(name)), m_lines(std::move(lines)) {
        if (!m_lines) m_lines = std::make_unique<TIoctlModemLines>();
    }
    ~TPosixComDevice() override { close(); }

    void open() override {
        int err = 0;
        m_fd = OpenExclusive(m_name, err);
        if (m_fd < 0) throw EComHandle(ErrorText(err));
        struct stat st {};
        if (fstat(m_fd, &st) == 0) m_rdev = st.st_rdev;
        // Where the driver offers it (ftdi_sio), line changes then arrive after 1 ms instead
        // of the 16 ms latency timer; others refuse quietly. Put back at close.
        bool previous = false;
        m_lowLatencySet = m_lines->lowLatency(m_fd, true, previous) == 0 && !previous;
    }

    void configure(const TComSettings& s) override {
        termios tio{};
        if (tcgetattr(m_fd, &tio) != 0) fail();
        cfmakeraw(&tio);
        tio.c_cflag |= CLOCAL | CREAD;
        tio.c_cflag &= ~(CSIZE | PARENB | PARODD | CSTOPB);
#ifdef CMSPAR
        tio.c_cflag &= ~CMSPAR;
#endif
#ifdef CRTSCTS
        tio.c_cflag &= ~CRTSCTS;
#endif
        switch (s.dataBits) {
        case 5:
            tio.c_cflag |= CS5;
            break;
        case 6:
            tio.c_cflag |= CS6;
            break;
        case 7:
            tio.c_cflag |= CS7;
            break;
        default:
            tio.c_cflag |= CS8;
            break;
        }
        switch (s.parity) {
        case 1:
            tio.c_cflag |= PARENB | PARODD;
            break;
        case 2:
            tio.c_cflag |= PARENB;
            break;
#ifdef CMSPAR
        case 3:
            tio.c_cflag |= PARENB | CMSPAR | PARODD;
            break;
        case 4:
            tio.c_cflag |= PARENB | CMSPAR;
            break;
#else
        case 3:
        case 4:
            errno = EINVAL;
            fail();
#endif
        default:
            break;
        }
        // 1.5 stop bits exist only with 5 data bits, where CSTOPB gives exactly that.
        if (s.stopBits != 0) tio.c_cflag |= CSTOPB;
        tio.c_iflag &= ~(IXON | IXOFF | IXANY);
        if (s.flowControl == 1) {
#ifdef CRTSCTS
            tio.c_cflag |= CRTSCTS;
#endif
        } else if (s.flowControl == 2) {
            tio.c_iflag |= IXON | IXOFF;
        }
        tio.c_cc[VSTART] = 0x11;
        tio.c_cc[VSTOP] = 0x13;
        tio.c_cc[VMIN] = 0;
        tio.c_cc[VTIME] = 0;
        speed_t speed = B9600;
        const bool standard = StandardSpeed(s.baudRate, speed);
        if (!standard && s.baudRate <= 0) {
            errno = EINVAL;
            fail();
        }
        cfsetispeed(&tio, speed);
        cfsetospeed(&tio, speed);
        if (tcsetattr(m_fd, TCSANOW, &tio) != 0) fail();
        if (!standard) {
#if defined(__linux__)
            if (int err = SetPosixCustomBaud(m_fd, s.baudRate); err != 0) {
                errno = err;
                fail();
            }
#else
            errno = EINVAL;
            fail();
#endif
        }
        // A device without modem lines (a pseudo-terminal) cannot carry the contacts.
        int bits = 0;
        if (int err = m_lines->get(m_fd, bits); err != 0) fail(err);
        if (int err = m_lines->set(m_fd, TIOCM_DTR, s.enableDTR); err != 0) fail(err);
        if (int err = m_lines->set(m_fd, TIOCM_RTS, s.flowControl == 1); err != 0) fail(err);
    }

    // Only line events can occur here: the port never sends or receives data, and the
    // character, break and error events have no counterpart that could be waited for.
    void setEventMask(std::uint32_t mask) override {
        m_mask = mask;
        m_lineBits = 0;
        if (mask & ComEv::Cts) m_lineBits |= TIOCM_CTS;
        if (mask & ComEv::Dsr) m_lineBits |= TIOCM_DSR;
        if (mask & ComEv::Rlsd) m_lineBits |= TIOCM_CD;
        if (mask & ComEv::Ring) m_lineBits |= TIOCM_RNG;
        m_counters = m_lines->counts(m_fd, m_lastCount) == 0;
        if (int err = m_lines->get(m_fd, m_lastLevels); err != 0) fail(err);
#if !defined(TIOCMIWAIT)
        m_polling = true;
#endif
        if (!m_polling && SecondLookMs() > 0 && !m_watcher.joinable())
            m_watcher = std::thread([this] { watch(); });
    }

    TWait wait(std::uint32_t& mask) override {
        for (;;) {
            if (m_stop) return TWait::Stopped;
            std::uint32_t ev = 0;
            const TLook look = sample(ev);
            if (look == TLook::Gone) return TWait::Lost;
            if (look == TLook::Failed) {
                if (++m_failures > MaxTransientFailures) return TWait::Lost;
                SleepMs(2);
                continue;
            }
            m_failures = 0;
            if (ev & m_mask) {
                mask = ev & m_mask;
                return TWait::Events;
            }
            if (m_polling) {
                SleepMs(1); // drivers that cannot wait: look again in a millisecond
                continue;
            }
            enterWait();
            const int err = m_lines->waitChange(m_fd, m_lineBits);
            leaveWait();
            if (err == 0 || err == EINTR) continue; // compare again after every wake-up
            if (IsUnsupported(err)) {
                m_polling = true; // cp210x: no wait, read every millisecond
                continue;
            }
            if (IsUnplugged(err) || NodeGone()) return TWait::Lost;
            if (++m_failures > MaxTransientFailures) return TWait::Lost;
            SleepMs(2);
        }
    }

    void wake() override {
        m_stop = true;
        m_lines->interrupt();
    }

    bool modemStatus(std::uint32_t& status) override {
        if (m_fd < 0) return false;
        int bits = 0;
        int err = m_lines->get(m_fd, bits);
        for (int retry = 0; err != 0 && !IsUnplugged(err) && retry < 2; ++retry)
            err = m_lines->get(m_fd, bits);
        if (err != 0) return false;
        std::uint32_t s = 0;
        if (bits & TIOCM_CTS) s |= ComMs::Cts;
        if (bits & TIOCM_DSR) s |= ComMs::Dsr;
        if (bits & TIOCM_RNG) s |= ComMs::Ring;
        if (bits & TIOCM_CD) s |= ComMs::Rlsd;
        status = s;
        return true;
    }

    int inQue() override {
        int n = 0;
        if (m_fd < 0 || ioctl(m_fd, FIONREAD, &n) != 0) return 0;
        return n;
    }

    void purgeInput() override {
        if (m_fd >= 0) tcflush(m_fd, TCIFLUSH);
    }

    void close() override {
        stopWatcher();
        if (m_fd < 0) return;
        bool previous = false;
        if (m_lowLatencySet) m_lines->lowLatency(m_fd, false, previous);
        m_lowLatencySet = false;
        CloseExclusive(m_fd);
        m_fd = -1;
    }

private:
    enum class TLook { Ok, Failed, Gone };

    [[noreturn]] void fail(int err) {
        throw EComState(ErrorText(err));
    }
    [[noreturn]] void fail() {
        fail(errno);
    }

    // The node the port was opened by has gone (an unplugged adapter) or now names another
    // device.
    bool NodeGone() const {
        struct stat st {};
        if (::stat(m_name.c_str(), &st) != 0) return errno == ENOENT || errno == ENODEV;
        return m_rdev != 0 && st.st_rdev != m_rdev;
    }

    // The event thread is about to wait with what it saw last.
    void enterWait() {
        {
            std::lock_guard lock(m_watchMx);
            ++m_waitSeq;
            m_inWait = true;
            m_waitCounts = m_lastCount;
            m_waitCounters = m_counters;
            m_waitLevels = m_lastLevels;
        }
        m_watchCv.notify_all();
    }

    void leaveWait() {
        std::lock_guard lock(m_watchMx);
        m_inWait = false;
    }

    // The watcher: a second look at the lines shortly after each entry into the wait. When
    // they moved since the event thread's last look, the kernel may have noted the edge as
    // already seen; the wait is interrupted (again, until it has left) so it looks itself.
    void watch() {
        RaiseCurrentThreadPriority(); // as late as the event thread, the look would be no use
        std::unique_lock lock(m_watchMx);
        std::uint64_t checked = 0;
        for (;;) {
            m_watchCv.wait(lock, [&] { return m_watchStop || (m_inWait && m_waitSeq != checked); });
            if (m_watchStop) return;
            const std::uint64_t seq = checked = m_waitSeq;
            const auto delay = std::chrono::milliseconds(SecondLookMs().load());
            const auto left = [&] { return m_watchStop || !m_inWait || m_waitSeq != seq; };
            if (m_watchCv.wait_for(lock, delay, left)) continue;
            const TLineCounts before = m_waitCounts;
            const bool counters = m_waitCounters;
            const int levels = m_waitLevels;
            lock.unlock();
            TLineCounts c{};
            int bits = 0;
            const bool moved =
                (counters && m_lines->counts(m_fd, c) == 0 &&
                 (c.cts != before.cts || c.dsr != before.dsr || c.dcd != before.dcd ||
                  c.rng != before.rng)) ||
                (m_lines->get(m_fd, bits) == 0 && ((bits ^ levels) & m_lineBits) != 0);
            lock.lock();
            if (!moved) continue;
            while (!left()) {
                lock.unlock();
                m_lines->interrupt();
                lock.lock();
                m_watchCv.wait_for(lock, std::chrono::milliseconds(2), left);
            }
            if (m_watchStop) return;
        }
    }

    void stopWatcher() {
        if (!m_watcher.joinable()) return;
        {
            std::lock_guard lock(m_watchMx);
            m_watchStop = true;
        }
        m_watchCv.notify_all();
        m_watcher.join();
    }

    TLook failure(int err) const {
        return IsUnplugged(err) || NodeGone() ? TLook::Gone : TLook::Failed;
    }

    // Compares counters and levels with the last look. Nothing is taken over unless both
    // reads succeeded: a failed read is no line state and no edge.
    TLook sample(std::uint32_t& ev) {
        TLineCounts c{};
        bool haveCounts = false;
        if (m_counters) {
            const int err = m_lines->counts(m_fd, c);
            if (err == 0)
                haveCounts = true;
            else if (IsUnsupported(err))
                m_counters = false; // the driver dropped them; levels alone from now on
            else
                return failure(err);
        }
        int bits = 0;
        if (int err = m_lines->get(m_fd, bits); err != 0) return failure(err);
        const int changed = bits ^ m_lastLevels;
        m_lastLevels = bits;
        if (changed & TIOCM_CTS) ev |= ComEv::Cts;
        if (changed & TIOCM_DSR) ev |= ComEv::Dsr;
        if (changed & TIOCM_CD) ev |= ComEv::Rlsd;
        if (changed & TIOCM_RNG) ev |= ComEv::Ring;
        if (haveCounts) {
            if (c.cts != m_lastCount.cts) ev |= ComEv::Cts;
            if (c.dsr != m_lastCount.dsr) ev |= ComEv::Dsr;
            if (c.dcd != m_lastCount.dcd) ev |= ComEv::Rlsd;
            if (c.rng != m_lastCount.rng) ev |= ComEv::Ring;
            m_lastCount = c;
        }
        return TLook::Ok;
    }

    std::string m_name;
    std::unique_ptr<IPosixModemLines> m_lines;
    int m_fd = -1;
    dev_t m_rdev = 0;
    bool m_lowLatencySet = false;
    std::uint32_t m_mask = 0;
    int m_lineBits = 0;
    int m_lastLevels = 0;
    bool m_polling = false;
    bool m_counters = false;
    TLineCounts m_lastCount{};
    int m_failures = 0;
    std::atomic<bool> m_stop{false};

    // Shared with the watcher thread.
    std::thread m_watcher;
    std::mutex m_watchMx;
    std::condition_variable m_watchCv;
    bool m_watchStop = false;
    bool m_inWait = false;
    std::uint64_t m_waitSeq = 0;
    TLineCounts m_waitCounts{};
    bool m_waitCounters = false;
    int m_waitLevels = 0;
};

} // namespace

std::unique_ptr<IComDevice> CreatePosixComDevice(const std::string& name,
                                                 std::unique_ptr<IPosixModemLines> lines) {
    return std::make_unique<TPosixComDevice>(name, std::move(lines));
}

std::unique_ptr<IComDevice> CreatePlatformComDevice(const std::string& name) {
    return CreatePosixComDevice(name);
}

void SetComLockDirectory(const std::string& dir) {
    LockDirectory() = dir;
}

void SetComSecondLookMilliseconds(int ms) {
    SecondLookMs() = ms < 0 ? 0 : ms;
}

// Free means: a terminal that opens exclusively now, held by nobody else; the probe's own
// open leaves neither its exclusive flag nor its lock behind.
bool ProbeComDevice(const std::string& name) {
    struct stat st {};
    if (name.empty() || ::stat(name.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    int err = 0;
    const int fd = OpenExclusive(name, err);
    if (fd < 0) return false;
    CloseExclusive(fd);
    return true;
}
#endif
