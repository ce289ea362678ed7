#pragma once
// What the persist tests share: protocol rows written as one line of text, and whole files.
#include "ModelSupport.h"
#include "persist/ProtocolText.h"

#include <QFile>
#include <QString>

// Table cells: one literal after another in a row would each get a line of its own.
using S = QString;

inline const QString Titles = "St.Nr.|Name, Vorname|Ort|Klasse|Datum|Turm1|Turm2|Turm3|Turm4|"
                              "Turm5|Turm6|Zeit|Platz|.";

// "a|b\nc" is two rows of 14 cells (more are cut); "" none.
inline TProtocolRows Rows(const QString& text) {
    TProtocolRows rows;
    for (const QString& line : text.split('\n'))
        rows << line.split('|').mid(0, ProtocolColCount);
    for (QStringList& row : rows)
        row.resize(ProtocolColCount);
    return text.isEmpty() ? TProtocolRows{} : rows;
}
inline QString Text(const TProtocolRows& rows) {
    QStringList lines;
    for (const QStringList& row : rows)
        lines << row.join('|');
    return lines.join('\n');
}
