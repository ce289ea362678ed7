#include "core/SortOrder.h"

#include <QDate>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>

namespace {

int Sign(int v) {
    return (v > 0) - (v < 0);
}

int OrdinalText(const QString& a, const QString& b);
int Ordinal(const QString& a, const QString& b) {
    return OrdinalText(a, b);
}

bool AllDigits(QStringView s) {
    if (s.isEmpty()) return false;
    for (QChar c : s)
        if (c < u'0' || c > u'9') return false;
    return true;
}

// A key made ready for repeated comparison: the text folded once (kept apart,
// by position), converted once, and its first four characters packed so that
// most ordinal comparisons never touch the text itself. Small and trivially
// copyable, so the merge passes stream through memory.
struct TPreparedKey {
    quint64 prefix[2] = {0, 0}; // the first eight UTF-16 units, zero-padded
    double value = 0;
    qsizetype length = 0;
    int pos = 0;
    bool ok = false;
};

int OrdinalText(const QString& a, const QString& b) {
    const qsizetype n = std::min(a.size(), b.size());
    const ushort* pa = a.utf16();
    const ushort* pb = b.utf16();
    for (qsizetype i = 0; i < n; ++i)
        if (pa[i] != pb[i]) return pa[i] < pb[i] ? -1 : 1;
    return a.size() < b.size() ? -1 : (a.size() > b.size() ? 1 : 0);
}

quint64 Pack(const QString& s, int from) {
    quint64 p = 0;
    const ushort* d = s.utf16();
    for (int i = from; i < from + 4; ++i)
        p = (p << 16) | (i < s.size() ? d[i] : 0);
    return p;
}

bool HasAsciiUpper(const QString& s) {
    for (QChar c : s)
        if (c >= u'A' && c <= u'Z') return true;
    return false;
}

TPreparedKey Prepare(const QString& text, int pos, TSortStyle style, const TSortConverter& conv) {
    TPreparedKey k;
    k.prefix[0] = Pack(text, 0);
    k.prefix[1] = Pack(text, 4);
    k.length = text.size();
    k.pos = pos;
    switch (style) {
    case ssNumeric:
        k.ok = conv.Number(text, k.value);
        break;
    case ssDateTime:
        k.ok = conv.DateTime(text, k.value);
        break;
    case ssTime:
        k.ok = conv.Time(text, k.value);
        break;
    default:
        break;
    }
    return k;
}

int CompareNumericExtended(const QString& a, const QString& b) {
    if (a.isEmpty() || b.isEmpty()) return Ordinal(a, b); // an empty text sorts first
    // Drop the equal non-digits that stand at the same place in both texts,
    // first counted from the front, then from the back.
    auto strip = [](const QString& x, const QString& y, bool fromBack, QString& rx, QString& ry) {
        const qsizetype n = std::min(x.size(), y.size());
        const qsizetype ox = fromBack ? x.size() - n : 0;
        const qsizetype oy = fromBack ? y.size() - n : 0;
        rx = x.left(ox);
        ry = y.left(oy);
        for (qsizetype i = 0; i < n; ++i) {
            const QChar cx = x[ox + i], cy = y[oy + i];
            if (cx == cy && !cx.isDigit()) continue;
            rx += cx;
            ry += cy;
        }
        if (!fromBack) {
            rx += x.mid(n);
            ry += y.mid(n);
        }
    };
    QString fa, fb, ra, rb;
    strip(a, b, false, fa, fb);
    strip(fa, fb, true, ra, rb);
    if (ra == rb) return 0;
    bool okA = false, okB = false;
    const qlonglong na = ra.toLongLong(&okA), nb = rb.toLongLong(&okB);
    if (okA && okB && na != nb) return na < nb ? -1 : 1;
    return Ordinal(ra, rb);
}

int ComparePrepared(const TPreparedKey& a, const TPreparedKey& b,
                    const QVector<const QString*>& texts, TSortStyle style,
                    const TSortCompare& custom) {
    const QString& ta = *texts[a.pos];
    const QString& tb = *texts[b.pos];
    auto ordinal = [&] {
        if (a.prefix[0] != b.prefix[0]) return a.prefix[0] < b.prefix[0] ? -1 : 1;
        if (a.prefix[1] != b.prefix[1]) return a.prefix[1] < b.prefix[1] ? -1 : 1;
        if (a.length <= 8 && b.length <= 8)
            return a.length < b.length ? -1 : (a.length > b.length ? 1 : 0);
        return OrdinalText(ta, tb);
    };
    switch (style) {
    case ssNumeric:
    case ssDateTime:
    case ssTime:
        if (a.ok && b.ok) return a.value < b.value ? -1 : (a.value > b.value ? 1 : 0);
        return ordinal();
    case ssCustom:
        // Without a function for this sort there is nothing better than the plain order.
        return custom ? Sign(custom(ta, tb)) : ordinal();
    case ssNumericExtended:
        return CompareNumericExtended(ta, tb);
    default:
        return ordinal();
    }
}

// A merge sort: stable, and it stays within bounds even when a custom
// comparison is inconsistent (mixed numbers and texts are compared pairwise).
template <typename T, typename Less> void MergeSort(QVector<T>& a, Less less) {
    const qsizetype n = a.size();
    QVector<T> buf(n);
    for (qsizetype width = 1; width < n; width *= 2) {
        for (qsizetype lo = 0; lo < n; lo += 2 * width) {
            const qsizetype mid = std::min(lo + width, n), hi = std::min(lo + 2 * width, n);
            qsizetype i = lo, j = mid, k = lo;
            while (i < mid && j < hi)
                buf[k++] = less(a[j], a[i]) ? a[j++] : a[i++];
            while (i < mid)
                buf[k++] = a[i++];
            while (j < hi)
                buf[k++] = a[j++];
        }
        a.swap(buf);
    }
}

TSortStyle ValidStyle(int s) {
    return s >= ssAutomatic && s <= ssCustom ? TSortStyle(s) : ssNormal;
}

} // namespace

