#include "widgets/SortGrid.h"

#include <QFile>
#include <QRandomGenerator>
#include <QTemporaryDir>
#include <QtTest>

namespace {
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
} // namespace

class TestSortGrid : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void compareTexts_data() {
        QTest::addColumn<int>("style");
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<bool>("caseSensitive");
        QTest::addColumn<int>("sign");
        QTest::newRow("numeric 9 before 10") << int(ssNumeric) << "9"
                                             << "10" << false << -1;
        QTest::newRow("ordinal 10 before 9") << int(ssNormal) << "9"
                                             << "10" << false << 1;
        QTest::newRow("numeric decimal comma") << int(ssNumeric) << "2,5"
                                               << "10" << false << -1;
        QTest::newRow("numeric equal") << int(ssNumeric) << " 3 "
                                       << "3,0" << false << 0;
        QTest::newRow("numeric falls back") << int(ssNumeric) << "10"
                                            << "9x" << false << -1;
        QTest::newRow("case folded") << int(ssNormal) << "abc"
                                     << "ABC" << false << 0;
        QTest::newRow("case kept") << int(ssNormal) << "abc"
                                   << "ABC" << true << 1;
        QTest::newRow("only ascii folded") << int(ssNormal) << "Ä"
                                           << "ä" << false << -1;
        QTest::newRow("automatic is ordinal") << int(ssAutomatic) << "9"
                                              << "10" << false << 1;
        QTest::newRow("dates") << int(ssDateTime) << "02.01.2024"
                               << "31.12.2023" << false << 1;
        QTest::newRow("date and time") << int(ssDateTime) << "01.01.2024 09:00"
                                       << "01.01.2024 10:00" << false << -1;
        QTest::newRow("date falls back") << int(ssDateTime) << "31.02.2024"
                                         << "1.1.2024" << false << 1;
        QTest::newRow("times") << int(ssTime) << "9:05"
                               << "10:00" << false << -1;
        QTest::newRow("time seconds") << int(ssTime) << "10:00:01"
                                      << "10:00" << false << 1;
        QTest::newRow("extended") << int(ssNumericExtended) << "file12.txt"
                                  << "file9.txt" << false << 1;
        QTest::newRow("extended same") << int(ssNumericExtended) << "a1b"
                                       << "a1b" << false << 0;
        QTest::newRow("extended empty first") << int(ssNumericExtended) << ""
                                              << "a1" << false << -1;
        QTest::newRow("custom without function") << int(ssCustom) << "b"
                                                 << "a" << false << 1;
    }
    void compareTexts() {
        QFETCH(int, style);
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(bool, caseSensitive);
        QFETCH(int, sign);
        const int r = CompareSortTexts(a, b, TSortStyle(style), caseSensitive);
        QCOMPARE((r > 0) - (r < 0), sign);
        const int back = CompareSortTexts(b, a, TSortStyle(style), caseSensitive);
        QCOMPARE((back > 0) - (back < 0), -sign);
    }

    void entryTieBreak() {
        TSortOptions o;
        o.SortStyle = ssNumeric;
        o.SortDirection = sdDescending;
        // Direction inverts the key order but never the row tie-break.
        QCOMPARE(CompareSortEntries({"1", 5, &o}, {"2", 1, &o}), 1);
        QCOMPARE(CompareSortEntries({"7", 1, &o}, {"7,0", 2, &o}), -1);
        QCOMPARE(CompareSortEntries({"7", 3, &o}, {"7", 2, &o}), 1);
    }

    void detectStyle_data() {
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<int>("style");
        QTest::newRow("numbers") << QStringList{"1", "2,5", "-3"} << int(ssNumeric);
        QTest::newRow("dates") << QStringList{"01.02.2024", "3.4.99"} << int(ssDateTime);
        QTest::newRow("dates and times")
            << QStringList{"01.02.2024 10:00", "12:30"} << int(ssDateTime);
        QTest::newRow("an empty cell") << QStringList{"1", ""} << int(ssNormal);
        QTest::newRow("text") << QStringList{"1", "x"} << int(ssNormal);
        QTest::newRow("blanks") << QStringList{"   ", "\t"} << int(ssNormal);
    }
    void detectStyle() {
        QFETCH(QStringList, texts);
        QFETCH(int, style);
        QCOMPARE(int(DetectSortStyle(texts)), style);
    }

    void keyColumns_data() {
        QTest::addColumn<QString>("secondary");
        QTest::addColumn<int>("primary");
        QTest::addColumn<QList<int>>("keys");
        QTest::newRow("one secondary") << "11" << 3 << QList<int>{3, 11};
        QTest::newRow("primary ignored") << "3, 11" << 3 << QList<int>{3, 11};
        QTest::newRow("blanks separate") << "2 5,,1" << 0 << QList<int>{0, 2, 5, 1};
        QTest::newRow("bad entries dropped") << "x,99,-1,4" << 0 << QList<int>{0, 4};
        QTest::newRow("empty") << "" << 7 << QList<int>{7};
    }
    void keyColumns() {
        QFETCH(QString, secondary);
        QFETCH(int, primary);
        QFETCH(QList<int>, keys);
        QCOMPARE(SortKeyColumns(secondary, primary, 14), keys);
    }

    // Rows: id, class, time. Sorted by class, ties by time; equal rows keep their order.
    void multiKeySort_data() {
        QTest::addColumn<int>("direction");
        QTest::addColumn<QString>("secondary");
        QTest::addColumn<QStringList>("ids");
        QTest::newRow("ascending, secondary")
            << int(sdAscending) << "2" << QStringList{"c", "a", "e", "d", "b", "f"};
        QTest::newRow("descending, secondary")
            << int(sdDescending) << "2" << QStringList{"f", "b", "d", "a", "e", "c"};
        QTest::newRow("secondary = primary")
            << int(sdAscending) << "1" << QStringList{"a", "c", "e", "b", "d", "f"};
        QTest::newRow("descending, stable")
            << int(sdDescending) << "" << QStringList{"f", "b", "d", "a", "c", "e"};
    }
    void multiKeySort() {
        QFETCH(int, direction);
        QFETCH(QString, secondary);
        QFETCH(QStringList, ids);
        TSortGrid g;
        Fill(g, {{"id", "class", "time"},
                 {"a", "A", "9"},
                 {"b", "B", "10"},
                 {"c", "a", "8"},
                 {"d", "B", "9"},
                 {"e", "A", "9"},
                 {"f", "C", "1"}});
        g.SortOptions.SecondaryIndex = secondary;
        g.SortOptions.SortDirection = TSortDirection(direction);
        g.OnGetSortStyle = [](int col, TSortStyle& s) { s = col == 2 ? ssNumeric : ssNormal; };
        g.SortByColumn(1);
        QCOMPARE(Column(g, 0), ids);
        QCOMPARE(g.Cells(0, 0), QString("id"));
        QCOMPARE(g.SortOptions.SortCol, 1);
        QVERIFY(!g.Modified());
    }

    void descendingOfEqualRowsChangesNothing() {
        TSortGrid g;
        Fill(g, {{"k", "v"}, {"x", "1"}, {"X", "2"}, {"x", "3"}});
        g.SortOptions.SecondaryIndex = "";
        for (auto dir : {sdDescending, sdAscending}) {
            g.SortOptions.SortDirection = dir;
            g.SortByColumn(0);
            QCOMPARE(Column(g, 1), (QStringList{"1", "2", "3"}));
        }
    }

    void automaticDetectsEachKey() {
        TSortGrid g;
        Fill(g, {{"n", "name"}, {"10", "b"}, {"9", "a"}, {"10", "a"}});
        g.SortOptions.SecondaryIndex = "1";
        g.SortByColumn(0);
        QCOMPARE(Column(g, 0), (QStringList{"9", "10", "10"}));
        QCOMPARE(Column(g, 1), (QStringList{"a", "a", "b"}));
        QCOMPARE(int(g.SortOptions.SortStyle), int(ssNumeric)); // the primary key's style
    }

    void customComparisonIsUsedOnce() {
        TSortGrid g;
        Fill(g, {{"t"}, {"bb"}, {"a"}, {"ccc"}});
        g.SortOptions.SecondaryIndex = "";
        int calls = 0;
        g.OnGetSortStyle = [&](int, TSortStyle& s) {
            s = ssCustom;
            if (calls++ == 0)
                g.SortOptions.SortCompare = [](const QString& a, const QString& b) {
                    return int(b.size() - a.size()); // longest first
                };
        };
        g.SortByColumn(0);
        QCOMPARE(Column(g, 0), (QStringList{"ccc", "bb", "a"}));
        QVERIFY(!g.SortOptions.SortCompare);
        g.SortByColumn(0); // no function this time: the plain order
        QCOMPARE(Column(g, 0), (QStringList{"a", "bb", "ccc"}));
        QCOMPARE(int(g.SortOptions.SortStyle), int(ssCustom));
    }

    void canSortFalseDoesNothing() {
        TSortGrid g;
        Fill(g, {{"t"}, {"b"}, {"a"}});
        g.SortOptions.CanSort = false;
        g.SortOptions.SortCol = 5;
        int notes = 0;
        g.OnBeginUpdate = [&] { ++notes; };
        g.SortByColumn(0);
        QCOMPARE(Column(g, 0), (QStringList{"b", "a"}));
        QCOMPARE(g.SortOptions.SortCol, 5);
        QCOMPARE(notes, 0);
    }

    void sortOneEmptyRow() {
        TSortGrid g;
        g.setColCount(3);
        g.setRowCount(2);
        g.SortByColumn(1);
        QCOMPARE(g.RowCount(), 2);
        QCOMPARE(g.Rows(1), (QStringList{"", "", ""}));
    }

    void selectionFollowsRow() {
        TSortGrid g;
        Fill(g, {{"t"}, {"c"}, {"a"}, {"b"}});
        g.setRow(1);
        g.SortByColumn(0);
        QCOMPARE(g.Row(), 3);
        QCOMPARE(g.SelectedRows(), QStringList{"3"});
        QVERIFY(!g.Sorting());
    }

    // Numbers, dates, text, blanks and odd characters under every style: the result
    // is always the same rows in some order.
    void mixedContentNeverFails() {
        const QStringList pool{
            "",      "  ",   "9",      "10",   "x",   "1,5", "01.02.2024",
            "12:30", "DIS.", "\t\x01", "שלום", "abc", "ABC", QString(10000, 'z')};
        QVector<QStringList> table{{"k"}};
        auto* rng = QRandomGenerator::global();
        for (int i = 0; i < 3000; ++i)
            table.append({pool[rng->bounded(int(pool.size()))]});
        for (int style = ssAutomatic; style <= ssCustom; ++style) {
            TSortOptions o;
            o.SecondaryIndex = "";
            o.SortStyle = TSortStyle(style);
            int n = 0;
            o.SortCompare = [&](const QString&, const QString&) { return (++n % 3) - 1; };
            QVector<int> order = SortRowOrder(table, {0}, o);
            std::sort(order.begin(), order.end());
            for (int j = 0; j < order.size(); ++j)
                QCOMPARE(order[j], j + 1);
        }
    }

    void insertAndDeleteRows() {
        TSortGrid g;
        g.setColCount(2);
        g.setRowCount(2);
        g.setRows(1, {"old", "x"});
        int inserted = -1, modified = 0;
        g.OnRowInsert = [&](int r) { inserted = r; };
        g.OnModified = [&] { ++modified; };
        QCOMPARE(g.InsertRow(1), 1);
        QCOMPARE(g.RowCount(), 3);
        QCOMPARE(g.Rows(1), (QStringList{"", ""}));
        QCOMPARE(g.Cells(0, 2), QString("old"));
        QCOMPARE(inserted, 1);
        QCOMPARE(g.Row(), 1);
        g.setCells(0, 1, "new");
        QCOMPARE(g.InsertRow(2), 2); // before the last row
        QCOMPARE(Column(g, 0), (QStringList{"new", "", "old"}));
        QCOMPARE(modified, 0);

        g.DeleteRow(2);
        QCOMPARE(Column(g, 0), (QStringList{"new", "old"}));
        g.DeleteRow(1);
        g.DeleteRow(1); // the last data row is emptied, never removed
        QCOMPARE(g.RowCount(), 2);
        QCOMPARE(g.Rows(1), (QStringList{"", ""}));
        QCOMPARE(modified, 3);
        QVERIFY(g.Modified());
        g.DeleteRow(0); // the title row stays
        g.DeleteRow(9);
        QCOMPARE(g.RowCount(), 2);
        g.setRowCount(0);
        QCOMPARE(g.RowCount(), 2);
    }

    void cellsOutsideTheMatrix() {
        TSortGrid g;
        g.setColCount(2);
        g.setRowCount(3);
        g.setCells(5, 1, "x");
        g.setCells(-1, 1, "x");
        QCOMPARE(g.Cells(5, 1), QString());
        g.setCells(1, 2, "kept");
        g.setColCount(1);
        g.setColCount(2);
        QCOMPARE(g.Cells(1, 2), QString()); // shrinking drops the cells
    }

    void findInColumn_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("ignoreCase");
        QTest::addColumn<int>("row");
        QTest::newRow("exact") << "Meier" << false << 2;
        QTest::newRow("case differs") << "meier" << false << 3;
        QTest::newRow("ignore case: first") << "MEIER" << true << 2;
        QTest::newRow("no partial match") << "Mei" << true << -1;
        QTest::newRow("title row not searched") << "Name" << false << -1;
    }
    void findInColumn() {
        QFETCH(QString, text);
        QFETCH(bool, ignoreCase);
        QFETCH(int, row);
        TSortGrid g;
        Fill(g, {{"Nr", "Name"}, {"1", "Huber"}, {"2", "Meier"}, {"3", "meier"}});
        QCOMPARE(g.FindInColumn(1, text, ignoreCase), row);
    }

    void saveToFile() {
        QTemporaryDir dir;
        TSortGrid g;
        Fill(g, {{"a", "b", "c"}, {"1", "", "x y"}});
        QStringList errors;
        g.ShowError = [&](const QString& t) { errors << t; };
        const QString name = dir.filePath("grid.txt");
        QVERIFY(g.SaveToFile(name));
        QFile f(name);
        QVERIFY(f.open(QIODevice::ReadOnly));
        QCOMPARE(f.readAll(), QByteArray("a;b;c\r\n1;;x y\r\n"));
        QVERIFY(errors.isEmpty());

        const QString bad = dir.filePath("missing/grid.txt");
        QVERIFY(!g.SaveToFile(bad));
        QCOMPARE(errors, QStringList{"Can't write to file:\n" + bad});
        QVERIFY(!g.SaveToFile(dir.path())); // a folder is no file either
        QCOMPARE(errors.size(), 2);
        QCOMPARE(g.Cells(2, 1), QString("x y"));
    }

    void updateNotifications() {
        TSortGrid g;
        QStringList log;
        g.OnBeginUpdate = [&] { log << "begin"; };
        g.OnEndUpdate = [&] { log << "end"; };
        g.OnBeginSort = [&](int c) { log << QString("sort %1").arg(c); };
        g.OnEndSort = [&](int c) { log << QString("sorted %1").arg(c); };
        g.SortOptions.UpdateOnSizeChange = true;
        g.BeginUpdate();
        QVERIFY(g.NowUpdating());
        QVERIFY(!g.SortOptions.UpdateOnSizeChange);
        g.SortByColumn(1); // nested inside the owner's update
        QVERIFY(g.NowUpdating());
        g.EndUpdate();
        QVERIFY(!g.NowUpdating());
        QVERIFY(g.SortOptions.UpdateOnSizeChange);
        g.EndUpdate(); // unbalanced: ignored
        QCOMPARE(log, (QStringList{"begin", "begin", "sort 1", "sorted 1", "end", "end"}));
    }

    void bulkWritesInsideUpdate() {
        TSortGrid g;
        g.setColCount(14);
        g.BeginUpdate();
        g.setRowCount(100001);
        for (int r = 1; r <= 100000; ++r)
            g.setCells(0, r, QString::number(r));
        g.setRow(100000);
        g.EndUpdate();
        QCOMPARE(g.Cells(0, 100000), QString("100000"));
        QCOMPARE(g.Row(), 100000);
        QVERIFY(g.TopRow() > 99000);
    }
};

QTEST_MAIN(TestSortGrid)
#include "tst_sortgrid.moc"
