#include <QtTest>

#include "persist/ProtocolHtml.h"

#include <QFile>
#include <QTemporaryDir>

namespace {

const QStringList Titles = {"St.Nr.", "Name, Vorname", "Ort",   "Klasse", "Datum", "Turm1", "Turm2",
                            "Turm3",  "Turm4",         "Turm5", "Turm6",  "Zeit",  "Platz", "."};
// Two active runs: Turm3..Turm6 and the entry number hidden.
const QVector<int> TwoRunWidths = {40, 180, 120, 50, 80, 87, 87, -1, -1, -1, -1, 87, 40, -1};

QString Crlf(const char* text) {
    return QString::fromUtf8(text).replace("\n", "\r\n");
}

const char* const Head =
    "<HTML>\n"
    "<HEAD>\n"
    "<!-- Tavoleno -->\n"
    "<TITLE>Veltaro: Stadtcup 2026</TITLE>\n"
    "<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">\n"
    "<META content=\"Tavoleno, http://www.tavoleno.de\" name=Webdesign>\n"
    "<meta name=\"Webdesign\" content=\"Tavoleno\">\n"
    "<style type=\"text/css\">\n"
    "<!--\n"
    "body {font-family:Verdana;\n"
    "scrollbar-track-color:#F9F9E6;\n"
    "scrollbar-face-color:#B0A786}\n"
    "table {font-size:10pt}\n"
    "a:hover{text-decoration:none; background-color:#E2E6CB}\n"
    "-->\n"
    "</style></head>\n"
    "<body bgcolor=#F9F9E6>\n"
    "<B>Veltaro<br>Stadtcup 2026</B><br>Protokoll<br>\n"
    "<br>\n"
    "</b><table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF borderColor=#E0E0E0 border=1 "
    "cellpadding=4 width=100%>\n"
    "<colgroup valign=top> <col align=right> <col align=centr> <col> <col><col>\n"
    "<col align=right><col align=right><col align=right> <col align=right></colgroup>\n"
    "<thead bgcolor=#B0A786><tr>\n"
    "<th nowrap><Center>St.Nr.</th>\n"
    "<th nowrap><Center>Name, Vorname</th>\n"
    "<th nowrap><Center>Ort</th>\n"
    "<th nowrap><Center>Klasse</th>\n"
    "<th nowrap><Center>Datum</th>\n"
    "<th nowrap><Center>Turm1</th>\n"
    "<th nowrap><Center>Turm2</th>\n"
    "<th nowrap><Center>Zeit</th>\n"
    "<th nowrap><Center>Platz</th>\n"
    "</tr></thead>\n";

const char* const Tail =
    "</table><hr><p align=right>\n"
    "</font><div style=\"width:100%; filter:Shadow(color=#000000, direction=315)\" align=right><a "
    "href=\"http://www.tavoleno.de\"><font size=5 color=#FF0000>Tav</font><font size=5 "
    "color=#00CC00>ole</font><font size=5 color=#F0DE00>no</font></a></div></p></body></html>\n";

THtmlPage Page(TProtocolRows data) {
    THtmlPage page;
    page.AppTitle = "Veltaro";
    page.CompetitionTitle = "Stadtcup 2026";
    page.rows = TProtocolRows{Titles} + data;
    page.colWidths = TwoRunWidths;
    page.CountZabegov = 2;
    return page;
}

} // namespace

class TestProtocolHtml : public QObject {
    Q_OBJECT
private slots:
    void page_data() {
        QTest::addColumn<TProtocolRows>("data");
        QTest::addColumn<QString>("body");
        QTest::newRow("two runs")
            << TProtocolRows{{"12", "Meier, Hans", "Bern", "A", "", "12,34", "13,01", "", "", "",
                              "", "25,35", "1", "2"},
                             {"7", "Jürg", " ", "B", "", "DIS.", "", "", "", "", "", "", "", "1"}}
            << Crlf("<tr><td>12<td>Meier, Hans<td>Bern<td>A<td>&nbsp;<td>12,34<td>13,01"
                    "<td><B>25,35<td><B>1</tr>\n"
                    "<tr><td>7<td>Jürg<td> <td>B<td>&nbsp;<td>DIS.<td>&nbsp;<td><B>&nbsp;"
                    "<td><B>&nbsp;</tr>\n");
        QTest::newRow("empty protocol")
            << TProtocolRows{QStringList(14)}
            << Crlf("<tr><td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;<td>&nbsp;"
                    "<td><B>&nbsp;<td><B>&nbsp;</tr>\n");
    }
    void page() {
        QFETCH(TProtocolRows, data);
        QFETCH(QString, body);
        QCOMPARE(ProtocolHtml(Page(data)), Crlf(Head) + body + Crlf(Tail));
    }

    void runColumnsDeclared_data() {
        QTest::addColumn<int>("runs");
        QTest::addColumn<int>("declared");
        QTest::newRow("one") << 1 << 1;
        QTest::newRow("six") << 6 << 6;
        QTest::newRow("none is one") << 0 << 1;
        QTest::newRow("too many is six") << 99 << 6;
    }
    void runColumnsDeclared() {
        QFETCH(int, runs);
        QFETCH(int, declared);
        THtmlPage page = Page({});
        page.CountZabegov = runs;
        const QString html = ProtocolHtml(page);
        const QString expected = QString("<col align=right>").repeated(declared) +
                                 "<col align=right> <col align=right></colgroup>\r\n";
        QVERIFY(html.contains("\r\n" + expected));
    }

    void escapesProtocolText() {
        THtmlPage page = Page({{"1", "<b>Tom & \"Jerry\"</b>", "Ort"}});
        page.AppTitle = "A&B";
        page.CompetitionTitle = "<Cup>";
        page.rows[0][1] = "Name <Vorname>";
        const QString html = ProtocolHtml(page);
        QVERIFY(html.contains("<TITLE>A&amp;B: &lt;Cup&gt;</TITLE>"));
        QVERIFY(html.contains("<B>A&amp;B<br>&lt;Cup&gt;</B>"));
        QVERIFY(html.contains("<Center>Name &lt;Vorname&gt;</th>"));
        QVERIFY(html.contains("<td>&lt;b&gt;Tom &amp; &quot;Jerry&quot;&lt;/b&gt;<td>"));
        QVERIFY(!html.contains("<b>Tom"));
    }

    void writesUtf8ThroughTemporaryFile() {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        const QString name = dir.filePath("timer.html");
        THtmlPage page = Page({{"1", "Jürg Möhr"}});
        QString error;
        QVERIFY2(WriteProtocolHtml(name, page, &error), qPrintable(error));
        QFile file(name);
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        QVERIFY(bytes.contains("J\xC3\xBCrg M\xC3\xB6hr"));
        QCOMPARE(QString::fromUtf8(bytes), ProtocolHtml(page));
        QCOMPARE(QDir(dir.path()).entryList(QDir::Files), QStringList{"timer.html"});

        // A directory of that name: the error names the file; nothing else appears.
        const QString blocked = dir.filePath("blocked.html");
        QVERIFY(QDir().mkdir(blocked));
        QVERIFY(!WriteProtocolHtml(blocked, page, &error));
        QVERIFY2(error.startsWith(blocked + ": ") && error.size() > blocked.size() + 2,
                 qPrintable(error));
    }
};

QTEST_MAIN(TestProtocolHtml)
#include "tst_protocolhtml.moc"
