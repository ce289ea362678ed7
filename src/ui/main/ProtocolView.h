#pragma once
// The protocol grid as a view of the competition: its rows in the order the competition shows
// them, each row tied to its entry (also after the grid sorted itself), the cells' colours
// and the rows of the climbers on the tracks in their track colours. The operator's edits are
// handed on as a request; the competition decides and the view shows what it keeps.
#include "core/Colors.h"
#include "core/Columns.h"

#include <array>
#include <functional>
#include <QVector>
#include <QWidget>

class QKeySequence;
class TCompetition;
class TSortGrid;
struct TFormatOptions;

class TProtocolView : public QWidget {
    Q_OBJECT
public:
    // trackColour gives a track's colour as the settings hold it now.
    TProtocolView(const TCompetition& competition, std::function<TColor(int track)> trackColour,
                  QWidget* parent);

    void ShowRows(); // every row the filter lets through, in the order the competition shows them
    // Only the entries the filter accepts are shown (none: every entry). The competition keeps
    // every row; this is a view.
    void SetRowFilter(std::function<bool(int entry)> filter) { m_rowFilter = std::move(filter); }
    bool Filtered() const { return bool(m_rowFilter); }
    void ShowCell(int entry, int column);
    void DiscardEdit(); // the entries were renumbered: an open editor loses its cell
    // The grid's data row of an entry and the entry of a grid row; -1 for none.
    int RowOfEntry(int entry) const;
    int EntryOfRow(int row) const;
    int CurrentRow() const;
    int CurrentEntry() const { return EntryOfRow(CurrentRow()); }
    int LastRow() const; // the last data row
    void SelectRow(int row);
    void SetEditing(bool on);
    void Repaint();
    int ClientWidth() const;
    void SetColumnWidths(const std::array<int, Col::Count>& widths);
    QVector<int> ColumnWidths() const;
    // Keys the open cell editor must leave to the window (the run commands while enabled).
    void SetKeptKeys(std::function<bool(const QKeySequence&)> kept) {
        m_keptKeys = std::move(kept);
    }

signals:
    void RowSelected();
    void DoubleClicked(int entry);
    // The operator's edit of a cell; before is what the editor opened with.
    void CellEdited(int entry, int column, const QString& text, const QString& before);
    void Resized();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void CellFormat(int col, int row, TFormatOptions& f) const;
    void SortEnded();
    const TCompetition& m_competition;
    std::function<TColor(int)> m_trackColour;
    std::function<bool(const QKeySequence&)> m_keptKeys;
    std::function<bool(int entry)> m_rowFilter;
    TSortGrid* m_grid;
    int m_selectedCol = 0;
    bool m_committing = false; // an edited cell is being written into the competition
    QVector<int> m_rowEntry;   // grid data row - 1 -> entry
    QVector<int> m_entryRow;   // entry -> grid data row - 1
};
