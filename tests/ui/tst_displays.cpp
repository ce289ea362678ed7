// The windows beside the main window: the audience window on the TV (on and off, which screen,
// what it mirrors, screens that come and go) and the finals' bracket window, both following
// heats run with the keys; the finals from the mode box and through saved files.
#include "core/TimeFormat.h"
#include "OffscreenScreens.h"
#include "persist/BracketFile.h"
#include "persist/ProtocolText.h"
#include "TestSupport.h"
#include "ui/audience/FMonitor2.h"
#include "ui/finals/BracketView.h"
#include "widgets/Udigit.h"

#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QScreen>
#include <QToolButton>
#include <QtTest>

namespace {
// The operator's full-HD screen and, right of it, a smaller TV.
const QRect kScreen0(0, 0, 1920, 1080);
const QRect kScreen1(1920, 0, 1280, 720);

QWidget& Tv(TWindowFixture& f) {
    return *f.forms->FormMonitor2;
}

// The audience window's digits of a track as one text.
QString TvDigits(TWindowFixture& f, int track) {
    QString s;
    for (const char* d : {"Digit3", "Digit4", "Digit5", "Digit6", "Digit7", "Digit8"})
        s += QString::number(
            Find<TDigit>(Tv(f), qPrintable(QString(d) + (track ? "a" : "")))->Value());
    return s;
}

// The audience window as the operator meets it: "off", "on@0" or "on@1" (shown on the
// operator's screen or the TV; "mixed" when the window, the TV-mode button and the setting
// disagree), " keys" while it has the keyboard, " grey" while TV mode cannot be switched on;
// unless they show zero, its digits of both tracks and whether the second row, the first and
// the second colon are shown, " unlike" when the digits are not the main window's.
QString TvState(TWindowFixture& f) {
    const bool shown = Tv(f).isVisible(), on = f.Get<QToolButton>("sbMon2")->isChecked();
    QString s = shown == on && on == f.Settings().MonitorOn ? (shown ? "on" : "off") : "mixed";
    if (s == "on")
        s += Tv(f).geometry() == kScreen0 ? "@0" : Tv(f).geometry() == kScreen1 ? "@1" : "@?";
    if (QApplication::activeWindow() == &Tv(f)) s += " keys";
    const bool button = f.Get<QWidget>("sbMon2")->isEnabled(),
               key = f.Get<QAction>("TVmode")->isEnabled();
    if (!button || !key) s += button == key ? " grey" : " grey?";
    const QString d1 = TvDigits(f, 0), d2 = TvDigits(f, 1);
    if (d1 != "000000" || d2 != "000000") {
        s += ' ' + d1 + '/' + d2 + ' ';
        for (const char* name : {"Digit3a", "LabMin", "LabMin2"})
            s += Find<QWidget>(Tv(f), name)->isVisible() ? '1' : '0';
    }
    if (d1 != f.Digits(0) || d2 != f.Digits(1)) s += " unlike";
    return s;
}

// What the hall reads: per lane its strip's name and mark ("-" hidden), the winner's lane (0 none),
// "@heading", and "tall" when the first row reaches below the middle.
QString TvHall(TWindowFixture& f) {
    QString s;
    for (const QString n : {"1", "2"}) {
        QStringList texts;
        for (const char* l : {"LabName", "LabDis"})
            if (auto* label = Find<QLabel>(Tv(f), qPrintable(l + n)); label->isVisible())
                texts << label->text();
        const bool shown = Find<QWidget>(Tv(f), qPrintable("PanelName" + n))->isVisible();
        s += (shown ? texts.join(' ') : "-") + '|';
        if (Find<QWidget>(Tv(f), qPrintable("MarkWinner" + n))->isVisible()) s += "win" + n + '|';
    }
    if (auto* heat = Find<QLabel>(Tv(f), "LabHeat"); heat->isVisible()) s += '@' + heat->text();
    const QRect digit = Find<QWidget>(Tv(f), "Digit3")->geometry();
    return digit.bottom() > Tv(f).height() * 3 / 5 ? s + "tall" : s;
}

// n climbers with two runs, listed slowest first so that the ranking is not the load order.
TProtocolRows QualificationRows(int n, int timeFormat) {
    TProtocolRows rows = ParticipantRows(n);
    for (int i = 1; i <= n; ++i) {
        rows[i][Col::Turm1] = FormatTime(8000 - 100 * i, timeFormat);
        rows[i][Col::Turm2] = FormatTime(8050 - 100 * i, timeFormat);
    }
    return rows;
}

void StartFinals(TWindowFixture& f, int climbers, int ranking = 0) {
    f.Settings().Ranking = ranking;
    f.Settings().BracketSize = 8;
    f.Load(0, QualificationRows(climbers, f.Settings().TimeFormat));
    f.ChooseMode(TCompetition::FinaleKo);
}

// The window's steps (TWindowFixture::Play) and the audience window's own: "tv:N" the display
// setting, "esc" Escape typed into the audience window, "close" the window system closes it,
// "main" the main window activated, "screens:01" the screens left plugged in (0 the operator's,
// 1 the TV), "settings:F" the settings dialog's last display and time format F chosen, "start:F"
// the program's start with the stored TV flag F, "names:0" the hall's names off, "finals" eight
// climbers in the finals. False where the platform cannot change its screens.
bool PlayTv(TWindowFixture& f, const QString& steps) {
    for (const QString& step : steps.split(' ', Qt::SkipEmptyParts)) {
        const QString arg = step.section(':', 1);
        if (step.startsWith("tv:")) {
            f.Settings().Monitor = arg.toInt();
        } else if (step == "esc") {
            QTest::keyClick(&Tv(f), Qt::Key_Escape);
        } else if (step == "close") {
            CloseFromWindowSystem(Tv(f).windowHandle());
        } else if (step == "main") {
            f.w->activateWindow();
            if (!QTest::qWaitForWindowActive(f.w)) qWarning("the main window is not active");
        } else if (step.startsWith("screens:")) {
            QList<QRect> screens;
            for (const QChar c : arg)
                screens << (c == '0' ? kScreen0 : kScreen1);
            if (!SetOffscreenScreens(screens)) return false;
            QCoreApplication::processEvents();
        } else if (step.startsWith("settings:")) {
            f.dialogs.onModal = [timeFormat = arg.toInt()](QDialog& d) {
                auto* box = Find<QComboBox>(d, "cbMonitor");
                box->setCurrentIndex(box->count() - 1);
                Find<QComboBox>(d, "cbTimeFormat")->setCurrentIndex(timeFormat);
                return int(QDialog::Accepted);
            };
            f.Play("F2");
        } else if (step.startsWith("start:")) {
            f.Settings().MonitorOn = arg == "1";
            f.forms->StartTvMode();
        } else if (step.startsWith("names:")) {
            f.Settings().HallNames = arg == "1";
        } else if (step == "finals") {
            StartFinals(f, 8);
        } else {
            f.Play(step);
        }
    }
    return true;
}

// The heats with their lanes, the places and the tracks by start numbers: the same whatever
// order the entries were loaded in.
QString Finals(const TCompetition& c) {
    const auto nr = [&](int e) { return e < 0 ? QStringLiteral("-") : c.Cell(e, Col::StNr); };
    const auto lane = [](const TBracket::TLane& l) {
        return QStringLiteral(" %1/%2").arg(l.Ms).arg(l.Exact.value_or(-1));
    };
    QStringList out;
    for (const TBracket::THeat& h : c.Bracket().Heats())
        out << nr(h.Entry[0]) + '-' + nr(h.Entry[1]) + lane(h.Lane[0]) + lane(h.Lane[1]);
    for (const auto& [entry, place] : c.FinalPlaces())
        out << nr(entry) + ':' + QString::number(place);
    return out.join('\n') + "\ntracks " + nr(c.TrackEntry(0)) + '-' + nr(c.TrackEntry(1));
}
} // namespace

