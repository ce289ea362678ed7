// The competition's finals: the bracket built from the qualification's ranking, its heats
// placed on the tracks, and what the journal keeps of it (the bracket, the heat, the
// thousandths of recorded runs).
#include "core/Competition.h"

#include "core/TimeFormat.h"

#include <algorithm>

void TCompetition::DropBracket() {
    m_bracket = TBracket();
    m_bracketNote.clear();
    m_pendingLane = {};
}

void TCompetition::PlaceBracketHeat() {
    m_pendingLane = {};
    const int heat = m_bracket.CurrentHeat();
    for (int t = 0; t < 2; ++t)
        SetTrack(t, heat < 0 ? -1 : m_bracket.Heats()[heat].Entry[t]);
}

QVector<int> TCompetition::SeedingOrder() const {
    QVector<int> order;
    const int klassCol = m_klassCol > 0 ? m_klassCol - 1 : -1;
    auto classOf = [&](int e) {
        return klassCol < 0 ? QString() : ClassText(m_entries[e].cells[klassCol]);
    };
    for (int e : m_rank)
        if (IsValidEntry(e) && !m_entries[e].dummy && m_entries[e].result >= 0) order.push_back(e);
    // Climbers sharing a place keep the order they were loaded in: the seeding must not
    // depend on how the protocol happened to be sorted before.
    for (int j = 0; j < order.size();) {
        int k = j + 1;
        while (k < order.size() && m_entries[order[k]].place == m_entries[order[j]].place &&
               classOf(order[k]) == classOf(order[j]))
            ++k;
        std::sort(order.begin() + j, order.begin() + k);
        j = k;
    }
    return order;
}

bool TCompetition::BuildBracket() {
    const QVector<int> order = SeedingOrder();
    QVector<TBracket::TSeed> ranked;
    ranked.reserve(order.size());
    for (int e : order)
        ranked.push_back({e, m_entries[e].result});
    QString error;
    std::optional<TBracket> built = TBracket::Build(ranked, m_bracketSize, &error);
    if (!built) {
        m_bracketNote = error;
        return false;
    }
    m_bracket = std::move(*built);
    m_pendingLane = {};
    m_bracketNote.clear();
    // A tie across the cut: the ranking's order decided who is in; the operator should know.
    const int limit = TBracket::NormalizedSize(m_bracketSize);
    if (order.size() > limit) {
        const int last = order[limit - 1];
        const int klassCol = m_klassCol > 0 ? m_klassCol - 1 : -1;
        auto tied = [&](int e) {
            return m_entries[e].place == m_entries[last].place &&
                   (klassCol < 0 || ClassText(m_entries[e].cells[klassCol]) ==
                                        ClassText(m_entries[last].cells[klassCol]));
        };
        if (tied(order[limit])) {
            QStringList in, out;
            for (int j = 0; j < order.size(); ++j) {
                if (!tied(order[j])) continue;
                const QString who =
                    QStringLiteral("%1 %2").arg(m_entries[order[j]].cells[Col::StNr].trimmed(),
                                                m_entries[order[j]].cells[Col::Name].trimmed());
                (j < limit ? in : out) << who.trimmed();
            }
            m_bracketNote = tr("Gleichstand auf Platz %1 an der Grenze des Finales. "
                               "Nach der Reihenfolge der Rangliste im Finale: %2; "
                               "nicht im Finale: %3.")
                                .arg(m_entries[last].place)
                                .arg(in.join(QStringLiteral(", ")), out.join(QStringLiteral(", ")));
        }
    }
    return true;
}

bool TCompetition::RebuildBracket() {
    if (m_heatRunning) return false;
    Recompute();
    // The dummy still stands in the protocol outside the finals; it is never seeded.
    const TBracket old = m_bracket;
    if (!BuildBracket()) {
        m_bracket = old;
        Emit(BracketChanged);
        return false;
    }
    m_modified = true;
    ClearHistory(); // the steps hold the old bracket
    if (m_mode == FinaleKo) PlaceBracketHeat();
    Emit(BracketChanged);
    Emit(HeatChanged);
    return true;
}

TBracket TCompetition::RecordedBracket() const {
    TBracket b = m_bracket;
    const int heat = b.CurrentHeat();
    const auto stopped = [](const std::optional<TBracket::TLane>& lane) {
        return lane && lane->Kind != TBracket::LaneNone;
    };
    if (m_mode == FinaleKo && heat >= 0 && stopped(m_pendingLane[0]) && stopped(m_pendingLane[1]) &&
        !PendingHeatVoid())
        b.SetResult(heat, *m_pendingLane[0], *m_pendingLane[1]);
    return b;
}

