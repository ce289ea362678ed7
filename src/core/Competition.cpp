#include "core/Competition.h"

#include "core/Participants.h"
#include "core/Ranking.h"
#include "core/RunCells.h"
#include "core/SortOrder.h"
#include "core/TimeFormat.h"

#include <algorithm>
#include <QHash>
#include <vector>

namespace {
const QString kZero = QStringLiteral("0");
const QString kDis = QStringLiteral("DIS.");

QStringList EmptyRow() {
    return QStringList(Col::Count);
}

// A row as the grid stores it: exactly one text per column.
QStringList FittedRow(const QStringList& cells) {
    if (cells.size() == Col::Count) return cells;
    QStringList row = cells;
    row.resize(Col::Count);
    return row;
}

// The run cell as the result sum reads it, without temporary strings for the usual texts.
TCompetition::TRun ReadRun(const QString& cell, int format, QChar separator) {
    TCompetition::TRun run;
    const QStringView t = QStringView(cell).trimmed();
    if (t.isEmpty()) return run;
    bool ascii = true;
    for (QChar c : t)
        if (c.unicode() >= 128) ascii = false;
    const bool dis = ascii ? t.compare(QLatin1String("DIS."), Qt::CaseInsensitive) == 0 ||
                                 t.compare(QLatin1String("FS."), Qt::CaseInsensitive) == 0
                           : IsDisCell(cell); // upper case of other letters may give "DIS."
    if (dis) {
        run.Kind = TCompetition::RunDis;
        return run;
    }
    run.Kind = TCompetition::RunTime;
    run.Ms = ParseTime(cell, format, separator);
    return run;
}

// Exact milliseconds belong to a time text only when they show as that text.
bool ExactFits(const QString& text, std::int32_t exact, int format) {
    const std::int32_t shown = ParseTime(text, format);
    return exact >= 0 && shown >= 0 && shown / 10 == exact / 10;
}
} // namespace

TCompetition::TCompetition(QObject* parent) : QObject(parent), m_titles(DefaultColumnTitles()) {}

void TCompetition::RestoreEmptyTitles() {
    const QStringList defaults = DefaultColumnTitles();
    bool changed = false;
    for (qsizetype c = 0; c < m_titles.size() && c < defaults.size(); ++c) {
        if (!m_titles[c].trimmed().isEmpty()) continue;
        m_titles[c] = defaults[c];
        changed = true;
    }
    if (changed) Emit(RowsChanged);
}

QStringList TCompetition::DefaultColumnTitles() {
    return {"St.Nr.", "Name, Vorname", "Ort",   "Klasse", "Datum", "Turm1", "Turm2",
            "Turm3",  "Turm4",         "Turm5", "Turm6",  "Zeit",  "Platz", "."};
}

// ------------------------------------------------------------------------------ settings

void TCompetition::SetCountZabegov(int runs) {
    m_countZabegov = std::clamp(runs, 1, 6);
}

void TCompetition::SetRankingRule(int rule) {
    const int r = rule == RankByBest ? RankByBest : RankBySum;
    if (r != m_rankingRule) ForgetReadCells(true, false); // "Zeit" must be written anew
    m_rankingRule = r;
}

void TCompetition::SetBracketSize(int size) {
    m_bracketSize = TBracket::NormalizedSize(size);
}

void TCompetition::SetHeatRunning(bool on) {
    if (on && !m_heatRunning) {
        m_pendingLane = {};
        ++m_heatSerial;
    }
    m_heatRunning = on;
}

void TCompetition::SetKlassCol(int col) {
    const int k = col >= 1 && col <= 5 ? col : 0;
    if (k != m_klassCol) ForgetReadCells(false, true);
    m_klassCol = k;
}

void TCompetition::SetTimeFormat(int format) {
    const int f = NormalizedTimeFormat(format);
    if (f != m_timeFormat) ForgetReadCells(true, false);
    m_timeFormat = f;
}

void TCompetition::ForgetReadCells(bool runs, bool classes) {
    for (TEntry& e : m_entries) {
        if (runs) e.runsRead = e.zeitWritten = false;
        if (classes) e.classRead = false;
    }
    if (classes) {
        m_classIds.clear();
        m_classes = {};
    }
}

