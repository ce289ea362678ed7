#pragma once
// The competition without a window: the participants in load order with their protocol cells,
// the mode and counts, who is on which track, and the results and places. The protocol grid,
// the participant lists, the files and the live pages all show or write this one model.
//
// Entries are numbered 0 .. EntryCount()-1 in load order, and that numbering never depends on
// how the protocol is shown: a view in ranking order maps its rows through EntryAt/ViewRowOf.
// Every cell is kept as text exactly as it was loaded, typed or recorded (what is saved is
// what was typed); the typed accessors read those texts. Only recomputing writes "Zeit" and
// "Platz".
#include "core/Bracket.h"
#include "core/Columns.h"
#include "core/Ranking.h"

#include <array>
#include <cstdint>
#include <deque>
#include <functional>
#include <optional>
#include <QHash>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVector>

class TCompetition : public QObject {
    Q_OBJECT
public:
    enum TMode { Qualifikation = 0, IndividuellesKlettern = 1, Paarrennen = 2, FinaleKo = 3 };
    // How the result time comes from the runs.
    enum TRankingRule { RankBySum = 0, RankByBest = 1 }; // "Summe", "Bestzeit"
    // What a change notification is about.
    enum TChange {
        RowsChanged,    // entries added, removed or reloaded, titles, or the shown order
        CellChanged,    // one cell of one entry (entry and column given)
        ResultsChanged, // result times, places and the ranking order recomputed
        HeatChanged,    // the entries on the tracks or the run counter
        BracketChanged  // the finals bracket, its current heat or a lane time of that heat
    };
    Q_ENUM(TChange)
    // Which file the rows are for: the save dialog and the HTML page write the protocol as it
    // is shown without the "Qualifikation" dummy; the exit copy keeps it, in load order.
    enum TRowsFor { ForSave, ForHtml, ForExitCopy };
    enum TRunKind { RunBlank, RunDis, RunTime };
    struct TRun {
        TRunKind Kind = RunBlank;
        std::int32_t Ms = 0; // for RunTime: the time text read in the current time format
    };
    explicit TCompetition(QObject* parent = nullptr);

    // --- settings ---------------------------------------------------------------------------
    int Mode() const { return m_mode; }
    int CountBahn() const { return m_mode == IndividuellesKlettern ? 1 : 2; }
    int CountZabegov() const { return m_countZabegov; }
    void SetCountZabegov(int runs); // 1..6, anything else is clamped
    int KlassCol() const { return m_klassCol; }
    void SetKlassCol(int col); // 0 none, k > 0: column k - 1 (1..5), else 0
    int TimeFormat() const { return m_timeFormat; }
    void SetTimeFormat(int format);                // 0 seconds, anything else minutes
    bool AllTracks() const { return m_allTracks; } // "Auf allen Strecken"
    void SetAllTracks(bool on) { m_allTracks = on; }
    bool Sorted() const { return m_sorted; } // "Sortieren": shown in ranking order
    void SetSorted(bool on);                 // and recomputes, as ticking the box does
    int RankingRule() const { return m_rankingRule; }
    // 0 "Summe" (the runs added up), 1 "Bestzeit" (the best valid run counts, the second best
    // and then the thousandths break ties); anything else is 0. Not recomputed here.
    void SetRankingRule(int rule);
    int BracketSize() const { return m_bracketSize; }
    void SetBracketSize(int size); // 4, 8 or 16: rounded down to one of them, at least 4
    // The titles of the 14 columns; a load adopts the file's titles of columns 1..4.
    QStringList ColumnTitles() const { return m_titles; }
    static QStringList DefaultColumnTitles();
    // Column titles left empty get their default again (the settings dialog's OK).
    void RestoreEmptyTitles();

