// The office commands in the main window: when the buttons are enabled, Ctrl+E and Ctrl+W with
// the "Qualifikation" dummy row, the spreadsheet and document types of the save dialog, and the
// load dialog's spreadsheet import, which changes nothing when the file cannot be read.
#include "persist/OfficeStandIn.h"
#include "persist/Workbook.h"
#include "TestSupport.h"
#include "ui/FMain.h"

#include <QComboBox>
#include <QGuiApplication>
#include <QLocale>
#include <QToolButton>
#include <QtTest>

namespace {
// Our stand-ins writing into the test's folder, and able to say that a server is missing.
class TTestServers : public TStandInServers {
public:
    using TStandInServers::TStandInServers;
    QStringList missing;
    bool Available(const QString& progId) const override {
        return !missing.contains(progId) && TStandInServers::Available(progId);
    }
    TAutoPtr Create(const QString& progId) override {
        if (missing.contains(progId)) throw EAutomation("Ungültige Klassenzeichenfolge");
        return TStandInServers::Create(progId);
    }
};

TTestServers& UseTestServers(TWindowFixture& f) {
    TStandInHost host;
    host.DocumentsFolder = f.dir.filePath("Dokumente");
    host.TempFolder = f.dir.filePath("tmp");
    TScriptedDialogs* dialogs = &f.dialogs;
    host.OpenDocument = [dialogs](const QString& file) { dialogs->ShellOpen(file); };
    auto servers = std::make_unique<TTestServers>(host);
    TTestServers& ref = *servers;
    f.w->OfficeServers = std::move(servers);
    f.w->DocTemplatePath = f.dir.filePath("Protokollvorlage.doc");
    f.w->UpdateControls();
    return ref;
}

QStringList StartNumbers(const TWorkbook& book) {
    QStringList out;
    for (const auto& row : book.Sheet.Rows)
        out << AutoValueText(row.value(0).Value);
    return out;
}

// The whole protocol: every entry with its cells, the dummy included.
TProtocolRows Shown(const TFormMain& w) {
    return w.Competition->Rows(TCompetition::ForExitCopy);
}

TWorkbook ReadBook(const QString& file) {
    TWorkbook book;
    QString error;
    if (!ReadXlsxFile(file, &book, &error)) qWarning("%s", qPrintable(error));
    return book;
}
} // namespace

