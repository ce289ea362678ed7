// The run without a window: commands, contacts, beams, lock-out and auto-reset on the test
// clock, so nothing here waits in real time.
#include "core/RunController.h"
#include "core/TickCount.h"
#include "persist/SettingsStore.h"

#include <QSignalSpy>
#include <QtTest>

namespace {
constexpr std::uint32_t CTS = ContactLine::CTS, DSR = ContactLine::DSR, DCD = ContactLine::RLSD;

// A controller on a settable clock, with a heat on the tracks.
struct TRun {
    TManualClock clock;
    TSettings settings;
    std::unique_ptr<TRunController> run;
    std::uint32_t lines = 0; // the modem-status word the contacts produce

    explicit TRun(int tracks = 2) {
        clock.now = 1000000;
        SetTickSource(TManualClock::Source(clock));
        settings.CountBahn = tracks;
        settings.TimerGesperrt = 10000;
        settings.AutoTime = 5000;
        run = std::make_unique<TRunController>(settings);
        run->SetHeatReady(true);
    }
    ~TRun() { SetTickSource({}); }
    void Advance(std::uint32_t ms) {
        clock.advance(ms);
        run->Poll();
    }
    // A line changes now; the notification carries the current tick.
    void Line(int contact, std::uint32_t mask, bool active) {
        lines = active ? (lines | mask) : (lines & ~mask);
        run->ContactChanged(contact, lines, clock.now);
    }
    // The flags that tell the states apart, as one comparable text.
    QString Flags() const {
        QString s;
        auto f = [&](const char* n, bool on) { s += QString("%1=%2 ").arg(n).arg(on ? 1 : 0); };
        f("start", run->CanStart());
        f("stop1", run->CanStop(0));
        f("stop2", run->CanStop(1));
        f("reset", run->CanReset());
        f("abort", run->CanAbort());
        f("setup", run->CanSetUpHeat());
        f("load", run->CanLoad());
        return s.trimmed();
    }
    QString Beams() const {
        return QString("%1%2%3")
            .arg(run->BeamArmed(BeamStart))
            .arg(run->BeamArmed(BeamStop1))
            .arg(run->BeamArmed(BeamStop2));
    }
};

const QString Ready = "start=1 stop1=0 stop2=0 reset=0 abort=0 setup=1 load=1";
const QString Running = "start=0 stop1=1 stop2=1 reset=0 abort=1 setup=0 load=0";
const QString OneStopped = "start=0 stop1=0 stop2=1 reset=0 abort=0 setup=0 load=0";
const QString Finished = "start=0 stop1=0 stop2=0 reset=1 abort=0 setup=0 load=1";
} // namespace

