// Saving, loading and publishing the protocol from the main window.
#include "core/Participants.h"
#include "core/Platform.h"
#include "persist/FileTypes.h"
#include "persist/ProtocolHtml.h"
#include "persist/ProtocolText.h"
#include "persist/SettingsGlue.h"
#include "ui/Dialogs.h"
#include "ui/FMain.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
QString TypeDescription(const char* classKey, const QString& builtIn) {
#ifdef Q_OS_WIN
    QSettings classes(QStringLiteral("HKEY_CLASSES_ROOT\\") + QLatin1String(classKey),
                      QSettings::NativeFormat);
    const QString d = classes.value(QStringLiteral("Default")).toString();
    if (!d.isEmpty()) return d;
#else
    Q_UNUSED(classKey);
#endif
    return builtIn;
}
} // namespace

void TFormMain::ReadFileTypes() {
    const TFileTypes builtIn;
    FileTypes.spreadsheet = TypeDescription("Excel.Application", builtIn.spreadsheet);
    FileTypes.text = TypeDescription("txtfile", builtIn.text);
    FileTypes.document = TypeDescription("Word.Document", builtIn.document);
    FileTypes.html = TypeDescription("htmlfile", builtIn.html);
}

bool TFormMain::SpreadsheetOffered() const {
    return OfficeServerRegistered(QStringLiteral("Excel.Application"));
}

// The document type joins the save list once its writer exists.
QStringList TFormMain::OpenFilters() const {
    return OpenDialogFilters;
}
QStringList TFormMain::SaveFilters() const {
    return SaveDialogFilters;
}

QString TFormMain::DefaultExportName() const {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + '_' + cbVid->currentText();
}

TProtocolRows TFormMain::ProtocolRows() const {
    TProtocolRows rows;
    rows.reserve(SortGrid1->RowCount());
    for (int r = 0; r < SortGrid1->RowCount(); ++r)
        rows.push_back(SortGrid1->Rows(r));
    return rows;
}

bool TFormMain::WriteProtocolText(const QString& fileName, QString* error) {
    return WriteProtocolFile(fileName, ProtocolRows(), error);
}

bool TFormMain::ReadProtocolText(const QString& fileName) {
    TProtocolRows rows;
    QString error;
    TProtocolReadReport report;
    // Read the whole file before touching the protocol: a file that cannot be read must not
    // cost the results that are on screen.
    if (!ReadProtocolFile(fileName, &rows, &error, SortGrid1->ColCount(), report)) {
        Dialogs->ShowMessage(QStringLiteral("Protokoll kann nicht gelesen werden: %1\n%2")
                                 .arg(QDir::toNativeSeparators(fileName), error),
                             QStringLiteral("Veltaro"));
        return false;
    }
    if (!ReadyForLoad()) return false;
    FillProtocol(rows);
    TellReadReport(fileName, report);
    return true;
}

void TFormMain::TellReadReport(const QString& fileName, const TProtocolReadReport& report) {
    const QString file = QDir::toNativeSeparators(fileName);
    PartlyReadFile.clear();
    if (report.linesDropped > 0) {
        // A save over this file would lose the lines never read: it asks first.
        PartlyReadFile = QFileInfo(fileName).absoluteFilePath();
        Dialogs->ShowMessage(
            QStringLiteral("%1 hat mehr als %2 Zeilen: %3 Zeilen wurden nicht gelesen.")
                .arg(file)
                .arg(ProtocolMaxRows)
                .arg(report.linesDropped),
            QStringLiteral("Veltaro"));
    }
    if (report.encoding == TTextEncoding::Utf8Repaired)
        Dialogs->ShowMessage(QStringLiteral("%1 enthält %2 ungültige UTF-8-Zeichen; sie wurden "
                                            "durch \u201E\uFFFD\u201C ersetzt.")
                                 .arg(file)
                                 .arg(report.badSequences),
                             QStringLiteral("Veltaro"));
}

bool TFormMain::IsPartlyReadFile(const QString& fileName) const {
    if (PartlyReadFile.isEmpty()) return false;
    const QFileInfo a(fileName), b(PartlyReadFile);
    if (a.exists() && b.exists()) return a.canonicalFilePath() == b.canonicalFilePath();
    return a.absoluteFilePath() == b.absoluteFilePath();
}

