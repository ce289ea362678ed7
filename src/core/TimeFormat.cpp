#include "core/TimeFormat.h"

#include <cmath>
#include <limits>
#include <QLocale>

QChar SystemDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 ? point.at(0) : QChar(',');
}

namespace {
QString TwoDigits(std::int64_t v) {
    return QStringLiteral("%1").arg(v, 2, 10, QChar('0'));
}

// A field of the minutes template: a decimal integer (leading blanks and a sign allowed, as the
// original number reader did), anything else counts 0.
int FieldValue(const QString& field) {
    int start = 0;
    while (start < field.size() && field.at(start) == ' ')
        ++start;
    bool ok = false;
    const int v = field.mid(start).toInt(&ok, 10);
    return ok ? v : 0;
}
} // namespace

QString FormatTime(std::int32_t ms, int format, QChar decimalSeparator) {
    // Truncating division throughout: a time is never rounded up. A negative value can only
    // come from a clock gone wrong; it is shown with a sign instead of garbage digits.
    const bool negative = ms < 0;
    const std::int64_t t = std::llabs(std::int64_t(ms)) / 10;
    const QString sign = negative ? QStringLiteral("-") : QString();
    if (NormalizedTimeFormat(format) == tfSeconds)
        return sign + QString::number(t / 100) + decimalSeparator + TwoDigits(t % 100);

    const std::int64_t s = t / 100;
    QString text = TwoDigits((s / 60) % 60) + ':' + TwoDigits(s % 60) + ',' + TwoDigits(t % 100);
    int p = text.size() + 1;
    for (int i = 0; i < text.size(); ++i) {
        if (text.at(i) >= '1' && text.at(i) <= '9') {
            p = i + 1;
            break;
        }
    }
    p = std::min(p, 5);
    return sign + text.mid(p - 1);
}

std::int32_t ParseTime(const QString& text, int format, QChar decimalSeparator) {
    if (NormalizedTimeFormat(format) == tfMinutes) {
        static const QString templ = QStringLiteral("00:00,00");
        QString full;
        if (text.size() < 8)
            full = templ.left(8 - text.size()) + text;
        else if (text.size() == 8)
            full = text;
        else
            full = templ + text; // too long: every field comes from the template
        const std::int64_t v = std::int64_t(FieldValue(full.mid(0, 2))) * 60000 +
                               std::int64_t(FieldValue(full.mid(3, 2))) * 1000 +
                               std::int64_t(FieldValue(full.mid(6, 2))) * 10;
        return static_cast<std::int32_t>(v); // two-character fields cannot overflow
    }

    // Seconds: a decimal fraction with the locale's separator.
    QString s = text.trimmed();
    if (decimalSeparator != '.') {
        if (s.contains('.')) return UnreadableSeconds;
        s.replace(decimalSeparator, '.');
    }
    bool ok = false;
    const double v = s.toDouble(&ok);
    if (!ok || !std::isfinite(v)) return UnreadableSeconds;
    const double scaled = std::nearbyint(v * 1000.0);
    // A number too large for the time type cannot be a time.
    if (scaled > double(std::numeric_limits<std::int32_t>::max()) ||
        scaled < double(std::numeric_limits<std::int32_t>::min()))
        return UnreadableSeconds;
    return static_cast<std::int32_t>(scaled);
}
