// The race clock's display side: the 10 ms tick and the digits of both tracks. Recorded
// times never pass through here; the tick only refreshes what the operator sees.
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "widgets/QtColors.h"
#include "widgets/Udigit.h"

#include <QLabel>
#include <QToolButton>

void TFormMain::ClockTimer() {
    // Each track reads the counter itself, so a late tick shows the freshest time per track.
    if (Run->CanStop(0)) ShowTime(0, std::int32_t(Run->Elapsed(TickCount())));
    if (Run->CanStop(1)) ShowTime(1, std::int32_t(Run->Elapsed(TickCount())));
}

void TFormMain::ShowTime(int track, std::int32_t ms) {
    // A negative value can only come from a clock gone wrong; the display then shows zero.
    const std::int32_t hundredths = ms < 0 ? 0 : ms / 10;
    ShowDigits(track, hundredths / 100, hundredths % 100);
}

namespace {
void SetLabelColour(QLabel* label, TColor c) {
    QPalette pal = label->palette();
    const QColor qc = ToQColor(c);
    if (pal.color(QPalette::WindowText) == qc) return;
    pal.setColor(QPalette::WindowText, qc);
    label->setPalette(pal);
}
} // namespace

void TFormMain::ShowDigits(int track, int s, int h) {
    const int D = DigitDivisor(Settings.TimeFormat);
    const auto& d = track == 0 ? Digits1 : Digits2;
    d[0]->setValue((s / D) / 10);
    d[0]->setColorOn(s >= 10 * D ? Colors::clYellow : Colors::clDimGrey);
    d[1]->setValue((s / D) % 10);
    d[1]->setColorOn(s >= D ? Colors::clYellow : Colors::clDimGrey);
    SetLabelColour(track == 0 ? LabMin1 : LabMin2, d[1]->ColorOn());
    SetLabelColour(track == 0 ? Lab1_min : Lab2_min, d[1]->ColorOn());
    d[2]->setValue((s % D) / 10);
    d[2]->setColorOn(s > 9 ? Colors::clYellow : Colors::clDimGrey);
    d[3]->setValue(s % 10);
    d[4]->setValue(h / 10);
    d[5]->setValue(h % 10);
    // Mirrored whether the audience window is shown or not, so it is right the moment it is.
    if (FormMonitor2) FormMonitor2->MirrorDigits(track, d);
}

void TFormMain::Button1Click(QToolButton* sender) {
    Run->ShiftStart(sender == Button1 ? 3540000u : 540000u);
}

void TFormMain::SetTimeFormat(int format) {
    Settings.TimeFormat = NormalizedTimeFormat(format);
    ApplyCompetitionSettings();
    const bool minutes = Settings.TimeFormat >= 1;
    for (QLabel* l : {LabMin1, LabMin2, Lab1_min, Lab2_min})
        l->setVisible(minutes);
    const int left = minutes ? 8 : 32;
    for (const auto* digits : {&Digits1, &Digits2}) {
        (*digits)[0]->move(left, (*digits)[0]->y());
        (*digits)[1]->move(left + 48, (*digits)[1]->y());
    }
    if (FormMonitor2) {
        FormMonitor2->ApplyVisibility();
        FormMonitor2->LayOut(); // its first two digits follow the ones moved here
    }
}
