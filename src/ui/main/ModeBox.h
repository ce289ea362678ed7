#pragma once
// The middle of the selection row: the competition mode, the swap of the two tracks'
// participants, "Auf allen Strecken" for one tower with several runs, the ranking's category
// column ("Wertung") and the category the protocol shows.
#include <QWidget>

class QCheckBox;
class QComboBox;
class QToolButton;

class TModeBox : public QWidget {
    Q_OBJECT
public:
    explicit TModeBox(QWidget* parent);

    static QString ModeName(int mode);
    void ShowMode(int mode);
    void SetChoosable(bool choosable); // the mode list and "Auf allen Strecken"
    void SetSwapEnabled(bool enabled);
    void SetSwapShown(bool shown);
    void ShowAllTracks(bool shown, bool on);
    // The category column by its title: 0 "Wertung: gesamt", k "Wertung: nach <title k-1>".
    void ShowRanking(int klassCol, const QStringList& columnTitles);
    // "Anzeige: alle" and one entry per category; shown is an index into categories, -1 all.
    // Hidden while there are no categories.
    void ShowCategories(const QStringList& categories, int shown);

signals:
    void ModeChosen(int mode);
    void SwapClicked();
    void AllTracksToggled(bool on);
    void RankingChosen(int klassCol);
    void CategoryChosen(int index); // -1: all

private:
    QComboBox* m_mode;
    QToolButton* m_swap;
    QCheckBox* m_allTracks;
    QComboBox *m_ranking, *m_category;
};
