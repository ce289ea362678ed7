#include "TestSupport.h"

#include <QDialog>

bool TScriptedDialogs::AskYesNo(const QString& text, const QString& caption) {
    asked << text;
    askedCaptions << caption;
    return answers.isEmpty() ? false : answers.takeFirst();
}

void TScriptedDialogs::ShowMessage(const QString& text, const QString&) {
    messages << text;
}

QString TScriptedDialogs::OpenFileName(const QStringList&, int& filterIndex,
                                       const QString& folder) {
    openFolders << folder;
    if (chosenFilter > 0) filterIndex = chosenFilter;
    return openNames.isEmpty() ? QString() : openNames.takeFirst();
}

QString TScriptedDialogs::SaveFileName(const QStringList&, int& filterIndex, const QString& folder,
                                       const QString& proposedName) {
    saveFolders << folder;
    proposedNames << proposedName;
    if (chosenFilter > 0) filterIndex = chosenFilter;
    return saveNames.isEmpty() ? QString() : saveNames.takeFirst();
}

int TScriptedDialogs::RunModal(QDialog& dialog) {
    // Shown for real (so it prepares itself as it would for the operator), answered, hidden.
    ++modalRuns;
    dialog.show();
    const int result = onModal ? onModal(dialog) : int(QDialog::Rejected);
    dialog.hide();
    return result;
}

bool TScriptedDialogs::ChooseColor(TColor& colour) {
    colourPresets << colour;
    if (colourAnswers.isEmpty()) return false;
    colour = colourAnswers.takeFirst();
    return true;
}

#include "persist/SettingsGlue.h"
#include "ui/Cfg.h"

#include <QComboBox>
#include <QStandardPaths>
#include <QTest>

TProtocolRows ParticipantRows(int n, const QList<int>& startNumbers) {
    TProtocolRows rows;
    rows.push_back(
        {"St.Nr.", "Name, Vorname", "Ort", "Klasse", "Datum", "", "", "", "", "", "", "", "", ""});
    for (int i = 0; i < n; ++i) {
        QStringList r(14);
        r[0] = QString::number(startNumbers.value(i, i + 1));
        r[1] = QStringLiteral("Name%1").arg(i + 1);
        r[2] = QStringLiteral("Ort%1").arg(i + 1);
        r[3] = i % 2 ? QStringLiteral("B") : QStringLiteral("A");
        rows.push_back(r);
    }
    return rows;
}

TWindowFixture::TWindowFixture(bool show) {
    QStandardPaths::setTestModeEnabled(true);
    clock.now = 5000000;
    SetTickSource(TManualClock::Source(clock));
    Open(show);
}

void TWindowFixture::Restart(bool show) {
    w.reset();
    parts.reset();
    Open(show);
}

void TWindowFixture::Open(bool show) {
    parts = std::make_unique<TAppParts>(
        std::make_unique<QSettings>(SettingsFile(), QSettings::IniFormat));
    w = std::make_unique<TFormMain>(*parts, &dialogs);
    // The program's other forms, made after the main window as the entry point makes them.
    new TCfgDialog(w.get());
    w->CreateInfoBox();
    if (show) {
        w->show();
        w->activateWindow();
        if (!QTest::qWaitForWindowActive(w.get())) qWarning("window did not become active");
    }
}

TWindowFixture::~TWindowFixture() {
    w.reset();
    parts.reset();
    SetTickSource({});
}

void TWindowFixture::Load(int vid, const TProtocolRows& rows) {
    w->SetVid(vid);
    w->LoadProtocolRows(rows, dir.filePath(QStringLiteral("Wettkampf.txt")));
}

void TWindowFixture::Key(int key, Qt::KeyboardModifiers mods) {
    QTest::keyClick(w.get(), Qt::Key(key), mods);
}

#include "input/ComDeviceSim.h"
#include "input/Comms.h"

#include <QDeadlineTimer>
#include <QTimer>

std::shared_ptr<TSimComLines> OpenSimulatedPort(TFormMain& w) {
    auto lines = std::make_shared<TSimComLines>();
    w.ComPort->setDeviceFactory(SimulatedDeviceFactory(lines));
    w.ComPort->setPort(1);
    w.ComPort->Open();
    return lines;
}
