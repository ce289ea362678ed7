// The contact log seen from the window: what it hands the log (contact edges with what the run
// made of them, the operator's commands and corrections) and the command that opens the log.
// Nothing here formats a line or touches the disk: the log does that on its own thread.
#include "core/Competition.h"
#include "core/TickCount.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"

#include <QAction>

void TFormMain::StartContactLog(TContactLog& log) {
    ContactLog = &log;
    mContactLog->setEnabled(true);
    // Said once per failing stretch: the run goes on, the operator knows the log is gone.
    connect(&log, &TContactLog::WriteFailed, this, [this](const QString& reason) {
        m_status->showMessage(tr("Kontaktprotokoll kann nicht geschrieben werden: ") + reason);
    });
    LogEvent(TLogSource::Session, QStringLiteral("Programmstart"), windowTitle());
}

void TFormMain::LogEvent(TLogSource source, const QString& what, const QString& detail,
                         std::optional<std::uint32_t> tick) {
    if (ContactLog) ContactLog->Note(source, tick ? *tick : TickCount(), what, detail);
}

QString TFormMain::LogEntryText(int entry, int col, const QString& before) const {
    if (!Competition->IsValidEntry(entry)) return QStringLiteral("keine Zeile");
    QString text =
        QStringLiteral("Nr. %1 %2")
            .arg(Competition->Cell(entry, Col::StNr), Competition->Cell(entry, Col::Name))
            .trimmed();
    if (col >= 0)
        text +=
            QStringLiteral(", %1: „%2“ → „%3“")
                .arg(Competition->ColumnTitles().value(col), before, Competition->Cell(entry, col));
    return text;
}

void TFormMain::ContactToRun(int contact, std::uint32_t status, std::uint32_t tick) {
    if (!ContactLog || contact < 0 || contact > 2) {
        Run->ContactChanged(contact, status, tick);
        return;
    }
    // The run's own rule, applied to a copy of its stored line state, tells whether this is
    // an edge it acts on; the run's state before and after tells what it did with it.
    static constexpr std::uint32_t masks[3] = {ContactLine::CTS, ContactLine::DSR,
                                               ContactLine::RLSD};
    const int polarity[3] = {Settings.Alg1, Settings.Alg2, Settings.Alg3};
    std::uint32_t line = Run->LastLineState[size_t(contact)];
    const bool acts = ContactActs(status, masks[contact], polarity[contact], line);
    const int track = contact - 1;
    const bool wasRunning = Run->IsRunning(), lockedOut = Run->LockoutActive();
    const bool couldStart = Run->CanStart(), couldStop = track >= 0 && Run->CanStop(track);

    Run->ContactChanged(contact, status, tick);

    TContactOutcome outcome = TContactOutcome::NoEdge;
    std::uint32_t ms = 0;
    if (acts && track < 0) {
        outcome = !wasRunning && Run->IsRunning()            ? TContactOutcome::Start
                  : lockedOut && Run->LockoutActive()        ? TContactOutcome::LockedOut
                  : couldStart && !Run->BeamArmed(BeamStart) ? TContactOutcome::NotArmed
                                                             : TContactOutcome::NoEffect;
    } else if (acts && couldStop && Run->TrackStopped(track)) {
        outcome = TContactOutcome::Stop;
        ms = Run->StopTime(track);
    } else if (acts) {
        // A lane that could stop and did not: its stop beam was not armed.
        outcome = couldStop ? TContactOutcome::NotArmed : TContactOutcome::NoEffect;
    }
    ContactLog->Contact(TLogSource(contact), tick, (status & masks[contact]) != 0, outcome, ms);
}

void TFormMain::mContactLogClick() {
    if (!ContactLog) return;
    // Every line so far, also the contact just before the click.
    ContactLog->Flush();
    Dialogs->ShellOpen(ContactLog->FileName());
}
