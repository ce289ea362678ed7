#include <QtTest>

#include "persist/ProtocolText.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QTemporaryDir>

namespace {

// A row of 14 cells: the given ones first, the rest "".
QStringList Row(QStringList cells, int colCount = ProtocolColCount) {
    while (cells.size() < colCount)
        cells << QString();
    return cells;
}

const QStringList Titles = {"St.Nr.", "Name, Vorname", "Ort",   "Klasse", "Datum", "Turm1", "Turm2",
                            "Turm3",  "Turm4",         "Turm5", "Turm6",  "Zeit",  "Platz", "."};

} // namespace

class TestProtocolText : public QObject {
    Q_OBJECT
private slots:
    void writesTheFileFormat() {
        // start number 12, Meier, no club, class A, no date, runs 12,34 and DIS., no result
        const TProtocolRows rows = {
            Row({"12", "Meier", "", "A", "", "12,34", "DIS.", "", "", "", "", "", "", "1"})};
        QCOMPARE(FormatProtocolText(rows),
                 QByteArray("12\tMeier\t \tA\t \t12,34\tDIS.\t \t \t \t \t \t \t1\t\r\n"));
        // Blank cells are written as they are; separators inside a cell would shift columns.
        QCOMPARE(FormatProtocolText({{"  ", "a\tb", "c\r\nd"}}), QByteArray("  \ta b\tc  d\t\r\n"));
        QCOMPARE(FormatProtocolText({}), QByteArray());
    }

    void roundTrip_data() {
        QTest::addColumn<TProtocolRows>("rows");
        QTest::newRow("titles and runs")
            << TProtocolRows{Titles,
                             Row({"12", "Meier, Hans", "Bern", "A", "", "12,34", "DIS.", "", "", "",
                                  "", "", "", "1"}),
                             Row({"7", "Müller-Lüdenscheid", "Zürich", "B", "2026-12-05", "1:02,50",
                                  "59,99", "", "", "", "", "2:02,49", "1", "2"})};
        QTest::newRow("empty protocol") << TProtocolRows{Titles, Row({})};
        QTest::newRow("U+FEFF first") << TProtocolRows{Row({QString(2, QChar(0xFEFF)) + "a", "b"})};
        QTest::newRow("leading blanks and semicolons")
            << TProtocolRows{Row({"  3", "a;b", " x", ";", "é€"})};
    }
    void roundTrip() {
        QFETCH(TProtocolRows, rows);
        TProtocolRows expected = rows;
        for (QStringList& row : expected)
            for (QString& cell : row)
                if (cell.isEmpty()) cell = QStringLiteral(" ");
        QCOMPARE(ParseProtocolText(FormatProtocolText(rows)), expected);
    }

