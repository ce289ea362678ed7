#include "core/TimeFormat.h"

#include <cmath>
#include <limits>
#include <QLocale>

QChar SystemDecimalSeparator() {
    const QString point = QLocale().decimalPoint();
    return point.size() == 1 ? point.at(0) : QChar(',');
}

namespace {
// A field of the minutes template: blanks in front (a short text typed right-aligned), then an
// optional sign and decimal digits and nothing else; anything else counts 0. A blank, tab or
// line break after the digits makes the field unreadable too, so "1 ,00" is no second.
int FieldValue(QStringView field) {
    qsizetype i = 0;
    while (i < field.size() && field[i] == u' ')
        ++i;
    bool negative = false;
    if (i < field.size() && (field[i] == u'-' || field[i] == u'+')) negative = field[i++] == u'-';
    if (i == field.size()) return 0;
    int v = 0;
    for (; i < field.size(); ++i) {
        const char16_t c = field[i].unicode();
        if (c < u'0' || c > u'9') return 0;
        v = v * 10 + (c - u'0'); // two characters at most: no overflow
    }
    return negative ? -v : v;
}
} // namespace

QString FormatTime(std::int32_t ms, int format, QChar decimalSeparator) {
    // Truncating division throughout: a time is never rounded up. A negative value can only
    // come from a clock gone wrong; it is shown with a sign instead of garbage digits.
    // Built in a buffer: a recompute formats a result for every participant.
    const bool negative = ms < 0;
    const std::int64_t t = std::llabs(std::int64_t(ms)) / 10;
    char16_t buf[24];
    int n = 0;
    auto two = [&](std::int64_t v) {
        buf[n++] = char16_t(u'0' + v / 10);
        buf[n++] = char16_t(u'0' + v % 10);
    };
    if (negative) buf[n++] = u'-';
    if (NormalizedTimeFormat(format) == tfSeconds) {
        char16_t digits[20];
        int d = 0;
        std::int64_t whole = t / 100;
        do {
            digits[d++] = char16_t(u'0' + whole % 10);
            whole /= 10;
        } while (whole > 0);
        while (d > 0)
            buf[n++] = digits[--d];
        buf[n++] = decimalSeparator.unicode();
        two(t % 100);
        return QString(reinterpret_cast<const QChar*>(buf), n);
    }

    const std::int64_t s = t / 100;
    const int start = n;
    two((s / 60) % 60);
    buf[n++] = u':';
    two(s % 60);
    buf[n++] = u',';
    two(t % 100);
    // Leading characters up to the first significant digit go, at most four of them.
    int cut = 0;
    while (cut < 4 && !(buf[start + cut] >= u'1' && buf[start + cut] <= u'9'))
        ++cut;
    for (int i = start; i + cut < n; ++i)
        buf[i] = buf[i + cut];
    return QString(reinterpret_cast<const QChar*>(buf), n - cut);
}

std::int32_t ParseTime(const QString& text, int format, QChar decimalSeparator) {
    if (NormalizedTimeFormat(format) == tfMinutes) {
        // The text right-aligned in the template "00:00,00"; a longer text takes every field
        // from the template. Read in place: a recompute parses every run cell.
        static const char16_t templ[] = u"00:00,00";
        if (text.size() > 8) return 0;
        char16_t full[8];
        const qsizetype pad = 8 - text.size();
        for (qsizetype i = 0; i < 8; ++i)
            full[i] = i < pad ? templ[i] : text.at(i - pad).unicode();
        const QStringView v(full, 8);
        return std::int32_t(FieldValue(v.mid(0, 2))) * 60000 +
               std::int32_t(FieldValue(v.mid(3, 2))) * 1000 +
               std::int32_t(FieldValue(v.mid(6, 2))) * 10;
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

QString FormatReaction(std::int32_t ms) {
    const std::int64_t a = ms < 0 ? -std::int64_t(ms) : ms;
    return QStringLiteral("%1%2,%3")
        .arg(ms < 0 ? QStringLiteral("-") : QString())
        .arg(a / 1000)
        .arg(a % 1000, 3, 10, QLatin1Char('0'));
}
