// The live pages fed by the running program: the settings switch the server, a run and the
// protocol reach the JSON and the pages, the share address reaches the info box and the
// settings dialog; and the page in a real browser (headless Chromium, skipped without it).
#include "core/TimeFormat.h"
#include "live/LiveServer.h"
#include "LiveClient.h"
#include "TestSupport.h"
#include "ui/live/LiveGlue.h"
#include "ui/live/LiveShare.h"
#include "ui/settings/LiveSettingsGroup.h"

#include <csignal>
#include <QCheckBox>
#include <QComboBox>
#include <QJsonArray>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QRegularExpression>
#include <QSpinBox>
#include <QStandardPaths>
#include <QTcpServer>
#include <QtTest>
#include <QWebSocket>
#include <unistd.h>

namespace {
// Reads "M:SS,hh", "SS,hh" or "S,hh" back to ms (hundredths).
int ShownMs(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^(?:(\\d+):)?(\\d+)[,.](\\d\\d)$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch()) return -1;
    return (m.captured(1).toInt() * 60 + m.captured(2).toInt()) * 1000 + m.captured(3).toInt() * 10;
}

// Headless Chromium with one page open, driven through its DevTools connection; ended with
// the object.
struct TChromium {
    QTemporaryDir profile;
    QProcess process;
    QWebSocket ws;
    int sent = 0;
    QHash<int, QJsonObject> replies;
    ~TChromium() {
        // Its helper processes with it: left behind they would go on writing into the profile
        // while it is removed.
        const pid_t group = pid_t(process.processId());
        if (group > 0) ::kill(-group, SIGKILL);
        process.waitForFinished(10000);
        WaitUntil([group] { return group <= 0 || ::kill(-group, 0) != 0; }, 10000);
    }
    bool Open(const QString& chromium, const QString& url, const QString& size) {
        process.setChildProcessModifier([] { ::setpgid(0, 0); }); // its helpers in one group
        process.start(chromium, {"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                                 "--disable-background-networking", "--disable-component-update",
                                 "--disable-sync", "--user-data-dir=" + profile.path(),
                                 "--remote-debugging-port=0", "--window-size=" + size, url});
        // Chromium writes the port of its DevTools connection into the profile.
        QByteArray active;
        const QString file = profile.filePath("DevToolsActivePort");
        if (!process.waitForStarted(20000) ||
            !WaitUntil([&] { return (active = Bytes(file)).contains('\n'); }, 60000))
            return false;
        const quint16 port = quint16(active.split('\n').first().toUInt());
        QString pageUrl;
        WaitUntil([&] {
            for (const auto& v : QJsonDocument::fromJson(LiveGet(port, "/json/list")).array())
                if (v.toObject()["type"].toString() == "page")
                    pageUrl = v.toObject()["webSocketDebuggerUrl"].toString();
            return !pageUrl.isEmpty();
        });
        QObject::connect(&ws, &QWebSocket::textMessageReceived, &ws, [this](const QString& t) {
            const QJsonObject o = QJsonDocument::fromJson(t.toUtf8()).object();
            if (o.contains("id")) replies[o["id"].toInt()] = o["result"].toObject();
        });
        ws.open(QUrl(pageUrl));
        // Loaded: not the blank page Chromium shows first.
        return WaitUntil([&] { return ws.state() == QAbstractSocket::ConnectedState; }, 20000) &&
               Shows("location.protocol + document.readyState", "http:complete");
    }
    QJsonObject Call(const QString& method, const QJsonObject& params = {}) {
        const int id = ++sent;
        ws.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{"id", id}, {"method", method}, {"params", params}})
                .toJson(QJsonDocument::Compact)));
        WaitUntil([&] { return replies.contains(id); }, 20000);
        return replies.take(id);
    }
    QString Text(const QString& expression) {
        return Call("Runtime.evaluate", {{"expression", expression}})["result"]
            .toObject()["value"]
            .toString();
    }
    // Waits until the expression's text is the expected one; says what it was if it never is.
    bool Shows(const QString& expression, const QString& expected) {
        QString seen;
        if (WaitUntil([&] { return (seen = Text(expression)) == expected; }, 30000)) return true;
        qWarning() << expression << "shows" << seen;
        return false;
    }
};

QJsonObject Track(const QJsonObject& state, int track) {
    return state["tracks"].toArray().at(track).toObject();
}
} // namespace

