// The files a competition lives in: the protocol text in every encoding it meets, the HTML
// pages, the finals' companion, the exit copy, the durable write under all of them, and the
// fuzzers' corpora replayed.
#include "core/Competition.h"
#include "core/TimeFormat.h"
#include "FuzzProtocolText.h"
#include "FuzzXlsxRead.h"
#include "persist/BracketFile.h"
#include "persist/BracketHtml.h"
#include "persist/DurableFile.h"
#include "persist/ExitCopy.h"
#include "persist/FileTypes.h"
#include "persist/ProtocolHtml.h"
#include "persist/SafeFile.h"

#include <QElapsedTimer>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

#include <csignal>
#include <cstdlib>
#include <optional>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
QStringList Row(QStringList cells, int count = ProtocolColCount) {
    cells.resize(count);
    return cells;
}
const QStringList Titles = {"St.Nr.", "Name, Vorname", "Ort",   "Klasse", "Datum", "Turm1", "Turm2",
                            "Turm3",  "Turm4",         "Turm5", "Turm6",  "Zeit",  "Platz", "."};
const int U8 = int(TTextEncoding::Utf8), Repaired = int(TTextEncoding::Utf8Repaired),
          W1252 = int(TTextEncoding::EightBit), U16 = int(TTextEncoding::Utf16);

QByteArray Bytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<unreadable>");
}
bool Put(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
QStringList Files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::System, QDir::Name);
}

// Root writes any file; the modes bind everybody else, so such writes are made as nobody.
struct TAsNobody {
    const bool active = geteuid() == 0 && seteuid(65534) == 0;
    ~TAsNobody() {
        if (active && seteuid(0) != 0) std::abort();
    }
};

// A bracket of the given starters, entry i qualified i-th best; count heats run, lane A (the
// better seed) always faster.
TBracket Played(int starters, int maxSize, int count) {
    QVector<TBracket::TSeed> seeds;
    for (int i = 0; i < starters; ++i)
        seeds.push_back({i, 7000 + 100 * i});
    TBracket b = TBracket::Build(seeds, maxSize).value_or(TBracket());
    for (int i = 0; i < count && !b.Finished(); ++i)
        b.SetResult(b.CurrentHeat(), {TBracket::LaneTime, 6000, 6004},
                    {TBracket::LaneTime, 6500, {}});
    return b;
}
TBracketPage BracketPage(const QString& first = "Kletterer 1") {
    return {"TL-Veltaro",
            "Stadtcup",
            0,
            [first](int e) { return e ? QStringLiteral("Kletterer %1").arg(e + 1) : first; },
            {}};
}
THtmlPage ProtocolPage(const TProtocolRows& data) {
    // Two runs: Turm3..Turm6 and the entry number hidden.
    return {"Veltaro",
            "Stadtcup 2026",
            TProtocolRows{Titles} + data,
            {40, 180, 120, 50, 80, 87, 87, -1, -1, -1, -1, 87, 40, -1},
            2};
}

TBracketFileData Companion() {
    return {1,
            8,
            6,
            BracketRowsKey({{"1", "Meier"}}),
            Played(6, 8, 2).ToLines(),
            {{0, 0, 5004}, {3, 1, 6001}}};
}

// Six climbers qualified with two runs, the first runs stopped to the thousandth, in the
// finals by best run with its first heat decided.
TProtocolRows QualifiedRows(const QString& sixth = "Kletterer 6") {
    TProtocolRows rows{TCompetition::DefaultColumnTitles()};
    for (int i = 1; i <= 6; ++i)
        rows << Row({QString::number(i), i == 6 ? sixth : QStringLiteral("Kletterer %1").arg(i), "",
                     "", "", FormatTime(5000 + 100 * i, tfMinutes, ','),
                     FormatTime(5500 + 100 * i, tfMinutes, ',')});
    return rows;
}
void LoadQualified(TCompetition& c, const TProtocolRows& rows) {
    c.SetMode(TCompetition::IndividuellesKlettern);
    c.SetCountZabegov(2);
    QVERIFY(c.Load(rows));
}
} // namespace

class TestFiles : public QObject {
    Q_OBJECT
private slots:
    // --- protocol text -----------------------------------------------------------------------
    // Other programs read these files: TAB after every field, CR LF, a blank for an empty cell,
    // no TAB or line end inside a cell (it would shift the columns after it).
    void textFormat() {
        QCOMPARE(FormatProtocolText({Row(
                     {"12", "Meier", "", "A", "", "12,34", "DIS.", "", "", "", "", "", "", "1"})}),
                 QByteArray("12\tMeier\t \tA\t \t12,34\tDIS.\t \t \t \t \t \t \t1\t\r\n"));
        QCOMPARE(FormatProtocolText({{"  ", "a\tb", "c\r\nd"}}), QByteArray("  \ta b\tc  d\t\r\n"));
        QCOMPARE(FormatProtocolTextIn({{"Jürg ß €"}}, TCodePage::Windows1252),
                 QByteArray("J\xFCrg \xDF \x80\t\r\n"));
        QCOMPARE(FormatProtocolTextIn({{"Łukasz"}}, TCodePage::Windows1252),
                 QByteArray("\xEF\xBB\xBF\xC5\x81ukasz\t\r\n"));
    }

