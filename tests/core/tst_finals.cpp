// The competition's side of the speed formats: ranking by best run, the stopped milliseconds
// kept for each run, the finals bracket as a mode driven through the competition, and what
// the journal keeps of them.
#include "core/Competition.h"
#include "persist/Journal.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
// "6.00" is the cell "00:06,00"; "6.00@6004" the same cell recorded from 6004 ms; "DIS" the
// disqualification; "" an empty run.
QString Cell(const QString& run) {
    if (run == "DIS") return QStringLiteral("DIS.");
    if (run.isEmpty()) return QString();
    const int cs = int(std::lround(run.section('@', 0, 0).toDouble() * 100));
    return QStringLiteral("%1:%2,%3")
        .arg(cs / 6000, 2, 10, QChar('0'))
        .arg(cs / 100 % 60, 2, 10, QChar('0'))
        .arg(cs % 100, 2, 10, QChar('0'));
}

// One participant per "start number/run1/run2/...".
TProtocolRows Protocol(const QStringList& people) {
    TProtocolRows rows{TCompetition::DefaultColumnTitles()};
    for (const QString& p : people) {
        const QStringList f = p.split('/');
        QStringList r(Col::Count);
        r[Col::StNr] = f[0];
        r[Col::Name] = "N" + f[0];
        for (int i = 1; i < f.size() && i <= 6; ++i)
            r[Col::Turm1 + i - 1] = Cell(f[i]);
        rows.push_back(r);
    }
    return rows;
}

int EntryOf(const TCompetition& c, const QString& stNr) {
    for (int e = 0; e < c.EntryCount(); ++e)
        if (c.Cell(e, Col::StNr) == stNr) return e;
    return -1;
}

// Loads the people and gives the runs written with "@" their stopped milliseconds.
void Load(TCompetition& c, const QStringList& people) {
    QVERIFY(c.Load(Protocol(people)));
    for (const QString& p : people) {
        const QStringList f = p.split('/');
        for (int i = 1; i < f.size(); ++i)
            if (f[i].contains('@'))
                QVERIFY(c.SetExactMs(EntryOf(c, f[0]), i - 1, f[i].section('@', 1).toInt()));
    }
    c.Recompute();
}

// "number:place" in ranking order, "-" for no place.
QString Ranking(const TCompetition& c) {
    QStringList out;
    for (int e : c.RankingOrder()) {
        if (c.IsDummy(e)) continue;
        const int p = c.Place(e);
        out << c.Cell(e, Col::StNr) + ':' + (p > 0 ? QString::number(p) : QStringLiteral("-"));
    }
    return out.join(' ');
}

// Start numbers on the tracks, "-" for nobody.
QString Tracks(const TCompetition& c) {
    auto who = [&](int t) {
        const int e = c.TrackEntry(t);
        return e < 0 ? QStringLiteral("-") : c.Cell(e, Col::StNr);
    };
    return who(0) + '-' + who(1);
}

QString FinalPlaces(const TCompetition& c) {
    QStringList out;
    for (const auto& [entry, place] : c.FinalPlaces())
        out << c.Cell(entry, Col::StNr) + ':' + QString::number(place);
    return out.join(' ');
}

// n climbers 1..n, climber i qualified with two runs of 5 s + i tenths (ranked 1..n).
QStringList Field(int n) {
    QStringList people;
    for (int i = 1; i <= n; ++i) {
        const QString t = QString::number(5.0 + i / 10.0, 'f', 2);
        people << QStringLiteral("%1/%2/%2").arg(i).arg(t);
    }
    return people;
}

