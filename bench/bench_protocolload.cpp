// Load and save of large protocols through the main window: the load includes the list
// rebuild and the recomputation of results and places.
#include "BenchDialogs.h"
#include "BenchSupport.h"
#include "core/TimeFormat.h"
#include "ui/main/FMain.h"

#include <QApplication>
#include <QComboBox>
#include <QElapsedTimer>
#include <QRandomGenerator>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    TBenchSettings settings;
    TBenchDialogs files;
    QRandomGenerator rng(7);
    for (int n : {1000, 10000, 100000}) {
        files.name = settings.dir.filePath(QStringLiteral("p%1.txt").arg(n));
        std::vector<double> save, load;
        {
            TAppParts parts(settings.Store());
            TFormMain w(parts, nullptr);
            w.Dialogs = &files;
            w.Settings.FilterInd = 1; // the text type
            w.SetVid(2);
            TProtocolRows rows{QStringList(14)};
            for (int i = 1; i <= n; ++i) {
                QStringList r(14);
                r[0] = QString::number(i);
                r[1] = QStringLiteral("Nachname%1, Vorname").arg(i);
                r[2] = QStringLiteral("Verein %1").arg(i % 97);
                r[3] = QString(QChar('A' + rng.bounded(4)));
                r[5] = FormatTime(5000 + rng.bounded(20000), 1);
                r[6] = FormatTime(5000 + rng.bounded(20000), 1);
                rows.push_back(r);
            }
            w.LoadProtocolRows(rows, "bench");
            for (int rep = 0; rep < 3; ++rep) {
                QElapsedTimer t;
                t.start();
                w.sbSaveClick();
                save.push_back(t.nsecsElapsed() / 1e6);
            }
            Child<TSortGrid>(w, "SortGrid1")->setModified(false);
        }
        {
            TAppParts parts(settings.Store());
            TFormMain w(parts, nullptr);
            w.Dialogs = &files;
            w.SetVid(2);
            for (int rep = 0; rep < 3; ++rep) {
                QElapsedTimer t;
                t.start();
                w.sbLoadClick();
                load.push_back(t.nsecsElapsed() / 1e6);
            }
            if (Child<QComboBox>(w, "cbBuhn1")->count() != n)
                std::printf("wrong entry count %d\n", Child<QComboBox>(w, "cbBuhn1")->count());
        }
        std::printf("%6d rows: save median %.1f ms, load median %.1f ms\n", n, Stats(save).median,
                    Stats(load).median);
    }
    return 0;
}
