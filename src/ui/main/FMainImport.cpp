// "Startliste importieren": a registration export read, its columns mapped by the operator,
// then loaded as a protocol file is loaded. The mapping is remembered in the settings store
// per set of titles ("Startlisten/<key of the titles>"), so next year's export of the same
// registration system needs no choice.
#include "persist/FileTypes.h"
#include "persist/StartListImport.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#include "ui/main/ImportDialog.h"

#include <QCoreApplication>
#include <QDir>
#include <QFileInfo>
#include <QSettings>

namespace {
QString MappingSetting(const QStringList& titles) {
    return QStringLiteral("Startlisten/") + MappingKey(titles);
}
} // namespace

void TFormMain::mImportClick() {
    if (!Run->CanLoad()) return;
    QStringList filters{tr("Startliste (*.csv *.txt *.tsv *.xlsx)"), AllFilesFilter()};
    int index = 1;
    const QString name = Dialogs->OpenFileName(filters, index, LastFolder);
    if (name.isEmpty()) return;
    LastFolder = QFileInfo(name).absolutePath();
    QCoreApplication::processEvents(); // the dialog disappears before the reading starts
    const QString file = QDir::toNativeSeparators(name);
    TImportTable table;
    QString error;
    if (!ReadImportFile(name, &table, &error)) {
        Dialogs->ShowMessage(tr("Startliste kann nicht gelesen werden: %1\n%2").arg(file, error),
                             QStringLiteral("Veltaro"));
        return;
    }
    const QStringList& titles = table.rows[0];
    TImportMapping mapping;
    if (Store)
        mapping = MappingFromText(Store->value(MappingSetting(titles)).toString(), table.columns);
    if (mapping.isEmpty()) mapping = ProposeMapping(titles);
    TImportDialog dialog(table, mapping, this);
    if (Dialogs->RunModal(dialog) != QDialog::Accepted) return;
    mapping = dialog.Mapping();
    TStartList list;
    if (!BuildStartList(table, mapping, &list, &error)) {
        Dialogs->ShowMessage(tr("Startliste nicht übernommen: %1\n%2").arg(file, error),
                             QStringLiteral("Veltaro"));
        return;
    }
    if (Store) Store->setValue(MappingSetting(titles), MappingToText(mapping));
    // A run may have started while the operator chose.
    if (!Run->CanLoad() || !MayReplaceProtocol() || !ReadyForLoad()) return;
    PartlyReadFile.clear(); // what a save over the export would lose is not ours to guard
    LoadProtocolRows(list.rows, name);
    const QString report = StartListReport(list);
    if (!report.isEmpty())
        Dialogs->ShowMessage(
            tr("Startliste importiert: %1 Teilnehmer.\n%2").arg(list.rows.size() - 1).arg(report),
            QStringLiteral("Veltaro"));
}