class TestOffice : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    void buttons_data() {
        QTest::addColumn<int>("participants");
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<bool>("excel");
        QTest::addColumn<bool>("word");
        QTest::newRow("both servers") << 3 << QStringList() << true << true;
        QTest::newRow("empty protocol") << 0 << QStringList() << false << false;
        QTest::newRow("no word processor") << 3 << QStringList{"Word.Basic"} << true << false;
        QTest::newRow("no spreadsheet, no document either")
            << 3 << QStringList{"Excel.Application"} << false << false;
    }
    void buttons() {
        QFETCH(int, participants);
        QFETCH(QStringList, missing);
        QFETCH(bool, excel);
        QFETCH(bool, word);
        TWindowFixture f(false);
        TTestServers& servers = UseTestServers(f);
        servers.missing = missing;
        f.Load(1, ParticipantRows(participants));
        f.w->UpdateControls();
        QCOMPARE(f.w->sbExcel->isEnabled(), excel);
        QCOMPARE(f.w->sbWord->isEnabled(), word);
        QCOMPARE(f.w->sbExcel->toolTip(), QStringLiteral("[Ctrl+E] Datei in MS Excel"));
        QCOMPARE(f.w->sbWord->toolTip(), QStringLiteral("[Ctrl+W] Datei in MS Word"));
        // The keys are never disabled.
        QVERIFY(f.w->Excel1->isEnabled());
        QVERIFY(f.w->Word1->isEnabled());
    }

    void ctrlEShowsTheWorkbookWithoutTheDummy() {
        TWindowFixture f;
        UseTestServers(f);
        f.Load(0, ParticipantRows(3));
        TFormMain& w = *f.w;
        QCOMPARE(w.SortGrid1->Cells(Col::StNr, 1), QString("0"));
        const TProtocolRows before = Shown(w);
        f.Key(Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(f.dialogs.shellOpened.size(), 1);
        const QString file = f.dialogs.shellOpened[0];
        QVERIFY(file.endsWith(".xlsx"));
        QCOMPARE(StartNumbers(ReadBook(file)), QStringList({"St.Nr.", "1", "2", "3"}));
        QCOMPARE(Shown(w), before); // nothing changed, the dummy still at row 1
        QCOMPARE(w.SortGrid1->Cells(Col::StNr, 1), QString("0"));
        QVERIFY(!w.Competition->Modified());
        QVERIFY(f.dialogs.messages.isEmpty());
        f.w.reset(); // the program's end takes the shown workbook away
        QVERIFY(!QFileInfo::exists(file));
    }

    void failedSpreadsheetExportIsSaid() {
        TWindowFixture f;
        TTestServers& servers = UseTestServers(f);
        f.Load(0, ParticipantRows(2));
        const TProtocolRows before = Shown(*f.w);
        servers.missing = {"Excel.Application"};
        f.w->sbExcelClick();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages[0].contains("Klassenzeichenfolge"));
        QCOMPARE(Shown(*f.w), before);
        QVERIFY(f.dialogs.shellOpened.isEmpty());
    }

    void ctrlWWritesTheDocument_data() {
        QTest::addColumn<QStringList>("missing");
        QTest::addColumn<QList<bool>>("answers"); // to "replace the day's earlier document?"
        QTest::addColumn<bool>("written");
        QTest::newRow("written and shown") << QStringList() << QList<bool>() << true;
        QTest::newRow("no word processor: nothing said")
            << QStringList{"Word.Basic"} << QList<bool>() << false;
        QTest::newRow("earlier one kept") << QStringList() << QList<bool>{false} << false;
        QTest::newRow("earlier one replaced") << QStringList() << QList<bool>{true} << true;
    }
    void ctrlWWritesTheDocument() {
        QFETCH(QStringList, missing);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, written);
        TWindowFixture f;
        TTestServers& servers = UseTestServers(f);
        servers.missing = missing;
        f.Load(0, ParticipantRows(2));
        const TProtocolRows before = Shown(*f.w);
        const QString file = f.dir.filePath("Dokumente/" + f.w->DefaultExportName() + ".docx");
        if (!answers.isEmpty()) QVERIFY(QDir().mkpath(f.dir.filePath("Dokumente")));
        if (!answers.isEmpty()) QVERIFY(QFile(file).open(QIODevice::WriteOnly));
        f.dialogs.answers = answers;
        f.Key(Qt::Key_W, Qt::ControlModifier);
        QCOMPARE(f.dialogs.asked.size(), answers.size());
        QCOMPARE(QFileInfo(file).size() > 0, written);
        QCOMPARE(f.dialogs.shellOpened, written ? QStringList{file} : QStringList());
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(Shown(*f.w), before);
        QVERIFY(!QGuiApplication::overrideCursor()); // the hourglass is gone again
    }

    void saveAsOfficeTypes_data() {
        QTest::addColumn<int>("filter");
        QTest::addColumn<QString>("written");
        QTest::newRow("spreadsheet") << 2 << "out.xlsx";
        QTest::newRow("document") << 3 << "out.docx";
    }
    void saveAsOfficeTypes() {
        QFETCH(int, filter);
        QFETCH(QString, written);
        TWindowFixture f;
        UseTestServers(f);
        f.Load(0, ParticipantRows(2));
        f.w->Competition->SetModified(true);
        f.dialogs.saveNames = {f.dir.filePath("out")};
        f.dialogs.chosenFilter = filter;
        f.Key(Qt::Key_S, Qt::ControlModifier);
        QVERIFY(QFileInfo::exists(f.dir.filePath(written)));
        QVERIFY(!f.w->Competition->Modified());
        QCOMPARE(f.w->SortGrid1->Cells(Col::StNr, 1), QString("0"));
        QCOMPARE(f.w->Settings.FilterInd, filter);
        QVERIFY(f.dialogs.shellOpened.isEmpty()); // saved, not shown
        if (filter == 2)
            QCOMPARE(StartNumbers(ReadBook(f.dir.filePath(written))),
                     QStringList({"St.Nr.", "1", "2"}));
    }

    void failedOfficeSaveIsSaid_data() {
        QTest::addColumn<int>("filter");
        QTest::newRow("spreadsheet") << 2;
        QTest::newRow("document") << 3;
    }
    void failedOfficeSaveIsSaid() {
        QFETCH(int, filter);
        TWindowFixture f;
        UseTestServers(f);
        f.Load(1, ParticipantRows(2));
        f.w->Competition->SetModified(true);
        const QString blocked = f.dir.filePath(filter == 2 ? "out.xlsx" : "out.docx");
        QVERIFY(QDir().mkpath(blocked)); // a folder where the file should go
        f.dialogs.saveNames = {f.dir.filePath("out")};
        f.dialogs.chosenFilter = filter;
        f.w->sbSaveClick();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages[0].startsWith("Protokoll wurde nicht gespeichert"));
        QVERIFY(f.w->Competition->Modified());
    }

    void loadImportsTheSpreadsheet() {
        TWindowFixture f;
        TTestServers& servers = UseTestServers(f);
        TProtocolRows rows = ParticipantRows(4);
        rows[2][5] = "12,34";
        rows[3][5] = "DIS.";
        rows[0][2] = "Verein";
        TOfficeTable table{"TL-Veltaro", "x", rows, {}};
        const QString file = f.dir.filePath("Stadtlauf.xlsx");
        ExportSpreadsheet(servers, table, file);
        f.w->SetVid(1);
        f.dialogs.openNames = {file};
        f.Key(Qt::Key_O, Qt::ControlModifier); // under the text type: the content decides
        TFormMain& w = *f.w;
        QVERIFY(f.dialogs.messages.isEmpty());
        QCOMPARE(w.SortGrid1->RowCount(), 5);
        QCOMPARE(w.SortGrid1->Cells(Col::Name, 4), QString("Name4"));
        QCOMPARE(w.SortGrid1->Cells(Col::Turm1, 2), QString("12,34"));
        QCOMPARE(w.SortGrid1->Cells(Col::Turm1, 3), QString("DIS."));
        QCOMPARE(w.SortGrid1->Cells(Col::Ort, 0), QString("Verein")); // the file's title
        QCOMPARE(w.SortGrid1->Cells(Col::Entry, 4), QString("4"));
        QCOMPARE(w.cbBuhn1->count(), 4);
        QVERIFY(w.windowTitle().endsWith(": Stadtlauf"));
        QVERIFY(!w.Competition->Modified());
    }

    void failedImportChangesNothing_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QString>("reason");
        QTest::newRow("damaged zip") << QByteArray("PK\x03\x04 damaged") << "beschädigt";
        QTest::newRow("password") << QByteArray::fromHex("D0CF11E0A1B11AE1") +
                                         QByteArray(
                                             "E\0n\0c\0r\0y\0p\0t\0e\0d\0P\0a\0c\0k\0a\0g\0e\0", 32)
                                  << "Kennwort";
    }
    void failedImportChangesNothing() {
        QFETCH(QByteArray, bytes);
        QFETCH(QString, reason);
        TWindowFixture f;
        UseTestServers(f);
        f.Load(2, ParticipantRows(3));
        QVERIFY(f.w->Competition->SetCell(0, Col::Turm1, "12,34"));
        f.w->Competition->SetModified(true);
        const TProtocolRows before = Shown(*f.w);
        const QString title = f.w->windowTitle();
        const QString file = f.dir.filePath("bad.xlsx");
        QFile out(file);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write(bytes);
        out.close();
        f.dialogs.openNames = {file};
        f.w->sbLoadClick();
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY2(f.dialogs.messages[0].contains(reason), qPrintable(f.dialogs.messages[0]));
        QCOMPARE(Shown(*f.w), before);
        QCOMPARE(f.w->windowTitle(), title);
        QVERIFY(f.w->Competition->Modified());
        QCOMPARE(f.w->cbBuhn1->count(), 3);
    }
};

QTEST_MAIN(TestOffice)
#include "tst_office.moc"
