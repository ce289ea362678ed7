#include "core/TickCount.h"
#include "input/Comms.h"
#include "ModelSupport.h"

#include <atomic>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QThread>
#include <QTimer>
#include <QtTest>

#ifdef Q_OS_LINUX
#include <fcntl.h>
#include <pthread.h>
#include <sched.h>
#include <stdlib.h>
#include <unistd.h>
#endif

namespace {
// Runs the GUI thread's events until pred holds or the time is up.
template <class Pred> bool ProcessUntil(Pred pred, int ms = 5000) {
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > ms) return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        QThread::usleep(20);
    }
    return true;
}
} // namespace

class TestComPort : public QObject {
    Q_OBJECT
private slots:
    void defaults() {
        TComPort p;
        QCOMPARE(p.BaudRate(), br9600);
        QCOMPARE(p.BaudRateUser(), 9600);
        QCOMPARE(p.Port(), quint8(1));
        QCOMPARE(p.Parity(), prNone);
        QCOMPARE(p.StopBits(), sbOneStopBit);
        QCOMPARE(p.FlowControl(), fcNone);
        QCOMPARE(p.DataBits(), quint8(8));
        QVERIFY(p.Events() == TEvents::all());
        QVERIFY(p.EnableDTR());
        QCOMPARE(p.WriteBufSize(), 2048);
        QCOMPARE(p.ReadBufSize(), 2048);
        QVERIFY(!p.Connected());
        QCOMPARE(p.ModemStatus(), 0u);
        // The main window selects three lines only; that is the device mask 0x38.
        QCOMPARE(EventMaskOf({evCTS, evDSR, evRLSD}), 0x38u);
        QCOMPARE(EventMaskOf(TEvents::all()), 0x1FFu);
    }

    void dataBits_data() {
        QTest::addColumn<int>("value");
        QTest::addColumn<int>("stored");
        QTest::newRow("4 -> 5") << 4 << 5;
        QTest::newRow("12 -> 8") << 12 << 8;
        QTest::newRow("9 -> 8") << 9 << 8;
        QTest::newRow("0 -> 5") << 0 << 5;
        QTest::newRow("-1 -> 5") << -1 << 5;
        QTest::newRow("5 kept") << 5 << 5;
        QTest::newRow("7 kept") << 7 << 7;
    }
    void dataBits() {
        QFETCH(int, value);
        QFETCH(int, stored);
        TComPort p;
        p.setDataBits(value);
        QCOMPARE(int(p.DataBits()), stored);
    }

    void openAndClose_data() {
        QTest::addColumn<int>("flow");
        QTest::addColumn<bool>("enableDTR");
        QTest::addColumn<bool>("dtr");
        QTest::addColumn<bool>("rts");
        QTest::newRow("main window: RTS/CTS, DTR") << int(fcRtsCts) << true << true << true;
        QTest::newRow("no handshake: RTS low") << int(fcNone) << true << true << false;
        QTest::newRow("XON/XOFF: RTS low") << int(fcXonXoff) << true << true << false;
        QTest::newRow("DTR disabled") << int(fcRtsCts) << false << false << true;
    }
    void openAndClose() {
        QFETCH(int, flow);
        QFETCH(bool, enableDTR);
        QFETCH(bool, dtr);
        QFETCH(bool, rts);
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setFlowControl(TFlowControl(flow));
        p.setEnableDTR(enableDTR);
        QStringList log;
        QObject::connect(&p, &TComPort::OnOpen, &p, [&] { log << "open"; });
        QObject::connect(&p, &TComPort::OnClose, &p, [&] { log << "close"; });

        p.Close();
        QCOMPARE(log, QStringList());

        p.Open();
        QVERIFY(p.Connected());
        QCOMPARE(lines->dtr(), dtr);
        QCOMPARE(lines->rts(), rts);
        p.Open();
        QCOMPARE(log, (QStringList{"open", "close", "open"}));
        QVERIFY(p.Connected());

        p.Close();
        QVERIFY(!p.Connected());
        QVERIFY(!lines->isOpen());
        QVERIFY(!lines->dtr() && !lines->rts());
        p.Close();
        QCOMPARE(log, (QStringList{"open", "close", "open", "close"}));
    }

