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

namespace {
// Reads "M:SS,hh", "SS,hh" or "S,hh" back to ms (hundredths).
int ShownMs(const QString& text) {
    static const QRegularExpression re(QStringLiteral("^(?:(\\d+):)?(\\d+)[,.](\\d\\d)$"));
    const auto m = re.match(text.trimmed());
    if (!m.hasMatch()) return -1;
    return (m.captured(1).toInt() * 60 + m.captured(2).toInt()) * 1000 + m.captured(3).toInt() * 10;
}

// One page of a browser driven through its DevTools connection.
class TDevTools {
public:
    bool Open(const QString& url) {
        QObject::connect(&m_ws, &QWebSocket::textMessageReceived, &m_ws, [this](const QString& t) {
            const QJsonObject o = QJsonDocument::fromJson(t.toUtf8()).object();
            if (o.contains("id")) m_replies[o["id"].toInt()] = o["result"].toObject();
        });
        m_ws.open(QUrl(url));
        return WaitUntil([&] { return m_ws.state() == QAbstractSocket::ConnectedState; }, 20000);
    }
    QJsonObject Call(const QString& method, const QJsonObject& params = {}) {
        const int id = ++m_next;
        m_ws.sendTextMessage(QString::fromUtf8(
            QJsonDocument(QJsonObject{{"id", id}, {"method", method}, {"params", params}})
                .toJson(QJsonDocument::Compact)));
        WaitUntil([&] { return m_replies.contains(id); }, 20000);
        return m_replies.take(id);
    }
    QString Text(const QString& expression) {
        return Call("Runtime.evaluate", {{"expression", expression}})["result"]
            .toObject()["value"]
            .toString();
    }

private:
    QWebSocket m_ws;
    int m_next = 0;
    QHash<int, QJsonObject> m_replies;
};

// Headless Chromium with one page open, driven through DevTools; ended with the object.
struct TChromium {
    QTemporaryDir profile;
    QProcess process;
    TDevTools page;
    ~TChromium() {
        process.kill();
        process.waitForFinished(10000);
    }
    bool Open(const QString& chromium, const QString& url, const QString& size) {
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
        return page.Open(pageUrl) && Loaded();
    }
    bool Loaded() { // not the blank page Chromium shows first
        return WaitUntil(
            [&] { return page.Text("location.protocol + document.readyState") == "http:complete"; },
            30000);
    }
    // Waits until the expression's text is the expected one; false with what it was at the end.
    bool Shows(const QString& expression, const QString& expected, QString* seen) {
        return WaitUntil([&] { return (*seen = page.Text(expression)) == expected; }, 20000);
    }
};

QJsonObject Track(const QJsonObject& state, int track) {
    return state["tracks"].toArray().at(track).toObject();
}

// The live results switched on in the settings, on a free loopback port.
void LiveOn(TWindowFixture& f) {
    f.Settings().LiveOn = true;
    f.Settings().LiveBind = "127.0.0.1";
    f.Settings().LivePort = FreeLoopbackPort();
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
        QTest::addColumn<int>("port");        // -1 a free one, -2 one that is taken
        QTest::addColumn<QString>("address"); // "" none, "port" on loopback, "any" any interface
        QTest::addColumn<QString>("problem");
        const auto row = [](const char* name, bool on, const char* bind, int port,
                            const char* address, const char* problem) {
            QTest::newRow(name) << on << QString(bind) << port << QString(address)
                                << QString(problem);
        };
        row("off by default", false, "", -1, "", "");
        row("on, loopback", true, "127.0.0.1", -1, "port", "");
        row("on, all interfaces", true, "", -1, "any", "");
        row("not an address", true, "halle.local", -1, "", "keine Adresse");
        row("port taken", true, "127.0.0.1", -2, "", "nicht verfügbar");
        row("port 0", true, "127.0.0.1", 0, "", "Port 0 ungültig");
        row("port 65537, not port 1", true, "127.0.0.1", 65537, "", "Port 65537 ungültig");
    }
    void settingsSwitchTheServer() {
        QFETCH(bool, on);
        QFETCH(QString, bind);
        QFETCH(int, port);
        QFETCH(QString, address);
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
        QCOMPARE(server.IsListening(), !address.isEmpty());
        QVERIFY(glue.Problem().contains(problem));
        if (address == "port")
            QCOMPARE(glue.ShareAddress(), QString("http://127.0.0.1:%1/").arg(server.Port()));
        else if (address == "any")
            QVERIFY(glue.ShareAddress().endsWith(QString(":%1/").arg(server.Port())));
        else
            QVERIFY(glue.ShareAddress().isEmpty());
        // The info box shows what the glue knows.
        auto* panel = Find<TLiveSharePanel>(*Find<QWidget>(*f.w, "FormInfo"), "LiveSharePanel");
        QCOMPARE(panel->Address(), glue.ShareAddress());
        QCOMPARE(!panel->isHidden(), on);
        if (!address.isEmpty()) QVERIFY(!Find<QLabel>(*panel, "ImageLiveQr")->pixmap().isNull());
        // Switched off in the settings: the next refresh stops it.
        f.Settings().LiveOn = false;
        glue.Refresh();
        QVERIFY(!server.IsListening());
        QVERIFY(panel->isHidden());
    }

