#include "widgets/MyGrids.h"

#include <QApplication>
#include <QFocusEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include <algorithm>
#include <utility>

namespace {
// How close (pixels) the mouse must be to a column border to grab it.
constexpr int kBorderGrip = 3;
// Texts longer than this are cut for display only: no cell is that wide, and
// measuring a huge text on every repaint would make scrolling sluggish.
constexpr int kMaxDrawnChars = 1000;
// Bounds that keep sizes and pixel sums far from overflow and memory exhaustion.
constexpr int kMaxExtent = 100000;
constexpr int kMaxRows = 10000000;
constexpr int kMaxCols = 10000;

bool IsInputEvent(QEvent::Type t) {
    switch (t) {
    case QEvent::MouseButtonPress:
    case QEvent::MouseButtonRelease:
    case QEvent::MouseButtonDblClick:
    case QEvent::MouseMove:
    case QEvent::Wheel:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
    case QEvent::ContextMenu:
        return true;
    default:
        return false;
    }
}
} // namespace

TMyStringGrid::TMyStringGrid(QWidget* parent) : QAbstractScrollArea(parent) {
    m_colWidths.fill(m_defaultColWidth, 5);
    m_cells.resize(5);
    m_rowHeights.fill(m_defaultRowHeight, 5);
    m_selection = QRect(QPoint(m_col, m_row), QPoint(m_col, m_row));
    m_anchor = QPoint(m_col, m_row);

    setFocusPolicy(Qt::StrongFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);
    verticalScrollBar()->setSingleStep(1);
    horizontalScrollBar()->setSingleStep(20);
    verticalScrollBar()->setTracking(false);

    m_editor = new QLineEdit(viewport());
    m_editor->setFrame(false);
    m_editor->hide();
    m_editor->installEventFilter(this);
    UpdateScrollBars();
}

TMyStringGrid::~TMyStringGrid() {
    // The editor goes with the viewport, after this part of the grid is gone.
    m_editor->removeEventFilter(this);
}

// ---------------------------------------------------------------- the matrix

QString TMyStringGrid::Cells(int ACol, int ARow) const {
    if (ARow < 0 || ARow >= RowCount() || ACol < 0 || ACol >= ColCount()) return QString();
    const QStringList& row = m_cells[ARow];
    return ACol < row.size() ? row[ACol] : QString();
}

void TMyStringGrid::setCells(int ACol, int ARow, const QString& s) {
    if (ARow < 0 || ARow >= RowCount() || ACol < 0 || ACol >= ColCount()) return;
    QStringList& row = m_cells[ARow];
    if (ACol >= row.size()) {
        if (s.isEmpty()) return;
        row.resize(ACol + 1);
    }
    row[ACol] = s;
    if (!m_updating) RepaintCell(ACol, ARow);
}

QStringList TMyStringGrid::Rows(int ARow) const {
    if (ARow < 0 || ARow >= RowCount()) return QStringList();
    QStringList row = m_cells[ARow];
    row.resize(ColCount());
    return row;
}

void TMyStringGrid::setRows(int ARow, QStringList cells) {
    if (ARow < 0 || ARow >= RowCount()) return;
    // Resizing a list shared with the caller copies it: only a list of the wrong length is.
    if (cells.size() != ColCount()) cells.resize(ColCount());
    m_cells[ARow] = std::move(cells);
    if (!m_updating) viewport()->update();
}

