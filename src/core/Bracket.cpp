#include "core/Bracket.h"

#include <algorithm>
#include <climits>
#include <functional>
#include <QCoreApplication>

namespace {
// First-round pairs, top to bottom: neighbouring slots meet in the next round, so seeds 1
// and 2 can only meet in the big final.
const int kPairs16[8][2] = {{1, 16}, {8, 9}, {4, 13}, {5, 12}, {2, 15}, {7, 10}, {3, 14}, {6, 11}};
const int kPairs8[4][2] = {{1, 8}, {4, 5}, {2, 7}, {3, 6}};
const int kPairs4[2][2] = {{1, 4}, {2, 3}};

std::array<int, 2> FirstRoundPair(int size, int slot) {
    const int(*pairs)[2] = size == 16 ? kPairs16 : size == 8 ? kPairs8 : kPairs4;
    return {pairs[slot][0], pairs[slot][1]};
}

bool Valid(const TBracket::TLane& lane) {
    return lane.Kind == TBracket::LaneTime && lane.Ms >= 0;
}

// Lane texts in the journal: "-" nothing, "DIS", "<ms>" or "<ms>/<exact ms>".
// "-", "DIS", "FS" or ms[/exact], with "@reaction" where the pads gave one.
QString LaneText(const TBracket::TLane& lane) {
    QString t;
    if (lane.Kind == TBracket::LaneNone) {
        t = QStringLiteral("-");
    } else if (lane.Kind == TBracket::LaneDis) {
        t = lane.FalseStart ? QStringLiteral("FS") : QStringLiteral("DIS");
    } else {
        t = QString::number(lane.Ms);
        if (lane.Exact) t += '/' + QString::number(*lane.Exact);
    }
    if (lane.Reaction) t += '@' + QString::number(*lane.Reaction);
    return t;
}

std::optional<TBracket::TLane> LaneFromText(const QString& whole) {
    TBracket::TLane lane;
    const QStringList at = whole.split('@');
    if (at.size() > 2) return std::nullopt;
    if (at.size() == 2) {
        bool ok = false;
        lane.Reaction = at[1].toInt(&ok);
        if (!ok) return std::nullopt;
    }
    const QString& text = at[0];
    if (text == QLatin1String("-")) return lane;
    if (text == QLatin1String("DIS") || text == QLatin1String("FS")) {
        lane.Kind = TBracket::LaneDis;
        lane.FalseStart = text == QLatin1String("FS");
        return lane;
    }
    const QStringList parts = text.split('/');
    if (parts.size() > 2) return std::nullopt;
    bool ok = false;
    lane.Kind = TBracket::LaneTime;
    lane.Ms = parts[0].toInt(&ok);
    if (!ok || lane.Ms < 0) return std::nullopt;
    if (parts.size() == 2) {
        const int exact = parts[1].toInt(&ok);
        if (!ok || exact < 0) return std::nullopt;
        lane.Exact = exact;
    }
    return lane;
}

// Lower is better: a valid time by its hundredths, then by the exact milliseconds where both
// lanes have them; no valid time after every time. 0 when these cannot tell.
int CompareLanes(const TBracket::TLane& a, const TBracket::TLane& b) {
    const bool va = Valid(a), vb = Valid(b);
    if (va != vb) return va ? -1 : 1;
    if (!va) return 0;
    if (a.Ms / 10 != b.Ms / 10) return a.Ms / 10 < b.Ms / 10 ? -1 : 1;
    if (a.Exact && b.Exact && *a.Exact != *b.Exact) return *a.Exact < *b.Exact ? -1 : 1;
    return 0;
}
} // namespace

int TBracket::NormalizedSize(int size) {
    return size >= 16 ? 16 : size >= 8 ? 8 : 4;
}

int TBracket::Rounds() const {
    return m_size == 16 ? 4 : m_size == 8 ? 3 : m_size == 4 ? 2 : 0;
}

