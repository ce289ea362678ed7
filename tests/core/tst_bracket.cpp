// The finals bracket alone: seeding and byes, who wins a heat, the racing order to the final
// places, re-runs, and the journal's text form (deletions: tst_finals).
#include "core/Bracket.h"

#include <QtTest>

namespace {
// n starters; seed k is entry k - 1, so a seed reads as entry + 1.
TBracket Starters(int n, int maxSize = 16) {
    QVector<TBracket::TSeed> ranked;
    for (int i = 0; i < n; ++i)
        ranked.push_back({i, 5000 + 10 * i});
    const auto b = TBracket::Build(ranked, maxSize);
    if (!b) qFatal("no bracket for %d starters", n);
    return *b;
}

// "1.23" is a time of 1230 ms, "1.23/1234" the same with its exact milliseconds,
// "DIS" a disqualification and "-" no time.
TBracket::TLane Lane(const QString& text) {
    TBracket::TLane lane;
    if (text == "DIS") lane.Kind = TBracket::LaneDis;
    if (text == "DIS" || text == "-") return lane;
    lane.Kind = TBracket::LaneTime;
    lane.Ms = int(std::lround(text.section('/', 0, 0).toDouble() * 1000));
    if (text.contains('/')) lane.Exact = text.section('/', 1).toInt();
    return lane;
}

QString Pair(const TBracket::THeat& h) {
    const auto side = [&](int s) {
        return h.Entry[s] >= 0 ? QString::number(h.Entry[s] + 1) : QStringLiteral("bye");
    };
    return side(0) + '-' + side(1);
}

QString Current(const TBracket& b) {
    const int h = b.CurrentHeat();
    return h < 0 ? QStringLiteral("none") : Pair(b.Heats()[h]);
}

// Races the current heat with "laneA laneB".
bool Race(TBracket& b, const QString& lanes) {
    return b.SetResult(b.CurrentHeat(), Lane(lanes.section(' ', 0, 0)),
                       Lane(lanes.section(' ', 1, 1)));
}

QString PlacesText(const TBracket& b) {
    QStringList out;
    for (const auto& [entry, place] : b.Places())
        out << QStringLiteral("%1:%2").arg(place).arg(entry + 1);
    return out.join(' ');
}

} // namespace

