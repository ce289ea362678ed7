// The settings dialog: its port list, what it shows when it opens, which controls the chosen
// port enables, and what OK does with the port, the layout and the other settings.
#include "input/Comms.h"
#include "input/PortInfo.h"
#include "OffscreenScreens.h"
#include "TestSupport.h"
#include "ui/Cfg.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "widgets/BeamImage.h"
#include "widgets/SortGrid.h"

#include <QCheckBox>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QToolButton>
#include <QtTest>

namespace {
// A port whose device cannot be opened: unplugged, or held by another program.
class TRefusingDevice : public IComDevice {
public:
    void open() override { throw EComHandle("Device or resource busy"); }
    void configure(const TComSettings&) override {}
    void setEventMask(std::uint32_t) override {}
    TWait wait(std::uint32_t&) override { return TWait::Stopped; }
    void wake() override {}
    bool modemStatus(std::uint32_t&) override { return false; }
    int inQue() override { return 0; }
    void purgeInput() override {}
    void close() override {}
};

quint32 Mask(const QList<int>& ports) {
    return MakePortMask([&](int n) { return ports.contains(n); });
}

QStringList Entries(const QComboBox* box) {
    QStringList s;
    for (int i = 0; i < box->count(); ++i)
        s << box->itemText(i);
    return s;
}

// A window with the settings dialog whose port list holds the given ports, a stored port, a
// mode with participants, and a contact port that counts what is done to it.
struct TCfgFixture {
    TWindowFixture f;
    int openCalls = 0, opened = 0, closed = 0;
    bool refuse = false;
    std::shared_ptr<TSimComLines> lines = std::make_shared<TSimComLines>();

    TCfgFixture(const QList<int>& ports, int storedPort, int vid = 2) {
        TFormMain& w = *f.w;
        f.Load(vid, ParticipantRows(4));
        w.CfgDialog->FillPortList(Mask(ports));
        const auto sim = SimulatedDeviceFactory(lines);
        w.ComPort->setDeviceFactory([this, sim](int port) -> std::unique_ptr<IComDevice> {
            ++openCalls;
            if (refuse) return std::make_unique<TRefusingDevice>();
            return sim(port);
        });
        w.ComPort->setPort(quint8(storedPort));
        QObject::connect(w.ComPort, &TComPort::OnOpen, [this] { ++opened; });
        QObject::connect(w.ComPort, &TComPort::OnClose, [this] { ++closed; });
    }
    TCfgDialog& d() { return *f.w->CfgDialog; }
    // F2, then the operator changes what edit changes and presses OK (or Cancel).
    void Settings(const std::function<void(TCfgDialog&)>& edit, bool ok = true) {
        f.dialogs.onModal = [&, ok](QDialog& dialog) {
            auto& cfg = static_cast<TCfgDialog&>(dialog);
            if (edit) edit(cfg);
            return ok ? int(QDialog::Accepted) : int(QDialog::Rejected);
        };
        const int before = f.dialogs.modalRuns;
        f.Key(Qt::Key_F2);
        QCOMPARE(f.dialogs.modalRuns, before + 1);
    }
};

int CountColour(const QImage& image, const std::function<bool(QColor)>& match) {
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (match(image.pixelColor(x, y))) ++n;
    return n;
}
bool Reddish(QColor c) {
    return c.red() > 150 && c.green() < 80 && c.blue() < 80;
}
} // namespace

class TestCfgDialog : public QObject {
    Q_OBJECT
private slots:
    void init() { SetOffscreenScreens({QRect(0, 0, 1280, 1024)}); }

    // --- the port list --------------------------------------------------------------------
    void portList_data() {
        QTest::addColumn<QList<int>>("ports");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("no port found") << QList<int>{} << QStringList{"Keine"} << false;
        QTest::newRow("one port") << QList<int>{4} << QStringList{"Keine", "COM4"} << true;
        QTest::newRow("rising, gaps left out")
            << QList<int>{16, 1, 9} << QStringList{"Keine", "COM1", "COM9", "COM16"} << true;
    }
    void portList() {
        QFETCH(QList<int>, ports);
        QFETCH(QStringList, entries);
        QFETCH(bool, enabled);
        TCfgFixture t(ports, 0);
        t.Settings({}, false);
        QCOMPARE(Entries(t.d().cbPort), entries);
        QCOMPARE(t.d().cbPort->isEnabled(), enabled);
        QCOMPARE(t.d().labPort->isEnabled(), enabled);
    }

