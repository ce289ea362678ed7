// Stored window bounds that no screen can hold are fitted at start-up, and each stored edge
// counts even when the store ends after it.
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QGuiApplication>
#include <QScreen>
#include <QtTest>

class TestStoredBounds : public QObject {
    Q_OBJECT
private slots:
    void storedBoundsFitTheScreens_data() {
        QTest::addColumn<QRect>("stored");
        QTest::addColumn<int>("keys"); // Left, Top, Width, Height: how many of them are stored
        QTest::newRow("32767 x 32767") << QRect(0, 0, 32767, 32767) << 4;
        QTest::newRow("far off the screen") << QRect(30000, 30000, 893, 495) << 4;
        QTest::newRow("far off and huge") << QRect(-32767, -32767, 32767, 32767) << 4;
        QTest::newRow("Left alone") << QRect(37, 0, 0, 0) << 1;
    }
    void storedBoundsFitTheScreens() {
        QFETCH(QRect, stored);
        QFETCH(int, keys);
        TWindowFixture f(false);
        f.w.reset(); // writes its own bounds at its end
        f.parts.reset();
        {
            QSettings s(f.SettingsFile(), QSettings::IniFormat);
            s.clear();
            const int values[4] = {stored.x(), stored.y(), stored.width(), stored.height()};
            const char* names[4] = {"Left", "Top", "Width", "Height"};
            for (int i = 0; i < keys; ++i)
                s.setValue(names[i], values[i]);
        }
        f.parts = std::make_unique<TAppParts>(
            std::make_unique<QSettings>(f.SettingsFile(), QSettings::IniFormat));
        f.w = std::make_unique<TFormMain>(*f.parts, &f.dialogs);
        if (keys == 1) {
            QCOMPARE(f.w->x(), stored.x()); // the size stays the design's
            return;
        }
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(f.w->width() <= screen.width() && f.w->height() <= screen.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(f.w->width()).arg(f.w->height())));
        QVERIFY(screen.intersects(f.w->geometry()));
    }
};

QTEST_MAIN(TestStoredBounds)
#include "tst_storedbounds.moc"
