// The competition's own folder: where saves and exports go unless the operator says otherwise,
// the confirmation of every write on the status line, the mark of unsaved results in the
// caption, and the official lists written as PDF.
#include "core/EventFiles.h"
#include "persist/Journal.h"
#include "persist/ProtocolText.h"
#include "persist/ResultList.h"
#include "ui/Dialogs.h"
#include "ui/ListPdf.h"
#include "ui/main/FMain.h"
#include "ui/main/ModeBox.h"

#include <QFile>

#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {
QString DocumentsFolder() {
    // Test runs write their competitions into the test area, never into someone's documents.
    if (QStandardPaths::isTestModeEnabled())
        return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) +
               QStringLiteral("/Documents");
    const QString docs = QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation);
    return docs.isEmpty() ? QDir::homePath() : docs;
}

// Why nothing can be written into folder (made when missing); empty when it can.
QString FolderProblem(const QString& folder) {
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return QCoreApplication::translate("TFormMain", "%1 ist eine Datei, kein Ordner.")
            .arg(QDir::toNativeSeparators(folder));
    if (!QDir().mkpath(folder))
        return QCoreApplication::translate("TFormMain", "Der Ordner %1 kann nicht angelegt werden.")
            .arg(QDir::toNativeSeparators(folder));
    // The folder's permission bits do not tell everything (a read-only medium, an ACL):
    // writing is the one true test.
    QTemporaryFile probe(folder + QStringLiteral("/.veltaro-XXXXXX"));
    if (!probe.open())
        return QCoreApplication::translate("TFormMain",
                                           "In den Ordner %1 kann nicht geschrieben werden: %2")
            .arg(QDir::toNativeSeparators(folder), probe.errorString());
    return {};
}
} // namespace

QString TFormMain::EventFolder() const {
    if (!Settings.EventFolder.trimmed().isEmpty()) return Settings.EventFolder;
    return DocumentsFolder() + QLatin1Char('/') +
           DefaultEventFolderName(QDate::currentDate(), Settings.Title);
}

QString TFormMain::ReadyEventFolder() {
    for (;;) {
        const QString folder = EventFolder();
        const QString why = FolderProblem(folder);
        if (why.isEmpty()) return folder;
        // Nothing is lost by asking: the protocol stays in memory and in the journal.
        if (!Dialogs->AskYesNo(why + tr("\n\nEinen anderen Wettkampfordner wählen?"),
                               tr("Wettkampfordner")))
            return {};
        const QString chosen = Dialogs->ChooseFolder(QFileInfo(folder).absolutePath());
        if (chosen.isEmpty()) return {};
        Settings.EventFolder = chosen;
    }
}

QString TFormMain::EventFilePath(const QString& kind, const QString& extension) {
    const QString folder = ReadyEventFolder();
    if (folder.isEmpty()) return {};
    QString base = DefaultExportName();
    if (!kind.isEmpty()) base += QLatin1Char('_') + kind;
    return folder + QLatin1Char('/') + SafeFileName(base) + extension;
}

void TFormMain::TellWritten(const QString& file) {
    const QFileInfo info(file);
    m_status->ShowWritten(tr("Gespeichert: ") + QDir::toNativeSeparators(info.absoluteFilePath()),
                          info.absolutePath(), false);
}

void TFormMain::TellNotWritten(const QString& file, const QString& why) {
    m_status->ShowWritten(
        tr("Nicht gespeichert: %1 – %2").arg(QDir::toNativeSeparators(file), why.simplified()),
        QString(), true);
}

void TFormMain::ShowModifiedMark() {
    const bool unsaved = Competition->Modified();
    if (isWindowModified() != unsaved) setWindowModified(unsaved);
}

void TFormMain::SetCaption(const QString& title) {
    setWindowTitle(title + QStringLiteral("[*]"));
    ShowModifiedMark();
}

void TFormMain::RememberSaved() {
    m_savedRows = Competition->Rows(TCompetition::ForExitCopy);
}

QString TFormMain::QuitQuestion() const {
    QString text = tr("Beenden?");
    if (IsRunning()) text += tr("\n\nEin Lauf wird gerade gemessen.");
    if (Competition->Modified()) {
        const int n = UnsavedResults(m_savedRows, Competition->Rows(TCompetition::ForExitCopy));
        text += n == 1  ? tr("\n\n1 Ergebnis ist nicht gespeichert.")
                : n > 1 ? tr("\n\n%1 Ergebnisse sind nicht gespeichert.").arg(n)
                        : tr("\n\nDas Protokoll hat ungespeicherte Änderungen.");
    }
    return text;
}

void TFormMain::WriteStampedExitCopy() {
    const TProtocolRows rows = Competition->Rows(TCompetition::ForExitCopy);
    // A session that recorded nothing leaves nothing in the competition's folder.
    if (!JournalHasData(rows)) return;
    const QString folder = EventFolder();
    if (!FolderProblem(folder).isEmpty()) return; // the program is going: no questions now
    const QString name = folder + QLatin1Char('/') +
                         StampedExitCopyName(QDateTime::currentDateTime(), Settings.Title);
    if (WriteProtocolFile(name, rows, nullptr)) ExitCopyStamped = name;
}

void TFormMain::WriteList(TListKind kind) {
    const bool results = kind == TListKind::Results;
    const QString file = EventFilePath(results                    ? QStringLiteral("Ergebnisliste")
                                       : kind == TListKind::Heats ? QStringLiteral("Laufliste")
                                                                  : QStringLiteral("Startliste"),
                                       QStringLiteral(".pdf"));
    if (file.isEmpty()) return;
    const TProtocolRows rows = Competition->Rows(TCompetition::ForHtml);
    TListDocument doc;
    doc.kind = kind;
    doc.eventName = Settings.EventName;
    doc.title = Settings.Title;
    doc.place = Settings.EventPlace;
    doc.round = TModeBox::ModeName(Competition->Mode());
    doc.date = QDate::currentDate();
    doc.stand = QDateTime::currentDateTime();
    doc.columnTitles = rows.value(0);
    doc.runCount = Settings.CountZabegov;
    doc.sections = kind == TListKind::Heats ? HeatListSections(*Competition)
                                            : ListSections(rows, Competition->KlassCol() - 1,
                                                           Settings.CountZabegov, kind);
    QString error;
    if (!WriteListPdf(doc, file, &error)) {
        TellNotWritten(file, error);
        Dialogs->ShowMessage(
            tr("%1 wurde nicht geschrieben:\n%2").arg(QDir::toNativeSeparators(file), error),
            QStringLiteral("Veltaro"));
        return;
    }
    TellWritten(file);
    if (results) Competition->MarkPublished();
    Dialogs->ShellOpen(file);
}

void TFormMain::KeepInEventFolder(const QString& file) {
    // The journal's own copy stays where it is; this one is found with the competition.
    if (file.isEmpty()) return;
    const QString folder = EventFolder();
    if (!FolderProblem(folder).isEmpty()) return;
    const QString copy = folder + QLatin1Char('/') + QFileInfo(file).fileName();
    if (QFile::copy(file, copy)) TellWritten(copy);
}
