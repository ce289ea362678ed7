// The competition behind the window: the stored settings it computes with, and the protocol
// grid and the two track lists as its views. The grid's cells are written here and only here,
// from the competition; the operator's edits go back through it.
#include "core/Competition.h"
#include "core/ParticipantList.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#include "ui/main/ModeBox.h"
#include "ui/main/ProtocolView.h"
#include "ui/main/TrackPicker.h"

#include <algorithm>
#include <utility>

void TFormMain::setupCompetition() {
    connect(Competition, &TCompetition::Changed, this, &TFormMain::CompetitionChanged);
    // When entries come and go the list model resets and both lists lose their selection:
    // that is nobody's choice. Connected after the lists took the model, so the count goes
    // down only once they have reacted.
    connect(Participants, &QAbstractItemModel::modelAboutToBeReset, this, [this] { ++m_listSync; });
    connect(Participants, &QAbstractItemModel::modelReset, this, [this] { --m_listSync; });
    // Refused when the program wrote the cell after the editor opened: the grid keeps showing
    // what the program wrote.
    connect(m_view, &TProtocolView::CellEdited, this,
            [this](int entry, int col, const QString& text, const QString& before) {
                if (Competition->SetCell(entry, col, text, before) && text != before)
                    LogEvent(TLogSource::Correction, QStringLiteral("Zelle bearbeitet"),
                             LogEntryText(entry, col, before));
            });
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
    ShowModifiedMark();
    switch (what) {
    case TCompetition::CellChanged:
        // While the rows wait for their redraw the row of an entry is not known yet; the
        // redraw shows the cell.
        if (!m_rowsStale) m_view->ShowCell(entry, column);
        return;
    case TCompetition::RowsChanged:
        // The entries were renumbered: an open editor no longer knows whose cell it holds.
        m_view->DiscardEdit();
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

void TFormMain::ShowProtocol() {
    m_rowsStale = false;
    ShowCategoryChoice();
    m_view->ShowRows();
}

void TFormMain::ShowCategoryChoice() {
    const QStringList categories = Competition->Categories();
    // A category that is gone (another column, its people deleted) shows every row again.
    const int shown = m_categoryShown ? int(categories.indexOf(*m_categoryShown)) : -1;
    if (shown < 0) m_categoryShown.reset();
    m_modeBox->ShowRanking(Competition->KlassCol(), Competition->ColumnTitles());
    m_modeBox->ShowCategories(categories, shown);
    if (m_categoryShown)
        m_view->SetRowFilter(
            [c = Competition, k = *m_categoryShown](int entry) { return c->InCategory(entry, k); });
    else
        m_view->SetRowFilter(nullptr);
}

void TFormMain::cbWertungChange(int klassCol) {
    if (klassCol == Competition->KlassCol()) return;
    Settings.KlassCol = klassCol;
    TViewHold hold(this);
    RecalcProtocol();
    m_rowsStale = true;
}

void TFormMain::cbAnzeigeChange(int index) {
    const QStringList categories = Competition->Categories();
    if (index >= 0 && index < categories.size())
        m_categoryShown = categories[index];
    else
        m_categoryShown.reset();
    ShowProtocol();
    ShowHeat();
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

void TFormMain::RefusedDuringRun(const QString& what) {
    Dialogs->ShowMessage(what, QStringLiteral("Veltaro"));
}

QString TFormMain::TrackParticipantText(int track) const {
    const int entry = Competition->TrackEntry(track);
    return entry < 0 ? QString() : Participants->index(entry).data().toString();
}
