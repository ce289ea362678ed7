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
    if (status) ContactToRun(contact, *status, tick);
}

void TFormMain::ComPortOpen() {
    m_commands->SetBeamsShown(true);
}

void TFormMain::ComPortClose() {
    m_commands->SetBeamsShown(false);
}

void TFormMain::ToggleBeam(int beam) {
    const TBeam b = beam == 0 ? BeamStart : beam == 1 ? BeamStop1 : BeamStop2;
    Run->ToggleBeam(b);
    LogEvent(TLogSource::Command,
             b == BeamStart ? QStringLiteral("Kontakt Start")
                            : QStringLiteral("Kontakt Stopp %1").arg(int(b)),
             Run->BeamArmed(b) ? QStringLiteral("scharf") : QStringLiteral("gesperrt"));
}

void TFormMain::ShowBeams() {
    m_commands->ShowBeams(Run->BeamArmed(BeamStart), Run->BeamArmed(BeamStop1),
                          Run->BeamArmed(BeamStop2));
}
