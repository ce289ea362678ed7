// The program coming up and going down: the order of the main window's creation steps and of
// the forms, the shutdown, where the exit copy goes, the window's stored position, Qt's own
// German dialogs, and the file dialogs' folder and extension.
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "persist/ExitCopy.h"
#include "TestSupport.h"
#include "ui/AppForms.h"
#include "ui/Cfg.h"
#include "ui/FInfo.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "widgets/SortGrid.h"

#include <fcntl.h>
#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>
#include <unistd.h>

namespace {
// The creation of the main window, step by step, as the program is to do it.
const QStringList CreationSteps = {"caption",
                                   "paths",
                                   "file types",
                                   "settings",
                                   "calendar, colours, sound state",
                                   "auto-reset hint",
                                   "dialog filters",
                                   "load hint",
                                   "sound files",
                                   "competition mode",
                                   "help",
                                   "port probe",
                                   "save dialog name",
                                   "row delete key",
                                   "date panel",
                                   "monitor rule",
                                   "open port",
                                   "column titles",
                                   "update controls",
                                   "beam pictures",
                                   "modified flag",
                                   "language",
                                   "pointer"};

// A pseudo-terminal: a character device that a port probe finds.
struct TPty {
    int master = posix_openpt(O_RDWR | O_NOCTTY);
    TPty() { QVERIFY(master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0); }
    ~TPty() { ::close(master); }
    QString Path() const { return QString::fromLocal8Bit(ptsname(master)); }
};

// Observes every step of one window's life; cleared again when it goes.
struct TStepWatch {
    std::function<void(TFormMain&, const QString&)> each;
    QStringList seen;
    TStepWatch() {
        TFormMain::StartupObserver = [this](TFormMain& w, const QString& step) {
            seen << step;
            if (each) each(w, step);
        };
    }
    ~TStepWatch() { TFormMain::StartupObserver = nullptr; }
};

QByteArray ReadAll(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
} // namespace

class TestStartup : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QStandardPaths::setTestModeEnabled(true); }

    // --- the order of creation ------------------------------------------------------------
    // Each step finds what the earlier ones prepared: the stored settings before the mode,
    // the mode before the track count is read, the probe before the port opens.
    void creationOrder() {
        QTemporaryDir dir;
        TPty pty;
        TPortRedirect redirect({{3, pty.Path()}});
        {
            QSettings store(dir.filePath("s.conf"), QSettings::IniFormat);
            TSettings s;
            s.Port = 3;
            s.Vid = 1; // one track
            s.CountBahn = 2;
            s.AutoTime = 8000;
            s.isPlaySound = false;
            QVERIFY(SaveSettings(store, s));
        }
        TAppParts parts(std::make_unique<QSettings>(dir.filePath("s.conf"), QSettings::IniFormat));
        QStringList openedDuring;
        quint32 maskAtOpen = 0;
        TFormMain* window = nullptr;
        parts.Port->setDeviceFactory(
            [&, sim = SimulatedDeviceFactory(std::make_shared<TSimComLines>())](int port) {
                openedDuring << window->StartupSteps.value(window->StartupSteps.size() - 1);
                maskAtOpen = window->PortMask;
                return sim(port);
            });
        QHash<QString, QString> before; // what the window held as each step began
        TStepWatch watch;
        watch.each = [&](TFormMain& w, const QString& step) {
            window = &w;
            before[step] = QString("vid=%1 tracks=%2 mask=%3 open=%4 hint=%5")
                               .arg(w.Vid())
                               .arg(w.Settings.CountBahn)
                               .arg(w.PortMask ? 1 : 0)
                               .arg(w.ComPort->Connected() ? 1 : 0)
                               .arg(w.cbAuto0->toolTip());
        };
        TScriptedDialogs dialogs;
        TFormMain w(parts, &dialogs);
        QCOMPARE(w.StartupSteps, CreationSteps);
        QCOMPARE(watch.seen, CreationSteps);
        // Settings are read before anything uses them; the mode is not yet applied.
        QCOMPARE(before["settings"], QString("vid=0 tracks=2 mask=0 open=0 hint="));
        QCOMPARE(before["auto-reset hint"], QString("vid=1 tracks=2 mask=0 open=0 hint="));
        // The mode sets the track count before the probe, the probe comes before the opening.
        QCOMPARE(before["port probe"],
                 QString("vid=1 tracks=1 mask=0 open=0 hint=Autoreset 8 Sek."));
        QCOMPARE(before["open port"],
                 QString("vid=1 tracks=1 mask=1 open=0 hint=Autoreset 8 Sek."));
        QCOMPARE(before["update controls"],
                 QString("vid=1 tracks=1 mask=1 open=1 hint=Autoreset 8 Sek."));
        QCOMPARE(openedDuring, QStringList{"open port"});
        QCOMPARE(maskAtOpen, MakePortMask([](int n) { return n == 3; }));
        QVERIFY(!w.SortGrid1->Modified());
        QCOMPARE(w.sbLoad->toolTip(), QString("Protokoll Öffnen"));
        QCOMPARE(w.windowTitle(), QString("TL-Veltaro 1.9"));
        QCOMPARE(QCoreApplication::applicationName(), QString("TL-Veltaro"));
    }

    // The forms in the program's order; the dialog's port list comes from the window's probe.
    void formsOrder() {
        TPty pty;
        TPortRedirect redirect({{2, pty.Path()}, {5, pty.Path()}});
        QTemporaryDir dir;
        TAppParts parts(std::make_unique<QSettings>(dir.filePath("s.conf"), QSettings::IniFormat));
        TScriptedDialogs dialogs;
        TAppForms forms(parts, &dialogs);
        QCOMPARE(forms.Created, (QStringList{"FormMain", "CfgDialog", "FormInfo", "FormMonitor2"}));
        QCOMPARE(forms.FormMain->CfgDialog, forms.CfgDialog);
        QCOMPARE(forms.FormMain->FormMonitor2.data(), forms.FormMonitor2.get());
        QStringList ports;
        for (int i = 0; i < forms.CfgDialog->cbPort->count(); ++i)
            ports << forms.CfgDialog->cbPort->itemText(i);
        QCOMPARE(ports, (QStringList{"Keine", "COM2", "COM5"}));
        // Stored TV mode on one display: switched off, nothing shown.
        forms.FormMain->Settings.MonitorOn = true;
        forms.StartTvMode();
        QVERIFY(!forms.FormMain->Settings.MonitorOn);
        QVERIFY(!forms.FormMonitor2->isVisible());
    }

    // The pointer waits on the open button until the window is on the screen.
    void pointerOnLoad() {
        TWindowFixture f(false);
        QVERIFY(!f.w->isVisible());
        QCursor::setPos(1, 1);
        f.w->show();
        QVERIFY(QTest::qWaitForWindowExposed(f.w.get()));
        QCOMPARE(QCursor::pos(), f.w->sbLoad->mapToGlobal(QPoint(16, 16)));
    }

    // --- shutdown ---------------------------------------------------------------------------
    void shutdownOrder() {
        TStepWatch watch;
        bool connectedAtSettings = false;
        {
            TWindowFixture f;
            auto lines = OpenSimulatedPort(*f.w);
            f.w->ProgramFile = f.dir.filePath("veltaro");
            watch.seen.clear();
            watch.each = [&](TFormMain& w, const QString& step) {
                if (step == "settings") connectedAtSettings = w.ComPort->Connected();
            };
            f.w->Shutdown();
            f.w.reset();
        }
        QCOMPARE(watch.seen, (QStringList{"sort", "exit copy", "settings", "close port"}));
        QVERIFY(connectedAtSettings); // the port is the last to go
    }

    // The exit copy is in load order, and writing it leaves the ranked view as it is.
    void exitCopyLoadOrder() {
        TWindowFixture f;
        f.w->ProgramFile = f.dir.filePath("veltaro");
        f.Load(1, ParticipantRows(3, {30, 10, 20}));
        // Runs that rank the participants the other way round.
        const QStringList times{"9,00", "7,00", "8,00"};
        for (int e = 0; e < 3; ++e)
            for (int c : {Col::Turm1, Col::Turm2})
                f.w->Competition->SetCell(e, c, times[e]);
        f.w->cbSort->setChecked(true);
        f.w->RecalcProtocol();
        QStringList shown;
        for (int r = 1; r <= 3; ++r)
            shown << f.w->SortGrid1->Cells(Col::StNr, r);
        QCOMPARE(shown, (QStringList{"10", "20", "30"}));
        f.w->Shutdown();
        QVERIFY(!f.w->cbSort->isChecked());
        QStringList after;
        for (int r = 1; r <= 3; ++r)
            after << f.w->SortGrid1->Cells(Col::StNr, r);
        QCOMPARE(after, shown);
        TProtocolRows rows;
        QString error;
        QVERIFY(ReadProtocolFile(f.w->ExitCopyName(), &rows, &error));
        QCOMPARE(rows.size(), 4);
        QCOMPARE(rows[1][0], QString("30"));
        QCOMPARE(rows[2][0], QString("10"));
        QCOMPARE(rows[3][0], QString("20"));
    }

    // Beside the program when that folder takes it, else in the user's data folder; the info
    // line tells where, before and after.
    void exitCopyPlace_data() {
        QTest::addColumn<bool>("programFolderWritable");
        QTest::newRow("beside the program") << true;
        QTest::newRow("program folder not writable") << false;
    }
    void exitCopyPlace() {
        QFETCH(bool, programFolderWritable);
        TWindowFixture f;
        // A file where the program's folder should be: nothing can be written under it, not
        // even by an administrator.
        QFile blocker(f.dir.filePath("bin"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.w->ProgramFile =
            programFolderWritable ? f.dir.filePath("veltaro") : f.dir.filePath("bin/veltaro");
        const QString data = QStandardPaths::writableLocation(QStandardPaths::AppDataLocation);
        const QString expected =
            programFolderWritable ? f.dir.filePath("veltaro.txt") : data + "/veltaro.txt";
        QFile::remove(data + "/veltaro.txt");
        QCOMPARE(f.w->ExitCopyName(), expected);
        // The info box (F3) tells the operator where that is.
        QString shown;
        QTimer::singleShot(0, f.w.get(), [&] {
            shown = f.w->FormInfo->MemoInfo->toPlainText();
            f.w->FormInfo->reject();
        });
        f.Key(Qt::Key_F3);
        QVERIFY2(shown.contains(QDir::toNativeSeparators(expected)), qPrintable(shown));
        f.Load(2, ParticipantRows(2));
        f.w->Shutdown();
        QCOMPARE(f.w->ExitCopyWritten, expected);
        QVERIFY(ReadAll(expected).startsWith("St.Nr.\t"));
        QFile::remove(data + "/veltaro.txt");
    }

    // --- the window's place -----------------------------------------------------------------
    // What is stored is put back where it was, whatever the frame: no creeping at each start.
    void storedBounds_data() {
        QTest::addColumn<QMargins>("frame");
        QTest::addColumn<bool>("maximised");
        QTest::newRow("no frame") << QMargins() << false;
        QTest::newRow("title bar and border") << QMargins(8, 31, 8, 8) << false;
        QTest::newRow("thin frame") << QMargins(1, 24, 1, 1) << false;
        QTest::newRow("maximised") << QMargins(8, 31, 8, 8) << true;
    }
    void storedBounds() {
        QFETCH(QMargins, frame);
        QFETCH(bool, maximised);
        const QRect normal(300, 200, 893, 495); // the client, as the operator left it
        const QRect client =
            maximised ? QRect(QPoint(frame.left(), frame.top()), QSize(1904, 1000)) : normal;
        const QRect stored =
            StoredWindowBounds(client, client.marginsAdded(frame), maximised ? normal : QRect());
        QCOMPARE(stored.size(), normal.size());
        // move() puts the frame there, resize() sizes the client: the client lands where it was.
        const QRect restored(stored.topLeft() + QPoint(frame.left(), frame.top()), stored.size());
        QCOMPARE(restored, normal);
        // Three restarts later it is still there.
        QRect again = restored;
        for (int i = 0; i < 3; ++i) {
            const QRect s = StoredWindowBounds(again, again.marginsAdded(frame), QRect());
            again = QRect(s.topLeft() + QPoint(frame.left(), frame.top()), s.size());
        }
        QCOMPARE(again, normal);
    }

    void restartKeepsPlace() {
        TWindowFixture f;
        f.w->move(240, 170);
        f.w->resize(760, 520); // within the 800 x 800 offscreen screen: stored sizes are fitted
        QCoreApplication::processEvents();
        const QRect frame = f.w->frameGeometry(), client = f.w->geometry();
        f.Restart(true);
        QCoreApplication::processEvents();
        QCOMPARE(f.w->frameGeometry().topLeft(), frame.topLeft());
        QCOMPARE(f.w->geometry(), client);
    }

    // --- Qt's own dialogs in the operator's language ------------------------------------------
    void qtTranslation_data() {
        QTest::addColumn<QString>("locale");
        QTest::addColumn<bool>("found");
        QTest::addColumn<QString>("yes");
        QTest::addColumn<QString>("no");
        QTest::addColumn<QString>("cancel");
        QTest::newRow("German") << "de_DE" << true << "&Ja"
                                << "&Nein"
                                << "Abbrechen";
        QTest::newRow("Austrian German") << "de_AT" << true << "&Ja"
                                         << "&Nein"
                                         << "Abbrechen";
        QTest::newRow("French") << "fr_FR" << true << "&Oui"
                                << "&Non"
                                << "Annuler";
        QTest::newRow("no translation") << "xx_XX" << false << "&Yes"
                                        << "&No"
                                        << "Cancel";
    }
    void qtTranslation() {
        QFETCH(QString, locale);
        QFETCH(bool, found);
        QFETCH(QString, yes);
        QFETCH(QString, no);
        QFETCH(QString, cancel);
        QCOMPARE(InstallQtTranslation(QLocale(locale)), found);
        // "Beenden?" as the system dialogs ask it.
        QMessageBox box(QMessageBox::Question, "Bestätigen", "Beenden?",
                        QMessageBox::Yes | QMessageBox::No);
        QCOMPARE(box.button(QMessageBox::Yes)->text(), yes);
        QCOMPARE(box.button(QMessageBox::No)->text(), no);
        TWindowFixture f(false);
        QCOMPARE(f.w->CfgDialog->CancelBtn2->text(), cancel);
        QCOMPARE(f.w->CfgDialog->OKBtn->text(), QString("OK"));
        InstallQtTranslation(QLocale::c());
    }

    // --- the newcomer's sample ----------------------------------------------------------------
    // The sample start list loads as README says: 16 climbers in two classes, titles first,
    // and two heats run with the keys.
    void sampleStartList() {
        TWindowFixture f;
        f.w->SetVid(2);
        f.w->cbVidChange();
        f.dialogs.openNames << QStringLiteral(VELTARO_TEST_SOURCE_DIR
                                              "/../examples/Startliste.txt");
        f.Key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.w->cbBuhn1->count(), 16);
        QCOMPARE(f.w->SortGrid1->Cells(Col::Name, 0), QString("Name, Vorname"));
        QSet<QString> classes;
        for (int r = 1; r < f.w->SortGrid1->RowCount(); ++r)
            classes << f.w->SortGrid1->Cells(Col::Klasse, r);
        QCOMPARE(classes, (QSet<QString>{"Damen", "Herren"}));
        QCOMPARE(f.w->SortGrid1->Cells(Col::Ort, 7), QString("München"));
        for (int heat = 0; heat < 2; ++heat) {
            f.Key(Qt::Key_F8);
            f.clock.advance(6543 + heat * 1000);
            f.Key(Qt::Key_F4);
            f.clock.advance(210);
            f.Key(Qt::Key_F6);
            f.Key(Qt::Key_F9);
        }
        int times = 0;
        for (int r = 1; r < f.w->SortGrid1->RowCount(); ++r)
            for (int c = Col::Turm1; c <= Col::Turm6; ++c)
                if (!f.w->SortGrid1->Cells(c, r).trimmed().isEmpty()) ++times;
        QCOMPARE(times, 4); // two heats on two tracks
        f.w->SortGrid1->setModified(false);
    }

    // --- file dialogs -------------------------------------------------------------------------
    // A typed name without an extension gets the chosen type's.
    void saveExtension_data() {
        QTest::addColumn<QString>("typed");
        QTest::addColumn<int>("filter"); // 1 text, 4 HTML
        QTest::addColumn<QString>("written");
        QTest::newRow("text, no extension")
            << "2026-12-05_Paarrennen" << 1 << "2026-12-05_Paarrennen.txt";
        QTest::newRow("HTML, no extension")
            << "2026-12-05_Paarrennen" << 4 << "2026-12-05_Paarrennen.html";
        QTest::newRow("text, with one") << "Ergebnis.txt" << 1 << "Ergebnis.txt";
        QTest::newRow("other extension kept") << "Ergebnis.csv" << 1 << "Ergebnis.csv";
        QTest::newRow("blank in the name")
            << "2026-12-05_Individuelles Klettern" << 1 << "2026-12-05_Individuelles Klettern.txt";
    }
    void saveExtension() {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        TWindowFixture f;
        f.Load(2, ParticipantRows(2));
        f.dialogs.chosenFilter = filter;
        f.dialogs.saveNames << f.dir.filePath(typed);
        f.Key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFile::exists(f.dir.filePath(written)));
        if (written != typed) QVERIFY(!QFile::exists(f.dir.filePath(typed)));
        QVERIFY(!f.w->SortGrid1->Modified());
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    // Both dialogs start where the operator was last; the open dialog on the last file.
    void lastFolder() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(2));
        QTemporaryDir a, b;
        const QString fileA = a.filePath("Start.txt");
        QVERIFY(WriteProtocolFile(fileA, ParticipantRows(3), nullptr));
        // First the program's folder (writable here).
        f.dialogs.openNames << fileA;
        f.Key(Qt::Key_O, Qt::ControlModifier);
        QCOMPARE(f.dialogs.openFolders.value(0), QFileInfo(f.w->ProgramFile).absolutePath());
        QCOMPARE(f.w->cbBuhn1->count(), 3);
        // Saving starts in the folder just loaded from, with the proposed name.
        f.dialogs.saveNames << b.filePath("Ergebnis");
        f.Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.dialogs.saveFolders.value(0), a.path());
        QCOMPARE(f.dialogs.proposedNames.value(0), f.w->DefaultExportName());
        // Opening again starts on the last file; saving again in the folder saved to.
        f.Key(Qt::Key_O, Qt::ControlModifier); // cancelled
        QCOMPARE(f.dialogs.openFolders.value(1), fileA);
        f.Key(Qt::Key_S, Qt::ControlModifier); // cancelled
        QCOMPARE(f.dialogs.saveFolders.value(1), b.path());
    }

    // A failed save says what failed: a page as the HTML button says it, a protocol as such.
    void saveFailureText_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("start");
        QTest::newRow("text") << 2 << "Protokoll wurde nicht gespeichert: ";
        QTest::newRow("HTML") << 4 << "Error write file: ";
    }
    void saveFailureText() {
        QFETCH(int, filter);
        QFETCH(QString, start);
        TWindowFixture f;
        f.Load(2, ParticipantRows(2));
        QFile blocker(f.dir.filePath("blocker"));
        QVERIFY(blocker.open(QIODevice::WriteOnly));
        blocker.close();
        f.dialogs.chosenFilter = filter;
        f.dialogs.saveNames << f.dir.filePath("blocker/Ergebnis");
        f.Key(Qt::Key_S, Qt::ControlModifier);
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].startsWith(start), qPrintable(f.dialogs.messages[0]));
    }
};

QTEST_MAIN(TestStartup)
#include "tst_startup.moc"
