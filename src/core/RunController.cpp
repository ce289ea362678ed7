// The run state machine: START, STOP, RESET, ABBRECHEN and the controls they enable.
// Every path to a command (button, key, contact, timer) ends in one of these handlers,
// always on the GUI thread.
#include "core/FMain.h"
#include "core/Platform.h"
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "input/BeamImage.h"
#include "widgets/BitBtnWithColor.h"
#include "widgets/SortGrid.h"

#include <exception>
#include <QCheckBox>
#include <QComboBox>
#include <QTimer>
#include <QToolButton>
#include <utility>

void TFormMain::IssueCommand(QAction* item, std::optional<std::uint32_t> tick) {
    if (!item || !item->isEnabled()) return;
    const std::optional<std::uint32_t> outer = std::exchange(CommandTick, tick);
    item->trigger();
    CommandTick = outer;
}

bool TFormMain::IsRunning() const {
    return Clock->isActive();
}

bool TFormMain::IsReady() const {
    return !IsRunning() && !mReset->isEnabled();
}

void TFormMain::SetCommandEnabled(TBitBtnWithColor* button, QAction* item, bool enabled,
                                  TColor faceWhenEnabled) {
    button->setEnabled(enabled);
    button->setColor(enabled ? faceWhenEnabled : Colors::clBtnFace);
    if (item) item->setEnabled(enabled);
}

void TFormMain::SetAutoTime(int ms) {
    TimerAuto0->setInterval(ms);
    cbAuto0->setToolTip(QStringLiteral("Autoreset %1 Sek.").arg(ms / 1000));
}

int TFormMain::AutoTime() const {
    return TimerAuto0->interval();
}

void TFormMain::SetTimerGesperrt(int ms) {
    TimerGesperrtStart->setInterval(ms);
}

int TFormMain::TimerGesperrt() const {
    return TimerGesperrtStart->interval();
}

void TFormMain::UpdateControls() {
    // Rule 1. The Finished state also keeps START off: a new run must not begin before RESET
    // has moved the participants on, whoever calls this in between.
    bool startOn = !IsRunning() && !mReset->isEnabled();
    if (startOn) {
        if (CountBahn != 2)
            startOn = cbBuhn1->count() > 0;
        else
            startOn = cbBuhn1->count() > 0 && cbBuhn2->count() > 0 &&
                      cbBuhn1->currentIndex() != cbBuhn2->currentIndex();
    }
    SetCommandEnabled(bSTART, mStart, startOn, Colors::clGreen);

    // Rule 2: the protocol buttons.
    const bool saveOn = SortGrid1->RowCount() > 1 && !SortGrid1->Cells(Col::StNr, 1).isEmpty();
    sbSave->setEnabled(saveOn);
    sbExcel->setEnabled(saveOn && OfficeServerRegistered(QStringLiteral("Excel.Application")));
    sbWord->setEnabled(sbExcel->isEnabled() &&
                       OfficeServerRegistered(QStringLiteral("Word.Basic")));
    sbPrint->setEnabled(saveOn);
    sbInet->setEnabled(saveOn);
    cbSort->setEnabled(saveOn);
    LabelSort->setEnabled(saveOn);
    sbCLS->setEnabled(!IsRunning());
    sbCLSall->setEnabled(!IsRunning());
    seObmen->setEnabled(startOn);
    SwapTrasse->setEnabled(startOn);
    cbEditON->setEnabled(saveOn);
    labEditON->setEnabled(saveOn);
}

void TFormMain::SetHeatSetupEnabled(bool on) {
    for (QWidget* w :
         std::initializer_list<QWidget*>{cbBuhn1, cbBuhn2, cbVid, cbAllTrasse, bCFG, sbLoad})
        w->setEnabled(on);
    mConfig->setEnabled(on);
}

void TFormMain::BackToReady() {
    // What RESET and ABBRECHEN both give back to the operator.
    SetHeatSetupEnabled(true);
    SetCommandEnabled(bSTART, mStart, true, Colors::clGreen);
    sb1del->setEnabled(false);
    sb2del->setEnabled(false);
    for (QWidget* w : std::initializer_list<QWidget*>{sb1, sb2})
        w->setEnabled(true);
    Trasse1->setEnabled(true);
    Trasse2->setEnabled(true);
}

void TFormMain::ArmForNextStart() {
    DisarmBeam(ImageLS1);
    DisarmBeam(ImageLS2);
    ArmBeam(ImageLSstart);
}

