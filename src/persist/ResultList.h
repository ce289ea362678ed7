#pragma once
// The lists pinned on the notice board: the official results (ranked within each category) and
// the start lists, as the sections of one document, and that document as rich text that a
// PDF writer lays out. Window-free: the writer (ui/ListPdf.h) only pages and draws it.
#include "core/Columns.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QVector>

enum class TListKind { Results, StartList };

struct TListLine {
    QString place, stNr, name, club;
    QStringList runs; // one per run in use
    QString result;
};

// One category's list; the category is "" when the protocol has no class column.
struct TListSection {
    QString category;
    QVector<TListLine> lines;
};

// The protocol's rows (titles first, the dummy left out) as one section per category, in the
// order the categories first appear. classCol is the class column's index (-1: one section for
// everybody). Results: ranked by "Platz", those without a place after the placed in the order
// given; start lists: in the order given.
QVector<TListSection> ListSections(const TProtocolRows& rows, int classCol, int runCount,
                                   TListKind kind);

// What heads each page and closes each section.
struct TListDocument {
    TListKind kind = TListKind::Results;
    QString eventName, title, place, round; // "Veranstaltung", competition title, "Ort", mode
    QDate date;
    QDateTime stand;          // "Stand: ..." under each list
    QStringList columnTitles; // the protocol's titles (row 0)
    int runCount = 2;
    QVector<TListSection> sections;
};

// One section's table as the lists print it: the titles, which columns are numbers (right-
// aligned, so that their digits stand in columns) and the cells of each line.
struct TListTable {
    QStringList head;
    QVector<bool> right;
    QVector<QStringList> rows;
};
TListTable ListTable(const TListDocument& doc, const TListSection& section);

// The lines above a section's table: event, title, date and place, then the list's kind with
// its category and round ("Ergebnisliste – Damen – Qualifikation"). Empty parts are left out.
QStringList ListHeading(const TListDocument& doc, const TListSection& section);