    // --- what the dialog shows when it opens ----------------------------------------------
    void shownPort_data() {
        QTest::addColumn<QList<int>>("ports");
        QTest::addColumn<int>("stored");
        QTest::addColumn<QString>("shown");
        QTest::newRow("stored port listed") << QList<int>{1, 3, 5} << 3 << "COM3";
        QTest::newRow("no port stored") << QList<int>{1, 3} << 0 << "Keine";
        QTest::newRow("stored port gone: the last listed") << QList<int>{1, 3} << 7 << "COM3";
        QTest::newRow("stored port gone, none found") << QList<int>{} << 2 << "Keine";
    }
    void shownPort() {
        QFETCH(QList<int>, ports);
        QFETCH(int, stored);
        QFETCH(QString, shown);
        TCfgFixture t(ports, stored);
        QString seen;
        t.Settings([&](TCfgDialog& d) { seen = d.cbPort->currentText(); }, false);
        QCOMPARE(seen, shown);
    }

    // The polarities, their labels and the lock-out follow the port; the third contact also
    // needs a second track.
    void portEnables_data() {
        QTest::addColumn<int>("vid");
        QTest::addColumn<QString>("port");
        QTest::addColumn<QString>("enabled"); // alg1 alg2 alg3 timeout
        QTest::newRow("Keine, two tracks") << 2 << "Keine"
                                           << "0000";
        QTest::newRow("a port, two tracks") << 2 << "COM2"
                                            << "1111";
        QTest::newRow("a port, one track") << 1 << "COM2"
                                           << "1101";
        QTest::newRow("Keine, one track") << 1 << "Keine"
                                          << "0000";
        QTest::newRow("a port, Qualifikation") << 0 << "COM2"
                                               << "1111";
    }
    void portEnables() {
        QFETCH(int, vid);
        QFETCH(QString, port);
        QFETCH(QString, enabled);
        TCfgFixture t({2}, 0, vid);
        QString controls, labels;
        t.Settings(
            [&](TCfgDialog& d) {
                d.cbPort->setCurrentText(port);
                for (QWidget* w : {(QWidget*)d.cbAlg1, (QWidget*)d.cbAlg2, (QWidget*)d.cbAlg3,
                                   (QWidget*)d.seTimeout})
                    controls += w->isEnabled() ? '1' : '0';
                for (QLabel* l : {d.labAlg1, d.labAlg2, d.labAlg3, d.labTimeout})
                    labels += l->isEnabled() ? '1' : '0';
            },
            false);
        QCOMPARE(controls, enabled);
        QCOMPARE(labels, enabled);
    }

    // --- OK and the port ------------------------------------------------------------------
    void okPort_data() {
        QTest::addColumn<QList<int>>("ports");
        QTest::addColumn<int>("stored");
        QTest::addColumn<bool>("openFirst"); // the port was opened before the dialog
        QTest::addColumn<bool>("refuse");    // opening the chosen port fails
        QTest::addColumn<QString>("choice");
        QTest::addColumn<int>("openCalls");
        QTest::addColumn<int>("closes");
        QTest::addColumn<int>("port");
        QTest::addColumn<bool>("connected");
        QTest::newRow("another port")
            << QList<int>{1, 3} << 1 << true << false << "COM3" << 1 << 1 << 3 << true;
        QTest::newRow("the same port again")
            << QList<int>{1, 3} << 3 << true << false << "COM3" << 0 << 0 << 3 << true;
        QTest::newRow("the same port again, its open had failed")
            << QList<int>{1, 3} << 3 << false << true << "COM3" << 0 << 0 << 3 << false;
        QTest::newRow("Keine closes")
            << QList<int>{1, 3} << 3 << true << false << "Keine" << 0 << 1 << 0 << false;
        QTest::newRow("stored port gone: OK opens the last listed")
            << QList<int>{1, 3} << 8 << false << false << "" << 1 << 0 << 3 << true;
        QTest::newRow("a failed open is swallowed, the number kept")
            << QList<int>{1, 3} << 1 << true << true << "COM3" << 1 << 1 << 3 << false;
        QTest::newRow("first port, two digits")
            << QList<int>{12} << 0 << false << false << "COM12" << 1 << 0 << 12 << true;
    }
    void okPort() {
        QFETCH(QList<int>, ports);
        QFETCH(int, stored);
        QFETCH(bool, openFirst);
        QFETCH(bool, refuse);
        QFETCH(QString, choice);
        QFETCH(int, openCalls);
        QFETCH(int, closes);
        QFETCH(int, port);
        QFETCH(bool, connected);
        TCfgFixture t(ports, stored);
        if (openFirst) t.f.w->ComPort->Open();
        t.openCalls = 0;
        t.refuse = refuse;
        t.Settings([&](TCfgDialog& d) {
            if (!choice.isEmpty()) d.cbPort->setCurrentText(choice);
        });
        QCOMPARE(t.openCalls, openCalls);
        QCOMPARE(t.closed, closes);
        QCOMPARE(int(t.f.w->ComPort->Port()), port);
        QCOMPARE(t.f.w->Settings.Port, port);
        QCOMPARE(t.f.w->ComPort->Connected(), connected);
        // The beam pictures are the operator's only sign of an open port.
        QCOMPARE(t.f.w->ImageLSstart->isVisibleTo(t.f.w.get()), connected);
    }

