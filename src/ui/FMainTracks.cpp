// Who climbs on which track: the participant lists, their advance after each heat, the
// manual assignments and the track captions that turn red when no run is left.
#include "core/Participants.h"
#include "ui/FMain.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QToolButton>

namespace {
void Select(QComboBox* list, int index) {
    list->setCurrentIndex(index >= 0 && index < list->count() ? index : -1);
}

void SetCaptionColour(QLabel* caption, bool hasRunLeft) {
    QPalette pal = caption->palette();
    const QColor c =
        hasRunLeft ? QApplication::palette().color(QPalette::WindowText) : ToQColor(Colors::clRed);
    if (pal.color(QPalette::WindowText) == c) return;
    pal.setColor(QPalette::WindowText, c);
    caption->setPalette(pal);
}
} // namespace

void TFormMain::AdvanceParticipants() {
    const int n = cbBuhn1->count();
    if (Vid() == 0) {
        const int i2 = cbBuhn2->currentIndex();
        if (i2 + 1 >= n) {
            Select(cbBuhn2, 1);
            RunCounter = 1;
        } else {
            Select(cbBuhn2, i2 + 1);
        }
        const int i1 = cbBuhn1->currentIndex();
        if (i1 + 1 >= n) {
            Select(cbBuhn1, 0);
            RunCounter = 1;
        } else {
            Select(cbBuhn1, i1 + 1);
        }
        LocateTrackRows();
    } else if ((RunCounter % 2) != 0 || Settings.CountBahn == 1) {
        if (!(Settings.CountBahn == 1 && Settings.AllTrasse)) {
            const int i1 = cbBuhn1->currentIndex();
            if (i1 + Settings.CountBahn >= n) {
                Select(cbBuhn1, Settings.CountBahn == 2 ? 1 : 0);
                RunCounter = 1;
            } else {
                Select(cbBuhn1, i1 + Settings.CountBahn);
            }
        }
        if (Settings.CountBahn == 2) {
            const int i2 = cbBuhn2->currentIndex();
            Select(cbBuhn2, i2 + 2 >= n ? 0 : i2 + 2);
        }
        LocateTrackRows();
    }
    if (Vid() == 2) seObmenClick();
    ++RunCounter;
    if (Settings.CountBahn == 1 && Settings.AllTrasse && SortGrid1->Row() >= 1 &&
        !SortGrid1->Cells(Col::Zeit, SortGrid1->Row()).trimmed().isEmpty()) {
        Select(cbBuhn1, cbBuhn1->currentIndex() + 1);
        LocateTrackRows();
    }
    int row = (Vid() == 0 ? cbBuhn2->currentIndex() : cbBuhn1->currentIndex()) + 1;
    if (Settings.CountBahn >= 2) row = cbBuhn1->currentIndex() + 1;
    const int target = row >= 1 ? RowOfEntry(row - 1) : -1;
    if (target >= 1 && target < SortGrid1->RowCount()) SortGrid1->SelectRow(target);
    if (Settings.CountBahn == 1) cbBuhnChange();
}

void TFormMain::LocateTrackRows() {
    const auto n1 =
        cbBuhn1->currentIndex() >= 0 ? StartNumberStrict(cbBuhn1->currentText()) : std::nullopt;
    if (!n1) return; // an unreadable entry keeps both rows as they were
    TrackRow1 = FindStartNumberRow(*n1);
    if (Settings.CountBahn > 1) {
        const auto n2 =
            cbBuhn2->currentIndex() >= 0 ? StartNumberStrict(cbBuhn2->currentText()) : std::nullopt;
        if (n2) TrackRow2 = FindStartNumberRow(*n2);
    }
}

