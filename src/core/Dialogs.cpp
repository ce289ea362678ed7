#include "core/Dialogs.h"

#include <QApplication>
#include <QDesktopServices>
#include <QFileDialog>
#include <QMessageBox>
#include <QUrl>

namespace {
class TSystemDialogs : public TDialogs {
public:
    bool AskYesNo(const QString& text, const QString& caption) override {
        return QMessageBox::question(QApplication::activeWindow(), caption, text,
                                     QMessageBox::Yes | QMessageBox::No) == QMessageBox::Yes;
    }
    void ShowMessage(const QString& text, const QString& caption) override {
        QMessageBox::information(QApplication::activeWindow(), caption, text);
    }
    QString OpenFileName(const QStringList& filters, int& filterIndex,
                         const QString& folder) override {
        QString selected = filters.value(filterIndex - 1);
        const QString name = QFileDialog::getOpenFileName(
            QApplication::activeWindow(), QString(), folder, filters.join(";;"), &selected);
        if (!name.isEmpty() && filters.indexOf(selected) >= 0)
            filterIndex = int(filters.indexOf(selected)) + 1;
        return name;
    }
    QString SaveFileName(const QStringList& filters, int& filterIndex, const QString& folder,
                         const QString& proposedName) override {
        QString selected = filters.value(filterIndex - 1);
        const QString start = folder.isEmpty() ? proposedName : folder + "/" + proposedName;
        const QString name = QFileDialog::getSaveFileName(
            QApplication::activeWindow(), QString(), start, filters.join(";;"), &selected);
        if (!name.isEmpty() && filters.indexOf(selected) >= 0)
            filterIndex = int(filters.indexOf(selected)) + 1;
        return name;
    }
    void ShellOpen(const QString& fileOrUrl) override {
        const QUrl url = fileOrUrl.contains("://") ? QUrl(fileOrUrl)
                                                   : QUrl::fromLocalFile(fileOrUrl);
        QDesktopServices::openUrl(url);
    }
    void ShellPrint(const QString& file) override;
};

void TSystemDialogs::ShellPrint(const QString& file) {
    // Replaced by the print path of the HTML export once it exists.
    ShellOpen(file);
}
} // namespace

TDialogs* SystemDialogs() {
    static TSystemDialogs dialogs;
    return &dialogs;
}
