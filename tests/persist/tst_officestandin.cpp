// Our spreadsheet and document servers with real files: what the exports write is read back by
// an independent reader (Python's openpyxl and python-docx), workbooks written by openpyxl are
// imported, and bad files are refused with a reason.
#include <QtTest>

#include "persist/Docx.h"
#include "persist/OfficeExport.h"
#include "persist/OfficeStandIn.h"
#include "persist/Workbook.h"
#include "persist/ZipArchive.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QTemporaryDir>

namespace {
// Debian's Python, where python3-openpyxl and python3-docx are; a python3 earlier on the path
// may be another one without them.
QString PythonProgram() {
    return QFileInfo::exists(QStringLiteral("/usr/bin/python3"))
               ? QStringLiteral("/usr/bin/python3")
               : QStringLiteral("python3");
}

// Runs a Python script with arguments. False when Python or the module cannot be had (the
// caller skips), otherwise true with what the script printed; a failing script fails the test.
bool Python(const QString& module, const QString& script, const QStringList& args,
            QByteArray* out) {
    QProcess probe;
    probe.start(PythonProgram(), {QStringLiteral("-c"), QStringLiteral("import ") + module});
    if (!probe.waitForFinished(60000) || probe.exitCode() != 0) return false;
    QProcess p;
    p.start(PythonProgram(), QStringList{QStringLiteral("-c"), script} + args);
    if (!p.waitForFinished(120000)) {
        qWarning("python timed out");
        *out = QByteArray();
        return true;
    }
    if (p.exitCode() != 0) qWarning("%s", p.readAllStandardError().constData());
    *out = p.readAllStandardOutput();
    return true;
}

#define PYTHON_OR_SKIP(module, script, args, out)                                                  \
    if (!Python(QStringLiteral(module), QStringLiteral(script), args, out))                        \
        QSKIP("Python with " module " is not installed (Debian python3-" module ")");

struct TServers {
    QTemporaryDir dir;
    QStringList opened;
    TStandInServers servers;
    TServers() {
        TStandInHost host;
        host.DocumentsFolder = dir.filePath(QStringLiteral("Dokumente"));
        host.TempFolder = dir.filePath(QStringLiteral("tmp"));
        host.OpenDocument = [this](const QString& file) { opened << file; };
        servers = TStandInServers(host);
    }
    QString Path(const QString& name) const { return dir.filePath(name); }
};

QStringList Titles() {
    return QString("St.Nr.|Name, "
                   "Vorname|Ort|Klasse|Datum|Turm1|Turm2|Turm3|Turm4|Turm5|Turm6|Zeit|Platz|.")
        .split('|');
}
QStringList Row(const QString& cells) {
    QStringList l = cells.split('|');
    while (l.size() < 14)
        l << QString();
    return l;
}
// Every column shown but the entry number.
QVector<int> AllShown() {
    QVector<int> w(14, 40);
    w[13] = -1;
    return w;
}
TOfficeTable Table(const TProtocolRows& rows, const QVector<int>& widths = AllShown()) {
    return {QStringLiteral("TL-Veltaro"), QStringLiteral("Stadtmeisterschaft"), rows, widths};
}
// The protocol with the awkward cells: a time, DIS., an empty run, a long name, umlauts.
TProtocolRows EdgeRows() {
    return {Titles(), Row("12|Meier, Hans|Ötztal|A||12,34|DIS.||||||1|1"),
            Row("7|Wolfeschlegelsteinhausen-Bergerdorff, "
                "Maximilian|München|B|05.12.2026|1:02,50|0,50|||||1:03,00|2|2")};
}
// What an export and an import give back: the shown columns, times as they were (a blank
// time cell shortened to nothing), numbers as their text; the entry number is not exported.
TProtocolRows ReadBack(TProtocolRows rows) {
    for (qsizetype r = 0; r < rows.size(); ++r) {
        rows[r][13] = QString();
        for (int c = 5; r > 0 && c <= 11; ++c)
            if (rows[r][c].trimmed().isEmpty()) rows[r][c] = QString();
    }
    return rows;
}

QByteArray FileBytes(const QString& name) {
    QFile f(name);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}
bool WriteBytes(const QString& name, const QByteArray& bytes) {
    QFile f(name);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QString ImportError(TAutoServers& servers, const QString& name) {
    try {
        ImportSpreadsheet(servers, name);
    } catch (const EAutomation& e) {
        return e.Message;
    }
    return QString();
}

// A package holding one worksheet part with the given rows XML (no shared strings).
QByteArray SheetPackage(const QByteArray& sheetData, const QByteArray& kind = "worksheet") {
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    const QByteArray workbook =
        "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
        "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>";
    const QByteArray workbookRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/" +
        kind + "\" Target=\"worksheets/sheet1.xml\"/></Relationships>";
    const QByteArray sheet =
        "<worksheet "
        "xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\"><sheetData>" +
        sheetData + "</sheetData></worksheet>";
    return ZipPackage({{"_rels/.rels", rels},
                       {"xl/workbook.xml", workbook},
                       {"xl/_rels/workbook.xml.rels", workbookRels},
                       {"xl/worksheets/sheet1.xml", sheet}},
                      nullptr);
}

// An encrypted package as the office suites write it: a compound file whose directory holds
// the streams "EncryptionInfo" and "EncryptedPackage" (the content itself is irrelevant here).
QByteArray EncryptedPackage() {
    QByteArray bytes = QByteArray::fromHex("D0CF11E0A1B11AE1");
    bytes.resize(1536, '\0');
    auto name = [&](int at, const char* text) {
        for (int i = 0; text[i]; ++i)
            bytes[at + 2 * i] = text[i];
    };
    name(1024, "Root Entry");
    name(1152, "EncryptionInfo");
    name(1280, "EncryptedPackage");
    return bytes;
}
} // namespace

class TestOfficeStandIn : public QObject {
    Q_OBJECT
private slots:
    // --- spreadsheet export ---------------------------------------------------------------------
    void workbookReadByOpenpyxl() {
        TServers s;
        ExportSpreadsheet(s.servers, Table(EdgeRows()), s.Path("Protokoll.xls"));
        // The file holds .xlsx, so that is its name.
        QVERIFY(!QFileInfo::exists(s.Path("Protokoll.xls")));
        QVERIFY(QFileInfo::exists(s.Path("Protokoll.xlsx")));
        QVERIFY(s.opened.isEmpty());
        QByteArray out;
        PYTHON_OR_SKIP("openpyxl", R"(
import json, sys, openpyxl
wb = openpyxl.load_workbook(sys.argv[1])
ws = wb.worksheets[0]
cells = [[c.value for c in row] for row in ws.iter_rows()]
bold = [c.font.b for c in ws[1]]
borders = all(getattr(c.border, side).style == 'thin' for row in ws.iter_rows() for c in row
              for side in ('left', 'right', 'top', 'bottom'))
widths = {k: v.width for k, v in ws.column_dimensions.items()}
print(json.dumps({'cells': cells, 'bold': bold, 'borders': borders, 'title': ws.title,
                  'author': wb.properties.creator, 'comments': wb.properties.description,
                  'sheets': len(wb.worksheets), 'widthB': widths.get('B', 0), 'widthA': widths.get('A', 0),
                  'dims': ws.dimensions}))
)",
                       {s.Path("Protokoll.xlsx")}, &out);
        const QJsonObject o = QJsonDocument::fromJson(out).object();
        QVERIFY2(!o.isEmpty(), out.constData());
        QCOMPARE(o["dims"].toString(), QStringLiteral("A1:M3"));
        const QJsonArray rows = o["cells"].toArray();
        QCOMPARE(rows[0].toArray()[1].toString(), QStringLiteral("Name, Vorname"));
        const QJsonArray meier = rows[1].toArray();
        QCOMPARE(meier[0].toInt(), 12); // a whole number is a number in the workbook
        QCOMPARE(meier[2].toString(), QStringLiteral("Ötztal"));
        QCOMPARE(meier[5].toString(), QStringLiteral("00:12,34"));
        QCOMPARE(meier[6].toString(), QStringLiteral("DIS."));
        QVERIFY(meier[7].isNull());
        QCOMPARE(rows[2].toArray()[5].toString(), QStringLiteral("01:02,50"));
        QCOMPARE(rows[2].toArray()[6].toString(), QStringLiteral("00:00,50"));
        for (const QJsonValue& b : o["bold"].toArray())
            QVERIFY(b.toBool());
        QVERIFY(o["borders"].toBool());
        QCOMPARE(o["title"].toString(), QStringLiteral("TL-Veltaro"));
        QCOMPARE(o["author"].toString(), WorkbookAuthor());
        QCOMPARE(o["comments"].toString(), QStringLiteral("TL-Veltaro"));
        QCOMPARE(o["sheets"].toInt(), 1);
        // Autofit: the long name's column is far wider than the start number's.
        QVERIFY2(o["widthB"].toDouble() > 3 * o["widthA"].toDouble(), out.constData());
    }

