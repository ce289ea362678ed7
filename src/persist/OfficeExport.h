#pragma once
// The protocol exchanged with an office suite: exported into a spreadsheet workbook, imported
// from a workbook's first worksheet, exported into a word-processor document. Each command
// makes its calls through the automation seam (persist/Automation.h) in the order the office
// servers expect, so the suite's own servers and our stand-ins serve it alike.
#include "persist/Automation.h"
#include "persist/ProtocolText.h"

#include <QString>
#include <QVariant>
#include <QVector>

// What the exports read: the protocol as it is shown, titles first, with each column's width
// (-1 hides a column; a column without a width counts as shown).
struct TOfficeTable {
    QString AppTitle;         // the workbook's comments and sheet name
    QString CompetitionTitle; // the document's first line
    TProtocolRows rows;
    QVector<int> colWidths;
};

// The time columns: the six run columns and "Zeit".
constexpr int OfficeFirstTimeCol = 5, OfficeLastTimeCol = 11;

// A short time text right-aligned over "00:00,00" ("12,34" -> "00:12,34"), so that every time
// in a workbook has one form; texts of nine characters or more, blank texts and "DIS." are
// returned as they are.
QString PadTime(const QString& text);
// Drops what leads up to the first digit 1..9, at most four characters ("00:12,34" -> "12,34",
// "00:00,50" -> "0,50").
QString ShortenTime(const QString& text);

// The extensions of the files the spreadsheet and document servers write: the office suite's
// own formats on Windows, our stand-ins' .xlsx and .docx elsewhere (persist/OfficeStandIn.h).
QString SpreadsheetFileExtension();
QString DocumentFileExtension();

// The maker named as the workbook's author.
inline QString WorkbookAuthor() {
    return QStringLiteral("Veltaro (Tavoleno)");
}

// Writes the protocol into a new workbook of "Excel.Application". An empty name leaves the
// workbook open for the operator (the server shows it); otherwise it is saved under that name
// and the server closed. Fails with EAutomation, after the server was shown or closed.
void ExportSpreadsheet(TAutoServers& servers, const TOfficeTable& table, const QString& name);

// The rows of the first worksheet of a workbook, titles first: everything up to the first
// row whose first cell is empty, colCount cells each, times shortened. Fails with EAutomation
// (nothing read when the first cell is empty); the server is closed either way.
TProtocolRows ImportSpreadsheet(TAutoServers& servers, const QString& name,
                                int colCount = ProtocolColCount);

// The text the document is built from: the competition title, "Protokoll", then one line per
// row with the shown columns but the last, fields separated by TAB; lines end with CR LF.
// columns receives the number of fields of a row.
QString DocumentText(const TOfficeTable& table, int* columns = nullptr);

enum TDocumentMode { DocumentInteractive = 0, DocumentSilent = 1 };
// Builds the document in "Word.Basic" from the template when that file exists, else from a new
// document, and saves it under name. Interactive leaves it open in the word processor; silent
// closes the server. Returns false when any step failed; nothing is thrown.
bool ExportDocument(TAutoServers& servers, int mode, const QString& name, const TOfficeTable& table,
                    const QString& templatePath, QString* error = nullptr);
