// Undo and redo of the operator's actions on results. Each action keeps the result state it
// changed as a whole: the rows share their storage with the live ones until either is written,
// so a step costs one copy of the entry array (a few microseconds for a few hundred rows) and
// restoring is a plain assignment, which cannot leave a half-undone protocol behind.
#include "core/Competition.h"

#include <algorithm>

namespace {
// Enough for a day's slips; a protocol of many thousand rows keeps fewer steps, at least one.
constexpr std::size_t kMaxSteps = 50;
constexpr qsizetype kMaxKeptRows = 50000;
} // namespace

QString TCompetition::Who(int entry) const {
    if (!IsValidEntry(entry)) return QString();
    const QStringList& c = m_entries[entry].cells;
    if (const QString name = c[Col::Name].trimmed(); !name.isEmpty()) return name;
    if (const QString nr = c[Col::StNr].trimmed(); !nr.isEmpty()) return tr("Nr. %1").arg(nr);
    return tr("Zeile %1").arg(entry + 1);
}

TCompetition::TResultState TCompetition::CurrentState() const {
    TResultState s;
    s.entries = m_entries;
    s.rank = m_rank;
    s.viewRanked = m_viewRanked;
    s.brackets = m_brackets;
    s.bracketNote = m_bracketNote;
    s.pendingLane = m_pendingLane;
    s.lastCell = m_lastCell;
    for (int t = 0; t < 2; ++t)
        s.trackIds[t] = m_track[t] >= 0 ? m_entries[m_track[t]].id : 0;
    return s;
}

void TCompetition::Remember(const QString& what) {
    m_redo.clear();
    m_undo.push_back({CurrentState(), what, false, m_heatSerial});
    qsizetype rows = 0;
    for (const TStep& step : m_undo)
        rows += step.state.entries.size();
    while (m_undo.size() > kMaxSteps || (m_undo.size() > 1 && rows > kMaxKeptRows)) {
        rows -= m_undo.front().state.entries.size();
        m_undo.pop_front();
    }
}

void TCompetition::ClearHistory() {
    m_undo.clear();
    m_redo.clear();
}

void TCompetition::MarkPublished() {
    if (!m_undo.empty()) m_undo.back().published = true;
}

QString TCompetition::UndoText() const {
    return m_undo.empty() ? QString() : m_undo.back().text;
}

QString TCompetition::RedoText() const {
    return m_redo.empty() ? QString() : m_redo.back().text;
}

bool TCompetition::Undo() {
    if (m_undo.empty()) return false;
    TStep step{CurrentState(), m_undo.back().text, m_undo.back().published, m_heatSerial};
    if (!Restore(m_undo.back().state, m_undo.back().heat == m_heatSerial)) return false;
    m_undo.pop_back();
    m_redo.push_back(std::move(step));
    return true;
}

bool TCompetition::Redo() {
    if (m_redo.empty()) return false;
    // Back on the undo list with what it was marked when it was undone: the places it
    // restores may be the ones that went out.
    TStep step{CurrentState(), m_redo.back().text, m_redo.back().published, m_heatSerial};
    if (!Restore(m_redo.back().state, m_redo.back().heat == m_heatSerial)) return false;
    m_redo.pop_back();
    m_undo.push_back(std::move(step));
    return true;
}

bool TCompetition::Restore(const TResultState& state, bool sameHeat) {
    // Who stands on the tracks: in the finals the bracket's pair; elsewhere the same people as
    // now, found again after the entry numbers shifted, and a restored entry back on the track
    // its delete left empty.
    std::array<int, 2> tracks{-1, -1};
    if (m_mode == FinaleKo) {
        const auto& brackets = state.brackets.Brackets;
        const TBracket none;
        const TBracket& b = brackets.isEmpty() ? none : brackets[state.brackets.Current].Bracket;
        const int heat = b.CurrentHeat();
        for (int t = 0; t < 2; ++t)
            tracks[t] = heat < 0 ? -1 : b.Heats()[heat].Entry[t];
    } else {
        for (int t = 0; t < 2; ++t) {
            const std::uint32_t id = m_track[t] >= 0 ? m_entries[m_track[t]].id : state.trackIds[t];
            for (int e = 0; id != 0 && e < state.entries.size(); ++e)
                if (state.entries[e].id == id) tracks[t] = e;
        }
    }
    // A time still to come in this heat must find the participants it was started for.
    if (m_heatRunning) {
        for (int t = 0; t < 2; ++t) {
            const std::uint32_t now = m_track[t] >= 0 ? m_entries[m_track[t]].id : 0;
            const std::uint32_t then = tracks[t] >= 0 ? state.entries[tracks[t]].id : 0;
            if (now != then) return false;
        }
    }
    m_entries = state.entries;
    m_rank = state.rank;
    m_rankPosValid = false;
    m_viewRanked = state.viewRanked;
    m_brackets = state.brackets;
    m_bracketNote = state.bracketNote;
    m_pendingLane = state.pendingLane;
    // DIS marks the cell of the heat's last STOP; after a RESET there is none to give back.
    if (sameHeat) m_lastCell = state.lastCell;
    m_track = tracks;
    m_modified = true;
    // The settings may have changed since: everything is read again under the current ones.
    ForgetReadCells(true, true);
    Emit(RowsChanged);
    Recompute();
    Emit(HeatChanged);
    if (m_mode == FinaleKo || !m_brackets.Brackets.isEmpty()) Emit(BracketChanged);
    return true;
}

QHash<std::uint64_t, int> TCompetition::PlacesOf(const TResultState& state) const {
    // Protocol places by the entry's identity, bracket places beside them (bit 32 set).
    QHash<std::uint64_t, int> places;
    for (const TEntry& e : state.entries)
        if (e.place > 0) places.insert(e.id, e.place);
    for (const TCategoryBracket& b : state.brackets.Brackets)
        for (const auto& [entry, place] : b.Bracket.Places())
            if (entry >= 0 && entry < state.entries.size() && place > 0)
                places.insert(std::uint64_t(state.entries[entry].id) | (std::uint64_t(1) << 32),
                              place);
    return places;
}

bool TCompetition::UndoChangesPublishedPlaces() const {
    if (m_undo.empty() || !m_undo.back().published) return false;
    // Places as last computed on either side: a step is always recomputed before it counts
    // as published (the heat's STOPs and the RESET recompute).
    return PlacesOf(CurrentState()) != PlacesOf(m_undo.back().state);
}
