// The protocol in an office suite's files, through our stand-in servers: what the exports
// write is read back by an independent reader (Python's openpyxl and python-docx) and by our
// own import, workbooks written by openpyxl are imported, and bad files are refused.
#include "FuzzXlsxRead.h"
#include "persist/OfficeExport.h"
#include "persist/OfficeStandIn.h"
#include "persist/Workbook.h"
#include "persist/ZipArchive.h"
#include "PersistSupport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>
#include <QtTest>

namespace {
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
        for (int c = OfficeFirstTimeCol; r > 0 && c <= OfficeLastTimeCol; ++c)
            rows[r][c] = PadTime(rows[r][c]);
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

class TestOfficeFiles : public QObject {
    Q_OBJECT
private slots:
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
        QTest::newRow("DIS.") << S("DIS.") << S("DIS.") << "-";
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
        QTest::newRow("old extension") << Edge << S("Protokoll.xls") << "Protokoll.xlsx";
        QTest::newRow("shown") << Edge << S("") << "";
        QTest::newRow("another extension") << Edge << S("a.txt") << "a.txt.xlsx";
        QString many = Titles;
        for (int i = 1; i <= 1000; ++i)
            many += QStringLiteral("\n%1|Name %1, Vorname|Ort|A|01.01.2000|%2,%3|DIS.||||| |%1|%1")
                        .arg(i)
                        .arg(i % 60)
                        .arg(10 + i % 90);
        QTest::newRow("1000 rows")
            << many << S("2026-12-05_Paarrennen") << "2026-12-05_Paarrennen.xlsx";
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
        PYTHON(cells, "openpyxl",
               "ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]\n"
               "print(json.dumps([[c.value for c in r] for r in ws.iter_rows()]))",
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

QTEST_GUILESS_MAIN(TestOfficeFiles)
#include "tst_officefiles.moc"
