// The competition's side of the finals: ranking by best run, the stopped milliseconds kept for
// each run, the bracket as a mode driven through the competition, and what the journal keeps.
#include "core/Competition.h"
#include "core/TimeFormat.h"
#include "persist/Journal.h"

#include <QtTest>

namespace {
// "6.00" is the cell "6,00"; "6.00@6004" the same recorded from 6004 ms; "DIS" the
// disqualification; "" an empty run.
QString Cell(const QString& run) {
    if (run == "DIS") return QStringLiteral("DIS.");
    const double seconds = run.section('@', 0, 0).toDouble();
    return run.isEmpty() ? QString() : FormatTime(int(std::lround(seconds * 1000)), tfMinutes, ',');
}

std::optional<std::int32_t> ExactOf(const QString& run) {
    if (!run.contains('@')) return std::nullopt;
    return run.section('@', 1).toInt();
}

int EntryOf(const TCompetition& c, const QString& stNr) {
    for (int e = 0; e < c.EntryCount(); ++e)
        if (!c.IsDummy(e) && c.Cell(e, Col::StNr) == stNr) return e;
    return -1;
}

// Loads "number/run1/run2 ..." (one participant a word) and gives the runs written with "@"
// their stopped milliseconds.
void Load(TCompetition& c, const QString& people) {
    TProtocolRows rows{TCompetition::DefaultColumnTitles()};
    for (const QString& p : people.split(' ')) {
        QStringList r(Col::Count);
        const QStringList f = p.split('/');
        r[Col::StNr] = f[0];
        r[Col::Name] = "N" + f[0];
        for (int i = 1; i < f.size(); ++i)
            r[Col::Turm1 + i - 1] = Cell(f[i]);
        rows.push_back(r);
    }
    QVERIFY(c.Load(rows));
    for (int row = 1; row < rows.size(); ++row)
        for (int i = 1; i < 7; ++i)
            if (const auto ms = ExactOf(people.section(' ', row - 1, row - 1).section('/', i, i)))
                QVERIFY(c.SetExactMs(EntryOf(c, rows[row][Col::StNr]), i - 1, *ms));
    c.Recompute();
}

// n climbers 1..n, climber i qualified with two runs of 5 s + i tenths.
QString Field(int n) {
    QStringList people;
    for (int i = 1; i <= n; ++i)
        people << QStringLiteral("%1/%2/%2").arg(i).arg(5.0 + i / 10.0, 0, 'f', 2);
    return people.join(' ');
}

QString Nr(const TCompetition& c, int e) {
    return e < 0 ? QStringLiteral("-") : c.Cell(e, Col::StNr);
}

// "number:place" in ranking order, "-" for no place.
QString Ranking(const TCompetition& c) {
    QStringList out;
    for (int e : c.RankingOrder())
        if (!c.IsDummy(e))
            out << Nr(c, e) + ':' + (c.Place(e) > 0 ? QString::number(c.Place(e)) : "-");
    return out.join(' ');
}

QString Tracks(const TCompetition& c) {
    return Nr(c, c.TrackEntry(0)) + '-' + Nr(c, c.TrackEntry(1));
}

QString FinalPlaces(const TCompetition& c) {
    QStringList out;
    for (const auto& [entry, place] : c.FinalPlaces())
        out << Nr(c, entry) + ':' + QString::number(place);
    return out.join(' ');
}

// One heat as the window runs it: START, the STOPs ("DIS" is stopped, then disqualified; "-"
// is never stopped), RESET.
// "abort a b": the lanes stop, then the run is aborted (ABBRECHEN), which decides nothing.
void RaceHeat(TCompetition& c, QString lanes) {
    const bool abort = lanes.startsWith("abort ");
    if (abort) lanes = lanes.mid(6);
    c.SetHeatRunning(true);
    for (int t = 0; t < 2; ++t) {
        const QString lane = lanes.section(' ', t, t);
        if (lane == "-") continue;
        const QString time = lane == "DIS" ? QStringLiteral("9.99") : lane;
        QVERIFY(c.RecordTime(t, Cell(time), ExactOf(time)));
        if (lane == "DIS") QVERIFY(c.Disqualify(t));
    }
    c.SetHeatRunning(false);
    c.ResetLastCells();
    if (!abort) c.Advance();
}
} // namespace

class TestFinals : public QObject {
    Q_OBJECT
private slots:
    void init() {
        c = std::make_unique<TCompetition>();
        c->SetMode(TCompetition::IndividuellesKlettern);
        c->SetCountZabegov(2);
    }

