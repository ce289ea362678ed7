#include "ui/main/ProtocolView.h"

#include "core/Competition.h"
#include "core/RunCells.h"
#include "ui/PanelParts.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"

#include <algorithm>
#include <QEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QRegularExpression>
#include <QVBoxLayout>
#include <utility>

TProtocolView::TProtocolView(const TCompetition& competition,
                             std::function<TColor(int track)> trackColour, QWidget* parent)
    : QWidget(parent), m_competition(competition), m_trackColour(std::move(trackColour)) {
    setObjectName(QStringLiteral("ProtocolView"));
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(0, 0, 0, 0);
    m_grid = Named(new TSortGrid(this), "SortGrid1");
    v->addWidget(m_grid);
    m_grid->setColCount(Col::Count);
    m_grid->setRowCount(2);
    m_grid->setFixedRows(1);
    m_grid->setDefaultColWidth(32);
    m_grid->setDefaultRowHeight(20);
    m_grid->setFont(DesignFont("Courier", 16));
    m_grid->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                       goDrawFocusSelected | goColSizing | goRowSelect);
    // Only when the columns cannot fit (six runs in the minutes format in a narrow window)
    // does a sideways scroll bar appear, so "Zeit" and "Platz" can still be reached.
    m_grid->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    m_grid->SortOptions.CanSort = false;
    m_grid->SortOptions.SecondaryIndex = QStringLiteral("0");
    m_grid->viewport()->installEventFilter(this);
    m_grid->InplaceEditor()->installEventFilter(this);

    m_grid->OnSelectCell = [this](int col, int, bool& canSelect) {
        m_selectedCol = col;
        canSelect = true;
    };
    m_grid->OnRowSelected = [this] { emit RowSelected(); };
    m_grid->OnDblClick = [this] { emit DoubleClicked(EntryOfRow(m_grid->DblClickRow())); };
    m_grid->OnGetSortStyle = [this](int col, TSortStyle& style) {
        if (col >= Col::Turm1 && col <= Col::Zeit) {
            style = ssCustom;
            m_grid->SortOptions.SortCompare = CompareRunCells;
        } else if (col == 0 || col == Col::Platz || col == Col::Entry) {
            style = ssNumeric;
        } else {
            style = ssAutomatic;
        }
    };
    m_grid->OnGetCellFormat = [this](int col, int row, TGridDrawState, TFormatOptions& f, bool&,
                                     bool&, bool&) {
        // A failure while looking at the lists must never keep a cell from being drawn.
        try {
            CellFormat(col, row, f);
        } catch (...) {
        }
    };
    // Refused when the program wrote the cell after the editor opened: the grid keeps showing
    // what the program wrote.
    m_grid->OnEditCommit = [this](int col, int row, const QString& text, const QString& before) {
        m_committing = true;
        emit CellEdited(EntryOfRow(row), col, text, before);
        m_committing = false;
    };
    m_grid->OnEndSort = [this](int) { SortEnded(); };
    // A date too wide for its column shows its year; the tooltip has the whole date.
    m_grid->OnShortText = [](int col, int, const QString& text) {
        static const QRegularExpression year(QStringLiteral("\\b(\\d{4})\\b"));
        return col == Col::Datum ? year.match(text).captured(1) : QString();
    };
}

int TProtocolView::RowOfEntry(int entry) const {
    if (entry < 0 || entry >= m_entryRow.size() || m_entryRow[entry] < 0) return -1;
    return m_entryRow[entry] + 1;
}

int TProtocolView::EntryOfRow(int row) const {
    return row >= 1 && row <= m_rowEntry.size() ? m_rowEntry[row - 1] : -1;
}

int TProtocolView::CurrentRow() const {
    return m_grid->Row();
}

int TProtocolView::LastRow() const {
    return m_grid->RowCount() - 1;
}

void TProtocolView::SelectRow(int row) {
    m_grid->SelectRow(std::clamp(row, 1, LastRow()));
}

void TProtocolView::ShowRows() {
    const TCompetition& c = m_competition;
    const int n = c.EntryCount();
    const int remembered = m_grid->Row();
    // An open editor is committed first, through the competition, while rows and entries
    // still match.
    int shown = n;
    if (m_rowFilter) {
        shown = 0;
        for (int e = 0; e < n; ++e)
            shown += m_rowFilter(e);
    }
    m_grid->BeginUpdate();
    m_grid->setRowCount(std::max(shown, 1) + 1);
    m_grid->setRows(0, c.ColumnTitles());
    m_rowEntry.resize(shown);
    m_entryRow.fill(-1, n);
    for (int r = 0, row = 0; r < n; ++r) {
        const int e = c.EntryAt(r);
        if (m_rowFilter && !m_rowFilter(e)) continue;
        QStringList cells = c.Cells(e);
        // The hidden column holds the entry, so rows sorted by the grid itself still map to it.
        cells[Col::Entry] = QString::number(e + 1);
        m_grid->setRows(row + 1, std::move(cells));
        m_rowEntry[row] = e;
        m_entryRow[e] = row++;
    }
    if (shown == 0) m_grid->setRows(1, QStringList()); // the empty protocol's one empty row
    m_grid->EndUpdate();
    if (remembered >= 1) m_grid->SelectRow(std::min(remembered, LastRow()));
}

