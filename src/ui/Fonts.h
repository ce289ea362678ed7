#pragma once
// The window's design sizes assume the Windows fonts "MS Sans Serif", "Arial",
// "Times New Roman" and "Courier". Where a family is missing, its metric twin stands in
// (the Liberation fonts have the same character widths), so texts fit as designed.
#include <QString>
#include <QStringList>

// Adds the stand-ins for every design family the system lacks. Safe to call more than once.
void InstallFontSubstitutes();

// The stand-in families tried for a design family, best first (empty for unknown families).
QStringList DesignFontStandIns(const QString& family);
