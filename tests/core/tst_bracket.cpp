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
    const QStringList parts = text.split('/');
    lane.Kind = TBracket::LaneTime;
    lane.Ms = int(std::lround(parts[0].toDouble() * 1000));
    if (parts.size() == 2) lane.Exact = parts[1].toInt();
    return lane;
}

QString Side(const TBracket::THeat& h, int side) {
    return h.Entry[side] >= 0 ? QString::number(h.Entry[side] + 1) : QStringLiteral("bye");
}

QString Pair(const TBracket::THeat& h) {
    return Side(h, 0) + '-' + Side(h, 1);
}

QString FirstRound(const TBracket& b) {
    QStringList out;
    for (const auto& h : b.Heats())
        if (h.Round == 0) out << Pair(h);
    return out.join(' ');
}

QString Current(const TBracket& b) {
    const int h = b.CurrentHeat();
    return h < 0 ? QStringLiteral("none") : Pair(b.Heats()[h]);
}

// Races every heat to the end: the lane named by policy ('A' or 'B') wins in 5.00 s, the
// other climbs 6.00 s. Returns the pairs in the order they stood on the tracks.
QString RaceOut(TBracket& b, QChar policy) {
    QStringList order;
    for (int guard = 0; guard < 64 && b.CurrentHeat() >= 0; ++guard) {
        const int h = b.CurrentHeat();
        order << Pair(b.Heats()[h]);
        const bool aWins = policy == 'A';
        if (!b.SetResult(h, Lane(aWins ? "5.00" : "6.00"), Lane(aWins ? "6.00" : "5.00")))
            return "refused";
    }
    return order.join(' ');
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
    // --- seeding and byes -----------------------------------------------------------------
    void build_data();
    void build();
    void buildRefusesTooFew_data();
    void buildRefusesTooFew();

    // --- one heat ---------------------------------------------------------------------------
    void heatWinner_data();
    void heatWinner();
    void tieBrokenByEarlierRounds_data();
    void tieBrokenByEarlierRounds();

    // --- the whole bracket ------------------------------------------------------------------
    void racingOrderAndPlaces_data();
    void racingOrderAndPlaces();
    void placesWithinAStageByTime();

    // --- re-runs --------------------------------------------------------------
    void rerun_data();
    void rerun();

    // --- the journal's text -----------------------------------------------------------------
    void linesRoundTrip_data();
    void linesRoundTrip();
    void brokenLines_data();
    void brokenLines();
};

void TestBracket::build_data() {
    QTest::addColumn<int>("starters");
    QTest::addColumn<int>("maxSize");
    QTest::addColumn<int>("size");
    QTest::addColumn<QString>("firstRound");
    QTest::addColumn<QString>("current");
    QTest::newRow("16 of 16") << 16 << 16 << 16 << "1-16 8-9 4-13 5-12 2-15 7-10 3-14 6-11"
                              << "1-16";
    QTest::newRow("20 cut to 16") << 20 << 16 << 16 << "1-16 8-9 4-13 5-12 2-15 7-10 3-14 6-11"
                                  << "1-16";
    QTest::newRow("8 of 8") << 8 << 8 << 8 << "1-8 4-5 2-7 3-6"
                            << "1-8";
    QTest::newRow("9 cut to 8") << 9 << 8 << 8 << "1-8 4-5 2-7 3-6"
                                << "1-8";
    QTest::newRow("4 of 16") << 4 << 16 << 4 << "1-4 2-3"
                             << "1-4";
    // Missing seeds are byes for the best seeds.
    QTest::newRow("13 starters") << 13 << 16 << 16 << "1-bye 8-9 4-13 5-12 2-bye 7-10 3-bye 6-11"
                                 << "8-9";
    QTest::newRow("11 starters") << 11 << 16 << 16 << "1-bye 8-9 4-bye 5-bye 2-bye 7-10 3-bye 6-11"
                                 << "8-9";
    QTest::newRow("5 starters") << 5 << 16 << 8 << "1-bye 4-5 2-bye 3-bye"
                                << "4-5";
    QTest::newRow("3 starters") << 3 << 16 << 4 << "1-bye 2-3"
                                << "2-3";
    // Both semi-finals are byes and nobody is left for the small final: straight to the final.
    QTest::newRow("2 starters") << 2 << 16 << 4 << "1-bye 2-bye"
                                << "1-2";
}

void TestBracket::build() {
    QFETCH(int, starters);
    QFETCH(int, maxSize);
    const TBracket b = Starters(starters, maxSize);
    QTEST(b.Size(), "size");
    QTEST(FirstRound(b), "firstRound");
    QTEST(Current(b), "current");
    // The heats in racing order end with the small final and then the big final.
    QVERIFY(b.Heats()[b.Heats().size() - 2].SmallFinal);
    QCOMPARE(b.Heats().last().Round, b.Rounds() - 1);
}

