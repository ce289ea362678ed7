// The office commands against the automation seam: which calls they make, in which order,
// with which arguments and by-reference marks, what they do when a call fails, and the text
// rules they use (PadTime, ShortenTime, the document text).
#include <QtTest>

#include "persist/OfficeExport.h"

#include <QTemporaryDir>

namespace {
// A server that writes down every call. Each object is named after the member that gave it;
// answers come from a table by "Object.Member", a failure is raised at a chosen member.
struct TLog {
    QStringList lines;
    QHash<QString, QVariant> answers;
    QString failAt;
};

QString ArgText(const TAutoArg& a) {
    QString t;
    if (a.Value.metaType() == QMetaType::fromType<TAutoPtr>())
        t = QStringLiteral("obj");
    else if (a.Value.metaType().id() == QMetaType::QVariantList)
        t = QStringLiteral("[%1x%2]")
                .arg(a.Value.toList().size())
                .arg(a.Value.toList().value(0).toList().size());
    else
        t = a.Value.toString();
    if (!a.Name.isEmpty()) t = a.Name + '=' + t;
    return a.ByRef ? '&' + t : t;
}

class TRecorder : public TAutoObject {
public:
    TRecorder(std::shared_ptr<TLog> log, QString name)
        : m_log(std::move(log)), m_name(std::move(name)) {}
    QVariant Get(const QString& name, const TAutoArgs& args) override {
        return Do("get", name, args);
    }
    QVariant Call(const QString& name, const TAutoArgs& args) override {
        return Do("call", name, args);
    }
    void Put(const QString& name, const TAutoArg& value) override {
        m_log->lines << QStringLiteral("put %1.%2=%3").arg(m_name, name, ArgText(value));
        if (m_log->failAt == name) throw EAutomation(QStringLiteral("failed: ") + name);
    }

private:
    QVariant Do(const char* kind, const QString& name, const TAutoArgs& args) {
        QStringList a;
        for (const TAutoArg& arg : args)
            a << ArgText(arg);
        m_log->lines
            << QStringLiteral("%1 %2.%3(%4)").arg(QLatin1String(kind), m_name, name, a.join(','));
        if (m_log->failAt == name) throw EAutomation(QStringLiteral("failed: ") + name);
        const auto answer = m_log->answers.constFind(m_name + '.' + name);
        if (answer != m_log->answers.constEnd()) return *answer;
        return AutoValue(std::make_shared<TRecorder>(m_log, name));
    }
    std::shared_ptr<TLog> m_log;
    QString m_name;
};

class TRecordingServers : public TAutoServers {
public:
    std::shared_ptr<TLog> log = std::make_shared<TLog>();
    bool missing = false;
    bool Available(const QString&) const override { return !missing; }
    TAutoPtr Create(const QString& progId) override {
        log->lines << QStringLiteral("new ") + progId;
        if (missing) throw EAutomation(QStringLiteral("no server ") + progId);
        return std::make_shared<TRecorder>(log, QStringLiteral("X"));
    }
};

TOfficeTable Table(const TProtocolRows& rows, const QVector<int>& widths = {}) {
    return {QStringLiteral("TL-Veltaro"), QStringLiteral("Stadtmeisterschaft"), rows, widths};
}

QStringList Row(const QString& cells) {
    return cells.split('|');
}
} // namespace

