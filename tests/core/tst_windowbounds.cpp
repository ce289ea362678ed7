#include "core/WindowBounds.h"

#include <QtTest>

class TestWindowBounds : public QObject {
    Q_OBJECT
private slots:
    void fit_data() {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QRect>("fitted");
        const QList<QRect> one{{0, 0, 1920, 1040}};
        const QList<QRect> two{{0, 0, 1920, 1040}, {1920, 0, 1280, 984}};
        QTest::newRow("fits as it is")
            << QRect(307, 148, 893, 495) << one << QRect(307, 148, 893, 495);
        QTest::newRow("32767 x 32767 on one screen")
            << QRect(0, 0, 32767, 32767) << one << QRect(0, 0, 1920, 1040);
        QTest::newRow("two screens side by side bound it together")
            << QRect(100, 0, 5000, 5000) << two << QRect(100, 0, 3200, 1040);
        QTest::newRow("spanning two screens is fine")
            << QRect(10, 10, 3000, 900) << two << QRect(10, 10, 3000, 900);
        QTest::newRow("on the second screen")
            << QRect(2000, 50, 893, 495) << two << QRect(2000, 50, 893, 495);
        QTest::newRow("the second screen is gone: centred on the first")
            << QRect(2000, 50, 893, 495) << one << QRect(513, 272, 893, 495);
        QTest::newRow("far off with a huge size")
            << QRect(-32767, -32767, 32767, 32767) << one << QRect(0, 0, 1920, 1040);
        QTest::newRow("partly off the left edge stays")
            << QRect(-300, 10, 893, 495) << one << QRect(-300, 10, 893, 495);
        QTest::newRow("only the last pixels on the screen: centred")
            << QRect(-880, 10, 893, 495) << one << QRect(513, 272, 893, 495);
        QTest::newRow("title bar above the screen: centred")
            << QRect(100, -200, 893, 495) << one << QRect(513, 272, 893, 495);
        QTest::newRow("no screens: as stored")
            << QRect(0, 0, 32767, 32767) << QList<QRect>{} << QRect(0, 0, 32767, 32767);
    }
    void fit() {
        QFETCH(QRect, stored);
        QFETCH(QList<QRect>, screens);
        QFETCH(QRect, fitted);
        QCOMPARE(FitWindowToScreens(stored, screens), fitted);
    }
};

QTEST_APPLESS_MAIN(TestWindowBounds)
#include "tst_windowbounds.moc"