class TestRunController : public QObject {
    Q_OBJECT
private slots:
    // A command sequence, the flags after each step, and what each command reported.
    void commands_data() {
        QTest::addColumn<int>("tracks");
        QTest::addColumn<QStringList>("steps"); // start, stop1, stop2, reset, abort, end
        QTest::addColumn<QStringList>("flags"); // after each step
        QTest::addColumn<QString>("done");      // which steps were taken (1) or refused (0)
        QTest::addColumn<QString>("record");    // the tracks whose participant has a free run
        QTest::newRow("both tracks") << 2 << QStringList{"start", "stop1", "stop2", "reset"}
                                     << QStringList{Running, OneStopped, Finished, Ready} << "1111"
                                     << "11";
        QTest::newRow("track 2 first")
            << 2 << QStringList{"start", "stop2", "stop1"}
            << QStringList{Running, "start=0 stop1=1 stop2=0 reset=0 abort=0 setup=0 load=0",
                           Finished}
            << "111"
            << "11";
        QTest::newRow("one track: STOP2 never offered")
            << 1 << QStringList{"start", "stop2", "stop1"}
            << QStringList{"start=0 stop1=1 stop2=0 reset=0 abort=1 setup=0 load=0",
                           "start=0 stop1=1 stop2=0 reset=0 abort=1 setup=0 load=0", Finished}
            << "101"
            << "11";
        QTest::newRow("abort before a stop") << 2 << QStringList{"start", "abort", "start"}
                                             << QStringList{Running, Ready, Running} << "111"
                                             << "11";
        QTest::newRow("no abort after a stop")
            << 2 << QStringList{"start", "stop1", "abort"}
            << QStringList{Running, OneStopped, OneStopped} << "110"
            << "11";
        QTest::newRow("refused in ready") << 2 << QStringList{"stop1", "reset", "abort", "end"}
                                          << QStringList{Ready, Ready, Ready, Ready} << "0000"
                                          << "11";
        QTest::newRow("no second start, no reset while running")
            << 2 << QStringList{"start", "start", "reset", "end"}
            << QStringList{Running, Running, Running, Running} << "1000"
            << "11";
        QTest::newRow("end a finished run")
            << 2 << QStringList{"start", "stop1", "stop2", "end", "reset"}
            << QStringList{Running, OneStopped, Finished, Ready, Ready} << "11110"
            << "11";
        QTest::newRow("track 2 has no free run: its STOP is not offered")
            << 2 << QStringList{"start", "stop2", "stop1"}
            << QStringList{"start=0 stop1=1 stop2=0 reset=0 abort=1 setup=0 load=0",
                           "start=0 stop1=1 stop2=0 reset=0 abort=1 setup=0 load=0", Finished}
            << "101"
            << "10";
        QTest::newRow("no free run on any track: no start")
            << 2 << QStringList{"start"}
            << QStringList{"start=0 stop1=0 stop2=0 reset=0 abort=0 setup=1 load=1"} << "0"
            << "00";
    }
    void commands() {
        QFETCH(int, tracks);
        QFETCH(QStringList, steps);
        QFETCH(QStringList, flags);
        QFETCH(QString, done);
        QFETCH(QString, record);
        TRun r(tracks);
        r.run->SetHeatReady(true, {record[0] == '1', record[1] == '1'});
        QString took;
        for (qsizetype i = 0; i < steps.size(); ++i) {
            r.clock.advance(1000);
            const std::uint32_t now = r.clock.now;
            const QString& s = steps[i];
            bool ok = s == "start"   ? r.run->Start(now)
                      : s == "stop1" ? r.run->Stop(0, now)
                      : s == "stop2" ? r.run->Stop(1, now)
                      : s == "reset" ? r.run->Reset()
                      : s == "abort" ? r.run->Abort()
                                     : r.run->EndRun();
            took += ok ? '1' : '0';
            QCOMPARE(r.Flags(), flags[i]);
        }
        QCOMPARE(took, done);
    }

    void stopTimesAcrossTheCounterWrap() {
        TRun r;
        r.clock.now = 0xFFFFFFFFu - 1000;
        QSignalSpy stopped(r.run.get(), &TRunController::TrackStoppedAt);
        QVERIFY(r.run->Start(r.clock.now));
        r.clock.advance(65430);
        QVERIFY(r.clock.now < 100000); // wrapped
        QVERIFY(r.run->Stop(0, r.clock.now));
        QCOMPARE(r.run->StopTime(0), 65430u);
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(stopped[0][1].toUInt(), 65430u);
        // A contact's tick from before the GUI thread got to it counts, not the handling time.
        r.clock.advance(900);
        QVERIFY(r.run->Stop(1, r.clock.now - 850));
        QCOMPARE(r.run->StopTime(1), 65430u + 50u);
    }

    void disFollowsTheRecordedCell() {
        TRun r;
        r.run->Start(r.clock.now);
        r.run->Stop(0, r.clock.now + 10);
        QVERIFY(!r.run->CanDis(0)); // stopped, but nothing recorded
        r.run->SetLastCell(0, TLastCell{1, 5});
        QVERIFY(r.run->CanDis(0));
        QVERIFY(!r.run->CanDis(1));
        r.run->ForgetLastCells();
        QVERIFY(!r.run->CanDis(0));
        r.run->SetLastCell(0, TLastCell{1, 5});
        r.run->Stop(1, r.clock.now + 20);
        QVERIFY(r.run->EndRun());
        QVERIFY(!r.run->CanDis(0));
        QCOMPARE(r.run->LastCell(0).Column, -1);
    }