class TestBracket : public QObject {
    Q_OBJECT
private slots:
    // The first round, the better seed on lane A and byes for the best; " = " the heat on
    // the tracks.
    void build_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<QString>("expected");
        const QString all16 = "1-16 8-9 4-13 5-12 2-15 7-10 3-14 6-11 = 1-16";
        QTest::newRow("16") << 16 << 16 << all16;
        QTest::newRow("20 cut to 16") << 20 << 16 << all16;
        QTest::newRow("9 cut to 8") << 9 << 8 << "1-8 4-5 2-7 3-6 = 1-8";
        QTest::newRow("4") << 4 << 16 << "1-4 2-3 = 1-4";
        QTest::newRow("13") << 13 << 16 << "1-bye 8-9 4-13 5-12 2-bye 7-10 3-bye 6-11 = 8-9";
        QTest::newRow("11") << 11 << 16 << "1-bye 8-9 4-bye 5-bye 2-bye 7-10 3-bye 6-11 = 8-9";
        QTest::newRow("5") << 5 << 16 << "1-bye 4-5 2-bye 3-bye = 4-5";
        QTest::newRow("3") << 3 << 16 << "1-bye 2-3 = 2-3";
        // Nobody is left for the small final: straight to the final.
        QTest::newRow("2") << 2 << 16 << "1-bye 2-bye = 1-2";
    }
    void build() {
        QFETCH(int, starters);
        QFETCH(int, maxSize);
        const TBracket b = Starters(starters, maxSize);
        QStringList firstRound;
        for (const auto& h : b.Heats())
            if (h.Round == 0) firstRound << Pair(h);
        QTEST(firstRound.join(' ') + " = " + Current(b), "expected");
    }

    // Heats raced in order among four (1-4, 2-3, the small final, the final); the seed that
    // won the last one.
    void heatWinner_data() {
        QTest::addColumn<QString>("heats");
        QTest::addColumn<int>("winner");
        QTest::newRow("lower time, B") << "6.00 5.99" << 4;
        QTest::newRow("thousandths in one hundredth") << "6.00/6009 6.00/6001" << 4;
        QTest::newRow("exact on one lane only: seed") << "6.00/6004 6.00" << 1;
        QTest::newRow("DIS loses to a slow time") << "DIS 59.99" << 4;
        QTest::newRow("no time loses") << "- 59.99" << 4;
        QTest::newRow("both invalid: seed") << "- DIS" << 1;
        const QString semis = "6.00 9.99,5.50 9.99,9.00 9.50,";
        QTest::newRow("tie: seed 2 faster before") << semis + "7.00 7.00" << 2;
        QTest::newRow("tie: seed 1 faster before") << "5.50 9.99,6.00 9.99,9 9.5,7 7" << 1;
        QTest::newRow("tie: equal before, seed") << "5.50 9.99,5.50 9.99,9 9.5,7 7" << 1;
        QTest::newRow("tie: this round counts") << "6.00 9.99,5.90 9.99,9 9.5,5.80 5.80" << 1;
        QTest::newRow("tie: thousandths first") << semis + "7.00/7003 7.00/7008" << 1;
    }
    void heatWinner() {
        QFETCH(QString, heats);
        TBracket b = Starters(4);
        int last = -1;
        for (const QString& lanes : heats.split(',')) {
            last = b.CurrentHeat();
            QVERIFY(Race(b, lanes));
        }
        const auto& h = b.Heats()[last];
        QTEST(h.Entry[h.Winner] + 1, "winner");
    }

    // Heats "laneA laneB" raced in order, the last repeated to the end; the pairs in racing
    // order " = " the final places.
    void racingOrderAndPlaces_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<QString>("heats");
        QTest::addColumn<QString>("expected");
        // The semi losers race the small final before the final.
        QTest::newRow("4") << 4 << "6 5"
                           << "1-4 2-3 1-2 3-4 = 1:4 2:3 3:2 4:1";
        // Quarter-final losers all lost in 6.00: the seed orders them.
        QTest::newRow("8, same times")
            << 8 << "6 5"
            << "1-8 4-5 2-7 3-6 5-8 6-7 5-6 7-8 = 1:8 2:7 3:6 4:5 5:1 6:2 7:3 8:4";
        // Within a stage the faster loser goes first, a DIS last.
        QTest::newRow("8, losers' times") << 8 << "5 7,5 6.5,5 DIS,5 6.8,5 6"
                                          << "1-8 4-5 2-7 3-6 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 4:4 "
                                             "5:5 6:6 7:8 8:7";
        QTest::newRow("5") << 5 << "5 6"
                           << "4-5 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 4:4 5:5";
        // Nobody to race the small final: seed 2 is third unraced.
        QTest::newRow("3") << 3 << "6 5"
                           << "2-3 1-3 = 1:3 2:1 3:2";
        QTest::newRow("2") << 2 << "5 6"
                           << "1-2 = 1:1 2:2";
    }
    void racingOrderAndPlaces() {
        QFETCH(int, starters);
        QFETCH(QString, heats);
        TBracket b = Starters(starters);
        const QStringList lanes = heats.split(',');
        QStringList order;
        for (int i = 0; i < 32 && !b.Finished(); ++i) {
            order << Current(b);
            QVERIFY(Race(b, lanes[std::min(i, int(lanes.size()) - 1)]));
        }
        QTEST(order.join(' ') + " = " + PlacesText(b), "expected");
    }

    void rerun_data() {
        QTest::addColumn<int>("raced"); // heats raced before (lane A wins)
        QTest::addColumn<int>("heat");
        QTest::addColumn<QString>("current"); // after the re-run, "refused" when refused
        QTest::newRow("last heat") << 1 << 0 << "1-4";
        QTest::newRow("earlier heat, its winner not raced since") << 2 << 0 << "1-4";
        QTest::newRow("winner raced since") << 4 << 0 << "refused";
        QTest::newRow("the final") << 4 << 3 << "1-2";
        QTest::newRow("an open heat") << 0 << 0 << "refused";
        QTest::newRow("no such heat") << 1 << 9 << "refused";
    }
    void rerun() {
        QFETCH(int, raced);
        QFETCH(int, heat);
        TBracket b = Starters(4);
        for (int i = 0; i < raced; ++i)
            QVERIFY(Race(b, "5.00 6.00"));
        const QStringList before = b.ToLines();
        QFETCH(QString, current);
        QCOMPARE(b.Rerun(heat) ? Current(b) : QStringLiteral("refused"), current);
        QCOMPARE(b.ToLines() == before, current == "refused"); // a refusal changes nothing
        if (current == "refused") return;
        QCOMPARE(b.Heats()[heat].Voided.size(), 1);
        QCOMPARE(b.Heats()[heat].Voided[0][0].Ms, 5000);
        // Decided anew: now the outsider goes on, and the voided run stays on record.
        QVERIFY(b.SetResult(heat, Lane("6.00"), Lane("5.00")));
        QCOMPARE(b.Heats()[heat].Winner, 1);
        QCOMPARE(b.Heats()[heat].Voided.size(), 1);
    }

    void linesRoundTrip_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<int>("raced");
        QTest::addColumn<bool>("rerun");
        QTest::newRow("half way with byes") << 11 << 4 << false;
        QTest::newRow("a voided run") << 8 << 3 << true;
        QTest::newRow("finished") << 4 << 4 << false;
    }
    void linesRoundTrip() {
        QFETCH(int, starters);
        QFETCH(int, raced);
        QFETCH(bool, rerun);
        TBracket b = Starters(starters);
        // Lane B wins by its thousandths alone: lost on the way, lane A would win.
        for (int i = 0; i < raced; ++i)
            QVERIFY(Race(b, i % 2 ? "5.00/5009 5.00/5001" : "DIS 5.00/5009"));
        if (rerun) QVERIFY(b.Rerun(raced - 1));
        const auto back = TBracket::FromLines(b.ToLines());
        QVERIFY(back);
        QCOMPARE(back->ToLines(), b.ToLines());
        QCOMPARE(Current(*back) + " = " + PlacesText(*back), Current(b) + " = " + PlacesText(b));
    }

    // Lines separated by '|'; "@" stands for the four seeds of a bracket of 4.
    void fromLines_data() {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("read");
        QTest::newRow("the seeds alone") << "Bracket 1 4|@" << true;
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("a seed missing") << "Bracket 1 4|Seed 1 0 1|Seed 2 1 1|Seed 3 2 1" << false;
        QTest::newRow("a seed twice") << "Bracket 1 4|@|Seed 1 0 5000" << false;
        QTest::newRow("one entry, two seeds")
            << "Bracket 1 4|Seed 1 0 1|Seed 2 0 1|Seed 3 2 1|Seed 4 3 1" << false;
        QTest::newRow("seed out of range") << "Bracket 1 4|Seed 5 9 1|@" << false;
        QTest::newRow("bad lane") << "Bracket 1 4|@|Heat 0 5.00 -" << false;
        QTest::newRow("final before the semis") << "Bracket 1 4|@|Heat 3 5000 6000" << false;
        QTest::newRow("a heat twice") << "Bracket 1 4|@|Heat 0 5000 6000|Heat 0 5000 6000" << false;
        QTest::newRow("an empty line") << "Bracket 1 4|@|" << false;
    }
    void fromLines() {
        QFETCH(QString, lines);
        lines.replace("@", "Seed 1 0 5000|Seed 2 1 5010|Seed 3 2 5020|Seed 4 3 5030");
        QTEST(bool(TBracket::FromLines(lines.isEmpty() ? QStringList() : lines.split('|'))),
              "read");
    }
};

QTEST_GUILESS_MAIN(TestBracket)
#include "tst_bracket.moc"