void TProtocolView::ShowCell(int entry, int column) {
    const int row = RowOfEntry(entry);
    if (row < 1 || column == Col::Entry) return;
    // A time or "DIS." the program writes wins over what an open editor on the cell shows.
    if (!m_committing) m_grid->DiscardEdit(column, row);
    m_grid->setCells(column, row, m_competition.Cell(entry, column));
}

void TProtocolView::DiscardEdit() {
    m_grid->DiscardEdit();
}

void TProtocolView::SortEnded() {
    m_rowEntry.fill(-1);
    m_entryRow.fill(-1);
    for (int r = 0; r < m_rowEntry.size(); ++r) {
        bool ok = false;
        const int e = m_grid->Cells(Col::Entry, r + 1).toInt(&ok) - 1;
        if (!ok || e < 0 || e >= m_entryRow.size()) continue;
        m_rowEntry[r] = e;
        m_entryRow[e] = r;
    }
    Repaint();
}

void TProtocolView::SetEditing(bool on) {
    TGridOptions o = m_grid->Options();
    if (on) {
        o = (o | goEditing) & ~TGridOptions(goRowSelect);
        m_grid->setOptions(o);
        m_grid->setCol(m_selectedCol);
    } else {
        o = (o & ~TGridOptions(goEditing)) | goRowSelect;
        m_grid->setOptions(o);
        m_grid->SelectRow(m_grid->Row());
    }
}

void TProtocolView::Repaint() {
    // The cells are drawn on the viewport: repainting the grid widget alone leaves them.
    m_grid->viewport()->update();
}

int TProtocolView::ClientWidth() const {
    return m_grid->ClientWidth();
}

void TProtocolView::SetColumnWidths(const std::array<int, Col::Count>& widths) {
    for (int c = 0; c < Col::Count; ++c)
        m_grid->setColWidths(c, widths[size_t(c)]);
}

QVector<int> TProtocolView::ColumnWidths() const {
    QVector<int> widths;
    for (int c = 0; c < m_grid->ColCount(); ++c)
        widths << m_grid->ColWidths(c);
    return widths;
}

bool TProtocolView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_grid->viewport() && event->type() == QEvent::Resize) emit Resized();
    if (watched == m_grid->InplaceEditor() && event->type() == QEvent::ShortcutOverride &&
        m_keptKeys) {
        // A line edit claims Ctrl+X for Cut; during a run ABBRECHEN must win, like every
        // enabled run command's key. Left unaccepted, the override lets the shortcut fire.
        const auto* key = static_cast<QKeyEvent*>(event);
        if (m_keptKeys(QKeySequence(key->keyCombination()))) return true;
    }
    return QWidget::eventFilter(watched, event);
}

void TProtocolView::CellFormat(int col, int row, TFormatOptions& f) const {
    const TCompetition& c = m_competition;
    const int cc = m_grid->ColCount();
    const int klassCol = c.KlassCol();
    if (row == 0) {
        f.Font.setPointSize(10);
        f.AlignmentHorz = Qt::AlignHCenter;
        if (klassCol > 0 && col == klassCol - 1) f.FontColor = QColor(255, 0, 0);
        return;
    }
    if (row != m_grid->Row()) {
        if (col == 0)
            f.BrushColor = QColor(216, 214, 223);
        else if (col == cc - 2)
            f.BrushColor = QColor(166, 202, 240);
        else if (col == cc - 3)
            f.BrushColor = QColor(255, 255, 224);
        else if (col >= 1 && col <= 4)
            f.BrushColor = QColor(255, 255, 255);
        else if (col >= Col::Turm1 && col < Col::Turm1 + c.CountZabegov())
            f.BrushColor = QColor(240, 255, 240);
        else if (col >= Col::Turm1 && col <= Col::Turm6)
            f.BrushColor = QColor(224, 255, 224);
        if (klassCol > 0 && col == klassCol - 1) f.BrushColor = QColor(255, 255, 224);
    }
    if (col == 0)
        f.AlignmentHorz = Qt::AlignRight;
    else if (col == 3 || col == 4)
        f.AlignmentHorz = Qt::AlignHCenter;
    else if (col >= 5 && col <= 12)
        f.AlignmentHorz = Qt::AlignRight;

    // The climbers' rows are found by their entry, in whatever order the rows are shown.
    const int entry = EntryOfRow(row);
    auto highlight = [&](int track) {
        if (entry < 0 || entry != c.TrackEntry(track)) return;
        if (col == 0 || col == cc - 2) {
            f.FontColor = QColor(255, 255, 255);
            f.BrushColor = ToQColor(m_trackColour(track));
        } else {
            f.FontColor = QColor(255, 0, 0);
        }
    };
    highlight(0);
    if (c.CountBahn() > 1) highlight(1);
}