    // Written and read back cell for cell (an empty cell as one blank), as UTF-8 and in
    // Windows-1252 unless a name needs more: then UTF-8 with its mark, never a "?".
    void textRoundTrip_data() {
        QTest::addColumn<TProtocolRows>("rows");
        QTest::addColumn<int>("encoding"); // of the 8-bit write, as the reader finds it
        QTest::newRow("times, DIS., umlauts")
            << TProtocolRows{Titles,
                             Row({"12", "Meier, Hans", "Bern", "A", "", "12,34", "DIS.", "", "", "",
                                  "", "", "", "1"}),
                             Row({"7", "Müller-Lüdenscheid", "Zürich", "B", "2026-12-05", "1:02,50",
                                  "59,99", "", "", "", "", "2:02,49", "1", "2"})}
            << W1252;
        QTest::newRow("empty protocol") << TProtocolRows{Titles, Row({})} << U8;
        QTest::newRow("blanks, semicolons, quotes")
            << TProtocolRows{Row({"  3", "a;b", " x", ";", "é€ „5“ – Š"})} << W1252;
        QTest::newRow("U+FEFF first")
            << TProtocolRows{Row({QString(2, QChar(0xFEFF)) + "a", "b"})} << U8;
        QTest::newRow("Polish") << TProtocolRows{Titles, Row({"1", "Łukasz Żółć"})} << U8;
        QTest::newRow("Russian") << TProtocolRows{Titles, Row({"1", "Иванов Сергей"})} << U8;
        QTest::newRow("one character outside") << TProtocolRows{Row({"1", "Müller ő"})} << U8;
    }
    void textRoundTrip() {
        QFETCH(TProtocolRows, rows);
        QFETCH(int, encoding);
        TProtocolRows expected = rows;
        for (QStringList& row : expected)
            for (QString& cell : row)
                if (cell.isEmpty()) cell = QStringLiteral(" ");
        QCOMPARE(ParseProtocolText(FormatProtocolText(rows)), expected);
        const QByteArray eightBit = FormatProtocolTextIn(rows, TCodePage::Windows1252);
        QVERIFY(!eightBit.contains('?'));
        TProtocolReadReport report;
        QCOMPARE(ParseProtocolText(eightBit, ProtocolColCount, report, TCodePage::Windows1252),
                 expected);
        QCOMPARE(int(report.encoding), encoding);
    }

