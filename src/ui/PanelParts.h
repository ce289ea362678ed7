#pragma once
// The small pieces the windows are made of: named controls, the design's fonts and colours,
// the flat tool buttons.
#include "core/Colors.h"

#include <QString>

class QFont;
class QFrame;
class QLabel;
class QRect;
class QToolButton;
class QWidget;

template <typename W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

void SetBackground(QWidget* w, TColor colour);
void SetTextColour(QWidget* w, TColor colour); // returns at once when it has that colour
QWidget* ColouredPanel(QWidget* parent, const char* name, TColor colour);
QFrame* ColourShape(QWidget* parent, const char* name, TColor colour);
QFont DesignFont(const char* family, int pixels, bool bold = false);
QLabel* TimeLabel(QWidget* parent, const char* name, const QString& text, const char* family,
                  int pixels, TColor colour, const QRect& geometry);
QToolButton* ToolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, const char* picture);
