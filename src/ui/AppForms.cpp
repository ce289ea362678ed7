#include "ui/AppForms.h"

#include "ui/audience/FMonitor2.h"
#include "ui/Dialogs.h"
#include "ui/help/FInfo.h"
#include "ui/main/FMain.h"
#include "ui/settings/Cfg.h"

#include <exception>
#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

TAppForms::TAppForms(TAppParts& parts, TDialogs* dialogs) {
    FormMain = std::make_unique<TFormMain>(parts, dialogs);
    Created << FormMain->objectName();
    CfgDialog = new TCfgDialog(FormMain.get(), *parts.Port, FormMain->PortMask);
    FormMain->CfgDialog = CfgDialog;
    CfgDialog->SetFolderChooser([dialogs](const QString& start) {
        return dialogs ? dialogs->ChooseFolder(start) : QString();
    });
    Created << CfgDialog->objectName();
    FormMain->CreateInfoBox();
    Created << FormMain->FormInfo->objectName();
    FormMonitor2 = FormMain->CreateMonitor();
    Created << FormMonitor2->objectName();
}

TAppForms::~TAppForms() {
    FormMonitor2.reset();
    FormMain.reset();
}

void TAppForms::StartTvMode() {
    try {
        // The audience window goes in front of a main window that is already there.
        if (FormMain->Settings.MonitorOn) FormMain->show();
        FormMain->StartTvMode();
    } catch (const std::exception&) {
        FormMain->Settings.MonitorOn = false;
    }
}

namespace {
int g_language = 0;
} // namespace

int ProgramLanguage() {
    return g_language;
}

bool InstallProgramTranslation(int lang) {
    // Like Qt's own catalogue, one for the program's whole life, replaced by a later call.
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    g_language = 0;
    if (lang != 1) return lang == 0; // the sources' own German; garbage reads as German too
    auto* next = new QTranslator(QCoreApplication::instance());
    if (!next->load(QStringLiteral(":/i18n/veltaro_en.qm"))) {
        delete next;
        return false;
    }
    installed = next;
    QCoreApplication::installTranslator(installed);
    g_language = 1;
    return true;
}

bool InstallQtTranslation(const QLocale& locale) {
    // One translator for the program's whole life: a later call replaces it, and a locale Qt
    // has no translation for leaves Qt's own English.
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    auto* next = new QTranslator(QCoreApplication::instance());
    if (!next->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                    QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete next;
        return false;
    }
    installed = next;
    QCoreApplication::installTranslator(installed);
    return true;
}