void TCompetition::Write(int entry, int col, const QString& text) {
    TEntry& e = m_entries[entry];
    if (col >= Col::Turm1 && col <= Col::Turm6) {
        e.runsRead = false;
        // A run written anew is no longer the stopped time, unless nothing changed.
        if (e.cells[col] != text) {
            e.runs.exact[col - Col::Turm1].reset();
            e.reaction[size_t(col - Col::Turm1)].reset();
        }
    }
    e.cells[col] = text;
    if (col == m_klassCol - 1) e.classRead = false;
    if (col == Col::Zeit) e.zeitWritten = false;
    if (col == Col::Platz) e.platzWritten = false;
}

void TCompetition::SetSorted(bool on) {
    m_sorted = on;
    Recompute();
}

// ------------------------------------------------------------------------------- entries

TCompetition::TEntry TCompetition::NewEntry(const QStringList& cells) {
    TEntry e;
    e.cells = cells;
    e.id = m_nextId++;
    return e;
}

QString TCompetition::Cell(int entry, int col) const {
    if (!IsValidEntry(entry) || col < 0 || col >= Col::Count) return QString();
    return m_entries[entry].cells[col];
}

QStringList TCompetition::Cells(int entry) const {
    return IsValidEntry(entry) ? m_entries[entry].cells : EmptyRow();
}

bool TCompetition::IsDummy(int entry) const {
    return IsValidEntry(entry) && m_entries[entry].dummy;
}

int TCompetition::DummyEntry() const {
    for (int i = 0; i < EntryCount(); ++i)
        if (m_entries[i].dummy) return i;
    return -1;
}

std::optional<int> TCompetition::StartNumber(int entry) const {
    if (!IsValidEntry(entry)) return std::nullopt;
    const QString t = m_entries[entry].cells[Col::StNr].trimmed();
    bool ok = false;
    const int v = t.toInt(&ok, 10);
    if (!ok || t.isEmpty() || !(t[0].isDigit() || t[0] == '-' || t[0] == '+')) return std::nullopt;
    return v;
}

QString TCompetition::EntryText(int entry) const {
    const QStringList& c = IsValidEntry(entry) ? m_entries[entry].cells : EmptyRow();
    return ::EntryText(c[Col::StNr], c[Col::Name], c[Col::Ort], c[Col::Klasse]);
}

TCompetition::TRun TCompetition::Run(int entry, int run) const {
    if (!IsValidEntry(entry) || run < 0 || run >= 6) return TRun{};
    return ReadRun(m_entries[entry].cells[Col::Turm1 + run], m_timeFormat,
                   SystemDecimalSeparator());
}

std::optional<std::int32_t> TCompetition::ExactMs(int entry, int run) const {
    if (!IsValidEntry(entry) || run < 0 || run >= 6) return std::nullopt;
    return m_entries[entry].runs.exact[run];
}

bool TCompetition::SetExactMs(int entry, int run, std::optional<std::int32_t> ms) {
    if (!IsValidEntry(entry) || run < 0 || run >= 6) return false;
    TEntry& e = m_entries[entry];
    if (ms && !ExactFits(e.cells[Col::Turm1 + run], *ms, m_timeFormat)) return false;
    e.runs.exact[run] = ms;
    return true;
}

std::optional<std::int32_t> TCompetition::Result(int entry) const {
    if (!IsValidEntry(entry) || m_entries[entry].result < 0) return std::nullopt;
    return m_entries[entry].result;
}

int TCompetition::Place(int entry) const {
    return IsValidEntry(entry) ? m_entries[entry].place : 0;
}

unsigned TCompetition::EmptyRunMask(int entry) const {
    return IsValidEntry(entry) ? ::EmptyRunMask(m_entries[entry].cells, m_countZabegov) : 0u;
}

bool TCompetition::RunLeftOnTrack(int entry, int track) const {
    if (!IsValidEntry(entry)) return false;
    return (EmptyRunMask(entry) & TrackTableBit(track == 1 ? 1 : 0, m_countZabegov, CountBahn())) !=
           0;
}

// ---------------------------------------------------------------------------- shown order

int TCompetition::EntryAt(int viewRow) const {
    if (viewRow < 0 || viewRow >= EntryCount()) return -1;
    return m_viewRanked ? m_rank[viewRow] : viewRow;
}

