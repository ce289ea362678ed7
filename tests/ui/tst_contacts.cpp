// Contacts on the simulated port drive the run through the real event thread.
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "input/PortNames.h"
#include "TestSupport.h"
#include "ui/FMain.h"
#include "widgets/BeamImage.h"
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
        QObject::connect(w.Run, &TRunController::Started, [&c] { ++c.starts; });
        QObject::connect(w.Run, &TRunController::TrackStoppedAt,
                         [&c](int t) { ++(t == 0 ? c.stops1 : c.stops2); });
    }

private slots:
    // A window's start-up probes every number and opens the stored one: all through the map.
    void windowStartUpOpensNothingReal() {
        TWindowFixture f(false);
        f.w->ComPort->setPort(13); // /dev/ttyS0 on this machine's table
        TPortRedirect redirect;
        f.Restart(); // the port is stored and opened again at start-up
        QCOMPARE(f.w->ComPort->Port(), quint8(13));
        QVERIFY(!f.w->ComPort->Connected());
        QCOMPARE(f.w->PortMask, 0u);
        for (int n = 1; n <= MaxProbedPort; ++n)
            QVERIFY2(redirect.asked.contains(n), qPrintable(QString::number(n)));
        f.w.reset();
    }

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
        QVERIFY(!w.Run->BeamArmed(BeamStop1));
        QVERIFY(!w.ImageLS1->isVisible());
    }

    // Many heats with bouncing contacts through the real event thread: every heat gets one
    // START and one STOP per track.
    void soak() {
        TWindowFixture f(false);
        f.Load(2, ParticipantRows(6));
        TFormMain& w = *f.w;
        w.Settings.TimerGesperrt = 1000;
        auto lines = OpenSimulatedPort(w);
        w.LockLSstartClick();
        Counts c;
        Count(w, c);
        auto bounce = [&](void (TSimComLines::*set)(bool)) {
            for (int i = 0; i < 5; ++i)
                ((*lines).*set)(i % 2 == 0);
        };
        const int heats = 2000;
        for (int h = 0; h < heats; ++h) {
            bounce(&TSimComLines::setCTS);
            QVERIFY2(WaitUntil([&] { return c.starts == h + 1; }), qPrintable(QString::number(h)));
            lines->setCTS(false);
            f.clock.advance(1000);
            w.Run->Poll(); // the lock-out is over: both stop beams armed
            QVERIFY(w.ImageLS1->Tag == 1 && w.ImageLS2->Tag == 1);
            bounce(&TSimComLines::setDSR);
            bounce(&TSimComLines::setDCD);
            QVERIFY(WaitUntil([&] { return w.mReset->isEnabled(); }));
            lines->setDSR(false);
            lines->setDCD(false);
            w.IssueCommand(w.mReset);
            QCOMPARE(c.stops1, h + 1);
            QCOMPARE(c.stops2, h + 1);
            // Every pair has run both ways: the runs go, so that the next heat can record.
            if (!w.mStart->isEnabled()) QVERIFY(w.Competition->ClearResults());
        }
        QCOMPARE(c.starts, heats);
    }
};

QTEST_MAIN(TestContacts)
#include "tst_contacts.moc"
