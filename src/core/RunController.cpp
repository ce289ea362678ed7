#include "core/RunController.h"

#include "core/Settings.h"
#include "core/TickCount.h"

#include <algorithm>
#include <QTimer>

namespace {
// Whether tick lies at or after deadline on the wrapping 32-bit counter.
bool Reached(std::uint32_t tick, std::uint32_t deadline) {
    return std::int32_t(tick - deadline) >= 0;
}
} // namespace

bool ContactActs(std::uint32_t status, std::uint32_t mask, int polarity,
                 std::uint32_t& lastLineState) {
    if (status == lastLineState) return false;
    const bool active = (status & mask) != 0;
    lastLineState = status & mask;
    return (polarity == 0 && active) || (polarity == 1 && !active);
}

TRunController::TRunController(const TSettings& settings, QObject* parent)
    : QObject(parent), m_settings(settings), m_timer(new QTimer(this)) {
    m_timer->setSingleShot(true);
    m_timer->setTimerType(Qt::PreciseTimer);
    connect(m_timer, &QTimer::timeout, this, &TRunController::Poll);
}

int TRunController::TrackCount() const {
    return m_tracks >= 2 ? 2 : 1;
}

void TRunController::SetHeatReady(bool ready, std::array<bool, 2> canRecord, int tracks) {
    m_heatReady = ready;
    m_tracks = tracks;
    m_canRecord = canRecord;
}

bool TRunController::NoTrackCanRecord() const {
    return !m_canRecord[0] && !(TrackCount() >= 2 && m_canRecord[1]);
}

bool TRunController::CanStop(int track) const {
    const int t = Index(track);
    return IsRunning() && m_offered[t] && !m_stopped[t];
}

bool TRunController::CanAbort() const {
    return IsRunning() && !m_stopped[0] && !m_stopped[1];
}

bool TRunController::CanDis(int track) const {
    const int t = Index(track);
    return !IsReady() && m_stopped[t] && (!m_hasCell || m_hasCell(t));
}

bool TRunController::Start(std::uint32_t tick) {
    if (!CanStart()) return false;
    m_startTick = tick;
    m_state = TRunState::Running;
    m_stopped = {false, false};
    m_stopTime = {0, 0};
    // With one track the second STOP is not offered at all: a stray F6 or track-2 contact
    // would otherwise write a time for a participant nobody sees. Nor is the STOP of a track
    // whose participant has done all his runs: the time would be recorded nowhere.
    m_offered = {m_canRecord[0], TrackCount() >= 2 && m_canRecord[1]};
    for (TBeam b : {BeamStart, BeamStop1, BeamStop2})
        SetBeam(b, false);
    m_stopArming = true;
    m_stopArmAt = tick + std::uint32_t(std::max(0, m_settings.StopGesperrt));
    m_reaction = {std::nullopt, std::nullopt};
    m_falseStart = {false, false};
    StartLockout(tick);
    emit Started();
    // A climber who left his pad before the signal and did not step back on started false.
    for (int lane = 0; lane < 2; ++lane)
        if (m_offered[size_t(lane)] && m_earlyRelease[size_t(lane)])
            TakeReaction(lane, std::int32_t(*m_earlyRelease[size_t(lane)] - tick));
    m_earlyRelease = {std::nullopt, std::nullopt};
    return true;
}

bool TRunController::Stop(int track, std::uint32_t tick) {
    if (!CanStop(track)) return false;
    const int t = Index(track);
    // Unsigned: right across the wrap. A contact's edge read before the start (the two lines
    // changed together) counts as no time rather than as 49 days.
    const std::uint32_t elapsed = Reached(tick, m_startTick) ? tick - m_startTick : 0;
    m_stopTime[t] = elapsed;
    m_stopped[t] = true;
    SetBeam(t == 0 ? BeamStop1 : BeamStop2, false);
    if (!CanStop(0) && !CanStop(1)) {
        m_state = TRunState::Finished;
        if (m_autoReset) {
            m_autoPending = true;
            m_autoResetAt = TickCount() + std::uint32_t(std::max(0, m_settings.AutoTime));
        }
    }
    Schedule();
    emit TrackStoppedAt(t, elapsed);
    return true;
}

void TRunController::BackToReady() {
    StopDeadlines();
    m_earlyRelease = {std::nullopt, std::nullopt};
    m_state = TRunState::Ready;
    m_offered = {false, false};
    ArmForNextStart();
}

bool TRunController::Reset() {
    if (!CanReset()) return false;
    BackToReady();
    emit WasReset();
    return true;
}

bool TRunController::Abort() {
    if (!CanAbort()) return false;
    BackToReady();
    emit Aborted();
    return true;
}

bool TRunController::EndRun() {
    if (m_state != TRunState::Finished) return false;
    BackToReady();
    emit RunEnded();
    return true;
}

void TRunController::SetBeam(TBeam beam, bool armed) {
    if (m_armed[beam] == armed) return;
    m_armed[beam] = armed;
    emit BeamsChanged();
}

void TRunController::ToggleBeam(TBeam beam) {
    SetBeam(beam, !m_armed[beam]);
    emit Changed();
}

void TRunController::ArmForNextStart() {
    SetBeam(BeamStop1, false);
    SetBeam(BeamStop2, false);
    SetBeam(BeamStart, true);
}

