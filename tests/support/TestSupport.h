#pragma once
// The window tests' reach into the program: they build it as the entry point does, answer its
// questions from a script, and touch it only through keys, clicks, controls found by their
// object names and the model objects it was given.
#include "core/TickCount.h"
#include "ModelSupport.h"
#include "ui/AppForms.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"

#include <functional>
#include <memory>
#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>

// Answers the main window's questions from a script and records what was asked.
class TScriptedDialogs : public TDialogs {
public:
    QList<bool> answers;   // consumed front first; No when empty
    QStringList asked;     // texts of the questions, in order
    QStringList messages;  // texts of the messages shown
    QStringList openNames; // consumed front first by OpenFileName
    QStringList saveNames; // consumed front first by SaveFileName
    QList<int>
        quitChoices;      // "Beenden?" with unsaved results: 0 save, 1 leave, 2 stay; else answers
    QStringList folders;  // consumed front first by ChooseFolder
    int chosenFilter = 0; // when > 0, the filter index the "operator" picks
    QString types;        // the last file dialog's types, the one it opened on in brackets
    QStringList shellOpened, shellPrinted;
    std::function<void()> whileAsking; // runs while a question is open, before its answer
    // Answers the program's own modal dialogs (the settings dialog) while they are shown, as
    // the operator would; without it they are cancelled.
    std::function<int(QDialog&)> onModal;

    bool AskYesNo(const QString& text, const QString& caption) override;
    void ShowMessage(const QString& text, const QString&) override { messages << text; }
    QString OpenFileName(const QStringList& filters, int& filterIndex, const QString&) override {
        return Next(openNames, &filterIndex, filters);
    }
    QString SaveFileName(const QStringList& filters, int& filterIndex, const QString&,
                         const QString&) override {
        return Next(saveNames, &filterIndex, filters);
    }
    int RunModal(QDialog& dialog) override;
    int AskSaveBeforeQuit(const QString& text, const QString& caption) override;
    QString ChooseFolder(const QString&) override { return Next(folders); }
    void ShellOpen(const QString& fileOrUrl) override { shellOpened << fileOrUrl; }
    void ShellPrint(const QString& file) override { shellPrinted << file; }

private:
    // The next scripted name ("" when none is left, as when the operator cancels).
    QString Next(QStringList& names, int* filterIndex = nullptr, QStringList filters = {}) {
        if (filterIndex) {
            // The type the dialog opens on, in brackets among those it offers.
            const int shown = *filterIndex - 1;
            if (shown >= 0 && shown < filters.size()) filters[shown] = '[' + filters[shown] + ']';
            types = filters.join(QLatin1Char(';'));
        }
        if (filterIndex && chosenFilter > 0) *filterIndex = chosenFilter;
        return names.isEmpty() ? QString() : names.takeFirst();
    }
};

// A control by its object name. A name that is gone is a broken window, not a skipped check:
// the test program stops and says which.
template <class T> T* Find(QObject& parent, const char* name) {
    T* found = parent.findChild<T*>(QString::fromLatin1(name));
    if (!found) qFatal("no control named %s", name);
    return found;
}

// A protocol as a file would give it: the title row, then n participants with start numbers
// 1..n (or the given ones), classes A and B alternating.
TProtocolRows ParticipantRows(int n, const QList<int>& startNumbers = {});

// The program's windows as the tests drive them: its settings in a temporary file, its
// questions answered by a script, its clock a manual one, the main window shown and active so
// that keys reach it.
class TWindowFixture {
public:
    explicit TWindowFixture(bool show = true);
    ~TWindowFixture();
    // Ends the program's windows (which writes the settings) and makes them again on the same
    // settings file, as a restart would.
    void Restart(bool show = true);
    QString SettingsFile() const { return dir.filePath(QStringLiteral("settings.conf")); }

    template <class T> T* Get(const char* name) { return Find<T>(*w, name); }
    TSettings& Settings() { return parts->Settings; }
    TCompetition& Competition() { return *parts->Competition; }
    TRunController& Run() { return *parts->Run; }

    // The operator picks a mode (0 Qualifikation, 1 Individuelles Klettern, 2 Paarrennen,
    // 3 Finale) in the mode box.
    void ChooseMode(int vid);
    // Participants loaded in a mode, as a file of that name would load them.
    void Load(int vid, const TProtocolRows& rows);
    // START, then the tracks stopped after t1 and t2 ms (the earlier first; 0 leaves a track
    // running), without RESET.
    void Heat(int t1, int t2);

    // An operator's session as steps separated by blanks:
    //   F8 ^X ^Del ^- Esc    a key (^ holds Ctrl, _ Shift); in:^X into the focused widget
    //   +1234                the clock moves on (ms)
    //   ~                    one tick of the race clock     poll     the run's deadlines
    //   load:2/4             4 participants in mode 2       mode:3   the mode box
    //   klass:4 runs:4       the settings: places per class of column 4, runs per participant
    //   late                 every later question is answered only after an auto-reset's time
    //   edit:1:3:xy          xy typed into the editor of cell 1 of row 3    commit  the grid
    //                        takes the focus back (an open editor commits)
    //   press:bSTART release:bSTART click:sb1del rclick:bSTOP2   the mouse on a control
    //   row:3 dbl:3          a click, a double click on a grid row (dbl:-1 below the rows)
    //   menu:0               an entry of the row-delete pop-up
    //   yes no               the next question's answer     sort     "Sortieren" ticked
    //   open:91/4            a file of 4 participants from start number 91, next in the open
    //                        dialog                         close    the main window closed
    //   filter:2             the type the file dialogs choose
    void Play(const QString& steps);
    // What the window shows: flags (clock START STOP1 STOP2 RESET ABBRECHEN lists settings as
    // 0/1), tracks (start numbers "1-2"), d1 d2 (digits), c:COL:ROW, m:COL:ROW (the model's
    // cell of that row in load order), of:STNR:COL, col:COL, note, focus, asked, msgs, red (the
    // track captions), listed, modified, shown (the main window), title, types (the last file
    // dialog's), on:NAME, checked:NAME, vis:NAME.
    QString Probe(const QString& what);
    // Compares "probe=value|probe=value|..." with what the probes show.
    void Expect(const QString& checks);

    // The start numbers a track list offers.
    QStringList Listed(int track);
    // The six digits of a track as one text.
    QString Digits(int track);

    QTemporaryDir dir;
    TManualClock clock;
    TScriptedDialogs dialogs;
    std::unique_ptr<TAppParts> parts;
    std::unique_ptr<TAppForms> forms;
    TFormMain* w = nullptr;

private:
    void Open(bool show);
};

class TSimComLines;
// Opens the contact port on a simulated device and returns its lines.
std::shared_ptr<TSimComLines> OpenSimulatedPort(TWindowFixture& f);
