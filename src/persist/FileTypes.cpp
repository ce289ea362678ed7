#include "persist/FileTypes.h"

#include "persist/OfficeExport.h"

#include <QFileInfo>
#include <QRegularExpression>

// The office types name the extension their servers really write.
QString SpreadsheetFilter(const TFileTypes& types) {
    return types.spreadsheet + QStringLiteral(" (*.%1)").arg(SpreadsheetFileExtension());
}
QString TextFilter(const TFileTypes& types) {
    // Spreadsheets export semicolon lists as .csv; the reader takes them as text.
    return types.text + QStringLiteral(" (*.txt *.csv)");
}
QString AllFilesFilter() {
    return QCoreApplication::translate("FileTypes", "Alle Dateien (*)");
}
QString DocumentFilter(const TFileTypes& types) {
    return types.document + QStringLiteral(" (*.%1)").arg(DocumentFileExtension());
}
QString HtmlFilter(const TFileTypes& types) {
    return types.html + QStringLiteral(" (*.html)");
}

// The text type first: a first start (type 1) opens and saves what README's example is.
QStringList OpenFilterList(const TFileTypes& types, bool spreadsheet) {
    QStringList filters{TextFilter(types)};
    if (spreadsheet) filters << SpreadsheetFilter(types);
    filters << AllFilesFilter();
    return filters;
}

QStringList SaveFilterList(const TFileTypes& types, bool spreadsheet, bool document) {
    QStringList filters{TextFilter(types)};
    if (spreadsheet) filters << SpreadsheetFilter(types);
    if (document) filters << DocumentFilter(types);
    filters << HtmlFilter(types);
    return filters;
}

QString FilterExtension(const QString& filter) {
    // The first extension of the list: "(*.txt *.csv)" saves as .txt.
    static const QRegularExpression pattern(
        QStringLiteral("\\(\\*\\.([A-Za-z0-9]+)(?:\\s+\\*\\.[A-Za-z0-9]+)*\\)\\s*$"));
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