class TestOfficeExport : public QObject {
    Q_OBJECT
private slots:
    // --- time texts -----------------------------------------------------------------------
    void padTime_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("padded");
        QTest::newRow("seconds") << "12,34"
                                 << "00:12,34";
        QTest::newRow("minutes") << "1:02,50"
                                 << "01:02,50";
        QTest::newRow("eight long") << "12:34,56"
                                    << "12:34,56";
        QTest::newRow("nine long unchanged") << "123:45,67"
                                             << "123:45,67";
        QTest::newRow("one char") << "5"
                                  << "00:00,05";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("blanks") << "   "
                                << "   ";
        QTest::newRow("DIS.") << "DIS."
                              << "DIS.";
        QTest::newRow("dis. with blanks") << " dis. "
                                          << " dis. ";
        QTest::newRow("leading blank kept") << " 12,34"
                                            << "00 12,34";
    }
    void padTime() {
        QFETCH(QString, text);
        QFETCH(QString, padded);
        QCOMPARE(PadTime(text), padded);
    }

    void shortenTime_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shortened");
        QTest::newRow("minutes zero") << "00:12,34"
                                      << "12,34";
        QTest::newRow("under a second") << "00:00,50"
                                        << "0,50";
        QTest::newRow("minutes kept") << "01:02,50"
                                      << "1:02,50";
        QTest::newRow("already short") << "12,34"
                                       << "12,34";
        QTest::newRow("all zero") << "00:00,00"
                                  << "0,00";
        QTest::newRow("empty") << ""
                               << "";
        QTest::newRow("number text") << "12.34"
                                     << "12.34";
        QTest::newRow("at most four") << "0000000,5"
                                      << "000,5";
        QTest::newRow("padded and back") << PadTime("9,99") << "9,99";
    }
    void shortenTime() {
        QFETCH(QString, text);
        QFETCH(QString, shortened);
        QCOMPARE(ShortenTime(text), shortened);
    }

    void valueText_data() {
        QTest::addColumn<QVariant>("value");
        QTest::addColumn<QString>("text");
        const QString sep = QLocale().decimalPoint();
        QTest::newRow("empty") << QVariant() << "";
        QTest::newRow("text") << QVariant(QStringLiteral("Meier")) << "Meier";
        QTest::newRow("whole number") << QVariant(12.0) << "12";
        QTest::newRow("decimal") << QVariant(12.34) << "12" + sep + "34";
        QTest::newRow("15 digits") << QVariant(4.2999999999999998) << "4" + sep + "3";
        QTest::newRow("date") << QVariant(QDateTime(QDate(2026, 12, 5), QTime(0, 0)))
                              << "05.12.2026";
        QTest::newRow("date and time")
            << QVariant(QDateTime(QDate(2026, 12, 5), QTime(9, 30, 5))) << "05.12.2026 09:30:05";
        QTest::newRow("time") << QVariant(QTime(0, 1, 2)) << "00:01:02";
        QTest::newRow("bool") << QVariant(true) << "WAHR";
    }
    void valueText() {
        QFETCH(QVariant, value);
        QFETCH(QString, text);
        QCOMPARE(AutoValueText(value), text);
    }

    // --- the spreadsheet export's calls -------------------------------------------------------
    void exportCalls_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QStringList>("tail");
        QTest::newRow("shown") << QString() << QStringList{"put X.Visible=true"};
        QTest::newRow("saved") << "p.xlsx"
                               << QStringList{"call Add.SaveAs(&p.xlsx)", "call X.Application()",
                                              "call Application.Quit()"};
    }
    void exportCalls() {
        QFETCH(QString, name);
        QFETCH(QStringList, tail);
        TRecordingServers servers;
        // Three rows, five columns of which one hidden: four shown.
        const TProtocolRows rows{Row("St.Nr.|Name|Ort|Klasse|Turm1"), Row("1|A|B|C|12,34"),
                                 Row("2|D|E|F|DIS.")};
        ExportSpreadsheet(servers, Table(rows, {30, 100, -1, 40, 50}), name);
        QStringList expected{"new Excel.Application",
                             "put X.DisplayAlerts=false",
                             "call X.Application()",
                             "put Application.EnableEvents=false",
                             "call X.WorkBooks()",
                             "call WorkBooks.Add()",
                             "get Add.WorkSheets(1)",
                             "get WorkSheets.Cells(1,1)",
                             "get Add.WorkSheets(1)",
                             "get WorkSheets.Cells(3,4)",
                             "get Add.WorkSheets(1)",
                             "get WorkSheets.Range(&obj,&obj)",
                             "put Range.Value=&[3x4]",
                             "call Range.Borders()",
                             "put Borders.LineStyle=1",
                             "get Add.WorkSheets(1)",
                             "get WorkSheets.Rows(1)",
                             "call Rows.Font()",
                             "put Font.Bold=true",
                             "put Add.Author=" + WorkbookAuthor(),
                             "put Add.Comments=TL-Veltaro",
                             "get Add.WorkSheets(1)",
                             "put WorkSheets.Name=TL-Veltaro",
                             "get Add.WorkSheets(1)",
                             "call WorkSheets.Columns()",
                             "call Columns.Autofit()"};
        QCOMPARE(servers.log->lines, expected + tail);
    }

    void exportArray() {
        // The array: shown columns only, times padded in data rows, everything text.
        QVariant array;
        class TCatch : public TAutoObject {
        public:
            QVariant* out;
            explicit TCatch(QVariant* o) : out(o) {}
            QVariant Get(const QString&, const TAutoArgs&) override {
                return AutoValue(std::make_shared<TCatch>(out));
            }
            QVariant Call(const QString&, const TAutoArgs&) override {
                return AutoValue(std::make_shared<TCatch>(out));
            }
            void Put(const QString& name, const TAutoArg& v) override {
                if (name == QLatin1String("Value")) *out = v.Value;
            }
        };
        class TCatchServers : public TAutoServers {
        public:
            QVariant* out;
            bool Available(const QString&) const override { return true; }
            TAutoPtr Create(const QString&) override { return std::make_shared<TCatch>(out); }
        } catcher;
        catcher.out = &array;
        QStringList titles =
            Row("St.Nr.|Name, "
                "Vorname|Ort|Klasse|Datum|Turm1|Turm2|Turm3|Turm4|Turm5|Turm6|Zeit|Platz|.");
        QStringList data = Row("12|Meier||A||12,34|DIS.|||||1:02,50|1|1");
        QVector<int> widths{30, 100, 40, 40, 40, 50, 50, -1, -1, -1, -1, 60, 30, -1};
        ExportSpreadsheet(catcher, Table({titles, data}, widths), QString());
        const QVariantList lines = array.toList();
        QCOMPARE(lines.size(), 2);
        QStringList got;
        for (const QVariant& v : lines[1].toList()) {
            QCOMPARE(v.metaType().id(), QMetaType::QString);
            got << v.toString();
        }
        QCOMPARE(got, Row("12|Meier||A||00:12,34|DIS.|01:02,50|1"));
        QCOMPARE(lines[0].toList().value(5).toString(),
                 QStringLiteral("Turm1")); // titles not padded
    }

    void exportFailure_data() {
        QTest::addColumn<QString>("failAt");
        QTest::addColumn<QString>("name");
        QTest::addColumn<QString>("last");
        QTest::newRow("values refused, shown") << "Value" << QString() << "put X.Visible=true";
        QTest::newRow("save refused, closed") << "SaveAs"
                                              << "p.xlsx"
                                              << "call Application.Quit()";
        QTest::newRow("bad sheet name, closed") << "Name"
                                                << "p.xlsx"
                                                << "call Application.Quit()";
    }
    void exportFailure() {
        QFETCH(QString, failAt);
        QFETCH(QString, name);
        QFETCH(QString, last);
        TRecordingServers servers;
        servers.log->failAt = failAt;
        QString message;
        try {
            ExportSpreadsheet(servers, Table({Row("a|b"), Row("1|2")}), name);
        } catch (const EAutomation& e) {
            message = e.Message;
        }
        QCOMPARE(message, "failed: " + failAt);
        QCOMPARE(servers.log->lines.last(), last);
    }

    void exportWithoutServer() {
        TRecordingServers servers;
        servers.missing = true;
        QVERIFY_THROWS_EXCEPTION(EAutomation,
                                 ExportSpreadsheet(servers, Table({Row("a")}), QString()));
        QCOMPARE(servers.log->lines, QStringList{"new Excel.Application"});
    }

    // --- the spreadsheet import ---------------------------------------------------------------
    void importRows_data() {
        QTest::addColumn<QVariantList>("sheet"); // rows of cell values, as the server gives them
        QTest::addColumn<TProtocolRows>("rows");
        auto line = [](const QVariantList& cells) {
            QVariantList l = cells;
            while (l.size() < 14)
                l << QVariant();
            return QVariant(l);
        };
        auto full = [](const QString& cells) {
            QStringList l = cells.split('|');
            while (l.size() < 14)
                l << QString();
            return l;
        };
        const QVariant titles = line({"St.Nr.", "Name", "Ort", "Klasse", "Datum"});
        QTest::newRow("times shortened, DIS. kept, numbers as text")
            << QVariantList{titles, line({12.0, "Meier", "", "A", "", "00:12,34", " dis. ",
                                          QVariant(), "", "", "", "01:02,50", 1.0, 7.0})}
            << TProtocolRows{full("St.Nr.|Name|Ort|Klasse|Datum"),
                             full("12|Meier||A||12,34| dis. |||||1:02,50|1|7")};
        QTest::newRow("a number in a time column")
            << QVariantList{titles, line({1.0, "A", "", "", "", 12.5})}
            << TProtocolRows{full("St.Nr.|Name|Ort|Klasse|Datum"),
                             full("1|A||||12" + QString(QLocale().decimalPoint()) + "5")};
        QVariantList gap{titles};
        for (int i = 1; i < 9; ++i)
            gap << line({i == 6 ? QVariant() : QVariant(double(i)), "N"});
        TProtocolRows five{full("St.Nr.|Name|Ort|Klasse|Datum")};
        for (int i = 1; i <= 5; ++i)
            five << full(QString::number(i) + "|N");
        QTest::newRow("gap at row 7 ends the protocol") << gap << five;
        QTest::newRow("titles only")
            << QVariantList{titles} << TProtocolRows{full("St.Nr.|Name|Ort|Klasse|Datum")};
        QTest::newRow("blank first cell is no gap")
            << QVariantList{titles, line({" ", "B"})}
            << TProtocolRows{full("St.Nr.|Name|Ort|Klasse|Datum"), full(" |B")};
    }
    void importRows() {
        QFETCH(QVariantList, sheet);
        QFETCH(TProtocolRows, rows);
        TRecordingServers servers;
        servers.log->answers.insert("Rows.Count", int(sheet.size()));
        servers.log->answers.insert("Range.Value", sheet);
        QCOMPARE(ImportSpreadsheet(servers, "in.xlsx"), rows);
        const QStringList expected{
            "new Excel.Application",
            "call X.Application()",
            "put Application.EnableEvents=false",
            "call X.WorkBooks()",
            "call WorkBooks.Open(&in.xlsx)",
            "get Open.WorkSheets(1)",
            "call WorkSheets.Rows()",
            "call Rows.Count()",
            "get Open.WorkSheets(1)",
            "get WorkSheets.Cells(&1,&1)",
            "get Open.WorkSheets(1)",
            QStringLiteral("get WorkSheets.Cells(&%1,&14)").arg(sheet.size()),
            "get Open.WorkSheets(1)",
            "get WorkSheets.Range(&obj,&obj)",
            "call Range.Value()",
            "call X.Application()",
            "call Application.Quit()"};
        QCOMPARE(servers.log->lines, expected);
    }

    void importFailure_data() {
        QTest::addColumn<QString>("failAt");
        QTest::addColumn<QVariantList>("sheet");
        QTest::newRow("file refused") << "Open" << QVariantList{QVariant(QVariantList{"a"})};
        QTest::newRow("empty first cell")
            << QString() << QVariantList{QVariant(QVariantList{QVariant(), "x"})};
    }
    void importFailure() {
        QFETCH(QString, failAt);
        QFETCH(QVariantList, sheet);
        TRecordingServers servers;
        servers.log->failAt = failAt;
        servers.log->answers.insert("Rows.Count", int(sheet.size()));
        servers.log->answers.insert("Range.Value", sheet);
        QVERIFY_THROWS_EXCEPTION(EAutomation, ImportSpreadsheet(servers, "in.xlsx"));
        QCOMPARE(servers.log->lines.last(), QStringLiteral("call Application.Quit()"));
    }

    // --- the document -------------------------------------------------------------------------
    void documentText() {
        // Two rows and nine shown columns (of 14: four run columns and the entry number hidden);
        // the last column is never part of the document.
        QStringList titles =
            Row("St.Nr.|Name, "
                "Vorname|Ort|Klasse|Datum|Turm1|Turm2|Turm3|Turm4|Turm5|Turm6|Zeit|Platz|.");
        QVector<int> widths{30, 100, 40, 40, 40, 50, 50, -1, -1, -1, -1, 60, 30, -1};
        const TProtocolRows rows{titles, Row("1|Meier|Ort|A|x|12,34|DIS.|||||12,34|1|1"),
                                 Row("2|Huber||B||13,00|13,50|||||26,50|2|2")};
        int columns = 0;
        const QString text = DocumentText(Table(rows, widths), &columns);
        QCOMPARE(columns, 9);
        QCOMPARE(text,
                 QStringLiteral(
                     "Stadtmeisterschaft\r\nProtokoll\r\n"
                     "St.Nr.\tName, Vorname\tOrt\tKlasse\tDatum\tTurm1\tTurm2\tZeit\tPlatz\r\n"
                     "1\tMeier\tOrt\tA\tx\t12,34\tDIS.\t12,34\t1\r\n"
                     "2\tHuber\t\tB\t\t13,00\t13,50\t26,50\t2\r\n"));
    }

    void documentCalls_data() {
        QTest::addColumn<int>("mode");
        QTest::addColumn<bool>("withTemplate");
        QTest::newRow("interactive, new") << int(DocumentInteractive) << false;
        QTest::newRow("silent, template") << int(DocumentSilent) << true;
    }
    void documentCalls() {
        QFETCH(int, mode);
        QFETCH(bool, withTemplate);
        QTemporaryDir dir;
        const QString templ = dir.filePath("Protokollvorlage.doc");
        if (withTemplate) {
            QFile f(templ);
            QVERIFY(f.open(QIODevice::WriteOnly));
        }
        TRecordingServers servers;
        const TProtocolRows rows{Row("a|b|c"), Row("1|2|3")};
        const QString text = DocumentText(Table(rows));
        QVERIFY(ExportDocument(servers, mode, "out.doc", Table(rows), templ));
        QStringList expected{"new Word.Basic",
                             mode == DocumentInteractive ? "call X.AppMaximize()"
                                                         : "call X.AppMinimize()",
                             withTemplate ? "call X.FileOpen(&" + templ + ")" : "call X.FileNew()",
                             "call X.Insert(&" + text + ")",
                             "call X.LineUp(&2,1)",
                             "call X.TextToTable(ConvertFrom=1,&NumColumns=2)",
                             "call X.FileSaveAs(&out.doc)"};
        if (mode != DocumentInteractive) expected << "call X.AppClose()";
        QCOMPARE(servers.log->lines, expected);
    }

    void documentFailureSwallowed_data() {
        QTest::addColumn<QString>("failAt");
        QTest::addColumn<bool>("missing");
        QTest::newRow("no server") << QString() << true;
        QTest::newRow("save refused") << "FileSaveAs" << false;
        QTest::newRow("table refused") << "TextToTable" << false;
    }
    void documentFailureSwallowed() {
        QFETCH(QString, failAt);
        QFETCH(bool, missing);
        TRecordingServers servers;
        servers.missing = missing;
        servers.log->failAt = failAt;
        QString error;
        bool ok = true;
        try {
            ok = ExportDocument(servers, DocumentSilent, "x.doc", Table({Row("a")}), QString(),
                                &error);
        } catch (...) {
            QFAIL("a document failure escaped");
        }
        QVERIFY(!ok);
        QVERIFY(!error.isEmpty());
        QVERIFY(!servers.log->lines.contains("call X.AppClose()"));
    }
};

QTEST_MAIN(TestOfficeExport)
#include "tst_officeexport.moc"