    // --- entries (load order) ---------------------------------------------------------------
    int EntryCount() const { return int(m_entries.size()); }
    bool IsValidEntry(int entry) const { return entry >= 0 && entry < EntryCount(); }
    QString Cell(int entry, int col) const;
    QStringList Cells(int entry) const; // all 14, "" where empty
    bool IsDummy(int entry) const;      // the "Qualifikation" dummy, start number "0"
    int DummyEntry() const;             // -1 when there is none
    // The start number cell read as a decimal number (blanks around it allowed).
    std::optional<int> StartNumber(int entry) const;
    // The participant-list text: start number, name, club and class joined by blanks.
    QString EntryText(int entry) const;
    // Run i (0-based, i < 6) of an entry as the protocol reads it.
    TRun Run(int entry, int run) const;
    // The stopped milliseconds behind a recorded run, kept while its cell holds what was
    // recorded; none for a typed or edited run.
    std::optional<std::int32_t> ExactMs(int entry, int run) const;
    // What the journal restores: ignored (false) for an invalid entry or run, or a value that
    // is not the cell's time to the hundredth.
    bool SetExactMs(int entry, int run, std::optional<std::int32_t> ms);
    // The result time and place of the last recompute; none for no result.
    std::optional<std::int32_t> Result(int entry) const;
    int Place(int entry) const; // 0: no place
    // Bits of the blank active run cells of an entry: bit i - 1 for "Turm" i.
    unsigned EmptyRunMask(int entry) const;
    // Whether an entry still has a run to do on a track (what enables "1. Turm" / "2. Turm").
    bool RunLeftOnTrack(int entry, int track) const;

    // --- the shown order (load order, or ranking order while Sorted) ------------------------
    bool ShownRanked() const { return m_viewRanked; }
    int EntryAt(int viewRow) const;                      // viewRow 0-based; -1 outside
    int ViewRowOf(int entry) const;                      // -1 for no entry
    QVector<int> RankingOrder() const { return m_rank; } // of the last recompute

    // --- the heat cursor --------------------------------------------------------------------
    int TrackEntry(int track) const; // track 0 or 1; -1: nobody
    int RunCounter() const { return m_runCounter; }
    void SetRunCounter(int n); // 0 when the track layout is applied (settings confirmed)
    TLastCell LastCell(int track) const;
    void ResetLastCells(); // RESET
    // Whether the participant on a track has a run left there, as the track caption shows it
    // in the Ready state. None when the track has nobody or holds the dummy: the caption then
    // keeps its colour.
    std::optional<bool> TrackHasRunLeft(int track) const;
    // Whether a time stopped on a track would be recorded: somebody is on it and, outside the
    // finals, has a free run column there.
    bool TrackCanRecord(int track) const;
    // A run is in progress (START until RESET or ABBRECHEN): the participants of the heat must
    // not change. While it is set, every command that would move a track or remove an entry
    // that is on a track is refused and returns false (nothing changes).
    bool HeatRunning() const { return m_heatRunning; }
    // A new run starts without the lane times of one that was aborted.
    void SetHeatRunning(bool on);

    // --- the changed mark -------------------------------------------------------------------
    bool Modified() const { return m_modified; }
    void SetModified(bool on) { m_modified = on; }

    // --- operations -------------------------------------------------------------------------
    // Replaces the protocol by rows as a protocol file gives them, titles first; then applies
    // the mode, numbers the entries, recomputes and puts the first heat on the tracks.
    bool Load(const TProtocolRows& rows);
    // The protocol for a file: titles first, then the rows. Zero rows left are written as one
    // empty row, as the grid always keeps one.
    TProtocolRows Rows(TRowsFor what) const;
    // The competition mode (the mode box): track count, the dummy entry, the first heat.
    bool SetMode(int mode);
    // The stopped time of a track into the next free run column of its participant, with the
    // exact milliseconds it was formatted from. False when nothing was written (nobody on the
    // track, or no free column). In "Finale (K.-o.)" the time is the lane's time of the
    // current heat instead and no protocol cell changes: the protocol stays the record of the
    // qualification.
    bool RecordTime(int track, const QString& text,
                    std::optional<std::int32_t> exactMs = std::nullopt);
    // "DIS." into the cell the track's last STOP filled; recomputes. In "Finale (K.-o.)" the
    // lane of the current heat is marked instead.
    bool Disqualify(int track);
    // RESET's move to the next heat, by the mode. Returns the entry that becomes the
    // protocol's current row (the track-1 participant), or -1. In "Finale (K.-o.)" both lanes
    // go to the bracket (a lane without a time loses) and the next pair stands on the tracks;
    // a heat without any time on either lane stays on the tracks undecided.
    int Advance();
    void Swap();                              // Ctrl+0
    bool AssignToTrack(int track, int entry); // sb1 / sb2, Ctrl+1 / Ctrl+2, a list choice
    bool DoubleClick(int entry);              // on the row of an entry; -1 is ignored
    void SelectStartEntries();                // the first heat of the mode
    // Deletes one entry (the single-row delete): run counter 0, recompute.
    bool DeleteEntry(int entry);
    // Deletes up to count rows of the shown order from viewRow on, never the last shown row;
    // the run counter stays. Returns the number deleted, -1 when refused.
    int DeleteRows(int viewRow, int count);
    // Empties runs, results and places of every entry and puts the first heat on the tracks.
    bool ClearResults();
    // Result times, ranking order and places.
    void Recompute();

