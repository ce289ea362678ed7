// The 10 ms clock tick with the main window and the audience window both visible, the
// audience window on a 1920 x 1080 and on a 3840 x 2160 screen: GUI-thread time per tick and
// painted frames of the audience window per second of clock.
//   bench_monitor2 [ticks]   (default 3000 ticks per size, then 3 s of the real clock per size)
#include "BenchSupport.h"
#include "OffscreenScreens.h"
#include "ui/audience/FMonitor2.h"
#include "ui/main/FMain.h"
#include "widgets/Udigit.h"

#include <cstdlib>
#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QSet>
#include <QToolButton>

namespace {
TProtocolRows Rows(int n) {
    TProtocolRows rows;
    rows.push_back(QStringList(14));
    for (int i = 1; i <= n; ++i) {
        QStringList r(14);
        r[0] = QString::number(i);
        r[1] = QStringLiteral("Name %1").arg(i);
        rows.push_back(r);
    }
    return rows;
}

// Counts paint events on the audience window: per digit, and on anything else in the window.
class TPaintLog : public QObject {
public:
    QSet<QObject*> digits;
    long digitPaints = 0, otherPaints = 0;
    bool paintedSinceMark = false;
    bool eventFilter(QObject* o, QEvent* e) override {
        if (e->type() == QEvent::Paint) {
            if (digits.contains(o)) {
                ++digitPaints;
                paintedSinceMark = true;
            } else {
                ++otherPaints;
            }
        }
        return false;
    }
};

void Watch(TFormMonitor2& m, TPaintLog& log) {
    for (int track = 0; track < 2; ++track)
        for (TDigit* d : m.Row(track))
            log.digits.insert(d);
    m.installEventFilter(&log);
    for (QWidget* w : m.findChildren<QWidget*>())
        w->installEventFilter(&log);
}

void Run(int monitor, const char* label, int ticks) {
    // 1. Ticks driven by hand on a manual clock: the cost of each, every changed digit painted.
    {
        TManualClock clock;
        clock.now = 1000000;
        SetTickSource(TManualClock::Source(clock));
        TAppParts parts(nullptr);
        TFormMain w(parts, nullptr);
        w.SetVid(2);
        w.LoadProtocolRows(Rows(10), "bench");
        w.show();
        w.Settings.Monitor = monitor;
        const auto monitorWindow = w.CreateMonitor();
        TFormMonitor2& m = *monitorWindow;
        w.UpdateTvModeEnabled();
        Child<QToolButton>(w, "sbMon2")->click();
        QCoreApplication::processEvents();
        TPaintLog log;
        Watch(m, log);
        Issue(w, "mStart");
        Child<QTimer>(w, "Clock")->stop(); // ticks are driven by hand below
        std::vector<double> us;
        long frames = 0;
        for (int i = 0; i < ticks; ++i) {
            clock.advance(10);
            log.paintedSinceMark = false;
            const std::int64_t t0 = NowNs();
            w.ClockTimer();
            us.push_back((NowNs() - t0) / 1000.0);
            if (log.paintedSinceMark) ++frames;
        }
        QCoreApplication::processEvents();
        const TStats s = Stats(us);
        const double seconds = ticks * 10 / 1000.0;
        std::printf("%s  audience window %dx%d, kx %.3f\n", label, m.width(), m.height(), m.Kx());
        std::printf("  tick by hand, both tracks, both windows: median %.1f us, p99 %.1f us, "
                    "max %.1f us (%d ticks)\n",
                    s.median, s.p99, s.max, ticks);
        std::printf("  audience frames %.1f per second of clock; digit paints %ld, other "
                    "paints %ld (panels, labels)\n",
                    frames / seconds, log.digitPaints, log.otherPaints);
        Issue(w, "Abruch1");
        SetTickSource({});
        Child<TSortGrid>(w, "SortGrid1")->setModified(false);
    }

    // 2. The real 10 ms timer and the real counter for three seconds.
    {
        TAppParts parts(nullptr);
        TFormMain w(parts, nullptr);
        w.SetVid(2);
        w.LoadProtocolRows(Rows(10), "bench");
        w.show();
        w.Settings.Monitor = monitor;
        const auto monitorWindow = w.CreateMonitor();
        TFormMonitor2& m = *monitorWindow;
        w.UpdateTvModeEnabled();
        Child<QToolButton>(w, "sbMon2")->click();
        QCoreApplication::processEvents();
        TPaintLog log;
        Watch(m, log);
        long frames = 0, timerTicks = 0;
        std::vector<double> us;
        // The window's own tick handler is replaced by the same call, timed.
        QObject::disconnect(Child<QTimer>(w, "Clock"), &QTimer::timeout, &w, nullptr);
        QObject::connect(Child<QTimer>(w, "Clock"), &QTimer::timeout, &w, [&] {
            log.paintedSinceMark = false;
            const std::int64_t t0 = NowNs();
            w.ClockTimer();
            us.push_back((NowNs() - t0) / 1000.0);
            ++timerTicks;
            if (log.paintedSinceMark) ++frames;
        });
        const std::uint32_t start = TickCount();
        Issue(w, "mStart");
        QElapsedTimer run;
        run.start();
        SpinUntil([&] { return run.elapsed() >= 3000; }, 4000);
        const double seconds = double(TickCount() - start) / 1000.0;
        const TStats s = Stats(us);
        std::printf("  real timer, 3 s: %ld ticks, audience frames %.1f per second of clock; "
                    "tick median %.1f us, p99 %.1f us, max %.1f us; other paints %ld\n",
                    timerTicks, frames / seconds, s.median, s.p99, s.max, log.otherPaints);
        Issue(w, "Abruch1");
        Child<TSortGrid>(w, "SortGrid1")->setModified(false);
    }
}
} // namespace

int main(int argc, char** argv) {
    // The operator's screen, a full-HD TV and a 4K TV.
    QTemporaryDir screensDir;
    UseOffscreenScreens(
        {QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080), QRect(3840, 0, 3840, 2160)},
        screensDir.filePath("screens.json"));
    QApplication app(argc, argv);
    TBenchSettings settings;
    const int ticks = argc > 1 ? std::max(100, std::atoi(argv[1])) : 3000;
    Run(1, "1920 x 1080", ticks);
    Run(2, "3840 x 2160", ticks);
    return 0;
}
