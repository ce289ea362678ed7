#include "persist/StartListImport.h"

#include "core/Competition.h"
#include "persist/Automation.h"
#include "persist/Workbook.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QStringDecoder>

#include <array>

namespace {

QString DecodeImportBytes(const QByteArray& bytes, TTextEncoding* encoding) {
    if (bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        *encoding = TTextEncoding::Utf16;
        QStringDecoder decode(bytes.startsWith("\xFF\xFE") ? QStringDecoder::Utf16LE
                                                           : QStringDecoder::Utf16BE);
        return decode(QByteArrayView(bytes).sliced(2));
    }
    *encoding = GuessProtocolEncoding(bytes);
    if (*encoding == TTextEncoding::EightBit)
        return DecodeWindows1252(bytes.constData(), bytes.size());
    const QByteArrayView text =
        bytes.startsWith("\xEF\xBB\xBF") ? QByteArrayView(bytes).sliced(3) : QByteArrayView(bytes);
    QStringDecoder decode(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    return decode(text);
}

// Text has next to no control characters; a binary file (or a text in an encoding it was not
// read in) has them all over.
bool LooksBinary(const QString& text) {
    qsizetype controls = 0;
    for (const QChar c : text) {
        const char16_t u = c.unicode();
        if (u == 0) return true;
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r' && u != '\f') ++controls;
    }
    return controls * 100 > text.size();
}

// The separator the first record uses most, quoted parts not counted; TAB before ";" before
// "," when they tie. Null when the record has none.
QChar GuessSeparator(const QString& text) {
    std::array<qsizetype, 3> count{};
    const std::array<char16_t, 3> seps{u'\t', u';', u','};
    bool quoted = false;
    for (const QChar c : text) {
        if (c == u'"') quoted = !quoted;
        if (quoted) continue;
        if (c == u'\n' || c == u'\r') break;
        for (size_t i = 0; i < seps.size(); ++i)
            if (c == seps[i]) ++count[i];
    }
    size_t best = 0;
    for (size_t i = 1; i < seps.size(); ++i)
        if (count[i] > count[best]) best = i;
    return count[best] > 0 ? QChar(seps[best]) : QChar();
}

bool Fail(QString* error, const QString& why) {
    if (error) *error = why;
    return false;
}

QString TooManyRows() {
    return QCoreApplication::translate("StartListImport", "Die Datei hat mehr als %1 Zeilen.")
        .arg(ProtocolMaxRows);
}

// The dialog gives every column a box of its own: a file with thousands of columns is no
// start list, and would hold the window up for minutes.
bool TooWide(const TImportTable& table, QString* error) {
    if (table.columns <= ImportMaxColumns) return false;
    Fail(error, QCoreApplication::translate("StartListImport", "Die Datei hat mehr als %1 Spalten.")
                    .arg(ImportMaxColumns));
    return true;
}

bool Blank(const QStringList& row) {
    for (const QString& cell : row)
        if (!cell.trimmed().isEmpty()) return false;
    return true;
}

// Adds a row unless it is blank; false once there are more rows than a protocol holds.
bool AddRow(TImportTable& table, QStringList& row, int line) {
    if (!Blank(row)) {
        if (table.rows.size() >= ProtocolMaxRows) return false;
        table.columns = std::max(table.columns, int(row.size()));
        table.rows.push_back(std::move(row));
        table.lines.push_back(line);
    }
    row.clear();
    return true;
}

// Lower case, umlauts spelled out, nothing but letters and digits: "St.-Nr." is "stnr".
QString NormalTitle(const QString& title) {
    QString n;
    for (const QChar c : title.toLower()) {
        switch (c.unicode()) {
        case u'ä':
            n += QLatin1String("ae");
            break;
        case u'ö':
            n += QLatin1String("oe");
            break;
        case u'ü':
            n += QLatin1String("ue");
            break;
        case u'ß':
            n += QLatin1String("ss");
            break;
        default:
            if ((c >= u'a' && c <= u'z') || (c >= u'0' && c <= u'9')) n += c;
        }
    }
    return n;
}

struct TTitleWords {
    TImportTarget target;
    std::initializer_list<const char*> words; // best first
};
const TTitleWords TitleWords[] = {
    {TImportTarget::StNr,
     {"stnr", "startnummer", "startnr", "startno", "startnumber", "bib", "bibnumber", "bibnr", "nr",
      "nummer", "number", "no"}},
    {TImportTarget::Name,
     {"namevorname", "name", "teilnehmer", "teilnehmerin", "fullname", "athlete", "athlet",
      "participant", "climber", "kletterer", "sportler"}},
    {TImportTarget::LastName, {"nachname", "familienname", "lastname", "surname", "familyname"}},
    {TImportTarget::FirstName, {"vorname", "firstname", "givenname", "forename"}},
    {TImportTarget::Ort,
     {"verein", "club", "ort", "team", "sektion", "section", "city", "wohnort", "stadt", "town",
      "nation", "land", "country", "organisation", "organization"}},
    {TImportTarget::Klasse,
     {"klasse", "kategorie", "category", "class", "altersklasse", "ak", "wertungsklasse",
      "startklasse", "division", "gruppe", "group", "kat", "cat"}},
    {TImportTarget::Datum,
     {"datum", "jahrgang", "jg", "geburtsjahr", "birthyear", "yearofbirth", "yob", "geburtsdatum",
      "birthdate", "dateofbirth", "dob", "date", "year", "geboren", "born"}},
};

// The target a title names and how well (lower is better); a title that only starts with a
// longer word ("Vereinsname") counts less than one that is the word.
std::pair<TImportTarget, int> TargetOfTitle(const QString& title) {
    const QString n = NormalTitle(title);
    std::pair<TImportTarget, int> best{TImportTarget::Skip, 1 << 20};
    if (n.isEmpty()) return best;
    for (const TTitleWords& t : TitleWords) {
        int rank = 0;
        for (const char* w : t.words) {
            const QLatin1String word(w);
            const int r = n == word                                ? rank
                          : word.size() >= 5 && n.startsWith(word) ? rank + 1000
                                                                   : -1;
            if (r >= 0 && r < best.second) best = {t.target, r};
            ++rank;
        }
    }
    return best;
}

QString CellText(QString cell) {
    // A cell is one line in the protocol and its files.
    for (QChar& c : cell)
        if (c == u'\r' || c == u'\n' || c == u'\t') c = u' ';
    cell = cell.trimmed();
    if (cell.size() > ProtocolMaxFieldBytes) cell.truncate(ProtocolMaxFieldBytes);
    return cell;
}

} // namespace

bool ParseCsv(const QByteArray& bytes, TImportTable* table, QString* error) {
    *table = TImportTable();
    const QString text = DecodeImportBytes(bytes, &table->encoding);
    if (text.trimmed().isEmpty())
        return Fail(error, QCoreApplication::translate("StartListImport", "Die Datei ist leer."));
    if (LooksBinary(text))
        return Fail(error, QCoreApplication::translate(
                               "StartListImport", "Die Datei ist keine Textdatei (Binärdaten)."));
    // A spreadsheet's CSV may name its separator in a line of its own ("sep=;") before the
    // titles.
    qsizetype skip = 0;
    const QChar named = text.size() > 4 ? text[4] : QChar();
    if (text.startsWith(QLatin1String("sep="), Qt::CaseInsensitive) &&
        (named == u',' || named == u';' || named == u'\t') &&
        (text.size() == 5 || text[5] == u'\r' || text[5] == u'\n')) {
        skip = 5;
        if (skip < text.size() && text[skip] == u'\r') ++skip;
        if (skip < text.size() && text[skip] == u'\n') ++skip;
    }
    const QChar sep = skip > 0 ? named : GuessSeparator(text);
    if (sep.isNull())
        return Fail(error, QCoreApplication::translate("StartListImport",
                                                       "Die Datei hat nur eine Spalte: keine "
                                                       "Trennzeichen (Komma, Semikolon oder "
                                                       "Tabulator) in der Titelzeile."));
    table->separator = sep;
    const QChar* p = text.constData() + skip;
    const QChar* const end = text.constData() + text.size();
    int line = skip > 0 ? 2 : 1, rowLine = line;
    QStringList row;
    QString field;
    while (p < end) {
        // One field per pass; p stands at its first character.
        field.clear();
        if (*p == u'"') {
            const int quoteLine = line;
            ++p;
            for (;;) {
                if (p == end)
                    return Fail(error, QCoreApplication::translate(
                                           "StartListImport", "Ein Anführungszeichen in Zeile %1 "
                                                              "wird nicht geschlossen.")
                                           .arg(quoteLine));
                if (*p == u'"') {
                    if (p + 1 < end && p[1] == u'"') {
                        field += u'"';
                        p += 2;
                        continue;
                    }
                    ++p;
                    break;
                }
                if (*p == u'\n' || (*p == u'\r' && !(p + 1 < end && p[1] == u'\n'))) ++line;
                field += *p++;
            }
        }
        // Unquoted text, or what follows a closing quote, is taken as it stands.
        const QChar* start = p;
        while (p < end && *p != sep && *p != u'\n' && *p != u'\r')
            ++p;
        field.append(start, p - start);
        row << field;
        if (p < end && *p == sep) {
            ++p;
            if (p == end) row << QString();
            continue;
        }
        if (p < end) { // a line end: CR LF, LF or CR
            if (*p == u'\r' && p + 1 < end && p[1] == u'\n') ++p;
            ++p;
        }
        if (!AddRow(*table, row, rowLine)) return Fail(error, TooManyRows());
        rowLine = ++line;
    }
    if (!row.isEmpty() && !AddRow(*table, row, rowLine)) return Fail(error, TooManyRows());
    if (table->rows.isEmpty())
        return Fail(error, QCoreApplication::translate("StartListImport", "Die Datei ist leer."));
    return !TooWide(*table, error);
}

bool ParseXlsxTable(const QByteArray& bytes, TImportTable* table, QString* error) {
    *table = TImportTable();
    TWorkbook book;
    if (!ReadXlsx(bytes, &book, error)) return false;
    QStringList row;
    for (int r = 0; r < book.Sheet.RowCount(); ++r) {
        for (const TSheetCell& cell : book.Sheet.Rows[r])
            row << AutoValueText(cell.Value);
        while (!row.isEmpty() && row.last().trimmed().isEmpty())
            row.removeLast();
        if (!AddRow(*table, row, r + 1)) return Fail(error, TooManyRows());
    }
    if (table->rows.isEmpty())
        return Fail(error, QCoreApplication::translate("StartListImport", "Die Tabelle ist leer."));
    if (table->columns < 2)
        return Fail(error, QCoreApplication::translate("StartListImport",
                                                       "Die Tabelle hat nur eine Spalte."));
    return !TooWide(*table, error);
}

bool ReadImportFile(const QString& fileName, TImportTable* table, QString* error) {
    const QFileInfo info(fileName);
    if (!info.exists())
        return Fail(error, QCoreApplication::translate("StartListImport",
                                                       "Die Datei ist nicht vorhanden."));
    if (!info.isFile())
        return Fail(error, QCoreApplication::translate("StartListImport",
                                                       "Das ist keine gewöhnliche Datei."));
    if (info.size() > ProtocolMaxFileBytes)
        return Fail(error, QCoreApplication::translate(
                               "StartListImport", "Die Datei ist zu groß für eine Startliste."));
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly)) return Fail(error, file.errorString());
    const QByteArray bytes = file.read(ProtocolMaxFileBytes + 1);
    if (bytes.startsWith("PK\x03\x04") || bytes.startsWith("\xD0\xCF\x11\xE0"))
        return ParseXlsxTable(bytes, table, error);
    return ParseCsv(bytes, table, error);
}

