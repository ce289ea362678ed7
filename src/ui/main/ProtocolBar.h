#pragma once
// The protocol's title bar: file and page commands, row deletes, the track buttons and DIS,
// the sound switch, RESET with its auto-reset box, sorting, editing and TV mode. It shows
// what the window tells it and reports what the operator clicked.
#include "core/Colors.h"

#include <QLabel>

class QCheckBox;
class QToolButton;
class TBitBtnWithColor;

class TProtocolBar : public QLabel {
    Q_OBJECT
public:
    enum TButton {
        Save,
        DeleteRow,
        DeleteAll,
        Print,
        Track1,
        Dis1,
        Sound,
        Dis2,
        Track2,
        Word,
        Excel,
        Html,
        Tv,
        Undo,
        Edit,
        Sort,
        ButtonCount
    };
    explicit TProtocolBar(QWidget* parent);

    void SetEnabled(TButton button, bool enabled);
    void SetReset(bool enabled, TColor faceWhenEnabled);
    void FocusReset();
    void SetTwoTracks(bool two);
    void SetSoundIcon(bool on);
    void ShowTvMode(bool on);
    void ShowSorted(bool on); // without a signal: the view is not re-sorted
    void SetAutoResetHint(const QString& hint);

signals:
    void Clicked(TButton button);
    void MenuRequested(TButton button, const QPoint& global); // DeleteRow, Sound
    void ResetClicked();
    void ResetPressed();
    void AutoResetToggled(bool on);
    void EditToggled(bool on);
    void SortToggled(bool on);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    QToolButton* m_buttons[Edit] = {};
    QCheckBox *m_edit, *m_sort, *m_autoReset;
    QLabel *m_editLabel, *m_sortLabel;
    TBitBtnWithColor* m_reset;
};
