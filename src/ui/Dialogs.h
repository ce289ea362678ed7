#pragma once
// Everything the main window asks the operator, or hands to the desktop, goes
// through this interface so tests can answer instead of a person.
#include "core/Colors.h"

#include <QString>
#include <QStringList>

class QDialog;

class TDialogs {
public:
    virtual ~TDialogs() = default;
    // A Yes/No question with a question icon; true only for Yes.
    virtual bool AskYesNo(const QString& text, const QString& caption) = 0;
    // A message with an OK button.
    virtual void ShowMessage(const QString& text, const QString& caption) = 0;
    // File dialogs; filters are Qt name filters, filterIndex is 1-based and updated
    // with the chosen type. An empty result means cancelled. folder is where the dialog
    // starts: a folder, or a file there to preselect. A typed name without an extension gets
    // the chosen type's.
    virtual QString OpenFileName(const QStringList& filters, int& filterIndex,
                                 const QString& folder) = 0;
    virtual QString SaveFileName(const QStringList& filters, int& filterIndex,
                                 const QString& folder, const QString& proposedName) = 0;
    // Shows one of the program's own dialogs modally and returns its result (QDialog::Accepted
    // or Rejected). Answerers that know no better run it as the operator would.
    virtual int RunModal(QDialog& dialog);
    // The colour dialog preset to colour; true and the chosen colour on OK, false on Cancel.
    // Answerers that have no colours to give cancel.
    virtual bool ChooseColor(TColor& colour) {
        (void)colour;
        return false;
    }
    // Leaving with unsaved results: 0 "Speichern", 1 "Beenden ohne Speichern", 2 "Abbrechen".
    // Answerers that know only Yes and No answer it as the plain question: Yes leaves.
    virtual int AskSaveBeforeQuit(const QString& text, const QString& caption) {
        return AskYesNo(text, caption) ? 1 : 2;
    }
    // A folder to write to, starting at start; empty when cancelled.
    virtual QString ChooseFolder(const QString& start) {
        (void)start;
        return {};
    }
    // The desktop's "open" / "print" of a document (an HTML page, a web address).
    virtual void ShellOpen(const QString& fileOrUrl) = 0;
    virtual void ShellPrint(const QString& file) = 0;
};

// The real thing: message boxes, file dialogs, the desktop services.
TDialogs* SystemDialogs();
