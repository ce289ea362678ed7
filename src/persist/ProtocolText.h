#pragma once
// The protocol text file: one line per grid row (titles first), every field followed by a TAB,
// lines ended by CR LF. Reading also accepts ";"-separated lines from spreadsheet exports.
#include "core/Columns.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

constexpr int ProtocolColCount = 14;
// A competition protocol has a few hundred rows; lines beyond this are dropped so that a
// wrong file (a log, a binary) cannot exhaust memory.
constexpr qsizetype ProtocolMaxRows = 250000;
// A field is cut to this many bytes of the file (as many characters as a spreadsheet cell
// holds, fewer when they take more than one byte each): the window measures and lists every
// cell, and one of many megabytes would hold it up for seconds.
constexpr qsizetype ProtocolMaxFieldBytes = 32767;

// The 8-bit code page of protocol files: the system's on Windows (what the operator's other
// programs there write and read), Windows-1252 elsewhere (what the program's German Windows
// files hold).
enum class TCodePage { Windows1252, System };
TCodePage ProtocolCodePage();

// The file bytes: every field followed by TAB, CR LF after each line, an empty cell written as
// one blank. TAB, CR and LF inside a cell become blanks: they would split the cell on reading.
// Encoding: the system's 8-bit code page on Windows, UTF-8 elsewhere.
QByteArray FormatProtocolText(const TProtocolRows& rows);
// The same in an 8-bit code page; a protocol that holds a character the code page has not
// (a Polish name in Windows-1252) is written as UTF-8 with a byte order mark instead, which
// every reader of these files recognises, rather than turning that character into "?".
QByteArray FormatProtocolTextIn(const TProtocolRows& rows, TCodePage codePage);

// One row of colCount cells per line (none for empty bytes; a final line end adds no row).
// Lines end at CR LF, lone LF or lone CR. A line is split at TAB when it has one, else at ";".
// Blanks directly before a separator are dropped; fields fill columns 0.., fields beyond
// colCount are ignored, missing ones stay "", an empty or all-blank field becomes " ".
// Decoded as UTF-16 after its byte order mark, as UTF-8 when the bytes are UTF-8 (see
// GuessProtocolEncoding), else in the code page. Linear time. Lines beyond ProtocolMaxRows are
// counted in linesDropped and not returned; fields are cut to ProtocolMaxFieldBytes.
TProtocolRows ParseProtocolText(const QByteArray& bytes, int colCount = ProtocolColCount,
                                qsizetype* linesDropped = nullptr);

// How the bytes of a file were taken.
enum class TTextEncoding {
    Utf8,         // valid UTF-8
    Utf8Repaired, // UTF-8 apart from a few invalid sequences, each read as U+FFFD
    EightBit,     // the 8-bit code page
    Utf16,        // UTF-16 LE or BE after a byte order mark ("Unicode text" of a spreadsheet)
};
struct TProtocolReadReport {
    qsizetype linesDropped = 0; // lines beyond ProtocolMaxRows, not read
    TTextEncoding encoding = TTextEncoding::Utf8;
    qsizetype badSequences = 0; // invalid UTF-8 sequences replaced (Utf8Repaired)
    qsizetype fieldsCut = 0;    // fields longer than ProtocolMaxFieldBytes, cut
    // Signs of a file that is no protocol at all, which ReadProtocolFile refuses: a NUL byte (a
    // binary file, or UTF-16 without its mark), no line with a separator.
    bool nulBytes = false;
    bool noFields = false;
};
TProtocolRows ParseProtocolText(const QByteArray& bytes, int colCount, TProtocolReadReport& report,
                                TCodePage codePage = ProtocolCodePage());

// UTF-16 when the bytes start with its byte order mark. UTF-8 when the bytes are valid UTF-8,
// and also when the valid multi-byte sequences outnumber the invalid ones: a UTF-8 file with a
// stray byte keeps its umlauts. Text in an 8-bit code page has umlauts as single high bytes,
// which are invalid UTF-8, and valid sequences only by rare accident. badSequences receives
// the count of invalid sequences.
TTextEncoding GuessProtocolEncoding(const QByteArray& bytes, qsizetype* badSequences = nullptr);

// The text of a protocol file, decoded as the reader decodes it.
QString DecodeProtocolBytes(const QByteArray& bytes);
// Windows-1252 to text; the five bytes that code page leaves undefined map to U+0081 etc.
QString DecodeWindows1252(const char* data, qsizetype size);
QString DecodeEightBit(const char* data, qsizetype size, TCodePage codePage);
// Text to Windows-1252; false in lossless when a character has no byte there (written as "?").
QByteArray EncodeWindows1252(const QString& text, bool* lossless = nullptr);

// Writes the rows as a protocol file through a temporary file (see WriteFileSafely).
bool WriteProtocolFile(const QString& fileName, const TProtocolRows& rows, QString* error);
// Reads and parses a protocol file. Refused with a German reason in error, before anything is
// put into rows: files larger than ProtocolMaxFileBytes, anything but a regular file (a device,
// a pipe), and files that are no text table (a NUL byte, no line with a separator).
constexpr qint64 ProtocolMaxFileBytes = qint64(512) * 1024 * 1024;
bool ReadProtocolFile(const QString& fileName, TProtocolRows* rows, QString* error,
                      int colCount = ProtocolColCount, qsizetype* linesDropped = nullptr);
bool ReadProtocolFile(const QString& fileName, TProtocolRows* rows, QString* error, int colCount,
                      TProtocolReadReport& report);