// One finals heat as the window runs it: START, the two STOPs (a "DIS" lane is stopped, then
// disqualified; "-" is never stopped), RESET.
void RaceHeat(TCompetition& c, const QString& laneA, const QString& laneB) {
    c.SetHeatRunning(true);
    const QStringList lanes{laneA, laneB};
    for (int t = 0; t < 2; ++t) {
        if (lanes[t] == "-") continue;
        const QString time = lanes[t] == "DIS" ? QStringLiteral("9.99") : lanes[t];
        const std::optional<std::int32_t> exact =
            time.contains('@') ? std::optional<std::int32_t>(time.section('@', 1).toInt())
                               : std::nullopt;
        QVERIFY(c.RecordTime(t, Cell(time), exact));
        if (lanes[t] == "DIS") QVERIFY(c.Disqualify(t));
    }
    c.SetHeatRunning(false);
    c.ResetLastCells();
    c.Advance();
}
} // namespace

class TestFinals : public QObject {
    Q_OBJECT
private slots:
    void init();

    // --- ranking by best run ------------------------------------------------------------------
    void ranking_data();
    void ranking();
    void rankingRuleSetting_data();
    void rankingRuleSetting();

    // --- the stopped milliseconds -------------------------------------------------------------
    void exactMs_data();
    void exactMs();

    // --- the finals mode ----------------------------------------------------------------------
    void enterFinals_data();
    void enterFinals();
    void finalsRun_data();
    void finalsRun();
    void trackCommandsRefused();
    void abortedRunForgetsLanes();
    void deletedMidBracket_data();
    void deletedMidBracket();
    void bracketKeptOrDropped_data();
    void bracketKeptOrDropped();

    // --- the journal --------------------------------------------------------------------------
    void journalRoundTrip_data();
    void journalRoundTrip();
    void journalMetaFromBefore();

private:
    TCompetition* c = nullptr;
    std::unique_ptr<TCompetition> owner;
};

void TestFinals::init() {
    owner = std::make_unique<TCompetition>();
    c = owner.get();
    c->SetMode(TCompetition::IndividuellesKlettern);
    c->SetCountZabegov(2);
}

void TestFinals::ranking_data() {
    QTest::addColumn<QStringList>("people");
    QTest::addColumn<QString>("best"); // "Bestzeit"
    QTest::addColumn<QString>("sum");  // "Summe", as it always was
    QTest::newRow("the best run, not the sum")
        << QStringList{"1/6.00/9.00", "2/7.00/7.00"} << "1:1 2:2"
        << "2:1 1:2";
    QTest::newRow("second best breaks a tie")
        << QStringList{"1/6.00/8.00", "2/7.00/6.00"} << "2:1 1:2"
        << "2:1 1:2";
    QTest::newRow("one DIS leaves the other run")
        << QStringList{"1/DIS/6.50", "2/6.60/6.70"} << "1:1 2:2"
        << "2:1 1:-";
    QTest::newRow("DIS in every run: no result")
        << QStringList{"1/DIS/DIS", "2/9.00/9.10"} << "2:1 1:-"
        << "2:1 1:-";
    QTest::newRow("a missing second run ranks behind one")
        << QStringList{"1/5.00/", "2/6.00/5.00"} << "2:1 1:2"
        << "2:1 1:-";
    QTest::newRow("nothing valid: no result") << QStringList{"1//", "2/8.00/DIS"} << "2:1 1:-"
                                              << "1:- 2:-";
    QTest::newRow("thousandths break a tie")
        << QStringList{"1/6.00@6004/8.00", "2/6.00@6001/8.00"} << "2:1 1:2"
        << "1:1 2:1";
    QTest::newRow("a typed time: the tie stands")
        << QStringList{"1/6.00@6004/8.00", "2/6.00/8.00"} << "1:1 2:1"
        << "1:1 2:1";
    QTest::newRow("three tied, one typed: all share")
        << QStringList{"1/6.00@6009/7.00", "2/6.00@6001/7.00", "3/6.00/7.00"} << "1:1 2:1 3:1"
        << "1:1 2:1 3:1";
    QTest::newRow("thousandths of the second run")
        << QStringList{"1/6.00/8.00@8005", "2/8.00@8002/6.00"} << "2:1 1:2"
        << "1:1 2:1";
    QTest::newRow("the hundredth before the thousandths")
        << QStringList{"1/6.01@6010/9.00", "2/6.00@6009/9.00"} << "2:1 1:2"
        << "2:1 1:2";
    QTest::newRow("ties below a clear place")
        << QStringList{"1/7.00/7.00", "2/5.00/9.00", "3/7.00/7.00", "4/6.00"} << "2:1 4:2 1:3 3:3"
        << "1:1 2:1 3:1 4:-";
}

