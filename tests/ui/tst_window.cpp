// The main window as the operator drives it: the run by keys, mouse and contacts, the enabled
// flags of each state, the protocol's commands, the settings dialog, the cues and the window's
// own bits. Times, places and the run a time goes to are the model's tests; here each path
// from a key or a contact to the protocol is checked once, where the window could lose a time.
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "input/PortNames.h"
#include "persist/ProtocolText.h"
#include "TestSupport.h"
#include "ui/main/Sounds.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"

#include <atomic>
#include <fcntl.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <unistd.h>

namespace {
// Flags: the race clock, START, STOP1, STOP2, RESET, ABBRECHEN, the lists, the settings.
const QString Ready = "flags=01000011", Running = "flags=10110100", Finished = "flags=00001000";
const QString Heat1 = "F8 +8000 F4 +500 F6"; // track 1 8,00, track 2 8,50

void Session(const QString& steps, const QString& shown, TWindowFixture& f) {
    const bool own = steps.startsWith("load") || steps.startsWith("mode");
    f.Play(own ? steps : "load:2/4 " + steps);
    f.Expect(shown);
}

void SessionRows() {
    QTest::addColumn<QString>("steps");
    QTest::addColumn<QString>("shown");
}

// A pseudo-terminal: a device the port probe finds; the tests open a simulated one instead.
struct TPty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    TPty() { QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0); }
    ~TPty() { ::close(master); }
    QString Path() const { return QString::fromLocal8Bit(ptsname(master)); }
};

// A port whose device cannot be opened: unplugged, or held by another program.
class TRefusingDevice : public IComDevice {
public:
    void open() override { throw EComHandle("Device or resource busy"); }
    void configure(const TComSettings&) override {}
    void setEventMask(std::uint32_t) override {}
    TWait wait(std::uint32_t&) override { return TWait::Stopped; }
    void wake() override {}
    bool modemStatus(std::uint32_t&) override { return false; }
    int inQue() override { return 0; }
    void purgeInput() override {}
    void close() override {}
};

void SetLine(TSimComLines& lines, int contact, bool on) {
    if (contact == 0) lines.setCTS(on);
    if (contact == 1) lines.setDSR(on);
    if (contact == 2) lines.setDCD(on);
}

// Has the contact's command acted: START running, a STOP no longer offered.
bool Acted(TWindowFixture& f, int contact) {
    return contact == 0 ? f.Run().IsRunning()
                        : !f.Get<QAction>(contact == 1 ? "mSTOP1" : "mStop2")->isEnabled();
}

// The program started in a folder with the cue files (Start.wav only when asked for).
struct TCueFolder {
    QTemporaryDir dir;
    const QString previous = QDir::currentPath();
    explicit TCueFolder(bool start) {
        for (const char* cue : {"Start.wav", "Stop.wav"}) {
            QFile file(dir.filePath(cue));
            if ((start || cue[2] == 'o') && file.open(QIODevice::WriteOnly)) file.write("RIFF");
        }
        QDir::setCurrent(dir.path());
    }
    ~TCueFolder() { QDir::setCurrent(previous); }
};

