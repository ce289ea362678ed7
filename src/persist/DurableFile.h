#pragma once
// Whole-file writes that survive a crash or a power cut at any moment: the new contents go to a
// temporary file beside the target, reach the disk, and only then take the target's name, so
// the name always stands for either the old or the new contents, never for a mixture.
#include <QByteArray>
#include <QString>

// Where a write stops when a test makes it stop as a killed process would: whatever is on disk
// at that moment stays there (a half-written temporary file included) and the call fails.
enum class TWriteStop { Never, HalfWritten, BeforeRename };

// Write, flush, fsync the file, rename it over fileName, fsync the folder (where the platform
// has that). Otherwise it writes as a create-or-truncate write would: through a link to the
// file the link names, and not at all into a file it may not write. On failure returns false,
// leaves fileName as it was, removes the temporary file and, when error is given, sets it to the
// file name and a German sentence around the system's reason ("No space left on device", not a
// generic one). Temporary files that earlier writes left in the folder (see DurableTempPrefix)
// are removed once their writer is gone.
bool WriteFileDurably(const QString& fileName, const QByteArray& data, QString* error,
                      TWriteStop stop = TWriteStop::Never);

// The temporary files of fileName's writes start with this; one left behind is the trace of a
// write that a crash interrupted and may be removed.
QString DurableTempPrefix(const QString& fileName);