    // Switched on with one tick in the settings dialog (whose group then shows where), the
    // pages get the participants on the tracks, the running and the stopped time and the
    // protocol with the recorded time.
    void runAndProtocolReachThePages() {
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
        const QString name1 = f.Get<QComboBox>("cbBuhn1")->currentText();
        QCOMPARE(Track(st, 0)["participant"].toString(), name1);
        QCOMPARE(Track(st, 1)["participant"].toString(),
                 f.Get<QComboBox>("cbBuhn2")->currentText());
        f.Play("F8 +1234");
        QVERIFY(WaitUntil([&] {
            st = LiveJson(port, "/api/state");
            return st["state"].toString() == "running";
        }));
        QCOMPARE(Track(st, 0)["elapsedMs"].toInt(), 1234);
        f.Play("+5000 F4");
        QVERIFY(WaitUntil([&] {
            st = LiveJson(port, "/api/state");
            return Track(st, 0)["stopped"].toBool();
        }));
        const QString time = FormatTime(6234, f.Settings().TimeFormat);
        QCOMPARE(Track(st, 0)["time"].toString(), time);
        QCOMPARE(Track(st, 1)["running"].toBool(), true);
        f.Play("+100 F6 F9"); // the heat is over: it heads the last heats
        QVERIFY(WaitUntil([&] {
            return LiveJson(port, "/api/state")["heats"][0]["lanes"][0]["result"] == time;
        }));
        QVERIFY(WaitUntil([&] { return LiveGet(port, "/protocol").contains(time.toUtf8()); }));
    }

