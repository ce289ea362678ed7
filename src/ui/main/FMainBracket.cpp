// The finals bracket from the main window: its window and its HTML page.
#include "persist/BracketHtml.h"
#include "persist/SettingsGlue.h"
#include "ui/Dialogs.h"
#include "ui/finals/BracketView.h"
#include "ui/finals/FBracket.h"
#include "ui/main/FMain.h"

#include <QFileInfo>

void TFormMain::mBracketClick() {
    if (!FormBracket) {
        FormBracket = new TFormBracket(this, *Competition, *Run, Settings, *Dialogs);
        connect(FormBracket, &TFormBracket::HtmlRequested, this, &TFormMain::mBracketHtmlClick);
    }
    FormBracket->Refresh();
    FormBracket->show();
    FormBracket->raise();
    FormBracket->activateWindow();
}

QString TFormMain::BracketHtmlName() const {
    // Beside the protocol page, named after it, so the two are found together.
    return ProgramBaseName() + QStringLiteral("-KO.html");
}

TBracketPage TFormMain::BracketPage() const {
    const TCompetition* c = Competition;
    // The page lists the whole field: those the finals did not reach follow the bracket's.
    return {QStringLiteral("TL-Veltaro"), Settings.Title, Settings.TimeFormat,
            [c](int entry) { return BracketName(*c, entry); }, c->FinalPlaces()};
}

void TFormMain::mBracketHtmlClick() {
    if (Competition->Bracket().IsEmpty()) {
        const QString note = Competition->BracketNote();
        Dialogs->ShowMessage(note.isEmpty() ? tr("Kein K.-o.-Feld.") : note, tr("K.-o.-Feld"));
        return;
    }
    const QString name = BracketHtmlName();
    QString error;
    if (!WriteBracketHtml(name, Competition->Bracket(), BracketPage(), &error)) {
        Dialogs->ShowMessage(tr("Error write file: ") + name + '\n' + error,
                             QStringLiteral("Veltaro"));
        return;
    }
    Dialogs->ShellOpen(QFileInfo(name).absoluteFilePath());
}
