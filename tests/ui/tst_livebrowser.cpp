// The live page in a real browser: headless Chromium opens it during a run on the real
// clock; two screenshots half a second apart show different times, each the run's time.
#include "core/TickCount.h"
#include "live/LiveServer.h"
#include "TestSupport.h"
#include "ui/FMain.h"
#include "ui/LiveGlue.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QtTest>
#include <QWebSocket>

#include "LiveClient.h"

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
        QObject::connect(&m_ws, &QWebSocket::textMessageReceived, &m_ws,
                         [this](const QString& text) {
                             const QJsonObject o = QJsonDocument::fromJson(text.toUtf8()).object();
                             if (o.contains("id"))
                                 m_replies[o["id"].toInt()] = o["result"].toObject();
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

} // namespace

class TestLiveBrowser : public QObject {
    Q_OBJECT
private slots:
    void runningTimeInChromium() {
        const QString chromium = QStandardPaths::findExecutable(QStringLiteral("chromium"));
        if (chromium.isEmpty()) QSKIP("Chromium is not installed (scripts/test installs it)");

        TWindowFixture f;
        SetTickSource({}); // the browser counts in real time, so does the run here
        f.Load(2, ParticipantRows(4));
        TFormMain& w = *f.w;
        w.Settings.LiveOn = true;
        w.Settings.LiveBind = QStringLiteral("127.0.0.1");
        w.Settings.LivePort = FreeLoopbackPort();
        TLiveGlue glue(w, *f.parts->Live);
        const quint16 port = f.parts->Live->Port();
        QVERIFY(port != 0);

        QTemporaryDir profile;
        QProcess browser;
        browser.setProgram(chromium);
        browser.setArguments({"--headless", "--no-sandbox", "--disable-gpu", "--no-first-run",
                              "--disable-background-networking", "--disable-component-update",
                              "--disable-sync", "--user-data-dir=" + profile.path(),
                              "--remote-debugging-port=0", "--window-size=480,800",
                              QString("http://127.0.0.1:%1/").arg(port)});
        browser.start();
        QVERIFY(browser.waitForStarted(20000));
        const auto stop = qScopeGuard([&] {
            browser.kill();
            browser.waitForFinished(10000);
        });

        // Chromium writes the port of its DevTools connection into the profile.
        QByteArray active;
        QVERIFY(WaitUntil(
            [&] {
                QFile file(profile.filePath("DevToolsActivePort"));
                if (file.open(QIODevice::ReadOnly)) active = file.readAll();
                return active.contains('\n');
            },
            60000));
        const quint16 devPort = quint16(active.split('\n').first().toUInt());
        QString pageUrl;
        QVERIFY(WaitUntil(
            [&] {
                for (const auto& v :
                     QJsonDocument::fromJson(LiveGet(devPort, "/json/list")).array())
                    if (v.toObject()["type"].toString() == "page" &&
                        v.toObject()["url"].toString().contains(QString::number(port)))
                        pageUrl = v.toObject()["webSocketDebuggerUrl"].toString();
                return !pageUrl.isEmpty();
            },
            30000));
        TDevTools page;
        QVERIFY(page.Open(pageUrl));
        QVERIFY(WaitUntil([&] { return page.Text("document.readyState") == "complete"; }, 30000));

        f.Key(Qt::Key_F8);
        QVERIFY(w.IsRunning());
        QVERIFY(WaitUntil(
            [&] {
                return page.Text("document.getElementById('state').textContent") ==
                       QStringLiteral("Lauf");
            },
            20000));

        struct TShot {
            QByteArray png;
            int shown;
            int before, after; // the run's elapsed ms around the reading
        };
        const auto shoot = [&] {
            TShot s;
            s.before = int(w.Run->Elapsed(TickCount()));
            s.shown = ShownMs(page.Text("document.getElementById('time1').textContent"));
            s.png = QByteArray::fromBase64(
                page.Call("Page.captureScreenshot")["data"].toString().toLatin1());
            s.after = int(w.Run->Elapsed(TickCount()));
            return s;
        };
        const TShot a = shoot();
        QTest::qWait(500);
        const TShot b = shoot();

        // VELTARO_LIVE_SHOT=<file.png> keeps the second screenshot, to look at the page.
        if (const QString keep = qEnvironmentVariable("VELTARO_LIVE_SHOT"); !keep.isEmpty()) {
            QFile out(keep);
            if (out.open(QIODevice::WriteOnly)) out.write(b.png);
        }
        QVERIFY(a.png.startsWith("\x89PNG"));
        QVERIFY(b.png.startsWith("\x89PNG"));
        QVERIFY(a.png != b.png);
        QVERIFY(b.shown > a.shown);
        // The page counts on from the server's elapsed time at about 20 Hz: within a refresh
        // and the evaluation's own round trip of the run.
        for (const TShot& s : {a, b}) {
            QVERIFY2(s.shown >= s.before - 150 && s.shown <= s.after + 60,
                     qPrintable(
                         QString("shown %1, run %2..%3").arg(s.shown).arg(s.before).arg(s.after)));
        }

        // STOP: the page shows the exact final time.
        f.Key(Qt::Key_F4);
        QVERIFY(w.Run->TrackStopped(0));
        QJsonObject st;
        QVERIFY(WaitUntil([&] {
            st = LiveJson(port, "/api/state");
            return st["tracks"].toArray().at(0)["stopped"].toBool();
        }));
        QVERIFY(WaitUntil(
            [&] {
                return page.Text("document.getElementById('time1').textContent") ==
                       st["tracks"].toArray().at(0)["time"].toString();
            },
            20000));
    }
};

QTEST_MAIN(TestLiveBrowser)
#include "tst_livebrowser.moc"
