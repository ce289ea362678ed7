// The run without a window and the rules around it: the run controller as a script of commands,
// contact edges and clock moves on the test clock (so nothing waits in real time), the time
// texts, the order of run cells, a participant's result time, a stored window's bounds, and the
// finals bracket alone (its shape, who wins a heat, the racing order to the final places,
// re-runs, and broken journal texts of it).
#include "core/Bracket.h"
#include "core/Competition.h"
#include "core/EventFiles.h"
#include "core/RunCells.h"
#include "core/RunController.h"
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "core/WindowBounds.h"
#include "persist/ResultList.h"
#include "persist/SettingsStore.h"

#include <QLocale>
#include <QtTest>

namespace {
// n starters; seed k is entry k - 1, so a seed reads as entry + 1.
TBracket Starters(int n, int maxSize = 16) {
    QVector<TBracket::TSeed> ranked;
    for (int i = 0; i < n; ++i)
        ranked.push_back({i, 5000 + 10 * i});
    return *TBracket::Build(ranked, maxSize);
}

// "1.23" a lane time of 1230 ms, "1.23/1234" the same with its stopped milliseconds, "DIS" a
// disqualification, "FS@-20" a false start with its reaction, "-" no time.
TBracket::TLane Lane(const QString& text) {
    TBracket::TLane lane;
    if (text.startsWith("FS@")) {
        lane.Kind = TBracket::LaneDis;
        lane.FalseStart = true;
        lane.Reaction = text.mid(3).toInt();
        return lane;
    }
    if (text == "DIS") lane.Kind = TBracket::LaneDis;
    if (text == "DIS" || text == "-") return lane;
    lane.Kind = TBracket::LaneTime;
    lane.Ms = int(std::lround(text.section('/', 0, 0).toDouble() * 1000));
    if (text.contains('/')) lane.Exact = text.section('/', 1).toInt();
    return lane;
}

QString Pair(const TBracket::THeat& h) {
    const auto side = [&](int s) {
        return h.Entry[s] >= 0 ? QString::number(h.Entry[s] + 1) : QStringLiteral("bye");
    };
    return side(0) + '-' + side(1);
}

QString Current(const TBracket& b) {
    return b.CurrentHeat() < 0 ? QStringLiteral("none") : Pair(b.Heats()[b.CurrentHeat()]);
}

// Races the current heat with "laneA laneB".
bool Race(TBracket& b, const QString& lanes) {
    return b.SetResult(b.CurrentHeat(), Lane(lanes.section(' ', 0, 0)),
                       Lane(lanes.section(' ', 1, 1)));
}

// "place:seed", best first.
QString Places(const TBracket& b) {
    QStringList out;
    for (const auto& [entry, place] : b.Places())
        out << QStringLiteral("%1:%2").arg(place).arg(entry + 1);
    return out.join(' ');
}

// A controller on a settable clock with a heat on the tracks: two tracks, 10 s start lock-out,
// auto-reset after 5 s.
struct TRun {
    TManualClock clock;
    TSettings settings;
    std::unique_ptr<TRunController> run;
    std::array<bool, 2> cells{}; // what the protocol says: a cell DIS could mark
    std::uint32_t lines = 0;     // the modem-status word the contacts produce
    std::uint32_t pads = 0;      // and the one of the foot pads' port
    QStringList trace;

    TRun() {
        clock.now = 1000000;
        SetTickSource(TManualClock::Source(clock));
        settings.CountBahn = 2;
        settings.TimerGesperrt = 10000;
        settings.StopGesperrt = 10000; // the stops armed with the start lock-out's end
        settings.AutoTime = 5000;
        settings.Alg1 = settings.Alg2 = settings.Alg3 = 0; // "ON": acting on closing
        run = std::make_unique<TRunController>(settings);
        run->SetHeatReady(true);
        run->SetCellToMark([this](int t) { return cells[size_t(t)]; });
        TRunController* r = run.get();
        QObject::connect(r, &TRunController::Started, [this] { trace << "started"; });
        // The time reported, then what the track keeps (its recorded milliseconds) if that differs.
        QObject::connect(r, &TRunController::TrackStoppedAt, [this](int t, quint32 ms) {
            const quint32 kept = run->StopTime(t);
            trace << QStringLiteral("stop%1=%2").arg(t + 1).arg(ms) +
                         (kept == ms ? QString() : '/' + QString::number(kept));
        });
        QObject::connect(r, &TRunController::WasReset, [this] { trace << "reset"; });
        QObject::connect(r, &TRunController::Aborted, [this] { trace << "aborted"; });
        QObject::connect(r, &TRunController::RunEnded, [this] { trace << "ended"; });
        QObject::connect(r, &TRunController::StopContactIgnored,
                         [this](int t) { trace << QStringLiteral("ignored%1").arg(t + 1); });
        QObject::connect(r, &TRunController::ReactionTaken, [this](int l) {
            trace << QStringLiteral("r%1=%2").arg(l + 1).arg(*run->Reaction(l)) +
                         (run->FalseStart(l) ? "FS" : "");
        });
        QObject::connect(r, &TRunController::FalseStartCleared,
                         [this](int l) { trace << QStringLiteral("cleared%1").arg(l + 1); });
    }
    ~TRun() { SetTickSource({}); }

