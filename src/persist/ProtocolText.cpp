#include "persist/ProtocolText.h"

#include "persist/SafeFile.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <algorithm>
#include <cstring>
#include <iterator>

namespace {

// Windows-1252 0x80..0x9F; the rest of the code page equals Latin-1.
constexpr char16_t Cp1252High[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes one field; the splitting works on bytes because TAB, ";", blank, CR and LF never
// occur inside a multi-byte UTF-8 sequence, nor does an invalid byte of one.
QString DecodeField(const char* p, qsizetype n, bool utf8, TCodePage codePage) {
    if (!utf8) return DecodeEightBit(p, n, codePage);
    // QString::fromUtf8 would drop a U+FEFF at the start of every field, not only of the file.
    if (n < 3 || memcmp(p, "\xEF\xBB\xBF", 3) != 0) return QString::fromUtf8(p, n);
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::ConvertInitialBom |
                                                    QStringDecoder::Flag::Stateless);
    return decode(QByteArrayView(p, n));
}

// Cuts a field to ProtocolMaxFieldBytes, at a character's start.
const char* CutField(const char* field, const char* textEnd, bool utf8) {
    const char* cut = field + ProtocolMaxFieldBytes;
    if (utf8)
        while (cut > field && (static_cast<unsigned char>(*cut) & 0xC0) == 0x80)
            --cut;
    return cut < textEnd ? cut : textEnd;
}

void SplitLine(const char* p, qsizetype n, bool utf8, TCodePage codePage, int colCount,
               QStringList& row, qsizetype& fieldsCut) {
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
        if (firstNonBlank == textEnd) {
            row[col] = blank;
        } else {
            if (textEnd - field > ProtocolMaxFieldBytes) {
                textEnd = CutField(field, textEnd, utf8);
                ++fieldsCut;
            }
            row[col] = DecodeField(field, textEnd - field, utf8, codePage);
        }
        ++col;
        if (!s) break;
        field = s + 1;
    }
}

bool StartsWithUtf16Mark(const QByteArray& bytes) {
    return bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF");
}

// The text after the byte order mark; a U+FEFF after it is text, as in UTF-8.
QString DecodeUtf16(const QByteArray& bytes) {
    QStringDecoder decode(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                       : QStringDecoder::Utf16BE,
                          QStringDecoder::Flag::ConvertInitialBom);
    return decode(QByteArrayView(bytes.constData() + 2, bytes.size() - 2));
}

// Length of the valid UTF-8 sequence at p (1 for ASCII), or 0 when none starts there.
int Utf8SequenceLength(const unsigned char* p, const unsigned char* end) {
    const unsigned char b = p[0];
    if (b < 0x80) return 1;
    int n;
    unsigned char lo = 0x80, hi = 0xBF; // the range of the second byte
    if (b >= 0xC2 && b <= 0xDF) {
        n = 2;
    } else if (b >= 0xE0 && b <= 0xEF) {
        n = 3;
        if (b == 0xE0) lo = 0xA0; // no overlong forms
        if (b == 0xED) hi = 0x9F; // no surrogates
    } else if (b >= 0xF0 && b <= 0xF4) {
        n = 4;
        if (b == 0xF0) lo = 0x90;
        if (b == 0xF4) hi = 0x8F; // nothing beyond U+10FFFF
    } else {
        return 0;
    }
    if (end - p < n) return 0;
    if (p[1] < lo || p[1] > hi) return 0;
    for (int i = 2; i < n; ++i)
        if (p[i] < 0x80 || p[i] > 0xBF) return 0;
    return n;
}

// Text in the code page, or nothing in lossless = false when a character does not fit.
QByteArray EncodeEightBit(const QString& text, TCodePage codePage, bool* lossless) {
    if (codePage == TCodePage::Windows1252) return EncodeWindows1252(text, lossless);
    QStringEncoder encode(QStringEncoder::System);
    const QByteArray bytes = encode(text);
    // The system's converter replaces what it cannot write; only reading back tells.
    QStringDecoder decode(QStringDecoder::System);
    const QString back = decode(bytes);
    if (lossless) *lossless = !encode.hasError() && !decode.hasError() && back == text;
    return bytes;
}

// Every field followed by TAB, CR LF after each line.
QString ProtocolTextOf(const TProtocolRows& rows) {
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
    return text;
}

