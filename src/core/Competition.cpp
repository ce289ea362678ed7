#include "core/Competition.h"

#include "core/Participants.h"
#include "core/TimeFormat.h"
#include "protocol/RunCells.h"
#include "protocol/SortOrder.h"

#include <algorithm>
#include <climits>
#include <QHash>

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
    const bool dis = ascii ? t.compare(QLatin1String("DIS."), Qt::CaseInsensitive) == 0
                           : IsDisCell(cell); // upper case of other letters may give "DIS."
    if (dis) {
        run.Kind = TCompetition::RunDis;
        return run;
    }
    run.Kind = TCompetition::RunTime;
    run.Ms = ParseTime(cell, format, separator);
    return run;
}

// One spelling of a class: "A", "a" and " A" are one class.
QString ClassText(const QString& cell) {
    return cell.trimmed().toCaseFolded();
}

bool OrdinalLess(const QString& a, const QString& b) {
    return std::lexicographical_compare(a.utf16(), a.utf16() + a.size(), b.utf16(),
                                        b.utf16() + b.size());
}

constexpr std::int32_t kNoResultKey = INT_MAX; // after every result, as an empty "Zeit"
} // namespace

TCompetition::TCompetition(QObject* parent) : QObject(parent), m_titles(DefaultColumnTitles()) {}

QStringList TCompetition::DefaultColumnTitles() {
    return {"St.Nr.", "Name, Vorname", "Ort",   "Klasse", "Datum", "Turm1", "Turm2",
            "Turm3",  "Turm4",         "Turm5", "Turm6",  "Zeit",  "Platz", "."};
}

// ------------------------------------------------------------------------------ settings

void TCompetition::SetCountZabegov(int runs) {
    m_countZabegov = std::clamp(runs, 1, 6);
}

void TCompetition::SetKlassCol(int col) {
    m_klassCol = col >= 1 && col <= 5 ? col : 0;
}

void TCompetition::SetTimeFormat(int format) {
    m_timeFormat = NormalizedTimeFormat(format);
}

void TCompetition::SetSorted(bool on) {
    m_sorted = on;
    Recompute();
}

// ------------------------------------------------------------------------------- entries

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
}

std::optional<bool> TCompetition::TrackHasRunLeft(int track) const {
    const int entry = TrackEntry(track);
    if (entry < 0) return std::nullopt;
    if (CountBahn() >= 2) return RunLeftOnTrack(entry, track);
    return EmptyRunMask(entry) != 0;
}

void TCompetition::SetTrack(int track, int entry) {
    m_track[track] = Select(entry);
}

void TCompetition::SelectStartEntries() {
    if (m_heatRunning) return;
    const int first = m_mode == Qualifikation ? 1 : 0;
    SetTrack(0, first);
    SetTrack(1, 1 - first);
    Emit(HeatChanged);
}

// ---------------------------------------------------------------------------- operations

bool TCompetition::Load(const TProtocolRows& rows) {
    if (m_heatRunning) return false;
    m_entries.clear();
    if (!rows.isEmpty()) {
        // The file's titles of name, club, class and date are adopted; the rest are ours.
        for (int c = 1; c <= 4; ++c)
            m_titles[c] = rows[0].value(c);
    }
    m_entries.reserve(std::max<qsizetype>(1, rows.size() - 1));
    for (qsizetype r = 1; r < rows.size(); ++r)
        m_entries.push_back(TEntry{FittedRow(rows[r])});
    // An empty protocol still has one (empty) participant row, as the grid keeps one.
    if (m_entries.isEmpty()) m_entries.push_back(TEntry{EmptyRow()});
    m_rank.resize(m_entries.size());
    for (int i = 0; i < m_rank.size(); ++i)
        m_rank[i] = i;
    m_rankPosValid = false;
    m_viewRanked = false;
    m_track = {-1, -1};

    ApplyMode(m_mode);
    for (int i = 0; i < EntryCount(); ++i)
        m_entries[i].cells[Col::Entry] = QString::number(i + 1);
    Recompute();
    m_runCounter = 0;
    SelectStartEntries();
    m_modified = false;
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
    ApplyMode(mode);
    Emit(RowsChanged);
    Emit(HeatChanged);
    return true;
}

void TCompetition::ApplyMode(int mode) {
    m_mode = mode >= 0 && mode <= 2 ? mode : Qualifikation;
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
    const int first = m_mode == Qualifikation ? 1 : 0;
    SetTrack(0, first);
    SetTrack(1, 1 - first);
    m_runCounter = 0;
}

void TCompetition::InsertDummy() {
    TEntry dummy{EmptyRow()};
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
    int k = 0;
    for (int e : m_rank)
        if (newIndex[e] >= 0) m_rank[k++] = newIndex[e];
    m_rank.resize(k);
    m_rankPosValid = false;
    // A participant who is gone leaves the track empty: nobody else climbs in his place.
    for (int& t : m_track)
        if (t >= 0) t = newIndex[t];
}

