#pragma once
// The state of one run, from START to RESET, without a window: which tracks still run, the
// ticks, the three beams, the start lock-out and the auto-reset. Every enabled flag of the
// run commands is one of the "Can" answers below, and every path to a command (key, button,
// contact, timer) goes through the same method, so no rule is kept in two places.
#include "core/Columns.h"

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <QObject>

class QTimer;
struct TSettings;

enum class TRunState { Ready, Running, Finished };

// The beam locks: a contact is accepted only while its beam is armed.
enum TBeam { BeamStart = 0, BeamStop1 = 1, BeamStop2 = 2 };

// The modem-status bits the three contacts are wired to.
namespace ContactLine {
constexpr std::uint32_t CTS = 0x10, DSR = 0x20, RLSD = 0x80;
}
// The foot pads sit on a second port: lane 1 on CTS, lane 2 on DSR.
constexpr std::array<std::uint32_t, 2> PadLines{ContactLine::CTS, ContactLine::DSR};

// Whether a line notification is an edge the contact acts on. The whole status word is
// compared with the stored bit, so the first notification after start-up is always evaluated
// (the initial stored values match no status word). A polarity other than 0 ("ON", acts on
// closing) or 1 ("OFF", acts on opening) never acts.
bool ContactActs(std::uint32_t status, std::uint32_t mask, int polarity,
                 std::uint32_t& lastLineState);

class TRunController : public QObject {
    Q_OBJECT
public:
    // Reads the track count, the polarities and the two delays from settings when it needs
    // them, so a confirmed settings dialog takes effect without telling anyone.
    explicit TRunController(const TSettings& settings, QObject* parent = nullptr);

    TRunState State() const { return m_state; }
    bool IsRunning() const { return m_state == TRunState::Running; }
    bool IsReady() const { return m_state == TRunState::Ready; }
    bool TrackStopped(int track) const { return m_stopped[Index(track)]; }
    int TrackCount() const; // tracks with a STOP in this run: 1 or 2
    std::uint32_t StartTick() const { return m_startTick; }
    // The time a stopped track recorded, in ms.
    std::uint32_t StopTime(int track) const { return m_stopTime[Index(track)]; }
    std::uint32_t Elapsed(std::uint32_t now) const { return now - m_startTick; }

    // Whether the participants on the tracks allow a start, and which tracks can record a time
    // (a participant with no free run left gets no STOP: his time would be written nowhere);
    // told by whoever owns the lists.
    void SetHeatReady(bool ready, std::array<bool, 2> canRecord = {true, true}, int tracks = 2);
    bool HeatReady() const { return m_heatReady; }
    // The heat is set up, but no track in use can record a time.
    bool NoTrackCanRecord() const;

    // The single source of the run commands' enabled flags.
    bool CanStart() const { return IsReady() && m_heatReady && !NoTrackCanRecord(); }
    bool CanStop(int track) const;
    bool CanReset() const { return m_state == TRunState::Finished; }
    bool CanAbort() const; // running, and no track has stopped yet
    bool CanDis(int track) const;
    bool CanSetUpHeat() const { return IsReady(); } // lists, mode, settings, the load button
    bool CanLoad() const { return !IsRunning(); }   // a finished run is ended first

    // Commands; each does nothing and returns false when its "Can" says no.
    bool Start(std::uint32_t tick);
    bool Stop(int track, std::uint32_t tick);
    bool Reset();
    bool Abort();
    // Ends a finished run without moving anyone on: something replaces the participants.
    bool EndRun();
    // Moves the start back (the hidden "+ 1 Std." and "+ 9 Min." buttons).
    void ShiftStart(std::uint32_t ms) { m_startTick -= ms; }

    // Whether a track's last STOP filled a protocol cell that DIS could mark: the protocol
    // knows (it keeps the cell and forgets it when the heat's participants change).
    void SetCellToMark(std::function<bool(int track)> hasCell) { m_hasCell = std::move(hasCell); }

    bool BeamArmed(TBeam beam) const { return m_armed[beam]; }
    void ToggleBeam(TBeam beam);

