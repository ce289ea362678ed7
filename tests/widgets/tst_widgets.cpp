// The reusable controls where data can go wrong: the digit shows the value it was given, and
// the sortable grid orders, selects, edits and stores its rows without losing or doubling one.
#include "core/RunCells.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"
#include "widgets/Udigit.h"

#include <QApplication>
#include <QScreen>
#include <QtTest>

namespace {
// The figure's segments by their usual letters, in the digit's bar order (top, middle,
// bottom, upper left, upper right, lower left, lower right).
const QString kSegments = "agdfbec";

// A grid of the given rows (row 0 = titles).
void Fill(TSortGrid& g, const QVector<QStringList>& rows) {
    g.setColCount(int(rows[0].size()));
    g.setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        g.setRows(r, rows[r]);
}

QStringList Column(const TSortGrid& g, int c) {
    QStringList out;
    for (int r = 1; r < g.RowCount(); ++r)
        out << g.Cells(c, r);
    return out;
}

// Start numbers, names, classes and result times as the protocol holds them.
const QVector<QStringList> kProtocol = {
    {"Nr", "Name", "Klasse", "Zeit"}, {"10", "Huber", "U16", "12,34"},
    {"9", "Meier", "U14", "DIS."},    {"2", "Adler", "U16", "9,87"},
    {"11", "Zorn", "U14", ""},        {"3", "Berg", "U16", "1:02,50"},
    {"4", "Cech", "U14", "12,34"},    {"5", "Dorn", "u16", "9,87"},
};

// The protocol's sort styles: times by the run-cell order, start numbers as numbers.
void ProtocolStyles(TSortGrid& g) {
    g.OnGetSortStyle = [&g](int col, TSortStyle& style) {
        style = col == 3 ? ssCustom : col == 0 ? ssNumeric : ssAutomatic;
        if (col == 3) g.SortOptions.SortCompare = CompareRunCells;
    };
}
} // namespace

