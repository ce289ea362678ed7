// Writing and reading protocol text files: medians over several runs, and the reader's time on
// hostile input of growing size (it should grow linearly).
#include "persist/ProtocolText.h"

#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <vector>

namespace {

double MedianMs(int runs, const std::function<void()>& work) {
    std::vector<double> ms;
    for (int i = 0; i < runs; ++i) {
        QElapsedTimer t;
        t.start();
        work();
        ms.push_back(t.nsecsElapsed() / 1e6);
    }
    std::sort(ms.begin(), ms.end());
    return ms[ms.size() / 2];
}

TProtocolRows Protocol(int dataRows) {
    static const char* const names[] = {"Müller, Jürg", "Meier, Anna", "Schäfer, Lukas",
                                        "Öztürk, Elif", "Huber, Hans-Peter"};
    static const char* const clubs[] = {"Zürich", "Bern", "München", "", "Graz"};
    QRandomGenerator gen(42);
    TProtocolRows rows;
    rows << QStringList{"St.Nr.", "Name, Vorname", "Ort",   "Klasse", "Datum", "Turm1", "Turm2",
                        "Turm3",  "Turm4",         "Turm5", "Turm6",  "Zeit",  "Platz", "."};
    for (int r = 1; r <= dataRows; ++r) {
        const auto time = [&] {
            const int cs = 500 + int(gen.bounded(9000));
            return QString("%1:%2,%3")
                .arg(cs / 6000)
                .arg(cs / 100 % 60, 2, 10, QChar('0'))
                .arg(cs % 100, 2, 10, QChar('0'));
        };
        rows << QStringList{QString::number(r),
                            QString::fromUtf8(names[r % 5]),
                            QString::fromUtf8(clubs[r % 5]),
                            QString(QChar('A' + r % 4)),
                            "2026-12-05",
                            time(),
                            r % 17 ? time() : "DIS.",
                            "",
                            "",
                            "",
                            "",
                            time(),
                            QString::number(r),
                            QString::number(r)};
    }
    return rows;
}

} // namespace

int main() {
    std::printf("protocol text, median of 7 runs\n");
    std::printf("%8s %10s %12s %12s %14s\n", "rows", "bytes", "format ms", "parse ms",
                "parse ns/row");
    for (int n : {1000, 10000, 100000}) {
        const TProtocolRows rows = Protocol(n);
        QByteArray bytes;
        const double fmt = MedianMs(7, [&] { bytes = FormatProtocolText(rows); });
        qsizetype parsedRows = 0;
        const double parse = MedianMs(7, [&] { parsedRows = ParseProtocolText(bytes).size(); });
        if (parsedRows != rows.size()) std::printf("row count mismatch!\n");
        std::printf("%8d %10lld %12.2f %12.2f %14.0f\n", n, (long long)bytes.size(), fmt, parse,
                    parse * 1e6 / n);
    }

    std::printf("\nreader on hostile input, median of 5 runs\n");
    std::printf("%-28s %8s %10s %10s\n", "input", "MB", "parse ms", "MB/s");
    const auto hostile = [](const char* what, const QByteArray& unit) {
        for (int mb : {4, 16, 64}) {
            const QByteArray bytes = unit.repeated((qsizetype(mb) << 20) / unit.size());
            const double ms = MedianMs(5, [&] { (void)ParseProtocolText(bytes); });
            std::printf("%-28s %8d %10.1f %10.0f\n", what, mb, ms, mb / (ms / 1000));
        }
    };
    hostile("no line end", QByteArray("abcdefghij"));
    hostile("10,000 fields per line", QByteArray(10000, '\t') + "\r\n");
    hostile("Windows-1252 ;-fields", QByteArray("M\xFCller;Z\xFCrich  ;;\r\n"));
    hostile("only line ends (row cap)", QByteArray("\n"));
    QByteArray binary(1 << 20, Qt::Uninitialized);
    QRandomGenerator gen(7);
    for (char& c : binary)
        c = char(gen.bounded(256));
    hostile("random bytes", binary);
    return 0;
}