void TFormMain::FillProtocol(const TProtocolRows& rows) {
    SortGrid1->BeginUpdate();
    SortGrid1->setRowCount(2);
    for (int c = 0; c < SortGrid1->ColCount(); ++c)
        SortGrid1->setCells(c, 1, QString());
    if (rows.size() > 2) SortGrid1->setRowCount(int(rows.size()));
    for (int r = 0; r < rows.size(); ++r)
        SortGrid1->setRows(r, rows[r]);
    if (!rows.isEmpty()) {
        // The file's titles of name, club, class and date are adopted; the rest are ours.
        for (int c = 1; c <= 4; ++c)
            ColumnTitles[c] = rows[0].value(c);
        for (int c = 0; c < SortGrid1->ColCount(); ++c)
            SortGrid1->setCells(c, 0, ColumnTitles.value(c));
    }
    SortGrid1->EndUpdate();
}

bool TFormMain::ReadyForLoad() {
    // A started heat keeps its participants; a finished one ends as an abort would, without
    // moving anyone on, so nothing of it (RESET, DIS) reaches the new protocol.
    if (!Run->CanLoad()) return false;
    Run->EndRun();
    Run->ForgetLastCells();
    return true;
}

void TFormMain::LoadProtocolRows(const TProtocolRows& rows, const QString& fileName) {
    if (!ReadyForLoad()) return;
    FillProtocol(rows);
    RestoreAfterLoad(fileName);
}

void TFormMain::RestoreAfterLoad(const QString& fileName) {
    const QString base = QFileInfo(fileName).completeBaseName();
    Settings.Title = base;
    cbVidChange();
    for (int c = 0; c < SortGrid1->ColCount(); ++c)
        if (SortGrid1->Cells(c, 0).trimmed().isEmpty())
            SortGrid1->setCells(c, 0, ColumnTitles.value(c));
    for (int r = 1; r < SortGrid1->RowCount(); ++r)
        SortGrid1->setCells(Col::Entry, r, QString::number(r));
    SortGrid1->setRow(1);
    RecalcProtocol();
    SortGrid1RowSelected();
    LayoutWindow();

    RunCounter = 0;
    QStringList entries;
    entries.reserve(SortGrid1->RowCount());
    for (int r = 1; r < SortGrid1->RowCount(); ++r)
        entries << EntryText(SortGrid1->Cells(0, r), SortGrid1->Cells(1, r), SortGrid1->Cells(2, r),
                             SortGrid1->Cells(3, r));
    cbBuhn1->clear();
    cbBuhn1->addItems(entries);
    cbBuhn2->clear();
    cbBuhn2->addItems(entries);
    setWindowTitle(QStringLiteral("TL-Veltaro: ") + base);
    cbBuhn1->setEnabled(cbBuhn1->count() >= 1);
    cbBuhn2->setEnabled(cbBuhn2->count() >= 2);
    SelectStartEntries();
    SortGrid1->setModified(false);
    UpdateControls();
    UpdateTrackCaptions();
    emit ProtocolChanged();
}

void TFormMain::sbLoadClick() {
    if (!Run->CanLoad()) return;
    QStringList filters = OpenFilters();
    int index = std::clamp(Settings.FilterInd, 1, int(filters.size()));
    // The dialog starts on the file chosen last, or else in the folder used last.
    const QString start = !LastOpenName.isEmpty() && QFileInfo(LastOpenName).dir().exists()
                              ? LastOpenName
                              : LastFolder;
    const QString name = Dialogs->OpenFileName(filters, index, start);
    if (name.isEmpty()) return;
    LastOpenName = QFileInfo(name).absoluteFilePath();
    LastFolder = QFileInfo(name).absolutePath();
    QCoreApplication::processEvents(); // the dialog disappears before the reading starts
    if (SpreadsheetOffered() && filters.value(index - 1) == SpreadsheetFilter(FileTypes)) {
        Dialogs->ShowMessage(QStringLiteral("Tabellen können noch nicht gelesen werden."),
                             QStringLiteral("Veltaro"));
        return;
    }
    if (!ReadProtocolText(name)) return;
    RestoreAfterLoad(name);
}

