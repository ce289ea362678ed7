#pragma once
// The clickable beam-lock picture beside each contact's button. Its Tag is the picture shown
// (1 armed, 0 disarmed); the beam state itself is the run controller's.
#include <functional>
#include <QLabel>
#include <QPixmap>

class TImageLS : public QLabel {
    Q_OBJECT
public:
    explicit TImageLS(QWidget* parent = nullptr);
    int Tag = 0;
    std::function<void()> OnClick;
    void ShowImage(int index); // index into the two pictures: 0 disarmed, 1 armed

protected:
    void mouseReleaseEvent(QMouseEvent* e) override;
};

// The two 32 x 32 pictures of a beam: disarmed (0) and armed (1).
QPixmap BeamPicture(int index);
