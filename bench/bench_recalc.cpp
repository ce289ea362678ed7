// RecalcProtocol on large protocols: six runs, a class column, 1k / 10k / 100k rows.
#include "BenchSupport.h"
#include "core/TimeFormat.h"
#include "ui/main/FMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QRandomGenerator>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchSettings settings;
    QRandomGenerator rng(42);
    for (int n : {1000, 10000, 100000}) {
        TAppParts parts(settings.Store());
        TFormMain w(parts, nullptr);
        w.Settings.CountZabegov = 6;
        w.Settings.KlassCol = 4;
        w.SetVid(2);
        TProtocolRows rows{QStringList(14)};
        for (int i = 1; i <= n; ++i) {
            QStringList r(14);
            r[0] = QString::number(i);
            r[1] = QStringLiteral("Name %1").arg(i);
            r[3] = QString(QChar('A' + rng.bounded(6)));
            for (int c = 5; c <= 10; ++c)
                r[c] = rng.bounded(50) == 0 ? QStringLiteral("DIS.")
                                            : FormatTime(5000 + rng.bounded(60000), 1);
            rows.push_back(r);
        }
        w.LoadProtocolRows(rows, "bench");
        for (bool sorted : {false, true}) {
            Child<QCheckBox>(w, "cbSort")->setChecked(sorted);
            std::vector<double> ms;
            for (int rep = 0; rep < (n >= 100000 ? 3 : 7); ++rep) {
                QElapsedTimer t;
                t.start();
                w.RecalcProtocol();
                ms.push_back(t.nsecsElapsed() / 1e6);
            }
            std::printf("RecalcProtocol %6d rows, %s: median %.1f ms\n", n,
                        sorted ? "ranking order" : "load order   ", Stats(ms).median);
        }
        Child<TSortGrid>(w, "SortGrid1")->setModified(false);
    }
    return 0;
}
