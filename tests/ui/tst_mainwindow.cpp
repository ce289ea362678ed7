// The operator's window as the operator meets it: its regions for one and two towers, the
// protocol columns, the track colours, the date panel and calendar, the logo, the info box
// and the help.
#include "TestSupport.h"
#include "ui/FInfo.h"
#include "ui/FMain.h"
#include "ui/Help.h"
#include "ui/HelpWindow.h"
#include "ui/WindowLayout.h"
#include "widgets/BitBtnWithColor.h"
#include "widgets/QtColors.h"

#include <QCalendarWidget>
#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QStatusBar>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTimer>
#include <QToolButton>
#include <QTreeWidget>
#include <QtTest>

namespace {
const QDateTime Morning(QDate(2026, 12, 5), QTime(6, 5, 30));

// Whether a click at the middle of w would reach w (or something on it): nothing covers it.
bool OnTop(QWidget* w) {
    QWidget* top = w->window();
    const QPoint p = w->mapTo(top, w->rect().center());
    for (QWidget* hit = top->childAt(p); hit; hit = hit->parentWidget())
        if (hit == w) return true;
    return false;
}

QColor Fill(const QWidget* w) {
    return w->palette().color(QPalette::Window);
}

void Resize(TFormMain& w, int width) {
    w.resize(width, w.height());
    QCoreApplication::processEvents();
}
} // namespace

class TestMainWindow : public QObject {
    Q_OBJECT
private slots:
    void initTestCase() {
        QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
        SetWallClock([] { return Morning; });
    }
    void cleanupTestCase() { SetWallClock({}); }

