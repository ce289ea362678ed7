#include "persist/ResultList.h"

#include "core/BracketText.h"
#include "core/Competition.h"

#include <algorithm>
#include <array>
#include <climits>
#include <QCoreApplication>
#include <QHash>
#include <QSet>

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
TListLine LaneOf(const TCompetition& c, int entry) {
    if (!c.IsValidEntry(entry) || c.IsDummy(entry)) return {};
    return {{},
            c.Cell(entry, Col::StNr).trimmed(),
            c.Cell(entry, Col::Name).trimmed(),
            c.Cell(entry, Col::Ort).trimmed(),
            {},
            {}};
}

// Where RESET takes the tracks next outside the finals (TCompetition::Advance), worked out on
// copies so that the list leaves the cursor alone. "Auf allen Strecken" keeps a participant
// until the result is complete; the list shows each once.
void NextHeat(const TCompetition& c, std::array<int, 2>& t, int& counter) {
    const int n = c.EntryCount();
    const int bahn = c.CountBahn();
    const auto at = [&](int entry) { return c.IsValidEntry(entry) ? entry : -1; };
    if (c.Mode() == TCompetition::Qualifikation) {
        for (int track : {1, 0}) {
            if (t[track] + 1 >= n) {
                t[track] = at(track == 1 ? 1 : 0);
                counter = 1;
            } else {
                t[track] = at(t[track] + 1);
            }
        }
    } else if ((counter % 2) != 0 || bahn == 1) {
        if (t[0] + bahn >= n) {
            t[0] = at(bahn == 2 ? 1 : 0);
            counter = 1;
        } else {
            t[0] = at(t[0] + bahn);
        }
        if (bahn == 2) t[1] = at(t[1] + 2 >= n ? 0 : t[1] + 2);
    }
    if (c.Mode() == TCompetition::Paarrennen) std::swap(t[0], t[1]);
    ++counter;
}
} // namespace

QVector<TListSection> HeatListSections(const TCompetition& c) {
    QVector<TListSection> sections;
    if (c.Mode() == TCompetition::FinaleKo) {
        for (const TCategoryBracket& b : c.Brackets()) {
            TListSection s{b.Category, {}, {}};
            const QVector<TBracket::THeat>& heats = b.Bracket.Heats();
            for (int h = 0; h < heats.size(); ++h) {
                const TBracket::THeat& heat = heats[h];
                if (heat.Winner >= 0 || heat.Bye) continue;
                s.heats.push_back(
                    {QString::number(h + 1),
                     BracketRoundName(heat.Round, b.Bracket.Rounds(), heat.SmallFinal),
                     {LaneOf(c, heat.Entry[0]), LaneOf(c, heat.Entry[1])}});
            }
            if (!s.heats.isEmpty()) sections << s;
        }
        if (sections.isEmpty()) sections << TListSection{};
        return sections;
    }
    const int bahn = c.CountBahn();
    std::array<int, 2> t{c.TrackEntry(0), bahn == 2 ? c.TrackEntry(1) : -1};
    int counter = c.RunCounter();
    QSet<int> listed; // entry * 2 + track: each participant's next run on each track once
    TListSection s;
    // The order comes round again within a few passes of the protocol.
    for (int step = 0; step < 4 * (c.EntryCount() + 1); ++step) {
        bool due = false;
        for (int track = 0; track < bahn; ++track) {
            const int e = t[track];
            // The grid's empty last row is nobody either.
            if (!c.IsValidEntry(e) || c.IsDummy(e) || LaneOf(c, e).stNr + LaneOf(c, e).name == "" ||
                !c.RunLeftOnTrack(e, track) || listed.contains(e * 2 + track))
                continue;
            listed.insert(e * 2 + track);
            due = true;
        }
        if (due)
            s.heats.push_back({QString::number(s.heats.size() + 1),
                               {},
                               {LaneOf(c, t[0]), bahn == 2 ? LaneOf(c, t[1]) : TListLine{}}});
        if (c.Mode() == TCompetition::IndividuellesKlettern && c.AllTracks())
            t[0] = c.IsValidEntry(t[0] + 1) ? t[0] + 1 : 0;
        else
            NextHeat(c, t, counter);
    }
    sections << s;
    return sections;
}

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
            sections.push_back({category, {}, {}});
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
    if (doc.kind == TListKind::Heats) {
        // A lane as one cell, the club under the name: the pair reads across one line.
        const bool rounds = std::any_of(section.heats.begin(), section.heats.end(),
                                        [](const TListHeat& h) { return !h.round.isEmpty(); });
        const QString nr = doc.columnTitles.value(Col::StNr);
        TListTable table;
        table.head << QCoreApplication::translate("ResultList", "Lauf");
        table.right << true;
        if (rounds) {
            table.head << QCoreApplication::translate("ResultList", "Runde");
            table.right << false;
        }
        table.head << nr << QCoreApplication::translate("ResultList", "Bahn 1") << nr
                   << QCoreApplication::translate("ResultList", "Bahn 2");
        table.right << true << false << true << false;
        for (const TListHeat& h : section.heats) {
            QStringList cells{h.number};
            if (rounds) cells << h.round;
            for (const TListLine& l : h.lanes)
                cells << l.stNr
                      << (l.club.isEmpty() ? l.name : l.name + QLatin1Char('\n') + l.club);
            table.rows << cells;
        }
        return table;
    }
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
    QString sub =
        doc.kind == TListKind::Results ? QCoreApplication::translate("ResultList", "Ergebnisliste")
        : doc.kind == TListKind::Heats ? QCoreApplication::translate("ResultList", "Laufliste")
                                       : QCoreApplication::translate("ResultList", "Startliste");
    if (!section.category.isEmpty()) sub += QStringLiteral(" – ") + section.category;
    if (!doc.round.isEmpty()) sub += QStringLiteral(" – ") + doc.round;
    lines << sub;
    return lines;
}
