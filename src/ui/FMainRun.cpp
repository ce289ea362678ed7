// The window's side of a run: keys and buttons become the run controller's commands, and
// every change of the run is mapped back onto the controls in one place, UpdateControls.
#include "core/Competition.h"
#include "core/Platform.h"
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "ui/FMain.h"
#include "widgets/BeamImage.h"
#include "widgets/BitBtnWithColor.h"
#include "widgets/SortGrid.h"

#include <exception>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>

void TFormMain::IssueCommand(QAction* item) {
    if (item && item->isEnabled()) item->trigger();
}

void TFormMain::SetCommandEnabled(TBitBtnWithColor* button, QAction* item, bool enabled,
                                  TColor faceWhenEnabled) {
    button->setEnabled(enabled);
    button->setColor(enabled ? faceWhenEnabled : Colors::clBtnFace);
    if (item) item->setEnabled(enabled);
}

void TFormMain::ApplyAutoTime() {
    cbAuto0->setToolTip(QStringLiteral("Autoreset %1 Sek.").arg(Settings.AutoTime / 1000));
}

void TFormMain::UpdateControls() {
    // The heat decides whether it can start; the run decides everything else.
    const bool any = Competition->EntryCount() > 0;
    const bool heatReady = Settings.CountBahn != 2
                               ? any
                               : any && Competition->TrackEntry(0) != Competition->TrackEntry(1);
    Run->SetHeatReady(heatReady, {Competition->TrackCanRecord(0), Competition->TrackCanRecord(1)});
    const bool startOn = Run->CanStart();
    SetStatusNote(NoteRuns, IsReady() && heatReady && Run->NoTrackCanRecord()
                                ? QStringLiteral("Keine freien Läufe")
                                : QString());
    SetCommandEnabled(bSTART, mStart, startOn, Colors::clGreen);
    SetCommandEnabled(bSTOP1, mSTOP1, Run->CanStop(0), Colors::clRed);
    SetCommandEnabled(bSTOP2, mStop2, Run->CanStop(1), Colors::clRed);
    SetCommandEnabled(bRESET, mReset, Run->CanReset(), Colors::clBlack);
    SetCommandEnabled(bAbbruch, Abruch1, Run->CanAbort(), Colors::clNavy);
    sb1del->setEnabled(Run->CanDis(0));
    sb2del->setEnabled(Run->CanDis(1));

    const bool setUp = Run->CanSetUpHeat();
    for (QWidget* w :
         std::initializer_list<QWidget*>{cbBuhn1, cbBuhn2, cbVid, cbAllTrasse, bCFG, sbLoad})
        w->setEnabled(setUp);
    mConfig->setEnabled(setUp);
    Open1->setEnabled(Run->CanLoad());
    UpdateTrackButtons();

    // The protocol buttons.
    // A protocol whose first row shown has a start number.
    const bool saveOn = !Competition->Cell(Competition->EntryAt(0), Col::StNr).isEmpty();
    sbSave->setEnabled(saveOn);
    const bool excelOn = saveOn && OfficeServerAvailable(QStringLiteral("Excel.Application"));
    sbExcel->setEnabled(excelOn);
    sbWord->setEnabled(excelOn && OfficeServerAvailable(QStringLiteral("Word.Basic")));
    sbPrint->setEnabled(saveOn);
    sbInet->setEnabled(saveOn);
    cbSort->setEnabled(saveOn);
    LabelSort->setEnabled(saveOn);
    sbCLS->setEnabled(!IsRunning());
    // Clearing every result waits for RESET, and the finals' bracket decides the lanes: a
    // command that could only refuse is not offered.
    sbCLSall->setEnabled(IsReady());
    CLS1->setEnabled(IsReady());
    const bool swapOn = startOn && Competition->Mode() != TCompetition::FinaleKo;
    seObmen->setEnabled(swapOn);
    SwapTrasse->setEnabled(swapOn);
    cbEditON->setEnabled(saveOn);
    labEditON->setEnabled(saveOn);
    ShowBeams();
}

void TFormMain::mStartClick() {
    StartAt(TickCount()); // first: everything else happens after the start instant
}

void TFormMain::StartAt(std::uint32_t tick) {
    Run->Start(tick);
}

void TFormMain::RunStarted() {
    Competition->SetHeatRunning(true); // until RESET or ABBRECHEN nobody leaves the heat
    SetStatusNote(NoteHeat, QString());
    if (Settings.isPlaySound && Settings.isPlaySound1) PlayStartCue();
    Clock->start();
    UpdateControls();
    bSTOP1->setFocus();
}

void TFormMain::mSTOPClick(QAction* sender) {
    StopAt(sender == mStop2 ? 1 : 0, TickCount());
}

void TFormMain::StopAt(int track, std::uint32_t tick) {
    Run->Stop(track, tick);
}

void TFormMain::RunTrackStopped(int t, std::uint32_t elapsed) {
    if (Settings.isPlaySound && Settings.isPlaySound2) PlayStopCue();
    ShowTime(t, std::int32_t(elapsed));
    try {
        RecordRunTime(t, FormatTime(std::int32_t(elapsed), Settings.TimeFormat));
    } catch (const std::exception&) {
        // A time that cannot be recorded stays on the digits; the run goes on.
    }
    UpdateControls();
    if (Run->CanStop(0)) {
        bSTOP1->setFocus();
    } else if (Run->CanStop(1)) {
        bSTOP2->setFocus();
    } else {
        Clock->stop();
        bRESET->setFocus();
        RecalcProtocol();
    }
}

void TFormMain::mResetClick() {
    Run->Reset();
}

void TFormMain::Abruch1Click() {
    Run->Abort();
}

void TFormMain::RunBackToReady(bool advance) {
    Clock->stop();
    ShowTime(0, 0);
    ShowTime(1, 0);
    Competition->SetHeatRunning(false);
    Competition->ResetLastCells(); // as the run forgot them
    ApplyPendingCfg();             // as if confirmed just before this RESET
    if (advance) AdvanceParticipants();
    RepaintProtocol();
    UpdateControls();
    bSTART->setFocus();
}

void TFormMain::cbAuto0Click() {
    Run->SetAutoReset(cbAuto0->isChecked());
}