    void configureFailureReleasesDevice() {
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        int opened = 0;
        QObject::connect(&p, &TComPort::OnOpen, &p, [&] { ++opened; });
        lines->failNextConfigure("Invalid argument");
        try {
            p.Open();
            QFAIL("Open succeeded");
        } catch (const EComState& e) {
            QCOMPARE(QString(e.what()), QString("Unable to set com state: Invalid argument"));
        }
        QVERIFY(!p.Connected());
        QCOMPARE(opened, 0);
        QVERIFY(!lines->isOpen());
        p.Open(); // would fail as busy if the first attempt had kept the device
        QVERIFY(p.Connected());
        QCOMPARE(opened, 1);
    }

    void deviceBusy() {
        auto lines = std::make_shared<TSimComLines>();
        TComPort a, b;
        a.setDeviceFactory(SimulatedDeviceFactory(lines));
        b.setDeviceFactory(SimulatedDeviceFactory(lines));
        a.Open();
        QVERIFY_THROWS_EXCEPTION(EComHandle, b.Open());
        QVERIFY(!b.Connected());
        a.Close();
        b.Open();
        QVERIFY(b.Connected());
    }

    void modemStatus_data() {
        QTest::addColumn<bool>("cts");
        QTest::addColumn<bool>("dsr");
        QTest::addColumn<bool>("dcd");
        QTest::addColumn<bool>("ri");
        QTest::addColumn<uint>("word");
        QTest::newRow("none") << false << false << false << false << 0u;
        QTest::newRow("CTS") << true << false << false << false << 0x10u;
        QTest::newRow("DSR") << false << true << false << false << 0x20u;
        QTest::newRow("RING") << false << false << false << true << 0x40u;
        QTest::newRow("RLSD") << false << false << true << false << 0x80u;
        QTest::newRow("CTS+RLSD") << true << false << true << false << 0x90u;
        QTest::newRow("all") << true << true << true << true << 0xF0u;
    }
    void modemStatus() {
        QFETCH(bool, cts);
        QFETCH(bool, dsr);
        QFETCH(bool, dcd);
        QFETCH(bool, ri);
        QFETCH(uint, word);
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents({evCTS, evDSR, evRLSD, evRing});
        // Read inside the notification, as the contact handling does.
        QList<quint32> seen;
        auto read = [&] { seen << p.ModemStatus(); };
        for (auto line : {&TComPort::OnCTS, &TComPort::OnDSR, &TComPort::OnRLSD, &TComPort::OnRing})
            QObject::connect(&p, line, &p, read);
        p.Open();
        lines->setLines(cts, dsr, dcd);
        lines->setRI(ri);
        QCOMPARE(p.ModemStatus(), quint32(word));
        if (word != 0) {
            QVERIFY(ProcessUntil([&] { return !seen.isEmpty() && seen.last() == word; }));
        }
        p.Close();
        QCOMPARE(p.ModemStatus(), 0u);
    }