TImportTarget ImportTargetAt(int index) {
    return index >= 1 && index < ImportTargetCount ? TImportTarget(index - 1) : TImportTarget::Skip;
}

int ImportTargetIndex(TImportTarget target) {
    return int(target) + 1;
}

QString ImportTargetText(TImportTarget target) {
    switch (target) {
    case TImportTarget::StNr:
        return QCoreApplication::translate("StartListImport", "St.Nr.");
    case TImportTarget::Name:
        return QCoreApplication::translate("StartListImport", "Name, Vorname");
    case TImportTarget::LastName:
        return QCoreApplication::translate("StartListImport", "Nachname");
    case TImportTarget::FirstName:
        return QCoreApplication::translate("StartListImport", "Vorname");
    case TImportTarget::Ort:
        return QCoreApplication::translate("StartListImport", "Ort / Verein");
    case TImportTarget::Klasse:
        return QCoreApplication::translate("StartListImport", "Klasse / Kategorie");
    case TImportTarget::Datum:
        return QCoreApplication::translate("StartListImport", "Datum / Jahrgang");
    case TImportTarget::Skip:
        break;
    }
    return QCoreApplication::translate("StartListImport", "(nicht übernehmen)");
}

TImportMapping ProposeMapping(const QStringList& titles) {
    TImportMapping mapping(titles.size(), TImportTarget::Skip);
    QHash<int, std::pair<int, int>> taken; // target -> column, rank
    for (int c = 0; c < titles.size(); ++c) {
        const auto [target, rank] = TargetOfTitle(titles[c]);
        if (target == TImportTarget::Skip) continue;
        const auto it = taken.constFind(int(target));
        if (it != taken.cend() && it->second <= rank) continue;
        if (it != taken.cend()) mapping[it->first] = TImportTarget::Skip;
        mapping[c] = target;
        taken[int(target)] = {c, rank};
    }
    // Beside a first name, "Name" is the family name.
    if (mapping.contains(TImportTarget::FirstName) && !mapping.contains(TImportTarget::LastName))
        for (int c = 0; c < titles.size(); ++c)
            if (mapping[c] == TImportTarget::Name && NormalTitle(titles[c]) == u"name")
                mapping[c] = TImportTarget::LastName;
    return mapping;
}

