// Rules that need no race around them: the order of run cells, a participant's result time,
// a stored window's bounds, and the finals bracket alone (its shape, who wins a heat, the
// racing order to the final places, re-runs, and broken journal texts of it).
#include "core/Bracket.h"
#include "core/Competition.h"
#include "core/RunCells.h"
#include "core/TimeFormat.h"
#include "core/WindowBounds.h"

#include <QLocale>
#include <QtTest>

namespace {
// n starters; seed k is entry k - 1, so a seed reads as entry + 1.
TBracket Starters(int n, int maxSize = 16) {
    QVector<TBracket::TSeed> ranked;
    for (int i = 0; i < n; ++i)
        ranked.push_back({i, 5000 + 10 * i});
    return *TBracket::Build(ranked, maxSize);
}

// "1.23" a lane time of 1230 ms, "1.23/1234" the same with its stopped milliseconds, "DIS" a
// disqualification, "FS@-20" a false start with its reaction, "-" no time.
TBracket::TLane Lane(const QString& text) {
    TBracket::TLane lane;
    if (text.startsWith("FS@")) {
        lane.Kind = TBracket::LaneDis;
        lane.FalseStart = true;
        lane.Reaction = text.mid(3).toInt();
        return lane;
    }
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
    return b.CurrentHeat() < 0 ? QStringLiteral("none") : Pair(b.Heats()[b.CurrentHeat()]);
}

// Races the current heat with "laneA laneB".
bool Race(TBracket& b, const QString& lanes) {
    return b.SetResult(b.CurrentHeat(), Lane(lanes.section(' ', 0, 0)),
                       Lane(lanes.section(' ', 1, 1)));
}

// "place:seed", best first.
QString Places(const TBracket& b) {
    QStringList out;
    for (const auto& [entry, place] : b.Places())
        out << QStringLiteral("%1:%2").arg(place).arg(entry + 1);
    return out.join(' ');
}
} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // The grid's order of run cells and results: shorter texts first, "DIS." after every time,
    // empty cells last.
    void runCellOrder_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<char>("order");
        QTest::addColumn<QString>("b");
        QTest::newRow("shorter time first") << "9,87" << '<' << "12,34";
        QTest::newRow("minutes after seconds") << "12,34" << '<' << "1:02,50";
        QTest::newRow("same length digitwise") << "12,34" << '<' << "12,35";
        QTest::newRow("equal") << "12,34" << '=' << "12,34";
        QTest::newRow("DIS after every time") << "DIS." << '>' << "59:59,99";
        QTest::newRow("dis lower case is DIS") << "dis." << '>' << "1:00,00";
        QTest::newRow("blank after DIS") << "  " << '>' << "DIS.";
        QTest::newRow("empty after a time") << "" << '>' << "9,99";
        QTest::newRow("two blanks: ordinal") << "" << '<' << "   ";
    }
    void runCellOrder() {
        QFETCH(QString, a);
        QFETCH(char, order);
        QFETCH(QString, b);
        const auto sign = [](int c) { return "<=>"[(c > 0) - (c < 0) + 1]; };
        QCOMPARE(sign(CompareRunCells(a, b)), order);
        QCOMPARE(sign(-CompareRunCells(b, a)), order);
    }

    // A participant's result ("Zeit") under "Summe", as the competition computes it and as
    // the grid's rule does; "" is no result, and then no place.
    void resultTime_data() {
        QTest::addColumn<QString>("runs"); // the run cells, separated by '|'
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("zeit");
        QTest::newRow("sum of two") << "12,34|13,00" << 1 << "25,34";
        QTest::newRow("sum into minutes") << "45,00|30,50" << 1 << "1:15,50";
        QTest::newRow("one DIS") << "DIS.|13,00" << 1 << "";
        QTest::newRow("DIS between blanks, lower case") << " dis. |13,00" << 1 << "";
        QTest::newRow("one empty") << "12,34|  " << 1 << "";
        QTest::newRow("DIS without point is a time text") << "DIS|13,00" << 1 << "13,00";
        QTest::newRow("unreadable minutes read 0") << "abc|xyz" << 1 << "";
        QTest::newRow("1:2:3 reads 0") << "1:2:3|5,00" << 1 << "5,00";
        QTest::newRow("blank after the seconds field") << "1 ,00|5,00" << 1 << "5,00";
        QTest::newRow("leading blank still reads") << " 1,00|5,00" << 1 << "6,00";
        QTest::newRow("zero sum") << "0,00" << 1 << "";
        QTest::newRow("negative run") << "-5,00|10,00" << 0 << "";
        QTest::newRow("just below an hour") << "30:00,00|29:59,99" << 1 << "59:59,99";
        QTest::newRow("an hour in two runs is none") << "30:00,00|30:00,00" << 1 << "";
        QTest::newRow("99:99,99 is over an hour") << "99:99,99" << 1 << "";
        QTest::newRow("an hour in seconds is shown") << "1800,00|1800,00" << 0 << "3600,00";
        QTest::newRow("just below the bound") << "21474,83" << 0 << "21474,83";
        QTest::newRow("the bound is none") << "21474,84" << 0 << "";
        QTest::newRow("the bound split over runs") << "10000,00|11474,84" << 0 << "";
        QTest::newRow("one unreadable seconds") << "abc|12,00" << 0 << "";
        QTest::newRow("six unreadable cannot wrap") << "x|x|x|x|x|x" << 0 << "";
        QTest::newRow("50 digits") << QString(50, '9') << 0 << "";
    }
    void resultTime() {
        QFETCH(QString, runs);
        QFETCH(int, format);
        QFETCH(QString, zeit);
        const QStringList cells = runs.split('|');
        const auto r = ResultTime(cells, format);
        QCOMPARE(r ? FormatTime(*r, format) : QString(), zeit);
        TCompetition c;
        c.SetMode(TCompetition::IndividuellesKlettern);
        c.SetTimeFormat(format);
        c.SetCountZabegov(int(cells.size()));
        QStringList row(Col::Count);
        row[Col::StNr] = "1";
        for (int i = 0; i < cells.size(); ++i)
            row[Col::Turm1 + i] = cells[i];
        QVERIFY(c.Load({TCompetition::DefaultColumnTitles(), row}));
        QCOMPARE(c.Cell(0, Col::Zeit), zeit);
        QCOMPARE(c.Place(0), zeit.isEmpty() ? 0 : 1);
    }

    // A stored window's bounds "x y w h" on one or two screens -> the bounds it gets: no
    // bigger than the screens together, and centred on the first when no piece of its title
    // bar is on a screen.
    void windowBounds_data() {
        QTest::addColumn<int>("screens");
        QTest::addColumn<QString>("row");
        QTest::newRow("fits") << 1 << "307 148 893 495 -> 307 148 893 495";
        QTest::newRow("32767 x 32767") << 1 << "0 0 32767 32767 -> 0 0 1920 1040";
        QTest::newRow("two screens bound it together") << 2 << "100 0 5000 5000 -> 100 0 3200 1040";
        QTest::newRow("spanning two screens") << 2 << "10 10 3000 900 -> 10 10 3000 900";
        QTest::newRow("on the second screen") << 2 << "2000 50 893 495 -> 2000 50 893 495";
        QTest::newRow("the second screen gone") << 1 << "2000 50 893 495 -> 513 272 893 495";
        QTest::newRow("far off and huge") << 1 << "-32767 -32767 32767 32767 -> 0 0 1920 1040";
        QTest::newRow("partly off the left") << 1 << "-300 10 893 495 -> -300 10 893 495";
        QTest::newRow("only the last pixels on it") << 1 << "-880 10 893 495 -> 513 272 893 495";
        QTest::newRow("title bar above the screen") << 1 << "100 -200 893 495 -> 513 272 893 495";
        QTest::newRow("no screens: as stored") << 0 << "0 0 32767 32767 -> 0 0 32767 32767";
    }
    void windowBounds() {
        QFETCH(int, screens);
        QFETCH(QString, row);
        const QList<QRect> all{{0, 0, 1920, 1040}, {1920, 0, 1280, 984}};
        const auto rect = [](const QString& t) {
            const QStringList f = t.split(' ');
            return QRect(f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt());
        };
        QCOMPARE(FitWindowToScreens(rect(row.section(" -> ", 0, 0)), all.mid(0, screens)),
                 rect(row.section(" -> ", 1)));
    }

    // The first round, the better seed on lane A and byes for the best; " = " the first heat.
    void bracketShape_data() {
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
        QTest::newRow("2: straight to the final") << 2 << 16 << "1-bye 2-bye = 1-2";
    }
    void bracketShape() {
        QFETCH(int, starters);
        QFETCH(int, maxSize);
        const TBracket b = Starters(starters, maxSize);
        QStringList firstRound;
        for (const auto& h : b.Heats())
            if (h.Round == 0) firstRound << Pair(h);
        QTEST(firstRound.join(' ') + " = " + Current(b), "expected");
    }

    // Heats raced in order among four (1-4, 2-3, the small final, the final): the seed that
    // won the last one.
    void heatWinner_data() {
        QTest::addColumn<QString>("heats");
        QTest::addColumn<int>("winner");
        QTest::newRow("lower time, B") << "6.00 5.99" << 4;
        QTest::newRow("exact on one lane only: seed") << "6.00/6004 6.00" << 1;
        QTest::newRow("DIS loses to a slow time") << "DIS 59.99" << 4;
        QTest::newRow("both invalid: seed") << "- DIS" << 1;
        QTest::newRow("a false start loses to no time") << "FS@50 -" << 4;
        QTest::newRow("two false starts: the earlier release loses") << "FS@-20 FS@30" << 4;
        QTest::newRow("two false starts, B left first") << "FS@60 FS@10" << 1;
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
        // The journal's lines keep what decided it.
        QCOMPARE(TBracket::FromLines(b.ToLines())->Heats()[last].Winner, h.Winner);
    }

    // Heats "laneA laneB" raced in order, the last repeated to the end -> the pairs in racing
    // order " = " the final places.
    void racingOrderAndPlaces_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<QString>("row");
        QTest::newRow("4: the small final before the final")
            << 4 << "6 5 -> 1-4 2-3 1-2 3-4 = 1:4 2:3 3:2 4:1";
        QTest::newRow("8, same times: the seed orders a stage")
            << 8 << "6 5 -> 1-8 4-5 2-7 3-6 5-8 6-7 5-6 7-8 = 1:8 2:7 3:6 4:5 5:1 6:2 7:3 8:4";
        QTest::newRow("8: the faster loser first, a DIS last")
            << 8
            << "5 7,5 6.5,5 DIS,5 6.8,5 6 -> 1-8 4-5 2-7 3-6 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 "
               "4:4 5:5 6:6 7:8 8:7";
        QTest::newRow("5") << 5 << "5 6 -> 4-5 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 4:4 5:5";
        QTest::newRow("3: nobody for the small final") << 3 << "6 5 -> 2-3 1-3 = 1:3 2:1 3:2";
        QTest::newRow("2") << 2 << "5 6 -> 1-2 = 1:1 2:2";
    }
    void racingOrderAndPlaces() {
        QFETCH(int, starters);
        QFETCH(QString, row);
        TBracket b = Starters(starters);
        const QStringList lanes = row.section(" -> ", 0, 0).split(',');
        QStringList order;
        for (int i = 0; i < 32 && !b.Finished(); ++i) {
            order << Current(b);
            QVERIFY(Race(b, lanes[std::min(i, int(lanes.size()) - 1)]));
        }
        QCOMPARE(order.join(' ') + " = " + Places(b), row.section(" -> ", 1));
    }

    void rerun_data() {
        QTest::addColumn<int>("raced"); // heats raced before, lane A winning
        QTest::addColumn<int>("heat");
        QTest::addColumn<QString>("current"); // after the re-run, or "refused"
        QTest::newRow("last heat") << 1 << 0 << "1-4";
        QTest::newRow("earlier heat, its winner not raced since") << 2 << 0 << "1-4";
        QTest::newRow("its winner raced since") << 4 << 0 << "refused";
        QTest::newRow("the final") << 4 << 3 << "1-2";
        QTest::newRow("an open heat") << 0 << 0 << "refused";
        QTest::newRow("no such heat") << 1 << 9 << "refused";
    }
    void rerun() {
        QFETCH(int, raced);
        QFETCH(int, heat);
        QFETCH(QString, current);
        TBracket b = Starters(4);
        for (int i = 0; i < raced; ++i)
            QVERIFY(Race(b, "5.00 6.00"));
        const QStringList before = b.ToLines();
        QCOMPARE(b.Rerun(heat) ? Current(b) : QStringLiteral("refused"), current);
        QCOMPARE(b.ToLines() == before, current == "refused"); // a refusal changes nothing
        if (current == "refused") return;
        // Decided anew: now the outsider goes on, and the voided run stays on record.
        QVERIFY(b.SetResult(heat, Lane("6.00"), Lane("5.00")));
        QCOMPARE(b.Heats()[heat].Winner, 1);
        QCOMPARE(b.Heats()[heat].Voided.size(), 1);
        QCOMPARE(b.Heats()[heat].Voided[0][0].Ms, 5000);
    }

    // Lines separated by '|'; "@" stands for the four seeds of a bracket of 4. A broken text
    // gives no bracket rather than a wrong one.
    void brokenBracketLines_data() {
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
    void brokenBracketLines() {
        QFETCH(QString, lines);
        lines.replace("@", "Seed 1 0 5000|Seed 2 1 5010|Seed 3 2 5020|Seed 4 3 5030");
        QTEST(bool(TBracket::FromLines(lines.isEmpty() ? QStringList() : lines.split('|'))),
              "read");
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