void TestFinals::ranking() {
    QFETCH(QStringList, people);
    c->SetRankingRule(TCompetition::RankByBest);
    Load(*c, people);
    QTEST(Ranking(*c), "best");
    c->SetRankingRule(TCompetition::RankBySum);
    c->Recompute();
    QTEST(Ranking(*c), "sum");
}

void TestFinals::rankingRuleSetting_data() {
    QTest::addColumn<int>("rule");
    QTest::addColumn<int>("kept");
    QTest::addColumn<QString>("zeit"); // of "1/6.00/9.00"
    QTest::newRow("Summe") << 0 << 0 << "15,00";
    QTest::newRow("Bestzeit") << 1 << 1 << "6,00";
    QTest::newRow("unknown is Summe") << 7 << 0 << "15,00";
    QTest::newRow("negative is Summe") << -1 << 0 << "15,00";
}

void TestFinals::rankingRuleSetting() {
    QFETCH(int, rule);
    c->SetRankingRule(TCompetition::RankByBest);
    c->SetRankingRule(rule);
    QTEST(c->RankingRule(), "kept");
    Load(*c, {"1/6.00/9.00"});
    QTEST(c->Cell(0, Col::Zeit), "zeit");
}

void TestFinals::exactMs_data() {
    QTest::addColumn<int>("exact");    // recorded with the time 00:06,00
    QTest::addColumn<QString>("edit"); // then typed into that cell ("" no edit)
    QTest::addColumn<int>("kept");     // -1 none
    QTest::newRow("kept") << 6004 << "" << 6004;
    QTest::newRow("another hundredth is refused") << 6014 << "" << -1;
    QTest::newRow("negative is refused") << -6000 << "" << -1;
    QTest::newRow("edited to another time") << 6004 << "00:06,01" << -1;
    QTest::newRow("edited to the same text") << 6004 << "00:06,00" << 6004;
    QTest::newRow("edited to DIS") << 6004 << "DIS." << -1;
}

void TestFinals::exactMs() {
    QFETCH(int, exact);
    QFETCH(QString, edit);
    Load(*c, {"1", "2"});
    QVERIFY(c->RecordTime(0, Cell("6.00"), exact));
    QCOMPARE(c->Cell(0, Col::Turm1), Cell("6.00")); // the protocol keeps the hundredths text
    if (!edit.isEmpty()) QVERIFY(c->SetCell(0, Col::Turm1, edit));
    QFETCH(int, kept);
    QCOMPARE(c->ExactMs(0, 0), kept < 0 ? std::nullopt : std::optional<std::int32_t>(kept));
    QCOMPARE(c->ExactMs(0, 1), std::optional<std::int32_t>()); // nothing recorded there
    // Clearing the results drops them all.
    c->ClearResults();
    QCOMPARE(c->ExactMs(0, 0), std::optional<std::int32_t>());
}

