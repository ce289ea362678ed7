#include "persist/BracketHtml.h"

#include "core/BracketText.h"
#include "persist/ProtocolHtml.h"
#include "persist/SafeFile.h"

#include <QCoreApplication>

namespace {
const QString CRLF = QStringLiteral("\r\n");

QString Esc(const QString& s) {
    return HtmlEscaped(s);
}

QString Cell(const QString& cls, const QString& text) {
    return QStringLiteral("<td class=\"%1\">%2</td>").arg(cls, text.isEmpty() ? "&nbsp;" : text);
}

QString SideRow(const TBracket::THeat& heat, int side, const TBracketPage& page) {
    const size_t s = size_t(side);
    const bool won = heat.Winner == side;
    const int seed = heat.Seed[s];
    QString row = won ? QStringLiteral("<tr class=\"win\">") : QStringLiteral("<tr>");
    row += Cell(QStringLiteral("seed"), seed > 0 ? QString::number(seed) : QString());
    QString name = Esc(BracketSideText(heat, side, page.Name));
    if (heat.Bye && heat.Entry[s] < 0) name = QStringLiteral("<i>") + name + QStringLiteral("</i>");
    row += Cell(QStringLiteral("name"), name);
    row += Cell(QStringLiteral("time"), Esc(BracketLaneText(heat.Lane[s], page.TimeFormat)));
    return row + QStringLiteral("</tr>") + CRLF;
}

QString HeatTable(const TBracket::THeat& heat, int number, bool current, const TBracketPage& page) {
    QString h = QStringLiteral("<table class=\"heat%1\">").arg(current ? " current" : "");
    h += QStringLiteral("<caption>%1</caption>")
             .arg(Esc(QCoreApplication::translate("BracketHtml", "Lauf %1%2")
                          .arg(number)
                          .arg(current ? QCoreApplication::translate("BracketHtml", " – jetzt")
                                       : QString()))) +
         CRLF;
    h += SideRow(heat, 0, page) + SideRow(heat, 1, page);
    // A voided run stays on the page, struck through, so the re-run's result can be checked.
    for (const auto& lanes : heat.Voided) {
        h += QStringLiteral("<tr class=\"void\"><td colspan=\"3\">%1 <s>%2</s> – <s>%3</s>"
                            "</td></tr>")
                 .arg(Esc(QCoreApplication::translate("BracketHtml", "ungültig:")),
                      Esc(BracketLaneText(lanes[0], page.TimeFormat)),
                      Esc(BracketLaneText(lanes[1], page.TimeFormat))) +
             CRLF;
    }
    return h + QStringLiteral("</table>") + CRLF;
}

QString BracketBody(const TBracket& bracket, const TBracketPage& page) {
    QString h;
    const auto& heats = bracket.Heats();
    if (bracket.IsEmpty()) {
        h += QStringLiteral("<p>") +
             Esc(QCoreApplication::translate("BracketHtml", "Kein K.-o.-Feld.")) +
             QStringLiteral("</p>") + CRLF;
    } else {
        const int current = bracket.CurrentHeat();
        const int rounds = bracket.Rounds();
        h += QStringLiteral("<div class=\"rounds\">") + CRLF;
        // One section per round, the small final as a section of its own before the final.
        for (int r = 0; r < rounds; ++r) {
            for (bool small : {true, false}) {
                if (small && r != rounds - 1) continue;
                QString section;
                for (int i = 0; i < heats.size(); ++i)
                    if (heats[i].Round == r && heats[i].SmallFinal == small)
                        section += HeatTable(heats[i], i + 1, i == current, page);
                if (section.isEmpty()) continue;
                h += QStringLiteral("<section class=\"round\"><h3>") +
                     Esc(BracketRoundName(r, rounds, small)) + QStringLiteral("</h3>") + CRLF;
                h += section + QStringLiteral("</section>") + CRLF;
            }
        }
        h += QStringLiteral("</div>") + CRLF;
    }
    return h;
}

QString PlacesBody(const TBracket& bracket, const QVector<std::pair<int, int>>& given,
                   const TBracketPage& page) {
    QString h;
    QVector<std::pair<int, int>> places = given.isEmpty() ? bracket.Places() : given;
    places.removeIf([](const std::pair<int, int>& p) { return p.second <= 0; });
    if (places.isEmpty()) {
        h += QStringLiteral("<p>") +
             Esc(QCoreApplication::translate("BracketHtml", "Noch keine Plätze entschieden.")) +
             QStringLiteral("</p>") + CRLF;
    } else {
        h += QStringLiteral("<table class=\"places\"><tr><th>%1</th><th>%2</th></tr>")
                 .arg(Esc(QCoreApplication::translate("BracketHtml", "Platz")),
                      Esc(QCoreApplication::translate("BracketHtml", "Name"))) +
             CRLF;
        for (const auto& [entry, place] : places) {
            const QString name = page.Name ? page.Name(entry) : QString::number(entry + 1);
            h += QStringLiteral("<tr>") + Cell(QStringLiteral("seed"), QString::number(place)) +
                 Cell(QStringLiteral("name"), Esc(name)) + QStringLiteral("</tr>") + CRLF;
        }
        h += QStringLiteral("</table>") + CRLF;
    }
    return h;
}

const char* const kStyle[] = {
    "<style>",
    "body{font-family:Verdana,sans-serif;background:#F9F9E6;margin:1em}",
    ".rounds{display:flex;flex-wrap:wrap;gap:1.5em;align-items:flex-start}",
    ".round h3{margin:0 0 .4em}",
    "table{border-collapse:collapse;background:#FFFFFF;margin-bottom:.8em;font-size:10pt}",
    "td,th{border:1px solid #E0E0E0;padding:3px 6px}",
    "caption{text-align:left;color:#605030}",
    ".seed{text-align:right;color:#808080}.time{text-align:right}",
    "tr.win td{font-weight:bold;background:#E2E6CB}",
    "tr.void td{color:#A00000;font-size:9pt}",
    "table.current{outline:3px solid #F0B000}",
    "th{background:#B0A786}",
    "</style>",
};
} // namespace

