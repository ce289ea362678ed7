#pragma once
// The ranking of a protocol as plain functions: what one participant's runs give as a result
// under a rule, the order of the classes, and the order and dense places of everyone from
// those keys. The competition reads the cells, calls these, and writes "Zeit" and "Platz".
#include <array>
#include <climits>
#include <cstdint>
#include <optional>
#include <QChar>
#include <QStringList>
#include <QVector>
#include <vector>

// One participant's runs as read from the run cells.
struct TRunsRead {
    enum TKind : quint8 { Blank, Dis, Time };
    std::array<quint8, 6> kind{};     // TKind per run column
    std::array<std::int32_t, 6> ms{}; // for Time: the text read in the time format
    std::array<std::optional<std::int32_t>, 6> exact{}; // stopped milliseconds behind a time
};

constexpr std::int32_t kNoResultKey = INT_MAX; // after every result, as an empty "Zeit"

// What the runs give: the result (none for a DIS under "Summe", a blank, a typing slip), and
// under "Bestzeit" the second best run's hundredths that break a tie, with the thousandths of
// both where they belong to the times shown.
struct TRunResult {
    std::optional<std::int32_t> result;
    std::int32_t secondKey = 0; // 0 under "Summe"; kNoResultKey without a second run
    std::optional<std::int32_t> bestExact, secondExact;
};
TRunResult RunResult(const TRunsRead& runs, int runCount, bool byBest, int timeFormat);

// One spelling of a class: "A", "a" and " A" are one class.
QString ClassText(const QString& cell);

// The classes met in the class column, each spelling once (trimmed, case folded), with its
// number when the column is the start number.
struct TClassTable {
    QStringList texts;
    QVector<double> values;
    QVector<bool> numbers;
};

// Each entry's class as a rank among the classes, in the order the class column sorts: by
// value when every entry's class is a number, else by text. Numbers and texts mixed have no
// single order: then empty, and the ranking falls back to the grid's own comparison.
std::optional<std::vector<int>> ClassRanks(const std::vector<int>& classIds,
                                           const TClassTable& classes);

// One entry as the ranking sees it.
struct TRankKeys {
    std::int32_t zeit = kNoResultKey; // the result's hundredths, kNoResultKey for none
    TRunResult run;
    int classId = 0;   // into the class table
    int classRank = 0; // from ClassRanks
};

struct TRankInput {
    std::vector<TRankKeys> entries;
    bool byClass = false; // places restart with each class
    const TClassTable* classes = nullptr;
    bool mixedClasses = false; // ClassRanks found no single order
    bool byBest = false;       // "Bestzeit": else "Summe"
    int timeFormat = 1;
    QChar separator = QLatin1Char(',');
    std::vector<int> shownOrder; // the order shown now: equal keys keep it
};

struct TRanking {
    std::vector<int> order; // entries, best first
    std::vector<int> place; // per entry; 0 without a result
};
TRanking RankEntries(const TRankInput& in);
