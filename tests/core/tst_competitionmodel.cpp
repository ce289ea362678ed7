// The competition without a window: heats of the modes, recording, DIS, deletes, what a
// running heat refuses, the dummy, the files' rows, places under "Summe" and "Bestzeit", the
// finals raced through the competition, the journal's round trip, and the ranking against an
// independent rebuild of the grid's.
#include "core/Competition.h"
#include "core/HallBoard.h"
#include "core/ParticipantList.h"
#include "core/RunCells.h"
#include "core/RunController.h"
#include "core/Settings.h"
#include "core/SortOrder.h"
#include "core/TimeFormat.h"
#include "persist/Journal.h"
#include "ReferenceRanking.h"

#include <QLocale>
#include <QRandomGenerator>
#include <QtTest>

namespace {
// A protocol as a file gives it: one participant a word "number/class/run1/run2/..." (fields
// left out from the right, "_" a blank); a run "6,00@6004" was recorded from 6004 ms.
TProtocolRows Protocol(const QString& people) {
    TProtocolRows rows{TCompetition::DefaultColumnTitles()};
    for (const QString& p : people.split(' ', Qt::SkipEmptyParts)) {
        const QStringList f = QString(p).replace('_', ' ').split('/');
        QStringList r(Col::Count);
        r[Col::StNr] = f[0];
        r[Col::Name] = "N" + f[0];
        r[Col::Klasse] = f.value(1);
        for (int i = 2; i < f.size(); ++i)
            r[Col::Turm1 + i - 2] = f[i].section('@', 0, 0);
        rows.push_back(r);
    }
    return rows;
}

// The texts f(0) .. f(n - 1) that are not empty, joined by blanks.
template <typename F> QString Join(qsizetype n, F f) {
    QStringList out;
    for (int i = 0; i < n; ++i)
        if (const QString t = f(i); !t.isEmpty()) out << t;
    return out.join(' ');
}

// Climbers 1..n, climber i qualified with two runs of 5 s + i tenths.
QString Field(int n) {
    return Join(n, [](int i) {
        return QStringLiteral("%1//%2/%2").arg(i + 1).arg(FormatTime(5100 + 100 * i, tfMinutes));
    });
}

int EntryOf(const TCompetition& c, const QString& number) {
    for (int e = 0; e < c.EntryCount(); ++e)
        if (c.Cell(e, Col::StNr) == number) return e;
    return -1;
}

// Loads the people in a mode and gives the runs written with "@" their stopped milliseconds.
void Load(TCompetition& c, int mode, const QString& people) {
    c.SetMode(mode);
    QVERIFY(c.Load(Protocol(people)));
    for (const QString& p : people.split(' ', Qt::SkipEmptyParts)) {
        const QStringList f = p.split('/');
        for (int i = 2; i < f.size(); ++i)
            if (f[i].contains('@'))
                QVERIFY(c.SetExactMs(EntryOf(c, f[0]), i - 2, f[i].section('@', 1).toInt()));
    }
    c.Recompute();
}

// A start number: "." nobody, "_" an empty one.
QString Nr(const TCompetition& c, int e) {
    if (e < 0) return QStringLiteral(".");
    const QString n = c.Cell(e, Col::StNr);
    return n.isEmpty() ? QStringLiteral("_") : n;
}

// Who is on the tracks: "a-b", or "a" with one track.
QString Tracks(const TCompetition& c) {
    const QString a = Nr(c, c.TrackEntry(0));
    return c.CountBahn() == 1 ? a : a + '-' + Nr(c, c.TrackEntry(1));
}

QString NrPlace(const TCompetition& c, int e) {
    return Nr(c, e) + ':' + (c.Place(e) > 0 ? QString::number(c.Place(e)) : "-");
}

// "number:place" as the protocol shows them.
QString Shown(const TCompetition& c) {
    return Join(c.EntryCount(), [&](int r) { return NrPlace(c, c.EntryAt(r)); });
}

// "number:place" in ranking order, without the dummy.
QString Ranking(const TCompetition& c) {
    const QVector<int> order = c.RankingOrder();
    return Join(order.size(),
                [&](int i) { return c.IsDummy(order[i]) ? QString() : NrPlace(c, order[i]); });
}

QString FinalPlaces(const TCompetition& c, const std::optional<QString>& category = {}) {
    const auto places = category ? c.FinalPlacesOf(*category) : c.FinalPlaces();
    return Join(places.size(), [&](int i) {
        return Nr(c, places[i].first) + ':' + QString::number(places[i].second);
    });
}

// The data rows a file gets, "start number/entry number", once its titles are right: of the
// titles rankedViewKeepsLoadOrder loads, those of name, club, class and date are kept, the
// others are ours.
QString FileRows(const TCompetition& c, int what) {
    const TProtocolRows rows = c.Rows(TCompetition::TRowsFor(what));
    if (rows[0].mid(0, 5) != QStringList{"St.Nr.", "Wer", " ", "", "Wann"} ||
        rows[0].mid(5) != TCompetition::DefaultColumnTitles().mid(5))
        return "titles " + rows[0].join('|');
    return Join(rows.size() - 1, [&](int r) {
        const QStringList& row = rows[r + 1];
        return row.size() == Col::Count ? row[0] + '/' + row[Col::Entry] : QString("short");
    });
}

// One heat as the window runs it: START, the STOPs ("5.00" seconds, "5.00@5003" with the
// stopped milliseconds; "DIS" is stopped, then disqualified; "-" is never stopped; "FS-20" a false
// start with its reaction), RESET. "abort a b": the lanes stop, then the run is aborted
// (ABBRECHEN), which decides nothing; "stop a b": the lanes stop and the heat is left running.
void RaceHeat(TCompetition& c, QString lanes) {
    const QString how = lanes.section(' ', 0, 0);
    if (how == "abort" || how == "stop") lanes = lanes.section(' ', 1);
    c.SetHeatRunning(true);
    for (int t = 0; t < 2; ++t) {
        const QString lane = lanes.section(' ', t, t);
        if (lane == "-") continue;
        if (lane.startsWith("FS")) {
            QVERIFY(c.RecordFalseStart(t, lane.mid(2).toInt()));
            continue;
        }
        const QString time = lane == "DIS" ? QStringLiteral("9.99") : lane.section('@', 0, 0);
        std::optional<std::int32_t> exact;
        if (lane.contains('@')) exact = lane.section('@', 1).toInt();
        QVERIFY(c.RecordTime(
            t, FormatTime(int(std::lround(time.toDouble() * 1000)), tfMinutes, ','), exact));
        if (lane == "DIS") QVERIFY(c.Disqualify(t));
    }
    if (how == "stop") return;
    c.SetHeatRunning(false);
    c.ResetLastCells();
    if (how != "abort") c.Advance();
}

// ---- the grid's ranking, rebuilt from the shared rules: the reference for the model.
// The table is the grid's rows in the grid's order; Recalc does what the window's
// RecalcProtocol did with the grid's own sort.
struct TGridReplica {
    QVector<QStringList> table; // row 0 titles
    QStringList ranked;         // entry numbers in ranking order of the last Recalc

