// Reading the first worksheet of an .xlsx package: the package's relationships lead to the
// workbook, its first worksheet, the shared strings and the number formats; the sheet is read
// as a stream, so a refused file is refused before it fills memory.
#include "persist/Workbook.h"
#include "persist/ZipArchive.h"

#include <cmath>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QSet>
#include <QXmlStreamReader>

namespace {
const QString RelNs =
    QStringLiteral("http://schemas.openxmlformats.org/officeDocument/2006/relationships");

struct TRel {
    QString Type, Target;
};

class TReader {
public:
    explicit TReader(TWorkbook* book) : m_book(book) {}
    bool Read(const QByteArray& bytes, QString* error);

private:
    bool Fail(const QString& reason) {
        m_error = reason;
        return false;
    }
    bool Damaged(const QString& part, const QString& reason) {
        return Fail(QCoreApplication::translate("XlsxRead", "Die Datei ist beschädigt (%1: %2).")
                        .arg(part, reason));
    }
    bool ParsePart(const QString& part, const std::function<bool(QXmlStreamReader&)>& token);
    bool ReadRels(const QString& relsPart, const QString& baseDir, QHash<QString, TRel>* rels);
    bool ReadSharedStrings(const QString& part);
    bool ReadStyles(const QString& part);
    bool ReadSheet(const QString& part);
    bool StoreCell(int row, int col, const QString& type, int style, const QString& text);

    TWorkbook* m_book;
    TZipReader m_zip;
    QString m_error;
    QStringList m_strings;
    qint64 m_stringChars = 0;
    QVector<bool> m_dateStyles; // by cell format index
    QVector<bool> m_timeStyles; // a time with hundredths, as our workbooks write run times
    bool m_1904 = false;
    qint64 m_cells = 0; // cells the sheet's rows hold so far (empty ones between included)
};

QString DirOf(const QString& part) {
    const int slash = int(part.lastIndexOf(QLatin1Char('/')));
    return slash < 0 ? QString() : part.left(slash);
}

// A relationship target as a part name: relative to the folder of the part that names it.
QString ResolvePart(const QString& baseDir, const QString& target) {
    QStringList parts;
    QString path = target;
    if (path.startsWith(QLatin1Char('/')))
        path = path.mid(1);
    else if (!baseDir.isEmpty())
        path = baseDir + QLatin1Char('/') + path;
    for (const QString& piece : path.split(QLatin1Char('/'), Qt::SkipEmptyParts)) {
        if (piece == QLatin1String("..")) {
            if (!parts.isEmpty()) parts.removeLast();
        } else if (piece != QLatin1String(".")) {
            parts << piece;
        }
    }
    return parts.join(QLatin1Char('/'));
}

// A fraction of a day as "MM:SS,ss" (minutes beyond 59 kept), the hundredths rounded from the
// day's binary fraction.
QString TimeText(double days) {
    const qint64 hundredths = qRound64(days * 8640000.0);
    return QStringLiteral("%1:%2,%3")
        .arg(hundredths / 6000, 2, 10, QLatin1Char('0'))
        .arg(hundredths / 100 % 60, 2, 10, QLatin1Char('0'))
        .arg(hundredths % 100, 2, 10, QLatin1Char('0'));
}

bool IsDateFormat(int id, const QString& code) {
    if ((id >= 14 && id <= 22) || (id >= 27 && id <= 36) || (id >= 45 && id <= 47) ||
        (id >= 50 && id <= 58))
        return true;
    if (code.isEmpty()) return false;
    bool quoted = false;
    int bracket = 0;
    for (qsizetype i = 0; i < code.size(); ++i) {
        const QChar ch = code[i];
        if (quoted) {
            if (ch == QLatin1Char('"')) quoted = false;
            continue;
        }
        if (ch == QLatin1Char('"')) {
            quoted = true;
        } else if (ch == QLatin1Char('\\')) {
            ++i;
        } else if (ch == QLatin1Char('[')) {
            ++bracket;
        } else if (ch == QLatin1Char(']')) {
            bracket = std::max(0, bracket - 1);
        } else if (bracket == 0 && QStringLiteral("dmyhsDMYHS").contains(ch)) {
            return true;
        }
    }
    return false;
}

QVariant SerialDate(double serial, bool base1904) {
    if (!std::isfinite(serial) || serial < 0 || serial > 2958466) return serial;
    qint64 days = qint64(std::floor(serial));
    const qint64 ms = qint64(std::llround((serial - double(days)) * 86400000.0));
    QDate date;
    if (base1904)
        date = QDate(1904, 1, 1).addDays(days);
    else if (days >= 61)
        date = QDate(1899, 12, 30).addDays(days); // the year 1900 counts a 29 February
    else
        date = QDate(1899, 12, 31).addDays(days);
    if (days == 0 && !base1904) return QTime(0, 0).addMSecs(int(ms));
    return QDateTime(date, QTime(0, 0).addMSecs(int(std::min<qint64>(ms, 86399999))));
}

bool IsHexDigit(QChar c) {
    return (c >= QLatin1Char('0') && c <= QLatin1Char('9')) ||
           (c >= QLatin1Char('A') && c <= QLatin1Char('F')) ||
           (c >= QLatin1Char('a') && c <= QLatin1Char('f'));
}

// The text of a string as the workbook format writes it: "_xHHHH_" stands for the UTF-16 code
// unit HHHH (how control characters, which XML cannot hold, are written), and so "_x005F_" for
// an underscore that would otherwise begin such an escape.
QString DecodeEscapes(const QString& text) {
    if (!text.contains(QLatin1String("_x"))) return text;
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size();) {
        if (text[i] == QLatin1Char('_') && i + 6 < text.size() && text[i + 1] == QLatin1Char('x') &&
            text[i + 6] == QLatin1Char('_') && IsHexDigit(text[i + 2]) && IsHexDigit(text[i + 3]) &&
            IsHexDigit(text[i + 4]) && IsHexDigit(text[i + 5])) {
            out += QChar(char16_t(text.mid(i + 2, 4).toUShort(nullptr, 16)));
            i += 7;
        } else {
            out += text[i++];
        }
    }
    return out;
}