    // The polarities are taken with a port; "Keine" keeps the earlier ones.
    void okPolarity_data() {
        QTest::addColumn<QString>("choice");
        QTest::addColumn<QString>("stored"); // Alg1 Alg2 Alg3 after OK
        QTest::newRow("with a port") << "COM2"
                                     << "101";
        QTest::newRow("Keine keeps them") << "Keine"
                                          << "010";
    }
    void okPolarity() {
        QFETCH(QString, choice);
        QFETCH(QString, stored);
        TCfgFixture t({2}, 2);
        auto& s = t.f.w->Settings;
        s.Alg1 = 0, s.Alg2 = 1, s.Alg3 = 0;
        t.Settings([&](TCfgDialog& d) {
            d.cbPort->setCurrentText(choice);
            d.cbAlg1->setCurrentIndex(1);
            d.cbAlg2->setCurrentIndex(0);
            d.cbAlg3->setCurrentIndex(1);
        });
        QCOMPARE(QString("%1%2%3").arg(s.Alg1).arg(s.Alg2).arg(s.Alg3), stored);
    }

    // --- the other settings ---------------------------------------------------------------
    // Seconds in the dialog, milliseconds in the settings; Cancel leaves no trace. A heat a
    // start contact began while the dialog was open runs on unchanged: OK takes effect at
    // its RESET.
    void values_data() {
        QTest::addColumn<bool>("ok");
        QTest::addColumn<bool>("started");
        QTest::newRow("OK") << true << false;
        QTest::newRow("Cancel") << false << false;
        QTest::newRow("OK during a heat") << true << true;
    }
    void values() {
        QFETCH(bool, ok);
        QFETCH(bool, started);
        TCfgFixture t({}, 0);
        TSettings& s = t.f.w->Settings;
        s.TimerGesperrt = 12000, s.AutoTime = 7000, s.CountZabegov = 3, s.KlassCol = 2;
        t.f.w->SetTimeFormat(1);
        t.f.w->ApplyAutoTime();
        QString shown;
        t.Settings(
            [&](TCfgDialog& d) {
                shown = QString("%1 %2 %3 %4 %5")
                            .arg(d.seTimeout->value())
                            .arg(d.seAuto0->value())
                            .arg(d.seZabegov->value())
                            .arg(d.seKlass->value())
                            .arg(d.cbTimeFormat->currentText());
                d.seTimeout->setValue(25);
                d.seAuto0->setValue(9);
                d.seZabegov->setValue(5);
                d.seKlass->setValue(4);
                d.cbTimeFormat->setCurrentIndex(0);
                if (started) t.f.w->StartAt(TickCount());
            },
            ok);
        QCOMPARE(shown, QString("12 7 3 2 MM:SS,ss"));
        auto after = [&] {
            return QString("%1 %2 %3 %4 %5")
                .arg(s.TimerGesperrt)
                .arg(s.AutoTime)
                .arg(s.CountZabegov)
                .arg(s.KlassCol)
                .arg(s.TimeFormat);
        };
        if (started) {
            QCOMPARE(after(), QString("12000 7000 3 2 1"));
            QVERIFY(t.f.w->StatusNote->text().contains("RESET"));
            t.f.clock.advance(9000);
            for (int key : {Qt::Key_F4, Qt::Key_F6, Qt::Key_F9})
                t.f.Key(key);
            QCOMPARE(t.f.w->SortGrid1->Cells(Col::Turm2, 2), QString("9,00")); // old format
            QVERIFY(t.f.w->StatusNote->text().isEmpty());
        }
        QCOMPARE(after(), ok ? QString("25000 9000 5 4 0") : QString("12000 7000 3 2 1"));
        QCOMPARE(t.f.w->cbAuto0->toolTip(),
                 ok ? QString("Autoreset 9 Sek.") : QString("Autoreset 7 Sek."));
        // The layout follows: five run columns shown, the sixth hidden; no minute separator.
        QCOMPARE(t.f.w->SortGrid1->ColWidths(Col::Turm1 + 4) > 0, ok);
        QCOMPARE(t.f.w->SortGrid1->ColWidths(Col::Turm1 + 5), -1);
        QCOMPARE(t.f.w->LabMin1->isVisibleTo(t.f.w.get()), !ok);
    }

