#include "live/LiveBoard.h"

#include "core/BracketText.h"
#include "core/Competition.h"
#include "core/Ranking.h"

#include <algorithm>
#include <QCoreApplication>
#include <QHash>

namespace {

// How many heats the log keeps: more than a page shows, as lanes may drop out later.
constexpr int KeptHeats = 4 * LiveLastHeats;

int ClassColumn(const TCompetition& c) {
    return c.KlassCol() > 0 ? c.KlassCol() - 1 : -1;
}

bool ValidTime(const TCompetition::TRun& run) {
    return run.Kind == TCompetition::RunTime && run.Ms > 0;
}

} // namespace

TLivePerson LivePerson(const TCompetition& c, int entry) {
    if (!c.IsValidEntry(entry) || c.IsDummy(entry)) return {};
    const int klass = ClassColumn(c);
    return {c.Cell(entry, Col::StNr).trimmed(), c.Cell(entry, Col::Name).trimmed(),
            c.Cell(entry, Col::Ort).trimmed(),
            klass >= 0 ? c.Cell(entry, klass).trimmed() : QString()};
}

QString LiveRound(const TCompetition& c, const QString& modeName) {
    const TBracket& b = c.Bracket();
    const int heat = c.Mode() == TCompetition::FinaleKo ? b.CurrentHeat() : -1;
    if (heat < 0) return modeName;
    const TBracket::THeat& h = b.Heats().at(heat);
    const int current = c.CurrentBracket();
    const QString category =
        c.BracketKlassCol() > 0 && current >= 0
            ? TCompetition::CategoryLabel(c.Brackets().at(current).Category) + QStringLiteral(" · ")
            : QString();
    return category + QCoreApplication::translate("LiveBoard", "%1, Lauf %2")
                          .arg(BracketRoundName(h.Round, b.Rounds(), h.SmallFinal))
                          .arg(heat + 1);
}

TLiveStandings LiveStandings(const TCompetition& c, const QString& title) {
    TLiveStandings s;
    s.title = title;
    QVector<int> order = c.RankingOrder();
    if (order.size() != c.EntryCount()) { // not recomputed since the rows changed
        order.resize(c.EntryCount());
        for (int e = 0; e < c.EntryCount(); ++e)
            order[e] = e;
    }
    const int klass = ClassColumn(c);
    const int runs = qBound(1, c.CountZabegov(), 6);
    QHash<QString, int> categoryOf; // a class's spelling folded, as the places count it
    for (int e : order) {
        if (!c.IsValidEntry(e) || c.IsDummy(e)) continue;
        const QString key = klass >= 0 ? ClassText(c.Cell(e, klass)) : QString();
        auto it = categoryOf.constFind(key);
        if (it == categoryOf.cend()) {
            it = categoryOf.insert(key, int(s.categories.size()));
            s.categories.append(
                {klass >= 0 ? c.Cell(e, klass).trimmed() : QStringLiteral("gesamt"), {}});
        }
        TLiveStanding row{c.Place(e), LivePerson(c, e), c.Cell(e, Col::Zeit).trimmed(), {}};
        for (int r = 0; r < runs; ++r)
            row.runs << c.Cell(e, Col::Turm1 + r).trimmed();
        s.categories[*it].rows.append(row);
    }
    return s;
}

TLiveBrackets LiveBrackets(const TCompetition& c, const QString& title, int timeFormat) {
    TLiveBrackets b;
    b.title = title;
    b.timeFormat = timeFormat;
    QVector<TLivePerson> people;
    people.reserve(c.EntryCount());
    for (int e = 0; e < c.EntryCount(); ++e)
        people.append(LivePerson(c, e));
    // One bracket per category once the finals are per category; the phone shows every one.
    const bool perCategory = c.BracketKlassCol() > 0;
    for (qsizetype i = 0; i < c.Brackets().size(); ++i) {
        const TCategoryBracket& one = c.Brackets().at(i);
        if (one.Bracket.IsEmpty()) continue;
        b.brackets.append(
            {perCategory ? TCompetition::CategoryLabel(one.Category) : QStringLiteral("gesamt"),
             one.Bracket, people, perCategory ? c.FinalPlacesOf(one.Category) : c.FinalPlaces(),
             i == c.CurrentBracket()});
    }
    return b;
}

