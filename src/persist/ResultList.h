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

// The document as the rich text Qt's text layout reads: each section on a page of its own,
// every text escaped.
QString ListDocumentHtml(const TListDocument& doc);
