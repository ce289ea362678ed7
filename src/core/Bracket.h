#pragma once
// The finals bracket: a knock-out of 16, 8 or 4 places seeded from the qualification ranking,
// a small final for the semi-final losers and a big final. It knows nothing of tracks, clocks
// or windows: the competition asks it for the current pair, hands it each heat's two lane
// results and asks it for the final places. Participants are the competition's entry numbers.
//
// Seeding is fixed by the size: the first round pairs, top to bottom, 1-16, 8-9, 4-13, 5-12,
// 2-15, 7-10, 3-14, 6-11 (16); 1-8, 4-5, 2-7, 3-6 (8); 1-4, 2-3 (4). The better seed climbs on
// lane A (track 1). A seed with no starter is a bye: the other side advances without a run.
// Heat winner: the lower valid time; a DIS or no time loses; both valid and equal to the
// hundredth: the exact milliseconds where both lanes have them, then the better of each
// climber's best valid time in this and the earlier rounds, then the better seed. Both
// invalid: a false start loses, two false starts the earlier release; else the better seed.
#include <array>
#include <cstdint>
#include <optional>
#include <QString>
#include <QStringList>
#include <QVector>

class TBracket {
public:
    // One lane's outcome of a heat as the protocol knows it.
    enum TLaneKind { LaneNone, LaneDis, LaneTime };
    struct TLane {
        TLaneKind Kind = LaneNone;
        std::int32_t Ms = 0;               // shown time, hundredths precision (a multiple of 10)
        std::optional<std::int32_t> Exact; // the stopped milliseconds, none for a typed time
        // From the foot pads: the reaction in ms (negative: left before START); a false start
        // is a LaneDis that loses even to a lane without a time.
        std::optional<std::int32_t> Reaction{};
        bool FalseStart = false;
    };
    // Rounds are numbered from the first: with 16 places 0 = eighth-finals, 1 = quarter,
    // 2 = semi, 3 = the finals (big and small final share the last round).
    struct THeat {
        int Round = 0;
        int Slot = 0;                  // top to bottom within the round
        bool SmallFinal = false;       // the race for third place
        std::array<int, 2> Seed{0, 0}; // 1-based seeds on lane A / lane B, 0 = nobody (yet)
        std::array<int, 2> Entry{-1, -1};
        std::array<TLane, 2> Lane{};
        int Winner = -1;  // lane 0 or 1 once decided, -1 open
        bool Bye = false; // decided without a run
        // Earlier runs of this heat the operator voided to re-run it; kept for the record.
        QVector<std::array<TLane, 2>> Voided;
    };
    struct TSeed {
        int Entry = -1;
        std::int32_t QualMs = -1; // the qualification result, -1 none (for places by stage)
    };

    TBracket() = default;
    bool IsEmpty() const { return m_heats.isEmpty(); }
    // Builds a bracket of the smallest size 4, 8 or 16 that is not above maxSize and holds
    // the starters; ranked lists the qualification ranking best first and is cut after maxSize
    // entries. Fewer than two starters: none, with a message for the operator in error.
    static std::optional<TBracket> Build(const QVector<TSeed>& ranked, int maxSize,
                                         QString* error = nullptr);

    int Size() const { return m_size; }                     // 4, 8 or 16
    int Rounds() const;                                     // 2, 3 or 4
    const QVector<THeat>& Heats() const { return m_heats; } // in racing order
    // The heat on the tracks: the first undecided heat with both sides known; -1 when the
    // bracket is decided.
    int CurrentHeat() const;
    bool Finished() const { return CurrentHeat() < 0; }
    // The result of the current heat; decides the winner when both lanes are in and moves the
    // winner (and, from the semi-finals, the loser to the small final) on. False when there is
    // no current heat.
    bool SetResult(int heat, const TLane& laneA, const TLane& laneB);
    // Keeps the heat's lanes as a voided run and opens it again. A heat decided by a run may be
    // re-run while no heat its outcome fed has been raced since; false otherwise (and for a
    // bye or an open heat).
    bool Rerun(int heat);
    // An entry was deleted from the competition: it loses every open heat it is in (a bye
    // for the other side) and entry numbers above it move down by one.
    void EntryRemoved(int entry);
    // An entry was inserted before the given number (the "Qualifikation" dummy going back to
    // the top): numbers from it on move up by one.
    void EntryInserted(int entry);
    // Final places, one per seeded entry, best first: 1-2 from the big final, 3-4 from the
    // small final, then by the round lost in (later is better), then by the time of the heat
    // lost (no time last), then by seed. Undecided stages share nothing: entries whose place
    // is not yet known are left out.
    QVector<std::pair<int, int>> Places() const; // (entry, place)

    // The journal keeps a bracket as text lines and reads them back; a broken text gives none.
    QStringList ToLines() const;
    static std::optional<TBracket> FromLines(const QStringList& lines);

    // The seeds, best first: Seeds()[k] is seed k + 1 (Entry -1: nobody, a bye).
    const QVector<TSeed>& Seeds() const { return m_seeds; }
    // The bracket size a wish becomes: 4, 8 or 16, rounded down, at least 4.
    static int NormalizedSize(int size);
    // The heat whose winner or loser fills side (0 / 1) of a heat; -1 in the first round.
    int Feeder(int heat, int side) const;

private:
    // Everything but the seeds, the raced lanes and the voided runs follows from them: who
    // stands in each heat, byes and winners are worked out again after every change, so a
    // re-run, a deletion or a journal read cannot leave a stale winner behind.
    bool Settle();
    static QVector<THeat> Shape(int size); // the heats of a size in racing order
    int DecideRace(const THeat& h) const;
    std::int32_t BestHundredths(int seed, int upToHeat) const;

    int m_size = 0;
    QVector<TSeed> m_seeds;
    QVector<THeat> m_heats;
    QVector<bool> m_raced; // per heat: its lanes hold a run that counts
};

// The finals of a competition run per category: one bracket per category (the distinct values
// of the category column), or one bracket of the whole field (column 0, category empty).
struct TCategoryBracket {
    QString Category; // as the protocol spells it; empty for the whole field
    TBracket Bracket;
};
struct TBracketSet {
    int KlassCol = 0; // the category column the brackets were built by, 1..5; 0 the whole field
    int Current = 0;  // the bracket whose heat stands on the tracks
    QVector<TCategoryBracket> Brackets;
};
// Lines as the journal and the companion file keep them. One bracket of the whole field is
// written as a single bracket's lines, as before there were categories; otherwise a head line
// "Categories <column> <current>" and each bracket's lines after "Category <name>" (the name
// percent-encoded, so blanks and line breaks survive). A single bracket's lines read back as
// the whole field's. None for anything broken.
QStringList BracketSetLines(const TBracketSet& set);
std::optional<TBracketSet> BracketSetFromLines(const QStringList& lines);
