#pragma once
// The sortable string grid: sorts its data rows by a primary column with
// further tie-break columns, picks a comparison per column, lets its owner
// format every cell, and tells the owner when a row is selected.
//
// Row 0 is the title row: it is drawn as the fixed header, a click on it asks
// for a sort, and it never moves when the rows are sorted.
#include "widgets/MyGrids.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QList>
#include <QString>
#include <QStringList>
#include <QVector>

#include <functional>

class QMenu;

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
enum TCellBevelStyle { cbNone, cbRaised, cbLowered };
enum TPrintRange { prAll, prSelected };

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

// Kept for the owner's benefit; the grid itself does not print.
struct TPrintOptions {
    QString JobTitle, PageTitle;
    int Copies = 1;
    TPrintRange PrintRange = prAll;
    int FromRow = 0;
    int ToRow = 0;
    int PreviewPage = 0;
};

struct TFormatOptions {
    QColor BrushColor; // cell background
    QFont Font;
    QColor FontColor;
    Qt::Alignment AlignmentHorz = Qt::AlignLeft;
    Qt::Alignment AlignmentVert = Qt::AlignVCenter;
    TCellBevelStyle Bevel = cbNone;
    QColor HighlightColor, ShadowColor;
    bool HideText = false;
};

// One key cell of a sort: its text and the working row it came from.
struct TSortedListEntry {
    QString Text;
    int Row = 0;
    const TSortOptions* Options = nullptr;
};

using TGetSortStyle = std::function<void(int ACol, TSortStyle& style)>;

// ---- What needs no widget: conversions, comparison, the multi-key sort, the title cut.

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
// Sorts the rows of the table in place (row 0 stays) by column col and options.SecondaryIndex.
void SortRowTable(QVector<QStringList>& table, int col, TSortOptions& options,
                  const TGetSortStyle& getStyle = {});
// A title cut to fit maxWidth pixels: ends in ".." and keeps at least four characters.
QString CutHeaderText(const QString& text, int maxWidth, const QFontMetrics& fm);

class TSortGrid : public TMyStringGrid {
    Q_OBJECT
public:
    explicit TSortGrid(QWidget* parent = nullptr);
    ~TSortGrid() override;

    TSortOptions SortOptions;
    TPrintOptions PrintOptions;

    void SortByColumn(int ACol);
    int FindInColumn(int ACol, const QString& s, bool IgnoreCase) const;
    int InsertRow(int ARow);
    void DeleteRow(int ARow) override;
    bool SaveToFile(const QString& fileName);
    void BeginUpdate();
    void EndUpdate();
    bool Modified() const { return m_modified; }
    void setModified(bool m);
    QStringList SelectedRows() const;
    bool Sorting() const { return m_sorting; }

    // Defaults of every cell's format.
    Qt::Alignment AlignmentHorz() const { return m_alignHorz; }
    void setAlignmentHorz(Qt::Alignment a);
    Qt::Alignment AlignmentVert() const { return m_alignVert; }
    void setAlignmentVert(Qt::Alignment a);
    TCellBevelStyle BevelStyle() const { return m_bevel; }
    void setBevelStyle(TCellBevelStyle b);

    QMenu* PopupMenu = nullptr;
    std::function<void()> OnModified, OnRowSelected, OnBeginUpdate, OnEndUpdate;
    std::function<void(int ARow)> OnRowInsert;
    std::function<void(int ACol)> OnBeginSort, OnEndSort;
    std::function<void(int ACol, TSortStyle& style)> OnGetSortStyle;
    std::function<void(int ACol, int ARow, TGridDrawState s, TFormatOptions& f, bool& CheckBox,
                       bool& Combobox, bool& Ellipsis)>
        OnGetCellFormat;
    std::function<void(const QString& text)> ShowError;

protected:
    void CellSelected(int ACol, int ARow) override;
    void DrawCell(QPainter& p, int ACol, int ARow, const QRect& r, TGridDrawState s) override;
    void HeaderClicked(int ACol, Qt::MouseButton button) override;
    void RightButtonReleased(int ACol, int ARow, QPoint globalPos) override;
    bool CanEditCell(int ACol, int ARow) override;
    void SetEditText(int ACol, int ARow, const QString& value) override;

private:
    TFormatOptions DefaultFormat(TGridDrawState s) const;

    bool m_modified = false;
    bool m_sorting = false;
    int m_updateDepth = 0;
    bool m_savedUpdateOnSizeChange = false;
    Qt::Alignment m_alignHorz = Qt::AlignLeft;
    Qt::Alignment m_alignVert = Qt::AlignVCenter;
    TCellBevelStyle m_bevel = cbNone;
};
