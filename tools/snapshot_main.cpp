// Renders the main window offscreen in named states and writes one PNG per state.
//   snapshot <out-dir> [state ...]   states: ready running finished qualifikation seconds
//                                    tv tv-seconds tv-onetower (the audience window, 1920 x 1080)
#include "core/TickCount.h"
#include "input/PortNames.h"
#include "OffscreenScreens.h"
#include "persist/SettingsGlue.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "widgets/BitBtnWithColor.h"

#include <cstdio>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

namespace {
TProtocolRows SampleRows() {
    TProtocolRows rows;
    rows.push_back(
        {"St.Nr.", "Name, Vorname", "Ort", "Klasse", "Datum", "", "", "", "", "", "", "", "", ""});
    const char* people[][4] = {{"12", "Meier, Anna", "Bern", "A"},
                               {"7", "Schulz, Jonas", "Graz", "A"},
                               {"21", "Petrova, Olga", "Brno", "B"},
                               {"3", "Keller, Lea", "Chur", "B"},
                               {"15", "Novak, Tomas", "Linz", "A"}};
    for (auto& p : people) {
        QStringList r(14);
        for (int c = 0; c < 4; ++c)
            r[c] = QString::fromUtf8(p[c]);
        r[4] = QStringLiteral("06.12.2026");
        rows.push_back(r);
    }
    return rows;
}

bool Save(QWidget& w, const QString& dir, const QString& state) {
    QCoreApplication::processEvents();
    const QString file = dir + '/' + state + ".png";
    const bool ok = w.grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}
} // namespace

int main(int argc, char** argv) {
    // The operator's screen and a full-HD TV beside it.
    QTemporaryDir screensDir;
    if (!UseOffscreenScreens({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)},
                             screensDir.filePath("screens.json")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    QTemporaryDir settingsDir;
    QString settingsFile;
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    QStringList states;
    for (int i = 2; i < argc; ++i)
        states << QString::fromLocal8Bit(argv[i]);
    if (states.isEmpty())
        states = {"ready", "running", "finished", "seconds", "tv", "tv-seconds", "tv-onetower"};

    // The pictures need no port, and probing the machine's (a console on /dev/ttyS0, an
    // adapter another program holds) would only disturb them.
    SetPortDeviceMap([](int) { return QString(); });
    TManualClock clock;
    clock.now = 1000000;
    SetTickSource(TManualClock::Source(clock));
    bool ok = true;
    for (const QString& state : states) {
        settingsFile = settingsDir.filePath(state + ".conf"); // each state starts from defaults
        TAppParts parts(std::make_unique<QSettings>(settingsFile, QSettings::IniFormat));
        TFormMain w(parts, nullptr);
        w.SetVid(state == "qualifikation" ? 0 : state == "tv-onetower" ? 1 : 2);
        if (state == "seconds" || state == "tv-seconds") w.SetTimeFormat(0);
        w.LoadProtocolRows(SampleRows(), QStringLiteral("Stadtmeisterschaft"));
        w.show();
        const bool tv = state.startsWith("tv");
        TFormMonitor2 monitor(&w);
        w.FormMonitor2 = &monitor;
        w.Settings.Monitor = 1;
        if (tv) {
            // Both tracks running, track 2 a little behind, as the audience sees a race.
            w.IssueCommand(w.mStart);
            clock.advance(7125);
            w.ShowTime(1, 7125);
            clock.advance(76331);
            w.ShowTime(0, 83456);
            w.Clock->stop();
            w.sbMon2->setChecked(true);
            w.sbMon2Click();
            ok = Save(monitor, out, state) && ok;
        } else if (state == "running" || state == "seconds") {
            w.IssueCommand(w.mStart);
            clock.advance(83456);
            w.ClockTimer();
        } else if (state == "finished") {
            w.IssueCommand(w.mStart);
            clock.advance(9873);
            w.IssueCommand(w.mStop2);
            clock.advance(2468);
            w.IssueCommand(w.mSTOP1);
        }
        if (!tv) ok = Save(w, out, state) && ok;
        if (w.IsRunning()) w.IssueCommand(w.Abruch1);
        w.SortGrid1->setModified(false);
    }
    return ok ? 0 : 1;
}
