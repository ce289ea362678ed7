// Whole competitions driven by keys, one per mode, compared byte for byte with the exit copy
// an earlier build wrote for the same keys: restructuring must not change a single result.
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QFile>
#include <QLocale>
#include <QToolButton>
#include <QtTest>

namespace {
QByteArray ReadAll(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

// Start, stop the tracks after t1 / t2 ms (a time of 0 leaves the track to the end), reset.
void Heat(TWindowFixture& f, int t1, int t2) {
    f.Key(Qt::Key_F8);
    const int first = t2 > 0 && t2 < t1 ? t2 : t1;
    f.clock.advance(first);
    f.Key(first == t1 ? Qt::Key_F4 : Qt::Key_F6);
    if (t2 > 0) {
        f.clock.advance(std::abs(t2 - t1));
        f.Key(first == t1 ? Qt::Key_F6 : Qt::Key_F4);
    }
}
} // namespace

class TestGolden : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void exitCopy_data() {
        QTest::addColumn<int>("vid");
        QTest::newRow("qualifikation") << 0;
        QTest::newRow("individuell") << 1;
        QTest::newRow("paarrennen") << 2;
    }
    void exitCopy() {
        QFETCH(int, vid);
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Settings.CountZabegov = vid == 1 ? 3 : 2;
        w.Settings.KlassCol = 4; // places per class
        w.cbAllTrasse->setChecked(vid == 1);
        f.Load(vid, ParticipantRows(7, {11, 5, 23, 8, 42, 17, 3}));
        int t = 7350;
        for (int heat = 0; heat < 16; ++heat) {
            if (!w.mStart->isEnabled()) break;
            const int t2 = vid == 1 ? 0 : t + (heat % 3 - 1) * 777;
            Heat(f, t, t2);
            // A DIS on track 1; with one track the participant would then keep the track for good.
            if (heat == (vid == 1 ? 13 : 2)) QTest::mouseClick(w.sb1del, Qt::LeftButton);
            if (heat == 4) w.cbSort->setChecked(true); // ranked from here on
            f.Key(Qt::Key_F9);
            if (heat == 1 && vid == 2) f.Key(Qt::Key_0, Qt::ControlModifier); // swap the tracks
            t += 1234 + heat * 97;
        }
        w.Shutdown();
        const QByteArray got = ReadAll(w.ExitCopyName());
        QFile::remove(w.ExitCopyName());
        const QString golden = QStringLiteral(VELTARO_TEST_SOURCE_DIR "/golden/exit-%1.txt")
                                   .arg(QString::fromLatin1(QTest::currentDataTag()));
        if (qEnvironmentVariableIsSet("VELTARO_WRITE_GOLDEN")) {
            QFile out(golden);
            QVERIFY(out.open(QIODevice::WriteOnly));
            out.write(got);
        }
        QVERIFY(!got.isEmpty());
        QCOMPARE(got, ReadAll(golden));
    }
};

QTEST_MAIN(TestGolden)
#include "tst_golden.moc"
