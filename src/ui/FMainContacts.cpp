// Contact notifications reach the run controller with the tick at which the line changed;
// the beam pictures show the controller's beam locks.
#include "input/Comms.h"
#include "ui/FMain.h"
#include "widgets/BeamImage.h"

// A line that cannot be read is no edge at all: taken as "every line inactive" it would be
// one for a normally closed contact and start or stop a run. Such a notification is dropped
// and the stored state kept, so the next readable one is compared with the last real state.
void TFormMain::ContactNotified(int contact, std::uint32_t tick) {
    const std::optional<quint32> status = ComPort->TryModemStatus();
    if (status) Run->ContactChanged(contact, *status, tick);
}

void TFormMain::ComPortCTS(std::uint32_t tick) {
    ContactNotified(0, tick);
}

void TFormMain::ComPortDSR(std::uint32_t tick) {
    ContactNotified(1, tick);
}

void TFormMain::ComPortRLSD(std::uint32_t tick) {
    ContactNotified(2, tick);
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
    Run->ToggleBeam(sender == ImageLSstart ? BeamStart
                    : sender == ImageLS1   ? BeamStop1
                                           : BeamStop2);
}

void TFormMain::ShowBeams() {
    ImageLSstart->ShowImage(Run->BeamArmed(BeamStart) ? 1 : 0);
    ImageLS1->ShowImage(Run->BeamArmed(BeamStop1) ? 1 : 0);
    ImageLS2->ShowImage(Run->BeamArmed(BeamStop2) ? 1 : 0);
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