    // The people " -> " their ranking by "Bestzeit" " = " by "Summe", as it always was.
    void ranking_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("best run, not the sum") << "1/6.00/9.00 2/7.00/7.00 -> 1:1 2:2 = 2:1 1:2";
        QTest::newRow("second best breaks a tie") << "1/6/8 2/7/6 -> 2:1 1:2 = 2:1 1:2";
        QTest::newRow("a DIS leaves the other run") << "1/DIS/6.5 2/6.6/6.7 -> 1:1 2:2 = 2:1 1:-";
        QTest::newRow("DIS in every run") << "1/DIS/DIS 2/9.00/9.10 -> 2:1 1:- = 2:1 1:-";
        QTest::newRow("nothing valid") << "1// 2/8.00/DIS -> 2:1 1:- = 1:- 2:-";
        QTest::newRow("thousandths break a tie") << "1/6@6004/8 2/6@6001/8 -> 2:1 1:2 = 1:1 2:1";
        QTest::newRow("typed time: the tie stands") << "1/6@6004/8 2/6/8 -> 1:1 2:1 = 1:1 2:1";
        QTest::newRow("of the second run") << "1/6/8@8005 2/8@8002/6 -> 2:1 1:2 = 1:1 2:1";
        QTest::newRow("hundredth before thousandths")
            << "1/6.01@6010/9 2/6.00@6009/9 -> 2:1 1:2 = 2:1 1:2";
        QTest::newRow("ties below a clear place")
            << "1/7/7 2/5/9 3/7/7 4/6 -> 2:1 4:2 1:3 3:3 = 1:1 2:1 3:1 4:-";
    }
    void ranking() {
        QFETCH(QString, row);
        c->SetRankingRule(TCompetition::RankByBest);
        Load(*c, row.section(" -> ", 0, 0));
        const QString best = Ranking(*c);
        c->SetRankingRule(TCompetition::RankBySum);
        c->Recompute();
        QCOMPARE(best + " = " + Ranking(*c), row.section(" -> ", 1));
        c->SetRankingRule(7); // no such rule: "Summe"
        QCOMPARE(c->RankingRule(), int(TCompetition::RankBySum));
    }

    void exactMs_data() {
        QTest::addColumn<int>("exact");    // recorded with the time 6,00
        QTest::addColumn<QString>("edit"); // then typed into that cell ("" no edit)
        QTest::addColumn<int>("kept");     // -1 none
        QTest::newRow("kept") << 6004 << "" << 6004;
        QTest::newRow("another hundredth: refused") << 6014 << "" << -1;
        QTest::newRow("edited to another time") << 6004 << "6,01" << -1;
        QTest::newRow("edited to the same text") << 6004 << "6,00" << 6004;
        QTest::newRow("edited to DIS") << 6004 << "DIS." << -1;
    }
    void exactMs() {
        QFETCH(int, exact);
        QFETCH(QString, edit);
        QFETCH(int, kept);
        Load(*c, "1 2");
        QVERIFY(c->RecordTime(0, Cell("6.00"), exact));
        QCOMPARE(c->Cell(0, Col::Turm1), Cell("6.00")); // the protocol keeps hundredths
        if (!edit.isEmpty()) QVERIFY(c->SetCell(0, Col::Turm1, edit));
        QCOMPARE(c->ExactMs(0, 0), kept < 0 ? std::nullopt : std::optional<std::int32_t>(kept));
    }

    void enterFinals_data() {
        QTest::addColumn<QString>("people");
        QTest::addColumn<int>("from"); // the mode before
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("expected"); // the tracks " | " a piece of BracketNote()
        QTest::newRow("8 of 8") << Field(8) << 2 << 8 << true << "1-8 | ";
        QTest::newRow("from Qualifikation, no dummy") << Field(8) << 0 << 16 << true << "1-8 | ";
        QTest::newRow("cut to 4") << Field(9) << 1 << 4 << true << "1-4 | ";
        QTest::newRow("nobody ranked") << "1 2 3" << 0 << 16 << false << "1-0 | mindestens 2";
        QTest::newRow("one ranked") << "1/5/5 2 3/DIS/DIS" << 2 << 16 << false << "1-2 | es gibt 1";
        // 4 and 5 tie for the last place; 5, loaded first, is in, and both are named.
        QTest::newRow("a tie at the cut")
            << "1/5.0/5 2/5.1/5.1 3/5.2/5.2 5/5.5/5.5 4/5.5/5.5" << 1 << 4 << true
            << "1-5 | Platz 4 an der Grenze des Finales. Nach der Reihenfolge der Rangliste im "
               "Finale: 5 N5; nicht im Finale: 4 N4.";
    }
    void enterFinals() {
        QFETCH(int, from);
        QFETCH(int, size);
        QFETCH(bool, ok);
        QFETCH(QString, expected);
        c->SetMode(from);
        c->SetBracketSize(size);
        QFETCH(QString, people);
        Load(*c, people);
        const TProtocolRows before = c->Rows(TCompetition::ForExitCopy);
        QCOMPARE(c->SetMode(TCompetition::FinaleKo), ok);
        QCOMPARE(c->Mode(), ok ? int(TCompetition::FinaleKo) : from);
        QCOMPARE(Tracks(*c), expected.section(" | ", 0, 0));
        const QString note = expected.section(" | ", 1);
        QVERIFY2(c->BracketNote().contains(note), qPrintable(c->BracketNote()));
        QCOMPARE(c->BracketNote().isEmpty(), note.isEmpty());
        if (!ok) QCOMPARE(c->Rows(TCompetition::ForExitCopy), before); // nothing lost or moved
        if (ok) QCOMPARE(c->DummyEntry(), -1);
    }

    // Six qualified, four in the bracket: 5 and 6 follow in qualification order; 7 has no
    // qualification result and no place. Heats "laneA laneB" and deletions "del <number>" in
    // order; the pairs on the tracks before each heat " = " the final places.
    void finalsRun_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("expected");
        QTest::newRow("DIS and a missing time lose")
            << "DIS 9.00, - 9.00, 5.00 DIS, DIS DIS"
            << "1-4 2-3 1-2 3-4 = 3:1 4:2 1:3 2:4 5:5 6:6 7:0";
        QTest::newRow("thousandths decide a tie")
            << "6.00@6008 6.00@6002, 5 6, 5 6, 7.00@7001 7.00@7000"
            << "1-4 2-3 1-3 2-4 = 4:1 2:2 1:3 3:4 5:5 6:6 7:0";
        QTest::newRow("a typed tie: earlier rounds, then the seed")
            << "6.00 6.00@6002, 5.50 6, 5 6, 7.00 7.00@7000"
            << "1-4 2-3 3-4 1-2 = 2:1 1:2 3:3 4:4 5:5 6:6 7:0";
        // An aborted run's times are gone: lane A, stopped at 5.00 then, has no time after.
        QTest::newRow("an aborted run counts nothing")
            << "abort 5 9, - 9.00, 5 6, 5 6, 5 6"
            << "1-4 1-4 2-3 1-3 2-4 = 2:1 4:2 1:3 3:4 5:5 6:6 7:0";
        // The stopped milliseconds count, not the text: an hour lost from it wins nothing.
        QTest::newRow("an hour is not five seconds")
            << "5.00@3605000 9.00, 5 6, 5 6, 5 6"
            << "1-4 2-3 1-3 2-4 = 2:1 4:2 1:3 3:4 5:5 6:6 7:0";
        // A STOP within 10 ms of START timed nothing: the pair races again.
        QTest::newRow("0,00 decides nothing")
            << "0.00@5 9.00, 5 6, 5 6, 5 6, 5 6"
            << "1-4 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 4:4 5:5 6:6 7:0";
        // A deleted climber loses his open heat: the other side goes on without a run.
        QTest::newRow("deleted on the tracks") << "del 1, 5 6, 5 6"
                                               << "2-3 2-4 = 2:1 4:2 3:3 5:4 6:5 7:0";
        QTest::newRow("deleted before the final") << "5 6, 5 6, del 2, 5 6"
                                                  << "1-4 2-3 3-4 = 1:1 3:2 4:3 5:4 6:5 7:0";
    }
    void finalsRun() {
        QFETCH(QString, steps);
        c->SetBracketSize(4);
        Load(*c, Field(6) + " 7");
        const TProtocolRows protocol = c->Rows(TCompetition::ForExitCopy);
        QVERIFY(c->SetMode(TCompetition::FinaleKo));
        QStringList pairs;
        for (const QString& step : steps.split(", ")) {
            if (step.startsWith("del ")) {
                QVERIFY(c->DeleteEntry(EntryOf(*c, step.mid(4))));
                continue;
            }
            pairs << Tracks(*c);
            RaceHeat(*c, step);
        }
        QVERIFY(c->Bracket().Finished());
        QTEST(pairs.join(' ') + " = " + FinalPlaces(*c), "expected");
        // No finals time went into the protocol.
        if (!steps.contains("del")) QCOMPARE(c->Rows(TCompetition::ForExitCopy), protocol);
    }

    void refusedInTheFinals() {
        Load(*c, Field(4));
        QVERIFY(c->SetMode(TCompetition::FinaleKo));
        QVERIFY(!c->AssignToTrack(0, 1));
        QVERIFY(!c->DoubleClick(2));
        c->Swap();
        c->Advance(); // a RESET with no time decides nothing
        c->SetHeatRunning(true);
        QVERIFY(!c->DeleteEntry(0)); // not while the heat is on
        c->SetHeatRunning(false);
        QCOMPARE(Tracks(*c), QStringLiteral("1-4"));
    }

    void journalRoundTrip_data() {
        QTest::addColumn<int>("raced");
        QTest::addColumn<bool>("rerun");
        // Lanes stopped when the program went down, before the RESET that hands them on.
        QTest::addColumn<QString>("stopped");
        QTest::newRow("half way") << 2 << false << "";
        QTest::newRow("a heat re-run") << 1 << true << "";
        QTest::newRow("both lanes stopped, no RESET yet") << 2 << false << "5.00@5003 6.00";
        QTest::newRow("one lane still climbing") << 2 << false << "5.00@5003 -";
    }
    void journalRoundTrip() {
        QFETCH(int, raced);
        c->SetRankingRule(TCompetition::RankByBest);
        Load(*c, "1/5.00@5004/6.00@6001 2/5.00@5002 3/5.30/5.20@5209 4/6.00 5/6.10@6100");
        QVERIFY(c->SetMode(TCompetition::FinaleKo));
        for (int i = 0; i < raced; ++i)
            RaceHeat(*c, "5.00@5005 5.00@5001");
        QFETCH(bool, rerun);
        if (rerun) QVERIFY(c->RerunHeat(1)); // 4-5; heat 0 is seed 1's bye
        QFETCH(QString, stopped);
        if (!stopped.isEmpty()) {
            c->SetHeatRunning(true);
            for (int t = 0; t < 2; ++t)
                if (const QString lane = stopped.section(' ', t, t); lane != "-")
                    QVERIFY(c->RecordTime(t, Cell(lane), ExactOf(lane)));
        }

        TJournalMeta meta{
            "Cup",         c->Mode(), 2, 0, c->RankingRule(), c->BracketSize(), c->BracketLines(),
            c->ExactRuns()};
        const TJournalMeta back = ParseJournalMeta(FormatJournalMeta(meta));
        QCOMPARE(back, meta);
        // A fresh program: the journal's rows as the window loads them, then its extras.
        TCompetition d;
        d.SetCountZabegov(2);
        d.SetRankingRule(back.Ranking);
        QVERIFY(d.Load(JournalRows(c->Rows(TCompetition::ForExitCopy))));
        QCOMPARE(d.RestoreExactRuns(back.Exact), int(meta.Exact.size()));
        d.Recompute();
        QVERIFY(d.RestoreBracket(back.Bracket));
        QVERIFY(d.SetMode(back.Vid));
        QCOMPARE(Ranking(d), Ranking(*c));
        QCOMPARE(d.BracketLines(), c->BracketLines());
        QCOMPARE(d.ExactMs(EntryOf(d, "3"), 1), std::optional<std::int32_t>(5209));
        // Both lanes in: the restart finds the heat decided as the RESET would have; a lane
        // still open: the heat is raced again.
        if (!stopped.isEmpty()) {
            c->SetHeatRunning(false);
            c->ResetLastCells();
            if (!stopped.contains('-')) c->Advance();
        }
        QCOMPARE(Tracks(d), Tracks(*c));
        QCOMPARE(FinalPlaces(d), FinalPlaces(*c));
    }

    void journalFromBefore() {
        // Written before the finals: no ranking, bracket or thousandths, or broken ones.
        const TJournalMeta m = ParseJournalMeta("Title=Cup\nVid=2\nCountZabegov=2\nKlassCol=0\n"
                                                "Bracket=Seed 1 0 0\nExact=1 9 5000\nExact=x\n"
                                                "BracketSize=12\nRanking=3\n");
        QCOMPARE(m.Vid, 2);
        QCOMPARE(m.Ranking, 0);
        QCOMPARE(m.BracketSize, 8);
        QVERIFY(m.Exact.isEmpty()); // run 9 does not exist, "x" is no value
    }

private:
    std::unique_ptr<TCompetition> c;
};

QTEST_GUILESS_MAIN(TestFinals)
#include "tst_finals.moc"
