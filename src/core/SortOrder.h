#pragma once
// The order of the sortable grid's rows, apart from any widget: the sort styles, the
// comparison of two cell texts, the multi-key stable sort of a table and the detection of a
// column's style. The grid and the competition model sort with the same rules, so the
// protocol's ranking is the same whichever of them orders it.
#include <QChar>
#include <QList>
#include <QLocale>
#include <QString>
#include <QStringList>
#include <QStringView>
#include <QVector>

#include <functional>

enum TSortStyle {
    ssAutomatic,
    ssNormal,
    ssNumeric,
    ssNumericExtended,
    ssDateTime,
    ssTime,
    ssCustom
};
enum TSortDirection { sdAscending, sdDescending };

// Negative when the first text sorts first.
using TSortCompare = std::function<int(const QString&, const QString&)>;

struct TSortOptions {
    bool CanSort = true;
    QString SecondaryIndex = QStringLiteral("0"); // comma- or blank-separated column numbers
    TSortStyle SortStyle = ssAutomatic;           // overwritten by every sort with the style used
    bool SortCaseSensitive = false;
    int SortCol = 0;
    TSortDirection SortDirection = sdAscending;
    bool UpdateOnSizeChange = false;
    TSortCompare SortCompare; // for ssCustom; cleared after every sort
};

// One key cell of a sort: its text and the working row it came from.
struct TSortedListEntry {
    QString Text;
    int Row = 0;
    const TSortOptions* Options = nullptr;
};

using TGetSortStyle = std::function<void(int ACol, TSortStyle& style)>;

// The conversions of the numeric, date and time styles in the default locale as it was when
// the converter was made. Making one reads the locale's formats, so a sort makes one, not one
// per cell.
class TSortConverter {
public:
    TSortConverter();
    bool Number(const QString& s, double& v) const;
    bool Time(QStringView s, double& v) const;
    bool Date(QStringView s, double& days) const;
    bool DateTime(const QString& text, double& v) const; // a bare time of day is accepted too

private:
    QLocale m_number;
    QChar m_dateSep;
    QList<char> m_order;
    QChar m_timeSep;
    QString m_am, m_pm;
};

// Lower case of the letters A to Z only.
QString AsciiLower(const QString& s);
// Conversions in the current default locale (QLocale()); false when the text is not one.
bool TextToNumber(const QString& s, double& value);
bool TextToTime(const QString& s, double& dayFraction);
bool TextToDateTime(const QString& s, double& days); // a bare time of day is accepted too
// Steps 1 and 2 of an entry comparison: case folding and the style's order.
// Unconvertible numbers, dates and times fall back to the ordinal order for that pair.
int CompareSortTexts(const QString& a, const QString& b, TSortStyle style, bool caseSensitive,
                     const TSortCompare& custom = {});
// The full comparison of two entries: direction applied, ties broken by row (never inverted).
int CompareSortEntries(const TSortedListEntry& a, const TSortedListEntry& b);
// ssNumeric, ssDateTime, ssTime when every text converts (in that order of preference),
// else ssNormal.
TSortStyle DetectSortStyle(const QStringList& texts);
// The key columns of a sort: primary first, then the secondary entries that name an
// existing column other than the primary.
QList<int> SortKeyColumns(const QString& secondaryIndex, int primary, int colCount);
// Orders the data rows (1 .. size-1) of a table by the keys, least significant key first,
// each pass stable. Returns the table index of the row for each new position 1 .. size-1.
// Updates options.SortStyle as a sort does.
QVector<int> SortRowOrder(const QVector<QStringList>& table, const QList<int>& keys,
                          TSortOptions& options, const TGetSortStyle& getStyle = {});
