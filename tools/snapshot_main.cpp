// Renders the windows offscreen in named states and writes one PNG per state.
//   snapshot <out-dir> [state ...]
// States: ready running finished seconds qualifikation single-ready single-running
//         single-finished calendar info help settings import, and tv tv-seconds tv-onetower
//         tv-plain (names off) tv-winner tv-dis (the audience window, 1920 x 1080), bracket,
//         tv-bracket and tv-heat (the finals of 16 half run, in their window and on the audience's
//         screen, the bracket between heats, a heat running). All of them when none is named.
// The date panel shows a fixed moment in the German locale, so pictures compare across runs.
// Run with QT_SCALE_FACTOR=2 for the pictures at 200 %, with SNAPSHOT_LANG=en for the English
// texts.
#include "core/RunController.h"
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "input/Comms.h"
#include "input/PortNames.h"
#include "OffscreenScreens.h"
#include "persist/SettingsGlue.h"
#include "ui/AppForms.h"
#include "ui/audience/FMonitor2.h"
#include "ui/Dialogs.h"
#include "ui/finals/FBracket.h"
#include "ui/help/FInfo.h"
#include "ui/help/Help.h"
#include "ui/help/HelpWindow.h"
#include "ui/main/FMain.h"
#include "ui/main/WindowLayout.h"
#include "ui/settings/Cfg.h"
#include "widgets/BitBtnWithColor.h"
#include "widgets/SortGrid.h"

#include <cstdio>
#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMouseEvent>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>

namespace {
template <typename T> T* Child(QObject& window, const char* name) {
    return window.findChild<T*>(QString::fromLatin1(name));
}

void Issue(QObject& window, const char* action) {
    if (auto* a = Child<QAction>(window, action); a && a->isEnabled()) a->trigger();
}

TProtocolRows SampleRows() {
    TProtocolRows rows;
    rows.push_back(
        {"St.Nr.", "Name, Vorname", "Ort", "Klasse", "Datum", "", "", "", "", "", "", "", "", ""});
    // "Datum" holds what the organiser typed; here the year of birth, as start lists have it.
    const char* people[][5] = {{"12", "Meier, Anna", "Bern", "A", "2008"},
                               {"7", "Schulz, Jonas", "Graz", "A", "2007"},
                               {"21", "Petrova, Olga", "Brno", "B", "2010"},
                               {"3", "Keller, Lea", "Chur", "B", "2011"},
                               {"15", "Novak, Tomas", "Linz", "A", "2008"}};
    for (auto& p : people) {
        QStringList r(14);
        for (int c = 0; c < 5; ++c)
            r[c] = QString::fromUtf8(p[c]);
        rows.push_back(r);
    }
    return rows;
}

// A qualification of 18 climbers with two runs each, for the finals of 16.
TProtocolRows QualificationRows(bool byClass = false) {
    TProtocolRows rows;
    rows.push_back(
        {"St.Nr.", "Name, Vorname", "Ort", "Klasse", "Datum", "", "", "", "", "", "", "", "", ""});
    const char* people[] = {"Meier, Anna",   "Schulz, Jonas",  "Petrova, Olga", "Keller, Lea",
                            "Novak, Tomas",  "Weiß, Jürgen",   "Rossi, Giulia", "Berg, Nils",
                            "Kovač, Ivana",  "Huber, Max",     "Lang, Sophie",  "Dvořák, Jan",
                            "Fischer, Paul", "Moreau, Claire", "Wagner, Lukas", "Ivanova, Mila",
                            "Sommer, Tim",   "Brandt, Eva"};
    int i = 0;
    for (const char* name : people) {
        QStringList r(14);
        r[0] = QString::number(++i);
        r[1] = QString::fromUtf8(name);
        r[2] = QStringLiteral("Bern");
        r[3] = !byClass ? QStringLiteral("A")
               : i % 3  ? QStringLiteral("Herren")
                        : QStringLiteral("Damen");
        r[5] = FormatTime(6900 + 53 * i + (i * 37) % 90, 1);
        r[6] = FormatTime(7010 + 47 * i + (i * 53) % 80, 1);
        rows.push_back(r);
    }
    return rows;
}

// Runs heats with the window's commands: track 1 or 2 a little faster by turns.
void RunHeats(TFormMain& w, TManualClock& clock, int count) {
    for (int i = 0; i < count; ++i) {
        Issue(w, "mStart");
        clock.advance(5800 + 97 * i);
        Issue(w, i % 3 == 1 ? "mStop2" : "mSTOP1");
        clock.advance(180 + 41 * i);
        Issue(w, i % 3 == 1 ? "mSTOP1" : "mStop2");
        Issue(w, "mReset");
    }
}

// Shows the program's own dialogs long enough to take their picture.
class TPictureDialogs : public TDialogs {
public:
    QString dir;
    QString modalState = QStringLiteral("settings"); // the picture of the dialog shown next
    QString openName;                                // what the open dialog gives
    bool ok = true;
    bool AskYesNo(const QString&, const QString&) override { return false; }
    void ShowMessage(const QString&, const QString&) override {}
    QString OpenFileName(const QStringList&, int&, const QString&) override { return openName; }
    QString SaveFileName(const QStringList&, int&, const QString&, const QString&) override {
        return {};
    }
    void ShellOpen(const QString&) override {}
    void ShellPrint(const QString&) override {}
    int RunModal(QDialog& dialog) override;
};

bool Save(QWidget& w, const QString& dir, const QString& state) {
    QCoreApplication::processEvents();
    const QString file = dir + '/' + state + ".png";
    const bool ok = w.grab().save(file);
    std::printf("%s %s\n", ok ? "wrote" : "FAILED", qPrintable(file));
    return ok;
}
int TPictureDialogs::RunModal(QDialog& dialog) {
    dialog.show();
    ok = Save(dialog, dir, modalState) && ok;
    dialog.hide();
    return QDialog::Rejected;
}

const QStringList AllStates = {
    "ready",        "running",        "finished",        "seconds",    "qualifikation",
    "single-ready", "single-running", "single-finished", "calendar",   "info",
    "help",         "settings",       "import",          "tv",         "tv-seconds",
    "tv-onetower",  "tv-plain",       "tv-winner",       "tv-dis",     "tv-heat",
    "bracket",      "class-bracket",  "tv-bracket",      "falsestart", "tv-falsestart"};
} // namespace

