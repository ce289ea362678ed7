#pragma once
// The window "K.-o.-Feld": the finals bracket for the operator, following the competition as
// heats are run, with the two commands that change a bracket after the fact (build it anew,
// run the last heat again), each asked first.
#include <QWidget>

class QComboBox;
class QLabel;
class QPushButton;
class TBracketView;
class TCompetition;
class TDialogs;
class TRunController;
struct TSettings;

class TFormBracket : public QWidget {
    Q_OBJECT
public:
    // A window of its own over parent; the objects it reads must outlive it.
    TFormBracket(QWidget* parent, TCompetition& competition, const TRunController& run,
                 const TSettings& settings, TDialogs& dialogs);

    // --- controls (object names equal the member names) ------------------------------------
    TBracketView* BracketView;
    QComboBox* cbKategorie; // which category's bracket is shown and raced next
    QLabel* labNote;        // why there is no bracket, or the note on a tie at the cut-off
    QPushButton *bRebuild, *bRerun, *bHtml;

    // The bracket, its note and the buttons as the competition and the run have them now.
    void Refresh();
    void bRebuildClick();
    void bRerunClick();
    void cbKategorieChange(int index);
    // The heat "Lauf wiederholen" offers: the last one decided by a run, -1 when none is.
    int RerunCandidate() const;

signals:
    void HtmlRequested(); // the bracket page beside the protocol page

private:
    static QString Caption(); // the window's title, also the caption of its questions
    void UpdateButtons();
    TCompetition& m_competition;
    const TRunController& m_run;
    const TSettings& m_settings;
    TDialogs& m_dialogs;
};