void TestFinals::enterFinals_data() {
    QTest::addColumn<QStringList>("people");
    QTest::addColumn<int>("from"); // the mode before
    QTest::addColumn<int>("size");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("tracks");
    QTest::addColumn<QString>("note"); // a piece of BracketNote()
    QTest::newRow("8 of 8") << Field(8) << 2 << 8 << true << "1-8"
                            << "";
    QTest::newRow("from Qualifikation, the dummy goes") << Field(8) << 0 << 16 << true << "1-8"
                                                        << "";
    QTest::newRow("5 get byes") << Field(5) << 0 << 16 << true << "4-5"
                                << "";
    QTest::newRow("cut to 4") << Field(9) << 1 << 4 << true << "1-4"
                              << "";
    QTest::newRow("nobody has a result") << QStringList{"1", "2", "3"} << 0 << 16 << false << "1-0"
                                         << "mindestens 2";
    QTest::newRow("one result") << QStringList{"1/5.00/5.00", "2", "3/DIS/DIS"} << 2 << 16 << false
                                << "1-2"
                                << "es gibt 1";
    // 4 and 5 tie for the last place; the ranking keeps load order, so 5 (loaded first) is in.
    QTest::newRow("a tie at the cut")
        << QStringList{"1/5.00/5.00", "2/5.10/5.10", "3/5.20/5.20", "5/5.50/5.50", "4/5.50/5.50"}
        << 1 << 4 << true << "1-5"
        << "Platz 4";
}

void TestFinals::enterFinals() {
    QFETCH(QStringList, people);
    QFETCH(int, from);
    QFETCH(bool, ok);
    QFETCH(QString, note);
    c->SetMode(from);
    QFETCH(int, size);
    c->SetBracketSize(size);
    Load(*c, people);
    const TProtocolRows before = c->Rows(TCompetition::ForExitCopy);
    QSignalSpy spy(c, &TCompetition::Changed);
    QCOMPARE(c->SetMode(TCompetition::FinaleKo), ok);
    QCOMPARE(c->Mode(), ok ? int(TCompetition::FinaleKo) : from);
    QTEST(Tracks(*c), "tracks");
    QVERIFY(c->BracketNote().contains(note));
    QCOMPARE(c->BracketNote().isEmpty(), note.isEmpty());
    QCOMPARE(c->Bracket().IsEmpty(), !ok);
    QVERIFY(!spy.isEmpty());
    // The window learns of the bracket (or of why there is none) last.
    QCOMPARE(spy.last().at(0).value<TCompetition::TChange>(), TCompetition::BracketChanged);
    if (!ok) {
        QCOMPARE(c->Rows(TCompetition::ForExitCopy), before); // nothing lost, nothing moved
        return;
    }
    QCOMPARE(c->DummyEntry(), -1);
    QCOMPARE(c->CountBahn(), 2);
    if (note.contains("Platz")) {
        // Both tied climbers are named, and who is in.
        QVERIFY(c->BracketNote().contains("5 N5"));
        QVERIFY(c->BracketNote().contains("4 N4"));
        QVERIFY(c->BracketNote().indexOf("5 N5") < c->BracketNote().indexOf("4 N4"));
    }
}

void TestFinals::finalsRun_data() {
    QTest::addColumn<QStringList>("heats"); // "laneA|laneB" per heat, in racing order
    QTest::addColumn<QString>("pairs");     // who stood on the tracks for each heat
    QTest::addColumn<QString>("places");
    // Six qualified, four in the bracket: 5 and 6 follow in qualification order; 7 has no
    // qualification result and no place.
    QTest::newRow("favourites") << QStringList{"5.00|6.00", "5.00|6.00", "5.00|6.00", "5.00|6.00"}
                                << "1-4 2-3 3-4 1-2"
                                << "1:1 2:2 3:3 4:4 5:5 6:6 7:0";
    QTest::newRow("DIS and a missing time lose")
        << QStringList{"DIS|9.00", "-|9.00", "5.00|DIS", "DIS|DIS"} << "1-4 2-3 1-2 3-4"
        << "3:1 4:2 1:3 2:4 5:5 6:6 7:0";
    QTest::newRow("thousandths decide a tie")
        << QStringList{"6.00@6008|6.00@6002", "5.00|6.00", "5.00|6.00", "7.00@7001|7.00@7000"}
        << "1-4 2-3 1-3 2-4"
        << "4:1 2:2 1:3 3:4 5:5 6:6 7:0";
    QTest::newRow("a typed tie: earlier rounds, then the seed")
        << QStringList{"6.00|6.00@6002", "5.50|6.00", "5.00|6.00", "7.00|7.00@7000"}
        << "1-4 2-3 3-4 1-2"
        << "2:1 1:2 3:3 4:4 5:5 6:6 7:0";
}

