#pragma once
// Stored window bounds against the screens that are there now: a stored 32767 x 32767 would
// make a window of 4 GB of pixels, and a position from a screen since unplugged would put the
// window where nobody can see it.
#include <QList>
#include <QRect>

// The stored bounds made to fit: no wider or higher than all available screen areas together,
// and moved onto the first screen (centred) when no piece of its title bar is on a screen. No
// screens: the bounds as stored.
QRect FitWindowToScreens(const QRect& stored, const QList<QRect>& available);