THtmlPage TFormMain::HtmlPage() const {
    THtmlPage page{
        QStringLiteral("TL-Veltaro"), Settings.Title, ProtocolRows(), {}, Settings.CountZabegov};
    for (int c = 0; c < SortGrid1->ColCount(); ++c)
        page.colWidths << SortGrid1->ColWidths(c);
    return page;
}

bool TFormMain::RemoveDummyRow() {
    for (int r = 1; r < SortGrid1->RowCount(); ++r) {
        if (SortGrid1->Cells(Col::StNr, r) == QLatin1String("0")) {
            SortGrid1->DeleteRow(r);
            return true;
        }
    }
    return false;
}

void TFormMain::RestoreDummyRow() {
    SortGrid1->InsertRow(1);
    SortGrid1->setCells(Col::StNr, 1, QStringLiteral("0"));
}

void TFormMain::sbSaveClick() {
    const QStringList filters = SaveFilters();
    int index = std::clamp(Settings.FilterInd, 1, int(filters.size()));
    SaveDialogFileName = DefaultExportName();
    const QString chosen = Dialogs->SaveFileName(filters, index, LastFolder, SaveDialogFileName);
    if (chosen.isEmpty()) return;
    Settings.FilterInd = index;
    const QString filter = filters.value(index - 1);
    // A name typed without an extension gets the chosen type's, so the file is found again
    // by the open dialog's filter.
    const QString name = WithTypeExtension(chosen, filter);
    if (IsPartlyReadFile(name) &&
        !Dialogs->AskYesNo(
            QStringLiteral("%1 wurde nur zum Teil gelesen. Überschreiben? Die nicht gelesenen "
                           "Zeilen gehen dabei verloren.")
                .arg(QDir::toNativeSeparators(name)),
            QStringLiteral("Bestätigen")))
        return;
    SaveDialogFileName = QFileInfo(name).fileName();
    LastFolder = QFileInfo(name).absolutePath();
    QCoreApplication::processEvents();
    if (SpreadsheetOffered() && filter == SpreadsheetFilter(FileTypes)) {
        Dialogs->ShowMessage(QStringLiteral("Tabellen können noch nicht geschrieben werden."),
                             QStringLiteral("Veltaro"));
        return;
    }
    const bool wasModified = SortGrid1->Modified();
    const bool dummy = RemoveDummyRow();
    QString error;
    const bool html = filter == HtmlFilter(FileTypes);
    const bool ok =
        html ? ::WriteProtocolHtml(name, HtmlPage(), &error) : WriteProtocolText(name, &error);
    if (dummy) RestoreDummyRow();
    if (ok) {
        SortGrid1->setModified(false);
    } else {
        // A failed save is said, and the protocol still counts as unsaved. A page says it as
        // the HTML button does: the protocol itself was not what failed to be written.
        SortGrid1->setModified(wasModified);
        Dialogs->ShowMessage(html ? QStringLiteral("Error write file: ") + name + '\n' + error
                                  : QStringLiteral("Protokoll wurde nicht gespeichert: %1\n%2")
                                        .arg(QDir::toNativeSeparators(name), error),
                             QStringLiteral("Veltaro"));
    }
}

void TFormMain::sbInetClick(int tag) {
    const QString name = ProgramBaseName() + QStringLiteral(".html");
    const bool wasModified = SortGrid1->Modified();
    const bool dummy = RemoveDummyRow();
    QString error;
    if (!::WriteProtocolHtml(name, HtmlPage(), &error))
        Dialogs->ShowMessage(QStringLiteral("Error write file: ") + name + '\n' + error,
                             QStringLiteral("Veltaro"));
    if (QFileInfo::exists(name)) {
        const QString path = QFileInfo(name).absoluteFilePath();
        if (tag == 0)
            Dialogs->ShellOpen(path);
        else
            Dialogs->ShellPrint(path);
    }
    if (dummy) RestoreDummyRow();
    // Publishing is no change of the protocol.
    SortGrid1->setModified(wasModified);
}
