#pragma once
#include "ui/Dialogs.h"

#include <functional>
#include <QList>
#include <QString>
#include <QStringList>

// Answers the main window's questions from a script and records what was asked.
class TScriptedDialogs : public TDialogs {
public:
    QList<bool> answers;       // consumed front first; No when empty
    QStringList asked;         // texts of the questions, in order
    QStringList askedCaptions; // their captions
    QStringList messages;      // texts of the messages shown
    QStringList openNames;     // consumed front first by OpenFileName
    QStringList saveNames;     // consumed front first by SaveFileName
    int chosenFilter = 0;      // when > 0, the filter index the "operator" picks
    QStringList shellOpened, shellPrinted;
    QStringList openFolders, saveFolders, proposedNames; // where each file dialog started
    // Answers the program's own modal dialogs (the settings dialog) while they are shown, as
    // the operator would; without it they are cancelled.
    std::function<int(QDialog&)> onModal;
    int modalRuns = 0;
    QList<TColor> colourAnswers; // consumed front first; Cancel when empty
    QList<TColor> colourPresets; // the colour each colour dialog opened with

    bool AskYesNo(const QString& text, const QString& caption) override;
    void ShowMessage(const QString& text, const QString& caption) override;
    QString OpenFileName(const QStringList& filters, int& filterIndex,
                         const QString& folder) override;
    QString SaveFileName(const QStringList& filters, int& filterIndex, const QString& folder,
                         const QString& proposedName) override;
    int RunModal(QDialog& dialog) override;
    bool ChooseColor(TColor& colour) override;
    void ShellOpen(const QString& fileOrUrl) override { shellOpened << fileOrUrl; }
    void ShellPrint(const QString& file) override { shellPrinted << file; }
};

#include "core/TickCount.h"
#include "ui/FMain.h"

#include <memory>
#include <QTemporaryDir>

// A protocol as a file would give it: the title row, then n participants with start numbers
// 1..n (or the given ones).
TProtocolRows ParticipantRows(int n, const QList<int>& startNumbers = {});

// A main window as the tests drive it: its settings in a temporary file, its questions
// answered by a script, its clock a manual one, shown and active so keys reach it.
class TWindowFixture {
public:
    explicit TWindowFixture(bool show = true);
    ~TWindowFixture();
    // Closes the window (which writes its settings) and opens a new one on the same settings
    // file, as a restart of the program would.
    void Restart(bool show = false);
    QString SettingsFile() const { return dir.filePath(QStringLiteral("settings.conf")); }
    // Loads participants in a mode (0 Qualifikation, 1 Individuelles Klettern, 2 Paarrennen).
    void Load(int vid, const TProtocolRows& rows);
    // Presses a key in the window.
    void Key(int key, Qt::KeyboardModifiers mods = Qt::NoModifier);

    QTemporaryDir dir;
    TManualClock clock;
    TScriptedDialogs dialogs;
    std::unique_ptr<TAppParts> parts;
    std::unique_ptr<TFormMain> w;

private:
    void Open(bool show);
};

#include "ModelSupport.h"

#include <memory>

class TSimComLines;

// Opens the window's contact port on a simulated device and returns its lines.
std::shared_ptr<TSimComLines> OpenSimulatedPort(TFormMain& w);
