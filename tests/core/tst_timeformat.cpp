#include "core/TimeFormat.h"

#include <QLocale>
#include <QtTest>

class TestTimeFormat : public QObject {
    Q_OBJECT
private slots:
    void formatExamples_data() {
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("seconds");
        QTest::addColumn<QString>("minutes");
        QTest::newRow("zero") << 0 << "0,00"
                              << "0,00";
        QTest::newRow("450") << 450 << "0,45"
                             << "0,45";
        QTest::newRow("5230") << 5230 << "5,23"
                              << "5,23";
        QTest::newRow("12345") << 12345 << "12,34"
                               << "12,34";
        QTest::newRow("83456") << 83456 << "83,45"
                               << "1:23,45";
        QTest::newRow("600000") << 600000 << "600,00"
                                << "10:00,00";
        QTest::newRow("3661000") << 3661000 << "3661,00"
                                 << "1:01,00";
        QTest::newRow("truncates 19 ms") << 19 << "0,01"
                                         << "0,01";
        QTest::newRow("one hour wraps") << 3600000 << "3600,00"
                                        << "0,00";
        QTest::newRow("59.99 s") << 59999 << "59,99"
                                 << "59,99";
        QTest::newRow("int max") << 2147483647 << "2147483,64"
                                 << "31:23,64";
    }
    void formatExamples() {
        QFETCH(int, ms);
        QFETCH(QString, seconds);
        QFETCH(QString, minutes);
        QCOMPARE(FormatTime(ms, tfSeconds, ','), seconds);
        QCOMPARE(FormatTime(ms, tfMinutes, ','), minutes);
        // A point locale changes the seconds form only; the minutes form keeps its comma.
        QCOMPARE(FormatTime(ms, tfSeconds, '.'), QString(seconds).replace(',', '.'));
        QCOMPARE(FormatTime(ms, tfMinutes, '.'), minutes);
        // Both directions agree for every example (to the hundredth).
        const int expected = (ms / 10) * 10;
        QCOMPARE(ParseTime(seconds, tfSeconds, ','), expected);
        if (ms < 3600000) QCOMPARE(ParseTime(minutes, tfMinutes, ','), expected);
    }

    void followsTheLocale() {
        const QLocale saved;
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        QCOMPARE(FormatTime(12345, tfSeconds), QString("12,34"));
        QCOMPARE(ParseTime("12,34", tfSeconds), 12340);
        QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
        QCOMPARE(FormatTime(12345, tfSeconds), QString("12.34"));
        QCOMPARE(ParseTime("12.34", tfSeconds), 12340);
        QCOMPARE(ParseTime("12,34", tfSeconds), UnreadableSeconds);
        QCOMPARE(FormatTime(83456, tfMinutes), QString("1:23,45"));
        QLocale::setDefault(saved);
    }

    void parse_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("ms");
        QTest::newRow("m 1:23,45") << "1:23,45" << 1 << 83450;
        QTest::newRow("m 12,34") << "12,34" << 1 << 12340;
        QTest::newRow("m 0,45") << "0,45" << 1 << 450;
        QTest::newRow("m DIS.") << "DIS." << 1 << 0;
        QTest::newRow("m empty") << "" << 1 << 0;
        QTest::newRow("m letters") << "abcdefgh" << 1 << 0;
        QTest::newRow("m too long") << "123:45,678" << 1 << 0;
        QTest::newRow("m 1:2:3") << "1:2:3" << 1 << 0;
        QTest::newRow("m 99:99,99") << "99:99,99" << 1 << 99 * 60000 + 99 * 1000 + 990;
        QTest::newRow("m one bad field") << "1:xx,50" << 1 << 60000 + 500;
        QTest::newRow("m blank after a field") << "1 ,00" << 1 << 0;
        QTest::newRow("m tab after a field") << "1\t,00" << 1 << 0;
        QTest::newRow("m line break in a field") << "1:0\n,50" << 1 << 60000 + 500;
        QTest::newRow("m leading blank kept") << " 5,00" << 1 << 5000;
        QTest::newRow("m signed field") << "-5,00" << 1 << -5000;
        QTest::newRow("m sign alone") << "-,50" << 1 << 500;
        QTest::newRow("s 12,34") << "12,34" << 0 << 12340;
        QTest::newRow("s integer") << "7" << 0 << 7000;
        QTest::newRow("s DIS.") << "DIS." << 0 << UnreadableSeconds;
        QTest::newRow("s empty") << "" << 0 << UnreadableSeconds;
        QTest::newRow("s letters") << "abc" << 0 << UnreadableSeconds;
        QTest::newRow("s 50 digits") << QString(50, '9') << 0 << UnreadableSeconds;
        QTest::newRow("s 1000 chars") << QString(1000, 'x') << 0 << UnreadableSeconds;
        QTest::newRow("s minutes text") << "1:23,45" << 0 << UnreadableSeconds;
        QTest::newRow("s inf") << "inf" << 0 << UnreadableSeconds;
        QTest::newRow("bad format reads as minutes") << "1:23,45" << 7 << 83450;
    }
    void parse() {
        QFETCH(QString, text);
        QFETCH(int, format);
        QFETCH(int, ms);
        QCOMPARE(ParseTime(text, format, ','), ms);
    }

    void oddInputsGiveText() {
        QVERIFY(!FormatTime(-450, tfSeconds, ',').isEmpty());
        QCOMPARE(FormatTime(-450, tfSeconds, ','), QString("-0,45"));
        QCOMPARE(FormatTime(-83456, tfMinutes, ','), QString("-1:23,45"));
        // A format outside 0..1 behaves as the minutes format instead of failing.
        QCOMPARE(FormatTime(83456, 7, ','), QString("1:23,45"));
        QCOMPARE(FormatTime(83456, -3, ','), QString("1:23,45"));
        QCOMPARE(DigitDivisor(7), 60);
        QCOMPARE(DigitDivisor(0), 100);
    }
};

QTEST_GUILESS_MAIN(TestTimeFormat)
#include "tst_timeformat.moc"
