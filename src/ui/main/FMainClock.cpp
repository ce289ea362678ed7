// The race clock's display side: the 10 ms tick and the digits of both tracks. Recorded
// times never pass through here; the tick only refreshes what the operator sees.
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "ui/audience/FMonitor2.h"
#include "ui/main/FMain.h"
#include "ui/main/TrackClock.h"

void TFormMain::ClockTimer() {
    // Each track reads the counter itself, so a late tick shows the freshest time per track.
    // A false start's lane shows "FS" until the operator takes it back.
    if (Run->CanStop(0) && !Run->FalseStart(0))
        ShowTime(0, std::int32_t(Run->Elapsed(TickCount())));
    if (Run->CanStop(1) && !Run->FalseStart(1))
        ShowTime(1, std::int32_t(Run->Elapsed(TickCount())));
}

void TFormMain::ShowTime(int track, std::int32_t ms) {
    // A negative value can only come from a clock gone wrong; the display then shows zero.
    const std::int32_t hundredths = ms < 0 ? 0 : ms / 10;
    ShowDigits(track, hundredths / 100, hundredths % 100);
}

void TFormMain::ShowDigits(int track, int s, int h) {
    TTrackClock* clock = m_clock[track == 0 ? 0 : 1];
    clock->ShowTime(s, h, DigitDivisor(Settings.TimeFormat));
    // Mirrored whether the audience window is shown or not, so it is right the moment it is.
    if (FormMonitor2) FormMonitor2->MirrorDigits(track, clock->Row());
}

void TFormMain::SetTimeFormat(int format) {
    Settings.TimeFormat = NormalizedTimeFormat(format);
    ApplyCompetitionSettings();
    for (TTrackClock* clock : m_clock)
        clock->SetMinutesShown(Settings.TimeFormat >= 1);
    if (FormMonitor2) {
        FormMonitor2->ApplyVisibility();
        FormMonitor2->LayOut(); // its first two digits follow the ones moved here
    }
}