std::optional<TBracket> TBracket::Build(const QVector<TSeed>& ranked, int maxSize, QString* error) {
    const int limit = NormalizedSize(maxSize);
    QVector<TSeed> starters;
    for (const TSeed& s : ranked) {
        if (starters.size() >= limit) break;
        if (s.Entry >= 0) starters.push_back(s);
    }
    if (starters.size() < 2) {
        if (error)
            *error = QCoreApplication::translate("TBracket", "Kein Finale: es braucht mindestens 2 "
                                                             "Teilnehmer mit Ergebnis, es gibt %1.")
                         .arg(starters.size());
        return std::nullopt;
    }
    TBracket b;
    b.m_size = 4;
    while (b.m_size < starters.size())
        b.m_size *= 2;
    b.m_seeds = starters;
    b.m_seeds.resize(b.m_size); // the seeds without a starter are byes

    b.m_heats = Shape(b.m_size);
    b.m_raced = QVector<bool>(b.m_heats.size(), false);
    b.Settle();
    if (error) error->clear();
    return b;
}

QVector<TBracket::THeat> TBracket::Shape(int size) {
    QVector<THeat> heats;
    const int rounds = (size == 16 ? 4 : size == 8 ? 3 : 2);
    for (int r = 0; r < rounds - 1; ++r) {
        const int count = size >> (r + 1);
        for (int slot = 0; slot < count; ++slot) {
            THeat h;
            h.Round = r;
            h.Slot = slot;
            heats.push_back(h);
        }
    }
    // The small final is raced before the big final.
    THeat small;
    small.Round = rounds - 1;
    small.Slot = 1;
    small.SmallFinal = true;
    heats.push_back(small);
    THeat big;
    big.Round = rounds - 1;
    heats.push_back(big);
    return heats;
}

int TBracket::Feeder(int heat, int side) const {
    if (heat < 0 || heat >= m_heats.size() || (side != 0 && side != 1)) return -1;
    const THeat& h = m_heats[heat];
    if (h.Round == 0) return -1;
    // Rounds stand one after the other; the last round holds the small and the big final.
    int start = 0;
    for (int r = 0; r < h.Round - 1; ++r)
        start += m_size >> (r + 1);
    if (h.Round == Rounds() - 1) return start + side; // both finals: the two semi-finals
    return start + 2 * h.Slot + side;
}

std::int32_t TBracket::BestHundredths(int seed, int upToHeat) const {
    std::int32_t best = INT32_MAX;
    for (int k = 0; k <= upToHeat && k < m_heats.size(); ++k) {
        if (!m_raced[k]) continue;
        const THeat& h = m_heats[k];
        for (int side = 0; side < 2; ++side)
            if (h.Seed[side] == seed && Valid(h.Lane[side]))
                best = std::min(best, h.Lane[side].Ms / 10);
    }
    return best;
}

int TBracket::DecideRace(const THeat& h) const {
    const int byLanes = CompareLanes(h.Lane[0], h.Lane[1]);
    if (byLanes != 0) return byLanes < 0 ? 0 : 1;
    const bool betterSeedA = h.Seed[0] < h.Seed[1];
    if (!Valid(h.Lane[0])) { // both without a valid time
        const TLane &a = h.Lane[0], &b = h.Lane[1];
        if (a.FalseStart != b.FalseStart) return a.FalseStart ? 1 : 0;
        if (a.FalseStart && a.Reaction && b.Reaction && *a.Reaction != *b.Reaction)
            return *a.Reaction < *b.Reaction ? 1 : 0; // the earlier release loses
        return betterSeedA ? 0 : 1;
    }
    const int heat = int(&h - m_heats.constData());
    const std::int32_t a = BestHundredths(h.Seed[0], heat), b = BestHundredths(h.Seed[1], heat);
    if (a != b) return a < b ? 0 : 1;
    return betterSeedA ? 0 : 1;
}

