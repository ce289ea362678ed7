// Writing the stand-in's workbook as .xlsx with libxlsxwriter.
#include "persist/SafeFile.h"
#include "persist/Workbook.h"

#include <algorithm>
#include <array>
#include <QCoreApplication>
#include <QDateTime>
#include <QFile>
#include <QHash>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <xlsxwriter.h>

namespace {
// A date serial number as the spreadsheet counts days (1900 system).
lxw_datetime LxwDateTime(const QDateTime& t) {
    return lxw_datetime{t.date().year(),   t.date().month(),
                        t.date().day(),    t.time().hour(),
                        t.time().minute(), t.time().second() + t.time().msec() / 1000.0};
}

// The library writes control characters as the format's escapes "_xHHHH_", but a text that
// already reads like one as it is: a reader would turn it into the character HHHH. Its
// underscore is escaped itself ("_x005F_"), so the text comes back as it was.
QString EscapeLiteralEscapes(const QString& text) {
    static const QRegularExpression escape(QStringLiteral("_(?=x[0-9A-Fa-f]{4}_)"));
    if (!text.contains(QLatin1String("_x"))) return text;
    QString out = text;
    return out.replace(escape, QStringLiteral("_x005F_"));
}
} // namespace

bool WriteXlsx(const TWorkbook& book, const QString& fileName, QString* error) {
    auto fail = [&](const QString& reason) {
        if (error) *error = fileName + QStringLiteral(": ") + reason;
        return false;
    };
    if (!ValidSheetName(book.Sheet.Name))
        return fail(QCoreApplication::translate("XlsxWrite", "ungültiger Blattname"));
    QTemporaryDir dir;
    if (!dir.isValid()) return fail(dir.errorString());
    const QString temp = dir.filePath(QStringLiteral("workbook.xlsx"));
    const QByteArray tempName = QFile::encodeName(temp);

    lxw_workbook* wb = workbook_new(tempName.constData());
    if (!wb)
        return fail(
            QCoreApplication::translate("XlsxWrite", "Arbeitsmappe kann nicht angelegt werden"));
    const QByteArray sheetName = book.Sheet.Name.toUtf8();
    lxw_worksheet* ws = workbook_add_worksheet(wb, sheetName.constData());

    // Formats by [border][bold], and the same for dates.
    std::array<std::array<lxw_format*, 2>, 2> plain{}, dates{};
    for (int border = 0; border < 2; ++border) {
        for (int bold = 0; bold < 2; ++bold) {
            for (auto* set : {&plain, &dates}) {
                lxw_format* f = workbook_add_format(wb);
                if (border) format_set_border(f, LXW_BORDER_THIN);
                if (bold) format_set_bold(f);
                if (set == &dates) format_set_num_format(f, "dd.mm.yyyy");
                (*set)[size_t(border)][size_t(bold)] = f;
            }
        }
    }
    QHash<QString, lxw_format*> numberFormats; // by border, bold and the format's code
    auto format = [&](const TSheetCell& cell, bool rowBold, bool date) -> lxw_format* {
        const bool bold = cell.Bold || rowBold;
        if (!cell.NumFormat.isEmpty()) {
            const QString key =
                QStringLiteral("%1%2").arg(int(cell.Border)).arg(int(bold)) + cell.NumFormat;
            lxw_format*& f = numberFormats[key];
            if (!f) {
                f = workbook_add_format(wb);
                if (cell.Border) format_set_border(f, LXW_BORDER_THIN);
                if (bold) format_set_bold(f);
                format_set_num_format(f, cell.NumFormat.toUtf8().constData());
            }
            return f;
        }
        if (!cell.Border && !bold && !date) return nullptr;
        return (date ? dates : plain)[cell.Border][bold];
    };

    const TSheet& sheet = book.Sheet;
    for (int c = 0; c < sheet.ColWidths.size(); ++c)
        if (sheet.ColWidths[c] > 0)
            worksheet_set_column(ws, lxw_col_t(c), lxw_col_t(c), sheet.ColWidths[c], nullptr);
    for (int r = 0; r < sheet.BoldRows.size(); ++r)
        if (sheet.BoldRows[r]) worksheet_set_row(ws, lxw_row_t(r), LXW_DEF_ROW_HEIGHT, plain[0][1]);

    lxw_error status = LXW_NO_ERROR;
    for (int r = 0; r < sheet.Rows.size() && status == LXW_NO_ERROR; ++r) {
        const bool rowBold = r < sheet.BoldRows.size() && sheet.BoldRows[r];
        const QVector<TSheetCell>& row = sheet.Rows[r];
        for (int c = 0; c < row.size() && status == LXW_NO_ERROR; ++c) {
            const TSheetCell& cell = row[c];
            const lxw_row_t rr = lxw_row_t(r);
            const lxw_col_t cc = lxw_col_t(c);
            switch (cell.Value.metaType().id()) {
            case QMetaType::UnknownType:
                if (lxw_format* f = format(cell, rowBold, false))
                    status = worksheet_write_blank(ws, rr, cc, f);
                break;
            case QMetaType::Double:
            case QMetaType::Int:
            case QMetaType::LongLong:
                status = worksheet_write_number(ws, rr, cc, cell.Value.toDouble(),
                                                format(cell, rowBold, false));
                break;
            case QMetaType::Bool:
                status = worksheet_write_boolean(ws, rr, cc, cell.Value.toBool() ? 1 : 0,
                                                 format(cell, rowBold, false));
                break;
            case QMetaType::QDateTime:
            case QMetaType::QDate: {
                lxw_datetime t = LxwDateTime(cell.Value.toDateTime());
                status = worksheet_write_datetime(ws, rr, cc, &t, format(cell, rowBold, true));
                break;
            }
            default: {
                const QString text = cell.Value.toString();
                if (text.isEmpty()) {
                    if (lxw_format* f = format(cell, rowBold, false))
                        status = worksheet_write_blank(ws, rr, cc, f);
                } else {
                    const QByteArray utf8 = EscapeLiteralEscapes(text).toUtf8();
                    status = worksheet_write_string(ws, rr, cc, utf8.constData(),
                                                    format(cell, rowBold, false));
                }
            }
            }
        }
    }

    int lastCol = 0;
    for (const QVector<TSheetCell>& row : sheet.Rows)
        lastCol = std::max(lastCol, int(row.size()) - 1);
    if (sheet.FreezeTitleRow) worksheet_freeze_panes(ws, 1, 0);
    if (sheet.AutoFilter && !sheet.Rows.isEmpty())
        worksheet_autofilter(ws, 0, 0, lxw_row_t(sheet.Rows.size() - 1), lxw_col_t(lastCol));
    if (sheet.Landscape) worksheet_set_landscape(ws);
    if (sheet.FitToWidth) worksheet_fit_to_pages(ws, 1, 0);

    const QByteArray author = book.Author.toUtf8(), comments = book.Comments.toUtf8();
    lxw_doc_properties properties{};
    properties.author = const_cast<char*>(author.constData());
    properties.comments = const_cast<char*>(comments.constData());
    workbook_set_properties(wb, &properties);

    const lxw_error closed = workbook_close(wb);
    if (status != LXW_NO_ERROR) return fail(QString::fromUtf8(lxw_strerror(status)));
    if (closed != LXW_NO_ERROR) return fail(QString::fromUtf8(lxw_strerror(closed)));
    QFile file(temp);
    if (!file.open(QIODevice::ReadOnly)) return fail(file.errorString());
    return WriteFileSafely(fileName, file.readAll(), error);
}