bool ParseCellRef(QStringView ref, int* row, int* col) {
    qsizetype i = 0;
    qint64 c = 0, r = 0;
    while (i < ref.size() && ref[i].isLetter() && ref[i].unicode() < 128) {
        c = c * 26 + (ref[i].toUpper().unicode() - 'A' + 1);
        if (c > SheetMaxCols) return false;
        ++i;
    }
    const qsizetype digits = i;
    while (i < ref.size() && ref[i].isDigit() && ref[i].unicode() < 128) {
        r = r * 10 + (ref[i].unicode() - '0');
        if (r > SheetMaxRows) return false;
        ++i;
    }
    if (i != ref.size() || c == 0 || r == 0 || digits == i) return false;
    *row = int(r - 1);
    *col = int(c - 1);
    return true;
}
} // namespace

bool TReader::ParsePart(const QString& part, const std::function<bool(QXmlStreamReader&)>& token) {
    QXmlStreamReader xml;
    bool stopped = false;
    QString zipError;
    auto feed = [&](const char* data, qsizetype size) {
        xml.addData(QByteArray::fromRawData(data, size));
        while (!xml.atEnd()) {
            xml.readNext();
            if (xml.hasError()) break;
            if (!token(xml)) {
                stopped = true;
                return false;
            }
        }
        return xml.error() == QXmlStreamReader::NoError ||
               xml.error() == QXmlStreamReader::PrematureEndOfDocumentError;
    };
    if (!m_zip.Stream(part, XlsxMaxPartBytes, feed, &zipError)) return Damaged(part, zipError);
    if (stopped)
        return m_error.isEmpty()
                   ? Damaged(part, QCoreApplication::translate("XlsxRead", "abgebrochen"))
                   : false;
    if (xml.hasError()) return Damaged(part, xml.errorString());
    return true;
}

bool TReader::ReadRels(const QString& relsPart, const QString& baseDir,
                       QHash<QString, TRel>* rels) {
    if (!m_zip.Contains(relsPart)) return true;
    return ParsePart(relsPart, [&](QXmlStreamReader& xml) {
        if (xml.isStartElement() && xml.name() == QLatin1String("Relationship")) {
            const auto a = xml.attributes();
            if (a.value(QLatin1String("TargetMode")) == QLatin1String("External")) return true;
            rels->insert(a.value(QLatin1String("Id")).toString(),
                         {a.value(QLatin1String("Type")).toString(),
                          ResolvePart(baseDir, a.value(QLatin1String("Target")).toString())});
        }
        return true;
    });
}