QByteArray Utf8WithMarkIfNeeded(QString text, bool alwaysMark) {
    // The reader takes a U+FEFF at the very start for a byte order mark; a mark in front keeps
    // a first title that starts with one.
    if (alwaysMark || text.startsWith(QChar(0xFEFF))) text.prepend(QChar(0xFEFF));
    QStringEncoder encode(QStringEncoder::Utf8);
    return encode(text);
}

} // namespace

TCodePage ProtocolCodePage() {
#ifdef Q_OS_WIN
    return TCodePage::System;
#else
    return TCodePage::Windows1252;
#endif
}

QByteArray EncodeWindows1252(const QString& text, bool* lossless) {
    QByteArray out(text.size(), Qt::Uninitialized);
    bool all = true;
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text.at(i).unicode();
        char b = '?';
        if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
            b = char(c);
        } else {
            const char16_t* hit = std::find(std::begin(Cp1252High), std::end(Cp1252High), c);
            if (hit != std::end(Cp1252High))
                b = char(0x80 + (hit - std::begin(Cp1252High)));
            else
                all = false;
        }
        out[i] = b;
    }
    if (lossless) *lossless = all;
    return out;
}

QString DecodeEightBit(const char* data, qsizetype size, TCodePage codePage) {
    if (codePage == TCodePage::Windows1252) return DecodeWindows1252(data, size);
    QStringDecoder decode(QStringDecoder::System);
    return decode(QByteArrayView(data, size));
}

TTextEncoding GuessProtocolEncoding(const QByteArray& bytes, qsizetype* badSequences) {
    if (badSequences) *badSequences = 0;
    // A spreadsheet's "Unicode text" export; no UTF-8 text starts with these bytes, and an 8-bit
    // one only by a rare accident ("ÿþ").
    if (StartsWithUtf16Mark(bytes)) return TTextEncoding::Utf16;
    if (bytes.isValidUtf8()) return TTextEncoding::Utf8;
    const auto* p = reinterpret_cast<const unsigned char*>(bytes.constData());
    const auto* const end = p + bytes.size();
    qsizetype good = 0, bad = 0;
    while (p < end) {
        const int n = Utf8SequenceLength(p, end);
        if (n == 0) {
            ++bad;
            ++p;
            // The rest of a broken sequence is one fault, not several.
            while (p < end && *p >= 0x80 && *p <= 0xBF)
                ++p;
            continue;
        }
        if (n > 1) ++good;
        p += n;
    }
    if (badSequences) *badSequences = bad;
    return good > bad ? TTextEncoding::Utf8Repaired : TTextEncoding::EightBit;
}

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
    const TTextEncoding encoding = GuessProtocolEncoding(bytes);
    if (encoding == TTextEncoding::Utf16) return DecodeUtf16(bytes);
    if (encoding != TTextEncoding::EightBit) return QString::fromUtf8(bytes);
    return DecodeEightBit(bytes.constData(), bytes.size(), ProtocolCodePage());
}

QByteArray FormatProtocolText(const TProtocolRows& rows) {
#ifdef Q_OS_WIN
    return FormatProtocolTextIn(rows, TCodePage::System);
#else
    return Utf8WithMarkIfNeeded(ProtocolTextOf(rows), false);
#endif
}

QByteArray FormatProtocolTextIn(const TProtocolRows& rows, TCodePage codePage) {
    const QString text = ProtocolTextOf(rows);
    bool lossless = false;
    const QByteArray bytes = EncodeEightBit(text, codePage, &lossless);
    return lossless ? bytes : Utf8WithMarkIfNeeded(text, true);
}

TProtocolRows ParseProtocolText(const QByteArray& bytes, int colCount, qsizetype* linesDropped) {
    TProtocolReadReport report;
    TProtocolRows rows = ParseProtocolText(bytes, colCount, report);
    if (linesDropped) *linesDropped = report.linesDropped;
    return rows;
}

