#include "app/SelfTest.h"

#include "input/PortNames.h"
#include "ui/AppForms.h"
#include "ui/help/Help.h"
#include "ui/main/FMain.h"
#include "ui/main/Sounds.h"
#include "ui/Pictures.h"

#include <cstdio>
#include <QCoreApplication>
#include <QDir>
#include <QSettings>
#include <QStringList>

int RunSelfTest() {
    // Every port number leads nowhere, so not even the probe of the port list opens a device.
    SetPortDeviceMap([](int) { return QString(); });
    TAppParts parts(nullptr); // no store: the defaults (no port), nothing written at the end
    QStringList missing;
    {
        TAppForms forms(parts, nullptr);
        TFormMain& form = *forms.FormMain;
        form.show();
        QCoreApplication::processEvents();
        if (!form.Help->Exists())
            missing << QStringLiteral("the manual (%1)").arg(form.Help->HelpFile());
        for (TCue cue : {CueStart, CueStop})
            if (form.Sounds->File(cue).isEmpty())
                missing << QStringLiteral("%1 in %2")
                               .arg(CueFileName(cue), CueFolders().join(QStringLiteral(", ")));
        if (!HasPicture(QStringLiteral("veltaro"))) missing << QStringLiteral("the pictures");
        form.close();
    }
    for (const QString& m : missing)
        std::fprintf(stderr, "self-test: missing %s\n", qPrintable(QDir::toNativeSeparators(m)));
    if (missing.isEmpty()) std::printf("self-test: ok\n");
    return missing.isEmpty() ? 0 : 1;
}
