#pragma once
// The copy of the protocol written at every normal end of the program. It goes beside the
// program, as operators of the Windows program expect; where the program sits in a folder the
// operator cannot write (an installed /usr/bin), it goes to the user's data folder instead, so
// the results are never silently lost.
#include "persist/ProtocolText.h"

#include <QString>
#include <QStringList>

// Where the copy may go, best first: <program folder>/<program base name>.txt, then the same
// name in dataFolder (left out when dataFolder is empty).
QStringList ExitCopyCandidates(const QString& programFile, const QString& dataFolder);

// The first candidate that can be written now, as a quick look without writing: an existing
// writable file, or a missing file in a writable (or creatable) folder. Empty when none.
QString ExitCopyTarget(const QStringList& candidates);

// Writes the rows to the first candidate that takes them (creating the data folder when
// needed) and returns that file's path; empty when none could be written.
QString WriteExitCopy(const QStringList& candidates, const TProtocolRows& rows);