bool TCompetition::RecordTime(int track, const QString& text) {
    const int t = track == 0 ? 0 : 1;
    m_modified = true;
    const int entry = m_track[t];
    if (entry < 0) return false;
    m_lastCell[t].Track = t + 1;
    const int c = RecordColumn(m_entries[entry].cells, t, CountBahn(), m_countZabegov);
    if (c < 0) return false;
    m_entries[entry].cells[c] = text;
    m_lastCell[t].Column = c;
    Emit(CellChanged, entry, c);
    return true;
}

bool TCompetition::Disqualify(int track) {
    const int t = track == 1 ? 1 : 0;
    const int column = m_lastCell[t].Column;
    const int entry = m_track[t];
    if (column < 0 || entry < 0) return false; // the last stop wrote no cell: nothing to mark
    m_entries[entry].cells[column] = kDis;
    // A disqualification is a change of results like any other: closing must not lose it.
    m_modified = true;
    Emit(CellChanged, entry, column);
    Recompute();
    return true;
}

int TCompetition::Advance() {
    if (m_heatRunning) return -1;
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
    if (m_heatRunning) return;
    std::swap(m_track[0], m_track[1]);
    Emit(HeatChanged);
}

bool TCompetition::AssignToTrack(int track, int entry) {
    if (m_heatRunning || (track != 0 && track != 1)) return false;
    SetTrack(track, entry);
    Emit(HeatChanged);
    return true;
}

bool TCompetition::DoubleClick(int entry) {
    // A click that hit no participant's row (below the last row, the titles) changes nothing.
    if (m_heatRunning || !IsValidEntry(entry)) return false;
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
        QVector<bool> gone(EntryCount(), false);
        gone[entry] = true;
        RemoveEntries(gone);
        m_modified = true;
        Emit(RowsChanged);
    }
    Recompute();
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
        RemoveEntries(gone);
        m_modified = true;
        Emit(RowsChanged);
        Emit(HeatChanged);
    }
    Recompute();
    return k;
}

bool TCompetition::ClearResults() {
    if (m_heatRunning) return false;
    m_runCounter = 0;
    for (TEntry& e : m_entries) {
        for (int c = Col::Turm1; c <= Col::Platz; ++c)
            if (!e.cells[c].isEmpty()) e.cells[c].clear();
        e.result = -1;
        e.place = 0;
    }
    // Nothing is recomputed: the emptied cells are what it would give, and the order stays.
    SelectStartEntries();
    Emit(ResultsChanged);
    return true;
}

