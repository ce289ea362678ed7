// What the journal costs the GUI thread per change of a 1,000-row protocol, how long the writer
// thread takes for one journal, and the STOP handler and clock tick with and without a journal
// in the same run (their ratio should be 1).
#include "BenchSupport.h"
#include "core/Competition.h"
#include "persist/Journal.h"
#include "ui/main/FMain.h"
#include "widgets/SortGrid.h"

#include <QApplication>
#include <QElapsedTimer>

#include <ctime>

namespace {
TProtocolRows Participants(int n) {
    TProtocolRows rows;
    rows.push_back(
        {"St.Nr.", "Name, Vorname", "Ort", "Klasse", "Datum", "", "", "", "", "", "", "", "", ""});
    for (int i = 1; i <= n; ++i) {
        QStringList r(14);
        r[0] = QString::number(i);
        r[1] = QStringLiteral("Nachname%1, Vorname").arg(i);
        r[2] = QStringLiteral("Ort%1").arg(i % 37);
        r[3] = i % 2 ? QStringLiteral("A") : QStringLiteral("B");
        rows.push_back(r);
    }
    return rows;
}

std::int64_t ThreadCpuNs() {
    timespec ts{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &ts);
    return std::int64_t(ts.tv_sec) * 1000000000 + ts.tv_nsec;
}

double Us(std::int64_t ns) {
    return double(ns) / 1000.0;
}

void Print(const char* what, const std::vector<double>& v, const char* unit = "us") {
    const TStats s = Stats(v);
    std::printf("%-58s median %8.2f %s  p99 %8.2f  max %8.2f  (n=%zu)\n", what, s.median, unit,
                s.p99, s.max, v.size());
}

// STOP1 right after START, and one clock tick while running, n times.
void RunCosts(TFormMain& w, std::vector<double>& stop, std::vector<double>& tick, int n) {
    for (int i = 0; i < n; ++i) {
        Issue(w, "mStart");
        auto t0 = NowNs();
        w.ClockTimer();
        tick.push_back(Us(NowNs() - t0));
        t0 = NowNs();
        Issue(w, "mSTOP1");
        stop.push_back(Us(NowNs() - t0));
        Issue(w, "mReset");
        QCoreApplication::processEvents();
    }
}
} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    TBenchSettings settings;
    constexpr int Rows = 1000, Changes = 300;

    TAppParts parts(settings.Store());
    TFormMain w(parts, nullptr);
    TJournal journal(settings.dir.filePath("journal"));
    w.StartJournal(journal);
    w.SetVid(1);
    w.Settings.CountZabegov = 6;
    w.LoadProtocolRows(Participants(Rows), QStringLiteral("Bench.txt"));
    journal.Flush();

    std::vector<double> change, snapshot, snapshotCpu, plain;
    for (int i = 0; i < Changes; ++i) {
        const int row = 1 + i % Rows;
        // The change itself as a DIS makes it: a cell, the changed mark (which tells the journal).
        auto t0 = NowNs();
        w.Competition->SetCell(row - 1, Col::Turm2, QStringLiteral("DIS."));
        const auto t1 = NowNs();
        const auto c1 = ThreadCpuNs();
        journal.TakeSnapshot(); // what the debounce timer does later on the GUI thread
        const auto t2 = NowNs();
        snapshotCpu.push_back(Us(ThreadCpuNs() - c1));
        change.push_back(Us(t1 - t0));
        snapshot.push_back(Us(t2 - t1));
        if (i % 10 == 9) journal.Flush(); // let the writer keep up, as the debounce would
    }
    journal.Flush();
    // The same change with no journal listening.
    w.disconnect(&journal);
    journal.SetSource(nullptr);
    for (int i = 0; i < Changes; ++i) {
        const auto t0 = NowNs();
        w.Competition->SetCell(i % Rows, Col::Turm2, QStringLiteral("DIS."));
        plain.push_back(Us(NowNs() - t0));
    }
    std::printf("protocol of %d rows, %d changes\n", Rows, Changes);
    Print("GUI thread: change with the journal listening", change);
    Print("GUI thread: change with no journal", plain);
    Print("GUI thread: snapshot handed to the writer (once per write)", snapshot);
    // Wall time above includes being preempted by the writer thread it wakes on a busy
    // machine; the thread's own processor time is what the handover costs.
    Print("GUI thread: the same, processor time of the thread", snapshotCpu);
    std::vector<double> total;
    for (size_t i = 0; i < change.size(); ++i)
        total.push_back(change[i] + snapshot[i]);
    Print("GUI thread: change + snapshot", total);

    // The writer thread's part: format, write, fsync, rename, fsync the folder.
    TJournalSnapshot state{w.JournalSnapshot().Rows, {}};
    TJournal writer(settings.dir.filePath("writer"));
    writer.SetSource([&] { return state; });
    writer.Begin();
    std::vector<double> write;
    for (int i = 0; i < 30; ++i) {
        writer.Changed();
        const auto t0 = NowNs();
        writer.Flush();
        write.push_back(Us(NowNs() - t0) / 1000.0);
    }
    Print("writer thread: one journal of 1,000 rows", write, "ms");
    std::printf("journal file: %lld bytes\n", QFileInfo(writer.JournalFile()).size());

    // STOP and tick with the journal attached and without, same run, interleaved.
    TAppParts partsA(settings.Store()), partsB(settings.Store());
    TFormMain withJournal(partsA, nullptr), without(partsB, nullptr);
    TJournal j2(settings.dir.filePath("j2"));
    withJournal.StartJournal(j2);
    for (TFormMain* f : {&withJournal, &without}) {
        f->SetVid(1);
        f->Settings.CountZabegov = 6;
        f->Settings.AutoTime = 99000;
        f->LoadProtocolRows(Participants(Rows), QStringLiteral("Bench.txt"));
    }
    std::vector<double> stopJ, tickJ, stopN, tickN;
    for (int round = 0; round < 20; ++round) {
        RunCosts(withJournal, stopJ, tickJ, 10);
        RunCosts(without, stopN, tickN, 10);
    }
    Print("STOP1 handler, journal attached", stopJ);
    Print("STOP1 handler, no journal", stopN);
    Print("clock tick, journal attached", tickJ);
    Print("clock tick, no journal", tickN);
    std::printf("ratio STOP %.3f, tick %.3f (journal / none, medians)\n",
                Stats(stopJ).median / Stats(stopN).median,
                Stats(tickJ).median / Stats(tickN).median);
    j2.Flush();
    return 0;
}