void TRunController::StartLockout(std::uint32_t tick) {
    m_lockout = true;
    m_lockoutEnd = tick + std::uint32_t(std::max(0, m_settings.TimerGesperrt));
    Schedule();
}

void TRunController::StopDeadlines() {
    m_lockout = false;
    m_stopArming = false;
    m_autoPending = false;
    m_timer->stop();
}

void TRunController::SetAutoReset(bool on) {
    m_autoReset = on;
    if (!on && m_autoPending) {
        m_autoPending = false;
        Schedule();
    }
}

void TRunController::Schedule() {
    const std::uint32_t now = TickCount();
    std::int64_t wait = -1;
    for (auto [pending, at] :
         {std::pair{m_lockout, m_lockoutEnd}, std::pair{m_stopArming, m_stopArmAt},
          std::pair{m_autoPending, m_autoResetAt}}) {
        if (!pending) continue;
        const std::int64_t left = std::max<std::int32_t>(0, std::int32_t(at - now));
        wait = wait < 0 ? left : std::min(wait, left);
    }
    if (wait < 0)
        m_timer->stop();
    else
        m_timer->start(int(std::max<std::int64_t>(wait, 1)));
}

void TRunController::Poll() {
    const std::uint32_t now = TickCount();
    bool changed = false;
    if (m_lockout && Reached(now, m_lockoutEnd)) {
        m_lockout = false; // the start contact acts again; the start beam stays as it is
        changed = true;
    }
    if (m_stopArming && Reached(now, m_stopArmAt)) {
        // The stop beams of the tracks still running are armed.
        m_stopArming = false;
        if (CanStop(0)) SetBeam(BeamStop1, true);
        if (CanStop(1)) SetBeam(BeamStop2, true);
        changed = true;
    }
    if (m_autoPending && Reached(now, m_autoResetAt)) {
        m_autoPending = false;
        m_lockout = false;
        if (Reset()) return; // Reset reschedules and reports the change
        changed = true;
    }
    Schedule();
    if (changed) emit Changed();
}

void TRunController::ContactChanged(int contact, std::uint32_t status, std::uint32_t tick) {
    static constexpr std::uint32_t masks[3] = {ContactLine::CTS, ContactLine::DSR,
                                               ContactLine::RLSD};
    const int polarity[3] = {m_settings.Alg1, m_settings.Alg2, m_settings.Alg3};
    if (contact < 0 || contact > 2) return;
    // A lock-out or arming delay whose time has passed ends before the edge is judged, also when a
    // busy window has not yet served the timer.
    if ((m_lockout && Reached(tick, m_lockoutEnd)) || (m_stopArming && Reached(tick, m_stopArmAt)))
        Poll();
    if (!ContactActs(status, masks[contact], polarity[contact], LastLineState[contact])) return;
    switch (contact) {
    case 0:
        if (m_lockout) return; // locked out: not even prolonged
        if (CanStart() && m_armed[BeamStart]) Start(tick);
        if (!m_lockout) {
            StartLockout(tick);
            emit Changed();
        }
        break;
    default: {
        // A stop pad touched while its lane is not armed (the start's scramble, a hand on it)
        // is told, never taken as a time.
        const int track = contact - 1;
        if (!CanStop(track)) break;
        if (m_armed[track == 0 ? BeamStop1 : BeamStop2])
            Stop(track, tick);
        else
            emit StopContactIgnored(track);
        break;
    }
    }
}

void TRunController::PadChanged(int lane, std::uint32_t status, std::uint32_t tick) {
    if (lane < 0 || lane > 1) return;
    const int polarity = lane == 0 ? m_settings.PadAlg1 : m_settings.PadAlg2;
    if (polarity != 0 && polarity != 1) return;
    const auto l = size_t(lane);
    const bool stoodOn = ((status & PadLines[l]) != 0) == (polarity == 0);
    const std::optional<bool> before = m_padStoodOn[l];
    m_padStoodOn[l] = stoodOn;
    // Only a pad seen stood on can be left: the first notification tells the state, no edge.
    if (stoodOn || before != true) {
        if (stoodOn && IsReady()) m_earlyRelease[l].reset(); // back on the pad in time
        return;
    }
    if (IsReady()) {
        m_earlyRelease[l] = tick;
    } else if (IsRunning() && m_offered[l] && !m_stopped[l] && !m_reaction[l]) {
        // Signed: an edge read just before the START key lands before the start tick.
        TakeReaction(lane, std::int32_t(tick - m_startTick));
    }
}

void TRunController::TakeReaction(int lane, std::int32_t reaction) {
    const auto l = size_t(lane);
    m_reaction[l] = reaction;
    m_falseStart[l] = reaction < std::max(0, m_settings.FsLimit);
    emit ReactionTaken(lane);
}

void TRunController::PadsLost() {
    m_padStoodOn = {std::nullopt, std::nullopt};
    m_earlyRelease = {std::nullopt, std::nullopt};
}

bool TRunController::ClearFalseStart(int lane) {
    if (!CanClearFalseStart(lane)) return false;
    m_falseStart[size_t(Index(lane))] = false;
    emit FalseStartCleared(Index(lane));
    return true;
}
