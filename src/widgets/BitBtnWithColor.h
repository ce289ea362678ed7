#pragma once
// A push button with a face colour that can change at any time (the run commands show
// their state by colour), a bold caption and press notifications that act on the press.
#include "core/Colors.h"

#include <functional>
#include <QPushButton>

class TBitBtnWithColor : public QPushButton {
    Q_OBJECT
public:
    explicit TBitBtnWithColor(const QString& caption = QString(), QWidget* parent = nullptr);

    TColor Color() const { return m_color; }
    void setColor(TColor c); // shown at once
    TColor FontColor() const { return m_fontColor; }
    void setFontColor(TColor c);

    int Tag = 0;
    std::function<void()> OnClick;                    // click (release, or keyboard)
    std::function<void(Qt::MouseButton)> OnMouseDown; // any mouse button, at the press

    // The face actually painted: the button face while disabled.
    QColor FaceColor() const;

protected:
    void paintEvent(QPaintEvent* e) override;
    void mousePressEvent(QMouseEvent* e) override;

private:
    TColor m_color = Colors::clBtnFace;
    TColor m_fontColor = Colors::clWhite;
};
