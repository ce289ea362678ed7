// The reusable controls where data can go wrong: the digit shows the value it was given, the
// sort keeps every row once, and the grid stores what is typed into it.
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
        g.setColCount(2);
        g.setRowCount(3); // row 0 the titles
        g.setRows(1, {"old", ""});
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
};

QTEST_MAIN(TestWidgets)
#include "tst_widgets.moc"