    // A title the operator cleared in the protocol comes back on OK.
    void clearedTitle_data() {
        QTest::addColumn<int>("col");
        QTest::addColumn<QString>("cleared");
        QTest::newRow("name, empty") << 1 << "";
        QTest::newRow("time, blanks") << int(Col::Zeit) << "   ";
    }
    void clearedTitle() {
        QFETCH(int, col);
        QFETCH(QString, cleared);
        TCfgFixture t({}, 0);
        const QString title = t.f.w->SortGrid1->Cells(col, 0);
        QVERIFY(!title.trimmed().isEmpty());
        t.f.w->SortGrid1->setCells(col, 0, cleared);
        t.Settings({}, false);
        QCOMPARE(t.f.w->SortGrid1->Cells(col, 0), cleared);
        t.Settings({});
        QCOMPARE(t.f.w->SortGrid1->Cells(col, 0), title);
    }

    // "Auf allen Strecken" only with one track and more than one run.
    void allTracksBox_data() {
        QTest::addColumn<int>("vid");
        QTest::addColumn<int>("runs");
        QTest::addColumn<bool>("visible");
        QTest::newRow("one track, two runs") << 1 << 2 << true;
        QTest::newRow("one track, one run") << 1 << 1 << false;
        QTest::newRow("two tracks") << 2 << 4 << false;
    }
    void allTracksBox() {
        QFETCH(int, vid);
        QFETCH(int, runs);
        QFETCH(bool, visible);
        TCfgFixture t({}, 0, vid);
        t.Settings([&](TCfgDialog& d) { d.seZabegov->setValue(runs); });
        QCOMPARE(t.f.w->cbAllTrasse->isVisibleTo(t.f.w.get()), visible);
    }

