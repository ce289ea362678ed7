#pragma once
// What the hall's screen shows beside the running digits: who climbs on each lane, the finals'
// round and heat, a lane that is out, and once both lanes are in, the lane that won. Worked
// out from the competition and the run alone, so the audience window only shows it.
#include "core/Bracket.h"

#include <array>
#include <cstdint>
#include <QString>

class TCompetition;
class TRunController;

struct THallLane {
    QString startNumber, name, club, category; // empty for nobody (or the dummy)
    QString mark;                              // "DIS." or "FS." once the lane is out, else empty
    bool operator==(const THallLane&) const = default;
};

struct THallBoard {
    QString heading; // the finals' round and heat, "Viertelfinale 2/4"; empty outside the finals
    std::array<THallLane, 2> lanes;
    int winner = -1; // the lane (0 / 1) that won the heat just run, -1 while there is none
    bool operator==(const THallBoard&) const = default;
};

// One lane when a heat of two ends.
struct THallOutcome {
    enum TKind { Open, Time, Out } kind = Open; // not yet in, a time, DIS or a false start
    std::uint32_t ms = 0;                       // for Time
};
// The faster of two lanes; a lane that is out loses to one with a time. None (-1) while a lane
// is still open, for two lanes out, and for a tie to the millisecond (the finals' RESET then
// decides by its own rules).
int HallWinner(const THallOutcome& a, const THallOutcome& b);

// "Viertelfinale 2/4": the round's name and the heat's place among that round's heats; the
// finals and the small final by their names alone. Empty for no heat.
QString HallHeatHeading(const TBracket& bracket, int heat);

// The board for the heat on the tracks: in the finals with its heading; the winner only after
// both lanes of a run on two tracks stopped, until RESET.
THallBoard HallBoard(const TCompetition& competition, const TRunController& run);