    QString Enabled() const {
        QStringList on;
        const std::pair<const char*, bool> flags[] = {
            {"START", run->CanStart()}, {"STOP1", run->CanStop(0)}, {"STOP2", run->CanStop(1)},
            {"RESET", run->CanReset()}, {"ABORT", run->CanAbort()}, {"setup", run->CanSetUpHeat()},
            {"load", run->CanLoad()},   {"DIS1", run->CanDis(0)},   {"DIS2", run->CanDis(1)}};
        for (const auto& [name, enabled] : flags)
            if (enabled) on << name;
        return '{' + on.join(' ') + '}';
    }
    QString Beams() const {
        return QStringLiteral("[%1%2%3]%4%5")
            .arg(run->BeamArmed(BeamStart))
            .arg(run->BeamArmed(BeamStop1))
            .arg(run->BeamArmed(BeamStop2))
            .arg(run->LockoutActive() ? "L" : "", run->AutoResetPending() ? "A" : "");
    }

    // A command, a probe, a setting ("arm" the start beam; "cell1" track 1's STOP filled a
    // cell; "full2", "full" no run left on track 2, on both; "OFF" the start contact acts on
    // opening, "pol7" a bad polarity), time passing, or a contact line.
    void Step(const QString& s) {
        const std::uint32_t now = clock.now;
        // clang-format off
        const QHash<QString, std::function<void()>> commands{
            {"START", [&] { run->Start(now); }},
            {"STOP1", [&] { run->Stop(0, now); }},
            {"STOP2", [&] { run->Stop(1, now); }},
            {"RESET", [&] { run->Reset(); }},
            {"ABORT", [&] { run->Abort(); }},
            {"END", [&] { run->EndRun(); }},
            {"?", [&] { trace << Enabled(); }},
            {"b", [&] { trace << Beams(); }},
            {"arm", [&] { run->ToggleBeam(BeamStart); }},
            {"auto", [&] { run->SetAutoReset(true); }},
            {"noauto", [&] { run->SetAutoReset(false); }},
            {"cell1", [&] { cells[0] = true; }},
            {"forget", [&] { cells = {false, false}; }},
            {"1track", [&] { run->SetHeatReady(true, {true, true}, 1); }},
            {"full2", [&] { run->SetHeatReady(true, {true, false}); }},
            {"full", [&] { run->SetHeatReady(true, {false, false}); }},
            {"OFF", [&] { settings.Alg1 = 1; }},
            {"pol7", [&] { settings.Alg1 = 7; }},
            {"stop3", [&] { settings.StopGesperrt = 3000; }},
            {"clear1", [&] { run->ClearFalseStart(0); }},
            {"lost", [&] { run->PadsLost(); }},
            {"padOFF", [&] { settings.PadAlg2 = 1; }},
        };
        // clang-format on
        if (commands.contains(s)) {
            commands[s]();
        } else if (s[0] == '+' || s[0] == '~') { // time passes, with or without the timer
            clock.advance(s.mid(1).toUInt());
            if (s[0] == '+') run->Poll();
        } else if (s[0] == '@') {
            clock.now = s.mid(1).toUInt();
        } else {
            // A contact line ("s" start, "1", "2" the stops; "p1", "p2" the foot pads on their
            // own port) going active (+) or not (-), its notification "^N" ms after the edge.
            if (s[0] == 'p') {
                const std::uint32_t mask = PadLines[size_t(s[1].digitValue() - 1)];
                pads = s[2] == '+' ? pads | mask : pads & ~mask;
                run->PadChanged(s[1].digitValue() - 1, pads, now);
                return;
            }
            const int contact = s[0] == 's' ? 0 : s[0].digitValue();
            const std::uint32_t mask[3] = {ContactLine::CTS, ContactLine::DSR, ContactLine::RLSD};
            lines = s[1] == '+' ? lines | mask[contact] : lines & ~mask[contact];
            run->ContactChanged(contact, lines, now - s.section('^', 1).toUInt());
        }
    }
};
} // namespace

