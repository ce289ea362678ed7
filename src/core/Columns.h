#pragma once
// Column indexes of the protocol, and where a stopped time went.
#include <cstdint>

// Column indexes of the protocol.
namespace Col {
constexpr int StNr = 0, Name = 1, Ort = 2, Klasse = 3, Datum = 4, Turm1 = 5, Turm2 = 6, Turm3 = 7,
              Turm6 = 10, Zeit = 11, Platz = 12, Entry = 13, Count = 14;
}

// The protocol column last written for a track since the last RESET (-1: none).
struct TLastCell {
    std::int32_t Track = -1;
    std::int32_t Column = -1;
};
