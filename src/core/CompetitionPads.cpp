// What the foot pads add to the competition: the reaction behind a recorded run, and the
// false start that stands in a run cell as "FS." and in the finals loses the heat.
#include "core/Competition.h"
#include "core/RunCells.h"

void TCompetition::SetLastReaction(int track, std::optional<std::int32_t> reaction) {
    const int t = track == 1 ? 1 : 0;
    const int entry = m_track[t], column = m_lastCell[t].Column;
    if (entry < 0 || column < 0) return;
    if (m_mode == FinaleKo) {
        if (!m_pendingLane[t]) return;
        m_pendingLane[t]->Reaction = reaction;
        Emit(BracketChanged);
        return;
    }
    if (column < Col::Turm1 || column > Col::Turm6) return;
    m_entries[entry].reaction[size_t(column - Col::Turm1)] = reaction;
    Emit(CellChanged, entry, column);
}

bool TCompetition::RecordFalseStart(int track, std::int32_t reaction) {
    const int t = track == 1 ? 1 : 0;
    if (!RecordTime(t, QStringLiteral("FS."))) return false;
    if (m_mode == FinaleKo && m_pendingLane[t]) m_pendingLane[t]->FalseStart = true;
    SetLastReaction(t, reaction);
    return true;
}

bool TCompetition::ClearFalseStart(int track, const QString& text,
                                   std::optional<std::int32_t> exactMs) {
    const int t = track == 1 ? 1 : 0;
    const int entry = m_track[t], column = m_lastCell[t].Column;
    if (entry < 0 || column < 0) return false;
    if (m_mode == FinaleKo) {
        if (!m_pendingLane[t] || !m_pendingLane[t]->FalseStart) return false;
        const std::optional<std::int32_t> reaction = m_pendingLane[t]->Reaction;
        RecordTime(t, text, exactMs);
        SetLastReaction(t, reaction);
        return true;
    }
    if (column < Col::Turm1 || column > Col::Turm6 ||
        !IsFalseStartCell(m_entries[entry].cells[column]))
        return false;
    const auto run = size_t(column - Col::Turm1);
    const std::optional<std::int32_t> reaction = m_entries[entry].reaction[run];
    Remember(tr("Fehlstart aufgehoben von %1").arg(Who(entry)));
    Write(entry, column, text);
    if (exactMs) SetExactMs(entry, int(run), exactMs);
    m_entries[entry].reaction[run] = reaction;
    m_modified = true;
    Emit(CellChanged, entry, column);
    Recompute();
    return true;
}

std::optional<std::int32_t> TCompetition::Reaction(int entry, int run) const {
    if (!IsValidEntry(entry) || run < 0 || run >= 6) return std::nullopt;
    return m_entries[entry].reaction[size_t(run)];
}

QVector<TExactRun> TCompetition::Reactions() const {
    QVector<TExactRun> runs;
    int k = 0;
    for (const TEntry& e : m_entries) {
        if (e.dummy) continue;
        for (int r = 0; r < 6; ++r)
            if (e.reaction[size_t(r)]) runs.push_back({k, r, *e.reaction[size_t(r)]});
        ++k;
    }
    return runs;
}

int TCompetition::RestoreReactions(const QVector<TExactRun>& runs) {
    QVector<int> entryOf;
    for (int e = 0; e < EntryCount(); ++e)
        if (!m_entries[e].dummy) entryOf.push_back(e);
    int taken = 0;
    for (const TExactRun& x : runs) {
        // Only a recorded run has a reaction; an empty cell has none to keep.
        if (x.Entry < 0 || x.Entry >= entryOf.size() || x.Run < 0 || x.Run >= 6) continue;
        TEntry& e = m_entries[entryOf[x.Entry]];
        if (IsBlankCell(e.cells[Col::Turm1 + x.Run])) continue;
        e.reaction[size_t(x.Run)] = x.Ms;
        ++taken;
    }
    return taken;
}