    // Beams and the start lock-out through the contacts.
    void contactRun() {
        TRun r;
        QSignalSpy started(r.run.get(), &TRunController::Started);
        QSignalSpy stopped(r.run.get(), &TRunController::TrackStoppedAt);
        QCOMPARE(r.Beams(), QString("000")); // all disarmed at start-up
        r.Line(0, CTS, true);
        QCOMPARE(started.size(), 0);     // start beam not armed
        QVERIFY(r.run->LockoutActive()); // but the edge still locks out
        r.Advance(10000);
        QVERIFY(!r.run->LockoutActive());
        QCOMPARE(r.Beams(), QString("000")); // nothing running: no stop beam armed
        r.run->ToggleBeam(BeamStart);
        r.Line(0, CTS, false);
        r.Line(0, CTS, true);
        QCOMPARE(started.size(), 1);
        const std::uint32_t startTick = r.run->StartTick();
        QCOMPARE(r.Beams(), QString("000"));
        // Bounces and stop edges inside the lock-out do nothing and do not prolong it.
        for (int i = 0; i < 6; ++i) {
            r.Advance(1000);
            r.Line(0, CTS, i % 2 == 1);
            r.Line(1, DSR, i % 2 == 0);
        }
        QCOMPARE(started.size(), 1);
        QCOMPARE(r.run->StartTick(), startTick);
        QCOMPARE(stopped.size(), 0);
        r.Advance(3999);
        QCOMPARE(r.Beams(), QString("000"));
        r.Advance(1);
        QCOMPARE(r.Beams(), QString("011")); // re-armed for the tracks still running
        r.Line(1, DSR, false);
        r.Line(1, DSR, true);
        r.Line(1, DSR, false);
        r.Line(1, DSR, true); // bounce of a stopped track
        QCOMPARE(stopped.size(), 1);
        QCOMPARE(r.Beams(), QString("001"));
        r.Line(2, DCD, true);
        QCOMPARE(stopped.size(), 2);
        QCOMPARE(r.run->State(), TRunState::Finished);
        QVERIFY(r.run->Reset());
        QCOMPARE(r.Beams(), QString("100")); // ready for the next start
    }

    // Which edge acts, by polarity; the first notification after start-up always counts.
    void polarity_data() {
        QTest::addColumn<int>("polarity");
        QTest::addColumn<QList<int>>("edges"); // line states in turn (1 active)
        QTest::addColumn<int>("starts");
        QTest::newRow("ON: closing") << 0 << QList<int>{1} << 1;
        QTest::newRow("ON: opening") << 0 << QList<int>{1, 0} << 1;
        QTest::newRow("ON: open at first") << 0 << QList<int>{0} << 0;
        QTest::newRow("OFF: first opening counts") << 1 << QList<int>{0} << 1;
        QTest::newRow("OFF: closing") << 1 << QList<int>{1} << 0;
        QTest::newRow("OFF: closing then opening") << 1 << QList<int>{1, 0} << 1;
        QTest::newRow("bad polarity is inert") << 7 << QList<int>{1, 0, 1} << 0;
    }
    void polarity() {
        QFETCH(int, polarity);
        QFETCH(QList<int>, edges);
        QFETCH(int, starts);
        TRun r;
        r.settings.Alg1 = polarity;
        r.run->ToggleBeam(BeamStart);
        QSignalSpy started(r.run.get(), &TRunController::Started);
        for (int e : edges)
            r.Line(0, CTS, e == 1);
        QCOMPARE(int(started.size()), starts);
    }

    void lockoutEndsAtTheEdgeEvenWhenPollIsLate() {
        TRun r;
        r.run->ToggleBeam(BeamStart);
        r.Line(0, CTS, true);
        r.clock.advance(12000); // the window was busy: no Poll yet
        r.Line(1, DSR, true);   // the lock-out is over at this edge: the beam is armed first
        QCOMPARE(r.run->State(), TRunState::Running);
        QVERIFY(r.run->TrackStopped(0));
    }

    void autoReset() {
        TRun r;
        QSignalSpy reset(r.run.get(), &TRunController::WasReset);
        auto finish = [&] {
            r.run->Start(r.clock.now);
            r.run->Stop(0, r.clock.now + 1);
            r.run->Stop(1, r.clock.now + 2);
        };
        finish(); // off: nothing pending
        QVERIFY(!r.run->AutoResetPending());
        r.run->Reset();
        r.run->SetAutoReset(true);
        finish();
        QVERIFY(r.run->AutoResetPending());
        r.Advance(4999);
        QCOMPARE(reset.size(), 1);
        r.Advance(1);
        QCOMPARE(reset.size(), 2); // fired once
        QVERIFY(r.run->IsReady());
        r.Advance(10000);
        QCOMPARE(reset.size(), 2);
        finish();
        r.run->SetAutoReset(false); // unticked: cancelled
        r.Advance(10000);
        QCOMPARE(r.run->State(), TRunState::Finished);
    }
};

QTEST_GUILESS_MAIN(TestRunController)
#include "tst_runcontroller.moc"
