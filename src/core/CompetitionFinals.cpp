// The competition's finals: the bracket built from the qualification's ranking, its heats
// placed on the tracks, and what the journal keeps of it (the bracket, the heat, the
// thousandths of recorded runs).
#include "core/Competition.h"

#include "core/TimeFormat.h"

#include <algorithm>
#include <QHash>
#include <QSet>

namespace {
const TBracket kNoBracket;
} // namespace

const TBracket& TCompetition::Bracket() const {
    return m_brackets.Brackets.isEmpty() ? kNoBracket
                                         : m_brackets.Brackets[m_brackets.Current].Bracket;
}

QString TCompetition::CategoryLabel(const QString& category) {
    return category.trimmed().isEmpty() ? tr("ohne Angabe") : category;
}

QString TCompetition::CategoryKey(int entry, int klassCol) const {
    if (klassCol <= 0) return QString();
    // The last recompute read the class already: its spelling is kept, shared.
    const TEntry& e = m_entries[entry];
    if (klassCol == m_klassCol && e.classRead && e.classId < m_classes.texts.size())
        return m_classes.texts[e.classId];
    return ClassText(e.cells[klassCol - 1]);
}

QStringList TCompetition::Categories() const {
    QStringList names;
    if (m_klassCol <= 0) return names;
    // The spelling met first in load order names the category.
    QHash<QString, QString> spelling;
    for (int e = 0; e < EntryCount(); ++e) {
        if (m_entries[e].dummy) continue;
        const QString key = CategoryKey(e, m_klassCol);
        if (!spelling.contains(key))
            spelling.insert(key, m_entries[e].cells[m_klassCol - 1].trimmed());
    }
    // The ranking keeps each category together, in the order the class column sorts.
    QSet<QString> seen;
    for (int e : m_rank) {
        if (!IsValidEntry(e) || m_entries[e].dummy) continue;
        const QString key = CategoryKey(e, m_klassCol);
        if (seen.contains(key)) continue;
        seen.insert(key);
        names << spelling.value(key);
    }
    return names;
}

QString TCompetition::CategoryOf(int entry) const {
    if (!IsValidEntry(entry) || m_klassCol <= 0 || m_entries[entry].dummy) return QString();
    const QString key = CategoryKey(entry, m_klassCol);
    for (const QString& name : Categories())
        if (ClassText(name) == key) return name;
    return QString();
}

bool TCompetition::InCategory(int entry, const QString& category) const {
    return IsValidEntry(entry) && m_klassCol > 0 && !m_entries[entry].dummy &&
           CategoryKey(entry, m_klassCol) == ClassText(category);
}

bool TCompetition::SetCurrentBracket(int index) {
    if (m_heatRunning || index < 0 || index >= m_brackets.Brackets.size()) return false;
    if (index == m_brackets.Current) return true;
    m_brackets.Current = index;
    if (m_mode == FinaleKo) PlaceBracketHeat();
    Emit(BracketChanged);
    Emit(HeatChanged);
    return true;
}

void TCompetition::DropBracket() {
    m_brackets = TBracketSet();
    m_bracketNote.clear();
    m_pendingLane = {};
}

void TCompetition::PlaceBracketHeat() {
    m_pendingLane = {};
    const TBracket& b = Bracket();
    const int heat = b.CurrentHeat();
    for (int t = 0; t < 2; ++t)
        SetTrack(t, heat < 0 ? -1 : b.Heats()[heat].Entry[t]);
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

std::optional<TBracket> TCompetition::BuildCategoryBracket(const QVector<int>& order,
                                                           const QString& name,
                                                           QStringList& notes) const {
    const QString prefix =
        m_klassCol > 0 ? QStringLiteral("„%1“: ").arg(CategoryLabel(name)) : QString();
    QVector<TBracket::TSeed> ranked;
    ranked.reserve(order.size());
    for (int e : order)
        ranked.push_back({e, m_entries[e].result});
    QString error;
    std::optional<TBracket> built = TBracket::Build(ranked, m_bracketSize, &error);
    if (!built) {
        notes << prefix + error;
        return built;
    }
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
            notes << prefix +
                         tr("Gleichstand auf Platz %1 an der Grenze des Finales. "
                            "Nach der Reihenfolge der Rangliste im Finale: %2; "
                            "nicht im Finale: %3.")
                             .arg(m_entries[last].place)
                             .arg(in.join(QStringLiteral(", ")), out.join(QStringLiteral(", ")));
        }
    }
    return built;
}

