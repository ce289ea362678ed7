// The start and stop cues on a machine without sound: which cues a run asks for under the
// three switches, the sound button and its menu, and where the cue files are found.
#include "TestSupport.h"
#include "ui/FMain.h"
#include "ui/Sounds.h"

#include <QDir>
#include <QFile>
#include <QMenu>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
// A folder to run the program in, with or without the two cue files.
struct TCueFolder {
    QTemporaryDir dir;
    QString previous = QDir::currentPath();
    TCueFolder(bool start, bool stop) {
        if (start) Touch(dir.filePath("Start.wav"));
        if (stop) Touch(dir.filePath("Stop.wav"));
        QDir::setCurrent(dir.path());
    }
    ~TCueFolder() { QDir::setCurrent(previous); }
    static void Touch(const QString& file) {
        QFile f(file);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write("RIFF");
    }
};

QImage Image(const QIcon& icon) {
    return icon.pixmap(31, 31).toImage().convertToFormat(QImage::Format_ARGB32);
}
QImage Glyph(const QToolButton* b) {
    return Image(b->icon());
}
} // namespace

class TestSounds : public QObject {
    Q_OBJECT
private slots:
    // --- which cues a run asks for -------------------------------------------------------
    void cues_data() {
        QTest::addColumn<bool>("master");
        QTest::addColumn<bool>("start");
        QTest::addColumn<bool>("stop");
        QTest::addColumn<int>("startCues");
        QTest::addColumn<int>("stopCues");
        QTest::newRow("all on") << true << true << true << 1 << 2;
        QTest::newRow("master off") << false << true << true << 0 << 0;
        QTest::newRow("only stops") << true << false << true << 0 << 2;
        QTest::newRow("only the start") << true << true << false << 1 << 0;
        QTest::newRow("master off, both items on") << false << true << true << 0 << 0;
    }
    void cues() {
        QFETCH(bool, master);
        QFETCH(bool, start);
        QFETCH(bool, stop);
        QFETCH(int, startCues);
        QFETCH(int, stopCues);
        TCueFolder folder(true, true);
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        f.w->Settings.isPlaySound = master;
        f.w->Settings.isPlaySound1 = start;
        f.w->Settings.isPlaySound2 = stop;
        f.Key(Qt::Key_F8);
        f.clock.advance(4321);
        f.Key(Qt::Key_F4);
        f.clock.advance(3); // both tracks within a few milliseconds: the second cue again
        f.Key(Qt::Key_F6);
        QVERIFY(!f.w->IsRunning());
        QCOMPARE(f.w->Sounds->Played(CueStart), startCues);
        QCOMPARE(f.w->Sounds->Played(CueStop), stopCues);
        QCOMPARE(f.w->Sounds->Beeps(), 0); // the files were there
    }

    // A file missing at cue time is the platform's beep, not silence and not a wait.
    void missingFileBeeps_data() {
        QTest::addColumn<bool>("startFile");
        QTest::addColumn<int>("beeps");
        QTest::newRow("file there") << true << 0;
        QTest::newRow("file missing") << false << 1;
    }
    void missingFileBeeps() {
        QFETCH(bool, startFile);
        QFETCH(int, beeps);
        TCueFolder folder(startFile, true);
        TWindowFixture f;
        f.Load(1, ParticipantRows(2));
        f.Key(Qt::Key_F8);
        QVERIFY(f.w->IsRunning());
        QCOMPARE(f.w->Sounds->Played(CueStart), 1);
        QCOMPARE(f.w->Sounds->Beeps(), beeps);
    }

    // --- the switches ----------------------------------------------------------------------
    void masterSwitch_data() {
        QTest::addColumn<int>("presses");
        QTest::addColumn<bool>("on");
        QTest::newRow("once") << 1 << false;
        QTest::newRow("twice") << 2 << true;
        QTest::newRow("three times") << 3 << false;
    }
    void masterSwitch() {
        QFETCH(int, presses);
        QFETCH(bool, on);
        TWindowFixture f;
        QVERIFY(f.w->Settings.isPlaySound); // on by default
        for (int i = 0; i < presses; ++i)
            f.Key(Qt::Key_QuoteLeft, Qt::ControlModifier);
        QCOMPARE(f.w->Settings.isPlaySound, on);
        // The glyph shows the switch.
        QCOMPARE(Glyph(f.w->sbSound), Image(SoundPicture(on)));
        QVERIFY(Image(SoundPicture(true)) != Image(SoundPicture(false)));
        // The button does the same as the key.
        QTest::mouseClick(f.w->sbSound, Qt::LeftButton);
        QCOMPARE(f.w->Settings.isPlaySound, !on);
    }

