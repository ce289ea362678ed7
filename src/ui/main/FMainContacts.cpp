// Contact notifications reach the run controller with the tick at which the line changed;
// the beam pictures show the controller's beam locks.
#include "input/Comms.h"
#include "ui/main/CommandColumn.h"
#include "ui/main/FMain.h"

// A line that cannot be read is no edge at all: taken as "every line inactive" it would be
// one for a normally closed contact and start or stop a run. Such a notification is dropped
// and the stored state kept, so the next readable one is compared with the last real state.
void TFormMain::ContactNotified(int contact, std::uint32_t tick) {
    const std::optional<quint32> status = ComPort->TryModemStatus();
    if (status) Run->ContactChanged(contact, *status, tick);
}

void TFormMain::ComPortOpen() {
    m_commands->SetBeamsShown(true);
}

void TFormMain::ComPortClose() {
    m_commands->SetBeamsShown(false);
}

void TFormMain::ToggleBeam(int beam) {
    Run->ToggleBeam(beam == 0 ? BeamStart : beam == 1 ? BeamStop1 : BeamStop2);
}

void TFormMain::ShowBeams() {
    m_commands->ShowBeams(Run->BeamArmed(BeamStart), Run->BeamArmed(BeamStop1),
                          Run->BeamArmed(BeamStop2));
}