void TFormMain::UpdateTrackCaptions() {
    const bool ready = IsReady();
    auto update = [&](int track, QComboBox* list, QLabel* caption, int& trackRow) {
        const auto number =
            list->currentIndex() >= 0 ? StartNumberStrict(list->currentText()) : std::nullopt;
        if (!number) return; // unreadable: row and caption keep their previous values
        trackRow = FindStartNumberRow(*number);
        const unsigned mask =
            trackRow >= 1 ? EmptyRunMask(SortGrid1->Rows(trackRow), Settings.CountZabegov) : 0u;
        bool left;
        if (Settings.CountBahn >= 2)
            left = ready && list->count() > 0 &&
                   (mask & TrackTableBit(track, Settings.CountZabegov, Settings.CountBahn)) != 0;
        else
            left = ready && list->count() > 0 && mask != 0;
        TrackRunLeft[track] = left;
        SetCaptionColour(caption, left);
    };
    update(0, cbBuhn1, LabelZabeg1, TrackRow1);
    if (Settings.CountBahn >= 2) update(1, cbBuhn2, LabelZabeg2, TrackRow2);
}

void TFormMain::UpdateTrackButtons() {
    const int row = SortGrid1->Row();
    const unsigned mask = row >= 1 && row < SortGrid1->RowCount()
                              ? EmptyRunMask(SortGrid1->Rows(row), Settings.CountZabegov)
                              : 0u;
    const bool ready = IsReady();
    const bool on1 = ready && cbBuhn1->count() > 0 &&
                     (mask & TrackTableBit(0, Settings.CountZabegov, Settings.CountBahn)) != 0;
    const bool on2 = ready && cbBuhn2->count() > 0 &&
                     (mask & TrackTableBit(1, Settings.CountZabegov, Settings.CountBahn)) != 0;
    sb1->setEnabled(on1);
    Trasse1->setEnabled(on1);
    sb2->setEnabled(on2);
    Trasse2->setEnabled(on2);
}

void TFormMain::cbBuhnChange() {
    UpdateTrackCaptions();
    UpdateControls();
    RepaintProtocol();
}

void TFormMain::sb1Click(int tag) {
    if (!IsReady()) return; // the participants of a started heat cannot change
    QComboBox* list = tag == 2 ? cbBuhn2 : cbBuhn1;
    Select(list, EntryIndexOfRow(SortGrid1->Row()));
    cbBuhnChange();
}

void TFormMain::seObmenClick() {
    const int i1 = cbBuhn1->currentIndex();
    const int i2 = cbBuhn2->currentIndex();
    Select(cbBuhn1, i2);
    Select(cbBuhn2, i1);
    UpdateTrackCaptions();
    RepaintProtocol();
}

void TFormMain::ProtocolDblClick() {
    if (!IsReady()) return;
    const int entry = EntryIndexOfRow(SortGrid1->Row());
    if (entry < 0) return;
    if (Vid() == 0) {
        Select(cbBuhn2, entry);
        const int next = cbBuhn2->currentIndex() + 1;
        Select(cbBuhn1, next >= cbBuhn1->count() ? 0 : next);
        cbBuhnChange();
        return;
    }
    Select(cbBuhn1, entry);
    cbBuhnChange();
    if (Settings.CountBahn >= 2) {
        Select(cbBuhn2, cbBuhn1->currentIndex() + 1);
        if (!TrackRunLeft[0] && !TrackRunLeft[1]) seObmenClick();
        cbBuhnChange();
    }
}

int TFormMain::EntryIndexOfRow(int row) const {
    if (row < 1 || row >= SortGrid1->RowCount()) return -1;
    if (!cbSort->isChecked()) return row - 1; // load order: the plain rule
    return int(LoadOrder().indexOf(row));
}

int TFormMain::RowOfEntry(int entry) const {
    if (!cbSort->isChecked()) return entry + 1;
    const QVector<int> order = LoadOrder();
    return entry >= 0 && entry < order.size() ? order[entry] : -1;
}

QVector<int> TFormMain::LoadOrder() const {
    // Load order is the order the unsorted view restores: the entry numbers, compared as the
    // grid's numeric sort compares them, equal keys in their present order.
    QVector<QStringList> table;
    table.reserve(SortGrid1->RowCount());
    for (int r = 0; r < SortGrid1->RowCount(); ++r)
        table.push_back({SortGrid1->Cells(Col::Entry, r)});
    TSortOptions options;
    options.SortStyle = ssNumeric;
    return SortRowOrder(table, {0}, options);
}
