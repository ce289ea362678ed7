#pragma once
// One decimal digit drawn as a seven-segment figure of filled polygons, at any size.
// The race clock drives a row of these on every 10 ms tick, so every setter that paints
// does nothing when the value is unchanged and paints only this control, at once.
#include "core/Colors.h"

#include <array>
#include <functional>
#include <QPoint>
#include <QWidget>

enum TBorderStyle { bsNone, bsSingle };

// The eight polygons of a digit, in pattern bit order: bars[0..6] are the top, middle,
// bottom, upper left, upper right, lower left and lower right bars (six vertices each),
// mark is the small corner triangle of bit 7.
struct TDigitGeometry {
    std::array<std::array<QPoint, 6>, 7> bars;
    std::array<QPoint, 3> mark;
};

// Polygons for a control of width x height pixels; thickness is half a bar's width,
// separation how far each bar end stops short of the corner where two bars meet.
// Any arguments are safe: coordinates that would leave the int range are clamped.
TDigitGeometry DigitGeometry(int width, int height, int thickness, int separation);

// Segment pattern of each decimal digit (bit 0 top, 1 middle, 2 bottom, 3 upper left,
// 4 upper right, 5 lower left, 6 lower right, 7 corner mark).
extern const std::array<quint8, 10> DigitPatterns;

class TDigit : public QWidget {
    Q_OBJECT
public:
    explicit TDigit(QWidget* parent = nullptr);

    // Kept for the form's sake; the figure looks the same either way.
    TBorderStyle BorderStyle() const { return m_borderStyle; }
    void setBorderStyle(TBorderStyle style);

    TColor ColorOff() const { return m_colorOff; }
    void setColorOff(TColor color);

    TColor ColorOn() const { return m_colorOn; }
    void setColorOn(TColor color);

    // Background, also the colour of the seam around every segment.
    TColor Color() const { return m_color; }
    void setColor(TColor color);

    // The digit 0..9. Anything else shows 0 and calls OnOverflow.
    int Value() const { return m_value; }
    void setValue(int value);

    // The pattern actually drawn; setting it leaves Value alone.
    quint8 ValueBinary() const { return m_valueBinary; }
    void setValueBinary(quint8 pattern);

    // Accepted only when it fits the current size (at most half the width and half the
    // height); a misfit is ignored.
    int Thickness() const { return m_thickness; }
    void setThickness(int thickness);

    int Separation() const { return m_separation; }
    void setSeparation(int separation);

    // Called with this control when Value is given a number outside 0..9. It may assign
    // Value itself (what it leaves is what is shown) or even delete the control.
    std::function<void(TDigit*)> OnOverflow;
    int Tag = 0;

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    void repaintNow();
    // Repaints only the segments whose state differs from the pattern shown before.
    void repaintSegments(quint8 before);

    TBorderStyle m_borderStyle = bsSingle;
    TColor m_colorOff = Colors::clBlack;
    TColor m_colorOn = Colors::clYellow;
    TColor m_color = Colors::clBlack;
    int m_value = 0;
    quint8 m_valueBinary = 125;
    int m_thickness = 2;
    int m_separation = 1;
    bool m_inOverflow = false;
};
