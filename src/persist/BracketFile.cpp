#include "persist/BracketFile.h"

#include "core/Bracket.h"
#include "persist/SafeFile.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace {
const QString kHeader = QStringLiteral("Veltaro-KO 1");
const QString kFormat = QStringLiteral("Veltaro-KO ");
const QString kZero = QStringLiteral("0");

QString AsciiLettersAndDigits(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (const QChar ch : text)
        if (ch.unicode() < 128 && ch.isLetterOrNumber()) out += ch;
    return out;
}

// The entries of competition.Rows(what) in file order, less the row a load of that file takes
// out of the count: what the loaded competition will number 0, 1, 2, ...
QVector<int> NumberedFileEntries(const TCompetition& c, TCompetition::TRowsFor what) {
    QVector<int> entries;
    entries.reserve(c.EntryCount());
    const bool inLoadOrder = what == TCompetition::ForExitCopy;
    for (int r = 0; r < c.EntryCount(); ++r) {
        const int e = inLoadOrder ? r : c.EntryAt(r);
        if (e < 0 || (!inLoadOrder && c.IsDummy(e))) continue;
        entries << e;
    }
    for (qsizetype i = 0; i < entries.size(); ++i)
        if (c.Cell(entries[i], Col::StNr) == kZero) {
            entries.remove(i);
            break;
        }
    return entries;
}

QString KeyOf(const TCompetition& c, const QVector<int>& entries) {
    QVector<QStringList> rows;
    rows.reserve(entries.size());
    for (int e : entries)
        rows.push_back({c.Cell(e, Col::StNr), c.Cell(e, Col::Name)});
    return BracketRowsKey(rows);
}

bool ParseInt(const QString& text, int* value) {
    bool ok = false;
    *value = text.toInt(&ok);
    return ok;
}

bool IsKey(const QString& key) {
    if (key.size() != 16) return false;
    for (const QChar ch : key)
        if (!((ch >= u'0' && ch <= u'9') || (ch >= u'a' && ch <= u'f'))) return false;
    return true;
}
} // namespace

QString BracketFileName(const QString& protocolFile) {
    if (protocolFile.endsWith(QStringLiteral(".txt"), Qt::CaseInsensitive))
        return protocolFile.chopped(4) + QStringLiteral(".ko");
    return protocolFile + QStringLiteral(".ko");
}

QString BracketRowsKey(const QVector<QStringList>& startNumberAndName) {
    QCryptographicHash hash(QCryptographicHash::Sha1);
    for (const QStringList& row : startNumberAndName) {
        hash.addData(AsciiLettersAndDigits(row.value(0)).toUtf8());
        hash.addData(QByteArrayView("\t"));
        hash.addData(AsciiLettersAndDigits(row.value(1)).toUtf8());
        hash.addData(QByteArrayView("\n"));
    }
    return QString::fromLatin1(hash.result().toHex().left(16));
}

QByteArray FormatBracketFile(const TBracketFileData& data) {
    QStringList records;
    records << QStringLiteral("Ranking=%1").arg(data.Ranking)
            << QStringLiteral("BracketSize=%1").arg(data.BracketSize)
            << QStringLiteral("Rows=%1 %2").arg(data.RowCount).arg(data.RowsKey);
    for (const QString& line : data.Bracket)
        records << QStringLiteral("Bracket=") + line;
    for (const TExactRun& x : data.Exact)
        records << QStringLiteral("Exact=%1 %2 %3").arg(x.Entry).arg(x.Run).arg(x.Ms);
    for (const TExactRun& x : data.Reaction)
        records << QStringLiteral("Reaction=%1 %2 %3").arg(x.Entry).arg(x.Run).arg(x.Ms);
    records << QStringLiteral("End=%1").arg(records.size());
    return (kHeader + '\n' + records.join('\n') + '\n').toUtf8();
}