bool TBracket::Settle() {
    bool consistent = true;
    for (int i = 0; i < m_heats.size(); ++i) {
        THeat& h = m_heats[i];
        h.Winner = -1;
        h.Bye = false;
        std::array<int, 2> seed{0, 0};
        std::array<bool, 2> known{true, true};
        if (h.Round == 0) {
            seed = FirstRoundPair(m_size, h.Slot);
        } else {
            for (int side = 0; side < 2; ++side) {
                const THeat& f = m_heats[Feeder(i, side)];
                if (f.Winner < 0) {
                    known[side] = false;
                    continue;
                }
                seed[side] = f.Seed[h.SmallFinal ? 1 - f.Winner : f.Winner];
            }
        }
        // The better seed climbs on lane A; 0 (nobody) counts as the worst.
        auto rank = [](int s) { return s > 0 ? s : INT_MAX; };
        if (known[0] && known[1] && rank(seed[1]) < rank(seed[0])) std::swap(seed[0], seed[1]);
        h.Seed = seed;
        for (int side = 0; side < 2; ++side)
            h.Entry[side] = seed[side] > 0 ? m_seeds[seed[side] - 1].Entry : -1;
        if (!known[0] || !known[1]) {
            if (m_raced[i]) consistent = false;
            continue;
        }
        if (m_raced[i] && seed[0] > 0 && seed[1] > 0) {
            // A raced heat keeps its winner even if he has been deleted since.
            h.Winner = DecideRace(h);
            continue;
        }
        if (m_raced[i]) consistent = false;
        const bool realA = h.Entry[0] >= 0, realB = h.Entry[1] >= 0;
        if (!realA || !realB) {
            h.Bye = true;
            h.Winner = realA || !realB ? 0 : 1;
        }
    }
    return consistent;
}

int TBracket::CurrentHeat() const {
    for (int i = 0; i < m_heats.size(); ++i) {
        const THeat& h = m_heats[i];
        if (h.Winner < 0 && h.Entry[0] >= 0 && h.Entry[1] >= 0) return i;
    }
    return -1;
}

bool TBracket::SetResult(int heat, const TLane& laneA, const TLane& laneB) {
    if (heat < 0 || heat != CurrentHeat()) return false;
    m_heats[heat].Lane = {laneA, laneB};
    m_raced[heat] = true;
    Settle();
    return true;
}

bool TBracket::Rerun(int heat) {
    if (heat < 0 || heat >= m_heats.size() || !m_raced[heat]) return false;
    // Whoever this heat sent on must not have raced since (a bye passed on does not count:
    // it is worked out again).
    std::function<bool(int)> racedSince = [&](int from) {
        for (int d = from + 1; d < m_heats.size(); ++d) {
            if (Feeder(d, 0) != from && Feeder(d, 1) != from) continue;
            if (m_raced[d] || (m_heats[d].Bye && racedSince(d))) return true;
        }
        return false;
    };
    if (racedSince(heat)) return false;
    THeat& h = m_heats[heat];
    h.Voided.push_back(h.Lane);
    h.Lane = {};
    m_raced[heat] = false;
    Settle();
    return true;
}

void TBracket::EntryRemoved(int entry) {
    if (entry < 0) return;
    for (TSeed& s : m_seeds) {
        if (s.Entry == entry)
            s.Entry = -1;
        else if (s.Entry > entry)
            --s.Entry;
    }
    Settle();
}

void TBracket::EntryInserted(int entry) {
    if (entry < 0) return;
    for (TSeed& s : m_seeds)
        if (s.Entry >= entry) ++s.Entry;
    Settle();
}

