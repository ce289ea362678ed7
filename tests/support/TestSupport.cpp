#include "TestSupport.h"

bool TScriptedDialogs::AskYesNo(const QString& text, const QString& caption) {
    asked << text;
    askedCaptions << caption;
    return answers.isEmpty() ? false : answers.takeFirst();
}

void TScriptedDialogs::ShowMessage(const QString& text, const QString&) { messages << text; }

QString TScriptedDialogs::OpenFileName(const QStringList&, int& filterIndex, const QString&) {
    if (chosenFilter > 0) filterIndex = chosenFilter;
    return openNames.isEmpty() ? QString() : openNames.takeFirst();
}

QString TScriptedDialogs::SaveFileName(const QStringList&, int& filterIndex, const QString&,
                                       const QString&) {
    if (chosenFilter > 0) filterIndex = chosenFilter;
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
}
