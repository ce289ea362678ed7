// The race clock: cost of one display tick with both tracks running (painting included),
// the resolution of TickCount(), and the latency from a key press to the tick read by STOP.
#include "BenchSupport.h"
#include "core/Competition.h"
#include "ui/main/FMain.h"

#include <map>
#include <QApplication>
#include <QElapsedTimer>
#include <QTest>
#include <QTimer>

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
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchSettings settings;

    // 1. Resolution: the steps by which the real counter advances.
    {
        std::map<std::uint32_t, int> steps;
        std::uint32_t last = TickCount();
        QElapsedTimer t;
        t.start();
        while (t.elapsed() < 300) {
            const std::uint32_t now = TickCount();
            if (now != last) ++steps[now - last];
            last = now;
        }
        std::printf("TickCount resolution over 300 ms, step (ms) x count:");
        for (auto [step, count] : steps)
            std::printf("  %u x %d", step, count);
        std::printf("\n");
    }

    // 2. Cost of one clock tick with both tracks running, digits repainted.
    {
        TManualClock clock;
        SetTickSource(TManualClock::Source(clock));
        TAppParts parts(settings.Store());
        TFormMain w(parts, nullptr);
        w.SetVid(2);
        w.LoadProtocolRows(Rows(10), "bench");
        w.show();
        QCoreApplication::processEvents();
        Issue(w, "mStart");
        Child<QTimer>(w, "Clock")->stop(); // ticks are driven by hand below
        std::vector<double> us;
        for (int i = 0; i < 6000; ++i) {
            clock.advance(10);
            const std::int64_t t0 = NowNs();
            w.ClockTimer();
            us.push_back((NowNs() - t0) / 1000.0);
        }
        const TStats s = Stats(us);
        std::printf("clock tick, both tracks, painting: median %.1f us, p99 %.1f us, max %.1f us "
                    "(%.2f %% of a core at 100 ticks/s)\n",
                    s.median, s.p99, s.max, s.median * 100 / 1e6 * 100);
        Issue(w, "Abruch1");
        SetTickSource({});
    }

    // 3. Key press posted to the window -> tick read inside STOP, while the clock runs.
    {
        TStampClock stamps;
        stamps.Install();
        TAppParts parts(settings.Store());
        TFormMain w(parts, nullptr);
        w.SetVid(2);
        w.LoadProtocolRows(Rows(10), "bench");
        w.show();
        w.activateWindow();
        SpinUntil([&] { return QApplication::activeWindow() == &w; }, 2000);
        std::vector<double> us;
        const int stops = argc > 1 ? std::atoi(argv[1]) : 1000;
        for (int i = 0; i < stops; ++i) {
            Issue(w, "mStart");
            QElapsedTimer wait;
            wait.start();
            SpinUntil([&] { return wait.elapsed() >= 12 + i % 7; }); // the clock ticks meanwhile
            const std::int64_t t0 = NowNs();
            // The key goes through the event queue and then the window's shortcut dispatch,
            // as a key from the keyboard does after the window system has delivered it.
            QMetaObject::invokeMethod(
                &w,
                [&w] {
                    QTest::keyPress(&w, Qt::Key_F4);
                    QTest::keyRelease(&w, Qt::Key_F4);
                },
                Qt::QueuedConnection);
            if (!SpinUntil([&] { return !Child<QAction>(w, "mSTOP1")->isEnabled(); }, 2000)) {
                std::printf("STOP1 did not arrive\n");
                return 1;
            }
            const std::uint32_t stopTick = w.Run->StartTick() + w.Run->StopTime(0);
            us.push_back((stamps.At(stopTick) - t0) / 1000.0);
            Issue(w, "mStop2");
            Issue(w, "mReset");
            // The same pair again, with free runs: done runs allow no START.
            w.Competition->ClearResults();
            w.UpdateControls();
        }
        const TStats s = Stats(us);
        std::printf("key F4 -> tick read in STOP, %zu stops: median %.1f us, p99 %.1f us, max "
                    "%.1f us\n",
                    us.size(), s.median, s.p99, s.max);
        SetTickSource({});
        Child<TSortGrid>(w, "SortGrid1")->setModified(false);
    }
    return 0;
}
