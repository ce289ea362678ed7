// The multi-row delete "to the end" from row 1 of a protocol shown in ranking order, through
// the main window: the rows are mapped to entries once, whatever the order shown.
#include "BenchDialogs.h"
#include "BenchSupport.h"
#include "core/TimeFormat.h"
#include "ui/main/FMain.h"

#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QRandomGenerator>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchSettings settings;
    TBenchDialogs yes;
    QRandomGenerator rng(11);
    for (int n : {2000, 10000}) {
        TProtocolRows rows{QStringList(14)};
        for (int i = 1; i <= n; ++i) {
            QStringList r(14);
            r[0] = QString::number(i);
            r[1] = QStringLiteral("Name %1").arg(i);
            r[3] = QString(QChar('A' + rng.bounded(4)));
            r[5] = FormatTime(5000 + rng.bounded(20000), 1);
            r[6] = FormatTime(5000 + rng.bounded(20000), 1);
            rows.push_back(r);
        }
        std::vector<double> ms;
        for (int rep = 0; rep < 3; ++rep) {
            TAppParts parts(settings.Store());
            TFormMain w(parts, &yes);
            w.SetVid(2);
            w.LoadProtocolRows(rows, "bench");
            Child<QCheckBox>(w, "cbSort")->setChecked(true);
            w.RecalcProtocol();
            Child<TSortGrid>(w, "SortGrid1")->SelectRow(1);
            QElapsedTimer t;
            t.start();
            w.ProtocolCommand(65000);
            ms.push_back(t.nsecsElapsed() / 1e6);
            if (Child<TSortGrid>(w, "SortGrid1")->RowCount() != 2)
                std::printf("rows left: %d\n", Child<TSortGrid>(w, "SortGrid1")->RowCount() - 1);
            Child<TSortGrid>(w, "SortGrid1")->setModified(false);
        }
        std::printf("delete to the end from row 1 of %6d ranked rows: median %.1f ms\n", n,
                    Stats(ms).median);
    }
    return 0;
}
