#pragma once
// Small helpers shared by the window benchmarks.
#include "core/TickCount.h"
#include "persist/SettingsGlue.h"
#include "widgets/SortGrid.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <functional>
#include <QAction>
#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <vector>

inline std::int64_t NowNs() {
    return std::chrono::duration_cast<std::chrono::nanoseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// A tick source that counts its calls and remembers when each call happened, so a benchmark
// can find the exact moment a handler read "the" tick: tick value n was read at At(n).
// The serial event thread reads the clock too, so a call takes its number atomically.
class TStampClock {
public:
    TStampClock() : m_ns(1 << 20) {}
    std::uint32_t Read() {
        const std::uint32_t n = m_next.fetch_add(1);
        m_ns[n & (m_ns.size() - 1)] = NowNs();
        return n;
    }
    std::int64_t At(std::uint32_t tick) const { return m_ns[tick & (m_ns.size() - 1)]; }
    void Install() {
        SetTickSource([this] { return Read(); });
    }

private:
    std::vector<std::int64_t> m_ns;
    std::atomic<std::uint32_t> m_next{1};
};

// Settings of the benchmark's windows go to a temporary file.
struct TBenchSettings {
    QTemporaryDir dir;
    TBenchSettings() { QStandardPaths::setTestModeEnabled(true); }
    std::unique_ptr<QSettings> Store() const {
        return std::make_unique<QSettings>(dir.filePath("bench.conf"), QSettings::IniFormat);
    }
};

inline bool SpinUntil(const std::function<bool()>& condition, int ms = 5000) {
    QDeadlineTimer deadline(ms);
    QTimer heartbeat;
    heartbeat.start(5);
    while (!condition()) {
        if (deadline.hasExpired()) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents | QEventLoop::WaitForMoreEvents);
    }
    return true;
}

struct TStats {
    double median, p99, max;
};
inline TStats Stats(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    if (v.empty()) return {0, 0, 0};
    return {v[v.size() / 2], v[std::min(v.size() - 1, size_t(v.size() * 0.99))], v.back()};
}

// A control of a window, found by its name as the operator's tests find it.
template <typename T> T* Child(QObject& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

// The command of a key, as the key gives it: only while it is enabled.
inline void Issue(QObject& window, const char* action) {
    if (auto* a = Child<QAction>(window, action); a && a->isEnabled()) a->trigger();
}
