#pragma once
// What the phone pages show of the competition, read from the model: who someone is in separate
// fields, the standings per category, the heats just run and the bracket. Plain values made on
// the GUI thread when something changed; the server thread turns them into pages and JSON.
#include "live/LiveSnapshot.h"

#include <optional>

class TCompetition;

// The fields of an entry; nobody (and the "Qualifikation" dummy) gives empty fields.
TLivePerson LivePerson(const TCompetition& c, int entry);
// What the heat on the tracks belongs to: in the finals its round and number ("Halbfinale,
// Lauf 13"), else the mode's name as given.
QString LiveRound(const TCompetition& c, const QString& modeName);
// Every entry but the dummy in ranking order, grouped by the class column's value (one
// category "gesamt" without one); place, result and runs as the protocol holds them.
TLiveStandings LiveStandings(const TCompetition& c, const QString& title);
// Today's one bracket, as the category "gesamt"; none before the finals.
TLiveBrackets LiveBrackets(const TCompetition& c, const QString& title, int timeFormat);
// The finals' decided heats that were raced, newest first, at most max.
QVector<TLiveHeat> LiveFinalsHeats(const TCompetition& c, int timeFormat, int max);

// The heats of the modes before the finals, as they were run: who stood on which track and
// which run cell each stop filled. The results are read from those cells whenever the heats are
// asked for, so a DIS, an edit or an undo after the heat shows; a lane whose cell is empty again
// (or whose participant was deleted) drops out, and a heat with no lane left with it.
class TLiveHeatLog {
public:
    // START: the pair on the tracks (the dummy is nobody).
    void Started(const TCompetition& c, const QString& round);
    // A track stopped and the competition recorded it (or not).
    void Stopped(const TCompetition& c, int track);
    // The heat is over (every track stopped, RESET, or an abort after a stop): into the log
    // when a stop filled a cell. Twice is once.
    void Ended();
    void Clear();
    QVector<TLiveHeat> Heats(const TCompetition& c, int max) const; // newest first

private:
    struct TLogLane {
        int track = 0;
        int entry = -1, column = -1;
        QString number, name; // to find the entry again after rows were deleted
    };
    struct TLogHeat {
        QString round;
        QVector<TLogLane> lanes;
    };
    std::optional<TLogHeat> m_running;
    QVector<TLogHeat> m_done; // oldest first
};
