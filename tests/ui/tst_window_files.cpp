// Files through the main window's dialogs: what a load does to the protocol on screen, what a
// save writes and where, what the window says about a file it could not read whole, the
// published page, and the office exports and imports through our stand-in servers.
#include "persist/OfficeStandIn.h"
#include "persist/ProtocolText.h"
#include "persist/Workbook.h"
#include "TestSupport.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QGuiApplication>
#include <QStandardPaths>
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

TTestServers& UseTestServers(TWindowFixture& f, const QStringList& missing = {}) {
    TStandInHost host;
    host.DocumentsFolder = f.dir.filePath("Dokumente");
    host.TempFolder = f.dir.filePath("tmp");
    host.OpenDocument = [&f](const QString& file) { f.dialogs.ShellOpen(file); };
    auto servers = std::make_unique<TTestServers>(host);
    servers->missing = missing;
    TTestServers& ref = *servers;
    f.w->OfficeServers = std::move(servers);
    f.w->DocTemplatePath = f.dir.filePath("Protokollvorlage.doc");
    f.w->UpdateControls();
    return ref;
}

QStringList StartNumbers(const QString& xlsx) {
    TWorkbook book;
    QString error;
    if (!ReadXlsxFile(xlsx, &book, &error)) return {error};
    QStringList out;
    for (const auto& row : book.Sheet.Rows)
        out << AutoValueText(row.value(0).Value);
    return out;
}
} // namespace

