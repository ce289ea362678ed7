// The live pages fed by the running program: settings switch the server, a run and the
// protocol reach the JSON, the share address reaches the info box and the settings group.
#include "core/TimeFormat.h"
#include "live/LiveServer.h"
#include "LiveClient.h"
#include "TestSupport.h"
#include "ui/Cfg.h"
#include "ui/FInfo.h"
#include "ui/FMain.h"
#include "ui/LiveGlue.h"
#include "ui/LiveSettingsGroup.h"
#include "ui/LiveShare.h"

#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>
#include <QTcpServer>
#include <QtTest>

class TestLiveGlue : public QObject {
    Q_OBJECT
private slots:
    void settingsSwitchTheServer_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("bind");
        QTest::addColumn<int>("port"); // -1 a free one, -2 one that is taken
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("address"); // "" none, "port" http://127.0.0.1:<port>/
        QTest::addColumn<QString>("problem");
        QTest::newRow("off by default") << false << "" << -1 << false << ""
                                        << "";
        QTest::newRow("on, loopback") << true << "127.0.0.1" << -1 << true << "port"
                                      << "";
        QTest::newRow("on, all interfaces") << true << "" << -1 << true << "any"
                                            << "";
        QTest::newRow("not an address") << true << "halle.local" << -1 << false << ""
                                        << "keine Adresse";
        QTest::newRow("port taken") << true << "127.0.0.1" << -2 << false << ""
                                    << "nicht verfügbar";
        QTest::newRow("port 0") << true << "127.0.0.1" << 0 << false << ""
                                << "Port 0 ungültig";
        QTest::newRow("port 65537, not port 1") << true << "127.0.0.1" << 65537 << false << ""
                                                << "Port 65537 ungültig";
    }
    void settingsSwitchTheServer() {
        QFETCH(bool, on);
        QFETCH(QString, bind);
        QFETCH(int, port);
        QFETCH(bool, listening);
        QFETCH(QString, address);
        QFETCH(QString, problem);
        TWindowFixture f(false);
        QTcpServer occupant;
        QVERIFY(occupant.listen(QHostAddress::LocalHost));
        f.w->Settings.LiveOn = on;
        f.w->Settings.LiveBind = bind;
        f.w->Settings.LivePort = port == -2   ? occupant.serverPort()
                                 : port == -1 ? FreeLoopbackPort()
                                              : port;
        TLiveGlue glue(*f.w, *f.parts->Live);
        QCOMPARE(f.parts->Live->IsListening(), listening);
        QVERIFY(glue.Problem().contains(problem));
        if (address == "port")
            QCOMPARE(glue.ShareAddress(),
                     QString("http://127.0.0.1:%1/").arg(f.parts->Live->Port()));
        else if (address == "any")
            QVERIFY(glue.ShareAddress().endsWith(QString(":%1/").arg(f.parts->Live->Port())));
        else
            QVERIFY(glue.ShareAddress().isEmpty());

        // The info box shows the same as the glue knows.
        auto* panel = f.w->FormInfo->findChild<TLiveSharePanel*>();
        QVERIFY(panel);
        QCOMPARE(panel->Address(), glue.ShareAddress());
        QCOMPARE(!panel->isHidden(), on);
        if (listening) QVERIFY(!panel->ImageLiveQr->pixmap().isNull());

        // Switched off in the settings: the next refresh stops it.
        f.w->Settings.LiveOn = false;
        glue.Refresh();
        QVERIFY(!f.parts->Live->IsListening());
        QVERIFY(panel->isHidden());
    }

    // The operator ticks one box in the settings dialog: within the glue's next refresh the
    // page is served and the dialog's group shows where.
    void tickedInTheSettingsDialog() {
        TWindowFixture f;
        TFormMain& w = *f.w;
        QVERIFY(w.CfgDialog);
        TLiveGlue glue(w, *f.parts->Live);
        glue.Attach(w.CfgDialog->gbLive);
        const quint16 free = FreeLoopbackPort();
        f.dialogs.onModal = [free](QDialog& d) {
            auto& cfg = static_cast<TCfgDialog&>(d);
            cfg.gbLive->cbLiveOn->setChecked(true);
            cfg.gbLive->seLivePort->setValue(free);
            cfg.gbLive->eLiveBind->setText("127.0.0.1");
            return int(QDialog::Accepted);
        };
        w.bCFGClick();
        QVERIFY(w.Settings.LiveOn);
        QCOMPARE(w.Settings.LivePort, int(free));
        QVERIFY(WaitUntil([&] { return f.parts->Live->IsListening(); }, 3000));
        QVERIFY(LiveGet(free, "/").contains("/live.js"));
        QCOMPARE(w.CfgDialog->gbLive->LiveShare->Address(),
                 QString("http://127.0.0.1:%1/").arg(free));
    }

    void runAndProtocolReachThePages() {
        TWindowFixture f;
        TProtocolRows rows = ParticipantRows(4);
        rows[1][1] = "<b>\"Ada\"</b>";
        f.Load(2, rows);
        TFormMain& w = *f.w;
        w.Settings.LiveOn = true;
        w.Settings.LiveBind = "127.0.0.1";
        w.Settings.LivePort = FreeLoopbackPort();
        TLiveGlue glue(w, *f.parts->Live);
        const quint16 port = f.parts->Live->Port();
        QVERIFY(port != 0);

        QJsonObject st = LiveJson(port, "/api/state");
        QCOMPARE(st["state"].toString(), QString("ready"));
        QCOMPARE(st["tracks"].toArray().at(0)["participant"].toString(), w.cbBuhn1->currentText());
        QCOMPARE(st["tracks"].toArray().at(1)["participant"].toString(), w.cbBuhn2->currentText());

        f.Key(Qt::Key_F8);
        f.clock.advance(1234);
        QVERIFY(WaitUntil([&] {
            st = LiveJson(port, "/api/state");
            return st["state"].toString() == "running";
        }));
        QCOMPARE(st["tracks"].toArray().at(0)["elapsedMs"].toInt(), 1234);

        const QString name1 = w.cbBuhn1->currentText();
        f.clock.advance(5000);
        f.Key(Qt::Key_F4);
        QVERIFY(WaitUntil([&] {
            st = LiveJson(port, "/api/state");
            return st["tracks"].toArray().at(0)["stopped"].toBool();
        }));
        const QString time = FormatTime(6234, w.Settings.TimeFormat);
        QCOMPARE(st["tracks"].toArray().at(0)["time"].toString(), time);
        QCOMPARE(st["tracks"].toArray().at(1)["running"].toBool(), true);
        QCOMPARE(st["last"].toArray().at(0)["participant"].toString(), name1);
        QCOMPARE(st["last"].toArray().at(0)["time"].toString(), time);

        // The recorded time is in the protocol the pages show, once the poll has seen it.
        QVERIFY(WaitUntil(
            [&] { return QString::fromUtf8(LiveGet(port, "/api/protocol")).contains(time); },
            5000));
        const QByteArray page = LiveGet(port, "/protocol");
        QVERIFY(page.contains("&lt;b&gt;&quot;Ada&quot;&lt;/b&gt;"));
        QVERIFY(!page.contains("<b>\"Ada\""));
    }

    void settingsGroupRoundTrip_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<int>("port");
        QTest::addColumn<QString>("bind");
        QTest::addColumn<int>("applied"); // the port after OK
        QTest::newRow("defaults") << false << 8080 << "" << 8080;
        QTest::newRow("one interface") << true << 8181 << "192.168.1.20" << 8181;
        QTest::newRow("IPv6 loopback") << true << 65535 << "::1" << 65535;
        QTest::newRow("stored port 0: the default, not 1") << true << 0 << "" << 8080;
    }
    void settingsGroupRoundTrip() {
        QFETCH(bool, on);
        QFETCH(int, port);
        QFETCH(QString, bind);
        QFETCH(int, applied);
        TSettings in;
        in.LiveOn = on;
        in.LivePort = port;
        in.LiveBind = bind;
        TLiveSettingsGroup group;
        QCOMPARE(group.objectName(), QString("gbLive"));
        QCOMPARE(group.title().trimmed(), QString("Live-Ergebnisse im Netz"));
        group.LoadFrom(in);
        QCOMPARE(group.cbLiveOn->isChecked(), on);
        TSettings out;
        group.eLiveBind->setText("  " + bind + " ");
        group.ApplyTo(out);
        QCOMPARE(out.LiveOn, on);
        QCOMPARE(out.LivePort, applied);
        QCOMPARE(out.LiveBind, bind);
    }

    void qrCodes_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("made");
        QTest::newRow("an address") << "http://192.168.1.20:8080/" << true;
        QTest::newRow("IPv6") << "http://[fe80::1]:8080/" << true;
        QTest::newRow("too long for a QR code") << QString(5000, 'a') << false;
    }
    void qrCodes() {
        QFETCH(QString, text);
        QFETCH(bool, made);
        const QImage qr = LiveQrImage(text, 2);
        QCOMPARE(!qr.isNull(), made);
        if (!made) return;
        // Square, a whole number of modules with the quiet zone, finder corner dark.
        QCOMPARE(qr.width(), qr.height());
        QCOMPARE(qr.width() % 2, 0);
        QCOMPARE(qr.pixelColor(0, 0), QColor(Qt::white));
        QCOMPARE(qr.pixelColor(8, 8), QColor(Qt::black));
    }

    void bindAddresses_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("valid");
        QTest::addColumn<QString>("address");
        QTest::newRow("empty is every interface") << "" << true << "0.0.0.0";
        QTest::newRow("star too") << " * " << true << "0.0.0.0";
        QTest::newRow("loopback") << "127.0.0.1" << true << "127.0.0.1";
        QTest::newRow("IPv6") << "::1" << true << "::1";
        QTest::newRow("a name") << "halle.local" << false << "";
        QTest::newRow("an address with a port") << "10.0.0.1:80" << false << "";
    }
    void bindAddresses() {
        QFETCH(QString, text);
        QFETCH(bool, valid);
        QFETCH(QString, address);
        bool ok = !valid;
        const QHostAddress a = LiveBindAddress(text, &ok);
        QCOMPARE(ok, valid);
        QCOMPARE(a.isNull() ? QString() : a.toString(), address);
    }
};

QTEST_MAIN(TestLiveGlue)
#include "tst_liveglue.moc"