int TCompetition::ViewRowOf(int entry) const {
    if (!IsValidEntry(entry)) return -1;
    if (!m_viewRanked) return entry;
    if (!m_rankPosValid) {
        m_rankPos.resize(m_rank.size());
        for (int i = 0; i < m_rank.size(); ++i)
            m_rankPos[m_rank[i]] = i;
        m_rankPosValid = true;
    }
    return m_rankPos[entry];
}

// ----------------------------------------------------------------------------- heat cursor

int TCompetition::TrackEntry(int track) const {
    return track == 0 || track == 1 ? m_track[track] : -1;
}

void TCompetition::SetRunCounter(int n) {
    m_runCounter = n;
    Emit(HeatChanged);
}

TLastCell TCompetition::LastCell(int track) const {
    return track == 0 || track == 1 ? m_lastCell[track] : TLastCell{};
}

void TCompetition::ResetLastCells() {
    m_lastCell = {};
    ++m_heatSerial;
}

std::optional<bool> TCompetition::TrackHasRunLeft(int track) const {
    const int entry = TrackEntry(track);
    if (entry < 0 || m_entries[entry].dummy) return std::nullopt;
    if (m_mode == FinaleKo) return true; // the pair on the tracks has its heat to race
    if (CountBahn() >= 2) return RunLeftOnTrack(entry, track);
    return EmptyRunMask(entry) != 0;
}

bool TCompetition::TrackCanRecord(int track) const {
    const int entry = TrackEntry(track);
    if (entry < 0) return false;
    if (m_mode == FinaleKo) return true; // a lane time goes to the bracket, not to a cell
    return RecordColumn(m_entries[entry].cells, track, CountBahn(), m_countZabegov) >= 0;
}

void TCompetition::SetTrack(int track, int entry) {
    m_track[track] = Select(entry);
}

void TCompetition::SelectStartEntries() {
    if (m_heatRunning) return;
    if (m_mode == FinaleKo) {
        PlaceBracketHeat();
        Emit(HeatChanged);
        return;
    }
    const int first = m_mode == Qualifikation ? 1 : 0;
    SetTrack(0, first);
    SetTrack(1, 1 - first);
    Emit(HeatChanged);
}

// ---------------------------------------------------------------------------- operations

bool TCompetition::Load(const TProtocolRows& rows) {
    if (m_heatRunning) return false;
    m_entries.clear();
    ForgetReadCells(false, true);
    if (!rows.isEmpty()) {
        // The file's titles of name, club, class and date are adopted; the rest are ours.
        for (int c = 1; c <= 4; ++c)
            m_titles[c] = rows[0].value(c);
    }
    m_entries.reserve(std::max<qsizetype>(1, rows.size() - 1));
    for (qsizetype r = 1; r < rows.size(); ++r)
        m_entries.push_back(NewEntry(FittedRow(rows[r])));
    // An empty protocol still has one (empty) participant row, as the grid keeps one.
    if (m_entries.isEmpty()) m_entries.push_back(NewEntry(EmptyRow()));
    m_rank.resize(m_entries.size());
    for (int i = 0; i < m_rank.size(); ++i)
        m_rank[i] = i;
    m_rankPosValid = false;
    m_viewRanked = false;
    m_track = {-1, -1};
    // A bracket belongs to the protocol it was seeded from.
    DropBracket();

    ApplyMode(m_mode);
    for (int i = 0; i < EntryCount(); ++i)
        m_entries[i].cells[Col::Entry] = QString::number(i + 1);
    Recompute();
    if (m_mode == FinaleKo) BuildBracket();
    m_runCounter = 0;
    SelectStartEntries();
    m_modified = false;
    ClearHistory();
    Emit(RowsChanged);
    return true;
}

TProtocolRows TCompetition::Rows(TRowsFor what) const {
    TProtocolRows rows;
    rows.reserve(EntryCount() + 1);
    rows.push_back(m_titles);
    const bool keepDummy = what == ForExitCopy;
    for (int r = 0; r < EntryCount(); ++r) {
        const int e = what == ForExitCopy ? r : EntryAt(r);
        if (m_entries[e].dummy && !keepDummy) continue;
        rows.push_back(m_entries[e].cells);
    }
    if (rows.size() == 1) rows.push_back(EmptyRow());
    return rows;
}