QVector<TLiveHeat> LiveFinalsHeats(const TCompetition& c, int timeFormat, int max) {
    QVector<TLiveHeat> heats;
    const TBracket& b = c.Bracket();
    for (qsizetype i = b.Heats().size() - 1; i >= 0 && heats.size() < max; --i) {
        const TBracket::THeat& h = b.Heats().at(i);
        if (h.Bye || h.Winner < 0) continue;
        TLiveHeat heat{BracketRoundName(h.Round, b.Rounds(), h.SmallFinal), {}};
        for (int side = 0; side < 2; ++side)
            heat.lanes.append({side + 1, LivePerson(c, h.Entry[size_t(side)]),
                               BracketLaneText(h.Lane[size_t(side)], timeFormat),
                               h.Winner == side});
        heats.append(heat);
    }
    return heats;
}

void TLiveHeatLog::Started(const TCompetition& c, const QString& round) {
    TLogHeat heat{round, {}};
    for (int t = 0; t < c.CountBahn(); ++t) {
        const int e = c.TrackEntry(t);
        if (c.IsValidEntry(e) && !c.IsDummy(e))
            heat.lanes.append({t, e, -1, c.Cell(e, Col::StNr), c.Cell(e, Col::Name)});
    }
    m_running = heat;
}

void TLiveHeatLog::Stopped(const TCompetition& c, int track) {
    if (!m_running) return;
    const TLastCell cell = c.LastCell(track);
    for (TLogLane& lane : m_running->lanes)
        if (lane.track == track && cell.Track == track + 1 && cell.Column >= Col::Turm1 &&
            cell.Column <= Col::Turm6 && c.TrackEntry(track) == lane.entry)
            lane.column = cell.Column;
}

void TLiveHeatLog::Ended() {
    if (!m_running) return;
    if (std::any_of(m_running->lanes.cbegin(), m_running->lanes.cend(),
                    [](const TLogLane& l) { return l.column >= 0; })) {
        m_done.append(*m_running);
        if (m_done.size() > KeptHeats) m_done.removeFirst();
    }
    m_running.reset();
}

void TLiveHeatLog::Clear() {
    m_running.reset();
    m_done.clear();
}

QVector<TLiveHeat> TLiveHeatLog::Heats(const TCompetition& c, int max) const {
    QVector<TLiveHeat> heats;
    for (qsizetype i = m_done.size() - 1; i >= 0 && heats.size() < max; --i) {
        TLiveHeat heat{m_done[i].round, {}};
        QVector<TCompetition::TRun> runs;
        for (const TLogLane& lane : m_done[i].lanes) {
            if (lane.column < 0) continue;
            const auto same = [&](int e) {
                return c.IsValidEntry(e) && !c.IsDummy(e) && c.Cell(e, Col::StNr) == lane.number &&
                       c.Cell(e, Col::Name) == lane.name;
            };
            int e = lane.entry;
            if (!same(e)) { // rows were deleted or loaded since
                e = -1;
                for (int k = 0; k < c.EntryCount() && e < 0; ++k)
                    if (same(k)) e = k;
            }
            const QString result = e >= 0 ? c.Cell(e, lane.column).trimmed() : QString();
            if (result.isEmpty()) continue;
            heat.lanes.append({lane.track + 1, LivePerson(c, e), result, false});
            runs.append(c.Run(e, lane.column - Col::Turm1));
        }
        if (heat.lanes.isEmpty()) continue;
        // The faster valid time wins the heat; a tie or no valid time marks nobody.
        if (runs.size() == 2 && (ValidTime(runs[0]) || ValidTime(runs[1]))) {
            const bool a = ValidTime(runs[0]), b = ValidTime(runs[1]);
            if (a != b)
                heat.lanes[a ? 0 : 1].winner = true;
            else if (runs[0].Ms != runs[1].Ms)
                heat.lanes[runs[0].Ms < runs[1].Ms ? 0 : 1].winner = true;
        }
        heats.append(heat);
    }
    return heats;
}
