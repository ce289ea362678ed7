// Result times, ranking and places, and how the protocol's cells look.
#include "core/Competition.h"
#include "core/RunCells.h"
#include "ui/main/FMain.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"

void TFormMain::RecalcProtocol() {
    ApplyCompetitionSettings();
    Competition->Recompute(); // the view redraws and keeps the current row
}

void TFormMain::SortGrid1GetSortStyle(int col, TSortStyle& style) {
    if (col >= Col::Turm1 && col <= Col::Zeit) {
        style = ssCustom;
        SortGrid1->SortOptions.SortCompare = CompareRunCells;
    } else if (col == 0 || col == SortGrid1->ColCount() - 2 || col == SortGrid1->ColCount() - 1) {
        style = ssNumeric;
    } else {
        style = ssAutomatic;
    }
}

void TFormMain::SortGrid1GetCellFormat(int col, int row, TFormatOptions& f) {
    const int cc = SortGrid1->ColCount();
    const int klassCol = Competition->KlassCol();
    if (row == 0) {
        f.Font.setPointSize(10);
        f.AlignmentHorz = Qt::AlignHCenter;
        if (klassCol > 0 && col == klassCol - 1) f.FontColor = QColor(255, 0, 0);
        return;
    }
    if (row != SortGrid1->Row()) {
        if (col == 0)
            f.BrushColor = QColor(216, 214, 223);
        else if (col == cc - 2)
            f.BrushColor = QColor(166, 202, 240);
        else if (col == cc - 3)
            f.BrushColor = QColor(255, 255, 224);
        else if (col >= 1 && col <= 4)
            f.BrushColor = QColor(255, 255, 255);
        else if (col >= Col::Turm1 && col < Col::Turm1 + Competition->CountZabegov())
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
    auto highlight = [&](int track, TColor colour) {
        if (entry < 0 || entry != Competition->TrackEntry(track)) return;
        if (col == 0 || col == cc - 2) {
            f.FontColor = QColor(255, 255, 255);
            f.BrushColor = ToQColor(colour);
        } else {
            f.FontColor = QColor(255, 0, 0);
        }
    };
    highlight(0, TrackColor(0));
    if (Competition->CountBahn() > 1) highlight(1, TrackColor(1));
}
