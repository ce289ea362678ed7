// The serial layer as the contacts meet it: the real event thread over a simulated device, the
// Linux device on pseudo-terminals (real opens, locks, exclusivity) with simulated modem lines
// where a pseudo-terminal has none, and which device a port number names. No test here opens a
// real port: every number goes through TPortRedirect or names no device at all. Linux only, as
// the device it tests.
#include "core/TickCount.h"
#include "input/Comms.h"
#include "input/PortInfo.h"
#include "input/PortNames.h"
#include "ModelSupport.h"

#include <QtTest>

#include "input/ComDevicePosix.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
// The tick the event thread reads is the number of the wait it has just left, counted from
// just below the wrap; the GUI thread reads a time that is no wait's. So a notification's tick
// tells which wake-up it belongs to, and that it was read on the event thread.
constexpr quint32 kBase = 0xFFFFFFFEu;

// Every line notification of a port: "NAME#n" with n the wake-up its tick belongs to, or the
// name alone where the lines give no such tick.
struct TLineLog {
    QStringList seen;
    bool offGuiThread = false;
    std::function<void()> first; // runs in the first notification's handler
    TLineLog(TComPort& p, bool numbered) {
        const auto on = [&](void (TComPort::*signal)(quint32), const char* name) {
            QObject::connect(&p, signal, &p, [this, numbered, name](quint32 tick) {
                offGuiThread |= QThread::currentThread() != qApp->thread();
                seen << (numbered ? QString("%1#%2").arg(name).arg(tick - kBase) : QString(name));
                if (seen.size() == 1 && first) first();
            });
        };
        on(&TComPort::OnCTS, "CTS");
        on(&TComPort::OnDSR, "DSR");
        on(&TComPort::OnRLSD, "RLSD");
        on(&TComPort::OnRing, "RING");
    }
};

// Changes of simulated lines, one after the other: C CTS, D DSR, R DCD, I RI, each followed by
// its new level; Lxyz sets CTS, DSR and DCD at once.
void Apply(TSimComLines& l, const QString& script) {
    for (const QString& step : script.split(' ', Qt::SkipEmptyParts)) {
        const auto on = [&](int i) { return step.at(i) == '1'; };
        const QChar line = step.at(0);
        if (line == 'L') l.setLines(on(1), on(2), on(3));
        if (line == 'C') l.setCTS(on(1));
        if (line == 'D') l.setDSR(on(1));
        if (line == 'R') l.setDCD(on(1));
        if (line == 'I') l.setRI(on(1));
    }
}

struct TEdges {
    TEvents events;
    QString act, during; // during: in the first notification's handler
    QStringList expected;
    quint32 word; // ModemStatus afterwards
};
struct TDriver {
    bool counters, canWait;
    TFlowControl flow;
    bool enableDTR;
    QStringList expected;
};
struct TOpening {
    QString device, holder; // device "": the pseudo-terminal
    QByteArray lock;        // a UUCP lock file's content
    QString message;
};
struct TFailedReads {
    int failures, err;
    bool nodeGone, closes;
};
// Another program's descriptor on the same tty.
struct THolder {
    int fd;
    explicit THolder(const std::string& path) : fd(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~THolder() { ::close(fd); }
};

// What an open throws, "" when it opens.
template <class F> QString Failure(F open) {
    try {
        open();
    } catch (const EComError& e) {
        return e.what();
    }
    return {};
}

} // namespace
Q_DECLARE_METATYPE(TEdges)
Q_DECLARE_METATYPE(TOpening)
Q_DECLARE_METATYPE(TFailedReads)
Q_DECLARE_METATYPE(TDriver)

class TestSerial : public QObject {
    Q_OBJECT
    QTemporaryDir m_lockDir;

private slots:
    // --- the event thread over the simulated device -------------------------------------------

