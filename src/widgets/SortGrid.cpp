#include "widgets/SortGrid.h"

#include <QApplication>
#include <QDate>
#include <QLocale>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStringEncoder>

#include <algorithm>
#include <cmath>

namespace {

constexpr int kMaxDrawnChars = 1000;

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

// The locale's conversions, set up once per sort rather than once per cell.
class TConverter {
public:
    TConverter() {
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

    bool Number(const QString& s, double& v) const {
        bool ok = false;
        v = m_number.toDouble(s, &ok);
        return ok && std::isfinite(v);
    }

    bool Time(QStringView s, double& v) const {
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
            if (dot >= 0 && dot + 1 < t.size() && !AllDigits(QStringView(t).mid(dot + 1)))
                return false;
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

    bool Date(QStringView s, double& days) const {
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

    bool DateTime(const QString& text, double& v) const {
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

private:
    QLocale m_number;
    QChar m_dateSep;
    QList<char> m_order;
    QChar m_timeSep;
    QString m_am, m_pm;
};

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

TPreparedKey Prepare(const QString& text, int pos, TSortStyle style, const TConverter& conv) {
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
    return TConverter().Number(s, value);
}
bool TextToTime(const QString& s, double& dayFraction) {
    return TConverter().Time(s, dayFraction);
}
bool TextToDateTime(const QString& s, double& days) {
    return TConverter().DateTime(s, days);
}

int CompareSortTexts(const QString& a, const QString& b, TSortStyle style, bool caseSensitive,
                     const TSortCompare& custom) {
    const TConverter conv;
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
    const TConverter conv;
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
    const TConverter conv;
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

void SortRowTable(QVector<QStringList>& table, int col, TSortOptions& options,
                  const TGetSortStyle& getStyle) {
    const int cols = table.isEmpty() ? 0 : int(table[0].size());
    int width = cols;
    for (const QStringList& r : table)
        width = std::max(width, int(r.size()));
    const QVector<int> order =
        SortRowOrder(table, SortKeyColumns(options.SecondaryIndex, col, width), options, getStyle);
    if (order.isEmpty()) return;
    QVector<QStringList> sorted;
    sorted.reserve(table.size());
    sorted.append(table[0]);
    for (int from : order)
        sorted.append(table[from]);
    table.swap(sorted);
}

QString CutHeaderText(const QString& text, int maxWidth, const QFontMetrics& fm) {
    if (fm.horizontalAdvance(text) <= maxWidth) return text;
    const QString base = text.left(std::max<qsizetype>(0, text.size() - 2));
    const QString dots = QStringLiteral("..");
    auto fits = [&](qsizetype k) { return fm.horizontalAdvance(base.left(k) + dots) <= maxWidth; };
    // Characters go from the end until the text fits, but it keeps four characters.
    qsizetype lo = std::min<qsizetype>(2, base.size());
    qsizetype hi = base.size();
    if (fits(hi)) return base + dots;
    if (!fits(lo)) return base.left(lo) + dots;
    while (hi - lo > 1) { // fits(lo) holds, fits(hi) does not
        const qsizetype mid = (lo + hi) / 2;
        if (fits(mid))
            lo = mid;
        else
            hi = mid;
    }
    return base.left(lo) + dots;
}

// ---------------------------------------------------------------- the grid

TSortGrid::TSortGrid(QWidget* parent) : TMyStringGrid(parent) {
    ShowError = [this](const QString& text) {
        QMessageBox::critical(this, QApplication::applicationDisplayName(), text, QMessageBox::Ok);
    };
}

TSortGrid::~TSortGrid() {
    if (m_updateDepth > 0) QApplication::restoreOverrideCursor();
}

void TSortGrid::setModified(bool m) {
    m_modified = m;
    if (m && OnModified) OnModified();
}

void TSortGrid::setAlignmentHorz(Qt::Alignment a) {
    if (a == m_alignHorz) return;
    m_alignHorz = a;
    viewport()->update();
}

void TSortGrid::setAlignmentVert(Qt::Alignment a) {
    if (a == m_alignVert) return;
    m_alignVert = a;
    viewport()->update();
}

void TSortGrid::setBevelStyle(TCellBevelStyle b) {
    if (b == m_bevel) return;
    m_bevel = b;
    viewport()->update();
}

void TSortGrid::BeginUpdate() {
    if (m_updateDepth++ == 0) {
        QApplication::setOverrideCursor(Qt::WaitCursor);
        StartUpdating();
        m_savedUpdateOnSizeChange = SortOptions.UpdateOnSizeChange;
        SortOptions.UpdateOnSizeChange = false;
    }
    if (OnBeginUpdate) OnBeginUpdate();
}

void TSortGrid::EndUpdate() {
    if (m_updateDepth == 0) return; // unbalanced: nothing to end
    if (--m_updateDepth == 0) {
        StopUpdating();
        QApplication::restoreOverrideCursor();
        SortOptions.UpdateOnSizeChange = m_savedUpdateOnSizeChange;
    }
    if (OnEndUpdate) OnEndUpdate();
}

void TSortGrid::SortByColumn(int ACol) {
    if (!SortOptions.CanSort) return;
    if (ACol < 0 || ACol >= ColCount()) return;
    SortOptions.SortCol = ACol;
    m_sorting = true;
    BeginUpdate();
    // Whatever a notification does, the grid leaves the sorting state and repaints.
    struct TEnd {
        TSortGrid* g;
        int col;
        ~TEnd() {
            g->m_sorting = false;
            g->SortOptions.SortCompare = nullptr;
            if (g->OnEndSort) g->OnEndSort(col);
            g->EndUpdate();
        }
    } end{this, ACol};
    if (OnBeginSort) OnBeginSort(ACol);

    const int current = Row();
    // A shallow copy: should a notification write into the grid, the sort still
    // reads the rows it started with.
    const QVector<QStringList> rows = RowData();
    const QVector<int> order =
        SortRowOrder(rows, SortKeyColumns(SortOptions.SecondaryIndex, ACol, ColCount()),
                     SortOptions, OnGetSortStyle);
    if (order.isEmpty()) return;
    ReorderDataRows(order);
    // The selection follows its row to the new place.
    const int at = int(order.indexOf(current));
    if (at >= 0) setRow(at + 1);
}

int TSortGrid::FindInColumn(int ACol, const QString& s, bool IgnoreCase) const {
    if (ACol < 0 || ACol >= ColCount()) return -1;
    const Qt::CaseSensitivity cs = IgnoreCase ? Qt::CaseInsensitive : Qt::CaseSensitive;
    for (int r = 1; r < RowCount(); ++r)
        if (QString::compare(Cells(ACol, r), s, cs) == 0) return r;
    return -1;
}

int TSortGrid::InsertRow(int ARow) {
    // Only data rows are valid places; anything else lands at the nearest one.
    ARow = std::clamp(ARow, 1, RowCount());
    InsertEmptyRow(ARow);
    setRow(ARow);
    if (OnRowInsert) OnRowInsert(ARow);
    return ARow;
}

void TSortGrid::DeleteRow(int ARow) {
    if (ARow < FixedRows() || ARow >= RowCount()) return;
    TMyStringGrid::DeleteRow(ARow);
    setModified(true);
}

bool TSortGrid::SaveToFile(const QString& fileName) {
    QStringEncoder encode(QStringConverter::System);
    QByteArray data;
    for (int r = 0; r < RowCount(); ++r) {
        data += encode(Rows(r).join(u';'));
        data += "\r\n";
    }
    QSaveFile file(fileName);
    const bool ok = !fileName.isEmpty() && file.open(QIODevice::WriteOnly) &&
                    file.write(data) == data.size() && file.commit();
    if (!ok) {
        if (ShowError) ShowError(QStringLiteral("Can't write to file:\n") + fileName);
        return false;
    }
    return true;
}

QStringList TSortGrid::SelectedRows() const {
    if (Row() < 1 || Row() >= RowCount()) return QStringList();
    return QStringList{QString::number(Row())};
}

void TSortGrid::CellSelected(int, int) {
    if (OnRowSelected) OnRowSelected();
}

void TSortGrid::HeaderClicked(int ACol, Qt::MouseButton button) {
    if (button == Qt::RightButton)
        SortOptions.SortDirection = sdDescending;
    else if (ACol == SortOptions.SortCol && SortOptions.SortDirection == sdAscending)
        SortOptions.SortDirection = sdDescending;
    else
        SortOptions.SortDirection = sdAscending;
    SortByColumn(ACol);
}

void TSortGrid::RightButtonReleased(int, int, QPoint globalPos) {
    if (PopupMenu) PopupMenu->popup(globalPos);
}

bool TSortGrid::CanEditCell(int ACol, int ARow) {
    if (!TMyStringGrid::CanEditCell(ACol, ARow)) return false;
    if (!OnGetCellFormat) return true;
    TFormatOptions f = DefaultFormat(CellDrawState(ACol, ARow));
    bool check = false, combo = false, ellipsis = false;
    OnGetCellFormat(ACol, ARow, CellDrawState(ACol, ARow), f, check, combo, ellipsis);
    return !combo && !ellipsis;
}

void TSortGrid::SetEditText(int ACol, int ARow, const QString& value) {
    TMyStringGrid::SetEditText(ACol, ARow, value);
    setModified(true);
}

TFormatOptions TSortGrid::DefaultFormat(TGridDrawState s) const {
    TFormatOptions f;
    DefaultCellColours(s, f.BrushColor, f.FontColor);
    f.Font = font();
    f.AlignmentHorz = m_alignHorz;
    f.AlignmentVert = m_alignVert;
    f.Bevel = m_bevel;
    const QPalette& pal = palette();
    switch (m_bevel) {
    case cbRaised:
        f.HighlightColor = pal.color(QPalette::Light);
        f.ShadowColor = pal.color(QPalette::Dark);
        break;
    case cbLowered:
        f.HighlightColor = pal.color(QPalette::Dark);
        f.ShadowColor = pal.color(QPalette::Light);
        break;
    default:
        f.HighlightColor = f.ShadowColor = pal.color(QPalette::Base);
        break;
    }
    return f;
}

void TSortGrid::DrawCell(QPainter& p, int ACol, int ARow, const QRect& r, TGridDrawState s) {
    const bool header = ARow < FixedRows();
    if (NowUpdating() && !header) {
        p.fillRect(r, palette().color(QPalette::Base));
        return;
    }
    // 1. The owner's format.
    TFormatOptions f = DefaultFormat(s);
    bool check = false, combo = false, ellipsis = false;
    if (OnGetCellFormat) OnGetCellFormat(ACol, ARow, s, f, check, combo, ellipsis);
    if (check) f.HideText = true;

    // 2. The selected range shows in the selection colours.
    const QRect sel = Selection();
    if (!header && (Options() & goRangeSelect) && ARow >= sel.top() && ARow <= sel.bottom()) {
        f.BrushColor = palette().color(QPalette::Highlight);
        f.FontColor = palette().color(QPalette::HighlightedText);
    }
    p.fillRect(r, f.BrushColor);

    const bool arrow = header && ARow == 0 && ACol == SortOptions.SortCol && SortOptions.CanSort;
    if (!f.HideText) {
        // 3. The text, titles cut to the column.
        QString text = Cells(ACol, ARow).left(kMaxDrawnChars);
        if (p.font() != f.Font) p.setFont(f.Font);
        const QFontMetrics fm = p.fontMetrics();
        if (header) text = CutHeaderText(text, r.width() - 1 - (arrow ? 11 : 0), fm);
        if (!text.isEmpty()) {
            // 4. Its place in the cell.
            const int tw = fm.horizontalAdvance(text);
            const int th = fm.height();
            int x = 2;
            if (f.AlignmentHorz & Qt::AlignRight)
                x = r.width() - tw - 2;
            else if (f.AlignmentHorz & Qt::AlignHCenter)
                x = (r.width() - tw) / 2;
            int y = 2;
            if (f.AlignmentVert & Qt::AlignBottom)
                y = r.height() - th - 3;
            else if (f.AlignmentVert & Qt::AlignVCenter)
                y = (r.height() - th) / 2;
            if (arrow) x += 10;
            const bool clip = x < 0 || y < 0 || x + tw > r.width() || y + th > r.height();
            if (clip) {
                p.save();
                p.setClipRect(r);
            }
            p.setPen(f.FontColor);
            p.drawText(QPoint(r.left() + x, r.top() + y + fm.ascent()), text);
            if (clip) p.restore();
        }
    }

    // 5. The direction arrow of the sort column.
    if (arrow) {
        const int w = r.width() < 11 ? r.width() - 3 : 8;
        const int h = 7;
        const int x = r.left() + 3;
        const int y = r.top() + (r.height() - h) / 2;
        if (w > 0) {
            QPolygon tri;
            if (SortOptions.SortDirection == sdAscending)
                tri << QPoint(x, y + h - 1) << QPoint(x + w - 1, y + h - 1)
                    << QPoint(x + (w - 1) / 2, y);
            else
                tri << QPoint(x, y) << QPoint(x + w - 1, y) << QPoint(x + (w - 1) / 2, y + h - 1);
            p.save();
            p.setPen(palette().color(QPalette::Dark));
            p.setBrush(palette().color(QPalette::Dark));
            p.drawPolygon(tri);
            p.restore();
        }
    }

    // 6. A check box.
    if (check) {
        const int side = r.width() < 16 ? r.width() - 1 : 16;
        if (side > 2) {
            const QRect box(r.left() + (r.width() - side) / 2, r.top() + (r.height() - side) / 2,
                            side, side);
            p.save();
            p.fillRect(box, palette().color(QPalette::Base));
            p.setPen(palette().color(QPalette::Dark));
            p.drawRect(box.adjusted(0, 0, -1, -1));
            const QString t = Cells(ACol, ARow);
            if (t == QLatin1String("true") || t == QLatin1String("1") || t == QLatin1String("V")) {
                p.setPen(QPen(palette().color(QPalette::Text), 2));
                p.drawPolyline(QPolygon{QPoint(box.left() + side / 4, box.top() + side / 2),
                                        QPoint(box.left() + side / 2 - 1, box.bottom() - side / 4),
                                        QPoint(box.right() - side / 5, box.top() + side / 5)});
            }
            p.restore();
        }
    }

    // 7. The drop-down or ellipsis button of the current row.
    if ((combo || ellipsis) && !header && ARow == Row()) {
        const int bw = std::min(16, r.width());
        const QRect b(r.right() - bw + 1, r.top(), bw, r.height());
        p.save();
        p.fillRect(b, palette().color(QPalette::Button));
        p.setPen(palette().color(QPalette::Dark));
        p.drawRect(b.adjusted(0, 0, -1, -1));
        p.setPen(palette().color(QPalette::ButtonText));
        p.setBrush(palette().color(QPalette::ButtonText));
        const QPoint c = b.center();
        if (combo)
            p.drawPolygon(QPolygon{QPoint(c.x() - 3, c.y() - 1), QPoint(c.x() + 3, c.y() - 1),
                                   QPoint(c.x(), c.y() + 2)});
        else
            for (int i = -1; i <= 1; ++i)
                p.drawRect(c.x() + i * 3 - 1, c.y(), 1, 1);
        p.restore();
    }

    // 8. The bevel of data cells.
    if (!header && f.Bevel != cbNone) {
        if (Options() & goFixedVertLine) {
            p.fillRect(QRect(r.right(), r.top(), 1, r.height()), f.ShadowColor);
            p.fillRect(QRect(r.left(), r.top(), 1, r.height()), f.HighlightColor);
        }
        if (Options() & goFixedHorzLine) {
            p.fillRect(QRect(r.left(), r.bottom(), r.width(), 1), f.ShadowColor);
            p.fillRect(QRect(r.left(), r.top(), r.width(), 1), f.HighlightColor);
        }
    }

    // 9. The owner may draw over it all.
    if (OnDrawCell) OnDrawCell(p, ACol, ARow, r, s);
}
