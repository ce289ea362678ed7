// The run as the operator drives it (keys, clicks, mouse-downs) and as the controls show it.
#include "TestSupport.h"
#include "ui/FMain.h"
#include "widgets/BeamImage.h"
#include "widgets/BitBtnWithColor.h"
#include "widgets/QtColors.h"
#include "widgets/Udigit.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

namespace {
QString Digits(const std::array<TDigit*, 6>& d) {
    QString s;
    for (TDigit* x : d)
        s += QString::number(x->Value());
    return s;
}

// The enabled flags that tell the three states apart, as one comparable text.
QString Flags(const TFormMain& w) {
    QString s;
    auto f = [&](const char* name, bool on) { s += QString("%1=%2 ").arg(name).arg(on ? 1 : 0); };
    f("clock", w.Clock->isActive());
    f("start", w.mStart->isEnabled());
    f("stop1", w.mSTOP1->isEnabled());
    f("stop2", w.mStop2->isEnabled());
    f("reset", w.mReset->isEnabled());
    f("abort", w.Abruch1->isEnabled());
    f("lists", w.cbBuhn1->isEnabled());
    f("cfg", w.bCFG->isEnabled());
    return s.trimmed();
}

const QString Ready = "clock=0 start=1 stop1=0 stop2=0 reset=0 abort=0 lists=1 cfg=1";
const QString Running = "clock=1 start=0 stop1=1 stop2=1 reset=0 abort=1 lists=0 cfg=0";
const QString OneStopped = "clock=1 start=0 stop1=0 stop2=1 reset=0 abort=0 lists=0 cfg=0";
const QString Finished = "clock=0 start=0 stop1=0 stop2=0 reset=1 abort=0 lists=0 cfg=0";
} // namespace

class TestRunWindow : public QObject {
    Q_OBJECT
private slots:
    void fullRunByKeys() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        QCOMPARE(Flags(w), Ready);
        QCOMPARE(w.bSTART->FaceColor(), ToQColor(Colors::clGreen));

        f.Key(Qt::Key_F8);
        QCOMPARE(Flags(w), Running);
        QCOMPARE(w.bSTOP1->FaceColor(), ToQColor(Colors::clRed));
        QCOMPARE(w.bAbbruch->FaceColor(), ToQColor(Colors::clNavy));
        QCOMPARE(w.bSTART->FaceColor(), ToQColor(Colors::clBtnFace));
        QVERIFY(w.bSTOP1->hasFocus());

        f.clock.advance(12345);
        f.Key(Qt::Key_F4);
        QCOMPARE(Flags(w), OneStopped);
        QCOMPARE(Digits(w.Digits1), QString("001234"));
        QVERIFY(w.sb1del->isEnabled());
        QVERIFY(w.bSTOP2->hasFocus());
        QCOMPARE(w.SortGrid1->Cells(Col::Turm1, 1), QString("12,34"));

        f.clock.advance(1000);
        f.Key(Qt::Key_F6);
        QCOMPARE(Flags(w), Finished);
        QCOMPARE(w.bRESET->FaceColor(), ToQColor(Colors::clBlack));
        QVERIFY(w.bRESET->hasFocus());
        QCOMPARE(Digits(w.Digits2), QString("001334"));
        QCOMPARE(w.SortGrid1->Cells(Col::Turm2, 2), QString("13,34"));

