#include "persist/ProtocolText.h"

#include "persist/SafeFile.h"

#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <cstring>

namespace {

// Windows-1252 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one field; the splitting works on bytes because TAB, ";", blank, CR and LF never
// occur inside a multi-byte UTF-8 sequence.
QString DecodeField(const char* p, qsizetype n, bool utf8) {
    if (!utf8) return DecodeWindows1252(p, n);
    // QString::fromUtf8 would drop a U+FEFF at the start of every field, not only of the file.
    if (n < 3 || memcmp(p, "\xEF\xBB\xBF", 3) != 0) return QString::fromUtf8(p, n);
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                    QStringDecoder::Flag::Stateless);
    return decode(QByteArrayView(p, n));
}

void SplitLine(const char* p, qsizetype n, bool utf8, int colCount, QStringList& row) {
    static const QString blank = QStringLiteral(" ");
    const char sep = memchr(p, '\t', size_t(n)) ? '\t' : ';';
    const char* const end = p + n;
    int col = 0;
    const char* field = p;
    while (field < end && col < colCount) {
        const char* s = static_cast<const char*>(memchr(field, sep, size_t(end - field)));
        const char* fieldEnd = s ? s : end;
        const char* textEnd = fieldEnd;
        if (s)
            while (textEnd > field && textEnd[-1] == ' ')
                --textEnd;
        // A last field made of blanks only is as empty as one between two separators.
        const char* firstNonBlank = field;
        while (firstNonBlank < textEnd && *firstNonBlank == ' ')
            ++firstNonBlank;
        if (firstNonBlank == textEnd)
            row[col] = blank;
        else
            row[col] = DecodeField(field, textEnd - field, utf8);
        ++col;
        if (!s) break;
        field = s + 1;
    }
}

} // namespace

QString DecodeWindows1252(const char* data, qsizetype size) {
    QString out(size, Qt::Uninitialized);
    QChar* d = out.data();
    for (qsizetype i = 0; i < size; ++i) {
        const auto b = static_cast<unsigned char>(data[i]);
        d[i] = (b >= 0x80 && b < 0xA0) ? QChar(Cp1252High[b - 0x80]) : QChar(b);
    }
    return out;
}

QString DecodeProtocolBytes(const QByteArray& bytes) {
    if (bytes.isValidUtf8()) return QString::fromUtf8(bytes);
    return DecodeWindows1252(bytes.constData(), bytes.size());
}

QByteArray FormatProtocolText(const TProtocolRows& rows) {
    QString text;
    qsizetype size = 0;
    for (const QStringList& row : rows)
        for (const QString& cell : row)
            size += cell.size() + 1;
    text.reserve(size + 2 * rows.size());
    for (const QStringList& row : rows) {
        for (const QString& cell : row) {
            if (cell.isEmpty()) {
                text += QLatin1Char(' ');
            } else {
                const qsizetype at = text.size();
                text += cell;
                for (qsizetype i = at; i < text.size(); ++i) {
                    const char16_t c = text.at(i).unicode();
                    if (c == u'\t' || c == u'\r' || c == u'\n') text[i] = QLatin1Char(' ');
                }
            }
            text += QLatin1Char('\t');
        }
        text += QLatin1String("\r\n");
    }
#ifdef Q_OS_WIN
    QStringEncoder encode(QStringEncoder::System);
    return encode(text);
#else
    QStringEncoder encode(QStringEncoder::Utf8);
    // The reader takes a U+FEFF at the very start for a byte order mark; a mark in front keeps
    // a first title that starts with one.
    if (text.startsWith(QChar(0xFEFF))) text.prepend(QChar(0xFEFF));
    return encode(text);
#endif
}

TProtocolRows ParseProtocolText(const QByteArray& bytes, int colCount, qsizetype* linesDropped) {
    if (colCount < 0) colCount = 0;
    const bool utf8 = bytes.isValidUtf8();
    const char* p = bytes.constData();
    const char* const end = p + bytes.size();
    // A UTF-8 byte order mark (spreadsheet exports) is not part of the first title.
    if (utf8 && bytes.startsWith("\xEF\xBB\xBF")) p += 3;

    TProtocolRows rows;
    rows.reserve(qMin(bytes.count('\n') + bytes.count('\r') + 1, ProtocolMaxRows));
    qsizetype dropped = 0;
    const QStringList emptyRow(colCount, QString());
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        if (rows.size() < ProtocolMaxRows) {
            rows.append(emptyRow);
            SplitLine(p, lineEnd - p, utf8, colCount, rows.last());
        } else {
            ++dropped;
        }
        p = lineEnd;
        if (p < end) {
            const char c = *p++;
            if (c == '\r' && p < end && *p == '\n') ++p;
        }
    }
    if (linesDropped) *linesDropped = dropped;
    return rows;
}

bool WriteProtocolFile(const QString& fileName, const TProtocolRows& rows, QString* error) {
    return WriteFileSafely(fileName, FormatProtocolText(rows), error);
}

bool ReadProtocolFile(const QString& fileName, TProtocolRows* rows, QString* error, int colCount,
                      qsizetype* linesDropped) {
    // A device or a pipe could be read forever.
    if (QFileInfo(fileName).exists() && !QFileInfo(fileName).isFile()) {
        if (error) *error = fileName + QStringLiteral(": not a regular file");
        return false;
    }
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error) *error = fileName + QStringLiteral(": ") + file.errorString();
        return false;
    }
    if (file.size() > ProtocolMaxFileBytes) {
        if (error) *error = fileName + QStringLiteral(": file too large for a protocol");
        return false;
    }
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error) *error = fileName + QStringLiteral(": ") + file.errorString();
        return false;
    }
    if (rows) *rows = ParseProtocolText(bytes, colCount, linesDropped);
    return true;
}