class TestRules : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // The grid's order of run cells and results: shorter texts first, "DIS." after every time,
    // empty cells last.
    void runCellOrder_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<char>("order");
        QTest::addColumn<QString>("b");
        QTest::newRow("shorter time first") << "9,87" << '<' << "12,34";
        QTest::newRow("minutes after seconds") << "12,34" << '<' << "1:02,50";
        QTest::newRow("same length digitwise") << "12,34" << '<' << "12,35";
        QTest::newRow("equal") << "12,34" << '=' << "12,34";
        QTest::newRow("DIS after every time") << "DIS." << '>' << "59:59,99";
        QTest::newRow("dis lower case is DIS") << "dis." << '>' << "1:00,00";
        QTest::newRow("blank after DIS") << "  " << '>' << "DIS.";
        QTest::newRow("empty after a time") << "" << '>' << "9,99";
        QTest::newRow("two blanks: ordinal") << "" << '<' << "   ";
    }
    void runCellOrder() {
        QFETCH(QString, a);
        QFETCH(char, order);
        QFETCH(QString, b);
        const auto sign = [](int c) { return "<=>"[(c > 0) - (c < 0) + 1]; };
        QCOMPARE(sign(CompareRunCells(a, b)), order);
        QCOMPARE(sign(-CompareRunCells(b, a)), order);
    }

    // A participant's result ("Zeit") under "Summe", as the competition computes it and as
    // the grid's rule does; "" is no result, and then no place.
    void resultTime_data() {
        QTest::addColumn<QString>("runs"); // the run cells, separated by '|'
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("zeit");
        QTest::newRow("sum of two") << "12,34|13,00" << 1 << "25,34";
        QTest::newRow("sum into minutes") << "45,00|30,50" << 1 << "1:15,50";
        QTest::newRow("one DIS") << "DIS.|13,00" << 1 << "";
        QTest::newRow("DIS between blanks, lower case") << " dis. |13,00" << 1 << "";
        QTest::newRow("one empty") << "12,34|  " << 1 << "";
        QTest::newRow("DIS without point is a time text") << "DIS|13,00" << 1 << "13,00";
        QTest::newRow("1:2:3 reads 0") << "1:2:3|5,00" << 1 << "5,00";
        QTest::newRow("leading blank still reads") << " 1,00|5,00" << 1 << "6,00";
        QTest::newRow("zero sum") << "0,00" << 1 << "";
        QTest::newRow("negative run") << "-5,00|10,00" << 0 << "";
        QTest::newRow("just below an hour") << "30:00,00|29:59,99" << 1 << "59:59,99";
        QTest::newRow("an hour in two runs is none") << "30:00,00|30:00,00" << 1 << "";
        QTest::newRow("an hour in seconds is shown") << "1800,00|1800,00" << 0 << "3600,00";
        QTest::newRow("just below the bound") << "21474,83" << 0 << "21474,83";
        QTest::newRow("the bound is none") << "21474,84" << 0 << "";
        QTest::newRow("the bound split over runs") << "10000,00|11474,84" << 0 << "";
        QTest::newRow("one unreadable seconds") << "abc|12,00" << 0 << "";
        QTest::newRow("six unreadable cannot wrap") << "x|x|x|x|x|x" << 0 << "";
    }
    void resultTime() {
        QFETCH(QString, runs);
        QFETCH(int, format);
        QFETCH(QString, zeit);
        const QStringList cells = runs.split('|');
        const auto r = ResultTime(cells, format);
        QCOMPARE(r ? FormatTime(*r, format) : QString(), zeit);
        TCompetition c;
        c.SetMode(TCompetition::IndividuellesKlettern);
        c.SetTimeFormat(format);
        c.SetCountZabegov(int(cells.size()));
        QStringList row = QStringList{"1"} + QStringList(Col::Turm1 - 1) + cells; // number 1
        row.resize(Col::Count);
        QVERIFY(c.Load({TCompetition::DefaultColumnTitles(), row}));
        QCOMPARE(c.Cell(0, Col::Zeit), zeit);
        QCOMPARE(c.Place(0), zeit.isEmpty() ? 0 : 1);
    }

    // A stored window's bounds "x y w h" on one or two screens -> the bounds it gets: no
    // bigger than the screens together, and centred on the first when no piece of its title
    // bar is on a screen.
    void windowBounds_data() {
        QTest::addColumn<int>("screens");
        QTest::addColumn<QString>("row");
        QTest::newRow("fits") << 1 << "307 148 893 495 -> 307 148 893 495";
        QTest::newRow("two screens bound it together") << 2 << "100 0 5000 5000 -> 100 0 3200 1040";
        QTest::newRow("spanning two screens") << 2 << "10 10 3000 900 -> 10 10 3000 900";
        QTest::newRow("on the second screen") << 2 << "2000 50 893 495 -> 2000 50 893 495";
        QTest::newRow("the second screen gone") << 1 << "2000 50 893 495 -> 513 272 893 495";
        QTest::newRow("far off and huge") << 1 << "-32767 -32767 32767 32767 -> 0 0 1920 1040";
        QTest::newRow("partly off the left") << 1 << "-300 10 893 495 -> -300 10 893 495";
        QTest::newRow("only the last pixels on it") << 1 << "-880 10 893 495 -> 513 272 893 495";
        QTest::newRow("title bar above the screen") << 1 << "100 -200 893 495 -> 513 272 893 495";
        QTest::newRow("no screens: as stored") << 0 << "0 0 32767 32767 -> 0 0 32767 32767";
    }
    void windowBounds() {
        QFETCH(int, screens);
        QFETCH(QString, row);
        const QList<QRect> all{{0, 0, 1920, 1040}, {1920, 0, 1280, 984}};
        const auto rect = [](const QString& t) {
            const QStringList f = t.split(' ');
            return QRect(f[0].toInt(), f[1].toInt(), f[2].toInt(), f[3].toInt());
        };
        QCOMPARE(FitWindowToScreens(rect(row.section(" -> ", 0, 0)), all.mid(0, screens)),
                 rect(row.section(" -> ", 1)));
    }

    // The first round, the better seed on lane A and byes for the best; " = " the first heat.
    void bracketShape_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<int>("maxSize");
        QTest::addColumn<QString>("expected");
        QTest::newRow("16") << 16 << 16 << "1-16 8-9 4-13 5-12 2-15 7-10 3-14 6-11 = 1-16";
        QTest::newRow("9 cut to 8") << 9 << 8 << "1-8 4-5 2-7 3-6 = 1-8";
        QTest::newRow("4") << 4 << 16 << "1-4 2-3 = 1-4";
        QTest::newRow("13") << 13 << 16 << "1-bye 8-9 4-13 5-12 2-bye 7-10 3-bye 6-11 = 8-9";
        QTest::newRow("11") << 11 << 16 << "1-bye 8-9 4-bye 5-bye 2-bye 7-10 3-bye 6-11 = 8-9";
        QTest::newRow("5") << 5 << 16 << "1-bye 4-5 2-bye 3-bye = 4-5";
        QTest::newRow("3") << 3 << 16 << "1-bye 2-3 = 2-3";
        QTest::newRow("2: straight to the final") << 2 << 16 << "1-bye 2-bye = 1-2";
    }
    void bracketShape() {
        QFETCH(int, starters);
        QFETCH(int, maxSize);
        const TBracket b = Starters(starters, maxSize);
        QStringList firstRound;
        for (const auto& h : b.Heats())
            if (h.Round == 0) firstRound << Pair(h);
        QTEST(firstRound.join(' ') + " = " + Current(b), "expected");
    }

    // Heats "laneA laneB" raced in order, the last repeated to the end -> the pairs in racing
    // order " = " the final places. The journal's lines keep what decided each heat.
    void racingOrderAndPlaces_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<QString>("row");
        // Among four, lane A (the better seed) winning every heat.
        const QString aWins = " -> 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 4:4";
        QTest::newRow("4: both invalid, the seed") << 4 << "- DIS" + aWins;
        QTest::newRow("4: a false start loses to no time")
            << 4 << "FS@50 - -> 1-4 2-3 1-2 3-4 = 1:4 2:3 3:2 4:1";
        QTest::newRow("4: two false starts, B left first") << 4 << "FS@60 FS@10" + aWins;
        QTest::newRow("4: tie, seed 1 faster before") << 4 << "5.5 9.99,6 9.99,9 9.5,7 7" + aWins;
        QTest::newRow("4: tie, equal before") << 4 << "5.5 9.99,5.5 9.99,9 9.5,7 7" + aWins;
        QTest::newRow("4: tie, this round counts") << 4 << "6 9.99,5.9 9.99,9 9.5,5.8 5.8" + aWins;
        QTest::newRow("8, same times: the seed orders a stage")
            << 8 << "6 5 -> 1-8 4-5 2-7 3-6 5-8 6-7 5-6 7-8 = 1:8 2:7 3:6 4:5 5:1 6:2 7:3 8:4";
        QTest::newRow("8: the faster loser first, a DIS last")
            << 8
            << "5 7,5 6.5,5 DIS,5 6.8,5 6 -> 1-8 4-5 2-7 3-6 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 "
               "4:4 5:5 6:6 7:8 8:7";
        QTest::newRow("5") << 5 << "5 6 -> 4-5 1-4 2-3 3-4 1-2 = 1:1 2:2 3:3 4:4 5:5";
        // Sixteen, three upsets: who meets whom follows the bracket's halves, not the seeds.
        QTest::newRow("16, upsets")
            << 16
            << "5 6,6 5,5 6,6 5.5,5 6,5 6,5 6,5 6,5 6,6 5,5 6,5 6,5 6,6 5,5 6 -> 1-16 8-9 4-13 "
               "5-12 "
               "2-15 7-10 3-14 6-11 1-9 4-12 2-7 3-6 1-12 2-3 2-12 1-3 = 1:1 2:3 3:2 4:12 5:4 6:6 "
               "7:7 8:9 9:5 10:8 11:10 12:11 13:13 14:14 15:15 16:16";
    }
    void racingOrderAndPlaces() {
        QFETCH(int, starters);
        QFETCH(QString, row);
        TBracket b = Starters(starters);
        const QStringList lanes = row.section(" -> ", 0, 0).split(',');
        QStringList order;
        for (int i = 0; i < 32 && !b.Finished(); ++i) {
            order << Current(b);
            QVERIFY(Race(b, lanes[std::min(i, int(lanes.size()) - 1)]));
        }
        QCOMPARE(order.join(' ') + " = " + Places(b), row.section(" -> ", 1));
        QCOMPARE(Places(*TBracket::FromLines(b.ToLines())), Places(b));
    }

    void rerun_data() {
        QTest::addColumn<int>("raced"); // heats raced before, lane A winning
        QTest::addColumn<int>("heat");
        QTest::addColumn<QString>("current"); // after the re-run, or "refused"
        QTest::newRow("last heat") << 1 << 0 << "1-4";
        QTest::newRow("earlier heat, its winner not raced since") << 2 << 0 << "1-4";
        QTest::newRow("its winner raced since") << 4 << 0 << "refused";
        QTest::newRow("the final") << 4 << 3 << "1-2";
        QTest::newRow("an open heat") << 0 << 0 << "refused";
        QTest::newRow("no such heat") << 1 << 9 << "refused";
    }
    void rerun() {
        QFETCH(int, raced);
        QFETCH(int, heat);
        QFETCH(QString, current);
        TBracket b = Starters(4);
        for (int i = 0; i < raced; ++i)
            QVERIFY(Race(b, "5.00 6.00"));
        const QStringList before = b.ToLines();
        QCOMPARE(b.Rerun(heat) ? Current(b) : QStringLiteral("refused"), current);
        QCOMPARE(b.ToLines() == before, current == "refused"); // a refusal changes nothing
        if (current == "refused") return;
        // Decided anew: now the outsider goes on, and the voided run stays on record.
        QVERIFY(b.SetResult(heat, Lane("6.00"), Lane("5.00")));
        QCOMPARE(b.Heats()[heat].Winner, 1);
        QCOMPARE(b.Heats()[heat].Voided.size(), 1);
        QCOMPARE(b.Heats()[heat].Voided[0][0].Ms, 5000);
    }

    // Lines separated by '|'; "@" stands for the four seeds of a bracket of 4. A broken text
    // gives no bracket rather than a wrong one.
    void brokenBracketLines_data() {
        QTest::addColumn<QString>("lines");
        QTest::addColumn<bool>("read");
        QTest::newRow("the seeds alone") << "Bracket 1 4|@" << true;
        QTest::newRow("nothing") << "" << false;
        QTest::newRow("a seed missing") << "Bracket 1 4|Seed 1 0 1|Seed 2 1 1|Seed 3 2 1" << false;
        QTest::newRow("a seed twice") << "Bracket 1 4|@|Seed 1 0 5000" << false;
        QTest::newRow("one entry, two seeds")
            << "Bracket 1 4|Seed 1 0 1|Seed 2 0 1|Seed 3 2 1|Seed 4 3 1" << false;
        QTest::newRow("seed out of range") << "Bracket 1 4|Seed 5 9 1|@" << false;
        QTest::newRow("bad lane") << "Bracket 1 4|@|Heat 0 5.00 -" << false;
        QTest::newRow("final before the semis") << "Bracket 1 4|@|Heat 3 5000 6000" << false;
        QTest::newRow("a heat twice") << "Bracket 1 4|@|Heat 0 5000 6000|Heat 0 5000 6000" << false;
        QTest::newRow("an empty line") << "Bracket 1 4|@|" << false;
    }
    void brokenBracketLines() {
        QFETCH(QString, lines);
        lines.replace("@", "Seed 1 0 5000|Seed 2 1 5010|Seed 3 2 5020|Seed 4 3 5030");
        QTEST(bool(TBracket::FromLines(lines.isEmpty() ? QStringList() : lines.split('|'))),
              "read");
    }

    // "script -> trace": the trace holds what the run reported ("started", "stop1=<ms>",
    // "reset", "aborted", "ended") and what each probe showed: "?" the enabled commands, "b"
    // the beams armed [start stop1 stop2], L while the start lock-out lasts, A while an
    // auto-reset is pending.
    void run_data() {
        QTest::addColumn<QString>("row");
        // Commands and the enabled flags of each state.
        // (STOP1 first: "no ABORT after a stop".)
        QTest::newRow("two tracks, STOP2 first")
            << "? START ? STOP2 ? STOP1 ? RESET ? -> {START setup load} started {STOP1 STOP2 "
               "ABORT} stop2=0 {STOP1} stop1=0 {RESET load} reset {START setup load}";
        QTest::newRow("one track: STOP2 never offered")
            << "1track START ? STOP2 STOP1 ? -> started {STOP1 ABORT} stop1=0 {RESET load}";
        QTest::newRow("no run left on track 2: no STOP2")
            << "full2 START ? STOP2 STOP1 ? -> started {STOP1 ABORT} stop1=0 {RESET load}";
        QTest::newRow("no run left on any track: no START") << "full ? START -> {setup load}";
        QTest::newRow("ABORT before a stop")
            << "START ABORT ? START -> started aborted {START setup load} started";
        QTest::newRow("no ABORT after a stop") << "START STOP1 ABORT ? -> started stop1=0 {STOP2}";
        QTest::newRow("refused while ready") << "STOP1 RESET ABORT END ? -> {START setup load}";
        QTest::newRow("no second START, no RESET while running")
            << "START START RESET END ? -> started {STOP1 STOP2 ABORT}";
        QTest::newRow("END a finished run: nobody moves on")
            << "START STOP1 STOP2 END ? RESET -> started stop1=0 stop2=0 ended {START setup load}";
        // DIS marks the cell the track's STOP filled; the protocol forgets it with the heat.
        QTest::newRow("DIS follows the recorded cell")
            << "START STOP1 ? cell1 ? forget ? cell1 STOP2 ? END forget START STOP1 ? -> started "
               "stop1=0 {STOP2} {STOP2 DIS1} {STOP2} stop2=0 {RESET load DIS1} ended started "
               "stop1=0 {STOP2}";
        // Contacts: beams, the start lock-out, bounces, polarity.
        QTest::newRow("an unarmed start only locks out") << "b s+ b +10000 b -> [000] [000]L [000]";
        QTest::newRow("edges inside the lock-out only tell, nor prolong it")
            << "arm b s+ b +1000 s- 1+ +1000 s+ 1- +1000 s- 2+ +1000 s+ 1+ +5999 b +1 b -> [100] "
               "started [000]L ignored1 ignored2 ignored1 [000]L [011]";
        QTest::newRow("a stopped track's bounce; RESET arms the start")
            << "arm s+ +10000 1+ 1- 1+ b 2+ b RESET b -> started stop1=10000 [001] stop2=10000 "
               "[000] reset [100]";
        QTest::newRow("ON: open at first does not, closing acts") << "arm s- b s+ -> [100] started";
        QTest::newRow("OFF: open at first acts") << "OFF arm s- -> started";
        QTest::newRow("OFF: closing does not, opening acts") << "OFF arm s+ b s- -> [100] started";
        QTest::newRow("a bad polarity never acts") << "pol7 arm s+ s- s+ -> ";
        // The time of a stop: its edge's tick minus the start's, on the wrapping 32-bit counter.
        QTest::newRow("counter wrap") << "@4294966295 arm s+ +65430 1+ -> started stop1=65430";
        QTest::newRow("edge tick") << "arm s+ +12000 1+^850 2+ -> started stop1=11150 stop2=12000";
        QTest::newRow("lock-out over at the edge") << "arm s+ ~12000 1+ -> started stop1=12000";
        QTest::newRow("a stop in the lock-out") << "arm s+ ~9999 1+ b -> started ignored1 [000]L";
        // The stop pads are armed on their own delay; the start lock-out runs on for the start.
        QTest::newRow("stop pads armed 3 s after START")
            << "stop3 arm s+ +2999 1+ b +1 b 1- 1+ s- s+ b 2+ -> started ignored1 [000]L [011]L "
               "stop1=3000 [001]L stop2=3000";
        QTest::newRow("arming over at the edge") << "stop3 arm s+ ~3000 2+ -> started stop2=3000";
        QTest::newRow("a stopped track's pad is not told")
            << "stop3 arm s+ +3000 1+ 1- 1+ -> started stop1=3000";
        // Foot pads: the reaction is the release tick minus START's; under 0,100 s, or a pad
        // left before START and not stood on again, is a false start.
        QTest::newRow("reactions exact to the tick")
            << "p1+ p2+ START +143 p1- +57 p2- p2+ p2- -> started r1=143 r2=200";
        QTest::newRow("under 0,100 s") << "p1+ p2+ START +99 p1- +1 p2- -> started r1=99FS r2=100";
        QTest::newRow("left before START; back on in time")
            << "p1+ p2+ p1- +50 p2- p2+ START +300 p2- -> started r1=-50FS r2=300";
        QTest::newRow("nobody on a pad; a pad never left")
            << "p1- p2+ START +5000 STOP1 STOP2 -> started stop1=5000 stop2=5000";
        QTest::newRow("FS taken back; only while not ready")
            << "p1+ START +20 p1- ? clear1 clear1 STOP1 -> started r1=20FS {STOP1 STOP2 ABORT} "
               "cleared1 stop1=20";
        QTest::newRow("a pad lost forgets it was stood on") << "p1+ lost p1- START -> started";
        QTest::newRow("pad polarity OFF") << "padOFF p2- START +180 p2+ -> started r2=180";
        QTest::newRow("no pad after the lane stopped; none while ready after RESET")
            << "p1+ START STOP1 +200 p1- STOP2 RESET -> started stop1=0 stop2=200 reset";
        // The automatic RESET 5 s after the last stop.
        QTest::newRow("auto-reset fires once, 5 s after the last stop")
            << "auto START +1000 STOP1 STOP2 b +4999 b +1 b +10000 -> started stop1=1000 "
               "stop2=1000 [000]LA [000]LA reset [100]";
        QTest::newRow("auto-reset off") << "START STOP1 STOP2 +20000 b -> started stop1=0 stop2=0 "
                                           "[000]";
        QTest::newRow("auto-reset unticked while pending")
            << "auto START STOP1 STOP2 noauto +20000 b -> started stop1=0 stop2=0 [000]";
    }
    void run() {
        QFETCH(QString, row);
        TRun r;
        for (const QString& step : row.section(" -> ", 0, 0).split(' '))
            r.Step(step);
        QCOMPARE(r.trace.join(' '), row.section(" -> ", 1));
    }

    // Truncated to the hundredth, never rounded up; the minutes format has no hours.
    void formatTime_data() {
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("texts"); // in the seconds format, in the minutes format
        QTest::newRow("zero") << 0 << "0,00 0,00";
        QTest::newRow("truncates 19 ms") << 19 << "0,01 0,01";
        QTest::newRow("truncates 12345") << 12345 << "12,34 12,34";
        QTest::newRow("59,999 s") << 59999 << "59,99 59,99";
        QTest::newRow("83456") << 83456 << "83,45 1:23,45";
        QTest::newRow("600000") << 600000 << "600,00 10:00,00";
        QTest::newRow("one hour wraps") << 3600000 << "3600,00 0,00";
        QTest::newRow("3661000") << 3661000 << "3661,00 1:01,00";
        QTest::newRow("int max") << 2147483647 << "2147483,64 31:23,64";
        QTest::newRow("negative") << -83456 << "-83,45 -1:23,45";
    }
    void formatTime() {
        QFETCH(int, ms);
        QFETCH(QString, texts);
        const QString seconds = texts.section(' ', 0, 0), minutes = texts.section(' ', 1);
        QCOMPARE(FormatTime(ms, tfSeconds, ','), seconds);
        QCOMPARE(FormatTime(ms, tfMinutes, ','), minutes);
        QCOMPARE(FormatTime(ms, 7, ','), minutes); // a bad stored format is the minutes format
        // A point locale changes the seconds form only.
        QCOMPARE(FormatTime(ms, tfSeconds, '.'), QString(seconds).replace(',', '.'));
        QCOMPARE(FormatTime(ms, tfMinutes, '.'), minutes);
        // Read back: the time to the hundredth.
        if (ms < 0) return;
        QCOMPARE(ParseTime(seconds, tfSeconds, ','), ms / 10 * 10);
        if (ms < 3600000) QCOMPARE(ParseTime(minutes, tfMinutes, ','), ms / 10 * 10);
    }

    void parseTime_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("ms");
        // Minutes: right-aligned in "00:00,00", each field read alone, a bad field counts 0.
        QTest::newRow("m 99:99,99") << "99:99,99" << 1 << 99 * 60000 + 99 * 1000 + 990;
        QTest::newRow("m letters") << "abcdefgh" << 1 << 0;
        QTest::newRow("m too long") << "123:45,678" << 1 << 0;
        QTest::newRow("m 1:2:3") << "1:2:3" << 1 << 0;
        QTest::newRow("m one bad field") << "1:xx,50" << 1 << 60000 + 500;
        QTest::newRow("m blank after a field") << "1 ,00" << 1 << 0;
        QTest::newRow("m tab after a field") << "1\t,00" << 1 << 0;
        QTest::newRow("m line break in a field") << "1:0\n,50" << 1 << 60000 + 500;
        QTest::newRow("m leading blank") << " 5,00" << 1 << 5000;
        QTest::newRow("m signed field") << "-5,00" << 1 << -5000;
        QTest::newRow("m sign alone") << "-,50" << 1 << 500;
        QTest::newRow("bad format reads as minutes") << "1:23,45" << 7 << 83450;
        // Seconds: a decimal number with the locale's separator, or unreadable.
        QTest::newRow("s integer") << "7" << 0 << 7000;
        QTest::newRow("s point in a comma locale") << "12.34" << 0 << UnreadableSeconds;
        QTest::newRow("s 50 digits") << QString(50, '9') << 0 << UnreadableSeconds;
        QTest::newRow("s minutes text") << "1:23,45" << 0 << UnreadableSeconds;
        QTest::newRow("s inf") << "inf" << 0 << UnreadableSeconds;
    }
    void parseTime() {
        QFETCH(QString, text);
        QFETCH(int, format);
        QTEST(ParseTime(text, format, ','), "ms");
    }

    // --- the competition's files and lists --------------------------------------------------
    // A title may hold anything; a name on the disk never leaves its folder, names a device or
    // ends in a dot that Windows would drop, and is never empty.
    void safeFileName_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("name");
        const auto row = [](const char* name, const QString& text, const QString& file) {
            QTest::newRow(name) << text << file;
        };
        row("path and colon", "../Cup: A/B", ".._Cup_ A_B");
        row("forbidden", "<>\"|?*\t", "_______");
        row("dots at the end", "Finale. . ", "Finale");
        row("umlauts kept", "Süd – Ü18", "Süd – Ü18");
        row("device", "com1.txt", "_com1.txt");
        row("nothing left", " ... ", "Wettkampf");
        row("cut before a dot", QString(79, 'a') + ".b", QString(79, 'a'));
        row("half a surrogate pair", QString(79, 'a') + "😀", QString(79, 'a'));
    }
    void safeFileName() {
        QFETCH(QString, text);
        QTEST(SafeFileName(text), "name");
    }

    // The official lists: one section per category in the order they first appear (case and
    // blanks aside), ranked by place with the unplaced last in the order given; a start list
    // keeps the order given; a row of nothing is nobody.
    void listSections_data() {
        QTest::addColumn<int>("classCol");
        QTest::addColumn<bool>("results");
        QTest::addColumn<int>("heatMode");     // the heat list's competition mode; -1 none
        QTest::addColumn<QString>("sections"); // "class:nr,nr|class:nr", heats "nr-nr"
        QTest::newRow("per class") << int(Col::Klasse) << true << -1 << "Herren:3,1|Damen:2,5,4";
        QTest::newRow("start list") << int(Col::Klasse) << false << -1 << "Herren:1,3|Damen:2,4,5";
        QTest::newRow("no class column") << -1 << true << -1 << ":2,3,1,5,4";
        QTest::newRow("heats: Paarrennen") << -1 << false << 2 << ":1-2,2-1,3-4,4-3,-5";
        QTest::newRow("heats: Qualifikation") << -1 << false << 0 << ":2-1,3-2,4-3,5-4,-5";
    }
    void listSections() {
        QFETCH(int, classCol);
        QFETCH(bool, results);
        QFETCH(int, heatMode);
        TProtocolRows protocol{TCompetition::DefaultColumnTitles()};
        for (const QString l :
             {"1 Herren 3", "2 Damen 1", "3 herren 2", "4 Damen -", "5 Damen 4", "- - -"}) {
            QStringList row(Col::Count);
            row[Col::StNr] = l.section(' ', 0, 0).remove('-');
            row[Col::Klasse] = l.section(' ', 1, 1).remove('-');
            row[Col::Platz] = l.section(' ', 2, 2).remove('-');
            row[Col::Turm1] = "00:07,00";
            protocol << row;
        }
        TCompetition c; // every Turm1 raced: the heats still to come are the Turm2 runs
        QVERIFY(heatMode < 0 || (c.SetMode(heatMode) && c.Load(protocol)));
        QStringList got;
        for (const TListSection& s :
             heatMode >= 0 ? HeatListSections(c)
                           : ListSections(protocol, classCol, 2,
                                          results ? TListKind::Results : TListKind::StartList)) {
            QStringList nrs;
            for (const TListLine& l : s.lines)
                nrs << l.stNr + (l.runs == QStringList{"00:07,00", ""} ? "" : "?");
            for (const TListHeat& h : s.heats)
                nrs << h.lanes[0].stNr + '-' + h.lanes[1].stNr;
            got << s.category + ':' + nrs.join(',');
        }
        QTEST(got.join('|'), "sections");
    }

    // The seconds format takes the system's decimal separator.
    void separatorFollowsTheLocale() {
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(FormatTime(12345, tfSeconds), QString("12.34"));
        QCOMPARE(ParseTime("12.34", tfSeconds), 12340);
        QCOMPARE(ParseTime("12,34", tfSeconds), UnreadableSeconds);
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    }
};

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