void TMyStringGrid::setColCount(int n) {
    n = std::clamp(n, 1, kMaxCols);
    if (n == ColCount()) return;
    HideEditor(true);
    if (n < ColCount()) {
        for (QStringList& row : m_cells)
            if (row.size() > n) row.resize(n);
    }
    m_colWidths.resize(n, m_defaultColWidth);
    ClampCurrent();
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

void TMyStringGrid::setRowCount(int n) {
    n = std::clamp(n, m_fixedRows + 1, kMaxRows);
    if (n == RowCount()) return;
    HideEditor(true);
    m_cells.resize(n);
    m_rowHeights.resize(n, m_defaultRowHeight);
    ClampCurrent();
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

void TMyStringGrid::setFixedRows(int n) {
    n = std::clamp(n, 0, RowCount() - 1);
    if (n == m_fixedRows) return;
    m_fixedRows = n;
    ClampCurrent();
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

int TMyStringGrid::ColWidths(int ACol) const {
    return ACol >= 0 && ACol < ColCount() ? m_colWidths[ACol] : 0;
}

void TMyStringGrid::setColWidths(int ACol, int w) {
    if (ACol < 0 || ACol >= ColCount()) return;
    w = std::clamp(w, -1, kMaxExtent);
    if (m_colWidths[ACol] == w) return;
    m_colWidths[ACol] = w;
    if (!m_updating) {
        UpdateScrollBars();
        PlaceEditor();
        viewport()->update();
    }
}

void TMyStringGrid::setDefaultColWidth(int w) {
    w = std::clamp(w, 0, kMaxExtent);
    m_defaultColWidth = w;
    m_colWidths.fill(w);
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

void TMyStringGrid::setDefaultRowHeight(int h) {
    h = std::clamp(h, 0, kMaxExtent);
    m_defaultRowHeight = h;
    m_rowHeights.fill(h);
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

int TMyStringGrid::RowHeights(int ARow) const {
    return ARow >= 0 && ARow < RowCount() ? m_rowHeights[ARow] : 0;
}

void TMyStringGrid::setRowHeights(int ARow, int h) {
    if (ARow < 0 || ARow >= RowCount()) return;
    h = std::clamp(h, -1, kMaxExtent);
    if (m_rowHeights[ARow] == h) return;
    m_rowHeights[ARow] = h;
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

void TMyStringGrid::setGridLineWidth(int w) {
    w = std::clamp(w, 0, 16);
    if (w == m_gridLineWidth) return;
    m_gridLineWidth = w;
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

// ---------------------------------------------------------- current cell

void TMyStringGrid::ClampCurrent() {
    const int firstData = std::min(m_fixedRows, RowCount() - 1);
    m_row = std::clamp(m_row, firstData, RowCount() - 1);
    m_col = std::clamp(m_col, 0, ColCount() - 1);
    m_topRow = std::clamp(m_topRow, m_fixedRows, std::max(m_fixedRows, RowCount() - 1));
    m_anchor = QPoint(std::clamp(m_anchor.x(), 0, ColCount() - 1),
                      std::clamp(m_anchor.y(), firstData, RowCount() - 1));
    QRect sel = m_selection.normalized();
    sel.setLeft(std::clamp(sel.left(), 0, ColCount() - 1));
    sel.setRight(std::clamp(sel.right(), 0, ColCount() - 1));
    sel.setTop(std::clamp(sel.top(), firstData, RowCount() - 1));
    sel.setBottom(std::clamp(sel.bottom(), firstData, RowCount() - 1));
    if (!sel.contains(m_col, m_row)) sel = QRect(m_col, m_row, 1, 1);
    if (m_options & goRowSelect) {
        sel.setLeft(0);
        sel.setRight(ColCount() - 1);
    }
    m_selection = sel;
}

void TMyStringGrid::setCol(int c) {
    if (c < 0 || c >= ColCount()) return;
    HideEditor(true);
    m_col = c;
    SetSelectionTo(m_col, m_row, false);
    ScrollIntoView(m_col, m_row);
    if (!m_updating) viewport()->update();
}

void TMyStringGrid::setRow(int r) {
    if (r < m_fixedRows || r >= RowCount()) return;
    HideEditor(true);
    m_row = r;
    SetSelectionTo(m_col, m_row, false);
    ScrollIntoView(m_col, m_row);
    if (!m_updating) viewport()->update();
}

void TMyStringGrid::SelectRow(int ARow) {
    if (ARow < m_fixedRows || ARow >= RowCount()) return;
    HideEditor(true);
    m_row = ARow;
    m_anchor = QPoint(m_col, ARow);
    m_selection = QRect(QPoint(0, ARow), QPoint(ColCount() - 1, ARow));
    ScrollIntoView(m_col, m_row);
    if (!m_updating) viewport()->update();
}

void TMyStringGrid::SetSelectionTo(int ACol, int ARow, bool extend) {
    if (!extend || !(m_options & goRangeSelect)) m_anchor = QPoint(ACol, ARow);
    m_selection = QRect(m_anchor, QPoint(ACol, ARow)).normalized();
    if (m_options & goRowSelect) {
        m_selection.setLeft(0);
        m_selection.setRight(ColCount() - 1);
    }
}

void TMyStringGrid::setTopRow(int r) {
    r = std::clamp(r, m_fixedRows, std::max(m_fixedRows, MaxTopRow()));
    if (r == m_topRow) return;
    m_topRow = r;
    if (!m_updating) {
        UpdateScrollBars();
        PlaceEditor();
        viewport()->update();
    }
}

void TMyStringGrid::setOptions(TGridOptions o) {
    if (o == m_options) return;
    m_options = o;
    if (!(o & goEditing) || (o & goRowSelect)) HideEditor(true);
    verticalScrollBar()->setTracking(o & goThumbTracking);
    horizontalScrollBar()->setTracking(o & goThumbTracking);
    SetSelectionTo(m_col, m_row, false);
    if (!m_updating) viewport()->update();
    if ((o & goEditing) && (o & goAlwaysShowEditor) && hasFocus()) ShowEditor(nullptr);
}

// ------------------------------------------------------------ row editing

void TMyStringGrid::DeleteRow(int ARow) {
    if (ARow < m_fixedRows || ARow >= RowCount()) return;
    HideEditor(true);
    if (RowCount() <= m_fixedRows + 1) {
        m_cells[ARow] = QStringList();
    } else {
        m_cells.remove(ARow);
        m_rowHeights.remove(ARow);
        if (m_row > ARow) --m_row;
    }
    ClampCurrent();
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

void TMyStringGrid::MoveRow(int from, int to) {
    if (from < 0 || from >= RowCount() || to < 0 || to >= RowCount() || from == to) return;
    HideEditor(true);
    m_cells.move(from, to);
    m_rowHeights.move(from, to);
    if (!m_updating) viewport()->update();
}

void TMyStringGrid::InsertEmptyRow(int ARow) {
    ARow = std::clamp(ARow, 0, RowCount());
    HideEditor(true);
    m_cells.insert(ARow, QStringList());
    m_rowHeights.insert(ARow, m_defaultRowHeight);
    if (!m_updating) {
        UpdateScrollBars();
        viewport()->update();
    }
}

void TMyStringGrid::ReorderDataRows(const QVector<int>& order) {
    if (order.size() != RowCount() - 1) return;
    HideEditor(true);
    QVector<QStringList> rows;
    rows.reserve(RowCount());
    rows.append(m_cells[0]);
    for (int from : order)
        rows.append(m_cells[from]);
    m_cells.swap(rows);
    if (!m_updating) viewport()->update();
}

// ------------------------------------------------------------- geometry

int TMyStringGrid::ClientWidth() const {
    return viewport()->width();
}

int TMyStringGrid::ColX(int ACol) const {
    int x = 0;
    for (int c = 0; c < ACol && c < ColCount(); ++c)
        if (m_colWidths[c] >= 0) x += m_colWidths[c] + m_gridLineWidth;
    return x;
}

int TMyStringGrid::TotalWidth() const {
    return ColX(ColCount());
}

int TMyStringGrid::MaxTopRow() const {
    int avail = viewport()->height();
    for (int r = 0; r < m_fixedRows && r < RowCount(); ++r)
        if (m_rowHeights[r] >= 0) avail -= m_rowHeights[r] + m_gridLineWidth;
    int top = RowCount() - 1;
    int used = 0;
    for (int r = RowCount() - 1; r >= m_fixedRows; --r) {
        if (m_rowHeights[r] < 0) {
            top = r;
            continue;
        }
        used += m_rowHeights[r] + m_gridLineWidth;
        if (used > avail) break;
        top = r;
    }
    return std::max(m_fixedRows, top);
}

void TMyStringGrid::UpdateScrollBars() {
    if (m_updating) return;
    QScrollBar* v = verticalScrollBar();
    const int maxTop = MaxTopRow();
    // Kept aside: narrowing the range may move the bar, which moves m_topRow.
    const int top = std::clamp(m_topRow, m_fixedRows, maxTop);
    const int page = std::max(1, viewport()->height() / std::max(1, m_defaultRowHeight + 1));
    v->setRange(0, maxTop - m_fixedRows);
    v->setPageStep(page);
    v->setValue(top - m_fixedRows);
    m_topRow = top;

    QScrollBar* h = horizontalScrollBar();
    h->setRange(0, std::max(0, TotalWidth() - viewport()->width()));
    h->setPageStep(std::max(1, viewport()->width()));
}

QRect TMyStringGrid::CellRect(int ACol, int ARow) const {
    if (ACol < 0 || ACol >= ColCount() || ARow < 0 || ARow >= RowCount()) return QRect();
    const int w = m_colWidths[ACol];
    const int h = m_rowHeights[ARow];
    if (w < 0 || h < 0) return QRect();
    const int x = ColX(ACol) - horizontalScrollBar()->value();
    int y = 0;
    const int vh = viewport()->height();
    if (ARow < m_fixedRows) {
        for (int r = 0; r < ARow; ++r)
            if (m_rowHeights[r] >= 0) y += m_rowHeights[r] + m_gridLineWidth;
    } else {
        if (ARow < m_topRow) return QRect();
        for (int r = 0; r < m_fixedRows; ++r)
            if (m_rowHeights[r] >= 0) y += m_rowHeights[r] + m_gridLineWidth;
        for (int r = m_topRow; r < ARow; ++r) {
            if (m_rowHeights[r] >= 0) y += m_rowHeights[r] + m_gridLineWidth;
            if (y >= vh) return QRect();
        }
    }
    if (y >= vh || x >= viewport()->width() || x + w < 0) return QRect();
    return QRect(x, y, w, h);
}

void TMyStringGrid::MouseToCell(QPoint p, int& ACol, int& ARow) const {
    ACol = -1;
    ARow = -1;
    if (p.x() < 0 || p.y() < 0) return;
    const int cx = p.x() + horizontalScrollBar()->value();
    int x = 0;
    for (int c = 0; c < ColCount(); ++c) {
        if (m_colWidths[c] < 0) continue;
        x += m_colWidths[c] + m_gridLineWidth;
        if (cx < x) {
            ACol = c;
            break;
        }
    }
    int y = 0;
    auto probe = [&](int r) {
        if (m_rowHeights[r] < 0) return false;
        y += m_rowHeights[r] + m_gridLineWidth;
        return p.y() < y;
    };
    for (int r = 0; r < m_fixedRows; ++r)
        if (probe(r)) {
            ARow = r;
            break;
        }
    if (ARow < 0)
        for (int r = m_topRow; r < RowCount() && y <= p.y(); ++r)
            if (probe(r)) {
                ARow = r;
                break;
            }
    if (ACol < 0 || ARow < 0) {
        ACol = -1;
        ARow = -1;
    }
}

int TMyStringGrid::ColumnBorderAt(int x) const {
    const int off = horizontalScrollBar()->value();
    int best = -1;
    int bestDist = kBorderGrip + 1;
    int right = -off;
    for (int c = 0; c < ColCount(); ++c) {
        if (m_colWidths[c] < 0) continue;
        right += m_colWidths[c];
        const int dist = std::abs(x - right);
        if (dist <= bestDist) {
            best = c;
            bestDist = dist;
        }
        right += m_gridLineWidth;
    }
    return best;
}

void TMyStringGrid::ScrollIntoView(int ACol, int ARow) {
    if (ARow >= m_fixedRows && ARow < RowCount()) {
        int top = m_topRow;
        if (ARow < top) {
            top = ARow;
        } else {
            int avail = viewport()->height();
            for (int r = 0; r < m_fixedRows; ++r)
                if (m_rowHeights[r] >= 0) avail -= m_rowHeights[r] + m_gridLineWidth;
            // Walk back from the row until the rows above it no longer fit.
            int used = 0;
            int first = ARow;
            for (int r = ARow; r >= m_fixedRows; --r) {
                const int h = m_rowHeights[r] < 0 ? 0 : m_rowHeights[r] + m_gridLineWidth;
                if (used + h > avail && r != ARow) break;
                used += h;
                first = r;
            }
            top = std::max(top, first);
        }
        if (top != m_topRow) {
            m_topRow = top;
            if (!m_updating) {
                UpdateScrollBars();
                viewport()->update();
            }
        }
    }
    if (ACol >= 0 && ACol < ColCount() && m_colWidths[ACol] >= 0 && !m_updating) {
        QScrollBar* h = horizontalScrollBar();
        h->setRange(0, std::max(0, TotalWidth() - viewport()->width()));
        const int x = ColX(ACol);
        const int w = m_colWidths[ACol];
        if (x + w > h->value() + viewport()->width()) h->setValue(x + w - viewport()->width());
        if (x < h->value()) h->setValue(x);
    }
}

void TMyStringGrid::RepaintCell(int ACol, int ARow) {
    const QRect r = CellRect(ACol, ARow);
    if (!r.isEmpty()) viewport()->update(r);
}

QSize TMyStringGrid::sizeHint() const {
    return QSize(400, 300);
}

// -------------------------------------------------------------- updating

void TMyStringGrid::StartUpdating() {
    if (m_updating) return;
    HideEditor(true);
    m_updating = true;
    setUpdatesEnabled(false);
}

void TMyStringGrid::StopUpdating() {
    if (!m_updating) return;
    m_updating = false;
    ClampCurrent();
    UpdateScrollBars();
    setUpdatesEnabled(true);
    viewport()->update();
}

// --------------------------------------------------------------- painting

TGridDrawState TMyStringGrid::CellDrawState(int ACol, int ARow) const {
    if (ARow < m_fixedRows) return gdFixed;
    TGridDrawState s = 0;
    if (m_selection.contains(ACol, ARow)) s |= gdSelected;
    if (ACol == m_col && ARow == m_row && (hasFocus() || m_editor->hasFocus())) s |= gdFocused;
    return s;
}

void TMyStringGrid::DefaultCellColours(TGridDrawState s, QColor& background, QColor& text) const {
    const QPalette& pal = palette();
    if (s & gdFixed) {
        background = pal.color(QPalette::Button);
        text = pal.color(QPalette::ButtonText);
    } else if ((s & gdSelected) &&
               (!(s & gdFocused) || (m_options & (goDrawFocusSelected | goRowSelect)))) {
        background = pal.color(QPalette::Highlight);
        text = pal.color(QPalette::HighlightedText);
    } else {
        background = pal.color(QPalette::Base);
        text = pal.color(QPalette::Text);
    }
}

void TMyStringGrid::DrawCell(QPainter& p, int ACol, int ARow, const QRect& r, TGridDrawState s) {
    QColor bg, fg;
    DefaultCellColours(s, bg, fg);
    p.fillRect(r, bg);
    if (!m_updating || ARow < m_fixedRows) {
        const QString text = Cells(ACol, ARow).left(kMaxDrawnChars);
        if (!text.isEmpty()) {
            const QFontMetrics fm = p.fontMetrics();
            p.save();
            p.setClipRect(r);
            p.setPen(fg);
            p.drawText(QPoint(r.left() + 2, r.top() + (r.height() - fm.height()) / 2 + fm.ascent()),
                       text);
            p.restore();
        }
    }
    if (OnDrawCell) OnDrawCell(p, ACol, ARow, r, s);
}

void TMyStringGrid::paintEvent(QPaintEvent* e) {
    QPainter p(viewport());
    const QRect area = e->rect();
    const QPalette& pal = palette();
    p.fillRect(area, pal.color(QPalette::Base));
    p.setFont(font());

    const QColor dataLine = pal.color(QPalette::Midlight);
    const QColor fixedLine = pal.color(QPalette::Dark);
    const int xOff = horizontalScrollBar()->value();
    const int vw = viewport()->width();
    const int vh = viewport()->height();
    const int lw = m_gridLineWidth;

    // Visible columns and their x positions, computed once for all rows.
    QVector<QPair<int, int>> cols; // (column, x)
    int x = -xOff;
    for (int c = 0; c < ColCount() && x < vw; ++c) {
        const int w = m_colWidths[c];
        if (w < 0) continue;
        if (x + w + lw > 0) cols.append({c, x});
        x += w + lw;
    }
    const int rightEdge = x;

    auto paintRow = [&](int r, int y) {
        const int h = m_rowHeights[r];
        const QRect band(0, y, vw, h + lw);
        if (!band.intersects(area)) return;
        const bool fixed = r < m_fixedRows;
        const bool vLine = m_options & (fixed ? goFixedVertLine : goVertLine);
        const bool hLine = m_options & (fixed ? goFixedHorzLine : goHorzLine);
        const QColor& lineColour = fixed ? fixedLine : dataLine;
        for (const auto& [c, cx] : cols) {
            const int w = m_colWidths[c];
            const QRect cell(cx, y, w, h);
            if (w > 0 && h > 0 && cell.intersects(area)) {
                const TGridDrawState s = CellDrawState(c, r);
                DrawCell(p, c, r, cell, s);
                if ((s & gdFocused) && !(m_options & goRowSelect) && !m_editor->isVisible()) {
                    p.save();
                    p.setPen(QPen(pal.color(QPalette::Text), 1, Qt::DotLine));
                    p.setBrush(Qt::NoBrush);
                    p.drawRect(cell.adjusted(0, 0, -1, -1));
                    p.restore();
                }
            }
            if (lw > 0) {
                p.fillRect(QRect(cx + w, y, lw, h + lw),
                           vLine ? lineColour : pal.color(QPalette::Base));
                p.fillRect(QRect(cx, y + h, w, lw), hLine ? lineColour : pal.color(QPalette::Base));
            }
        }
        Q_UNUSED(rightEdge);
    };

    int y = 0;
    for (int r = 0; r < m_fixedRows && r < RowCount() && y < vh; ++r) {
        if (m_rowHeights[r] < 0) continue;
        paintRow(r, y);
        y += m_rowHeights[r] + lw;
    }
    for (int r = m_topRow; r < RowCount() && y < vh; ++r) {
        if (m_rowHeights[r] < 0) continue;
        paintRow(r, y);
        y += m_rowHeights[r] + lw;
    }
}

// ----------------------------------------------------------------- events

bool TMyStringGrid::viewportEvent(QEvent* e) {
    if (m_updating && IsInputEvent(e->type())) return true;
    return QAbstractScrollArea::viewportEvent(e);
}

bool TMyStringGrid::event(QEvent* e) {
    if (m_updating && IsInputEvent(e->type())) return true;
    if (e->type() == QEvent::KeyPress && (m_options & goTabs)) {
        // Tab moves between cells here instead of leaving the grid.
        auto* k = static_cast<QKeyEvent*>(e);
        if (k->key() == Qt::Key_Tab || k->key() == Qt::Key_Backtab) {
            keyPressEvent(k);
            return true;
        }
    }
    return QAbstractScrollArea::event(e);
}

void TMyStringGrid::resizeEvent(QResizeEvent* e) {
    QAbstractScrollArea::resizeEvent(e);
    UpdateScrollBars();
    PlaceEditor();
}

void TMyStringGrid::scrollContentsBy(int dx, int dy) {
    if (dy != 0) m_topRow = m_fixedRows + verticalScrollBar()->value();
    Q_UNUSED(dx);
    PlaceEditor();
    viewport()->update();
}

void TMyStringGrid::focusInEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusInEvent(e);
    viewport()->update();
}

void TMyStringGrid::focusOutEvent(QFocusEvent* e) {
    QAbstractScrollArea::focusOutEvent(e);
    viewport()->update();
}

int TMyStringGrid::NextVisibleCol(int from, int step) const {
    for (int c = from + step; c >= 0 && c < ColCount(); c += step)
        if (m_colWidths[c] >= 0) return c;
    return -1;
}

bool TMyStringGrid::SelectCell(int ACol, int ARow) {
    bool can = true;
    if (OnSelectCell) OnSelectCell(ACol, ARow, can);
    return can;
}

void TMyStringGrid::CellSelected(int, int) {}
void TMyStringGrid::HeaderClicked(int, Qt::MouseButton) {}
void TMyStringGrid::RightButtonReleased(int, int, QPoint) {}

void TMyStringGrid::UserMoveTo(int ACol, int ARow, bool extend) {
    if (ACol < 0 || ACol >= ColCount() || ARow < m_fixedRows || ARow >= RowCount()) return;
    if (!SelectCell(ACol, ARow)) return;
    HideEditor(true);
    m_col = ACol;
    m_row = ARow;
    SetSelectionTo(ACol, ARow, extend);
    ScrollIntoView(ACol, ARow);
    viewport()->update();
    CellSelected(ACol, ARow);
    if ((m_options & goAlwaysShowEditor) && !extend) ShowEditor(nullptr);
}

void TMyStringGrid::keyPressEvent(QKeyEvent* e) {
    if (RowCount() <= m_fixedRows) return;
    const bool ctrl = e->modifiers() & Qt::ControlModifier;
    const bool shift = e->modifiers() & Qt::ShiftModifier;
    int c = m_col;
    int r = m_row;
    int visibleRows = 1;
    {
        int avail = viewport()->height();
        for (int i = 0; i < m_fixedRows; ++i)
            avail -= std::max(0, m_rowHeights[i]) + 1;
        visibleRows = std::max(1, avail / std::max(1, m_defaultRowHeight + m_gridLineWidth));
    }
    switch (e->key()) {
    case Qt::Key_Up:
        r = std::max(m_fixedRows, r - 1);
        break;
    case Qt::Key_Down:
        r = std::min(RowCount() - 1, r + 1);
        break;
    case Qt::Key_PageUp:
        r = std::max(m_fixedRows, r - visibleRows);
        break;
    case Qt::Key_PageDown:
        r = std::min(RowCount() - 1, r + visibleRows);
        break;
    case Qt::Key_Left:
        if (int n = NextVisibleCol(c, -1); n >= 0) c = n;
        break;
    case Qt::Key_Right:
        if (int n = NextVisibleCol(c, +1); n >= 0) c = n;
        break;
    case Qt::Key_Home:
        if (ctrl)
            r = m_fixedRows;
        else if (int n = NextVisibleCol(-1, +1); n >= 0)
            c = n;
        break;
    case Qt::Key_End:
        if (ctrl)
            r = RowCount() - 1;
        else if (int n = NextVisibleCol(ColCount(), -1); n >= 0)
            c = n;
        break;
    case Qt::Key_Tab:
    case Qt::Key_Backtab: {
        if (!(m_options & goTabs)) {
            QAbstractScrollArea::keyPressEvent(e);
            return;
        }
        const int step = (e->key() == Qt::Key_Backtab || shift) ? -1 : 1;
        int n = NextVisibleCol(c, step);
        if (n < 0) {
            const int nr = r + step;
            if (nr < m_fixedRows || nr >= RowCount()) return;
            r = nr;
            n = NextVisibleCol(step > 0 ? -1 : ColCount(), step);
        }
        if (n >= 0) c = n;
        UserMoveTo(c, r, false);
        return;
    }
    case Qt::Key_F2:
    case Qt::Key_Return:
    case Qt::Key_Enter:
        ShowEditor(nullptr);
        return;
    default: {
        const QString t = e->text();
        if (!t.isEmpty() && t.at(0).isPrint() &&
            !(e->modifiers() & (Qt::ControlModifier | Qt::AltModifier))) {
            ShowEditor(&t);
            return;
        }
        QAbstractScrollArea::keyPressEvent(e);
        return;
    }
    }
    if (c != m_col || r != m_row) UserMoveTo(c, r, shift);
}

void TMyStringGrid::mousePressEvent(QMouseEvent* e) {
    m_pressedHeaderCol = -1;
    m_pressedButton = e->button();
    if (!hasFocus() && !m_editor->hasFocus()) setFocus(Qt::MouseFocusReason);
    int c, r;
    MouseToCell(e->position().toPoint(), c, r);
    const bool inHeader = r >= 0 && r < m_fixedRows;
    const int border = ColumnBorderAt(e->position().toPoint().x());
    if (e->button() == Qt::LeftButton && (m_options & goColSizing) && border >= 0 && inHeader) {
        HideEditor(true);
        m_sizingCol = border;
        m_sizingStartX = e->position().toPoint().x();
        m_sizingStartWidth = m_colWidths[border];
        return;
    }
    if (inHeader) {
        m_pressedHeaderCol = c;
        return;
    }
    if (e->button() == Qt::LeftButton && r >= m_fixedRows) {
        const bool extend = (e->modifiers() & Qt::ShiftModifier) && (m_options & goRangeSelect);
        UserMoveTo(c, r, extend);
        m_dragSelecting = m_options & goRangeSelect;
    }
}

void TMyStringGrid::mouseMoveEvent(QMouseEvent* e) {
    const QPoint pos = e->position().toPoint();
    if (m_sizingCol >= 0) {
        setColWidths(m_sizingCol, std::max(0, m_sizingStartWidth + pos.x() - m_sizingStartX));
        return;
    }
    if (m_dragSelecting && (e->buttons() & Qt::LeftButton)) {
        int c, r;
        MouseToCell(pos, c, r);
        if (r >= m_fixedRows && (c != m_col || r != m_row)) UserMoveTo(c, r, true);
        return;
    }
    if (e->buttons() == Qt::NoButton) {
        int c, r;
        MouseToCell(pos, c, r);
        const bool grip =
            (m_options & goColSizing) && r >= 0 && r < m_fixedRows && ColumnBorderAt(pos.x()) >= 0;
        if (grip)
            viewport()->setCursor(Qt::SplitHCursor);
        else
            viewport()->unsetCursor();
    }
}

void TMyStringGrid::mouseReleaseEvent(QMouseEvent* e) {
    m_dragSelecting = false;
    if (m_sizingCol >= 0) {
        m_sizingCol = -1;
        return;
    }
    int c, r;
    MouseToCell(e->position().toPoint(), c, r);
    const int pressed = m_pressedHeaderCol;
    m_pressedHeaderCol = -1;
    if (pressed >= 0) {
        if (r >= 0 && r < m_fixedRows && c == pressed && e->button() == m_pressedButton)
            HeaderClicked(c, e->button());
        return;
    }
    if (e->button() == Qt::RightButton && r >= m_fixedRows)
        RightButtonReleased(c, r, e->globalPosition().toPoint());
}

void TMyStringGrid::mouseDoubleClickEvent(QMouseEvent* e) {
    int c, r;
    MouseToCell(e->position().toPoint(), c, r);
    m_dblClickRow = r >= m_fixedRows && r < RowCount() ? r : -1;
    if (e->button() == Qt::LeftButton && r >= m_fixedRows && c == m_col && r == m_row)
        ShowEditor(nullptr);
    if (OnDblClick) OnDblClick();
}

// ---------------------------------------------------------------- editing

bool TMyStringGrid::CanEditCell(int ACol, int ARow) {
    return (m_options & goEditing) && !(m_options & goRowSelect) && !m_updating &&
           ARow >= m_fixedRows && ARow < RowCount() && ACol >= 0 && ACol < ColCount() &&
           m_colWidths[ACol] > 0;
}

void TMyStringGrid::SetEditText(int ACol, int ARow, const QString& value) {
    setCells(ACol, ARow, value);
}

bool TMyStringGrid::EditorMode() const {
    return m_editCol >= 0;
}

void TMyStringGrid::ShowEditor(const QString* initialText) {
    if (m_editCol >= 0 || !CanEditCell(m_col, m_row)) return;
    ScrollIntoView(m_col, m_row);
    m_editCol = m_col;
    m_editRow = m_row;
    m_editStartText = Cells(m_col, m_row);
    m_editor->setFont(font());
    m_editor->setText(initialText ? *initialText : Cells(m_col, m_row));
    m_editor->end(false);
    PlaceEditor();
    m_editor->show();
    m_editor->setFocus(Qt::OtherFocusReason);
}

void TMyStringGrid::PlaceEditor() {
    if (m_editCol < 0) return;
    const QRect r = CellRect(m_editCol, m_editRow);
    if (r.isEmpty()) {
        m_editor->move(-10000, -10000); // scrolled away: keep editing, out of sight
        return;
    }
    m_editor->setGeometry(r);
}

void TMyStringGrid::CommitEditor() {
    if (m_editCol < 0) return;
    const int c = m_editCol, r = m_editRow;
    const QString text = m_editor->text();
    if (text != Cells(c, r)) SetEditText(c, r, text);
}

void TMyStringGrid::HideEditor(bool commit) {
    if (m_editCol < 0) return;
    if (commit) CommitEditor();
    m_editCol = -1;
    m_editRow = -1;
    const bool hadFocus = m_editor->hasFocus();
    m_editor->hide();
    if (hadFocus) setFocus(Qt::OtherFocusReason);
    if (!m_updating) viewport()->update();
}

bool TMyStringGrid::eventFilter(QObject* o, QEvent* e) {
    if (o != m_editor) return QAbstractScrollArea::eventFilter(o, e);
    if (e->type() == QEvent::KeyPress) {
        auto* k = static_cast<QKeyEvent*>(e);
        switch (k->key()) {
        case Qt::Key_Escape:
            HideEditor(false);
            return true;
        case Qt::Key_Return:
        case Qt::Key_Enter:
            HideEditor(true);
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
        case Qt::Key_PageUp:
        case Qt::Key_PageDown:
            HideEditor(true);
            keyPressEvent(k);
            return true;
        case Qt::Key_Tab:
        case Qt::Key_Backtab:
            if (m_options & goTabs) {
                HideEditor(true);
                keyPressEvent(k);
                return true;
            }
            break;
        default:
            break;
        }
    } else if (e->type() == QEvent::FocusOut && m_editCol >= 0) {
        HideEditor(true);
    }
    return false;
}
