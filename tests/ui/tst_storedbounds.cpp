// Stored window bounds that no screen can hold are fitted at start-up.
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
        QTest::newRow("32767 x 32767") << QRect(0, 0, 32767, 32767);
        QTest::newRow("far off the screen") << QRect(30000, 30000, 893, 495);
        QTest::newRow("far off and huge") << QRect(-32767, -32767, 32767, 32767);
    }
    void storedBoundsFitTheScreens() {
        QFETCH(QRect, stored);
        TWindowFixture f(false);
        f.w.reset(); // writes its own bounds at its end
        f.parts.reset();
        {
            QSettings s(f.SettingsFile(), QSettings::IniFormat);
            s.setValue("Left", stored.x());
            s.setValue("Top", stored.y());
            s.setValue("Width", stored.width());
            s.setValue("Height", stored.height());
        }
        f.parts = std::make_unique<TAppParts>(
            std::make_unique<QSettings>(f.SettingsFile(), QSettings::IniFormat));
        f.w = std::make_unique<TFormMain>(*f.parts, &f.dialogs);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        QVERIFY2(f.w->width() <= screen.width() && f.w->height() <= screen.height(),
                 qPrintable(QStringLiteral("%1 x %2").arg(f.w->width()).arg(f.w->height())));
        QVERIFY(screen.intersects(f.w->geometry()));
    }
};

QTEST_MAIN(TestStoredBounds)
#include "tst_storedbounds.moc"
