// The finals' files beside the protocol: the companion's name, and the bracket page with its
// escaping, bytes and final places. The companion saved, loaded and refused: tst_finalswindow.
#include "persist/BracketFile.h"
#include "persist/BracketHtml.h"

#include <sys/stat.h>

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A bracket of the given starters, entry i qualified i-th best; count heats run, lane A (the
// better seed) always faster.
TBracket Played(int starters, int maxSize, int count) {
    QVector<TBracket::TSeed> seeds;
    for (int i = 0; i < starters; ++i)
        seeds.push_back({i, 7000 + 100 * i});
    TBracket b = TBracket::Build(seeds, maxSize).value_or(TBracket());
    for (int i = 0; i < count && !b.Finished(); ++i)
        b.SetResult(b.CurrentHeat(), {TBracket::LaneTime, 6000, 6004},
                    {TBracket::LaneTime, 6500, {}});
    return b;
}

TBracketPage Page(const QString& first = "Kletterer 1") {
    return {"TL-Veltaro",
            "Stadtcup",
            0,
            [first](int e) { return e ? QStringLiteral("Kletterer %1").arg(e + 1) : first; },
            {}};
}

// The (place, name) rows of the page's final places, in page order.
QString PlacesOnPage(const QString& html) {
    static const QRegularExpression row(
        "<tr><td class=\"seed\">(\\d+)</td><td class=\"name\">([^<]*)</td></tr>");
    QStringList out;
    auto it = row.globalMatch(html, std::max(0, int(html.indexOf("class=\"places\""))));
    while (it.hasNext()) {
        const auto m = it.next();
        out << m.captured(1) + ':' + m.captured(2);
    }
    return out.join(", ");
}
} // namespace

class TestBracketFile : public QObject {
    Q_OBJECT
private slots:
    // What stands under a companion's name may be no file at all; reading it must come back
    // with a reason at once, never wait on a pipe nobody writes.
    void readsOnlyPlainFiles_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<bool>("said"); // a missing companion is no fault: nothing to say
        QTest::newRow("missing") << "missing" << false;
        QTest::newRow("a folder") << "folder" << true;
        QTest::newRow("a pipe") << "fifo" << true;
    }
    void readsOnlyPlainFiles() {
        QFETCH(QString, kind);
        QFETCH(bool, said);
        QTemporaryDir dir;
        const QString name = dir.filePath("heat1.ko");
        if (kind == "folder") QVERIFY(QDir().mkpath(name));
        if (kind == "fifo") QCOMPARE(mkfifo(QFile::encodeName(name).constData(), 0600), 0);
        QString reason;
        QVERIFY(!ReadBracketFile(name, &reason));
        QCOMPARE(!reason.isEmpty(), said);
    }

    void name_data() {
        QTest::addColumn<QString>("protocol");
        QTest::addColumn<QString>("companion");
        QTest::newRow("the text type") << "/a/heat1.txt" << QString("/a/heat1.ko");
        QTest::newRow("in capitals") << "/a/HEAT1.TXT" << QString("/a/HEAT1.ko");
        QTest::newRow("no extension") << "/a/heat1" << QString("/a/heat1.ko");
        QTest::newRow("another extension") << "/a/heat1.csv" << QString("/a/heat1.csv.ko");
        QTest::newRow(".txt not at the end") << "/a/h.txt.bak" << QString("/a/h.txt.bak.ko");
        QTest::newRow("a dotted folder") << "/a.txt/heat1" << QString("/a.txt/heat1.ko");
    }
    void name() {
        QFETCH(QString, protocol);
        QTEST(BracketFileName(protocol), "companion");
    }

    void pageEscapes_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("script") << "<script>alert(1)</script>"
                                << QString("&lt;script&gt;alert(1)&lt;/script&gt;");
        QTest::newRow("quotes, ampersand")
            << "\"><b a=\"x\">Huber & Co"
            << QString("&quot;&gt;&lt;b a=&quot;x&quot;&gt;Huber &amp; Co");
    }
    void pageEscapes() {
        QFETCH(QString, raw);
        QFETCH(QString, escaped);
        TBracketPage page = Page(raw);
        page.CompetitionTitle = raw;
        const QString html = BracketHtml(Played(4, 4, 4), page);
        QVERIFY(!html.contains(raw));
        QCOMPARE(html.count(escaped), 5); // title, heading, first round, final, first place
    }

    void pageWrittenAsUtf8() {
        QTemporaryDir dir;
        const QString file = dir.filePath("bracket.html"), name = "Jürgen Weiß Иван \U0001F9D7";
        const TBracket b = Played(4, 4, 0);
        QString error;
        QVERIFY(WriteBracketHtml(file, b, Page(name), &error));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QCOMPARE(bytes, BracketHtml(b, Page(name)).toUtf8());
        QVERIFY(bytes.contains(name.toUtf8()));
        QVERIFY(bytes.contains("<meta charset=\"UTF-8\">"));
        QVERIFY(!WriteBracketHtml(dir.filePath("no/such/folder.html"), b, Page(), &error));
        QVERIFY(error.contains("no/such/folder.html"));
    }

    // The bracket's places, or the competition's when given (place 0: still racing, left out).
    void pagePlaces_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<int>("heats"); // run before the page is made
        QTest::addColumn<bool>("competition");
        QTest::addColumn<QString>("places");
        QTest::newRow("4 decided")
            << 4 << 4 << false << "1:Kletterer 1, 2:Kletterer 2, 3:Kletterer 3, 4:Kletterer 4";
        QTest::newRow("6 in 8, quarter-finals decided")
            << 6 << 2 << false << "5:Kletterer 5, 6:Kletterer 6";
        QTest::newRow("nothing run") << 8 << 0 << false << "";
        QTest::newRow("the competition's") << 4 << 4 << true
                                           << "1:Kletterer 1, 2:Kletterer 3, 3:Kletterer 2, "
                                              "4:Kletterer 4, 5:Kletterer 8, 6:Kletterer 7";
    }
    void pagePlaces() {
        QFETCH(int, starters);
        QFETCH(int, heats);
        QFETCH(bool, competition);
        TBracketPage page = Page();
        if (competition) page.Places = {{0, 1}, {2, 2}, {1, 3}, {3, 4}, {7, 5}, {5, 0}, {6, 6}};
        const QString html = BracketHtml(Played(starters, 8, heats), page);
        QTEST(PlacesOnPage(html), "places");
        QCOMPARE(html.contains("Noch keine Plätze entschieden."), heats == 0);
    }
};

QTEST_GUILESS_MAIN(TestBracketFile)
#include "tst_bracketfile.moc"