void TestFinals::finalsRun() {
    QFETCH(QStringList, heats);
    c->SetBracketSize(4);
    Load(*c, Field(6) << "7");
    const TProtocolRows protocol = c->Rows(TCompetition::ForExitCopy);
    QVERIFY(c->SetMode(TCompetition::FinaleKo));
    QStringList pairs;
    for (const QString& h : heats) {
        pairs << Tracks(*c);
        RaceHeat(*c, h.section('|', 0, 0), h.section('|', 1, 1));
    }
    QTEST(pairs.join(' '), "pairs");
    QVERIFY(c->Bracket().Finished());
    QCOMPARE(Tracks(*c), QStringLiteral("---")); // nobody left to race
    QTEST(FinalPlaces(*c), "places");
    // The protocol is the record of the qualification: no finals time went into it.
    QCOMPARE(c->Rows(TCompetition::ForExitCopy), protocol);
}

void TestFinals::trackCommandsRefused() {
    Load(*c, Field(4));
    QVERIFY(c->SetMode(TCompetition::FinaleKo));
    QCOMPARE(Tracks(*c), QStringLiteral("1-4"));
    QVERIFY(!c->AssignToTrack(0, 1));
    QVERIFY(!c->DoubleClick(2));
    c->Swap();
    QCOMPARE(Tracks(*c), QStringLiteral("1-4"));
    // A RESET without any time keeps the pair: no heat is decided by nobody running.
    c->Advance();
    QCOMPARE(Tracks(*c), QStringLiteral("1-4"));
    QCOMPARE(c->Bracket().Heats()[0].Winner, -1);
    // A lane that recorded nothing loses; its stop was never given so DIS cannot mark it.
    c->SetHeatRunning(true);
    QVERIFY(c->RecordTime(1, Cell("7.00"), 7000));
    QVERIFY(!c->Disqualify(0));
    c->SetHeatRunning(false);
    c->ResetLastCells();
    c->Advance();
    QCOMPARE(c->Bracket().Heats()[0].Winner, 1);
    QCOMPARE(Tracks(*c), QStringLiteral("2-3"));
}

void TestFinals::abortedRunForgetsLanes() {
    Load(*c, Field(4));
    QVERIFY(c->SetMode(TCompetition::FinaleKo));
    c->SetHeatRunning(true);
    QVERIFY(c->RecordTime(0, Cell("5.00"), 5003));
    QCOMPARE(c->PendingLane(0)->Exact, std::optional<std::int32_t>(5003));
    // ABBRECHEN: back to Ready without a move; the next START begins the heat afresh.
    c->SetHeatRunning(false);
    c->ResetLastCells();
    c->SetHeatRunning(true);
    QVERIFY(!c->PendingLane(0));
    QVERIFY(c->RecordTime(1, Cell("6.00"), 6000));
    c->SetHeatRunning(false);
    c->ResetLastCells();
    c->Advance();
    // Only the second start's time counted: lane A had none and lost.
    QCOMPARE(c->Bracket().Heats()[0].Winner, 1);
}