bool TReader::ReadSharedStrings(const QString& part) {
    QString current;
    bool inItem = false, inText = false;
    int phonetic = 0;
    return ParsePart(part, [&](QXmlStreamReader& xml) {
        if (xml.isStartElement()) {
            if (xml.name() == QLatin1String("si")) {
                inItem = true;
                current.clear();
            } else if (xml.name() == QLatin1String("rPh")) {
                ++phonetic;
            } else if (xml.name() == QLatin1String("t") && inItem && phonetic == 0) {
                inText = true;
            }
        } else if (xml.isEndElement()) {
            if (xml.name() == QLatin1String("si")) {
                inItem = false;
                if (m_strings.size() >= XlsxReadMaxCells)
                    return Fail(
                        QCoreApplication::translate("XlsxRead", "Die Tabelle hat zu viele Texte."));
                m_strings << DecodeEscapes(current);
            } else if (xml.name() == QLatin1String("rPh")) {
                --phonetic;
            } else if (xml.name() == QLatin1String("t")) {
                inText = false;
            }
        } else if (xml.isCharacters() && inText) {
            m_stringChars += xml.text().size();
            if (m_stringChars > XlsxMaxPartBytes / 4)
                return Fail(
                    QCoreApplication::translate("XlsxRead", "Die Tabelle hat zu viel Text."));
            current += xml.text();
        }
        return true;
    });
}

bool TReader::ReadStyles(const QString& part) {
    QHash<int, QString> codes;
    bool inCellXfs = false;
    return ParsePart(part, [&](QXmlStreamReader& xml) {
        if (xml.isStartElement()) {
            const auto a = xml.attributes();
            if (xml.name() == QLatin1String("numFmt")) {
                codes.insert(a.value(QLatin1String("numFmtId")).toInt(),
                             a.value(QLatin1String("formatCode")).toString());
            } else if (xml.name() == QLatin1String("cellXfs")) {
                inCellXfs = true;
            } else if (xml.name() == QLatin1String("xf") && inCellXfs) {
                if (m_dateStyles.size() >= 65536) return true;
                const int id = a.value(QLatin1String("numFmtId")).toInt();
                m_dateStyles << IsDateFormat(id, codes.value(id));
                m_timeStyles << codes.value(id).contains(QLatin1String("ss.0"));
            }
        } else if (xml.isEndElement() && xml.name() == QLatin1String("cellXfs")) {
            inCellXfs = false;
        }
        return true;
    });
}

bool TReader::StoreCell(int row, int col, const QString& type, int style, const QString& text) {
    QVariant value;
    if (type == QLatin1String("s")) {
        bool ok = false;
        const int i = text.trimmed().toInt(&ok);
        if (!ok || i < 0 || i >= m_strings.size())
            return Damaged(QCoreApplication::translate("XlsxRead", "Tabelle"),
                           QCoreApplication::translate("XlsxRead", "Textverweis %1").arg(text));
        value = m_strings[i];
    } else if (type == QLatin1String("str") || type == QLatin1String("inlineStr")) {
        value = DecodeEscapes(text);
    } else if (type == QLatin1String("e")) {
        value = text;
    } else if (type == QLatin1String("b")) {
        value = text.trimmed() == QLatin1String("1") || text.trimmed() == QLatin1String("true");
    } else if (type == QLatin1String("d")) {
        const QDateTime t = QDateTime::fromString(text.trimmed(), Qt::ISODateWithMs);
        value = t.isValid() ? QVariant(t) : QVariant(text);
    } else {
        bool ok = false;
        const double d = text.trimmed().toDouble(&ok);
        if (!ok)
            value = text;
        else if (style >= 0 && style < m_timeStyles.size() && m_timeStyles[style] && d >= 0 &&
                 d < 1)
            value = TimeText(d); // as the cell shows it: the protocol's own time text
        else if (style >= 0 && style < m_dateStyles.size() && m_dateStyles[style])
            value = SerialDate(d, m_1904);
        else
            value = d;
    }
    if (row >= XlsxReadMaxRows)
        return Fail(QCoreApplication::translate("XlsxRead", "Die Tabelle hat mehr als %1 Zeilen.")
                        .arg(XlsxReadMaxRows));
    TSheet& sheet = m_book->Sheet;
    const qsizetype had = row < sheet.Rows.size() ? sheet.Rows[row].size() : 0;
    if (col >= had) {
        m_cells += col + 1 - had;
        if (m_cells > XlsxReadMaxCells)
            return Fail(
                QCoreApplication::translate("XlsxRead", "Die Tabelle hat mehr als %1 Zellen.")
                    .arg(XlsxReadMaxCells));
    }
    sheet.At(row, col).Value = value;
    return true;
}