// The locale's conversions, set up once per sort rather than once per cell.
TSortConverter::TSortConverter() {
    m_number.setNumberOptions(m_number.numberOptions() | QLocale::RejectGroupSeparator);
    const QString df = m_number.dateFormat(QLocale::ShortFormat);
    QChar sep;
    for (QChar c : df)
        if (!c.isLetter() && !c.isSpace() && c != u'\'') {
            sep = c;
            break;
        }
    if (sep.isNull() || df.contains(QLatin1String("MMM"))) {
        // No numeric short form (the C locale): take ISO dates.
        m_dateSep = u'-';
        m_order = {'y', 'M', 'd'};
    } else {
        m_dateSep = sep;
        for (QChar c : df) {
            const char k = char(c.unicode());
            if ((k == 'd' || k == 'M' || k == 'y') && !m_order.contains(k)) m_order.append(k);
        }
        if (m_order.size() != 3) m_order = {'d', 'M', 'y'};
    }
    m_timeSep = u':';
    for (QChar c : m_number.timeFormat(QLocale::ShortFormat))
        if (!c.isLetter() && !c.isSpace()) {
            m_timeSep = c;
            break;
        }
    m_am = AsciiLower(m_number.amText());
    m_pm = AsciiLower(m_number.pmText());
}

bool TSortConverter::Number(const QString& s, double& v) const {
    bool ok = false;
    v = m_number.toDouble(s, &ok);
    return ok && std::isfinite(v);
}

