// Whole competitions run with keys: heat order, recording columns, DIS, ranking.
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QLocale>
#include <QToolButton>
#include <QtTest>

namespace {
using Heat = QPair<int, int>; // list indexes of track 1 and track 2

Heat Current(const TFormMain& w) {
    return {w.cbBuhn1->currentIndex(), w.cbBuhn2->currentIndex()};
}

// One heat: start, stop track 2 after t2 ms, track 1 after t1 ms, reset.
void RunHeat(TWindowFixture& f, int t1, int t2, bool reset = true) {
    f.Key(Qt::Key_F8);
    f.clock.advance(t2);
    f.Key(Qt::Key_F6);
    f.clock.advance(t1 - t2);
    f.Key(Qt::Key_F4);
    if (reset) f.Key(Qt::Key_F9);
}

QString Cell(const TFormMain& w, const QString& stNr, int col) {
    const int r = w.SortGrid1->FindInColumn(Col::StNr, stNr, false);
    return r < 0 ? QStringLiteral("<none>") : w.SortGrid1->Cells(col, r);
}

QStringList Column(const TFormMain& w, int col) {
    QStringList out;
    for (int r = 1; r < w.SortGrid1->RowCount(); ++r)
        out << w.SortGrid1->Cells(col, r);
    return out;
}

TProtocolRows WithRuns(const QList<QStringList>& people) {
    // people: start number, class, runs...
    TProtocolRows rows = ParticipantRows(0);
    for (const QStringList& p : people) {
        QStringList r(14);
        r[0] = p[0];
        r[1] = "N" + p[0];
        r[3] = p[1];
        for (int i = 2; i < p.size(); ++i)
            r[5 + i - 2] = p[i];
        rows.push_back(r);
    }
    return rows;
}
} // namespace

