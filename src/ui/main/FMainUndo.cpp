// Undo and redo of the operator's actions on results: Ctrl+Z, Ctrl+Y and the protocol bar's
// button forward to the competition, which keeps the steps. Neither is offered while a run is
// on: a STOP must find the cell it was started for, not one an undo just gave back.
#include "core/Competition.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#include "ui/PanelParts.h"

#include <QAction>
#include <QMenu>

namespace {
const char* const kUndoRefused =
    QT_TRANSLATE_NOOP("TFormMain", "Das lässt sich erst nach RESET oder ABBRECHEN rückgängig "
                                   "machen oder wiederherstellen: es ändert, wer auf den Türmen "
                                   "steht.");
} // namespace

void TFormMain::setupUndo() {
    auto item = [this](const char* name, const QString& caption, const QKeySequence& key) {
        QAction* a = Named(new QAction(caption, this), name);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setEnabled(false);
        CtrlKeys->addAction(a);
        addAction(a); // as the other keys: the menu is never shown
        return a;
    };
    mUndo = item("mUndo", tr("Rückgängig"), QKeySequence(Qt::CTRL | Qt::Key_Z));
    mRedo = item("mRedo", tr("Wiederherstellen"), QKeySequence(Qt::CTRL | Qt::Key_Y));
    connect(mUndo, &QAction::triggered, this, [this] { mUndoClick(); });
    connect(mRedo, &QAction::triggered, this, [this] { mRedoClick(); });
    // An edit changes a cell and nothing else the window follows: the steps are looked at on
    // every change of the competition (two flags, no redraw).
    connect(Competition, &TCompetition::Changed, this, [this] { UpdateUndoControls(); });
}

void TFormMain::UpdateUndoControls() {
    if (!mUndo) return; // not made yet
    const bool free = !IsRunning();
    mUndo->setEnabled(free && Competition->CanUndo());
    mRedo->setEnabled(free && Competition->CanRedo());
    m_bar->SetEnabled(TProtocolBar::Undo, mUndo->isEnabled());
}

void TFormMain::mUndoClick() {
    if (IsRunning() || !Competition->CanUndo()) return;
    if (Competition->UndoChangesPublishedPlaces() &&
        !Dialogs->AskYesNo(tr("Rückgängig ändert bereits veröffentlichte Plätze. "
                              "Trotzdem rückgängig machen?"),
                           tr("Bestätigen")))
        return;
    // A contact may have started a heat while the question was open.
    TakeStep(true);
}

void TFormMain::mRedoClick() {
    if (IsRunning() || !Competition->CanRedo()) return;
    TakeStep(false);
}

void TFormMain::TakeStep(bool back) {
    if (IsRunning()) return;
    const QString what = back ? Competition->UndoText() : Competition->RedoText();
    bool done;
    {
        TViewHold hold(this);
        done = back ? Competition->Undo() : Competition->Redo();
    }
    if (!done) {
        RefusedDuringRun(tr(kUndoRefused));
        return;
    }
    // The log keeps its German words; the note speaks the operator's language.
    const QString step = back ? QStringLiteral("Rückgängig") : QStringLiteral("Wiederhergestellt");
    SetStatusNote(NoteHeat, (back ? tr("Rückgängig") : tr("Wiederhergestellt")) +
                                QStringLiteral(": ") + what);
    LogEvent(TLogSource::Correction, step, what);
    UpdateTrackCaptions(); // the runs left on each track may have changed
    ProtocolRefresh();
}
