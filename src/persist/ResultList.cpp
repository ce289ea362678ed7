#include "persist/ResultList.h"

#include <algorithm>
#include <climits>
#include <QHash>

namespace {
QString CellOf(const QStringList& row, int col) {
    return row.value(col).trimmed();
}

// "Platz" as a number to sort by; no place sorts after every place.
int PlaceKey(const QString& cell) {
    bool ok = false;
    const int n = cell.trimmed().toInt(&ok);
    return ok && n > 0 ? n : INT_MAX;
}
} // namespace

QVector<TListSection> ListSections(const TProtocolRows& rows, int classCol, int runCount,
                                   TListKind kind) {
    QVector<TListSection> sections;
    QHash<QString, int> sectionOf; // the class as the ranking counts it: case and blanks aside
    runCount = std::clamp(runCount, 1, 6);
    for (int r = 1; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        // A row of nothing (the empty protocol's one row) is nobody.
        if (CellOf(row, Col::StNr).isEmpty() && CellOf(row, Col::Name).isEmpty()) continue;
        const QString category = classCol >= 0 ? CellOf(row, classCol) : QString();
        const QString key = category.toCaseFolded();
        auto it = sectionOf.find(key);
        if (it == sectionOf.end()) {
            it = sectionOf.insert(key, int(sections.size()));
            sections.push_back({category, {}});
        }
        TListLine line{CellOf(row, Col::Platz),
                       CellOf(row, Col::StNr),
                       CellOf(row, Col::Name),
                       CellOf(row, Col::Ort),
                       {},
                       CellOf(row, Col::Zeit)};
        for (int run = 0; run < runCount; ++run)
            line.runs << CellOf(row, Col::Turm1 + run);
        sections[*it].lines.push_back(line);
    }
    if (kind == TListKind::Results)
        for (TListSection& s : sections)
            std::stable_sort(s.lines.begin(), s.lines.end(),
                             [](const TListLine& a, const TListLine& b) {
                                 return PlaceKey(a.place) < PlaceKey(b.place);
                             });
    return sections;
}

QString ListDocumentHtml(const TListDocument& doc) {
    const auto esc = [](const QString& s) { return s.toHtmlEscaped(); };
    const bool results = doc.kind == TListKind::Results;
    const QString heading =
        results ? QStringLiteral("Ergebnisliste") : QStringLiteral("Startliste");
    QStringList head;
    if (results) head << esc(doc.columnTitles.value(Col::Platz, QStringLiteral("Platz")));
    head << esc(doc.columnTitles.value(Col::StNr)) << esc(doc.columnTitles.value(Col::Name))
         << esc(doc.columnTitles.value(Col::Ort));
    if (results) {
        for (int run = 0; run < doc.runCount; ++run)
            head << esc(doc.columnTitles.value(Col::Turm1 + run));
        head << esc(doc.columnTitles.value(Col::Zeit));
    }
    // Places, start numbers and times right-aligned, so that their digits stand in columns.
    QVector<bool> right;
    if (results) right << true;
    right << true << false << false;
    if (results) right << QVector<bool>(doc.runCount + 1, true);

    QString info = esc(doc.date.toString(QStringLiteral("dd.MM.yyyy")));
    if (!doc.place.trimmed().isEmpty()) info += QStringLiteral(" · ") + esc(doc.place);
    const QString stand = doc.stand.toString(QStringLiteral("dd.MM.yyyy HH:mm"));

    QString html;
    html.reserve(4096 + 200 * int(doc.sections.size()) * 40);
    html += QStringLiteral("<html><body>");
    for (int i = 0; i < doc.sections.size(); ++i) {
        const TListSection& s = doc.sections[i];
        html += i == 0 ? QStringLiteral("<div>")
                       : QStringLiteral("<div style=\"page-break-before:always\">");
        if (!doc.eventName.trimmed().isEmpty())
            html += QStringLiteral("<h1>%1</h1>").arg(esc(doc.eventName));
        html += QStringLiteral("<h2>%1</h2><p>%2</p>").arg(esc(doc.title), info);
        QString sub = heading;
        if (!s.category.isEmpty()) sub += QStringLiteral(" – ") + esc(s.category);
        if (!doc.round.isEmpty()) sub += QStringLiteral(" – ") + esc(doc.round);
        html += QStringLiteral("<h3>%1</h3>").arg(sub);
        html += QStringLiteral("<table width=\"100%\" cellspacing=\"0\" cellpadding=\"3\" "
                               "border=\"1\" style=\"border-collapse:collapse;"
                               "border-color:#808080\"><thead><tr>");
        for (int c = 0; c < head.size(); ++c)
            html += QStringLiteral("<th align=\"%1\" bgcolor=\"#e0e0e0\">%2</th>")
                        .arg(right[c] ? QStringLiteral("right") : QStringLiteral("left"), head[c]);
        html += QStringLiteral("</tr></thead>");
        for (const TListLine& l : s.lines) {
            QStringList cells;
            if (results) cells << l.place;
            cells << l.stNr << l.name << l.club;
            if (results) cells << l.runs << l.result;
            html += QStringLiteral("<tr>");
            for (int c = 0; c < cells.size(); ++c)
                html += (right.value(c) ? QStringLiteral("<td align=\"right\">")
                                        : QStringLiteral("<td>")) +
                        esc(cells[c]) + QStringLiteral("</td>");
            html += QStringLiteral("</tr>");
        }
        html += QStringLiteral("</table><p>Stand: %1</p>").arg(stand);
        if (results)
            html += QStringLiteral("<p><br><br>______________________________<br>"
                                   "Schiedsrichter (Unterschrift)</p>");
        html += QStringLiteral("</div>");
    }
    html += QStringLiteral("</body></html>");
    return html;
}
