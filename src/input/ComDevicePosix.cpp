// Serial device on Linux (and, with polling only, other POSIX systems).
//
// Line changes are waited for with TIOCMIWAIT. It only reports edges that happen while it
// blocks, so before every wait the interrupt counters (TIOCGICOUNT) or, without them, the
// line levels are compared with the last look: an edge during a hand-over is not lost.
// A blocked TIOCMIWAIT cannot be woken by closing the descriptor, only by a signal; wake()
// sends one to the waiting thread. Drivers that cannot wait at all are read every millisecond.
#ifndef _WIN32
#include "input/ComDevice.h"

#include <atomic>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <fcntl.h>
#include <mutex>
#include <pthread.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <sys/stat.h>
#include <termios.h>
#include <time.h>
#include <unistd.h>
#if defined(__linux__)
#include <linux/serial.h>
#endif

#if defined(__linux__)
int SetPosixCustomBaud(int fd, int rate);
#endif

namespace {

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

bool IsGone(int err) {
    return err == EIO || err == ENODEV || err == ENXIO || err == EBADF;
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

// Opens the device exclusively. TIOCEXCL keeps other programs out, but not a privileged
// one; the advisory lock also covers that case between programs that take it.
int OpenExclusive(const std::string& name, int& err) {
    if (name.empty()) {
        err = ENODEV;
        return -1;
    }
    int fd = ::open(name.c_str(), O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
        err = errno;
        return -1;
    }
    if (ioctl(fd, TIOCEXCL) != 0) {
        err = errno;
        ::close(fd);
        return -1;
    }
    if (flock(fd, LOCK_EX | LOCK_NB) != 0) {
        err = errno == EWOULDBLOCK ? EBUSY : errno;
        ::close(fd);
        return -1;
    }
    return fd;
}

class TPosixComDevice : public IComDevice {
public:
    explicit TPosixComDevice(std::string name) : m_name(std::move(name)) {}
    ~TPosixComDevice() override { close(); }

    void open() override {
        int err = 0;
        m_fd = OpenExclusive(m_name, err);
        if (m_fd < 0) throw EComHandle(ErrorText(err));
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
        if (ioctl(m_fd, TIOCMGET, &bits) != 0) fail();
        int dtr = TIOCM_DTR, rts = TIOCM_RTS;
        if (ioctl(m_fd, s.enableDTR ? TIOCMBIS : TIOCMBIC, &dtr) != 0) fail();
        if (ioctl(m_fd, s.flowControl == 1 ? TIOCMBIS : TIOCMBIC, &rts) != 0) fail();
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
#if defined(__linux__) && defined(TIOCGICOUNT)
        m_counters = ioctl(m_fd, TIOCGICOUNT, &m_lastCount) == 0;
#endif
        if (ioctl(m_fd, TIOCMGET, &m_lastLevels) != 0) fail();
#if !defined(TIOCMIWAIT)
        m_polling = true;
#endif
    }

    TWait wait(std::uint32_t& mask) override {
        {
            std::lock_guard lock(m_waiterMx);
            m_waiter = pthread_self();
            m_hasWaiter = true;
        }
        sigset_t set;
        sigemptyset(&set);
        sigaddset(&set, WakeSignal());
        pthread_sigmask(SIG_UNBLOCK, &set, nullptr);
        const TWait result = waitLoop(mask);
        std::lock_guard lock(m_waiterMx);
        m_hasWaiter = false;
        return result;
    }

    void wake() override {
        m_stop = true;
        std::lock_guard lock(m_waiterMx);
        if (m_hasWaiter) pthread_kill(m_waiter, WakeSignal());
    }

    bool modemStatus(std::uint32_t& status) override {
        int bits = 0;
        if (m_fd < 0 || ioctl(m_fd, TIOCMGET, &bits) != 0) return false;
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
        if (m_fd >= 0) ::close(m_fd);
        m_fd = -1;
    }

private:
    [[noreturn]] void fail() {
        throw EComState(ErrorText(errno));
    }

    // Compares the lines with the last look; false when the device is gone.
    bool sample(std::uint32_t& ev) {
#if defined(__linux__) && defined(TIOCGICOUNT)
        if (m_counters) {
            serial_icounter_struct c{};
            if (ioctl(m_fd, TIOCGICOUNT, &c) == 0) {
                if (c.cts != m_lastCount.cts) ev |= ComEv::Cts;
                if (c.dsr != m_lastCount.dsr) ev |= ComEv::Dsr;
                if (c.dcd != m_lastCount.dcd) ev |= ComEv::Rlsd;
                if (c.rng != m_lastCount.rng) ev |= ComEv::Ring;
                m_lastCount = c;
                return true;
            }
            if (IsGone(errno)) return false;
            m_counters = false; // the driver dropped them; fall back to levels
        }
#endif
        int bits = 0;
        if (ioctl(m_fd, TIOCMGET, &bits) != 0) return false;
        const int changed = bits ^ m_lastLevels;
        m_lastLevels = bits;
        if (changed & TIOCM_CTS) ev |= ComEv::Cts;
        if (changed & TIOCM_DSR) ev |= ComEv::Dsr;
        if (changed & TIOCM_CD) ev |= ComEv::Rlsd;
        if (changed & TIOCM_RNG) ev |= ComEv::Ring;
        return true;
    }

    TWait waitLoop(std::uint32_t& mask) {
        for (;;) {
            if (m_stop) return TWait::Stopped;
            std::uint32_t ev = 0;
            if (!sample(ev)) return TWait::Lost;
            if (ev & m_mask) {
                mask = ev & m_mask;
                return TWait::Events;
            }
            if (m_polling) {
                // Only for drivers that cannot wait: look again in a millisecond.
                timespec ms{0, 1000000};
                nanosleep(&ms, nullptr);
                continue;
            }
#if defined(TIOCMIWAIT)
            if (ioctl(m_fd, TIOCMIWAIT, m_lineBits) == 0) continue;
            const int err = errno;
            if (err == EINTR) continue;
            if (err == ENOTTY || err == EINVAL || err == ENOSYS) {
                m_polling = true;
                continue;
            }
            return TWait::Lost;
#endif
        }
    }

    std::string m_name;
    int m_fd = -1;
    std::uint32_t m_mask = 0;
    int m_lineBits = 0;
    int m_lastLevels = 0;
    bool m_polling = false;
#if defined(__linux__) && defined(TIOCGICOUNT)
    bool m_counters = false;
    serial_icounter_struct m_lastCount{};
#endif
    std::atomic<bool> m_stop{false};
    std::mutex m_waiterMx;
    pthread_t m_waiter{};
    bool m_hasWaiter = false;
};

} // namespace

std::unique_ptr<IComDevice> CreatePlatformComDevice(const std::string& name) {
    return std::make_unique<TPosixComDevice>(name);
}

bool ProbeComDevice(const std::string& name) {
    struct stat st {};
    if (name.empty() || ::stat(name.c_str(), &st) != 0 || !S_ISCHR(st.st_mode)) return false;
    int err = 0;
    const int fd = OpenExclusive(name, err);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}
#endif