    // --- "Finale (K.-o.)" ---------------------------------------------------------------------
    // The bracket of the finals, empty when there is none. It lives beside the protocol: a
    // switch to another mode and back resumes it; a load or the clearing of the results drops
    // it. While it is the mode, TrackEntry gives the current heat's lanes A and B.
    // With a category column (KlassCol) there is one bracket per category, built from that
    // category's ranking; without one, a single bracket of the whole field. Bracket() is the
    // one whose heat stands on the tracks (an empty one when there is none).
    const TBracket& Bracket() const;
    // Every bracket with its category, in the order of Categories().
    const QVector<TCategoryBracket>& Brackets() const { return m_brackets.Brackets; }
    // The category column the brackets were built by (0: one bracket of the whole field).
    int BracketKlassCol() const { return m_brackets.KlassCol; }
    // Which bracket's heat is on the tracks (-1: none). The operator picks another between
    // heats; refused (false) while a heat is running. When a bracket is decided, RESET moves
    // on to the next one with a heat left.
    int CurrentBracket() const { return m_brackets.Brackets.isEmpty() ? -1 : m_brackets.Current; }
    bool SetCurrentBracket(int index);
    // The distinct values of the category column, as first spelled in load order, in the order
    // the ranking lists the categories; empty without a category column. Case and blanks
    // around a value do not make another category; the dummy has none.
    QStringList Categories() const;
    // An entry's category as Categories() spells it; empty without a category column.
    QString CategoryOf(int entry) const;
    // Whether an entry belongs to a category of Categories() (never the dummy).
    bool InCategory(int entry, const QString& category) const;
    // A category's name for the operator: an empty value is "ohne Angabe".
    static QString CategoryLabel(const QString& category);
    // The bracket as files keep it: a heat whose lanes have both stopped (or been
    // disqualified) counts as decided, as the RESET to come will decide it, so that a crash or
    // a save before that RESET loses no result. A heat with a lane still open stays open.
    TBracket RecordedBracket() const;
    TBracketSet RecordedBrackets() const; // every category's, the current one as above
    // Why the last bracket could not be built, or which tied participants the cut-off split;
    // empty when there is nothing to say.
    QString BracketNote() const { return m_bracketNote; }
    // A new bracket from the current ranking in place of the old one (the operator confirmed).
    // False, keeping the old one, when none can be built or a heat is running. With an index,
    // only that bracket is built anew (categories that had none yet get theirs); without one,
    // or when the category column changed since, every bracket.
    bool RebuildBracket(int index = -1);
    // The bracket as the journal keeps it, and back: entries counted in load order without
    // the "Qualifikation" dummy, as the journal's rows are. Restoring replaces the bracket;
    // false (nothing changes) for broken lines or entries this protocol does not have.
    QStringList BracketLines() const;
    bool RestoreBracket(const QStringList& lines);
    // The kept milliseconds of every recorded run, numbered the same way, and back; returns
    // how many were taken (a value that no longer fits its cell is left out).
    QVector<TExactRun> ExactRuns() const;
    int RestoreExactRuns(const QVector<TExactRun>& runs);
    // Who stands on the tracks and the run counter, as the journal keeps them: entries
    // numbered like BracketLines' (the dummy itself is -2, nobody -1), and back. Restoring is
    // refused (false, nothing changes) during a heat, in the finals (the bracket places the
    // pair) and for entries this protocol does not have.
    std::array<int, 3> HeatPosition() const;
    bool RestoreHeatPosition(const std::array<int, 3>& heat);
    // The mode the qualification runs in: the last mode other than the finals.
    int QualificationMode() const { return m_qualMode; }
    // Runs a decided heat again: its times are kept as voided. False when refused.
    bool RerunHeat(int heat);
    // The lane time a STOP or DIS gave in the current heat, until RESET hands it on.
    std::optional<TBracket::TLane> PendingLane(int track) const;
    // A lane of the current heat stopped at 0,00 (within 10 ms of START): no time, so the
    // heat is not decided by it and RESET leaves the pair on the tracks.
    bool PendingHeatVoid() const;
    // The places of the finals: those the bracket decided, then the participants outside the
    // bracket in ranking order; entries still in the race or without a result get place 0.
    // Every entry once, best first.
    // Per category: the current bracket's category; FinalPlacesOf one category by name.
    QVector<std::pair<int, int>> FinalPlaces() const;
    QVector<std::pair<int, int>> FinalPlacesOf(const QString& category) const;
    // Entries in the order the bracket is seeded from: ranked, with a result, ties in load order.
    QVector<int> SeedingOrder() const;
    // The operator's edit of one cell, stored as typed; nothing is recomputed. With expected
    // given, the edit is refused when the cell no longer holds that text: a time or "DIS."
    // written by the program after the editor opened wins over the editor's old text.
    bool SetCell(int entry, int col, const QString& text,
                 const std::optional<QString>& expected = std::nullopt);

