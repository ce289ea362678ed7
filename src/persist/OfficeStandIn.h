#pragma once
// Our own automation servers for machines without an office suite's: "Excel.Application"
// keeps a workbook and writes and reads .xlsx files, "Word.Basic" keeps a document and writes
// .docx files. They accept the calls the office exports make (persist/OfficeExport.h), with
// the results those rely on, so the same commands work on Linux.
#include "persist/Automation.h"

#include <functional>
#include <memory>
#include <QString>

class TStandInTempFiles;

struct TStandInHost {
    // Shows a written file with the desktop's program for its type: a workbook the operator
    // is to continue in, a document left open.
    std::function<void(const QString& file)> OpenDocument;
    // Where a name without a folder is saved; empty: the user's documents folder.
    QString DocumentsFolder;
    // Where a workbook that is shown before it was saved is written; empty: the system's
    // temporary folder.
    QString TempFolder;
    // The files written there, removed when the last servers or object holding the list goes
    // (the program's end): the desktop's program reads them meanwhile, and the folder does not
    // gain one for every Ctrl+E. Made by the servers.
    std::shared_ptr<TStandInTempFiles> TempFiles;
};

class TStandInServers : public TAutoServers {
public:
    explicit TStandInServers(TStandInHost host = {});
    bool Available(const QString& progId) const override;
    TAutoPtr Create(const QString& progId) override;
    TStandInHost& Host() { return m_host; }
    // The file the document server's FileSaveAs(name) writes.
    QString DocumentFile(const QString& name) const;

private:
    TStandInHost m_host;
};

// The extensions the stand-ins write: their files are .xlsx and .docx whatever they are asked
// for, so a name's extension always tells what the file holds.
inline QString StandInSpreadsheetExtension() {
    return QStringLiteral("xlsx");
}
inline QString StandInDocumentExtension() {
    return QStringLiteral("docx");
}
// The file a save under name writes: a name without a folder goes to folder; the old format's
// extension (".xls", ".doc") becomes the new one's, any other gets it appended.
QString StandInFileName(const QString& name, const QString& folder, const QString& extension);
