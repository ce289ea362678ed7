#pragma once
// Column indexes of the protocol, its rows as files give them, where a stopped time went, and
// the milliseconds kept for it.
#include <cstdint>
#include <QStringList>
#include <QVector>

// Column indexes of the protocol.
namespace Col {
constexpr int StNr = 0, Name = 1, Ort = 2, Klasse = 3, Datum = 4, Turm1 = 5, Turm2 = 6, Turm3 = 7,
              Turm6 = 10, Zeit = 11, Platz = 12, Entry = 13, Count = 14;
}

// The protocol's rows as a file holds them: row 0 the titles, then one row of cells per
// participant.
using TProtocolRows = QVector<QStringList>;

// The protocol column last written for a track since the last RESET (-1: none).
struct TLastCell {
    std::int32_t Track = -1;
    std::int32_t Column = -1;
};

// The stopped milliseconds of one recorded run (run 0..5), as the journal keeps them: the entry
// is counted in load order without the "Qualifikation" dummy, as the journal's rows are.
struct TExactRun {
    std::int32_t Entry = -1;
    std::int32_t Run = -1;
    std::int32_t Ms = 0;
    bool operator==(const TExactRun&) const = default;
};
