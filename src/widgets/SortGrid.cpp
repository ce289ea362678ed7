#include "widgets/SortGrid.h"

#include <QApplication>
#include <QHelpEvent>
#include <QMenu>
#include <QMessageBox>
#include <QPainter>
#include <QSaveFile>
#include <QStringEncoder>
#include <QToolTip>

#include <algorithm>

namespace {
constexpr int kMaxDrawnChars = 1000;
} // namespace

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

void TSortGrid::DiscardEdit(int ACol, int ARow) {
    if (EditorMode() && ((ACol < 0 && ARow < 0) || EditingCell(ACol, ARow))) HideEditor(false);
}

void TSortGrid::SetEditText(int ACol, int ARow, const QString& value) {
    if (OnEditCommit) {
        OnEditCommit(ACol, ARow, value, EditStartText());
        return;
    }
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

bool TSortGrid::viewportEvent(QEvent* e) {
    if (e->type() != QEvent::ToolTip) return TMyStringGrid::viewportEvent(e);
    auto* help = static_cast<QHelpEvent*>(e);
    int col = -1, row = -1;
    MouseToCell(help->pos(), col, row);
    const QString text = col >= 0 && row >= 0 ? Cells(col, row).trimmed() : QString();
    TFormatOptions f = DefaultFormat(CellDrawState(col, row));
    bool check = false, combo = false, ellipsis = false;
    if (!text.isEmpty() && OnGetCellFormat)
        OnGetCellFormat(col, row, CellDrawState(col, row), f, check, combo, ellipsis);
    // Only a text the cell cannot show whole: a tooltip repeating the cell is noise.
    if (!text.isEmpty() && QFontMetrics(f.Font).horizontalAdvance(text) > ColWidths(col) - 4)
        QToolTip::showText(help->globalPos(), text, viewport());
    else
        QToolTip::hideText();
    return true;
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
        if (!header && OnShortText && fm.horizontalAdvance(text) > r.width() - 4) {
            const QString shorter = OnShortText(ACol, ARow, text);
            if (!shorter.isEmpty()) text = shorter;
        }
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