class TestLiveWindow : public QObject {
    Q_OBJECT
private slots:
    // The settings switch the server on where they are valid and say why not where they are
    // not; the info box shows the share address, and the next refresh after "off" stops it.
    void settingsSwitchTheServer_data() {
        QTest::addColumn<bool>("on");
        QTest::addColumn<QString>("bind");
        QTest::addColumn<int>("port"); // -1 a free one, -2 one that is taken
        QTest::addColumn<bool>("listening");
        QTest::addColumn<QString>("problem");
        const auto row = [](const char* name, bool on, const char* bind, int port, bool listening,
                            const char* problem) {
            QTest::newRow(name) << on << QString(bind) << port << listening << QString(problem);
        };
        row("off by default", false, "", -1, false, "");
        row("on, loopback", true, "127.0.0.1", -1, true, "");
        row("on, all interfaces", true, "", -1, true, "");
        row("not an address", true, "halle.local", -1, false, "keine Adresse");
        row("port taken", true, "127.0.0.1", -2, false, "nicht verfügbar");
        row("port 0", true, "127.0.0.1", 0, false, "Port 0 ungültig");
        row("port 65537, not port 1", true, "127.0.0.1", 65537, false, "Port 65537 ungültig");
    }
    void settingsSwitchTheServer() {
        QFETCH(bool, on);
        QFETCH(QString, bind);
        QFETCH(int, port);
        QFETCH(bool, listening);
        QFETCH(QString, problem);
        TWindowFixture f(false);
        QTcpServer occupant;
        QVERIFY(occupant.listen(QHostAddress::LocalHost));
        f.Settings().LiveOn = on;
        f.Settings().LiveBind = bind;
        f.Settings().LivePort = port == -2   ? occupant.serverPort()
                                : port == -1 ? FreeLoopbackPort()
                                             : port;
        TLiveGlue glue(*f.w, *f.parts->Live);
        TLiveServer& server = *f.parts->Live;
        QCOMPARE(server.IsListening(), listening);
        QVERIFY(glue.Problem().contains(problem));
        // An address to share only while listening, with the server's port (the whole address
        // on loopback: runReachesThePages).
        QCOMPARE(glue.ShareAddress().endsWith(QString(":%1/").arg(server.Port())), listening);
        QCOMPARE(glue.ShareAddress().isEmpty(), !listening);
        // The info box shows what the glue knows.
        auto* panel = Find<TLiveSharePanel>(*Find<QWidget>(*f.w, "FormInfo"), "LiveSharePanel");
        QCOMPARE(panel->Address(), glue.ShareAddress());
        QCOMPARE(!panel->isHidden(), on);
        if (listening) QVERIFY(!Find<QLabel>(*panel, "ImageLiveQr")->pixmap().isNull());
        // Switched off in the settings: the next refresh stops it.
        f.Settings().LiveOn = false;
        glue.Refresh();
        QVERIFY(!server.IsListening());
        QVERIFY(panel->isHidden());
    }

    // Switched on with one tick in the settings dialog (whose group then shows where), the
    // pages get the participants on the tracks, the running and the stopped time (the heats and
    // the protocol: pagesInChromium).
    void runReachesThePages() {
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        TLiveGlue glue(*f.w, *f.parts->Live);
        auto* group = Find<TLiveSettingsGroup>(*f.w, "gbLive");
        glue.Attach(group);
        const quint16 port = FreeLoopbackPort();
        f.dialogs.onModal = [port](QDialog& d) {
            Find<QCheckBox>(d, "cbLiveOn")->setChecked(true);
            Find<QSpinBox>(d, "seLivePort")->setValue(port);
            Find<QLineEdit>(d, "eLiveBind")->setText("127.0.0.1");
            return int(QDialog::Accepted);
        };
        f.Play("F2");
        QVERIFY(WaitUntil([&] { return f.parts->Live->IsListening(); }, 3000));
        QCOMPARE(Find<TLiveSharePanel>(*group, "LiveSharePanel")->Address(),
                 QString("http://127.0.0.1:%1/").arg(port));
        QJsonObject st = LiveJson(port, "/api/state");
        QCOMPARE(st["state"].toString(), QString("ready"));
        for (int t : {0, 1})
            QCOMPARE(Track(st, t)["participant"].toString(),
                     f.Get<QComboBox>(t ? "cbBuhn2" : "cbBuhn1")->currentText());
        const auto track1 = [&](const char* key) { // the state fetched anew
            return Track(st = LiveJson(port, "/api/state"), 0)[key].toBool();
        };
        f.Play("F8 +1234");
        QVERIFY(WaitUntil([&] { return track1("running"); }));
        QCOMPARE(Track(st, 0)["elapsedMs"].toInt(), 1234);
        f.Play("+5000 F4");
        QVERIFY(WaitUntil([&] { return track1("stopped"); }));
        const QString time = FormatTime(6234, f.Settings().TimeFormat);
        QCOMPARE(Track(st, 0)["time"].toString(), time);
        QCOMPARE(Track(st, 1)["running"].toBool(), true);
        f.Play("+100 F6 F9"); // the heat is over: it heads the last heats, and the protocol has it
        QVERIFY(WaitUntil([&] {
            return LiveJson(port, "/api/state")["heats"][0]["lanes"][0]["result"] == time;
        }));
        QVERIFY(WaitUntil([&] { return LiveGet(port, "/protocol").contains(time.toUtf8()); }));
    }