QVector<std::pair<int, int>> TBracket::Places() const {
    QVector<std::pair<int, int>> places;
    if (m_heats.isEmpty()) return places;
    const int rounds = Rounds();
    auto entryOf = [&](int seed) { return seed > 0 ? m_seeds[seed - 1].Entry : -1; };
    auto place = [&](int base, const QVector<int>& seeds) {
        for (int s : seeds)
            if (entryOf(s) >= 0) places.push_back({entryOf(s), base++});
    };
    // The finals: winner before loser.
    const THeat& big = m_heats.last();
    const THeat& small = m_heats[m_heats.size() - 2];
    int finalists = 0;
    for (int side = 0; side < 2; ++side)
        finalists += big.Entry[side] >= 0;
    if (big.Winner >= 0) place(1, {big.Seed[big.Winner], big.Seed[1 - big.Winner]});
    if (small.Winner >= 0)
        place(1 + finalists, {small.Seed[small.Winner], small.Seed[1 - small.Winner]});
    // Earlier rounds: the losers of one round share a stage, ordered by the time of the heat
    // they lost, known once the whole round is decided.
    int start = 0;
    for (int r = 0; r < rounds - 2; ++r) {
        const int count = m_size >> (r + 1);
        struct TLoser {
            int Seed;
            TLane Lane;
        };
        QVector<TLoser> losers;
        int ahead = 0;
        bool decided = true;
        for (int i = start; i < start + count; ++i) {
            const THeat& h = m_heats[i];
            if (h.Winner < 0) {
                decided = false;
                break;
            }
            ahead += h.Entry[h.Winner] >= 0;
            losers.push_back({h.Seed[1 - h.Winner], h.Lane[1 - h.Winner]});
        }
        start += count;
        if (!decided) continue;
        std::stable_sort(losers.begin(), losers.end(), [](const TLoser& a, const TLoser& b) {
            const int c = CompareLanes(a.Lane, b.Lane);
            if (c != 0) return c < 0;
            return (a.Seed > 0 ? a.Seed : INT_MAX) < (b.Seed > 0 ? b.Seed : INT_MAX);
        });
        QVector<int> seeds;
        for (const TLoser& l : losers)
            seeds << l.Seed;
        place(1 + ahead, seeds);
    }
    std::sort(places.begin(), places.end(),
              [](const auto& a, const auto& b) { return a.second < b.second; });
    return places;
}

QStringList TBracket::ToLines() const {
    QStringList lines;
    if (IsEmpty()) return lines;
    lines << QStringLiteral("Bracket 1 %1").arg(m_size);
    for (int k = 0; k < m_seeds.size(); ++k)
        lines << QStringLiteral("Seed %1 %2 %3")
                     .arg(k + 1)
                     .arg(m_seeds[k].Entry)
                     .arg(m_seeds[k].QualMs);
    for (int i = 0; i < m_heats.size(); ++i) {
        const THeat& h = m_heats[i];
        for (const auto& v : h.Voided)
            lines << QStringLiteral("Void %1 %2 %3").arg(i).arg(LaneText(v[0]), LaneText(v[1]));
        if (m_raced[i])
            lines << QStringLiteral("Heat %1 %2 %3")
                         .arg(i)
                         .arg(LaneText(h.Lane[0]), LaneText(h.Lane[1]));
    }
    return lines;
}

