#include "ui/live/LiveGlue.h"

#include "core/Competition.h"
#include "core/TimeFormat.h"
#include "live/LiveServer.h"
#include "ui/help/FInfo.h"
#include "ui/live/LiveShare.h"
#include "ui/main/FMain.h"
#include "ui/main/ModeBox.h"
#include "ui/settings/LiveSettingsGroup.h"

#include <QTimer>

namespace {

bool SamePage(const THtmlPage& a, const THtmlPage& b) {
    return a.rows == b.rows && a.colWidths == b.colWidths && a.CountZabegov == b.CountZabegov &&
           a.CompetitionTitle == b.CompetitionTitle;
}

} // namespace

TLiveGlue::TLiveGlue(TFormMain& window, TLiveServer& server)
    : QObject(&window), m_window(window), m_server(server), m_poll(new QTimer(this)) {
    TRunController* run = window.Run;
    // Only a zero-time refresh is queued from the run's signals: a contact's handler is never
    // held up by the live pages.
    for (auto signal :
         {&TRunController::Started, &TRunController::WasReset, &TRunController::Aborted,
          &TRunController::RunEnded, &TRunController::Changed})
        connect(run, signal, this, &TLiveGlue::ScheduleRefresh);
    // The heats as they are run, for the list of the last ones: who started, which cell each
    // stop filled (the window has recorded it by now: it listens first).
    connect(run, &TRunController::Started, this, [this] {
        const TCompetition& c = *m_window.Competition;
        if (c.Mode() != TCompetition::FinaleKo) m_heats.Started(c, TModeBox::ModeName(c.Mode()));
    });
    connect(run, &TRunController::TrackStoppedAt, this, &TLiveGlue::TrackStopped);
    for (auto signal :
         {&TRunController::WasReset, &TRunController::Aborted, &TRunController::RunEnded})
        connect(run, signal, this, &TLiveGlue::HeatOver);
    connect(run, &TRunController::ReactionTaken, this, &TLiveGlue::ScheduleRefresh);
    connect(run, &TRunController::FalseStartCleared, this, &TLiveGlue::ScheduleRefresh);
    // The protocol page is built again only when the competition says it changed (a time,
    // DIS, an edit, a load, the order): a contact's run never pays for the whole protocol.
    // Settings and list choices are caught by a cheap comparison once a second.
    const auto protocolChanged = [this] {
        m_protocolDirty = true;
        ScheduleRefresh();
    };
    connect(window.Competition, &TCompetition::Changed, this, protocolChanged);
    connect(&window, &TFormMain::ProtocolChanged, this, protocolChanged);
    connect(m_poll, &QTimer::timeout, this, &TLiveGlue::Refresh);
    m_poll->start(1000);
    if (window.FormInfo) {
        m_infoPanel = new TLiveSharePanel;
        window.FormInfo->AddSection(m_infoPanel);
    }
    Refresh();
}

THtmlPage TLiveGlue::ProtocolForLive() const {
    return m_window.HtmlPage();
}

TLiveState TLiveGlue::StateForLive() const {
    const TSettings& s = m_window.Settings;
    const TRunController& run = *m_window.Run;
    TLiveState st;
    st.title = s.Title;
    st.run = run.State() == TRunState::Running    ? TLiveRun::Running
             : run.State() == TRunState::Finished ? TLiveRun::Finished
                                                  : TLiveRun::Ready;
    const TCompetition& c = *m_window.Competition;
    st.trackCount = c.CountBahn();
    st.timeFormat = s.TimeFormat;
    st.decimalSeparator = SystemDecimalSeparator();
    st.startTick = run.StartTick();
    const TColor colours[2] = {s.Color1, s.Color2};
    for (int t = 0; t < 2; ++t) {
        // The "Qualifikation" dummy only fills an empty track: nobody climbs there.
        if (!c.IsDummy(c.TrackEntry(t)))
            st.tracks[t].participant = m_window.TrackParticipantText(t);
        st.tracks[t].who = LivePerson(c, c.TrackEntry(t));
        st.tracks[t].colour = LiveCssColour(colours[t]);
        st.tracks[t].stopped = run.TrackStopped(t);
        st.tracks[t].stopMs = run.StopTime(t);
        if (const auto r = run.Reaction(t)) st.tracks[t].reaction = FormatReaction(*r);
        st.tracks[t].falseStart = run.FalseStart(t);
    }
    st.round = LiveRound(c, TModeBox::ModeName(c.Mode()));
    st.heats = c.Mode() == TCompetition::FinaleKo ? LiveFinalsHeats(c, s.TimeFormat, LiveLastHeats)
                                                  : m_heats.Heats(c, LiveLastHeats);
    return st;
}

