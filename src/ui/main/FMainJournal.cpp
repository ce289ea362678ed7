// The journal seen from the window: what it hands the journal, and the question after a
// session that did not end cleanly.
#include "core/Competition.h"
#include "persist/Journal.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#include "widgets/SortGrid.h"

#include <QDir>
#include <QStatusBar>

TJournalSnapshot TFormMain::JournalSnapshot() const {
    // The rows are shared, not copied: the cost is a pointer per row.
    return {Competition->Rows(TCompetition::ForExitCopy),
            {Settings.Title, Competition->Mode(), Settings.CountZabegov, Settings.KlassCol,
             Settings.Ranking, Settings.BracketSize, Competition->BracketLines(),
             Competition->ExactRuns(), Competition->HeatPosition(), Competition->Reactions()}};
}

void TFormMain::RestoreJournal(const TProtocolRows& rows, const TJournalMeta& meta) {
    // The mode and counts the places were computed with, then the rows as a load takes them.
    SetVid(meta.Vid);
    Settings.CountZabegov = meta.CountZabegov;
    Settings.KlassCol = meta.KlassCol;
    Settings.Ranking = meta.Ranking;
    Settings.BracketSize = meta.BracketSize;
    LoadProtocolRows(rows, meta.Title + QStringLiteral(".txt"));
    // The thousandths and the bracket refer to the rows just loaded. A broken bracket is
    // dropped; the protocol, the record of the qualification, is restored all the same.
    Competition->RestoreExactRuns(meta.Exact);
    Competition->RestoreReactions(meta.Reaction);
    Competition->Recompute();
    if (!meta.Bracket.isEmpty()) Competition->RestoreBracket(meta.Bracket);
    Settings.KlassCol = Competition->KlassCol(); // the brackets' category column, if they have one
    if (meta.Vid == TCompetition::FinaleKo && Competition->Mode() != TCompetition::FinaleKo)
        Competition->SetMode(TCompetition::FinaleKo);
    // The heat that was next, not the first one again: nobody climbs twice.
    if (meta.Heat) Competition->RestoreHeatPosition(*meta.Heat);
    if (Settings.Title != meta.Title) {
        Settings.Title = meta.Title;
        SetCaption(QStringLiteral("TL-Veltaro: ") + meta.Title);
    }
    // Restored is not saved: closing must still ask.
    Competition->SetModified(true);
    m_savedRows.clear();
    ShowModifiedMark();
}

void TFormMain::StartJournal(TJournal& journal) {
    Journal = &journal;
    bool restored = false;
    if (journal.LastEndUnclean() && JournalHasData(journal.LastRows())) {
        const TJournalMeta& meta = journal.LastMeta();
        QString what = meta.Title.isEmpty() ? QString() : QStringLiteral("„%1“, ").arg(meta.Title);
        what += tr("Stand %1")
                    .arg(journal.LastWritten().toString(QStringLiteral("dd.MM.yyyy hh:mm:ss")));
        const QString question =
            tr("Das Programm wurde zuletzt nicht ordnungsgemäß beendet.\n"
               "Protokoll des unterbrochenen Wettkampfs wiederherstellen?\n\n%1")
                .arg(what);
        if (Dialogs->AskYesNo(question, tr("Bestätigen"))) {
            RestoreJournal(journal.LastRows(), meta);
            restored = true;
        } else {
            const QString kept = journal.KeepLastUnrestored();
            KeepInEventFolder(kept);
            if (!kept.isEmpty())
                Dialogs->ShowMessage(
                    tr("Das Protokoll des unterbrochenen Wettkampfs bleibt erhalten:\n%1")
                        .arg(QDir::toNativeSeparators(kept)),
                    QStringLiteral("Veltaro"));
        }
    }
    journal.SetSource([this] { return JournalSnapshot(); });
    connect(this, &QObject::destroyed, &journal, [j = &journal] { j->SetSource(nullptr); });
    // The one place the journal learns of changes: the window passes on the competition's.
    connect(this, &TFormMain::ProtocolChanged, &journal, &TJournal::Changed);
    // The heat position is no change of the protocol, but a restore needs it all the same.
    connect(Competition, &TCompetition::Changed, &journal,
            [j = &journal](TCompetition::TChange what) {
                if (what == TCompetition::HeatChanged) j->Changed();
            });
    connect(&journal, &TJournal::WriteFailed, this, [this](const QString& reason) {
        if (reason.isEmpty())
            m_status->clearMessage();
        else
            m_status->showMessage(tr("Journal kann nicht geschrieben werden: ") + reason);
    });
    journal.Begin();
    // The restored protocol is the first state worth keeping, and until it is written the
    // interrupted session's journal is only in the rotation, where no question looks.
    if (restored) {
        journal.Changed();
        journal.Flush();
    }
}