    // A line notification of a contact (0 start/CTS, 1 stop 1/DSR, 2 stop 2/DCD) with the
    // status word and the tick at which the line changed.
    void ContactChanged(int contact, std::uint32_t status, std::uint32_t tick);
    std::array<std::uint32_t, 3> LastLineState{0xAAAAAAAAu, 0x55555555u, 0x11111111u};

    // A line notification of a lane's foot pad (0 / 1) with the pad port's status word and the
    // tick at which the line changed. Polarity 0 ("ON"): the pad is stood on while its line
    // is active; 1 ("OFF"): while it is not.
    void PadChanged(int lane, std::uint32_t status, std::uint32_t tick);
    // Whether a climber stands on a lane's pad; none before its first notification.
    std::optional<bool> PadStoodOn(int lane) const { return m_padStoodOn[Index(lane)]; }
    // The pad port went away: what the pads said is forgotten, and the run goes on without.
    void PadsLost();
    // A lane's reaction in this run: its pad's release tick minus the START tick, negative for
    // a release before START. None before the release, or with nobody on the pad.
    std::optional<std::int32_t> Reaction(int lane) const { return m_reaction[Index(lane)]; }
    // A reaction under the limit, or a release before START.
    bool FalseStart(int lane) const { return m_falseStart[Index(lane)]; }
    bool CanClearFalseStart(int lane) const { return !IsReady() && FalseStart(lane); }
    // The operator's verdict that the pad was knocked, not left early.
    bool ClearFalseStart(int lane);

    bool LockoutActive() const { return m_lockout; }
    bool AutoResetPending() const { return m_autoPending; }
    void SetAutoReset(bool on);
    bool AutoReset() const { return m_autoReset; }
    // Fires the lock-out end and the auto-reset when their time has come on TickCount().
    // Called by the controller's own timer; tests call it after moving the test clock.
    void Poll();

signals:
    // Each command reports itself; Changed covers what happens without one (a beam toggled,
    // the lock-out over).
    void Started();
    void TrackStoppedAt(int track, quint32 elapsed);
    void WasReset(); // manual or automatic: the participants move on
    void Aborted();  // back to Ready, the participants stay
    void RunEnded(); // a finished run ended without moving anyone on
    void BeamsChanged();
    void Changed();
    // A stop contact acted on a running track whose stop beam is not armed: no time taken.
    void StopContactIgnored(int track);
    // A lane's reaction is known (and with it whether it was a false start).
    void ReactionTaken(int lane);
    void FalseStartCleared(int lane);

private:
    static int Index(int track) { return track == 1 ? 1 : 0; }
    void SetBeam(TBeam beam, bool armed);
    void StartLockout(std::uint32_t tick);
    void StopDeadlines();
    void ArmForNextStart();
    void Schedule();
    void BackToReady();
    void TakeReaction(int lane, std::int32_t reaction);

    const TSettings& m_settings;
    TRunState m_state = TRunState::Ready;
    bool m_heatReady = false;
    std::array<bool, 2> m_canRecord{true, true};
    bool m_stopArming = false; // the stop contacts wait for m_stopArmAt
    std::uint32_t m_stopArmAt = 0;
    int m_tracks = 2; // tracks in use, as the heat was last set up
    std::array<bool, 2> m_stopped{false, false};
    std::array<bool, 2> m_offered{false, false}; // the STOPs this run offers
    std::uint32_t m_startTick = 0;
    std::array<std::uint32_t, 2> m_stopTime{0, 0};
    std::function<bool(int)> m_hasCell;
    std::array<bool, 3> m_armed{false, false, false}; // all disarmed at start-up
    bool m_lockout = false;
    std::uint32_t m_lockoutEnd = 0;
    // The pads: stood on or not (none before their first notification), the release of a
    // pad left before START, and this run's reactions.
    std::array<std::optional<bool>, 2> m_padStoodOn{};
    std::array<std::optional<std::uint32_t>, 2> m_earlyRelease{};
    std::array<std::optional<std::int32_t>, 2> m_reaction{};
    std::array<bool, 2> m_falseStart{false, false};
    bool m_autoReset = false;
    bool m_autoPending = false;
    std::uint32_t m_autoResetAt = 0;
    QTimer* m_timer;
};