bool TCompetition::SetMode(int mode) {
    if (m_heatRunning) return false;
    if (mode == FinaleKo && m_brackets.Brackets.isEmpty()) {
        // Seeded while the dummy still stands: the bracket's numbers move down with the
        // others when it goes.
        Recompute();
        if (!BuildBracket()) {
            Emit(BracketChanged); // the note says why
            return false;
        }
    } else if (mode == FinaleKo) {
        m_bracketNote.clear();
    }
    ApplyMode(mode);
    ClearHistory();
    Emit(RowsChanged);
    Emit(HeatChanged);
    if (m_mode == FinaleKo) Emit(BracketChanged);
    return true;
}

void TCompetition::ApplyMode(int mode) {
    m_mode = mode >= 0 && mode <= 3 ? mode : Qualifikation;
    if (m_mode != FinaleKo) m_qualMode = m_mode;
    // The dummy is the flagged entry, else the first row shown whose start number is "0" (a
    // file written at the end of a "Qualifikation" carries it).
    int dummy = DummyEntry();
    for (int r = 0; dummy < 0 && r < EntryCount(); ++r)
        if (m_entries[EntryAt(r)].cells[Col::StNr] == kZero) dummy = EntryAt(r);
    if (m_mode == Qualifikation) {
        if (dummy < 0)
            InsertDummy();
        else
            m_entries[dummy].dummy = true;
    } else if (dummy >= 0) {
        QVector<bool> gone(EntryCount(), false);
        gone[dummy] = true;
        RemoveEntries(gone);
        m_modified = true;
    }
    m_runCounter = 0;
    m_pendingLane = {};
    if (m_mode == FinaleKo) {
        PlaceBracketHeat();
        return;
    }
    const int first = m_mode == Qualifikation ? 1 : 0;
    SetTrack(0, first);
    SetTrack(1, 1 - first);
}

void TCompetition::InsertDummy() {
    TEntry dummy = NewEntry(EmptyRow());
    dummy.cells[Col::StNr] = kZero;
    dummy.dummy = true;
    m_entries.prepend(dummy);
    // It stands at the top of the shown order until the next recompute, as it did in the grid.
    for (int& e : m_rank)
        ++e;
    m_rank.prepend(0);
    m_rankPosValid = false;
    for (int& t : m_track)
        if (t >= 0) ++t;
    ForEachBracket([](TBracket& b) { b.EntryInserted(0); });
}

void TCompetition::RemoveEntries(const QVector<bool>& gone) {
    QVector<int> newIndex(EntryCount(), -1);
    int kept = 0;
    for (int i = 0; i < EntryCount(); ++i) {
        if (gone[i]) continue;
        newIndex[i] = kept;
        if (kept != i) m_entries[kept] = std::move(m_entries[i]);
        ++kept;
    }
    m_entries.resize(kept);
    // From the back, so each number the bracket is told is still the one it knows.
    for (int i = int(gone.size()) - 1; i >= 0; --i)
        if (gone[i]) ForEachBracket([i](TBracket& b) { b.EntryRemoved(i); });
    int k = 0;
    for (int e : m_rank)
        if (newIndex[e] >= 0) m_rank[k++] = newIndex[e];
    m_rank.resize(k);
    m_rankPosValid = false;
    // A participant who is gone leaves the track empty: nobody else climbs in his place.
    for (int& t : m_track)
        if (t >= 0) t = newIndex[t];
}

bool TCompetition::RecordTime(int track, const QString& text, std::optional<std::int32_t> exactMs) {
    const int t = track == 0 ? 0 : 1;
    m_modified = true;
    const int entry = m_track[t];
    if (entry < 0) return false;
    m_lastCell[t].Track = t + 1;
    if (m_mode == FinaleKo) {
        TBracket::TLane lane;
        if (exactMs && *exactMs >= 0) {
            // The stopped milliseconds themselves: the text may have dropped the hours.
            lane.Kind = TBracket::LaneTime;
            lane.Ms = *exactMs / 10 * 10;
            lane.Exact = exactMs;
        } else if (const TRun run = ReadRun(text, m_timeFormat, SystemDecimalSeparator());
                   run.Kind == RunDis) {
            lane.Kind = TBracket::LaneDis;
        } else if (run.Kind == RunTime && run.Ms >= 0) {
            lane.Kind = TBracket::LaneTime;
            lane.Ms = run.Ms;
        }
        Remember(tr("Zeit %1 von %2").arg(text.trimmed(), Who(entry)));
        m_pendingLane[t] = lane;
        // No protocol cell is written; the time column stands in as the cell DIS may mark.
        m_lastCell[t].Column = Col::Zeit;
        Emit(BracketChanged);
        return true;
    }
    const int c = RecordColumn(m_entries[entry].cells, t, CountBahn(), m_countZabegov);
    if (c < 0) return false;
    Remember(tr("Zeit %1 von %2").arg(text.trimmed(), Who(entry)));
    Write(entry, c, text);
    if (exactMs && ExactFits(text, *exactMs, m_timeFormat))
        m_entries[entry].runs.exact[c - Col::Turm1] = exactMs;
    m_lastCell[t].Column = c;
    Emit(CellChanged, entry, c);
    return true;
}

