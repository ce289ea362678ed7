#pragma once
// Stored colour values on screen: the conversion to and from Qt's colours.
#include "core/Colors.h"

#include <QColor>

// Converts a stored colour value to a QColor; system colours come from the application palette.
QColor ToQColor(TColor c);
// The stored value of a plain RGB colour.
TColor FromQColor(const QColor& c);