    void Recalc(int countZabegov, int klassCol, int format, bool sorted, bool qualifikation) {
        for (int r = 1; r < table.size(); ++r) {
            QStringList& row = table[r];
            if (qualifikation && row[Col::StNr] == QLatin1String("0")) {
                row[Col::Zeit].clear();
                continue;
            }
            const auto result = ResultTime(row.mid(Col::Turm1, countZabegov), format);
            row[Col::Zeit] = result ? FormatTime(*result, format) : QString();
        }
        TSortOptions so;
        const TGetSortStyle style = [&so](int col, TSortStyle& s) {
            s = col >= Col::Turm1 && col <= Col::Zeit                ? ssCustom
                : col == 0 || col == Col::Platz || col == Col::Entry ? ssNumeric
                                                                     : ssAutomatic;
            if (s == ssCustom) so.SortCompare = CompareRunCells;
        };
        so.SecondaryIndex = klassCol > 0 ? QString::number(Col::Zeit) : QString();
        SortRowTable(table, klassCol > 0 ? klassCol - 1 : Col::Zeit, so, style);
        QStringList zeit, klass;
        ranked.clear();
        for (int r = 1; r < table.size(); ++r) {
            zeit << table[r][Col::Zeit];
            if (klassCol > 0) klass << table[r][klassCol - 1];
            ranked << table[r][Col::Entry];
        }
        const QStringList places = DensePlaces(zeit, klass);
        for (int r = 1; r < table.size(); ++r)
            table[r][Col::Platz] = places[r - 1];
        if (!sorted) {
            TSortOptions byEntry;
            SortRowTable(table, Col::Entry, byEntry, style);
        }
    }
    QStringList& RowOfEntry(const QString& entryNumber) {
        for (int r = 1; r < table.size(); ++r)
            if (table[r][Col::Entry] == entryNumber) return table[r];
        return table[0];
    }
};

// What an undo must give back: rows and places, kept milliseconds, the finals' lanes, bracket
// and places, and in the finals the pair the bracket puts on the tracks.
QString ResultState(const TCompetition& c) {
    QStringList s{c.BracketLines().join(' '), FinalPlaces(c), c.Mode() == 3 ? Tracks(c) : ""};
    for (const QStringList& row : c.Rows(TCompetition::ForExitCopy))
        s << row.join('|');
    for (const TExactRun& x : c.ExactRuns())
        s << QStringLiteral("%1/%2=%3").arg(x.Entry).arg(x.Run).arg(x.Ms);
    for (int t = 0; t < 2; ++t)
        if (const auto lane = c.PendingLane(t))
            s << QStringLiteral("%1:%2").arg(lane->Kind).arg(lane->Ms);
    return s.join('\n');
}

// A fresh program restores what the journal keeps of c as the window does after a crash.
void Restore(TCompetition& d, const TCompetition& c) {
    const TJournalMeta meta{
        "Cup",         c.Mode(),        2, 0, c.RankingRule(), 16, c.BracketLines(),
        c.ExactRuns(), c.HeatPosition()};
    const TJournalMeta back = ParseJournalMeta(FormatJournalMeta(meta));
    QCOMPARE(back, meta);
    d.SetMode(back.Vid);
    d.SetRankingRule(back.Ranking);
    QVERIFY(d.Load(JournalRows(c.Rows(TCompetition::ForExitCopy))));
    QCOMPARE(d.RestoreExactRuns(back.Exact), int(meta.Exact.size()));
    d.Recompute();
    if (!back.Bracket.isEmpty()) QVERIFY(d.RestoreBracket(back.Bracket));
    if (back.Vid == TCompetition::FinaleKo) QVERIFY(d.SetMode(back.Vid));
    if (back.Heat) QCOMPARE(d.RestoreHeatPosition(*back.Heat), back.Vid != 3);
}

QString RandomRun(QRandomGenerator& rng, int format) {
    const int k = int(rng.bounded(12));
    if (k < 5) return QStringList{"", "DIS.", " dis. ", "  ", "x1"}[k];
    if (k == 5) return FormatTime(1000 * rng.bounded(900, 1500), format); // sums past an hour
    return FormatTime(10 * rng.bounded(500, 560), format); // narrow: equal results happen
}
} // namespace

