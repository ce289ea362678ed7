#include "protocol/RunCells.h"

#include "core/TimeFormat.h"

#include <algorithm>
#include <QLocale>
#include <QtTest>

class TestRunCells : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void order_data() {
        QTest::addColumn<QString>("a");
        QTest::addColumn<QString>("b");
        QTest::addColumn<int>("sign");
        QTest::newRow("shorter time first") << "9,87"
                                            << "12,34" << -1;
        QTest::newRow("minutes after seconds") << "12,34"
                                               << "1:02,50" << -1;
        QTest::newRow("same length digitwise") << "12,34"
                                               << "12,35" << -1;
        QTest::newRow("equal") << "12,34"
                               << "12,34" << 0;
        QTest::newRow("DIS after every time") << "DIS."
                                              << "59:59,99" << 1;
        QTest::newRow("dis lower case is DIS") << "dis."
                                               << "1:00,00" << 1;
        QTest::newRow("blank after DIS") << "  "
                                         << "DIS." << 1;
        QTest::newRow("empty after time") << ""
                                          << "9,99" << 1;
        QTest::newRow("two blanks: ordinal") << ""
                                             << "   " << -1;
    }
    void order() {
        QFETCH(QString, a);
        QFETCH(QString, b);
        QFETCH(int, sign);
        const int c = CompareRunCells(a, b);
        QCOMPARE((c > 0) - (c < 0), sign);
        const int r = CompareRunCells(b, a);
        QCOMPARE((r > 0) - (r < 0), -sign);
    }

    void resultTime_data() {
        QTest::addColumn<QStringList>("runs");
        QTest::addColumn<int>("format");
        QTest::addColumn<QString>("zeit"); // "" = no result
        QTest::newRow("sum of two") << QStringList{"12,34", "13,00"} << 1 << "25,34";
        QTest::newRow("sum into minutes") << QStringList{"45,00", "30,50"} << 1 << "1:15,50";
        QTest::newRow("one DIS") << QStringList{"DIS.", "13,00"} << 1 << "";
        QTest::newRow("DIS between blanks") << QStringList{" dis. ", "13,00"} << 1 << "";
        QTest::newRow("one empty") << QStringList{"12,34", "  "} << 1 << "";
        QTest::newRow("DIS without point is a time text")
            << QStringList{"DIS", "13,00"} << 1 << "13,00";
        QTest::newRow("all unreadable minutes") << QStringList{"abc", "xyz"} << 1 << "";
        QTest::newRow("just below the bound") << QStringList{"21474,83"} << 0 << "21474,83";
        QTest::newRow("the bound is no result") << QStringList{"21474,84"} << 0 << "";
        QTest::newRow("split over runs") << QStringList{"10000,00", "11474,84"} << 0 << "";
        QTest::newRow("one unreadable seconds") << QStringList{"abc", "12,00"} << 0 << "";
        QTest::newRow("six unreadable seconds cannot wrap")
            << QStringList(6, QStringLiteral("x")) << 0 << "";
        QTest::newRow("four unreadable seconds") << QStringList(4, QStringLiteral("x")) << 0 << "";
        QTest::newRow("50 digits") << QStringList{QString(50, '9')} << 0 << "";
        QTest::newRow("negative run") << QStringList{"-5,00", "10,00"} << 0 << "";
        QTest::newRow("zero sum") << QStringList{"0,00"} << 1 << "";
        QTest::newRow("99:99,99 is over an hour") << QStringList{"99:99,99"} << 1 << "";
        QTest::newRow("just below an hour") << QStringList{"59:59,99"} << 1 << "59:59,99";
        QTest::newRow("an hour in two runs") << QStringList{"30:00,00", "30:00,00"} << 1 << "";
        QTest::newRow("an hour in seconds is shown")
            << QStringList{"1800,00", "1800,00"} << 0 << "3600,00";
        QTest::newRow("1:2:3 reads 0") << QStringList{"1:2:3", "5,00"} << 1 << "5,00";
    }
    void resultTime() {
        QFETCH(QStringList, runs);
        QFETCH(int, format);
        QFETCH(QString, zeit);
        const auto r = ResultTime(runs, format);
        QCOMPARE(r ? FormatTime(*r, format) : QString(), zeit);
    }

    void places_data() {
        QTest::addColumn<QStringList>("zeit");
        QTest::addColumn<QStringList>("klass");
        QTest::addColumn<QStringList>("places");
        QTest::newRow("dense") << QStringList{"20,00", "20,00", "21,00"} << QStringList{}
                               << QStringList{"1", "1", "2"};
        QTest::newRow("no result no place")
            << QStringList{"20,00", "", "21,00"} << QStringList{} << QStringList{"1", "", "2"};
        QTest::newRow("per class")
            << QStringList{"20,00", "22,00", "19,00", "19,00", "25,00"}
            << QStringList{"A", "A", "B", "B", "B"} << QStringList{"1", "2", "1", "1", "2"};
        QTest::newRow("class restarts equal time")
            << QStringList{"20,00", "20,00"} << QStringList{"A", "B"} << QStringList{"1", "1"};
    }
    void places() {
        QFETCH(QStringList, zeit);
        QFETCH(QStringList, klass);
        QFETCH(QStringList, places);
        QCOMPARE(DensePlaces(zeit, klass), places);
    }

    void sortingWithTheComparisonRanks() {
        QStringList cells{"", "1:02,50", "DIS.", "9,87", "12,34", "  ", "10,00"};
        std::stable_sort(cells.begin(), cells.end(), [](const QString& a, const QString& b) {
            return CompareRunCells(a, b) < 0;
        });
        QCOMPARE(cells, (QStringList{"9,87", "10,00", "12,34", "1:02,50", "DIS.", "", "  "}));
    }
};

QTEST_GUILESS_MAIN(TestRunCells)
#include "tst_runcells.moc"
