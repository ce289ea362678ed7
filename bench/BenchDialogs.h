#pragma once
// The operator the window benchmarks need: Yes to every question, the one file name they were
// given in either file dialog, every modal dialog laid out and painted once and confirmed, and
// messages printed, so that a refusal shows beside the figures.
#include "ui/Dialogs.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDialog>

class TBenchDialogs : public TDialogs {
public:
    QString name;
    bool AskYesNo(const QString&, const QString&) override { return true; }
    void ShowMessage(const QString& text, const QString&) override {
        std::printf("message: %s\n", qPrintable(text));
    }
    QString OpenFileName(const QStringList&, int&, const QString&) override { return name; }
    QString SaveFileName(const QStringList&, int&, const QString&, const QString&) override {
        return name;
    }
    int RunModal(QDialog& dialog) override {
        dialog.show();
        QCoreApplication::processEvents();
        dialog.hide();
        return QDialog::Accepted;
    }
    void ShellOpen(const QString&) override {}
    void ShellPrint(const QString&) override {}
};
