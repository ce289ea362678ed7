#include "persist/ProtocolHtml.h"

#include "persist/SafeFile.h"

#include <QCoreApplication>
#include <QtGlobal>

namespace {

const QString CRLF = QStringLiteral("\r\n");

QString Esc(const QString& s) {
    return HtmlEscaped(s);
}

bool ColumnShown(const THtmlPage& page, int col) {
    return col >= page.colWidths.size() || page.colWidths.at(col) > 0;
}

} // namespace

QString HtmlEscaped(const QString& s) {
    return s.toHtmlEscaped();
}

QString ProtocolHtml(const THtmlPage& page) {
    const int runs = qBound(1, page.CountZabegov, 6);
    const int colCount = page.rows.isEmpty() ? 0 : int(page.rows.first().size());
    const QString app = Esc(page.AppTitle);
    const QString competition = Esc(page.CompetitionTitle);

    QString h;
    h += QStringLiteral("<HTML>") + CRLF + QStringLiteral("<HEAD>") + CRLF;
    h += QStringLiteral("<!-- Tavoleno -->") + CRLF;
    h += QStringLiteral("<TITLE>") + app + QStringLiteral(": ") + competition +
         QStringLiteral("</TITLE>") + CRLF;
    h += QStringLiteral("<meta http-equiv=\"Content-Type\" content=\"text/html; charset=UTF-8\">") +
         CRLF;
    h +=
        QStringLiteral("<META content=\"Tavoleno, http://www.tavoleno.de\" name=Webdesign>") + CRLF;
    h += QStringLiteral("<meta name=\"Webdesign\" content=\"Tavoleno\">") + CRLF;
    for (const char* line :
         {"<style type=\"text/css\">", "<!--", "body {font-family:Verdana;",
          "scrollbar-track-color:#F9F9E6;", "scrollbar-face-color:#B0A786}",
          "table {font-size:10pt}", "a:hover{text-decoration:none; background-color:#E2E6CB}",
          "-->", "</style></head>", "<body bgcolor=#F9F9E6>"})
        h += QLatin1String(line) + CRLF;
    h += QStringLiteral("<B>") + app + QStringLiteral("<br>") + competition +
         QStringLiteral("</B><br>") +
         Esc(QCoreApplication::translate("ProtocolHtml", "Protokoll")) + QStringLiteral("<br>") +
         CRLF + QStringLiteral("<br>") + CRLF;
    h += QStringLiteral("</b><table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF "
                        "borderColor=#E0E0E0 border=1 cellpadding=4 width=100%>") +
         CRLF;
    h += QStringLiteral("<colgroup valign=top> <col align=right> <col align=centr> <col> "
                        "<col><col>") +
         CRLF;
    h += QStringLiteral("<col align=right>").repeated(runs) +
         QStringLiteral("<col align=right> <col align=right></colgroup>") + CRLF +
         QStringLiteral("<thead bgcolor=#B0A786><tr>") + CRLF;

    if (!page.rows.isEmpty()) {
        const QStringList& titles = page.rows.first();
        for (int c = 0; c < colCount; ++c)
            if (ColumnShown(page, c))
                h += QStringLiteral("<th nowrap><Center>") + Esc(titles.at(c)) +
                     QStringLiteral("</th>") + CRLF;
    }
    h += QStringLiteral("</tr></thead>") + CRLF;

    for (qsizetype r = 1; r < page.rows.size(); ++r) {
        const QStringList& row = page.rows.at(r);
        h += QStringLiteral("<tr>");
        for (int c = 0; c < colCount; ++c) {
            if (!ColumnShown(page, c)) continue;
            h += QStringLiteral("<td>");
            if (c >= colCount - 3) h += QStringLiteral("<B>");
            const QString cell = c < row.size() ? row.at(c) : QString();
            h += cell.isEmpty() ? QStringLiteral("&nbsp;") : Esc(cell);
        }
        h += QStringLiteral("</tr>") + CRLF;
    }

    h += QStringLiteral("</table>");
    if (!page.reactions.isEmpty()) {
        h += CRLF + QStringLiteral("<br><B>") +
             QCoreApplication::translate("ProtocolHtml", "Reaktionszeiten") +
             QStringLiteral("</B><br>") + CRLF +
             QStringLiteral("<table style=\"BORDER-COLLAPSE: collapse\" bgcolor=#FFFFFF "
                            "borderColor=#E0E0E0 border=1 cellpadding=4>") +
             CRLF + QStringLiteral("<thead bgcolor=#B0A786><tr>");
        for (const char* title :
             {QT_TRANSLATE_NOOP("ProtocolHtml", "St.Nr."),
              QT_TRANSLATE_NOOP("ProtocolHtml", "Name"), QT_TRANSLATE_NOOP("ProtocolHtml", "Lauf"),
              QT_TRANSLATE_NOOP("ProtocolHtml", "Reaktion")})
            h += QStringLiteral("<th nowrap>") +
                 Esc(QCoreApplication::translate("ProtocolHtml", title)) + QStringLiteral("</th>");
        h += QStringLiteral("</tr></thead>") + CRLF;
        for (const QStringList& row : page.reactions) {
            h += QStringLiteral("<tr>");
            for (const QString& cell : row)
                h += QStringLiteral("<td>") +
                     (cell.isEmpty() ? QStringLiteral("&nbsp;") : Esc(cell));
            h += QStringLiteral("</tr>") + CRLF;
        }
        h += QStringLiteral("</table>");
    }
    h += QStringLiteral("<hr><p align=right>") + CRLF;
    h += QStringLiteral("</font><div style=\"width:100%; filter:Shadow(color=#000000, "
                        "direction=315)\" align=right><a href=\"http://www.tavoleno.de\">"
                        "<font size=5 color=#FF0000>Tav</font><font size=5 "
                        "color=#00CC00>ole</font><font size=5 color=#F0DE00>no</font>"
                        "</a></div></p></body></html>") +
         CRLF;
    return h;
}

bool WriteProtocolHtml(const QString& fileName, const THtmlPage& page, QString* error) {
    return WriteFileSafely(fileName, ProtocolHtml(page).toUtf8(), error);
}
