// The kill test as a bench: rounds (default 100) of recording runs, SIGKILL at a random moment,
// restart and restore; counts the rounds in which every run older than a second came back.
#include "KillRound.h"

#include <QCoreApplication>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <vector>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    const int rounds = argc > 1 ? std::max(1, atoi(argv[1])) : 100;
    int kept = 0;
    std::vector<qint64> lost;
    for (int i = 1; i <= rounds; ++i) {
        QTemporaryDir dir;
        const int killAfter = int(QRandomGenerator::global()->bounded(100, 3000));
        const TKillRound r =
            RunKillRound(QStringLiteral(VELTARO_SCRIPTED), dir.path(), 400, 15, killAfter);
        const bool ok = r.failure.isEmpty() && r.lostMs < 1000;
        kept += ok;
        lost.push_back(r.lostMs);
        std::printf("round %3d: killed %4d ms in, recorded %3d, restored %3d, oldest lost %4lld ms "
                    "before the kill%s%s\n",
                    i, killAfter, r.printed, r.recovered, r.lostMs, ok ? "" : "  FAILED ",
                    qPrintable(r.failure));
        std::fflush(stdout);
    }
    std::sort(lost.begin(), lost.end());
    std::printf("%d of %d rounds kept every run older than a second; oldest lost run: median "
                "%lld ms, max %lld ms before the kill\n",
                kept, rounds, lost[lost.size() / 2], lost.back());
    return kept == rounds ? 0 : 1;
}
