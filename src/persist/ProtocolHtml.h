#pragma once
// The protocol as one HTML page, for a notice board, a web site or printing.
#include "persist/ProtocolText.h"

#include <QString>
#include <QVector>

struct THtmlPage {
    QString AppTitle, CompetitionTitle;
    TProtocolRows rows;     // row 0 = titles, then the data rows in display order
    QVector<int> colWidths; // a column is written when its width is > 0 (or has no entry)
    int CountZabegov = 2;   // active run columns, 1..6
    // The foot pads' reactions, one row each (start number, name, run, reaction), in the
    // protocol's order; a table of their own under the protocol when there are any.
    QVector<QStringList> reactions{};
};

// Text made safe for an HTML page: <, >, & and " as entities (the other pages use it too).
QString HtmlEscaped(const QString& s);
// The page text, CR LF line ends. Every text taken from the protocol is HTML-escaped.
QString ProtocolHtml(const THtmlPage& page);
// Writes the page as UTF-8 through a temporary file; on failure returns false with the file
// name and the system's reason in error.
bool WriteProtocolHtml(const QString& fileName, const THtmlPage& page, QString* error);
