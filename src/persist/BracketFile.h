#pragma once
// The finals kept beside a saved protocol. The protocol text file has fourteen columns and no
// room for the knock-out bracket, the thousandths or the reactions behind the recorded runs, and
// its format stays as it is (other programs read it). So every protocol text file the program
// writes while the competition has a bracket, kept milliseconds or reactions gets a small companion
// file beside it, and a load of the text file picks the companion up again.
//
// The companion's name is the protocol file's with ".ko" in place of a final ".txt" (in any
// letter case), or with ".ko" added to any other name: "heat1.txt" -> "heat1.ko",
// "heat1.TXT" -> "heat1.ko", "heat1" -> "heat1.ko", "heat1.csv" -> "heat1.csv.ko".
//
// The file is UTF-8 text, one record a line, LF (CR LF read as well):
//   Veltaro-KO 1                 the format and its version
//   Ranking=<0|1>                "Summe" or "Bestzeit", what the bracket was seeded by
//   BracketSize=<4|8|16>         the size wished in the settings
//   Rows=<n> <key>               the participant rows it belongs to and their fingerprint
//   Bracket=<line>               the brackets' lines, in order (none without a bracket); with
//                                categories a head line and each category's bracket after
//                                its name (BracketSetLines)
//   Exact=<entry> <run> <ms>     the stopped milliseconds of one recorded run
//   Reaction=<entry> <run> <ms>  the foot pad's reaction of one recorded run (negative: left
//                                before START)
//   End=<k>                      the number of records before it: a cut-off file lacks it
// Entries are counted as a load of the protocol file numbers them: its participant rows in
// file order, without the first row whose start number is "0" (the "Qualifikation" dummy,
// which a load takes out of the count).
#include "core/Columns.h"
#include "core/Competition.h"

#include <optional>
#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QVector>

struct TBracketFileData {
    int Ranking = 0;      // 0 "Summe", 1 "Bestzeit"
    int BracketSize = 16; // 4, 8 or 16
    int RowCount = 0;     // the numbered participant rows of the protocol file
    QString RowsKey;      // their fingerprint (BracketRowsKey)
    QStringList Bracket;  // TBracket lines; empty when there is no bracket
    QVector<TExactRun> Exact;
    QVector<TExactRun> Reaction{};
    bool operator==(const TBracketFileData&) const = default;
};

// Beyond this a companion is not read at all: a real one is a few kilobytes.
constexpr qint64 BracketFileMaxBytes = 16 * 1024 * 1024;

QString BracketFileName(const QString& protocolFile);

// The fingerprint of participant rows by their start numbers and names. Only ASCII letters
// and digits count, so a name that went through an 8-bit code page and back still matches.
QString BracketRowsKey(const QVector<QStringList>& startNumberAndName);

QByteArray FormatBracketFile(const TBracketFileData& data);
// None, with the reason in German, for anything that is not a whole companion of version 1.
std::optional<TBracketFileData> ParseBracketFile(const QByteArray& bytes, QString* reason);
// None with an empty reason when there is no such file; none with a reason when it cannot be
// read, is too large or is broken.
std::optional<TBracketFileData> ReadBracketFile(const QString& fileName, QString* reason);

// What the competition keeps besides the rows it writes for a file (Rows(what)), numbered as
// a load of that file will number them; none when there is no bracket and no kept
// millisecond. When the bracket cannot be numbered that way (a seeded participant has the
// start number "0"), error says so and the bracket is left out.
std::optional<TBracketFileData> BracketFileData(const TCompetition& competition,
                                                TCompetition::TRowsFor what, QString* error);

// Writes the companion of protocolFile, atomically, or removes one that is there when data is
// none (it belonged to the file just overwritten). False with error when that failed; a
// companion that could not be replaced is removed where that is possible.
bool UpdateBracketFile(const QString& protocolFile, const std::optional<TBracketFileData>& data,
                       QString* error);

// Both steps for the protocol file just written from competition.Rows(what): an empty text
// when the companion is right, else what went wrong (German), for the operator.
QString KeepBracketBeside(const QString& protocolFile, const TCompetition& competition,
                          TCompetition::TRowsFor what);

// Puts a companion into a competition just loaded from its protocol file: ranking rule and
// bracket size, the kept milliseconds, the results recomputed, the bracket. All or nothing:
// when the rows are not the companion's, the bracket refers to entries the protocol lacks or a
// kept time no longer fits its cell, nothing changes and the reason (German) is returned;
// empty on success. The mode is left to the caller.
QString RestoreBracketFile(TCompetition& competition, const TBracketFileData& data);
