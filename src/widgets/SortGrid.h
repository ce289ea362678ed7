#pragma once
// The sortable string grid: sorts its data rows by a primary column with
// further tie-break columns, picks a comparison per column, lets its owner
// format every cell, and tells the owner when a row is selected.
//
// Row 0 is the title row: it is drawn as the fixed header, a click on it asks
// for a sort, and it never moves when the rows are sorted.
#include "core/SortOrder.h"
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

enum TCellBevelStyle { cbNone, cbRaised, cbLowered };
enum TPrintRange { prAll, prSelected };

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

// ---- What needs the font: the title cut. The rest of the sort order lives in
// core/SortOrder.h, which needs no widget.

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
    // Closes the in-place editor without storing its text when it is open on this cell (any
    // cell for -1, -1): what the program writes there wins over what the editor still shows.
    void DiscardEdit(int ACol = -1, int ARow = -1);

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
    // A shorter form of a data cell's text for when the whole does not fit its column (a
    // date's year); empty: the text is cut. A cut or shortened text shows whole as the cell's
    // tooltip.
    std::function<QString(int ACol, int ARow, const QString& text)> OnShortText;
    std::function<void(const QString& text)> ShowError;
    // When set, an edited text goes here instead of into the cell, with the text the cell held
    // when the editor opened; the owner writes the cell (or refuses) itself.
    std::function<void(int ACol, int ARow, const QString& text, const QString& before)>
        OnEditCommit;

protected:
    void CellSelected(int ACol, int ARow) override;
    bool viewportEvent(QEvent* e) override;
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
