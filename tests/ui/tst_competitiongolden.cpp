// The competition model writes the same files as the main window: the same competition is
// run on both, then the saved file and the exit copy are compared byte for byte.
#include "core/Competition.h"
#include "core/TimeFormat.h"
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QLocale>
#include <QtTest>

namespace {
// One step of a competition, done on the window and on the model alike:
//   "H t1 t2"    a heat stopped after t1 ms on track 1 and t2 ms on track 2, then RESET
//   "X t1 t2 k"  the same, with DIS of track k (1 or 2) before RESET
//   "S"          tick "Sortieren"
//   "E r"        delete shown row r (from 1)
//   "M r tag"    delete "tag" rows from shown row r on (the pop-up menu)
void Step(TWindowFixture& f, TCompetition& c, const QString& step) {
    TFormMain& w = *f.w;
    const QStringList a = step.split(' ');
    const QString op = a[0];
    if (op == "H" || op == "X") {
        const int t1 = a[1].toInt(), t2 = a[2].toInt();
        const bool two = c.CountBahn() == 2;
        f.Key(Qt::Key_F8);
        c.SetHeatRunning(true);
        if (two) {
            f.clock.advance(t2);
            f.Key(Qt::Key_F6);
            c.RecordTime(1, FormatTime(t2, c.TimeFormat()));
            f.clock.advance(t1 - t2);
        } else {
            f.clock.advance(t1);
        }
        f.Key(Qt::Key_F4);
        c.RecordTime(0, FormatTime(t1, c.TimeFormat()));
        c.Recompute();
        if (op == "X") {
            const int k = a[3].toInt();
            w.sbDelClick(k - 1);
            c.Disqualify(k - 1);
        }
        f.Key(Qt::Key_F9);
        c.SetHeatRunning(false);
        c.ResetLastCells();
        c.Advance();
    } else if (op == "S") {
        w.cbSort->click();
        c.SetSorted(true);
    } else if (op == "E") {
        w.SortGrid1->SelectRow(a[1].toInt());
        f.dialogs.answers = {true};
        w.ProtocolCommand(0);
        c.DeleteEntry(c.EntryAt(a[1].toInt() - 1));
    } else if (op == "M") {
        w.SortGrid1->SelectRow(a[1].toInt());
        f.dialogs.answers = {true};
        w.ProtocolCommand(a[2].toInt());
        c.DeleteRows(a[1].toInt() - 1, a[2].toInt());
    }
}

QByteArray FileBytes(const QString& name) {
    QFile file(name);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray("<unreadable>");
}
} // namespace

class TestCompetitionGolden : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void sameFiles_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("klassCol");
        QTest::addColumn<int>("participants");
        QTest::addColumn<QString>("steps"); // separated by ';'
        QTest::newRow("Qualifikation, a round")
            << 0 << 2 << 0 << 4
            << "H 10000 9500;H 11000 10500;H 9000 12000;H 10000 10000;H 13000 8000";
        QTest::newRow("Qualifikation ranked, DIS, classes")
            << 0 << 2 << 4 << 5 << "H 10000 9500;S;X 11000 10500 1;H 9000 12000;H 9000 9000";
        QTest::newRow("Paarrennen ranked, deletes")
            << 2 << 2 << 0 << 8
            << "H 9000 8000;H 8500 9900;S;H 7000 7100;M 5 2;H 7000 7000;E 2;H 6000 6500";
        QTest::newRow("Paarrennen, 4 runs, classes, delete to the end")
            << 2 << 4 << 4 << 6 << "H 9000 8000;H 8500 9900;X 7000 7100 2;M 5 65000;S";
        QTest::newRow("Individuell, start numbers as classes")
            << 1 << 3 << 1 << 3 << "H 5000 0;H 5100 0;S;H 5200 0;H 6000 0;E 3;H 4000 0";
    }
    void sameFiles() {
        QFETCH(int, mode);
        QFETCH(int, runs);
        QFETCH(int, klassCol);
        QFETCH(int, participants);
        QFETCH(QString, steps);
        for (const bool exitCopy : {false, true}) {
            TWindowFixture f;
            TFormMain& w = *f.w;
            w.Settings.CountZabegov = runs;
            w.Settings.KlassCol = klassCol;
            TCompetition c;
            c.SetCountZabegov(runs);
            c.SetKlassCol(klassCol);
            c.SetTimeFormat(w.Settings.TimeFormat);
            const TProtocolRows rows = ParticipantRows(participants);
            f.Load(mode, rows);
            c.SetMode(mode);
            QVERIFY(c.Load(rows));
            for (const QString& step : steps.split(';')) {
                Step(f, c, step);
                QCOMPARE(c.TrackEntry(0), w.cbBuhn1->currentIndex());
                QCOMPARE(c.TrackEntry(1), w.cbBuhn2->currentIndex());
                QCOMPARE(c.RunCounter(), w.Competition->RunCounter());
            }
            if (exitCopy) {
                // What the exit copy writes: load order after unticking "Sortieren".
                w.cbSort->setChecked(false);
                w.RecalcProtocol();
                c.SetSorted(false);
                QCOMPARE(FormatProtocolText(c.Rows(TCompetition::ForExitCopy)),
                         FormatProtocolText(w.Competition->Rows(TCompetition::ForExitCopy)));
            } else {
                const QString windowFile = f.dir.filePath("window.txt");
                const QString modelFile = f.dir.filePath("model.txt");
                f.dialogs.saveNames = {windowFile};
                f.dialogs.chosenFilter = 1; // the text type
                w.sbSaveClick();
                QString error;
                QVERIFY(WriteProtocolFile(modelFile, c.Rows(TCompetition::ForSave), &error));
                QCOMPARE(FileBytes(modelFile), FileBytes(windowFile));
            }
        }
    }
};

QTEST_MAIN(TestCompetitionGolden)
#include "tst_competitiongolden.moc"
