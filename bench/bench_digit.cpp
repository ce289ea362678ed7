// Cost of driving a main-window-sized digit (45 x 89) the way the clock tick does:
// a changed Value (with its synchronous repaint) and an unchanged one.
#include "widgets/Udigit.h"

#include <algorithm>
#include <cstdio>
#include <functional>
#include <QApplication>
#include <QElapsedTimer>
#include <QtTest>
#include <vector>

namespace {

double medianNsPerCall(int rounds, int calls, const std::function<void(int)>& call) {
    std::vector<double> perCall;
    for (int r = 0; r < rounds; ++r) {
        QElapsedTimer t;
        t.start();
        for (int i = 0; i < calls; ++i)
            call(i);
        perCall.push_back(double(t.nsecsElapsed()) / calls);
    }
    std::sort(perCall.begin(), perCall.end());
    return perCall[perCall.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);

    QWidget window;
    window.resize(400, 120);
    TDigit* d = new TDigit(&window);
    d->setGeometry(8, 11, 45, 89);
    d->setThickness(5);
    d->setSeparation(1);
    window.show();
    if (!QTest::qWaitForWindowExposed(&window)) {
        std::printf("window not exposed\n");
        return 1;
    }
    QTest::qWait(50);

    const int rounds = 21, calls = 2000;
    const double changed = medianNsPerCall(rounds, calls, [&](int i) { d->setValue(i % 10); });
    const double same = medianNsPerCall(rounds, calls, [&](int) { d->setValue(d->Value()); });
    const double colour = medianNsPerCall(
        rounds, calls, [&](int i) { d->setColorOn(i % 2 ? Colors::clYellow : Colors::clDimGrey); });
    const double geometry = medianNsPerCall(
        rounds, calls * 10, [&](int i) { (void)DigitGeometry(45 + (i & 1), 89, 5, 1); });

    std::printf("digit 45x89, median of %d rounds:\n", rounds);
    std::printf("  setValue changed (incl. repaint):   %10.0f ns/call\n", changed);
    std::printf("  setColorOn changed (incl. repaint): %10.0f ns/call\n", colour);
    std::printf("  setValue unchanged:                 %10.1f ns/call\n", same);
    std::printf("  DigitGeometry:                      %10.1f ns/call\n", geometry);
    std::printf("  a tick changing 12 digits: about %.3f ms of the 10 ms budget\n",
                12 * changed / 1e6);
    return 0;
}
