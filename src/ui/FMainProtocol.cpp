// The operator's protocol commands: deleting rows, clearing results, DIS, edit mode, and
// what follows a row selection.
#include "core/Participants.h"
#include "ui/Dialogs.h"
#include "ui/FMain.h"
#include "widgets/SortGrid.h"

#include <algorithm>
#include <functional>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

void TFormMain::RemoveEntry(int entry) {
    for (QComboBox* list : {cbBuhn1, cbBuhn2})
        if (entry >= 0 && entry < list->count()) list->removeItem(entry);
}

void TFormMain::ProtocolCommand(int tag) {
    // The row is read before the question: while it is open, an auto-reset may move the
    // current row to the next heat, and the row the operator asked about must still go.
    int r = SortGrid1->Row();
    const int entry = EntryIndexOfRow(r);
    if (tag == 0) {
        if (!Dialogs->AskYesNo(QStringLiteral("Zeile entfernen?"), QStringLiteral("Bestätigen")))
            return;
        RunCounter = 0;
        Run->ForgetLastCells(); // the rows move: a DIS must not reach another participant
        if (r >= 1 && r < SortGrid1->RowCount()) {
            RemoveEntry(entry);
            for (int c = 0; c < SortGrid1->ColCount(); ++c)
                SortGrid1->setCells(c, r, QString());
            SortGrid1->DeleteRow(r);
        }
        r = std::clamp(r, 1, SortGrid1->RowCount() - 1);
        SortGrid1->setRow(r);
        RecalcProtocol();
        SortGrid1->SelectRow(r);
        ProtocolRefresh();
        return;
    }
    if (tag == 1) {
        if (!Dialogs->AskYesNo(QStringLiteral("Ergebnisse löschen?"), QStringLiteral("Bestätigen")))
            return;
        RunCounter = 0;
        Run->ForgetLastCells();
        SortGrid1->BeginUpdate();
        for (int r = 1; r < SortGrid1->RowCount(); ++r)
            for (int c = Col::Turm1; c <= SortGrid1->ColCount() - 2; ++c)
                SortGrid1->setCells(c, r, QString());
        SortGrid1->EndUpdate();
        emit ProtocolChanged();
        SelectStartEntries();
        LocateTrackRows();
        SortGrid1->SelectRow(1);
        ProtocolRefresh();
        return;
    }

    // Several rows: the number comes from the menu entry.
    QString caption;
    for (QAction* a : PopupMenuDelStr->actions())
        if (a->data().toInt() == tag) caption = a->text();
    const qsizetype amp = caption.indexOf('&');
    if (amp >= 0) caption[amp] = ' ';
    if (!Dialogs->AskYesNo(caption + '?', QStringLiteral("Подтвердите"))) return;
    Run->ForgetLastCells();
    // The rows below move up, so rows r, r + 1, ... go in turn; the last data row is never
    // deleted here, so a protocol always keeps one participant.
    const int count = r < 1 ? 0 : std::clamp(SortGrid1->RowCount() - 1 - r, 0, tag);
    QList<int> entries;
    for (int i = 0; i < count; ++i)
        entries << EntryIndexOfRow(r + i);
    for (int i = 0; i < count; ++i)
        SortGrid1->DeleteRow(r);
    // Highest entry first, so the indexes still to remove keep their meaning.
    std::sort(entries.begin(), entries.end(), std::greater<int>());
    for (int entry : entries)
        RemoveEntry(entry);
    if (r > SortGrid1->RowCount() - 1) r = SortGrid1->RowCount() - 1;
    r = std::max(r, 1);
    SortGrid1->setRow(r);
    RecalcProtocol();
    SortGrid1->SelectRow(r);
    ProtocolRefresh();
}

void TFormMain::sbDelClick(int tag) {
    const int t = tag == 1 ? 1 : 0;
    const int column = Run->LastCell(t).Column;
    if (column < 0) return; // the last stop wrote no cell: nothing to mark
    // The cell the stop filled: the same row the recorder chose for this track's participant,
    // which stays right also when the protocol is shown in ranking order.
    QComboBox* list = t == 0 ? cbBuhn1 : cbBuhn2;
    const int row =
        FindStartNumberRow(list->currentIndex() < 0 ? 0 : StartNumberLoose(list->currentText()));
    if (row < 1) return;
    SortGrid1->setCells(column, row, QStringLiteral("DIS."));
    // A disqualification is a change of results like any other: closing must not lose it.
    SetProtocolModified();
    RecalcProtocol();
}

void TFormMain::cbEditONClick() {
    TGridOptions o = SortGrid1->Options();
    if (cbEditON->isChecked()) {
        o = (o | goEditing) & ~TGridOptions(goRowSelect);
        SortGrid1->setOptions(o);
        SortGrid1->setCol(SelectedCol);
    } else {
        o = (o & ~TGridOptions(goEditing)) | goRowSelect;
        SortGrid1->setOptions(o);
        SortGrid1->SelectRow(SortGrid1->Row());
    }
}

void TFormMain::SortGrid1RowSelected() {
    UpdateTrackButtons();
    StatusPanels[0]->setText(
        QStringLiteral("%1:%2").arg(SortGrid1->Row()).arg(SortGrid1->RowCount() - 1));
}

void TFormMain::ProtocolRefresh() {
    SortGrid1RowSelected();
    LayoutWindow();
    UpdateControls();
}

void TFormMain::SetProtocolModified() {
    SortGrid1->setModified(true);
}

void TFormMain::RepaintProtocol() {
    SortGrid1->update();
}