bool TCompetition::Disqualify(int track) {
    const int t = track == 1 ? 1 : 0;
    const int column = m_lastCell[t].Column;
    const int entry = m_track[t];
    if (column < 0 || entry < 0) return false; // the last stop wrote no cell: nothing to mark
    Remember(tr("DIS. von %1").arg(Who(entry)));
    if (m_mode == FinaleKo) {
        TBracket::TLane dis;
        dis.Kind = TBracket::LaneDis;
        m_pendingLane[t] = dis;
        m_modified = true;
        Emit(BracketChanged);
        return true;
    }
    Write(entry, column, kDis);
    // A disqualification is a change of results like any other: closing must not lose it.
    m_modified = true;
    Emit(CellChanged, entry, column);
    Recompute();
    return true;
}

int TCompetition::Advance() {
    if (m_heatRunning) return -1;
    // The RESET after a result publishes it: the next pair is called, the list moves on.
    if (!m_undo.empty()) m_undo.back().published = true;
    if (m_mode == FinaleKo) {
        const int heat = Bracket().CurrentHeat();
        // A lane stopped at 0,00 timed nothing: the pair stays on the tracks to race again.
        if (heat >= 0 && (m_pendingLane[0] || m_pendingLane[1]) && !PendingHeatVoid()) {
            CurrentBracketRef().SetResult(heat, m_pendingLane[0].value_or(TBracket::TLane{}),
                                          m_pendingLane[1].value_or(TBracket::TLane{}));
            m_modified = true;
        }
        // A category decided: the next one with a heat left comes on, in the list's order.
        const int count = int(m_brackets.Brackets.size());
        for (int k = 1; Bracket().Finished() && k < count; ++k) {
            const int next = (m_brackets.Current + k) % count;
            if (!m_brackets.Brackets[next].Bracket.Finished()) m_brackets.Current = next;
        }
        PlaceBracketHeat();
        ++m_runCounter;
        Emit(BracketChanged);
        Emit(HeatChanged);
        return m_track[0];
    }
    const int n = EntryCount();
    const int bahn = CountBahn();
    if (m_mode == Qualifikation) {
        // Rolling order: who climbed track 1 climbs track 2 next.
        if (m_track[1] + 1 >= n) {
            SetTrack(1, 1);
            m_runCounter = 1;
        } else {
            SetTrack(1, m_track[1] + 1);
        }
        if (m_track[0] + 1 >= n) {
            SetTrack(0, 0);
            m_runCounter = 1;
        } else {
            SetTrack(0, m_track[0] + 1);
        }
    } else if ((m_runCounter % 2) != 0 || bahn == 1) {
        if (!(bahn == 1 && m_allTracks)) {
            if (m_track[0] + bahn >= n) {
                SetTrack(0, bahn == 2 ? 1 : 0);
                m_runCounter = 1;
            } else {
                SetTrack(0, m_track[0] + bahn);
            }
        }
        if (bahn == 2) SetTrack(1, m_track[1] + 2 >= n ? 0 : m_track[1] + 2);
    }
    if (m_mode == Paarrennen) std::swap(m_track[0], m_track[1]);
    ++m_runCounter;
    // "Auf allen Strecken": the participant stays until the result is complete. The grid asked
    // its current row, which RESET had put on the track-1 participant; the model asks that
    // participant, whatever row the operator looked at meanwhile.
    if (bahn == 1 && m_allTracks && m_track[0] >= 0 &&
        !m_entries[m_track[0]].cells[Col::Zeit].trimmed().isEmpty())
        SetTrack(0, m_track[0] + 1);
    Emit(HeatChanged);
    return m_track[0];
}

