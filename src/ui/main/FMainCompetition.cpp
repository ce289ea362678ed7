// The competition behind the window: the stored settings it computes with, and the protocol
// grid and the two track lists as its views. The grid's cells are written here and only here,
// from the competition; the operator's edits go back through it.
#include "core/Competition.h"
#include "core/ParticipantList.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#include "ui/main/TrackPicker.h"
#include "widgets/SortGrid.h"

#include <algorithm>
#include <utility>

void TFormMain::setupCompetition() {
    connect(Competition, &TCompetition::Changed, this, &TFormMain::CompetitionChanged);
    // When entries come and go the list model resets and both lists lose their selection:
    // that is nobody's choice. Connected after the lists took the model, so the count goes
    // down only once they have reacted.
    connect(Participants, &QAbstractItemModel::modelAboutToBeReset, this, [this] { ++m_listSync; });
    connect(Participants, &QAbstractItemModel::modelReset, this, [this] { --m_listSync; });
    SortGrid1->OnEditCommit = [this](int col, int row, const QString& text, const QString& before) {
        SortGrid1EditCommit(col, row, text, before);
    };
    SortGrid1->OnEndSort = [this](int) { SortGrid1EndSort(); };
}

void TFormMain::ApplyCompetitionSettings() {
    Competition->SetCountZabegov(Settings.CountZabegov);
    Competition->SetKlassCol(Settings.KlassCol);
    Competition->SetTimeFormat(Settings.TimeFormat);
    Competition->SetAllTracks(Settings.AllTrasse);
    Competition->SetRankingRule(Settings.Ranking);
    Competition->SetBracketSize(Settings.BracketSize);
}

TFormMain::TViewHold::~TViewHold() {
    if (--m_w->m_viewHold == 0) m_w->FlushView();
}

void TFormMain::CompetitionChanged(TCompetition::TChange what, int entry, int column) {
    // The protocol's content changed (not only who is on a track): the journal's cue.
    if (what != TCompetition::HeatChanged) emit ProtocolChanged();
    switch (what) {
    case TCompetition::CellChanged:
        // While the rows wait for their redraw the row of an entry is not known yet; the
        // redraw shows the cell.
        if (!m_rowsStale) ShowCell(entry, column);
        return;
    case TCompetition::RowsChanged:
        // The entries were renumbered: an open editor no longer knows whose cell it holds.
        SortGrid1->DiscardEdit();
        m_rowsStale = true;
        m_heatStale = true; // the lists were rebuilt and lost their selection
        break;
    case TCompetition::ResultsChanged:
        m_rowsStale = true;
        m_heatStale = true; // captions and track buttons read the run cells
        break;
    case TCompetition::HeatChanged:
        m_heatStale = true;
        break;
    case TCompetition::BracketChanged:
        // Reaches the journal above; the pair on the tracks may have changed with it.
        m_heatStale = true;
        break;
    }
    if (m_viewHold == 0) FlushView();
}

void TFormMain::FlushView() {
    if (m_rowsStale) ShowProtocol();
    if (m_heatStale) ShowHeat();
}

int TFormMain::RowOfEntry(int entry) const {
    if (entry < 0 || entry >= m_entryRow.size() || m_entryRow[entry] < 0) return -1;
    return m_entryRow[entry] + 1;
}

int TFormMain::EntryOfRow(int row) const {
    return row >= 1 && row <= m_rowEntry.size() ? m_rowEntry[row - 1] : -1;
}

void TFormMain::ShowProtocol() {
    m_rowsStale = false;
    const int n = Competition->EntryCount();
    const int remembered = SortGrid1->Row();
    // An open editor is committed first, through the competition, while rows and entries
    // still match.
    SortGrid1->BeginUpdate();
    SortGrid1->setRowCount(std::max(n, 1) + 1);
    SortGrid1->setRows(0, Competition->ColumnTitles());
    m_rowEntry.resize(n);
    m_entryRow.fill(-1, n);
    for (int r = 0; r < n; ++r) {
        const int e = Competition->EntryAt(r);
        QStringList cells = Competition->Cells(e);
        // The hidden column holds the entry, so rows sorted by the grid itself still map to it.
        cells[Col::Entry] = QString::number(e + 1);
        SortGrid1->setRows(r + 1, std::move(cells));
        m_rowEntry[r] = e;
        m_entryRow[e] = r;
    }
    if (n == 0) SortGrid1->setRows(1, QStringList()); // the empty protocol's one empty row
    SortGrid1->EndUpdate();
    if (remembered >= 1) SortGrid1->SelectRow(std::min(remembered, SortGrid1->RowCount() - 1));
}

void TFormMain::ShowCell(int entry, int column) {
    const int row = RowOfEntry(entry);
    if (row < 1 || column == Col::Entry) return;
    // A time or "DIS." the program writes wins over what an open editor on the cell shows.
    if (!m_committing) SortGrid1->DiscardEdit(column, row);
    SortGrid1->setCells(column, row, Competition->Cell(entry, column));
}

void TFormMain::ShowHeat() {
    m_heatStale = false;
    ++m_listSync;
    for (int t = 0; t < 2; ++t)
        m_picker[size_t(t)]->ShowEntry(Competition->TrackEntry(t)); // -1: nobody, no selection
    --m_listSync;
    // The captions are not redrawn here: they change with the operator's choice of a heat
    // (UpdateTrackCaptions' callers), not with every result the heat brings.
    RepaintProtocol();
    UpdateControls();
}

void TFormMain::SortGrid1EditCommit(int col, int row, const QString& text, const QString& before) {
    // Refused when the program wrote the cell after the editor opened: the grid keeps showing
    // what the program wrote.
    m_committing = true;
    Competition->SetCell(EntryOfRow(row), col, text, before);
    m_committing = false;
}

void TFormMain::SortGrid1EndSort() {
    m_rowEntry.fill(-1);
    m_entryRow.fill(-1);
    for (int r = 0; r < m_rowEntry.size(); ++r) {
        bool ok = false;
        const int e = SortGrid1->Cells(Col::Entry, r + 1).toInt(&ok) - 1;
        if (!ok || e < 0 || e >= m_entryRow.size()) continue;
        m_rowEntry[r] = e;
        m_entryRow[e] = r;
    }
    RepaintProtocol();
}

void TFormMain::RefusedDuringRun(const QString& what) {
    Dialogs->ShowMessage(what, QStringLiteral("Veltaro"));
}

QString TFormMain::TrackParticipantText(int track) const {
    const int entry = Competition->TrackEntry(track);
    return entry < 0 ? QString() : Participants->index(entry).data().toString();
}