void TestFinals::deletedMidBracket_data() {
    QTest::addColumn<int>("raced");
    QTest::addColumn<QString>("deleted"); // start number
    QTest::addColumn<bool>("running");
    QTest::addColumn<QString>("tracks");
    QTest::addColumn<QString>("places"); // favourites win the rest
    QTest::newRow("on the tracks") << 0 << "1" << false << "2-3"
                                   << "2:1 4:2 3:3 5:4 6:5";
    QTest::newRow("on the tracks, running: refused") << 0 << "1" << true << "1-4"
                                                     << "1:1 2:2 3:3 4:4 5:5 6:6";
    QTest::newRow("waiting for the final") << 2 << "2" << false << "3-4"
                                           << "1:1 3:2 4:3 5:4 6:5";
    QTest::newRow("outside the bracket") << 1 << "5" << false << "2-3"
                                         << "1:1 2:2 3:3 4:4 6:5";
}

void TestFinals::deletedMidBracket() {
    QFETCH(int, raced);
    QFETCH(QString, deleted);
    QFETCH(bool, running);
    c->SetBracketSize(4);
    Load(*c, Field(6));
    QVERIFY(c->SetMode(TCompetition::FinaleKo));
    for (int i = 0; i < raced; ++i)
        RaceHeat(*c, "5.00", "6.00");
    c->SetHeatRunning(running);
    QCOMPARE(c->DeleteEntry(EntryOf(*c, deleted)), !running);
    c->SetHeatRunning(false);
    QTEST(Tracks(*c), "tracks");
    for (int guard = 0; guard < 8 && !c->Bracket().Finished(); ++guard)
        RaceHeat(*c, "5.00", "6.00");
    QTEST(FinalPlaces(*c), "places");
}

void TestFinals::bracketKeptOrDropped_data() {
    QTest::addColumn<QString>("action");
    QTest::addColumn<bool>("kept");
    QTest::addColumn<QString>("tracks"); // in the finals after the action
    QTest::newRow("away and back") << "away" << true << "2-3";
    QTest::newRow("away to Qualifikation and back") << "qualifikation" << true << "2-3";
    QTest::newRow("a new protocol") << "load" << false << "4-5";
    QTest::newRow("results cleared") << "clear" << false << "---";
    QTest::newRow("rebuilt") << "rebuild" << false << "1-4";
    QTest::newRow("its heat re-run") << "rerun" << false << "1-4";
}

void TestFinals::bracketKeptOrDropped() {
    QFETCH(QString, action);
    Load(*c, Field(4));
    QVERIFY(c->SetMode(TCompetition::FinaleKo));
    RaceHeat(*c, "5.00", "6.00");
    const QStringList before = c->BracketLines();
    if (action == "away" || action == "qualifikation") {
        QVERIFY(
            c->SetMode(action == "away" ? TCompetition::Paarrennen : TCompetition::Qualifikation));
        QVERIFY(c->SetMode(TCompetition::FinaleKo));
    } else if (action == "load") {
        Load(*c, Field(5)); // loaded in the finals: seeded from the new protocol
    } else if (action == "clear") {
        QVERIFY(c->ClearResults());
        QVERIFY(!c->BracketNote().isEmpty());
    } else if (action == "rerun") {
        c->SetHeatRunning(true);
        QVERIFY(!c->RerunHeat(0)); // not while a run is in progress
        c->SetHeatRunning(false);
        QVERIFY(c->RerunHeat(0));
        QCOMPARE(c->Bracket().Heats()[0].Voided.size(), 1);
    } else {
        QVERIFY(c->RebuildBracket());
    }
    QFETCH(bool, kept);
    QCOMPARE(c->BracketLines() == before, kept);
    QTEST(Tracks(*c), "tracks");
}

void TestFinals::journalRoundTrip_data() {
    QTest::addColumn<int>("mode"); // the mode when the journal is written
    QTest::addColumn<int>("raced");
    QTest::newRow("finals half way") << int(TCompetition::FinaleKo) << 2;
    QTest::newRow("finals with a re-run") << int(TCompetition::FinaleKo) << -1;
    QTest::newRow("back in Qualifikation") << int(TCompetition::Qualifikation) << 1;
}