bool TCompetition::SetCell(int entry, int col, const QString& text,
                           const std::optional<QString>& expected) {
    if (!IsValidEntry(entry) || col < 0 || col >= Col::Count) return false;
    QString& cell = m_entries[entry].cells[col];
    if (expected && cell != *expected) return false;
    cell = text;
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

    // 1. Result times. The key orders as the "Zeit" texts do under CompareRunCells: a result
    // text is a function of its hundredths that grows with them, and no result goes last.
    QVector<std::int32_t> zeitKey(n);
    for (int i = 0; i < n; ++i) {
        TEntry& e = m_entries[i];
        std::optional<std::int32_t> result;
        // The dummy fills an empty track; what was stopped there is nobody's result and
        // must not take a place from a participant.
        if (!e.dummy) {
            std::int64_t sum = 0;
            bool negative = false;
            for (int r = 0; r < m_countZabegov; ++r) {
                const TRun run = ReadRun(e.cells[Col::Turm1 + r], m_timeFormat, separator);
                if (run.Kind == RunBlank)
                    sum += RunCell::BlankRun;
                else if (run.Kind == RunDis)
                    sum += RunCell::DisRun;
                else if (run.Ms < 0)
                    negative = true; // a typing slip must not shorten a real time
                else
                    sum += run.Ms;
            }
            if (!negative) result = ResultFromSum(sum, m_timeFormat);
        }
        e.result = result ? *result : -1;
        const QString zeit = result ? FormatTime(*result, m_timeFormat, separator) : QString();
        if (e.cells[Col::Zeit] != zeit) e.cells[Col::Zeit] = zeit;
        zeitKey[i] = result ? *result / 10 : kNoResultKey;
    }

    // 2. The class of each entry as a rank among the classes, in the order the class column
    // sorts: the start number by value, the other columns by their text. One spelling of a
    // class (trimmed, case folded) decides both the order and where places restart.
    const int klassCol = m_klassCol > 0 ? m_klassCol - 1 : -1;
    QVector<int> classRank(n, 0);
    QStringList classText;
    QVector<double> classValue;
    QVector<bool> classIsNumber;
    bool mixed = false; // numbers and texts in the start-number column: no single order
    if (klassCol >= 0) {
        classText.reserve(n);
        for (int i = 0; i < n; ++i)
            classText << ClassText(m_entries[i].cells[klassCol]);
        if (klassCol == Col::StNr) {
            const TSortConverter conv;
            classValue.resize(n);
            classIsNumber.resize(n);
            int numbers = 0;
            for (int i = 0; i < n; ++i) {
                classIsNumber[i] = conv.Number(classText[i], classValue[i]);
                numbers += classIsNumber[i];
            }
            mixed = numbers != 0 && numbers != n;
            if (numbers == n) {
                QVector<int> byValue(n);
                for (int i = 0; i < n; ++i)
                    byValue[i] = i;
                std::sort(byValue.begin(), byValue.end(),
                          [&](int a, int b) { return classValue[a] < classValue[b]; });
                int rank = 0;
                for (int j = 0; j < n; ++j) {
                    if (j > 0 && classValue[byValue[j]] != classValue[byValue[j - 1]]) ++rank;
                    classRank[byValue[j]] = rank;
                }
            } else {
                classIsNumber.fill(false);
            }
        }
        if (!mixed && !(klassCol == Col::StNr && !classIsNumber.isEmpty() && classIsNumber[0])) {
            QHash<QString, int> ids;
            QStringList distinct;
            QVector<int> id(n);
            for (int i = 0; i < n; ++i) {
                auto it = ids.constFind(classText[i]);
                if (it == ids.constEnd()) {
                    it = ids.insert(classText[i], int(distinct.size()));
                    distinct << classText[i];
                }
                id[i] = *it;
            }
            QVector<int> byText(distinct.size());
            for (int j = 0; j < byText.size(); ++j)
                byText[j] = j;
            std::sort(byText.begin(), byText.end(),
                      [&](int a, int b) { return OrdinalLess(distinct[a], distinct[b]); });
            QVector<int> rankOfId(distinct.size());
            for (int j = 0; j < byText.size(); ++j)
                rankOfId[byText[j]] = j;
            for (int i = 0; i < n; ++i)
                classRank[i] = rankOfId[id[i]];
        }
    }
    auto sameClass = [&](int a, int b) {
        if (klassCol < 0) return true;
        if (!classIsNumber.isEmpty() && classIsNumber[a] && classIsNumber[b])
            return classValue[a] == classValue[b];
        return classText[a] == classText[b];
    };

    // 3. The order: a stable sort from the order shown now, so equal keys keep it.
    QVector<int> start(n);
    for (int j = 0; j < n; ++j)
        start[j] = m_viewRanked && m_rank.size() == n ? m_rank[j] : j;
    QVector<int> order(n);
    if (!mixed) {
        QVector<std::pair<quint64, int>> keyed(n);
        for (int j = 0; j < n; ++j) {
            const int e = start[j];
            keyed[j] = {(quint64(quint32(classRank[e])) << 32) | quint32(zeitKey[e]), e};
        }
        std::stable_sort(keyed.begin(), keyed.end(),
                         [](const auto& a, const auto& b) { return a.first < b.first; });
        for (int j = 0; j < n; ++j)
            order[j] = keyed[j].second;
    } else {
        // Numbers and texts compare pairwise in different ways, which is no consistent order;
        // only the grid's own sort gives the grid's answer then.
        QVector<QStringList> table(n + 1);
        for (int j = 0; j < n; ++j)
            table[j + 1] = {classText[start[j]], m_entries[start[j]].cells[Col::Zeit]};
        TSortOptions options;
        const TGetSortStyle style = [&options](int col, TSortStyle& s) {
            if (col == 0) {
                s = ssNumeric;
            } else {
                s = ssCustom;
                options.SortCompare = CompareRunCells;
            }
        };
        const QVector<int> sorted = SortRowOrder(table, {0, 1}, options, style);
        for (int j = 0; j < n; ++j)
            order[j] = start[sorted[j] - 1];
    }

    // 4. Dense places, restarting with each class.
    int place = 0, lastClass = -1;
    std::int32_t lastTime = -1;
    for (int j = 0; j < n; ++j) {
        const int e = order[j];
        TEntry& entry = m_entries[e];
        if (entry.result < 0) {
            entry.place = 0;
            if (!entry.cells[Col::Platz].isEmpty()) entry.cells[Col::Platz].clear();
            continue;
        }
        if (lastClass < 0 || !sameClass(e, lastClass)) {
            if (lastClass >= 0) {
                lastTime = -1;
                place = 0;
            }
            lastClass = e;
        }
        if (zeitKey[e] != lastTime) {
            ++place;
            lastTime = zeitKey[e];
        }
        entry.place = place;
        const QString text = QString::number(place);
        if (entry.cells[Col::Platz] != text) entry.cells[Col::Platz] = text;
    }

    m_rank = order;
    m_rankPosValid = false;
    m_viewRanked = m_sorted;
    Emit(ResultsChanged);
}