void TestBracket::buildRefusesTooFew_data() {
    QTest::addColumn<QVector<int>>("entries");
    QTest::newRow("nobody") << QVector<int>{};
    QTest::newRow("one") << QVector<int>{3};
    QTest::newRow("one and a no-entry") << QVector<int>{3, -1};
}

void TestBracket::buildRefusesTooFew() {
    QFETCH(QVector<int>, entries);
    QVector<TBracket::TSeed> ranked;
    for (int e : entries)
        ranked.push_back({e, 1000});
    QString error;
    QVERIFY(!TBracket::Build(ranked, 16, &error));
    QVERIFY(error.contains(QString::number(entries.count(3))));
}

void TestBracket::heatWinner_data() {
    QTest::addColumn<QString>("laneA"); // seed 1
    QTest::addColumn<QString>("laneB"); // seed 4
    QTest::addColumn<int>("winner");    // the seed that goes on
    QTest::newRow("faster B") << "6.00"
                              << "5.99" << 4;
    QTest::newRow("faster A") << "5.99"
                              << "6.00" << 1;
    QTest::newRow("same hundredth, exact decides") << "6.001/6004"
                                                   << "6.001/6001" << 4;
    QTest::newRow("thousandths below the hundredth") << "6.009/6009"
                                                     << "6.00/6000" << 4;
    QTest::newRow("exact on one lane only: seed") << "6.00/6004"
                                                  << "6.00" << 1;
    QTest::newRow("typed times tie: seed") << "6.00"
                                           << "6.00" << 1;
    QTest::newRow("DIS loses to a slow time") << "DIS"
                                              << "59.99" << 4;
    QTest::newRow("no time loses") << "-"
                                   << "59.99" << 4;
    QTest::newRow("both DIS: better seed") << "DIS"
                                           << "DIS" << 1;
    QTest::newRow("none and DIS: better seed") << "-"
                                               << "DIS" << 1;
    QTest::newRow("A faster, B DIS") << "7.00"
                                     << "DIS" << 1;
}

void TestBracket::heatWinner() {
    QFETCH(QString, laneA);
    QFETCH(QString, laneB);
    QFETCH(int, winner);
    TBracket b = Starters(4);
    QCOMPARE(Current(b), QStringLiteral("1-4"));
    QVERIFY(b.SetResult(0, Lane(laneA), Lane(laneB)));
    const auto& h = b.Heats()[0];
    QCOMPARE(h.Entry[h.Winner] + 1, winner);
    // The loser of a semi-final races the small final, the winner the big one.
    b.SetResult(1, Lane("5.00"), Lane("6.00"));
    const auto& small = b.Heats()[2];
    const auto& big = b.Heats()[3];
    const int loser = winner == 1 ? 4 : 1;
    QVERIFY(small.Entry[0] + 1 == loser || small.Entry[1] + 1 == loser);
    QVERIFY(big.Entry[0] + 1 == winner || big.Entry[1] + 1 == winner);
}

void TestBracket::tieBrokenByEarlierRounds_data() {
    QTest::addColumn<QString>("semi1"); // seed 1's time in the semi-final (seed 4: 9.99)
    QTest::addColumn<QString>("semi2"); // seed 2's time in the semi-final (seed 3: 9.99)
    QTest::addColumn<QString>("final1");
    QTest::addColumn<QString>("final2");
    QTest::addColumn<int>("champion");
    QTest::newRow("seed 2 was faster before") << "6.00"
                                              << "5.50"
                                              << "7.00"
                                              << "7.00" << 2;
    QTest::newRow("seed 1 was faster before") << "5.50"
                                              << "6.00"
                                              << "7.00"
                                              << "7.00" << 1;
    QTest::newRow("equal before: seed") << "5.50"
                                        << "5.50"
                                        << "7.00"
                                        << "7.00" << 1;
    // The final itself is the fastest run of seed 2: this round counts too.
    QTest::newRow("this round counts") << "6.00"
                                       << "5.90"
                                       << "5.80"
                                       << "5.80" << 1;
    QTest::newRow("thousandths before earlier rounds") << "6.00"
                                                       << "5.50"
                                                       << "7.00/7003"
                                                       << "7.00/7008" << 1;
    QTest::newRow("no tie") << "5.00"
                            << "6.00"
                            << "7.01"
                            << "7.00" << 2;
}