QString MappingKey(const QStringList& titles) {
    QStringList normal;
    for (const QString& t : titles)
        normal << NormalTitle(t);
    return QString::fromLatin1(
        QCryptographicHash::hash(normal.join(QChar(0x1F)).toUtf8(), QCryptographicHash::Sha1)
            .toHex()
            .left(16));
}

QString MappingToText(const TImportMapping& mapping) {
    QStringList parts;
    for (const TImportTarget t : mapping)
        parts << QString::number(int(t));
    return parts.join(u',');
}

TImportMapping MappingFromText(const QString& text, int columns) {
    const QStringList parts = text.split(u',');
    if (parts.size() != columns) return {};
    TImportMapping mapping;
    for (const QString& part : parts) {
        bool ok = false;
        const int v = part.toInt(&ok);
        if (!ok || v < -1 || v >= ImportTargetCount - 1) return {};
        mapping << TImportTarget(v);
    }
    return mapping;
}

bool BuildStartList(const TImportTable& table, const TImportMapping& mapping, TStartList* list,
                    QString* error) {
    *list = TStartList();
    auto has = [&](TImportTarget t) { return mapping.contains(t); };
    if (!has(TImportTarget::Name) && !has(TImportTarget::LastName) &&
        !has(TImportTarget::FirstName))
        return Fail(error, QCoreApplication::translate("StartListImport",
                                                       "Keine Spalte ist dem Namen zugeordnet."));
    if (table.rows.isEmpty())
        return Fail(error, QCoreApplication::translate("StartListImport", "Die Datei ist leer."));
    // One column of the protocol from the file's columns mapped to target (blank-joined when
    // the operator chose several).
    auto value = [&](const QStringList& row, TImportTarget target) {
        QString v;
        for (int c = 0; c < mapping.size(); ++c)
            if (mapping[c] == target) {
                const QString cell = CellText(row.value(c));
                if (!cell.isEmpty()) v += (v.isEmpty() ? QString() : QStringLiteral(" ")) + cell;
            }
        return v;
    };
    QStringList titles = TCompetition::DefaultColumnTitles();
    const QStringList& fileTitles = table.rows[0];
    for (int c = 0; c < mapping.size(); ++c) {
        const int target = int(mapping[c]);
        const QString title = CellText(fileTitles.value(c));
        // A class or club under its own title; the name's title says how it is written.
        if (target >= Col::Ort && target <= Col::Datum && !title.isEmpty()) titles[target] = title;
    }
    if (has(TImportTarget::Name)) {
        const int c = int(mapping.indexOf(TImportTarget::Name));
        if (!CellText(fileTitles.value(c)).isEmpty()) titles[Col::Name] = CellText(fileTitles[c]);
    }
    list->rows.reserve(table.rows.size());
    list->rows.push_back(titles);
    QHash<QString, int> numbers;
    for (qsizetype r = 1; r < table.rows.size(); ++r) {
        const QStringList& row = table.rows[r];
        QString name = value(row, TImportTarget::Name);
        if (name.isEmpty()) {
            const QString last = value(row, TImportTarget::LastName);
            const QString first = value(row, TImportTarget::FirstName);
            name = last.isEmpty() || first.isEmpty() ? last + first
                                                     : last + QStringLiteral(", ") + first;
        }
        if (name.isEmpty()) {
            list->withoutName << table.lines.value(r, int(r) + 1);
            continue;
        }
        QStringList cells(Col::Count);
        cells[Col::StNr] = value(row, TImportTarget::StNr);
        cells[Col::Name] = name;
        cells[Col::Ort] = value(row, TImportTarget::Ort);
        cells[Col::Klasse] = value(row, TImportTarget::Klasse);
        cells[Col::Datum] = value(row, TImportTarget::Datum);
        if (!cells[Col::StNr].isEmpty() && ++numbers[cells[Col::StNr]] == 2)
            list->duplicates << cells[Col::StNr];
        list->rows.push_back(cells);
    }
    // An import that leaves nobody would only empty the protocol.
    if (list->rows.size() < 2)
        return Fail(error, QCoreApplication::translate("StartListImport",
                                                       "Keine Zeile der Datei hat einen Namen."));
    return true;
}

QString StartListReport(const TStartList& list) {
    QStringList said;
    if (!list.withoutName.isEmpty()) {
        QStringList lines;
        for (const int l : list.withoutName.mid(0, 20))
            lines << QString::number(l);
        if (list.withoutName.size() > 20) lines << QStringLiteral("…");
        said << QCoreApplication::translate("StartListImport",
                                            "Ohne Namen, nicht übernommen (%1): Zeile %2.")
                    .arg(list.withoutName.size())
                    .arg(lines.join(QStringLiteral(", ")));
    }
    if (!list.duplicates.isEmpty()) {
        QStringList numbers = list.duplicates.mid(0, 20);
        if (list.duplicates.size() > 20) numbers << QStringLiteral("…");
        said << QCoreApplication::translate("StartListImport",
                                            "Startnummern mehrfach vergeben: %1.")
                    .arg(numbers.join(QStringLiteral(", ")));
    }
    return said.join(u'\n');
}
