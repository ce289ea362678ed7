// The Linux serial device as a second program meets it: on pseudo-terminals (real opens,
// exclusivity, locks) and, for the modem lines a pseudo-terminal lacks, simulated lines
// behind the device's own waiting and retrying code.
#include "input/ComDevicePosix.h"
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "ModelSupport.h"

#include <cerrno>
#include <climits>
#include <fcntl.h>
#include <QTemporaryDir>
#include <QtTest>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/ioctl.h>
#include <unistd.h>

namespace {
// A pseudo-terminal pair; the slave's path stands for the port.
struct TPty {
    int master = -1;
    std::string slave;
    TPty() {
        master = posix_openpt(O_RDWR | O_NOCTTY);
        if (master >= 0 && grantpt(master) == 0 && unlockpt(master) == 0) slave = ptsname(master);
    }
    ~TPty() {
        if (master >= 0) ::close(master);
    }
};

// Another program's descriptor on the same tty.
struct THolder {
    int fd = -1;
    explicit THolder(const std::string& path) { fd = ::open(path.c_str(), O_RDWR | O_NOCTTY); }
    ~THolder() {
        if (fd >= 0) ::close(fd);
    }
    bool exclusiveFlag() const {
        int excl = 0;
        return ioctl(fd, TIOCGEXCL, &excl) == 0 && excl != 0;
    }
};

enum TUse { DeviceOpenClose, DeviceDestroyed, Probe, FailedConfigure };
} // namespace

class TestSerialHygiene : public QObject {
    Q_OBJECT
    QTemporaryDir m_lockDir;

private slots:
    void initTestCase() {
        QVERIFY(m_lockDir.isValid());
        SetComLockDirectory(m_lockDir.path().toStdString());
    }

    // Our exclusive flag must not outlive our use of the port while another holder keeps the
    // tty open: every later non-root open would fail.
    void exclusiveFlagIsCleared_data() {
        QTest::addColumn<int>("use");
        QTest::newRow("open, close") << int(DeviceOpenClose);
        QTest::newRow("open, destroyed") << int(DeviceDestroyed);
        QTest::newRow("start-up probe") << int(Probe);
        QTest::newRow("open with a failing configure") << int(FailedConfigure);
    }
    void exclusiveFlagIsCleared() {
        QFETCH(int, use);
        TPty pty;
        QVERIFY(!pty.slave.empty());
        THolder other(pty.slave);
        QVERIFY(other.fd >= 0);
        switch (TUse(use)) {
        case DeviceOpenClose: {
            auto d = CreatePlatformComDevice(pty.slave);
            d->open();
            QVERIFY(other.exclusiveFlag()); // held exclusively while open
            d->close();
            break;
        }
        case DeviceDestroyed: {
            auto d = CreatePlatformComDevice(pty.slave);
            d->open();
            break;
        }
        case Probe:
            QVERIFY(ProbeComDevice(pty.slave));
            break;
        case FailedConfigure: {
            TPortRedirect redirect({{5, QString::fromStdString(pty.slave)}});
            TComPort p;
            p.setPort(5);
            QVERIFY_THROWS_EXCEPTION(EComState, p.Open()); // a pty has no modem lines
            break;
        }
        }
        QVERIFY(!other.exclusiveFlag());
    }

    // A port another program holds is neither reported free nor opened.
    void portHeldByAnotherProgram_data() {
        QTest::addColumn<QString>("holder");
        QTest::addColumn<bool>("free");
        QTest::newRow("nobody") << "none" << true;
        QTest::newRow("UUCP lock of a live process") << "lock-live" << false;
        QTest::newRow("UUCP lock, binary form") << "lock-binary" << false;
        QTest::newRow("stale UUCP lock") << "lock-stale" << true;
        QTest::newRow("unreadable UUCP lock") << "lock-garbage" << true;
        QTest::newRow("flock") << "flock" << false;
        QTest::newRow("its exclusive flag") << "excl" << false;
    }
    void portHeldByAnotherProgram() {
        QFETCH(QString, holder);
        QFETCH(bool, free);
        TPty pty;
        THolder other(pty.slave);
        QVERIFY(other.fd >= 0);
        // Terminal programs name the lock after the path below /dev, '/' as '_'.
        const QString lockName = m_lockDir.filePath(
            "LCK.." + QString::fromStdString(pty.slave).mid(5).replace('/', '_'));
        QFile lock(lockName);
        if (holder.startsWith("lock")) {
            QVERIFY(lock.open(QIODevice::WriteOnly));
            if (holder == "lock-live") lock.write(QString("%1\n").arg(getppid(), 10).toLatin1());
            if (holder == "lock-stale") lock.write(QString("%1\n").arg(INT_MAX, 10).toLatin1());
            if (holder == "lock-garbage") lock.write("minicom\n");
            if (holder == "lock-binary") {
                const int pid = int(getppid());
                lock.write(reinterpret_cast<const char*>(&pid), sizeof pid);
            }
            lock.close();
        }
        if (holder == "flock") QCOMPARE(flock(other.fd, LOCK_EX | LOCK_NB), 0);
        if (holder == "excl") QCOMPARE(ioctl(other.fd, TIOCEXCL), 0);

        QCOMPARE(ProbeComDevice(pty.slave), free);
        auto d = CreatePlatformComDevice(pty.slave);
        if (free) {
            d->open();
            d->close();
        } else {
            try {
                d->open();
                QFAIL("opened a port another program holds");
            } catch (const EComHandle& e) {
                QCOMPARE(QString(e.what()),
                         QString("Unable to open com port: Device or resource busy"));
            }
        }
        QCOMPARE(other.exclusiveFlag(), holder == "excl"); // theirs stays, ours never stays
        lock.remove();
    }

