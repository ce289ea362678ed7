#pragma once
// The protocol text file: one line per grid row (titles first), every field followed by a TAB,
// lines ended by CR LF. Reading also accepts ";"-separated lines from spreadsheet exports.
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

using TProtocolRows = QVector<QStringList>; // row 0 = titles; each row has ColCount cells

constexpr int ProtocolColCount = 14;
// A competition protocol has a few hundred rows; lines beyond this are dropped so that a
// wrong file (a log, a binary) cannot exhaust memory.
constexpr qsizetype ProtocolMaxRows = 250000;

// The file bytes: every field followed by TAB, CR LF after each line, an empty cell written as
// one blank. TAB, CR and LF inside a cell become blanks: they would split the cell on reading.
// Encoding: the system's 8-bit code page on Windows, UTF-8 elsewhere.
QByteArray FormatProtocolText(const TProtocolRows& rows);

// One row of colCount cells per line (none for empty bytes; a final line end adds no row).
// Lines end at CR LF, lone LF or lone CR. A line is split at TAB when it has one, else at ";".
// Blanks directly before a separator are dropped; fields fill columns 0.., fields beyond
// colCount are ignored, missing ones stay "", an empty or all-blank field becomes " ".
// Decoded as UTF-8 when the bytes are valid UTF-8, else as Windows-1252. Linear time.
// Lines beyond ProtocolMaxRows are counted in linesDropped and not returned.
TProtocolRows ParseProtocolText(const QByteArray& bytes, int colCount = ProtocolColCount,
                                qsizetype* linesDropped = nullptr);

// The text of a protocol file: UTF-8 when the bytes are valid UTF-8, otherwise Windows-1252.
QString DecodeProtocolBytes(const QByteArray& bytes);
// Windows-1252 to text; the five bytes that code page leaves undefined map to U+0081 etc.
QString DecodeWindows1252(const char* data, qsizetype size);

// Writes the rows as a protocol file through a temporary file (see WriteFileSafely).
bool WriteProtocolFile(const QString& fileName, const TProtocolRows& rows, QString* error);
// Reads and parses a protocol file. Files larger than ProtocolMaxFileBytes and anything but a
// regular file (a device, a pipe) are refused with a reason in error.
constexpr qint64 ProtocolMaxFileBytes = qint64(512) * 1024 * 1024;
bool ReadProtocolFile(const QString& fileName, TProtocolRows* rows, QString* error,
                      int colCount = ProtocolColCount, qsizetype* linesDropped = nullptr);
