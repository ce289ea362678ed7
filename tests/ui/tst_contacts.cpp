// Contacts on the simulated port drive the run through the real event thread.
#include "ui/FMain.h"
#include "widgets/BeamImage.h"
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "TestSupport.h"
#include "widgets/BitBtnWithColor.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QTimer>
#include <QtTest>

class TestContacts : public QObject {
    Q_OBJECT

    struct Counts {
        int starts = 0, stops1 = 0, stops2 = 0;
    };
    static void Count(TFormMain& w, Counts& c) {
        QObject::connect(w.mStart, &QAction::triggered, [&c] { ++c.starts; });
        QObject::connect(w.mSTOP1, &QAction::triggered, [&c] { ++c.stops1; });
        QObject::connect(w.mStop2, &QAction::triggered, [&c] { ++c.stops2; });
    }

private slots:
    void portOpenShowsTheBeams() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        QVERIFY(!w.ImageLS1->isVisible());
        auto lines = OpenSimulatedPort(w);
        QVERIFY(w.ImageLSstart->isVisible() && w.ImageLS1->isVisible() && w.ImageLS2->isVisible());
        QVERIFY(lines->dtr() && lines->rts()); // the contacts' source is live
        lines->unplug();
        QVERIFY(WaitUntil([&] { return !w.ImageLS1->isVisible(); }));
    }

    // Polarity: which edge of a contact acts.
    void polarity_data() {
        QTest::addColumn<int>("polarity");
        QTest::addColumn<bool>("closeStarts");
        QTest::newRow("ON acts on closing") << 0 << true;
        QTest::newRow("OFF acts on opening") << 1 << false;
    }
    void polarity() {
        QFETCH(int, polarity);
        QFETCH(bool, closeStarts);
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        w.Alg1 = polarity;
        w.SetTimerGesperrt(20);
        auto lines = OpenSimulatedPort(w);
        w.LockLSstartClick(); // arm the start beam by hand, as F10 does
        Counts c;
        Count(w, c);
        lines->setCTS(true);
        WaitUntil([&] { return c.starts > 0; }, 300);
        QCOMPARE(c.starts, closeStarts ? 1 : 0);
        if (!closeStarts) {
            QVERIFY(WaitUntil([&] { return !w.TimerGesperrtStart->isActive(); }));
            lines->setCTS(false);
            QVERIFY(WaitUntil([&] { return c.starts > 0; }));
            QCOMPARE(c.starts, 1);
        }
    }

    void firstOpeningIsEvaluated() {
        // A normally closed start contact, the only one wired: the very first opening after
        // start-up starts the run.
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        w.Alg1 = 1;
        auto lines = std::make_shared<TSimComLines>();
        lines->setCTS(true);
        w.ComPort->setDeviceFactory(SimulatedDeviceFactory(lines));
        w.ComPort->setPort(1);
        w.ComPort->Open();
        w.LockLSstartClick();
        lines->setCTS(false);
        QVERIFY(WaitUntil([&] { return w.IsRunning(); }));
    }

    void lockOutAbsorbsBounceAndIsNotProlonged() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        w.SetTimerGesperrt(400);
        auto lines = OpenSimulatedPort(w);
        w.LockLSstartClick();
        Counts c;
        Count(w, c);
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < 8; ++i) {
            lines->setCTS(i % 2 == 0);
            WaitUntil([] { return false; }, 45);
        }
        QCOMPARE(c.starts, 1);
        QVERIFY(WaitUntil([&] { return !w.TimerGesperrtStart->isActive(); }, 3000));
        // Edges kept coming for 360 ms: a prolonged lock-out would end 750 ms or more after
        // the first edge, the real one ends after 400.
        QVERIFY2(t.elapsed() < 700, qPrintable(QString::number(t.elapsed())));
        // Now the stop beams of both running tracks are armed.
        QCOMPARE(w.ImageLS1->Tag, 1);
        QCOMPARE(w.ImageLS2->Tag, 1);
    }

    void stopEdgesInsideTheLockOutAreIgnored() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        w.SetTimerGesperrt(10000);
        auto lines = OpenSimulatedPort(w);
        f.Key(Qt::Key_F8); // a key start runs the lock-out too
        lines->setDSR(true);
        lines->setDCD(true);
        WaitUntil([] { return false; }, 100);
        QVERIFY(w.mSTOP1->isEnabled());
        QVERIFY(w.mStop2->isEnabled());
        f.Key(Qt::Key_F4); // keys act at once
        QVERIFY(!w.mSTOP1->isEnabled());
    }

    void startEdgeWhileStartDisabledStillLocksOut() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        w.SetTimerGesperrt(50);
        auto lines = OpenSimulatedPort(w);
        f.Key(Qt::Key_F8);
        QVERIFY(WaitUntil([&] { return !w.TimerGesperrtStart->isActive(); }));
        QCOMPARE(w.ImageLS2->Tag, 1);
        w.LockLS21Click(); // the operator locks stop beam 2 (F12)
        QCOMPARE(w.ImageLS2->Tag, 0);
        lines->setCTS(true); // START is disabled: no start, but a lock-out
        QVERIFY(WaitUntil([&] { return w.TimerGesperrtStart->isActive(); }));
        QVERIFY(WaitUntil([&] { return !w.TimerGesperrtStart->isActive(); }));
        QCOMPARE(w.ImageLS2->Tag, 1); // re-armed for the running track
        QCOMPARE(w.ImageLSstart->Tag, 0);
    }

    void stopContactOfAStoppedTrackDoesNothing() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        w.SetTimerGesperrt(20);
        auto lines = OpenSimulatedPort(w);
        Counts c;
        Count(w, c);
        f.Key(Qt::Key_F8);
        QVERIFY(WaitUntil([&] { return w.ImageLS1->Tag == 1; }));
        f.Key(Qt::Key_F4);
        w.LockLS1Click(); // arm the beam by hand: the STOP is disabled all the same
        lines->setDSR(true);
        WaitUntil([] { return false; }, 50);
        QCOMPARE(c.stops1, 1);
    }

    void functionKeysToggleBeamsWithThePortClosed() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        QVERIFY(!w.ComPort->Connected());
        f.Key(Qt::Key_F10);
        f.Key(Qt::Key_F11);
        f.Key(Qt::Key_F12);
        QCOMPARE(w.ImageLSstart->Tag, 1);
        QCOMPARE(w.ImageLS1->Tag, 1);
        QCOMPARE(w.ImageLS2->Tag, 1);
        f.Key(Qt::Key_F11);
        QCOMPARE(w.ImageLS1->Tag, 0);
        QVERIFY(!w.ImageLS1->isVisible());
    }

    // Many heats with bouncing contacts: every heat gets one START and one STOP per track.
    void soak() {
        TWindowFixture f(false);
        f.Load(2, ParticipantRows(6));
        TFormMain& w = *f.w;
        w.SetTimerGesperrt(1);
        w.cbAuto0->setChecked(false);
        auto lines = OpenSimulatedPort(w);
        w.LockLSstartClick();
        Counts c;
        Count(w, c);
        auto bounce = [&](void (TSimComLines::*set)(bool)) {
            for (int i = 0; i < 5; ++i)
                ((*lines).*set)(i % 2 == 0);
        };
        const int heats = 10000;
        for (int h = 0; h < heats; ++h) {
            bounce(&TSimComLines::setCTS);
            QVERIFY2(WaitUntil([&] { return c.starts == h + 1; }), qPrintable(QString::number(h)));
            lines->setCTS(false);
            QVERIFY(WaitUntil([&] { return w.ImageLS1->Tag == 1 && w.ImageLS2->Tag == 1; }));
            bounce(&TSimComLines::setDSR);
            bounce(&TSimComLines::setDCD);
            QVERIFY(WaitUntil([&] { return w.mReset->isEnabled(); }));
            lines->setDSR(false);
            lines->setDCD(false);
            w.IssueCommand(w.mReset);
            QCOMPARE(c.stops1, h + 1);
            QCOMPARE(c.stops2, h + 1);
        }
        QCOMPARE(c.starts, heats);
    }
};

QTEST_MAIN(TestContacts)
#include "tst_contacts.moc"