void TCompetition::Swap() {
    if (m_heatRunning || m_mode == FinaleKo) return; // the bracket decides the lanes
    std::swap(m_track[0], m_track[1]);
    Emit(HeatChanged);
}

bool TCompetition::AssignToTrack(int track, int entry) {
    if (m_heatRunning || m_mode == FinaleKo || (track != 0 && track != 1)) return false;
    SetTrack(track, entry);
    Emit(HeatChanged);
    return true;
}

bool TCompetition::DoubleClick(int entry) {
    // A click that hit no participant's row (below the last row, the titles) changes nothing.
    if (m_heatRunning || m_mode == FinaleKo || !IsValidEntry(entry)) return false;
    const int n = EntryCount();
    if (m_mode == Qualifikation) {
        SetTrack(1, entry);
        const int next = m_track[1] + 1;
        SetTrack(0, next >= n ? 0 : next);
    } else {
        SetTrack(0, entry);
        if (CountBahn() >= 2) {
            SetTrack(1, m_track[0] + 1);
            // Both captions red: the pair has had its run in this order, so it swaps.
            const auto left1 = TrackHasRunLeft(0), left2 = TrackHasRunLeft(1);
            if (left1 && left2 && !*left1 && !*left2) std::swap(m_track[0], m_track[1]);
        }
    }
    Emit(HeatChanged);
    return true;
}

bool TCompetition::DeleteEntry(int entry) {
    if (m_heatRunning && OnTrack(entry)) return false;
    m_runCounter = 0;
    if (IsValidEntry(entry)) {
        Remember(tr("Löschen von %1").arg(Who(entry)));
        QVector<bool> gone(EntryCount(), false);
        gone[entry] = true;
        RemoveEntries(gone);
        m_modified = true;
        Emit(RowsChanged);
    }
    Recompute();
    if (m_mode == FinaleKo) {
        PlaceBracketHeat(); // a deleted climber's opponent goes on without him
        Emit(BracketChanged);
    }
    Emit(HeatChanged);
    return true;
}

int TCompetition::DeleteRows(int viewRow, int count) {
    const int n = EntryCount();
    // Rows below move up, so the same place is deleted again; the last row shown stays.
    const int k = viewRow < 0 ? 0 : std::clamp(n - 1 - viewRow, 0, std::max(count, 0));
    QVector<bool> gone(n, false);
    for (int i = 0; i < k; ++i) {
        const int e = EntryAt(viewRow + i);
        if (m_heatRunning && OnTrack(e)) return -1;
        gone[e] = true;
    }
    if (k > 0) {
        Remember(k == 1 ? tr("Löschen von %1").arg(Who(EntryAt(viewRow)))
                        : tr("Löschen von %1 Zeilen").arg(k));
        RemoveEntries(gone);
        m_modified = true;
        if (m_mode == FinaleKo) PlaceBracketHeat();
        Emit(RowsChanged);
        Emit(HeatChanged);
        if (!m_brackets.Brackets.isEmpty()) Emit(BracketChanged);
    }
    Recompute();
    return k;
}

bool TCompetition::ClearResults() {
    if (m_heatRunning) return false;
    Remember(tr("Löschen aller Ergebnisse"));
    m_runCounter = 0;
    for (TEntry& e : m_entries) {
        for (int c = Col::Turm1; c <= Col::Platz; ++c)
            if (!e.cells[c].isEmpty()) e.cells[c].clear();
        e.result = -1;
        e.place = 0;
        e.runsRead = false;
        e.runs.exact = {};
        e.zeitWritten = e.platzWritten = true; // empty, as no result and no place say
    }
    // The bracket was seeded from the results just emptied.
    const bool hadBracket = !m_brackets.Brackets.isEmpty();
    DropBracket();
    if (m_mode == FinaleKo) m_bracketNote = tr("Kein Finale: die Ergebnisse wurden gelöscht.");
    // Nothing is recomputed: the emptied cells are what it would give, and the order stays.
    SelectStartEntries();
    Emit(ResultsChanged);
    if (hadBracket || m_mode == FinaleKo) Emit(BracketChanged);
    return true;
}

