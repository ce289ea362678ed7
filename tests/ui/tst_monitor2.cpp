#include <QtTest>

#include "OffscreenScreens.h"
#include "TestSupport.h"
#include "ui/FMonitor2.h"
#include "widgets/QtColors.h"
#include "widgets/Udigit.h"

#include <climits>
#include <cmath>
#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QScreen>
#include <QToolButton>

namespace {

// The operator's full-HD screen and, right of it, a smaller TV.
const QRect kScreen0(0, 0, 1920, 1080);
const QRect kScreen1(1920, 0, 1280, 720);

// The main window's digits at design size, relative to their track panel.
std::array<QRect, 6> MainRow(int firstLeft) {
    const int lefts[6] = {firstLeft, firstLeft + 48, 128, 176, 248, 296};
    std::array<QRect, 6> r{};
    for (size_t i = 0; i < 6; ++i)
        r[i] = QRect(lefts[i], 11, 45, 89);
    return r;
}

TMonitor2LayoutInput Input(int width, int height, int firstLeft = 8) {
    TMonitor2LayoutInput in;
    in.height = height;
    in.kx = in.ky = Monitor2Scale(width, 350);
    in.mainRow1 = in.mainRow2 = MainRow(firstLeft);
    in.mainThickness = 5;
    in.separatorPoints = 48;
    in.heldThickness.fill(6);
    return in;
}

QColor FontColour(const QLabel* l) {
    return l->palette().color(QPalette::WindowText);
}

// A main window with the audience window beside it, as the program builds them.
struct TTvFixture {
    TWindowFixture f;
    std::unique_ptr<TFormMonitor2> m;
    TFormMain& w;
    explicit TTvFixture(int monitor = 1) : w(*f.w) {
        w.Settings.Monitor = monitor;
        m = std::make_unique<TFormMonitor2>(&w);
        w.FormMonitor2 = m.get();
        w.UpdateTvModeEnabled();
    }
    ~TTvFixture() { m.reset(); }
    void SwitchOn() {
        w.sbMon2->setChecked(true);
        w.sbMon2Click();
        QVERIFY(m->isVisible());
    }
};

} // namespace

class TestMonitor2 : public QObject {
    Q_OBJECT
private slots:
    // Tests that plug screens in and out leave them as they found them, in the same order
    // (the platform appends a screen that comes back).
    void cleanup() {
        QList<QRect> now;
        for (QScreen* s : QGuiApplication::screens())
            now << s->geometry();
        if (now == QList<QRect>{kScreen0, kScreen1}) return;
        SetOffscreenScreens({QRect(0, 0, 640, 480)});
        SetOffscreenScreens({kScreen0, kScreen1});
    }

    // --- rules without a window ---------------------------------------------------------

    void roundHalfEven_data() {
        QTest::addColumn<double>("x");
        QTest::addColumn<int>("expected");
        QTest::newRow("2.5 to the even 2") << 2.5 << 2;
        QTest::newRow("3.5 to the even 4") << 3.5 << 4;
        QTest::newRow("-2.5 to -2") << -2.5 << -2;
        QTest::newRow("below a half down") << 26.49 << 26;
        QTest::newRow("above a half up") << 26.51 << 27;
        QTest::newRow("not a number") << std::nan("") << 0;
        QTest::newRow("beyond int") << 1e12 << INT_MAX;
        QTest::newRow("below int") << -1e12 << INT_MIN;
    }
    void roundHalfEven() {
        QFETCH(double, x);
        QFETCH(int, expected);
        QCOMPARE(RoundHalfEven(x), expected);
    }