bool TSortConverter::Time(QStringView s, double& v) const {
    s = s.trimmed();
    int addHours = -1; // -1: 24-hour text; 0 / 12: morning / afternoon
    const QString low = AsciiLower(s.toString());
    for (const auto& [mark, add] :
         {std::pair{m_am, 0}, std::pair{m_pm, 12}, std::pair{QStringLiteral("am"), 0},
          std::pair{QStringLiteral("pm"), 12}}) {
        if (!mark.isEmpty() && low.endsWith(mark) && low.size() > mark.size()) {
            s = s.left(s.size() - mark.size()).trimmed();
            addHours = add;
            break;
        }
    }
    const QList<QStringView> parts = s.split(m_timeSep);
    if (parts.size() < 2 || parts.size() > 3) return false;
    if (!AllDigits(parts[0]) || !AllDigits(parts[1])) return false;
    int h = parts[0].toInt(), m = parts[1].toInt();
    double sec = 0;
    if (parts.size() == 3) {
        QString t = parts[2].toString();
        t.replace(m_number.decimalPoint(), QStringLiteral("."));
        const int dot = t.indexOf(u'.');
        if (!AllDigits(QStringView(t).left(dot < 0 ? t.size() : dot))) return false;
        if (dot >= 0 && dot + 1 < t.size() && !AllDigits(QStringView(t).mid(dot + 1))) return false;
        sec = t.toDouble();
    }
    if (addHours >= 0) {
        if (h < 1 || h > 12) return false;
        h = h % 12 + addHours;
    }
    if (h > 23 || m > 59 || sec >= 60) return false;
    v = (h * 3600 + m * 60 + sec) / 86400.0;
    return true;
}

bool TSortConverter::Date(QStringView s, double& days) const {
    const QList<QStringView> parts = s.split(m_dateSep);
    if (parts.size() < 2 || parts.size() > 3) return false;
    for (QStringView p : parts)
        if (!AllDigits(p) || p.size() > 4) return false;
    int d = 0, m = 0, y = QDate::currentDate().year();
    bool twoDigitYear = false;
    int i = 0;
    for (char k : m_order) {
        if (parts.size() == 2 && k == 'y') continue;
        const int v = parts[i].toInt();
        if (k == 'd')
            d = v;
        else if (k == 'M')
            m = v;
        else {
            y = v;
            twoDigitYear = parts[i].size() <= 2;
        }
        ++i;
    }
    if (twoDigitYear) {
        // Two-digit years fall within fifty years around today.
        const int now = QDate::currentDate().year();
        y += now - now % 100;
        if (y > now + 50) y -= 100;
    }
    const QDate date(y, m, d);
    if (!date.isValid()) return false;
    days = double(date.toJulianDay());
    return true;
}

bool TSortConverter::DateTime(const QString& text, double& v) const {
    const QStringView s = QStringView(text).trimmed();
    if (s.isEmpty()) return false;
    qsizetype gap = 0;
    while (gap < s.size() && !s[gap].isSpace())
        ++gap;
    double days = 0;
    if (Date(s.left(gap), days)) {
        const QStringView rest = s.mid(gap).trimmed();
        if (rest.isEmpty()) {
            v = days;
            return true;
        }
        double t = 0;
        if (!Time(rest, t)) return false;
        v = days + t;
        return true;
    }
    return Time(s, v);
}

// ------------------------------------------------------------ free functions

QString AsciiLower(const QString& s) {
    qsizetype i = 0;
    const qsizetype n = s.size();
    const QChar* d = s.constData();
    while (i < n && !(d[i] >= u'A' && d[i] <= u'Z'))
        ++i;
    if (i == n) return s;
    QString r = s;
    QChar* w = r.data();
    for (; i < n; ++i)
        if (w[i] >= u'A' && w[i] <= u'Z') w[i] = QChar(w[i].unicode() + 32);
    return r;
}

bool TextToNumber(const QString& s, double& value) {
    return TSortConverter().Number(s, value);
}
bool TextToTime(const QString& s, double& dayFraction) {
    return TSortConverter().Time(s, dayFraction);
}
bool TextToDateTime(const QString& s, double& days) {
    return TSortConverter().DateTime(s, days);
}

int CompareSortTexts(const QString& a, const QString& b, TSortStyle style, bool caseSensitive,
                     const TSortCompare& custom) {
    const TSortConverter conv;
    const QString la = caseSensitive ? a : AsciiLower(a);
    const QString lb = caseSensitive ? b : AsciiLower(b);
    const QVector<const QString*> texts{&la, &lb};
    return ComparePrepared(Prepare(la, 0, style, conv), Prepare(lb, 1, style, conv), texts, style,
                           custom);
}