int main(int argc, char** argv) {
    // The operator's screen and a full-HD TV beside it.
    QTemporaryDir screensDir;
    if (!UseOffscreenScreens({QRect(0, 0, 1920, 1080), QRect(1920, 0, 1920, 1080)},
                             screensDir.filePath("screens.json")))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    QStandardPaths::setTestModeEnabled(true);
    if (qgetenv("SNAPSHOT_LANG") == "en") InstallProgramTranslation(1);
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    SetWallClock([] { return QDateTime(QDate(2026, 12, 5), QTime(6, 5)); });
    QTemporaryDir settingsDir;
    QString settingsFile;
    const QString out = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QStringLiteral(".");
    QDir().mkpath(out);
    QStringList states;
    for (int i = 2; i < argc; ++i)
        states << QString::fromLocal8Bit(argv[i]);
    if (states.isEmpty()) states = AllStates;

    // The pictures need no port, and probing the machine's (a console on /dev/ttyS0, an
    // adapter another program holds) would only disturb them.
    SetPortDeviceMap([](int) { return QString(); });
    TManualClock clock;
    clock.now = 1000000;
    SetTickSource(TManualClock::Source(clock));
    bool ok = true;
    for (const QString& state : states) {
        if (!AllStates.contains(state)) {
            std::printf("unknown state %s\n", qPrintable(state));
            ok = false;
            continue;
        }
        settingsFile = settingsDir.filePath(state + ".conf"); // each state starts from defaults
        TAppParts parts(std::make_unique<QSettings>(settingsFile, QSettings::IniFormat));
        TPictureDialogs pictures;
        pictures.dir = out;
        TFormMain w(parts, &pictures);
        w.CfgDialog = new TCfgDialog(&w, *parts.Port, w.PortMask);
        w.CreateInfoBox();
        const bool single = state.startsWith("single") || state == "tv-onetower";
        w.SetVid(state == "qualifikation" ? 0 : single ? 1 : 2);
        if (state == "seconds" || state == "tv-seconds") w.SetTimeFormat(0);
        const bool finals = state.endsWith("bracket") || state == "tv-heat";
        w.Settings.HallNames = state != "tv-plain";
        w.Settings.KlassCol = 4; // the category beside the name: column "Klasse"
        w.Competition->SetKlassCol(4);
        if (finals) w.SetVid(0);
        // Finals per class: 12 men, 6 women; the window shows the women's rows alone.
        const bool byClass = state == "class-bracket";
        if (byClass) w.Settings.KlassCol = Col::Klasse + 1;
        w.LoadProtocolRows(finals ? QualificationRows(byClass) : SampleRows(),
                           QStringLiteral("Stadtmeisterschaft"));
        w.show();
        const bool tv = state.startsWith("tv");
        const auto monitorWindow = w.CreateMonitor();
        TFormMonitor2& monitor = *monitorWindow;
        w.Settings.Monitor = 1;
        if (finals) {
            // The first round run, one quarter-final run and then voided to be run again.
            w.SetVid(TCompetition::FinaleKo);
            w.cbVidChange();
            RunHeats(w, clock, 9);
            w.Competition->RerunHeat(8);
        }
        if (state == "tv-bracket") {
            Child<QToolButton>(w, "sbMon2")->click();
            ok = Save(monitor, out, state) && ok;
        } else if (byClass) {
            w.cbAnzeigeChange(0);
            ok = Save(w, out, state + "-main") && ok;
            w.mBracketClick();
            Child<QWidget>(w, "FormBracket")->resize(1280, 720);
            ok = Save(*Child<QWidget>(w, "FormBracket"), out, state) && ok;
        } else if (state == "bracket") {
            w.mBracketClick();
            Child<QWidget>(w, "FormBracket")->resize(1920, 1080);
            ok = Save(*Child<QWidget>(w, "FormBracket"), out, state) && ok;
        } else if (state == "tv-winner" || state == "tv-dis") {
            // Both lanes in, track 1 the faster; or track 1 disqualified after its stop.
            Issue(w, "mStart");
            clock.advance(6871);
            Issue(w, "mSTOP1");
            clock.advance(412);
            Issue(w, "mStop2");
            if (state == "tv-dis") Child<QAbstractButton>(w, "sb1del")->click();
            Child<QToolButton>(w, "sbMon2")->click();
            ok = Save(monitor, out, state) && ok;
        } else if (state == "tv-heat") {
            Issue(w, "mStart");
            clock.advance(5432);
            w.ClockTimer();
            Child<QTimer>(w, "Clock")->stop();
            Child<QToolButton>(w, "sbMon2")->click();
            ok = Save(monitor, out, state) && ok;
        } else if (state.endsWith("falsestart")) {
            // Foot pads: track 1 left its pad 0,143 s after START, track 2 after 0,050 s.
            w.Run->PadChanged(0, ContactLine::CTS | ContactLine::DSR, clock.now);
            w.Run->PadChanged(1, ContactLine::CTS | ContactLine::DSR, clock.now);
            Issue(w, "mStart");
            clock.advance(50);
            w.Run->PadChanged(1, ContactLine::CTS, clock.now);
            clock.advance(93);
            w.Run->PadChanged(0, 0, clock.now);
            clock.advance(5321);
            w.ClockTimer();
            Child<QTimer>(w, "Clock")->stop();
            if (tv) Child<QToolButton>(w, "sbMon2")->click();
            ok = (tv ? Save(monitor, out, state) : Save(w, out, state)) && ok;
        } else if (tv) {
            // Both tracks running, track 2 a little behind, as the audience sees a race.
            Issue(w, "mStart");
            clock.advance(7125);
            w.ShowTime(1, 7125);
            clock.advance(76331);
            w.ShowTime(0, 83456);
            Child<QTimer>(w, "Clock")->stop();
            Child<QToolButton>(w, "sbMon2")->click();
            ok = Save(monitor, out, state) && ok;
        } else if (state == "running" || state == "seconds" || state == "single-running") {
            Issue(w, "mStart");
            clock.advance(83456);
            w.ClockTimer();
        } else if (state == "finished" || state == "single-finished") {
            Issue(w, "mStart");
            clock.advance(9873);
            Issue(w, "mStop2");
            clock.advance(2468);
            Issue(w, "mSTOP1");
        } else if (state == "calendar") {
            // The date panel opens the calendar as the mouse button comes up on it.
            QWidget* date = Child<QWidget>(w, "PanelDate");
            QMouseEvent up(QEvent::MouseButtonRelease, QPointF(5, 5),
                           date->mapToGlobal(QPointF(5, 5)), Qt::LeftButton, Qt::NoButton,
                           Qt::NoModifier);
            QCoreApplication::sendEvent(date, &up);
        }
        if (state == "info") {
            w.FormInfo->show();
            ok = Save(*w.FormInfo, out, state) && ok;
            w.FormInfo->hide();
        } else if (state == "help") {
            if (w.Help->Contents() && w.Help->Window()) {
                ok = Save(*w.Help->Window(), out, state) && ok;
            } else {
                std::printf("FAILED help: no help at %s\n", qPrintable(w.Help->HelpFile()));
                ok = false;
            }
        } else if (state == "settings") {
            // Two adapters found at start-up, the first one chosen; the second screen is there.
            SetPortDeviceMap([](int n) {
                return n == 1 || n == 3 ? QStringLiteral("/dev/ttyUSB%1").arg(n - 1) : QString();
            });
            w.CfgDialog->FillPortList(MakePortMask([](int n) { return n == 1 || n == 3; }));
            w.ComPort->setPort(1);
            w.bCFGClick();
            ok = pictures.ok && ok;
            SetPortDeviceMap([](int) { return QString(); });
        } else if (state == "import") {
            // A registration export with its own titles, in the import dialog.
            pictures.openName = settingsDir.filePath("Anmeldung.csv");
            QFile csv(pictures.openName);
            if (csv.open(QIODevice::WriteOnly))
                csv.write("Startnummer;Nachname;Vorname;Verein;Kategorie;Jahrgang;E-Mail\r\n"
                          "12;M\xC3\xBCller;Anna;SV Graz;Damen;2008;a@example.org\r\n"
                          "7;Huber;Hans-Peter;\"Alpenverein; Sektion Linz\";Herren;2006;\r\n"
                          "8;;;Ohne Namen;Herren;2007;\r\n12;Sch\xC3\xA4"
                          "fer;Lukas;;Herren;2005;\r\n");
            csv.close();
            pictures.modalState = state;
            w.mImportClick();
            pictures.modalState = QStringLiteral("settings");
            ok = pictures.ok && ok;
        } else if (!tv && state != "bracket" && !byClass) {
            ok = Save(w, out, state) && ok;
        }
        if (w.IsRunning()) Issue(w, "Abruch1");
        Child<TSortGrid>(w, "SortGrid1")->setModified(false);
    }
    return ok ? 0 : 1;
}
