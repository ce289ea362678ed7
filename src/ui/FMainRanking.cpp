// Result times, ranking and places, and how the protocol's cells look.
#include "core/TimeFormat.h"
#include "protocol/RunCells.h"
#include "ui/FMain.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"

#include <QCheckBox>
#include <QComboBox>

void TFormMain::RecalcProtocol() {
    const int remembered = SortGrid1->Row();
    const int rows = SortGrid1->RowCount();
    SortGrid1->BeginUpdate();
    for (int r = 1; r < rows; ++r) {
        // The "Qualifikation" dummy fills an empty track; what was stopped there is nobody's
        // result and must not take a place from a participant.
        if (Vid() == 0 && SortGrid1->Cells(Col::StNr, r) == QLatin1String("0")) {
            SortGrid1->setCells(Col::Zeit, r, QString());
            continue;
        }
        QStringList runs;
        runs.reserve(Settings.CountZabegov);
        for (int c = Col::Turm1; c < Col::Turm1 + Settings.CountZabegov; ++c)
            runs << SortGrid1->Cells(c, r);
        const auto result = ResultTime(runs, Settings.TimeFormat);
        SortGrid1->setCells(Col::Zeit, r,
                            result ? FormatTime(*result, Settings.TimeFormat) : QString());
    }

    auto& so = SortGrid1->SortOptions;
    so.CanSort = true;
    so.SortDirection = sdAscending;
    int sortCol = Col::Zeit;
    if (Settings.KlassCol > 0) {
        sortCol = Settings.KlassCol - 1;
        so.SecondaryIndex = QString::number(Col::Zeit);
    } else {
        so.SecondaryIndex.clear();
    }
    SortGrid1->SortByColumn(sortCol);

    QStringList zeit, klass;
    zeit.reserve(rows);
    for (int r = 1; r < rows; ++r) {
        zeit << SortGrid1->Cells(Col::Zeit, r);
        if (Settings.KlassCol > 0) klass << SortGrid1->Cells(Settings.KlassCol - 1, r);
    }
    const QStringList places = DensePlaces(zeit, klass);
    for (int r = 1; r < rows; ++r)
        SortGrid1->setCells(Col::Platz, r, places[r - 1]);

    if (!cbSort->isChecked()) {
        SortGrid1->SortByColumn(Col::Entry);
        TrackRow1 = 0;
        TrackRow2 = 0;
    }
    so.CanSort = false;
    SortGrid1->EndUpdate();
    if (remembered >= 1 && remembered < SortGrid1->RowCount()) SortGrid1->SelectRow(remembered);
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
    if (row == 0) {
        f.Font.setPointSize(10);
        f.AlignmentHorz = Qt::AlignHCenter;
        if (Settings.KlassCol > 0 && col == Settings.KlassCol - 1) f.FontColor = QColor(255, 0, 0);
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
        else if (col >= Col::Turm1 && col < Col::Turm1 + Settings.CountZabegov)
            f.BrushColor = QColor(240, 255, 240);
        else if (col >= Col::Turm1 && col <= Col::Turm6)
            f.BrushColor = QColor(224, 255, 224);
        if (Settings.KlassCol > 0 && col == Settings.KlassCol - 1)
            f.BrushColor = QColor(255, 255, 224);
    }
    if (col == 0)
        f.AlignmentHorz = Qt::AlignRight;
    else if (col == 3 || col == 4)
        f.AlignmentHorz = Qt::AlignHCenter;
    else if (col >= 5 && col <= 12)
        f.AlignmentHorz = Qt::AlignRight;

    auto highlight = [&](int trackRow, const QComboBox* list, TColor colour) {
        const bool mine = trackRow == 0 ? row == list->currentIndex() + 1 : row == trackRow;
        if (!mine) return;
        if (col == 0 || col == cc - 2) {
            f.FontColor = QColor(255, 255, 255);
            f.BrushColor = ToQColor(colour);
        } else {
            f.FontColor = QColor(255, 0, 0);
        }
    };
    highlight(TrackRow1, cbBuhn1, TrackColor(0));
    if (Settings.CountBahn > 1) highlight(TrackRow2, cbBuhn2, TrackColor(1));
}
