#pragma once
// Start lists from a registration system's export: a CSV or .xlsx table whose columns are
// taken into the protocol by a mapping from the file's titles. Only the participant columns
// (start number, name, club, class, date) can be filled: a registration file never writes a
// run, a result time or a place.
#include "core/Columns.h"
#include "persist/ProtocolText.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

// A table as the file holds it: row 0 the titles, the rows without the blank lines between.
struct TImportTable {
    QVector<QStringList> rows;
    QVector<int> lines; // the file's line where each row starts (1-based), for reports
    int columns = 0;    // the widest row
    QChar separator;    // CSV only
    TTextEncoding encoding = TTextEncoding::Utf8;
};

constexpr int ImportMaxColumns = 256;

// RFC 4180 CSV (quoted fields may hold separators, doubled quotes and line breaks) with the
// separator the title row uses most (TAB, ";" or ","), decoded as UTF-16 after its byte order
// mark, as UTF-8 (mark or not) when the bytes are UTF-8, else as Windows-1252. Refused with a
// reason: empty, binary, one column, a quote never closed, more than ProtocolMaxRows rows or
// ImportMaxColumns columns.
bool ParseCsv(const QByteArray& bytes, TImportTable* table, QString* error);
// The first worksheet of an .xlsx package as text (numbers without ".0", dates dd.MM.yyyy).
bool ParseXlsxTable(const QByteArray& bytes, TImportTable* table, QString* error);
// The file's content decides: a ZIP package (or an old compound file, refused with its reason)
// is a workbook, anything else CSV. Refuses what is no regular file or too large to be a list.
bool ReadImportFile(const QString& fileName, TImportTable* table, QString* error);

// Where a file column goes. The values of the protocol's own columns are their indexes.
enum class TImportTarget {
    Skip = -1,
    StNr = Col::StNr,
    Name = Col::Name,
    Ort = Col::Ort,
    Klasse = Col::Klasse,
    Datum = Col::Datum,
    LastName, // joined with the first name as "Name, Vorname"
    FirstName,
};
using TImportMapping = QVector<TImportTarget>; // one per file column
constexpr int ImportTargetCount = 8;           // Skip .. FirstName
TImportTarget ImportTargetAt(int index);       // 0 = Skip; anything unknown is Skip
int ImportTargetIndex(TImportTarget target);
QString ImportTargetText(TImportTarget target); // what the dialog's choice says

// A mapping proposed from the titles, German or English ("Startnummer", "Nachname", "Verein",
// "Kategorie", "Jahrgang", "Bib", "Last name", "Club", "Category", "Year of birth" ...). Each
// target goes to one column at most; a title it does not know is left out.
TImportMapping ProposeMapping(const QStringList& titles);
// The key under which a mapping is remembered for files with these titles.
QString MappingKey(const QStringList& titles);
QString MappingToText(const TImportMapping& mapping);
// A remembered mapping back; empty when it does not fit the columns (the proposal holds then).
TImportMapping MappingFromText(const QString& text, int columns);

struct TStartList {
    TProtocolRows rows;       // titles, then one row per participant, Col::Count cells each
    QVector<int> withoutName; // file lines of rows left out for want of a name
    QStringList duplicates;   // start numbers given to more than one participant (kept)
};
// The protocol rows the mapping makes of the table. Refused (false, reason) when no column
// gives a name, or no row has one.
bool BuildStartList(const TImportTable& table, const TImportMapping& mapping, TStartList* list,
                    QString* error);
// What the operator must know about the list before and after taking it; empty when nothing.
QString StartListReport(const TStartList& list);