    // Failed line reads in the event thread: only an unplugged adapter closes the port.
    void failedReads_data() {
        QTest::addColumn<int>("failures");
        QTest::addColumn<int>("err");
        QTest::addColumn<bool>("closes");
        QTest::newRow("one protocol error") << 1 << EPROTO << false;
        QTest::newRow("a few time-outs") << 3 << ETIMEDOUT << false;
        QTest::newRow("a few EAGAIN") << 4 << EAGAIN << false;
        QTest::newRow("EIO: unplugged") << 1 << EIO << true;
        QTest::newRow("ENODEV: unplugged") << 1 << ENODEV << true;
        QTest::newRow("ENXIO: unplugged") << 1 << ENXIO << true;
        QTest::newRow("errors that do not pass") << 50 << EPROTO << true;
    }
    void failedReads() {
        QFETCH(int, failures);
        QFETCH(int, err);
        QFETCH(bool, closes);
        TPty pty;
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, pty.slave));
        p.setEvents({evCTS, evDSR, evRLSD});
        int cts = 0, closed = 0;
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] { ++cts; });
        QObject::connect(&p, &TComPort::OnClose, &p, [&] { ++closed; });
        p.Open();
        lines->failLineReads(failures, err);
        lines->setCTS(true);
        if (closes) {
            QVERIFY(WaitUntil([&] { return closed == 1; }));
            QCOMPARE(cts, 0);
        } else {
            QVERIFY(WaitUntil([&] { return cts == 1; }));
            QVERIFY(p.Connected());
            QCOMPARE(p.ModemStatus(), 0x10u);
        }
    }

    // An adapter whose node has gone is unplugged whatever error its descriptor gives.
    void vanishedNode() {
        TPty pty;
        QTemporaryDir dir;
        const QString link = dir.filePath("ttyUSB-by-id");
        QVERIFY(QFile::link(QString::fromStdString(pty.slave), link));
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, link.toStdString()));
        p.setEvents({evCTS});
        p.Open();
        QVERIFY(QFile::remove(link));
        lines->failLineReads(5, EPROTO);
        lines->setCTS(true);
        QVERIFY(WaitUntil([&] { return !p.Connected(); }));
        QCOMPARE(lines->failedReadsLeft(), 4); // given up at the first failure, no retries
    }

    // Whatever the driver offers, every line change arrives, in the fixed order.
    void drivers_data() {
        QTest::addColumn<bool>("counters");
        QTest::addColumn<bool>("canWait");
        QTest::newRow("ftdi_sio: waits, counts") << true << true;
        QTest::newRow("pl2303, ch341: waits, no counters") << false << true;
        QTest::newRow("cp210x: neither, read every millisecond") << false << false;
    }
    void drivers() {
        QFETCH(bool, counters);
        QFETCH(bool, canWait);
        TPty pty;
        auto lines = std::make_shared<TSimComLines>();
        lines->setDriver(counters, canWait);
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, pty.slave));
        p.setEvents({evCTS, evDSR, evRLSD});
        QStringList seen;
        QObject::connect(&p, &TComPort::OnCTS, &p, [&] { seen << "CTS"; });
        QObject::connect(&p, &TComPort::OnDSR, &p, [&] { seen << "DSR"; });
        QObject::connect(&p, &TComPort::OnRLSD, &p, [&] { seen << "RLSD"; });
        p.Open();
        QVERIFY(lines->dtr() && !lines->rts()); // no handshake set: DTR raised, RTS low
        lines->setDSR(true);
        QVERIFY(WaitUntil([&] { return seen.size() == 1; }));
        lines->setLines(true, true, true); // CTS and DCD together: one look, fixed order
        QVERIFY(WaitUntil([&] { return seen.size() >= 3; }));
        QCOMPARE(seen, (QStringList{"DSR", "CTS", "RLSD"}));
        p.Close();
    }

    // An edge at the moment the kernel enters the wait is noted by it as already seen; the
    // second look finds it.
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

    // The driver's low-latency mode is asked for while open and put back afterwards.
    void lowLatency() {
        TPty pty;
        auto lines = std::make_shared<TSimComLines>();
        TComPort p;
        p.setDeviceFactory(SimulatedTtyDeviceFactory(lines, pty.slave));
        QVERIFY(!lines->lowLatency());
        p.Open();
        QVERIFY(lines->lowLatency());
        p.Close();
        QVERIFY(!lines->lowLatency());
    }
};

QTEST_MAIN(TestSerialHygiene)
#include "tst_serialhygiene.moc"
