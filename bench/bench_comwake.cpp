// How fast a modem-line change reaches the event thread and the GUI thread's handler, and
// what an open, idle port costs. Uses the simulated device through the real event thread;
// the edges come from a separate thread while the GUI thread sits in its event loop.
#include "input/Comms.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <QCoreApplication>
#include <QTimer>
#include <thread>
#include <time.h>
#include <vector>

#ifndef _WIN32
#include <pthread.h>
#endif

namespace {
using Clock = std::chrono::steady_clock;

void Print(const char* what, std::vector<double> us) {
    std::sort(us.begin(), us.end());
    const auto at = [&](double q) { return us[size_t(q * double(us.size() - 1))]; };
    std::printf("%-40s n=%zu  median %.1f us  p99 %.1f us  max %.1f us\n", what, us.size(), at(0.5),
                at(0.99), us.back());
}

double Micro(Clock::duration d) {
    return std::chrono::duration<double, std::micro>(d).count();
}
} // namespace

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int edges = argc > 1 ? std::max(1000, std::atoi(argv[1])) : 2000;

    auto lines = std::make_shared<TSimComLines>();
    TComPort port;
    port.setDeviceFactory(SimulatedDeviceFactory(lines));
    port.setEvents({evCTS, evDSR, evRLSD});
    std::vector<double> wakeUs, handlerUs;
    wakeUs.reserve(edges);
    handlerUs.reserve(edges);
    std::atomic<int> handled{0};
    QObject::connect(&port, &TComPort::OnDSR, &port, [&] {
        const auto now = Clock::now();
        wakeUs.push_back(Micro(lines->lastWake() - lines->lastChange()));
        handlerUs.push_back(Micro(now - lines->lastChange()));
        handled.fetch_add(1);
    });
    port.Open();
    std::printf("event thread: %s\n", qPrintable(port.EventThreadPriority()));

    std::thread driver([&] {
        for (int i = 0; i < edges; ++i) {
            std::this_thread::sleep_for(std::chrono::microseconds(500));
            lines->setDSR(i % 2 == 0);
            while (handled.load() <= i)
                std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
        QMetaObject::invokeMethod(&app, &QCoreApplication::quit, Qt::QueuedConnection);
    });
    app.exec();
    driver.join();
    Print("line change -> event thread awake", wakeUs);
    Print("line change -> OnDSR on the GUI thread", handlerUs);

#ifndef _WIN32
    // Idle: the port open, no edges. CPU time of the event thread alone.
    clockid_t cpuClock;
    if (pthread_getcpuclockid(port.EventThreadHandle(), &cpuClock) == 0) {
        timespec before{}, after{};
        clock_gettime(cpuClock, &before);
        const auto start = Clock::now();
        QTimer::singleShot(3000, &app, &QCoreApplication::quit);
        app.exec();
        clock_gettime(cpuClock, &after);
        const double cpuUs = double(after.tv_sec - before.tv_sec) * 1e6 +
                             double(after.tv_nsec - before.tv_nsec) / 1e3;
        std::printf("idle event thread: %.1f us CPU over %.2f s\n", cpuUs,
                    std::chrono::duration<double>(Clock::now() - start).count());
    }
#endif
    port.Close();
    return 0;
}
