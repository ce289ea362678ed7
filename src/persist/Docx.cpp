#include "persist/Docx.h"

#include "persist/ZipArchive.h"

#include <algorithm>
#include <QCoreApplication>
#include <QDateTime>
#include <QHash>
#include <QXmlStreamReader>

namespace {
const QString WordNs =
    QStringLiteral("http://schemas.openxmlformats.org/wordprocessingml/2006/main");
// All parts of a template together, unpacked: a package of a megabyte can unpack to gigabytes,
// and every byte of it is packed again. Real templates (a letterhead, a logo) stay far below.
constexpr qint64 MaxTemplateBytes = qint64(64) * 1024 * 1024;
// A4 landscape with 2 cm margins, in twentieths of a point: a protocol of a dozen columns fits.
constexpr int PageW = 16838, PageH = 11906, Margin = 1134, TextWidth = PageW - 2 * Margin;

QString Escaped(const QString& text) {
    return XmlSafe(text).toHtmlEscaped();
}

// A place, start number or time: digits with the separators of a time, nothing else.
bool IsNumberText(const QString& text) {
    const QString t = text.trimmed();
    if (t.isEmpty()) return false;
    for (const QChar c : t)
        if (!c.isDigit() && c != QLatin1Char(':') && c != QLatin1Char(',') && c != QLatin1Char('.'))
            return false;
    return t.front().isDigit();
}

// The runs of a paragraph's text, tabs as tab elements.
QString Runs(const QString& text, const QString& w) {
    if (text.isEmpty()) return QString();
    QString out;
    out.reserve(text.size() + 64);
    out += QLatin1Char('<') + w + QStringLiteral("r>");
    const QStringList pieces = text.split(QLatin1Char('\t'));
    for (qsizetype i = 0; i < pieces.size(); ++i) {
        if (i > 0) out += QLatin1Char('<') + w + QStringLiteral("tab/>");
        if (pieces[i].isEmpty()) continue;
        out += QLatin1Char('<') + w + QStringLiteral("t xml:space=\"preserve\">");
        out += Escaped(pieces[i]);
        out += QStringLiteral("</") + w + QStringLiteral("t>");
    }
    out += QStringLiteral("</") + w + QStringLiteral("r>");
    return out;
}

QString Paragraph(const QString& text, const QString& w) {
    if (text.isEmpty()) return QLatin1Char('<') + w + QStringLiteral("p/>");
    return QLatin1Char('<') + w + QStringLiteral("p>") + Runs(text, w) + QStringLiteral("</") + w +
           QStringLiteral("p>");
}

QString TableXml(const QVector<QStringList>& rows, const QString& w) {
    int cols = 0;
    for (const QStringList& row : rows)
        cols = std::max(cols, int(row.size()));
    if (cols == 0) return QString();
    // Columns as wide as their longest text (about 125 twips a character at 10 pt, and the
    // cell margins), shrunk
    // together when they would not fit the page.
    QVector<int> widths(cols, 0);
    for (const QStringList& row : rows)
        for (int c = 0; c < row.size(); ++c)
            widths[c] = std::max(widths[c], int(row[c].size()) * 125 + 320);
    int sum = 0;
    for (int& width : widths)
        sum += (width = std::max(width, 450));
    if (sum > TextWidth)
        for (int& width : widths)
            width = int(qint64(width) * TextWidth / sum);

    QString out =
        QStringLiteral("<%1tbl><%1tblPr><%1tblW %1w=\"0\" %1type=\"auto\"/><%1tblBorders>").arg(w);
    for (const char* side : {"top", "left", "bottom", "right", "insideH", "insideV"})
        out += QStringLiteral("<%1%2 %1val=\"single\" %1sz=\"4\" %1space=\"0\" %1color=\"auto\"/>")
                   .arg(w, QLatin1String(side));
    out += QStringLiteral("</%1tblBorders><%1tblLayout %1type=\"autofit\"/></%1tblPr><%1tblGrid>")
               .arg(w);
    for (int width : widths)
        out += QStringLiteral("<%1gridCol %1w=\"%2\"/>").arg(w).arg(width);
    out += QStringLiteral("</%1tblGrid>").arg(w);
    // Built by appending: a protocol of thousands of rows makes a large part.
    QStringList cellHead;
    for (int width : widths)
        cellHead << QStringLiteral("<%1tc><%1tcPr><%1tcW %1w=\"%2\" %1type=\"dxa\"/></%1tcPr>")
                        .arg(w)
                        .arg(width);
    const QString rowOpen = QStringLiteral("<%1tr>").arg(w),
                  rowClose = QStringLiteral("</%1tr>").arg(w);
    const QString cellClose = QStringLiteral("</%1tc>").arg(w);
    // The title row as a reader expects it: bold on grey, repeated on every page.
    const QString headOpen = QStringLiteral("<%1tr><%1trPr><%1tblHeader/></%1trPr>").arg(w);
    const QString shade =
        QStringLiteral("<%1shd %1val=\"clear\" %1color=\"auto\" %1fill=\"D9D9D9\"/></%1tcPr>")
            .arg(w);
    const QString boldRun = QStringLiteral("<%1r><%1rPr><%1b/></%1rPr>").arg(w);
    const QString rightPara = QStringLiteral("<%1p><%1pPr><%1jc %1val=\"right\"/></%1pPr>").arg(w);
    out.reserve(out.size() + rows.size() * cols * 120);
    for (qsizetype r = 0; r < rows.size(); ++r) {
        const QStringList& row = rows[r];
        out += r == 0 ? headOpen : rowOpen;
        for (int c = 0; c < cols; ++c) {
            const QString text = row.value(c);
            if (r == 0) {
                QString head = cellHead[c];
                head.replace(QStringLiteral("</%1tcPr>").arg(w), shade);
                out += head;
                QString para = Paragraph(text, w);
                para.replace(QLatin1Char('<') + w + QStringLiteral("r>"), boldRun);
                out += para;
            } else {
                out += cellHead[c];
                // Places, start numbers and times right-aligned, so that their digits line up.
                if (IsNumberText(text))
                    out +=
                        rightPara + Runs(text, w) + QStringLiteral("</") + w + QStringLiteral("p>");
                else
                    out += Paragraph(text, w);
            }
            out += cellClose;
        }
        out += rowClose;
    }
    return out + QStringLiteral("</%1tbl>").arg(w);
}

QString BodyXml(const TDocument& doc, const QString& w) {
    QString out;
    for (qsizetype i = 0; i < doc.Blocks.size(); ++i) {
        const TDocBlock& b = doc.Blocks[i];
        out += b.IsTable ? TableXml(b.Table, w) : Paragraph(b.Text, w);
        // A table is always followed by a paragraph: the word processors insist on one.
        if (b.IsTable && (i + 1 == doc.Blocks.size() || doc.Blocks[i + 1].IsTable))
            out += Paragraph(QString(), w);
    }
    return out;
}

QByteArray NewPackage(const TDocument& doc, QString* error) {
    const QByteArray xmlHead = "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\r\n";
    const QByteArray types =
        xmlHead + "<Types xmlns=\"http://schemas.openxmlformats.org/package/2006/content-types\">"
                  "<Default Extension=\"rels\" "
                  "ContentType=\"application/vnd.openxmlformats-package.relationships+xml\"/>"
                  "<Default Extension=\"xml\" ContentType=\"application/xml\"/>"
                  "<Override PartName=\"/word/document.xml\" ContentType=\"application/"
                  "vnd.openxmlformats-officedocument.wordprocessingml.document.main+xml\"/>"
                  "<Override PartName=\"/word/styles.xml\" ContentType=\"application/"
                  "vnd.openxmlformats-officedocument.wordprocessingml.styles+xml\"/>"
                  "<Override PartName=\"/docProps/core.xml\" "
                  "ContentType=\"application/vnd.openxmlformats-package.core-properties+xml\"/>"
                  "</Types>";
    const QByteArray rels =
        xmlHead +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"word/document.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/package/2006/"
        "relationships/metadata/core-properties\" Target=\"docProps/core.xml\"/>"
        "</Relationships>";
    const QByteArray docRels =
        xmlHead +
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/styles\" Target=\"styles.xml\"/>"
        "</Relationships>";
    const QByteArray styles =
        xmlHead +
        "<w:styles xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\">"
        "<w:docDefaults><w:rPrDefault><w:rPr><w:rFonts w:ascii=\"Arial\" w:hAnsi=\"Arial\" "
        "w:cs=\"Arial\" w:eastAsia=\"Arial\"/><w:sz w:val=\"20\"/><w:szCs w:val=\"20\"/>"
        "<w:lang w:val=\"de-DE\"/></w:rPr></w:rPrDefault><w:pPrDefault><w:pPr>"
        "<w:spacing w:after=\"0\" w:line=\"240\" w:lineRule=\"auto\"/></w:pPr></w:pPrDefault>"
        "</w:docDefaults>"
        "<w:style w:type=\"paragraph\" w:default=\"1\" w:styleId=\"Standard\">"
        "<w:name w:val=\"Normal\"/></w:style>"
        "</w:styles>";
    const QByteArray core =
        xmlHead +
        "<cp:coreProperties "
        "xmlns:cp=\"http://schemas.openxmlformats.org/package/2006/metadata/core-properties\" "
        "xmlns:dc=\"http://purl.org/dc/elements/1.1/\" xmlns:dcterms=\"http://purl.org/dc/terms/\" "
        "xmlns:xsi=\"http://www.w3.org/2001/XMLSchema-instance\">"
        "<dc:creator>Veltaro</dc:creator><dcterms:created xsi:type=\"dcterms:W3CDTF\">" +
        QDateTime::currentDateTimeUtc().toString(Qt::ISODate).toUtf8() +
        "</dcterms:created></cp:coreProperties>";
    const QString body = BodyXml(doc, QStringLiteral("w:"));
    const QByteArray document =
        xmlHead +
        "<w:document xmlns:w=\"http://schemas.openxmlformats.org/wordprocessingml/2006/main\" "
        "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\"><w:body>" +
        body.toUtf8() +
        QStringLiteral("<w:sectPr><w:pgSz w:w=\"%1\" w:h=\"%2\" w:orient=\"landscape\"/>"
                       "<w:pgMar w:top=\"%3\" w:right=\"%3\" w:bottom=\"%3\" w:left=\"%3\" "
                       "w:header=\"567\" w:footer=\"567\" w:gutter=\"0\"/></w:sectPr>")
            .arg(PageW)
            .arg(PageH)
            .arg(Margin)
            .toUtf8() +
        "</w:body></w:document>";
    return ZipPackage({{QStringLiteral("[Content_Types].xml"), types},
                       {QStringLiteral("_rels/.rels"), rels},
                       {QStringLiteral("word/document.xml"), document},
                       {QStringLiteral("word/_rels/document.xml.rels"), docRels},
                       {QStringLiteral("word/styles.xml"), styles},
                       {QStringLiteral("docProps/core.xml"), core}},
                      error);
}

// The template's document part: named by the package's relationships, by custom the usual one.
QString DocumentPart(const TZipReader& zip) {
    QByteArray rels;
    if (zip.Read(QStringLiteral("_rels/.rels"), MaxTemplateBytes, &rels, nullptr)) {
        QXmlStreamReader xml(rels);
        while (!xml.atEnd()) {
            xml.readNext();
            if (!xml.isStartElement() || xml.name() != QLatin1String("Relationship")) continue;
            const auto a = xml.attributes();
            if (!a.value(QLatin1String("Type")).endsWith(QLatin1String("/officeDocument")))
                continue;
            QString target = a.value(QLatin1String("Target")).toString();
            while (target.startsWith(QLatin1Char('/')))
                target.remove(0, 1);
            if (zip.Contains(target)) return target;
        }
    }
    return QStringLiteral("word/document.xml");
}
} // namespace

