// The competition model alone: recompute, load, delete to the end while ranked, and a whole
// competition, on protocols of six runs with a class column.
#include "BenchSupport.h"
#include "core/Competition.h"
#include "core/TimeFormat.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLocale>
#include <QRandomGenerator>

namespace {
TProtocolRows Protocol(int n, QRandomGenerator& rng) {
    TProtocolRows rows{QStringList(Col::Count)};
    rows.reserve(n + 1);
    for (int i = 1; i <= n; ++i) {
        QStringList r(Col::Count);
        r[Col::StNr] = QString::number(i);
        r[Col::Name] = QStringLiteral("Name %1").arg(i);
        r[Col::Klasse] = QString(QChar('A' + rng.bounded(6)));
        for (int c = Col::Turm1; c <= Col::Turm6; ++c)
            r[c] = rng.bounded(50) == 0 ? QStringLiteral("DIS.")
                                        : FormatTime(5000 + rng.bounded(60000), 1);
        rows.push_back(r);
    }
    return rows;
}

double Ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

void Setup(TCompetition& c) {
    c.SetCountZabegov(6);
    c.SetKlassCol(4);
    c.SetMode(TCompetition::Paarrennen);
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    QRandomGenerator rng(42);

    double recompute10k = 0, coldRecompute10k = 0;
    for (int n : {1000, 10000, 100000}) {
        const TProtocolRows rows = Protocol(n, rng);
        TCompetition c;
        Setup(c);
        std::vector<double> load;
        for (int rep = 0; rep < (n >= 100000 ? 3 : 7); ++rep) {
            QElapsedTimer t;
            t.start();
            c.Load(rows);
            load.push_back(Ms(t));
        }
        std::printf("Load %6d rows (entries, mode, recompute, first heat): median %.1f ms\n", n,
                    Stats(load).median);
        for (bool sorted : {false, true}) {
            c.SetSorted(sorted);
            std::vector<double> ms;
            for (int rep = 0; rep < (n >= 100000 ? 5 : 9); ++rep) {
                // A changed run first, as after a heat: the results are not all as before.
                c.SetCell(int(rng.bounded(n)), Col::Turm1,
                          FormatTime(5000 + rng.bounded(60000), 1));
                QElapsedTimer t;
                t.start();
                c.Recompute();
                ms.push_back(Ms(t));
            }
            const double median = Stats(ms).median;
            if (n == 10000 && sorted) recompute10k = median;
            std::printf("Recompute %6d rows, %s, one run changed: median %.2f ms\n", n,
                        sorted ? "ranking order" : "load order   ", median);
            std::vector<double> cold;
            for (int rep = 0; rep < (n >= 100000 ? 5 : 9); ++rep) {
                // Every cell read again: a change of time format and class column forgets
                // what earlier recomputes read.
                c.SetTimeFormat(0);
                c.SetTimeFormat(1);
                c.SetKlassCol(3);
                c.SetKlassCol(4);
                QElapsedTimer t;
                t.start();
                c.Recompute();
                cold.push_back(Ms(t));
            }
            std::printf("Recompute %6d rows, %s, every cell read: median %.2f ms\n", n,
                        sorted ? "ranking order" : "load order   ", Stats(cold).median);
            if (n == 10000 && sorted) coldRecompute10k = Stats(cold).median;
            if (n == 100000 && sorted)
                std::printf("  growth 10k -> 100k, every cell read: x%.1f\n",
                            Stats(cold).median / coldRecompute10k);
            if (n == 100000 && sorted)
                std::printf("  growth 10k -> 100k: x%.1f (n log n gives x12.5)\n",
                            median / recompute10k);
        }
    }

    {
        const TProtocolRows rows = Protocol(10000, rng);
        std::vector<double> ms;
        for (int rep = 0; rep < 7; ++rep) {
            TCompetition c;
            Setup(c);
            c.SetSorted(true);
            c.Load(rows);
            QElapsedTimer t;
            t.start();
            const int deleted = c.DeleteRows(0, 65000);
            ms.push_back(Ms(t));
            if (deleted != 9999) std::printf("  unexpected: %d rows deleted\n", deleted);
        }
        std::printf("Delete to the end from row 1 of 10000 ranked rows: median %.2f ms\n",
                    Stats(ms).median);
    }

    {
        // 1,000 participants, "Qualifikation": every one climbs track 1, then track 2, one
        // heat after another, each heat recorded, recomputed and advanced as RESET does.
        TProtocolRows rows{QStringList(Col::Count)};
        for (int i = 1; i <= 1000; ++i) {
            QStringList r(Col::Count);
            r[Col::StNr] = QString::number(i);
            r[Col::Klasse] = QString(QChar('A' + i % 4));
            rows.push_back(r);
        }
        std::vector<double> ms;
        for (int rep = 0; rep < 5; ++rep) {
            TCompetition c;
            c.SetKlassCol(4);
            c.SetMode(TCompetition::Qualifikation);
            QElapsedTimer t;
            t.start();
            c.Load(rows);
            c.SetSorted(true);
            int heats = 0;
            while (c.TrackEntry(0) != c.TrackEntry(1)) {
                c.SetHeatRunning(true);
                c.RecordTime(1, FormatTime(5000 + rng.bounded(60000), 1));
                c.RecordTime(0, FormatTime(5000 + rng.bounded(60000), 1));
                c.Recompute();
                c.SetHeatRunning(false);
                c.ResetLastCells();
                c.Advance();
                ++heats;
            }
            ms.push_back(Ms(t));
            if (heats != 1001) std::printf("  unexpected: %d heats\n", heats);
        }
        std::printf("Competition of 1000 participants x 2 runs (1001 heats, ranked): median "
                    "%.1f ms\n",
                    Stats(ms).median);
    }

    // A recorded time keeps what it changes for undo, on the STOP path: the time itself (with
    // the step it keeps) and an undo of it, on protocols of 200 and 10,000 ranked rows.
    for (int n : {200, 10000}) {
        const TProtocolRows rows = Protocol(n, rng);
        TCompetition c;
        Setup(c);
        c.Load(rows);
        c.SetSorted(true);
        std::vector<double> record, undo;
        for (int rep = 0; rep < 60; ++rep) {
            c.SetCell(c.TrackEntry(0), Col::Turm1 + 2 * (rep % 3), QString()); // a free column
            c.SetHeatRunning(true);
            QElapsedTimer t;
            t.start();
            c.RecordTime(0, FormatTime(5000 + rng.bounded(60000), 1), 7000);
            record.push_back(Ms(t));
            c.SetHeatRunning(false);
            t.start();
            c.Undo();
            undo.push_back(Ms(t));
        }
        std::printf("RecordTime with its undo step, %5d ranked rows: median %.3f ms, max %.3f ms; "
                    "Undo (with recompute) median %.2f ms\n",
                    n, Stats(record).median, Stats(record).max, Stats(undo).median);
    }
    return 0;
}