int CompareSortEntries(const TSortedListEntry& a, const TSortedListEntry& b) {
    static const TSortOptions defaults;
    const TSortOptions& o = a.Options ? *a.Options : defaults;
    int r = CompareSortTexts(a.Text, b.Text, o.SortStyle, o.SortCaseSensitive, o.SortCompare);
    if (r != 0 && o.SortDirection == sdDescending) r = -r;
    if (r == 0) r = a.Row < b.Row ? -1 : (a.Row > b.Row ? 1 : 0);
    return r;
}

TSortStyle DetectSortStyle(const QStringList& texts) {
    if (texts.isEmpty()) return ssNormal;
    const TSortConverter conv;
    bool number = true, time = true, dateTime = true;
    for (const QString& t : texts) {
        double v;
        if (number) number = conv.Number(t, v);
        if (time) time = conv.Time(t, v);
        if (dateTime) dateTime = conv.DateTime(t, v);
        if (!number && !time && !dateTime) return ssNormal;
    }
    if (number) return ssNumeric;
    if (dateTime) return ssDateTime;
    return time ? ssTime : ssNormal;
}

QList<int> SortKeyColumns(const QString& secondaryIndex, int primary, int colCount) {
    static const QRegularExpression separators(QStringLiteral("[,\\s]+"));
    QList<int> keys{primary};
    for (const QString& part : secondaryIndex.split(separators, Qt::SkipEmptyParts)) {
        bool ok = false;
        const int c = part.toInt(&ok);
        // Entries that name no column, or the primary again, add nothing to the order.
        if (ok && c >= 0 && c < colCount && c != primary) keys.append(c);
    }
    return keys;
}

QVector<int> SortRowOrder(const QVector<QStringList>& table, const QList<int>& keys,
                          TSortOptions& options, const TGetSortStyle& getStyle) {
    const int n = int(table.size()) - 1;
    QVector<int> perm;
    if (n <= 0) return perm;
    perm.resize(n);
    for (int j = 0; j < n; ++j)
        perm[j] = j + 1;

    // Automatic style is detected for each key column of this sort, so the
    // primary key is not compared in the style found for a tie-break column.
    const bool detect = !getStyle && options.SortStyle == ssAutomatic;
    const TSortConverter conv;
    // Each pass copies its key texts, in working order, into fresh strings: the
    // comparisons then read a few compact megabytes instead of cells spread over
    // the whole table, which keeps large sorts close to n log n.
    static const QString empty;
    QVector<QString> copies(n);
    QVector<const QString*> texts(n);
    for (int j = 0; j < n; ++j)
        texts[j] = &copies[j];
    QVector<TPreparedKey> prepared(n);
    for (qsizetype k = keys.size() - 1; k >= 0; --k) {
        const int col = keys[k];
        TSortStyle style = options.SortStyle;
        if (getStyle) {
            getStyle(col, style);
            style = ValidStyle(style);
        } else if (detect) {
            QStringList column;
            column.reserve(n);
            for (int j = 0; j < n; ++j)
                column.append(table[perm[j]].value(col));
            style = DetectSortStyle(column);
        }
        options.SortStyle = style;

        for (int j = 0; j < n; ++j) {
            const QStringList& row = table[perm[j]];
            const QString& cell = col < row.size() ? row[col] : empty;
            copies[j] = QString(cell.constData(), cell.size());
            if (!options.SortCaseSensitive && HasAsciiUpper(cell))
                copies[j] = AsciiLower(copies[j]);
            prepared[j] = Prepare(copies[j], j, style, conv);
        }
        const bool descending = options.SortDirection == sdDescending;
        const TSortCompare& custom = options.SortCompare;
        // Working positions double as row numbers: equal keys keep the order of the last pass.
        auto less = [&](const TPreparedKey& a, const TPreparedKey& b) {
            int r = ComparePrepared(a, b, texts, style, custom);
            if (r != 0 && descending) r = -r;
            if (r == 0) r = a.pos < b.pos ? -1 : (a.pos > b.pos ? 1 : 0);
            return r < 0;
        };
        MergeSort(prepared, less);
        QVector<int> next(n);
        for (int j = 0; j < n; ++j)
            next[j] = perm[prepared[j].pos];
        perm.swap(next);
    }
    return perm;
}