    // --- regions ---------------------------------------------------------------------------
    void designSizes_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<QSize>("size"); // -1: that direction is not fixed by the design
        QTest::newRow("top bar") << "PanelTop" << QSize(-1, 85);
        QTest::newRow("upper strip") << "ImageTop" << QSize(-1, 32);
        QTest::newRow("selection row") << "Panel" << QSize(-1, 53);
        QTest::newRow("timer area") << "PanelTimer" << QSize(-1, 136);
        QTest::newRow("track 1 time") << "PanelT1" << QSize(350, 136);
        QTest::newRow("track 2 time") << "PanelT2" << QSize(350, 136);
        QTest::newRow("start part") << "Panel5" << QSize(-1, 67);
        QTest::newRow("START") << "bSTART" << QSize(183, 32);
        QTest::newRow("ABBRECHEN") << "bAbbruch" << QSize(-1, 32);
        QTest::newRow("colour square") << "Shape1" << QSize(25, 23);
        QTest::newRow("colour bar") << "Shape1a" << QSize(-1, 7);
        QTest::newRow("date panel") << "PanelDate" << QSize(222, 32);
        QTest::newRow("title bar") << "PanelTitle" << QSize(-1, 42);
        QTest::newRow("status bar") << "StatusBar1" << QSize(-1, 19);
        QTest::newRow("status panel 1") << "StatusPanel0" << QSize(50, -1);
        QTest::newRow("status panel 2") << "StatusPanel1" << QSize(208, -1);
        QTest::newRow("status panel 3") << "StatusPanel2" << QSize(50, -1);
    }
    void designSizes() {
        QFETCH(QString, name);
        QFETCH(QSize, size);
        TWindowFixture f;
        QCOMPARE(f.w->size(), QSize(893, 495));
        QCOMPARE(f.w->minimumHeight(), 382);
        auto* c = f.w->findChild<QWidget*>(name);
        QVERIFY2(c, qPrintable(name));
        if (size.width() >= 0) QCOMPARE(c->width(), size.width());
        if (size.height() >= 0) QCOMPARE(c->height(), size.height());
    }

    void towers_data() {
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("width");
        QTest::addColumn<QList<int>>("row");   // PanelLL, Panel1, PanelRR widths
        QTest::addColumn<QRect>("middle");     // Panel7
        QTest::addColumn<QList<int>>("stops"); // PanelLE, PanelRI widths
        QTest::addColumn<QString>("stopCaption");
        QTest::addColumn<QString>("dis1Caption");
        QTest::newRow("Paarrennen 893") << 2 << 893 << QList<int>{356, 181, 356}
                                        << QRect(350, 0, 193, 136) << QList<int>{94, 94} << "STOP1"
                                        << "1";
        QTest::newRow("Qualifikation 1150")
            << 0 << 1150 << QList<int>{485, 180, 485} << QRect(350, 0, 450, 136)
            << QList<int>{223, 223} << "STOP1"
            << "1";
        // One tower: the middle column keeps the bounds it had at 893 when the window grows.
        QTest::newRow("Individuelles 893")
            << 1 << 893 << QList<int>{545, 188, 160} << QRect(350, 0, 193, 136)
            << QList<int>{193, -1} << "STOP"
            << "";
        QTest::newRow("Individuelles 1150")
            << 1 << 1150 << QList<int>{802, 188, 160} << QRect(350, 0, 193, 136)
            << QList<int>{193, -1} << "STOP"
            << "";
    }
    void towers() {
        QFETCH(int, vid);
        QFETCH(int, width);
        QFETCH(QList<int>, row);
        QFETCH(QRect, middle);
        QFETCH(QList<int>, stops);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(vid, ParticipantRows(6));
        Resize(w, width);
        QCOMPARE(w.width(), width);
        QCOMPARE((QList<int>{w.PanelLL->width(), w.Panel1->width(), w.PanelRR->width()}), row);
        QCOMPARE(w.Panel7->geometry(), middle);
        QCOMPARE(w.PanelLE->width(), stops[0]);
        const bool two = stops[1] >= 0;
        QCOMPARE(w.PanelRI->isVisible(), two);
        if (two) QCOMPARE(w.PanelRI->width(), stops[1]);
        QFETCH(QString, stopCaption);
        QFETCH(QString, dis1Caption);
        QCOMPARE(w.bSTOP1->text(), stopCaption);
        QCOMPARE(w.sb1del->text(), dis1Caption);
        QCOMPARE(w.PanelT2->isVisible(), two);
        QCOMPARE(w.PanelTTT2->isVisible(), !two);
        for (QWidget* c : std::initializer_list<QWidget*>{
                 w.cbBuhn2, w.Shape2, w.Shape2a, w.LabelZabeg2, w.seObmen, w.sb2, w.sb2del})
            QCOMPARE(c->isVisible(), two);
        if (!two) QCOMPARE(w.PanelTTT2->geometry(), QRect(513, 0, width - 513, 136));
        // Both STOP buttons as wide, each 2 pixels inside its part.
        QCOMPARE(w.bSTOP2->width(), w.bSTOP1->width());
        QCOMPARE(w.bSTOP1->x(), 2);
        if (two) QCOMPARE(w.bSTOP2->geometry().right(), w.PanelRI->width() - 3);
        QCOMPARE(w.bAbbruch->geometry(), AbortGeometry(w.Panel7->width()));
    }

    void oneTowerCommandsCanBeSeen_data() {
        QTest::addColumn<QString>("state");
        QTest::newRow("ready") << "ready";
        QTest::newRow("running") << "running";
        QTest::newRow("finished") << "finished";
    }
    void oneTowerCommandsCanBeSeen() {
        // The sky-blue filler lies behind the middle column: START, STOP and ABBRECHEN stay
        // visible with their captions in every state.
        QFETCH(QString, state);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(1, ParticipantRows(3));
        if (state != "ready") f.Key(Qt::Key_F8);
        if (state == "finished") f.Key(Qt::Key_F4);
        for (TBitBtnWithColor* b : {w.bSTART, w.bSTOP1, w.bAbbruch}) {
            QVERIFY2(b->isVisible(), qPrintable(b->objectName()));
            QVERIFY2(OnTop(b), qPrintable(b->objectName()));
            QVERIFY(b->width() >= 100 && b->height() == 32);
            QVERIFY(!b->text().isEmpty());
        }
        QVERIFY(!w.bSTOP2->isVisible());
        QCOMPARE(w.bAbbruch->isEnabled(), state == "running");
        QCOMPARE(w.bSTOP1->isEnabled(), state == "running");
        // The filler covers the timer area right of the middle column.
        const QPoint right(w.Panel7->geometry().right() + 20, 60);
        QCOMPARE(w.PanelTimer->childAt(right), w.PanelTTT2);
    }

    void switchingTowersBackAndForth() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(2, ParticipantRows(6));
        w.SetVid(1);
        w.cbVidChange();
        Resize(w, 1150);
        QCOMPARE(w.Panel7->geometry(), QRect(350, 0, 193, 136)); // kept while one tower
        w.SetVid(2);
        w.cbVidChange();
        QCOMPARE(w.Panel7->geometry(), QRect(350, 0, 450, 136)); // docked again
        QCOMPARE(w.PanelLE->width(), 223);
        QCOMPARE(w.PanelRI->width(), 223);
        QCOMPARE(w.bSTOP1->text(), QString("STOP1"));
        QCOMPARE(w.sb1del->text(), QString("1"));
        QVERIFY(w.bSTOP2->isVisible());
        QVERIFY(!w.bSTOP2->isEnabled());
        QVERIFY(!w.mStop2->isEnabled());
        QCOMPARE(w.bSTOP2->FaceColor(), ToQColor(Colors::clBtnFace));
        QVERIFY(!w.PanelTTT2->isVisible());
    }

    // --- protocol columns --------------------------------------------------------------------
    void columns_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<int>("format");
        QTest::addColumn<int>("runs");
        for (int width : {893, 1150})
            for (int format : {0, 1})
                for (int runs = 1; runs <= 6; ++runs)
                    QTest::addRow("%d %s %d runs", width, format ? "MM:SS,ss" : "SSSS,ss", runs)
                        << width << format << runs;
    }
    void columns() {
        QFETCH(int, width);
        QFETCH(int, format);
        QFETCH(int, runs);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(2, ParticipantRows(3));
        w.Settings.CountZabegov = runs;
        w.SetTimeFormat(format);
        Resize(w, width);
        w.LayoutWindow();
        const int client = w.SortGrid1->ClientWidth();
        QVERIFY(client > 800 && client <= width);
        const int T = format ? 87 : 76;
        for (int c = Col::Turm1; c <= Col::Turm6; ++c)
            QCOMPARE(w.SortGrid1->ColWidths(c), c - Col::Turm1 < runs ? T : -1);
        const auto expected = ProtocolColumnWidths(client, format, runs);
        int used = 0;
        for (int c = 0; c < Col::Count; ++c) {
            QCOMPARE(w.SortGrid1->ColWidths(c), expected[size_t(c)]);
            if (expected[size_t(c)] >= 0) used += expected[size_t(c)] + 1;
        }
        // The visible columns fill the grid, or (no room for "Ort") the grid scrolls sideways.
        if (expected[Col::Ort] > 0)
            QCOMPARE(used, client);
        else
            QVERIFY(w.SortGrid1->horizontalScrollBar()->maximum() > 0);
    }

    // --- track colours -------------------------------------------------------------------
    void trackColour_data() {
        QTest::addColumn<int>("track");
        QTest::addColumn<int>("button");
        QTest::addColumn<bool>("ok");
        QTest::newRow("track 1, left button, OK") << 0 << int(Qt::LeftButton) << true;
        QTest::newRow("track 2, right button, OK") << 1 << int(Qt::RightButton) << true;
        QTest::newRow("track 1, Cancel") << 0 << int(Qt::LeftButton) << false;
        QTest::newRow("track 2, middle button, Cancel") << 1 << int(Qt::MiddleButton) << false;
    }
    void trackColour() {
        QFETCH(int, track);
        QFETCH(int, button);
        QFETCH(bool, ok);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(2, ParticipantRows(4));
        const TColor before = w.TrackColor(track), other = w.TrackColor(1 - track);
        const TColor chosen = 0x00336699;
        if (ok) f.dialogs.colourAnswers << chosen;
        QFrame* square = track == 0 ? w.Shape1 : w.Shape2;
        QFrame* bar = track == 0 ? w.Shape1a : w.Shape2a;
        QTest::mousePress(square, Qt::MouseButton(button));
        QCOMPARE(f.dialogs.colourPresets, QList<TColor>{before});
        const TColor now = ok ? chosen : before;
        QCOMPARE(w.TrackColor(track), now);
        QCOMPARE(Fill(square), ToQColor(now));
        QCOMPARE(Fill(bar), ToQColor(now));
        QCOMPARE(w.TrackColor(1 - track), other);
        // The grid marks the track's participant with the track's colour.
        QComboBox* list = track == 0 ? w.cbBuhn1 : w.cbBuhn2;
        const int trackRow = list->currentIndex() + 1;
        TFormatOptions fmt;
        w.SortGrid1GetCellFormat(Col::StNr, trackRow, fmt);
        QCOMPARE(fmt.BrushColor, ToQColor(now));
        QVERIFY(!w.Competition->Modified());
    }

    // --- date panel and calendar ---------------------------------------------------------
    void datePanel() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        QCOMPARE(w.PanelDate->text(), QString("05.12.2026   06:05"));
        QVERIFY(w.TimerDate->isActive());
        QCOMPARE(w.TimerDate->interval(), 5000);
        QCOMPARE(w.PanelDate->cursor().shape(), Qt::PointingHandCursor);
        SetWallClock([] { return Morning.addSecs(60); });
        QMetaObject::invokeMethod(w.TimerDate, "timeout");
        QCOMPARE(w.PanelDate->text(), QString("05.12.2026   06:06"));
        SetWallClock([] { return Morning; });
        QCOMPARE(w.MonthCalendar1->selectedDate(), Morning.date());
        QCOMPARE(w.MonthCalendar1->verticalHeaderFormat(), QCalendarWidget::ISOWeekNumbers);
    }

    void calendar_data() {
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("closeBy");
        QTest::newRow("893, close button") << 893 << "bCalClose";
        QTest::newRow("1150, caption") << 1150 << "LabelCalClose";
    }
    void calendar() {
        QFETCH(int, width);
        QFETCH(QString, closeBy);
        TWindowFixture f;
        TFormMain& w = *f.w;
        f.Load(2, ParticipantRows(4));
        Resize(w, width);
        QVERIFY(!w.PanelCal->isVisible());
        QTest::mouseClick(w.PanelDate, Qt::LeftButton);
        QVERIFY(w.PanelCal->isVisible());
        const QRect at(width - 222 - 214 + 144, 0, 214, 257);
        QCOMPARE(w.PanelCal->geometry(), at);
        QVERIFY(OnTop(w.PanelCal));
        // A second click only places it again; choosing a day changes nothing.
        QTest::mouseClick(w.PanelDate, Qt::LeftButton);
        QCOMPARE(w.PanelCal->geometry(), at);
        const QString dateText = w.PanelDate->text();
        w.MonthCalendar1->setSelectedDate(Morning.date().addDays(3));
        emit w.MonthCalendar1->clicked(Morning.date().addDays(3));
        emit w.MonthCalendar1->activated(Morning.date().addDays(3));
        QVERIFY(w.PanelCal->isVisible());
        QCOMPARE(w.PanelDate->text(), dateText);
        QVERIFY(!w.Competition->Modified());
        QTest::mouseClick(w.PanelCal->findChild<QWidget*>(closeBy), Qt::LeftButton);
        QVERIFY(!w.PanelCal->isVisible());
    }

    // --- logo --------------------------------------------------------------------------------
    void logo_data() {
        QTest::addColumn<QString>("label");
        QTest::addColumn<bool>("opens");
        QTest::newRow("first word") << "LabelLogo1" << true;
        QTest::newRow("second word") << "LabelLogo2" << true;
        QTest::newRow("third word") << "LabelLogo3" << true;
        QTest::newRow("shadow of the last word") << "LabelLogoShadow3" << true;
        QTest::newRow("shadow of the first word") << "LabelLogoShadow1" << false;
    }
    void logo() {
        QFETCH(QString, label);
        QFETCH(bool, opens);
        TWindowFixture f;
        auto* l = f.w->findChild<QLabel*>(label);
        QVERIFY(l);
        QCOMPARE(l->cursor().shape() == Qt::PointingHandCursor, opens);
        QTest::mouseClick(l, Qt::LeftButton);
        QCOMPARE(f.dialogs.shellOpened.size(), opens ? 1 : 0);
        if (opens) QVERIFY(f.dialogs.shellOpened[0].startsWith("http://"));
    }

    void logoWordsAndShadows() {
        // Three words in red, green and navy, each over a black copy two pixels lower and one
        // or two pixels further right.
        TWindowFixture f;
        const QColor colours[3] = {QColor(255, 0, 0), QColor(0, 128, 0), QColor(0, 0, 128)};
        for (int i = 0; i < 3; ++i) {
            QLabel* word = f.w->LabelLogo[size_t(i)];
            QLabel* shadow = f.w->LabelLogoShadow[size_t(i)];
            QCOMPARE(word->text(), shadow->text());
            QCOMPARE(word->palette().color(QPalette::WindowText), colours[i]);
            QCOMPARE(shadow->palette().color(QPalette::WindowText), QColor(Qt::black));
            QCOMPARE(shadow->y() - word->y(), 2);
            const int dx = shadow->x() - word->x();
            QVERIFY(dx == 1 || dx == 2);
            QCOMPARE(word->font().pixelSize(), 27);
            QVERIFY(word->font().bold());
        }
    }

    // --- buttons -----------------------------------------------------------------------------
    void buttonsShowPictures() {
        // No button of the window shows a placeholder letter instead of a picture.
        TWindowFixture f;
        for (QToolButton* b : f.w->findChildren<QToolButton*>()) {
            if (b == f.w->Button1 || b == f.w->Button2) continue; // hidden test buttons
            if (b->parent() && b->parent()->inherits("QCalendarWidget")) continue;
            if (b->objectName().startsWith("qt_")) continue;
            QVERIFY2(!b->icon().isNull(), qPrintable(b->objectName()));
            const QString t = b->text();
            QVERIFY2(!(t.size() == 1 && t[0].isLetter()), qPrintable(b->objectName()));
        }
    }

    // --- info box ------------------------------------------------------------------------------
    void infoBox_data() {
        QTest::addColumn<QString>("open");
        QTest::addColumn<QString>("close");
        QTest::newRow("F3, Esc") << "F3"
                                 << "Esc";
        QTest::newRow("button, Einverstanden") << "button"
                                               << "Einverstanden";
    }
    void infoBox() {
        QFETCH(QString, open);
        QFETCH(QString, close);
        TWindowFixture f;
        TFormMain& w = *f.w;
        TFormInfo* info = w.FormInfo;
        bool modal = false, closed = false;
        QPoint offCentre;
        QTimer::singleShot(0, &w, [&] {
            modal = QApplication::activeModalWidget() == info;
            offCentre = info->frameGeometry().center() - w.frameGeometry().center();
            QTest::mouseClick(info->ImagePicture, Qt::LeftButton);
            QTest::mouseClick(info->LabelLink, Qt::LeftButton);
            if (close == "Esc")
                QTest::keyClick(info, Qt::Key_Escape);
            else
                QTest::mouseClick(info->bOK, Qt::LeftButton);
            closed = !info->isVisible();
            if (!closed) info->reject(); // never leave the test waiting in the box
        });
        if (open == "F3")
            f.Key(Qt::Key_F3);
        else
            QTest::mouseClick(w.bInfo, Qt::LeftButton);
        QVERIFY(modal);
        QVERIFY(closed);
        QVERIFY2(qAbs(offCentre.x()) <= 1 && qAbs(offCentre.y()) <= 1,
                 qPrintable(QString("%1,%2").arg(offCentre.x()).arg(offCentre.y())));
        QCOMPARE(f.dialogs.shellOpened, (QStringList{QString(ContactPage), QString(ContactPage)}));
        QCOMPARE(info->windowTitle(), QString("Info"));
        QCOMPARE(info->LabelProduct->text(), QString("Veltaro"));
        QCOMPARE(info->LabelVersion->text(), QString("Version 1.9 (24.02.2010)"));
        QCOMPARE(info->bOK->text(), QString("Einverstanden"));
        QVERIFY(info->MemoInfo->isReadOnly());
        QVERIFY(info->MemoInfo->toPlainText().contains("DCD"));
        QCOMPARE(info->minimumSize(), info->maximumSize()); // a fixed dialog
    }

