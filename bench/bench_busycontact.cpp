// A stop contact closes while the GUI thread is busy for 100 ms (a long sort, a repaint, a
// window being dragged): how far the recorded time lies from the edge. The busy work is
// posted to the GUI thread while the run is going; the edge comes 10..60 ms into it, from a
// thread of its own, on the simulated port through the real event thread.
#include "BenchSupport.h"
#include "core/Competition.h"
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "PairOnSimulatedPort.h"
#include "ui/main/FMain.h"
#include "widgets/BeamImage.h"

#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <thread>

namespace {
// Keeps the GUI thread busy for busyMs and, from a thread of its own, makes the edge delayMs
// into that stretch. The caller joins the thread.
std::thread EdgeWhileBusy(QObject& w, int busyMs, int delayMs, std::function<void()> edge) {
    auto busy = std::make_shared<std::atomic<bool>>(false);
    QMetaObject::invokeMethod(
        &w,
        [busy, busyMs] {
            *busy = true;
            QElapsedTimer t;
            t.start();
            while (t.elapsed() < busyMs) {
            }
        },
        Qt::QueuedConnection);
    return std::thread([busy, delayMs, edge = std::move(edge)] {
        while (!*busy)
            std::this_thread::yield();
        std::this_thread::sleep_for(std::chrono::milliseconds(delayMs));
        edge();
    });
}
} // namespace

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchSettings settings;
    TStampClock stamps;
    stamps.Install();

    TAppParts parts(nullptr);
    TFormMain w(parts, nullptr);
    auto lines = PairOnSimulatedPort(w);

    const int edges = argc > 1 ? std::atoi(argv[1]) : 200;
    const int busyMs = 100;
    std::vector<double> errorUs;
    for (int i = 0; i < edges; ++i) {
        Issue(w, "mStart");
        if (!SpinUntil([&] { return w.Run->BeamArmed(BeamStop1); })) return 1; // lock-out over
        std::thread edge = EdgeWhileBusy(w, busyMs, 10 + i % 51, [&] { lines->setDSR(true); });
        const bool stopped =
            SpinUntil([&] { return !Child<QAction>(w, "mSTOP1")->isEnabled(); }, 2000);
        edge.join();
        if (!stopped) {
            std::printf("STOP1 did not arrive at edge %d: tag %d running %d lock %d status %x\n", i,
                        int(w.Run->BeamArmed(BeamStop1)), int(w.IsRunning()),
                        int(w.Run->LockoutActive()), w.ComPort->ModemStatus());
            return 1;
        }
        const auto change = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                lines->lastChange().time_since_epoch())
                                .count();
        const std::uint32_t stopTick = w.Run->StartTick() + w.Run->StopTime(0);
        errorUs.push_back((stamps.At(stopTick) - change) / 1000.0);
        Issue(w, "mStop2");
        lines->setDSR(false);
        // The opening must be seen before the next closing, or the two read as no change.
        if (!SpinUntil([&] { return w.Run->LastLineState[1] == 0; })) return 1;
        Issue(w, "mReset");
        // The same pair again, with free runs: a participant whose runs are done starts no more.
        w.Competition->ClearResults();
        w.UpdateControls();
    }
    const TStats s = Stats(errorUs);
    std::printf("%d edges, GUI thread busy %d ms around each; event thread %s\n", edges, busyMs,
                qPrintable(w.ComPort->EventThreadPriority()));
    std::printf("DSR edge -> recorded STOP tick: median %.1f us, p99 %.1f us, max %.1f us\n",
                s.median, s.p99, s.max);

    // The same for a foot pad on its own port: the climber leaves the pad while the GUI thread
    // is busy; the reaction must be the edge's tick, not the handler's. The stamp clock's ticks
    // count reads, so no reaction here is a false start.
    w.Settings.FsLimit = 0;
    auto pads = std::make_shared<TSimComLines>();
    w.PadComPort->setDeviceFactory(SimulatedDeviceFactory(pads));
    w.PadComPort->setPort(2);
    w.PadComPort->Open();
    std::vector<double> padUs;
    for (int i = 0; i < edges; ++i) {
        pads->setCTS(true);
        if (!SpinUntil([&] { return w.Run->PadStoodOn(0) == true; })) return 1;
        Issue(w, "mStart");
        std::thread edge = EdgeWhileBusy(w, busyMs, 10 + i % 51, [&] { pads->setCTS(false); });
        const bool taken = SpinUntil([&] { return w.Run->Reaction(0).has_value(); }, 2000);
        edge.join();
        if (!taken) return 1;
        const auto change = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                pads->lastChange().time_since_epoch())
                                .count();
        const std::uint32_t releaseTick = w.Run->StartTick() + std::uint32_t(*w.Run->Reaction(0));
        padUs.push_back((stamps.At(releaseTick) - change) / 1000.0);
        Issue(w, "mSTOP1");
        Issue(w, "mStop2");
        Issue(w, "mReset");
        // The same pair again, with free runs: a participant whose runs are done starts no more.
        w.Competition->ClearResults();
        w.UpdateControls();
    }
    const TStats p = Stats(padUs);
    std::printf("pad release -> recorded reaction tick: median %.1f us, p99 %.1f us, max %.1f us\n",
                p.median, p.p99, p.max);
    w.PadComPort->Close();
    w.ComPort->Close();
    Child<TSortGrid>(w, "SortGrid1")->setModified(false);
    SetTickSource({});
    return 0;
}
