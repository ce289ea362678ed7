#include "persist/ResultList.h"

#include <algorithm>
#include <climits>
#include <QCoreApplication>
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

TListTable ListTable(const TListDocument& doc, const TListSection& section) {
    const bool results = doc.kind == TListKind::Results;
    const QStringList& t = doc.columnTitles;
    TListTable table;
    if (results) table.head << t.value(Col::Platz, QStringLiteral("Platz"));
    table.head << t.value(Col::StNr) << t.value(Col::Name) << t.value(Col::Ort);
    if (results) table.right << true;
    table.right << true << false << false;
    if (results) {
        for (int run = 0; run < doc.runCount; ++run)
            table.head << t.value(Col::Turm1 + run);
        table.head << t.value(Col::Zeit);
        table.right << QVector<bool>(doc.runCount + 1, true);
    }
    table.rows.reserve(section.lines.size());
    for (const TListLine& l : section.lines) {
        QStringList cells;
        if (results) cells << l.place;
        cells << l.stNr << l.name << l.club;
        if (results) cells << l.runs.mid(0, doc.runCount) << l.result;
        table.rows << cells;
    }
    return table;
}

QStringList ListHeading(const TListDocument& doc, const TListSection& section) {
    QStringList lines;
    if (!doc.eventName.trimmed().isEmpty()) lines << doc.eventName.trimmed();
    if (!doc.title.trimmed().isEmpty()) lines << doc.title.trimmed();
    QString info = doc.date.toString(QStringLiteral("dd.MM.yyyy"));
    if (!doc.place.trimmed().isEmpty()) info += QStringLiteral(" · ") + doc.place.trimmed();
    lines << info;
    QString sub = doc.kind == TListKind::Results
                      ? QCoreApplication::translate("ResultList", "Ergebnisliste")
                      : QCoreApplication::translate("ResultList", "Startliste");
    if (!section.category.isEmpty()) sub += QStringLiteral(" – ") + section.category;
    if (!doc.round.isEmpty()) sub += QStringLiteral(" – ") + doc.round;
    lines << sub;
    return lines;
}
