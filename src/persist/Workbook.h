#pragma once
// A workbook as our spreadsheet stand-in keeps it: one worksheet of cells with their text or
// value, borders and bold type, column widths, and the workbook's author and comments. Written
// as .xlsx by WriteXlsx, read from .xlsx by ReadXlsx.
#include <QByteArray>
#include <QString>
#include <QVariant>
#include <QVector>

struct TSheetCell {
    QVariant Value; // QString, double, bool or QDateTime; invalid: empty
    bool Border = false;
    bool Bold = false;
    QString NumFormat; // how a number shows ("[mm]:ss.00"); empty: as the program chooses
};

// The format of run and result times in a workbook: minutes past the hour's end, seconds and
// hundredths, so that a sum of runs shows as one time.
inline const QString SheetTimeFormat = QStringLiteral("[mm]:ss.00");

struct TSheet {
    QString Name = QStringLiteral("Tabelle1");
    QVector<QVector<TSheetCell>> Rows; // Rows[r][c], 0-based; rows may be shorter than others
    QVector<bool> BoldRows;            // whole rows set bold (empty cells included)
    QVector<double> ColWidths;         // in characters; 0 = the default width
    // How the sheet meets its reader: the title row frozen and filtered, printed landscape
    // and one page wide.
    bool FreezeTitleRow = false, AutoFilter = false, Landscape = false, FitToWidth = false;

    int RowCount() const { return int(Rows.size()); }
    const TSheetCell* Cell(int r, int c) const {
        if (r < 0 || r >= Rows.size() || c < 0 || c >= Rows[r].size()) return nullptr;
        return &Rows[r][c];
    }
    TSheetCell& At(int r, int c); // grows the sheet to reach the cell
};

struct TWorkbook {
    QString Author, Comments;
    TSheet Sheet;
};

// Excel's own limits, which the stand-in keeps too.
constexpr int SheetMaxRows = 1048576, SheetMaxCols = 16384;
// What a workbook read as a protocol may hold: as many rows as a protocol file, and a bound
// on the cells kept, so that a huge or hostile file is refused instead of filling memory.
constexpr int XlsxReadMaxRows = 250000;
constexpr qint64 XlsxReadMaxCells = 4000000;
constexpr qint64 XlsxMaxFileBytes = qint64(256) * 1024 * 1024;
constexpr qint64 XlsxMaxPartBytes = qint64(512) * 1024 * 1024;

// A sheet name Excel accepts: 1..31 characters, none of : \ / ? * [ ], not starting or ending
// with an apostrophe.
bool ValidSheetName(const QString& name);
// Column width in characters that shows the text, estimated from the kind of each character.
double TextWidth(const QString& text, bool bold);

// The sheet as a reader expects it: every time text below the title row ("00:12,34", as the
// export writes run and result times) as a number of days in SheetTimeFormat, so that the
// times sort and sum; the title row frozen and filtered; landscape, one page wide.
TSheet ForReaders(const TSheet& sheet);

// Writes the workbook as an .xlsx file (through a temporary file, see WriteFileSafely).
bool WriteXlsx(const TWorkbook& book, const QString& fileName, QString* error);

// The first worksheet of an .xlsx package. Strings come back as text, numbers as double, dates
// (numbers in a date format) as QDateTime, booleans as bool, error values as their text.
// Refuses with a reason in error: no zip package, no workbook in it, a password-protected or
// legacy .xls file, damaged parts, more than XlsxReadMaxRows rows or XlsxReadMaxCells cells.
bool ReadXlsx(const QByteArray& bytes, TWorkbook* book, QString* error);
bool ReadXlsxFile(const QString& fileName, TWorkbook* book, QString* error);
