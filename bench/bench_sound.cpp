// What the sound cues cost the run commands: the time the START and STOP handlers take with
// the cues on and off, and with the cue files missing (the beep instead). On a machine
// without an audio device this shows that no cue blocks or slows a command.
//   bench_sound [runs]
#include "BenchSupport.h"
#include "core/Competition.h"
#include "ui/main/FMain.h"
#include "ui/main/Sounds.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>

namespace {
struct TTimes {
    std::vector<double> start, stop1, stop2;
};

// Runs heats with the keys' commands and times each handler, in microseconds.
TTimes TimeRuns(TFormMain& w, int runs) {
    TTimes t;
    const auto timed = [&](const char* a) {
        const std::int64_t from = NowNs();
        Issue(w, a);
        return (NowNs() - from) / 1000.0;
    };
    for (int i = 0; i < runs; ++i) {
        t.start.push_back(timed("mStart"));
        QElapsedTimer wait;
        wait.start();
        SpinUntil([&] { return wait.elapsed() >= 5; }); // the cue is under way meanwhile
        t.stop1.push_back(timed("mSTOP1"));
        t.stop2.push_back(timed("mStop2")); // right after: the second cue replaces the first
        Issue(w, "mReset");
        // The same pair again, with free runs: done runs allow no START.
        w.Competition->ClearResults();
        w.UpdateControls();
        QCoreApplication::processEvents();
    }
    return t;
}

void Print(const char* what, const TTimes& t) {
    const TStats a = Stats(t.start), b = Stats(t.stop1), c = Stats(t.stop2);
    std::printf("%-26s START median %7.1f us p99 %7.1f max %7.1f | STOP1 median %7.1f us "
                "p99 %7.1f max %7.1f | STOP2 median %7.1f us p99 %7.1f max %7.1f\n",
                what, a.median, a.p99, a.max, b.median, b.p99, b.max, c.median, c.p99, c.max);
}
} // namespace

int main(int argc, char** argv) {
    if (qgetenv("QT_QPA_PLATFORM").isEmpty()) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::max(1, std::atoi(argv[1])) : 300;
    TBenchSettings settings;

    // The program's own cues in the folder it runs in.
    QTemporaryDir cues;
    for (const char* name : {"Start.wav", "Stop.wav"})
        QFile::copy(QStringLiteral(VELTARO_SOURCE_DIR "/resources/sounds/") + name,
                    cues.filePath(name));
    QTemporaryDir empty;

    TProtocolRows rows{QStringList(14)};
    for (int i = 1; i <= 4; ++i) {
        QStringList r(14);
        r[0] = QString::number(i);
        rows.push_back(r);
    }
    const auto window = [&](const QString& folder, bool sound) {
        QDir::setCurrent(folder);
        auto parts = std::make_unique<TAppParts>(settings.Store());
        auto w = std::make_unique<TFormMain>(*parts, nullptr);
        w->SetVid(2);
        w->LoadProtocolRows(rows, "bench");
        w->Settings.isPlaySound = sound;
        w->Settings.AutoTime = 99000;
        w->show();
        QCoreApplication::processEvents();
        return std::make_pair(std::move(parts), std::move(w));
    };

    std::printf("%d runs per case; cue files %s\n", runs,
                qPrintable(QDir::toNativeSeparators(cues.path())));
    for (int round = 0; round < 2; ++round) {
        {
            auto [parts, w] = window(cues.path(), false);
            Print("sounds off", TimeRuns(*w, runs));
            Child<TSortGrid>(*w, "SortGrid1")->setModified(false);
        }
        {
            auto [parts, w] = window(cues.path(), true);
            // The very first cue of a program, apart: it is the one that could meet an audio
            // system still starting up.
            TTimes first = TimeRuns(*w, 1);
            std::printf("%-26s START %.1f us, STOP1 %.1f us, STOP2 %.1f us\n",
                        "sounds on, first run", first.start[0], first.stop1[0], first.stop2[0]);
            Print("sounds on", TimeRuns(*w, runs));
            std::printf("%-26s start cues %d, stop cues %d, beeps %d\n", "",
                        w->Sounds->Played(CueStart), w->Sounds->Played(CueStop),
                        w->Sounds->Beeps());
            Child<TSortGrid>(*w, "SortGrid1")->setModified(false);
        }
        {
            auto [parts, w] = window(empty.path(), true);
            Print("sounds on, files missing", TimeRuns(*w, runs));
            Child<TSortGrid>(*w, "SortGrid1")->setModified(false);
        }
    }
    return 0;
}
