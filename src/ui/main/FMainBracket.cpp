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

QString TFormMain::BracketHtmlName() {
    // Beside the protocol page, named after it, so the two are found together.
    return EventFilePath(QStringLiteral("KO"), QStringLiteral(".html"));
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
    if (name.isEmpty()) return;
    QString error;
    // Every category's bracket and places, and the places of a category too small for a
    // final of its own.
    const TCompetition& c = *Competition;
    QVector<TBracketPageSection> sections;
    if (c.BracketKlassCol() <= 0) {
        sections.push_back({QString(), c.Bracket(), c.FinalPlaces()});
    } else {
        QStringList categories = c.Categories();
        for (const TCategoryBracket& b : c.Brackets())
            if (!categories.contains(b.Category)) categories << b.Category;
        for (const QString& category : categories) {
            TBracket bracket;
            for (const TCategoryBracket& b : c.Brackets())
                if (b.Category == category) bracket = b.Bracket;
            sections.push_back(
                {TCompetition::CategoryLabel(category), bracket, c.FinalPlacesOf(category)});
        }
    }
    if (!WriteBracketHtml(name, sections, BracketPage(), &error)) {
        TellNotWritten(name, error);
        Dialogs->ShowMessage(tr("Error write file: ") + name + '\n' + error,
                             QStringLiteral("Veltaro"));
        return;
    }
    TellWritten(name);
    Dialogs->ShellOpen(QFileInfo(name).absoluteFilePath());
}