class TestCompetition : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void qualifikationRollingOrder() {
        TWindowFixture f;
        f.Load(0, ParticipantRows(3));
        TFormMain& w = *f.w;
        QCOMPARE(w.SortGrid1->Cells(Col::StNr, 1), QString("0")); // the dummy row
        const QList<Heat> heats{{1, 0}, {2, 1}, {3, 2}, {0, 3}};
        int t = 10000;
        for (const Heat& h : heats) {
            QCOMPARE(Current(w), h);
            QVERIFY(w.mStart->isEnabled());
            RunHeat(f, t, t - 500);
            t += 1000;
        }
        QCOMPARE(Current(w), Heat(1, 1));
        QVERIFY(!w.mStart->isEnabled()); // the round is over
        // Each participant climbed track 1 (Turm1) and then track 2 (Turm2).
        QCOMPARE(Cell(w, "1", Col::Turm1), QString("10,00"));
        QCOMPARE(Cell(w, "1", Col::Turm2), QString("10,50"));
        QCOMPARE(Cell(w, "3", Col::Turm1), QString("12,00"));
        QCOMPARE(Cell(w, "3", Col::Turm2), QString("12,50"));
        QCOMPARE(Cell(w, "1", Col::Zeit), QString("20,50"));
        QCOMPARE(Cell(w, "1", Col::Platz), QString("1"));
        QCOMPARE(Cell(w, "3", Col::Platz), QString("3"));
        // The dummy row keeps the times stopped on its empty track but is not ranked: it
        // must not push real participants down.
        QCOMPARE(Cell(w, "0", Col::Turm2), QString("9,50"));
        QCOMPARE(Cell(w, "0", Col::Zeit), QString());
        QCOMPARE(Cell(w, "0", Col::Platz), QString());
    }

    void paarrennenWithFiveEntries() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(5));
        TFormMain& w = *f.w;
        const QList<Heat> heats{{0, 1}, {1, 0}, {2, 3}, {3, 2}, {4, 1}, {1, 4}};
        for (const Heat& h : heats) {
            QCOMPARE(Current(w), h);
            RunHeat(f, 9000, 8000);
        }
        QCOMPARE(Cell(w, "1", Col::Turm1), QString("9,00"));
        QCOMPARE(Cell(w, "1", Col::Turm2), QString("8,00"));
    }

    void individuellOnAllTracks() {
        TWindowFixture f(true);
        TFormMain& w = *f.w;
        w.Settings.CountZabegov = 3;
        w.cbAllTrasse->setChecked(true);
        f.Load(1, ParticipantRows(3));
        QVERIFY(w.cbAllTrasse->isVisibleTo(&w));
        const QList<int> order{0, 0, 0, 1, 1, 1, 2};
        int t = 5000;
        for (int expected : order) {
            QCOMPARE(w.cbBuhn1->currentIndex(), expected);
            f.Key(Qt::Key_F8);
            f.clock.advance(t += 100);
            f.Key(Qt::Key_F4);
            f.Key(Qt::Key_F9);
        }
        QCOMPARE(Cell(w, "1", Col::Turm1), QString("5,10"));
        QCOMPARE(Cell(w, "1", Col::Turm3), QString("5,30"));
        QCOMPARE(Cell(w, "1", Col::Zeit), QString("15,60"));
        QCOMPARE(Cell(w, "2", Col::Turm1), QString("5,40"));
    }

    // How many runs land where, by runs per participant, for one and two tracks.
    void recordingColumns_data() {
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("countZabegov");
        QTest::addColumn<QStringList>("track1Runs"); // participant 1's run cells afterwards
        QTest::newRow("one track, 4 runs, fifth lost")
            << 1 << 4 << QStringList{"1,00", "2,00", "3,00", "4,00", "", ""};
        QTest::newRow("two tracks, 1 run") << 2 << 1 << QStringList{"1,00", "", "", "", "", ""};
        QTest::newRow("two tracks, 3 runs")
            << 2 << 3 << QStringList{"1,00", "", "2,00", "", "", ""};
    }
    void recordingColumns() {
        QFETCH(int, vid);
        QFETCH(int, countZabegov);
        QFETCH(QStringList, track1Runs);
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Settings.CountZabegov = countZabegov;
        w.cbAllTrasse->setChecked(vid == 1);
        f.Load(vid, ParticipantRows(2));
        for (int run = 1; run <= 5; ++run) {
            // The same participants every heat: an abort-free heat without moving the lists.
            w.cbBuhn1->setCurrentIndex(0);
            w.cbBuhn2->setCurrentIndex(1);
            w.UpdateControls();
            RunHeat(f, run * 1000, 500, false);
            w.IssueCommand(w.mReset);
        }
        QStringList got;
        for (int c = Col::Turm1; c <= Col::Turm6; ++c)
            got << Cell(w, "1", c);
        QCOMPARE(got, track1Runs);
        if (vid == 2 && countZabegov == 1) QCOMPARE(Cell(w, "2", Col::Turm2), QString());
    }

    void disThenReset() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        RunHeat(f, 12340, 13000, false);
        QVERIFY(w.sb1del->isEnabled());
        QTest::mouseClick(w.sb1del, Qt::LeftButton);
        QCOMPARE(Cell(w, "1", Col::Turm1), QString("DIS."));
        QCOMPARE(Cell(w, "1", Col::Zeit), QString());
        QVERIFY(w.Competition->Modified());
        f.Key(Qt::Key_F9);
        QVERIFY(!w.sb1del->isEnabled());
        QCOMPARE(w.Run->LastCell(0).Column, -1);
    }

    void ranking_data() {
        QTest::addColumn<int>("countZabegov");
        QTest::addColumn<int>("klassCol");
        QTest::addColumn<QList<QStringList>>("people");
        QTest::addColumn<QStringList>("zeit");   // in load order
        QTest::addColumn<QStringList>("platz");  // in load order
        QTest::addColumn<QStringList>("ranked"); // start numbers in ranking order
        QTest::newRow("sum, DIS last") << 2 << 0
                                       << QList<QStringList>{{"1", "A", "12,34", "13,00"},
                                                             {"2", "A", "DIS.", "9,00"},
                                                             {"3", "A", "11,00", "11,00"}}
                                       << QStringList{"25,34", "", "22,00"}
                                       << QStringList{"2", "", "1"} << QStringList{"3", "1", "2"};
        QTest::newRow("dense ties")
            << 1 << 0
            << QList<QStringList>{{"1", "A", "20,00"}, {"2", "A", "21,00"}, {"3", "A", "20,00"}}
            << QStringList{"20,00", "21,00", "20,00"} << QStringList{"1", "2", "1"}
            << QStringList{"1", "3", "2"};
        QTest::newRow("per class")
            << 1 << 4
            << QList<QStringList>{{"1", "B", "20,00"},
                                  {"2", "A", "25,00"},
                                  {"3", "B", "19,00"},
                                  {"4", "A", "24,00"}}
            << QStringList{"20,00", "25,00", "19,00", "24,00"} << QStringList{"2", "2", "1", "1"}
            << QStringList{"4", "2", "3", "1"};
        QTest::newRow("one run counts only")
            << 1 << 0 << QList<QStringList>{{"1", "A", "20,00", "DIS."}, {"2", "A", "10,00", ""}}
            << QStringList{"20,00", "10,00"} << QStringList{"2", "1"} << QStringList{"2", "1"};
        QTest::newRow("bound is no result")
            << 1 << 0 << QList<QStringList>{{"1", "A", "357:54,84"}, {"2", "A", "1:00,00"}}
            << QStringList{"", "1:00,00"} << QStringList{"", "1"} << QStringList{"2", "1"};
    }
    void ranking() {
        QFETCH(int, countZabegov);
        QFETCH(int, klassCol);
        QFETCH(QList<QStringList>, people);
        QFETCH(QStringList, zeit);
        QFETCH(QStringList, platz);
        QFETCH(QStringList, ranked);
        TWindowFixture f(false);
        TFormMain& w = *f.w;
        w.Settings.CountZabegov = countZabegov;
        w.Settings.KlassCol = klassCol;
        f.Load(2, WithRuns(people));
        // Unsorted: load order, with the places filled in.
        QCOMPARE(Column(w, Col::Zeit), zeit);
        QCOMPARE(Column(w, Col::Platz), platz);
        QCOMPARE(Column(w, Col::Entry).first(), QString("1"));
        w.cbSort->setChecked(true);
        w.RecalcProtocol();
        QCOMPARE(Column(w, Col::StNr), ranked);
        w.cbSort->setChecked(false);
        w.RecalcProtocol();
        QCOMPARE(Column(w, Col::Zeit), zeit);
    }

    void deletingWhileRankedRemovesTheOwnEntry() {
        TWindowFixture f;
        f.Load(2, WithRuns({{"1", "A", "30,00", "30,00"},
                            {"2", "A", "10,00", "10,00"},
                            {"3", "A", "20,00", "20,00"}}));
        TFormMain& w = *f.w;
        w.cbSort->setChecked(true);
        w.RecalcProtocol();
        QCOMPARE(Column(w, Col::StNr), (QStringList{"2", "3", "1"}));
        w.SortGrid1->SelectRow(1); // participant 2, the winner
        f.dialogs.answers = {true};
        w.ProtocolCommand(0);
        QCOMPARE(Column(w, Col::StNr), (QStringList{"3", "1"}));
        QStringList entries;
        for (int i = 0; i < w.cbBuhn1->count(); ++i)
            entries << w.cbBuhn1->itemText(i);
        QCOMPARE(entries, (QStringList{"1 N1  A", "3 N3  A"}));
    }

    // The participant on the track gets the time, whatever his start-number cell holds.
    void unreadableStartNumberStillRecords() {
        TWindowFixture f;
        TProtocolRows rows = ParticipantRows(3);
        rows[1][Col::StNr] = QStringLiteral("Meier");
        f.Load(2, rows);
        TFormMain& w = *f.w;
        RunHeat(f, 5000, 4000, false);
        QCOMPARE(Column(w, Col::Turm1), (QStringList{"5,00", "", ""}));
        QCOMPARE(Cell(w, "2", Col::Turm2), QString("4,00"));
    }
};

QTEST_MAIN(TestCompetition)
#include "tst_competition.moc"
