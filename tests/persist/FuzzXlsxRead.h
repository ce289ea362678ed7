#pragma once
// One input of the workbook reader's fuzz target, shared with the corpus replay test. The
// first byte chooses what the rest is: 'P' a whole file as it is; anything else the parts of a
// package (worksheet, shared strings, styles, workbook), separated by lines "--", which are
// packed into a valid zip so that the input reaches the XML readers. Returns an empty text
// when every property holds, otherwise what went wrong.
#include "persist/Workbook.h"
#include "persist/ZipArchive.h"

#include <QByteArray>
#include <QString>

inline QByteArray FuzzXlsxPackage(const QByteArray& spec) {
    QList<QByteArray> parts = spec.split('\n');
    QList<QByteArray> joined{QByteArray()};
    for (const QByteArray& line : parts) {
        if (line == "--")
            joined << QByteArray();
        else
            joined.last() += line + '\n';
    }
    const QByteArray workbook =
        joined.value(3).isEmpty()
            ? QByteArray(
                  "<workbook xmlns=\"http://schemas.openxmlformats.org/spreadsheetml/2006/main\" "
                  "xmlns:r=\"http://schemas.openxmlformats.org/officeDocument/2006/relationships\">"
                  "<sheets><sheet name=\"S\" sheetId=\"1\" r:id=\"rId1\"/></sheets></workbook>")
            : joined.value(3);
    const QByteArray rels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/officeDocument\" Target=\"xl/workbook.xml\"/></Relationships>";
    const QByteArray bookRels =
        "<Relationships xmlns=\"http://schemas.openxmlformats.org/package/2006/relationships\">"
        "<Relationship Id=\"rId1\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/worksheet\" Target=\"worksheets/sheet1.xml\"/>"
        "<Relationship Id=\"rId2\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/sharedStrings\" Target=\"sharedStrings.xml\"/>"
        "<Relationship Id=\"rId3\" Type=\"http://schemas.openxmlformats.org/officeDocument/2006/"
        "relationships/styles\" Target=\"/xl/styles.xml\"/></Relationships>";
    return ZipPackage({{"_rels/.rels", rels},
                       {"xl/workbook.xml", workbook},
                       {"xl/_rels/workbook.xml.rels", bookRels},
                       {"xl/worksheets/sheet1.xml", joined.value(0)},
                       {"xl/sharedStrings.xml", joined.value(1)},
                       {"xl/styles.xml", joined.value(2)}},
                      nullptr);
}

inline QString FuzzXlsxReadOne(const char* data, size_t size) {
    if (size == 0) return QString();
    const QByteArray rest = QByteArray(data + 1, qsizetype(size - 1));
    const QByteArray bytes = data[0] == 'P' ? rest : FuzzXlsxPackage(rest);
    TWorkbook book;
    QString error;
    const bool ok = ReadXlsx(bytes, &book, &error);
    if (!ok) {
        if (error.isEmpty()) return QStringLiteral("refused without a reason");
        if (book.Sheet.RowCount() != 0) return QStringLiteral("refused but kept rows");
        return QString();
    }
    if (book.Sheet.RowCount() > XlsxReadMaxRows) return QStringLiteral("more rows than allowed");
    qint64 cells = 0;
    for (const auto& row : book.Sheet.Rows) {
        if (row.size() > SheetMaxCols) return QStringLiteral("row wider than a sheet");
        cells += row.size();
        for (const TSheetCell& cell : row) {
            const int type = cell.Value.metaType().id();
            if (cell.Value.isValid() && type != QMetaType::QString && type != QMetaType::Double &&
                type != QMetaType::Bool && type != QMetaType::QDateTime && type != QMetaType::QTime)
                return QStringLiteral("cell of type %1").arg(QLatin1String(cell.Value.typeName()));
        }
    }
    if (cells > XlsxReadMaxCells) return QStringLiteral("more cells than allowed");
    return QString();
}