#ifndef Q_OS_WIN
    // --- help ----------------------------------------------------------------------------------
    void helpRequests_data() {
        QTest::addColumn<QString>("request");
        QTest::addColumn<QString>("argument");
        QTest::addColumn<bool>("expectShown");
        QTest::addColumn<QString>("page");
        QTest::newRow("contents") << "contents"
                                  << "" << true << "start.html";
        QTest::newRow("topic") << "topic"
                               << "tasten.html" << true << "tasten.html";
        QTest::newRow("topic with anchor") << "topic"
                                           << "ablauf.html#reset" << true << "ablauf.html#reset";
        QTest::newRow("index, exact keyword") << "index"
                                              << "Paarrennen" << true << "wettkampfarten.html";
        QTest::newRow("index, case ignored") << "index"
                                             << "zuschauerfenster" << true << "zuschauer.html";
        QTest::newRow("context") << "context"
                                 << "41" << true << "protokoll.html#dis";
        QTest::newRow("unknown topic") << "topic"
                                       << "fehlt.html" << false << "";
        QTest::newRow("topic outside the manual") << "topic"
                                                  << "../veltaro.qrc" << false << "";
        QTest::newRow("unknown context") << "context"
                                         << "999" << false << "";
        QTest::newRow("unknown keyword") << "index"
                                         << "Xylophon" << false << "";
    }
    void helpRequests() {
        QFETCH(QString, request);
        QFETCH(QString, argument);
        QFETCH(QString, page);
        TWindowFixture f;
        THelp& help = *f.w->Help;
        bool shown = false;
        if (request == "contents") shown = help.Contents();
        if (request == "topic") shown = help.Topic(argument);
        if (request == "index") shown = help.Index(argument);
        if (request == "context") shown = help.Context(argument.toInt());
        QFETCH(bool, expectShown);
        QCOMPARE(shown, expectShown);
        if (shown) {
            QVERIFY(help.Window()->isVisible());
            QCOMPARE(help.Window()->CurrentPage(), page);
            QVERIFY(!help.Window()->Browser->toPlainText().isEmpty());
        }
    }

    void helpFromF1AndButton_data() {
        QTest::addColumn<bool>("byKey");
        QTest::newRow("F1") << true;
        QTest::newRow("bHelp") << false;
    }
    void helpFromF1AndButton() {
        QFETCH(bool, byKey);
        TWindowFixture f;
        QVERIFY(f.w->bHelp->isEnabled());
        if (byKey)
            f.Key(Qt::Key_F1);
        else
            QTest::mouseClick(f.w->bHelp, Qt::LeftButton);
        THelpWindow* h = f.w->Help->Window();
        QVERIFY(h && h->isVisible());
        QCOMPARE(h->CurrentPage(), QString("start.html"));
        QCOMPARE(h->Tabs->currentIndex(), 0);
        // The contents lead to their pages; the index filters as the operator types.
        const auto items = h->TreeContents->findItems("Tastenübersicht", Qt::MatchExactly);
        QCOMPARE(items.size(), 1);
        h->TreeContents->scrollToItem(items[0]);
        QTest::mouseClick(h->TreeContents->viewport(), Qt::LeftButton, {},
                          h->TreeContents->visualItemRect(items[0]).center());
        QCOMPARE(h->CurrentPage(), QString("tasten.html"));
        h->Tabs->setCurrentIndex(1);
        QTest::keyClicks(h->EditIndex, "sperr");
        int visible = 0;
        for (int i = 0; i < h->ListIndex->count(); ++i)
            if (!h->ListIndex->item(i)->isHidden()) {
                ++visible;
                QVERIFY(h->ListIndex->item(i)->text().contains("sperr", Qt::CaseInsensitive));
            }
        QVERIFY(visible >= 1);
        QTest::keyClick(h->EditIndex, Qt::Key_Return);
        QVERIFY(h->CurrentPage() != "tasten.html");
        QVERIFY(f.dialogs.messages.isEmpty());
    }

    void missingHelp() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        w.Help->setHelpFile(f.dir.filePath("keine-hilfe"));
        w.UpdateHelpButton();
        QVERIFY(!w.bHelp->isEnabled());
        f.Key(Qt::Key_F1); // the key still asks
        QCOMPARE(f.dialogs.messages.size(), 1);
        QVERIFY(f.dialogs.messages[0].contains("keine-hilfe"));
        QVERIFY(!w.Help->Window());
        QVERIFY(!w.Help->Topic("start.html"));
    }

    void helpFromAFolder() {
        // The same viewer shows pages from a folder on disk, and an empty contents list is no help.
        TWindowFixture f;
        QDir d(f.dir.path());
        d.mkdir("manual");
        auto write = [&](const QString& name, const QByteArray& text) {
            QFile file(d.filePath("manual/" + name));
            QVERIFY(file.open(QIODevice::WriteOnly));
            file.write(text);
        };
        write("contents.tsv", "1\t0\tErste Seite\teins.html\n");
        write("eins.html", "<html><body><p>Erste Seite</p></body></html>");
        f.w->Help->setHelpFile(d.filePath("manual"));
        QVERIFY(f.w->Help->Exists());
        QVERIFY(f.w->Help->Contents());
        QCOMPARE(f.w->Help->Window()->CurrentPage(), QString("eins.html"));
        QVERIFY(f.w->Help->Window()->Browser->toPlainText().contains("Erste Seite"));
        write("contents.tsv", "# nothing\n");
        f.w->Help->setHelpFile(d.path()); // no contents file here at all
        QVERIFY(!f.w->Help->Contents());
        f.w->Help->setHelpFile(d.filePath("manual"));
        QVERIFY(f.w->Help->Exists());
        QVERIFY(!f.w->Help->Contents()); // a contents file without entries shows nothing
    }
#endif
};

QTEST_MAIN(TestMainWindow)
#include "tst_mainwindow.moc"
