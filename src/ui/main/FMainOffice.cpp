// The protocol and the office suite: the spreadsheet and document buttons, and the
// spreadsheet and document types of the save and load dialogs (ui/FMainFiles.cpp). The exports read
// the protocol through OfficeTable; the import hands its rows to the load path and changes nothing
// when it fails.
#include "persist/OfficeExport.h"
#include "persist/OfficeStandIn.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#ifdef Q_OS_WIN
#include "ui/OfficeAx.h"
#endif

#include <QDir>
#include <QFileInfo>
#include <QGuiApplication>
#include <QToolButton>

void TFormMain::setupOffice() {
    connect(Excel1, &QAction::triggered, this, [this] { sbExcelClick(); });
    connect(Word1, &QAction::triggered, this, [this] { sbWordClick(); });
}

TAutoServers& TFormMain::Office() const {
    if (!OfficeServers) {
#ifdef Q_OS_WIN
        OfficeServers = MakeAxServers();
#else
        TStandInHost host;
        host.OpenDocument = [this](const QString& file) {
            if (Dialogs) Dialogs->ShellOpen(file);
        };
        OfficeServers = std::make_unique<TStandInServers>(host);
#endif
    }
    return *OfficeServers;
}

bool TFormMain::OfficeServerAvailable(const QString& progId) const {
    return Office().Available(progId);
}

TOfficeTable TFormMain::OfficeTable() const {
    // What the page shows is what the office documents show: the competition's rows as shown,
    // without the dummy, and the columns the grid shows.
    THtmlPage page = HtmlPage();
    return {page.AppTitle, page.CompetitionTitle, std::move(page.rows), std::move(page.colWidths)};
}

QString TFormMain::DocumentTemplate() const {
#ifndef Q_OS_WIN
    // Our document server reads templates in its own format: one saved as .docx beside the
    // usual name serves as well.
    if (!QFileInfo::exists(DocTemplatePath)) {
        const QString docx = QFileInfo(DocTemplatePath).path() + QLatin1Char('/') +
                             QFileInfo(DocTemplatePath).completeBaseName() +
                             QStringLiteral(".docx");
        if (QFileInfo::exists(docx)) return docx;
    }
#endif
    return DocTemplatePath;
}

void TFormMain::sbExcelClick() {
    // The rows come without the "Qualifikation" dummy and the protocol stays as it is.
    QString error;
    try {
        ExportSpreadsheet(Office(), OfficeTable(), QString());
    } catch (const EAutomation& e) {
        error = e.Message;
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
    }
    if (!error.isEmpty())
        Dialogs->ShowMessage(error, QStringLiteral("Veltaro"));
    else
        Competition->MarkPublished();
}

void TFormMain::sbWordClick() {
    // The name is the day's, in the event folder: a second document of the day would replace
    // the first.
    const QString name = EventFilePath(QString(), QStringLiteral(".doc"));
    if (name.isEmpty()) return;
    if (const auto* standIn = dynamic_cast<const TStandInServers*>(&Office())) {
        const QString file = standIn->DocumentFile(name);
        if (QFileInfo::exists(file) &&
            !Dialogs->AskYesNo(tr("Die Datei %1 ist schon vorhanden. Ersetzen?")
                                   .arg(QDir::toNativeSeparators(file)),
                               tr("Bestätigen")))
            return;
    }
    // Whatever fails here is not reported in a box: the word processor shows what it made.
    QString error;
    if (ExportDocumentCommand(DocumentInteractive, name, &error)) {
        Competition->MarkPublished();
        const auto* standIn = dynamic_cast<const TStandInServers*>(&Office());
        TellWritten(standIn ? standIn->DocumentFile(name) : name);
    } else {
        TellNotWritten(name, error);
    }
}

bool TFormMain::ExportDocumentCommand(int mode, const QString& name, QString* error) {
    QGuiApplication::setOverrideCursor(Qt::WaitCursor);
    const bool ok = ExportDocument(Office(), mode, name, OfficeTable(), DocumentTemplate(), error);
    QGuiApplication::restoreOverrideCursor();
    return ok;
}

bool TFormMain::SaveSpreadsheet(const QString& name, QString* error) {
    try {
        ExportSpreadsheet(Office(), OfficeTable(), name);
        return true;
    } catch (const EAutomation& e) {
        if (error) *error = e.Message;
    } catch (const std::exception& e) {
        if (error) *error = QString::fromLocal8Bit(e.what());
    }
    return false;
}

bool TFormMain::SaveDocument(const QString& name, QString* error) {
    return ExportDocumentCommand(DocumentSilent, name, error);
}

bool TFormMain::ReadSpreadsheet(const QString& name) {
    TProtocolRows rows;
    QString error;
    try {
        rows = ImportSpreadsheet(Office(), name, Col::Count);
    } catch (const EAutomation& e) {
        error = e.Message;
    } catch (const std::exception& e) {
        error = QString::fromLocal8Bit(e.what());
    }
    if (!error.isEmpty()) {
        // The protocol on screen stays as it was.
        Dialogs->ShowMessage(tr("Protokoll kann nicht gelesen werden: %1\n%2")
                                 .arg(QDir::toNativeSeparators(name), error),
                             QStringLiteral("Veltaro"));
        return false;
    }
    if (!Run->CanLoad() || !MayReplaceProtocol() || !ReadyForLoad()) return false;
    LoadProtocolRows(rows, name);
    return true;
}
