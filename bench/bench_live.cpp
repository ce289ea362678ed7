// Live results under load: 200 event-stream clients on loopback (in a second process) during
// simulated runs, against the same runs without the server. Reports the 10 ms clock tick's
// interval p99, the contact latency p99 (line change to the tick the contact thread read, for
// the start and both stop contacts), how long each client took to see each result, and the
// server side's memory and CPU per client.
// "Without" pools the runs before and after the loaded ones.
// Then a flood: four clients that send requests for the protocol page over and over and read
// no answer, for 30 s, against a hall's protocol (150 participants): the program's memory
// before, at its peak and after, and how long a visitor waits for /api/state meanwhile.
//   bench_live [runs] [clients]   (default 200 runs, 200 clients: about ten minutes; fewer
//   runs leave the p99 of the contact latency to a handful of edges)
#include "BenchSupport.h"
#include "core/Competition.h"
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "live/LiveServer.h"
#include "LiveClient.h"
#include "PairOnSimulatedPort.h"
#include "ui/live/LiveGlue.h"
#include "ui/main/FMain.h"
#include "widgets/BeamImage.h"

#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTcpSocket>
#include <QTimer>
#include <thread>

namespace {

double CpuSeconds() {
    rusage u{};
    getrusage(RUSAGE_SELF, &u);
    return u.ru_utime.tv_sec + u.ru_utime.tv_usec / 1e6 + u.ru_stime.tv_sec +
           u.ru_stime.tv_usec / 1e6;
}

long RssKb() {
    QFile f("/proc/self/status");
    if (!f.open(QIODevice::ReadOnly)) return 0;
    for (const QByteArray& line : f.readAll().split('\n'))
        if (line.startsWith("VmRSS:")) return line.mid(6).trimmed().split(' ').first().toLong();
    return 0;
}

// The client process: n streams; prints "R <client> <ns>" whenever a client sees track 1
// go from running to stopped, and "C <n>" once all are connected.
int Clients(int n, quint16 port) {
    struct TClient {
        QTcpSocket socket;
        QByteArray buffer;
        bool stopped = true;
        int index = 0;
    };
    std::vector<std::unique_ptr<TClient>> clients;
    int connected = 0;
    for (int i = 0; i < n; ++i) {
        auto c = std::make_unique<TClient>();
        c->index = i;
        TClient* p = c.get();
        QObject::connect(&p->socket, &QTcpSocket::connected, [p, &connected, n] {
            p->socket.write("GET /events HTTP/1.1\r\nHost: x\r\n\r\n");
            if (++connected == n) {
                std::printf("C %d\n", n);
                std::fflush(stdout);
            }
        });
        QObject::connect(&p->socket, &QTcpSocket::readyRead, [p] {
            p->buffer += p->socket.readAll();
            qsizetype end;
            while ((end = p->buffer.indexOf("\n\n")) >= 0) {
                const QByteArray event = p->buffer.left(end);
                p->buffer.remove(0, end + 2);
                const qsizetype data = event.indexOf("data: ");
                if (!event.startsWith("event: state") || data < 0) continue;
                const QJsonObject o = QJsonDocument::fromJson(event.mid(data + 6)).object();
                const bool stopped = o["tracks"].toArray().at(0)["stopped"].toBool();
                if (stopped && !p->stopped) {
                    std::printf("R %d %lld\n", p->index, static_cast<long long>(NowNs()));
                    std::fflush(stdout);
                }
                p->stopped = stopped;
            }
        });
        // Each from an address of its own, as phones are (127.0.0.2 on).
        p->socket.bind(QHostAddress(quint32(0x7F000002 + i)));
        p->socket.connectToHost(QHostAddress::LocalHost, port);
        clients.push_back(std::move(c));
    }
    return QCoreApplication::exec();
}

// The flood's process: n clients that keep sending "GET /protocol" and read nothing (one that
// is dropped comes back), and a visitor that asks for /api/state every 100 ms. After `seconds`
// it prints the visitor's answers, answered and asked, and the waits' median, p99 and max in ms.
int Flood(int n, quint16 port, int seconds) {
    QByteArray burst;
    for (int i = 0; i < 1000; ++i)
        burst += "GET /protocol HTTP/1.1\r\nHost: x\r\n\r\n";
    std::vector<std::unique_ptr<QTcpSocket>> sockets;
    for (int i = 0; i < n; ++i) {
        sockets.push_back(std::make_unique<QTcpSocket>());
        QTcpSocket* s = sockets.back().get();
        s->setReadBufferSize(1); // reads one byte and then nothing more
        QObject::connect(s, &QTcpSocket::connected, [s, burst] { s->write(burst); });
        QObject::connect(s, &QTcpSocket::bytesWritten, [s, burst] {
            if (s->bytesToWrite() < burst.size()) s->write(burst);
        });
        QObject::connect(s, &QTcpSocket::disconnected, [s, port] {
            QTimer::singleShot(100, s,
                               [s, port] { s->connectToHost(QHostAddress::LocalHost, port); });
        });
        s->connectToHost(QHostAddress::LocalHost, port);
    }
    std::vector<double> waits;
    int answered = 0;
    std::atomic<bool> stop{false};
    std::thread visitor([&] {
        while (!stop) {
            const std::int64_t start = NowNs();
            if (!LiveGet(port, "/api/state").isEmpty()) ++answered;
            waits.push_back((NowNs() - start) / 1e6);
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    QTimer::singleShot(seconds * 1000, [] { QCoreApplication::quit(); });
    QCoreApplication::exec();
    stop = true;
    visitor.join();
    const TStats w = Stats(waits);
    std::printf("%d %zu %.2f %.2f %.2f\n", answered, waits.size(), w.median, w.p99, w.max);
    return 0;
}

struct TRunFigures {
    std::vector<double> tickMs, contactUs;
    std::vector<std::int64_t> stopNs;
    double cpu = 0, seconds = 0;
};

TRunFigures Runs(TFormMain& w, TSimComLines& lines, TStampClock& stamps, int runs) {
    TRunFigures f;
    std::int64_t lastTick = 0;
    const auto conn = QObject::connect(Child<QTimer>(w, "Clock"), &QTimer::timeout, [&] {
        const std::int64_t now = NowNs();
        if (lastTick != 0) f.tickMs.push_back((now - lastTick) / 1e6);
        lastTick = now;
    });
    const double cpu0 = CpuSeconds();
    QElapsedTimer wall;
    wall.start();
    // Each run has three contact edges: the start contact, then each track's stop contact.
    auto latencyUs = [&](std::uint32_t tick) {
        const auto change = std::chrono::duration_cast<std::chrono::nanoseconds>(
                                lines.lastChange().time_since_epoch())
                                .count();
        return (stamps.At(tick) - change) / 1000.0;
    };
    for (int i = 0; i < runs; ++i) {
        lastTick = 0;
        if (!w.Run->BeamArmed(BeamStart)) w.Run->ToggleBeam(BeamStart);
        lines.setCTS(true);
        SpinUntil([&] { return w.Run->State() == TRunState::Running; }, 2000);
        f.contactUs.push_back(latencyUs(w.Run->StartTick()));
        lines.setCTS(false);
        QElapsedTimer wait;
        wait.start();
        SpinUntil([&] { return wait.elapsed() >= 200 + i % 7; }); // the clock ticks meanwhile
        lines.setDSR(true);
        SpinUntil([&] { return !Child<QAction>(w, "mSTOP1")->isEnabled(); }, 2000);
        f.contactUs.push_back(latencyUs(w.Run->StartTick() + w.Run->StopTime(0)));
        f.stopNs.push_back(std::chrono::duration_cast<std::chrono::nanoseconds>(
                               lines.lastChange().time_since_epoch())
                               .count());
        wait.restart();
        SpinUntil([&] { return wait.elapsed() >= 100; });
        lines.setDCD(true);
        SpinUntil([&] { return w.Run->State() == TRunState::Finished; }, 2000);
        f.contactUs.push_back(latencyUs(w.Run->StartTick() + w.Run->StopTime(1)));
        lines.setDSR(false);
        lines.setDCD(false);
        wait.restart();
        SpinUntil([&] { return wait.elapsed() >= 150; }); // the clients see the reset
        Issue(w, "mReset");
        // The same pair again, with free runs: done runs allow no START.
        w.Competition->ClearResults();
        w.UpdateControls();
        SpinUntil([&] { return wait.elapsed() >= 250; });
    }
    QObject::disconnect(conn);
    f.cpu = CpuSeconds() - cpu0;
    f.seconds = wall.elapsed() / 1000.0;
    return f;
}

// Keeps this process (and the threads it starts later) on one core. The clients stand for
// phones with cores of their own; on a machine of two cores, letting them share the timing
// program's core would measure how this machine wakes a thread on a busy core, not what
// serving them costs the program.
bool PinToCore(int core) {
    if (sysconf(_SC_NPROCESSORS_ONLN) < 2) return false;
    cpu_set_t set;
    CPU_ZERO(&set);
    CPU_SET(core, &set);
    return sched_setaffinity(0, sizeof set, &set) == 0;
}

} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && QByteArray(argv[1]) == "--clients") {
        // The clients stand for phones, which have cores of their own: here they take only
        // what the timing program leaves.
        setpriority(PRIO_PROCESS, 0, 19);
        PinToCore(1);
        QCoreApplication app(argc, argv);
        return Clients(std::atoi(argv[2]), quint16(std::atoi(argv[3])));
    }
    if (argc == 5 && QByteArray(argv[1]) == "--flood") {
        PinToCore(1);
        QCoreApplication app(argc, argv);
        return Flood(std::atoi(argv[2]), quint16(std::atoi(argv[3])), std::atoi(argv[4]));
    }
    const bool pinned = PinToCore(0);
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    const int runs = argc > 1 ? std::atoi(argv[1]) : 200;
    const int clientCount = argc > 2 ? std::atoi(argv[2]) : 200;
    TBenchSettings settings;
    TStampClock stamps;
    stamps.Install();

    TAppParts parts(settings.Store());
    TFormMain w(parts, nullptr);
    auto lines = PairOnSimulatedPort(w);

    // Without the server.
    const TRunFigures bare = Runs(w, *lines, stamps, runs);

    // With the server and the clients.
    w.Settings.LiveOn = true;
    w.Settings.LiveBind = QStringLiteral("127.0.0.1");
    w.Settings.LivePort = FreeLoopbackPort();
    TLiveGlue glue(w, *parts.Live);
    const quint16 port = parts.Live->Port();
    const long rssBefore = RssKb();
    QProcess clients;
    clients.start(QCoreApplication::applicationFilePath(),
                  {"--clients", QString::number(clientCount), QString::number(port)});
    QByteArray out;
    if (!SpinUntil(
            [&] {
                out += clients.readAllStandardOutput();
                return out.contains("C ") && parts.Live->StreamCount() == clientCount;
            },
            60000)) {
        std::printf("clients did not connect (%d streams)\n", parts.Live->StreamCount());
        return 1;
    }
    SpinUntil([] { return false; }, 1000); // settle
    const long rssAfter = RssKb();
    const TRunFigures loaded = Runs(w, *lines, stamps, runs);
    SpinUntil([&] { return false; }, 500);
    out += clients.readAllStandardOutput();
    const int streamsAtEnd = parts.Live->StreamCount();
    clients.kill();
    clients.waitForFinished();
    w.Settings.LiveOn = false;
    glue.Refresh();
    // Without the server once more: how much the machine itself varies.
    const TRunFigures bare2 = Runs(w, *lines, stamps, runs);

    // Per client, the k-th stop it saw belongs to the k-th run.
    std::vector<std::vector<std::int64_t>> seen(clientCount);
    for (const QByteArray& line : out.split('\n')) {
        const QList<QByteArray> p = line.split(' ');
        if (p.size() == 3 && p[0] == "R") seen[p[1].toInt()].push_back(p[2].toLongLong());
    }
    std::vector<double> latencyMs;
    int missing = 0, late = 0;
    for (const auto& client : seen)
        for (int k = 0; k < runs; ++k) {
            if (k >= int(client.size())) {
                ++missing;
                continue;
            }
            const double ms = (client[k] - loaded.stopNs[k]) / 1e6;
            latencyMs.push_back(ms);
            if (ms > 200) ++late;
        }

    // The runs without clients before and after the loaded ones, pooled, are the baseline: the
    // machine's own drift over the minutes of the bench falls on both sides.
    std::vector<double> bareTick = bare.tickMs, bareContact = bare.contactUs;
    bareTick.insert(bareTick.end(), bare2.tickMs.begin(), bare2.tickMs.end());
    bareContact.insert(bareContact.end(), bare2.contactUs.begin(), bare2.contactUs.end());
    const TStats tb = Stats(bareTick), tl = Stats(loaded.tickMs);
    const TStats cb = Stats(bareContact), cl = Stats(loaded.contactUs);
    const TStats tb1 = Stats(bare.tickMs), cb1 = Stats(bare.contactUs);
    const TStats tb2 = Stats(bare2.tickMs), cb2 = Stats(bare2.contactUs);
    const TStats r = Stats(latencyMs);
    std::printf("%d runs each (3 contact edges per run), %d clients, %d streams at the end; %s\n",
                runs, clientCount, streamsAtEnd,
                pinned ? "program on core 0, clients on core 1" : "not pinned");
    std::printf("clock tick interval, ms   without: median %.2f p99 %.2f | with: median %.2f "
                "p99 %.2f (%+.1f %%)\n",
                tb.median, tb.p99, tl.median, tl.p99, tb.p99 > 0 ? 100 * (tl.p99 / tb.p99 - 1) : 0);
    std::printf("contact latency, us       without: median %.1f p99 %.1f | with: median %.1f "
                "p99 %.1f (%+.1f %%)\n",
                cb.median, cb.p99, cl.median, cl.p99, cb.p99 > 0 ? 100 * (cl.p99 / cb.p99 - 1) : 0);
    std::printf("without, before / after:  tick p99 %.2f / %.2f ms, contact median %.1f / %.1f "
                "p99 %.1f / %.1f us\n",
                tb1.p99, tb2.p99, cb1.median, cb2.median, cb1.p99, cb2.p99);
    std::printf("result seen by a client, ms: median %.1f p99 %.1f max %.1f; later than 200 ms: "
                "%d, never: %d of %d\n",
                r.median, r.p99, r.max, late, missing, runs * clientCount);
    std::printf("server process memory: %+ld kB for %d clients = %.1f kB per client\n",
                rssAfter - rssBefore, clientCount,
                double(rssAfter - rssBefore) / std::max(clientCount, 1));
    const double cpuBare = bare.cpu / bare.seconds, cpuLoaded = loaded.cpu / loaded.seconds;
    std::printf("server process CPU: %.1f %% without, %.1f %% with = %.3f %% per client\n",
                100 * cpuBare, 100 * cpuLoaded,
                100 * (cpuLoaded - cpuBare) / std::max(clientCount, 1));

    // The flood, against a hall's protocol.
    TProtocolRows hall{QStringList(14)};
    for (int i = 1; i <= 150; ++i) {
        QStringList r(14);
        r[0] = QString::number(i);
        r[1] = QStringLiteral("Teilnehmerin %1, Vorname").arg(i);
        r[2] = QStringLiteral("Hallenstadt");
        r[3] = i % 2 ? QStringLiteral("Damen") : QStringLiteral("Herren");
        hall.push_back(r);
    }
    w.LoadProtocolRows(hall, "hall");
    w.Settings.LiveOn = true;
    w.Settings.LivePort = FreeLoopbackPort();
    glue.Refresh();
    const quint16 floodPort = parts.Live->Port();
    const qsizetype pageBytes = LiveGet(floodPort, "/protocol").size();
    SpinUntil([] { return false; }, 1000); // settle
    const int floodClients = 4, floodSeconds = 30;
    const long floodBefore = RssKb();
    long floodPeak = floodBefore;
    QProcess flood;
    flood.start(QCoreApplication::applicationFilePath(),
                {"--flood", QString::number(floodClients), QString::number(floodPort),
                 QString::number(floodSeconds)});
    QElapsedTimer sample;
    sample.start();
    SpinUntil(
        [&] {
            if (sample.elapsed() >= 50) {
                floodPeak = std::max(floodPeak, RssKb());
                sample.restart();
            }
            return flood.state() == QProcess::NotRunning;
        },
        (floodSeconds + 60) * 1000);
    const QList<QByteArray> visitor = flood.readAllStandardOutput().trimmed().split(' ');
    SpinUntil([] { return false; }, 2000); // the server lets go of the clients' connections
    const long floodAfter = RssKb();
    std::printf("flood: %d clients asking for /protocol (%.1f kB) and reading nothing, %d s: "
                "memory before %.1f MB, peak %.1f MB, after %.1f MB (%d connections left)\n",
                floodClients, pageBytes / 1024.0, floodSeconds, floodBefore / 1024.0,
                floodPeak / 1024.0, floodAfter / 1024.0, parts.Live->ConnectionCount());
    if (visitor.size() == 5)
        std::printf("/api/state for a visitor meanwhile, ms: median %s p99 %s max %s; answered "
                    "%s of %s\n",
                    visitor[2].constData(), visitor[3].constData(), visitor[4].constData(),
                    visitor[0].constData(), visitor[1].constData());
    w.Settings.LiveOn = false;
    glue.Refresh();

    w.ComPort->Close();
    Child<TSortGrid>(w, "SortGrid1")->setModified(false);
    SetTickSource({});
    return 0;
}
