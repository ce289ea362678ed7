// Where a stopped time lands, and the competition modes that decide the track count and
// the "Qualifikation" dummy entry.
#include "core/Competition.h"
#include "ui/Dialogs.h"
#include "ui/main/CommandColumn.h"
#include "ui/main/FMain.h"
#include "ui/main/ModeBox.h"

void TFormMain::RecordRunTime(int track, const QString& text) {
    const int t = track == 0 ? 0 : 1;
    // The participant on the track gets the time, whatever his start number says, and the
    // model keeps the stopped milliseconds behind it for ties under "Bestzeit" and in the finals.
    std::optional<std::int32_t> exact;
    if (Run->TrackStopped(t)) exact = std::int32_t(Run->StopTime(t));
    // A false start stands as "FS." in the run's cell; its time is kept by the run in case
    // the operator takes the false start back.
    if (Run->TrackStopped(t) && Run->FalseStart(t)) {
        Competition->RecordFalseStart(t, Run->Reaction(t).value_or(0));
    } else {
        Competition->RecordTime(t, text, exact);
        if (Run->TrackStopped(t)) Competition->SetLastReaction(t, Run->Reaction(t));
    }
    if (Competition->Mode() == TCompetition::FinaleKo && Competition->PendingHeatVoid())
        SetStatusNote(NoteHeat, tr("0,00 ist keine Zeit: der Lauf wird nicht "
                                   "gewertet und nach RESET wiederholt"));
    UpdateControls();
}

void TFormMain::cbVidChange() {
    TViewHold hold(this);
    ApplyCompetitionSettings();
    if (EnterMode(Vid())) ShowMode();
}

bool TFormMain::EnterMode(int vid) {
    const int before = Competition->Mode();
    if (Competition->SetMode(vid)) return true;
    // Refused, and nothing changed: the box goes back to the mode the competition kept. Only
    // the operator's own choice is told why; a stored mode at start-up falls back quietly,
    // before there is a window to answer.
    const QString note = vid == TCompetition::FinaleKo ? Competition->BracketNote() : QString();
    SetVid(before);
    if (isVisible() && !note.isEmpty()) Dialogs->ShowMessage(note, tr("K.-o.-Feld"));
    return false;
}

void TFormMain::ShowMode() {
    LayoutWindow();
    ApplyTrackCount();
    ShowAllTracksBox();
    LayoutWindow();
    UpdateTrackCaptions(); // a new protocol or mode: its first heat, as if chosen
    m_commands->Focus(TCommandColumn::Start);
}

void TFormMain::SetVid(int vid) {
    m_chosenMode = vid < 0 || vid > TCompetition::FinaleKo ? 0 : vid;
    m_modeBox->ShowMode(m_chosenMode);
}

void TFormMain::ShowAllTracksBox() {
    // One tower with several runs may record on every track's run column.
    m_modeBox->ShowAllTracks(Competition->CountBahn() < 2 && Settings.CountZabegov > 1,
                             Settings.AllTrasse);
}
