#pragma once
// One input of the protocol text reader's fuzz target, shared with the corpus replay test.
// Returns an empty text when every property holds, otherwise what went wrong.
#include "persist/ProtocolText.h"

#include <QByteArray>
#include <QString>

inline QString FuzzProtocolTextOne(const char* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(data, qsizetype(size));

    // The rows are the lines: CR LF, lone CR and lone LF end one; text after the last end
    // makes one more. A UTF-8 byte order mark is no text.
    qsizetype lines = 0;
    const bool eightBit = GuessProtocolEncoding(bytes) == TTextEncoding::EightBit;
    const qsizetype start = bytes.startsWith("\xEF\xBB\xBF") && !eightBit ? 3 : 0;
    for (qsizetype i = start; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' || bytes[i] == '\r') {
            ++lines;
            if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
        } else if (i + 1 == bytes.size()) {
            ++lines;
        }
    }

    const int colCount = size > 0 ? 1 + static_cast<unsigned char>(data[0]) % 20 : 14;
    qsizetype dropped = -1;
    const TProtocolRows rows = ParseProtocolText(bytes, colCount, &dropped);
    if (rows.size() + dropped != lines)
        return QStringLiteral("%1 rows + %2 dropped for %3 lines")
            .arg(rows.size())
            .arg(dropped)
            .arg(lines);
    for (const QStringList& row : rows) {
        if (row.size() != colCount) return QStringLiteral("row of %1 cells").arg(row.size());
        for (const QString& cell : row)
            if (cell.contains(QLatin1Char('\r')) || cell.contains(QLatin1Char('\n')))
                return QStringLiteral("line end inside a cell");
    }

    // Writing what was read and reading it again settles after one round.
    const TProtocolRows once = ParseProtocolText(FormatProtocolText(rows), colCount);
    const TProtocolRows twice = ParseProtocolText(FormatProtocolText(once), colCount);
    if (once != twice) return QStringLiteral("write/read round trip does not settle");
    if (once.size() != rows.size()) return QStringLiteral("round trip changed the row count");

    const QString text = DecodeProtocolBytes(bytes);
    if (eightBit && text.size() != bytes.size())
        return QStringLiteral("Windows-1252 text of %1 chars for %2 bytes")
            .arg(text.size())
            .arg(bytes.size());
    return QString();
}
