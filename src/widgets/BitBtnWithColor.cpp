#include "widgets/BitBtnWithColor.h"
#include "widgets/QtColors.h"

#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionButton>

TBitBtnWithColor::TBitBtnWithColor(const QString& caption, QWidget* parent)
    : QPushButton(caption, parent) {
    QFont f(QStringLiteral("Arial"));
    f.setPixelSize(16);
    f.setBold(true);
    setFont(f);
    connect(this, &QPushButton::clicked, this, [this] {
        if (OnClick) OnClick();
    });
}

void TBitBtnWithColor::setColor(TColor c) {
    if (c == m_color) return;
    m_color = c;
    repaint(); // the operator must see the state change now, not after the next event
}

void TBitBtnWithColor::setFontColor(TColor c) {
    if (c == m_fontColor) return;
    m_fontColor = c;
    update();
}

QColor TBitBtnWithColor::FaceColor() const {
    return isEnabled() ? ToQColor(m_color) : ToQColor(Colors::clBtnFace);
}

void TBitBtnWithColor::paintEvent(QPaintEvent*) {
    QPainter p(this);
    const QRect r = rect();
    const QColor face = FaceColor();
    p.fillRect(r, face);
    // A raised bevel, sunken while pressed.
    const bool down = isDown();
    p.setPen(down ? face.darker(200) : face.lighter(170));
    p.drawLine(r.topLeft(), r.topRight());
    p.drawLine(r.topLeft(), r.bottomLeft());
    p.setPen(down ? face.lighter(170) : face.darker(200));
    p.drawLine(r.bottomLeft(), r.bottomRight());
    p.drawLine(r.topRight(), r.bottomRight());
    p.setFont(font());
    p.setPen(isEnabled() ? ToQColor(m_fontColor)
                         : palette().color(QPalette::Disabled, QPalette::ButtonText));
    p.drawText(r.adjusted(0, down ? 1 : 0, 0, down ? 1 : 0), Qt::AlignCenter, text());
    if (hasFocus()) {
        p.setPen(QPen(isEnabled() ? ToQColor(m_fontColor) : Qt::black, 1, Qt::DotLine));
        p.drawRect(r.adjusted(3, 3, -4, -4));
    }
}

void TBitBtnWithColor::mousePressEvent(QMouseEvent* e) {
    if (OnMouseDown) OnMouseDown(e->button());
    // The press may have disabled the button (the command ran); then the release must not
    // act again, and a disabled button must not be left in its pressed look.
    if (!isEnabled()) {
        e->accept();
        return;
    }
    QPushButton::mousePressEvent(e);
}
