// The main window's creation after its controls exist. Later steps rely on earlier ones: the
// settings before the competition mode (which sets the track count), the port probe before
// the port is opened, the competition mode before the settings dialog reads the track count
// (the dialog is made after this window, see AppForms.h).
#include "core/Version.h"
#include "input/Comms.h"
#include "input/PortNames.h"
#include "ui/Dialogs.h"
#include "ui/help/FInfo.h"
#include "ui/main/CommandColumn.h"
#include "ui/main/FMain.h"
#include "ui/main/TitleStrip.h"
#include "ui/main/TrackPicker.h"
#include "ui/main/WindowLayout.h"
#include "widgets/SortGrid.h"

#include <QAction>
#include <QCoreApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QScreen>
#include <QStandardPaths>

void TFormMain::FormCreate() {
    QCoreApplication::setApplicationName(QStringLiteral("TL-Veltaro"));
    SetCaption(QStringLiteral("TL-Veltaro ") + ProgramVersion());

    // The settings key was made with the parts (SettingsGlue.h), the help file is found by the
    // help (Help.h); the rest derive from here.
    ProgramFile = QCoreApplication::applicationFilePath();
    const QFileInfo program(ProgramFile);
    DocTemplatePath = program.absolutePath() + QStringLiteral("/Protokollvorlage.doc");

    ReadFileTypes();

    LoadSettings();

    SetTrackColor(0, Settings.Color1);
    SetTrackColor(1, Settings.Color2);
    ShowSoundState();

    ApplyAutoTime();

    OpenDialogFilters = OpenFilterList(FileTypes, SpreadsheetOffered());
    SaveDialogFilters = SaveFilterList(FileTypes, SpreadsheetOffered(), true);

    m_picker[0]->SetLoadHint(tr("Protokoll Öffnen"));

    PrepareSounds();

    cbVidChange();

    UpdateHelpButton(); // the help file itself is found by the help (Help.h)

    PortMask = ProbePorts();

    SaveDialogFileName = program.completeBaseName() + QStringLiteral(".xls");
    // Both dialogs start beside the program; a program folder the operator cannot write to
    // (an installed one) is no place for protocols, so they start in the documents then.
    LastFolder = QFileInfo(program.absolutePath()).isWritable()
                     ? program.absolutePath()
                     : QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);

    StrDel2->setShortcut(
        QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)));

    m_strip->StartDateClock();

    ApplyMonitorRule();

    if (ComPort->Port() != 0) {
        try {
            ComPort->Open();
        } catch (const EComError&) {
            // No message: the hidden beam pictures are the only sign of a port that failed.
        }
    }
    OpenPadPort();

    ShowProtocol(); // the titles and rows as the competition holds them

    UpdateControls();

    m_commands->ShowBeams(false, false, false);

    Competition->SetModified(false);

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
    QCursor::setPos(m_picker[0]->LoadButtonPoint());
}

void TFormMain::showEvent(QShowEvent* event) {
    QMainWindow::showEvent(event);
    // Once the window system has placed the window (and its frame) on the screen.
    if (m_pointerPending)
        QMetaObject::invokeMethod(this, &TFormMain::PlacePointerOnLoad, Qt::QueuedConnection);
}
