// The files a competition lives in: the protocol text in every encoding it meets, the HTML
// pages, the finals' companion, the exit copy, the durable write under all of them, the
// fuzzers' corpora replayed, and the protocol in an office suite's files through our stand-in
// servers (read back by an independent reader, Python's openpyxl and python-docx, and by our
// own import; workbooks written by openpyxl imported; bad files refused).
#include "core/Competition.h"
#include "core/TimeFormat.h"
#include "FuzzProtocolText.h"
#include "FuzzXlsxRead.h"
#include "persist/BracketFile.h"
#include "persist/BracketHtml.h"
#include "persist/DurableFile.h"
#include "persist/ExitCopy.h"
#include "persist/OfficeExport.h"
#include "persist/OfficeStandIn.h"
#include "persist/ProtocolHtml.h"
#include "persist/SafeFile.h"
#include "persist/StartListImport.h"
#include "persist/Workbook.h"
#include "persist/ZipArchive.h"
#include "PersistSupport.h"

#include <csignal>
#include <cstdlib>
#include <optional>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRandomGenerator>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {
const int U8 = int(TTextEncoding::Utf8), Fixed = int(TTextEncoding::Utf8Repaired),
          W1252 = int(TTextEncoding::EightBit), U16 = int(TTextEncoding::Utf16);

QStringList Files(const QString& folder) {
    return QDir(folder).entryList(QDir::Files | QDir::System, QDir::Name);
}
// A row of a table of what stands under a name: its kind, its bytes, the refusal's words.
void KindRow(const char* tag, const char* kind, const QByteArray& bytes, const char* refused) {
    QTest::newRow(tag) << S(kind) << bytes << S(refused);
}
// Makes the bytes' file, a pipe or a file beyond a size limit stand under the name.
bool Make(const QString& kind, const QString& name, qint64 limit, const QByteArray& bytes = {}) {
    if (kind == "file") return Put(name, bytes);
    if (kind == "fifo") return mkfifo(QFile::encodeName(name).constData(), 0600) == 0;
    return kind != "huge" || (Put(name, "") && QFile::resize(name, limit + 1));
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
    const auto name = [first](int e) {
        return e ? QStringLiteral("Kletterer %1").arg(e + 1) : first;
    };
    return {"TL-Veltaro", "Stadtcup", 0, name, QVector<std::pair<int, int>>()};
}
THtmlPage ProtocolPage(const QString& data) {
    // Two runs: Turm3..Turm6 and the entry number hidden.
    const QVector<int> widths = {40, 180, 120, 50, 80, 87, 87, -1, -1, -1, -1, 87, 40, -1};
    return {"Veltaro", "Stadtcup 2026", Rows(Titles + '\n' + data), widths, 2};
}
TBracketFileData Companion() {
    const QVector<TExactRun> exact = {{0, 0, 5004}, {3, 1, 6001}};
    const QString key = BracketRowsKey({{"1", "Meier"}});
    return {1, 8, 6, key, Played(6, 8, 2).ToLines(), exact};
}
// Six climbers qualified with two runs, climber i in 5,i0 and 6,i0 s.
void LoadQualified(TCompetition& c, const QString& sixth = "Kletterer 6") {
    QString text = Titles;
    for (int i = 1; i <= 6; ++i)
        text += QStringLiteral("\n%1|%2||||0:05,%3|0:06,%3")
                    .arg(i)
                    .arg(i == 6 ? sixth : QStringLiteral("Kletterer %1").arg(i))
                    .arg(i * 10);
    c.SetMode(TCompetition::IndividuellesKlettern);
    c.SetCountZabegov(2);
    QVERIFY(c.Load(Rows(text)));
}

// Runs a Python script after "import json, sys, <module>" and gives what it printed as JSON;
// null when Python or the module cannot be had (the caller skips), the error text when the
// script failed.
QJsonValue Python(const char* module, const char* script, const QStringList& args) {
    // Debian's, where python3-openpyxl and python3-docx are; one earlier on the path may lack them.
    QProcess p;
    p.start(QFileInfo::exists("/usr/bin/python3") ? "/usr/bin/python3" : "python3",
            QStringList{"-c", QStringLiteral("import json, sys, %1\n%2").arg(module, script)} +
                args);
    if (!p.waitForFinished(120000)) return QStringLiteral("timed out");
    const QByteArray err = p.readAllStandardError();
    if (p.exitCode() != 0 || p.exitStatus() != QProcess::NormalExit)
        return p.error() == QProcess::FailedToStart || err.contains("No module named")
                   ? QJsonValue()
                   : QJsonValue(QString::fromUtf8(err));
    return QJsonDocument::fromJson("[" + p.readAllStandardOutput() + "]").array().at(0);
}
#define PYTHON(var, module, script, ...)                                                           \
    const QJsonValue var = Python(module, script, {__VA_ARGS__});                                  \
    if (var.isNull()) QSKIP("Python with " module " is missing (Debian python3-" module ")");

// Rows of cells as "a|b" lines, numbers as their shortest text, nothing as "".
QString Text(const QJsonValue& v) {
    if (v.isArray()) {
        QStringList parts;
        for (const QJsonValue& item : v.toArray())
            parts << Text(item);
        return parts.join(v.toArray().at(0).isArray() ? '\n' : '|');
    }
    return v.isDouble() ? QString::number(v.toDouble()) : v.toVariant().toString();
}

// The awkward cells: a time, DIS., an empty run, a long name, umlauts.
const QString Edge = Titles + "\n12|Meier, Hans|Ötztal|A||12,34|DIS.||||||1|1\n"
                              "7|Wolfeschlegelsteinhausen-Bergerdorff, Maximilian|München|B|"
                              "05.12.2026|1:02,50|0,50|||||1:03,00|2|2";

TOfficeTable Table(const TProtocolRows& rows, const QVector<int>& widths = {}) {
    return {"TL-Veltaro", "Stadtmeisterschaft", rows, widths};
}
// What the workbook holds: every column but the entry number, the times of the data rows in
// one form.
QString InWorkbook(TProtocolRows rows) {
    for (qsizetype r = 0; r < rows.size(); ++r) {
        rows[r].removeLast();
        for (int c = OfficeFirstTimeCol; r > 0 && c <= OfficeLastTimeCol; ++c) {
            const QString t = PadTime(rows[r][c]);
            // A time as its seconds, the way a sum or a sort in the spreadsheet sees it.
            const int ms = t.size() == 8 && t[2] == ':' ? ParseTime(t, tfMinutes, ',') : -1;
            rows[r][c] = ms >= 0 ? QString::number(ms / 1000.0) : t;
        }
    }
    return Text(rows);
}
// What an import gives back: the entry number was not exported, a blank time comes back empty.
TProtocolRows ReadBack(TProtocolRows rows) {
    for (qsizetype r = 0; r < rows.size(); ++r) {
        rows[r][13] = QString();
        for (int c = OfficeFirstTimeCol; r > 0 && c <= OfficeLastTimeCol; ++c)
            if (rows[r][c].trimmed().isEmpty()) rows[r][c] = QString();
    }
    return rows;
}

