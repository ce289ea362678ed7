#pragma once
// One input of the protocol text reader's fuzz target, shared with the corpus replay test.
// Returns an empty text when every property holds, otherwise what went wrong.
#include "persist/ProtocolText.h"

#include <QByteArray>
#include <QString>

inline QString FuzzProtocolTextOne(const char* data, size_t size) {
    const QByteArray bytes = QByteArray::fromRawData(data, qsizetype(size));

    // The rows are the lines: CR LF, lone CR and lone LF end one; text after the last end
    // makes one more. A UTF-8 byte order mark is no text; UTF-16 counts in its text.
    qsizetype lines = 0;
    const TTextEncoding encoding = GuessProtocolEncoding(bytes);
    const bool eightBit = encoding == TTextEncoding::EightBit;
    const bool utf16 = encoding == TTextEncoding::Utf16;
    const QByteArray text8 = utf16 ? DecodeProtocolBytes(bytes).toUtf8() : bytes;
    const qsizetype start = text8.startsWith("\xEF\xBB\xBF") && !eightBit && !utf16 ? 3 : 0;
    for (qsizetype i = start; i < text8.size(); ++i) {
        if (text8[i] == '\n' || text8[i] == '\r') {
            ++lines;
            if (text8[i] == '\r' && i + 1 < text8.size() && text8[i + 1] == '\n') ++i;
        } else if (i + 1 == text8.size()) {
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
