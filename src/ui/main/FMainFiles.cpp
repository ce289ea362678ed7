// Saving, loading and publishing the protocol from the main window.
#include "core/Competition.h"
#include "core/Participants.h"
#include "core/Platform.h"
#include "core/TimeFormat.h"
#include "persist/BracketFile.h"
#include "persist/FileTypes.h"
#include "persist/Journal.h"
#include "persist/ProtocolHtml.h"
#include "persist/ProtocolText.h"
#include "persist/SettingsGlue.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#include "ui/main/ModeBox.h"
#include "ui/main/ProtocolView.h"

#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QDate>
#include <QDir>
#include <QFile>
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

// The finals saved beside a protocol file, into the competition just loaded from it; the
// bracket resumes in its mode. Empty on success, else why nothing of it was taken.
QString TFormMain::ResumeFinals(const TBracketFileData& finals) {
    const QString why = RestoreBracketFile(*Competition, finals);
    if (!why.isEmpty()) return why;
    // The ranking rule the bracket was seeded by stays, or the next load would rank anew.
    Settings.Ranking = finals.Ranking;
    Settings.BracketSize = finals.BracketSize;
    // So is the category column the brackets were built by.
    Settings.KlassCol = Competition->KlassCol();
    if (!Competition->Bracket().IsEmpty() && Competition->Mode() != TCompetition::FinaleKo) {
        TViewHold hold(this);
        if (Competition->SetMode(TCompetition::FinaleKo)) {
            SetVid(TCompetition::FinaleKo);
            ShowMode();
        }
    }
    // Loaded is saved, dummy row or not.
    Competition->SetModified(false);
    UpdateControls();
    return {};
}

void TFormMain::ReadFileTypes() {
    const TFileTypes builtIn;
    FileTypes.spreadsheet = TypeDescription("Excel.Application", builtIn.spreadsheet);
    FileTypes.text = TypeDescription("txtfile", builtIn.text);
    FileTypes.document = TypeDescription("Word.Document", builtIn.document);
    FileTypes.html = TypeDescription("htmlfile", builtIn.html);
}

bool TFormMain::SpreadsheetOffered() const {
    return OfficeServerAvailable(QStringLiteral("Excel.Application"));
}

QStringList TFormMain::OpenFilters() const {
    return OpenDialogFilters;
}
QStringList TFormMain::SaveFilters() const {
    return SaveDialogFilters;
}

QString TFormMain::DefaultExportName() const {
    return QDate::currentDate().toString(QStringLiteral("yyyy-MM-dd")) + '_' +
           TModeBox::ModeName(Competition->Mode());
}

bool TFormMain::ReadProtocolText(const QString& fileName) {
    TProtocolRows rows;
    QString error;
    TProtocolReadReport report;
    // Read the whole file before touching the protocol: a file that cannot be read must not
    // cost the results that are on screen.
    if (!ReadProtocolFile(fileName, &rows, &error, Col::Count, report)) {
        Dialogs->ShowMessage(tr("Protokoll kann nicht gelesen werden: %1\n%2")
                                 .arg(QDir::toNativeSeparators(fileName), error),
                             QStringLiteral("Veltaro"));
        return false;
    }
    if (!Run->CanLoad() || !MayReplaceProtocol() || !ReadyForLoad()) return false;
    LoadProtocolRows(rows, fileName);
    // The protocol stands whatever its companion holds; a broken one costs only itself.
    QString why;
    const QString finalsFile = BracketFileName(fileName);
    if (const auto finals = ReadBracketFile(finalsFile, &why)) why = ResumeFinals(*finals);
    if (!why.isEmpty())
        Dialogs->ShowMessage(tr("Protokoll geladen, K.-o.-Feld nicht übernommen: %1\n%2")
                                 .arg(why, QDir::toNativeSeparators(finalsFile)),
                             QStringLiteral("Veltaro"));
    TellReadReport(fileName, report);
    return true;
}

