// The state JSON's times: worked out at sending from the start tick, final once stopped.
#include <QtTest>

#include "live/LiveSnapshot.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

class TestLiveSnapshot : public QObject {
    Q_OBJECT
private slots:
    void trackTimes_data() {
        QTest::addColumn<int>("run"); // TLiveRun
        QTest::addColumn<quint32>("startTick");
        QTest::addColumn<quint32>("now");
        QTest::addColumn<bool>("stopped");
        QTest::addColumn<quint32>("stopMs");
        QTest::addColumn<int>("format");
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("elapsedMs");
        QTest::addColumn<QString>("time");
        const int ready = int(TLiveRun::Ready), running = int(TLiveRun::Running),
                  finished = int(TLiveRun::Finished);
        QTest::newRow("ready shows zero")
            << ready << 500u << 90000u << false << 0u << 1 << false << 0 << "0,00";
        QTest::newRow("running, minutes")
            << running << 1000u << 66239u << false << 0u << 1 << true << 65239 << "1:05,23";
        QTest::newRow("running, seconds")
            << running << 1000u << 66239u << false << 0u << 0 << true << 65239 << "65,23";
        QTest::newRow("running across the wrap")
            << running << 0xFFFFFF00u << 0x00000100u << false << 0u << 1 << true << 512 << "0,51";
        QTest::newRow("stopped during the run is final")
            << running << 1000u << 99999u << true << 7349u << 1 << false << 7349 << "7,34";
        QTest::newRow("finished keeps the stop time")
            << finished << 1000u << 99999u << true << 12000u << 0 << false << 12000 << "12,00";
        QTest::newRow("a stop left from before a reset is not shown")
            << ready << 1000u << 99999u << true << 12000u << 1 << false << 0 << "0,00";
        QTest::newRow("counter far past the start shows no negative time")
            << running << 10u << 0x90000000u << false << 0u << 1 << true << 0 << "0,00";
    }
    void trackTimes() {
        QFETCH(int, run);
        QFETCH(quint32, startTick);
        QFETCH(quint32, now);
        QFETCH(bool, stopped);
        QFETCH(quint32, stopMs);
        QFETCH(int, format);
        QFETCH(bool, running);
        QFETCH(int, elapsedMs);
        QFETCH(QString, time);
        TLiveState s;
        s.run = TLiveRun(run);
        s.startTick = startTick;
        s.timeFormat = format;
        s.tracks[0].stopped = stopped;
        s.tracks[0].stopMs = stopMs;
        const QJsonObject o = QJsonDocument::fromJson(LiveStateJson(s, now)).object();
        const QJsonObject t = o["tracks"].toArray().at(0).toObject();
        QCOMPARE(t["running"].toBool(), running);
        QCOMPARE(t["elapsedMs"].toInt(), elapsedMs);
        QCOMPARE(t["time"].toString(), time);
    }

    void trackCount_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("shown");
        QTest::newRow("two towers") << 2 << 2;
        QTest::newRow("one tower") << 1 << 1;
        QTest::newRow("a bad count shows what exists") << 7 << 2;
        QTest::newRow("zero shows one") << 0 << 1;
    }
    void trackCount() {
        QFETCH(int, count);
        QFETCH(int, shown);
        TLiveState s;
        s.trackCount = count;
        const QJsonObject o = QJsonDocument::fromJson(LiveStateJson(s, 0)).object();
        QCOMPARE(o["tracks"].toArray().size(), shown);
    }

    void protocolColumns_data() {
        QTest::addColumn<QVector<int>>("widths");
        QTest::addColumn<QStringList>("columns");
        QTest::newRow("hidden columns left out")
            << QVector<int>{40, -1, 0, 50} << QStringList{"St.Nr.", "Klasse"};
        QTest::newRow("columns without a width are shown")
            << QVector<int>{40} << QStringList{"St.Nr.", "Name", "Ort", "Klasse"};
    }
    void protocolColumns() {
        QFETCH(QVector<int>, widths);
        QFETCH(QStringList, columns);
        THtmlPage page;
        page.rows << QStringList{"St.Nr.", "Name", "Ort", "Klasse"}
                  << QStringList{"1", "A", "B"}; // a short row
        page.colWidths = widths;
        const QJsonObject o = QJsonDocument::fromJson(LiveProtocolJson(page)).object();
        QStringList got;
        for (const auto& c : o["columns"].toArray())
            got << c.toString();
        QCOMPARE(got, columns);
        QCOMPARE(o["rows"].toArray().at(0).toArray().size(), columns.size());
    }

    void colours_data() {
        QTest::addColumn<quint32>("bgr");
        QTest::addColumn<QString>("css");
        QTest::newRow("blue") << 0xFF0000u << "#0000ff";
        QTest::newRow("green") << 0x008000u << "#008000";
        QTest::newRow("red") << 0x0000FFu << "#ff0000";
        QTest::newRow("mixed") << 0x123456u << "#563412";
    }
    void colours() {
        QFETCH(quint32, bgr);
        QFETCH(QString, css);
        QCOMPARE(LiveCssColour(bgr), css);
    }
};

QTEST_GUILESS_MAIN(TestLiveSnapshot)
#include "tst_livesnapshot.moc"
