#include "core/Ranking.h"

#include "core/RunCells.h"
#include "core/SortOrder.h"
#include "core/TimeFormat.h"

#include <algorithm>

namespace {
bool OrdinalLess(const QString& a, const QString& b) {
    return std::lexicographical_compare(a.utf16(), a.utf16() + a.size(), b.utf16(),
                                        b.utf16() + b.size());
}
} // namespace

QString ClassText(const QString& cell) {
    return cell.trimmed().toCaseFolded();
}

TRunResult RunResult(const TRunsRead& runs, int runCount, bool byBest, int timeFormat) {
    TRunResult out;
    if (byBest) {
        // The two best valid runs; a DIS, a blank or an unreadable run just does not count.
        int best = -1, second = -1;
        auto better = [&](int a, int b) {
            if (runs.ms[a] / 10 != runs.ms[b] / 10) return runs.ms[a] / 10 < runs.ms[b] / 10;
            return runs.exact[a] && runs.exact[b] && *runs.exact[a] < *runs.exact[b];
        };
        for (int r = 0; r < runCount; ++r) {
            if (runs.kind[r] != TRunsRead::Time || runs.ms[r] < 0 ||
                !ResultFromSum(runs.ms[r], timeFormat) || runs.ms[r] >= RunCell::DisRun)
                continue;
            if (best < 0 || better(r, best)) {
                second = best;
                best = r;
            } else if (second < 0 || better(r, second)) {
                second = r;
            }
        }
        auto exactOf = [&](int r) -> std::optional<std::int32_t> {
            const auto x = runs.exact[r];
            return x && *x / 10 == runs.ms[r] / 10 ? x : std::nullopt;
        };
        if (best >= 0) {
            out.result = runs.ms[best];
            out.bestExact = exactOf(best);
        }
        if (second >= 0) {
            out.secondKey = runs.ms[second] / 10;
            out.secondExact = exactOf(second);
        } else {
            out.secondKey = kNoResultKey;
        }
        return out;
    }
    std::int64_t sum = 0;
    for (int r = 0; r < runCount; ++r) {
        if (runs.kind[r] == TRunsRead::Blank)
            sum += RunCell::BlankRun;
        else if (runs.kind[r] == TRunsRead::Dis)
            sum += RunCell::DisRun;
        else if (runs.ms[r] < 0)
            return out; // a typing slip must not shorten a real time
        else
            sum += runs.ms[r];
    }
    out.result = ResultFromSum(sum, timeFormat);
    return out;
}

std::optional<std::vector<int>> ClassRanks(const std::vector<int>& classIds,
                                           const TClassTable& classes) {
    const int n = int(classIds.size());
    int numbers = 0;
    for (int id : classIds)
        numbers += classes.numbers.at(id);
    if (numbers != 0 && numbers != n) return std::nullopt;
    const bool byValue = n > 0 && numbers == n;
    std::vector<int> ids(size_t(classes.texts.size()));
    for (size_t j = 0; j < ids.size(); ++j)
        ids[j] = int(j);
    std::sort(ids.begin(), ids.end(), [&](int a, int b) {
        return byValue ? classes.values.at(a) < classes.values.at(b)
                       : OrdinalLess(classes.texts.at(a), classes.texts.at(b));
    });
    std::vector<int> rankOfId(ids.size());
    int rank = 0;
    for (size_t j = 0; j < ids.size(); ++j) {
        // Texts that differ are different classes; numbers of one value are one class.
        if (j > 0 && !(byValue && classes.values.at(ids[j]) == classes.values.at(ids[j - 1])))
            ++rank;
        rankOfId[size_t(ids[j])] = rank;
    }
    std::vector<int> ranks(static_cast<size_t>(n));
    for (int i = 0; i < n; ++i)
        ranks[size_t(i)] = rankOfId[size_t(classIds[size_t(i)])];
    return ranks;
}

