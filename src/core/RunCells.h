#pragma once
// Rules for run cells, result times and places that need no window.
#include <cstdint>
#include <optional>
#include <QString>
#include <QStringList>
#include <QVector>

namespace RunCell {
constexpr std::int64_t BlankRun = 214748364; // added for an empty run: no result
constexpr std::int64_t DisRun = 21474836;    // added for "DIS."; also the bound of a valid sum
} // namespace RunCell

// Blank after trimming: an empty run.
bool IsBlankCell(const QString& cell);
// "DIS." in any case after trimming, or a false start "FS.": it counts like a
// disqualification wherever a run is summed or ordered.
bool IsDisCell(const QString& cell);
bool IsFalseStartCell(const QString& cell);

// The ordering of run cells and result times: shorter time texts first, "DIS." after every
// time, empty cells last; equal keys compare ordinally.
int CompareRunCells(const QString& a, const QString& b);

// The result time of one participant from the texts of the active run cells: present only
// when every run holds a time and the sum is positive and below the DIS bound. The sum is
// taken in 64 bits so that no number of unreadable runs can wrap it into a wrong time.
std::optional<std::int32_t> ResultTime(const QStringList& runCells, int timeFormat);
// The same rule for a sum already taken (blank and DIS runs counted with their constants):
// a result must also be showable in the time format, and the minutes format has no hours, so
// 60 minutes or more would wrap into a short time that ranks first. Such a sum is no result.
std::optional<std::int32_t> ResultFromSum(std::int64_t sum, int timeFormat);
constexpr std::int64_t MinutesFormatLimit = 3600000; // 60 minutes