    // Which notifications the lines' changes give, each with the tick of the wake-up that
    // carried it (not the GUI thread's later time), and the line word they leave.
    void lineEdges_data() {
        QTest::addColumn<TEdges>("row");
        const TEvents all{evCTS, evDSR, evRLSD, evRing};
        QTest::newRow("three lines at once, in the fixed order")
            << TEdges{all, "L111", "", {"CTS#1", "DSR#1", "RLSD#1"}, 0xB0};
        QTest::newRow("DCD and CTS while DSR is handed over")
            << TEdges{all, "D1", "R1 C1", {"DSR#1", "CTS#2", "RLSD#2"}, 0xB0};
        QTest::newRow("DSR on and off again while CTS is handed over")
            << TEdges{all, "C1", "D1 D0", {"CTS#1", "DSR#2"}, 0x10};
        QTest::newRow("a line not asked for is not reported")
            << TEdges{{evCTS}, "L111", "", {"CTS#1"}, 0xB0};
        QTest::newRow("a line set to its own level is no edge")
            << TEdges{all, "C1", "L100 C1 D0", {"CTS#1"}, 0x10};
        QTest::newRow("ring") << TEdges{all, "I1", "", {"RING#1"}, 0x40};
    }
    void lineEdges() {
        QFETCH(TEdges, row);
        auto lines = std::make_shared<TSimComLines>();
        SetTickSource([lines] {
            return QThread::currentThread() == qApp->thread() ? 7u
                                                              : quint32(kBase + lines->waitCalls());
        });
        const auto restore = qScopeGuard([] { SetTickSource({}); });
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents(row.events);
        TLineLog log(p, true);
        log.first = [&] { Apply(*lines, row.during); };
        p.Open();
        Apply(*lines, row.act);
        QVERIFY(WaitUntil([&] { return log.seen.size() >= row.expected.size(); }));
        QTest::qWait(20); // nothing more may come
        QCOMPARE(log.seen, row.expected);
        QVERIFY(!log.offGuiThread);
        QCOMPARE(p.ModemStatus(), row.word);
        lines->failLineReads(1); // a failed read is no line state, not "every line low"
        QVERIFY(!p.TryModemStatus());
        QCOMPARE(p.TryModemStatus(), std::optional<quint32>(row.word));
        p.Close();
        QVERIFY(!p.TryModemStatus());
    }