std::optional<TBracket> TBracket::FromLines(const QStringList& lines) {
    if (lines.isEmpty()) return std::nullopt;
    const QStringList head = lines[0].split(' ');
    if (head.size() != 3 || head[0] != QLatin1String("Bracket") || head[1] != QLatin1String("1"))
        return std::nullopt;
    bool ok = false;
    const int size = head[2].toInt(&ok);
    if (!ok || (size != 4 && size != 8 && size != 16)) return std::nullopt;

    TBracket b;
    b.m_size = size;
    b.m_heats = Shape(size);
    b.m_raced = QVector<bool>(b.m_heats.size(), false);
    b.m_seeds = QVector<TSeed>(size);
    QVector<bool> seedSeen(size, false);
    QVector<int> entries;
    for (qsizetype l = 1; l < lines.size(); ++l) {
        const QStringList f = lines[l].split(' ');
        if (f.isEmpty()) return std::nullopt;
        if (f[0] == QLatin1String("Seed") && f.size() == 4) {
            bool ok1 = false, ok2 = false, ok3 = false;
            const int k = f[1].toInt(&ok1), entry = f[2].toInt(&ok2), qual = f[3].toInt(&ok3);
            if (!ok1 || !ok2 || !ok3 || k < 1 || k > size || seedSeen[k - 1] || entry < -1)
                return std::nullopt;
            if (entry >= 0) {
                if (entries.contains(entry)) return std::nullopt;
                entries << entry;
            }
            seedSeen[k - 1] = true;
            b.m_seeds[k - 1] = {entry, qual < 0 ? -1 : qual};
        } else if ((f[0] == QLatin1String("Heat") || f[0] == QLatin1String("Void")) &&
                   f.size() == 4) {
            bool okHeat = false;
            const int i = f[1].toInt(&okHeat);
            const auto a = LaneFromText(f[2]), c = LaneFromText(f[3]);
            if (!okHeat || i < 0 || i >= b.m_heats.size() || !a || !c) return std::nullopt;
            if (f[0] == QLatin1String("Void")) {
                b.m_heats[i].Voided.push_back({*a, *c});
            } else {
                if (b.m_raced[i]) return std::nullopt;
                b.m_heats[i].Lane = {*a, *c};
                b.m_raced[i] = true;
            }
        } else {
            return std::nullopt;
        }
    }
    if (seedSeen.contains(false)) return std::nullopt;
    // A run recorded for a heat whose pair was never complete is no bracket we wrote.
    if (!b.Settle()) return std::nullopt;
    return b;
}

QStringList BracketSetLines(const TBracketSet& set) {
    QStringList lines;
    if (set.Brackets.isEmpty()) return lines;
    if (set.KlassCol == 0 && set.Brackets.size() == 1 && set.Brackets[0].Category.isEmpty())
        return set.Brackets[0].Bracket.ToLines();
    lines << QStringLiteral("Categories %1 %2").arg(set.KlassCol).arg(set.Current);
    for (const TCategoryBracket& b : set.Brackets) {
        lines << QStringLiteral("Category ") +
                     QString::fromLatin1(b.Category.toUtf8().toPercentEncoding());
        lines << b.Bracket.ToLines();
    }
    return lines;
}

std::optional<TBracketSet> BracketSetFromLines(const QStringList& lines) {
    TBracketSet set;
    if (lines.isEmpty()) return set;
    if (!lines[0].startsWith(QLatin1String("Categories "))) {
        std::optional<TBracket> one = TBracket::FromLines(lines);
        if (!one) return std::nullopt;
        set.Brackets.push_back({QString(), std::move(*one)});
        return set;
    }
    const QStringList head = lines[0].split(' ');
    bool okCol = false, okCurrent = false;
    if (head.size() != 3) return std::nullopt;
    set.KlassCol = head[1].toInt(&okCol);
    set.Current = head[2].toInt(&okCurrent);
    if (!okCol || !okCurrent || set.KlassCol < 0 || set.KlassCol > 5) return std::nullopt;
    QVector<int> entries;
    for (qsizetype l = 1; l < lines.size();) {
        if (!lines[l].startsWith(QLatin1String("Category "))) return std::nullopt;
        const QString name =
            QString::fromUtf8(QByteArray::fromPercentEncoding(lines[l].mid(9).toLatin1()));
        qsizetype end = ++l;
        while (end < lines.size() && !lines[end].startsWith(QLatin1String("Category ")))
            ++end;
        std::optional<TBracket> b = TBracket::FromLines(lines.mid(l, end - l));
        if (!b) return std::nullopt;
        // One climber in two categories' brackets is no set we wrote.
        for (const TBracket::TSeed& s : b->Seeds()) {
            if (s.Entry < 0) continue;
            if (entries.contains(s.Entry)) return std::nullopt;
            entries << s.Entry;
        }
        for (const TCategoryBracket& other : set.Brackets)
            if (other.Category == name) return std::nullopt;
        set.Brackets.push_back({name, std::move(*b)});
        l = end;
    }
    if (set.Brackets.isEmpty() || set.Current < 0 || set.Current >= set.Brackets.size())
        return std::nullopt;
    return set;
}