void TFormMain::mStartClick(std::optional<std::uint32_t> tick) {
    // First: everything below happens after the start instant.
    StartTick = tick ? *tick : TickCount();
    if (isPlaySound && isPlaySound1) PlayStartCue();
    StopTicks = {0, 0};
    Clock->start();
    SetHeatSetupEnabled(false);
    SetCommandEnabled(bSTART, mStart, false, Colors::clGreen);
    SetCommandEnabled(bRESET, mReset, false, Colors::clBlack);
    SetCommandEnabled(bAbbruch, Abruch1, true, Colors::clNavy);
    sb1->setEnabled(false);
    sb2->setEnabled(false);
    Trasse1->setEnabled(false);
    Trasse2->setEnabled(false);
    SetCommandEnabled(bSTOP1, mSTOP1, true, Colors::clRed);
    // With one track the second STOP is not offered at all: its button is hidden, and a stray
    // F6 or track-2 contact would otherwise write a time for the hidden list's participant.
    SetCommandEnabled(bSTOP2, mStop2, CountBahn >= 2, Colors::clRed);
    bSTOP1->setFocus();
    DisarmBeam(ImageLSstart);
    DisarmBeam(ImageLS1);
    DisarmBeam(ImageLS2);
    TimerGesperrtStart->start();
    UpdateControls();
}

void TFormMain::mSTOPClick(QAction* sender, std::optional<std::uint32_t> tick) {
    const int t = sender == mStop2 ? 1 : 0;
    StopTicks[t] = tick ? *tick : TickCount();
    // An edge seen before the start instant (its hand-over queued behind a key's START) is
    // no time of this run; unsigned, it would come out as 49 days.
    if (std::int32_t(StopTicks[t] - StartTick) < 0) StopTicks[t] = StartTick;
    const std::uint32_t elapsed = StopTicks[t] - StartTick; // unsigned: right across the wrap
    if (isPlaySound && isPlaySound2) PlayStopCue();
    ShowTime(t, std::int32_t(elapsed));
    SetCommandEnabled(bAbbruch, Abruch1, false, Colors::clNavy);
    if (t == 0) {
        SetCommandEnabled(bSTOP1, mSTOP1, false, Colors::clRed);
        sb1del->setEnabled(true);
        DisarmBeam(ImageLS1);
    } else {
        SetCommandEnabled(bSTOP2, mStop2, false, Colors::clRed);
        sb2del->setEnabled(true);
        DisarmBeam(ImageLS2);
    }
    try {
        RecordRunTime(t, FormatTime(std::int32_t(elapsed), TimeFormat));
    } catch (const std::exception&) {
        // A time that cannot be recorded stays on the digits; the run goes on.
    }
    StopTicks[t] = elapsed;
    if (CountBahn == 1) SetCommandEnabled(bSTOP2, mStop2, false, Colors::clRed);
    SetProtocolModified();
    AfterStop();
}

void TFormMain::AfterStop() {
    const bool over = !mSTOP1->isEnabled() && !mStop2->isEnabled();
    SetCommandEnabled(bRESET, mReset, over, Colors::clBlack);
    if (mSTOP1->isEnabled()) {
        bSTOP1->setFocus();
        return;
    }
    if (mStop2->isEnabled()) {
        bSTOP2->setFocus();
        return;
    }
    if (over) {
        Clock->stop();
        bRESET->setFocus();
        if (cbAuto0->isChecked()) TimerAuto0->start();
        RecalcProtocol();
    }
}

void TFormMain::mResetClick() {
    TimerAuto0->stop();
    TimerGesperrtStart->stop();
    ShowTime(0, 0);
    ShowTime(1, 0);
    LastCell[0] = TLastCell{};
    LastCell[1] = TLastCell{};
    SetCommandEnabled(bRESET, mReset, false, Colors::clBlack);
    BackToReady();
    AdvanceParticipants();
    ArmForNextStart();
    RepaintProtocol();
    SetCommandEnabled(bAbbruch, Abruch1, false, Colors::clNavy);
    bSTART->setFocus();
    UpdateControls();
}

void TFormMain::Abruch1Click() {
    Clock->stop();
    TimerAuto0->stop();
    TimerGesperrtStart->stop();
    ShowTime(0, 0);
    ShowTime(1, 0);
    BackToReady();
    SetCommandEnabled(bSTOP1, mSTOP1, false, Colors::clRed);
    SetCommandEnabled(bSTOP2, mStop2, false, Colors::clRed);
    ArmForNextStart();
    SetCommandEnabled(bAbbruch, Abruch1, false, Colors::clNavy);
    bSTART->setFocus();
    // START was enabled unconditionally above, as after every abort; the lists did not move,
    // so the rule for START gives the same answer and keeps the key and button in step.
    UpdateControls();
}

void TFormMain::TimerAuto0Timer() {
    TimerGesperrtStart->stop();
    IssueCommand(mReset);
}

void TFormMain::cbAuto0Click() {
    if (!cbAuto0->isChecked()) TimerAuto0->stop();
}