    void readerRules_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TProtocolRows>("rows");
        QTest::newRow("TAB beats semicolon")
            << QByteArray("a;b\tc\r\n") << TProtocolRows{Row({"a;b", "c"})};
        QTest::newRow("semicolon line")
            << QByteArray("a;b;c") << TProtocolRows{Row({"a", "b", "c"})};
        QTest::newRow("separator chosen per line")
            << QByteArray("a;b\r\nc\td;e\r\n") << TProtocolRows{Row({"a", "b"}), Row({"c", "d;e"})};
        QTest::newRow("blanks before a separator")
            << QByteArray("a  \t  b \tc  ") << TProtocolRows{Row({"a", "  b", "c  "})};
        QTest::newRow("empty and blank fields")
            << QByteArray("a\t\t  \tb\t") << TProtocolRows{Row({"a", " ", " ", "b"})};
        QTest::newRow("blank last field") << QByteArray("a;   ") << TProtocolRows{Row({"a", " "})};
        QTest::newRow("empty semicolon fields")
            << QByteArray("a;;b;") << TProtocolRows{Row({"a", " ", "b"})};
        QTest::newRow("fewer than five titles") << QByteArray("St.Nr.\tName\tOrt\t\r\n")
                                                << TProtocolRows{Row({"St.Nr.", "Name", "Ort"})};
        QTest::newRow("title-only file") << FormatProtocolText({Titles}) << TProtocolRows{Titles};
        QStringList twenty;
        for (int i = 0; i < 20; ++i)
            twenty << QString::number(i);
        QTest::newRow("more than 14 fields")
            << (twenty.join('\t') + '\t').toUtf8() << TProtocolRows{twenty.mid(0, 14)};
        QTest::newRow("CR LF, LF and CR")
            << QByteArray("a\nb\rc\r\nd")
            << TProtocolRows{Row({"a"}), Row({"b"}), Row({"c"}), Row({"d"})};
        QTest::newRow("no row after the last line end")
            << QByteArray("a\r\n") << TProtocolRows{Row({"a"})};
        QTest::newRow("empty lines")
            << QByteArray("\r\n\n\r") << TProtocolRows{Row({}), Row({}), Row({})};
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\n") << TProtocolRows{Row({"a"}), Row({})};
        QTest::newRow("empty file") << QByteArray() << TProtocolRows{};
        QTest::newRow("byte order mark")
            << QByteArray("\xEF\xBB\xBFSt.Nr.;Name") << TProtocolRows{Row({"St.Nr.", "Name"})};
        QTest::newRow("U+FEFF inside the file is text")
            << QByteArray("a\t\xEF\xBB\xBF\xEF\xBB\xBF")
            << TProtocolRows{Row({"a", QString(2, QChar(0xFEFF))})};
        QTest::newRow("UTF-8 umlauts")
            << QByteArray("1\tJ\xC3\xBCrg M\xC3\xB6hr\t\xE2\x82\xAC\t\r\n")
            << TProtocolRows{Row({"1", "Jürg Möhr", "€"})};
        QTest::newRow("Windows-1252 umlauts")
            << QByteArray("1\tJ\xFCrg M\xF6hr\t\x80\x81\x9F\t\xDF\r\n")
            << TProtocolRows{Row({"1", "Jürg Möhr", QString::fromUtf16(u"€\u0081Ÿ"), "ß"})};
        QTest::newRow("one bad byte makes the whole file Windows-1252")
            << QByteArray("\xC3\xBC\r\n\xFC") << TProtocolRows{Row({"Ã¼"}), Row({"ü"})};
        // A spreadsheet's "Unicode text".
        const QString unicode = QStringLiteral("\uFEFF1\tJürg\t\r\n2\tŁukasz");
        const TProtocolRows unicodeRows{Row({QStringLiteral("\uFEFF1"), "Jürg"}),
                                        Row({"2", "Łukasz"})};
        for (auto kind : {QStringConverter::Utf16LE, QStringConverter::Utf16BE})
            QTest::newRow(kind == QStringConverter::Utf16LE ? "UTF-16 LE" : "UTF-16 BE")
                << QByteArray(QStringEncoder(kind, QStringEncoder::Flag::WriteBom)(unicode))
                << unicodeRows;
        QTest::newRow("a field beyond the limit is cut")
            << QByteArray(ProtocolMaxFieldBytes + 5, 'x') + "\ty"
            << TProtocolRows{Row({QString(ProtocolMaxFieldBytes, 'x'), "y"})};
        QTest::newRow("and cut before a character, not inside")
            << QByteArray("\xC3\xBC").repeated(ProtocolMaxFieldBytes) + "\t"
            << TProtocolRows{Row({QString(ProtocolMaxFieldBytes / 2, QChar(0xFC))})};
    }
    void readerRules() {
        QFETCH(QByteArray, bytes);
        QFETCH(TProtocolRows, rows);
        QCOMPARE(ParseProtocolText(bytes), rows);
    }

    void columnCounts() {
        QCOMPARE(ParseProtocolText("a;b;c", 2), TProtocolRows{QStringList({"a", "b"})});
        QCOMPARE(ParseProtocolText("a;b\nc", 0), TProtocolRows({QStringList(), QStringList()}));
        QCOMPARE(ParseProtocolText("a;b", -5), TProtocolRows{QStringList()});
    }

    void decodesWholeFiles() {
        QCOMPARE(DecodeProtocolBytes("Gr\xC3\xBC\xC3\x9F"), QStringLiteral("Grüß"));
        QCOMPARE(DecodeProtocolBytes("Gr\xFC\xDF"), QStringLiteral("Grüß"));
        QCOMPARE(DecodeProtocolBytes("\x8A\x8D\x99"), QString::fromUtf16(u"Š\u008D™"));
    }

    // --- code pages --------------------------------------------------------------------------
    void eightBitWriterKeepsEveryCharacter_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("inCodePage"); // Windows-1252 has every character of the name
        QTest::newRow("German") << QStringLiteral("Müller-Lüdenscheid, Jürgen ß") << true;
        QTest::newRow("euro sign and quotes") << QStringLiteral("„€ 5“ – Š") << true;
        QTest::newRow("Polish") << QStringLiteral("Łukasz Żółć") << false;
        QTest::newRow("Russian") << QStringLiteral("Иванов Сергей") << false;
        QTest::newRow("one character outside") << QStringLiteral("Müller ő") << false;
    }
    void eightBitWriterKeepsEveryCharacter() {
        QFETCH(QString, name);
        QFETCH(bool, inCodePage);
        const TProtocolRows rows = {Titles, Row({"1", name})};
        const QByteArray bytes = FormatProtocolTextIn(rows, TCodePage::Windows1252);
        QCOMPARE(bytes.startsWith("\xEF\xBB\xBF"), !inCodePage);
        QCOMPARE(bytes.contains('?'), false); // nothing turned into "?"
        TProtocolReadReport report;
        const TProtocolRows back =
            ParseProtocolText(bytes, ProtocolColCount, report, TCodePage::Windows1252);
        QCOMPARE(report.encoding, inCodePage ? TTextEncoding::EightBit : TTextEncoding::Utf8);
        QCOMPARE(back[1][1], name);
        QCOMPARE(back[0], Titles);
    }

    void windows1252BothWays() {
        QString all;
        for (int b = 0x20; b < 0x100; ++b)
            all += DecodeWindows1252(reinterpret_cast<const char*>(&b), 1);
        bool lossless = false;
        const QByteArray bytes = EncodeWindows1252(all, &lossless);
        QVERIFY(lossless);
        QCOMPARE(DecodeWindows1252(bytes.constData(), bytes.size()), all);
        QCOMPARE(EncodeWindows1252(QStringLiteral("aŁb"), &lossless), QByteArray("a?b"));
        QVERIFY(!lossless);
    }

    void strayBytesInUtf8_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("encoding");
        QTest::addColumn<int>("bad");
        QTest::addColumn<QString>("name"); // cell 1 of the first row
        QTest::newRow("valid UTF-8") << QByteArray("1\tM\xC3\xBCller\t\r\n")
                                     << int(TTextEncoding::Utf8) << 0 << QStringLiteral("Müller");
        QTest::newRow("UTF-8 with one stray byte")
            << QByteArray("1\tM\xC3\xBCller \xE9\t\r\n2\tJ\xC3\xBCrg\t\r\n")
            << int(TTextEncoding::Utf8Repaired) << 1 << QString::fromUtf16(u"Müller \uFFFD");
        QTest::newRow("UTF-8 with a mark and a cut sequence")
            << QByteArray("\xEF\xBB\xBF"
                          "1\tGr\xC3\xBC\xC3\x9F \xE2\x82\t\r\n")
            << int(TTextEncoding::Utf8Repaired) << 1 << QString::fromUtf16(u"Grüß \uFFFD\uFFFD");
        QTest::newRow("Windows-1252")
            << QByteArray("1\tM\xFCller \xDF\t\r\n") << int(TTextEncoding::EightBit) << 2
            << QStringLiteral("Müller ß");
        QTest::newRow("Windows-1252 with an accidental UTF-8 pair")
            << QByteArray("1\t\xC3\xBC M\xFCller\t\r\n") << int(TTextEncoding::EightBit) << 1
            << QStringLiteral("Ã¼ Müller");
        QTest::newRow("overlong form and surrogate are no UTF-8")
            << QByteArray("1\t\xC0\xAF\xED\xA0\x80\t\r\n") << int(TTextEncoding::EightBit) << 2
            << DecodeWindows1252("\xC0\xAF\xED\xA0\x80", 5);
    }
    void strayBytesInUtf8() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, encoding);
        QFETCH(int, bad);
        QFETCH(QString, name);
        TProtocolReadReport report;
        const TProtocolRows rows =
            ParseProtocolText(bytes, ProtocolColCount, report, TCodePage::Windows1252);
        QCOMPARE(int(report.encoding), encoding);
        QCOMPARE(report.badSequences, qsizetype(bad));
        QCOMPARE(rows[0][1], name);
        QCOMPARE(rows[0][0], QStringLiteral("1"));
    }

    void readReportCountsLinesLeftOut() {
        QTemporaryDir dir;
        const QString name = dir.filePath("lang.txt");
        QFile f(name);
        QVERIFY(f.open(QIODevice::WriteOnly));
        f.write(QByteArray("1\tx\t\r\n").repeated(ProtocolMaxRows + 50001));
        f.close();
        TProtocolRows rows;
        TProtocolReadReport report;
        QVERIFY(ReadProtocolFile(name, &rows, nullptr, ProtocolColCount, report));
        QCOMPARE(rows.size(), ProtocolMaxRows);
        QCOMPARE(report.linesDropped, qsizetype(50001));
    }

    // Input that is no protocol at all still gives rows of 14 cells, quickly.
    void badInput_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rowCount");
        QByteArray binary(1 << 20, Qt::Uninitialized);
        QRandomGenerator gen(4711);
        for (char& c : binary)
            c = char(gen.bounded(256));
        QTest::newRow("binary") << binary << -1;
        QTest::newRow("NUL bytes") << QByteArray(100000, '\0') << 1;
        QTest::newRow("no line end") << QByteArray(4 << 20, 'x') << 1;
        QTest::newRow("10,000 fields") << QByteArray(10000, '\t').repeated(100) << 1;
        QTest::newRow("mixed separators")
            << QByteArray("a;b\tc;;\t\t;d\r;;;\t\n \t ;").repeated(20000) << 40001;
        QTest::newRow("only line ends")
            << QByteArray(ProtocolMaxRows + 1000, '\n') << int(ProtocolMaxRows);
    }
    void badInput() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rowCount);
        QElapsedTimer timer;
        timer.start();
        const TProtocolRows rows = ParseProtocolText(bytes);
        QVERIFY2(timer.elapsed() < 5000, "parsing took too long");
        if (rowCount >= 0) QCOMPARE(rows.size(), rowCount);
        for (const QStringList& row : rows)
            QCOMPARE(row.size(), ProtocolColCount);
    }

    void linesBeyondTheLimitAreCounted() {
        qsizetype dropped = -1;
        const TProtocolRows rows = ParseProtocolText(
            QByteArray("x\n").repeated(ProtocolMaxRows + 3), ProtocolColCount, &dropped);
        QCOMPARE(rows.size(), ProtocolMaxRows);
        QCOMPARE(dropped, 3);
    }

    void files() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath("protokoll.txt");
        const TProtocolRows rows = {Titles, Row({"1", "Jürg"})};
        QString error;
        QVERIFY2(WriteProtocolFile(name, rows, &error), qPrintable(error));
        TProtocolRows back;
        QVERIFY2(ReadProtocolFile(name, &back, &error), qPrintable(error));
        QCOMPARE(back.size(), 2);
        QCOMPARE(back[1][1], QStringLiteral("Jürg"));
        QCOMPARE(back[1][2], QStringLiteral(" "));

        QVERIFY(!ReadProtocolFile(dir.filePath("missing.txt"), &back, &error));
        QVERIFY(error.contains("missing.txt: kann nicht gelesen werden ("));
        QVERIFY(!ReadProtocolFile(dir.path(), &back, &error));
        QVERIFY(error.contains(dir.path()));
        QVERIFY(!ReadProtocolFile("/dev/zero", &back, &error)); // would never end
        QVERIFY(error.startsWith("/dev/zero: "));
    }
};

QTEST_MAIN(TestProtocolText)
#include "tst_protocoltext.moc"
