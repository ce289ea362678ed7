// The stand-in's workbook: growing the sheet, and the rules of names and widths.
#include "persist/Workbook.h"

#include <QRegularExpression>

TSheetCell& TSheet::At(int r, int c) {
    if (Rows.size() <= r) Rows.resize(r + 1);
    QVector<TSheetCell>& row = Rows[r];
    if (row.size() <= c) row.resize(c + 1);
    return row[c];
}

bool ValidSheetName(const QString& name) {
    if (name.isEmpty() || name.size() > 31) return false;
    if (name.startsWith(QLatin1Char('\'')) || name.endsWith(QLatin1Char('\''))) return false;
    for (QChar ch : name)
        if (QStringLiteral(":\\/?*[]").contains(ch)) return false;
    return true;
}

double TextWidth(const QString& text, bool bold) {
    // Widths of the default font's characters relative to a digit: enough to size a column
    // the way the spreadsheet program's own fit would, without measuring a font.
    double w = 0;
    for (QChar ch : text) {
        if (QStringLiteral(" .,:;'!|iIjl()[]").contains(ch))
            w += 0.45;
        else if (ch == QLatin1Char('f') || ch == QLatin1Char('t') || ch == QLatin1Char('r'))
            w += 0.6;
        else if (QStringLiteral("MWmw@%").contains(ch))
            w += 1.45;
        else if (ch.isUpper())
            w += 1.15;
        else
            w += 1.0;
    }
    if (bold) w *= 1.1;
    return w + 1.3;
}

TSheet ForReaders(const TSheet& sheet) {
    static const QRegularExpression time(QStringLiteral("^(\\d{1,4}):(\\d{2}),(\\d{2})$"));
    TSheet out = sheet;
    for (int r = 1; r < out.Rows.size(); ++r)
        for (TSheetCell& cell : out.Rows[r]) {
            if (cell.Value.typeId() != QMetaType::QString) continue;
            const auto m = time.match(cell.Value.toString());
            if (!m.hasMatch() || m.captured(2).toInt() > 59) continue;
            const qint64 ms = (m.captured(1).toLongLong() * 60 + m.captured(2).toInt()) * 1000 +
                              m.captured(3).toInt() * 10;
            cell.Value = double(ms) / 86400000.0;
            cell.NumFormat = SheetTimeFormat;
        }
    out.FreezeTitleRow = out.AutoFilter = out.Landscape = out.FitToWidth = true;
    return out;
}
