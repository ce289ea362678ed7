#include "ui/Dialogs.h"

#include "persist/FileTypes.h"
#include "widgets/QtColors.h"

#include <QApplication>
#include <QColorDialog>
#include <QCoreApplication>
#include <QDesktopServices>
#include <QDialog>
#include <QFile>
#include <QFileDialog>
#include <QMessageBox>
#include <QPrintDialog>
#include <QPrinter>
#include <QPushButton>
#include <QTextDocument>
#include <QUrl>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

namespace {
class TSystemDialogs : public TDialogs {
public:
    bool AskYesNo(const QString& text, const QString& caption) override {
        return QMessageBox::question(QApplication::activeWindow(), caption, text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    int AskSaveBeforeQuit(const QString& text, const QString& caption) override {
        QMessageBox box(QMessageBox::Question, caption, text, QMessageBox::NoButton,
                        QApplication::activeWindow());
        QPushButton* save = box.addButton(QCoreApplication::translate("Dialogs", "Speichern"),
                                          QMessageBox::AcceptRole);
        // Yes and No as before: their keys and Enter still leave, Escape still stays.
        QAbstractButton* quit = box.addButton(QMessageBox::Yes);
        quit->setText(QCoreApplication::translate("Dialogs", "Beenden ohne Speichern"));
        QAbstractButton* cancel = box.addButton(QMessageBox::No);
        cancel->setText(QCoreApplication::translate("Dialogs", "Abbrechen"));
        box.setDefaultButton(qobject_cast<QPushButton*>(quit));
        box.setEscapeButton(cancel);
        box.exec();
        if (box.clickedButton() == save) return 0;
        return box.clickedButton() == quit ? 1 : 2;
    }
    QString ChooseFolder(const QString& start) override {
        return QFileDialog::getExistingDirectory(
            QApplication::activeWindow(), QCoreApplication::translate("Dialogs", "Wettkampfordner"),
            start);
    }
    void ShowMessage(const QString& text, const QString& caption) override {
        QMessageBox::information(QApplication::activeWindow(), caption, text);
    }
    QString OpenFileName(const QStringList& filters, int& filterIndex,
                         const QString& folder) override {
        QString selected = filters.value(filterIndex - 1);
        const QString name = QFileDialog::getOpenFileName(QApplication::activeWindow(), QString(),
                                                          folder, filters.join(";;"), &selected);
        if (!name.isEmpty() && filters.indexOf(selected) >= 0)
            filterIndex = int(filters.indexOf(selected)) + 1;
        return name;
    }
    QString SaveFileName(const QStringList& filters, int& filterIndex, const QString& folder,
                         const QString& proposedName) override {
        QFileDialog dialog(QApplication::activeWindow(), QString(), folder, filters.join(";;"));
        dialog.setAcceptMode(QFileDialog::AcceptSave);
        dialog.setFileMode(QFileDialog::AnyFile);
        const QString selected = filters.value(filterIndex - 1);
        dialog.selectNameFilter(selected);
        // The dialog itself adds the type's extension, so its overwrite question asks about
        // the file that will really be written.
        dialog.setDefaultSuffix(FilterExtension(selected));
        QObject::connect(
            &dialog, &QFileDialog::filterSelected, &dialog,
            [&dialog](const QString& f) { dialog.setDefaultSuffix(FilterExtension(f)); });
        dialog.selectFile(proposedName);
        if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
        const int chosen = int(filters.indexOf(dialog.selectedNameFilter()));
        if (chosen >= 0) filterIndex = chosen + 1;
        return dialog.selectedFiles().constFirst();
    }
    bool ChooseColor(TColor& colour) override {
        const QColor chosen =
            QColorDialog::getColor(ToQColor(colour), QApplication::activeWindow());
        if (!chosen.isValid()) return false;
        colour = FromQColor(chosen);
        return true;
    }
    void ShellOpen(const QString& fileOrUrl) override {
        const QUrl url =
            fileOrUrl.contains("://") ? QUrl(fileOrUrl) : QUrl::fromLocalFile(fileOrUrl);
        QDesktopServices::openUrl(url);
    }
    void ShellPrint(const QString& file) override;
};

void TSystemDialogs::ShellPrint(const QString& file) {
#ifdef Q_OS_WIN
    // The program associated with HTML pages prints them, as the operator's browser would.
    ShellExecuteW(nullptr, L"print", reinterpret_cast<const wchar_t*>(file.utf16()), nullptr,
                  nullptr, SW_RESTORE);
#else
    // Elsewhere there is no print verb: the page is laid out by Qt and printed after the
    // operator has chosen a printer.
    QFile page(file);
    if (!page.open(QIODevice::ReadOnly)) return;
    QTextDocument doc;
    doc.setHtml(QString::fromUtf8(page.readAll()));
    QPrinter printer;
    QPrintDialog dialog(&printer, QApplication::activeWindow());
    if (dialog.exec() == QDialog::Accepted) doc.print(&printer);
#endif
}
} // namespace

int TDialogs::RunModal(QDialog& dialog) {
    return dialog.exec();
}

TDialogs* SystemDialogs() {
    static TSystemDialogs dialogs;
    return &dialogs;
}
