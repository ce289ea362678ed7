// Where a stopped time lands, and the competition modes that decide the track count and
// the "Qualifikation" dummy entry.
#include "core/Participants.h"
#include "ui/FMain.h"
#include "widgets/BitBtnWithColor.h"
#include "widgets/SortGrid.h"

#include <QCheckBox>
#include <QComboBox>
#include <QToolButton>

namespace {
int SelectedStartNumber(const QComboBox* list) {
    return list->currentIndex() < 0 ? 0 : StartNumberLoose(list->currentText());
}
} // namespace

int TFormMain::FindStartNumberRow(int startNumber) const {
    const QString text = QString::number(startNumber);
    for (int r = 0; r < SortGrid1->RowCount(); ++r)
        if (SortGrid1->Cells(Col::StNr, r) == text) return r;
    return -1;
}

void TFormMain::RecordRunTime(int track, const QString& text) {
    const int t = track == 0 ? 0 : 1;
    const int number = SelectedStartNumber(t == 0 ? cbBuhn1 : cbBuhn2);
    const int row = FindStartNumberRow(number);
    if (row >= 0) {
        TLastCell cell = Run->LastCell(t);
        cell.Track = t + 1;
        const int c =
            RecordColumn(SortGrid1->Rows(row), t, Settings.CountBahn, Settings.CountZabegov);
        if (c >= 0) {
            SortGrid1->setCells(c, row, text);
            cell.Column = c;
        }
        Run->SetLastCell(t, cell);
    }
    UpdateControls();
}

void TFormMain::cbVidChange() {
    LayoutWindow();
    Settings.CountBahn = Vid() == 1 ? 1 : 2;
    int dummy = -1;
    for (int r = 1; r < SortGrid1->RowCount(); ++r) {
        if (SortGrid1->Cells(Col::StNr, r) == QLatin1String("0")) {
            dummy = r;
            break;
        }
    }
    if (Vid() == 0) {
        if (dummy < 0) {
            SortGrid1->InsertRow(1);
            SortGrid1->setCells(Col::StNr, 1, QStringLiteral("0"));
            cbBuhn1->insertItem(0, QStringLiteral("0"));
            CopyTrack1List();
        }
    } else {
        if (dummy >= 0) {
            // The list entry that belongs to the dummy row goes with it, wherever the row
            // stood, so the lists and the protocol stay in step.
            const int entry = EntryIndexOfRow(dummy);
            SortGrid1->DeleteRow(dummy);
            if (entry >= 0 && entry < cbBuhn1->count()) cbBuhn1->removeItem(entry);
            CopyTrack1List();
        }
    }
    SelectStartEntries();
    ApplyTrackCount();
    cbAllTrasse->setVisible(!cbBuhn2->isVisibleTo(this) && Settings.CountZabegov > 1);
    LayoutWindow();
    // The same refresh as a change of the lists: START, the swap button, the captions and the
    // track highlight follow the new mode's first heat.
    LocateTrackRows();
    cbBuhnChange();
    bSTART->setFocus();
}

void TFormMain::SetVid(int vid) {
    Settings.Vid = vid < 0 || vid > 2 ? 0 : vid;
    cbVid->setCurrentIndex(Settings.Vid);
}

void TFormMain::SelectStartEntries() {
    const int first = Vid() == 0 ? 1 : 0;
    cbBuhn1->setCurrentIndex(first < cbBuhn1->count() ? first : -1);
    cbBuhn2->setCurrentIndex(1 - first < cbBuhn2->count() ? 1 - first : -1);
}

void TFormMain::CopyTrack1List() {
    const int keep = cbBuhn2->currentIndex();
    cbBuhn2->clear();
    QStringList items;
    items.reserve(cbBuhn1->count());
    for (int i = 0; i < cbBuhn1->count(); ++i)
        items << cbBuhn1->itemText(i);
    cbBuhn2->addItems(items);
    cbBuhn2->setCurrentIndex(keep < cbBuhn2->count() ? keep : -1);
}