    // --- the foot pads ------------------------------------------------------------------------
    // The reaction of the run the track's last STOP recorded (in the finals: of its lane).
    void SetLastReaction(int track, std::optional<std::int32_t> reaction);
    // A false start: "FS." into the next free run column of the track's participant (counted
    // like "DIS."); in the finals the lane of the current heat loses. False: nothing written.
    bool RecordFalseStart(int track, std::int32_t reaction);
    // The operator took a false start back after the lane had stopped: the stopped time
    // replaces the "FS." the last STOP wrote. False when that cell no longer holds it.
    bool ClearFalseStart(int track, const QString& text, std::optional<std::int32_t> exactMs);
    // A recorded run's reaction, kept while its cell holds what was recorded.
    std::optional<std::int32_t> Reaction(int entry, int run) const;
    // Every kept reaction numbered as ExactRuns, and back; returns how many were taken.
    QVector<TExactRun> Reactions() const;
    int RestoreReactions(const QVector<TExactRun>& runs);

    // --- undo and redo -----------------------------------------------------------------------
    // The operator's last actions on results (a time or a finals lane time, DIS, an edit, a
    // deleted entry or rows, the clearing of the results) can be taken back and done again.
    // Undo restores the cells, the kept milliseconds, results, places and the finals' bracket
    // and pending lanes as they were; who stands on the tracks stays the operator's choice,
    // except that the finals' pair follows the bracket and a deleted entry that stood on an
    // empty track goes back there. A new action drops what could be redone; a load, a mode
    // change and a new or re-run bracket drop both lists (the steps would restore rows that
    // no longer exist). During a heat a step that would change who is on the tracks is
    // refused (false, nothing changes); the window refuses both while a run is on.
    bool CanUndo() const { return !m_undo.empty(); }
    bool CanRedo() const { return !m_redo.empty(); }
    QString UndoText() const; // what Undo would take back, "Zeit 0:07,23 von Keller, Jonas"
    QString RedoText() const;
    bool Undo();
    bool Redo();
    // Whether Undo would change places that have already gone out. A result counts as
    // published once the RESET after it has passed (the audience saw the next pair called and
    // the results list move on) or the protocol was saved or exported since (MarkPublished).
    // The live page is not counted on its own: it shows each correction within a second, and
    // undo is mostly wanted straight after a slip, before RESET.
    bool UndoChangesPublishedPlaces() const;
    void MarkPublished(); // the protocol as it stands went out: saved, printed, exported
    void ClearHistory();

signals:
    void Changed(TCompetition::TChange what, int entry = -1, int column = -1);

private:
    struct TEntry {
        QStringList cells; // Col::Count texts
        bool dummy = false;
        std::int32_t result = -1; // ms, -1 none
        int place = 0;
        // What the last recompute read from the cells, kept until a cell changes: a
        // recompute after one heat then reads two run cells, not every cell of the protocol.
        bool runsRead = false, classRead = false, zeitWritten = false, platzWritten = false;
        TRunsRead runs; // with the stopped ms of recorded runs
        std::array<std::optional<std::int32_t>, 6> reaction{}; // per run, from the pads
        int classId = 0;                                       // into the class dictionary below
        // Who this is across deletes and undo, where the entry numbers shift.
        std::uint32_t id = 0;
    };
    TEntry NewEntry(const QStringList& cells);

