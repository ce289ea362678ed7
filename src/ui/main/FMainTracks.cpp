// Who climbs on which track: the operator's ways of putting participants on the tracks, the
// move to the next heat, and the track captions that turn red when no run is left. Who is on
// a track is the competition's heat; the lists only show it.
#include "core/Competition.h"
#include "core/ParticipantList.h"
#include "ui/main/FMain.h"
#include "ui/main/ProtocolView.h"
#include "ui/main/TrackPicker.h"

#include <QAction>

void TFormMain::AdvanceParticipants() {
    const int entry = Competition->Advance();
    // One tower takes the next participant as a list choice would; pairs change tracks as the
    // swap does. The rolling order of the qualification leaves the captions as they are.
    if (Competition->CountBahn() == 1 || Competition->Mode() == TCompetition::Paarrennen)
        UpdateTrackCaptions();
    // The protocol's current row follows the track-1 participant; the status bar and the
    // track buttons follow the row.
    const int row = m_view->RowOfEntry(entry);
    if (row >= 1) m_view->SelectRow(row);
    SortGrid1RowSelected();
}

void TFormMain::UpdateTrackCaptions() {
    const bool ready = IsReady();
    for (int t = 0; t < Competition->CountBahn(); ++t) {
        const auto left = Competition->TrackHasRunLeft(t);
        if (!left) continue; // nobody on the track: the caption keeps its colour
        m_picker[size_t(t)]->SetCaptionWarning(!(ready && *left));
    }
}

void TFormMain::UpdateTrackButtons() {
    const int entry = m_view->CurrentEntry();
    const bool ready = IsReady();
    const bool on1 = ready && Competition->RunLeftOnTrack(entry, 0);
    const bool on2 = ready && Competition->RunLeftOnTrack(entry, 1);
    m_bar->SetEnabled(TProtocolBar::Track1, on1);
    Trasse1->setEnabled(on1);
    m_bar->SetEnabled(TProtocolBar::Track2, on2);
    Trasse2->setEnabled(on2);
}

void TFormMain::cbBuhnChange(int track, int index) {
    const QVariant entry = Participants->index(index).data(TParticipantList::EntryRole);
    // Refused while a heat runs: the list shows the track's participant again.
    if (!Competition->AssignToTrack(track, entry.isValid() ? entry.toInt() : -1)) ShowHeat();
    UpdateTrackCaptions();
}

void TFormMain::sb1Click(int tag) {
    if (!IsReady()) return; // the participants of a started heat cannot change
    if (Competition->AssignToTrack(tag == 2 ? 1 : 0, m_view->CurrentEntry()))
        LogEvent(TLogSource::Command, QStringLiteral("Auf Turm %1").arg(tag == 2 ? 2 : 1),
                 LogEntryText(m_view->CurrentEntry()));
    UpdateTrackCaptions();
}

void TFormMain::seObmenClick() {
    Competition->Swap();
    LogEvent(TLogSource::Command, QStringLiteral("Türme tauschen"));
    UpdateTrackCaptions();
}

void TFormMain::ProtocolDblClick(int entry) {
    if (!IsReady()) return;
    // No entry there (titles, below the rows): nothing.
    if (Competition->DoubleClick(entry)) UpdateTrackCaptions();
}