class TestWidgets : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // --- the digit -------------------------------------------------------------------------------

    // The figure on the screen after a change from another one: each segment lit or dark as
    // the value asks, although only the bars that changed were repainted; a full repaint
    // shows the same picture.
    void digitShows_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("value");
        QTest::addColumn<QString>("lit");
        const char* lit[] = {"abcdef", "bc",     "abdeg", "abcdg",   "bcfg",
                             "acdfg",  "acdefg", "abc",   "abcdefg", "abcdfg"};
        for (int v = 0; v <= 9; ++v)
            for (int from : {(v + 1) % 10, (v + 5) % 10})
                QTest::addRow("%d to %d", from, v) << from << v << QString(lit[v]);
        // A value outside 0..9 shows 0, whatever was shown before.
        for (int bad : {10, -1, INT_MIN, INT_MAX})
            QTest::addRow("7 to %d", bad) << 7 << bad << QString(lit[0]);
    }
    void digitShows() {
        QFETCH(int, from);
        QFETCH(int, value);
        QFETCH(QString, lit);
        TDigit d;
        d.resize(45, 89);
        d.setThickness(5);
        d.setColor(Colors::clBlack);
        d.setColorOn(Colors::clYellow);
        d.setColorOff(Colors::clDimGrey);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.setValue(from);
        d.setValue(value);
        QCOMPARE(d.Value(), value < 0 || value > 9 ? 0 : value);
        const QImage img = d.screen()->grabWindow(d.winId()).toImage();
        const TDigitGeometry g = DigitGeometry(45, 89, 5, d.Separation());
        const auto colour = [&](const auto& polygon) {
            QPoint sum;
            for (const QPoint& p : polygon)
                sum += p;
            return img.pixel(sum / int(polygon.size()));
        };
        for (int bar = 0; bar < 7; ++bar)
            QVERIFY2(
                colour(g.bars[size_t(bar)]) ==
                    ToQColor(lit.contains(kSegments[bar]) ? Colors::clYellow : Colors::clDimGrey)
                        .rgb(),
                qPrintable(QString("segment %1").arg(kSegments[bar])));
        QCOMPARE(colour(g.mark), ToQColor(Colors::clDimGrey).rgb());
        d.repaint();
        QCOMPARE(d.screen()->grabWindow(d.winId()).toImage(), img);
    }

    // --- the order of rows -------------------------------------------------------------------

    // The orders the protocol's ranking uses: start numbers as numbers (a decimal comma, blanks
    // around; what is no number after the numbers), and without a comparison of its own a
    // custom column is ordinal.
    void compareTexts_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        const auto row = [](const char* name, TSortStyle style, const char* a, const char* b,
                            int sign) {
            QTest::newRow(name) << int(style) << QString(a) << QString(b) << sign;
        };
        row("numeric 9 before 10", ssNumeric, "9", "10", -1);
        row("numeric decimal comma", ssNumeric, "2,5", "10", -1);
        row("numeric equal", ssNumeric, " 3 ", "3,0", 0);
        row("numeric falls back", ssNumeric, "10", "9x", -1);
        row("custom without function", ssCustom, "b", "a", 1);
    }
    void compareTexts() {
        QFETCH(int, style);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int r = CompareSortTexts(a, b, TSortStyle(style), false);
        QCOMPARE((r > 0) - (r < 0), sign);
        const int back = CompareSortTexts(b, a, TSortStyle(style), false);
        QCOMPARE((back > 0) - (back < 0), -sign);
    }

    // The protocol sorted as the operator sorts it: times by the run-cell order (DIS. after
    // every time, empty last), start numbers as numbers, ties in the order they were, the
    // title row where it is, and the selection on the row it was on.
    void protocolSort_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("secondary");
        QTest::addColumn<QStringList>("numbers");
        const auto row = [](const char* name, int col, TSortDirection direction,
                            const char* secondary, const char* numbers) {
            QTest::newRow(name) << col << int(direction) << QString(secondary)
                                << QString(numbers).split(' ');
        };
        row("time; ties keep their order", 3, sdAscending, "", "2 5 10 4 3 9 11");
        row("time, then start number", 3, sdAscending, "0", "2 5 4 10 3 9 11");
        row("time descending; ties still in their order", 3, sdDescending, "", "11 9 3 10 4 2 5");
        row("start number", 0, sdAscending, "", "2 3 4 5 9 10 11");
        row("start number descending", 0, sdDescending, "", "11 10 9 5 4 3 2");
        row("class in any case, then time", 2, sdAscending, "3", "4 9 11 2 5 10 3");
    }
    void protocolSort() {
        QFETCH(int, col);
        QFETCH(int, direction);
        QFETCH(QString, secondary);
        QFETCH(QStringList, numbers);
        TSortGrid g;
        Fill(g, kProtocol);
        ProtocolStyles(g);
        g.SortOptions.SecondaryIndex = secondary;
        g.SortOptions.SortDirection = TSortDirection(direction);
        g.setRow(5); // start number 3
        g.SortByColumn(col);
        QCOMPARE(Column(g, 0), numbers);
        for (int r = 1; r < g.RowCount(); ++r) // every row whole
            QVERIFY(kProtocol.contains(g.Rows(r)));
        QCOMPARE(g.Rows(0), kProtocol[0]);
        QCOMPARE(g.Cells(0, g.Row()), QString("3"));
        QVERIFY(!g.SortOptions.SortCompare); // the next sort asks for its own comparison
        QVERIFY(!g.Modified() && !g.Sorting());
    }

    // Numbers, dates, text, blanks and odd characters under every style, and a comparison that
    // contradicts itself: the result is always every row once.
    void sortKeepsEveryRow() {
        const QStringList pool{
            "",      "  ",   "9",      "10",   "x",   "1,5", "01.02.2024",
            "12:30", "DIS.", "\t\x01", "שלום", "abc", "ABC", QString(10000, 'z')};
        QVector<QStringList> table{{"k"}};
        auto* rng = QRandomGenerator::global();
        for (int i = 0; i < 3000; ++i)
            table.append({pool[rng->bounded(int(pool.size()))]});
        for (int style = ssAutomatic; style <= ssCustom; ++style) {
            TSortOptions o;
            o.SortStyle = TSortStyle(style);
            int n = 0;
            o.SortCompare = [&](const QString&, const QString&) { return (++n % 3) - 1; };
            QVector<int> order = SortRowOrder(table, {0}, o);
            std::sort(order.begin(), order.end());
            for (int j = 0; j < order.size(); ++j)
                QCOMPARE(order[j], j + 1);
        }
    }

    // --- the grid as the operator uses it ---------------------------------------------------

    // Typing into a cell and leaving it stores the text, or hands it to an owner that writes
    // its cells itself; Escape, a grid without editing and one that selects rows store nothing.
    // What the program writes into the cell being edited wins over what the editor shows.
    void editing_data() {
        QTest::addColumn<unsigned>("options");
        QTest::addColumn<int>("finishKey");
        QTest::addColumn<bool>("owner");
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("handedOver");
        const auto row = [](const char* name, unsigned options, int key, bool owner,
                            const char* text, const char* handedOver = "") {
            QTest::newRow(name) << options << key << owner << QString(text) << QString(handedOver);
        };
        row("typed and confirmed", goEditing, Qt::Key_Return, false, "abc");
        row("moved away", goEditing, Qt::Key_Down, false, "abc");
        row("the owner writes the cell", goEditing, Qt::Key_Return, true, "old", "abc,old");
        row("the program writes the cell meanwhile", goEditing, 0, true, "7,34");
        row("cancelled", goEditing, Qt::Key_Escape, true, "old");
        row("no editing", 0, Qt::Key_Return, false, "old");
        row("row select", goEditing | goRowSelect, Qt::Key_Return, false, "old");
    }
    void editing() {
        QFETCH(unsigned, options);
        QFETCH(int, finishKey);
        QFETCH(bool, owner);
        QFETCH(QString, text);
        QFETCH(QString, handedOver);
        TSortGrid g;
        Fill(g, {{"a", "b"}, {"old", ""}, {"", ""}});
        g.setOptions(options);
        QStringList got;
        if (owner)
            g.OnEditCommit = [&](int, int, const QString& t, const QString& before) {
                got << t << before;
            };
        g.show();
        QVERIFY(QTest::qWaitForWindowActive(&g));
        g.setFocus();
        QTest::keyClick(&g, 'a'); // opens the editor, which has the focus from now on
        QTest::keyClicks(QApplication::focusWidget(), "bc");
        if (finishKey) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key(finishKey));
        } else {
            g.setCells(0, 1, "7,34");
            g.DiscardEdit(0, 1);
        }
        QCOMPARE(g.Cells(0, 1), text);
        QCOMPARE(got.join(','), handedOver);
        QCOMPARE(g.Modified(), !owner && text != "old");
        QVERIFY(!g.EditorMode());
    }

    // Reads outside the matrix give nothing and writes there change nothing; odd and huge
    // texts are drawn; a sort of nothing and a sort by no column are harmless.
    void outsideTheMatrix() {
        TSortGrid g;
        Fill(g, {{"a", "b"}, {QString(10000, 'W'), "a\tb\nc\x01\x7f"}, {"مرحبا بالعالم", ""}});
        for (const QPoint& p : {QPoint(5, 1), QPoint(-1, 1), QPoint(0, 3), QPoint(0, -1)}) {
            g.setCells(p.x(), p.y(), "x");
            QCOMPARE(g.Cells(p.x(), p.y()), QString());
        }
        QCOMPARE(g.Rows(7), QStringList());
        g.SortByColumn(-1);
        g.SortByColumn(9);
        QCOMPARE(g.Cells(1, 1), QString("a\tb\nc\x01\x7f"));
        QVERIFY(!g.grab().isNull());
        g.setRowCount(0);
        g.SortByColumn(1); // one data row left
        QCOMPARE(g.RowCount(), 2);
        QCOMPARE(g.Cells(0, 1).size(), 10000);
        g.setColCount(1);
        g.setColCount(2);
        QCOMPARE(g.Cells(1, 1), QString()); // shrinking dropped the cells
    }
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