TProtocolRows ParseProtocolText(const QByteArray& bytes, int colCount, TProtocolReadReport& report,
                                TCodePage codePage) {
    if (colCount < 0) colCount = 0;
    report = TProtocolReadReport();
    report.encoding = GuessProtocolEncoding(bytes, &report.badSequences);
    const bool utf8 = report.encoding != TTextEncoding::EightBit;
    const char* p = bytes.constData();
    const char* end = p + bytes.size();
    // UTF-16 is split as the UTF-8 of its text: the splitting works on bytes.
    QByteArray fromUtf16;
    if (report.encoding == TTextEncoding::Utf16) {
        fromUtf16 = DecodeUtf16(bytes).toUtf8();
        p = fromUtf16.constData();
        end = p + fromUtf16.size();
    } else if (utf8 && bytes.startsWith("\xEF\xBB\xBF")) {
        // A UTF-8 byte order mark (spreadsheet exports) is not part of the first title.
        p += 3;
    }
    const size_t size = size_t(end - p);
    report.nulBytes = memchr(p, '\0', size) != nullptr;
    report.noFields = !memchr(p, '\t', size) && !memchr(p, ';', size);

    TProtocolRows rows;
    rows.reserve(
        qMin(qsizetype(std::count(p, end, '\n') + std::count(p, end, '\r') + 1), ProtocolMaxRows));
    qsizetype dropped = 0;
    const QStringList emptyRow(colCount, QString());
    while (p < end) {
        const char* lineEnd = p;
        while (lineEnd < end && *lineEnd != '\n' && *lineEnd != '\r')
            ++lineEnd;
        if (rows.size() < ProtocolMaxRows) {
            rows.append(emptyRow);
            SplitLine(p, lineEnd - p, utf8, codePage, colCount, rows.last(), report.fieldsCut);
        } else {
            ++dropped;
        }
        p = lineEnd;
        if (p < end) {
            const char c = *p++;
            if (c == '\r' && p < end && *p == '\n') ++p;
        }
    }
    report.linesDropped = dropped;
    return rows;
}

bool WriteProtocolFile(const QString& fileName, const TProtocolRows& rows, QString* error) {
    return WriteFileSafely(fileName, FormatProtocolText(rows), error);
}

bool ReadProtocolFile(const QString& fileName, TProtocolRows* rows, QString* error, int colCount,
                      qsizetype* linesDropped) {
    TProtocolReadReport report;
    const bool ok = ReadProtocolFile(fileName, rows, error, colCount, report);
    if (linesDropped) *linesDropped = report.linesDropped;
    return ok;
}

bool ReadProtocolFile(const QString& fileName, TProtocolRows* rows, QString* error, int colCount,
                      TProtocolReadReport& report) {
    report = TProtocolReadReport();
    const auto refuse = [&](const QString& reason) {
        if (error) *error = fileName + QStringLiteral(": ") + reason;
        return false;
    };
    // A device or a pipe could be read forever.
    if (QFileInfo(fileName).exists() && !QFileInfo(fileName).isFile())
        return refuse(QCoreApplication::translate("ProtocolText", "ist keine gewöhnliche Datei"));
    QFile file(fileName);
    // The system's reason comes in the system's language, often English.
    if (!file.open(QIODevice::ReadOnly))
        return refuse(QCoreApplication::translate("ProtocolText", "kann nicht gelesen werden (%1)")
                          .arg(file.errorString()));
    if (file.size() > ProtocolMaxFileBytes)
        return refuse(QCoreApplication::translate("ProtocolText",
                                                  "ist zu groß für ein Protokoll (mehr als %1 MB)")
                          .arg(ProtocolMaxFileBytes / (1024 * 1024)));
    const QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError)
        return refuse(QCoreApplication::translate("ProtocolText", "kann nicht gelesen werden (%1)")
                          .arg(file.errorString()));
    TProtocolReadReport parsed;
    TProtocolRows read = ParseProtocolText(bytes, colCount, parsed);
    // Rows of such a file would be garbage in every cell, and from here in the exit copy, the
    // journal and every export.
    if (parsed.nulBytes)
        return refuse(QCoreApplication::translate(
            "ProtocolText", "enthält NUL-Bytes und ist damit keine Textdatei"));
    if (parsed.noFields)
        return refuse(QCoreApplication::translate("ProtocolText",
                                                  "enthält keine Zeile mit Feldern (getrennt "
                                                  "durch Tabulator oder Semikolon)"));
    report = parsed;
    if (rows) *rows = std::move(read);
    return true;
}
