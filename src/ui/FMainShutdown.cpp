// Leaving the program without losing results: the question before closing and the exit copy
// of the protocol.
#include "core/Competition.h"
#include "persist/ProtocolText.h"
#include "ui/Dialogs.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>
#include <QSignalBlocker>

void TFormMain::closeEvent(QCloseEvent* event) {
    if ((IsRunning() || Competition->Modified()) &&
        !Dialogs->AskYesNo(QStringLiteral("Beenden?"), QStringLiteral("Bestätigen"))) {
        event->ignore();
        return;
    }
    event->accept();
}

QString TFormMain::ExitCopyName() const {
    const QFileInfo program(QCoreApplication::applicationFilePath());
    return program.absolutePath() + '/' + program.completeBaseName() + QStringLiteral(".txt");
}

void TFormMain::Shutdown() {
    // The copy is in load order, whatever the operator was looking at.
    if (Competition->Sorted()) {
        const QSignalBlocker quiet(cbSort);
        cbSort->setChecked(false);
        Competition->SetSorted(false); // and recomputes, as unticking the box does
    }
    QString error;
    // A copy that cannot be written is skipped.
    WriteProtocolFile(ExitCopyName(), Competition->Rows(TCompetition::ForExitCopy), &error);
}
