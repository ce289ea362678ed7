// Leaving the program without losing results: the question before closing and the exit copy
// of the protocol.
#include "persist/Journal.h"
#include "ui/Dialogs.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QCloseEvent>
#include <QCoreApplication>
#include <QFileInfo>

void TFormMain::closeEvent(QCloseEvent* event) {
    if ((IsRunning() || SortGrid1->Modified()) &&
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
    if (cbSort->isChecked()) {
        cbSort->setChecked(false);
        RecalcProtocol();
    }
    QString error;
    // A copy that cannot be written is skipped, and so is one that would replace a file that
    // was only partly read (the exit copy is no one's to ask about).
    if (!IsPartlyReadFile(ExitCopyName())) WriteProtocolText(ExitCopyName(), &error);
    // The journal ends with the protocol as it is now, before the window goes.
    if (Journal) {
        Journal->Flush();
        Journal->SetSource(nullptr);
    }
}