    void textReader_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<TProtocolRows>("rows");
        QTest::addColumn<int>("encoding");
        QTest::newRow("TAB beats semicolon")
            << QByteArray("a;b\tc\r\n") << TProtocolRows{Row({"a;b", "c"})} << U8;
        QTest::newRow("separator chosen per line")
            << QByteArray("a;b\r\nc\td;e\r\n") << TProtocolRows{Row({"a", "b"}), Row({"c", "d;e"})}
            << U8;
        QTest::newRow("blanks before a separator")
            << QByteArray("a  \t  b \tc  ") << TProtocolRows{Row({"a", "  b", "c  "})} << U8;
        QTest::newRow("empty and blank fields")
            << QByteArray("a\t\t  \tb\t") << TProtocolRows{Row({"a", " ", " ", "b"})} << U8;
        QTest::newRow("empty semicolon fields")
            << QByteArray("a;;b;   ") << TProtocolRows{Row({"a", " ", "b", " "})} << U8;
        QStringList twenty;
        for (int i = 0; i < 20; ++i)
            twenty << QString::number(i);
        QTest::newRow("more than 14 fields")
            << (twenty.join('\t') + '\t').toUtf8() << TProtocolRows{twenty.mid(0, 14)} << U8;
        QTest::newRow("CR LF, LF and CR")
            << QByteArray("a\nb\rc\r\nd")
            << TProtocolRows{Row({"a"}), Row({"b"}), Row({"c"}), Row({"d"})} << U8;
        QTest::newRow("empty lines, none after the last end")
            << QByteArray("\r\n\n\r") << TProtocolRows{Row({}), Row({}), Row({})} << U8;
        QTest::newRow("CR CR LF") << QByteArray("a\r\r\n") << TProtocolRows{Row({"a"}), Row({})}
                                  << U8;
        QTest::newRow("empty file") << QByteArray() << TProtocolRows{} << U8;
        QTest::newRow("byte order mark") << QByteArray("\xEF\xBB\xBFSt.Nr.;Name")
                                         << TProtocolRows{Row({"St.Nr.", "Name"})} << U8;
        QTest::newRow("U+FEFF inside the file is text")
            << QByteArray("a\t\xEF\xBB\xBF\xEF\xBB\xBF")
            << TProtocolRows{Row({"a", QString(2, QChar(0xFEFF))})} << U8;
        QTest::newRow("UTF-8 umlauts")
            << QByteArray("1\tJ\xC3\xBCrg M\xC3\xB6hr\t\xE2\x82\xAC\t\r\n")
            << TProtocolRows{Row({"1", "Jürg Möhr", "€"})} << U8;
        QTest::newRow("Windows-1252 umlauts")
            << QByteArray("1\tJ\xFCrg M\xF6hr\t\x80\x81\x9F\t\xDF\r\n")
            << TProtocolRows{Row({"1", "Jürg Möhr", QString::fromUtf16(u"€\u0081Ÿ"), "ß"})}
            << W1252;
        QTest::newRow("one bad byte in two makes the file Windows-1252")
            << QByteArray("\xC3\xBC\r\n\xFC") << TProtocolRows{Row({"Ã¼"}), Row({"ü"})} << W1252;
        QTest::newRow("UTF-8 with one stray byte")
            << QByteArray("1\tM\xC3\xBCller \xE9\t\r\n2\tJ\xC3\xBCrg\t\r\n")
            << TProtocolRows{Row({"1", QString::fromUtf16(u"Müller \uFFFD")}), Row({"2", "Jürg"})}
            << Repaired;
        QTest::newRow("UTF-8 with a mark and a cut sequence")
            << QByteArray("\xEF\xBB\xBF"
                          "1\tGr\xC3\xBC\xC3\x9F \xE2\x82\t\r\n")
            << TProtocolRows{Row({"1", QString::fromUtf16(u"Grüß \uFFFD\uFFFD")})} << Repaired;
        QTest::newRow("overlong form and surrogate are no UTF-8")
            << QByteArray("1\t\xC0\xAF\xED\xA0\x80\t\r\n")
            << TProtocolRows{Row({"1", DecodeWindows1252("\xC0\xAF\xED\xA0\x80", 5)})} << W1252;
        const QString unicode = QStringLiteral("\uFEFF1\tJürg\t\r\n2\tŁukasz");
        for (auto kind : {QStringConverter::Utf16LE, QStringConverter::Utf16BE})
            QTest::newRow(kind == QStringConverter::Utf16LE ? "UTF-16 LE" : "UTF-16 BE")
                << QByteArray(QStringEncoder(kind, QStringEncoder::Flag::WriteBom)(unicode))
                << TProtocolRows{Row({QStringLiteral("\uFEFF1"), "Jürg"}), Row({"2", "Łukasz"})}
                << U16;
        QTest::newRow("a field beyond the limit is cut")
            << QByteArray(ProtocolMaxFieldBytes + 5, 'x') + "\ty"
            << TProtocolRows{Row({QString(ProtocolMaxFieldBytes, 'x'), "y"})} << U8;
        QTest::newRow("and cut before a character, not inside")
            << QByteArray("\xC3\xBC").repeated(ProtocolMaxFieldBytes) + "\t"
            << TProtocolRows{Row({QString(ProtocolMaxFieldBytes / 2, QChar(0xFC))})} << U8;
    }
    void textReader() {
        QFETCH(QByteArray, bytes);
        QFETCH(TProtocolRows, rows);
        TProtocolReadReport report;
        QCOMPARE(ParseProtocolText(bytes, ProtocolColCount, report, TCodePage::Windows1252), rows);
        QTEST(int(report.encoding), "encoding");
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

    // Input that is no protocol still gives rows of 14 cells, at most 250,000, quickly.
    void textLimits_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<int>("rowCount"); // -1: any
        QTest::addColumn<int>("dropped");
        QByteArray binary(1 << 20, Qt::Uninitialized);
        QRandomGenerator gen(4711);
        for (char& c : binary)
            c = char(gen.bounded(256));
        QTest::newRow("binary") << binary << -1 << 0;
        QTest::newRow("NUL bytes") << QByteArray(100000, '\0') << 1 << 0;
        QTest::newRow("no line end") << QByteArray(4 << 20, 'x') << 1 << 0;
        QTest::newRow("10,000 fields") << QByteArray(10000, '\t').repeated(100) << 1 << 0;
        QTest::newRow("mixed separators")
            << QByteArray("a;b\tc;;\t\t;d\r;;;\t\n \t ;").repeated(20000) << 40001 << 0;
        QTest::newRow("lines beyond the limit")
            << QByteArray("1\tx\t\r\n").repeated(ProtocolMaxRows + 3) << int(ProtocolMaxRows) << 3;
    }
    void textLimits() {
        QFETCH(QByteArray, bytes);
        QFETCH(int, rowCount);
        QElapsedTimer timer;
        timer.start();
        TProtocolReadReport report;
        const TProtocolRows rows = ParseProtocolText(bytes, ProtocolColCount, report);
        QVERIFY2(timer.elapsed() < 5000, "parsing took too long");
        if (rowCount >= 0) QCOMPARE(rows.size(), rowCount);
        QTEST(int(report.linesDropped), "dropped");
        for (const QStringList& row : rows)
            QCOMPARE(row.size(), ProtocolColCount);
    }

    // A file that is no protocol is refused before anything is taken from it: its garbage
    // would go on into the exit copy, the journal and every export.
    void textFiles_data() {
        QTest::addColumn<QString>("kind"); // what stands under the name
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refused"); // empty: read
        QTest::addColumn<int>("rows");
        QTest::addColumn<int>("dropped");
        QTest::newRow("written by the program") << "written" << QByteArray() << "" << 2 << 0;
        QTest::newRow("50,001 lines too many")
            << "file" << QByteArray("1\tx\t\r\n").repeated(ProtocolMaxRows + 50001) << ""
            << int(ProtocolMaxRows) << 50001;
        QTest::newRow("NUL byte") << "file" << QByteArray("1\tx\0\t\r\n", 7) << "NUL-Bytes" << 0
                                  << 0;
        QTest::newRow("UTF-16 without its mark")
            << "file" << QByteArray("1\0\t\0x\0\r\0\n\0", 10) << "NUL-Bytes" << 0 << 0;
        QTest::newRow("no field anywhere") << "file" << QByteArray("a log line\r\nanother\r\n")
                                           << "keine Zeile mit Feldern" << 0 << 0;
        QTest::newRow("missing") << "missing" << QByteArray() << "kann nicht gelesen werden (" << 0
                                 << 0;
        QTest::newRow("a folder") << "folder" << QByteArray() << "keine gewöhnliche Datei" << 0
                                  << 0;
        QTest::newRow("a pipe") << "fifo" << QByteArray() << "keine gewöhnliche Datei" << 0 << 0;
        QTest::newRow("a device that never ends")
            << "/dev/zero" << QByteArray() << "keine gewöhnliche Datei" << 0 << 0;
        QTest::newRow("larger than 512 MB") << "huge" << QByteArray() << "zu groß" << 0 << 0;
    }
    void textFiles() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refused);
        QTemporaryDir dir;
        QString name = dir.filePath("p.txt");
        if (kind == "written")
            QVERIFY(WriteProtocolFile(name, {Titles, Row({"1", "Jürg"})}, nullptr));
        if (kind == "file") QVERIFY(Put(name, bytes));
        if (kind == "folder") QVERIFY(QDir().mkdir(name));
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(name).constData(), 0600), 0);
        if (kind == "huge") QVERIFY(Put(name, "") && QFile::resize(name, ProtocolMaxFileBytes + 1));
        if (kind.startsWith('/')) name = kind;
        TProtocolRows rows{{"untouched"}};
        QString error;
        TProtocolReadReport report;
        const bool read = ReadProtocolFile(name, &rows, &error, ProtocolColCount, report);
        QVERIFY2(read == refused.isEmpty(), qPrintable(error));
        if (!read) {
            QVERIFY2(error.startsWith(name + ": ") && error.contains(refused), qPrintable(error));
            QCOMPARE(rows, TProtocolRows{{"untouched"}});
            return;
        }
        QTEST(int(rows.size()), "rows");
        QTEST(int(report.linesDropped), "dropped");
        QCOMPARE(rows[1].mid(0, 2), QStringList({"1", kind == "written" ? "Jürg" : "x"}));
    }

    // --- HTML pages -------------------------------------------------------------------------
    // The shown columns only, each time under its title, the result and the place in bold.
    void protocolPage_data() {
        QTest::addColumn<TProtocolRows>("data");
        QTest::addColumn<QString>("body");
        QTest::newRow("two runs")
            << TProtocolRows{{"12", "Meier, Hans", "Bern", "A", "", "12,34", "13,01", "", "", "",
                              "", "25,35", "1", "2"},
                             {"7", "Jürg", " ", "B", "", "DIS.", "", "", "", "", "", "", "", "1"}}
            << "<tr><td>12<td>Meier, Hans<td>Bern<td>A<td>&nbsp;<td>12,34<td>13,01<td><B>25,35"
               "<td><B>1</tr>\r\n<tr><td>7<td>Jürg<td> <td>B<td>&nbsp;<td>DIS.<td>&nbsp;"
               "<td><B>&nbsp;<td><B>&nbsp;</tr>\r\n</table>";
        QTest::newRow("empty protocol")
            << TProtocolRows{QStringList(14)}
            << "</tr></thead>\r\n<tr><td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;"
               "<td>&nbsp;<td>&nbsp;<td><B>&nbsp;<td><B>&nbsp;</tr>\r\n</table>";
    }
    void protocolPage() {
        QFETCH(TProtocolRows, data);
        QFETCH(QString, body);
        const QString html = ProtocolHtml(ProtocolPage(data));
        QVERIFY2(html.contains(body), qPrintable(html));
        static const QRegularExpression th("<th nowrap><Center>([^<]*)</th>");
        QStringList titles;
        for (auto it = th.globalMatch(html); it.hasNext();)
            titles << it.next().captured(1);
        QCOMPARE(titles.join('|'), "St.Nr.|Name, Vorname|Ort|Klasse|Datum|Turm1|Turm2|Zeit|Platz");
    }

    // Every text from the protocol is escaped; the page is written as the UTF-8 it declares.
    void htmlPages_data() {
        QTest::addColumn<bool>("bracket");
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("escaped");
        QTest::addColumn<int>("count"); // title, heading, then where the name stands
        const QString script = "<script>alert(1)</script>",
                      scriptEscaped = "&lt;script&gt;alert(1)&lt;/script&gt;",
                      quotes = "\"><b a=\"x\">Huber & Co",
                      quotesEscaped = "&quot;&gt;&lt;b a=&quot;x&quot;&gt;Huber &amp; Co",
                      names = "Jürgen Weiß Иван \U0001F9D7";
        for (bool bracket : {false, true}) {
            const char* page = bracket ? "bracket" : "protocol";
            // The bracket names its first seed in the first round, the final and the places.
            const int count = bracket ? 5 : 4;
            QTest::addRow("%s: script", page) << bracket << script << scriptEscaped << count;
            QTest::addRow("%s: quotes", page) << bracket << quotes << quotesEscaped << count;
            QTest::addRow("%s: umlauts", page) << bracket << names << names << count;
        }
    }
    void htmlPages() {
        QFETCH(bool, bracket);
        QFETCH(QString, raw);
        QFETCH(QString, escaped);
        QTemporaryDir dir;
        const QString file = dir.filePath("p.html"), blocked = dir.filePath("blocked.html");
        QVERIFY(QDir().mkdir(blocked));
        const TBracket b = Played(4, 4, 4);
        TBracketPage bracketPage = BracketPage(raw);
        bracketPage.CompetitionTitle = raw;
        THtmlPage page = ProtocolPage({{"1", raw, "Ort"}});
        page.CompetitionTitle = raw;
        page.rows[0][2] = raw;
        const auto write = [&](const QString& name, QString* error) {
            return bracket ? WriteBracketHtml(name, b, bracketPage, error)
                           : WriteProtocolHtml(name, page, error);
        };
        const QString html = bracket ? BracketHtml(b, bracketPage) : ProtocolHtml(page);
        if (raw != escaped) QVERIFY(!html.contains(raw));
        QTEST(int(html.count(escaped)), "count");
        QString error;
        QVERIFY2(write(file, &error), qPrintable(error));
        const QByteArray bytes = Bytes(file);
        QCOMPARE(bytes, html.toUtf8());
        QVERIFY(bytes.contains(bracket ? "<meta charset=\"UTF-8\">" : "charset=UTF-8\">"));
        QVERIFY(!write(blocked, &error));
        QVERIFY2(error.startsWith(blocked + ": ") && error.size() > blocked.size() + 2,
                 qPrintable(error));
        QCOMPARE(Files(dir.path()), QStringList{"p.html"});
    }

    // The bracket's places, or the competition's when given (place 0: still racing, left out).
    void bracketPagePlaces_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<int>("heats"); // run before the page is made
        QTest::addColumn<bool>("competition");
        QTest::addColumn<QString>("places");
        QTest::newRow("4 decided")
            << 4 << 4 << false << "1:Kletterer 1, 2:Kletterer 2, 3:Kletterer 3, 4:Kletterer 4";
        QTest::newRow("6 in 8, quarter-finals decided")
            << 6 << 2 << false << "5:Kletterer 5, 6:Kletterer 6";
        QTest::newRow("nothing run") << 8 << 0 << false << "";
        QTest::newRow("the competition's") << 4 << 4 << true
                                           << "1:Kletterer 1, 2:Kletterer 3, 3:Kletterer 2, "
                                              "4:Kletterer 4, 5:Kletterer 8, 6:Kletterer 7";
    }
    void bracketPagePlaces() {
        QFETCH(int, starters);
        QFETCH(int, heats);
        QFETCH(bool, competition);
        TBracketPage page = BracketPage();
        if (competition) page.Places = {{0, 1}, {2, 2}, {1, 3}, {3, 4}, {7, 5}, {5, 0}, {6, 6}};
        const QString html = BracketHtml(Played(starters, 8, heats), page);
        static const QRegularExpression row(
            "<tr><td class=\"seed\">(\\d+)</td><td class=\"name\">([^<]*)</td></tr>");
        QStringList places;
        for (auto it = row.globalMatch(html, std::max(0, int(html.indexOf("class=\"places\""))));
             it.hasNext();) {
            const auto m = it.next();
            places << m.captured(1) + ':' + m.captured(2);
        }
        QTEST(places.join(", "), "places");
        QCOMPARE(html.contains("Noch keine Plätze entschieden."), heats == 0);
    }

    // --- the finals' companion ----------------------------------------------------------------
    void companionName_data() {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("companion");
        QTest::newRow("the text type") << "/a/heat1.txt" << QString("/a/heat1.ko");
        QTest::newRow("in capitals") << "/a/HEAT1.TXT" << QString("/a/HEAT1.ko");
        QTest::newRow("no extension") << "/a/heat1" << QString("/a/heat1.ko");
        QTest::newRow("another extension") << "/a/heat1.csv" << QString("/a/heat1.csv.ko");
        QTest::newRow(".txt not at the end") << "/a/h.txt.bak" << QString("/a/h.txt.bak.ko");
        QTest::newRow("a dotted folder") << "/a.txt/heat1" << QString("/a.txt/heat1.ko");
    }
    void companionName() {
        QFETCH(QString, protocol);
        QTEST(BracketFileName(protocol), "companion");
    }

    // A companion is taken whole or not at all: anything but a complete file of version 1 is
    // refused with a reason.
    void companionParse_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refused"); // empty: read back equal
        const QByteArray good = FormatBracketFile(Companion());
        QTest::newRow("as written") << good << "";
        QTest::newRow("CR LF") << QByteArray(good).replace("\n", "\r\n") << "";
        QTest::newRow("byte order mark") << "\xEF\xBB\xBF" + good << "";
        QTest::newRow("another version")
            << QByteArray(good).replace("KO 1", "KO 2") << "Version 2 wird nicht";
        QTest::newRow("no companion") << QByteArray("St.Nr.\tName\t\r\n") << "keine K.-o.-Datei";
        QTest::newRow("not UTF-8") << QByteArray(good).replace("Exact", "\xFF\xFE") << "kein UTF-8";
        QTest::newRow("a record after the end") << good + "Exact=1 1 5000\n"
                                                << "ungültig";
        QTest::newRow("a record lost")
            << QByteArray(good).replace("Exact=0 0 5004\n", "") << "ungültig";
        TBracketFileData bad = Companion();
        bad.Exact = {{0, 6, 5000}};
        QTest::newRow("a seventh run") << FormatBracketFile(bad) << "ungültig";
        bad = Companion();
        bad.BracketSize = 12;
        QTest::newRow("size 12") << FormatBracketFile(bad) << "ungültig";
        bad = Companion();
        bad.Bracket[1] = "Seed x";
        QTest::newRow("a broken bracket") << FormatBracketFile(bad) << "beschädigt";
    }
    void companionParse() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refused);
        QString reason;
        const auto data = ParseBracketFile(bytes, &reason);
        QVERIFY2(data.has_value() == refused.isEmpty(), qPrintable(reason));
        if (data) QCOMPARE(*data, Companion());
        if (!data) QVERIFY2(reason.contains(refused), qPrintable(reason));
    }

    void companionCutAnywhere() {
        const QByteArray good = FormatBracketFile(Companion());
        // Only the last line break may go: everything else cut is an incomplete file.
        for (qsizetype n = 0; n < good.size() - 1; ++n)
            QVERIFY2(!ParseBracketFile(good.left(n), nullptr), qPrintable(QString::number(n)));
    }

    // Reading never waits on what is no file, nor takes a huge one; a missing companion is no
    // fault (nothing to say); written with no data, an old companion goes.
    void companionOnDisk_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QString>("reason"); // empty: none
        QTest::addColumn<bool>("read");
        QTest::newRow("written") << "written"
                                 << "" << true;
        QTest::newRow("written without data") << "removed"
                                              << "" << false;
        QTest::newRow("missing") << "missing"
                                 << "" << false;
        QTest::newRow("a folder") << "folder"
                                  << "keine gewöhnliche Datei" << false;
        QTest::newRow("a pipe") << "fifo"
                                << "keine gewöhnliche Datei" << false;
        QTest::newRow("oversized") << "huge"
                                   << "zu groß" << false;
    }
    void companionOnDisk() {
        QFETCH(QString, kind);
        QFETCH(QString, reason);
        QFETCH(bool, read);
        QTemporaryDir dir;
        const QString protocol = dir.filePath("heat1.txt"), name = BracketFileName(protocol);
        QString error;
        if (kind == "written" || kind == "removed")
            QVERIFY2(UpdateBracketFile(protocol, Companion(), &error), qPrintable(error));
        if (kind == "removed") QVERIFY2(UpdateBracketFile(protocol, {}, &error), qPrintable(error));
        if (kind == "folder") QVERIFY(QDir().mkpath(name));
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(name).constData(), 0600), 0);
        if (kind == "huge") QVERIFY(Put(name, "") && QFile::resize(name, BracketFileMaxBytes + 1));
        QString said;
        const auto data = ReadBracketFile(name, &said);
        QCOMPARE(data.has_value(), read);
        if (data) QCOMPARE(*data, Companion());
        QVERIFY2(reason.isEmpty() ? said.isEmpty() : said.contains(reason), qPrintable(said));
    }

    // Put into the competition loaded from its protocol: all of it, or, when it does not fit,
    // nothing at all (ranking rule, bracket size, thousandths, bracket as they were).
    void companionRestore_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("refused"); // empty: restored
        QTest::newRow("fits") << ""
                              << "";
        QTest::newRow("other rows") << "rows"
                                    << "anderen Teilnehmerzeilen";
        QTest::newRow("thousandths off their cell") << "exact"
                                                    << "Tausendstel passen nicht";
        QTest::newRow("a seed the protocol lacks") << "seed"
                                                   << "Teilnehmer, die das Protokoll";
    }
    void companionRestore() {
        QFETCH(QString, fault);
        QFETCH(QString, refused);
        TCompetition c;
        LoadQualified(c, QualifiedRows());
        for (int e = 0; e < 6; ++e)
            QVERIFY(c.SetExactMs(e, 0, 5000 + 100 * (e + 1) + 3));
        c.SetRankingRule(TCompetition::RankByBest);
        c.SetBracketSize(8);
        c.Recompute();
        QVERIFY(c.SetMode(TCompetition::FinaleKo));
        c.SetHeatRunning(true);
        QVERIFY(c.RecordTime(0, FormatTime(6004, tfMinutes, ','), 6004));
        QVERIFY(c.RecordTime(1, FormatTime(6500, tfMinutes, ','), 6500));
        c.SetHeatRunning(false);
        c.ResetLastCells();
        c.Advance();
        QString note;
        const auto written = BracketFileData(c, TCompetition::ForSave, &note);
        QVERIFY2(written && note.isEmpty(), qPrintable(note));
        auto data = ParseBracketFile(FormatBracketFile(*written), nullptr);
        QVERIFY(data);
        if (fault == "exact") data->Exact[0].Ms += 40;
        if (fault == "seed")
            for (QString& line : data->Bracket)
                if (line.startsWith("Seed "))
                    line = line.section(' ', 0, 1) + " 99 " + line.section(' ', 3);

        TCompetition d;
        TProtocolRows rows = c.Rows(TCompetition::ForSave);
        if (fault == "rows") rows[6][Col::Name] = "Kletterin 6";
        LoadQualified(d, rows);
        const QString reason = RestoreBracketFile(d, *data);
        QVERIFY2(reason.isEmpty() == refused.isEmpty() && reason.contains(refused),
                 qPrintable(reason));
        QCOMPARE(d.RankingRule(), refused.isEmpty() ? 1 : 0);
        QCOMPARE(d.BracketSize(), refused.isEmpty() ? 8 : 16);
        QCOMPARE(d.BracketLines(), refused.isEmpty() ? c.BracketLines() : QStringList());
        QCOMPARE(d.ExactRuns(), refused.isEmpty() ? c.ExactRuns() : QVector<TExactRun>());
    }

    // --- the exit copy and the names the dialogs give -----------------------------------------
    void exitCopyNames_data() {
        QTest::addColumn<QString>("program");
        QTest::addColumn<QString>("data");
        QTest::addColumn<QStringList>("names");
        QTest::newRow("installed")
            << "/usr/bin/veltaro"
            << "/home/op/.local/share/T"
            << QStringList{"/usr/bin/veltaro.txt", "/home/op/.local/share/T/veltaro.txt"};
        QTest::newRow("extension replaced")
            << "/opt/v/timer.exe"
            << "/d" << QStringList{"/opt/v/timer.txt", "/d/timer.txt"};
        QTest::newRow("no data folder") << "/opt/v/veltaro"
                                        << "" << QStringList{"/opt/v/veltaro.txt"};
    }
    void exitCopyNames() {
        QFETCH(QString, program);
        QFETCH(QString, data);
        QTEST(ExitCopyCandidates(program, data), "names");
    }

    // The copy goes to the first place that takes it; the data folder is made when needed.
    void exitCopyPlace_data() {
        QTest::addColumn<QString>("programFolder"); // relative to a temporary folder
        QTest::addColumn<int>("written");           // 0 beside the program, 1 data, -1 none
        QTest::addColumn<bool>("dataBlocked");
        QTest::newRow("program folder writable") << "bin" << 0 << false;
        QTest::newRow("a file in the way") << "file/bin" << 1 << false;
        QTest::newRow("folder missing and blocked") << "file/deeper/bin" << 1 << false;
        QTest::newRow("nowhere") << "file/bin" << -1 << true;
    }
    void exitCopyPlace() {
        QFETCH(QString, programFolder);
        QFETCH(int, written);
        QFETCH(bool, dataBlocked);
        QTemporaryDir dir;
        QDir(dir.path()).mkpath("bin");
        QVERIFY(Put(dir.filePath("file"), ""));
        const QString data = dir.filePath(dataBlocked ? "file/data" : "new/data");
        const QStringList names =
            ExitCopyCandidates(dir.filePath(programFolder + "/veltaro"), data);
        const QString expected = written < 0 ? QString() : names[written];
        const TProtocolRows rows{Titles, Row({"7", "Keller, Lea", "", "", "", "12,34"})};
        QCOMPARE(ExitCopyTarget(names), expected);
        QCOMPARE(WriteExitCopy(names, rows), expected);
        TProtocolRows back;
        if (written < 0) return;
        QVERIFY(ReadProtocolFile(expected, &back, nullptr));
        QCOMPARE(back[1].mid(0, 6), QStringList({"7", "Keller, Lea", " ", " ", " ", "12,34"}));
    }

    void typeExtension_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("filter");
        QTest::addColumn<QString>("result");
        QTest::newRow("added") << "/p/2026-12-05 Lauf"
                               << "Textdatei (*.txt *.csv)"
                               << "/p/2026-12-05 Lauf.txt";
        QTest::newRow("has one") << "/p/Lauf.txt"
                                 << "Webseite (*.html)"
                                 << "/p/Lauf.txt";
        QTest::newRow("dot in the folder only") << "/p.d/Lauf"
                                                << "Webseite (*.html)"
                                                << "/p.d/Lauf.html";
        QTest::newRow("no extension in the filter") << "/p/Lauf"
                                                    << "Alle Dateien (*)"
                                                    << "/p/Lauf";
    }
    void typeExtension() {
        QFETCH(QString, name);
        QFETCH(QString, filter);
        QTEST(WithTypeExtension(name, filter), "result");
    }

    // --- the durable write ------------------------------------------------------------------
    // However the write fails, the old file stays whole, no part file is left (but the trace
    // of a killed writer), and the reason names the file.
    void failedWriteKeepsTheOldFile_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("reason"); // errno the message must give; 0: any
        QTest::newRow("killed half way") << "half" << 0;
        QTest::newRow("killed before the rename") << "rename" << 0;
        QTest::newRow("file size limit") << "fsize" << 0;
        QTest::newRow("a full disk") << "full" << ENOSPC;
        QTest::newRow("read-only folder") << "rofolder" << EACCES;
        QTest::newRow("write-protected file") << "rofile" << EACCES;
        QTest::newRow("link to a write-protected file") << "rolink" << EACCES;
    }
    void failedWriteKeepsTheOldFile() {
        QFETCH(QString, how);
        QFETCH(int, reason);
        QTemporaryDir dir;
        QString folder = dir.path();
        if (how == "full") {
            folder = dir.filePath("small");
            QVERIFY(QDir().mkdir(folder));
            if (::mount("tmpfs", QFile::encodeName(folder).constData(), "tmpfs", 0, "size=64k"))
                QSKIP("cannot mount a small file system here");
        }
        const QString real = folder + "/p.txt", name = how == "rolink" ? folder + "/l.txt" : real;
        QVERIFY(WriteFileDurably(real, "old contents", nullptr));
        if (how == "rolink") QVERIFY(QFile::link("p.txt", name));
        QCOMPARE(::chmod(QFile::encodeName(folder).constData(), how == "rofolder" ? 0555 : 0777),
                 0);
        if (how.startsWith("ro"))
            QCOMPARE(::chmod(QFile::encodeName(real).constData(), how == "rofolder" ? 0666 : 0444),
                     0);
        const auto oldHandler = std::signal(SIGXFSZ, SIG_IGN);
        rlimit saved{};
        QCOMPARE(getrlimit(RLIMIT_FSIZE, &saved), 0);
        rlimit small = saved;
        small.rlim_cur = how == "fsize" ? 4096 : saved.rlim_cur;
        QCOMPARE(setrlimit(RLIMIT_FSIZE, &small), 0);
        const TWriteStop stop = how == "half"     ? TWriteStop::HalfWritten
                                : how == "rename" ? TWriteStop::BeforeRename
                                                  : TWriteStop::Never;
        QString error;
        bool written = false;
        {
            std::optional<TAsNobody> nobody;
            if (how.startsWith("ro")) nobody.emplace();
            written = WriteFileDurably(name, QByteArray(1 << 20, 'n'), &error, stop);
        }
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
        const QByteArray after = Bytes(real);
        const QStringList left = Files(folder);
        if (how == "full") ::umount(QFile::encodeName(folder).constData());
        QVERIFY(!written);
        QCOMPARE(after, QByteArray("old contents"));
        if (reason)
            QCOMPARE(error,
                     name + ": kann nicht geschrieben werden (" + qt_error_string(reason) + ")");
        if (stop == TWriteStop::Never) {
            QVERIFY2(error.startsWith(name + ": ") && error.size() > name.size() + 2,
                     qPrintable(error));
            QCOMPARE(left.size(), how == "rolink" ? 2 : 1);
            return;
        }
        // A killed writer leaves its part file, which the next write clears away.
        QCOMPARE(left.size(), 2);
        QVERIFY((folder + '/' + left.value(1)).startsWith(DurableTempPrefix(name)));
        QVERIFY(WriteFileDurably(name, "new", nullptr));
        QCOMPARE(Bytes(name), QByteArray("new"));
        QCOMPARE(Files(folder), QStringList{"p.txt"});
    }

    // A save writes where an ordinary write would: through a link into the file it names.
    void successfulWrite_data() {
        QTest::addColumn<bool>("link");     // the name is a link to real.txt
        QTest::addColumn<bool>("existing"); // real.txt is there before, mode 0640
        QTest::newRow("a new file") << false << false;
        QTest::newRow("replacing keeps the mode") << false << true;
        QTest::newRow("link to a file") << true << true;
        QTest::newRow("link to no file yet") << true << false;
    }
    void successfulWrite() {
        QFETCH(bool, link);
        QFETCH(bool, existing);
        QTemporaryDir dir;
        const QString real = dir.filePath("real.txt"), name = link ? dir.filePath("p.txt") : real;
        if (existing) QVERIFY(WriteFileSafely(real, "old", nullptr));
        if (existing) QCOMPARE(::chmod(QFile::encodeName(real).constData(), 0640), 0);
        if (link) QVERIFY(QFile::link("real.txt", name));
        QString error;
        QVERIFY2(WriteFileSafely(name, "new", &error), qPrintable(error));
        QCOMPARE(Bytes(real), QByteArray("new"));
        QCOMPARE(QFileInfo(name).isSymLink(), link);
        QCOMPARE(Files(dir.path()).size(), link ? 2 : 1);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
        if (existing) QCOMPARE(st.st_mode & 07777, mode_t(0640));
    }

    void refusedNames_data() {
        QTest::addColumn<QString>("name"); // relative to a temporary folder
        QTest::newRow("a folder") << ".";
        QTest::newRow("no folder") << "no/such/folder/p.txt";
    }
    void refusedNames() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString path = QDir::cleanPath(dir.filePath(name));
        QString error;
        QVERIFY(!WriteFileSafely(path, "x", &error));
        QVERIFY2(error.startsWith(path + ": "), qPrintable(error));
        QVERIFY(QFileInfo(dir.path()).isDir());
        QVERIFY(!WriteFileSafely(QString(), "x", &error));
    }

    // What killed writes left is removed by the next write into the folder, but only where
    // the writer is gone: never another running program's file, never a file of another name.
    void stalePartFiles_data() {
        QTest::addColumn<QString>("left");
        QTest::addColumn<bool>("removed");
        const pid_t gone = fork();
        if (gone == 0) _exit(0);
        waitpid(gone, nullptr, 0);
        QTest::newRow("writer gone") << QString("p.txt.part-%1-3").arg(gone) << true;
        QTest::newRow("another file's") << QString("q.txt.part-%1-0").arg(gone) << true;
        QTest::newRow("writer running") << QString("p.txt.part-%1-3").arg(getppid()) << false;
        QTest::newRow("another pattern") << QString("p.txt.part-%1-3.bak").arg(gone) << false;
        QTest::newRow("no number") << QString("p.txt.part-x-3") << false;
    }
    void stalePartFiles() {
        QFETCH(QString, left);
        QTemporaryDir dir;
        QVERIFY(Put(dir.filePath(left), "half"));
        QVERIFY(WriteFileSafely(dir.filePath("p.txt"), "new", nullptr));
        QTEST(!QFileInfo::exists(dir.filePath(left)), "removed");
    }

    // --- every input the fuzzers kept or failed on ---------------------------------------------
    void fuzzCorpus_data() {
        QTest::addColumn<QString>("path");
        for (const char* corpus : {"fuzz_corpus", "fuzz_xlsx_corpus"}) {
            const QDir dir(QStringLiteral(VELTARO_TEST_SOURCE_DIR "/persist/") + corpus);
            const QFileInfoList files = dir.entryInfoList(QDir::Files, QDir::Name);
            QVERIFY2(files.size() >= 5, qPrintable("corpus missing in " + dir.path()));
            for (const QFileInfo& file : files)
                QTest::addRow("%s/%s", corpus, qPrintable(file.fileName()))
                    << file.absoluteFilePath();
        }
    }
    void fuzzCorpus() {
        QFETCH(QString, path);
        const QByteArray bytes = Bytes(path);
        const QString failure = path.contains("/fuzz_xlsx_corpus/")
                                    ? FuzzXlsxReadOne(bytes.constData(), size_t(bytes.size()))
                                    : FuzzProtocolTextOne(bytes.constData(), size_t(bytes.size()));
        QVERIFY2(failure.isEmpty(), qPrintable(failure));
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
