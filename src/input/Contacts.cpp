// Turning modem-line notifications into START / STOP: polarity, beam locks and the start
// lock-out. Runs on the GUI thread; the serial thread waits while these handlers run. A
// command issued here takes the tick of the edge, read by the serial thread as it woke.
#include "core/FMain.h"
#include "input/BeamImage.h"
#include "input/Comms.h"
#include "widgets/BitBtnWithColor.h"

#include <QTimer>

namespace {
constexpr std::uint32_t MaskCTS = 0x10, MaskDSR = 0x20, MaskRLSD = 0x80;

// Whether a line notification is an edge the contact acts on. The whole status word is
// compared with the stored bit, as the first notification after start-up must always be
// evaluated (the initial stored values match no status word).
bool ContactActs(std::uint32_t status, std::uint32_t mask, int polarity,
                 std::uint32_t& lastLineState) {
    if (status == lastLineState) return false;
    const bool active = (status & mask) != 0;
    lastLineState = status & mask;
    return (polarity == 0 && active) || (polarity == 1 && !active);
}
} // namespace

// A line that cannot be read is no edge at all: taken as "every line inactive" it would be
// one for a normally closed contact and start or stop a run. Such a notification is dropped
// and the stored state kept, so the next readable one is compared with the last real state.
void TFormMain::ComPortCTS(std::uint32_t tick) {
    const std::optional<quint32> status = ComPort->TryModemStatus();
    if (!status || !ContactActs(*status, MaskCTS, Alg1, LastLineState[0])) return;
    if (TimerGesperrtStart->isActive()) return; // locked out: not even prolonged
    if (bSTART->isEnabled() && BeamArmed(ImageLSstart)) IssueCommand(mStart, tick);
    if (!TimerGesperrtStart->isActive()) TimerGesperrtStart->start();
}

void TFormMain::ComPortDSR(std::uint32_t tick) {
    const std::optional<quint32> status = ComPort->TryModemStatus();
    if (!status || !ContactActs(*status, MaskDSR, Alg2, LastLineState[1])) return;
    if (BeamArmed(ImageLS1) && bSTOP1->isEnabled()) IssueCommand(mSTOP1, tick);
}

void TFormMain::ComPortRLSD(std::uint32_t tick) {
    const std::optional<quint32> status = ComPort->TryModemStatus();
    if (!status || !ContactActs(*status, MaskRLSD, Alg3, LastLineState[2])) return;
    if (BeamArmed(ImageLS2) && bSTOP2->isEnabled()) IssueCommand(mStop2, tick);
}

void TFormMain::ComPortOpen() {
    for (TImageLS* image : {ImageLSstart, ImageLS1, ImageLS2})
        image->show();
}

void TFormMain::ComPortClose() {
    for (TImageLS* image : {ImageLSstart, ImageLS1, ImageLS2})
        image->hide();
}

void TFormMain::ImageLSClick(TImageLS* sender) {
    sender->Tag ^= 1;
    sender->ShowImage(sender->Tag);
}

void TFormMain::LockLSstartClick() {
    ImageLSClick(ImageLSstart);
}
void TFormMain::LockLS1Click() {
    ImageLSClick(ImageLS1);
}
void TFormMain::LockLS21Click() {
    ImageLSClick(ImageLS2);
}

bool TFormMain::BeamArmed(const TImageLS* image) const {
    return image->Tag == 1;
}

void TFormMain::DisarmBeam(TImageLS* image) {
    if (BeamArmed(image)) ImageLSClick(image);
}

void TFormMain::ArmBeam(TImageLS* image) {
    if (!BeamArmed(image)) ImageLSClick(image);
}

void TFormMain::TimerGesperrtTimer() {
    TimerGesperrtStart->stop();
    if (!BeamArmed(ImageLS1) && bSTOP1->isEnabled()) ImageLSClick(ImageLS1);
    if (!BeamArmed(ImageLS2) && bSTOP2->isEnabled()) ImageLSClick(ImageLS2);
}
