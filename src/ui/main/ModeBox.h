#pragma once
// The middle of the selection row: the competition mode, the swap of the two tracks'
// participants, and "Auf allen Strecken" for one tower with several runs.
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

signals:
    void ModeChosen(int mode);
    void SwapClicked();
    void AllTracksToggled(bool on);

private:
    QComboBox* m_mode;
    QToolButton* m_swap;
    QCheckBox* m_allTracks;
};