    // Headless Chromium opens the page during a run on the real clock: two screenshots half a
    // second apart show different times, each the run's time; after STOP the exact time.
    void runningTimeInChromium() {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty()) QSKIP("Chromium is not installed (scripts/test installs it)");
        TWindowFixture f;
        SetTickSource({}); // the browser counts in real time, so does the run here
        f.Load(2, ParticipantRows(4));
        LiveOn(f);
        TLiveGlue glue(*f.w, *f.parts->Live);
        const quint16 port = f.parts->Live->Port();
        TChromium browser;
        QVERIFY(browser.Open(chromium, QString("http://127.0.0.1:%1/").arg(port), "480,800"));
        TDevTools& page = browser.page;
        const auto text = [&](const char* id) {
            return page.Text(QString("document.getElementById('%1').textContent").arg(id));
        };
        f.Play("F8");
        QVERIFY(WaitUntil([&] { return text("state") == QStringLiteral("Lauf"); }, 20000));
        struct TShot {
            QByteArray png;
            int shown, before, after; // the page's time; the run's ms around the reading
        };
        const auto shoot = [&] {
            TShot s;
            s.before = int(f.Run().Elapsed(TickCount()));
            s.shown = ShownMs(text("time1"));
            s.png = QByteArray::fromBase64(
                page.Call("Page.captureScreenshot")["data"].toString().toLatin1());
            s.after = int(f.Run().Elapsed(TickCount()));
            return s;
        };
        const TShot a = shoot();
        QTest::qWait(500);
        const TShot b = shoot();
        QVERIFY(a.png.startsWith("\x89PNG") && b.png.startsWith("\x89PNG") && a.png != b.png);
        QVERIFY(b.shown > a.shown);
        // The page counts on from the server's elapsed time at about 20 Hz: within a refresh
        // and the evaluation's own round trip of the run.
        for (const TShot& s : {a, b})
            QVERIFY2(s.shown >= s.before - 150 && s.shown <= s.after + 60,
                     qPrintable(
                         QString("shown %1, run %2..%3").arg(s.shown).arg(s.before).arg(s.after)));
        f.Play("F4");
        QJsonObject st;
        QVERIFY(WaitUntil([&] {
            st = LiveJson(port, "/api/state");
            return Track(st, 0)["stopped"].toBool();
        }));
        QVERIFY(WaitUntil([&] { return text("time1") == Track(st, 0)["time"].toString(); }, 20000));
    }

    // A phone (390 x 844) follows two heats and the finals: the pair on the tracks in separate
    // fields, the last heat with its winner, a category's standings within the screen, the
    // bracket with the heat on the tracks; dark when the phone is. The protocol on a 360-pixel
    // screen keeps name, result and place in view however far its other columns are scrolled.
    void phonePagesInChromium() {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty()) QSKIP("Chromium is not installed (scripts/test installs it)");
        TWindowFixture f;
        f.Load(2, ParticipantRows(4));
        LiveOn(f);
        f.Play("klass:4");
        TLiveGlue glue(*f.w, *f.parts->Live);
        const QString url = QString("http://127.0.0.1:%1/").arg(f.parts->Live->Port());
        TChromium b;
        QVERIFY(b.Open(chromium, url, "390,844"));
        QString seen;
        const auto shows = [&](const QString& expression, const QString& expected) {
            if (!b.Shows(expression, expected, &seen)) qWarning() << expression << "shows" << seen;
            return seen == expected;
        };
        const QString probe =
            QString::fromUtf8(Bytes(VELTARO_TEST_SOURCE_DIR "/ui/phone_probe.js"));
        const auto helpers = [&] { b.page.Text(probe); };
        helpers();
        f.Play("F8 +7100 F4 +900 F6 F9 F8 +7500 F4 +100 F6 F9");
        QVERIFY(shows("t('#track1 .who>*, #track1 .sub>*')", "3|Name3|Ort3|A"));
        QVERIFY(shows("t('#heats .heat:first-child .lane>*')",
                      "2 Name2|Ort2 · B|7,50|1 Name1|Ort1 · A|7,60"));
        QVERIFY(shows("t('#heats .heat:first-child .win .n')", "2 Name2"));
        QVERIFY(shows("getComputedStyle(document.body).backgroundColor", "rgb(246, 246, 239)"));
        b.page.Call("Emulation.setEmulatedMedia",
                    {{"features", QJsonArray{QJsonObject{{"name", "prefers-color-scheme"},
                                                         {"value", "dark"}}}}});
        QVERIFY(shows("getComputedStyle(document.body).backgroundColor", "rgb(0, 0, 0)"));
        b.page.Text("location.hash = '#wertung'");
        QVERIFY(shows("t('#categories button')", "A|B"));
        QVERIFY(shows("t('#standing tbody tr:first-child td')", "1.|1 Name1Ort1|14,70|7,10|7,60"));
        QVERIFY(shows("fits('#standing tbody td:nth-child(-n+3)')", "true"));
        // Two climbers with a time, one per class: one bracket over both once ranked together.
        f.Play("klass:0 mode:3");
        b.page.Text("location.hash = '#ko'");
        QVERIFY(shows("t('#brackets .heat.now .n')", "1 Name1|2 Name2"));
        QVERIFY(shows("fits('#brackets .heat')", "true"));
        b.page.Call("Emulation.setDeviceMetricsOverride",
                    {{"width", 360}, {"height", 740}, {"deviceScaleFactor", 1}, {"mobile", true}});
        b.page.Call("Page.navigate", {{"url", url + "protocol"}});
        QVERIFY(shows("location.pathname + document.readyState", "/protocolcomplete"));
        helpers();
        QVERIFY(shows("keep() + fits('body')", "Name1|14,70|1true"));
        QVERIFY(
            shows("document.querySelector('.wide').scrollLeft = 9999, keep()", "Name1|14,70|1"));
        QVERIFY(shows("String(document.querySelector('.wide').scrollLeft > 100)", "true"));
    }
};

QTEST_MAIN(TestLiveWindow)
#include "tst_live_window.moc"
