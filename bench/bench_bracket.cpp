// The finals bracket on a large field: seeding a 16-bracket from 10,000 ranked climbers (the
// bracket alone, and the competition's rebuild with its ranking), and one finals heat from the
// two STOPs to the next pair on the tracks; brackets per category, 10 categories of 1,000
// climbers each built anew. Targets: build < 20 ms, a heat's advance < 1 ms, the 10 brackets
// < 20 ms.
#include "BenchSupport.h"
#include "core/Competition.h"
#include "core/TimeFormat.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

namespace {
double Ms(const QElapsedTimer& t) {
    return t.nsecsElapsed() / 1e6;
}

TProtocolRows Field(int n, QRandomGenerator& rng) {
    TProtocolRows rows{TCompetition::DefaultColumnTitles()};
    for (int i = 1; i <= n; ++i) {
        QStringList r(Col::Count);
        r[Col::StNr] = QString::number(i);
        r[Col::Name] = QStringLiteral("Name %1").arg(i);
        // Hundredths repeat often in 10,000 times between 5 and 15 s: many ties to break.
        for (int c = Col::Turm1; c <= Col::Turm2; ++c)
            r[c] = rng.bounded(50) == 0 ? QStringLiteral("DIS.")
                                        : FormatTime(5000 + rng.bounded(10000), 1);
        rows.push_back(r);
    }
    return rows;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QRandomGenerator rng(42);
    const int n = 10000;

    // The bracket alone from a ranked list.
    QVector<TBracket::TSeed> ranked;
    for (int i = 0; i < n; ++i)
        ranked.push_back({i, 5000 + i});
    std::vector<double> build;
    for (int rep = 0; rep < 21; ++rep) {
        QElapsedTimer t;
        t.start();
        const auto b = TBracket::Build(ranked, 16);
        build.push_back(Ms(t));
        if (!b || b->Size() != 16) return 1;
    }
    std::printf("TBracket::Build, 16 of %d ranked:            median %.3f ms\n", n,
                Stats(build).median);

    for (int rule : {0, 1}) {
        TCompetition c;
        c.SetCountZabegov(2);
        c.SetRankingRule(rule);
        c.SetBracketSize(16);
        c.SetMode(TCompetition::Paarrennen);
        c.Load(Field(n, rng));
        // Stopped milliseconds for every run, as recorded ones would have.
        for (int e = 0; e < c.EntryCount(); ++e)
            for (int r = 0; r < 2; ++r)
                if (c.Run(e, r).Kind == TCompetition::RunTime)
                    c.SetExactMs(e, r, c.Run(e, r).Ms + int(rng.bounded(10)));
        const char* name = rule == 0 ? "Summe   " : "Bestzeit";
        QElapsedTimer t;
        t.start();
        if (!c.SetMode(TCompetition::FinaleKo)) return 1;
        std::printf("SetMode(FinaleKo), %s, %d entries:     %.3f ms (first, one run)\n", name, n,
                    Ms(t));
        std::vector<double> rebuild;
        for (int rep = 0; rep < 11; ++rep) {
            QElapsedTimer r;
            r.start();
            if (!c.RebuildBracket()) return 1;
            rebuild.push_back(Ms(r));
        }
        std::printf("RebuildBracket, %s, %d entries:        median %.3f ms\n", name, n,
                    Stats(rebuild).median);

        // Heats from the STOPs to the next pair, over the whole bracket; rebuilt when done.
        std::vector<double> heat;
        for (int rep = 0; rep < 45; ++rep) {
            if (c.Bracket().Finished()) c.RebuildBracket();
            QElapsedTimer h;
            h.start();
            c.SetHeatRunning(true);
            c.RecordTime(0, FormatTime(6123, 1), 6123);
            c.RecordTime(1, FormatTime(6127, 1), 6127);
            c.SetHeatRunning(false);
            c.ResetLastCells();
            c.Advance();
            heat.push_back(Ms(h));
        }
        const TStats s = Stats(heat);
        std::printf("finals heat (2 STOPs + RESET), %s:       median %.3f ms, max %.3f ms\n", name,
                    s.median, s.max);
    }

    // Per category: the class column holds ten categories of 1,000 ranked climbers each.
    {
        TProtocolRows rows = Field(n, rng);
        for (int i = 1; i < rows.size(); ++i)
            rows[i][Col::Klasse] = QStringLiteral("Klasse %1").arg(i % 10);
        TCompetition c;
        c.SetBracketSize(16);
        c.SetKlassCol(Col::Klasse + 1);
        c.SetMode(TCompetition::Paarrennen);
        c.Load(rows);
        if (!c.SetMode(TCompetition::FinaleKo) || c.Brackets().size() != 10) return 1;
        std::vector<double> rebuild;
        for (int rep = 0; rep < 11; ++rep) {
            QElapsedTimer r;
            r.start();
            if (!c.RebuildBracket() || c.Brackets().size() != 10) return 1;
            rebuild.push_back(Ms(r));
        }
        std::printf("RebuildBracket, 10 categories of %d:        median %.3f ms\n", n / 10,
                    Stats(rebuild).median);
    }
    return 0;
}