void TestFinals::journalRoundTrip() {
    QFETCH(int, mode);
    QFETCH(int, raced);
    c->SetRankingRule(TCompetition::RankByBest);
    Load(*c, QStringList{"1/5.00@5004/6.00@6001", "2/5.00@5002", "3/5.30/5.20@5209", "4/6.00",
                         "5/6.10@6100"});
    QCOMPARE(Ranking(*c), QStringLiteral("1:1 2:2 3:3 4:4 5:5"));
    QVERIFY(c->SetMode(TCompetition::FinaleKo));
    for (int i = 0; i < std::abs(raced); ++i)
        RaceHeat(*c, "5.00@5005", "5.00@5001");
    if (raced < 0) QVERIFY(c->RerunHeat(1)); // 4-5; heat 0 is seed 1's bye
    QVERIFY(c->SetMode(mode));

    // What the window hands the journal, through the meta file's bytes.
    TJournalMeta meta;
    meta.Vid = c->Mode();
    meta.Ranking = c->RankingRule();
    meta.BracketSize = c->BracketSize();
    meta.Bracket = c->BracketLines();
    meta.Exact = c->ExactRuns();
    const TJournalMeta back = ParseJournalMeta(FormatJournalMeta(meta));
    QCOMPARE(back, meta);
    const TProtocolRows rows = JournalRows(c->Rows(TCompetition::ForExitCopy));

    // A fresh program: load the journal's rows as the window does, then its extras.
    TCompetition d;
    d.SetMode(TCompetition::Qualifikation); // the window's mode box before the restore
    d.SetCountZabegov(2);
    d.SetRankingRule(back.Ranking);
    d.SetBracketSize(back.BracketSize);
    QVERIFY(d.Load(rows));
    QCOMPARE(d.RestoreExactRuns(back.Exact), int(meta.Exact.size()));
    d.Recompute();
    QVERIFY(d.RestoreBracket(back.Bracket));
    if (back.Vid == TCompetition::FinaleKo) QVERIFY(d.SetMode(TCompetition::FinaleKo));
    QCOMPARE(Ranking(d), Ranking(*c));
    QCOMPARE(d.BracketLines(), c->BracketLines());
    for (const QString nr : {"1", "2", "3", "5"})
        for (int run = 0; run < 2; ++run)
            QCOMPARE(d.ExactMs(EntryOf(d, nr), run), c->ExactMs(EntryOf(*c, nr), run));
    QVERIFY(d.SetMode(TCompetition::FinaleKo));
    QVERIFY(c->SetMode(TCompetition::FinaleKo));
    QCOMPARE(Tracks(d), Tracks(*c));
    QCOMPARE(FinalPlaces(d), FinalPlaces(*c));
}

void TestFinals::journalMetaFromBefore() {
    // A journal written before the formats: no ranking, bracket or thousandths.
    const TJournalMeta m =
        ParseJournalMeta("Title=Cup\nVid=2\nCountZabegov=2\nKlassCol=0\nBracket=Seed 1 0 0\n"
                         "Exact=1 9 5000\nExact=x\nBracketSize=12\nRanking=3\n");
    QCOMPARE(m.Vid, 2);
    QCOMPARE(m.Ranking, 0);
    QCOMPARE(m.BracketSize, 8);
    QVERIFY(m.Exact.isEmpty()); // run 9 does not exist; "x" is no value
    // A broken bracket is refused as a whole and changes nothing.
    Load(*c, Field(4));
    QVERIFY(c->SetMode(TCompetition::FinaleKo));
    const QStringList before = c->BracketLines();
    QVERIFY(!c->RestoreBracket(m.Bracket));
    QVERIFY(!c->RestoreBracket({"Bracket 1 4", "Seed 1 0 0", "Seed 2 1 0", "Seed 3 2 0",
                                "Seed 4 9 0"})); // an entry this protocol does not have
    QCOMPARE(c->BracketLines(), before);
}

QTEST_GUILESS_MAIN(TestFinals)
#include "tst_finals.moc"