    // The results as an undo step restores them. Copies share the rows' storage until one
    // side writes, so taking one on the STOP path costs a copy of the entry array at most.
    struct TResultState {
        QVector<TEntry> entries;
        QVector<int> rank;
        bool viewRanked = false;
        TBracketSet brackets;
        QString bracketNote;
        std::array<std::optional<TBracket::TLane>, 2> pendingLane{};
        std::array<TLastCell, 2> lastCell{};
        std::array<std::uint32_t, 2> trackIds{}; // 0: nobody
    };
    struct TStep {
        TResultState state; // to go back to
        QString text;
        bool published = false; // the state this step led to has gone out
        std::uint64_t heat = 0; // m_heatSerial when taken: DIS may still mark that heat
    };
    TResultState CurrentState() const;
    void Remember(const QString& what); // before an action changes results
    bool Restore(const TResultState& state, bool sameHeat);
    QHash<std::uint64_t, int> PlacesOf(const TResultState& state) const;
    QString Who(int entry) const;

    int Select(int index) const { return IsValidEntry(index) ? index : -1; }
    bool OnTrack(int entry) const {
        return entry >= 0 && (m_track[0] == entry || m_track[1] == entry);
    }
    void ApplyMode(int mode);
    bool BuildBracket(); // from the last recompute's ranking; false: BracketNote says why
    // One category's bracket (every entry for an empty key without a category column); the
    // note gets a line when it cannot be built or the cut-off splits a tie.
    std::optional<TBracket> BuildCategoryBracket(const QVector<int>& order, const QString& name,
                                                 QStringList& notes) const;
    QString CategoryKey(int entry, int klassCol) const; // the case-folded value, "" without
    QVector<int> CategoryOrder(const QString& key, int klassCol) const; // SeedingOrder's part
    QVector<std::pair<int, int>> PlacesIn(const QString& category, int klassCol) const;
    TBracket& CurrentBracketRef() { return m_brackets.Brackets[m_brackets.Current].Bracket; }
    void ForEachBracket(const std::function<void(TBracket&)>& f) {
        for (TCategoryBracket& b : m_brackets.Brackets)
            f(b.Bracket);
    }
    void PlaceBracketHeat(); // the current heat's lanes onto the tracks
    void DropBracket();
    void InsertDummy();
    void RemoveEntries(const QVector<bool>& gone);
    void SetTrack(int track, int entry);
    void Write(int entry, int col, const QString& text); // a program or operator write
    void ForgetReadCells(bool runs, bool classes);
    void Emit(TChange what, int entry = -1, int column = -1) { emit Changed(what, entry, column); }

    QVector<TEntry> m_entries;
    QStringList m_titles;
    QVector<int> m_rank;            // entries in ranking order
    mutable QVector<int> m_rankPos; // position of each entry in m_rank, built on demand
    mutable bool m_rankPosValid = false;
    bool m_viewRanked = false; // the shown order is m_rank (else load order)
    int m_mode = Qualifikation;
    int m_qualMode = Qualifikation;
    int m_countZabegov = 2;
    int m_klassCol = 0;
    int m_timeFormat = 1;
    bool m_allTracks = false;
    bool m_sorted = false;
    std::array<int, 2> m_track{-1, -1};
    std::array<TLastCell, 2> m_lastCell{};
    int m_runCounter = 0;
    bool m_heatRunning = false;
    bool m_modified = false;
    int m_rankingRule = RankBySum;
    int m_bracketSize = 16;
    TBracketSet m_brackets;
    QString m_bracketNote;
    std::array<std::optional<TBracket::TLane>, 2> m_pendingLane{};
    QChar m_readSeparator; // the decimal separator the cached run values were read with
    // Every spelling of a class met since the last load or change of the class column, with
    // its number when the class column is the start number.
    QHash<QString, int> m_classIds;
    TClassTable m_classes;
    std::uint32_t m_nextId = 1;
    std::uint64_t m_heatSerial = 0; // counts RESETs and STARTs
    std::deque<TStep> m_undo, m_redo;
};