    // Headless Chromium as a phone (390 x 844) follows two heats and the finals: the pair on
    // the tracks in separate fields, the last heat with its winner, a category's standings
    // within the screen, the bracket with the heat on the tracks; dark when the phone is. The
    // protocol on a 360-pixel screen keeps name, result and place in view however far its other
    // columns are scrolled. Then a run on the real clock: two screenshots half a second apart
    // show different times, each the run's time; after STOP the exact time.
    void pagesInChromium() {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty()) QSKIP("Chromium is not installed (scripts/test installs it)");
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        f.Settings().LiveOn = true;
        f.Settings().LiveBind = "127.0.0.1";
        f.Settings().LivePort = FreeLoopbackPort();
        f.Play("klass:4");
        TLiveGlue glue(*f.w, *f.parts->Live);
        const QString url = QString("http://127.0.0.1:%1/").arg(f.parts->Live->Port());
        TChromium b;
        QVERIFY(b.Open(chromium, url, "390,844"));
        const QString probe =
            QString::fromUtf8(Bytes(VELTARO_TEST_SOURCE_DIR "/ui/phone_probe.js"));
        b.Text(probe);
        f.Play("F8 +7100 F4 +900 F6 F9 F8 +7500 F4 +100 F6 F9");
        QVERIFY(b.Shows("t('#track1 .who>*, #track1 .sub>*')", "3|Name3|Ort3|A"));
        QVERIFY(b.Shows("t('#heats .heat:first-child .lane>*')",
                        "2 Name2|Ort2 · B|7,50|1 Name1|Ort1 · A|7,60"));
        QVERIFY(b.Shows("t('#heats .heat:first-child .win .n')", "2 Name2"));
        QVERIFY(b.Shows("getComputedStyle(document.body).backgroundColor", "rgb(246, 246, 239)"));
        b.Call("Emulation.setEmulatedMedia",
               {{"features",
                 QJsonArray{QJsonObject{{"name", "prefers-color-scheme"}, {"value", "dark"}}}}});
        QVERIFY(b.Shows("getComputedStyle(document.body).backgroundColor", "rgb(0, 0, 0)"));
        b.Text("location.hash = '#wertung'");
        QVERIFY(b.Shows("t('#categories button')", "A|B"));
        QVERIFY(
            b.Shows("t('#standing tbody tr:first-child td')", "1.|1 Name1Ort1|14,70|7,10|7,60"));
        QVERIFY(b.Shows("fits('#standing tbody td:nth-child(-n+3)')", "true"));
        // Two climbers with a time, one per class: one bracket over both once ranked together.
        f.Play("klass:0 mode:3");
        b.Text("location.hash = '#ko'");
        QVERIFY(b.Shows("t('#brackets .heat.now .n')", "1 Name1|2 Name2"));
        QVERIFY(b.Shows("fits('#brackets .heat')", "true"));
        b.Call("Emulation.setDeviceMetricsOverride",
               {{"width", 360}, {"height", 740}, {"deviceScaleFactor", 1}, {"mobile", true}});
        b.Call("Page.navigate", {{"url", url + "protocol"}});
        QVERIFY(b.Shows("location.pathname + document.readyState", "/protocolcomplete"));
        b.Text(probe);
        QVERIFY(b.Shows("keep() + fits('body')", "Name1|14,70|1true"));
        QVERIFY(
            b.Shows("document.querySelector('.wide').scrollLeft = 9999, keep()", "Name1|14,70|1"));
        QVERIFY(b.Shows("String(document.querySelector('.wide').scrollLeft > 100)", "true"));

        // The browser counts in real time, so does the run from here on; the clock is switched
        // while the server, which reads it on its own thread, is off.
        f.Settings().LiveOn = false;
        glue.Refresh();
        SetTickSource({});
        f.Settings().LiveOn = true;
        glue.Refresh();
        b.Call("Page.navigate", {{"url", url}});
        QVERIFY(b.Shows("location.pathname + document.readyState", "/complete"));
        b.Text(probe);
        f.Play("F8");
        QVERIFY(b.Shows("t('#state')", "Lauf"));
        struct TShot {
            QByteArray png;
            int shown, before, after; // the page's time; the run's ms around the reading
        };
        const auto shoot = [&] {
            TShot s;
            s.before = int(f.Run().Elapsed(TickCount()));
            s.shown = ShownMs(b.Text("t('#time1')"));
            s.png = QByteArray::fromBase64(
                b.Call("Page.captureScreenshot")["data"].toString().toLatin1());
            s.after = int(f.Run().Elapsed(TickCount()));
            return s;
        };
        const TShot one = shoot();
        QTest::qWait(500);
        const TShot two = shoot();
        QVERIFY(one.png.startsWith("\x89PNG") && two.png.startsWith("\x89PNG") &&
                one.png != two.png);
        QVERIFY(two.shown > one.shown);
        // The page counts on from the server's elapsed time at about 20 Hz: within a refresh
        // and the evaluation's own round trip of the run.
        for (const TShot& s : {one, two})
            QVERIFY2(s.shown >= s.before - 150 && s.shown <= s.after + 60,
                     qPrintable(
                         QString("shown %1, run %2..%3").arg(s.shown).arg(s.before).arg(s.after)));
        f.Play("F4");
        QVERIFY(
            b.Shows("t('#time1')", FormatTime(int(f.Run().StopTime(0)), f.Settings().TimeFormat)));
    }
};

QTEST_MAIN(TestLiveWindow)
#include "tst_live_window.moc"