void TestBracket::tieBrokenByEarlierRounds() {
    QFETCH(QString, semi1);
    QFETCH(QString, semi2);
    QFETCH(QString, final1);
    QFETCH(QString, final2);
    TBracket b = Starters(4);
    QVERIFY(b.SetResult(0, Lane(semi1), Lane("9.99")));
    QVERIFY(b.SetResult(1, Lane(semi2), Lane("9.99")));
    QVERIFY(b.SetResult(2, Lane("9.00"), Lane("9.50")));
    QCOMPARE(Current(b), QStringLiteral("1-2"));
    QVERIFY(b.SetResult(3, Lane(final1), Lane(final2)));
    QVERIFY(b.Finished());
    QTEST(b.Places().first().first + 1, "champion");
}

void TestBracket::racingOrderAndPlaces_data() {
    QTest::addColumn<int>("starters");
    QTest::addColumn<QChar>("policy");
    QTest::addColumn<QString>("order");
    QTest::addColumn<QString>("places");
    QTest::newRow("4, favourites") << 4 << QChar('A') << "1-4 2-3 3-4 1-2"
                                   << "1:1 2:2 3:3 4:4";
    QTest::newRow("4, outsiders") << 4 << QChar('B') << "1-4 2-3 1-2 3-4"
                                  << "1:4 2:3 3:2 4:1";
    QTest::newRow("8, favourites") << 8 << QChar('A') << "1-8 4-5 2-7 3-6 1-4 2-3 3-4 1-2"
                                   << "1:1 2:2 3:3 4:4 5:5 6:6 7:7 8:8";
    // Quarter-final losers all lost in 6.00: the seed orders them.
    QTest::newRow("8, outsiders") << 8 << QChar('B') << "1-8 4-5 2-7 3-6 5-8 6-7 5-6 7-8"
                                  << "1:8 2:7 3:6 4:5 5:1 6:2 7:3 8:4";
    QTest::newRow("5, favourites") << 5 << QChar('A') << "4-5 1-4 2-3 3-4 1-2"
                                   << "1:1 2:2 3:3 4:4 5:5";
    // The semi-final bye leaves nobody to race the small final: seed 2 is third unraced.
    QTest::newRow("3, outsiders") << 3 << QChar('B') << "2-3 1-3"
                                  << "1:3 2:1 3:2";
    QTest::newRow("2") << 2 << QChar('A') << "1-2"
                       << "1:1 2:2";
    QTest::newRow("16, favourites")
        << 16 << QChar('A')
        << "1-16 8-9 4-13 5-12 2-15 7-10 3-14 6-11 1-8 4-5 2-7 3-6 1-4 2-3 3-4 1-2"
        << "1:1 2:2 3:3 4:4 5:5 6:6 7:7 8:8 9:9 10:10 11:11 12:12 13:13 14:14 15:15 16:16";
}

void TestBracket::racingOrderAndPlaces() {
    QFETCH(int, starters);
    QFETCH(QChar, policy);
    TBracket b = Starters(starters);
    QVERIFY(b.Places().isEmpty() || starters > 4); // nobody placed before a round is decided
    QTEST(RaceOut(b, policy), "order");
    QVERIFY(b.Finished());
    QTEST(PlacesText(b), "places");
}

void TestBracket::placesWithinAStageByTime() {
    TBracket b = Starters(8);
    // Quarter-finals: the favourites win; the losers lose in 7.00, 6.50, DIS and 6.80.
    const QStringList lost{"7.00", "6.50", "DIS", "6.80"};
    for (int i = 0; i < 4; ++i) {
        QVERIFY(b.SetResult(b.CurrentHeat(), Lane("5.00"), Lane(lost[i])));
        // A stage is placed only once all of it is decided.
        if (i < 3) QVERIFY(b.Places().isEmpty());
    }
    QCOMPARE(PlacesText(b), QStringLiteral("5:5 6:6 7:8 8:7"));
}

void TestBracket::rerun_data() {
    QTest::addColumn<int>("raced"); // heats raced before the re-run (favourites win)
    QTest::addColumn<int>("heat");
    QTest::addColumn<bool>("ok");
    QTest::addColumn<QString>("current"); // after the re-run (or the refusal)
    QTest::newRow("last heat") << 1 << 0 << true << "1-4";
    QTest::newRow("an earlier heat, winner not raced since") << 2 << 0 << true << "1-4";
    QTest::newRow("winner raced since") << 4 << 0 << false << "none";
    QTest::newRow("small final raced since") << 3 << 1 << false << "1-2";
    QTest::newRow("the final") << 4 << 3 << true << "1-2";
    QTest::newRow("an open heat") << 0 << 0 << false << "1-4";
    QTest::newRow("no such heat") << 1 << 9 << false << "2-3";
}

