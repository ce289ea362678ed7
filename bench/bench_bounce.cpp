// A contact bouncing at 1 kHz on the Linux device's own code (a pseudo-terminal with simulated
// modem lines whose wait behaves as TIOCMIWAIT does): how many edges the event thread never
// wakes for, with the second look at each wait entry and without it. A wake-up is dated by
// the tick the thread read on waking, so a slow GUI thread does not count as a lost edge.
//   bench_bounce [bursts]
#include "BenchSupport.h"
#include "input/ComDevicePosix.h"
#include "input/ComDeviceSim.h"
#include "input/Comms.h"

#include <chrono>
#include <cstdio>
#include <fcntl.h>
#include <QCoreApplication>
#include <QTimer>
#include <random>
#include <stdlib.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {
using Clock = std::chrono::steady_clock;

struct TRun {
    int bursts = 0, edges = 0, finalsMissed = 0, edgesUnseen = 0;
};

Clock::time_point At(const TStampClock& stamps, quint32 tick) {
    return Clock::time_point(std::chrono::nanoseconds(stamps.At(tick)));
}

TRun Run(QCoreApplication& app, const TStampClock& stamps, const std::string& tty, int bursts,
         int secondLookMs) {
    SetComSecondLookMilliseconds(secondLookMs);
    auto lines = std::make_shared<TSimComLines>();
    TComPort port;
    port.setDeviceFactory(SimulatedTtyDeviceFactory(lines, tty));
    port.setEvents({evCTS});
    std::vector<Clock::time_point> woke; // when the event thread woke, per hand-over
    woke.reserve(100000);
    QObject::connect(&port, &TComPort::OnCTS, &port,
                     [&](quint32 tick) { woke.push_back(At(stamps, tick)); });
    port.Open();

    struct TEdge {
        Clock::time_point at;
        bool cts;
        bool last; // the burst's final edge
    };
    std::vector<TEdge> edges;
    edges.reserve(size_t(bursts) * 20);
    std::thread driver([&] {
        std::mt19937 rng(7);
        bool level = false;
        auto next = Clock::now();
        for (int b = 0; b < bursts; ++b) {
            const int n = 3 + 2 * int(rng() % 7); // odd: the burst ends in the other state
            for (int i = 0; i < n; ++i) {
                next += std::chrono::microseconds(1000);
                std::this_thread::sleep_until(next);
                level = !level;
                const auto before = Clock::now(); // the change itself lies after this
                lines->setCTS(level);
                edges.push_back({before, level, i == n - 1});
            }
            next += std::chrono::milliseconds(25 + rng() % 10);
        }
        std::this_thread::sleep_until(next);
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    driver.join();
    port.Close();

    TRun r;
    r.bursts = bursts;
    r.edges = int(edges.size());
    size_t w = 0;
    for (size_t i = 0; i < edges.size(); ++i) {
        const auto until = i + 1 < edges.size() && !edges[i].last
                               ? edges[i + 1].at
                               : edges[i].at + std::chrono::milliseconds(20);
        const auto from = edges[i].at;
        while (w < woke.size() && woke[w] < from)
            ++w;
        const bool reported = w < woke.size() && woke[w] < until;
        if (!reported) ++r.edgesUnseen;
        if (edges[i].last && !reported) ++r.finalsMissed;
    }
    return r;
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    TStampClock stamps;
    stamps.Install();
    const int bursts = argc > 1 ? std::max(10, std::atoi(argv[1])) : 400;
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0 || grantpt(master) != 0 || unlockpt(master) != 0) {
        std::printf("no pseudo-terminal\n");
        return 1;
    }
    const std::string tty = ptsname(master);
    for (int look : {0, 2}) {
        const TRun r = Run(app, stamps, tty, bursts, look);
        std::printf("second look %s: %d bursts, %d edges at 1 kHz; edges with no hand-over "
                    "before the next: %d; bursts whose final edge woke nobody within 20 ms: %d\n",
                    look ? "after 2 ms" : "off       ", r.bursts, r.edges, r.edgesUnseen,
                    r.finalsMissed);
    }
    ::close(master);
    SetTickSource({});
    return 0;
}
