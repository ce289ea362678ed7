#include "persist/FileTypes.h"

#include <QFileInfo>
#include <QRegularExpression>

QString SpreadsheetFilter(const TFileTypes& types) {
    return types.spreadsheet + QStringLiteral(" (*.xls)");
}
QString TextFilter(const TFileTypes& types) {
    return types.text + QStringLiteral(" (*.txt)");
}
QString DocumentFilter(const TFileTypes& types) {
    return types.document + QStringLiteral(" (*.doc)");
}
QString HtmlFilter(const TFileTypes& types) {
    return types.html + QStringLiteral(" (*.html)");
}

QStringList OpenFilterList(const TFileTypes& types, bool spreadsheet) {
    QStringList filters;
    if (spreadsheet) filters << SpreadsheetFilter(types);
    filters << TextFilter(types);
    return filters;
}

QStringList SaveFilterList(const TFileTypes& types, bool spreadsheet, bool document) {
    QStringList filters = OpenFilterList(types, spreadsheet);
    if (document) filters << DocumentFilter(types);
    filters << HtmlFilter(types);
    return filters;
}

QString FilterExtension(const QString& filter) {
    static const QRegularExpression pattern(QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)\\)\\s*$"));
    const auto m = pattern.match(filter);
    return m.hasMatch() ? m.captured(1) : QString();
}

QString WithTypeExtension(const QString& name, const QString& filter) {
    const QString ext = FilterExtension(filter);
    if (name.isEmpty() || ext.isEmpty()) return name;
    const QString file = QFileInfo(name).fileName();
    if (file.isEmpty() || file.contains(QLatin1Char('.'))) return name;
    return name + QLatin1Char('.') + ext;
}