QString BracketHtml(const TBracket& bracket, const TBracketPage& page) {
    return BracketHtml(QVector<TBracketPageSection>{{QString(), bracket, page.Places}}, page);
}

QString BracketHtml(const QVector<TBracketPageSection>& sections, const TBracketPage& page) {
    const QString app = Esc(page.AppTitle);
    const QString competition = Esc(page.CompetitionTitle);
    QString h;
    const QString bracketWord = Esc(QCoreApplication::translate("BracketHtml", "K.-o.-Feld"));
    h += QStringLiteral("<!DOCTYPE html>") + CRLF +
         QStringLiteral("<html lang=\"%1\">")
             .arg(QCoreApplication::translate("BracketHtml", "de", "the page's language")) +
         CRLF;
    h += QStringLiteral("<head>") + CRLF + QStringLiteral("<meta charset=\"UTF-8\">") + CRLF;
    h += QStringLiteral("<title>") + app + QStringLiteral(": ") + competition +
         QStringLiteral(" – ") + bracketWord + QStringLiteral("</title>") + CRLF;
    for (const char* line : kStyle)
        h += QLatin1String(line) + CRLF;
    h += QStringLiteral("</head>") + CRLF + QStringLiteral("<body>") + CRLF;
    h += QStringLiteral("<h1>") + app + QStringLiteral("<br>") + competition +
         QStringLiteral("</h1>") + CRLF;
    for (const TBracketPageSection& part : sections) {
        const QString of =
            part.Category.isEmpty() ? QString() : QStringLiteral(" – ") + Esc(part.Category);
        h += QStringLiteral("<h2>") + bracketWord + of + QStringLiteral("</h2>") + CRLF;
        h += BracketBody(part.Bracket, page);
        h += QStringLiteral("<h2>") +
             Esc(QCoreApplication::translate("BracketHtml", "Platzierung")) + of +
             QStringLiteral("</h2>") + CRLF;
        h += PlacesBody(part.Bracket, part.Places, page);
    }
    h += QStringLiteral("</body>") + CRLF + QStringLiteral("</html>") + CRLF;
    return h;
}

bool WriteBracketHtml(const QString& fileName, const TBracket& bracket, const TBracketPage& page,
                      QString* error) {
    return WriteFileSafely(fileName, BracketHtml(bracket, page).toUtf8(), error);
}

bool WriteBracketHtml(const QString& fileName, const QVector<TBracketPageSection>& sections,
                      const TBracketPage& page, QString* error) {
    return WriteFileSafely(fileName, BracketHtml(sections, page).toUtf8(), error);
}