class TestWindowFiles : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }

    // --- loading --------------------------------------------------------------------------
    // Ctrl+O over a protocol of three: a file that cannot be read keeps it and says why;
    // unsaved results go only when the operator says so; the file's content, not the type the
    // dialog showed, chooses the reader (a workbook too); what the reader had to repair is said. A start list
    // typed in an editor (semicolons, Windows-1252 umlauts, no entry numbers) loads without a
    // word, its file's name the competition's title.
    void open_data() {
        QTest::addColumn<QString>("steps");    // before Ctrl+O
        QTest::addColumn<QByteArray>("bytes"); // the file; empty: there is none
        QTest::addColumn<QString>("shown");
        QTest::addColumn<QString>("said"); // in the one message; empty: nothing said
        const auto row = [](const char* name, const char* steps, const QByteArray& bytes,
                            const QString& shown, const char* said = "") {
            QTest::newRow(name) << QString(steps) << bytes << shown << QString(said);
        };
        const QByteArray two = "St.Nr.\tName\t\r\n91\tA\t\r\n92\tB\t\r\n";
        const QString title = "|title=TL-Veltaro: Bezirkscup 2026";
        row("missing file", "F8 +6000 F4 F6", "", "col:0=1,2,3|asked=", "nicht gelesen werden");
        row("unsaved: No keeps them", "F8 +6000 F4 F6 no", two, "col:0=1,2,3|modified=1");
        row("unsaved: Yes loads", "F8 +6000 F4 F6 yes", two,
            "col:0=91,92|modified=0|tracks=91-92" + title);
        row("saved: no question", "", two, "col:0=91,92|asked=");
        row("text under the spreadsheet type", "filter:2", two, "col:0=91,92");
        row("UTF-8 with a stray byte", "",
            "St.Nr.\tName\t\r\n1\tM\xC3\xBCller \xE9\t\r\n2\tJ\xC3\xBCrg\t\r\n",
            QString::fromUtf16(u"c:1:1=Müller \uFFFD"), "enthält 1 ungültige UTF-8-Zeichen");
        row("NUL bytes: refused", "", QByteArray("St.Nr.\tName\t\r\n1\tM\0ller\t\r\n", 23),
            "c:1:1=Name1|title=TL-Veltaro: Wettkampf", "NUL-Bytes");
        row("a field too long", "",
            "St.Nr.\tName\t\r\n1\t" + QByteArray(ProtocolMaxFieldBytes + 1, 'x') + "\t\r\n",
            "c:1:1=" + QString(ProtocolMaxFieldBytes, 'x'),
            "1 Felder waren länger als 32767 Zeichen");
        row("too many lines", "",
            "St.Nr.\tName\t\r\n" + QByteArray("7\tMeier\t\r\n").repeated(ProtocolMaxRows + 9),
            "c:1:1=Meier", "10 Zeilen wurden nicht gelesen");
        row("typed start list", "",
            "Nr;Teilnehmer;Verein;Kat;Tag\r\n12;M\xfcller, J\xfcrgen;Gr\xfcnwald;A;\r\n"
            "7;Stra\xdf"
            "e, Anna ;Linz;B;\r\n3\tTab\tOrt\tA\t\r\n",
            "c:1:0=Teilnehmer|c:5:0=Turm1|col:1=Müller, Jürgen,Straße, Anna,Tab|col:13=1,2,3|"
            "tracks=12-7|modified=0|on:mStart=1" +
                title);
        // A workbook under a text file's name: the content decides.
        QTemporaryDir dir;
        TStandInServers servers;
        servers.Host().TempFolder = dir.path();
        TProtocolRows rows = ParticipantRows(4);
        rows[2][Col::Turm1] = "12,34";
        rows[3][Col::Turm1] = "DIS.";
        rows[0][Col::Ort] = "Verein";
        ExportSpreadsheet(servers, TOfficeTable{"TL-Veltaro", "x", rows, {}}, dir.filePath("a"));
        row("a workbook", "", Bytes(dir.filePath("a.xlsx")),
            "col:1=Name1,Name2,Name3,Name4|col:5=,12,34,DIS.,|c:2:0=Verein|col:13=1,2,3,4|"
            "modified=0" +
                title);
        row("a damaged workbook", "", "PK\x03\x04 damaged",
            "col:0=1,2,3|listed=1,2,3|title=TL-Veltaro: Wettkampf", "beschädigt");
    }
    void open() {
        QFETCH(QString, steps);
        QFETCH(QByteArray, bytes);
        QFETCH(QString, shown);
        QFETCH(QString, said);
        TWindowFixture f;
        const QString name = f.dir.filePath("Bezirkscup 2026.txt");
        if (!bytes.isEmpty()) QVERIFY(Put(name, bytes));
        f.dialogs.openNames = {name};
        f.Play("load:2/3 " + steps + " ^O");
        f.Expect(shown);
        if (!f.dialogs.asked.isEmpty())
            QVERIFY(f.dialogs.asked[0].startsWith("Ungespeicherte Ergebnisse verwerfen?"));
        QCOMPARE(f.dialogs.messages.size(), said.isEmpty() ? 0 : 1);
        if (!said.isEmpty()) QVERIFY2(f.dialogs.messages[0].contains(said), qPrintable(said));
    }

    // A file read only in part is never replaced without asking, and never by the exit copy,
    // which asks no one.
    void partlyReadFileIsKept_data() {
        QTest::addColumn<QString>("target"); // what Ctrl+S names; "exit": the exit copy's name
        QTest::addColumn<QList<bool>>("answers");
        QTest::addColumn<bool>("overwritten");
        QTest::newRow("same file, No") << "./lang.txt" << QList<bool>{false} << false;
        QTest::newRow("same file, Yes") << "./lang.txt" << QList<bool>{true} << true;
        QTest::newRow("another file: no question") << "b.txt" << QList<bool>{} << true;
        QTest::newRow("the exit copy") << "exit" << QList<bool>{} << false;
    }
    void partlyReadFileIsKept() {
        QFETCH(QString, target);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, overwritten);
        TWindowFixture f;
        f.ChooseMode(1); // no dummy row
        const QString name = f.dir.filePath("lang.txt");
        const QByteArray original = QByteArray("St.Nr.\tName\t\r\n") +
                                    QByteArray("7\tMeier\t\r\n").repeated(ProtocolMaxRows + 12344);
        QVERIFY(Put(name, original));
        f.dialogs.openNames = {name};
        f.Play("^O");
        const QString file = f.dir.filePath(target == "exit" ? "lang.txt" : target);
        f.dialogs.saveNames = {file};
        f.dialogs.answers = answers;
        if (target == "exit") {
            f.w->ProgramFile = f.dir.filePath("lang"); // the copy's first choice: lang.txt
            f.w->Shutdown();
            QFile::remove(QStandardPaths::writableLocation(QStandardPaths::AppDataLocation) +
                          "/lang.txt");
        } else {
            f.Play("^S");
        }
        QCOMPARE(f.dialogs.asked.size(), answers.size());
        if (!answers.isEmpty()) QVERIFY(f.dialogs.asked[0].contains("nur zum Teil gelesen"));
        QCOMPARE(QFileInfo::exists(file) && Bytes(file) != original, overwritten);
        if (!overwritten) QCOMPARE(Bytes(name), original);
    }

    // --- saving -----------------------------------------------------------------------------
    // A name without an extension gets the chosen type's; the "Qualifikation" dummy row stays
    // out of the file and on the screen. A failed save says what failed, keeps the mark of
    // unsaved results and leaves an older file of that name alone.
    void save_data() {
        QTest::addColumn<QString>("typed");   // in the test's folder, where "blocker" is a file
        QTest::addColumn<int>("filter");      // 1 text, 2 spreadsheet, 3 document, 4 HTML
        QTest::addColumn<QString>("written"); // or the start of the failure's message
        const auto row = [](const char* name, const char* typed, int filter, const char* written) {
            QTest::newRow(name) << QString(typed) << filter << QString(written);
        };
        row("text, no extension", "2026-12-05_Paarrennen", 1, "2026-12-05_Paarrennen.txt");
        row("HTML, no extension", "Ergebnis", 4, "Ergebnis.html");
        row("another extension kept", "Ergebnis.csv", 1, "Ergebnis.csv");
        row("spreadsheet", "out", 2, "out.xlsx");
        row("document", "out", 3, "out.docx");
        const char* failed = "Protokoll wurde nicht gespeichert";
        row("text fails", "blocker/Ergebnis", 1, failed);
        row("HTML fails", "blocker/Ergebnis", 4, "Error write file: ");
        row("spreadsheet fails", "blocker/Ergebnis", 2, failed);
        row("document fails", "blocker/Ergebnis", 3, failed);
    }
    void save() {
        QFETCH(QString, typed);
        QFETCH(int, filter);
        QFETCH(QString, written);
        TWindowFixture f;
        UseTestServers(f);
        f.Play("load:0/2 F8 +5000 F4 +100 F6");
        QVERIFY(Put(f.dir.filePath("blocker"), "old results\r\n"));
        f.dialogs.chosenFilter = filter;
        f.dialogs.saveNames << f.dir.filePath(typed);
        f.Play("^S");
        QCOMPARE(Bytes(f.dir.filePath("blocker")), QByteArray("old results\r\n"));
        if (typed.startsWith("blocker")) {
            QCOMPARE(f.dialogs.messages.size(), 1);
            QVERIFY2(f.dialogs.messages[0].startsWith(written), qPrintable(f.dialogs.messages[0]));
            f.Expect("modified=1");
            return;
        }
        const QString file = f.dir.filePath(written);
        QVERIFY(QFileInfo::exists(file));
        if (written != typed) QVERIFY(!QFileInfo::exists(f.dir.filePath(typed)));
        f.Expect("modified=0|msgs=0|c:0:1=0");
        QVERIFY(f.dialogs.shellOpened.isEmpty());                // saved, not shown
        if (filter == 1) QCOMPARE(Bytes(file).count("\r\n"), 3); // titles and two, no dummy
        if (filter == 2) QCOMPARE(StartNumbers(file), QStringList({"St.Nr.", "1", "2"}));
        QCOMPARE(f.Settings().FilterInd, filter);
    }

    // The page as shown, without the dummy row, opened (Ctrl+H) or printed (Ctrl+P) by the
    // desktop; the protocol stays as it was.
    void publish() {
        for (const bool print : {false, true}) {
            TWindowFixture f;
            f.Load(0, ParticipantRows(2));
            const QString cwd = QDir::currentPath();
            QDir::setCurrent(f.dir.path());
            f.Play(print ? "^P" : "^H");
            QDir::setCurrent(cwd);
            const QStringList& called = print ? f.dialogs.shellPrinted : f.dialogs.shellOpened;
            QCOMPARE(called.size(), 1);
            const QByteArray page = Bytes(called[0]);
            QVERIFY(page.contains("Name2"));
            QCOMPARE(page.count("<tr>"), 3); // the header row and two participants
            f.Expect("c:0:1=0|modified=0");
        }
    }

    // --- the office exports -----------------------------------------------------------------
    // Ctrl+E shows the workbook (the program's end takes it away again), Ctrl+W writes the
    // day's document and shows it, asking before it replaces an earlier one; neither changes
    // the protocol, and neither shows the dummy row. A missing spreadsheet program is said, a
    // missing word processor is not.
    void officeKeys_data() {
        QTest::addColumn<QString>("key");
        QTest::addColumn<QString>("missing");
        QTest::addColumn<QList<bool>>("answers"); // to "replace the day's earlier document?"
        QTest::addColumn<bool>("shown");
        QTest::newRow("^E") << "^E"
                            << "" << QList<bool>() << true;
        QTest::newRow("^E, no spreadsheet program")
            << "^E"
            << "Excel.Application" << QList<bool>() << false;
        QTest::newRow("^W") << "^W"
                            << "" << QList<bool>() << true;
        QTest::newRow("^W, no word processor") << "^W"
                                               << "Word.Basic" << QList<bool>() << false;
        QTest::newRow("^W, earlier one kept") << "^W"
                                              << "" << QList<bool>{false} << false;
        QTest::newRow("^W, earlier one replaced") << "^W"
                                                  << "" << QList<bool>{true} << true;
    }
    void officeKeys() {
        QFETCH(QString, key);
        QFETCH(QString, missing);
        QFETCH(QList<bool>, answers);
        QFETCH(bool, shown);
        TWindowFixture f;
        UseTestServers(f, {missing});
        f.Load(0, ParticipantRows(3));
        const TProtocolRows before = f.Competition().Rows(TCompetition::ForExitCopy);
        const QString day = f.dir.filePath(
            "Dokumente/" + QDate::currentDate().toString("yyyy-MM-dd") + "_Qualifikation.docx");
        if (!answers.isEmpty()) QVERIFY(QDir().mkpath(f.dir.filePath("Dokumente")));
        if (!answers.isEmpty()) QVERIFY(Put(day, ""));
        f.dialogs.answers = answers;
        f.Play(key);
        QCOMPARE(f.Competition().Rows(TCompetition::ForExitCopy), before);
        const bool said = key == "^E" && !missing.isEmpty();
        f.Expect(QString("c:0:1=0|modified=0|msgs=%1").arg(said ? 1 : 0));
        if (said) QVERIFY(f.dialogs.messages[0].contains("Klassenzeichenfolge"));
        QCOMPARE(f.dialogs.asked.size(), answers.size());
        QCOMPARE(f.dialogs.shellOpened.size(), shown ? 1 : 0);
        QCOMPARE(QFileInfo(day).size() > 0, key == "^W" && shown);
        QVERIFY(!QGuiApplication::overrideCursor()); // the hourglass is gone again
        if (!shown || key == "^W") return;
        const QString file = f.dialogs.shellOpened[0];
        QCOMPARE(StartNumbers(file), QStringList({"St.Nr.", "1", "2", "3"}));
        f.forms.reset();
        QVERIFY(!QFileInfo::exists(file));
    }
};

QTEST_MAIN(TestWindowFiles)
#include "tst_window_files.moc"
