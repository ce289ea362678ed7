#include "core/RunCells.h"

#include "core/TimeFormat.h"

#include <cstring>

bool IsBlankCell(const QString& cell) {
    return cell.trimmed().isEmpty();
}

bool IsDisCell(const QString& cell) {
    const QString t = cell.trimmed().toUpper();
    return t == QLatin1String("DIS.") || t == QLatin1String("FS.");
}

bool IsFalseStartCell(const QString& cell) {
    return cell.trimmed().toUpper() == QLatin1String("FS.");
}

int CompareRunCells(const QString& a, const QString& b) {
    auto key = [](const QString& s) -> qsizetype {
        if (IsBlankCell(s)) return 20;
        if (IsDisCell(s)) return 18;
        return s.size();
    };
    const qsizetype ka = key(a), kb = key(b);
    if (ka != kb) return ka < kb ? -1 : 1;
    // Equal keys: an ordinal comparison of the stored bytes, as the protocol file holds them.
    const QByteArray ba = a.toUtf8(), bb = b.toUtf8();
    const int c = std::strcmp(ba.constData(), bb.constData());
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

std::optional<std::int32_t> ResultTime(const QStringList& runCells, int timeFormat) {
    std::int64_t sum = 0;
    for (const QString& cell : runCells) {
        if (IsBlankCell(cell)) {
            sum += RunCell::BlankRun;
        } else if (IsDisCell(cell)) {
            sum += RunCell::DisRun;
        } else {
            const std::int32_t ms = ParseTime(cell, timeFormat);
            // A negative run can only be a typing slip; it must not shorten a real time.
            if (ms < 0) return std::nullopt;
            sum += ms;
        }
    }
    return ResultFromSum(sum, timeFormat);
}

std::optional<std::int32_t> ResultFromSum(std::int64_t sum, int timeFormat) {
    if (sum <= 0 || sum >= RunCell::DisRun) return std::nullopt;
    if (NormalizedTimeFormat(timeFormat) == tfMinutes && sum >= MinutesFormatLimit)
        return std::nullopt;
    return std::int32_t(sum);
}
