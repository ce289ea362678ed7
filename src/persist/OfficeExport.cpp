#include "persist/OfficeExport.h"

#include "core/RunCells.h"

#include "core/TimeFormat.h"
#include "persist/OfficeStandIn.h"

#include <cmath>
#include <QCoreApplication>
#include <QDate>
#include <QDateTime>
#include <QFileInfo>
#include <QTime>

QString SpreadsheetFileExtension() {
#ifdef Q_OS_WIN
    return QStringLiteral("xls");
#else
    return StandInSpreadsheetExtension();
#endif
}

QString DocumentFileExtension() {
#ifdef Q_OS_WIN
    return QStringLiteral("doc");
#else
    return StandInDocumentExtension();
#endif
}

QString PadTime(const QString& text) {
    const QString trimmed = text.trimmed();
    if (text.size() >= 9 || trimmed.isEmpty() || IsDisCell(trimmed)) return text;
    QString padded = QStringLiteral("00:00,00");
    padded.replace(padded.size() - text.size(), text.size(), text);
    return padded;
}

QString ShortenTime(const QString& text) {
    qsizetype first = 0;
    while (first < text.size() && !(text[first] >= QLatin1Char('1') && text[first] <= '9'))
        ++first;
    return text.mid(std::min<qsizetype>(first, 4));
}

namespace {

bool Shown(const TOfficeTable& table, int col) {
    return col >= table.colWidths.size() || table.colWidths[col] >= 0;
}

int ColCount(const TOfficeTable& table) {
    int n = 0;
    for (const QStringList& row : table.rows)
        n = std::max(n, int(row.size()));
    return n;
}

// Runs body, then finally even when body failed; the first failure is passed on.
template <typename Body, typename Finally> void TryFinally(Body body, Finally finally) {
    try {
        body();
    } catch (...) {
        try {
            finally();
        } catch (...) {
            // The failure that ended the command is the one to report.
        }
        throw;
    } finally();
}
} // namespace

void ExportSpreadsheet(TAutoServers& servers, const TOfficeTable& table, const QString& name) {
    TAutoPtr X = servers.Create(QStringLiteral("Excel.Application"));
    TryFinally(
        [&] {
            X->Put(QStringLiteral("DisplayAlerts"), false);
            X->CallObject(QStringLiteral("Application"))
                ->Put(QStringLiteral("EnableEvents"), false);
            TAutoPtr B =
                X->CallObject(QStringLiteral("WorkBooks"))->CallObject(QStringLiteral("Add"));

            QVector<int> cols;
            for (int c = 0; c < ColCount(table); ++c)
                if (Shown(table, c)) cols << c;
            const int rowCount = int(table.rows.size());
            const int n = int(cols.size());
            QVariantList array;
            array.reserve(rowCount);
            for (int r = 0; r < rowCount; ++r) {
                QVariantList line;
                line.reserve(n);
                for (int c : cols) {
                    const QString cell = table.rows[r].value(c);
                    const bool time = r >= 1 && c >= OfficeFirstTimeCol && c <= OfficeLastTimeCol;
                    line << QVariant(time ? PadTime(cell) : cell);
                }
                array << QVariant(line);
            }

            auto sheet = [&] { return B->GetObject(QStringLiteral("WorkSheets"), {1}); };
            TAutoPtr C1 = sheet()->GetObject(QStringLiteral("Cells"), {1, 1});
            TAutoPtr C2 = sheet()->GetObject(QStringLiteral("Cells"), {rowCount, n});
            TAutoPtr R = sheet()->GetObject(QStringLiteral("Range"),
                                            {ByRef(AutoValue(C1)), ByRef(AutoValue(C2))});
            R->Put(QStringLiteral("Value"), ByRef(array));
            R->CallObject(QStringLiteral("Borders"))->Put(QStringLiteral("LineStyle"), 1);

            sheet()
                ->GetObject(QStringLiteral("Rows"), {1})
                ->CallObject(QStringLiteral("Font"))
                ->Put(QStringLiteral("Bold"), true);

            B->Put(QStringLiteral("Author"), WorkbookAuthor());
            B->Put(QStringLiteral("Comments"), table.AppTitle);
            sheet()->Put(QStringLiteral("Name"), table.AppTitle);

            sheet()->CallObject(QStringLiteral("Columns"))->Call(QStringLiteral("Autofit"));

            if (!name.isEmpty()) B->Call(QStringLiteral("SaveAs"), {ByRef(name)});
        },
        [&] {
            if (name.isEmpty())
                X->Put(QStringLiteral("Visible"), true);
            else
                X->CallObject(QStringLiteral("Application"))->Call(QStringLiteral("Quit"));
        });
}

