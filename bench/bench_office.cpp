// The office exchange with our stand-in servers: a protocol of 10,000 rows exported into a
// workbook file, imported back, and exported into a document. Each figure is the median of
// five runs; the goal is under one second each.
#include "BenchSupport.h"
#include "persist/OfficeExport.h"
#include "persist/OfficeStandIn.h"

#include <cstdio>
#include <QElapsedTimer>
#include <QRandomGenerator>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTemporaryDir dir;
    TStandInHost host;
    host.DocumentsFolder = dir.path();
    TStandInServers servers(host);
    QRandomGenerator rng(14);
    for (int n : {1000, 10000}) {
        TOfficeTable table{QStringLiteral("TL-Veltaro"), QStringLiteral("Bench"), {}, {}};
        table.rows << QString("St.Nr.|Name, Vorname|Ort|Klasse|Datum|Turm1|Turm2|Turm3|Turm4|Turm5|"
                              "Turm6|Zeit|Platz|.")
                          .split('|');
        for (int i = 1; i <= n; ++i)
            table.rows << QStringList{
                QString::number(i),
                QStringLiteral("Nachname%1, Vorname").arg(i),
                QStringLiteral("Verein %1").arg(i % 97),
                QString(QChar('A' + rng.bounded(4))),
                QStringLiteral("05.12.2026"),
                QStringLiteral("%1,%2").arg(5 + rng.bounded(20)).arg(rng.bounded(100)),
                QStringLiteral("%1,%2").arg(5 + rng.bounded(20)).arg(rng.bounded(100)),
                QString(),
                QString(),
                QString(),
                QString(),
                QStringLiteral("%1,00").arg(20 + rng.bounded(20)),
                QString::number(i),
                QString::number(i)};
        table.colWidths = {30, 100, 40, 40, 40, 50, 50, -1, -1, -1, -1, 60, 30, -1};
        std::vector<double> exportMs, importMs, documentMs;
        const QString file = dir.filePath(QStringLiteral("bench.xlsx"));
        for (int rep = 0; rep < 5; ++rep) {
            QElapsedTimer t;
            t.start();
            ExportSpreadsheet(servers, table, file);
            exportMs.push_back(t.nsecsElapsed() / 1e6);
            t.restart();
            const TProtocolRows rows = ImportSpreadsheet(servers, file);
            importMs.push_back(t.nsecsElapsed() / 1e6);
            if (rows.size() != table.rows.size())
                std::printf("wrong row count %lld\n", rows.size());
            t.restart();
            if (!ExportDocument(servers, DocumentSilent, QStringLiteral("bench.doc"), table,
                                QString()))
                std::printf("document failed\n");
            documentMs.push_back(t.nsecsElapsed() / 1e6);
        }
        std::printf("%6d rows: workbook export median %.1f ms, import median %.1f ms, "
                    "document export median %.1f ms\n",
                    n, Stats(exportMs).median, Stats(importMs).median, Stats(documentMs).median);
    }
    return 0;
}
