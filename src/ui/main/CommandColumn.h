#pragma once
// The middle column between the two time panels: START with the start beam's lock picture
// above it, one STOP per track with its beam's lock picture, and ABBRECHEN. It only shows
// what the window tells it and reports presses; the run decides what each press does.
#include "core/Colors.h"

#include <array>
#include <cstdint>
#include <QWidget>

class QTimer;
class QToolButton;
class TBitBtnWithColor;
class TImageLS;

class TCommandColumn : public QWidget {
    Q_OBJECT
public:
    enum TCommand { Start, Stop1, Stop2, Abort };
    explicit TCommandColumn(QWidget* parent);

    void SetCommand(TCommand command, bool enabled, TColor faceWhenEnabled);
    void Focus(TCommand command);
    // STOP1 and STOP2 with two towers, one STOP across the column with one.
    void SetTwoTracks(bool two);
    void LayOut();
    void SetBeamsShown(bool shown); // the lock pictures, while the contact port is open
    void ShowBeams(bool startArmed, bool stop1Armed, bool stop2Armed);
    // A contact that acted while its beam was not armed: its picture blinks for a moment.
    void FlashBeam(int beam);

signals:
    void StartClicked();
    void Pressed(TCommand command); // at the mouse press, as the keys act
    void AbortClicked();
    void BeamClicked(int beam); // 0 start, 1 and 2 the stop beams
    void StartShifted(std::uint32_t ms);

private:
    TBitBtnWithColor* Button(TCommand command) const;
    bool m_two = true;
    QWidget *m_startPart, *m_leftPart, *m_rightPart;
    TImageLS *m_startBeam, *m_beam1, *m_beam2;
    TBitBtnWithColor *m_start, *m_stop1, *m_stop2, *m_abort;
    std::array<bool, 3> m_armed{}; // what the pictures show between blinks
    std::array<int, 3> m_blinks{}; // picture changes still to come
    QTimer* m_blinkTimer;
};