void TestBracket::rerun() {
    QFETCH(int, raced);
    QFETCH(int, heat);
    QFETCH(bool, ok);
    TBracket b = Starters(4);
    for (int i = 0; i < raced; ++i)
        b.SetResult(b.CurrentHeat(), Lane("5.00"), Lane("6.00"));
    const QStringList before = b.ToLines();
    QCOMPARE(b.Rerun(heat), ok);
    QTEST(Current(b), "current");
    if (!ok) {
        QCOMPARE(b.ToLines(), before); // a refused re-run changes nothing
        return;
    }
    const auto& h = b.Heats()[heat];
    QCOMPARE(h.Voided.size(), 1);
    QCOMPARE(h.Voided[0][0].Ms, 5000);
    QCOMPARE(h.Winner, -1);
    // The re-run decides anew: this time the outsider wins and goes on instead.
    QVERIFY(b.SetResult(heat, Lane("6.00"), Lane("5.00")));
    QCOMPARE(b.Heats()[heat].Winner, 1);
    QCOMPARE(b.Heats()[heat].Voided.size(), 1);
}

void TestBracket::linesRoundTrip_data() {
    QTest::addColumn<int>("starters");
    QTest::addColumn<int>("raced");
    QTest::addColumn<bool>("rerun");
    QTest::newRow("fresh 16") << 16 << 0 << false;
    QTest::newRow("half way with byes") << 11 << 4 << false;
    QTest::newRow("a voided run") << 8 << 3 << true;
    QTest::newRow("finished") << 4 << 4 << false;
}

void TestBracket::linesRoundTrip() {
    QFETCH(int, starters);
    QFETCH(int, raced);
    TBracket b = Starters(starters);
    for (int i = 0; i < raced; ++i)
        b.SetResult(b.CurrentHeat(), Lane(i % 2 ? "5.001/5001" : "DIS"), Lane("5.00/5009"));
    QFETCH(bool, rerun);
    if (rerun) QVERIFY(b.Rerun(raced - 1));
    const auto back = TBracket::FromLines(b.ToLines());
    QVERIFY(back);
    QCOMPARE(back->ToLines(), b.ToLines());
    QCOMPARE(back->CurrentHeat(), b.CurrentHeat());
    QCOMPARE(PlacesText(*back), PlacesText(b));
    for (int i = 0; i < b.Heats().size(); ++i) {
        const auto &x = b.Heats()[i], &y = back->Heats()[i];
        QCOMPARE(y.Entry, x.Entry);
        QCOMPARE(y.Winner, x.Winner);
        QCOMPARE(y.Bye, x.Bye);
        QCOMPARE(y.Voided.size(), x.Voided.size());
        for (int side = 0; side < 2; ++side) {
            QCOMPARE(y.Lane[side].Kind, x.Lane[side].Kind);
            QCOMPARE(y.Lane[side].Exact, x.Lane[side].Exact);
        }
    }
}

void TestBracket::brokenLines_data() {
    QTest::addColumn<QStringList>("lines");
    const QStringList seeds{"Seed 1 0 5000", "Seed 2 1 5010", "Seed 3 2 5020", "Seed 4 3 5030"};
    QTest::newRow("nothing") << QStringList{};
    QTest::newRow("unknown head") << (QStringList{"Bracket 2 4"} + seeds);
    QTest::newRow("size 6") << (QStringList{"Bracket 1 6"} + seeds);
    QTest::newRow("a seed missing") << (QStringList{"Bracket 1 4"} + seeds.mid(0, 3));
    QTest::newRow("a seed twice") << (QStringList{"Bracket 1 4"} + seeds + seeds.mid(0, 1));
    QTest::newRow("one entry, two seeds")
        << QStringList{"Bracket 1 4", "Seed 1 0 1", "Seed 2 0 1", "Seed 3 2 1", "Seed 4 3 1"};
    QTest::newRow("seed out of range") << (QStringList{"Bracket 1 4", "Seed 5 9 1"} + seeds);
    QTest::newRow("heat out of range") << (QStringList{"Bracket 1 4"} + seeds << "Heat 4 - -");
    QTest::newRow("bad lane") << (QStringList{"Bracket 1 4"} + seeds << "Heat 0 5.00 -");
    QTest::newRow("negative time") << (QStringList{"Bracket 1 4"} + seeds << "Heat 0 -5 -");
    QTest::newRow("final raced before the semis")
        << (QStringList{"Bracket 1 4"} + seeds << "Heat 3 5000 6000");
    QTest::newRow("a heat raced twice")
        << (QStringList{"Bracket 1 4"} + seeds << "Heat 0 5000 6000"
                                               << "Heat 0 5000 6000");
    QTest::newRow("a stray line") << (QStringList{"Bracket 1 4"} + seeds << "hello");
    QTest::newRow("an empty line") << (QStringList{"Bracket 1 4"} + seeds << "");
}

void TestBracket::brokenLines() {
    QFETCH(QStringList, lines);
    QVERIFY(!TBracket::FromLines(lines));
}

QTEST_GUILESS_MAIN(TestBracket)
#include "tst_bracket.moc"