    // Close while a hand-over is on its way neither deadlocks nor lets a handler run after it.
    void closeWhileHandingOver_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("the hand-over waits in the queue") << 0;
        QTest::newRow("from inside the handler") << 1;
        QTest::newRow("from a nested event loop of a slow handler") << 2;
    }
    void closeWhileHandingOver() {
        QFETCH(int, mode);
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedDeviceFactory(lines));
        p.setEvents({evCTS});
        int closes = 0, afterClose = 0;
        QObject::connect(&p, &TComPort::OnClose, &p, [&] { ++closes; });
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] {
            afterClose += !p.Connected();
            if (mode == 1) p.Close();
            if (mode != 2) return;
            QThread::usleep(200);
            QTimer::singleShot(0, &p, [&] { p.Close(); });
            QEventLoop loop;
            QTimer::singleShot(1, &loop, &QEventLoop::quit);
            loop.exec();
        });
        const int rounds = 1000;
        for (int i = 0; i < rounds; ++i) {
            p.Open();
            const auto wakes = lines->wakes();
            lines->setCTS(i % 2 == 0);
            if (mode == 0) { // the thread is awake and has queued its hand-over
                while (lines->wakes() == wakes)
                    QThread::yieldCurrentThread();
                p.Close();
            } else {
                QVERIFY2(WaitUntil([&] { return !p.Connected(); }), qPrintable(QString::number(i)));
            }
        }
        QCoreApplication::processEvents(); // abandoned hand-overs come up here and are dropped
        QCOMPARE(closes, rounds);
        QCOMPARE(afterClose, 0);
    }

    // --- the Linux device ----------------------------------------------------------------------
    void initTestCase() { SetComLockDirectory(m_lockDir.path().toStdString()); }

    // Opening through a port number: a missing device, one that is no terminal, or a port
    // someone holds is refused with the system's reason and listed as gone or busy; a free
    // pseudo-terminal is listed free and had, then refused for its lack of modem lines. Twice
    // each: a failed open must not keep the device (the second try would say busy) nor leave
    // our exclusive flag behind (it belongs to the tty, not the descriptor, and would shut
    // every later open out).
    void opening_data() {
        QTest::addColumn<TOpening>("row");
        const QString busy = "Unable to open com port: Device or resource busy";
        const QString had = "Unable to set com state: Inappropriate ioctl for device";
        const int parent = int(getppid()); // alive as long as this test runs
        // The ASCII form is ten columns wide, as uucp writes it.
        const auto ascii = [](int pid) {
            return QByteArray::number(pid).rightJustified(10) + '\n';
        };
        const auto row = [](const char* tag, const TOpening& o) { QTest::newRow(tag) << o; };
        row("missing device",
            {"/nonexistent/ttyUSB9", "", {}, "Unable to open com port: No such file or directory"});
        row("not a terminal",
            {"/dev/null", "", {}, "Unable to open com port: Inappropriate ioctl for device"});
        row("free", {"", "", {}, had});
        row("UUCP lock of a live process", {"", "", ascii(parent), busy});
        row("UUCP lock, binary form",
            {"", "", QByteArray(reinterpret_cast<const char*>(&parent), sizeof parent), busy});
        row("stale UUCP lock", {"", "", ascii(INT_MAX), had});
        row("unreadable UUCP lock", {"", "", "minicom\n", had});
        row("flock", {"", "flock", {}, busy});
        row("its exclusive flag", {"", "excl", {}, busy});
        row("this program, open already", {"", "self", {}, busy});
    }
    void opening() {
        QFETCH(TOpening, row);
        TPty pty;
        THolder other(pty.slave);
        QVERIFY(other.fd >= 0);
        // Terminal programs name the lock after the path below /dev, '/' as '_'.
        QFile file(m_lockDir.filePath("LCK.." + pty.path.mid(5).replace('/', '_')));
        const auto removeLock = qScopeGuard([&] { file.remove(); });
        if (!row.lock.isEmpty())
            QVERIFY(file.open(QIODevice::WriteOnly) && file.write(row.lock) > 0);
        file.close();
        if (row.holder == "flock") QCOMPARE(flock(other.fd, LOCK_EX | LOCK_NB), 0);
        if (row.holder == "excl") QCOMPARE(ioctl(other.fd, TIOCEXCL), 0);
        auto mine = CreatePlatformComDevice(pty.slave);
        if (row.holder == "self") mine->open();
        TPortRedirect redirect({{7, row.device.isEmpty() ? pty.path : row.device}});
        using S = TPortState;
        QCOMPARE(PortState(7), row.message.startsWith("Unable to set")             ? S::Free
                               : row.message.endsWith("No such file or directory") ? S::Gone
                                                                                   : S::Busy);
        TComPort p; // the platform's device
        p.setPort(7);
        int opened = 0;
        QObject::connect(&p, &TComPort::OnOpen, &p, [&] { ++opened; });
        QCOMPARE(Failure([&] { p.Open(); }), row.message);
        QCOMPARE(Failure([&] { p.Open(); }), row.message);
        QVERIFY(!p.Connected() && opened == 0);
        mine.reset(); // destroyed without a close
        int excl = 0; // theirs stays, ours never does
        QCOMPARE(ioctl(other.fd, TIOCGEXCL, &excl) == 0 && excl != 0, row.holder == "excl");
    }

    // Failed line reads in the event thread: only an adapter that is gone closes the port, and
    // once its node has gone it is given up at the first failure.
    void failedReads_data() {
        QTest::addColumn<TFailedReads>("row");
        QTest::newRow("a few time-outs") << TFailedReads{4, ETIMEDOUT, false, false};
        QTest::newRow("EIO: unplugged") << TFailedReads{1, EIO, false, true};
        QTest::newRow("ENODEV: unplugged") << TFailedReads{1, ENODEV, false, true};
        QTest::newRow("ENXIO: unplugged") << TFailedReads{1, ENXIO, false, true};
        QTest::newRow("errors that do not pass") << TFailedReads{50, EPROTO, false, true};
        QTest::newRow("its node removed, any error") << TFailedReads{5, EPROTO, true, true};
    }
    void failedReads() {
        QFETCH(TFailedReads, row);
        TPty pty;
        QTemporaryDir dir;
        const QString link = dir.filePath("usb-by-id");
        QVERIFY(QFile::link(pty.path, link));
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, link.toStdString()));
        p.setEvents({evCTS, evDSR, evRLSD});
        TLineLog log(p, false);
        int closes = 0; // on the GUI thread, once
        QObject::connect(&p, &TComPort::OnClose, &p,
                         [&] { closes += QThread::currentThread() == qApp->thread() ? 1 : 100; });
        p.Open();
        if (row.nodeGone) QVERIFY(QFile::remove(link));
        lines->failLineReads(row.failures, row.err);
        lines->setCTS(true);
        QVERIFY(WaitUntil([&] { return !p.Connected() || !log.seen.isEmpty(); }));
        QTest::qWait(20);
        QCOMPARE(closes, row.closes ? 1 : 0);
        QCOMPARE(log.seen, row.closes ? QStringList() : QStringList{"CTS"});
        if (!row.closes) QCOMPARE(p.ModemStatus(), 0x10u);
        if (row.nodeGone) QCOMPARE(lines->failedReadsLeft(), row.failures - 1);
    }

    // Whatever the driver offers, every edge arrives, in the fixed order. A contact that
    // closes and opens again while the thread hands over shows only in the counters. The
    // outputs that feed the contacts are raised as the settings ask.
    void drivers_data() {
        QTest::addColumn<TDriver>("row");
        QTest::newRow("ftdi_sio: waits, counts; RTS/CTS and DTR as the main window sets")
            << TDriver{true, true, fcRtsCts, true, {"DSR", "CTS", "CTS", "RLSD"}};
        QTest::newRow("pl2303, ch341: waits, no counters; no handshake, RTS low")
            << TDriver{false, true, fcNone, true, {"DSR", "CTS", "RLSD"}};
        QTest::newRow("cp210x: neither, read every millisecond; XON/XOFF, DTR off")
            << TDriver{false, false, fcXonXoff, false, {"DSR", "CTS", "RLSD"}};
    }
    void drivers() {
        QFETCH(TDriver, row);
        TPty pty;
        auto lines = std::make_shared<TSimComLines>();
        lines->setDriver(row.counters, row.canWait);
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, pty.slave));
        p.setEvents({evCTS, evDSR, evRLSD});
        p.setFlowControl(row.flow);
        p.setEnableDTR(row.enableDTR);
        TLineLog log(p, false);
        log.first = [&] { Apply(*lines, "C1 C0"); };
        p.Open();
        p.Open(); // closes first, or the device would still be held
        QCOMPARE(lines->dtr(), row.enableDTR);
        QCOMPARE(lines->rts(), row.flow == fcRtsCts);
        QVERIFY(lines->lowLatency());
        lines->setDSR(true);
        QVERIFY(WaitUntil([&] { return log.seen.size() >= row.expected.size() - 2; }));
        QTest::qWait(20);
        lines->setLines(true, true, true); // CTS and DCD together
        QVERIFY(WaitUntil([&] { return log.seen.size() >= row.expected.size(); }));
        QTest::qWait(20);
        QCOMPARE(log.seen, row.expected);
        p.Close();
        QVERIFY(!lines->lowLatency()); // the driver's mode put back
    }

    // An edge at the very moment the kernel enters its wait is noted there as already seen;
    // the second look finds it.
    void edgeAtTheWaitEntry() {
        TPty pty;
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, pty.slave));
        p.setEvents({evCTS});
        QList<quint32> seen;
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] { seen << p.ModemStatus(); });
        lines->toggleCtsAtNextWaitEntry();
        p.Open();
        QVERIFY(WaitUntil([&] { return !seen.isEmpty(); }));
        QCOMPARE(seen.first(), 0x10u);
    }

    // --- port numbers and devices --------------------------------------------------------------

    // COM1-8 the USB adapters, COM9-12 the modems, COM13-16 the built-in ports; a variable
    // names any device for a number.
    void portNames() {
        for (const QString& pair : QString("1>/dev/ttyUSB0 8>/dev/ttyUSB7 9>/dev/ttyACM0 "
                                           "12>/dev/ttyACM3 13>/dev/ttyS0 16>/dev/ttyS3 17> 0>")
                                       .split(' ')) {
            const int n = pair.section('>', 0, 0).toInt();
            const QString device = pair.section('>', 1), var = QString("VELTARO_COM%1").arg(n);
            qunsetenv(qPrintable(var));
            QCOMPARE(SystemPortDeviceName(n), device);
            qputenv(qPrintable(var), "/dev/serial/by-id/adapter");
            QCOMPARE(SystemPortDeviceName(n), n > 0 ? "/dev/serial/by-id/adapter" : QString());
            qunsetenv(qPrintable(var));
            TPortRedirect redirect({{n, device}});
            QCOMPARE(PortDisplayName(n), n && !device.isEmpty()
                                             ? QString("COM%1 (%2)").arg(n).arg(device)
                                             : QString("COM%1").arg(n));
        }
    }

    // Every test program starts with each port number naming no device, whatever the machine
    // has and whatever its environment says.
    void testsNameNoDevice() {
        qputenv("VELTARO_COM3", "/dev/ttyS0");
        for (int n = 0; n <= 255; ++n)
            QVERIFY2(PortDeviceName(n).isEmpty(), qPrintable(QString::number(n)));
        qunsetenv("VELTARO_COM3");
    }

    // Only character devices that open exclusively are listed, up to the highest of them; a
    // number that names nothing is gone.
    void probePorts() {
        TPty pty;
        TPortRedirect redirect({{1, "/nonexistent/tty"},
                                {2, pty.path},
                                {3, "/dev/null"},   // a character device, but no terminal
                                {4, "/etc/passwd"}, // no device at all
                                {6, pty.path}});
        const quint32 mask = ProbePorts();
        QCOMPARE(mask, 0x00060022u);
        QCOMPARE(PortsInMask(mask), (QList<int>{2, 6}));
        QCOMPARE(PortsInMask(MakePortMask([](int n) { return n == 16; })), QList<int>{16});
        QCOMPARE(PortState(5), TPortState::Gone);
    }
};

QTEST_GUILESS_MAIN(TestSerial)
#include "tst_serial.moc"
