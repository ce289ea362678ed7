#pragma once
// The file types of the open and save dialogs and the rule that gives a typed name its
// type's extension.
#include <QCoreApplication>
#include <QString>
#include <QStringList>

// Descriptions of the types; on Windows read from the system's file-type names, elsewhere
// the built-in ones.
struct TFileTypes {
    QString spreadsheet;                          // only offered when a server is there
    QString text = QCoreApplication::translate("FileTypes", "Textdatei"); // *.txt
    QString document = QStringLiteral("MS Word");                         // *.doc
    QString html = QCoreApplication::translate("FileTypes", "Webseite");  // *.html
};

QString SpreadsheetFilter(const TFileTypes& types);
QString TextFilter(const TFileTypes& types);
QString DocumentFilter(const TFileTypes& types);
QString HtmlFilter(const TFileTypes& types);
QString AllFilesFilter();

// Open: text, [spreadsheet], all files. Save: text, [spreadsheet], [document], HTML.
QStringList OpenFilterList(const TFileTypes& types, bool spreadsheet);
QStringList SaveFilterList(const TFileTypes& types, bool spreadsheet, bool document);

// The extension a name filter asks for first, without the dot: "Textdatei (*.txt *.csv)"
// gives "txt"; empty when the filter names no extension ("Alle Dateien (*)").
QString FilterExtension(const QString& filter);

// The name with "." and the filter's extension appended when its file part has no extension
// ("2026-12-05_Paarrennen" -> "2026-12-05_Paarrennen.txt"); any other name unchanged.
QString WithTypeExtension(const QString& name, const QString& filter);