    // Sizes of the strip, the digits and the first digit's box for monitors of several
    // shapes, worked out by hand from the main window's design sizes.
    void layoutBySize_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("kx");
        QTest::addColumn<int>("strip");
        QTest::addColumn<int>("stripPoints");
        QTest::addColumn<int>("digitHeight");
        QTest::addColumn<int>("thickness");
        QTest::addColumn<QRect>("digit3");
        QTest::addColumn<int>("row2Top");
        QTest::addColumn<int>("separatorPoints");
        QTest::newRow("1920 x 1080") << 1920 << 1080 << 5.486 << 90 << 63 << 396 << 27
                                     << QRect(44, 60, 247, 396) << 540 << 263;
        QTest::newRow("1280 x 720") << 1280 << 720 << 3.657 << 60 << 42 << 264 << 18
                                    << QRect(29, 40, 165, 264) << 360 << 176;
        QTest::newRow("3840 x 2160") << 3840 << 2160 << 10.971 << 180 << 126 << 792 << 55
                                     << QRect(88, 121, 493, 792) << 1080 << 527;
        QTest::newRow("portrait 1080 x 1920") << 1080 << 1920 << 3.086 << 160 << 112 << 704 << 15
                                              << QRect(25, 34, 139, 704) << 960 << 148;
        // kx 0.5 puts several edges on exact halves: 5.5 -> 6, 26.5 -> 26, 2.5 -> 2, 17.5 -> 18.
        QTest::newRow("half-pixel ties")
            << 175 << 300 << 0.5 << 25 << 18 << 108 << 2 << QRect(4, 6, 22, 108) << 150 << 24;
    }
    void layoutBySize() {
        QFETCH(int, width);
        QFETCH(int, height);
        QFETCH(double, kx);
        QFETCH(int, strip);
        QFETCH(int, stripPoints);
        QFETCH(int, digitHeight);
        QFETCH(int, thickness);
        QFETCH(QRect, digit3);
        QFETCH(int, row2Top);
        QFETCH(int, separatorPoints);
        const TMonitor2LayoutInput in = Input(width, height);
        QVERIFY(std::abs(in.kx - kx) < 0.001);
        const TMonitor2Layout L = Monitor2Layout(in);
        QCOMPARE(L.stripHeight, strip);
        QCOMPARE(L.stripPoints, stripPoints);
        QCOMPARE(L.digitHeight, digitHeight);
        for (int t : L.thickness)
            QCOMPARE(t, thickness);
        QCOMPARE(L.digits[0], digit3);
        QCOMPARE(L.separatorPoints, separatorPoints);
        for (int i = 0; i < 12; ++i) {
            QCOMPARE(L.digits[size_t(i)].height(), digitHeight);
            QCOMPARE(L.digits[size_t(i)].y(), i < 6 ? digit3.y() : row2Top);
        }
        // Both rows stay above the strip.
        QVERIFY(L.digits[6].y() + digitHeight <= height - strip);
    }

    // The separators of the full-HD example: between their neighbours, the comma hanging a
    // bar's width below the digits, the colon stopping half a bar short of their bottom.
    void separatorBoxes_data() {
        QTest::addColumn<int>("which");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("row-1 colon") << 0 << QRect(554, 60, 148, 369);
        QTest::newRow("row-1 comma") << 1 << QRect(1212, 60, 148, 450);
        QTest::newRow("row-2 colon") << 2 << QRect(554, 540, 148, 369);
        QTest::newRow("row-2 comma") << 3 << QRect(1212, 540, 148, 450);
    }
    void separatorBoxes() {
        QFETCH(int, which);
        QFETCH(QRect, expected);
        const TMonitor2Layout L = Monitor2Layout(Input(1920, 1080));
        const QRect boxes[4] = {L.colon1, L.comma1, L.colon2, L.comma2};
        QCOMPARE(boxes[which], expected);
    }

    // Where positions 1 and 2 stand follows the main window's digits, so the seconds format
    // (first digit at 32 instead of 8) moves them on the audience window too.
    void firstDigitsFollowTimeFormat_data() {
        QTest::addColumn<int>("firstLeft");
        QTest::addColumn<QRect>("pos1");
        QTest::addColumn<QRect>("pos2");
        QTest::newRow("minutes") << 8 << QRect(44, 60, 247, 396) << QRect(307, 60, 247, 396);
        QTest::newRow("seconds") << 32 << QRect(176, 60, 246, 396) << QRect(439, 60, 247, 396);
    }
    void firstDigitsFollowTimeFormat() {
        QFETCH(int, firstLeft);
        QFETCH(QRect, pos1);
        QFETCH(QRect, pos2);
        const TMonitor2Layout L = Monitor2Layout(Input(1920, 1080, firstLeft));
        QCOMPARE(L.digits[0], pos1);
        QCOMPARE(L.digits[1], pos2);
        QCOMPARE(L.digits[6], pos1.translated(0, 540 - 60));
    }

    void thicknessFit_data() {
        QTest::addColumn<int>("mainThickness");
        QTest::addColumn<int>("expected");
        QTest::newRow("fits") << 5 << 27;
        // 30 x 5.486 = 165 is more than half of the 247-pixel box: the held 6 stays.
        QTest::newRow("too thick for the box") << 30 << 6;
        // Half the 247-pixel box is 123: 22 x 5.486 = 121 fits, 23 x 5.486 = 126 does not.
        QTest::newRow("just fits") << 22 << 121;
        QTest::newRow("just too thick") << 23 << 6;
    }
    void thicknessFit() {
        QFETCH(int, mainThickness);
        QFETCH(int, expected);
        TMonitor2LayoutInput in = Input(1920, 1080);
        in.mainThickness = mainThickness;
        QCOMPARE(Monitor2Layout(in).thickness[0], expected);
    }

    void nonsenseSizes_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<double>("kx");
        QTest::newRow("zero") << 0 << 0.0;
        QTest::newRow("negative height") << -50 << 1.0;
        QTest::newRow("infinite scale") << 1080 << qInf();
        QTest::newRow("not a number") << 1080 << std::nan("");
    }
    void nonsenseSizes() {
        QFETCH(int, height);
        QFETCH(double, kx);
        TMonitor2LayoutInput in = Input(100, 100);
        in.height = height;
        in.kx = in.ky = kx;
        const TMonitor2Layout L = Monitor2Layout(in);
        for (const QRect& r : L.digits)
            QVERIFY(r.width() >= 0 && r.height() >= 0);
        for (const QRect& r : {L.colon1, L.comma1, L.colon2, L.comma2})
            QVERIFY(r.width() >= 0 && r.height() >= 0);
        QVERIFY(L.stripPoints >= 1 && L.separatorPoints >= 1);
    }

    void visibility_data() {
        QTest::addColumn<int>("countBahn");
        QTest::addColumn<int>("timeFormat");
        QTest::addColumn<bool>("row2");
        QTest::addColumn<bool>("colon1");
        QTest::addColumn<bool>("colon2");
        QTest::newRow("two towers, minutes") << 2 << 1 << true << true << true;
        QTest::newRow("two towers, seconds") << 2 << 0 << true << false << false;
        QTest::newRow("one tower, minutes") << 1 << 1 << false << true << false;
        QTest::newRow("one tower, seconds") << 1 << 0 << false << false << false;
        QTest::newRow("stray values") << 0 << 7 << false << true << false;
    }
    void visibility() {
        QFETCH(int, countBahn);
        QFETCH(int, timeFormat);
        const TMonitor2Visibility v = Monitor2Visibility(countBahn, timeFormat);
        QTEST(v.row2, "row2");
        QTEST(v.colon1, "colon1");
        QTEST(v.colon2, "colon2");
    }

    void screenRect_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<QRect>("expected");
        QTest::newRow("first") << 0 << kScreen0;
        QTest::newRow("second") << 1 << kScreen1;
        QTest::newRow("gone: the first instead") << 2 << kScreen0;
        QTest::newRow("negative: the first") << -1 << kScreen0;
    }
    void screenRect() {
        QFETCH(int, index);
        QFETCH(QRect, expected);
        QCOMPARE(Monitor2ScreenRect({kScreen0, kScreen1}, index), expected);
        QCOMPARE(Monitor2ScreenRect({}, index), QRect());
    }

    // --- the window -------------------------------------------------------------------------

    // Placed at creation, on the chosen monitor's full rectangle, with kx from its width.
    void placedOnChosenMonitor_data() {
        QTest::addColumn<int>("monitor");
        QTest::addColumn<QRect>("bounds");
        QTest::newRow("screen 1 (first)") << 0 << kScreen0;
        QTest::newRow("screen 2") << 1 << kScreen1;
        QTest::newRow("a monitor that is not there") << 4 << kScreen0;
    }
    void placedOnChosenMonitor() {
        QFETCH(int, monitor);
        QFETCH(QRect, bounds);
        TTvFixture t(monitor);
        QCOMPARE(t.m->geometry(), bounds);
        QCOMPARE(t.m->Kx(), bounds.width() / 350.0);
        QCOMPARE(t.m->Ky(), t.m->Kx());
        t.SwitchOn();
        QCOMPARE(t.m->geometry(), bounds);
        QCOMPARE(t.m->screen()->geometry(), bounds);
        QCOMPARE(t.m->PlacedScreen(), t.m->screen());
    }

    // What the window shows is what the layout rule gives for its size, on both screens.
    void windowFollowsLayoutRule_data() {
        QTest::addColumn<int>("monitor");
        QTest::newRow("1920 x 1080") << 0;
        QTest::newRow("1280 x 720") << 1;
    }
    void windowFollowsLayoutRule() {
        QFETCH(int, monitor);
        TTvFixture t(monitor);
        t.SwitchOn();
        const QRect b = t.m->geometry();
        TMonitor2LayoutInput in = Input(b.width(), b.height());
        const TMonitor2Layout L = Monitor2Layout(in);
        std::array<TDigit*, 12> all{};
        for (int i = 0; i < 6; ++i) {
            all[size_t(i)] = t.m->Row(0)[size_t(i)];
            all[size_t(i + 6)] = t.m->Row(1)[size_t(i)];
        }
        for (size_t i = 0; i < 12; ++i) {
            QCOMPARE(all[i]->geometry(), L.digits[i]);
            QCOMPARE(all[i]->Thickness(), L.thickness[i]);
        }
        QCOMPARE(t.m->LabMin->geometry(), L.colon1);
        QCOMPARE(t.m->LabSec->geometry(), L.comma1);
        QCOMPARE(t.m->LabMin2->geometry(), L.colon2);
        QCOMPARE(t.m->LabSec2->geometry(), L.comma2);
        QCOMPARE(t.m->LabSec->font().pointSize(), L.separatorPoints);
        QCOMPARE(t.m->PanelBot->geometry(),
                 QRect(0, b.height() - L.stripHeight, b.width(), L.stripHeight));
        QCOMPARE(t.m->LabelB1->font().pointSize(), L.stripPoints);
        // The brand's three parts meet in the middle of the strip.
        QCOMPARE(t.m->LabelB1->width(), t.m->LabelB3->width());
        QCOMPARE(t.m->LabelB3->geometry().right(), b.width() - 1);
        QVERIFY(std::abs(t.m->LabelB2->geometry().center().x() - b.width() / 2) <= 1);
    }

    // A resize lays out again from the new size but keeps the kx of the last placing; the
    // next showing places it anew.
    void resizeKeepsKx() {
        TTvFixture t(1);
        t.SwitchOn();
        const double kx = t.m->Kx();
        t.m->resize(1000, 600);
        QCOMPARE(t.m->Kx(), kx);
        QCOMPARE(t.m->Digit3->height(), ((600 - 50) / 10) * 4);
        QCOMPARE(t.m->Digit3a->y(), 300);
        QCOMPARE(t.m->Digit3->x(), RoundHalfEven(8 * kx)); // still the 1280-wide scale
        t.m->hide();
        t.m->show();
        QCOMPARE(t.m->geometry(), kScreen1);
        QCOMPARE(t.m->Digit3a->y(), 360);
    }

    // The race clock's digits reach the audience window, shown or not: values of all six,
    // lit colours of the first three and the colon; positions 4 to 6 stay yellow.
    void mirrorsRaceClock_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("ms");
        QTest::addColumn<bool>("shown");
        QTest::newRow("zero, hidden") << 1 << 0 << 0 << false;
        QTest::newRow("1:23,45 track 1") << 1 << 0 << 83456 << true;
        QTest::newRow("9,99 track 2, hidden") << 1 << 1 << 9990 << false;
        QTest::newRow("10:00,00 track 2") << 1 << 1 << 600000 << true;
        QTest::newRow("seconds format 1234,56") << 0 << 0 << 1234567 << true;
    }
    void mirrorsRaceClock() {
        QFETCH(int, format);
        QFETCH(int, track);
        QFETCH(int, ms);
        QFETCH(bool, shown);
        TTvFixture t(1);
        t.w.SetTimeFormat(format);
        if (shown) t.SwitchOn();
        // A colour the race clock never sets: it must not travel to positions 4 to 6.
        const auto& mainRow = track == 0 ? t.w.Digits1 : t.w.Digits2;
        mainRow[4]->setColorOn(Colors::clRed);
        t.w.ShowTime(track, 1); // everything off its initial state first
        t.w.ShowTime(track, ms);
        const auto row = t.m->Row(track);
        for (size_t i = 0; i < 6; ++i) {
            QCOMPARE(row[i]->Value(), mainRow[i]->Value());
            QCOMPARE(row[i]->ColorOn(), i < 3 ? mainRow[i]->ColorOn() : Colors::clYellow);
        }
        QCOMPARE(FontColour(track == 0 ? t.m->LabMin : t.m->LabMin2),
                 ToQColor(mainRow[1]->ColorOn()));
        // The other track was not touched.
        for (TDigit* d : t.m->Row(1 - track))
            QCOMPARE(d->Value(), 0);
    }

    // Only changed digits are painted: a tick that moves the hundredths repaints the last
    // digit of the running track and nothing else on the audience window.
    void tickRepaintsOnlyChangedDigits() {
        TTvFixture t(1);
        t.SwitchOn();
        t.w.ShowTime(0, 12340);
        QCoreApplication::processEvents();
        struct TCounter : QObject {
            QMap<QObject*, int> paints;
            bool eventFilter(QObject* o, QEvent* e) override {
                if (e->type() == QEvent::Paint) ++paints[o];
                return false;
            }
        } counter;
        for (TDigit* d : t.m->Row(0))
            d->installEventFilter(&counter);
        for (TDigit* d : t.m->Row(1))
            d->installEventFilter(&counter);
        t.w.ShowTime(0, 12350);
        QCoreApplication::processEvents();
        QCOMPARE(counter.paints.value(t.m->Digit8), 1);
        int others = 0;
        for (auto it = counter.paints.begin(); it != counter.paints.end(); ++it)
            if (it.key() != t.m->Digit8) others += it.value();
        QCOMPARE(others, 0);
    }

    // Escape closes only on the first monitor, where the operator sits; elsewhere it would take
    // the times away from the audience.
    void escape_data() {
        QTest::addColumn<int>("monitor");
        QTest::addColumn<bool>("closes");
        QTest::newRow("monitor 0") << 0 << true;
        QTest::newRow("monitor 1") << 1 << false;
    }
    void escape() {
        QFETCH(int, monitor);
        QFETCH(bool, closes);
        TTvFixture t(monitor);
        t.SwitchOn();
        // Elsewhere the window refuses the keyboard, yet a key that reaches it still must not
        // close it.
        if (closes) QVERIFY(QTest::qWaitForWindowActive(t.m.get()));
        QTest::keyClick(t.m.get(), Qt::Key_Escape);
        QTest::keyClick(t.m.get(), Qt::Key_A);
        QCOMPARE(t.m->isVisible(), !closes);
        QCOMPARE(t.w.sbMon2->isChecked(), !closes);
        QCOMPARE(t.w.Settings.MonitorOn, !closes);
    }

    // Ctrl+T and the button switch TV mode; after a switch on another monitor the operator
    // types into the main window again.
    void switching_data() {
        QTest::addColumn<int>("monitor");
        QTest::addColumn<bool>("byKey");
        QTest::newRow("Ctrl+T, monitor 1") << 1 << true;
        QTest::newRow("button, monitor 1") << 1 << false;
        QTest::newRow("Ctrl+T, monitor 0") << 0 << true;
    }
    void switching() {
        QFETCH(int, monitor);
        QFETCH(bool, byKey);
        TTvFixture t(monitor);
        QVERIFY(t.w.sbMon2->isEnabled());
        QVERIFY(t.w.TVmode->isEnabled());
        for (bool on : {true, false}) {
            if (byKey) {
                t.w.activateWindow();
                QVERIFY(QTest::qWaitForWindowActive(&t.w));
                t.f.Key(Qt::Key_T, Qt::ControlModifier);
            } else {
                QTest::mouseClick(t.w.sbMon2, Qt::LeftButton);
            }
            QCOMPARE(t.m->isVisible(), on);
            QCOMPARE(t.w.sbMon2->isChecked(), on);
            QCOMPARE(t.w.Settings.MonitorOn, on);
            if (monitor != 0) QTRY_COMPARE(QApplication::activeWindow(), &t.w);
            if (monitor == 0 && on) QTRY_COMPARE(QApplication::activeWindow(), t.m.get());
        }
    }

    // The row-2 rule applies at once, while the window is shown, whichever part changes the
    // tower count or the time format.
    void oneTowerHidesRow2() {
        TTvFixture t(1);
        t.SwitchOn();
        t.w.SetVid(1); // "Individuelles Klettern": one tower
        t.w.cbVidChange();
        for (TDigit* d : t.m->Row(1))
            QVERIFY(!d->isVisible());
        QVERIFY(!t.m->LabMin2->isVisible());
        QVERIFY(!t.m->LabSec2->isVisible());
        for (TDigit* d : t.m->Row(0))
            QVERIFY(d->isVisible());
        QVERIFY(t.m->LabMin->isVisible());
        t.w.SetVid(2);
        t.w.cbVidChange();
        for (TDigit* d : t.m->Row(1))
            QVERIFY(d->isVisible());
        QVERIFY(t.m->LabMin2->isVisible());
    }

    void secondsFormatHidesColons() {
        TTvFixture t(0);
        t.SwitchOn();
        const double kx = t.m->Kx();
        t.w.SetTimeFormat(0);
        QVERIFY(!t.m->LabMin->isVisible());
        QVERIFY(!t.m->LabMin2->isVisible());
        QVERIFY(t.m->LabSec->isVisible());
        // Positions 1 and 2 stand where the main window puts them for the format, scaled.
        QCOMPARE(t.m->Digit3->x(), RoundHalfEven(32 * kx));
        QCOMPARE(t.m->Digit4->x(), RoundHalfEven(80 * kx));
        QCOMPARE(t.m->Digit4a->x(), RoundHalfEven(80 * kx));
        t.w.SetTimeFormat(1);
        QVERIFY(t.m->LabMin->isVisible());
        QCOMPARE(t.m->Digit3->x(), RoundHalfEven(8 * kx));
    }

    // Start-up: a set flag puts the button down and shows the window; a single screen cannot
    // have TV mode.
    void startUp_data() {
        QTest::addColumn<bool>("flag");
        QTest::addColumn<int>("screens");
        QTest::addColumn<bool>("shown");
        QTest::newRow("flag set, two screens") << true << 2 << true;
        QTest::newRow("flag clear, two screens") << false << 2 << false;
        QTest::newRow("flag set, one screen") << true << 1 << false;
    }
    void startUp() {
        QFETCH(bool, flag);
        QFETCH(int, screens);
        QFETCH(bool, shown);
        TTvFixture t(screens == 1 ? 0 : 1);
        if (screens == 1 && !SetOffscreenScreens({kScreen0}))
            QSKIP("this platform cannot change its screens");
        t.w.Settings.MonitorOn = flag;
        t.w.StartTvMode();
        QCOMPARE(t.m->isVisible(), shown);
        QCOMPARE(t.w.sbMon2->isChecked(), shown);
        QCOMPARE(t.w.Settings.MonitorOn, shown);
        QCOMPARE(t.w.sbMon2->isEnabled(), screens >= 2);
        QCOMPARE(t.w.TVmode->isEnabled(), screens >= 2);
    }

    // A TV pulled out while it shows the times: the window goes away with it (never on no
    // screen, never over the operator's window), TV mode goes off; plugged back, TV mode can
    // be switched on again and lands on it.
    void screensComeAndGo_data() {
        QTest::addColumn<QList<QRect>>("before");
        QTest::addColumn<QList<QRect>>("after");
        QTest::addColumn<int>("monitor");
        QTest::addColumn<bool>("staysOn");
        QTest::addColumn<QRect>("backOn");
        const QRect third(3200, 0, 1920, 1080);
        QTest::newRow("the TV goes")
            << QList<QRect>{kScreen0, kScreen1} << QList<QRect>{kScreen0} << 1 << false << kScreen1;
        // Plugged back, the operator's screen comes last in the system's list, so index 1
        // now names it: the index rule, whatever the list order.
        QTest::newRow("the operator's screen goes")
            << QList<QRect>{kScreen0, kScreen1} << QList<QRect>{kScreen1} << 1 << false << kScreen0;
        QTest::newRow("another screen goes, two remain")
            << QList<QRect>{kScreen0, kScreen1, third} << QList<QRect>{kScreen0, kScreen1} << 1
            << true << kScreen1;
        QTest::newRow("the last of three goes with the TV")
            << QList<QRect>{kScreen0, kScreen1, third} << QList<QRect>{kScreen0, kScreen1} << 2
            << false << third;
    }
    void screensComeAndGo() {
        QFETCH(QList<QRect>, before);
        QFETCH(QList<QRect>, after);
        QFETCH(int, monitor);
        QFETCH(bool, staysOn);
        QFETCH(QRect, backOn);
        if (!SetOffscreenScreens(before)) QSKIP("this platform cannot change its screens");
        TTvFixture t(monitor);
        t.SwitchOn();
        const QRect tv = before[monitor];
        QCOMPARE(t.m->geometry(), tv);
        QVERIFY(SetOffscreenScreens(after));
        QCoreApplication::processEvents();
        QCOMPARE(t.m->isVisible(), staysOn);
        QCOMPARE(t.w.sbMon2->isChecked(), staysOn);
        QCOMPARE(t.w.Settings.MonitorOn, staysOn);
        QCOMPARE(t.w.sbMon2->isEnabled(), after.size() >= 2);
        if (staysOn) QCOMPARE(t.m->geometry(), tv);
        // The race clock goes on mirroring into the hidden window.
        t.w.ShowTime(0, 4560);
        QCOMPARE(t.m->Digit6->Value(), 4);
        // Plugged back: the index rule applies at the next placing.
        QVERIFY(SetOffscreenScreens(before));
        QCoreApplication::processEvents();
        QVERIFY(t.w.sbMon2->isEnabled());
        if (!staysOn) {
            t.w.activateWindow();
            QVERIFY(QTest::qWaitForWindowActive(&t.w));
            t.f.Key(Qt::Key_T, Qt::ControlModifier);
            QVERIFY(t.m->isVisible());
        }
        QCOMPARE(t.m->geometry(), backOn);
    }

    // Closed by the window system, the audience window is hidden, never destroyed, and TV mode
    // is off; closing the main window ends the program even while the audience window is
    // shown, and leaves the flag on for the next start.
    void closeHidesAndMainWindowEndsProgram() {
        TTvFixture t(1);
        t.SwitchOn();
        QPointer<TFormMonitor2> alive(t.m.get());
        CloseFromWindowSystem(t.m->windowHandle());
        QVERIFY(alive);
        QVERIFY(!t.m->isVisible());
        QVERIFY(!t.w.sbMon2->isChecked());
        QVERIFY(!t.w.Settings.MonitorOn);
        t.SwitchOn();
        // The program's own loop must end when the main window closes; a loop kept alive by
        // the audience window would run into the guard instead.
        QTimer::singleShot(0, &t.w, [&] { t.w.close(); });
        QTimer guard;
        guard.setSingleShot(true);
        connect(&guard, &QTimer::timeout, qApp, [] { QCoreApplication::exit(1); });
        guard.start(5000);
        QCOMPARE(QApplication::exec(), 0);
        QVERIFY(!t.w.isVisible());
        // Shutting down does not count as switching TV mode off: the flag is saved as it was.
        QVERIFY(t.w.Settings.MonitorOn);
    }
};

int main(int argc, char** argv) {
    // Two screens from the start, as on a computer with a TV attached.
    QTemporaryDir dir;
    if (!UseOffscreenScreens({kScreen0, kScreen1}, dir.filePath("screens.json"))) return 2;
    QApplication app(argc, argv);
    TestMonitor2 t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_monitor2.moc"
