// Contact latency: a stop contact's line change on the simulated port to the tick read inside
// the STOP handler, while the clock refreshes both tracks at 100 Hz; in the same run the bare
// wake-up of the serial event thread (line change to thread awake).
#include "BenchSupport.h"
#include "core/Competition.h"
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "PairOnSimulatedPort.h"
#include "ui/main/FMain.h"
#include "widgets/BeamImage.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchSettings settings;
    TStampClock stamps;
    stamps.Install();

    TAppParts parts(settings.Store());
    TFormMain w(parts, nullptr);
    auto lines = PairOnSimulatedPort(w);

    const int edges = argc > 1 ? std::atoi(argv[1]) : 1000;
    std::vector<double> handler, wake;
    for (int i = 0; i < edges; ++i) {
        Issue(w, "mStart");
        if (!SpinUntil([&] { return w.Run->BeamArmed(BeamStop1); })) return 1; // lock-out over
        QElapsedTimer wait;
        wait.start();
        SpinUntil([&] { return wait.elapsed() >= 12 + i % 7; }); // the clock ticks meanwhile
        lines->setDSR(true);
        if (!SpinUntil([&] { return !Child<QAction>(w, "mSTOP1")->isEnabled(); }, 2000)) {
            std::printf("STOP1 did not arrive\n");
            return 1;
        }
        const auto change = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                lines->lastChange().time_since_epoch())
                                .count();
        const auto awake = std::chrono::duration_cast<std::chrono::nanoseconds>(
                               lines->lastWake().time_since_epoch())
                               .count();
        const std::uint32_t stopTick = w.Run->StartTick() + w.Run->StopTime(0);
        handler.push_back((stamps.At(stopTick) - change) / 1000.0);
        wake.push_back((awake - change) / 1000.0);
        Issue(w, "mStop2");
        lines->setDSR(false);
        Issue(w, "mReset");
        // The same pair again, with free runs: done runs allow no START.
        w.Competition->ClearResults();
        w.UpdateControls();
    }
    const TStats h = Stats(handler), k = Stats(wake);
    std::printf("%d edges\n", edges);
    std::printf("DSR change -> tick read in STOP: median %.1f us, p99 %.1f us, max %.1f us\n",
                h.median, h.p99, h.max);
    std::printf("DSR change -> event thread awake: median %.1f us, p99 %.1f us, max %.1f us\n",
                k.median, k.p99, k.max);
    std::printf("ratio of p99: %.2f\n", k.p99 > 0 ? h.p99 / k.p99 : 0.0);
    w.ComPort->Close();
    Child<TSortGrid>(w, "SortGrid1")->setModified(false);
    SetTickSource({});
    return 0;
}