struct TServers {
    QTemporaryDir dir;
    QStringList opened;
    TStandInServers servers;
    TServers() {
        servers.Host().DocumentsFolder = dir.filePath("Dokumente");
        servers.Host().TempFolder = dir.filePath("tmp");
        servers.Host().OpenDocument = [this](const QString& file) { opened << file; };
    }
    QString Path(const QString& name) const { return name.isEmpty() ? "" : dir.filePath(name); }
};
struct TNoServers : TAutoServers {
    bool Available(const QString&) const override { return false; }
    TAutoPtr Create(const QString& id) override { throw EAutomation("no " + id); }
};

// A package whose worksheet holds the given rows (no shared strings).
QByteArray Sheet(const QByteArray& rows) {
    return FuzzXlsxPackage(
        "<worksheet "
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
        rows + "</sheetData></worksheet>");
}
// An encrypted package as the office suites write it: a compound file whose directory holds
// the streams "EncryptionInfo" and "EncryptedPackage".
QByteArray EncryptedPackage() {
    QByteArray bytes = QByteArray::fromHex("D0CF11E0A1B11AE1");
    bytes.resize(1536, '\0');
    const QList<QPair<int, QByteArray>> names = {
        {1024, "Root Entry"}, {1152, "EncryptionInfo"}, {1280, "EncryptedPackage"}};
    for (const auto& [at, name] : names)
        for (int i = 0; i < name.size(); ++i)
            bytes[at + 2 * i] = name[i];
    return bytes;
}
} // namespace

// A table as "cell|cell/cell|cell"; a mapping as one letter per column (- S N L F O K D).
QString Joined(const QVector<QStringList>& rows, int cols = 99) {
    QStringList out;
    for (const QStringList& r : rows)
        out << QStringList(r.mid(0, cols)).join('|');
    return out.join('/');
}
const QString MapLetters = "-SNOKDLF";
QString Letters(const TImportMapping& m) {
    QString s;
    for (TImportTarget t : m)
        s += MapLetters[ImportTargetIndex(t)];
    return s;
}

