// Leaving the program without losing results: the question before closing, the exit copy of
// the protocol, then (in the destructor) the settings and the port.
#include "core/Competition.h"
#include "persist/BracketFile.h"
#include "persist/ExitCopy.h"
#include "persist/Journal.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QDir>
#include <QSignalBlocker>
#include <QStandardPaths>

void TFormMain::closeEvent(QCloseEvent* event) {
    if (!IsRunning() && !Competition->Modified()) {
        event->accept();
        return;
    }
    if (!Competition->Modified()) {
        // Only the clock is at stake: nothing to save.
        if (Dialogs->AskYesNo(QuitQuestion(), tr("Bestätigen")))
            event->accept();
        else
            event->ignore();
        return;
    }
    switch (Dialogs->AskSaveBeforeQuit(QuitQuestion(), tr("Bestätigen"))) {
    case 0:
        sbSaveClick();
        // A cancelled or failed save leaves the program open with its results.
        if (Competition->Modified())
            event->ignore();
        else
            event->accept();
        return;
    case 1:
        event->accept();
        return;
    default:
        event->ignore();
    }
}

QStringList TFormMain::ExitCopyNames() const {
    return ExitCopyCandidates(ProgramFile,
                              QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}

QString TFormMain::ExitCopyName() const {
    if (!ExitCopyWritten.isEmpty()) return ExitCopyWritten;
    const QStringList names = ExitCopyNames();
    const QString target = ExitCopyTarget(names);
    return target.isEmpty() ? names.value(0) : target;
}

QString TFormMain::ExitCopyInfo() const {
    return tr("Das Protokoll wird beim Beenden gespeichert in:\n") +
           QDir::toNativeSeparators(ExitCopyName());
}

void TFormMain::Shutdown() {
    // The box is unticked as the program leaves; the copy is taken in load order whatever
    // the operator was looking at, so the view need not be re-sorted to write it.
    m_bar->ShowSorted(false);
    // A file that was read only in part is never replaced by the copy, which asks no one: the
    // copy goes to the next place instead.
    QStringList names = ExitCopyNames();
    names.removeIf([this](const QString& name) { return IsPartlyReadFile(name); });
    // None writable: skipped.
    ExitCopyWritten = WriteExitCopy(names, Competition->Rows(TCompetition::ForExitCopy));
    // The finals travel with the copy; like the copy itself, a failure here asks no one.
    if (!ExitCopyWritten.isEmpty())
        KeepBracketBeside(ExitCopyWritten, *Competition, TCompetition::ForExitCopy);
    // The copy above is the next exit's to replace; the competition keeps one of its own.
    WriteStampedExitCopy();
    // The journal ends with the protocol as it is now, before the window goes.
    if (Journal) {
        Journal->Flush();
        Journal->SetSource(nullptr);
    }
}