class TestDisplays : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() { QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany)); }
    // Tests that plug screens in and out leave them as they found them, in the same order.
    void cleanup() {
        QList<QRect> now;
        for (QScreen* s : QGuiApplication::screens())
            now << s->geometry();
        if (now == QList<QRect>{kScreen0, kScreen1}) return;
        SetOffscreenScreens({QRect(0, 0, 640, 480)});
        SetOffscreenScreens({kScreen0, kScreen1});
    }

    // --- the audience window ------------------------------------------------------------------
    // "steps -> state, steps -> state, ...": Ctrl+T and the button switch it onto the chosen
    // screen (one that is not there: the first); on the operator's screen it takes the keys and
    // Escape closes it, on the TV it never takes them. A stored TV mode comes back at start-up
    // unless a single screen is left. A TV pulled out takes the window and TV mode with it, the
    // clock goes on mirroring, and plugged back TV mode can be switched on again. Closed by the
    // window system it is hidden, not destroyed.
    // "hall ..." states are what the hall reads (TvHall): both names, the faster lane marked
    // after both stop until RESET, "DIS." on its lane, the finals' heat above the digits, one
    // tower over the whole screen, and nothing of it with names off.
    void tvMode_data() {
        QTest::addColumn<QString>("row");
        QTest::newRow("Ctrl+T, TV") << "tv:1 ^T -> on@1, esc -> on@1, main ^T -> off";
        QTest::newRow("the button, TV")
            << "tv:1 click:sbMon2 -> on@1, esc -> on@1, main click:sbMon2 -> off";
        QTest::newRow("Ctrl+T, the operator's screen") << "tv:0 ^T -> on@0 keys, esc -> off";
        QTest::newRow("a screen that is not there")
            << "tv:4 ^T -> on@0, esc -> on@0, main ^T -> off";
        QTest::newRow("chosen in the settings") << "tv:0 ^T -> on@0 keys, main settings:1 -> on@1";
        QTest::newRow("stored on, two screens") << "tv:1 start:1 -> on@1";
        QTest::newRow("stored off, two screens") << "tv:1 start:0 -> off";
        QTest::newRow("stored on, one screen") << "screens:0 tv:1 start:1 -> off grey";
        QTest::newRow("the TV goes")
            << "tv:1 load:2/4 ^T -> on@1, screens:0 -> off grey, main F8 +4560 F4 -> off grey "
               "000456/000000 000, screens:01 -> off 000456/000000 000";
        QTest::newRow("the operator's screen goes")
            << "tv:1 load:2/4 ^T -> on@1, screens:1 -> off grey, main F8 +4560 F4 -> off grey "
               "000456/000000 000, screens:01 -> off 000456/000000 000";
        // The race clock reaches it, shown or not; one tower hides the second row, the seconds
        // format the colons (second row, colon 1, colon 2), at once while it is shown.
        QTest::newRow("two towers, minutes")
            << "tv:1 ^T settings:1 load:2/4 F8 +83456 F4 +516544 F6 -> on@1 012345/100000 111";
        QTest::newRow("hidden") << "tv:1 settings:1 load:2/4 F8 +9990 F6 -> off 000999/000999 000";
        QTest::newRow("one tower, seconds")
            << "tv:1 ^T settings:0 load:1/4 F8 +1234567 F4 -> on@1 123456/000000 000";
        QTest::newRow("one tower, minutes")
            << "tv:1 ^T settings:1 load:1/4 F8 +61000 ~ -> on@1 010100/000000 010";
        QTest::newRow("closed by the window system") << "tv:1 ^T -> on@1, close -> off, ^T -> on@1";
        QTest::newRow("hall: a heat of two")
            << "tv:1 ^T load:2/4 -> hall Name1|Name2|, F8 +5000 F6 +120 F4 -> "
               "hall Name1|Name2|win2|, click:sb1del -> hall Name1 DIS.|Name2|win2|, "
               "F9 -> hall Name2|Name1|";
        QTest::newRow("hall: one tower") << "tv:1 ^T load:1/4 F8 +5000 F4 -> hall Name1|-|tall";
        QTest::newRow("hall: finals") << "finals tv:1 ^T F8 -> hall Name8|Name1|@Viertelfinale 1/4";
        QTest::newRow("hall: names off")
            << "names:0 tv:1 ^T load:2/4 F8 +5000 F4 +10 F6 -> hall ||";
    }
    void tvMode() {
        QFETCH(QString, row);
        TWindowFixture f(!row.contains("start:"));
        for (const QString& stage : row.split(", ")) {
            if (!PlayTv(f, stage.section(" -> ", 0, 0))) QSKIP("no way to change screens");
            const QString want = stage.section(" -> ", 1);
            QTRY_COMPARE(want.startsWith("hall ") ? "hall " + TvHall(f) : TvState(f), want);
        }
    }

    // --- the finals -------------------------------------------------------------------------
    // Accepted, the finals stand on the tracks; refused, the operator is told why and the box
    // goes back. A protocol loaded while the box stands on the finals ends the same way.
    void modeBoxRefusal_data() {
        QTest::addColumn<bool>("byLoad");
        QTest::addColumn<int>("ranked");
        QTest::newRow("chosen in the box: refused") << false << 1;
        QTest::newRow("loaded onto the finals: refused") << true << 1;
        QTest::newRow("loaded onto the finals: a new bracket") << true << 4;
    }
    void modeBoxRefusal() {
        QFETCH(bool, byLoad);
        QFETCH(int, ranked);
        TWindowFixture f;
        if (byLoad) {
            StartFinals(f, 8);
            const QString name = f.dir.filePath("Quali.txt");
            QVERIFY(WriteProtocolFile(name, QualificationRows(ranked, 1), nullptr));
            f.dialogs.openNames = {name};
            f.Play("yes ^O"); // the finals' protocol goes
        } else {
            f.Load(2, QualificationRows(ranked, 1));
            f.ChooseMode(TCompetition::FinaleKo);
        }
        const int mode = ranked >= 2 ? int(TCompetition::FinaleKo) : byLoad ? 0 : 2;
        QCOMPARE(f.Competition().Mode(), mode);
        QCOMPARE(f.Get<QComboBox>("cbVid")->currentIndex(), mode);
        if (mode != TCompetition::FinaleKo)
            QCOMPARE(f.dialogs.messages, QStringList{f.Competition().BracketNote()});
        else // the bracket decides the lanes: swapping them is not offered
            f.Expect("msgs=0|on:mStart=1|on:seObmen=0|on:SwapTrasse=0");
    }

    // The bracket window (Ctrl+K) and the audience window while a finals heat runs by the
    // keys: the bracket between heats, the digits from START to RESET; the lane takes the
    // stopped milliseconds and the winner moves on.
    void heatByKeys() {
        TWindowFixture f;
        f.Settings().Monitor = 1;
        StartFinals(f, 8);
        f.Play("^T ^K");
        auto* tvBracket = Tv(f).findChild<TBracketView*>();
        QVERIFY(tvBracket && tvBracket->isVisible());
        const int first = f.Competition().Bracket().CurrentHeat();
        f.Play("F8");
        for (int i = 0; i < 100; ++i) // a second of clock ticks: the digits run, no bracket
            f.Play("+10 ~");
        QVERIFY(!tvBracket->isVisible());
        QCOMPARE(TvDigits(f, 0), f.Digits(0));
        f.Play("F6 +234 F4");
        QVERIFY(!tvBracket->isVisible()); // the times stay up until RESET
        f.Play("F9");
        QVERIFY(tvBracket->isVisible());
        const auto* window = Find<QWidget>(*f.w, "FormBracket")->findChild<TBracketView*>();
        QVERIFY(window && window->isVisible());
        const TBracket::THeat& heat = window->Bracket().Heats()[first];
        QCOMPARE(heat.Winner, 1);
        QCOMPARE(heat.Lane[0].Exact, std::optional<std::int32_t>(1234));
        const auto next = window->Bracket().Heats()[window->Bracket().CurrentHeat()].Entry;
        QCOMPARE(f.Competition().TrackEntry(0), next[0]);
        QCOMPARE(f.Competition().TrackEntry(1), next[1]);
        // A lane stopped within 10 ms of START timed nothing: the operator is told at once,
        // and after RESET the same pair races again.
        f.Play("F8 +5 F4 +1000 F6");
        QVERIFY2(f.Probe("note").contains("0,00 ist keine Zeit"), qPrintable(f.Probe("note")));
        f.Play("F9");
        QCOMPARE(f.Competition().TrackEntry(0), next[0]);
        QCOMPARE(f.Competition().TrackEntry(1), next[1]);
    }

    // Saved (from a ranked view), or in the exit copy, the finals go on from there after
    // another competition, under the ranking rule they were raced with; written again without
    // finals, the companion that belonged to the overwritten file goes.
    void finalsKeptBesideTheFile_data() {
        QTest::addColumn<bool>("exitCopy");
        QTest::addColumn<int>("ranking");
        QTest::newRow("saved, Bestzeit, ranked") << false << 1;
        QTest::newRow("the exit copy, Summe") << true << 0;
    }
    void finalsKeptBesideTheFile() {
        QFETCH(bool, exitCopy);
        QFETCH(int, ranking);
        TWindowFixture f;
        StartFinals(f, 10, ranking);
        if (!exitCopy) f.Play("sort");
        f.Heat(6543, 7012);
        f.Play("F9");
        f.Heat(7101, 6897);
        f.Play("F9");
        const QString before = Finals(f.Competition());
        f.w->ProgramFile = f.dir.filePath("veltaro");
        const QString name = f.dir.filePath(exitCopy ? "veltaro.txt" : "heat.txt");
        const auto write = [&] {
            if (exitCopy) return f.w->Shutdown();
            f.Competition().SetModified(true);
            f.dialogs.saveNames = {name};
            f.Play("^S");
        };
        write();
        if (exitCopy) f.Restart();
        f.w->ProgramFile = f.dir.filePath("veltaro");
        QVERIFY(QFile::exists(BracketFileName(name)));
        f.Settings().Ranking = 1 - ranking; // another competition between, another rule
        f.Load(2, ParticipantRows(3));
        f.dialogs.openNames = {name};
        f.Play("^O");
        f.Expect("msgs=0");
        QCOMPARE(f.Settings().Ranking, ranking);
        QCOMPARE(Finals(f.Competition()), before);
        const int next = f.Competition().Bracket().CurrentHeat();
        f.Heat(6600, 6700);
        f.Play("F9");
        QCOMPARE(f.Competition().Bracket().Heats()[next].Winner, 0);
        f.Load(2, ParticipantRows(3));
        write();
        f.Expect("msgs=0");
        QVERIFY(!QFile::exists(BracketFileName(name)));
    }
};

int main(int argc, char** argv) {
    // Two screens from the start, as on a computer with a TV attached.
    QTemporaryDir dir;
    if (!UseOffscreenScreens({kScreen0, kScreen1}, dir.filePath("screens.json"))) return 2;
    QApplication app(argc, argv);
    TestDisplays t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_displays.moc"