QString XmlSafe(const QString& text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x20 && u != '\t' && u != '\n' && u != '\r') continue;
        if (u == 0xFFFE || u == 0xFFFF) continue;
        if (QChar::isHighSurrogate(u)) {
            if (i + 1 < text.size() && QChar::isLowSurrogate(text[i + 1].unicode())) {
                out += text[i];
                out += text[++i];
            }
            continue;
        }
        if (QChar::isLowSurrogate(u)) continue;
        out += text[i];
    }
    return out;
}

bool IsDocxPackage(const QByteArray& bytes) {
    if (!bytes.startsWith("PK")) return false;
    TZipReader zip;
    if (!zip.Open(bytes, nullptr)) return false;
    return zip.Contains(DocumentPart(zip));
}

QByteArray DocxPackage(const TDocument& doc, QString* error) {
    if (doc.TemplatePackage.isEmpty()) return NewPackage(doc, error);
    TZipReader zip;
    if (!zip.Open(doc.TemplatePackage, error)) return {};
    const QString part = DocumentPart(zip);
    qint64 budget = MaxTemplateBytes;
    const auto readPart = [&](const QString& name, QByteArray* data) {
        bool tooLarge = false;
        const bool read = zip.Stream(
            name, MaxTemplateBytes,
            [&](const char* bytes, qsizetype size) {
                if (size > budget) return !(tooLarge = true);
                budget -= size;
                data->append(bytes, size);
                return true;
            },
            error);
        if (tooLarge && error)
            *error =
                QCoreApplication::translate("Docx", "Die Vorlage ist entpackt größer als %1 MB.")
                    .arg(MaxTemplateBytes / (1024 * 1024));
        return read && !tooLarge;
    };
    QByteArray xml;
    if (!readPart(part, &xml)) return {};
    // Our text goes where the cursor stands in an opened document: the start of the body.
    QXmlStreamReader reader(xml);
    qint64 insertAt = -1;
    QString prefix;
    bool emptyElement = false;
    while (!reader.atEnd()) {
        reader.readNext();
        if (reader.isStartElement() && reader.name() == QLatin1String("body") &&
            reader.namespaceUri() == WordNs) {
            insertAt = reader.characterOffset();
            prefix = reader.prefix().toString();
            // "<w:body/>" ends where it starts: the next token is its end, at the same place.
            reader.readNext();
            emptyElement = reader.isEndElement() && reader.characterOffset() == insertAt;
            break;
        }
    }
    if (insertAt < 0) {
        if (error) *error = part + QCoreApplication::translate("Docx", ": kein Dokumentkörper");
        return {};
    }
    // The offset counts characters of the decoded text; the part is UTF-8, so count back.
    const QString text = QString::fromUtf8(xml);
    const QString w = prefix.isEmpty() ? QString() : prefix + QLatin1Char(':');
    QByteArray changed;
    if (emptyElement) {
        // An empty body is opened up so that our text lands inside it.
        QString open = text.left(insertAt);
        open.remove(open.lastIndexOf(QLatin1Char('/')), 1);
        const QByteArray head = text.left(insertAt).toUtf8();
        changed = open.toUtf8() + BodyXml(doc, w).toUtf8() + "</" + w.toUtf8() + "body>" +
                  xml.mid(head.size());
    } else {
        const QByteArray head = text.left(insertAt).toUtf8();
        changed = head + BodyXml(doc, w).toUtf8() + xml.mid(head.size());
    }

    TZipEntries entries;
    for (const QString& name : zip.Names()) {
        if (name.endsWith(QLatin1Char('/'))) continue;
        QByteArray data;
        if (name == part)
            data = changed;
        else if (!readPart(name, &data))
            return {};
        entries.append({name, data});
    }
    return ZipPackage(entries, error);
}
