// The window's side of a run: keys and buttons become the run controller's commands, and
// every change of the run is mapped back onto the controls in one place, UpdateControls.
#include "core/Competition.h"
#include "core/Platform.h"
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "ui/main/CommandColumn.h"
#include "ui/main/FMain.h"
#include "ui/main/ModeBox.h"
#include "ui/main/TitleStrip.h"
#include "ui/main/TrackPicker.h"

#include <exception>
#include <QAction>
#include <QTimer>
#include <utility>

void TFormMain::IssueCommand(QAction* item) {
    if (item && item->isEnabled()) item->trigger();
}

void TFormMain::ApplyAutoTime() {
    m_bar->SetAutoResetHint(tr("Autoreset %1 Sek.").arg(Settings.AutoTime / 1000));
}

void TFormMain::UpdateControls() {
    ShowModifiedMark();
    // The heat decides whether it can start; the run decides everything else.
    const bool any = Competition->EntryCount() > 0;
    const int tracks = Competition->CountBahn();
    const bool heatReady =
        tracks != 2 ? any : any && Competition->TrackEntry(0) != Competition->TrackEntry(1);
    Run->SetHeatReady(heatReady, {Competition->TrackCanRecord(0), Competition->TrackCanRecord(1)},
                      tracks);
    const bool startOn = Run->CanStart();
    SetStatusNote(NoteRuns, IsReady() && heatReady && Run->NoTrackCanRecord()
                                ? tr("Keine freien Läufe")
                                : QString());
    const bool commands[4] = {startOn, Run->CanStop(0), Run->CanStop(1), Run->CanAbort()};
    const TColor faces[4] = {Colors::clGreen, Colors::clRed, Colors::clRed, Colors::clNavy};
    QAction* const keys[4] = {mStart, mSTOP1, mStop2, Abruch1};
    for (int c = 0; c < 4; ++c) {
        m_commands->SetCommand(TCommandColumn::TCommand(c), commands[c], faces[c]);
        keys[c]->setEnabled(commands[c]);
    }
    m_bar->SetReset(Run->CanReset(), Colors::clBlack);
    mReset->setEnabled(Run->CanReset());
    m_bar->SetEnabled(TProtocolBar::Dis1, Run->CanDis(0));
    m_bar->SetEnabled(TProtocolBar::Dis2, Run->CanDis(1));

    const bool setUp = Run->CanSetUpHeat();
    for (TTrackPicker* picker : m_picker)
        picker->SetChoosable(setUp);
    m_modeBox->SetChoosable(setUp);
    m_strip->SetSettingsEnabled(setUp);
    mConfig->setEnabled(setUp);
    Open1->setEnabled(Run->CanLoad());
    mImport->setEnabled(Run->CanLoad());
    UpdateTrackButtons();

    // The protocol buttons.
    // A protocol whose first row shown has a start number.
    const bool saveOn = !Competition->Cell(Competition->EntryAt(0), Col::StNr).isEmpty();
    const bool excelOn = saveOn && OfficeServerAvailable(QStringLiteral("Excel.Application"));
    const bool wordOn = excelOn && OfficeServerAvailable(QStringLiteral("Word.Basic"));
    // Clearing every result waits for RESET, and the finals' bracket decides the lanes: a
    // command that could only refuse is not offered.
    const bool swapOn = startOn && Competition->Mode() != TCompetition::FinaleKo;
    const std::pair<TProtocolBar::TButton, bool> bar[] = {
        {TProtocolBar::Save, saveOn},        {TProtocolBar::Excel, excelOn},
        {TProtocolBar::Word, wordOn},        {TProtocolBar::Print, saveOn},
        {TProtocolBar::Html, saveOn},        {TProtocolBar::Sort, saveOn},
        {TProtocolBar::Edit, saveOn},        {TProtocolBar::DeleteRow, !IsRunning()},
        {TProtocolBar::DeleteAll, IsReady()}};
    for (const auto& [button, on] : bar)
        m_bar->SetEnabled(button, on);
    CLS1->setEnabled(IsReady());
    mClearFs1->setEnabled(Run->CanClearFalseStart(0));
    mClearFs2->setEnabled(Run->CanClearFalseStart(1));
    m_modeBox->SetSwapEnabled(swapOn);
    SwapTrasse->setEnabled(swapOn);
    UpdateUndoControls();
    ShowBeams();
}

void TFormMain::mStartClick() {
    // First: everything else happens after the start instant.
    const std::uint32_t tick = TickCount();
    StartAt(tick);
    LogEvent(TLogSource::Command, QStringLiteral("START"), QString(), tick);
}

void TFormMain::StartAt(std::uint32_t tick) {
    Run->Start(tick);
}

void TFormMain::RunStarted() {
    Competition->SetHeatRunning(true); // until RESET or ABBRECHEN nobody leaves the heat
    SetStatusNote(NoteHeat, QString());
    ShowReactions(); // none yet, or a pad left before the signal
    if (Settings.isPlaySound && Settings.isPlaySound1) PlayStartCue();
    Clock->start();
    UpdateControls();
    m_commands->Focus(TCommandColumn::Stop1);
}

void TFormMain::mSTOPClick(QAction* sender) {
    const int track = sender == mStop2 ? 1 : 0;
    const std::uint32_t tick = TickCount();
    StopAt(track, tick);
    LogEvent(TLogSource::Command, track == 1 ? QStringLiteral("STOP2") : QStringLiteral("STOP1"),
             Run->TrackStopped(track) ? LogStopText(Run->StopTime(track)) : QString(), tick);
}

void TFormMain::StopAt(int track, std::uint32_t tick) {
    Run->Stop(track, tick);
}

void TFormMain::RunTrackStopped(int t, std::uint32_t elapsed) {
    if (Settings.isPlaySound && Settings.isPlaySound2) PlayStopCue();
    if (!Run->FalseStart(t)) ShowTime(t, std::int32_t(elapsed)); // a false start keeps "FS"
    try {
        RecordRunTime(t, FormatTime(std::int32_t(elapsed), Settings.TimeFormat));
    } catch (const std::exception&) {
        // A time that cannot be recorded stays on the digits; the run goes on.
    }
    UpdateControls();
    if (Run->CanStop(0)) {
        m_commands->Focus(TCommandColumn::Stop1);
    } else if (Run->CanStop(1)) {
        m_commands->Focus(TCommandColumn::Stop2);
    } else {
        Clock->stop();
        m_bar->FocusReset();
        RecalcProtocol();
    }
}

void TFormMain::mResetClick() {
    Run->Reset();
    LogEvent(TLogSource::Command, QStringLiteral("RESET"));
}

void TFormMain::Abruch1Click() {
    Run->Abort();
    LogEvent(TLogSource::Command, QStringLiteral("ABBRECHEN"));
}

void TFormMain::RunBackToReady(bool advance) {
    Clock->stop();
    ShowTime(0, 0);
    ShowTime(1, 0);
    ShowReactions();
    Competition->SetHeatRunning(false);
    Competition->ResetLastCells(); // as the run forgot them
    ApplyPendingCfg();             // as if confirmed just before this RESET
    if (advance) AdvanceParticipants();
    RepaintProtocol();
    UpdateControls();
    m_commands->Focus(TCommandColumn::Start);
}
