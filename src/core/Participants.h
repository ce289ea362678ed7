#pragma once
// Participant-list entries and the run column a stopped time goes to.
#include <optional>
#include <QString>
#include <QStringList>

// The list entry of a protocol row: start number, name, club and class joined by blanks.
QString EntryText(const QString& stNr, const QString& name, const QString& ort,
                  const QString& klasse);

// The start number of an entry: its text up to the first blank as a decimal number.
// Strict: nothing when there is no blank or no number there (the dummy entry "0").
std::optional<int> StartNumberStrict(const QString& entry);
// Loose, as the time recorder reads it: 0 when the strict read fails.
inline int StartNumberLoose(const QString& entry) {
    return StartNumberStrict(entry).value_or(0);
}

// The run column (5..10) that receives track t's time in a row, or -1: the track's columns
// are tried in turn (every CountBahn-th from t + 5) up to the last active run column, and the
// first blank one is taken.
int RecordColumn(const QStringList& rowCells, int track, int countBahn, int countZabegov);

// Bits of the blank active run columns of a row: bit i - 1 for "Turm" i.
unsigned EmptyRunMask(const QStringList& rowCells, int countZabegov);

// The bit of the last run column that belongs to a track, by runs per participant.
unsigned TrackTableBit(int track, int countZabegov, int countBahn);