// The window in a running heat whose start lock-out is over: both stop beams armed.
void StartRunning(TWindowFixture& f) {
    f.Play("load:2/4 F8 +" + QString::number(f.Settings().TimerGesperrt) + " poll");
}
} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // --- the run --------------------------------------------------------------------------
    void run_data() {
        SessionRows();
        QTest::newRow("ready") << "" << Ready + "|tracks=1-2|checked:cbAuto0=1";
        QTest::newRow("F8") << "F8" << Running + "|focus=bSTOP1";
        QTest::newRow("F4 after 12.345 s")
            << "F8 +12345 F4"
            << "flags=10010000|d1=001234|c:5:1=12,34|on:sb1del=1|focus=bSTOP2";
        QTest::newRow("F6 a second later")
            << "F8 +12345 F4 +1000 F6" << Finished + "|d2=001334|c:6:2=13,34|focus=bRESET";
        QTest::newRow("F6 first: track 1 runs on")
            << "F8 +7000 F6 +3000 ~"
            << "flags=10100000|d1=001000|d2=000700|focus=bSTOP1";
        QTest::newRow("F9: the pair changes tracks")
            << "F8 +12345 F4 +1000 F6 F9" << Ready + "|d1=000000|tracks=2-1|on:sb1del=0";
        QTest::newRow("Ctrl+X before the first stop")
            << "F8 +3000 ~ ^X" << Ready + "|d1=000000|tracks=1-2|c:5:1=|on:seObmen=1";
        QTest::newRow("the mouse acts on the press")
            << "press:bSTART +500 release:bSTART +4500 rclick:bSTOP2 +1000 click:bSTOP1"
            << Finished + "|c:6:2=5,00|c:5:1=6,00";
        QTest::newRow("RESET by the mouse")
            << "click:bSTART +5000 F4 F6 click:bRESET" << Ready + "|tracks=2-1";
        // On from every start: the run follows the box, and one auto-reset moves one pair.
        QTest::newRow("auto-reset")
            << "F8 +1000 F4 F6 +5000 poll +5000 poll" << Ready + "|tracks=2-1|checked:cbAuto0=1";
        QTest::newRow("one tower: one STOP")
            << "load:1/3 F8 +4000 F4" << Finished + "|vis:bSTOP2=0|text:bSTOP1=STOP|c:5:1=4,00";
        QTest::newRow("back to two towers: STOP2 shown, not offered")
            << "load:1/3 mode:2"
            << "vis:bSTOP2=1|on:bSTOP2=0|text:bSTOP1=STOP1";
        // Shortcuts of a heat: only while no heat runs, and only where they act.
        QTest::newRow("track keys at start-up") << "mode:2 ^1"
                                                << "on:Trasse1=0|on:sb1=0|tracks=---";
        QTest::newRow("track keys in a heat") << "F8 ^1 ^0"
                                              << "on:Trasse1=0|tracks=1-2";
        QTest::newRow("clearing all waits for RESET")
            << Heat1 << "on:CLS1=0|on:sbCLSall=0|on:mReset=1";
        QTest::newRow("clearing all after RESET") << Heat1 + " F9"
                                                  << "on:CLS1=1|on:sbCLSall=1";
    }
    void run() {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        TWindowFixture f;
        Session(steps, shown, f);
    }

    void disabledCommandsDoNothing_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<QString>("key");
        for (const char* key : {"F4", "F6", "F9", "^X"})
            QTest::addRow("ready %s", key) << "" << key;
        for (const char* key : {"F8", "F9", "F2", "^O"})
            QTest::addRow("running %s", key) << "F8" << key;
        for (const char* key : {"F8", "F4", "^X", "^Del"})
            QTest::addRow("finished %s", key) << "F8 +2000 F4 F6" << key;
        QTest::newRow("the same participant on both tracks") << "same"
                                                             << "F8";
        QTest::newRow("no participants") << "empty"
                                         << "F8";
    }
    void disabledCommandsDoNothing() {
        QFETCH(QString, state);
        QFETCH(QString, key);
        TWindowFixture f;
        if (state == "empty") {
            f.ChooseMode(2); // no "Qualifikation" dummy: the lists are really empty
        } else {
            f.Play("load:2/4");
            f.dialogs.openNames << f.dir.filePath("nothing.txt");
            if (state == "same") f.Get<QComboBox>("cbBuhn2")->setCurrentIndex(0);
            f.Play(state == "same" ? "" : state);
        }
        const auto shown = [&] {
            return QStringList{f.Probe("flags"), f.Probe("col:5"), f.Probe("col:6"),
                               QString::number(f.Run().StartTick()),
                               QString::number(f.dialogs.modalRuns + f.dialogs.openFolders.size())};
        };
        const QStringList before = shown();
        f.Play("+1000 yes " + key);
        QCOMPARE(shown(), before);
    }

    // The participant on a track gets the time, whatever his start-number cell holds.
    void unreadableStartNumberStillRecords() {
        TWindowFixture f;
        TProtocolRows rows = ParticipantRows(3);
        rows[1][Col::StNr] = QStringLiteral("Meier");
        f.Load(2, rows);
        f.Play("F8 +4000 F6 +1000 F4");
        f.Expect("col:5=5,00,,|c:6:2=4,00");
    }

    // --- captions and the status note -----------------------------------------------------
    void captions_data() {
        SessionRows();
        const QString twice = "load:2/2 " + Heat1 + " F9 " + Heat1 + " F9";
        QTest::newRow("a heat's end leaves them") << "load:2/2 " + Heat1 << "red=--|note=";
        QTest::newRow("no free run: no START") << twice + " F8"
                                               << "red=rr|flags=00000011|note=Keine freien Läufe";
        QTest::newRow("cleared results give the runs back") << twice + " yes ^Del"
                                                            << "red=--|on:mStart=1|note=|col:5=,";
    }
    void captions() {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        TWindowFixture f;
        Session(steps, shown, f);
    }

    // --- the protocol's commands ----------------------------------------------------------
    void protocolCommands_data() {
        SessionRows();
        QTest::newRow("delete a row: No") << "row:2 no ^-"
                                          << "col:0=1,2,3,4|modified=0";
        QTest::newRow("delete a row: Yes")
            << "row:2 yes ^-"
            << "asked=Zeile entfernen?|col:0=1,3,4|listed=1,3,4|modified=1";
        QTest::newRow("delete the only row") << "load:2/1 row:1 yes ^-"
                                             << "col:0=|listed=";
        QTest::newRow("delete 2 rows") << "load:2/5 row:2 yes menu:0"
                                       << "asked=2 Zeile loschen?|col:0=1,4,5|listed=1,4,5";
        QTest::newRow("delete to the end keeps the last")
            << "load:2/10 row:3 yes menu:5"
            << "asked=Bis zum Ende des Protokolls loschen?|col:0=1,2,10";
        QTest::newRow("clear all: No, then Yes")
            << Heat1 + " F9 no ^Del yes ^Del"
            << "asked=Ergebnisse löschen?/Ergebnisse löschen?|col:5=,,,|col:6=,,,|tracks=1-2";
        // Rows deleted before RESET move the others up: DIS still marks the heat's own
        // participant, and RESET ends what DIS may mark.
        QTest::newRow("DIS after a delete") << "load:2/6 " + Heat1 + " row:4 yes ^- click:sb1del"
                                            << "col:0=1,2,3,5,6|c:5:1=DIS.|msgs=0";
        QTest::newRow("DIS after deleting 2 rows")
            << "load:2/6 " + Heat1 + " row:4 yes menu:0 click:sb1del"
            << "col:0=1,2,3,6|c:5:1=DIS.|c:11:1=";
        QTest::newRow("no DIS after RESET") << Heat1 + " F9 click:sb1del"
                                            << "c:5:1=8,00";
        // Deleting a participant on a track: before START the track is left empty; once the
        // heat started the row stays until RESET, and the times reach the heat's own pair.
        QTest::newRow("delete the one on track 1, ready") << "row:1 yes ^-"
                                                          << "col:0=2,3,4|tracks=--2|msgs=0";
        QTest::newRow("delete the one on track 1, running") << "F8 row:1 yes ^- +7000 F6 +1000 F4"
                                                            << "msgs=1|col:5=8,00,,,|c:6:2=7,00";
        // A double click puts the row's pair on the tracks; one that hits no row moves nobody.
        QTest::newRow("double click on row 3") << "dbl:3"
                                               << "tracks=3-4";
        QTest::newRow("double click below the rows") << "row:3 dbl:-1"
                                                     << "tracks=1-2";
        QTest::newRow("double click on the titles") << "row:3 dbl:0"
                                                    << "tracks=1-2";
    }
    void protocolCommands() {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        TWindowFixture f;
        Session(steps, shown, f);
    }

    // Ranked by class the rows are 1, 3 (A), 2, 4 (B); the lists stay in load order, and every
    // command reaches the participant of the row it was given.
    void rankedView_data() {
        SessionRows();
        QTest::newRow("sb1") << "row:2 click:sb1"
                             << "tracks=3-2|col:0=1,3,2,4|listed=1,2,3,4";
        QTest::newRow("Ctrl+2") << "row:2 ^2"
                                << "tracks=1-3";
        QTest::newRow("double click") << "dbl:2"
                                      << "tracks=3-4";
        QTest::newRow("delete") << "row:2 yes ^-"
                                << "tracks=1-2|col:0=1,2,4|listed=1,2,4";
        QTest::newRow("a heat") << "row:2 ^1 F8 +9000 F4 +1000 F6"
                                << "of:3:5=9,00|of:2:6=10,00";
    }
    void rankedView() {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        TWindowFixture f;
        f.Settings().KlassCol = 4;
        Session("load:2/4 sort load:2/4 " + steps, shown, f);
    }

    // --- faults an operator once met -------------------------------------------------------
    void loadDuringAHeat_data() {
        QTest::addColumn<bool>("finished");
        QTest::newRow("running: nothing happens") << false;
        QTest::newRow("finished: the run ends first") << true;
    }
    void loadDuringAHeat() {
        QFETCH(bool, finished);
        TWindowFixture f;
        const QString name = f.dir.filePath("Neu.txt");
        QVERIFY(WriteProtocolFile(name, ParticipantRows(4, {91, 92, 93, 94}), nullptr));
        f.dialogs.openNames = {name};
        f.Play(finished ? "load:2/4 " + Heat1 + " yes ^O" : "load:2/4 F8 ^O +7000 F6");
        if (!finished) { // the heat runs on, and track 2's time is not lost
            f.Expect("col:0=1,2,3,4|on:Open1=0|on:cbBuhn1=0|c:6:2=7,00");
            return;
        }
        // The new protocol's first heat, not the one after it; no DIS into its cells.
        f.Play("click:sb1del F9");
        f.Expect(Ready + "|col:0=91,92,93,94|col:5=,,,|tracks=91-92");
    }

    void autoResetDuringAQuestion() {
        TWindowFixture f;
        f.dialogs.whileAsking = [&] {
            f.clock.advance(f.Settings().AutoTime);
            f.Run().Poll();
        };
        f.Play("load:2/5 " + Heat1 + " row:4 yes ^-");
        f.Expect(Ready + "|col:0=1,2,3,5|listed=1,2,3,5");
    }

    void modeChangeRefreshesTheHeat() {
        TWindowFixture f;
        f.Settings().CountZabegov = 4; // runs left for the pairs after the qualification
        f.Load(0, ParticipantRows(2));
        for (int heat = 0; heat < 8 && f.Get<QAction>("mStart")->isEnabled(); ++heat)
            f.Play(Heat1 + " F9");
        f.Expect("on:mStart=0");
        f.Play("mode:2");
        f.Expect("on:mStart=1|on:seObmen=1|tracks=1-2");
        QCOMPARE(f.Competition().Mode(), 2);
    }

    void abortWinsOverTheCellEditor() {
        TWindowFixture f;
        f.Play("load:2/4 F8 click:cbEditON");
        auto* grid = f.Get<TSortGrid>("SortGrid1");
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_F2);
        QLineEdit* editor = grid->InplaceEditor();
        QTRY_VERIFY(editor->hasFocus());
        editor->selectAll();
        QTest::keyClick(editor, Qt::Key_X, Qt::ControlModifier);
        f.Expect(Ready); // aborted, not cut
    }

    // A time or DIS written into the cell under an open editor stays; the editor's text goes.
    // An edit of another cell still reaches the protocol.
    void programWriteWinsOverTheEditor_data() {
        QTest::addColumn<QString>("write");
        QTest::addColumn<int>("row");
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("cell");
        QTest::newRow("STOP under the editor") << "+1000 F4" << 1 << int(Col::Turm1) << "8,00";
        QTest::newRow("DIS under the editor") << "click:sb1del" << 1 << int(Col::Turm1) << "DIS.";
        QTest::newRow("an edit elsewhere stays") << "+1000 F4" << 3 << int(Col::Name) << "Name3x";
    }
    void programWriteWinsOverTheEditor() {
        QFETCH(QString, write);
        QFETCH(int, row);
        QFETCH(int, col);
        QFETCH(QString, cell);
        TWindowFixture f;
        // The editor opens once track 2 stopped; DIS needs track 1 stopped as well.
        f.Play(write.startsWith("click") ? "load:2/3 F8 +7000 F6 +1000 F4"
                                         : "load:2/3 F8 +7000 F6");
        f.Play("click:cbEditON");
        auto* grid = f.Get<TSortGrid>("SortGrid1");
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, grid->CellRect(col, row).center());
        grid->setFocus();
        QTest::keyClick(grid, Qt::Key_Return);
        QVERIFY(grid->EditorMode());
        QTest::keyClicks(grid->InplaceEditor(), "x");
        f.Play(write);
        grid->setFocus(); // the editor, if still open, loses the focus and commits
        QCOMPARE(f.Cell(col, row), cell);
        QCOMPARE(f.Competition().Cell(row - 1, col), cell);
    }

    void closingAsksWhileResultsAreAtStake_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<QString>("asked");
        QTest::addColumn<bool>("closed");
        QTest::newRow("saved") << "" << false << "" << true;
        QTest::newRow("running, No") << "F8" << false << "Beenden?" << false;
        QTest::newRow("unsaved, No") << Heat1 << false << "Beenden?" << false;
        QTest::newRow("unsaved, Yes") << Heat1 << true << "Beenden?" << true;
    }
    void closingAsksWhileResultsAreAtStake() {
        QFETCH(QString, steps);
        QFETCH(bool, answer);
        QFETCH(QString, asked);
        QFETCH(bool, closed);
        TWindowFixture f;
        f.Play("load:2/4 " + steps);
        f.dialogs.answers = {answer};
        QCOMPARE(f.w->close(), closed);
        QCOMPARE(f.dialogs.asked.join('/'), asked);
        QCOMPARE(f.Run().IsRunning(), steps == "F8"); // a No leaves the clock alone
        f.Competition().SetModified(false);
        f.Play("^X");
    }

    // --- the settings dialog ---------------------------------------------------------------
    // Seconds in the dialog, milliseconds in the settings; Cancel leaves no trace. A heat that
    // a start contact began while the dialog was open runs on unchanged: OK counts at RESET.
    void settingsDialog_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("started");
        QTest::addColumn<int>("vid");
        QTest::newRow("OK") << true << false << 2;
        QTest::newRow("Cancel") << false << false << 2;
        QTest::newRow("OK during a heat") << true << true << 2;
        QTest::newRow("OK, one tower") << true << false << 1;
    }
    void settingsDialog() {
        QFETCH(bool, ok);
        QFETCH(bool, started);
        QFETCH(int, vid);
        TWindowFixture f;
        TSettings& s = f.Settings();
        s.TimerGesperrt = 12000, s.AutoTime = 7000, s.CountZabegov = 3, s.KlassCol = 2;
        f.Load(vid, ParticipantRows(4));
        QString shown;
        f.dialogs.onModal = [&](QDialog& d) {
            const auto spin = [&](const char* name) { return Find<QSpinBox>(d, name); };
            shown = QString("%1 %2 %3 %4 %5")
                        .arg(spin("seTimeout")->value())
                        .arg(spin("seAuto0")->value())
                        .arg(spin("seZabegov")->value())
                        .arg(spin("seKlass")->value())
                        .arg(Find<QComboBox>(d, "cbTimeFormat")->currentText());
            spin("seTimeout")->setValue(25);
            spin("seAuto0")->setValue(9);
            spin("seZabegov")->setValue(5);
            spin("seKlass")->setValue(4);
            Find<QComboBox>(d, "cbTimeFormat")->setCurrentIndex(0);
            if (started) f.Run().Start(TickCount()); // the start contact
            return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        f.Play("F2");
        QCOMPARE(f.dialogs.modalRuns, 1);
        QCOMPARE(shown, QString("12 7 3 2 MM:SS,ss"));
        const auto after = [&] {
            return QString("%1 %2 %3 %4 %5")
                .arg(s.TimerGesperrt)
                .arg(s.AutoTime)
                .arg(s.CountZabegov)
                .arg(s.KlassCol)
                .arg(s.TimeFormat);
        };
        if (started) {
            QCOMPARE(after(), QString("12000 7000 3 2 1"));
            QVERIFY(f.Probe("note").contains("RESET"));
            f.Play("+69000 F4 F6");
            f.Expect("c:5:1=1:09,00|c:6:2=1:09,00"); // the heat's own format
            f.Play("F9");
            f.Expect("note=");
        }
        QCOMPARE(after(), ok ? QString("25000 9000 5 4 0") : QString("12000 7000 3 2 1"));
        if (ok) QCOMPARE(f.Get<QWidget>("cbAuto0")->toolTip(), QString("Autoreset 9 Sek."));
        // The protocol shows the fifth run's column after OK, never the sixth.
        auto* grid = f.Get<TSortGrid>("SortGrid1");
        QCOMPARE(grid->ColWidths(Col::Turm1 + 4) > 0, ok);
        QCOMPARE(grid->ColWidths(Col::Turm6), -1);
        // "Auf allen Strecken" only with one tower and more than one run.
        f.Expect(QString("vis:cbAllTrasse=%1").arg(vid == 1 ? 1 : 0));
    }

    // The contacts' port: the list holds what the start-up probe found; OK opens a new choice,
    // leaves the same one as it is, "Keine" closes; the beam pictures show an open port.
    void settingsPort_data() {
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("openFirst");
        QTest::addColumn<bool>("refuse"); // opening the chosen port fails
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("done"); // opens closes, then the port and whether it is open
        QTest::addColumn<QString>("polarities");
        QTest::newRow("another port") << 1 << true << false << "COM3"
                                      << "1 1 3 1"
                                      << "101";
        QTest::newRow("the same port again") << 3 << true << false << "COM3"
                                             << "0 0 3 1"
                                             << "101";
        QTest::newRow("Keine closes and keeps the polarities") << 3 << true << false << "Keine"
                                                               << "0 1 0 0"
                                                               << "010";
        QTest::newRow("stored port gone: the last listed") << 8 << false << false << ""
                                                           << "1 0 3 1"
                                                           << "101";
        QTest::newRow("a failed open is swallowed, the number kept") << 1 << true << true << "COM3"
                                                                     << "1 1 3 0"
                                                                     << "101";
    }
    void settingsPort() {
        QFETCH(int, stored);
        QFETCH(bool, openFirst);
        QFETCH(bool, refuse);
        QFETCH(QString, choice);
        QFETCH(QString, done);
        QFETCH(QString, polarities);
        TPty pty;
        TPortRedirect redirect({{1, pty.Path()}, {3, pty.Path()}});
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TComPort& port = *f.parts->Port;
        int opens = 0, closes = 0;
        bool refusing = false;
        const auto sim = SimulatedDeviceFactory(std::make_shared<TSimComLines>());
        port.setDeviceFactory([&](int n) -> std::unique_ptr<IComDevice> {
            ++opens;
            if (refusing) return std::make_unique<TRefusingDevice>();
            return sim(n);
        });
        port.setPort(quint8(stored));
        if (openFirst) port.Open();
        opens = 0;
        QObject::connect(&port, &TComPort::OnClose, [&] { ++closes; });
        TSettings& s = f.Settings();
        s.Alg1 = 0, s.Alg2 = 1, s.Alg3 = 0;
        QStringList listed;
        f.dialogs.onModal = [&](QDialog& d) {
            auto* box = Find<QComboBox>(d, "cbPort");
            for (int i = 0; i < box->count(); ++i)
                listed << box->itemText(i);
            if (!choice.isEmpty()) box->setCurrentText(choice);
            for (const char* name : {"cbAlg1", "cbAlg2", "cbAlg3"})
                Find<QComboBox>(d, name)->setCurrentIndex(name[5] == '2' ? 0 : 1);
            refusing = refuse;
            return int(QDialog::Accepted);
        };
        f.Play("F2");
        QCOMPARE(listed, (QStringList{"Keine", "COM1", "COM3"}));
        QCOMPARE(QString("%1 %2 %3 %4")
                     .arg(opens)
                     .arg(closes)
                     .arg(port.Port())
                     .arg(port.Connected() ? 1 : 0),
                 done);
        QCOMPARE(s.Port, int(port.Port()));
        QCOMPARE(QString("%1%2%3").arg(s.Alg1).arg(s.Alg2).arg(s.Alg3), polarities);
        f.Expect(QString("vis:ImageLSstart=%1").arg(port.Connected() ? 1 : 0));
    }

    // --- contacts ---------------------------------------------------------------------------
    // START and STOP take the tick the serial thread read when the edge woke it, so a GUI
    // thread busy in between does not move a recorded time; a key reads the counter when it is
    // handled.
    void contactTakesTheEdgeTick_data() {
        QTest::addColumn<int>("contact"); // 0 start, 1 stop 1, 2 stop 2
        QTest::addColumn<bool>("byKey");
        QTest::newRow("START by contact") << 0 << false;
        QTest::newRow("STOP1 by contact") << 1 << false;
        QTest::newRow("STOP2 by contact") << 2 << false;
        QTest::newRow("START by F8") << 0 << true;
        QTest::newRow("STOP1 by F4") << 1 << true;
    }
    void contactTakesTheEdgeTick() {
        QFETCH(int, contact);
        QFETCH(bool, byKey);
        TWindowFixture f;
        std::atomic<int> reads{0}; // the clock read off the GUI thread: by the event thread
        SetTickSource([&] {
            if (QThread::currentThread() != qApp->thread()) ++reads;
            return f.clock.now.load();
        });
        if (contact == 0)
            f.Play("load:2/4");
        else
            StartRunning(f);
        const quint32 started = f.Run().StartTick();
        auto lines = OpenSimulatedPort(f);
        if (!f.Run().BeamArmed(BeamStart)) f.Play("F10");
        f.clock.advance(1234);
        const quint32 edge = f.clock.now;
        const int before = reads;
        if (byKey) {
            f.clock.advance(80); // the key is handled 80 ms later: that is its time
            f.Play(contact == 0 ? "F8" : "F4");
        } else {
            SetLine(*lines, contact, true);
            QElapsedTimer t;
            t.start();
            while (reads <= before && t.elapsed() < 5000) // no events: the GUI thread is busy
                QThread::yieldCurrentThread();
            f.clock.advance(80);
            QVERIFY(WaitUntil([&] { return Acted(f, contact); }));
        }
        const quint32 expected = byKey ? edge + 80 : edge;
        if (contact == 0)
            QCOMPARE(f.Run().StartTick(), expected);
        else
            QCOMPARE(f.Run().StopTime(contact - 1), expected - started);
        SetTickSource(TManualClock::Source(f.clock));
    }

    // For a normally closed contact ("OFF") a failed read once looked like the contact
    // opening: it must do nothing.
    void failedReadIsNoEdge_data() {
        QTest::addColumn<int>("contact");
        QTest::newRow("start") << 0;
        QTest::newRow("stop 1") << 1;
        QTest::newRow("stop 2") << 2;
    }
    void failedReadIsNoEdge() {
        QFETCH(int, contact);
        TWindowFixture f;
        if (contact == 0)
            f.Play("load:2/4");
        else
            StartRunning(f);
        f.Settings().Alg1 = f.Settings().Alg2 = f.Settings().Alg3 = 1;
        auto lines = OpenSimulatedPort(f);
        if (!f.Run().BeamArmed(BeamStart)) f.Play("F10");
        lines->failLineReads(1);
        SetLine(*lines, contact, true); // closes: no action for "OFF", whatever the read gives
        QVERIFY(WaitUntil([&] { return lines->failedReadsLeft() == 0; }));
        QCoreApplication::processEvents();
        QVERIFY(!Acted(f, contact));
        SetLine(*lines, contact, false); // opens, and is read: that acts
        QVERIFY(WaitUntil([&] { return Acted(f, contact); }));
    }

    // The beam pictures show an open port and follow F10..F12; a start-up probes every number
    // through the port table and opens nothing real.
    void beams() {
        TPortRedirect redirect;
        TWindowFixture f;
        for (int n = 1; n <= MaxProbedPort; ++n)
            QVERIFY2(redirect.asked.contains(n), qPrintable(QString::number(n)));
        f.Expect("vis:ImageLS1=0");
        f.Play("F10 F11 F12 F11");
        QVERIFY(f.Run().BeamArmed(BeamStart) && f.Run().BeamArmed(BeamStop2));
        QVERIFY(!f.Run().BeamArmed(BeamStop1));
        auto lines = OpenSimulatedPort(f);
        f.Expect("vis:ImageLSstart=1|vis:ImageLS2=1");
        QVERIFY(lines->dtr() && lines->rts()); // the contacts' source is live
        lines->unplug();
        QVERIFY(WaitUntil([&] { return f.Probe("vis:ImageLSstart") == "0"; }));
    }

    // Heats with bouncing contacts through the real event thread: one START and one STOP per
    // track each, none lost and none twice.
    void bouncingContacts() {
        TWindowFixture f;
        f.Settings().TimerGesperrt = 1000;
        f.Play("load:2/6");
        auto lines = OpenSimulatedPort(f);
        f.Play("F10");
        int starts = 0, stops = 0;
        QObject::connect(&f.Run(), &TRunController::Started, [&] { ++starts; });
        QObject::connect(&f.Run(), &TRunController::TrackStoppedAt, [&] { ++stops; });
        for (int h = 0; h < 300; ++h) {
            for (int i = 0; i < 5; ++i)
                lines->setCTS(i % 2 == 0);
            QVERIFY2(WaitUntil([&] { return starts == h + 1; }), qPrintable(QString::number(h)));
            lines->setCTS(false);
            f.Play("+1000 poll"); // the lock-out is over: both stop beams armed
            for (int i = 0; i < 5; ++i) {
                lines->setDSR(i % 2 == 0);
                lines->setDCD(i % 2 == 0);
            }
            QVERIFY(WaitUntil([&] { return f.Run().CanReset(); }));
            lines->setDSR(false);
            lines->setDCD(false);
            f.Run().Reset();
            QCOMPARE(stops, 2 * (h + 1));
            // Every pair has run both ways: the runs go, so that the next heat can record.
            if (!f.Run().CanStart()) QVERIFY(f.Competition().ClearResults());
        }
    }

    // --- the cues ---------------------------------------------------------------------------
    void cues_data() {
        QTest::addColumn<QString>("switches"); // master, start, stop
        QTest::addColumn<bool>("startFile");
        QTest::addColumn<QString>("heard"); // start cues, stop cues, beeps
        QTest::newRow("all on") << "111" << true << "1 2 0";
        QTest::newRow("master off") << "011" << true << "0 0 0";
        QTest::newRow("only the stops") << "101" << true << "0 2 0";
        QTest::newRow("only the start") << "110" << true << "1 0 0";
        QTest::newRow("no Start.wav: a beep") << "111" << false << "1 2 1";
    }
    void cues() {
        QFETCH(QString, switches);
        QFETCH(bool, startFile);
        QFETCH(QString, heard);
        TCueFolder folder(startFile);
        TWindowFixture f;
        f.Expect(QString("on:mSound1=%1|on:mSound2=1").arg(startFile ? 1 : 0));
        f.Settings().isPlaySound = switches[0] == '1';
        f.Settings().isPlaySound1 = switches[1] == '1';
        f.Settings().isPlaySound2 = switches[2] == '1';
        f.Play("load:2/4 F8 +4321 F4 +3 F6"); // two stops a few ms apart: two cues
        QCOMPARE(QString("%1 %2 %3")
                     .arg(f.w->Sounds->Played(CueStart))
                     .arg(f.w->Sounds->Played(CueStop))
                     .arg(f.w->Sounds->Beeps()),
                 heard);
    }

    // --- the window's own bits ----------------------------------------------------------------
    // One tower: START, STOP and ABBRECHEN stay reachable (nothing lies over them).
    void oneTowerCommandsCanBeReached() {
        TWindowFixture f;
        f.Play("load:1/3 F8");
        for (const char* name : {"bSTART", "bSTOP1", "bAbbruch"}) {
            QWidget* b = f.Get<QWidget>(name);
            QWidget* hit = f.w->childAt(b->mapTo(f.w, b->rect().center()));
            while (hit && hit != b)
                hit = hit->parentWidget();
            QVERIFY2(hit == b && b->isVisible(), name);
        }
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