    // Each hand-over is numbered by the device wake-up that produced it.
    void handOverOrder_data() {
        QTest::addColumn<int>("scenario");
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one burst of three lines") << 0 << QStringList{"CTS#1", "DSR#1", "RLSD#1"};
        QTest::newRow("DCD then CTS while the thread is in a hand-over")
            << 1 << QStringList{"DSR#1", "CTS#2", "RLSD#2"};
        QTest::newRow("unselected line is not reported") << 2 << QStringList{"CTS#1"};
    }
    void handOverOrder() {
        QFETCH(int, scenario);
        QFETCH(QStringList, expected);
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents(scenario == 2 ? TEvents{evCTS} : TEvents{evCTS, evDSR, evRLSD});
        QStringList log;
        bool offGuiThread = false;
        auto record = [&](const char* name) {
            offGuiThread |= QThread::currentThread() != qApp->thread();
            log << QString("%1#%2").arg(name).arg(lines->wakes());
        };
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] { record("CTS"); });
        QObject::connect(&p, &TComPort::OnRLSD, &p, [&] { record("RLSD"); });
        QObject::connect(&p, &TComPort::OnDSR, &p, [&] {
            record("DSR");
            if (scenario == 1) {
                lines->setDCD(true);
                lines->setCTS(true);
            }
        });
        p.Open();
        if (scenario == 0) lines->setLines(true, true, true);
        if (scenario == 1) lines->setDSR(true);
        if (scenario == 2) lines->setLines(true, true, true);
        QVERIFY(ProcessUntil([&] { return log.size() >= expected.size(); }));
        QTest::qWait(20); // nothing more may arrive
        QCOMPARE(log, expected);
        QVERIFY(!offGuiThread);
    }

    // A line notification carries the counter as the event thread read it on waking, not as
    // it reads when the GUI thread gets round to the handler.
    void lineTickIsTheWakeUpTime_data() {
        QTest::addColumn<int>("line");
        QTest::newRow("CTS") << int(evCTS);
        QTest::newRow("DSR") << int(evDSR);
        QTest::newRow("RLSD") << int(evRLSD);
        QTest::newRow("RING") << int(evRing);
    }
    void lineTickIsTheWakeUpTime() {
        QFETCH(int, line);
        TManualClock clock;
        clock.now = 0xFFFFFF00u; // near the wrap: the tick is passed on unchanged
        std::atomic<int> threadReads{0};
        SetTickSource([&] {
            if (QThread::currentThread() != qApp->thread()) ++threadReads;
            return clock.now.load();
        });
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents({evCTS, evDSR, evRLSD, evRing});
        QList<quint32> ticks;
        QStringList seen;
        auto record = [&](const char* name) {
            return [&, name](quint32 tick) {
                seen << name;
                ticks << tick;
            };
        };
        QObject::connect(&p, &TComPort::OnCTS, &p, record("CTS"));
        QObject::connect(&p, &TComPort::OnDSR, &p, record("DSR"));
        QObject::connect(&p, &TComPort::OnRLSD, &p, record("RLSD"));
        QObject::connect(&p, &TComPort::OnRing, &p, record("RING"));
        p.Open();
        const quint32 edge = clock.now;
        switch (TEvent(line)) {
        case evCTS:
            lines->setCTS(true);
            break;
        case evDSR:
            lines->setDSR(true);
            break;
        case evRLSD:
            lines->setDCD(true);
            break;
        default:
            lines->setRI(true);
            break;
        }
        // The thread has read the counter; the GUI thread has not yet run anything.
        QElapsedTimer t;
        t.start();
        while (threadReads == 0 && t.elapsed() < 5000)
            QThread::yieldCurrentThread();
        QCOMPARE(threadReads.load(), 1);
        clock.advance(500); // the GUI thread is busy for half a second
        QVERIFY(ProcessUntil([&] { return !ticks.isEmpty(); }));
        QCOMPARE(ticks, QList<quint32>{edge});
        QCOMPARE(seen.size(), 1);
        p.Close();
        SetTickSource({});
    }

    // The thread that waits for the contacts runs above ordinary threads where it may.
    void eventThreadPriority() {
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        QCOMPARE(p.EventThreadPriority(), QString());
        p.Open();
        const QString got = p.EventThreadPriority();
#ifdef Q_OS_LINUX
        QVERIFY2(got.startsWith("SCHED_FIFO ") || got.startsWith("SCHED_OTHER nice "),
                 qPrintable(got));
        int policy = 0;
        sched_param sp{};
        QCOMPARE(pthread_getschedparam(p.EventThreadHandle(), &policy, &sp), 0);
        QCOMPARE(policy == SCHED_FIFO, got.startsWith("SCHED_FIFO"));
        if (policy == SCHED_FIFO) QCOMPARE(got, QString("SCHED_FIFO %1").arg(sp.sched_priority));
#endif
        p.Close();
        QCOMPARE(p.EventThreadPriority(), QString());
    }

    // A failed read is no line state: ModemStatus keeps answering 0, TryModemStatus says so.
    void failedLineRead() {
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        QVERIFY(!p.TryModemStatus());
        p.Open();
        lines->setCTS(true);
        QCOMPARE(p.TryModemStatus(), std::optional<quint32>(0x10));
        lines->failLineReads(2);
        QVERIFY(!p.TryModemStatus());
        QCOMPARE(p.ModemStatus(), 0u);
        QCOMPARE(p.TryModemStatus(), std::optional<quint32>(0x10));
    }

    // Closing while a hand-over is on its way must neither deadlock nor let a handler run
    // after OnClose.
    void closeRacesHandOver_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("close while the hand-over waits in the queue") << 0;
        QTest::newRow("close from inside the handler") << 1;
        QTest::newRow("close from a nested event loop of a slow handler") << 2;
    }
    void closeRacesHandOver() {
        QFETCH(int, mode);
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents({evCTS});
        int handled = 0, closes = 0, afterClose = 0;
        QObject::connect(&p, &TComPort::OnClose, &p, [&] { ++closes; });
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] {
            TComPort* s = &p;
            if (!s->Connected()) ++afterClose;
            ++handled;
            if (mode == 1) s->Close();
            if (mode == 2) {
                QThread::usleep(200);
                QTimer::singleShot(0, s, [s] { s->Close(); });
                QEventLoop loop;
                QTimer::singleShot(1, &loop, &QEventLoop::quit);
                loop.exec();
            }
        });
        const int rounds = 1000;
        for (int i = 0; i < rounds; ++i) {
            p.Open();
            const auto wakes = lines->wakes();
            lines->setCTS(i % 2 == 0);
            if (mode == 0) {
                // The thread is awake and its hand-over queued, but not yet run.
                while (lines->wakes() == wakes)
                    QThread::yieldCurrentThread();
                p.Close();
            } else {
                QVERIFY2(ProcessUntil([&] { return !p.Connected(); }),
                         qPrintable(QString::number(i)));
            }
        }
        QCoreApplication::processEvents(); // abandoned hand-overs come up here and are dropped
        QCOMPARE(closes, rounds);
        QCOMPARE(afterClose, 0);
        if (mode != 0) QCOMPARE(handled, rounds);
    }

    void unplug() {
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        int closes = 0, cts = 0;
        bool closeOnGuiThread = false;
        QObject::connect(&p, &TComPort::OnClose, &p, [&] {
            ++closes;
            closeOnGuiThread = QThread::currentThread() == qApp->thread();
        });
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] { ++cts; });
        p.Open();
        const auto waitsBefore = lines->waitCalls();
        lines->unplug();
        QVERIFY(ProcessUntil([&] { return !p.Connected(); }));
        QCOMPARE(closes, 1);
        QVERIFY(closeOnGuiThread);
        QVERIFY(!lines->isOpen());
        QTest::qWait(50);
        QVERIFY(lines->waitCalls() - waitsBefore <= 1); // the thread gave up, no re-tries

        p.Open();
        QVERIFY(p.Connected());
        lines->setCTS(true);
        QVERIFY(ProcessUntil([&] { return cts == 1; }));
        p.Close();
        QCOMPARE(closes, 2);
    }

