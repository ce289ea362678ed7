// The operator's protocol commands: deleting rows, clearing results, DIS, edit mode, the
// recompute of results and places, and what follows a row selection.
#include "core/Competition.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#include "ui/main/ProtocolView.h"

#include <algorithm>
#include <QCheckBox>
#include <QLabel>
#include <QMenu>
#include <QStatusBar>

namespace {
// The participants of a started heat stay in the protocol until RESET or ABBRECHEN: a time
// stopped for them must find them.
const char* const kDeleteRefused = QT_TRANSLATE_NOOP(
    "TFormMain",
    "Teilnehmer des laufenden Laufs können erst nach RESET oder ABBRECHEN entfernt werden.");
const char* const kClearRefused = QT_TRANSLATE_NOOP(
    "TFormMain", "Die Ergebnisse können erst nach RESET oder ABBRECHEN gelöscht werden.");
} // namespace

void TFormMain::ProtocolCommand(int tag) {
    // The row is read before the question: while it is open, an auto-reset may move the
    // current row to the next heat, and the row the operator asked about must still go.
    int r = m_view->CurrentRow();
    const int entry = m_view->EntryOfRow(r);
    const QString who = LogEntryText(entry);
    if (tag == 0) {
        if (!Dialogs->AskYesNo(tr("Zeile entfernen?"), tr("Bestätigen"))) return;
        bool done;
        {
            TViewHold hold(this);
            done = Competition->DeleteEntry(entry);
        }
        if (!done) {
            RefusedDuringRun(tr(kDeleteRefused));
            return;
        }
        LogEvent(TLogSource::Correction, QStringLiteral("Zeile gelöscht"), who);
    } else if (tag == 1) {
        if (!Dialogs->AskYesNo(tr("Ergebnisse löschen?"), tr("Bestätigen"))) return;
        bool done;
        {
            TViewHold hold(this);
            done = Competition->ClearResults();
        }
        if (!done) {
            RefusedDuringRun(tr(kClearRefused));
            return;
        }
        LogEvent(TLogSource::Correction, QStringLiteral("Alle Ergebnisse gelöscht"));
        UpdateTrackCaptions(); // everybody has his runs back
        r = 1;
    } else {
        // Several rows: the number comes from the menu entry.
        QString caption;
        for (QAction* a : PopupMenuDelStr->actions())
            if (a->data().toInt() == tag) caption = a->text();
        const qsizetype amp = caption.indexOf('&');
        if (amp >= 0) caption[amp] = ' ';
        // The rows after the current one may be hidden ones of another category.
        if (m_view->Filtered()) {
            Dialogs->ShowMessage(tr("Mehrere Zeilen löschen geht nur mit "
                                    "„Anzeige: alle“."),
                                 QStringLiteral("Veltaro"));
            return;
        }
        if (!Dialogs->AskYesNo(caption + '?', QStringLiteral("Подтвердите"))) return;
        // The grid shows the competition's order, so grid row r is its shown row r - 1.
        int deleted;
        {
            TViewHold hold(this);
            deleted = Competition->DeleteRows(r - 1, tag);
        }
        if (deleted < 0) {
            RefusedDuringRun(tr(kDeleteRefused));
            return;
        }
        LogEvent(TLogSource::Correction, QStringLiteral("%1 Zeilen gelöscht").arg(deleted),
                 QStringLiteral("ab ") + who);
    }
    m_view->SelectRow(r);
    ProtocolRefresh();
}

void TFormMain::sbDelClick(int tag) {
    // The cell the track's last STOP filled, of the participant on the track.
    const int track = tag == 1 ? 1 : 0, entry = Competition->TrackEntry(track);
    const int col = Competition->LastCell(track).Column;
    const QString before = Competition->Cell(entry, col);
    if (Competition->Disqualify(track))
        LogEvent(TLogSource::Correction, QStringLiteral("DIS Turm %1").arg(track + 1),
                 LogEntryText(entry, col, before));
}

void TFormMain::cbEditONClick(bool on) {
    m_view->SetEditing(on);
}

void TFormMain::SortGrid1RowSelected() {
    UpdateTrackButtons();
    m_status->SetRowCounter(
        QStringLiteral("%1:%2").arg(m_view->CurrentRow()).arg(m_view->LastRow()));
}

void TFormMain::ProtocolRefresh() {
    SortGrid1RowSelected();
    LayoutWindow();
    UpdateControls();
}

void TFormMain::RepaintProtocol() {
    m_view->Repaint();
}

void TFormMain::RecalcProtocol() {
    // Results and places are the competition's; the view redraws and keeps the current row.
    ApplyCompetitionSettings();
    Competition->Recompute();
}
