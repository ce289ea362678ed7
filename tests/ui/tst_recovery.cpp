// What survives the program's end, clean or not: the exit copy (byte for byte what an earlier
// build wrote for the same keys), the journal through the window and a restart from it, a
// process killed mid-competition, and the settings and window place across a restart.
#include "KillRound.h"
#include "persist/Journal.h"
#include "persist/ProtocolText.h"
#include "TestSupport.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QRandomGenerator>
#include <QScreen>
#include <QStatusBar>
#include <QtTest>

namespace {
// The rows as a file would give them back, in load order.
TProtocolRows AsStored(const TCompetition& c) {
    return ParseProtocolText(FormatProtocolText(JournalRows(c.Rows(TCompetition::ForExitCopy))));
}

TProtocolRows JournalRows(const TJournal& j) {
    TProtocolRows rows;
    ReadProtocolFile(j.JournalFile(), &rows, nullptr);
    return rows;
}

// The lists' entries and the heat on the tracks, as the operator sees them.
QString Lists(TWindowFixture& f) {
    return f.Listed(0).join(',') + " / " + f.Listed(1).join(',') + " on " + f.Probe("tracks");
}
} // namespace

class TestRecovery : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // --- the exit copy ----------------------------------------------------------------------
    // A whole competition per mode by keys, against the exit copy an earlier build wrote:
    // restructuring must not change a single result.
    void goldenExitCopy_data() {
        QTest::addColumn<int>("vid");
        QTest::newRow("qualifikation") << 0;
        QTest::newRow("individuell") << 1;
        QTest::newRow("paarrennen") << 2;
    }
    void goldenExitCopy() {
        QFETCH(int, vid);
        TWindowFixture f;
        f.Settings().CountZabegov = vid == 1 ? 3 : 2;
        f.Settings().KlassCol = 4; // places per class
        f.Settings().AllTrasse = vid == 1;
        f.Load(vid, ParticipantRows(7, {11, 5, 23, 8, 42, 17, 3}));
        int t = 7350;
        for (int heat = 0; heat < 16 && f.Get<QAction>("mStart")->isEnabled(); ++heat) {
            f.Heat(t, vid == 1 ? 0 : t + (heat % 3 - 1) * 777);
            // A DIS on track 1; with one track the participant would then keep it for good.
            if (heat == (vid == 1 ? 13 : 2)) f.Play("click:sb1del");
            if (heat == 4) f.Play("sort"); // ranked from here on
            f.Play("F9");
            if (heat == 1 && vid == 2) f.Play("^0"); // the tracks swapped
            t += 1234 + heat * 97;
        }
        f.w->Shutdown();
        const QByteArray got = Bytes(f.w->ExitCopyName());
        QFile::remove(f.w->ExitCopyName());
        const QString golden = QStringLiteral(VELTARO_TEST_SOURCE_DIR "/golden/exit-%1.txt")
                                   .arg(QString::fromLatin1(QTest::currentDataTag()));
        if (qEnvironmentVariableIsSet("VELTARO_WRITE_GOLDEN")) {
            QFile out(golden);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(got);
        }
        QVERIFY(!got.isEmpty());
        QCOMPARE(got, Bytes(golden));
    }

    // --- the journal through the window -------------------------------------------------------
    void everyChangeReachesTheJournal_data() {
        QTest::addColumn<QString>("steps");
        QTest::newRow("recorded time") << "F8 +8120 F4";
        QTest::newRow("DIS") << "F8 +8120 F4 click:sb1del";
        QTest::newRow("deleted row") << "row:3 yes ^-";
        QTest::newRow("cleared results") << "yes ^Del";
        QTest::newRow("load") << "load:2/9";
        QTest::newRow("edit in the grid") << "click:cbEditON edit:1:2:ug commit";
        QTest::newRow("DIS undone") << "F8 +8120 F4 click:sb1del ^Z";
    }
    void everyChangeReachesTheJournal() {
        QFETCH(QString, steps);
        TWindowFixture f;
        TJournal j(f.dir.filePath("journal"));
        f.w->StartJournal(j);
        f.Play("load:2/4 F8 +7310 F4 +420 F6 F9");
        QVERIFY(j.Flush());
        const TProtocolRows before = JournalRows(j);
        QCOMPARE(before, AsStored(f.Competition()));
        f.Play(steps);
        QVERIFY(j.Flush());
        QCOMPARE(JournalRows(j), AsStored(f.Competition()));
        QVERIFY(JournalRows(j) != before);
    }

    // A STOP never waits for the disk; a journal that cannot be written says so until it can.
    void journalWrites() {
        TWindowFixture f;
        TJournal j(f.dir.filePath("journal"));
        f.w->StartJournal(j);
        QVERIFY(QDir().mkdir(j.JournalFile()));
        f.Play("load:1/3");
        QCOMPARE(j.WritesDone(), 0u); // written after the handler returned
        const auto message = [&] { return f.Get<QStatusBar>("StatusBar1")->currentMessage(); };
        QVERIFY(WaitUntil(
            [&] { return message().startsWith("Journal kann nicht geschrieben werden: "); }));
        QVERIFY(QDir().rmdir(j.JournalFile()));
        f.Play("F8 +5000 F4");
        QVERIFY(j.Flush());
        QVERIFY(WaitUntil([&] { return message().isEmpty(); }));
    }

    // Killed (or its last write cut off by the kill), the competition comes back at the next
    // start as the journal last held it whole: rows, mode, runs, classes, the heat on the
    // tracks; restored is not saved. After a clean end, or with nobody loaded, nothing is asked.
    void restart_data() {
        QTest::addColumn<int>("vid"); // -1: nobody loaded, the dummy row alone
        QTest::addColumn<bool>("ranked");
        QTest::addColumn<int>("stop"); // how the last write ended (TWriteStop); -1: a clean end
        QTest::newRow("Qualifikation, ranked") << 0 << true << int(TWriteStop::Never);
        QTest::newRow("Individuelles Klettern") << 1 << false << int(TWriteStop::Never);
        QTest::newRow("Paarrennen") << 2 << false << int(TWriteStop::Never);
        QTest::newRow("last write half done") << 2 << false << int(TWriteStop::HalfWritten);
        QTest::newRow("last write not renamed") << 0 << true << int(TWriteStop::BeforeRename);
        QTest::newRow("clean end") << 1 << false << -1;
        QTest::newRow("killed with nobody loaded") << -1 << false << int(TWriteStop::Never);
    }
    void restart() {
        QFETCH(int, vid);
        QFETCH(bool, ranked);
        QFETCH(int, stop);
        TWindowFixture f;
        TProtocolRows expected;
        QString lists;
        {
            TJournal j(f.dir.filePath("journal"));
            f.w->StartJournal(j);
            f.Settings().CountZabegov = 3;
            f.Settings().KlassCol = 4;
            f.Load(qMax(vid, 0), ParticipantRows(vid < 0 ? 0 : 6, {11, 5, 23, 8, 42, 17}));
            for (int heat = 0; vid >= 0 && heat < 5 && f.Get<QAction>("mStart")->isEnabled();
                 ++heat) {
                f.Heat(6000 + heat * 333, vid == 1 ? 0 : 7000 - heat * 111);
                f.Play(heat == 2 ? "click:sb1del F9" : "F9");
            }
            if (ranked) f.Play("sort");
            QVERIFY(j.Flush());
            expected = AsStored(f.Competition());
            lists = Lists(f);
            if (stop > int(TWriteStop::Never)) {
                j.StopNextWrite(TWriteStop(stop));
                f.Play("yes ^Del"); // a change that would cost every result
                j.Flush();
            }
            if (stop < 0)
                f.w->Shutdown();
            else
                j.AbandonAsIfKilled();
        }
        f.Restart();
        f.dialogs.asked.clear();
        // What a kill loses besides the journal: the settings of that session.
        f.ChooseMode((vid + 1) % 3);
        f.Settings().CountZabegov = 1;
        f.Settings().KlassCol = 0;
        f.dialogs.answers = {true};
        TJournal j(f.dir.filePath("journal"));
        QCOMPARE(j.LastEndUnclean(), stop >= 0);
        f.w->StartJournal(j);
        if (stop < 0 || vid < 0) {
            QVERIFY(f.dialogs.asked.isEmpty() && f.dialogs.messages.isEmpty());
            return;
        }
        QCOMPARE(JournalRows(j), expected); // written at once: a second kill now finds it
        QCOMPARE(f.dialogs.asked.size(), 1);
        QVERIFY(f.dialogs.asked[0].contains("nicht ordnungsgemäß beendet"));
        QVERIFY(f.dialogs.asked[0].contains("„Wettkampf“"));
        const TSettings& s = f.Settings();
        QCOMPARE(
            QList<int>({f.Get<QComboBox>("cbVid")->currentIndex(), s.CountZabegov, s.KlassCol}),
            QList<int>({vid, 3, 4}));
        QCOMPARE(AsStored(f.Competition()), expected);
        QCOMPARE(Lists(f), lists);
        f.Expect("modified=1");
    }

    // Declined, the journal is kept under a name of its own that the new session does not
    // touch; unsaved results a load replaces are kept beside it, so a wrong Yes can be undone.
    void declinedAndReplacedAreKept() {
        TWindowFixture f;
        TProtocolRows lost;
        {
            TJournal j(f.dir.filePath("journal"));
            f.w->StartJournal(j);
            f.Play("load:1/3 F8 +6543 F4");
            QVERIFY(j.Flush());
            lost = AsStored(f.Competition());
            j.AbandonAsIfKilled();
        }
        f.Restart();
        TJournal j(f.dir.filePath("journal"));
        f.w->StartJournal(j); // answered No
        QCOMPARE(f.dialogs.asked.size(), 1);
        QVERIFY(!JournalHasData(f.Competition().Rows(TCompetition::ForExitCopy)));
        const QString kept = f.dialogs.messages.value(0).section('\n', 1);
        QVERIFY2(kept.contains("unterbrochen ") && kept.endsWith(" Wettkampf.txt"),
                 qPrintable(kept));
        const QString other = f.dir.filePath("other.txt");
        QVERIFY(WriteProtocolFile(other, ParticipantRows(3), nullptr));
        f.Play("load:2/2 F8 +5432 F4 +100 F6");
        const TProtocolRows replaced = AsStored(f.Competition());
        f.dialogs.openNames = {other};
        f.Play("yes ^O");
        QVERIFY(f.dialogs.asked.last().contains(QDir::toNativeSeparators(j.Folder())));
        QVERIFY(j.Flush());
        TProtocolRows back;
        QVERIFY(ReadProtocolFile(kept, &back, nullptr));
        QCOMPARE(back, lost);
        const QStringList copies = QDir(j.Folder()).entryList({"ersetzt *.txt"}, QDir::Files);
        QCOMPARE(copies.size(), 1);
        QVERIFY(ReadProtocolFile(QDir(j.Folder()).filePath(copies[0]), &back, nullptr));
        QCOMPARE(back, replaced);
    }

    // The real program killed with SIGKILL while it records runs: the restored protocol holds
    // every run recorded at least a second before the kill.
    void killedProgram_data() {
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("killAfterMs");
        QTest::addColumn<bool>("expectAll");
        QTest::newRow("after the last run") << 12 << -1200 << true;
        QTest::newRow("while recording, early") << 200 << 700 << false;
        QTest::newRow("while recording, anywhere")
            << 200 << int(QRandomGenerator::global()->bounded(300, 2500)) << false;
    }
    void killedProgram() {
        QFETCH(int, runs);
        QFETCH(int, killAfterMs);
        QFETCH(bool, expectAll);
        QTemporaryDir dir;
        const TKillRound r =
            RunKillRound(QStringLiteral(VELTARO_SCRIPTED), dir.path(), runs, 15, killAfterMs);
        qInfo("recorded %d, due %d, restored %d, oldest lost %lld ms before the kill", r.printed,
              r.due, r.recovered, r.lostMs);
        QVERIFY2(r.failure.isEmpty(), qPrintable(r.failure));
        QVERIFY(r.printed > 0);
        if (expectAll) QCOMPARE(r.recovered, runs);
        QVERIFY2(r.lostMs < 1000, qPrintable(QString::number(r.lostMs)));
    }

    // --- settings and the window's place across a restart ---------------------------------------
    // Closing writes the settings, the next window reads them: the mode box and the window's
    // place come back without creeping at each start.
    void settingsSurviveARestart() {
        TWindowFixture f;
        f.Settings().CountZabegov = 4, f.Settings().TimeFormat = 0, f.Settings().Alg2 = 1;
        f.ChooseMode(2);
        f.w->move(240, 170);
        f.w->resize(760, 520); // within the offscreen screen: stored sizes are fitted
        QCoreApplication::processEvents();
        const QRect frame = f.w->frameGeometry(), client = f.w->geometry();
        f.Restart();
        QCoreApplication::processEvents();
        const TSettings& s = f.Settings();
        QCOMPARE(QList<int>({s.CountZabegov, s.TimeFormat, s.Alg2}), QList<int>({4, 0, 1}));
        QCOMPARE(f.Get<QComboBox>("cbVid")->currentIndex(), 2);
        QCOMPARE(f.w->frameGeometry().topLeft(), frame.topLeft());
        QCOMPARE(f.w->geometry(), client);
    }

    // Stored values out of range or ill-typed start a window of a usable size; stored bounds
    // no screen can hold are fitted onto it. Each edge counts as it is read.
    void storedValues_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<int>("left"); // of the window's frame; -1: anywhere on the screen
        QTest::newRow("out of range or ill-typed")
            << QByteArray("[General]\nLeft=30000\nTop=30000\nWidth=32767\nHeight=5\nPort=0\n"
                          "Alg1=7\nAlg2=0\nAlg3=0\nCountBahn=2\nFilterInd=-4\n"
                          "TimerGesperrt=-1000\nAllLaufe=6\nCountZabegov=0\nMonitor=9\n"
                          "MonitorOn=1\nTimeFormat=7\nAutoTime=abc\n")
            << -1;
        QTest::newRow("Left without Top") << QByteArray("[General]\nLeft=123\n") << 123;
    }
    void storedValues() {
        QFETCH(QByteArray, stored);
        QFETCH(int, left);
        TWindowFixture f(false);
        f.forms.reset(); // it writes its own settings at its end
        f.parts.reset();
        QSettings(f.SettingsFile(), QSettings::IniFormat).clear(); // no cached values either
        QVERIFY(Put(f.SettingsFile(), stored));
        f.Restart(false);
        if (left >= 0) {
            QCOMPARE(f.w->frameGeometry().left(), left);
            return;
        }
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY(f.w->width() <= screen.width() && f.w->height() <= screen.height());
        QVERIFY(screen.intersects(f.w->geometry()));
        QVERIFY(f.w->height() >= f.w->minimumHeight());
    }
};

QTEST_MAIN(TestRecovery)
#include "tst_recovery.moc"