QStringList TCompetition::BracketLines() const {
    TBracket b = RecordedBracket();
    const int dummy = DummyEntry();
    if (dummy >= 0) b.EntryRemoved(dummy); // never seeded: only the numbers behind it move
    return b.ToLines();
}

bool TCompetition::RestoreBracket(const QStringList& lines) {
    if (m_heatRunning) return false;
    std::optional<TBracket> b = TBracket::FromLines(lines);
    if (!b) return false;
    const int dummy = DummyEntry();
    if (dummy >= 0) b->EntryInserted(dummy);
    for (const TBracket::TSeed& seed : b->Seeds())
        if (seed.Entry >= EntryCount() || (seed.Entry >= 0 && m_entries[seed.Entry].dummy))
            return false; // seeded from another protocol
    m_bracket = std::move(*b);
    m_bracketNote.clear();
    ClearHistory();
    if (m_mode == FinaleKo) PlaceBracketHeat();
    Emit(BracketChanged);
    Emit(HeatChanged);
    return true;
}

std::array<int, 3> TCompetition::HeatPosition() const {
    const int dummy = DummyEntry();
    std::array<int, 3> heat{-1, -1, m_runCounter};
    for (int t = 0; t < 2; ++t) {
        const int e = m_track[t];
        heat[t] = e < 0 ? -1 : e == dummy ? -2 : dummy >= 0 && e > dummy ? e - 1 : e;
    }
    return heat;
}

bool TCompetition::RestoreHeatPosition(const std::array<int, 3>& heat) {
    if (m_heatRunning || m_mode == FinaleKo) return false;
    const int dummy = DummyEntry();
    std::array<int, 2> entries{};
    for (int t = 0; t < 2; ++t) {
        int e = heat[t];
        if (e == -2) {
            if (dummy < 0) return false;
            e = dummy;
        } else if (e >= 0 && dummy >= 0 && e >= dummy) {
            ++e;
        }
        if (e < -1 || e >= EntryCount()) return false;
        entries[t] = e;
    }
    m_track = entries;
    m_runCounter = std::max(0, heat[2]);
    Emit(HeatChanged);
    return true;
}

bool TCompetition::RerunHeat(int heat) {
    if (m_heatRunning || !m_bracket.Rerun(heat)) return false;
    m_modified = true;
    ClearHistory(); // a step would bring the decided heat back without its voided run
    if (m_mode == FinaleKo) PlaceBracketHeat();
    Emit(BracketChanged);
    Emit(HeatChanged);
    return true;
}

QVector<TExactRun> TCompetition::ExactRuns() const {
    QVector<TExactRun> runs;
    int k = 0;
    for (const TEntry& e : m_entries) {
        if (e.dummy) continue;
        for (int r = 0; r < 6; ++r)
            if (e.runs.exact[r]) runs.push_back({k, r, *e.runs.exact[r]});
        ++k;
    }
    return runs;
}

int TCompetition::RestoreExactRuns(const QVector<TExactRun>& runs) {
    QVector<int> entryOf;
    entryOf.reserve(EntryCount());
    for (int e = 0; e < EntryCount(); ++e)
        if (!m_entries[e].dummy) entryOf.push_back(e);
    int taken = 0;
    for (const TExactRun& x : runs)
        if (x.Entry >= 0 && x.Entry < entryOf.size() && SetExactMs(entryOf[x.Entry], x.Run, x.Ms))
            ++taken;
    return taken;
}

bool TCompetition::PendingHeatVoid() const {
    for (const auto& lane : m_pendingLane)
        if (lane && lane->Kind == TBracket::LaneTime && lane->Ms == 0) return true;
    return false;
}

std::optional<TBracket::TLane> TCompetition::PendingLane(int track) const {
    return track == 0 || track == 1 ? m_pendingLane[track] : std::nullopt;
}

QVector<std::pair<int, int>> TCompetition::FinalPlaces() const {
    QVector<std::pair<int, int>> places = m_bracket.Places();
    QVector<bool> listed(EntryCount(), false), seeded(EntryCount(), false);
    int starters = 0;
    for (const TBracket::TSeed& s : m_bracket.Seeds()) {
        if (s.Entry < 0 || s.Entry >= EntryCount()) continue;
        seeded[s.Entry] = true;
        ++starters;
    }
    for (const auto& [entry, place] : places)
        if (entry >= 0 && entry < EntryCount()) listed[entry] = true;
    int next = starters + 1;
    for (int e : SeedingOrder()) {
        if (seeded[e]) continue;
        places.push_back({e, next++});
        listed[e] = true;
    }
    for (int e : m_rank)
        if (IsValidEntry(e) && !listed[e] && !m_entries[e].dummy) places.push_back({e, 0});
    return places;
}
