#pragma once
// One track's part of the selection row: the track colour, its caption and the list of
// participants the operator puts on the track (track 1 also holds the open button). The list
// shows the competition's participant list; who is on the track is the competition's heat.
#include "core/Colors.h"

#include <QWidget>

class QAbstractItemModel;
class QComboBox;
class QFrame;
class QLabel;
class QToolButton;

class TTrackPicker : public QWidget {
    Q_OBJECT
public:
    TTrackPicker(int track, QAbstractItemModel* participants, QWidget* parent);

    void ShowEntry(int entry); // -1: nobody, no selection
    void SetColour(TColor colour);
    void SetCaptionWarning(bool noRunLeft); // the caption turns red
    void SetChoosable(bool choosable);      // the list, and the open button beside it
    void SetLoadHint(const QString& hint);
    QPoint LoadButtonPoint() const; // a point on the open button, on the screen

signals:
    void ListChanged(int index); // the list's entry changed, whoever changed it
    void ColourClicked();
    void LoadClicked();
    void ImportClicked(); // "Startliste importieren" in the open button's menu

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QFrame *m_bar, *m_square;
    QLabel* m_caption;
    QComboBox* m_list;
    QToolButton* m_load = nullptr;
};