void TLiveGlue::TrackStopped(int track) {
    m_heats.Stopped(*m_window.Competition, track);
    ScheduleRefresh();
}

void TLiveGlue::HeatOver() {
    m_heats.Ended();
}

void TLiveGlue::ScheduleRefresh() {
    if (m_refreshPending) return;
    m_refreshPending = true;
    QTimer::singleShot(0, this, &TLiveGlue::Refresh);
}

void TLiveGlue::Refresh() {
    m_refreshPending = false;
    ApplySettings();
    if (!m_server.IsListening()) return;
    m_server.PublishState(StateForLive());
    const TCompetition& c = *m_window.Competition;
    const TSettings& s = m_window.Settings;
    // The pages' settings, compared without building the pages.
    if (s.Title != m_published.CompetitionTitle || s.CountZabegov != m_published.CountZabegov ||
        s.TimeFormat != m_publishedFormat)
        m_protocolDirty = true;
    const bool first = !m_protocolPublished;
    if (first || m_protocolDirty) {
        m_protocolDirty = false;
        m_publishedFormat = s.TimeFormat;
        THtmlPage page = ProtocolForLive();
        if (first || !SamePage(page, m_published)) {
            m_server.PublishProtocol(page, LiveStandings(c, s.Title));
            m_published = std::move(page);
            m_protocolPublished = true;
        }
    }
    TLiveBrackets brackets = LiveBrackets(c, s.Title, s.TimeFormat);
    if (first || !SameBrackets(brackets, m_publishedBrackets)) {
        m_server.PublishBracket(brackets);
        m_publishedBrackets = std::move(brackets);
    }
}

void TLiveGlue::ApplySettings() {
    const TSettings& s = m_window.Settings;
    if (s.LiveOn == m_appliedOn && s.LivePort == m_appliedPort && s.LiveBind == m_appliedBind)
        return;
    m_appliedOn = s.LiveOn;
    m_appliedPort = s.LivePort;
    m_appliedBind = s.LiveBind;
    m_address.clear();
    m_problem.clear();
    m_server.Stop();
    m_protocolPublished = false;
    if (s.LiveOn) {
        bool valid = false;
        const QHostAddress bind = LiveBindAddress(s.LiveBind, &valid);
        QString error;
        if (!valid)
            m_problem = tr("Live-Ergebnisse: \"%1\" ist keine Adresse").arg(s.LiveBind);
        else if (s.LivePort < 1 || s.LivePort > 65535) // not cut down to 16 bits: 65537 is not 1
            m_problem = tr("Live-Ergebnisse: Port %1 ungültig (1 bis 65535)").arg(s.LivePort);
        else if (!m_server.Start(bind, quint16(s.LivePort), &error))
            m_problem =
                tr("Live-Ergebnisse: Port %1 nicht verfügbar (%2)").arg(s.LivePort).arg(error);
        else
            m_address = LiveShareAddress(bind, m_server.Port());
    }
    if (m_infoPanel) m_infoPanel->Show(m_address, m_problem);
    emit ShareChanged(m_address, m_problem);
}

void TLiveGlue::Attach(TLiveSettingsGroup* group) {
    group->ShowShare(m_address, m_problem);
    connect(this, &TLiveGlue::ShareChanged, group, &TLiveSettingsGroup::ShowShare);
}