TRanking RankEntries(const TRankInput& in) {
    const std::vector<TRankKeys>& k = in.entries;
    const int n = int(k.size());
    const bool byBest = in.byBest, mixed = in.byClass && in.mixedClasses;
    const TClassTable* classes = in.classes;
    auto sameClass = [&](int a, int b) {
        if (!in.byClass) return true;
        if (!mixed) return k[a].classRank == k[b].classRank;
        const int ia = k[a].classId, ib = k[b].classId;
        if (classes->numbers.at(ia) && classes->numbers.at(ib))
            return classes->values.at(ia) == classes->values.at(ib);
        return classes->texts.at(ia) == classes->texts.at(ib);
    };
    auto shown = [&](int j) { return in.shownOrder.empty() ? j : in.shownOrder[size_t(j)]; };
    auto classKey = [&](int e) { return in.byClass ? quint32(k[e].classRank) : 0u; };

    // The order: a stable sort from the order shown now, so equal keys keep it.
    std::vector<int> order(static_cast<size_t>(n));
    if (!mixed && !byBest) {
        std::vector<std::pair<quint64, int>> keyed(static_cast<size_t>(n));
        for (int j = 0; j < n; ++j) {
            const int e = shown(j);
            keyed[j] = {(quint64(classKey(e)) << 32) | quint32(k[e].zeit), e};
        }
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (int j = 0; j < n; ++j)
            order[j] = keyed[j].second;
    } else if (!mixed) {
        struct TKeyed {
            quint64 First;
            std::int32_t Second;
            int Entry;
        };
        std::vector<TKeyed> keyed(static_cast<size_t>(n));
        for (int j = 0; j < n; ++j) {
            const int e = shown(j);
            keyed[j] = {(quint64(classKey(e)) << 32) | quint32(k[e].zeit), k[e].run.secondKey, e};
        }
        std::stable_sort(keyed.begin(), keyed.end(), [](const TKeyed& a, const TKeyed& b) {
            return a.First != b.First ? a.First < b.First : a.Second < b.Second;
        });
        for (int j = 0; j < n; ++j)
            order[j] = keyed[j].Entry;
    } else {
        // Numbers and texts compare pairwise in different ways, which is no consistent order;
        // only the grid's own sort gives the grid's answer then.
        QVector<QStringList> table(n + 1);
        for (int j = 0; j < n; ++j) {
            const int e = shown(j);
            const auto& r = k[e].run;
            table[j + 1] = {classes->texts.at(k[e].classId),
                            r.result ? FormatTime(*r.result, in.timeFormat, in.separator)
                                     : QString()};
            if (byBest)
                table[j + 1] << (r.secondKey == kNoResultKey
                                     ? QString()
                                     : FormatTime(r.secondKey * 10, in.timeFormat, in.separator));
        }
        TSortOptions options;
        const TGetSortStyle style = [&options](int col, TSortStyle& s) {
            if (col == 0) {
                s = ssNumeric;
            } else {
                s = ssCustom;
                options.SortCompare = CompareRunCells;
            }
        };
        const QVector<int> sorted = SortRowOrder(
            table, byBest ? QVector<int>{0, 1, 2} : QVector<int>{0, 1}, options, style);
        for (int j = 0; j < n; ++j)
            order[j] = shown(sorted[j] - 1);
    }

    // Under "Bestzeit" a tie to the hundredth is ordered by the thousandths, but only where
    // every climber of the tie has them: a typed time has none, and then the tie stands.
    std::vector<qint64> exactKey(size_t(n), 0);
    if (byBest) {
        for (int j = 0; j < n;) {
            const int e = order[j];
            int m = j + 1;
            while (m < n && k[e].run.result && k[order[m]].zeit == k[e].zeit &&
                   k[order[m]].run.secondKey == k[e].run.secondKey && sameClass(order[m], e))
                ++m;
            if (m - j > 1) {
                bool allBest = true, allSecond = true;
                for (int t = j; t < m; ++t) {
                    const TRunResult& r = k[order[t]].run;
                    allBest = allBest && r.bestExact.has_value();
                    allSecond =
                        allSecond && (r.secondKey == kNoResultKey || r.secondExact.has_value());
                }
                for (int t = j; t < m; ++t) {
                    const int x = order[t];
                    const TRunResult& r = k[x].run;
                    exactKey[x] = (allBest ? qint64(*r.bestExact) << 32 : 0) |
                                  (allSecond && r.secondExact ? quint32(*r.secondExact) : 0);
                }
                std::stable_sort(order.begin() + j, order.begin() + m,
                                 [&](int a, int b) { return exactKey[a] < exactKey[b]; });
            }
            j = m;
        }
    }

    // Dense places, restarting with each class.
    TRanking out;
    out.place.assign(size_t(n), 0);
    int place = 0, lastClass = -1;
    std::int32_t lastTime = -1, lastSecond = -1;
    qint64 lastExact = -1;
    for (int j = 0; j < n; ++j) {
        const int e = order[j];
        if (!k[e].run.result) continue;
        if (lastClass < 0 || !sameClass(e, lastClass)) {
            if (lastClass >= 0) {
                lastTime = -1;
                place = 0;
            }
            lastClass = e;
        }
        if (k[e].zeit != lastTime || k[e].run.secondKey != lastSecond || exactKey[e] != lastExact) {
            ++place;
            lastTime = k[e].zeit;
            lastSecond = k[e].run.secondKey;
            lastExact = exactKey[e];
        }
        out.place[e] = place;
    }
    out.order = std::move(order);
    return out;
}
