// The time of a contact: START and STOP take the tick the serial thread read when the edge
// woke it, so a GUI thread busy in between does not move a recorded time; keys read the
// counter when they are handled. And a line that cannot be read is never an edge.
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "TestSupport.h"
#include "ui/FMain.h"
#include "widgets/BeamImage.h"

#include <atomic>
#include <QElapsedTimer>
#include <QThread>
#include <QtTest>

namespace {
// Counts the reads of the window's test clock made off the GUI thread.
struct TThreadReads {
    std::atomic<int> n{0};
    void Install(TManualClock& clock) {
        SetTickSource([this, &clock] {
            if (QThread::currentThread() != qApp->thread()) ++n;
            return clock.now.load();
        });
    }
    // Spins (no event processing) until the event thread has read the counter once more.
    bool WaitForRead(int before) {
        QElapsedTimer t;
        t.start();
        while (n <= before && t.elapsed() < 5000)
            QThread::yieldCurrentThread();
        return n > before;
    }
};

// The window in a running heat of "Paarrennen" whose lock-out is over: both stop beams armed.
void StartRunning(TWindowFixture& f) {
    f.Load(2, ParticipantRows(4));
    f.w->IssueCommand(f.w->mStart);
    f.clock.advance(f.w->Settings.TimerGesperrt);
    f.w->Run->Poll();
}
} // namespace

class TestContactTick : public QObject {
    Q_OBJECT
private slots:
    void commandTakesTheEdgeTick_data() {
        QTest::addColumn<int>("contact"); // 0 start, 1 stop 1, 2 stop 2
        QTest::addColumn<bool>("byKey");
        QTest::newRow("START by contact") << 0 << false;
        QTest::newRow("STOP1 by contact") << 1 << false;
        QTest::newRow("STOP2 by contact") << 2 << false;
        QTest::newRow("START by F8") << 0 << true;
        QTest::newRow("STOP1 by F4") << 1 << true;
    }
    void commandTakesTheEdgeTick() {
        QFETCH(int, contact);
        QFETCH(bool, byKey);
        TWindowFixture f;
        TFormMain& w = *f.w;
        TThreadReads reads;
        reads.Install(f.clock);
        if (contact == 0)
            f.Load(2, ParticipantRows(4));
        else
            StartRunning(f);
        const quint32 started = w.Run->StartTick();
        auto lines = OpenSimulatedPort(w);
        if (!w.Run->BeamArmed(BeamStart)) w.Run->ToggleBeam(BeamStart);
        f.clock.advance(1234);
        const quint32 edge = f.clock.now;
        const int before = reads.n;
        if (byKey) {
            f.clock.advance(80); // the key is handled 80 ms later: that is its time
            f.Key(contact == 0 ? Qt::Key_F8 : Qt::Key_F4);
        } else {
            if (contact == 0) lines->setCTS(true);
            if (contact == 1) lines->setDSR(true);
            if (contact == 2) lines->setDCD(true);
            QVERIFY(reads.WaitForRead(before));
            f.clock.advance(80); // the GUI thread is busy before it takes the hand-over
            QVERIFY(WaitUntil([&] {
                return contact == 0 ? w.IsRunning()
                                    : !w.mSTOP1->isEnabled() || !w.mStop2->isEnabled();
            }));
        }
        const quint32 expected = byKey ? edge + 80 : edge;
        if (contact == 0) {
            QCOMPARE(w.Run->StartTick(), expected);
        } else {
            const int track = contact - 1;
            QCOMPARE(w.Run->StopTime(track), expected - started);
        }
    }

    // A contact's tick that lies before the start instant records a zero time, never one
    // that went round the unsigned counter.
    void stopTickBeforeTheStart() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        StartRunning(f);
        w.StopAt(0, w.Run->StartTick() - 3);
        QCOMPARE(w.Run->StopTime(0), 0u);
        QVERIFY(!w.mSTOP1->isEnabled());
    }

    // For a normally closed contact ("OFF") a failed read used to look like the contact
    // opening; the notification must do nothing and leave the stored state as it was.
    void failedReadIsNoEdge_data() {
        QTest::addColumn<int>("contact");
        QTest::newRow("start contact") << 0;
        QTest::newRow("stop 1") << 1;
        QTest::newRow("stop 2") << 2;
    }
    void failedReadIsNoEdge() {
        QFETCH(int, contact);
        TWindowFixture f;
        TFormMain& w = *f.w;
        if (contact == 0)
            f.Load(2, ParticipantRows(4));
        else
            StartRunning(f);
        w.Settings.Alg1 = w.Settings.Alg2 = w.Settings.Alg3 = 1;
        auto lines = OpenSimulatedPort(w);
        if (!w.Run->BeamArmed(BeamStart)) w.Run->ToggleBeam(BeamStart);
        auto set = [&](bool on) {
            if (contact == 0) lines->setCTS(on);
            if (contact == 1) lines->setDSR(on);
            if (contact == 2) lines->setDCD(on);
        };
        auto acted = [&] {
            return contact == 0 ? w.IsRunning()
                                : !(contact == 1 ? w.mSTOP1 : w.mStop2)->isEnabled();
        };
        const quint32 stored = w.Run->LastLineState[contact];
        lines->failLineReads(1);
        set(true); // the contact closes: no action for "OFF", whatever the read gives
        QVERIFY(WaitUntil([&] { return lines->failedReadsLeft() == 0; }));
        QCoreApplication::processEvents();
        QVERIFY(!acted());
        QCOMPARE(w.Run->LastLineState[contact], stored);
        set(false); // it opens, and is read: that acts
        QVERIFY(WaitUntil(acted));
    }
};

QTEST_MAIN(TestContactTick)
#include "tst_contacttick.moc"
