// The main window's creation after its controls exist. Later steps rely on earlier ones: the
// settings before the competition mode (which sets the track count), the port probe before
// the port is opened, the competition mode before the settings dialog reads the track count
// (the dialog is made after this window, see AppForms.h).
#include "input/Comms.h"
#include "input/PortNames.h"
#include "ui/Dialogs.h"
#include "ui/FInfo.h"
#include "ui/FMain.h"
#include "ui/WindowLayout.h"
#include "widgets/BeamImage.h"
#include "widgets/SortGrid.h"

#include <QCalendarWidget>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>
#include <QTimer>
#include <QToolButton>

std::function<void(TFormMain&, const QString&)> TFormMain::StartupObserver;

void TFormMain::StartupStep(const QString& name) {
    if (StartupObserver) StartupObserver(*this, name);
    StartupSteps << name;
}

void TFormMain::FormCreate() {
    StartupStep(QStringLiteral("caption"));
    QCoreApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    setWindowTitle(QStringLiteral("TL-Veltaro 1.9"));

    StartupStep(QStringLiteral("paths"));
    // The settings key was made with the parts (SettingsGlue.h), the help file is found by the
    // help (Help.h); the rest derive from here.
    ProgramFile = QCoreApplication::applicationFilePath();
    const QFileInfo program(ProgramFile);
    DocTemplatePath = program.absolutePath() + QStringLiteral("/Protokollvorlage.doc");

    StartupStep(QStringLiteral("file types"));
    ReadFileTypes();

    StartupStep(QStringLiteral("settings"));
    LoadSettings();

    StartupStep(QStringLiteral("calendar, colours, sound state"));
    MonthCalendar1->setSelectedDate(WallClockNow().date());
    SetTrackColor(0, Settings.Color1);
    SetTrackColor(1, Settings.Color2);
    ShowSoundState();

    StartupStep(QStringLiteral("auto-reset hint"));
    ApplyAutoTime();

    StartupStep(QStringLiteral("dialog filters"));
    OpenDialogFilters = OpenFilterList(FileTypes, SpreadsheetOffered());
    SaveDialogFilters = SaveFilterList(FileTypes, SpreadsheetOffered(), true);

    StartupStep(QStringLiteral("load hint"));
    sbLoad->setToolTip(QStringLiteral("Protokoll Öffnen"));

    StartupStep(QStringLiteral("sound files"));
    PrepareSounds();

    StartupStep(QStringLiteral("competition mode"));
    cbVidChange();

    StartupStep(QStringLiteral("help"));
    UpdateHelpButton(); // the help file itself is found by the help (Help.h)

    StartupStep(QStringLiteral("port probe"));
    PortMask = ProbePorts();

    StartupStep(QStringLiteral("save dialog name"));
    SaveDialogFileName = program.completeBaseName() + QStringLiteral(".xls");
    // Both dialogs start beside the program; a program folder the operator cannot write to
    // (an installed one) is no place for protocols, so they start in the documents then.
    LastFolder = QFileInfo(program.absolutePath()).isWritable()
                     ? program.absolutePath()
                     : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);

    StartupStep(QStringLiteral("row delete key"));
    StrDel2->setShortcut(
        QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)));

    StartupStep(QStringLiteral("date panel"));
    TimerDateTimer();
    TimerDate->start();

    StartupStep(QStringLiteral("monitor rule"));
    ApplyMonitorRule();

    StartupStep(QStringLiteral("open port"));
    if (ComPort->Port() != 0) {
        try {
            ComPort->Open();
        } catch (const EComError&) {
            // No message: the hidden beam pictures are the only sign of a port that failed.
        }
    }

    StartupStep(QStringLiteral("column titles"));
    ShowProtocol(); // the titles and rows as the competition holds them

    StartupStep(QStringLiteral("update controls"));
    UpdateControls();

    StartupStep(QStringLiteral("beam pictures"));
    for (TImageLS* image : {ImageLSstart, ImageLS1, ImageLS2})
        image->ShowImage(0);

    StartupStep(QStringLiteral("modified flag"));
    Competition->SetModified(false);

    StartupStep(QStringLiteral("language"));
    // The language index is kept as read and written back at exit; the texts are German.

    StartupStep(QStringLiteral("pointer"));
    PlacePointerOnLoad();
}

void TFormMain::CreateInfoBox() {
    if (FormInfo) return;
    FormInfo = new TFormInfo(this);
    FormInfo->OnOpenUrl = [this](const QString& url) { Dialogs->ShellOpen(url); };
}

void TFormMain::ApplyMonitorRule() {
    // The audience window can only be on a display that is there.
    if (Settings.Monitor >= int(QGuiApplication::screens().size())) {
        Settings.Monitor = 0;
        Settings.MonitorOn = false;
    }
    UpdateTvModeEnabled();
}

void TFormMain::PlacePointerOnLoad() {
    // Before the window is shown its buttons have no place on the screen yet.
    if (!isVisible()) {
        m_pointerPending = true;
        return;
    }
    m_pointerPending = false;
    QCursor::setPos(sbLoad->mapToGlobal(QPoint(16, 16)));
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Once the window system has placed the window (and its frame) on the screen.
    if (m_pointerPending)
        QMetaObject::invokeMethod(this, &TFormMain::PlacePointerOnLoad, Qt::QueuedConnection);
}
