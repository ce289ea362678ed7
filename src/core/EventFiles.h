#pragma once
// The names of one competition's files: its folder, the files in it, and the stamped copy each
// exit leaves there. A title may hold anything the operator typed; a name on the disk may not.
#include "core/Columns.h"

#include <QDateTime>
#include <QString>

// The text as a file or folder name on Windows and Linux alike: characters a name cannot hold
// (< > : " / \ | ? * and control characters) become "_", blanks and dots at the end go (Windows
// drops them), a device name (CON, COM1, ...) gets a "_" and the name is cut to maxLength
// characters. Never empty: "Wettkampf" stands in for a text of nothing usable.
QString SafeFileName(const QString& text, int maxLength = 80);

// The event folder's name when none was chosen: "2026-12-06 Qualifikation".
QString DefaultEventFolderName(const QDate& date, const QString& title);

// A file of the competition: "2026-12-06_Qualifikation_Ergebnisliste.pdf" for the date, the
// title, a kind ("" for none) and an extension with its dot.
QString EventFileName(const QDate& date, const QString& title, const QString& kind,
                      const QString& extension);

// The exit's copy in the event folder, stamped to the second so that no later exit replaces
// it: "Beenden 2026-12-06 18-42-07 Qualifikation.txt".
QString StampedExitCopyName(const QDateTime& when, const QString& title);

// The results not in the last save: run cells of now that are filled and differ from the same
// participant's (start number and name) cell in saved.
int UnsavedResults(const TProtocolRows& saved, const TProtocolRows& now);