bool TReader::ReadSheet(const QString& part) {
    int row = -1, col = -1, style = -1;
    QString type, text;
    bool inCell = false, inValue = false, hasValue = false;
    int inInline = 0, phonetic = 0;
    return ParsePart(part, [&](QXmlStreamReader& xml) {
        if (xml.isStartElement()) {
            const QStringView name = xml.name();
            const auto a = xml.attributes();
            if (name == QLatin1String("row")) {
                const QStringView r = a.value(QLatin1String("r"));
                bool ok = false;
                const int n = r.isEmpty() ? row + 2 : r.toInt(&ok);
                if ((!r.isEmpty() && !ok) || n < 1 || n > SheetMaxRows)
                    return Damaged(part,
                                   QCoreApplication::translate("XlsxRead", "Zeile %1").arg(r));
                row = n - 1;
                col = -1;
            } else if (name == QLatin1String("c")) {
                if (row < 0) row = 0;
                const QStringView r = a.value(QLatin1String("r"));
                if (r.isEmpty()) {
                    if (++col >= SheetMaxCols)
                        return Damaged(part, QCoreApplication::translate("XlsxRead", "Spalte"));
                } else {
                    int rr = 0, cc = 0;
                    if (!ParseCellRef(r, &rr, &cc)) return Damaged(part, r.toString());
                    row = rr;
                    col = cc;
                }
                type = a.value(QLatin1String("t")).toString();
                style =
                    a.hasAttribute(QLatin1String("s")) ? a.value(QLatin1String("s")).toInt() : -1;
                text.clear();
                inCell = true;
                hasValue = false;
            } else if (inCell && name == QLatin1String("v")) {
                inValue = true;
                hasValue = true;
            } else if (inCell && name == QLatin1String("is")) {
                ++inInline;
                hasValue = true;
            } else if (inInline && name == QLatin1String("rPh")) {
                ++phonetic;
            } else if (inInline && phonetic == 0 && name == QLatin1String("t")) {
                inValue = true;
            }
        } else if (xml.isEndElement()) {
            const QStringView name = xml.name();
            if (name == QLatin1String("c")) {
                inCell = false;
                if (hasValue && !StoreCell(row, col, type, style, text)) return false;
            } else if (name == QLatin1String("v") || name == QLatin1String("t")) {
                inValue = false;
            } else if (name == QLatin1String("is")) {
                --inInline;
            } else if (name == QLatin1String("rPh")) {
                --phonetic;
            }
        } else if (xml.isCharacters() && inValue) {
            if (text.size() + xml.text().size() > 32767 * 4)
                return Damaged(part, QCoreApplication::translate("XlsxRead", "Zelle zu lang"));
            text += xml.text();
        }
        return true;
    });
}

