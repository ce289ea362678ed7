// The foot pads from the window's side: their port, their edges to the run, and what a
// reaction or a false start shows on the digits. Without a "Startmatten-Port" none of this
// is ever reached.
#include "core/Competition.h"
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "input/Comms.h"
#include "persist/ContactLog.h"
#include "ui/audience/FMonitor2.h"
#include "ui/main/FMain.h"
#include "ui/main/TrackClock.h"
#include "ui/PanelParts.h"

#include <QAction>
#include <QMenu>

void TFormMain::setupPads() {
    connect(PadComPort, &TComPort::OnCTS, this, [this](std::uint32_t t) { PadNotified(0, t); });
    connect(PadComPort, &TComPort::OnDSR, this, [this](std::uint32_t t) { PadNotified(1, t); });
    connect(PadComPort, &TComPort::OnClose, this, &TFormMain::PadPortClosed);
    connect(Run, &TRunController::ReactionTaken, this, &TFormMain::RunReaction);
    connect(Run, &TRunController::FalseStartCleared, this, &TFormMain::RunFalseStartCleared);
    // The shifted STOP key of a lane takes its false start back: the pad was knocked.
    for (int lane = 0; lane < 2; ++lane) {
        QAction* a = Named(new QAction(tr("Fehlstart aufheben %1").arg(lane + 1), this),
                           lane == 0 ? "mClearFs1" : "mClearFs2");
        a->setShortcut(QKeySequence(Qt::SHIFT | (lane == 0 ? Qt::Key_F4 : Qt::Key_F6)));
        a->setShortcutContext(Qt::ApplicationShortcut);
        a->setEnabled(false);
        FKeys->addAction(a);
        addAction(a);
        connect(a, &QAction::triggered, this, [this, lane] { Run->ClearFalseStart(lane); });
        (lane == 0 ? mClearFs1 : mClearFs2) = a;
    }
}

void TFormMain::OpenPadPort() {
    m_padsWanted = false;
    PadComPort->Close();
    Run->PadsLost();
    if (Settings.PadPort <= 0) return;
    // Two components on one device would steal each other's line changes.
    if (Settings.PadPort == Settings.Port) {
        SetStatusNote(NoteHeat, tr("Startmatten-Port = Kontakt-Port: ohne Startmatten"));
        return;
    }
    PadComPort->setPort(quint8(Settings.PadPort));
    try {
        PadComPort->Open();
        m_padsWanted = true;
        // The state the pads are in now, so a climber already standing counts as standing.
        if (const std::optional<quint32> status = PadComPort->TryModemStatus())
            for (int lane = 0; lane < 2; ++lane)
                Run->PadChanged(lane, *status, TickCount());
    } catch (const EComError& e) {
        SetStatusNote(NoteHeat, tr("Startmatten-Port: %1").arg(QString::fromStdString(e.what())));
    }
}

void TFormMain::PadNotified(int lane, std::uint32_t tick) {
    // As with the contacts: a line that cannot be read is no edge.
    const std::optional<quint32> status = PadComPort->TryModemStatus();
    if (!status) return;
    const std::optional<bool> before = Run->PadStoodOn(lane);
    Run->PadChanged(lane, *status, tick);
    if (!ContactLog) return;
    const TLogSource source = lane == 0 ? TLogSource::Pad1Contact : TLogSource::Pad2Contact;
    const std::optional<bool> after = Run->PadStoodOn(lane);
    if (after == before)
        ContactLog->Contact(source, tick, (*status & PadLines[size_t(lane)]) != 0,
                            TContactOutcome::NoEdge);
    else
        LogEvent(source, *after ? QStringLiteral("betreten") : QStringLiteral("verlassen"),
                 QString(), tick);
}

void TFormMain::PadPortClosed() {
    if (!m_padsWanted) return;
    m_padsWanted = false;
    Run->PadsLost();
    SetStatusNote(NoteHeat, tr("Startmatten getrennt: keine Reaktionszeiten"));
    LogEvent(TLogSource::Session, QStringLiteral("Startmatten getrennt"));
}

void TFormMain::RunReaction(int lane) {
    ShowReactions();
    if (const auto r = Run->Reaction(lane))
        LogEvent(lane == 0 ? TLogSource::Pad1Contact : TLogSource::Pad2Contact,
                 QStringLiteral("Reaktion"),
                 FormatReaction(*r) +
                     (Run->FalseStart(lane) ? QStringLiteral(" Fehlstart") : QString()));
    if (Run->FalseStart(lane))
        SetStatusNote(NoteHeat, tr("Fehlstart Bahn %1 (aufheben: Umschalt+%2)")
                                    .arg(lane + 1)
                                    .arg(lane == 0 ? QStringLiteral("F4") : QStringLiteral("F6")));
    UpdateControls();
}

void TFormMain::RunFalseStartCleared(int lane) {
    LogEvent(TLogSource::Correction, QStringLiteral("Fehlstart aufgehoben"),
             QStringLiteral("Bahn %1").arg(lane + 1));
    // A lane already stopped gets the time its "FS." stood in for.
    if (Run->TrackStopped(lane)) {
        const std::int32_t ms = std::int32_t(Run->StopTime(lane));
        Competition->ClearFalseStart(lane, FormatTime(ms, Settings.TimeFormat), ms);
        if (!Run->IsRunning()) RecalcProtocol();
    }
    SetStatusNote(NoteHeat, QString());
    ShowReactions();
    if (Run->TrackStopped(lane)) ShowTime(lane, std::int32_t(Run->StopTime(lane)));
    UpdateControls();
}

void TFormMain::ShowReactions() {
    for (int lane = 0; lane < 2; ++lane) {
        const std::optional<std::int32_t> r = Run->IsReady() ? std::nullopt : Run->Reaction(lane);
        const QString text = r ? FormatReaction(*r) : QString();
        TTrackClock* clock = m_clock[size_t(lane)];
        clock->ShowReaction(text);
        const bool fs = !Run->IsReady() && Run->FalseStart(lane);
        if (clock->FalseStartShown() != fs) clock->ShowFalseStart(fs);
        if (FormMonitor2) {
            FormMonitor2->ShowReaction(lane, text);
            FormMonitor2->MirrorDigits(lane, clock->Row());
        }
    }
}
