// The main window as the operator drives it: the run by keys, mouse and contacts, the enabled
// flags of each state, the protocol's commands, the settings dialog and the cues, and files
// through its dialogs (what a load shows, what a save writes, the page, the office exports and
// imports through our stand-in servers). Times, places
// and the run a time goes to are the model's tests; here each path from a key or a contact to
// the protocol is checked once, where the window could lose a time.
#include "core/Competition.h"
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "input/PortNames.h"
#include "persist/ContactLog.h"
#include "persist/OfficeStandIn.h"
#include "persist/ProtocolText.h"
#include "persist/StartListImport.h"
#include "persist/Workbook.h"
#include "TestSupport.h"
#include "ui/audience/FMonitor2.h"
#include "ui/help/Help.h"
#include "ui/main/Sounds.h"
#include "ui/main/WindowLayout.h"
#include "ui/Pictures.h"
#include "widgets/SortGrid.h"

#include <atomic>
#include <optional>
#include <QAbstractButton>
#include <QComboBox>
#include <QDate>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QGroupBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QScopeGuard>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>
#include <QtTest>
#include <QXmlStreamReader>
#include <unistd.h>

namespace {
// Flags: the race clock, START, STOP1, STOP2, RESET, ABBRECHEN, the lists, the settings.
const QString Ready = "flags=01000011", Running = "flags=10110100", Finished = "flags=00001000";
const QString Heat1 = "F8 +8000 F4 +500 F6"; // track 1 8,00, track 2 8,50

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
        if (start) Put(dir.filePath("Start.wav"), "RIFF");
        Put(dir.filePath("Stop.wav"), "RIFF");
        QDir::setCurrent(dir.path());
    }
    ~TCueFolder() { QDir::setCurrent(previous); }
};

// Our stand-ins writing into the test's folder, and able to say that a server is missing.
class TTestServers : public TStandInServers {
public:
    using TStandInServers::TStandInServers;
    QStringList missing;
    bool Available(const QString& progId) const override {
        return !missing.contains(progId) && TStandInServers::Available(progId);
    }
    TAutoPtr Create(const QString& progId) override {
        if (missing.contains(progId)) throw EAutomation("Ungültige Klassenzeichenfolge");
        return TStandInServers::Create(progId);
    }
};

TTestServers& UseTestServers(TWindowFixture& f, const QStringList& missing = {}) {
    TStandInHost host;
    host.DocumentsFolder = f.dir.filePath("Dokumente");
    host.TempFolder = f.dir.filePath("tmp");
    host.OpenDocument = [&f](const QString& file) { f.dialogs.ShellOpen(file); };
    auto servers = std::make_unique<TTestServers>(host);
    servers->missing = missing;
    TTestServers& ref = *servers;
    f.w->OfficeServers = std::move(servers);
    f.w->DocTemplatePath = f.dir.filePath("Protokollvorlage.doc");
    f.w->UpdateControls();
    return ref;
}

QStringList StartNumbers(const QString& xlsx) {
    TWorkbook book;
    QString error;
    if (!ReadXlsxFile(xlsx, &book, &error)) return {error};
    QStringList out;
    for (const auto& row : book.Sheet.Rows)
        out << AutoValueText(row.value(0).Value);
    return out;
}

// The texts a window shows: title, labels, buttons, group titles, list entries, hints,
// placeholders, and the actions of the window and of its named menus (a control's own, such
// as a calendar's month list, speak the locale).
QStringList ShownTexts(QWidget& window) {
    QStringList texts{window.windowTitle()};
    QList<QAction*> actions = window.actions();
    for (QMenu* m : window.findChildren<QMenu*>())
        if (!m->objectName().isEmpty()) actions << m->actions();
    for (QAction* a : actions)
        texts << a->text() << a->toolTip();
    QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (QWidget* w : widgets << &window) {
        if (w != &window && !w->isVisibleTo(&window)) continue;
        texts << w->toolTip();
        if (auto* l = qobject_cast<QLabel*>(w)) texts << l->text();
        if (auto* b = qobject_cast<QAbstractButton*>(w)) texts << b->text();
        if (auto* g = qobject_cast<QGroupBox*>(w)) texts << g->title();
        if (auto* e = qobject_cast<QLineEdit*>(w)) texts << e->placeholderText();
        if (auto* c = qobject_cast<QComboBox*>(w))
            for (int i = 0; i < c->count(); ++i)
                texts << c->itemText(i);
    }
    return texts;
}
} // namespace

class TestWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // --- keys, clicks and what the window shows ------------------------------------------
    // A session of steps (TWindowFixture::Play; without a load of its own on 4 participants in
    // "Paarrennen") and the probes it must leave.
    void session_data() {
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("shown");
        const auto row = [](const char* name, const QString& steps, const QString& shown) {
            QTest::newRow(name) << steps << shown;
        };
        // The run.
        row("ready", "", Ready + "|tracks=1-2");
        row("F8", "F8", Running + "|focus=bSTOP1");
        row("F4 after 12.345 s", "F8 +12345 F4",
            "flags=10010000|d1=001234|c:5:1=12,34|on:sb1del=1|focus=bSTOP2");
        row("F6 a second later", "F8 +12345 F4 +1000 F6",
            Finished + "|d2=001334|c:6:2=13,34|focus=bRESET|red=--");
        row("F6 first: track 1 runs on", "F8 +7000 F6 +3000 ~",
            "flags=10100000|d1=001000|d2=000700|focus=bSTOP1");
        row("F9: the pair changes tracks", "F8 +12345 F4 +1000 F6 F9",
            Ready + "|d1=000000|tracks=2-1|on:sb1del=0");
        row("Ctrl+X before the first stop", "F8 +3000 ~ ^X",
            Ready + "|d1=000000|tracks=1-2|c:5:1=|on:seObmen=1");
        row("the mouse acts on the press",
            "press:bSTART +500 release:bSTART +4500 rclick:bSTOP2 +1000 click:bSTOP1 click:bRESET",
            Ready + "|c:6:2=5,00|c:5:1=6,00|tracks=2-1");
        // On from every start: the run follows the box, and one auto-reset moves one pair.
        row("auto-reset", "F8 +1000 F4 F6 +5000 poll +5000 poll",
            Ready + "|tracks=2-1|checked:cbAuto0=1");
        row("one tower: one STOP", "load:1/3 F8 +4000 F4", Finished + "|vis:bSTOP2=0|c:5:1=4,00");
        row("track keys in a heat move nobody", "F8 ^1 ^0", "on:Trasse1=0|tracks=1-2");
        // Commands that are not offered do nothing, whatever key reaches the window.
        row("ready: F4 F6 F9 Ctrl+X", "F4 F6 F9 ^X +1000 F4",
            Ready + "|tracks=1-2|col:5=,,,|col:6=,,,");
        row("running: F8 F9 keep the start", "F8 +1000 F8 F9 +1000 F4",
            "flags=10010000|c:5:1=2,00|on:Open1=0|on:mConfig=0");
        row("finished: F8 F4 Ctrl+X Ctrl+Del", "F8 +2000 F4 F6 F8 F4 ^X yes ^Del",
            Finished + "|c:5:1=2,00|c:6:2=2,00|asked=");
        row("no participants: no START", "mode:2 F8", "flags=00000011|tracks=---");
        row("the same participant on both tracks: no START", "row:1 ^2 F8",
            "flags=00000011|tracks=1-1");
        // START needs a free run on each track; cleared results give the runs back.
        const QString twice = "load:2/2 " + Heat1 + " F9 " + Heat1 + " F9";
        row("no free run: no START", twice + " F8",
            "red=rr|flags=00000011|note=Keine freien Läufe|col:5=8,00,8,00");
        row("cleared results give the runs back", twice + " yes ^Del",
            "red=--|on:mStart=1|note=|col:5=,");
        // The protocol's commands.
        row("delete a row: No, then Yes", "row:2 no ^- yes ^-",
            "asked=Zeile entfernen?/Zeile entfernen?|col:0=1,3,4|listed=1,3,4|modified=1");
        row("delete 2 rows", "load:2/5 row:2 yes menu:0",
            "asked=2 Zeile loschen?|col:0=1,4,5|listed=1,4,5");
        row("clear all: No, then Yes", Heat1 + " F9 no ^Del yes ^Del",
            "asked=Ergebnisse löschen?/Ergebnisse löschen?|col:5=,,,|col:6=,,,|tracks=1-2");
        // Rows deleted before RESET move the others up: DIS still marks the heat's own
        // participant, and RESET ends what DIS may mark.
        row("DIS after deleting 2 rows", "load:2/6 " + Heat1 + " row:4 yes menu:0 click:sb1del",
            "col:0=1,2,3,6|c:5:1=DIS.|c:11:1=|msgs=0");
        row("no DIS after RESET", Heat1 + " F9 click:sb1del", "c:5:1=8,00");
        // Undo and redo: not while a run is on; a place that went out with RESET asks first.
        row("Ctrl+Z after DIS gives the time back", Heat1 + " click:sb1del ^Z",
            "c:5:1=8,00|on:bUndo=1|on:mRedo=1|note=Rückgängig: DIS. von Name1");
        row("Ctrl+Y does it again", Heat1 + " click:sb1del ^Z ^Y", "c:5:1=DIS.|on:mRedo=0");
        row("no undo while running", Heat1 + " F9 F8", "on:mUndo=0|on:bUndo=0");
        const QString ask = "Rückgängig ändert bereits veröffentlichte Plätze. Trotzdem "
                            "rückgängig machen?";
        row("undo of a published place: No, then Yes",
            "runs:1 load:1/2 F8 +8000 F4 F9 no ^Z yes click:bUndo",
            "asked=" + ask + '/' + ask + "|c:5:1=|c:12:1=");
        // Deleting a participant on a track once the heat started: the row stays until RESET, and
        // the times reach the heat's own pair.
        row("delete the one on track 1, running", "F8 row:1 yes ^- +7000 F6 +1000 F4",
            "msgs=1|col:5=8,00,,,|c:6:2=7,00");
        // A double click that hits no row moves nobody (one on a row: the ranked rows).
        row("double click below the rows", "row:3 dbl:-1", "tracks=1-2");
        // A load while a heat runs does nothing and loses no time; after a finished heat it
        // ends the run first: the new protocol's first heat, no DIS into its cells.
        row("load during a heat", "open:91/4 F8 ^O +7000 F6",
            "col:0=1,2,3,4|on:Open1=0|on:cbBuhn1=0|c:6:2=7,00");
        row("load after a finished heat", "open:91/4 " + Heat1 + " yes ^O click:sb1del F9",
            Ready + "|col:0=91,92,93,94|col:5=,,,|tracks=91-92");
        // An auto-reset while a question waits: the delete still reaches the row it was asked
        // for.
        row("auto-reset during a question", "late load:2/5 " + Heat1 + " row:4 yes ^-",
            Ready + "|col:0=1,2,3,5|listed=1,2,3,5");
        // Runs used up in one mode leave the next mode's heat free to start.
        row("mode change refreshes the heat",
            "runs:4 load:0/2 " + Heat1 + " F9 " + Heat1 + " F9 " + Heat1 + " F9 " + Heat1 +
                " F9 F8 mode:2",
            Ready + "|tracks=1-2|on:seObmen=1");
        // A time or DIS written into the cell under an open editor stays, in the grid and in
        // the protocol; the editor's text goes. An edit of another cell still reaches both.
        const QString editing = "load:2/3 F8 +7000 F6 click:cbEditON ";
        row("STOP under the editor", editing + "edit:5:1:x +1000 F4 commit",
            "c:5:1=8,00|m:5:1=8,00");
        row("DIS under the editor",
            "load:2/3 F8 +7000 F6 +1000 F4 click:cbEditON edit:5:1:x "
            "click:sb1del commit",
            "c:5:1=DIS.|m:5:1=DIS.");
        row("an edit elsewhere stays", editing + "edit:1:3:x +1000 F4 commit",
            "c:1:3=Name3x|m:1:3=Name3x|c:5:1=8,00");
        row("Ctrl+X in the editor aborts, it cuts nothing",
            "F8 click:cbEditON edit:1:3: in:^X commit", Ready + "|c:1:3=Name3");
        // Closing asks while results are at stake; No leaves the clock alone.
        row("close, saved", "close", "shown=0|asked=");
        row("close while running: No", "F8 no close",
            "shown=1|asked=Beenden?\n\nEin Lauf wird gerade gemessen.|" + Running);
        // Ranked by class the rows are 1, 3 (A), 2, 4 (B); the lists stay in load order, and
        // every command reaches the participant of the row it was given.
        const QString ranked = "klass:4 load:2/4 sort load:2/4 ";
        row("ranked: sb1", ranked + "row:2 click:sb1", "tracks=3-2|col:0=1,3,2,4|listed=1,2,3,4");
        row("ranked: Ctrl+2", ranked + "row:2 ^2", "tracks=1-3");
        row("ranked: double click", ranked + "dbl:2", "tracks=3-4");
        row("ranked: delete", ranked + "row:2 yes ^-", "tracks=1-2|col:0=1,2,4|listed=1,2,4");
        row("ranked: a heat", ranked + "row:2 ^1 F8 +9000 F4 +1000 F6", "of:3:5=9,00|of:2:6=10,00");
    }
    void session() {
        QFETCH(QString, steps);
        QFETCH(QString, shown);
        TWindowFixture f;
        const bool own = steps.contains("load:") || steps.startsWith("mode");
        f.Play(own ? steps : "load:2/4 " + steps);
        f.Expect(shown);
    }

    // --- the settings dialog ---------------------------------------------------------------
    // Seconds in the dialog, milliseconds in the settings; Cancel leaves no trace. A heat that
    // a start contact began while the dialog was open runs on unchanged: OK counts at RESET.
    void settingsDialog_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("started");
        QTest::newRow("OK") << true << false;
        QTest::newRow("Cancel") << false << false;
        QTest::newRow("OK during a heat") << true << true;
    }
    void settingsDialog() {
        QFETCH(bool, ok);
        QFETCH(bool, started);
        TWindowFixture f;
        TSettings& s = f.Settings();
        s.TimerGesperrt = 12000, s.AutoTime = 7000, s.CountZabegov = 3, s.KlassCol = 2;
        f.Load(2, ParticipantRows(4));
        QString shown;
        f.dialogs.onModal = [&](QDialog& d) {
            const int typed[] = {25, 9, 5};
            int i = 0;
            for (const char* name : {"seTimeout", "seAuto0", "seZabegov"}) {
                auto* spin = Find<QSpinBox>(d, name);
                shown += QString::number(spin->value()) + ' ';
                spin->setValue(typed[i++]);
            }
            auto* klass = Find<QComboBox>(d, "cbKlass");
            shown += klass->currentText() + ' ';
            klass->setCurrentIndex(4);
            auto* format = Find<QComboBox>(d, "cbTimeFormat");
            shown += format->currentText();
            format->setCurrentIndex(0);
            if (started) f.Run().Start(TickCount()); // the start contact
            return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        f.Play("F2");
        QCOMPARE(shown, QString("12 7 3 Name, Vorname MM:SS,ss"));
        const auto after = [&] {
            return QList<int>{s.TimerGesperrt, s.AutoTime, s.CountZabegov, s.KlassCol,
                              s.TimeFormat};
        };
        if (started) {
            QCOMPARE(after(), QList<int>({12000, 7000, 3, 2, 1}));
            QVERIFY(f.Probe("note").contains("RESET"));
            f.Play("+69000 F4 F6");
            f.Expect("c:5:1=1:09,00|c:6:2=1:09,00"); // the heat's own format
            f.Play("F9");
            f.Expect("note=");
        }
        QCOMPARE(after(),
                 ok ? QList<int>({25000, 9000, 5, 4, 0}) : QList<int>({12000, 7000, 3, 2, 1}));
        // The protocol shows the fifth run's column after OK.
        QCOMPARE(f.Get<TSortGrid>("SortGrid1")->ColWidths(Col::Turm1 + 4) > 0, ok);
    }

    // The foot pads on a port of their own, never the contacts' one: a reaction beside the
    // digits, a false start as "FS." in its run's cell until Shift+F6 takes it back; pads
    // unplugged are told and the run goes on.
    void footPads() {
        TPty pty;
        TPortRedirect redirect({{1, pty.path}, {3, pty.path}});
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        auto pads = std::make_shared<TSimComLines>();
        f.parts->PadPort->setDeviceFactory(SimulatedDeviceFactory(pads));
        OpenSimulatedPort(f); // the contacts on COM1
        bool refused = false;
        f.dialogs.onModal = [&](QDialog& d) {
            auto* box = Find<QComboBox>(d, "cbPadPort");
            box->setCurrentText("COM1");
            refused = !Find<QPushButton>(d, "OKBtn")->isEnabled();
            box->setCurrentText("COM3");
            return int(QDialog::Accepted);
        };
        f.Play("F2");
        QVERIFY(refused && f.parts->PadPort->Connected());
        const auto settle = [&](auto done) {
            QVERIFY(WaitUntil([&] {
                QCoreApplication::processEvents();
                return done();
            }));
        };
        pads->setLines(true, true, false);
        settle([&] { return f.Run().PadStoodOn(0) == true && f.Run().PadStoodOn(1) == true; });
        f.Play("F8 +50");
        pads->setDSR(false);
        settle([&] { return f.Run().Reaction(1).has_value(); });
        f.clock.advance(93);
        pads->setCTS(false);
        settle([&] { return f.Run().Reaction(0).has_value(); });
        f.Expect("on:mClearFs1=0|on:mClearFs2=1");
        QCOMPARE(f.Get<QLabel>("LabReact1")->text(), "R 0,143");
        QCOMPARE(f.Get<QLabel>("LabReact2")->text(), "R 0,050");
        f.Play("+4857 F4 F6");
        const auto rows = [&] { return f.Competition().Rows(TCompetition::ForExitCopy); };
        QVERIFY(rows()[2].contains("FS.") && rows()[1].contains("5,00"));
        f.Play("_F6");
        QVERIFY(!rows()[2].contains("FS.") && rows()[2].contains("5,00"));
        pads->unplug();
        settle([&] { return f.Probe("note").contains("Startmatten getrennt"); });
    }

    // The contacts' port: the list holds what the start-up probe found; OK opens the choice
    // (one that is gone meanwhile stays closed, the number kept), "Keine" closes; the
    // contacts' polarities come from the dialog.
    void settingsPort_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<bool>("gone");       // the device unplugged before OK
        QTest::addColumn<QList<int>>("done"); // the port, whether it is open, the polarities
        QTest::newRow("another port") << "COM3" << false << QList<int>{3, 1, 1, 0, 1};
        QTest::newRow("another port, gone") << "COM3" << true << QList<int>{3, 0, 1, 0, 1};
        QTest::newRow("Keine closes, keeps the polarities")
            << "Keine" << false << QList<int>{0, 0, 0, 1, 0};
    }
    void settingsPort() {
        QFETCH(QString, choice);
        QFETCH(bool, gone);
        QFETCH(QList<int>, done);
        TPty pty;
        TPortRedirect redirect({{1, pty.path}, {3, pty.path}});
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        // Gone: the port's name now leads to no file at all.
        std::optional<TPortRedirect> unplugged;
        if (gone)
            unplugged.emplace(QHash<int, QString>{{3, f.dir.filePath("ttyGone")}});
        else
            OpenSimulatedPort(f);
        TSettings& s = f.Settings();
        s.Alg1 = 0, s.Alg2 = 1, s.Alg3 = 0;
        QStringList listed;
        f.dialogs.onModal = [&](QDialog& d) {
            auto* box = Find<QComboBox>(d, "cbPort");
            for (int i = 0; i < box->count(); ++i)
                listed << box->itemText(i);
            box->setCurrentText(choice);
            for (const char* name : {"cbAlg1", "cbAlg2", "cbAlg3"})
                Find<QComboBox>(d, name)->setCurrentIndex(name[5] == '2' ? 0 : 1);
            return int(QDialog::Accepted);
        };
        f.Play("F2");
        QCOMPARE(listed, (QStringList{"Keine", "COM1", "COM3"}));
        TComPort& port = *f.parts->Port;
        QCOMPARE(QList<int>({int(port.Port()), port.Connected(), s.Alg1, s.Alg2, s.Alg3}), done);
        QCOMPARE(s.Port, int(port.Port()));
    }

    // --- contacts ---------------------------------------------------------------------------
    // A contact's command takes the tick the serial thread read when the edge woke it, so a GUI
    // thread busy in between does not move a recorded time; a key reads the counter when it is
    // handled. For a normally closed contact ("OFF") a failed read once looked like the contact
    // opening: it does nothing, and the opening read after it acts.
    void contacts_data() {
        QTest::addColumn<int>("contact"); // 0 start, 1 stop 1, 2 stop 2
        QTest::addColumn<QString>("how"); // "edge", "key" or "failed read"
        for (const char* how : {"edge", "failed read"})
            for (int contact : {0, 1, 2})
                QTest::addRow("contact %d, %s", contact, how) << contact << QString(how);
        QTest::newRow("START by F8") << 0 << "key";
        QTest::newRow("STOP1 by F4") << 1 << "key";
    }
    void contacts() {
        QFETCH(int, contact);
        QFETCH(QString, how);
        TWindowFixture f;
        std::atomic<int> reads{0}; // the clock read off the GUI thread: by the event thread
        SetTickSource([&] {
            if (QThread::currentThread() != qApp->thread()) ++reads;
            return f.clock.now.load();
        });
        f.Play("load:2/4");
        if (contact > 0) // running, the start lock-out over: both stop beams armed
            f.Play("F8 +" + QString::number(f.Settings().TimerGesperrt) + " poll");
        if (how == "failed read") f.Settings().Alg1 = f.Settings().Alg2 = f.Settings().Alg3 = 1;
        const quint32 started = f.Run().StartTick();
        auto lines = OpenSimulatedPort(f);
        if (!f.Run().BeamArmed(BeamStart)) f.Play("F10");
        f.clock.advance(1234);
        const quint32 edge = f.clock.now;
        const int before = reads;
        if (how == "key") {
            f.clock.advance(80); // the key is handled 80 ms later: that is its time
            f.Play(contact == 0 ? "F8" : "F4");
        } else {
            if (how == "failed read") lines->failLineReads(1);
            SetLine(*lines, contact, true); // for "OFF" a closing: no action, whatever is read
            QElapsedTimer t;
            t.start();
            while (reads <= before && t.elapsed() < 5000) // no events: the GUI thread is busy
                QThread::yieldCurrentThread();
            f.clock.advance(80);
            if (how == "failed read") {
                QVERIFY(WaitUntil([&] { return lines->failedReadsLeft() == 0; }));
                QCoreApplication::processEvents();
                QVERIFY(!Acted(f, contact));
                SetLine(*lines, contact, false); // opens, and is read: that acts
            }
            QVERIFY(WaitUntil([&] { return Acted(f, contact); }));
        }
        const quint32 expected = how == "edge" ? edge : edge + 80;
        if (contact == 0)
            QCOMPARE(f.Run().StartTick(), expected);
        else
            QCOMPARE(f.Run().StopTime(contact - 1), expected - started);
        SetTickSource(TManualClock::Source(f.clock));
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

    // What a jury reads after a protest: the START the start contact gave, a stop pad touched
    // before its arming delay ended, and the STOP key's time; Ctrl+Shift+L opens the whole log.
    void contactLog() {
        QTemporaryDir folder; // the log outlives the window, as in the program
        TContactLog log(folder.path());
        const auto text = [&] { return Bytes(log.FileName()); };
        TWindowFixture f;
        f.w->StartContactLog(log);
        f.Play("load:2/4");
        auto lines = OpenSimulatedPort(f);
        if (!f.Run().BeamArmed(BeamStart)) f.Play("F10");
        lines->setCTS(true);
        QVERIFY(WaitUntil([&] { return f.Run().IsRunning(); }));
        f.clock.advance(1000);
        lines->setDSR(true);
        QVERIFY(WaitUntil([&] { return log.Flush() && text().contains("DSR"); }));
        f.Play("+4000 F4");
        QTest::keyClick(f.w, Qt::Key_L, Qt::ControlModifier | Qt::ShiftModifier);
        QCOMPARE(f.dialogs.shellOpened, QStringList{log.FileName()});
        for (const char* line : {"Kontakt Start\tCTS an\tSTART\n",
                                 "Kontakt Stopp 1\tDSR an\tignoriert: nicht scharf\n",
                                 "Befehl\tSTOP1\tSTOP 5,000 s\n"})
            QVERIFY2(text().contains(line), text().constData());
    }

    // --- the cues ---------------------------------------------------------------------------
    void cues_data() {
        QTest::addColumn<QString>("switches"); // master, start, stop
        QTest::addColumn<bool>("startFile");
        QTest::addColumn<QList<int>>("heard"); // start cues, stop cues, beeps
        QTest::newRow("master off") << "011" << true << QList<int>{0, 0, 0};
        QTest::newRow("only the stops") << "101" << true << QList<int>{0, 2, 0};
        QTest::newRow("no Start.wav: a beep") << "110" << false << QList<int>{1, 0, 1};
    }
    void cues() {
        QFETCH(QString, switches);
        QFETCH(bool, startFile);
        TCueFolder folder(startFile);
        TWindowFixture f;
        f.Expect(QString("on:mSound1=%1|on:mSound2=1").arg(startFile ? 1 : 0));
        f.Settings().isPlaySound = switches[0] == '1';
        f.Settings().isPlaySound1 = switches[1] == '1';
        f.Settings().isPlaySound2 = switches[2] == '1';
        f.Play("load:2/4 F8 +4321 F4 +3 F6"); // two stops a few ms apart: two cues
        const auto* sounds = Find<TSoundCues>(*f.w, "Sounds");
        QTEST(QList<int>({sounds->Played(CueStart), sounds->Played(CueStop), sounds->Beeps()}),
              "heard");
    }
    // --- rules under the window -------------------------------------------------------------
    // The date panel in the operator's language: in the US order with AM/PM, the year widened.
    void dateText() {
        const QDateTime morning(QDate(2026, 12, 5), QTime(6, 5, 59));
        QCOMPARE(DatePanelText(morning, QLocale(QLocale::German, QLocale::Germany)),
                 QString("05.12.2026   06:05"));
        QCOMPARE(DatePanelText(morning, QLocale(QLocale::English, QLocale::UnitedStates)),
                 QString("12/5/2026   6:05 AM"));
    }

    // Each picture draws something at 100 % and at 200 %, at the size asked for.
    void pictures() {
        InitResources();
        const QStringList files = QDir(":/pictures").entryList({"*.svg"});
        QVERIFY(!files.isEmpty());
        for (const QString& file : files)
            for (qreal scale : {1.0, 2.0}) {
                const QImage img = Picture(file.chopped(4)).pixmap(QSize(24, 24), scale).toImage();
                QCOMPARE(img.size(), QSize(24, 24) * scale);
                int opaque = 0;
                for (int i = 0; i < img.width() * img.height(); ++i)
                    opaque += qAlpha(img.pixel(i % img.width(), i / img.width())) > 128;
                QVERIFY2(opaque > img.width() * img.height() / 10, qPrintable(file));
            }
    }

    // In English (the catalogue that a stored Lang=1 loads; any other value is German), the
    // main window, the settings dialog and the audience window show no German text of the
    // program's own: none that the catalogue translates, none with an umlaut that is not a
    // translation. The language chosen in the dialog is what is stored.
    void englishWindows() {
        QFile ts(VELTARO_TEST_SOURCE_DIR "/../translations/veltaro_en.ts");
        QVERIFY(ts.open(QIODevice::ReadOnly));
        QXmlStreamReader xml(&ts);
        QMap<QString, QString> english;
        for (QString source; !xml.atEnd();)
            if (xml.readNext() == QXmlStreamReader::StartElement && xml.name() == u"source")
                source = xml.readElementText();
            else if (xml.isStartElement() && xml.name() == u"translation")
                english[source] = xml.readElementText();
        QVERIFY(!InstallProgramTranslation(7) && ProgramLanguage() == 0);
        QVERIFY(InstallProgramTranslation(1));
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedKingdom)); // the date panel
        const auto german = qScopeGuard([] {
            InstallProgramTranslation(0);
            QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        });
        TWindowFixture f;
        f.Settings().Lang = 7;
        QStringList shown = ShownTexts(*f.w) + ShownTexts(*f.forms->FormMonitor2), faults;
        QString langShown;
        f.dialogs.onModal = [&](QDialog& d) {
            shown << ShownTexts(d);
            langShown = Find<QComboBox>(d, "cbLang")->currentText();
            Find<QComboBox>(d, "cbLang")->setCurrentIndex(1);
            return int(QDialog::Accepted);
        };
        f.Play("F2");
        QCOMPARE(langShown + ' ' + QString::number(f.Settings().Lang), QString("Deutsch 1"));
        QVERIFY(shown.contains("Settings") && shown.contains("Qualification"));
        static const QRegularExpression umlaut(QStringLiteral("[äöüÄÖÜß]"));
        for (const QString& text : shown)
            if (english.value(text, text) != text ||
                (text.contains(umlaut) && !english.values().contains(text)))
                faults << text;
        QCOMPARE(faults, QStringList());
        QVERIFY(QFile::exists(DefaultHelpFile() + "/contents.tsv")); // the English manual
    }

    // A line without a number, too deep, without a title or page, or with too many fields is
    // left out; the good one stays.
    void helpContents() {
        QStringList got;
        for (const THelpEntry& e : ParseHelpContents(
                 "x\t0\tNoNumber\ta.html\n1\t2\tDeep\ta.html\n1\t0\t\ta.html\n1\t0\tNoPage\t\n"
                 "1\t0\tToo\tmany\tfields\n7\t0\tGood\tg.html"))
            got << QString("%1 %2").arg(e.context).arg(e.title);
        QCOMPARE(got, QStringList{"7 Good"});
    }

    // The current folder first, then the program's; a folder of that name is no sound file.
    void findCueFile() {
        QTemporaryDir current, program;
        const QStringList folders{current.path(), program.path()};
        QVERIFY(QDir(current.path()).mkdir("Start.wav"));
        QCOMPARE(FindCueFile("Stop.wav", folders), QString());
        QVERIFY(Put(program.filePath("Stop.wav"), ""));
        QCOMPARE(FindCueFile("Stop.wav", folders), program.filePath("Stop.wav"));
        QVERIFY(Put(current.filePath("Stop.wav"), ""));
        QCOMPARE(FindCueFile("Stop.wav", folders), current.filePath("Stop.wav"));
        QCOMPARE(FindCueFile("Start.wav", folders), QString());
    }

    // --- loading --------------------------------------------------------------------------
    // Ctrl+O over a protocol of three: a file that cannot be read keeps it and says why;
    // unsaved results go only when the operator says so; the file's content, not the type the
    // dialog showed, chooses the reader (a workbook too); what the reader had to repair is said. A
    // start list typed in an editor (semicolons, Windows-1252 umlauts, no entry numbers) loads
    // without a word, its file's name the competition's title.
    void open_data() {
        QTest::addColumn<QString>("steps");    // before Ctrl+O
        QTest::addColumn<QByteArray>("bytes"); // the file; empty: there is none
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("said"); // in the one message; empty: nothing said
        const auto row = [](const char* name, const char* steps, const QByteArray& bytes,
                            const QString& shown, const char* said = "") {
            QTest::newRow(name) << QString(steps) << bytes << shown << QString(said);
        };
        const QByteArray two = "St.Nr.\tName\t\r\n91\tA\t\r\n92\tB\t\r\n";
        const QString title = "|title=TL-Veltaro: Bezirkscup 2026";
        // A first start opens on the text type, the type of the example start list.
        const QString firstStart = "[Textdatei (*.txt *.csv)]; (*.xlsx);Alle Dateien (*)";
        row("missing file", "F8 +6000 F4 F6", "", "col:0=1,2,3|asked=", "nicht gelesen werden");
        row("unsaved: No keeps them", "F8 +6000 F4 F6 no", two, "col:0=1,2,3|modified=1");
        row("unsaved: Yes loads", "F8 +6000 F4 F6 yes", two,
            "col:0=91,92|modified=0|tracks=91-92" + title);
        row("saved: no question", "", two, "col:0=91,92|asked=|types=" + firstStart);
        row("text under the spreadsheet type", "filter:2", two, "col:0=91,92");
        row("UTF-8 with a stray byte", "",
            "St.Nr.\tName\t\r\n1\tM\xC3\xBCller \xE9\t\r\n2\tJ\xC3\xBCrg\t\r\n",
            QString::fromUtf16(u"c:1:1=Müller \uFFFD"), "enthält 1 ungültige UTF-8-Zeichen");
        row("a field too long", "",
            "St.Nr.\tName\t\r\n1\t" + QByteArray(ProtocolMaxFieldBytes + 1, 'x') + "\t\r\n",
            "c:1:1=" + QString(ProtocolMaxFieldBytes, 'x'),
            "1 Felder waren länger als 32767 Zeichen");
        row("too many lines", "",
            "St.Nr.\tName\t\r\n" + QByteArray("7\tMeier\t\r\n").repeated(ProtocolMaxRows + 9),
            "c:1:1=Meier", "10 Zeilen wurden nicht gelesen");
        row("typed start list", "",
            "Nr;Teilnehmer;Verein;Kat;Tag\r\n12;M\xfcller, J\xfcrgen;Gr\xfcnwald;A;\r\n"
            "7;Stra\xdf"
            "e, Anna ;Linz;B;\r\n3\tTab\tOrt\tA\t\r\n",
            "c:1:0=Teilnehmer|c:5:0=Turm1|col:1=Müller, Jürgen,Straße, Anna,Tab|col:13=1,2,3|"
            "tracks=12-7|modified=0|on:mStart=1" +
                title);
        // A workbook under a text file's name: the content decides.
        QTemporaryDir dir;
        TStandInServers servers;
        servers.Host().TempFolder = dir.path();
        TProtocolRows rows = ParticipantRows(4);
        rows[2][Col::Turm1] = "12,34";
        rows[3][Col::Turm1] = "DIS.";
        rows[0][Col::Ort] = "Verein";
        ExportSpreadsheet(servers, TOfficeTable{"TL-Veltaro", "x", rows, {}}, dir.filePath("a"));
        row("a workbook", "", Bytes(dir.filePath("a.xlsx")),
            "col:1=Name1,Name2,Name3,Name4|col:5=,12,34,DIS.,|c:2:0=Verein|col:13=1,2,3,4|"
            "modified=0" +
                title);
        row("a damaged workbook", "", "PK\x03\x04 damaged",
            "col:0=1,2,3|listed=1,2,3|title=TL-Veltaro: Wettkampf", "beschädigt");
    }
    void open() {
        QFETCH(QString, steps);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(QString, said);
        TWindowFixture f;
        const QString name = f.dir.filePath("Bezirkscup 2026.txt");
        if (!bytes.isEmpty()) QVERIFY(Put(name, bytes));
        f.dialogs.openNames = {name};
        f.Play("load:2/3 " + steps + " ^O");
        f.Expect(shown);
        if (!f.dialogs.asked.isEmpty())
            QVERIFY(f.dialogs.asked[0].startsWith("Ungespeicherte Ergebnisse verwerfen?"));
        QCOMPARE(f.dialogs.messages.size(), said.isEmpty() ? 0 : 1);
        if (!said.isEmpty()) QVERIFY2(f.dialogs.messages[0].contains(said), qPrintable(said));
    }

    // A registration export through the import dialog: the operator's choice of a column
    // reaches the protocol and is remembered for the same titles; a cancel, or No to losing
    // unsaved results, leaves the protocol as it was.
    void importStartList_data() {
        QTest::addColumn<QString>("steps"); // each ^I opens the dialog
        QTest::addColumn<bool>("accept");
        QTest::addColumn<QString>("shown");
        const QString imported = "col:0=12,7|col:1=Müller, Anna,Ohne|c:2:0=Wohnort|col:2=Linz,|"
                                 "col:5=,|modified=0|title=TL-Veltaro: Anmeldung";
        QTest::newRow("mapped") << "^I" << true << imported;
        QTest::newRow("remembered") << "^I ^I" << true << imported;
        QTest::newRow("cancelled") << "^I" << false << "col:0=1,2,3|title=TL-Veltaro: Wettkampf";
        QTest::newRow("unsaved, No") << "F8 +6000 F4 F6 no ^I" << true << "col:0=1,2,3|modified=1";
    }
    void importStartList() {
        QFETCH(QString, steps);
        QFETCH(bool, accept);
        TWindowFixture f;
        const QString name = f.dir.filePath("Anmeldung.csv");
        QVERIFY(Put(name, "\xEF\xBB\xBFStartnummer;Nachname;Vorname;Verein;Kategorie;Jahrgang;"
                          "Wohnort\r\n12;M\xC3\xBC"
                          "ller;Anna;SV Graz;Damen;2008;Linz\r\n7;Ohne;;;Herren;;\r\n"));
        f.dialogs.openNames = {name, name};
        int opened = 0;
        f.dialogs.onModal = [&](QDialog& d) {
            // The first time the operator takes the town instead of the club.
            if (opened++ == 0)
                Find<QComboBox>(d, "cbMap6")
                    ->setCurrentIndex(ImportTargetIndex(TImportTarget::Ort));
            QTest::mouseClick(Find<QPushButton>(d, accept ? "bImport" : "bCancel"), Qt::LeftButton);
            return d.result();
        };
        f.Play("load:2/3 " + steps);
        QFETCH(QString, shown);
        f.Expect(shown);
    }

    // A file read only in part is never replaced without asking, and never by the exit copy,
    // which asks no one.
    void partlyReadFileIsKept_data() {
        QTest::addColumn<QString>("target"); // what Ctrl+S names; "exit": the exit copy's name
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("overwritten");
        QTest::newRow("same file, No") << "./lang.txt" << QList<bool>{false} << false;
        QTest::newRow("same file, Yes") << "./lang.txt" << QList<bool>{true} << true;
        QTest::newRow("another file: no question") << "b.txt" << QList<bool>{} << true;
        QTest::newRow("the exit copy") << "exit" << QList<bool>{} << false;
    }
    void partlyReadFileIsKept() {
        QFETCH(QString, target);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, overwritten);
        TWindowFixture f;
        f.ChooseMode(1); // no dummy row
        const QString name = f.dir.filePath("lang.txt");
        const QByteArray original = QByteArray("St.Nr.\tName\t\r\n") +
                                    QByteArray("7\tMeier\t\r\n").repeated(ProtocolMaxRows + 12344);
        QVERIFY(Put(name, original));
        f.dialogs.openNames = {name};
        f.Play("^O");
        const QString file = f.dir.filePath(target == "exit" ? "lang.txt" : target);
        f.dialogs.saveNames = {file};
        f.dialogs.answers = answers;
        if (target == "exit") {
            f.w->ProgramFile = f.dir.filePath("lang"); // the copy's first choice: lang.txt
            f.w->Shutdown();
            QFile::remove(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                          "/lang.txt");
        } else {
            f.Play("^S");
        }
        QCOMPARE(f.dialogs.asked.size(), answers.size());
        if (!answers.isEmpty()) QVERIFY(f.dialogs.asked[0].contains("nur zum Teil gelesen"));
        QCOMPARE(QFileInfo::exists(file) && Bytes(file) != original, overwritten);
        if (!overwritten) QCOMPARE(Bytes(name), original);
    }

    // --- saving -----------------------------------------------------------------------------
    // A name without an extension gets the chosen type's; the "Qualifikation" dummy row stays
    // out of the file and on the screen. A failed save says what failed (message and status
    // line), keeps the caption's mark of unsaved results and leaves an older file alone.
    void save_data() {
        QTest::addColumn<QString>("typed"); // in the test's folder, where "blocker" is a file
        QTest::addColumn<int>("filter");    // 1 text, 2 spreadsheet, 3 document, 4 HTML; 0 as shown
        QTest::addColumn<QString>("written"); // or the start of the failure's message
        const auto row = [](const char* name, const char* typed, int filter, const char* written) {
            QTest::newRow(name) << QString(typed) << filter << QString(written);
        };
        row("text, no extension", "2026-12-05_Paarrennen", 1, "2026-12-05_Paarrennen.txt");
        row("a first start's type", "Ergebnis", 0, "Ergebnis.txt");
        row("HTML, no extension", "Ergebnis", 4, "Ergebnis.html");
        row("another extension kept", "Ergebnis.csv", 1, "Ergebnis.csv");
        row("spreadsheet", "out", 2, "out.xlsx");
        row("document", "out", 3, "out.docx");
        const char* failed = "Protokoll wurde nicht gespeichert";
        row("text fails", "blocker/Ergebnis", 1, failed);
        row("HTML fails", "blocker/Ergebnis", 4, "Error write file: ");
        row("spreadsheet fails", "blocker/Ergebnis", 2, failed);
        row("document fails", "blocker/Ergebnis", 3, failed);
    }
    void save() {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        TWindowFixture f;
        UseTestServers(f);
        f.Play("load:0/2 F8 +5000 F4 +100 F6");
        QVERIFY(Put(f.dir.filePath("blocker"), "old results\r\n"));
        f.dialogs.chosenFilter = filter;
        f.dialogs.saveNames << f.dir.filePath(typed);
        f.Play("^S");
        QCOMPARE(Bytes(f.dir.filePath("blocker")), QByteArray("old results\r\n"));
        if (typed.startsWith("blocker")) {
            QCOMPARE(f.dialogs.messages.size(), 1);
            QVERIFY2(f.dialogs.messages[0].startsWith(written), qPrintable(f.dialogs.messages[0]));
            QVERIFY(f.Get<QLabel>("StatusWritten")->text().startsWith("Nicht gespeichert"));
            f.Expect("modified=1|title=TL-Veltaro: Wettkampf*");
            return;
        }
        const QString file = f.dir.filePath(written);
        QVERIFY(QFileInfo::exists(file));
        if (written != typed) QVERIFY(!QFileInfo::exists(f.dir.filePath(typed)));
        f.Expect("modified=0|title=TL-Veltaro: Wettkampf|msgs=0|c:0:1=0");
        QVERIFY(f.dialogs.shellOpened.isEmpty());                // saved, not shown
        if (filter <= 1) QCOMPARE(Bytes(file).count("\r\n"), 3); // titles and two, no dummy
        if (filter == 2) QCOMPARE(StartNumbers(file), QStringList({"St.Nr.", "1", "2"}));
        QCOMPARE(f.Settings().FilterInd, qMax(filter, 1));
    }

    // --- the event folder and what every write says -----------------------------------------
    // Each command writes into the competition's folder under the day's name, shows the file
    // (Ctrl+P prints the page), changes nothing in the protocol and says so on the status line
    // (a click there opens the folder); the page is the protocol as shown, without the dummy
    // row. The exit leaves a dated copy there beside the usual one. A folder that cannot be written
    // is said, another may be chosen, and nothing is lost: declined, nothing is written and the
    // results stay unsaved.
    void eventFolder_data() {
        QTest::addColumn<QString>("steps"); // "blocked": a file where the folder should be
        QTest::addColumn<QString>("file");  // in the event folder; empty: none written
        const QString day = QDate::currentDate().toString("yyyy-MM-dd") + "_Qualifikation";
        QTest::newRow("page") << "^H" << day + ".html";
        QTest::newRow("page printed") << "^P" << day + ".html";
        QTest::newRow("document") << "^W" << day + ".docx";
        QTest::newRow("results") << "P" << day + "_Ergebnisliste.pdf";
        QTest::newRow("start list") << "N" << day + "_Startliste.pdf";
        QTest::newRow("exit") << QString("exit") << QString("Beenden *Wettkampf.txt");
        QTest::newRow("blocked, another chosen") << "blocked yes" << day + ".html";
        QTest::newRow("blocked, declined") << QString("blocked no") << QString();
    }
    void eventFolder() {
        QFETCH(QString, steps);
        QFETCH(QString, file);
        TWindowFixture f;
        UseTestServers(f);
        f.Play("load:0/2 " + Heat1);
        QString folder = f.Settings().EventFolder;
        if (steps.startsWith("blocked")) {
            QVERIFY(Put(folder, "x"));
            folder = f.dir.filePath("Anderer Ordner");
            QVERIFY(QDir().mkpath(folder));
            f.dialogs.folders << folder;
            f.Play(steps.mid(8) + " ^H");
            QVERIFY(f.dialogs.asked.value(0).contains("Einen anderen Wettkampfordner"));
            f.Expect("modified=1|title=TL-Veltaro: Wettkampf*");
            QCOMPARE(QDir(folder).isEmpty(), file.isEmpty());
            if (file.isEmpty()) return;
        } else if (steps == "exit") {
            f.w->ProgramFile = f.dir.filePath("veltaro");
            f.w->Shutdown();
            QVERIFY(QFileInfo::exists(f.dir.filePath("veltaro.txt")));
            const QStringList stamped = QDir(folder).entryList({file});
            TProtocolRows rows;
            QVERIFY(stamped.size() == 1 &&
                    ReadProtocolFile(folder + "/" + stamped[0], &rows, nullptr));
            QCOMPARE(rows.size(), 4); // titles, dummy, two climbers
            return;
        } else if (steps.size() == 1) {
            QTest::keyClick(f.w, steps[0].toLatin1(), Qt::ControlModifier | Qt::ShiftModifier);
        } else {
            f.Play(steps);
        }
        QVERIFY2(QFileInfo(folder + "/" + file).size() > 0, qPrintable(file));
        const QStringList& shown = steps == "^P" ? f.dialogs.shellPrinted : f.dialogs.shellOpened;
        QCOMPARE(QFileInfo(shown.value(0)), QFileInfo(folder + "/" + file));
        f.Expect("modified=1|c:0:1=0");
        if (file.endsWith(".html")) // the header row and two climbers
            QCOMPARE(Bytes(folder + "/" + file).count("<tr>"), 3);
        auto* said = f.Get<QLabel>("StatusWritten");
        QVERIFY(said->isVisible() && said->text().contains("Gespeichert: ") &&
                said->text().contains(file));
        emit said->linkActivated(said->text().section('"', 1, 1));
        QCOMPARE(QFileInfo(f.dialogs.shellOpened.last()), QFileInfo(folder));
    }

    // "Beenden?" with unsaved results says how many and offers to save: a save that is
    // cancelled or fails keeps the program open; the old Yes/No answers still work.
    void quitQuestion_data() {
        QTest::addColumn<QList<int>>("choices"); // 0 save, 1 leave, 2 stay; none: Yes/No
        QTest::addColumn<QString>("saveAs");     // "" cancels the save dialog
        QTest::addColumn<bool>("closed");
        QTest::newRow("save") << QList<int>{0} << "Ende.txt" << true;
        QTest::newRow("save cancelled") << QList<int>{0} << "" << false;
        QTest::newRow("save fails") << QList<int>{0} << "blocker/Ende.txt" << false;
        QTest::newRow("leave without saving") << QList<int>{1} << "" << true;
        QTest::newRow("cancel") << QList<int>{2} << "" << false;
        QTest::newRow("plain No") << QList<int>() << "" << false;
    }
    void quitQuestion() {
        QFETCH(QList<int>, choices);
        QFETCH(QString, saveAs);
        QFETCH(bool, closed);
        TWindowFixture f;
        QVERIFY(Put(f.dir.filePath("blocker"), ""));
        f.Play("load:1/3 F8 +5000 F4 F9 F8 +6000 F4");
        f.dialogs.quitChoices = choices;
        if (!saveAs.isEmpty()) f.dialogs.saveNames << f.dir.filePath(saveAs);
        f.Play("close");
        QCOMPARE(f.dialogs.asked.value(0), "Beenden?\n\n2 Ergebnisse sind nicht gespeichert.");
        f.Expect(QString("shown=%1|modified=%2").arg(!closed).arg(saveAs != "Ende.txt"));
    }

    // The official results of a two-category event read back from the PDF: heading, each
    // category on its own page ranked by place, the runs and the result, page numbers and the
    // judge's line.
    void resultsPdf() {
        const QString pdftotext = QStandardPaths::findExecutable("pdftotext");
        if (pdftotext.isEmpty()) QSKIP("pdftotext (poppler-utils) is not installed");
        TWindowFixture f;
        f.Settings().EventName = "Bezirkscup <Süd> 2026";
        f.Settings().EventPlace = "Kletterhalle Bern";
        f.Play("runs:1 klass:4 load:1/4 F8 +9000 F4 F9 F8 +7000 F4 F9 F8 +8000 F4 F9 F8 +6000 F4");
        QTest::keyClick(f.w, Qt::Key_P, Qt::ControlModifier | Qt::ShiftModifier);
        QProcess p;
        p.start(pdftotext, {"-layout", f.dialogs.shellOpened.value(0), "-"});
        QVERIFY(p.waitForFinished(30000));
        const QStringList pages = QString::fromUtf8(p.readAllStandardOutput()).split('\f');
        QCOMPARE(pages.size(), 3); // two pages, and what follows the last form feed
        const QString head = "Bezirkscup <Süd> 2026 Wettkampf " +
                             QDate::currentDate().toString("dd.MM.yyyy") +
                             " · Kletterhalle Bern Ergebnisliste – %1 – Individuelles Klettern "
                             "Platz St.Nr. Name, Vorname Ort Turm1 Zeit %2 Stand: ";
        const QString rows[2] = {"1 3 Name3 Ort3 8,00 8,00 2 1 Name1 Ort1 9,00 9,00",
                                 "1 4 Name4 Ort4 6,00 6,00 2 2 Name2 Ort2 7,00 7,00"};
        for (int i = 0; i < 2; ++i)
            QVERIFY2(pages[i].simplified().startsWith(head.arg(i ? "B" : "A", rows[i])) &&
                         pages[i].contains("Schiedsrichter (Unterschrift)") &&
                         pages[i].contains(QString("Seite %1 von 2").arg(i + 1)),
                     qPrintable(pages[i].simplified()));
        TWindowFixture pairs; // the heat list: who races whom, lane 1 before lane 2
        pairs.Play("load:2/4");
        QTest::keyClick(pairs.w, Qt::Key_R, Qt::ControlModifier | Qt::ShiftModifier);
        p.start(pdftotext, {"-layout", pairs.dialogs.shellOpened.value(0), "-"});
        QVERIFY(p.waitForFinished(30000));
        const QString heats = QString::fromUtf8(p.readAllStandardOutput()).simplified();
        QVERIFY2(
            heats.contains("Laufliste – Paarrennen Lauf St.Nr. Bahn 1 St.Nr. Bahn 2 1 1 Name1 2 "
                           "Name2 2 2 Name2 1 Name1 3 3 Name3 4 Name4"),
            qPrintable(heats));
    }

    // --- the office exports -----------------------------------------------------------------
    // Ctrl+E shows the workbook (the program's end takes it away again), Ctrl+W writes the
    // day's document and shows it, asking before it replaces an earlier one; neither changes
    // the protocol, and neither shows the dummy row. A missing spreadsheet program is said, a
    // missing word processor is not.
    void officeKeys_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QList<bool>>("answers"); // to "replace the day's earlier document?"
        QTest::addColumn<bool>("shown");
        const auto row = [](const char* name, const char* key, const char* missing,
                            const QList<bool>& answers, bool shown) {
            QTest::newRow(name) << QString(key) << QString(missing) << answers << shown;
        };
        row("^E", "^E", "", {}, true);
        row("^E, no spreadsheet program", "^E", "Excel.Application", {}, false);
        row("^W", "^W", "", {}, true);
        row("^W, no word processor", "^W", "Word.Basic", {}, false);
        row("^W, earlier one kept", "^W", "", {false}, false);
        row("^W, earlier one replaced", "^W", "", {true}, true);
    }
    void officeKeys() {
        QFETCH(QString, key);
        QFETCH(QString, missing);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, shown);
        TWindowFixture f;
        UseTestServers(f, {missing});
        f.Load(0, ParticipantRows(3));
        const TProtocolRows before = f.Competition().Rows(TCompetition::ForExitCopy);
        const QString day = f.Settings().EventFolder + "/" +
                            QDate::currentDate().toString("yyyy-MM-dd") + "_Qualifikation.docx";
        if (!answers.isEmpty()) QVERIFY(QDir().mkpath(f.Settings().EventFolder) && Put(day, ""));
        f.dialogs.answers = answers;
        f.Play(key);
        QCOMPARE(f.Competition().Rows(TCompetition::ForExitCopy), before);
        const bool said = key == "^E" && !missing.isEmpty();
        f.Expect(QString("c:0:1=0|modified=0|msgs=%1").arg(said ? 1 : 0));
        if (said) QVERIFY(f.dialogs.messages[0].contains("Klassenzeichenfolge"));
        QCOMPARE(f.dialogs.asked.size(), answers.size());
        QCOMPARE(f.dialogs.shellOpened.size(), shown ? 1 : 0);
        QCOMPARE(QFileInfo(day).size() > 0, key == "^W" && shown);
        QVERIFY(!QGuiApplication::overrideCursor()); // the hourglass is gone again
        if (!shown || key == "^W") return;
        const QString file = f.dialogs.shellOpened[0];
        QCOMPARE(StartNumbers(file), QStringList({"St.Nr.", "1", "2", "3"}));
        f.forms.reset();
        QVERIFY(!QFileInfo::exists(file));
    }

    // The ranking's column chosen by keys in the list beside the mode, then the protocol
    // showing one class: the other class's rows are hidden, never gone.
    void classView() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4)); // classes A B A B
        auto* wertung = f.Get<QComboBox>("cbWertung");
        auto* anzeige = f.Get<QComboBox>("cbAnzeige");
        QTest::keyClick(wertung, Qt::Key_End);
        QTest::keyClick(wertung, Qt::Key_Up);
        QCOMPARE(wertung->currentText() + '/' + QString::number(f.Settings().KlassCol),
                 "Wertung: nach Klasse/4");
        QCOMPARE(anzeige->count(), 3);
        QTest::keyClick(anzeige, Qt::Key_End); // "Anzeige: B"
        QCOMPARE(f.Probe("col:0") + '/' + QString::number(f.Competition().EntryCount()), "2,4/4");
        QTest::keyClick(anzeige, Qt::Key_Home);
        QCOMPARE(f.Probe("col:0"), "1,2,3,4");
    }
};

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
