#pragma once
// The words and numbers a bracket is shown with, shared by the bracket window, the audience
// window and the bracket page, so all three name a round and write a time alike.
#include "core/Bracket.h"

#include <functional>
#include <QString>

// "Achtelfinale", "Viertelfinale", "Halbfinale", "Finale" for round 0.. of rounds; the small
// final is "Kleines Finale". Rounds out of range give "Runde n" (counted from 1).
QString BracketRoundName(int round, int rounds, bool smallFinal = false);

// One lane's result as the protocol writes it: the time in the given time format, "DIS."
// for a disqualification, empty for no run.
QString BracketLaneText(const TBracket::TLane& lane, int timeFormat);

// Who stands in a heat's side: the name lookup's text for an entry, "Freilos" for the empty
// side of a bye, empty while the side is still open.
QString BracketSideText(const TBracket::THeat& heat, int side,
                        const std::function<QString(int entry)>& name);

// The text of a participant for the bracket: the name cell when there is one, else the start
// number, else the participant-list text.
QString BracketEntryName(const QString& name, const QString& startNumber, const QString& listText);