std::optional<TBracketFileData> ParseBracketFile(const QByteArray& bytes, QString* reason) {
    const auto fail = [reason](const QString& why) {
        if (reason) *reason = why;
        return std::nullopt;
    };
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (utf8.hasError()) return fail(QCoreApplication::translate("BracketFile", "kein UTF-8-Text"));
    if (text.startsWith(QChar(0xFEFF))) text.remove(0, 1);
    QStringList lines = text.split(QLatin1Char('\n'));
    for (QString& line : lines)
        if (line.endsWith(QLatin1Char('\r'))) line.chop(1);
    if (lines.first() != kHeader) {
        if (lines.first().startsWith(kFormat))
            return fail(
                QCoreApplication::translate("BracketFile", "Version %1 wird nicht unterstützt")
                    .arg(lines.first().mid(kFormat.size()).left(20)));
        return fail(QCoreApplication::translate("BracketFile", "keine K.-o.-Datei von Veltaro"));
    }

    TBracketFileData data;
    bool ranking = false, size = false, rows = false, ended = false;
    // A last line without its line break is a file cut off in the middle of that line.
    const bool cutOff = !text.endsWith(QLatin1Char('\n'));
    const auto bad = [&](qsizetype l) {
        if (cutOff && l == lines.size() - 1 && !ended)
            return fail(QCoreApplication::translate("BracketFile", "die Datei ist unvollständig"));
        return fail(QCoreApplication::translate("BracketFile", "Zeile %1 ist ungültig").arg(l + 1));
    };
    for (qsizetype l = 1; l < lines.size(); ++l) {
        const QString& line = lines[l];
        if (line.isEmpty() && l == lines.size() - 1) break; // the last line's break
        if (ended) return bad(l);                           // nothing after the end
        const qsizetype eq = line.indexOf(QLatin1Char('='));
        if (eq <= 0) return bad(l);
        const QStringView key = QStringView(line).left(eq);
        const QString value = line.mid(eq + 1);
        const QStringList f = value.split(QLatin1Char(' '));
        int a = 0, b = 0, c = 0;
        if (key == u"Ranking") {
            if (ranking || !ParseInt(value, &a) || (a != 0 && a != 1)) return bad(l);
            data.Ranking = a;
            ranking = true;
        } else if (key == u"BracketSize") {
            if (size || !ParseInt(value, &a) || (a != 4 && a != 8 && a != 16)) return bad(l);
            data.BracketSize = a;
            size = true;
        } else if (key == u"Rows") {
            if (rows || f.size() != 2 || !ParseInt(f[0], &a) || a < 0 || !IsKey(f[1]))
                return bad(l);
            data.RowCount = a;
            data.RowsKey = f[1];
            rows = true;
        } else if (key == u"Bracket") {
            data.Bracket << value;
        } else if (key == u"Exact") {
            if (f.size() != 3 || !ParseInt(f[0], &a) || !ParseInt(f[1], &b) ||
                !ParseInt(f[2], &c) || a < 0 || b < 0 || b >= 6 || c < 0)
                return bad(l);
            data.Exact.push_back({a, b, c});
        } else if (key == u"Reaction") {
            if (f.size() != 3 || !ParseInt(f[0], &a) || !ParseInt(f[1], &b) ||
                !ParseInt(f[2], &c) || a < 0 || b < 0 || b >= 6)
                return bad(l);
            data.Reaction.push_back({a, b, c});
        } else if (key == u"End") {
            if (!ParseInt(value, &a) || a != l - 1) return bad(l);
            ended = true;
        } else {
            return bad(l);
        }
    }
    if (!ended)
        return fail(QCoreApplication::translate("BracketFile", "die Datei ist unvollständig"));
    if (!ranking || !size || !rows)
        return fail(QCoreApplication::translate("BracketFile",
                                                "Angaben fehlen (Wertung, Feldgröße oder Zeilen)"));
    if (!data.Bracket.isEmpty() && !BracketSetFromLines(data.Bracket))
        return fail(
            QCoreApplication::translate("BracketFile", "das K.-o.-Feld darin ist beschädigt"));
    return data;
}

std::optional<TBracketFileData> ReadBracketFile(const QString& fileName, QString* reason) {
    if (reason) reason->clear();
    const QFileInfo info(fileName);
    if (!info.exists() && !info.isSymLink()) return std::nullopt;
    const auto fail = [reason](const QString& why) {
        if (reason) *reason = why;
        return std::nullopt;
    };
    // Only a plain file: a pipe or a device under that name could keep a read waiting forever.
    if (!info.isFile())
        return fail(QCoreApplication::translate("BracketFile", "keine gewöhnliche Datei"));
    if (info.size() > BracketFileMaxBytes)
        return fail(QCoreApplication::translate("BracketFile",
                                                "die Datei ist zu groß (%1 Bytes, höchstens %2)")
                        .arg(info.size())
                        .arg(BracketFileMaxBytes));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return fail(QCoreApplication::translate("BracketFile", "kann nicht gelesen werden (%1)")
                        .arg(file.errorString()));
    // The size can change between the look and the read: never more than the limit.
    const QByteArray bytes = file.read(BracketFileMaxBytes + 1);
    if (bytes.size() > BracketFileMaxBytes)
        return fail(
            QCoreApplication::translate("BracketFile", "die Datei ist zu groß (höchstens %1 Bytes)")
                .arg(BracketFileMaxBytes));
    if (file.error() != QFileDevice::NoError)
        return fail(QCoreApplication::translate("BracketFile", "kann nicht gelesen werden (%1)")
                        .arg(file.errorString()));
    return ParseBracketFile(bytes, reason);
}