class TestFiles : public QObject {
    Q_OBJECT
private slots:
    // --- start lists from registration exports ---------------------------------------------
    // Separators, RFC 4180 quoting, encodings; what is no table is refused with its reason.
    void csvReader_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("table"); // or "!" and part of the reason
        const auto row = [](const char* name, const QByteArray& bytes, const QString& table) {
            QTest::newRow(name) << bytes << table;
        };
        row("semicolon beats a comma in a title", "Nr;Name, Vorname\n1;Meier, A\n",
            "Nr|Name, Vorname/1|Meier, A");
        row("TAB beats a semicolon", "a\tb;c\n1\t2;3", "a|b;c/1|2;3");
        row("quoted separator, quote, line break",
            "a,b\n\"x,y\",\"sagt \"\"hi\"\"\"\n\"l1\r\nl2\",z\n", "a|b/x,y|sagt \"hi\"/l1\r\nl2|z");
        row("blank lines, trailing separator", "a;b;\n\n1;2;\n;;\n", "a|b|/1|2|");
        row("separator named first", "sep=,\r\nName;Ort,x\r\nA;B,1\r\n", "Name;Ort|x/A;B|1");
        row("CR line ends, text after a quote", "a,b\r\"x\"y,2\r", "a|b/xy|2");
        row("UTF-8 with mark", "\xEF\xBB\xBFName;Ort\nM\xC3\xBCller;Graz\n",
            "Name|Ort/Müller|Graz");
        row("Windows-1252", "Name;Ort\nM\xFCller;Graz\n", "Name|Ort/Müller|Graz");
        row("UTF-16 with mark",
            "\xFF\xFE" +
                QByteArray(reinterpret_cast<const char*>(u"Name\tOrt\r\nMüller\tGraz\r\n"), 46),
            "Name|Ort/Müller|Graz");
        row("empty", "\xEF\xBB\xBF \r\n", "!leer");
        row("one column", "Name\nMeier\n", "!nur eine Spalte");
        row("binary", QByteArray("\x89PNG\r\n\x1A\n\0\0\0\rIHDR,;", 18), "!Binärdaten");
        row("quote never closed", "a,b\n1,2\n\"offen,2\n3,4\n", "!Zeile 3 wird nicht");
        row("too many rows", "a,b\n" + QByteArray("1,2\n").repeated(ProtocolMaxRows),
            "!mehr als 250000 Zeilen");
        row("too many columns", "a" + QByteArray(",b").repeated(ImportMaxColumns), "!256 Spalten");
    }
    void csvReader() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, table);
        TImportTable t;
        QString error;
        const bool ok = ParseCsv(bytes, &t, &error);
        QVERIFY2(ok != table.startsWith('!'), qPrintable(error));
        QVERIFY2(ok ? Joined(t.rows) == table : error.contains(table.mid(1)), qPrintable(error));
    }

    // The proposal from the titles: never a run, "Zeit" or "Platz"; unknown titles left out.
    void mappingProposal_data() {
        QTest::addColumn<QString>("titles");
        QTest::addColumn<QString>("mapping");
        const auto row = [](const char* name, const char* titles, const char* mapping) {
            QTest::newRow(name) << QString(titles) << QString(mapping);
        };
        row("German export", "Startnummer|Nachname|Vorname|Verein|Kategorie|Jahrgang", "SLFOKD");
        row("English export", "Bib|Last name|First name|Club|Category|Year of birth", "SLFOKD");
        row("our protocol", "St.Nr.|Name, Vorname|Ort|Klasse|Datum|Turm1|Zeit|Platz|.",
            "SNOKD----");
        row("Name beside Vorname", "Nr|Name|Vorname|Geburtsdatum", "SLFD");
        row("unknown titles", "ID|E-Mail|Teilnehmer|Rank|Time|", "--N---");
        row("the club before the town", "Ort|Verein|Name", "-ON");
        row("longer titles", "Startnummer (Bib)|Vereinsname|Athlete|AK", "SONK");
    }
    void mappingProposal() {
        QFETCH(QString, titles);
        const TImportMapping proposed = ProposeMapping(titles.split('|'));
        QTEST(Letters(proposed), "mapping");
        QCOMPARE(MappingFromText(MappingToText(proposed), int(proposed.size())), proposed);
        QVERIFY(MappingFromText("0,1,7", 3).isEmpty() && MappingFromText("0,1", 3).isEmpty());
    }

    // What a mapping makes of an export: participant columns only, names joined, rows without
    // a name reported and left out, duplicate numbers reported and kept.
    void startList_data() {
        QTest::addColumn<QByteArray>("csv");
        QTest::addColumn<QString>("mapping"); // letters replacing the proposal's first ones
        QTest::addColumn<QString>("result");  // columns 0..4, titles first, then the report
        const auto row = [](const char* name, const QByteArray& csv, const char* mapping,
                            const QString& result) {
            QTest::newRow(name) << csv << QString(mapping) << result;
        };
        row("no name, twice 1", "Nr,Name,Club\n1,A,\"X\nY\"\n2,,Y\n1,B,Z\n", "",
            "St.Nr.|Name|Club|Klasse|Datum/1|A|X Y||/1|B|Z||\nOhne Namen, nicht übernommen (1): "
            "Zeile 4.\nStartnummern mehrfach vergeben: 1.");
        row("no name column", "Nr,Name\n1,A\n", "S-", "Keine Spalte ist dem Namen zugeordnet.");
        row("nobody named", "Nr,Name\n1,\n", "", "Keine Zeile der Datei hat einen Namen.");
        TWorkbook book; // numbers as a workbook keeps them
        const QVariantList cells{"Nr", "Name", "Jahrgang", 7.0, "Huber", 2006.0};
        for (int i = 0; i < cells.size(); ++i)
            book.Sheet.At(i / 3, i % 3).Value = cells[i];
        QTemporaryDir dir;
        QVERIFY(WriteXlsx(book, dir.filePath("b.xlsx"), nullptr));
        row("a workbook", Bytes(dir.filePath("b.xlsx")), "",
            "St.Nr.|Name|Ort|Klasse|Jahrgang/7|Huber|||2006\n");
    }
    void startList() {
        QFETCH(QByteArray, csv);
        QFETCH(QString, mapping);
        QTemporaryDir dir;
        TImportTable t;
        QVERIFY(Put(dir.filePath("a"), csv) && ReadImportFile(dir.filePath("a"), &t, nullptr));
        TImportMapping chosen = ProposeMapping(t.rows[0]);
        for (int c = 0; c < mapping.size(); ++c)
            chosen[c] = ImportTargetAt(int(MapLetters.indexOf(mapping[c])));
        TStartList list;
        QString error;
        const bool ok = BuildStartList(t, chosen, &list, &error);
        QTEST(ok ? Joined(list.rows, 5) + '\n' + StartListReport(list) : error, "result");
        for (qsizetype r = 1; r < list.rows.size(); ++r) // no run, time or place from a file
            QCOMPARE(list.rows[r].mid(Col::Turm1).join(QString()), QString());
    }

    // --- protocol text -----------------------------------------------------------------------
    // Other programs read these files: TAB after every field, CR LF, a blank for an empty cell,
    // no TAB or line end inside a cell (it would shift the columns after it).
    void textFormat() {
        QCOMPARE(FormatProtocolText(Rows("12|Meier||A||12,34|DIS.|||||||1")
                                    << QStringList{"  ", "a\tb", "c\r\nd"}),
                 QByteArray("12\tMeier\t \tA\t \t12,34\tDIS.\t \t \t \t \t \t \t1\t\r\n"
                            "  \ta b\tc  d\t\r\n"));
        // A name Windows-1252 lacks: the file as UTF-8 with its mark, which Windows programs know.
        QCOMPARE(FormatProtocolTextIn({{"Łukasz"}}, TCodePage::Windows1252),
                 QByteArray("\xEF\xBB\xBF\xC5\x81ukasz\t\r\n"));
    }

    // Read back cell for cell (an empty cell as one blank), from UTF-8 and from Windows-1252
    // unless a name needs more: then from UTF-8 with its mark, never with a "?".
    void textRoundTrip_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("encoding"); // of the 8-bit write, as the reader finds it
        QTest::newRow("times, DIS., umlauts")
            << Titles + "\n12|Meier, Hans|Bern|A||12,34|DIS.||||||1|1\n7|Müller-Lüdenscheid|Zürich"
                        "|B|2026-12-05|1:02,50|59,99|||||2:02,49|1|2"
            << W1252;
        QTest::newRow("empty protocol") << Titles + '\n' << U8;
        QTest::newRow("blanks, semicolons, quotes") << "  3|a;b| x|;|é€ „5“ – Š" << W1252;
        QTest::newRow("U+FEFF first") << QString(2, QChar(0xFEFF)) + "a|b" << U8;
        QTest::newRow("Polish") << Titles + "\n1|Łukasz Żółć" << U8;
    }
    void textRoundTrip() {
        QFETCH(QString, rows);
        TProtocolRows expected = Rows(rows);
        for (QStringList& row : expected)
            for (QString& cell : row)
                if (cell.isEmpty()) cell = QStringLiteral(" ");
        QCOMPARE(ParseProtocolText(FormatProtocolText(Rows(rows))), expected);
        const QByteArray eightBit = FormatProtocolTextIn(Rows(rows), TCodePage::Windows1252);
        QVERIFY(!eightBit.contains('?'));
        TProtocolReadReport report;
        QCOMPARE(ParseProtocolText(eightBit, ProtocolColCount, report, TCodePage::Windows1252),
                 expected);
        QTEST(int(report.encoding), "encoding");
    }

    void textReader_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("rows");
        QTest::addColumn<int>("encoding");
        const auto row = [](const char* tag, const QByteArray& bytes, const QString& rows,
                            int encoding = U8) { QTest::newRow(tag) << bytes << rows << encoding; };
        row("separator per line", "a;b\r\nc\td;e\r\n", "a|b\nc|d;e");
        row("blanks before a separator", "a  \t  b \tc  ", "a|  b|c  ");
        row("empty and blank fields", "a\t\t  \tb\t", "a| | |b");
        row("semicolon fields", "a;;b;   ", "a| |b| ");
        row("more than 14 fields", "0\t1\t2\t3\t4\t5\t6\t7\t8\t9\t10\t11\t12\t13\t14\t15\t",
            "0|1|2|3|4|5|6|7|8|9|10|11|12|13");
        row("CR LF, LF and CR", "a\nb\rc\r\nd", "a\nb\nc\nd");
        row("no row after the last end", "\r\n\n\r", "\n\n");
        row("CR CR LF", "a\r\r\n", "a\n");
        row("empty file", "", "");
        row("byte order mark", "\xEF\xBB\xBFSt.Nr.;Na", "St.Nr.|Na");
        row("U+FEFF inside is text", "a\t\xEF\xBB\xBF\xEF\xBB\xBF",
            "a|" + QString(2, QChar(0xFEFF)));
        row("Windows-1252", "1\tJ\xFCrg M\xF6hr\t\x80\x81\x9F\t\xDF\r\n",
            QString::fromUtf16(u"1|Jürg Möhr|€\u0081Ÿ|ß"), W1252);
        row("one bad byte in two makes the file Windows-1252", "\xC3\xBC\r\n\xFC", "Ã¼\nü", W1252);
        row("UTF-8 with one stray byte", "1\tM\xC3\xBCller \xE9\t\r\n2\tJ\xC3\xBCrg\t\r\n",
            QString::fromUtf16(u"1|Müller \uFFFD\n2|Jürg"), Fixed);
        row("UTF-8 with a mark and a cut sequence",
            "\xEF\xBB\xBF"
            "1\tGr\xC3\xBC\xC3\x9F \xE2\x82\t\r\n",
            QString::fromUtf16(u"1|Grüß \uFFFD\uFFFD"), Fixed);
        row("overlong form and surrogate are no UTF-8", "1\t\xC0\xAF\xED\xA0\x80\t",
            "1|" + DecodeWindows1252("\xC0\xAF\xED\xA0\x80", 5), W1252);
        const QString unicode = QStringLiteral("\uFEFF1\tJürg\t\r\n2\tŁukasz");
        for (auto kind : {QStringConverter::Utf16LE, QStringConverter::Utf16BE})
            row(kind == QStringConverter::Utf16LE ? "UTF-16 LE" : "UTF-16 BE",
                QStringEncoder(kind, QStringEncoder::Flag::WriteBom)(unicode),
                QStringLiteral("\uFEFF1|Jürg\n2|Łukasz"), U16);
        row("a field beyond the limit is cut", QByteArray(ProtocolMaxFieldBytes + 5, 'x') + "\ty",
            QString(ProtocolMaxFieldBytes, 'x') + "|y");
        row("and cut before a character, not inside",
            QByteArray("\xC3\xBC").repeated(ProtocolMaxFieldBytes) + "\t",
            QString(ProtocolMaxFieldBytes / 2, QChar(0xFC)));
        // Input that is no protocol still gives rows of 14 cells, quickly ("#n": n rows).
        QByteArray binary(1 << 20, Qt::Uninitialized);
        QRandomGenerator gen(4711);
        for (char& c : binary)
            c = char(gen.bounded(256));
        row("binary", binary, "#", W1252);
        row("NUL bytes", QByteArray(100000, '\0'), "#1");
        row("no line end", QByteArray(4 << 20, 'x'), "#1");
        row("10,000 fields", QByteArray(10000, '\t').repeated(100), "#1");
        row("mixed separators", QByteArray("a;b\tc;;\t\t;d\r;;;\t\n \t ;").repeated(20000),
            "#40001");
    }
    void textReader() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, rows);
        TProtocolReadReport report;
        QElapsedTimer timer;
        timer.start();
        const TProtocolRows read =
            ParseProtocolText(bytes, ProtocolColCount, report, TCodePage::Windows1252);
        QVERIFY2(timer.elapsed() < 5000, "parsing took too long");
        QTEST(int(report.encoding), "encoding");
        if (!rows.startsWith('#')) QCOMPARE(read, Rows(rows));
        if (rows.size() > 1 && rows.startsWith('#')) QCOMPARE(read.size(), rows.mid(1).toInt());
        for (const QStringList& row : read)
            QCOMPARE(row.size(), ProtocolColCount);
    }

    // Every byte to its character and back; the table judged by Qt's own decoder where Qt has
    // one (built with ICU).
    void windows1252BothWays() {
        QByteArray bytes;
        for (int b = 0x20; b < 0x100; ++b)
            bytes += char(b);
        const QString all = DecodeWindows1252(bytes.constData(), bytes.size());
        bool lossless = false;
        QCOMPARE(EncodeWindows1252(all, &lossless), bytes);
        QVERIFY(lossless);
        QStringDecoder reference("windows-1252");
        if (reference.isValid()) QCOMPARE(all, QString(reference.decode(bytes)));
    }

    // A file that is no protocol is refused before anything is taken from it: its garbage
    // would go on into the exit copy, the journal and every export.
    void textFiles_data() {
        QTest::addColumn<QString>("kind"); // what stands under the name
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refused"); // empty: read
        const auto row = KindRow;
        row("50,001 lines too many", "file",
            QByteArray("1\tx\t\r\n").repeated(ProtocolMaxRows + 50001), "");
        row("NUL byte", "file", QByteArray("1\tx\0\t", 5), "NUL-Bytes");
        row("UTF-16 without its mark", "file", QByteArray("1\0\t\0x\0\r\0\n\0", 10), "NUL-Bytes");
        row("no field", "file", "a log\r\nline\r\n", "keine Zeile mit Feldern");
        row("missing", "", {}, "kann nicht gelesen werden (");
        row("a pipe", "fifo", {}, "keine gewöhnliche");
        row("endless device", "/dev/zero", {}, "keine gewöhnliche");
        row("larger than 512 MB", "huge", {}, "zu groß");
    }
    void textFiles() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refused);
        QTemporaryDir dir;
        const QString name = kind.startsWith('/') ? kind : dir.filePath("p.txt");
        QVERIFY(Make(kind, name, ProtocolMaxFileBytes, bytes));
        TProtocolRows rows{{"untouched"}};
        QString error;
        TProtocolReadReport report;
        const bool read = ReadProtocolFile(name, &rows, &error, ProtocolColCount, report);
        QVERIFY2(read == refused.isEmpty(), qPrintable(error));
        if (read) {
            QCOMPARE(rows.size(), ProtocolMaxRows);
            QCOMPARE(report.linesDropped, 50001);
            QCOMPARE(rows.last().mid(0, 3), QStringList({"1", "x", ""}));
            return;
        }
        QVERIFY2(error.startsWith(name + ": ") && error.contains(refused), qPrintable(error));
        QCOMPARE(rows, TProtocolRows{{"untouched"}});
    }

    // --- HTML pages -------------------------------------------------------------------------
    // The shown columns only, each time under its title, the result and the place in bold.
    void protocolPage() {
        THtmlPage page = ProtocolPage(
            "12|Meier, Hans|Bern|A||12,34|13,01|||||25,35|1|2\n7|Jürg| |B||DIS.||||||||1");
        // The foot pads' reactions, when there are any, in a table under the protocol.
        page.reactions = {{"12", "Meier, Hans", "1", "-0,020"}};
        const QString html = ProtocolHtml(page);
        QVERIFY2(html.contains("<Center>Datum</th>\r\n<th nowrap><Center>Turm1</th>\r\n<th nowrap>"
                               "<Center>Turm2</th>\r\n<th nowrap><Center>Zeit</th>\r\n<th nowrap>"
                               "<Center>Platz</th>\r\n</tr></thead>\r\n<tr><td>12<td>Meier, Hans"
                               "<td>Bern<td>A<td>&nbsp;<td>12,34<td>13,01<td><B>25,35<td><B>1</tr>"
                               "\r\n<tr><td>7<td>Jürg<td> <td>B<td>&nbsp;<td>DIS.<td>&nbsp;<td><B>"
                               "&nbsp;<td><B>&nbsp;</tr>\r\n</table>") &&
                     html.contains("<th nowrap>Reaktion</th></tr></thead>\r\n<tr><td>12<td>Meier,"
                                   " Hans<td>1<td>-0,020</tr>\r\n</table><hr>"),
                 qPrintable(html));
    }

    // Every text from the protocol is escaped; the page is written as the UTF-8 it declares,
    // or not at all.
    void htmlPages_data() {
        QTest::addColumn<bool>("bracket");
        QTest::newRow("protocol") << false;
        QTest::newRow("bracket") << true;
    }
    void htmlPages() {
        QFETCH(bool, bracket);
        const QString raw = "\"><script>alert(1)</script> & Jürgen Weiß Иван \U0001F9D7",
                      escaped = "&quot;&gt;&lt;script&gt;alert(1)&lt;/script&gt; &amp; Jürgen Weiß "
                                "Иван \U0001F9D7";
        QTemporaryDir dir;
        const QString file = dir.filePath("p.html"), blocked = dir.filePath("blocked.html");
        QVERIFY(QDir().mkdir(blocked));
        const TBracket b = Played(4, 4, 4);
        TBracketPage bracketPage = BracketPage(raw);
        THtmlPage page = ProtocolPage("1|x|Ort");
        bracketPage.CompetitionTitle = page.CompetitionTitle = page.rows[1][1] = page.rows[0][2] =
            raw;
        const auto write = [&](const QString& name, QString* error) {
            return bracket ? WriteBracketHtml(name, b, bracketPage, error)
                           : WriteProtocolHtml(name, page, error);
        };
        const QString html = bracket ? BracketHtml(b, bracketPage) : ProtocolHtml(page);
        QVERIFY(!html.contains("<script>"));
        // Title, heading, then the title cell and the name, or the name in the first round,
        // the final and the places.
        QCOMPARE(html.count(escaped), bracket ? 5 : 4);
        QString error;
        QVERIFY2(write(file, &error), qPrintable(error));
        QCOMPARE(Bytes(file), html.toUtf8());
        QVERIFY(html.contains(bracket ? "<meta charset=\"UTF-8\">" : "charset=UTF-8\">"));
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
        QTest::newRow("4 decided") << 4 << 4 << false << "1:K1, 2:K2, 3:K3, 4:K4";
        QTest::newRow("6 in 8, quarter-finals decided") << 6 << 2 << false << "5:K5, 6:K6";
        QTest::newRow("nothing run") << 8 << 0 << false << "";
        QTest::newRow("the competition's")
            << 4 << 4 << true << "1:K1, 2:K3, 3:K2, 4:K4, 5:K8, 6:K7";
    }
    void bracketPagePlaces() {
        QFETCH(int, starters);
        QFETCH(int, heats);
        QFETCH(bool, competition);
        TBracketPage page = BracketPage("Kletterer 1");
        if (competition) page.Places = {{0, 1}, {2, 2}, {1, 3}, {3, 4}, {7, 5}, {5, 0}, {6, 6}};
        const QString html = BracketHtml(Played(starters, 8, heats), page);
        static const QRegularExpression row(
            "<tr><td class=\"seed\">(\\d+)</td><td class=\"name\">Kletterer (\\d+)</td></tr>");
        QStringList places;
        const int from = std::max(0, int(html.indexOf("class=\"places\"")));
        for (auto it = row.globalMatch(html, from); it.hasNext();) {
            const auto m = it.next();
            places << m.captured(1) + ":K" + m.captured(2);
        }
        QTEST(places.join(", "), "places");
    }

    // --- the finals' companion ----------------------------------------------------------------
    // Beside its protocol: ".txt" (in any case, at the end only) replaced by ".ko".
    void companionName() {
        for (const QString& pair :
             QString("/a/heat1.txt>/a/heat1.ko /a/HEAT1.TXT>/a/HEAT1.ko /a/heat1>/a/heat1.ko "
                     "/a/heat1.csv>/a/heat1.csv.ko /a/h.txt.bak>/a/h.txt.bak.ko "
                     "/a.txt/heat1>/a.txt/heat1.ko")
                 .split(' '))
            QCOMPARE(BracketFileName(pair.section('>', 0, 0)), pair.section('>', 1));
    }

    // Taken whole or not at all: what is not a complete companion of version 1 is refused with
    // a reason, what is no file at once (a pipe would hold the read up); a missing companion
    // is no fault, and one written without data goes.
    void companion_data() {
        QTest::addColumn<QString>("kind"); // what stands at the companion's name
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("refused"); // empty: read back equal; "-": nothing to say
        const QByteArray good = FormatBracketFile(Companion());
        TBracketFileData seventhRun = Companion(), size12 = Companion(), broken = Companion();
        seventhRun.Exact = {{0, 6, 5000}};
        size12.BracketSize = 12;
        broken.Bracket[1] = "Seed x";
        const auto row = KindRow;
        row("written", "written", {}, "");
        row("CR LF", "file", QByteArray(good).replace("\n", "\r\n"), "");
        row("byte order mark", "file", "\xEF\xBB\xBF" + good, "");
        row("another version", "file", QByteArray(good).replace("KO 1", "KO 2"), "Version 2");
        row("no companion", "file", "St.Nr.\tName\t\r\n", "keine K.-o.-Datei");
        row("not UTF-8", "file", QByteArray(good).replace("Exact", "\xFF\xFE"), "kein UTF-8");
        row("a record after the end", "file", good + "Exact=1 1 5000\n", "ungültig");
        row("a record lost", "file", QByteArray(good).replace("Exact=0 0 5004\n", ""), "ungültig");
        row("a seventh run", "file", FormatBracketFile(seventhRun), "ungültig");
        row("size 12", "file", FormatBracketFile(size12), "ungültig");
        row("a broken bracket", "file", FormatBracketFile(broken), "beschädigt");
        row("written without data", "removed", {}, "-");
        row("missing", "", {}, "-");
        row("a pipe", "fifo", {}, "keine gewöhnliche Datei");
        row("oversized", "huge", {}, "zu groß");
    }
    void companion() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, refused);
        QTemporaryDir dir;
        const QString protocol = dir.filePath("heat1.txt"), name = BracketFileName(protocol);
        QString error;
        if (kind == "written" || kind == "removed")
            QVERIFY2(UpdateBracketFile(protocol, Companion(), &error), qPrintable(error));
        if (kind == "removed") QVERIFY2(UpdateBracketFile(protocol, {}, &error), qPrintable(error));
        QVERIFY(Make(kind, name, BracketFileMaxBytes, bytes));
        QString said;
        const auto data = ReadBracketFile(name, &said);
        QCOMPARE(data.has_value(), refused.isEmpty());
        if (data) QCOMPARE(*data, Companion());
        const bool silent = refused.isEmpty() || refused == "-";
        QVERIFY2(silent ? said.isEmpty() : said.contains(refused), qPrintable(said));
        // Only the last line break may go: cut anywhere else, the file is incomplete.
        const qsizetype whole = bytes.size() - (bytes.endsWith("\r\n") ? 2 : 1);
        for (qsizetype n = 0; refused.isEmpty() && n < whole; ++n)
            QVERIFY2(!ParseBracketFile(bytes.left(n), nullptr), qPrintable(QString::number(n)));
    }

    // Put into the competition loaded from its protocol: all of it, or, when it does not fit,
    // nothing at all (ranking rule, bracket size, thousandths and bracket as they were).
    void companionRestore_data() {
        QTest::addColumn<QString>("fault");
        QTest::addColumn<QString>("refused"); // empty: restored
        QTest::newRow("fits") << S("") << "";
        QTest::newRow("other rows") << S("rows") << "anderen Teilnehmerzeilen";
        QTest::newRow("thousandths off their cell") << S("exact") << "Tausendstel passen nicht";
        QTest::newRow("a seed the protocol lacks") << S("seed") << "Teilnehmer, die das Protokoll";
    }
    void companionRestore() {
        QFETCH(QString, fault);
        QFETCH(QString, refused);
        TCompetition c;
        LoadQualified(c);
        for (int e = 0; e < 6; ++e)
            QVERIFY(c.SetExactMs(e, 0, 5003 + 100 * (e + 1)));
        c.SetRankingRule(TCompetition::RankByBest);
        c.SetBracketSize(8);
        c.Recompute();
        QVERIFY(c.SetMode(TCompetition::FinaleKo));
        c.SetHeatRunning(true);
        QVERIFY(c.RecordTime(0, "0:06,00", 6004) && c.RecordTime(1, "0:06,50", 6500));
        c.SetHeatRunning(false);
        c.ResetLastCells();
        c.Advance();
        QString note;
        auto data = BracketFileData(c, TCompetition::ForSave, &note);
        QVERIFY2(data && note.isEmpty(), qPrintable(note));
        if (fault == "exact") data->Exact[0].Ms += 40;
        for (QString& line : data->Bracket)
            if (fault == "seed" && line.startsWith("Seed "))
                line = line.section(' ', 0, 1) + " 99 " + line.section(' ', 3);

        TCompetition d;
        LoadQualified(d, fault == "rows" ? "Kletterin 6" : "Kletterer 6");
        const QString reason = RestoreBracketFile(d, *data);
        QVERIFY2(reason.isEmpty() == refused.isEmpty() && reason.contains(refused),
                 qPrintable(reason));
        const bool restored = refused.isEmpty();
        QCOMPARE(d.RankingRule(), restored ? 1 : 0);
        QCOMPARE(d.BracketSize(), restored ? 8 : 16);
        QCOMPARE(d.BracketLines(), restored ? c.BracketLines() : QStringList());
        QCOMPARE(d.ExactRuns(), restored ? c.ExactRuns() : QVector<TExactRun>());
    }

    // --- the exit copy --------------------------------------------------------------------
    // The copy goes to the first place that takes it, beside the program under its name, else
    // to the data folder, which is made when needed.
    void exitCopy_data() {
        QTest::addColumn<QString>("program"); // relative to a temporary folder
        QTest::addColumn<QString>("data");    // where "file" is a file
        QTest::addColumn<QString>("written"); // empty: nowhere
        QTest::newRow("beside the program")
            << S("bin/veltaro") << S("new/data") << "bin/veltaro.txt";
        QTest::newRow("extension replaced") << S("bin/timer.exe") << S("") << "bin/timer.txt";
        QTest::newRow("a file in the way") << S("file/bin/v") << S("new/data") << "new/data/v.txt";
        QTest::newRow("nowhere") << S("file/bin/v") << S("file/data") << "";
        QTest::newRow("no data folder") << S("file/bin/v") << S("") << "";
    }
    void exitCopy() {
        QFETCH(QString, program);
        QFETCH(QString, data);
        QFETCH(QString, written);
        QTemporaryDir dir;
        QVERIFY(QDir(dir.path()).mkpath("bin") && Put(dir.filePath("file"), ""));
        const QStringList names =
            ExitCopyCandidates(dir.filePath(program), data.isEmpty() ? "" : dir.filePath(data));
        const QString expected = written.isEmpty() ? "" : dir.filePath(written);
        QCOMPARE(ExitCopyTarget(names), expected);
        QCOMPARE(WriteExitCopy(names, Rows(Titles + "\n7|Keller, Lea||||12,34")), expected);
        TProtocolRows back;
        QVERIFY(written.isEmpty() || ReadProtocolFile(expected, &back, nullptr));
        if (!written.isEmpty()) QCOMPARE(back[1].mid(0, 6).join('|'), "7|Keller, Lea| | | |12,34");
    }

    // --- the durable write ------------------------------------------------------------------
    // A write goes where an ordinary write would: through a link into the file it names, with
    // the mode the file had. However it fails, the old file stays whole, no part file is left,
    // and the reason names the file. (A writer killed half way: tst_journal.)
    void durableWrite_data() {
        QTest::addColumn<QString>("how");
        QTest::addColumn<int>("reason"); // errno the message must give; 0: any; -1: written
        QTest::newRow("a new file") << "new" << -1;
        QTest::newRow("replacing keeps the mode") << "replace" << -1;
        QTest::newRow("link to a file") << "link" << -1;
        QTest::newRow("link to no file yet") << "new link" << -1;
        QTest::newRow("file size limit") << "fsize" << 0;
        QTest::newRow("a full disk") << "full" << ENOSPC;
        QTest::newRow("read-only folder") << "rofolder" << EACCES;
        QTest::newRow("write-protected file") << "rofile" << EACCES;
        QTest::newRow("link to a write-protected file") << "rolink" << EACCES;
        QTest::newRow("a folder in the way") << "folder" << 0;
        QTest::newRow("a missing folder") << "missing" << ENOENT;
    }
    void durableWrite() {
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
        const bool link = how.endsWith("link");
        const QString real = folder + "/p.txt", name = link               ? folder + "/l.txt"
                                                       : how == "missing" ? folder + "/no/p.txt"
                                                       : how == "folder"  ? folder
                                                                          : real;
        const auto mode = [](const QString& path, mode_t m) {
            return ::chmod(QFile::encodeName(path).constData(), m) == 0;
        };
        if (!how.startsWith("new")) QVERIFY(WriteFileDurably(real, "old contents", nullptr));
        if (link) QVERIFY(QFile::link("p.txt", name));
        QVERIFY(mode(folder, how == "rofolder" ? 0555 : 0777));
        if (!how.startsWith("new")) QVERIFY(mode(real, how.startsWith("ro") ? 0444 : 0640));
        QString error;
        bool written = false;
        const QByteArray data(1 << 20, 'n');
        rlimit saved{};
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit limit = saved;
        if (how == "fsize") limit.rlim_cur = 4096; // stands in for a disk filling while writing
        const auto handler = std::signal(SIGXFSZ, SIG_IGN);
        setrlimit(RLIMIT_FSIZE, &limit);
        {
            std::optional<TAsNobody> nobody;
            if (how.startsWith("ro")) nobody.emplace();
            written = WriteFileDurably(name, data, &error);
        }
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, handler);
        mode(folder, 0755);
        const QByteArray after = Bytes(real);
        const QStringList left = Files(folder);
        struct stat st {};
        QCOMPARE(::stat(QFile::encodeName(real).constData(), &st), 0);
        if (how == "full") ::umount(QFile::encodeName(folder).constData());
        QCOMPARE(left, link ? QStringList({"l.txt", "p.txt"}) : QStringList("p.txt"));
        QVERIFY2(written == (reason < 0), qPrintable(error));
        if (written) {
            QCOMPARE(after, data);
            QCOMPARE(QFileInfo(name).isSymLink(), link);
            if (!how.startsWith("new")) QCOMPARE(st.st_mode & 07777, mode_t(0640));
            return;
        }
        QCOMPARE(after, QByteArray("old contents"));
        QVERIFY2(error.startsWith(name + ": ") && error.size() > name.size() + 2,
                 qPrintable(error));
        if (reason)
            QCOMPARE(error,
                     name + ": kann nicht geschrieben werden (" + qt_error_string(reason) + ")");
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

    // --- time texts ---------------------------------------------------------------------------
    // A workbook holds every time in one form; an import gives the protocol's form back.
    void timeTexts_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("padded");
        QTest::addColumn<QString>("shortened"); // ShortenTime(text); "-": an import keeps it
        QTest::newRow("seconds") << S("12,34") << S("00:12,34") << "12,34";
        QTest::newRow("minutes") << S("1:02,50") << S("01:02,50") << "1:02,50";
        QTest::newRow("padded") << S("00:12,34") << S("00:12,34") << "12,34";
        QTest::newRow("under a second") << S("00:00,50") << S("00:00,50") << "0,50";
        QTest::newRow("nine long") << S("123:45,67") << S("123:45,67") << "123:45,67";
        QTest::newRow("one char") << S("5") << S("00:00,05") << "5";
        QTest::newRow("at most four dropped") << S("0000000,5") << S("0000000,5") << "000,5";
        QTest::newRow("leading blank") << S(" 12,34") << S("00 12,34") << "12,34";
        QTest::newRow("number text") << S("12.34") << S("00:12.34") << "12.34";
        QTest::newRow("empty") << S("") << S("") << "";
        QTest::newRow("blanks") << S("   ") << S("   ") << "";
        QTest::newRow("dis. with blanks") << S(" dis. ") << S(" dis. ") << "-";
    }
    void timeTexts() {
        QFETCH(QString, text);
        QTEST(PadTime(text), "padded");
        QFETCH(QString, shortened);
        if (shortened != "-") QCOMPARE(ShortenTime(text), shortened);
    }

    // --- the workbook -------------------------------------------------------------------------
    // Written under the asked name with the extension of what it holds, or shown; read back
    // cell for cell by openpyxl and by our import.
    void workbook_data() {
        QTest::addColumn<QString>("rows");
        QTest::addColumn<QString>("name");    // empty: shown, not saved
        QTest::addColumn<QString>("written"); // the file's name
        QTest::newRow("shown") << Edge << S("") << "";
        QTest::newRow("another extension") << Edge << S("a.txt") << "a.txt.xlsx";
        QString many = Titles;
        for (int i = 1; i <= 1000; ++i)
            many += QStringLiteral("\n%1|Name %1, Vorname|Ort|A|01.01.2000|%2,%3|DIS.||||| |%1|%1")
                        .arg(i)
                        .arg(i % 60)
                        .arg(10 + i % 90);
        QTest::newRow("1000 rows, old extension") << many << S("Protokoll.xls") << "Protokoll.xlsx";
        // A control character is written as the format's escape "_x0001_"; a text that only
        // looks like such an escape stays that text.
        QTest::newRow("escapes") << Titles + "\n1|Ctl\x01Name|a_x0041_b|_x005F_|_x00e4_x\n2|Meier"
                                 << S("A.XLS") << "A.xlsx";
    }
    void workbook() {
        QFETCH(QString, rows);
        QFETCH(QString, name);
        QFETCH(QString, written);
        TServers s;
        QVector<int> widths(14, 40);
        widths[13] = -1;
        ExportSpreadsheet(s.servers, Table(Rows(rows), widths), s.Path(name));
        QCOMPARE(s.opened.size(), name.isEmpty() ? 1 : 0);
        const QString file = name.isEmpty() ? s.opened.value(0) : s.Path(written);
        QVERIFY2(QFileInfo::exists(file) && file.endsWith(".xlsx"), qPrintable(file));
        QVERIFY(name.isEmpty() ? file.startsWith(s.Path("tmp/"))
                               : QFileInfo::exists(s.Path(name)) == (name == written));
        QCOMPARE(ImportSpreadsheet(s.servers, file), ReadBack(Rows(rows)));
        // openpyxl 3.0 leaves the format's escapes as they are: our import alone judges those.
        if (rows.contains("_x")) return;
        // Times are numbers in a time format (openpyxl gives them as durations).
        PYTHON(cells, "openpyxl",
               "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
               "v = lambda c: round(c.value.total_seconds(), 2) if c.is_date else c.value\n"
               "print(json.dumps([[v(c) for c in r] for r in ws.iter_rows()]))",
               file);
        QCOMPARE(Text(cells), InWorkbook(Rows(rows)));
    }

    // A workbook from elsewhere: titles and rows up to the first empty first cell, only the
    // first sheet; numbers to 15 digits, dates, times and truth values as the protocol writes
    // them.
    void foreignWorkbook() {
        TServers s;
        const QString file = s.Path("Startliste.xlsx");
        PYTHON(done, "openpyxl", R"py(import datetime
wb = openpyxl.Workbook()
ws = wb.active
ws.append(['St.Nr.', 'Name, Vorname', 'Verein', 'Klasse', 'Geburtsdatum'])
for i in range(1, 9):
    ws.append([{3: ' ', 6: None}.get(i, i), 'L%d' % i, 'Club', 'A', datetime.datetime(2010, 3, i)])
ws['F2'] = 12.5
ws['F3'] = '00:12,34'
ws['G2'] = 'dis.'
ws['M2'] = True
ws['D2'] = 4.3
ws['C3'] = datetime.datetime(2026, 12, 5, 9, 30, 5)
ws['C4'] = datetime.time(0, 1, 2)
wb.create_sheet('Zweites')['A1'] = 'nicht lesen'
wb.save(sys.argv[1])
print(1))py",
               file);
        QCOMPARE(done.toInt(), 1);
        QCOMPARE(ImportSpreadsheet(s.servers, file),
                 Rows(QStringLiteral("St.Nr.|Name, Vorname|Verein|Klasse|Geburtsdatum\n"
                                     "1|L1|Club|4DP3|01.03.2010|12DP5|dis.||||||WAHR\n"
                                     "2|L2|05.12.2026 09:30:05|A|02.03.2010|12,34\n"
                                     " |L3|00:01:02|A|03.03.2010\n"
                                     "4|L4|Club|A|04.03.2010\n5|L5|Club|A|05.03.2010")
                          .replace("DP", QLocale().decimalPoint())));
    }

    // Whatever is no workbook of ours to read is refused with a reason, never half read.
    void refusedWorkbooks_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: the file does not exist
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << "gibt es nicht";
        QTest::newRow("text") << QByteArray("St.Nr.\tName\t\r\n1\tMeier\t\r\n")
                              << "keine Excel-Arbeitsmappe";
        QTest::newRow("legacy xls")
            << Bytes(VELTARO_TEST_SOURCE_DIR "/persist/office/legacy.xls") << "alten Excel-Format";
        QTest::newRow("password") << EncryptedPackage() << "Kennwort";
        TServers s;
        ExportSpreadsheet(s.servers, Table(Rows(Edge)), s.Path("good.xlsx"));
        const QByteArray good = Bytes(s.Path("good.xlsx"));
        QTest::newRow("cut short") << good.left(good.size() / 2) << "beschädigt";
        QByteArray flipped = good;
        for (qsizetype i = 200; i < flipped.size() - 200; i += 97)
            flipped[i] = char(flipped[i] ^ 0x5A);
        QTest::newRow("bytes damaged") << flipped << "beschädigt";
        QTest::newRow("document") << ZipPackage({{"word/document.xml", "<w:document/>"}}, nullptr)
                                  << "keine Excel-Arbeitsmappe";
        QTest::newRow("bad sheet xml")
            << Sheet("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>x</t></row>") << "beschädigt";
        QTest::newRow("bad cell reference")
            << Sheet("<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>") << "beschädigt";
        QTest::newRow("shared string missing")
            << Sheet("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>") << "beschädigt";
        QTest::newRow("empty A1") << Sheet("<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>") << "A1";
        QTest::newRow("no sheet")
            << FuzzXlsxPackage("--\n--\n--\n<workbook xmlns=\"http://schemas.openxmlformats.org/"
                               "spreadsheetml/2006/main\"><sheets/></workbook>")
            << "Tabellenblatt";
        QByteArray million;
        for (int r = 1; r <= 1000000; ++r)
            million += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) +
                       "\"><v>" + QByteArray::number(r) + "</v></c></row>";
        QTest::newRow("a million rows") << Sheet(million) << QString::number(XlsxReadMaxRows);
    }
    void refusedWorkbooks() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        TServers s;
        const QString file = s.Path("in.xlsx");
        if (!bytes.isEmpty()) QVERIFY(Put(file, bytes));
        QString error;
        try {
            ImportSpreadsheet(s.servers, file);
        } catch (const EAutomation& e) {
            error = e.Message;
        }
        QVERIFY2(!reason.isEmpty() && error.contains(reason), qPrintable(error));
    }

    // A part that unpacks to more than allowed is not unpacked whole.
    void partLimit() {
        const QByteArray package = ZipPackage({{"big", QByteArray(1 << 20, 'x')}}, nullptr);
        TZipReader zip;
        QVERIFY(zip.Open(package, nullptr));
        qint64 seen = 0;
        QString error;
        const auto count = [&](const char*, qsizetype n) { return (seen += n) >= 0; };
        QVERIFY(!zip.Stream("big", 100000, count, &error));
        QVERIFY(seen <= 100000 + 64 * 1024 && !error.isEmpty());
    }

    // A failed spreadsheet export throws for the window to report; nothing is half saved.
    void refusedExports() {
        TServers s;
        QVERIFY(QDir().mkpath(s.Path("x.xlsx"))); // a folder where the file should go
        QVERIFY_THROWS_EXCEPTION(EAutomation,
                                 ExportSpreadsheet(s.servers, Table(Rows(Edge)), s.Path("x.xlsx")));
        TNoServers none;
        QVERIFY_THROWS_EXCEPTION(EAutomation, ExportSpreadsheet(none, Table(Rows(Edge)), ""));
        QVERIFY_THROWS_EXCEPTION(EAutomation, ImportSpreadsheet(none, s.Path("x.xlsx")));
        QString error;
        QVERIFY(!ExportDocument(none, DocumentSilent, "x.doc", Table(Rows(Edge)), "", &error));
        QVERIFY(!error.isEmpty());
    }

    // --- the document -------------------------------------------------------------------------
    // The title, "Protokoll" and a table of the shown columns but the last, on a template's
    // page when one can be read; a name without a folder goes to the documents folder.
    void document_data() {
        QTest::addColumn<QString>("templ"); // what stands at the template's path
        QTest::addColumn<int>("mode");
        QTest::addColumn<QString>("refused"); // empty: written
        QTest::newRow("new, interactive") << S("none") << int(DocumentInteractive) << "";
        QTest::newRow("docx template") << S("full") << int(DocumentSilent) << "";
        QTest::newRow("template with an empty body") << S("empty") << int(DocumentSilent) << "";
        QTest::newRow("template we cannot read") << S("legacy") << int(DocumentSilent) << "";
        QTest::newRow("template unpacking to too much")
            << S("huge") << int(DocumentSilent) << "größer als 64 MB";
        QTest::newRow("documents folder blocked")
            << S("blocked") << int(DocumentSilent) << "Dokumente";
    }
    void document() {
        QFETCH(QString, templ);
        QFETCH(int, mode);
        QFETCH(QString, refused);
        TServers s;
        const QString path = s.Path("Protokollvorlage.doc");
        if (templ == "full") {
            PYTHON(made, "docx", R"py(d = docx.Document()
d.sections[0].header.paragraphs[0].text = 'Kopfzeile des Vereins'
d.add_paragraph('Text der Vorlage')
d.save(sys.argv[1])
print(1))py",
                   path);
            QCOMPARE(made.toInt(), 1);
        }
        if (templ == "empty") { // "<w:body/>": not even the page's settings
            PYTHON(made, "docx", R"py(d = docx.Document()
for c in list(d.element.body): d.element.body.remove(c)
d.save(sys.argv[1])
print(1))py",
                   path);
            QCOMPARE(made.toInt(), 1);
        }
        if (templ == "legacy")
            QVERIFY(Put(path, QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(600, 'x')));
        if (templ == "huge") {
            // Each part alone is small enough, together they are not.
            TZipEntries parts{{"word/document.xml",
                               "<w:document xmlns:w=\"http://schemas.openxmlformats.org/"
                               "wordprocessingml/2006/main\"><w:body/></w:document>"}};
            for (const char* name : {"a", "b", "c"})
                parts.append({name, QByteArray(30 << 20, '\0')});
            QVERIFY(Put(path, ZipPackage(parts, nullptr)));
        }
        if (templ == "blocked") QVERIFY(Put(s.Path("Dokumente"), ""));
        // Four run columns and the entry number hidden.
        const QVector<int> widths{30, 100, 40, 40, 40, 50, 50, -1, -1, -1, -1, 60, 30, -1};
        QString error;
        const bool written = ExportDocument(s.servers, mode, "2026-12-05_Paarrennen.doc",
                                            Table(Rows(Edge), widths), path, &error);
        QVERIFY2(written == refused.isEmpty() && error.contains(refused), qPrintable(error));
        if (!written) return;
        const QString file = s.Path("Dokumente/2026-12-05_Paarrennen.docx");
        QCOMPARE(s.opened, mode == DocumentInteractive ? QStringList{file} : QStringList());
        PYTHON(doc, "docx", R"py(d = docx.Document(sys.argv[1])
h = d.sections[0].header.paragraphs if d.sections else []
print(json.dumps([[p.text for p in d.paragraphs], [[[c.text for c in r.cells] for r in t.rows]
                  for t in d.tables], h[0].text if h else ''])))py",
               file);
        QVERIFY2(doc.isArray(), qPrintable(doc.toString()));
        const QJsonArray paragraphs = doc[0].toArray();
        QCOMPARE(paragraphs[0].toString() + '|' + paragraphs[1].toString(),
                 "Stadtmeisterschaft|Protokoll");
        QCOMPARE(doc[1].toArray().size(), 1);
        QCOMPARE(Text(doc[1][0]),
                 "St.Nr.|Name, Vorname|Ort|Klasse|Datum|Turm1|Turm2|Zeit|Platz\n"
                 "12|Meier, Hans|Ötztal|A||12,34|DIS.||1\n"
                 "7|Wolfeschlegelsteinhausen-Bergerdorff, Maximilian|München|B|05.12.2026|"
                 "1:02,50|0,50|1:03,00|2");
        QCOMPARE(paragraphs.contains("Text der Vorlage"), templ == "full");
        QCOMPARE(doc[2].toString(), templ == "full" ? "Kopfzeile des Vereins" : "");
    }
};

QTEST_GUILESS_MAIN(TestFiles)
#include "tst_files.moc"
