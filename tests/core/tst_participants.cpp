#include "core/Participants.h"

#include <QtTest>

class TestParticipants : public QObject {
    Q_OBJECT
private slots:
    void startNumbers_data() {
        QTest::addColumn<QString>("entry");
        QTest::addColumn<int>("strict"); // -1 = unreadable
        QTest::addColumn<int>("loose");
        QTest::newRow("plain") << "12 Meier Bern A" << 12 << 12;
        QTest::newRow("dummy has no blank") << "0" << -1 << 0;
        QTest::newRow("empty start number") << "  Meier Bern A" << -1 << 0;
        QTest::newRow("letters") << "A12 Meier" << -1 << 0;
        QTest::newRow("leading zeros read") << "007 Bond" << 7 << 7;
        QTest::newRow("empty entry") << "" << -1 << 0;
        QTest::newRow("huge") << "99999999999999 X" << -1 << 0;
    }
    void startNumbers() {
        QFETCH(QString, entry);
        QFETCH(int, strict);
        QFETCH(int, loose);
        const auto s = StartNumberStrict(entry);
        QCOMPARE(s.value_or(-1), strict);
        QCOMPARE(StartNumberLoose(entry), loose);
    }

    void entryText() { QCOMPARE(EntryText("12", "Meier", "", "A"), QString("12 Meier  A")); }

    // Which run column a track's k-th run lands in.
    void recordColumns_data() {
        QTest::addColumn<int>("countBahn");
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("countZabegov");
        QTest::addColumn<QList<int>>("columns"); // in order as runs are recorded
        QTest::newRow("2 tracks, t1, 6 runs") << 2 << 0 << 6 << QList<int>{5, 7, 9};
        QTest::newRow("2 tracks, t2, 6 runs") << 2 << 1 << 6 << QList<int>{6, 8, 10};
        QTest::newRow("2 tracks, t2, 1 run: never") << 2 << 1 << 1 << QList<int>{};
        QTest::newRow("2 tracks, t1, 3 runs") << 2 << 0 << 3 << QList<int>{5, 7};
        QTest::newRow("2 tracks, t2, 3 runs") << 2 << 1 << 3 << QList<int>{6};
        QTest::newRow("2 tracks, t1, 4 runs") << 2 << 0 << 4 << QList<int>{5, 7};
        QTest::newRow("1 track, t1, 4 runs") << 1 << 0 << 4 << QList<int>{5, 6, 7, 8};
        QTest::newRow("1 track, t2, 6 runs") << 1 << 1 << 6 << QList<int>{6, 7, 8, 9, 10};
    }
    void recordColumns() {
        QFETCH(int, countBahn);
        QFETCH(int, track);
        QFETCH(int, countZabegov);
        QFETCH(QList<int>, columns);
        QStringList row(14);
        row[5 + (track == 0 ? 1 : 0)] = "   "; // blanks count as empty
        QList<int> got;
        for (int c; (c = RecordColumn(row, track, countBahn, countZabegov)) >= 0;) {
            got << c;
            row[c] = "1,00";
        }
        QCOMPARE(got, columns);
    }

    void disCellIsFull() {
        QStringList row(14);
        row[5] = "DIS.";
        QCOMPARE(RecordColumn(row, 0, 2, 2), -1);
    }

    void trackBits_data() {
        QTest::addColumn<int>("countZabegov");
        QTest::addColumn<uint>("bit1");
        QTest::addColumn<uint>("bit2");
        QTest::newRow("1") << 1 << 1u << 2u;
        QTest::newRow("2") << 2 << 1u << 2u;
        QTest::newRow("3: track 2 ends in Turm2") << 3 << 4u << 2u;
        QTest::newRow("4") << 4 << 4u << 8u;
        QTest::newRow("5: track 2 ends in Turm4") << 5 << 16u << 8u;
        QTest::newRow("6") << 6 << 16u << 32u;
    }
    void trackBits() {
        QFETCH(int, countZabegov);
        QFETCH(uint, bit1);
        QFETCH(uint, bit2);
        QCOMPARE(TrackTableBit(0, countZabegov, 2), bit1);
        QCOMPARE(TrackTableBit(1, countZabegov, 2), bit2);
    }
};

QTEST_GUILESS_MAIN(TestParticipants)
#include "tst_participants.moc"