bool TReader::Read(const QByteArray& bytes, QString* error) {
    auto done = [&](bool ok) {
        if (!ok && error) *error = m_error;
        return ok;
    };
    if (bytes.startsWith(QByteArray::fromHex("D0CF11E0A1B11AE1"))) {
        // A compound file: either an encrypted package or the old binary format.
        QByteArray encrypted; // the stream's name as the directory holds it, UTF-16LE
        for (char ch : QByteArrayView("EncryptedPackage"))
            encrypted.append(ch).append('\0');
        if (bytes.contains(encrypted))
            return done(Fail(QCoreApplication::translate(
                "XlsxRead", "Die Arbeitsmappe ist mit einem Kennwort geschützt. Bitte ohne "
                            "Kennwort als .xlsx speichern.")));
        return done(Fail(QCoreApplication::translate(
            "XlsxRead", "Die Datei ist im alten Excel-Format (.xls). Bitte als .xlsx speichern.")));
    }
    if (!bytes.startsWith("PK"))
        return done(Fail(QCoreApplication::translate(
            "XlsxRead", "Die Datei ist keine Excel-Arbeitsmappe (.xlsx).")));
    QString zipError;
    if (!m_zip.Open(bytes, &zipError))
        return done(Fail(QCoreApplication::translate("XlsxRead", "Die Datei ist beschädigt (%1).")
                             .arg(zipError)));

    QHash<QString, TRel> rootRels;
    if (!ReadRels(QStringLiteral("_rels/.rels"), QString(), &rootRels)) return done(false);
    QString workbook;
    for (const TRel& rel : std::as_const(rootRels))
        if (rel.Type.endsWith(QLatin1String("/officeDocument"))) workbook = rel.Target;
    if (workbook.isEmpty()) workbook = QStringLiteral("xl/workbook.xml");
    if (!m_zip.Contains(workbook) || !workbook.endsWith(QLatin1String(".xml")) ||
        m_zip.Contains(QStringLiteral("word/document.xml")))
        return done(Fail(QCoreApplication::translate(
            "XlsxRead", "Die Datei ist keine Excel-Arbeitsmappe (.xlsx).")));

    QStringList sheetIds;
    if (!ParsePart(workbook, [&](QXmlStreamReader& xml) {
            if (!xml.isStartElement()) return true;
            if (xml.name() == QLatin1String("workbookPr")) {
                const QStringView v = xml.attributes().value(QLatin1String("date1904"));
                m_1904 = v == QLatin1String("1") || v == QLatin1String("true");
            } else if (xml.name() == QLatin1String("sheet")) {
                sheetIds << xml.attributes().value(RelNs, QLatin1String("id")).toString();
            }
            return true;
        }))
        return done(false);
    QHash<QString, TRel> rels;
    const QString relsPart =
        DirOf(workbook) + QStringLiteral("/_rels/") + QFileInfo(workbook).fileName() + ".rels";
    if (!ReadRels(relsPart, DirOf(workbook), &rels)) return done(false);

    QString sheet;
    for (const QString& id : sheetIds) {
        const TRel rel = rels.value(id);
        if (rel.Type.endsWith(QLatin1String("/worksheet")) && m_zip.Contains(rel.Target)) {
            sheet = rel.Target;
            break;
        }
    }
    if (sheet.isEmpty())
        return done(Fail(
            QCoreApplication::translate("XlsxRead", "Die Arbeitsmappe hat kein Tabellenblatt.")));
    for (const TRel& rel : std::as_const(rels)) {
        if (!m_zip.Contains(rel.Target)) continue;
        if (rel.Type.endsWith(QLatin1String("/sharedStrings")) && !ReadSharedStrings(rel.Target))
            return done(false);
        if (rel.Type.endsWith(QLatin1String("/styles")) && !ReadStyles(rel.Target))
            return done(false);
    }
    return done(ReadSheet(sheet));
}

bool ReadXlsx(const QByteArray& bytes, TWorkbook* book, QString* error) {
    *book = TWorkbook();
    TReader reader(book);
    if (reader.Read(bytes, error)) return true;
    *book = TWorkbook();
    return false;
}

bool ReadXlsxFile(const QString& fileName, TWorkbook* book, QString* error) {
    QFile file(fileName);
    const QFileInfo info(fileName);
    auto fail = [&](const QString& reason) {
        if (error) *error = reason;
        return false;
    };
    if (!info.exists())
        return fail(
            QCoreApplication::translate("XlsxRead", "Die Datei %1 gibt es nicht.").arg(fileName));
    if (!info.isFile())
        return fail(QCoreApplication::translate("XlsxRead", "%1 ist keine Datei.").arg(fileName));
    if (info.size() > XlsxMaxFileBytes)
        return fail(QCoreApplication::translate("XlsxRead",
                                                "Die Datei %1 ist zu groß für eine Arbeitsmappe.")
                        .arg(fileName));
    if (!file.open(QIODevice::ReadOnly))
        return fail(
            QCoreApplication::translate("XlsxRead", "Die Datei %1 kann nicht gelesen werden (%2).")
                .arg(fileName, file.errorString()));
    return ReadXlsx(file.read(XlsxMaxFileBytes + 1), book, error);
}