class TestCompetitionModel : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // Who is on the tracks before each heat, every heat timed on every track and RESET;
    // "e=pair" a double click on the row of entry e and who is then on the tracks (below the
    // last row and on the titles it is ignored).
    void heatOrder_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("people");
        QTest::addColumn<bool>("allTracks"); // "Auf allen Strecken"
        QTest::addColumn<QString>("heats");
        QTest::newRow("Qualifikation, dummy") << 0 << "1 2 3" << false << "1-0 2-1 3-2 0-3 1-1";
        QTest::newRow("Paarrennen 5") << 2 << "1 2 3 4 5" << false << "1-2 2-1 3-4 4-3 5-2 2-5 1-4";
        QTest::newRow("Paarrennen 4, anew") << 2 << "1 2 3 4" << false << "1-2 2-1 3-4 4-3 1-2 2-1";
        QTest::newRow("Individuell, wraps round") << 1 << "1 2 3" << false << "1 2 3 1";
        QTest::newRow("Individuell on all tracks") << 1 << "1 2 3" << true << "1 1 2 2 3 3 .";
        // Clicked on track 2 with the next on 1, the last row wrapping to the first.
        QTest::newRow("Qualifikation: clicks") << 0 << "1 2 3" << false << "2=3-2 3=0-3";
        // Clicked on track 1 with the next on 2; the last row has nobody after it.
        QTest::newRow("Paarrennen: clicks") << 2 << "1 2 3" << false << "1=2-3 2=3-. 3=3-. -1=3-.";
        // Each has already run on the track the click would give him.
        QTest::newRow("Paarrennen: swapped") << 2 << "1//9,00 2//8,00/7,00" << false << "0=2-1";
        QTest::newRow("Individuell: a click") << 1 << "1 2 3" << false << "2=3";
    }
    void heatOrder() {
        QFETCH(int, mode);
        QFETCH(QString, people);
        QFETCH(bool, allTracks);
        QFETCH(QString, heats);
        TCompetition c;
        c.SetAllTracks(allTracks);
        Load(c, mode, people);
        int ms = 10000;
        for (const QString& step : heats.split(' ')) {
            const bool click = step.contains('=');
            const int e = step.section('=', 0, 0).toInt();
            if (click) QCOMPARE(c.DoubleClick(e), c.IsValidEntry(e));
            QCOMPARE(Tracks(c), step.section('=', -1));
            if (click) continue;
            for (int t = 0; t < c.CountBahn(); ++t)
                c.RecordTime(t, FormatTime(ms += 130, c.TimeFormat()));
            c.Recompute(); // "Auf allen Strecken" moves on when the result is complete
            const int current = c.Advance(); // the protocol's current row
            QCOMPARE(current, c.TrackEntry(0));
        }
    }

    // Five stops on one track. "mode runs track person": the mode, the runs, the track (1 or
    // 2) and who is on it -> whether his track caption said he had a run left there (-1: no
    // answer, the dummy), which is also whether the track can record, then his run cells
    // afterwards ("9" a time he had, "1".."5" the stops, "D" DIS., "-" empty).
    void recording_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("1 track, 4 runs: the fifth is lost") << "1 4 1 1 -> 1: 1 2 3 4 - -";
        QTest::newRow("2 tracks, 1 run: none on track 2") << "2 1 2 1 -> 0: - - - - - -";
        QTest::newRow("2 tracks, 3 runs, track 1") << "2 3 1 1 -> 1: 1 - 2 - - -";
        QTest::newRow("2 tracks, 5 runs, track 2") << "2 5 2 1 -> 1: - 1 - 2 - -";
        QTest::newRow("Qualifikation, 6 runs, track 2") << "0 6 2 1 -> 1: - 1 - 2 - 3";
        QTest::newRow("Turm1 done, on track 1") << "2 2 1 1//9,00 -> 0: 9 - - - - -";
        QTest::newRow("Turm1 done, on track 2") << "2 2 2 1//9,00 -> 1: 9 1 - - - -";
        QTest::newRow("3 runs, 2 done: none on 2") << "2 3 2 1//9,00/8,00 -> 0: 9 8 - - - -";
        QTest::newRow("1 track, 1 run left") << "1 3 1 1//9,00/8,00 -> 1: 9 8 1 - - -";
        QTest::newRow("1 track, all done") << "1 2 1 1//9,00/8,00 -> 0: 9 8 - - - -";
        QTest::newRow("a blank cell is empty") << "2 2 1 1//_ -> 1: 1 - - - - -";
        QTest::newRow("a DIS cell is done") << "2 2 1 1//DIS. -> 0: D - - - - -";
        QTest::newRow("the dummy records") << "0 2 1 0 -> -1: 1 - - - - -";
    }
    void recording() {
        QFETCH(QString, row);
        const QStringList f = row.section(" -> ", 0, 0).split(' ');
        const int track = f[2].toInt() - 1;
        TCompetition c;
        c.SetCountZabegov(f[1].toInt());
        Load(c, f[0].toInt(), f[3]);
        const int e = EntryOf(c, f[3].section('/', 0, 0));
        QVERIFY(c.AssignToTrack(track, e));
        const auto has = c.TrackHasRunLeft(track);
        const int left = has ? int(*has) : -1;
        QCOMPARE(c.TrackCanRecord(track), left != 0);
        for (int i = 1; i <= 5; ++i)
            c.RecordTime(track, QStringLiteral("%1,00").arg(i));
        QStringList cells{QString::number(left) + ':'};
        for (int r = 0; r < 6; ++r) {
            const QString t = c.Cell(e, Col::Turm1 + r);
            cells << (t.isEmpty() ? "-" : t == "DIS." ? "D" : t.left(t.indexOf(',')));
        }
        QCOMPARE(cells.join(' '), row.section(" -> ", 1));
    }

    // A time goes to the participant on the track, found by entry and not by a start number
    // read from a text, and is kept as given; a time or DIS written after an editor opened on
    // the cell wins over the editor's old text; an edit is kept as typed.
    void cellsKeepWhatWasWritten() {
        TCompetition c;
        Load(c, 2, "7 7 007");
        c.AssignToTrack(0, 1);
        c.AssignToTrack(1, 2);
        QVERIFY(c.RecordTime(0, " 12,34"));
        QVERIFY(c.RecordTime(1, "13,00"));
        QVERIFY(!c.SetCell(1, Col::Turm1, "", QString()));
        QVERIFY(c.Disqualify(1));
        QVERIFY(!c.SetCell(2, Col::Turm2, "13,00", QString("13,00")));
        QCOMPARE(c.Cells(0).mid(Col::Turm1, 2) + c.Cells(1).mid(Col::Turm1, 2) +
                     c.Cells(2).mid(Col::Turm1, 2),
                 (QStringList{"", "", " 12,34", "", "", "DIS."}));
        c.SetModified(false);
        QVERIFY(c.SetCell(0, Col::Name, " Meier, Eva "));
        QCOMPARE(c.Cell(0, Col::Name), QString(" Meier, Eva "));
        QVERIFY(c.Modified());
        QVERIFY(!c.SetCell(5, 0, "x"));
        QVERIFY(!c.SetCell(0, Col::Count, "x"));
        // Nobody on a track: nothing is written, and the last write stays for DIS.
        c.AssignToTrack(0, -1);
        QVERIFY(!c.RecordTime(0, "1,00"));
        QCOMPARE(c.LastCell(0).Column, Col::Turm1);
    }

    // What becomes of the run a track's STOP records: "stop" 9,99 from 9994 ms, "@ms" 9,99
    // from other milliseconds, "react" a reaction of 143, "fs" a false start (reaction -20),
    // "clear" the false start taken back (stopped at 9,99 from 9994 ms), "reset" RESET, "dis"
    // DIS, "=text" the cell typed over -> the cell ("_" empty), the place, the reaction and the
    // stopped milliseconds kept ("-" none). DIS marks only the cell the last STOP filled; the
    // milliseconds and the reaction stay while the cell holds what was recorded.
    void marks_data() {
        QTest::addColumn<int>("track");
        QTest::addColumn<QString>("row");
        QTest::newRow("DIS on track 1 after its stop") << 0 << "stop dis -> DIS. - - -";
        QTest::newRow("DIS on track 2 after its stop") << 1 << "stop dis -> DIS. - - -";
        QTest::newRow("DIS with no stop: nothing") << 1 << "dis -> _ - - -";
        QTest::newRow("DIS after RESET: nothing") << 0 << "stop reset dis -> 9,99 1 - 9994";
        QTest::newRow("a time with its reaction") << 0 << "stop react -> 9,99 1 143 9994";
        QTest::newRow("milliseconds of another hundredth") << 0 << "@9984 -> 9,99 1 - -";
        QTest::newRow("typed over") << 0 << "stop react =9,98 -> 9,98 1 - -";
        QTest::newRow("typed over, same text") << 0 << "stop react =9,99 -> 9,99 1 143 9994";
        QTest::newRow("typed over to DIS") << 0 << "stop =DIS. -> DIS. - - -";
        QTest::newRow("a false start counts as DIS") << 0 << "fs -> FS. - -20 -";
        QTest::newRow("taken back: the stopped time") << 0 << "fs clear -> 9,99 1 -20 9994";
        QTest::newRow("no take-back once typed over") << 0 << "fs =9,98 clear -> 9,98 1 - -";
    }
    void marks() {
        QFETCH(int, track);
        QFETCH(QString, row);
        TCompetition c;
        Load(c, 2, "1///7,00 2//7,00"); // each has his other run
        const int entry = c.TrackEntry(track);
        for (const QString& step : row.section(" -> ", 0, 0).split(' ')) {
            if (step == "stop" || step[0] == '@')
                QVERIFY(c.RecordTime(track, "9,99", step[0] == '@' ? step.mid(1).toInt() : 9994));
            if (step == "react") c.SetLastReaction(track, 143);
            if (step == "fs") QVERIFY(c.RecordFalseStart(track, -20));
            if (step == "clear") c.ClearFalseStart(track, "9,99", 9994);
            if (step == "reset") c.ResetLastCells();
            if (step[0] == '=') QVERIFY(c.SetCell(entry, Col::Turm1 + track, step.mid(1)));
            if (step == "dis") {
                c.Recompute();
                c.SetModified(false);
                const bool marked = c.Disqualify(track);
                QCOMPARE(c.Modified(), marked); // closing must not lose a DIS
            }
        }
        c.Recompute();
        const QString cell = c.Cell(entry, Col::Turm1 + track);
        const auto text = [](std::optional<std::int32_t> v) {
            return v ? QString::number(*v) : QStringLiteral("-");
        };
        QCOMPARE(QStringList({cell.isEmpty() ? "_" : cell, NrPlace(c, entry).section(':', 1),
                              text(c.Reaction(entry, track)), text(c.ExactMs(entry, track))})
                     .join(' '),
                 row.section(" -> ", 1));
    }

    // The hall's screen: the mode, people "number/class" joined by commas ("-": a finals of 4
    // from six qualified), the class column, then "start", "1:7000" a lane stopped, "dis1",
    // "reset" -> the heading | lane 1 | lane 2 | the winning lane (- none).
    void hallBoard_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("the faster") << "2 1/A,2/B 4 start 1:7000 2:6990 -> |1/N1/A|2/N2/B|2";
        QTest::newRow("DIS loses") << "2 1,2 0 start 1:6000 2:7000 dis1 -> |1/N1/DIS.|2/N2|2";
        QTest::newRow("a tie to the millisecond") << "2 1,2 0 start 1:7000 2:7000 -> |1/N1|2/N2|-";
        QTest::newRow("until RESET") << "2 1,2,3,4 0 start 1:5000 2:6000 reset -> |2/N2|1/N1|-";
        QTest::newRow("the dummy is nobody") << "0 1,2,3 0 -> |1/N1||-";
        QTest::newRow("finals: the first heat")
            << "3 - 0 start 1:5000 2:6000 dis2 -> Halbfinale 1/2|1/N1|4/N4/DIS.|1";
        QTest::newRow("finals: the small final") << "3 - 0 start 1:5000 2:6000 reset start 1:5000 "
                                                    "2:6000 reset -> Kleines Finale|3/N3|4/N4|-";
    }
    void hallBoard() {
        QFETCH(QString, row);
        QStringList steps = row.section(" -> ", 0, 0).split(' ');
        const int mode = steps.takeFirst().toInt();
        const QString people = steps.takeFirst().replace(',', ' ');
        TCompetition c;
        c.SetBracketSize(4);
        c.SetKlassCol(steps.takeFirst().toInt());
        Load(c, mode == 3 ? 1 : mode, mode == 3 ? Field(6) : people);
        QVERIFY(mode != 3 || c.SetMode(TCompetition::FinaleKo));
        TSettings settings;
        TRunController run(settings);
        for (const QString& step : steps) {
            run.SetHeatReady(true, {true, true}, c.CountBahn());
            const int t = QString(step.contains(':') ? step[0] : step.back()).toInt() - 1;
            const int ms = step.mid(2).toInt();
            if (step == "start") c.SetHeatRunning(run.Start(1000));
            if (step.contains(':'))
                QVERIFY(run.Stop(t, 1000 + ms) && c.RecordTime(t, FormatTime(ms, tfMinutes), ms));
            if (step.startsWith("dis")) QVERIFY(c.Disqualify(t));
            if (step == "reset") RaceHeat(c, "- -"); // the lanes' times are in: RESET
            if (step == "reset") QVERIFY(run.Reset());
        }
        const THallBoard b = HallBoard(c, run);
        QStringList out{b.heading};
        for (const THallLane& l : b.lanes)
            out << QStringList{l.startNumber, l.name, l.club, l.category, l.mark}
                       .filter(QRegularExpression("."))
                       .join('/');
        QCOMPARE(out.join('|') + '|' + (b.winner < 0 ? "-" : QString::number(b.winner + 1)),
                 row.section(" -> ", 1));
    }

    // Five in "Paarrennen", 1 and 2 on the tracks, the run counter at 3; shown "ranked" or
    // not, "next" the next heat, "running" during a heat, then "entry N" deletes the one with
    // start number N, "rows R K" K shown rows from row R (never the last row shown), "clear"
    // empties every run and result -> "number:place" as shown " | " the tracks " | " the run
    // counter.
    void deletes_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("the track-1 participant") << "entry 1 -> 2:4 3:3 4:2 5:1 | .-2 | 0";
        QTest::newRow("the track-2 participant") << "entry 2 -> 1:4 3:3 4:2 5:1 | 1-. | 0";
        QTest::newRow("another, during a heat") << "running entry 4 -> 1:4 2:3 3:2 5:1 | 1-2 | 0";
        QTest::newRow("two rows from row 2") << "rows 1 2 -> 1:3 4:2 5:1 | 1-. | 3";
        QTest::newRow("rows to the end keep the last") << "rows 2 65000 -> 1:3 2:2 5:1 | 1-2 | 3";
        QTest::newRow("from the last row nothing") << "rows 4 10 -> 1:5 2:4 3:3 4:2 5:1 | 1-2 | 3";
        QTest::newRow("ranked: the rows shown go") << "ranked rows 1 2 -> 5:1 2:2 1:3 | 1-2 | 3";
        QTest::newRow("ranked: from the top to the end") << "ranked rows 0 65000 -> 1:1 | 1-. | 3";
        QTest::newRow("rows, during a heat") << "running rows 3 5 -> 1:4 2:3 3:2 5:1 | 1-2 | 3";
        // The first heat comes back; the order stays until a recompute.
        QTest::newRow("results cleared") << "ranked next clear -> 5:- 4:- 3:- 2:- 1:- | 1-2 | 0";
    }
    void deletes() {
        QFETCH(QString, row);
        TCompetition c;
        Load(c, 2, "1//15,00/1,00 2//14,00/1,00 3//13,00/1,00 4//12,00/1,00 5//11,00/1,00");
        c.SetRunCounter(3);
        QStringList f = row.section(" -> ", 0, 0).split(' ');
        for (; QStringList{"ranked", "next", "running"}.contains(f[0]); f.removeFirst()) {
            if (f[0] == "ranked") c.SetSorted(true);
            if (f[0] == "next") c.Advance();
            if (f[0] == "running") c.SetHeatRunning(true);
        }
        c.SetModified(false);
        const int deleted = f[0] == "entry"  ? int(c.DeleteEntry(EntryOf(c, f[1])))
                            : f[0] == "rows" ? c.DeleteRows(f[1].toInt(), f[2].toInt())
                                             : 0;
        if (f[0] == "clear") QVERIFY(c.ClearResults());
        QCOMPARE(deleted, 5 - c.EntryCount());
        QCOMPARE(Shown(c) + " | " + Tracks(c) + " | " + QString::number(c.RunCounter()),
                 row.section(" -> ", 1));
        if (f[0] != "clear") QCOMPARE(c.Modified(), deleted > 0);
        for (int e = 0; f[0] == "clear" && e < c.EntryCount(); ++e) // name and entry stay
            QCOMPARE(c.Cells(e).mid(Col::Name), QStringList{"N" + Nr(c, e)} + QStringList(11)
                                                    << QString::number(e + 1));
    }

    // While a heat runs its participants must not change, and in the finals the bracket alone
    // puts them on the tracks: each of these leaves the protocol, the mode and the tracks.
    void refused_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("running");
        QTest::addColumn<QString>("op");
        for (const char* op :
             {"assign", "swap", "click", "advance", "mode", "load", "clear", "delete", "rows"})
            QTest::addRow("during a heat: %s", op) << 2 << true << QString(op);
        for (const char* op : {"assign", "swap", "click", "advance"})
            QTest::addRow("finals: %s", op) << 3 << false << QString(op);
        QTest::addRow("finals, during a heat: delete") << 3 << true << QString("delete");
    }
    void refused() {
        QFETCH(int, mode);
        QFETCH(bool, running);
        QFETCH(QString, op);
        TCompetition c;
        Load(c, 2, Field(4));
        if (mode == 3) QVERIFY(c.SetMode(3));
        c.SetHeatRunning(running);
        const TProtocolRows rows = c.Rows(TCompetition::ForExitCopy);
        const QString tracks = Tracks(c);
        if (op == "assign") c.AssignToTrack(0, 1);
        if (op == "swap") c.Swap();
        if (op == "click") c.DoubleClick(1);
        if (op == "advance") c.Advance(); // in the finals: a RESET with no time decides nothing
        if (op == "mode") c.SetMode(0);
        if (op == "load") c.Load(Protocol("1 2"));
        if (op == "clear") c.ClearResults();
        if (op == "delete") c.DeleteEntry(c.TrackEntry(1));
        if (op == "rows") c.DeleteRows(0, 3);
        QCOMPARE(Tracks(c), tracks);
        QCOMPARE(c.Mode(), mode);
        QCOMPARE(c.Rows(TCompetition::ForExitCopy), rows);
    }

    // The "Qualifikation" dummy (start number 0) after a load in the first mode and changes to
    // the others -> the start numbers in load order " | " the tracks " | " whether the
    // protocol counts as changed.
    void dummy_data() {
        QTest::addColumn<QList<int>>("modes");
        QTest::addColumn<QString>("row");
        QTest::newRow("Qualifikation puts it on top") << QList{0} << "1 2 3 -> 0 1 2 3 | 1-0 | 0";
        QTest::newRow("Qualifikation twice") << QList{2, 0, 0} << "1 2 3 -> 0 1 2 3 | 1-0 | 0";
        QTest::newRow("another mode drops it") << QList{2, 0, 1} << "1 2 3 -> 1 2 3 | 1 | 1";
        QTest::newRow("a file's dummy stays") << QList{0} << "1 0//1,00 2 -> 1 0 2 | 0-1 | 0";
        QTest::newRow("the file in another mode") << QList{2} << "1 0//1,00 2 -> 1 2 | 1-2 | 0";
        QTest::newRow("titles only: one empty participant") << QList{1} << " -> _ | _ | 0";
        QTest::newRow("titles only in Qualifikation") << QList{0} << " -> 0 _ | _-0 | 0";
    }
    void dummy() {
        QFETCH(QList<int>, modes);
        QFETCH(QString, row);
        TCompetition c;
        Load(c, modes[0], row.section(" -> ", 0, 0));
        for (int m : modes.mid(1))
            QVERIFY(c.SetMode(m));
        QCOMPARE(Join(c.EntryCount(), [&](int e) { return Nr(c, e); }) + " | " + Tracks(c) + " | " +
                     QString::number(c.Modified()),
                 row.section(" -> ", 1));
    }

    // Shown ranked, the participant list, the tracks and the entries stay in load order; a
    // view row maps to its entry both ways. Saved and as a page the rows go in the order
    // shown without the dummy; the exit copy keeps load order and the dummy.
    void rankedViewKeepsLoadOrder() {
        TCompetition c;
        TParticipantList list(&c);
        c.SetSorted(true);
        c.SetMode(0);
        TProtocolRows file = Protocol("12//30,00/30,00 A7//10,00/10,00 3//20,00/20,00");
        file[0] = QStringList{"Nr", "Wer", " ", "", "Wann", "T1", "T2", "", "", "", "", "Z", "P"};
        QVERIFY(c.Load(file));
        QCOMPARE(Shown(c) + " | " + Tracks(c), QString("A7:1 3:2 12:3 0:- | 12-0"));
        QCOMPARE(FileRows(c, 0) + " | " + FileRows(c, 1) + " | " + FileRows(c, 2),
                 QString("A7/3 3/4 12/2 | A7/3 3/4 12/2 | 0/1 12/2 A7/3 3/4"));
        // The list's rows: text, start number, entry, dummy.
        QStringList rows;
        for (int r = 0; r < list.rowCount(); ++r)
            for (int role : {int(Qt::DisplayRole), int(TParticipantList::StartNumberRole),
                             int(TParticipantList::EntryRole), int(TParticipantList::DummyRole)})
                rows << list.index(r).data(role).toString();
        QCOMPARE(rows.join('|'), QString("0   |0|0|true|12 N12  |12|1|false|A7 NA7  ||2|false|"
                                         "3 N3  |3|3|false"));
        QVERIFY(c.AssignToTrack(0, c.EntryAt(0)));
        QCOMPARE(Tracks(c) + ' ' + QString::number(c.ViewRowOf(c.TrackEntry(0))), "A7-0 0");
        QVERIFY(c.DeleteEntry(c.EntryAt(0)));
        QCOMPARE(Shown(c) + " | " + Tracks(c), QString("3:1 12:2 0:- | .-0"));
        QCOMPARE(list.rowCount(), 3);
        QCOMPARE(list.index(2).data().toString(), QString("3 N3  "));
        c.SetSorted(false);
        QCOMPARE(Shown(c) + " | " + FileRows(c, 0), QString("0:- 12:2 3:1 | 12/2 3/4"));
        while (c.EntryCount() > 0)
            QVERIFY(c.DeleteEntry(0));
        QCOMPARE(FileRows(c, 0), QString("/")); // the grid keeps one empty row
    }

    // People -> places in ranking order, "number:place", under "Summe" " | " under "Bestzeit"
    // where that differs (the best run, then the second best, then the thousandths where every
    // tied climber has them); read in "Qualifikation", whose dummy (start number 0) takes no
    // place.
    void places_data() {
        QTest::addColumn<int>("klassCol"); // 0 none, k: column k - 1
        QTest::addColumn<QString>("row");
        QTest::newRow("dense after a tie") << 0 << "1//10,00 2//10,00 3//11,00 -> 1:1 2:1 3:2";
        QTest::newRow("the dummy takes no place") << 0 << "0//5,00/5,00 1//9,00/9,00 -> 1:1";
        QTest::newRow("class case") << 4 << "1/A/10,00 2/a/11,00 3/A/12,00 -> 1:1 2:2 3:3";
        QTest::newRow("a leading blank of the class") << 4 << "1/_A/12,00 2/A/10,00 -> 2:1 1:2";
        QTest::newRow("a trailing blank of the class") << 4 << "1/B_/12,00 2/B/10,00 -> 2:1 1:2";
        QTest::newRow("umlaut case") << 4 << "1/Ä/12,00 2/ä/10,00 3/b/9,00 -> 3:1 2:1 1:2";
        QTest::newRow("numbers by value") << 1 << "7//12,00 007//10,00 8//9,00 -> 007:1 7:2 8:1";
        QTest::newRow("no class column") << 0 << "1/A/12,00 2/a/11,00 3/_a/12,00 -> 2:1 1:2 3:2";
        QTest::newRow("best run, not sum") << 0 << "1//6,00/9,00 2//7,00/7,00 -> 2:1 1:2 | 1:1 2:2";
        QTest::newRow("second best breaks a tie") << 0 << "1//6,00/8,00 2//7,00/6,00 -> 2:1 1:2";
        QTest::newRow("DIS and a run") << 0 << "1//DIS./6,50 2//6,60/6,70 -> 2:1 1:- | 1:1 2:2";
        QTest::newRow("DIS in every run") << 0 << "1//DIS./DIS. 2//9,00/9,10 -> 2:1 1:-";
        QTest::newRow("nothing valid") << 0 << "1/// 2//8,00/DIS. -> 1:- 2:- | 2:1 1:-";
        QTest::newRow("thousandths break a tie")
            << 0 << "1//6,00@6004/8,00 2//6,00@6001/8,00 -> 1:1 2:1 | 2:1 1:2";
        QTest::newRow("a typed time: tie") << 0 << "1//6,00@6004/8,00 2//6,00/8,00 -> 1:1 2:1";
        QTest::newRow("thousandths of the second run")
            << 0 << "1//6,00/8,00@8005 2//8,00@8002/6,00 -> 1:1 2:1 | 2:1 1:2";
        QTest::newRow("hundredth before thousandths")
            << 0 << "1//6,01@6010/9,00 2//6,00@6009/9,00 -> 2:1 1:2";
        QTest::newRow("ties below a clear place")
            << 0
            << "1//7,00/7,00 2//5,00/9,00 3//7,00/7,00 4//6,00 -> 1:1 2:1 3:1 4:- | 2:1 4:2 "
               "1:3 3:3";
    }
    void places() {
        QFETCH(int, klassCol);
        QFETCH(QString, row);
        const QString people = row.section(" -> ", 0, 0), sum = row.section(" -> ", 1);
        int runs = 1;
        for (const QString& p : people.split(' '))
            runs = std::max(runs, int(p.count('/')) - 1);
        // The shown order before a recompute does not change the ranking.
        for (bool sorted : {false, true}) {
            TCompetition c;
            c.SetCountZabegov(runs);
            c.SetKlassCol(klassCol);
            c.SetSorted(sorted);
            Load(c, 0, people);
            QCOMPARE(Ranking(c), sum.section(" | ", 0, 0));
            c.SetRankingRule(TCompetition::RankByBest);
            c.Recompute();
            QCOMPARE(Ranking(c), sum.section(" | ", -1));
        }
    }

    // Random protocols through several recomputes with edits in between: the model's ranking
    // order, result times and places equal the grid's, also while "Sortieren" keeps the
    // previous order as the start of the next sort. Classes here never differ only in case or
    // blanks (there the two must differ: see places).
    void rankingEqualsTheGrids_data() {
        QTest::addColumn<quint32>("seed");
        QTest::addColumn<int>("klassCol");
        QTest::addColumn<int>("format");
        for (int klassCol = 0; klassCol <= 5; ++klassCol)
            for (quint32 seed = 1; seed <= 12; ++seed)
                QTest::addRow("class %d, seed %u", klassCol, seed)
                    << seed * 7919u + quint32(klassCol) << klassCol << int(seed % 3 == 0 ? 0 : 1);
    }
    void rankingEqualsTheGrids() {
        QFETCH(quint32, seed);
        QFETCH(int, klassCol);
        QFETCH(int, format);
        QRandomGenerator rng(seed);
        const int mode = int(rng.bounded(3));
        const int n = int(rng.bounded(1, 60));
        const QStringList classes{"A", "B", "Jugend", "damen", "", "C1"};
        TProtocolRows rows = Protocol("");
        for (int i = 0; i < n; ++i) {
            QStringList r(Col::Count);
            // Start numbers repeat, and now and then one is no number at all.
            r[Col::StNr] = rng.bounded(15) == 0 ? QStringLiteral("X%1").arg(rng.bounded(3))
                                                : QString::number(1 + rng.bounded(40));
            r[Col::Name] = QStringLiteral("N%1").arg(rng.bounded(5));
            r[Col::Ort] = QStringLiteral("O%1").arg(rng.bounded(4));
            r[Col::Klasse] = classes[rng.bounded(classes.size())];
            r[Col::Datum] = QStringLiteral("%1.05.2024").arg(1 + rng.bounded(3));
            for (int k = 0; k < 6; ++k)
                r[Col::Turm1 + k] = RandomRun(rng, format);
            rows.push_back(r);
        }
        const bool sorted = rng.bounded(2) == 0;
        TCompetition c;
        c.SetCountZabegov(1 + int(rng.bounded(6)));
        c.SetKlassCol(klassCol);
        c.SetTimeFormat(format);
        c.SetSorted(sorted);
        c.SetMode(mode);
        QVERIFY(c.Load(rows));

        // The grid as the load leaves it: the rows in load order, then recomputed.
        TGridReplica grid;
        grid.table = c.Rows(TCompetition::ForExitCopy);
        for (int e = 0; e < c.EntryCount(); ++e)
            for (int col : {Col::Zeit, Col::Platz})
                grid.table[e + 1][col].clear();
        bool gridSorted = sorted;
        grid.Recalc(c.CountZabegov(), klassCol, format, gridSorted, mode == 0);

        for (int round = 0; round < 5; ++round) {
            QStringList ranked;
            for (int e : c.RankingOrder())
                ranked << c.Cell(e, Col::Entry);
            QCOMPARE(ranked, grid.ranked);
            for (int r = 0; r < c.EntryCount(); ++r)
                QCOMPARE(c.Cells(c.EntryAt(r)), grid.table[r + 1]);
            // Change some runs the same way in both, perhaps tick "Sortieren", recompute.
            for (int k = 0; k < 4; ++k) {
                const int e = int(rng.bounded(c.EntryCount()));
                const int col = Col::Turm1 + int(rng.bounded(6));
                const QString text = RandomRun(rng, format);
                c.SetCell(e, col, text);
                grid.RowOfEntry(c.Cell(e, Col::Entry))[col] = text;
            }
            if (rng.bounded(3) == 0) gridSorted = !gridSorted;
            c.SetSorted(gridSorted);
            grid.Recalc(c.CountZabegov(), klassCol, format, gridSorted, mode == 0);
        }
    }

    // ------------------------------------------------------------------------------ finals
    // Each action on results taken back and done again. Steps run in order (a heat from its
    // first STOP to "reset"); undo gives the state from before the step marked "*", redo the
    // state after the last. "asks": the undo changes places that went out with the RESET.
    void undoRedo_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("steps");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("asks");
        const auto row = [](const char* name, int mode, const QString& steps, const char* text,
                            bool asks) { QTest::newRow(name) << mode << steps << text << asks; };
        row("time", 2, "*stop 0 7,23 7234", "Zeit 7,23 von N1", false);
        row("time, RESET passed", 2, "*stop 0 7,23 7234, reset", "Zeit 7,23 von N1", true);
        row("DIS", 2, "stop 0 7,23, *dis 0", "DIS. von N1", false);
        row("edit", 2, "*edit 2 6 5,55", "Änderung Turm2 von N2", false);
        row("delete entry on a track", 2, "*del 1", "Löschen von N1", false);
        row("delete rows", 2, "*rows 1 2", "Löschen von 2 Zeilen", false);
        row("clear results", 2, "*clear", "Löschen aller Ergebnisse", false);
        row("finals lane time", 3, "*stop 0 7,23 7234", "Zeit 7,23 von N1", false);
        row("finals DIS", 3, "stop 1 8,00, *dis 1", "DIS. von N4", false);
        row("finals time handed on by RESET", 3, "stop 0 7,23 7234, *stop 1 8,00, reset",
            "Zeit 8,00 von N4", false);
        row("finals delete on a track", 3, "*del 1", "Löschen von N1", false);
        row("finals, the final decided", 3,
            QString("stop 0 5, stop 1 6, reset, ").repeated(3) + "stop 0 5, *stop 1 6, reset",
            "Zeit 6 von N2", true);
    }
    void undoRedo() {
        QFETCH(int, mode);
        TCompetition c;
        c.SetBracketSize(4);
        Load(c, mode == 3 ? 1 : mode, mode == 3 ? Field(5) : "1//_/5,00@5004 2//6,00 3 4//DIS.");
        QVERIFY(mode != 3 || c.SetMode(TCompetition::FinaleKo));
        QString before;
        QFETCH(QString, steps);
        for (QString step : steps.split(", ")) {
            if (step.startsWith('*')) before = ResultState(c);
            const QStringList f = step.remove('*').split(' ');
            const int n = f.value(1).toInt();
            c.SetHeatRunning(f[0] == "stop" || (c.HeatRunning() && f[0] != "reset"));
            if (f[0] == "stop")
                QVERIFY(c.RecordTime(n, f[2],
                                     f.size() > 3 ? std::optional(f[3].toInt()) : std::nullopt));
            if (f[0] == "reset") {
                c.ResetLastCells();
                c.Advance();
            }
            if (f[0] == "dis") QVERIFY(c.Disqualify(n));
            if (f[0] == "edit") QVERIFY(c.SetCell(EntryOf(c, f[1]), f[2].toInt(), f[3]));
            if (f[0] == "del") QVERIFY(c.DeleteEntry(EntryOf(c, f[1])));
            if (f[0] == "rows") QCOMPARE(c.DeleteRows(n, f[2].toInt()), f[2].toInt());
            if (f[0] == "clear") QVERIFY(c.ClearResults());
            c.Recompute();
        }
        const QString after = ResultState(c);
        QVERIFY(after != before);
        QTEST(c.UndoText(), "text");
        QTEST(c.UndoChangesPublishedPlaces(), "asks");
        QVERIFY(c.Undo());
        QCOMPARE(ResultState(c), before);
        QTEST(c.RedoText(), "text");
        QVERIFY(c.Redo());
        QCOMPARE(ResultState(c), after);
        // A new action drops the redo; another protocol drops everything.
        QVERIFY(c.Undo() && c.CanRedo() && c.SetCell(0, Col::Ort, "X") && !c.CanRedo() &&
                !c.Redo());
        c.SetHeatRunning(false);
        QVERIFY(c.CanUndo() && c.Load(Protocol("1 2")) && !c.CanUndo());
    }

    // Into the finals from a mode: whether it goes, the first pair " | " a piece of the note.
    void enterFinals_data() {
        QTest::addColumn<QString>("people");
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("size");
        QTest::addColumn<bool>("ok");
        QTest::addColumn<QString>("expected");
        QTest::newRow("8 of 8") << Field(8) << 2 << 8 << true << "1-8 | ";
        QTest::newRow("from Qualifikation, no dummy") << Field(8) << 0 << 16 << true << "1-8 | ";
        QTest::newRow("cut to 4") << Field(9) << 1 << 4 << true << "1-4 | ";
        QTest::newRow("nobody ranked") << "1 2 3" << 0 << 16 << false << "1-0 | mindestens 2";
        QTest::newRow("one ranked")
            << "1//5,00/5,00 2 3//DIS./DIS." << 2 << 16 << false << "1-2 | es gibt 1";
        // 5's runs are typed after a ranked view put 4 ahead; now 4 and 5 tie for the last
        // place: 5, loaded first, is in, and both are named.
        QTest::newRow("a tie at the cut")
            << "1//5,00/5,00 2//5,10/5,10 3//5,20/5,20 5//5,60/5,60 4//5,50/5,50 then 5//5,50/5,50"
            << 1 << 4 << true
            << "1-5 | Platz 4 an der Grenze des Finales. Nach der Reihenfolge der Rangliste im "
               "Finale: 5 N5; nicht im Finale: 4 N4.";
    }
    void enterFinals() {
        QFETCH(QString, people);
        QFETCH(int, from);
        QFETCH(int, size);
        QFETCH(bool, ok);
        QFETCH(QString, expected);
        TCompetition c;
        c.SetBracketSize(size);
        Load(c, from, people.section(" then ", 0, 0));
        if (const QStringList f = people.section(" then ", 1).split('/'); f.size() > 2) {
            c.SetSorted(true);
            for (int i = 2; i < f.size(); ++i)
                c.SetCell(EntryOf(c, f[0]), Col::Turm1 + i - 2, f[i]);
            c.Recompute();
        }
        const TProtocolRows before = c.Rows(TCompetition::ForExitCopy);
        QCOMPARE(c.SetMode(TCompetition::FinaleKo), ok);
        QCOMPARE(c.Mode(), ok ? int(TCompetition::FinaleKo) : from);
        QCOMPARE(Tracks(c), expected.section(" | ", 0, 0));
        const QString note = expected.section(" | ", 1);
        QVERIFY2(c.BracketNote().contains(note), qPrintable(c.BracketNote()));
        QCOMPARE(c.BracketNote().isEmpty(), note.isEmpty());
        if (ok)
            QCOMPARE(c.DummyEntry(), -1);
        else
            QCOMPARE(c.Rows(TCompetition::ForExitCopy), before); // nothing lost or moved
    }

    // Six qualified, four in the bracket: 5 and 6 follow in qualification order; 7 has no
    // qualification result and no place. Heats "laneA laneB" and deletions "del <number>" in
    // order -> the pairs on the tracks before each heat " = " the final places (those of 5, 6
    // and 7 left out where nobody was deleted: "5:5 6:6 7:0").
    void finalsOf4_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("DIS and a missing time lose")
            << "DIS 9, - 9, 5 DIS, DIS DIS -> 1-4 2-3 1-2 3-4 = 3:1 4:2 1:3 2:4";
        QTest::newRow("a false start loses; of two, the earlier release")
            << "FS30 9, FS-20 FS40, 5 FS10, FS5 FS50 -> 1-4 2-3 1-2 3-4 = 4:1 3:2 1:3 2:4";
        QTest::newRow("thousandths decide a tie")
            << "6@6008 6@6002, 5 6, 5 6, 7@7001 7@7000 -> 1-4 2-3 1-3 2-4 = 4:1 2:2 1:3 3:4";
        QTest::newRow("a typed tie: earlier rounds, then the seed")
            << "6 6@6002, 5.5 6, 5 6, 7 7@7000 -> 1-4 2-3 3-4 1-2 = 2:1 1:2 3:3 4:4";
        // An aborted run's times are gone: lane A, stopped at 5.00 then, has no time after.
        QTest::newRow("an aborted run counts nothing")
            << "abort 5 9, - 9, 5 6, 5 6, 5 6 -> 1-4 1-4 2-3 1-3 2-4 = 2:1 4:2 1:3 3:4";
        // The stopped milliseconds count, not the text: an hour lost from it wins nothing.
        QTest::newRow("an hour is not five seconds")
            << "5@3605000 9, 5 6, 5 6, 5 6 -> 1-4 2-3 1-3 2-4 = 2:1 4:2 1:3 3:4";
        // A STOP within 10 ms of START timed nothing: the pair races again.
        QTest::newRow("0,00 decides nothing")
            << "0@5 9, 5 6, 5 6, 5 6, 5 6 -> 1-4 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 4:4";
        // A deleted climber loses his open heat: the other side goes on without a run.
        QTest::newRow("deleted first") << "del 1, 5 6, 5 6 -> 2-3 2-4 = 2:1 4:2 3:3 5:4 6:5 7:0";
        QTest::newRow("deleted before the final")
            << "5 6, 5 6, del 2, 5 6 -> 1-4 2-3 3-4 = 1:1 3:2 4:3 5:4 6:5 7:0";
    }
    void finalsOf4() {
        QFETCH(QString, row);
        TCompetition c;
        c.SetBracketSize(4);
        Load(c, 1, Field(6) + " 7");
        const TProtocolRows protocol = c.Rows(TCompetition::ForExitCopy);
        QVERIFY(c.SetMode(TCompetition::FinaleKo));
        QStringList pairs;
        for (const QString& step : row.section(" -> ", 0, 0).split(", ")) {
            if (step.startsWith("del ")) {
                QVERIFY(c.DeleteEntry(EntryOf(c, step.mid(4))));
                continue;
            }
            pairs << Tracks(c);
            RaceHeat(c, step);
        }
        QVERIFY(c.Bracket().Finished());
        const bool deleted = row.contains("del");
        QCOMPARE(pairs.join(' ') + " = " + FinalPlaces(c),
                 row.section(" -> ", 1) + (deleted ? "" : " 5:5 6:6 7:0"));
        // No finals time went into the protocol.
        if (!deleted) QCOMPARE(c.Rows(TCompetition::ForExitCopy), protocol);
    }

    // Finals per category (size 4, every heat won on lane A): the brackets' seeds, the heats in
    // the order raced (before heat k the operator picks bracket picks[k], "-" keeps it), the
    // final places per category, the note. Half way the journal's lines restore the same
    // brackets and heat in a fresh program that had no category column set.
    void categoryFinals_data() {
        QTest::addColumn<QString>("people");
        QTest::addColumn<QString>("picks");
        QTest::addColumn<QString>("expected");
        const QString damen = "11/Damen/5,10/5,10 12/Damen/5,20/5,20 13/damen_/5,30/5,30 "
                              "14/Damen/5,40/5,40 15/Damen/5,50/5,50 ",
                      herren = "21/Herren/6,10/6,10 22/herren_/6,20/6,20 23/Herren/6,30/6,30 "
                               "24/Herren 31/Jugend/7,00/7,00";
        const QString places = "Damen=11:1 12:2 13:3 14:4 15:5 Herren=21:1 22:2 23:3 24:0 "
                               "Jugend=31:1";
        QTest::newRow("two sizes, a single starter")
            << damen + herren << ""
            << "Damen: 11 12 13 14, Herren: 21 22 23 . | 11-14 12-13 13-14 11-12 22-23 21-22 | " +
                   places + " | „Jugend“: Kein Finale";
        QTest::newRow("categories alternate")
            << damen + herren << "1 0 1"
            << "Damen: 11 12 13 14, Herren: 21 22 23 . | 22-23 11-14 21-22 12-13 13-14 11-12 | " +
                   places + " | „Jugend“";
        QTest::newRow("a tie at a category's cut-off")
            << QString(damen).replace("15/Damen/5,50/5,50", "15/Damen/5,40/5,40") +
                   "21/Herren/6,10/6,10 22/Herren/6,20/6,20"
            << ""
            << "Damen: 11 12 13 14, Herren: 21 22 . . | 11-14 12-13 13-14 11-12 21-22 | "
               "Damen=11:1 12:2 13:3 14:4 15:5 Herren=21:1 22:2 | „Damen“: Gleichstand auf "
               "Platz 4";
    }
    void categoryFinals() {
        QFETCH(QString, people);
        QFETCH(QString, picks);
        QFETCH(QString, expected);
        TCompetition c;
        c.SetBracketSize(4);
        c.SetKlassCol(Col::Klasse + 1);
        Load(c, 1, people);
        QVERIFY(c.SetMode(TCompetition::FinaleKo));
        QStringList brackets, heats, places;
        for (const TCategoryBracket& b : c.Brackets())
            brackets << b.Category + ": " + Join(b.Bracket.Seeds().size(), [&](int k) {
                            return Nr(c, b.Bracket.Seeds()[k].Entry);
                        });
        const QStringList pick = picks.split(' ', Qt::SkipEmptyParts);
        while (!c.Bracket().Finished() && heats.size() < 20) {
            if (heats.size() < pick.size() && pick[heats.size()] != "-")
                QVERIFY(c.SetCurrentBracket(pick[heats.size()].toInt()));
            if (heats.size() == 3) { // the journal keeps the brackets and the heat
                TCompetition d;
                Restore(d, c);
                QCOMPARE(d.KlassCol(), Col::Klasse + 1);
                QCOMPARE(d.BracketLines(), c.BracketLines());
                QCOMPARE(Tracks(d), Tracks(c));
            }
            heats << Tracks(c);
            RaceHeat(c, "5 6");
            QVERIFY(!c.SetCurrentBracket(9));
        }
        for (const QString& category : c.Categories())
            places << category + '=' + FinalPlaces(c, category);
        QCOMPARE(
            QStringList({brackets.join(", "), heats.join(' '), places.join(' '), c.BracketNote()})
                .join(" | ")
                .left(expected.size()),
            expected);
    }

    // What the journal keeps comes back in a fresh program restored as the window restores it
    // after a crash: the heat on the tracks, the ranking, the thousandths and the bracket,
    // its lanes to the thousandth. Steps: "reset" RESET's advance, "a b" a finals heat raced,
    // "rerun N", "stop a b" lanes stopped when the program went down, before the RESET,
    // "mode N" another mode (the bracket waits beside the protocol).
    void journal_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("steps");
        QTest::newRow("Qualifikation, the dummy on track 2") << 0 << "";
        QTest::newRow("Qualifikation, third heat") << 0 << "reset, reset";
        QTest::newRow("Paarrennen, second run of the pair") << 2 << "reset";
        QTest::newRow("Paarrennen, third pair") << 2 << "reset, reset, reset, reset";
        QTest::newRow("finals half way") << 3 << "5.00@5005 5.00@5001, DIS -";
        QTest::newRow("finals, a heat re-run") << 3 << "5.00@5005 5.00@5001, rerun 1";
        QTest::newRow("finals, both lanes stopped") << 3 << "5 6, 5 6, stop 5.00@5003 6.00";
        QTest::newRow("finals, one lane still climbing") << 3 << "5 6, 5 6, stop 5.00@5003 -";
        QTest::newRow("finals left for Qualifikation") << 3 << "5 6, 5 6, mode 0";
    }
    void journal() {
        QFETCH(int, mode);
        QFETCH(QString, steps);
        TCompetition c;
        c.SetRankingRule(TCompetition::RankByBest);
        Load(c, mode == 3 ? 1 : mode,
             "1//5,00@5004/6,00@6001 2//5,00@5002 3//5,30/5,20@5209 4//6,00 5//6,10@6100");
        if (mode == 3) QVERIFY(c.SetMode(3));
        for (const QString& step : steps.split(", ", Qt::SkipEmptyParts)) {
            const QString what = step.section(' ', 0, 0), n = step.section(' ', 1);
            if (what == "reset") c.Advance();
            if (what == "mode") QVERIFY(c.SetMode(n.toInt()));
            if (what == "rerun") QVERIFY(c.RerunHeat(n.toInt())); // 1: 4-5, 0 is seed 1's bye
            if (!QStringList{"reset", "mode", "rerun"}.contains(what)) RaceHeat(c, step);
        }
        TCompetition d;
        Restore(d, c);
        QVERIFY(!d.RestoreHeatPosition({9, 1, 0})); // not this protocol's
        // Both lanes in: the restart finds the heat decided as the RESET would have; a lane
        // still open: the heat is raced again.
        if (c.HeatRunning()) RaceHeat(c, steps.endsWith('-') ? "abort - -" : "- -");
        QCOMPARE(Tracks(d), Tracks(c));
        if (c.Mode() != 3) QCOMPARE(d.RunCounter(), c.RunCounter());
        QCOMPARE(Ranking(d), Ranking(c));
        QCOMPARE(d.ExactMs(EntryOf(d, "3"), 1), std::optional<std::int32_t>(5209));
        QCOMPARE(d.BracketLines(), c.BracketLines());
        QCOMPARE(FinalPlaces(d), FinalPlaces(c));
    }
};

QTEST_GUILESS_MAIN(TestCompetitionModel)
#include "tst_competitionmodel.moc"