        f.Key(Qt::Key_F9);
        QCOMPARE(Flags(w), Ready);
        QCOMPARE(Digits(w.Digits1), QString("000000"));
        QCOMPARE(Digits(w.Digits2), QString("000000"));
        QVERIFY(w.bSTART->hasFocus());
        QCOMPARE(w.Run->LastCell(0).Column, -1);
    }

    void disabledCommandsDoNothing_data() {
        QTest::addColumn<QString>("state");
        QTest::addColumn<int>("key");
        QTest::addColumn<int>("mods");
        for (int key : {Qt::Key_F4, Qt::Key_F6, Qt::Key_F9})
            QTest::addRow("ready %d", key) << "ready" << key << 0;
        QTest::newRow("ready ctrl+x") << "ready" << int(Qt::Key_X) << int(Qt::ControlModifier);
        QTest::newRow("running F8") << "running" << int(Qt::Key_F8) << 0;
        QTest::newRow("running F9") << "running" << int(Qt::Key_F9) << 0;
        QTest::newRow("finished F8") << "finished" << int(Qt::Key_F8) << 0;
        QTest::newRow("finished F4") << "finished" << int(Qt::Key_F4) << 0;
        QTest::newRow("finished ctrl+x")
            << "finished" << int(Qt::Key_X) << int(Qt::ControlModifier);
        QTest::newRow("same participant F8") << "same" << int(Qt::Key_F8) << 0;
        QTest::newRow("no participants F8") << "empty" << int(Qt::Key_F8) << 0;
    }
    void disabledCommandsDoNothing() {
        QFETCH(QString, state);
        QFETCH(int, key);
        QFETCH(int, mods);
        TWindowFixture f;
        TFormMain& w = *f.w;
        if (state != "empty") {
            f.Load(2, ParticipantRows(4));
        } else {
            w.SetVid(2); // no dummy entry: the lists are really empty
            w.cbVidChange();
            w.UpdateControls();
        }
        if (state == "same") {
            w.cbBuhn2->setCurrentIndex(w.cbBuhn1->currentIndex());
            w.UpdateControls();
        }
        if (state == "running" || state == "finished") f.Key(Qt::Key_F8);
        f.clock.advance(2000);
        if (state == "finished") {
            f.Key(Qt::Key_F4);
            f.Key(Qt::Key_F6);
        }
        const QString before = Flags(w);
        const auto startTick = w.Run->StartTick();
        const QString cell = w.SortGrid1->Cells(Col::Turm1, 1);
        f.clock.advance(1000);
        f.Key(key, Qt::KeyboardModifiers(mods));
        QCOMPARE(Flags(w), before);
        QCOMPARE(w.Run->StartTick(), startTick);
        QCOMPARE(w.SortGrid1->Cells(Col::Turm1, 1), cell);
    }

    void mouseDownActsOnThePress() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        QTest::mousePress(w.bSTART, Qt::LeftButton);
        QCOMPARE(Flags(w), Running);
        const auto startTick = w.Run->StartTick();
        f.clock.advance(500);
        QTest::mouseRelease(w.bSTART, Qt::LeftButton);
        QCOMPARE(w.Run->StartTick(), startTick); // the release started nothing again

        f.clock.advance(4500);
        QTest::mousePress(w.bSTOP2, Qt::RightButton); // any mouse button
        QCOMPARE(w.SortGrid1->Cells(Col::Turm2, 2), QString("5,00"));
        f.clock.advance(1000);
        QTest::mouseRelease(w.bSTOP2, Qt::RightButton);
        QCOMPARE(w.SortGrid1->Cells(Col::Turm2, 2), QString("5,00"));
        // STOP has no click: a click on a running STOP acts only through its press.
        QTest::mouseClick(w.bSTOP1, Qt::LeftButton);
        QCOMPARE(Flags(w), Finished);
        QTest::mousePress(w.bRESET, Qt::LeftButton);
        QCOMPARE(Flags(w), Ready);
        QTest::mouseRelease(w.bRESET, Qt::LeftButton);
    }

    void stop2BeforeStop1() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        f.Key(Qt::Key_F8);
        f.clock.advance(7000);
        f.Key(Qt::Key_F6);
        QVERIFY(w.bSTOP1->hasFocus());
        f.clock.advance(3000);
        w.ClockTimer();
        QCOMPARE(Digits(w.Digits1), QString("001000")); // track 1 still running
        QCOMPARE(Digits(w.Digits2), QString("000700")); // track 2 frozen
        f.Key(Qt::Key_F4);
        QCOMPARE(Flags(w), Finished);
    }

    void abortBeforeTheFirstStop() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        const int i1 = w.cbBuhn1->currentIndex(), i2 = w.cbBuhn2->currentIndex();
        f.Key(Qt::Key_F8);
        f.clock.advance(3000);
        w.ClockTimer();
        f.Key(Qt::Key_X, Qt::ControlModifier);
        QCOMPARE(Flags(w), Ready);
        QCOMPARE(Digits(w.Digits1), QString("000000"));
        QCOMPARE(w.cbBuhn1->currentIndex(), i1);
        QCOMPARE(w.cbBuhn2->currentIndex(), i2);
        QCOMPARE(w.SortGrid1->Cells(Col::Turm1, 1), QString());
        QCOMPARE(w.ImageLSstart->Tag, 1); // the start beam is armed for the repeat
        QCOMPARE(w.ImageLS1->Tag, 0);
        QVERIFY(w.Run->BeamArmed(BeamStart));
        QVERIFY(w.seObmen->isEnabled());
    }

    void autoResetMovesTheListsOnce() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(6));
        TFormMain& w = *f.w;
        w.Settings.AutoTime = 3000;
        w.ApplyAutoTime();
        QCOMPARE(w.cbAuto0->toolTip(), QString("Autoreset 3 Sek."));
        QVERIFY(w.cbAuto0->isChecked()); // on from the start, and the run follows the box
        f.Key(Qt::Key_F8);
        f.clock.advance(1000);
        f.Key(Qt::Key_F4);
        f.Key(Qt::Key_F6);
        f.clock.advance(3000);
        w.Run->Poll();
        QCOMPARE(Flags(w), Ready);
        QCOMPARE(w.cbBuhn1->currentIndex(), 1); // one RESET: the pair swapped once
        f.clock.advance(3000);
        w.Run->Poll();
        QCOMPARE(w.cbBuhn1->currentIndex(), 1);
    }

    void buttonsHiddenInOneTrackComeBack() {
        TWindowFixture f;
        f.Load(1, ParticipantRows(3));
        TFormMain& w = *f.w;
        QVERIFY(!w.bSTOP2->isVisibleTo(&w));
        w.SetVid(2);
        w.cbVidChange();
        QVERIFY(w.bSTOP2->isVisibleTo(&w));
        QCOMPARE(w.bSTOP1->text(), QString("STOP1"));
        QVERIFY(!w.mStop2->isEnabled());
    }

    void closingAsksWhileResultsAreAtStake_data() {
        QTest::addColumn<bool>("running");
        QTest::addColumn<bool>("modified");
        QTest::addColumn<bool>("answer");
        QTest::addColumn<bool>("asked");
        QTest::addColumn<bool>("closed");
        QTest::newRow("idle, saved") << false << false << false << false << true;
        QTest::newRow("running, no") << true << false << false << true << false;
        QTest::newRow("unsaved, no") << false << true << false << true << false;
        QTest::newRow("unsaved, yes") << false << true << true << true << true;
    }
    void closingAsksWhileResultsAreAtStake() {
        QFETCH(bool, running);
        QFETCH(bool, modified);
        QFETCH(bool, answer);
        QFETCH(bool, asked);
        QFETCH(bool, closed);
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        if (running) f.Key(Qt::Key_F8);
        w.Competition->SetModified(modified);
        f.dialogs.answers = {answer};
        QCOMPARE(w.close(), closed);
        QCOMPARE(f.dialogs.asked, asked ? QStringList{"Beenden?"} : QStringList{});
        QCOMPARE(w.IsRunning(), running); // a No leaves the clock alone
        if (running) w.IssueCommand(w.Abruch1);
        w.Competition->SetModified(false);
    }

    // The clock display: values, dimmed leading zeros and the colon's colour.
    void display_data() {
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("ms");
        QTest::addColumn<QString>("digits");
        QTest::addColumn<QString>("lit"); // Y yellow, d dim, for d0 d1 d2
        QTest::newRow("zero") << 1 << 0 << "000000"
                              << "ddd";
        QTest::newRow("9.99 s") << 1 << 9990 << "000999"
                                << "ddd";
        QTest::newRow("10 s") << 1 << 10000 << "001000"
                              << "ddY";
        QTest::newRow("60 s") << 1 << 60000 << "010000"
                              << "dYY";
        QTest::newRow("600 s") << 1 << 600000 << "100000"
                               << "YYY";
        QTest::newRow("100 minutes shows 0") << 1 << 6000000 << "000000"
                                             << "YYY";
        QTest::newRow("seconds 83.45") << 0 << 83456 << "008345"
                                       << "ddY";
        QTest::newRow("seconds 1234.5") << 0 << 1234560 << "123456"
                                        << "YYY";
        QTest::newRow("19 ms truncated") << 1 << 19 << "000001"
                                         << "ddd";
    }
    void display() {
        QFETCH(int, format);
        QFETCH(int, ms);
        QFETCH(QString, digits);
        QFETCH(QString, lit);
        TWindowFixture f(false);
        TFormMain& w = *f.w;
        w.SetTimeFormat(format);
        w.ShowTime(0, ms);
        QCOMPARE(Digits(w.Digits1), digits);
        for (int i = 0; i < 3; ++i)
            QCOMPARE(w.Digits1[i]->ColorOn(), lit[i] == 'Y' ? Colors::clYellow : Colors::clDimGrey);
        for (int i = 3; i < 6; ++i)
            QCOMPARE(w.Digits1[i]->ColorOn(), Colors::clYellow);
        QCOMPARE(w.LabMin1->palette().color(QPalette::WindowText),
                 ToQColor(w.Digits1[1]->ColorOn()));
        QCOMPARE(w.LabMin1->isVisibleTo(&w), format == 1);
        QCOMPARE(w.Digits1[0]->x(), format == 1 ? 8 : 32);
        QCOMPARE(w.Digits1[1]->x(), format == 1 ? 56 : 80);
    }
};

QTEST_MAIN(TestRunWindow)
#include "tst_runwindow.moc"
