#include "widgets/BeamImage.h"

#include <QMouseEvent>
#include <QPainter>

TImageLS::TImageLS(QWidget* parent) : QLabel(parent) {
    setFixedSize(32, 32);
    setCursor(Qt::PointingHandCursor);
    setAttribute(Qt::WA_TranslucentBackground);
    ShowImage(0);
}

void TImageLS::ShowImage(int index) {
    if (index == Tag && !pixmap().isNull()) return;
    Tag = index;
    setPixmap(BeamPicture(index));
    update();
}

void TImageLS::mouseReleaseEvent(QMouseEvent* e) {
    if (rect().contains(e->position().toPoint()) && OnClick) OnClick();
    QLabel::mouseReleaseEvent(e);
}

QPixmap BeamPicture(int index) {
    // A light barrier seen from above: emitter on the left, receiver on the right. Armed, the
    // beam between them is lit red; disarmed, it is a broken grey line.
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool armed = index == 1;
    p.setPen(QPen(Qt::black, 1));
    p.setBrush(armed ? QColor(40, 40, 40) : QColor(150, 150, 150));
    p.drawRoundedRect(QRectF(1.5, 8.5, 7, 15), 2, 2);
    p.drawRoundedRect(QRectF(23.5, 8.5, 7, 15), 2, 2);
    if (armed) {
        p.setPen(QPen(QColor(255, 0, 0), 3));
        p.drawLine(QPointF(9, 16), QPointF(23, 16));
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(255, 80, 80));
        p.drawEllipse(QPointF(5, 16), 2, 2);
    } else {
        p.setPen(QPen(QColor(120, 120, 120), 2, Qt::DashLine));
        p.drawLine(QPointF(10, 16), QPointF(22, 16));
        p.setPen(QPen(QColor(120, 120, 120), 2));
        p.drawLine(QPointF(12, 26), QPointF(20, 30));
        p.drawLine(QPointF(12, 30), QPointF(20, 26));
    }
    return pm;
}