TProtocolRows ImportSpreadsheet(TAutoServers& servers, const QString& name, int colCount) {
    TAutoPtr X = servers.Create(QStringLiteral("Excel.Application"));
    TProtocolRows rows;
    TryFinally(
        [&] {
            X->CallObject(QStringLiteral("Application"))
                ->Put(QStringLiteral("EnableEvents"), false);
            TAutoPtr B = X->CallObject(QStringLiteral("WorkBooks"))
                             ->CallObject(QStringLiteral("Open"), {ByRef(name)});
            auto sheet = [&] { return B->GetObject(QStringLiteral("WorkSheets"), {1}); };
            bool ok = false;
            int n = sheet()
                        ->CallObject(QStringLiteral("Rows"))
                        ->Call(QStringLiteral("Count"))
                        .toInt(&ok);
            if (!ok || n < 1)
                throw EAutomation(
                    QCoreApplication::translate("OfficeExport", "Die Tabelle hat keine Zeilen."));
            const int m = colCount;
            TAutoPtr C1 = sheet()->GetObject(QStringLiteral("Cells"), {ByRef(1), ByRef(1)});
            TAutoPtr C2 = sheet()->GetObject(QStringLiteral("Cells"), {ByRef(n), ByRef(m)});
            const QVariant V = sheet()
                                   ->GetObject(QStringLiteral("Range"),
                                               {ByRef(AutoValue(C1)), ByRef(AutoValue(C2))})
                                   ->Call(QStringLiteral("Value"));
            const QVariantList lines = V.toList();
            auto text = [&](int r, int c) { // 1-based, as the sheet counts
                return AutoValueText(lines.value(r - 1).toList().value(c - 1));
            };
            for (int i = 1; i <= n; ++i) {
                if (text(i, 1).isEmpty()) {
                    n = i - 1;
                    break;
                }
            }
            if (n == 0)
                throw EAutomation(QCoreApplication::translate(
                    "OfficeExport", "Die erste Zelle (A1) der Tabelle ist leer: nichts zu lesen."));
            rows.resize(n);
            for (int r = 1; r <= n; ++r) {
                QStringList& row = rows[r - 1];
                row.reserve(m);
                for (int c = 1; c <= m; ++c) {
                    QString cell = text(r, c);
                    if (r >= 2 && c >= OfficeFirstTimeCol + 1 && c <= m - 2 && !IsDisCell(cell))
                        cell = ShortenTime(cell);
                    row << cell;
                }
            }
        },
        [&] { X->CallObject(QStringLiteral("Application"))->Call(QStringLiteral("Quit")); });
    return rows;
}

QString DocumentText(const TOfficeTable& table, int* columns) {
    QVector<int> cols;
    for (int c = 0; c < ColCount(table) - 1; ++c)
        if (Shown(table, c)) cols << c;
    QString t = table.CompetitionTitle + QStringLiteral("\r\nProtokoll\r\n");
    for (const QStringList& row : table.rows) {
        for (int c : cols)
            t += row.value(c) + QLatin1Char('\t');
        t.chop(1);
        t += QStringLiteral("\r\n");
    }
    if (columns) *columns = int(cols.size());
    return t;
}

bool ExportDocument(TAutoServers& servers, int mode, const QString& name, const TOfficeTable& table,
                    const QString& templatePath, QString* error) {
    try {
        TAutoPtr W = servers.Create(QStringLiteral("Word.Basic"));
        W->Call(mode == DocumentInteractive ? QStringLiteral("AppMaximize")
                                            : QStringLiteral("AppMinimize"));
        if (!templatePath.isEmpty() && QFileInfo::exists(templatePath))
            W->Call(QStringLiteral("FileOpen"), {ByRef(templatePath)});
        else
            W->Call(QStringLiteral("FileNew"));
        int n = 0;
        const QString T = DocumentText(table, &n);
        W->Call(QStringLiteral("Insert"), {ByRef(T)});
        W->Call(QStringLiteral("LineUp"), {ByRef(int(table.rows.size())), 1});
        W->Call(QStringLiteral("TextToTable"), {NamedArg(QStringLiteral("ConvertFrom"), 1),
                                                NamedArg(QStringLiteral("NumColumns"), n, true)});
        W->Call(QStringLiteral("FileSaveAs"), {ByRef(name)});
        if (mode != DocumentInteractive) W->Call(QStringLiteral("AppClose"));
        return true;
    } catch (const EAutomation& e) {
        if (error) *error = e.Message;
    } catch (const std::exception& e) {
        if (error) *error = QString::fromUtf8(e.what());
    } catch (...) {
        if (error) *error = QCoreApplication::translate("OfficeExport", "unbekannter Fehler");
    }
    return false;
}
