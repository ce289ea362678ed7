#pragma once
// The grid base: a matrix of texts shown in a scroll area that paints only the
// cells in view (no widget per cell), with fixed title rows, a current cell,
// keyboard and mouse navigation, column sizing and an in-place editor.
//
// Coordinates taken or returned by MouseToCell and CellRect are viewport
// coordinates (the area inside the frame and scroll bars).
#include <QAbstractScrollArea>
#include <QRect>
#include <QStringList>
#include <QVector>

#include <functional>

class QLineEdit;
class QPainter;

enum TGridOption : unsigned {
    goFixedVertLine = 1,
    goFixedHorzLine = 2,
    goVertLine = 4,
    goHorzLine = 8,
    goRangeSelect = 16,
    goDrawFocusSelected = 32,
    goRowSizing = 64,
    goColSizing = 128,
    goRowMoving = 256,
    goColMoving = 512,
    goEditing = 1024,
    goTabs = 2048,
    goRowSelect = 4096,
    goAlwaysShowEditor = 8192,
    goThumbTracking = 16384
};
using TGridOptions = unsigned;

enum TGridDrawStateFlag : unsigned { gdSelected = 1, gdFocused = 2, gdFixed = 4 };
using TGridDrawState = unsigned;

class TMyStringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    // The in-place cell editor, for owners that must see its keys first.
    QLineEdit* InplaceEditor() const { return m_editor; }
    explicit TMyStringGrid(QWidget* parent = nullptr);
    ~TMyStringGrid() override;

    // The text matrix. Reads outside it give "", writes outside it are ignored.
    QString Cells(int ACol, int ARow) const;
    void setCells(int ACol, int ARow, const QString& s);
    QStringList Rows(int ARow) const;          // always ColCount entries inside the matrix
    void setRows(int ARow, QStringList cells); // taken as given when it has ColCount texts

    int ColCount() const { return int(m_colWidths.size()); }
    void setColCount(int n);
    int RowCount() const { return int(m_cells.size()); }
    void setRowCount(int n); // never below FixedRows + 1
    int FixedRows() const { return m_fixedRows; }
    void setFixedRows(int n);

    // -1 hides a column completely, its grid line included.
    int ColWidths(int ACol) const;
    void setColWidths(int ACol, int w);
    int DefaultColWidth() const { return m_defaultColWidth; }
    void setDefaultColWidth(int w); // resets every column to the new width
    int DefaultRowHeight() const { return m_defaultRowHeight; }
    void setDefaultRowHeight(int h); // resets every row to the new height
    int RowHeights(int ARow) const;
    void setRowHeights(int ARow, int h);
    int GridLineWidth() const { return m_gridLineWidth; }
    void setGridLineWidth(int w);

    // The current cell. Program changes do not ask OnSelectCell.
    int Col() const { return m_col; }
    int Row() const { return m_row; }
    void setCol(int c);
    void setRow(int r);
    void SelectRow(int ARow);
    // Selected block: left/right are columns, top/bottom rows.
    QRect Selection() const { return m_selection; }

    int TopRow() const { return m_topRow; }
    void setTopRow(int r);

    TGridOptions Options() const { return m_options; }
    void setOptions(TGridOptions o);

    virtual void DeleteRow(int ARow);
    void MoveRow(int from, int to);

    int ClientWidth() const;
    void MouseToCell(QPoint p, int& ACol, int& ARow) const;
    QRect CellRect(int ACol, int ARow) const; // empty for cells out of view
    bool NowUpdating() const { return m_updating; }
    bool EditorMode() const;
    // Whether the in-place editor is open on this cell.
    bool EditingCell(int ACol, int ARow) const { return m_editCol == ACol && m_editRow == ARow; }

    std::function<void(int ACol, int ARow, bool& CanSelect)> OnSelectCell;
    std::function<void()> OnDblClick;
    // The data row under the last double click; -1 when it hit the titles or no row at all.
    int DblClickRow() const { return m_dblClickRow; }
    std::function<void(QPainter& p, int ACol, int ARow, const QRect& r, TGridDrawState s)>
        OnDrawCell;

    QSize sizeHint() const override;

protected:
    // Hooks for the derived grid.
    virtual bool SelectCell(int ACol, int ARow);   // asked before a user move
    virtual void CellSelected(int ACol, int ARow); // after an accepted user move
    virtual void DrawCell(QPainter& p, int ACol, int ARow, const QRect& r, TGridDrawState s);
    virtual void HeaderClicked(int ACol, Qt::MouseButton button);
    virtual void RightButtonReleased(int ACol, int ARow, QPoint globalPos);
    virtual bool CanEditCell(int ACol, int ARow);
    virtual void SetEditText(int ACol, int ARow, const QString& value);

    // Colours of a cell before the owner's format: title, selection or plain.
    void DefaultCellColours(TGridDrawState s, QColor& background, QColor& text) const;
    TGridDrawState CellDrawState(int ACol, int ARow) const;

    // Between these the grid neither repaints nor takes input; the end refreshes once.
    void StartUpdating();
    void StopUpdating();

    const QVector<QStringList>& RowData() const { return m_cells; }
    // Replaces the data rows in a new order: row j + 1 takes old row order[j].
    void ReorderDataRows(const QVector<int>& order);
    void InsertEmptyRow(int ARow);
    void CommitEditor();
    void HideEditor(bool commit);
    // The text the edited cell held when the editor opened.
    const QString& EditStartText() const { return m_editStartText; }

    bool viewportEvent(QEvent* e) override;
    bool event(QEvent* e) override;
    bool eventFilter(QObject* o, QEvent* e) override;
    void paintEvent(QPaintEvent* e) override;
    void resizeEvent(QResizeEvent* e) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;
    void mouseMoveEvent(QMouseEvent* e) override;
    void mouseReleaseEvent(QMouseEvent* e) override;
    void mouseDoubleClickEvent(QMouseEvent* e) override;
    void focusInEvent(QFocusEvent* e) override;
    void focusOutEvent(QFocusEvent* e) override;

private:
    int ColX(int ACol) const; // content x of a column's left edge (no scroll)
    int TotalWidth() const;
    int MaxTopRow() const;
    void UpdateScrollBars();
    void ScrollIntoView(int ACol, int ARow);
    void UserMoveTo(int ACol, int ARow, bool extend);
    void SetSelectionTo(int ACol, int ARow, bool extend);
    int ColumnBorderAt(int x) const; // column whose right border is at x, else -1
    void ShowEditor(const QString* initialText);
    void PlaceEditor();
    void RepaintCell(int ACol, int ARow);
    void ClampCurrent();
    int NextVisibleCol(int from, int step) const;

    QVector<QStringList> m_cells; // row-major; a row may be shorter than ColCount
    QVector<int> m_colWidths;
    QVector<int> m_rowHeights;
    int m_fixedRows = 1;
    int m_defaultColWidth = 64;
    int m_defaultRowHeight = 24;
    int m_gridLineWidth = 1;
    int m_col = 0;
    int m_row = 1;
    int m_topRow = 1;
    QRect m_selection;
    QPoint m_anchor;
    TGridOptions m_options =
        goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goRangeSelect;
    bool m_updating = false;

    // mouse state
    int m_sizingCol = -1;
    int m_sizingStartX = 0;
    int m_sizingStartWidth = 0;
    int m_pressedHeaderCol = -1;
    Qt::MouseButton m_pressedButton = Qt::NoButton;
    bool m_dragSelecting = false;

    QLineEdit* m_editor = nullptr;
    int m_editCol = -1;
    int m_editRow = -1;
    QString m_editStartText;
    int m_dblClickRow = -1;
};