bool TCompetition::SetCell(int entry, int col, const QString& text,
                           const std::optional<QString>& expected) {
    if (!IsValidEntry(entry) || col < 0 || col >= Col::Count) return false;
    if (expected && m_entries[entry].cells[col] != *expected) return false;
    if (m_entries[entry].cells[col] != text)
        Remember(tr("Änderung %1 von %2").arg(m_titles.value(col), Who(entry)));
    Write(entry, col, text);
    // A dummy given a real start number becomes a participant.
    if (col == Col::StNr && m_entries[entry].dummy && text != kZero) m_entries[entry].dummy = false;
    m_modified = true;
    Emit(CellChanged, entry, col);
    return true;
}

// ------------------------------------------------------------------------------- ranking

void TCompetition::Recompute() {
    const int n = EntryCount();
    const QChar separator = SystemDecimalSeparator();
    if (separator != m_readSeparator) {
        ForgetReadCells(true, true); // the locale changed: times and numbers read otherwise
        m_readSeparator = separator;
    }
    TEntry* entries = m_entries.data();
    TRankInput in;
    in.entries.resize(static_cast<size_t>(n));
    in.byBest = m_rankingRule == RankByBest;
    in.timeFormat = m_timeFormat;
    in.separator = separator;

    // Result times. A result text is a function of its hundredths that grows with them, so
    // the key orders as the "Zeit" texts do under CompareRunCells; no result goes last.
    for (int i = 0; i < n; ++i) {
        TEntry& e = entries[i];
        if (!e.runsRead) {
            for (int r = 0; r < 6; ++r) {
                const TRun run = ReadRun(e.cells.at(Col::Turm1 + r), m_timeFormat, separator);
                e.runs.kind[r] = quint8(run.Kind);
                e.runs.ms[r] = run.Ms;
            }
            e.runsRead = true;
        }
        // The dummy fills an empty track; what was stopped there is nobody's result and
        // must not take a place from a participant.
        TRankKeys& keys = in.entries[size_t(i)];
        if (!e.dummy) keys.run = RunResult(e.runs, m_countZabegov, in.byBest, m_timeFormat);
        const std::optional<std::int32_t>& result = keys.run.result;
        const std::int32_t value = result ? *result : -1;
        if (value != e.result || !e.zeitWritten) {
            e.cells[Col::Zeit] = result ? FormatTime(*result, m_timeFormat, separator) : QString();
            e.zeitWritten = true;
        }
        e.result = value;
        keys.zeit = result ? *result / 10 : kNoResultKey;
    }

    // The class of each entry, one spelling (trimmed, case folded) per class, kept in the
    // dictionary until the class column changes.
    const int klassCol = m_klassCol > 0 ? m_klassCol - 1 : -1;
    if (klassCol >= 0) {
        std::optional<TSortConverter> conv;
        std::vector<int> ids(static_cast<size_t>(n));
        for (int i = 0; i < n; ++i) {
            TEntry& e = entries[i];
            if (!e.classRead) {
                const QString key = ClassText(e.cells.at(klassCol));
                auto it = m_classIds.constFind(key);
                if (it == m_classIds.constEnd()) {
                    double v = 0;
                    bool number = false;
                    if (klassCol == Col::StNr) {
                        if (!conv) conv.emplace();
                        number = conv->Number(key, v);
                    }
                    it = m_classIds.insert(key, int(m_classes.texts.size()));
                    m_classes.texts << key;
                    m_classes.values << v;
                    m_classes.numbers << number;
                }
                e.classId = *it;
                e.classRead = true;
            }
            ids[size_t(i)] = in.entries[size_t(i)].classId = e.classId;
        }
        const auto ranks = ClassRanks(ids, m_classes);
        if (ranks) {
            for (int i = 0; i < n; ++i)
                in.entries[size_t(i)].classRank = (*ranks)[size_t(i)];
        }
        in.byClass = true;
        in.mixedClasses = !ranks;
        in.classes = &m_classes;
    }

    if (m_viewRanked && m_rank.size() == n) in.shownOrder.assign(m_rank.begin(), m_rank.end());
    const TRanking ranking = RankEntries(in);
    for (int e = 0; e < n; ++e) {
        TEntry& entry = entries[e];
        const int place = ranking.place[size_t(e)];
        if (entry.place != place || !entry.platzWritten)
            entry.cells[Col::Platz] = place > 0 ? QString::number(place) : QString();
        entry.place = place;
        entry.platzWritten = true;
    }

    m_rank = QVector<int>(ranking.order.begin(), ranking.order.end());
    m_rankPosValid = false;
    m_viewRanked = m_sorted;
    Emit(ResultsChanged);
}