    void workbookShownIsWrittenAndOpened() {
        TServers s;
        ExportSpreadsheet(s.servers, Table(EdgeRows()), QString());
        QCOMPARE(s.opened.size(), 1);
        QVERIFY(s.opened[0].startsWith(s.Path("tmp/")));
        QVERIFY(s.opened[0].endsWith(".xlsx"));
        TWorkbook book;
        QString error;
        QVERIFY2(ReadXlsxFile(s.opened[0], &book, &error), qPrintable(error));
        QCOMPARE(book.Sheet.Rows[1][5].Value.toString(), QStringLiteral("00:12,34"));
        QVERIFY(!QDir(s.Path("Dokumente")).exists() || QDir(s.Path("Dokumente")).isEmpty());
    }

    void saveNames_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("written");
        QTest::newRow("old extension") << "a.xls"
                                       << "a.xlsx";
        QTest::newRow("right extension") << "a.xlsx"
                                         << "a.xlsx";
        QTest::newRow("upper case") << "A.XLS"
                                    << "A.xlsx";
        QTest::newRow("none") << "2026-12-05_Paarrennen"
                              << "2026-12-05_Paarrennen.xlsx";
        QTest::newRow("another") << "a.txt"
                                 << "a.txt.xlsx";
    }
    void saveNames() {
        QFETCH(QString, name);
        QFETCH(QString, written);
        TServers s;
        ExportSpreadsheet(s.servers, Table(EdgeRows()), s.Path(name));
        QVERIFY(QFileInfo::exists(s.Path(written)));
    }

    void saveRefused() {
        TServers s;
        QVERIFY(QDir().mkpath(s.Path("x.xlsx"))); // a folder where the file should go
        QVERIFY_THROWS_EXCEPTION(EAutomation,
                                 ExportSpreadsheet(s.servers, Table(EdgeRows()), s.Path("x.xlsx")));
    }

    // --- round trips
    // ------------------------------------------------------------------------------
    void roundTrip_data() {
        QTest::addColumn<TProtocolRows>("rows");
        QTest::newRow("edge cells") << EdgeRows();
        TProtocolRows many{Titles()};
        for (int i = 1; i <= 1000; ++i)
            many << Row(
                QStringLiteral("%1|Name %1, Vorname|Ort %2|%3|0%4.01.2000|%5,%6|DIS.||||| |%1|%1")
                    .arg(i)
                    .arg(i % 17)
                    .arg(QChar('A' + i % 3))
                    .arg(1 + i % 9)
                    .arg(i % 60)
                    .arg(i % 100, 2, 10, QChar('0')));
        QTest::newRow("1000 rows") << many;
        // A control character is written as the format's escape "_x0001_"; a text that only
        // looks like such an escape stays that text.
        QTest::newRow("escapes") << TProtocolRows{
            Titles(), Row("1|Ctl\x01Name|a_x0041_b|_x005F_|_x00e4_x"), Row("2|Meier")};
    }
    void roundTrip() {
        QFETCH(TProtocolRows, rows);
        TServers s;
        ExportSpreadsheet(s.servers, Table(rows), s.Path("p.xlsx"));
        QCOMPARE(ImportSpreadsheet(s.servers, s.Path("p.xlsx")), ReadBack(rows));
        QByteArray out;
        PYTHON_OR_SKIP("openpyxl", R"(
import sys, openpyxl
ws = openpyxl.load_workbook(sys.argv[1]).worksheets[0]
print(ws.max_row, ws.cell(row=ws.max_row, column=2).value)
)",
                       {s.Path("p.xlsx")}, &out);
        QCOMPARE(QString::fromUtf8(out).trimmed(),
                 QStringLiteral("%1 %2").arg(rows.size()).arg(rows.last()[1]));
    }

    // --- import of workbooks from elsewhere
    // -------------------------------------------------------
    void foreignWorkbook() {
        TServers s;
        const QString file = s.Path("Startliste.xlsx");
        QByteArray out;
        PYTHON_OR_SKIP("openpyxl", R"(
import sys, datetime, openpyxl
wb = openpyxl.Workbook()
ws = wb.active
ws.append(['St.Nr.', 'Name, Vorname', 'Verein', 'Klasse', 'Geburtsdatum'])
for i in range(1, 9):
    ws.append([None if i == 6 else i, 'Läufer %d' % i, 'Club', 'A', datetime.datetime(2010, 3, i)])
ws['F2'] = 12.5
ws['F3'] = '00:12,34'
ws['G2'] = 'dis.'
ws['M2'] = True
other = wb.create_sheet('Zweites')
other['A1'] = 'nicht lesen'
wb.save(sys.argv[1])
print('ok')
)",
                       {file}, &out);
        QCOMPARE(out.trimmed(), QByteArray("ok"));
        const TProtocolRows rows = ImportSpreadsheet(s.servers, file);
        // The first empty first cell (row 7) ends the protocol: titles and five data rows.
        QCOMPARE(rows.size(), 6);
        QCOMPARE(rows[0][2], QStringLiteral("Verein"));
        QCOMPARE(rows[0][4], QStringLiteral("Geburtsdatum"));
        QCOMPARE(rows[1][0], QStringLiteral("1"));
        QCOMPARE(rows[1][1], QStringLiteral("Läufer 1"));
        QCOMPARE(rows[1][4], QStringLiteral("01.03.2010"));
        QCOMPARE(rows[1][5], "12" + QLocale().decimalPoint() + "5");
        QCOMPARE(rows[2][5], QStringLiteral("12,34"));
        QCOMPARE(rows[1][6], QStringLiteral("dis."));
        QCOMPARE(rows[1][12], QStringLiteral("WAHR"));
        QCOMPARE(rows[5][1], QStringLiteral("Läufer 5"));
        for (const QStringList& row : rows)
            QCOMPARE(row.size(), 14);
    }

    // --- bad input
    // --------------------------------------------------------------------------------
    void badInput_data() {
        QTest::addColumn<QByteArray>("bytes"); // empty: the file does not exist
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing") << QByteArray() << "gibt es nicht";
        QTest::newRow("text") << QByteArray("St.Nr.\tName\t\r\n1\tMeier\t\r\n")
                              << "keine Excel-Arbeitsmappe";
        QTest::newRow("zero bytes") << QByteArray(1, '\0').left(0).append("") << "gibt es nicht";
        QTest::newRow("legacy xls")
            << FileBytes(VELTARO_TEST_SOURCE_DIR "/persist/office/legacy.xls")
            << "alten Excel-Format";
        QTest::newRow("password") << EncryptedPackage() << "Kennwort";
        TServers s;
        ExportSpreadsheet(s.servers, Table(EdgeRows()), s.Path("good.xlsx"));
        const QByteArray good = FileBytes(s.Path("good.xlsx"));
        QVERIFY(good.size() > 1000);
        QTest::newRow("cut short") << good.left(good.size() / 2) << "beschädigt";
        QByteArray flipped = good;
        for (qsizetype i = 200; i < flipped.size() - 200; i += 97)
            flipped[i] = char(flipped[i] ^ 0x5A);
        QTest::newRow("bytes damaged") << flipped << "beschädigt";
        QTest::newRow("document") << ZipPackage({{"word/document.xml", "<w:document/>"}}, nullptr)
                                  << "keine Excel-Arbeitsmappe";
        QTest::newRow("bad sheet xml")
            << SheetPackage("<row r=\"1\"><c r=\"A1\" t=\"inlineStr\"><is><t>x</t></row>")
            << "beschädigt";
        QTest::newRow("bad cell reference")
            << SheetPackage("<row r=\"1\"><c r=\"1A\"><v>1</v></c></row>") << "beschädigt";
        QTest::newRow("shared string missing")
            << SheetPackage("<row r=\"1\"><c r=\"A1\" t=\"s\"><v>3</v></c></row>") << "beschädigt";
        QTest::newRow("empty A1") << SheetPackage("<row r=\"2\"><c r=\"A2\"><v>1</v></c></row>")
                                  << "A1";
        QTest::newRow("no sheet") << SheetPackage("", "chartsheet") << "Tabellenblatt";
    }
    void badInput() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        TServers s;
        const QString file = s.Path("in.xlsx");
        if (!bytes.isEmpty()) QVERIFY(WriteBytes(file, bytes));
        const QString error = ImportError(s.servers, file);
        QVERIFY2(error.contains(reason), qPrintable(error));
    }

    void hugeSheet() {
        // A million rows: refused once the protocol's limit is passed, not read whole.
        QByteArray rows;
        rows.reserve(40 * 1000000);
        for (int r = 1; r <= 1000000; ++r)
            rows += "<row r=\"" + QByteArray::number(r) + "\"><c r=\"A" + QByteArray::number(r) +
                    "\"><v>" + QByteArray::number(r) + "</v></c></row>";
        TServers s;
        QVERIFY(WriteBytes(s.Path("huge.xlsx"), SheetPackage(rows)));
        rows.clear();
        QElapsedTimer t;
        t.start();
        const QString error = ImportError(s.servers, s.Path("huge.xlsx"));
        QVERIFY2(error.contains(QString::number(XlsxReadMaxRows)), qPrintable(error));
        qInfo("refused in %lld ms", t.elapsed());
    }

    void partLimit() {
        // A part that unpacks to more than allowed is not unpacked whole.
        const QByteArray package = ZipPackage({{"big", QByteArray(1 << 20, 'x')}}, nullptr);
        TZipReader zip;
        QVERIFY(zip.Open(package, nullptr));
        qint64 seen = 0;
        QString error;
        QVERIFY(!zip.Stream(
            "big", 100000,
            [&](const char*, qsizetype n) {
                seen += n;
                return true;
            },
            &error));
        QVERIFY(seen <= 100000 + 64 * 1024);
        QVERIFY(!error.isEmpty());
    }

    // --- document
    // ---------------------------------------------------------------------------------
    void documentReadByPythonDocx_data() {
        QTest::addColumn<int>("mode");
        QTest::newRow("interactive") << int(DocumentInteractive);
        QTest::newRow("silent") << int(DocumentSilent);
    }
    void documentReadByPythonDocx() {
        QFETCH(int, mode);
        TServers s;
        QVector<int> widths{30, 100, 40, 40, 40, 50, 50, -1, -1, -1, -1, 60, 30, -1};
        QString error;
        QVERIFY2(ExportDocument(s.servers, mode, "2026-12-05_Paarrennen.doc",
                                Table(EdgeRows(), widths), s.Path("Protokollvorlage.doc"), &error),
                 qPrintable(error));
        // A name without a folder goes to the documents folder, as .docx.
        const QString file = s.Path("Dokumente/2026-12-05_Paarrennen.docx");
        QVERIFY(QFileInfo::exists(file));
        QCOMPARE(s.opened, mode == DocumentInteractive ? QStringList{file} : QStringList());
        QByteArray out;
        PYTHON_OR_SKIP("docx", R"(
import json, sys, docx
d = docx.Document(sys.argv[1])
print(json.dumps({'paragraphs': [p.text for p in d.paragraphs],
                  'tables': [[[c.text for c in r.cells] for r in t.rows] for t in d.tables]}))
)",
                       {file}, &out);
        const QJsonObject o = QJsonDocument::fromJson(out).object();
        QVERIFY2(!o.isEmpty(), out.constData());
        const QJsonArray paragraphs = o["paragraphs"].toArray();
        QCOMPARE(paragraphs[0].toString(), QStringLiteral("Stadtmeisterschaft"));
        QCOMPARE(paragraphs[1].toString(), QStringLiteral("Protokoll"));
        const QJsonArray tables = o["tables"].toArray();
        QCOMPARE(tables.size(), 1);
        const QJsonArray table = tables[0].toArray();
        QCOMPARE(table.size(), 3);
        QStringList titles, meier;
        for (const QJsonValue& v : table[0].toArray())
            titles << v.toString();
        for (const QJsonValue& v : table[1].toArray())
            meier << v.toString();
        QCOMPARE(
            titles,
            QString("St.Nr.|Name, Vorname|Ort|Klasse|Datum|Turm1|Turm2|Zeit|Platz").split('|'));
        QCOMPARE(meier, QString("12|Meier, Hans|Ötztal|A||12,34|DIS.||1").split('|'));
    }

    void documentTemplate_data() {
        QTest::addColumn<QString>("kind");    // of the template
        QTest::addColumn<QString>("refused"); // empty: the document is written
        QTest::newRow("docx template") << "full"
                                       << "";
        QTest::newRow("template we cannot read") << "legacy"
                                                 << "";
        QTest::newRow("empty body") << "empty"
                                    << "";
        QTest::newRow("unpacks to too much") << "huge"
                                             << "größer als 64 MB";
    }
    void documentTemplate() {
        QFETCH(QString, kind);
        QFETCH(QString, refused);
        const bool readable = kind == "full"; // its own text and header are kept
        TServers s;
        const QString templ = s.Path("Protokollvorlage.doc");
        QByteArray out;
        if (kind == "full" || kind == "empty") {
            PYTHON_OR_SKIP("docx", R"(
import sys, docx
d = docx.Document()
if sys.argv[2] == 'empty':
    for child in list(d.element.body): d.element.body.remove(child)
else:
    d.sections[0].header.paragraphs[0].text = 'Kopfzeile des Vereins'
    d.add_paragraph('Text der Vorlage')
d.save(sys.argv[1])
)",
                           (QStringList{templ, kind}), &out);
        } else if (kind == "legacy") {
            QVERIFY(
                WriteBytes(templ, QByteArray::fromHex("D0CF11E0A1B11AE1") + QByteArray(600, 'x')));
        } else {
            // Each part alone is small enough, together they are not.
            TZipEntries parts{{"word/document.xml", "<w:document xmlns:w=\"http://schemas."
                                                    "openxmlformats.org/wordprocessingml/2006/"
                                                    "main\"><w:body/></w:document>"}};
            for (const char* name : {"a", "b", "c"})
                parts.append({name, QByteArray(30 << 20, '\0')});
            QVERIFY(WriteBytes(templ, ZipPackage(parts, nullptr)));
        }
        QString error;
        const bool written = ExportDocument(s.servers, DocumentSilent, s.Path("out.doc"),
                                            Table(EdgeRows()), templ, &error);
        QVERIFY2(written == refused.isEmpty(), qPrintable(error));
        if (!written) {
            QVERIFY2(error.contains(refused), qPrintable(error));
            return;
        }
        PYTHON_OR_SKIP("docx", R"(
import json, sys, docx
d = docx.Document(sys.argv[1])
print(json.dumps({'paragraphs': [p.text for p in d.paragraphs], 'tables': len(d.tables),
                  'header': d.sections[0].header.paragraphs[0].text
                            if d.sections and d.sections[0].header.paragraphs else ''}))
)",
                       {s.Path("out.docx")}, &out);
        const QJsonObject o = QJsonDocument::fromJson(out).object();
        QVERIFY2(!o.isEmpty(), out.constData());
        QStringList paragraphs;
        for (const QJsonValue& v : o["paragraphs"].toArray())
            paragraphs << v.toString();
        QCOMPARE(paragraphs.value(0), QStringLiteral("Stadtmeisterschaft"));
        QCOMPARE(o["tables"].toInt(), 1);
        QCOMPARE(paragraphs.contains("Text der Vorlage"), readable);
        QCOMPARE(o["header"].toString(),
                 readable ? QStringLiteral("Kopfzeile des Vereins") : QString());
    }

    void documentCommands_data() {
        // The word processor's table from the selected lines: fields beyond the column count
        // go on in a new row, missing ones stay empty.
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("lines");
        QTest::addColumn<int>("columns");
        QTest::addColumn<QString>("table"); // rows by "/", cells by "|"
        QTest::newRow("three lines") << "T\r\na\tb\r\nc\td\r\n" << 2 << 2 << "a|b/c|d";
        QTest::newRow("short line padded") << "a\tb\r\nc\r\n" << 2 << 2 << "a|b/c|";
        QTest::newRow("long line wraps") << "a\tb\tc\r\n" << 1 << 2 << "a|b/c|";
        QTest::newRow("selection past the start") << "a\tb\r\n" << 5 << 2 << "a|b";
    }
    void documentCommands() {
        QFETCH(QString, text);
        QFETCH(int, lines);
        QFETCH(int, columns);
        QFETCH(QString, table);
        TServers s;
        TAutoPtr w = s.servers.Create("Word.Basic");
        w->Call("FileNew");
        w->Call("Insert", {ByRef(text)});
        w->Call("LineUp", {ByRef(lines), 1});
        w->Call("TextToTable", {NamedArg("ConvertFrom", 1), NamedArg("NumColumns", columns, true)});
        w->Call("FileSaveAs", {ByRef(s.Path("t.doc"))});
        w->Call("AppClose");
        QByteArray out;
        PYTHON_OR_SKIP("docx", R"(
import sys, docx
t = docx.Document(sys.argv[1]).tables[0]
print('/'.join('|'.join(c.text for c in r.cells) for r in t.rows))
)",
                       {s.Path("t.docx")}, &out);
        QCOMPARE(QString::fromUtf8(out).trimmed(), table);
    }

    void documentWithoutDocumentRefused() {
        TServers s;
        TAutoPtr w = s.servers.Create("Word.Basic");
        QVERIFY_THROWS_EXCEPTION(EAutomation, w->Call("Insert", {ByRef(QStringLiteral("x"))}));
        QVERIFY_THROWS_EXCEPTION(EAutomation, s.servers.Create("Outlook.Application"));
        QVERIFY(s.servers.Available("Excel.Application"));
        QVERIFY(s.servers.Available("Word.Basic"));
        QVERIFY(!s.servers.Available("Outlook.Application"));
    }
};

QTEST_MAIN(TestOfficeStandIn)
#include "tst_officestandin.moc"