    // The items toggle their own switch and check mark, also with the master switch off, and
    // the switches outlive a restart.
    void itemSwitches_data() {
        QTest::addColumn<bool>("masterOn");
        QTest::addColumn<int>("item"); // 1 start, 2 stop
        QTest::newRow("start item") << true << 1;
        QTest::newRow("stop item") << true << 2;
        QTest::newRow("start item, master off") << false << 1;
    }
    void itemSwitches() {
        QFETCH(bool, masterOn);
        QFETCH(int, item);
        TCueFolder folder(true, true);
        TWindowFixture f;
        f.w->Settings.isPlaySound = masterOn;
        QAction* a = item == 1 ? f.w->mSound1 : f.w->mSound2;
        QVERIFY(a->isEnabled());
        QVERIFY(a->isChecked());
        a->trigger();
        const bool start = f.w->Settings.isPlaySound1, stop = f.w->Settings.isPlaySound2;
        QCOMPARE(item == 1 ? start : stop, false);
        QCOMPARE(item == 1 ? stop : start, true);
        QCOMPARE(a->isChecked(), false);
        f.Restart();
        QCOMPARE(f.w->Settings.isPlaySound, masterOn);
        QCOMPARE(f.w->mSound1->isChecked(), item != 1);
        QCOMPARE(f.w->mSound2->isChecked(), item != 2);
        QCOMPARE(Glyph(f.w->sbSound), Image(SoundPicture(masterOn)));
    }

    // --- the files ------------------------------------------------------------------------
    // An item is usable only when its file was found at start-up; a missing file does not
    // switch the cue off.
    void startupCheck_data() {
        QTest::addColumn<bool>("start");
        QTest::addColumn<bool>("stop");
        QTest::newRow("both") << true << true;
        QTest::newRow("no Start.wav") << false << true;
        QTest::newRow("no Stop.wav") << true << false;
        QTest::newRow("none") << false << false;
    }
    void startupCheck() {
        QFETCH(bool, start);
        QFETCH(bool, stop);
        TCueFolder folder(start, stop);
        TWindowFixture f;
        QCOMPARE(f.w->mSound1->isEnabled(), start);
        QCOMPARE(f.w->mSound2->isEnabled(), stop);
        QVERIFY(f.w->Settings.isPlaySound1 && f.w->Settings.isPlaySound2);
        QCOMPARE(f.w->Sounds->File(CueStart).isEmpty(), !start);
    }

    // The current folder first, then the program's.
    void findCueFile_data() {
        QTest::addColumn<bool>("inCurrent");
        QTest::addColumn<bool>("inProgram");
        QTest::addColumn<int>("found"); // 0 current, 1 program, -1 none
        QTest::newRow("current folder wins") << true << true << 0;
        QTest::newRow("only beside the program") << false << true << 1;
        QTest::newRow("only in the current folder") << true << false << 0;
        QTest::newRow("nowhere") << false << false << -1;
    }
    void findCueFile() {
        QFETCH(bool, inCurrent);
        QFETCH(bool, inProgram);
        QFETCH(int, found);
        QTemporaryDir current, program;
        if (inCurrent) TCueFolder::Touch(current.filePath("Stop.wav"));
        if (inProgram) TCueFolder::Touch(program.filePath("Stop.wav"));
        // A folder of that name is no sound file.
        QDir(current.path()).mkdir("Start.wav");
        const QStringList folders{current.path(), program.path()};
        const QString file = FindCueFile("Stop.wav", folders);
        QCOMPARE(file, found < 0 ? QString() : QDir(folders[found]).filePath("Stop.wav"));
        QCOMPARE(FindCueFile("Start.wav", folders), QString());
    }

    // The program's own cues are valid wave files of a fraction of a second.
    void shippedCues_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("start") << "Start.wav";
        QTest::newRow("stop") << "Stop.wav";
    }
    void shippedCues() {
        QFETCH(QString, name);
        QFile f(QStringLiteral(VELTARO_TEST_SOURCE_DIR "/../resources/sounds/") + name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray b = f.readAll();
        QVERIFY(b.startsWith("RIFF") && b.mid(8, 8) == "WAVEfmt ");
        const auto u32 = [&](int at) {
            return quint32(quint8(b[at])) | quint32(quint8(b[at + 1])) << 8 |
                   quint32(quint8(b[at + 2])) << 16 | quint32(quint8(b[at + 3])) << 24;
        };
        QCOMPARE(u32(4), quint32(b.size() - 8));
        const quint32 rate = u32(24), bytesPerSecond = u32(28), data = u32(40);
        QCOMPARE(data, quint32(b.size() - 44));
        const double seconds = double(data) / bytesPerSecond;
        QVERIFY2(seconds > 0.1 && seconds < 0.6, qPrintable(QString::number(seconds)));
        QVERIFY(rate >= 8000);
    }
};

QTEST_MAIN(TestSounds)
#include "tst_sounds.moc"
