#include "core/Colors.h"
#include <QtTest>

class TestSmoke : public QObject {
    Q_OBJECT
private slots:
    void colourValues() {
        QCOMPARE(ToQColor(Colors::clRed), QColor(255, 0, 0));
        QCOMPARE(FromQColor(QColor(0, 0, 255)), Colors::clBlue);
    }
};
QTEST_MAIN(TestSmoke)
#include "tst_smoke.moc"
