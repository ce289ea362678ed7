// The journal and the window: every kind of protocol change reaches the journal, and a
// session that did not end cleanly offers its protocol at the next start.
#include "core/Competition.h"
#include "persist/Journal.h"
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QStatusBar>
#include <QToolButton>
#include <QtTest>

namespace {
// The rows as a file would give them back, in load order.
TProtocolRows AsStored(const TProtocolRows& rows) {
    return ParseProtocolText(FormatProtocolText(JournalRows(rows)));
}

TProtocolRows JournalRows(const TJournal& j) {
    TProtocolRows rows;
    ReadProtocolFile(j.JournalFile(), &rows, nullptr);
    return rows;
}

void Heat(TWindowFixture& f, int t1, int t2) {
    f.Key(Qt::Key_F8);
    f.clock.advance(t1);
    f.Key(Qt::Key_F4);
    if (t2 > 0) {
        f.clock.advance(t2);
        f.Key(Qt::Key_F6);
    }
}

// An empty cell comes back from any file as one blank, which the entry text shows.
QStringList Items(const QComboBox* list) {
    QStringList items;
    for (int i = 0; i < list->count(); ++i)
        items << list->itemText(i).simplified();
    return items;
}
} // namespace

class TestJournalRecovery : public QObject {
    Q_OBJECT
private slots:
    // --- the changes that reach the journal --------------------------------------------------
    void everyChangeReachesTheJournal_data() {
        QTest::addColumn<QString>("change");
        for (const char* c :
             {"recorded time", "DIS", "edit in the grid", "deleted row", "cleared results", "load"})
            QTest::newRow(c) << QString::fromLatin1(c);
    }
    void everyChangeReachesTheJournal() {
        QFETCH(QString, change);
        TWindowFixture f;
        TFormMain& w = *f.w;
        TJournal j(f.dir.filePath("journal"));
        w.StartJournal(j);
        f.Load(2, ParticipantRows(4));
        Heat(f, 7310, 420);
        f.Key(Qt::Key_F9);
        QVERIFY(j.Flush());
        const TProtocolRows before = JournalRows(j);
        QCOMPARE(before, AsStored(w.Competition->Rows(TCompetition::ForExitCopy)));

        if (change == "recorded time") {
            Heat(f, 8120, 0);
        } else if (change == "DIS") {
            Heat(f, 8120, 0);
            QVERIFY(j.Flush());
            QTest::mouseClick(w.sb1del, Qt::LeftButton);
        } else if (change == "edit in the grid") {
            QTest::mouseClick(w.labEditON, Qt::LeftButton);
            w.SortGrid1->setCol(Col::Ort);
            w.SortGrid1->setRow(2);
            w.SortGrid1->setFocus();
            QTest::keyClick(w.SortGrid1, 'Z');
            QTest::keyClicks(QApplication::focusWidget(), "ug");
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Return);
            QCOMPARE(w.SortGrid1->Cells(Col::Ort, 2), QStringLiteral("Zug"));
        } else if (change == "deleted row") {
            f.dialogs.answers = {true};
            w.SortGrid1->setRow(3);
            w.ProtocolCommand(0);
        } else if (change == "cleared results") {
            f.dialogs.answers = {true};
            w.ProtocolCommand(1);
        } else if (change == "load") {
            f.Load(2, ParticipantRows(9));
        }
        const TProtocolRows written = JournalRows(j);
        QVERIFY(j.Flush());
        QCOMPARE(JournalRows(j), AsStored(w.Competition->Rows(TCompetition::ForExitCopy)));
        QVERIFY(JournalRows(j) != before);
        Q_UNUSED(written);
    }

    void journalWritesWaitForTheEventLoop() {
        // A STOP never waits for the disk: the journal is written after the handler returned.
        TWindowFixture f;
        TJournal j(f.dir.filePath("journal"));
        f.w->StartJournal(j);
        f.Load(1, ParticipantRows(3));
        QCOMPARE(j.WritesDone(), 0u);
        QVERIFY(WaitUntil([&] { return j.WritesDone() >= 1; }));
    }

    void failedJournalIsShownInTheStatusBar() {
        TWindowFixture f;
        TJournal j(f.dir.filePath("journal"));
        f.w->StartJournal(j);
        QVERIFY(QDir().mkdir(j.JournalFile()));
        f.Load(1, ParticipantRows(3));
        QVERIFY(!j.Flush());
        QVERIFY(WaitUntil([&] {
            return f.w->StatusBar1->currentMessage().startsWith(
                "Journal kann nicht geschrieben werden: ");
        }));
        QVERIFY(QDir().rmdir(j.JournalFile()));
        Heat(f, 5000, 0);
        QVERIFY(j.Flush());
        QVERIFY(WaitUntil([&] { return f.w->StatusBar1->currentMessage().isEmpty(); }));
    }

    // --- after a kill ----------------------------------------------------------------------
    void killedCompetitionIsRestored_data() {
        QTest::addColumn<int>("vid");
        QTest::addColumn<bool>("ranked"); // shown in ranking order when killed
        QTest::newRow("Qualifikation") << 0 << false;
        QTest::newRow("Individuelles Klettern") << 1 << false;
        QTest::newRow("Paarrennen") << 2 << false;
        QTest::newRow("Paarrennen, ranked") << 2 << true;
        QTest::newRow("Qualifikation, ranked") << 0 << true;
    }
    void killedCompetitionIsRestored() {
        QFETCH(int, vid);
        QFETCH(bool, ranked);
        TWindowFixture f;
        TProtocolRows expected;
        QStringList list1;
        QString heat; // the lists' choices: the heat that was next
        {
            TFormMain& w = *f.w;
            TJournal j(f.dir.filePath("journal"));
            w.StartJournal(j);
            w.Settings.CountZabegov = 3;
            w.Settings.KlassCol = 4;
            f.Load(vid, ParticipantRows(6, {11, 5, 23, 8, 42, 17}));
            for (int heat = 0; heat < 5 && w.mStart->isEnabled(); ++heat) {
                Heat(f, 6000 + heat * 333, vid == 1 ? 0 : 7000 - heat * 111);
                if (heat == 2) QTest::mouseClick(w.sb1del, Qt::LeftButton);
                f.Key(Qt::Key_F9);
            }
            if (ranked) w.cbSort->setChecked(true);
            w.RecalcProtocol();
            QVERIFY(j.Flush());
            expected = AsStored(w.Competition->Rows(TCompetition::ForExitCopy));
            list1 = Items(w.cbBuhn1);
            heat = QString("%1-%2").arg(w.cbBuhn1->currentIndex()).arg(w.cbBuhn2->currentIndex());
            j.AbandonAsIfKilled();
        }
        f.Restart(true);
        TFormMain& w = *f.w;
        // What a kill loses besides the journal: the settings of that session.
        w.SetVid((vid + 1) % 3);
        w.Settings.CountZabegov = 1;
        w.Settings.KlassCol = 0;
        f.dialogs.answers = {true};
        TJournal j(f.dir.filePath("journal"));
        w.StartJournal(j);

        // Written before anything else happens: a second kill right now must find it.
        QCOMPARE(JournalRows(j), expected);
        QCOMPARE(f.dialogs.asked.size(), 1);
        QVERIFY(f.dialogs.asked[0].contains("nicht ordnungsgemäß beendet"));
        QVERIFY(f.dialogs.asked[0].contains("wiederherstellen?"));
        QVERIFY(f.dialogs.asked[0].contains("„Wettkampf“"));
        QCOMPARE(f.dialogs.askedCaptions[0], QStringLiteral("Bestätigen"));
        QCOMPARE(w.Vid(), vid);
        QCOMPARE(w.cbVid->currentIndex(), vid);
        QCOMPARE(w.Settings.CountZabegov, 3);
        QCOMPARE(w.Settings.KlassCol, 4);
        QCOMPARE(AsStored(w.Competition->Rows(TCompetition::ForExitCopy)), expected);
        QCOMPARE(Items(w.cbBuhn1), list1);
        QCOMPARE(Items(w.cbBuhn2), list1);
        QCOMPARE(QString("%1-%2").arg(w.cbBuhn1->currentIndex()).arg(w.cbBuhn2->currentIndex()),
                 heat);
        QCOMPARE(w.Settings.Title, QStringLiteral("Wettkampf"));
        QCOMPARE(w.windowTitle(), QStringLiteral("TL-Veltaro: Wettkampf"));
        QVERIFY(w.Competition->Modified());
        // Restored is not saved: closing asks first.
        f.dialogs.answers = {false};
        QVERIFY(!w.close());
        QCOMPARE(f.dialogs.asked.last(), QStringLiteral("Beenden?"));
    }

    void declinedJournalIsKeptAndTheProgramStartsEmpty() {
        TWindowFixture f;
        TProtocolRows lost;
        {
            TJournal j(f.dir.filePath("journal"));
            f.w->StartJournal(j);
            f.Load(1, ParticipantRows(3));
            Heat(f, 6543, 0);
            QVERIFY(j.Flush());
            lost = AsStored(f.w->Competition->Rows(TCompetition::ForExitCopy));
            j.AbandonAsIfKilled();
        }
        f.Restart(true);
        f.dialogs.answers = {false};
        TJournal j(f.dir.filePath("journal"));
        f.w->StartJournal(j);
        QCOMPARE(f.dialogs.asked.size(), 1);
        QVERIFY(!JournalHasData(f.w->Competition->Rows(TCompetition::ForExitCopy)));
        QVERIFY(!f.w->Competition->Modified());
        QCOMPARE(f.dialogs.messages.size(), 1);
        const QString kept = f.dialogs.messages[0].section('\n', 1);
        QVERIFY2(kept.contains("unterbrochen ") && kept.endsWith(" Wettkampf.txt"),
                 qPrintable(kept));
        TProtocolRows back;
        QVERIFY(ReadProtocolFile(kept, &back, nullptr));
        QCOMPARE(back, lost);
        // The new session's changes do not touch it.
        f.Load(2, ParticipantRows(2));
        QVERIFY(j.Flush());
        QVERIFY(ReadProtocolFile(kept, &back, nullptr));
        QCOMPARE(back, lost);
        // Unsaved results a load replaces are kept beside it, so a wrong Yes can be undone.
        Heat(f, 5432, 4321);
        const TProtocolRows replaced = AsStored(f.w->Competition->Rows(TCompetition::ForExitCopy));
        const QString other = f.dir.filePath("other.txt");
        QString error;
        QVERIFY(WriteProtocolFile(other, ParticipantRows(3), &error));
        f.dialogs.openNames = {other};
        f.dialogs.answers = {true};
        f.Key(Qt::Key_O, Qt::ControlModifier);
        QVERIFY(f.dialogs.asked.last().contains(QDir::toNativeSeparators(j.Folder())));
        const QStringList copies = QDir(j.Folder()).entryList({"ersetzt *.txt"}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(ReadProtocolFile(QDir(j.Folder()).filePath(copies[0]), &back, nullptr));
        QCOMPARE(back, replaced);
    }

    void noQuestion_data() {
        QTest::addColumn<bool>("killed");
        QTest::addColumn<bool>("loaded");
        QTest::newRow("clean end") << false << true;
        QTest::newRow("killed before anything was loaded") << true << false;
    }
    void noQuestion() {
        QFETCH(bool, killed);
        QFETCH(bool, loaded);
        TWindowFixture f;
        {
            TJournal j(f.dir.filePath("journal"));
            f.w->StartJournal(j);
            if (loaded)
                f.Load(1, ParticipantRows(3));
            else
                f.w->SetVid(0); // the dummy row alone is no competition
            f.w->cbVidChange();
            QVERIFY(j.Flush());
            if (killed)
                j.AbandonAsIfKilled();
            else
                f.w->Shutdown();
        }
        f.Restart(true);
        TJournal j(f.dir.filePath("journal"));
        QCOMPARE(j.LastEndUnclean(), killed);
        f.w->StartJournal(j);
        QVERIFY(f.dialogs.asked.isEmpty());
        QVERIFY(f.dialogs.messages.isEmpty());
    }
};

QTEST_MAIN(TestJournalRecovery)
#include "tst_journalrecovery.moc"