std::optional<TBracketFileData> BracketFileData(const TCompetition& c, TCompetition::TRowsFor what,
                                                QString* error) {
    if (error) error->clear();
    const QVector<int> entries = NumberedFileEntries(c, what);
    TBracketFileData data;
    data.Ranking = c.RankingRule();
    data.BracketSize = c.BracketSize();
    data.RowCount = int(entries.size());
    data.RowsKey = KeyOf(c, entries);
    QVector<int> number(c.EntryCount(), -1);
    for (int i = 0; i < entries.size(); ++i) {
        number[entries[i]] = i;
        for (int r = 0; r < 6; ++r)
            if (const auto ms = c.ExactMs(entries[i], r)) data.Exact.push_back({i, r, *ms});
        for (int r = 0; r < 6; ++r)
            if (const auto ms = c.Reaction(entries[i], r)) data.Reaction.push_back({i, r, *ms});
    }
    if (!c.Brackets().isEmpty()) {
        // The brackets name the competition's entries; the file's numbers are the rows'. Only
        // the seeds name entries.
        QStringList lines = BracketSetLines(c.RecordedBrackets());
        bool numbered = true;
        for (QString& line : lines) {
            QStringList f = line.split(QLatin1Char(' '));
            if (f.size() != 4 || f[0] != QLatin1String("Seed")) continue;
            const int e = f[2].toInt();
            if (e < 0) continue;
            const int n = e < number.size() ? number[e] : -1;
            numbered = numbered && n >= 0;
            f[2] = QString::number(n);
            line = f.join(QLatin1Char(' '));
        }
        if (numbered)
            data.Bracket = lines;
        else if (error)
            *error =
                QCoreApplication::translate("BracketFile", "Ein Teilnehmer des K.-o.-Felds hat die "
                                                           "Startnummer 0; das Feld wird nicht "
                                                           "mitgespeichert.");
    }
    if (data.Bracket.isEmpty() && data.Exact.isEmpty() && data.Reaction.isEmpty())
        return std::nullopt;
    return data;
}

bool UpdateBracketFile(const QString& protocolFile, const std::optional<TBracketFileData>& data,
                       QString* error) {
    const QString name = BracketFileName(protocolFile);
    if (data) {
        if (WriteFileSafely(name, FormatBracketFile(*data), error)) return true;
        // An older companion left in place would fit the new rows just as well and bring back
        // an outdated bracket with the next load: better none at all.
        QFile::remove(name);
        return false;
    }
    const QFileInfo info(name);
    if (!info.exists() && !info.isSymLink()) return true;
    QFile old(name);
    if (old.remove()) return true;
    if (error)
        *error = QCoreApplication::translate("BracketFile", "%1 kann nicht entfernt werden: %2")
                     .arg(QDir::toNativeSeparators(name), old.errorString());
    return false;
}

QString KeepBracketBeside(const QString& protocolFile, const TCompetition& c,
                          TCompetition::TRowsFor what) {
    QString note, error;
    const auto data = BracketFileData(c, what, &note);
    if (!UpdateBracketFile(protocolFile, data, &error)) return error;
    return note;
}

QString RestoreBracketFile(TCompetition& c, const TBracketFileData& data) {
    QVector<int> entries;
    for (int e = 0; e < c.EntryCount(); ++e)
        if (!c.IsDummy(e)) entries << e;
    if (entries.size() != data.RowCount || KeyOf(c, entries) != data.RowsKey)
        return QCoreApplication::translate(
            "BracketFile", "es gehört zu anderen Teilnehmerzeilen als denen des Protokolls");

    const int ranking = c.RankingRule(), size = c.BracketSize();
    QVector<std::array<std::optional<std::int32_t>, 6>> exact(c.EntryCount());
    for (int e = 0; e < c.EntryCount(); ++e)
        for (int r = 0; r < 6; ++r)
            exact[e][r] = c.ExactMs(e, r);
    const auto undo = [&] {
        for (int e = 0; e < c.EntryCount(); ++e)
            for (int r = 0; r < 6; ++r)
                c.SetExactMs(e, r, exact[e][r]);
        c.SetRankingRule(ranking);
        c.SetBracketSize(size);
        c.Recompute();
    };

    c.SetRankingRule(data.Ranking);
    c.SetBracketSize(data.BracketSize);
    if (c.RestoreExactRuns(data.Exact) != data.Exact.size()) {
        undo();
        return QCoreApplication::translate(
            "BracketFile", "die Tausendstel passen nicht zu den Laufzeiten des Protokolls");
    }
    // The seeds' qualification times and the places outside the bracket come from results
    // computed with the thousandths.
    c.Recompute();
    if (!data.Bracket.isEmpty() && !c.RestoreBracket(data.Bracket)) {
        undo();
        return QCoreApplication::translate(
            "BracketFile", "das Feld nennt Teilnehmer, die das Protokoll nicht hat");
    }
    c.RestoreReactions(data.Reaction); // a reaction without its run is simply left out
    return {};
}