#ifdef Q_OS_LINUX
    void posixOpenFailures_data() {
        QTest::addColumn<QString>("device");
        QTest::addColumn<bool>("stateError");
        QTest::addColumn<QString>("message");
        QTest::newRow("missing device") << "/nonexistent/ttyUSB9" << false
                                        << "Unable to open com port: No such file or directory";
        QTest::newRow("not a terminal") << "/dev/null" << false
                                        << "Unable to open com port: Inappropriate ioctl for "
                                           "device";
        QTest::newRow("pseudo-terminal has no modem lines")
            << "pty" << true << "Unable to set com state: Inappropriate ioctl for device";
    }
    void posixOpenFailures() {
        QFETCH(QString, device);
        QFETCH(bool, stateError);
        QFETCH(QString, message);
        int master = -1;
        if (device == "pty") {
            master = posix_openpt(O_RDWR | O_NOCTTY);
            QVERIFY(master >= 0);
            QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
            device = QString::fromLocal8Bit(ptsname(master));
        }
        TPortRedirect redirect({{7, device}});
        TComPort p; // the real device backend
        p.setPort(7);
        int opened = 0;
        QObject::connect(&p, &TComPort::OnOpen, &p, [&] { ++opened; });
        // Twice: a failed Open must not keep the device and turn the second try into "busy".
        for (int attempt = 0; attempt < 2; ++attempt) {
            try {
                p.Open();
                QFAIL("Open succeeded");
            } catch (const EComState& e) {
                QVERIFY(stateError);
                QCOMPARE(QString(e.what()), message);
            } catch (const EComHandle& e) {
                QVERIFY(!stateError);
                QCOMPARE(QString(e.what()), message);
            }
        }
        QVERIFY(!p.Connected());
        QCOMPARE(opened, 0);
        if (master >= 0) ::close(master);
    }

    void posixOpenIsExclusive() {
        const int master = posix_openpt(O_RDWR | O_NOCTTY);
        QVERIFY(master >= 0);
        QVERIFY(grantpt(master) == 0 && unlockpt(master) == 0);
        const std::string slave = ptsname(master);
        auto first = CreatePlatformComDevice(slave);
        first->open();
        QVERIFY(!ProbeComDevice(slave));
        auto second = CreatePlatformComDevice(slave);
        try {
            second->open();
            QFAIL("second open succeeded");
        } catch (const EComHandle& e) {
            QCOMPARE(QString(e.what()),
                     QString("Unable to open com port: Device or resource busy"));
        }
        first->close();
        QVERIFY(ProbeComDevice(slave));
        second->open();
        second->close();
        ::close(master);
    }
#endif
};

QTEST_MAIN(TestComPort)
#include "tst_comport.moc"