QVector<int> TCompetition::CategoryOrder(const QString& key, int klassCol) const {
    QVector<int> part;
    for (int e : SeedingOrder())
        if (klassCol <= 0 || CategoryKey(e, klassCol) == key) part << e;
    return part;
}

bool TCompetition::BuildBracket() {
    const QVector<int> order = SeedingOrder();
    TBracketSet set;
    set.KlassCol = m_klassCol;
    QStringList notes;
    if (m_klassCol <= 0) {
        if (auto b = BuildCategoryBracket(order, QString(), notes))
            set.Brackets.push_back({QString(), std::move(*b)});
    } else {
        // One pass over the ranking splits it: each category's part keeps its order.
        QHash<QString, QVector<int>> parts;
        for (int e : order)
            parts[CategoryKey(e, m_klassCol)].push_back(e);
        for (const QString& name : Categories())
            if (auto b = BuildCategoryBracket(parts.value(ClassText(name)), name, notes))
                set.Brackets.push_back({name, std::move(*b)});
    }
    m_bracketNote = notes.join(QLatin1Char('\n'));
    if (set.Brackets.isEmpty()) return false;
    m_brackets = std::move(set);
    m_pendingLane = {};
    return true;
}

bool TCompetition::RebuildBracket(int index) {
    if (m_heatRunning) return false;
    Recompute();
    // The dummy still stands in the protocol outside the finals; it is never seeded.
    const TBracketSet old = m_brackets;
    const QString oldCurrent =
        old.Brackets.isEmpty() ? QString() : ClassText(old.Brackets[old.Current].Category);
    bool built = false;
    if (index < 0 || index >= old.Brackets.size() || old.KlassCol != m_klassCol ||
        m_klassCol <= 0) {
        built = BuildBracket();
        if (built)
            for (int i = 0; i < m_brackets.Brackets.size(); ++i)
                if (ClassText(m_brackets.Brackets[i].Category) == oldCurrent)
                    m_brackets.Current = i;
    } else {
        // The chosen category anew; the others keep their heats; categories without a
        // bracket get one when they can.
        const QString chosen = ClassText(old.Brackets[index].Category);
        TBracketSet set;
        set.KlassCol = m_klassCol;
        QStringList notes;
        QVector<bool> used(old.Brackets.size(), false);
        for (const QString& name : Categories()) {
            const QString key = ClassText(name);
            int kept = -1;
            for (int i = 0; i < old.Brackets.size(); ++i)
                if (ClassText(old.Brackets[i].Category) == key) kept = i;
            if (kept >= 0) used[kept] = true;
            if (kept >= 0 && key != chosen) {
                set.Brackets.push_back(old.Brackets[kept]);
            } else if (auto b = BuildCategoryBracket(CategoryOrder(key, m_klassCol), name, notes)) {
                set.Brackets.push_back({name, std::move(*b)});
                built = built || key == chosen;
            }
            if (key == chosen) set.Current = int(set.Brackets.size()) - 1;
        }
        for (int i = 0; i < old.Brackets.size(); ++i)
            if (!used[i]) set.Brackets.push_back(old.Brackets[i]); // its people left the ranking
        if (built) {
            m_brackets = std::move(set);
            m_pendingLane = {};
        }
        m_bracketNote = notes.join(QLatin1Char('\n'));
    }
    if (!built) {
        m_brackets = old;
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
    TBracket b = Bracket();
    const int heat = b.CurrentHeat();
    const auto stopped = [](const std::optional<TBracket::TLane>& lane) {
        return lane && lane->Kind != TBracket::LaneNone;
    };
    if (m_mode == FinaleKo && heat >= 0 && stopped(m_pendingLane[0]) && stopped(m_pendingLane[1]) &&
        !PendingHeatVoid())
        b.SetResult(heat, *m_pendingLane[0], *m_pendingLane[1]);
    return b;
}

TBracketSet TCompetition::RecordedBrackets() const {
    TBracketSet set = m_brackets;
    if (!set.Brackets.isEmpty()) set.Brackets[set.Current].Bracket = RecordedBracket();
    return set;
}

QStringList TCompetition::BracketLines() const {
    TBracketSet set = RecordedBrackets();
    const int dummy = DummyEntry();
    if (dummy >= 0) // never seeded: only the numbers behind it move
        for (TCategoryBracket& b : set.Brackets)
            b.Bracket.EntryRemoved(dummy);
    return BracketSetLines(set);
}

bool TCompetition::RestoreBracket(const QStringList& lines) {
    if (m_heatRunning) return false;
    std::optional<TBracketSet> set = BracketSetFromLines(lines);
    if (!set || set->Brackets.isEmpty()) return false;
    const int dummy = DummyEntry();
    for (TCategoryBracket& b : set->Brackets) {
        if (dummy >= 0) b.Bracket.EntryInserted(dummy);
        for (const TBracket::TSeed& seed : b.Bracket.Seeds())
            if (seed.Entry >= EntryCount() || (seed.Entry >= 0 && m_entries[seed.Entry].dummy))
                return false; // seeded from another protocol
    }
    // The categories are those of the column the brackets were built by.
    if (set->KlassCol > 0 && set->KlassCol != m_klassCol) {
        SetKlassCol(set->KlassCol);
        Recompute();
    }
    m_brackets = std::move(*set);
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
    if (m_heatRunning || m_brackets.Brackets.isEmpty() || !CurrentBracketRef().Rerun(heat))
        return false;
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
    if (m_brackets.Brackets.isEmpty()) return PlacesIn(QString(), 0); // the whole field
    return PlacesIn(m_brackets.Brackets[m_brackets.Current].Category, m_brackets.KlassCol);
}

QVector<std::pair<int, int>> TCompetition::FinalPlacesOf(const QString& category) const {
    // Categories are those the brackets were built by; before there is one, the setting's.
    return PlacesIn(category, m_brackets.Brackets.isEmpty() ? m_klassCol : m_brackets.KlassCol);
}

QVector<std::pair<int, int>> TCompetition::PlacesIn(const QString& category, int col) const {
    const QString key = ClassText(category);
    const TBracket* bracket = nullptr;
    for (const TCategoryBracket& b : m_brackets.Brackets)
        if (col <= 0 || ClassText(b.Category) == key) bracket = &b.Bracket;
    QVector<std::pair<int, int>> places;
    if (bracket) places = bracket->Places();
    // Seeded in this bracket, or in none and of this category: a climber whose class was
    // edited after the seeding stays where he raced.
    QVector<char> seeded(EntryCount(), 0), listed(EntryCount(), 0);
    for (const TCategoryBracket& b : m_brackets.Brackets)
        for (const TBracket::TSeed& s : b.Bracket.Seeds())
            if (s.Entry >= 0 && s.Entry < EntryCount())
                seeded[s.Entry] = &b.Bracket == bracket ? 1 : 2;
    int starters = 0;
    for (char s : seeded)
        starters += s == 1;
    for (const auto& [entry, place] : places)
        if (entry >= 0 && entry < EntryCount()) listed[entry] = 1;
    const auto member = [&](int e) {
        return seeded[e] == 1 || (seeded[e] == 0 && (col <= 0 || CategoryKey(e, col) == key));
    };
    int next = starters + 1;
    for (int e : SeedingOrder()) {
        if (seeded[e] || !member(e)) continue;
        places.push_back({e, next++});
        listed[e] = 1;
    }
    for (int e : m_rank)
        if (IsValidEntry(e) && !listed[e] && !m_entries[e].dummy && member(e))
            places.push_back({e, 0});
    return places;
}