    // --- the audience window's display ----------------------------------------------------
    void monitor_data() {
        QTest::addColumn<QList<QRect>>("screens");
        QTest::addColumn<QStringList>("entries");
        QTest::addColumn<bool>("enabled");
        QTest::newRow("one display")
            << QList<QRect>{QRect(0, 0, 1280, 1024)} << QStringList{"nicht angeschlossen"} << false;
        QTest::newRow("a TV to the right")
            << QList<QRect>{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1024, 768)}
            << QStringList{"1=(0,0)-(1280,1024)", "2=(1280,0)-(1024,768)"} << true;
    }
    void monitor() {
        QFETCH(QList<QRect>, screens);
        QFETCH(QStringList, entries);
        QFETCH(bool, enabled);
        if (!SetOffscreenScreens(screens)) QSKIP("this platform cannot change its screens");
        TCfgFixture t({}, 0);
        TFormMonitor2 monitor(t.f.w.get());
        t.f.w->FormMonitor2 = &monitor;
        QStringList shown;
        bool on = false;
        t.Settings([&](TCfgDialog& d) {
            shown = Entries(d.cbMonitor);
            on = d.cbMonitor->isEnabled() && d.labMonitor->isEnabled();
            d.cbMonitor->setCurrentIndex(d.cbMonitor->count() - 1);
        });
        QCOMPARE(shown, entries);
        QCOMPARE(on, enabled);
        const int chosen = int(entries.size()) - 1;
        QCOMPARE(t.f.w->Settings.Monitor, chosen);
        // The audience window has moved to the chosen display.
        QCOMPARE(monitor.geometry(), screens[chosen]);
        t.f.w->FormMonitor2 = nullptr;
    }

    // --- keys and state -------------------------------------------------------------------
    void opensOnlyWhenReady_data() {
        QTest::addColumn<bool>("running");
        QTest::addColumn<int>("runs");
        QTest::newRow("ready") << false << 1;
        QTest::newRow("during a run") << true << 0;
    }
    void opensOnlyWhenReady() {
        QFETCH(bool, running);
        QFETCH(int, runs);
        TCfgFixture t({}, 0);
        if (running) t.f.Key(Qt::Key_F8);
        QCOMPARE(t.f.w->IsRunning(), running);
        t.f.Key(Qt::Key_F2);
        QCOMPARE(t.f.dialogs.modalRuns, runs);
        if (!running) {
            QTest::mouseClick(t.f.w->bCFG, Qt::LeftButton);
            QCOMPARE(t.f.dialogs.modalRuns, 2);
        }
    }

    // --- drawing ----------------------------------------------------------------------------
    // ON draws the red closed contact, OFF the grey open one; a disabled list nothing at all.
    void polarityPicture_data() {
        QTest::addColumn<int>("index");
        QTest::addColumn<bool>("enabled");
        QTest::addColumn<bool>("red");
        QTest::addColumn<bool>("empty");
        QTest::newRow("ON") << 0 << true << true << false;
        QTest::newRow("OFF") << 1 << true << false << false;
        QTest::newRow("ON, disabled") << 0 << false << false << true;
        QTest::newRow("OFF, disabled") << 1 << false << false << true;
    }
    void polarityPicture() {
        QFETCH(int, index);
        QFETCH(bool, enabled);
        QFETCH(bool, red);
        QFETCH(bool, empty);
        QImage image(80, 18, QImage::Format_RGB32);
        const QColor background(255, 255, 255);
        image.fill(background);
        QPainter p(&image);
        TPolarityBox::DrawItem(p, image.rect(), index, index == 0 ? "ON" : "OFF", !enabled,
                               background, Qt::black);
        p.end();
        QCOMPARE(CountColour(image, Reddish) > 20, red);
        QCOMPARE(CountColour(image, [&](QColor c) { return c != background; }) == 0, empty);
    }

    // --- which device a port number is -------------------------------------------------------
    void portDevice_data() {
        QTest::addColumn<QString>("device"); // "" none, "missing" a path that is not there
        QTest::addColumn<QString>("expected");
        QTest::newRow("gone") << "missing"
                              << "COM2 = %1 – nicht vorhanden";
        QTest::newRow("no device for the number") << ""
                                                  << "COM2 = kein Gerät – nicht vorhanden";
    }
    void portDevice() {
        QFETCH(QString, device);
        QFETCH(QString, expected);
        QTemporaryDir dir;
        const QString path = device == "missing" ? dir.filePath("ttyUSB9") : device;
        TPortRedirect redirect({{2, path}});
        TCfgFixture t({2}, 0);
        t.d().FillPortList(Mask({2}));
        QString line, tip;
        t.Settings(
            [&](TCfgDialog& d) {
                d.cbPort->setCurrentText("COM2");
                line = d.labPortDevice->text();
                tip = d.cbPort->itemData(1, Qt::ToolTipRole).toString();
            },
            false);
        QCOMPARE(line, expected.contains("%1") ? expected.arg(path) : expected);
        QCOMPARE(tip, PortDeviceText(2));
        QVERIFY(tip.startsWith("COM2 = "));
    }

    // The port this program holds is said to be open, not busy.
    void portDeviceOpen() {
        TCfgFixture t({1}, 1);
        t.f.w->ComPort->Open();
        QString line;
        t.Settings([&](TCfgDialog& d) { line = d.labPortDevice->text(); }, false);
        QVERIFY2(line.endsWith("geöffnet"), qPrintable(line));
        QVERIFY(t.d().labPortDevice->text().startsWith("COM1"));
        t.Settings([&](TCfgDialog& d) { d.cbPort->setCurrentIndex(0); }, false);
        QVERIFY(t.d().labPortDevice->text().isEmpty());
    }
};

int main(int argc, char** argv) {
    QTemporaryDir dir;
    if (!UseOffscreenScreens({QRect(0, 0, 1280, 1024)}, dir.filePath("screens.json"))) return 2;
    QApplication app(argc, argv);
    TestCfgDialog t;
    return QTest::qExec(&t, argc, argv);
}

#include "tst_cfgdialog.moc"