void TFormMain::TellReadReport(const QString& fileName, const TProtocolReadReport& report) {
    const QString file = QDir::toNativeSeparators(fileName);
    PartlyReadFile.clear();
    if (report.linesDropped > 0) {
        // A save over this file would lose the lines never read: it asks first.
        PartlyReadFile = QFileInfo(fileName).absoluteFilePath();
        Dialogs->ShowMessage(tr("%1 hat mehr als %2 Zeilen: %3 Zeilen wurden nicht gelesen.")
                                 .arg(file)
                                 .arg(ProtocolMaxRows)
                                 .arg(report.linesDropped),
                             QStringLiteral("Veltaro"));
    }
    if (report.fieldsCut > 0)
        Dialogs->ShowMessage(tr("%1: %2 Felder waren länger als %3 Zeichen und wurden "
                                "gekürzt.")
                                 .arg(file)
                                 .arg(report.fieldsCut)
                                 .arg(ProtocolMaxFieldBytes),
                             QStringLiteral("Veltaro"));
    if (report.encoding == TTextEncoding::Utf8Repaired)
        Dialogs->ShowMessage(tr("%1 enthält %2 ungültige UTF-8-Zeichen; sie wurden "
                                "durch „�“ ersetzt.")
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

bool TFormMain::MayReplaceProtocol() {
    const TJournalSnapshot now = JournalSnapshot();
    if (!Competition->Modified() || !JournalHasData(now.Rows)) return true;
    QString question = tr("Ungespeicherte Ergebnisse verwerfen?");
    if (Journal && Journal->IsOpen())
        question += tr("\n\nEine Kopie bleibt im Ordner %1.")
                        .arg(QDir::toNativeSeparators(Journal->Folder()));
    if (!Dialogs->AskYesNo(question, tr("Bestätigen"))) return false;
    if (Journal) KeepInEventFolder(Journal->KeepReplaced(now));
    return true;
}

bool TFormMain::ReadyForLoad() {
    // A started heat keeps its participants; a finished one ends as an abort would, without
    // moving anyone on, so nothing of it (RESET, DIS) reaches the new protocol.
    if (!Run->CanLoad()) return false;
    Run->EndRun();
    return true;
}

void TFormMain::LoadProtocolRows(const TProtocolRows& rows, const QString& fileName) {
    if (!ReadyForLoad()) return;
    {
        TViewHold hold(this); // one redraw for the mode, the rows and the first heat
        ApplyCompetitionSettings();
        // The rows come in as a qualification; the finals are then entered from them exactly
        // as the mode box enters them: a bracket from the loaded ranking, or the reason and
        // the box back on the qualification's mode.
        const int wanted = Vid();
        const int first =
            wanted == TCompetition::FinaleKo ? Competition->QualificationMode() : wanted;
        if (Competition->Mode() != first) Competition->SetMode(first);
        Competition->Load(rows);
        if (wanted != first) EnterMode(wanted);
        ShowMode();
    }
    const QString base = QFileInfo(fileName).completeBaseName();
    Settings.Title = base;
    m_view->SelectRow(1);
    SortGrid1RowSelected();
    LayoutWindow();
    SetCaption(QStringLiteral("TL-Veltaro: ") + base);
    RememberSaved();
    UpdateControls();
    LogEvent(TLogSource::Correction, QStringLiteral("Protokoll geladen"),
             QStringLiteral("%1 (%2 Zeilen)")
                 .arg(QDir::toNativeSeparators(fileName))
                 .arg(Competition->EntryCount()));
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
    // The file's content decides the reader, not the type the dialog happened to show: a
    // workbook is a ZIP package (or, encrypted or from an old spreadsheet program, a compound
    // file, which the workbook reader refuses with its reason); anything else is text.
    QFile probe(name);
    const QByteArray head = probe.open(QIODevice::ReadOnly) ? probe.read(4) : QByteArray();
    probe.close();
    if (head == QByteArrayLiteral("PK\x03\x04") || head == QByteArrayLiteral("\xD0\xCF\x11\xE0"))
        ReadSpreadsheet(name);
    else
        ReadProtocolText(name);
}

THtmlPage TFormMain::HtmlPage() const {
    THtmlPage page{QStringLiteral("TL-Veltaro"),
                   Settings.Title,
                   Competition->Rows(TCompetition::ForHtml),
                   {},
                   Settings.CountZabegov};
    page.colWidths << m_view->ColumnWidths();
    // In the order shown, the dummy left out as the page leaves it out.
    for (int row = 0; row < Competition->EntryCount(); ++row) {
        const int entry = Competition->EntryAt(row);
        if (entry < 0 || Competition->IsDummy(entry)) continue;
        for (int run = 0; run < 6; ++run)
            if (const auto r = Competition->Reaction(entry, run))
                page.reactions << QStringList{Competition->Cell(entry, Col::StNr),
                                              Competition->Cell(entry, Col::Name),
                                              QString::number(run + 1), FormatReaction(*r)};
    }
    return page;
}

void TFormMain::sbSaveClick() {
    const QStringList filters = SaveFilters();
    int index = std::clamp(Settings.FilterInd, 1, int(filters.size()));
    SaveDialogFileName = DefaultExportName();
    // The competition's folder, unless the operator took the protocol elsewhere since.
    QString start = m_savedElsewhere ? LastFolder : ReadyEventFolder();
    if (start.isEmpty()) start = LastFolder;
    const QString chosen = Dialogs->SaveFileName(filters, index, start, SaveDialogFileName);
    if (chosen.isEmpty()) return;
    Settings.FilterInd = index;
    const QString filter = filters.value(index - 1);

    // A name typed without an extension gets the chosen type's, so the file is found again
    // by the open dialog's filter.
    const QString name = WithTypeExtension(chosen, filter);
    if (IsPartlyReadFile(name) &&
        !Dialogs->AskYesNo(tr("%1 wurde nur zum Teil gelesen. Überschreiben? Die nicht gelesenen "
                              "Zeilen gehen dabei verloren.")
                               .arg(QDir::toNativeSeparators(name)),
                           tr("Bestätigen")))
        return;
    SaveDialogFileName = QFileInfo(name).fileName();
    LastFolder = QFileInfo(name).absolutePath();
    m_savedElsewhere = QFileInfo(LastFolder) != QFileInfo(EventFolder());
    QCoreApplication::processEvents();
    QString error;
    const bool html = filter == HtmlFilter(FileTypes);
    bool ok;
    if (html)
        ok = ::WriteProtocolHtml(name, HtmlPage(), &error);
    else if (SpreadsheetOffered() && filter == SpreadsheetFilter(FileTypes))
        ok = SaveSpreadsheet(name, &error);
    else if (filter == DocumentFilter(FileTypes))
        ok = SaveDocument(name, &error);
    else {
        ok = WriteProtocolFile(name, Competition->Rows(TCompetition::ForSave), &error);
        // The bracket and the thousandths go beside the text file once it is written; their
        // failure is said but leaves the save a success.
        const QString finals =
            ok ? KeepBracketBeside(name, *Competition, TCompetition::ForSave) : QString();
        if (!finals.isEmpty())
            Dialogs->ShowMessage(tr("Protokoll gespeichert, K.-o.-Feld aber nicht: %1\n%2")
                                     .arg(QDir::toNativeSeparators(BracketFileName(name)), finals),
                                 QStringLiteral("Veltaro"));
    }
    if (ok) {
        Competition->SetModified(false);
        Competition->MarkPublished(); // undo asks before it changes these places
        RememberSaved();
        ShowModifiedMark();
        TellWritten(name);
        // The first save of a competition with no folder chosen settles it.
        if (Settings.EventFolder.trimmed().isEmpty())
            Settings.EventFolder = QFileInfo(name).absolutePath();
    } else {
        TellNotWritten(name, error);
        // A failed save is said, and the protocol still counts as unsaved. A page says it as
        // the HTML button does: the protocol itself was not what failed to be written.
        Dialogs->ShowMessage(html ? tr("Error write file: ") + name + '\n' + error
                                  : tr("Protokoll wurde nicht gespeichert: %1\n%2")
                                        .arg(QDir::toNativeSeparators(name), error),
                             QStringLiteral("Veltaro"));
    }
}

void TFormMain::sbInetClick(int tag) {
    // Publishing writes the competition as it is shown and changes nothing, not even the
    // changed mark.
    const QString name = EventFilePath(QString(), QStringLiteral(".html"));
    if (name.isEmpty()) return;
    QString error;
    if (!::WriteProtocolHtml(name, HtmlPage(), &error)) {
        TellNotWritten(name, error);
        Dialogs->ShowMessage(tr("Error write file: ") + name + '\n' + error,
                             QStringLiteral("Veltaro"));
    } else {
        TellWritten(name);
        Competition->MarkPublished();
    }
    if (QFileInfo::exists(name)) {
        const QString path = QFileInfo(name).absoluteFilePath();
        if (tag == 0)
            Dialogs->ShellOpen(path);
        else
            Dialogs->ShellPrint(path);
    }
}
