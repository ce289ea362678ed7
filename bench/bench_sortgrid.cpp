// Figures for the protocol grid: a multi-key sort at growing row counts and the
// repaint of one full page.
#include "ReferenceRanking.h"
#include "widgets/SortGrid.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QRandomGenerator>

#include <algorithm>
#include <cmath>
#include <cstdio>

namespace {

double Median(QVector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

QString RandomTime(QRandomGenerator& rng) {
    const int hundredths = 500 + int(rng.bounded(6000));
    return QString("%1,%2").arg(hundredths / 100).arg(hundredths % 100, 2, 10, QChar('0'));
}

// 14 protocol columns of plausible content, rows in random order.
QVector<QStringList> ProtocolTable(int rows, QRandomGenerator& rng) {
    QVector<QStringList> t;
    t.reserve(rows + 1);
    t.append({"St.Nr.", "Name, Vorname", "Ort", "Klasse", "Datum", "Turm1", "Turm2", "Turm3",
              "Turm4", "Turm5", "Turm6", "Zeit", "Platz", "."});
    static const char* classes[] = {"Damen", "Herren", "U16", "U14", "Masters"};
    for (int i = 1; i <= rows; ++i) {
        QStringList r;
        r << QString::number(rng.bounded(rows) + 1)
          << QString("Name%1, Vorname%2").arg(rng.bounded(100000)).arg(i) << "Ort"
          << classes[rng.bounded(5)] << "12.05.2024" << RandomTime(rng) << RandomTime(rng) << ""
          << ""
          << ""
          << "" << (rng.bounded(10) == 0 ? QString() : RandomTime(rng)) << "" << QString::number(i);
        t.append(r);
    }
    return t;
}

// The run cells' order: shorter texts first, empty last (written without allocations,
// as the owner's comparison would be).
int CompareRuns(const QString& a, const QString& b) {
    auto key = [](const QString& s) {
        if (QStringView(s).trimmed().isEmpty()) return 20;
        return s.compare(QLatin1String("DIS."), Qt::CaseInsensitive) == 0 ? 18 : int(s.size());
    };
    const int ka = key(a), kb = key(b);
    return ka != kb ? ka - kb : QString::compare(a, b);
}

void BenchSort(bool protocolStyles) {
    std::printf("SortByColumn(3), SecondaryIndex \"11\", %s (median of runs)\n",
                protocolStyles ? "protocol sort styles, custom run comparison"
                               : "ordinal comparison");
    QRandomGenerator rng(42);
    double perNLogN1k = 0;
    for (int rows : {1000, 10000, 100000}) {
        const QVector<QStringList> table = ProtocolTable(rows, rng);
        TSortGrid g;
        g.setColCount(14);
        g.setRowCount(rows + 1);
        g.SortOptions.SecondaryIndex = "11";
        g.OnGetSortStyle = [&g, protocolStyles](int c, TSortStyle& s) {
            if (!protocolStyles) {
                s = ssNormal;
            } else if (c >= 5 && c <= 11) {
                s = ssCustom;
                g.SortOptions.SortCompare = CompareRuns;
            } else {
                s = (c == 0 || c >= 12) ? ssNumeric : ssAutomatic;
            }
        };
        const int runs = rows >= 100000 ? 5 : 11;
        QVector<double> ms;
        for (int run = 0; run < runs; ++run) {
            g.BeginUpdate();
            for (int r = 0; r <= rows; ++r)
                g.setRows(r, table[r]);
            g.EndUpdate();
            QElapsedTimer t;
            t.start();
            g.SortByColumn(3);
            ms << t.nsecsElapsed() / 1e6;
        }
        const double med = Median(ms);
        const double perNLogN = med / (rows * std::log2(double(rows)));
        if (rows == 1000) perNLogN1k = perNLogN;
        std::printf("  %6d rows: median %8.2f ms   (time / n log n relative to 1k: %.2f)\n", rows,
                    med, perNLogN / perNLogN1k);
    }
    if (!protocolStyles) return;

    // Automatic style detection on the primary and the secondary column.
    QVector<QStringList> table = ProtocolTable(100000, rng);
    QVector<double> ms;
    for (int run = 0; run < 5; ++run) {
        QVector<QStringList> copy = table;
        TSortOptions o;
        o.SecondaryIndex = "1";
        QElapsedTimer t;
        t.start();
        SortRowTable(copy, 0, o);
        ms << t.nsecsElapsed() / 1e6;
    }
    std::printf("  100000 rows, automatic styles (numeric + text), table only: median %.2f ms\n",
                Median(ms));
}

void BenchPaint() {
    TSortGrid g;
    g.setColCount(14);
    g.setRowCount(200);
    g.setDefaultColWidth(32);
    g.setDefaultRowHeight(20);
    QFont f("Courier");
    f.setPixelSize(16);
    g.setFont(f);
    g.setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine | goDrawFocusSelected |
                 goColSizing | goRowSelect);
    const int widths[14] = {60, 200, 120, 80, 90, 70, 70, 70, -1, -1, -1, 80, 50, -1};
    for (int c = 0; c < 14; ++c)
        g.setColWidths(c, widths[c]);
    QRandomGenerator rng(7);
    const QVector<QStringList> table = ProtocolTable(199, rng);
    for (int r = 0; r < 200; ++r)
        g.setRows(r, table[r]);
    g.OnGetCellFormat = [&g](int c, int r, TGridDrawState, TFormatOptions& fo, bool&, bool&,
                             bool&) {
        if (r == 0) {
            fo.Font.setPointSize(10);
            fo.AlignmentHorz = Qt::AlignHCenter;
            return;
        }
        if (r != g.Row()) {
            static const QColor bg[14] = {QColor(216, 214, 223),
                                          Qt::white,
                                          Qt::white,
                                          Qt::white,
                                          Qt::white,
                                          QColor(240, 255, 240),
                                          QColor(240, 255, 240),
                                          QColor(224, 255, 224),
                                          QColor(224, 255, 224),
                                          QColor(224, 255, 224),
                                          QColor(224, 255, 224),
                                          QColor(255, 255, 224),
                                          QColor(166, 202, 240),
                                          Qt::white};
            fo.BrushColor = bg[c];
        }
        if (c == 0 || c >= 5)
            fo.AlignmentHorz = Qt::AlignRight;
        else if (c == 3 || c == 4)
            fo.AlignmentHorz = Qt::AlignHCenter;
        if (r == 3) fo.FontColor = Qt::red;
    };
    g.resize(1000, 600);
    g.show();
    QApplication::processEvents();
    QVector<double> ms;
    for (int i = 0; i < 41; ++i) {
        QElapsedTimer t;
        t.start();
        const QPixmap pm = g.grab();
        ms << t.nsecsElapsed() / 1e6;
    }
    int cols = 0;
    for (int c = 0; c < 14; ++c)
        cols += widths[c] >= 0;
    std::printf("Repaint of a full page (grab of a 1000x600 grid, %d visible of 14 columns, ~28 "
                "rows): median %.2f ms\n",
                cols, Median(ms));
}

} // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    BenchSort(false);
    BenchSort(true);
    BenchPaint();
    return 0;
}
