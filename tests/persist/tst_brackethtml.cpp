// The bracket page: names and titles escaped, UTF-8 bytes, the final places it lists, and the
// marks of byes, voided runs and the heat on the tracks.
#include "core/TimeFormat.h"
#include "persist/BracketHtml.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
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
    for (int i = 0; i < count && b.CurrentHeat() >= 0; ++i) {
        const int h = b.CurrentHeat();
        b.SetResult(h, {TBracket::LaneTime, 6000 + 10 * h, {}},
                    {TBracket::LaneTime, 6500 + 10 * h, {}});
    }
    return b;
}

TBracketPage Page(QStringList names) {
    for (int i = int(names.size()); i < 16; ++i)
        names << QStringLiteral("Kletterer %1").arg(i + 1);
    return {"TL-Veltaro", "Stadtcup", tfSeconds, [names](int e) { return names.value(e); }, {}};
}

// The (place, name) rows of the page's final places, in page order.
QList<QPair<int, QString>> PlacesOnPage(const QString& html) {
    QList<QPair<int, QString>> rows;
    static const QRegularExpression row(
        "<tr><td class=\"seed\">(\\d+)</td><td class=\"name\">([^<]*)</td></tr>");
    auto it = row.globalMatch(html, std::max(0, int(html.indexOf("class=\"places\""))));
    while (it.hasNext()) {
        const auto m = it.next();
        rows << qMakePair(m.captured(1).toInt(), m.captured(2));
    }
    return rows;
}
} // namespace

class TestBracketHtml : public QObject {
    Q_OBJECT
private slots:
    void escapesText_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("script") << "<script>alert(1)</script>"
                                << "&lt;script&gt;alert(1)&lt;/script&gt;";
        QTest::newRow("quotes, ampersand") << "\"><b a=\"x\">Huber & Co"
                                           << "&quot;&gt;&lt;b a=&quot;x&quot;&gt;Huber &amp; Co";
    }
    void escapesText() {
        QFETCH(QString, raw);
        QFETCH(QString, escaped);
        TBracketPage page = Page({raw});
        page.CompetitionTitle = raw;
        const QString html = BracketHtml(Played(4, 4, 4), page);
        QVERIFY(!html.contains(raw));
        // Title, heading, first-round heat, final, and first place.
        QCOMPARE(html.count(escaped), 5);
        QCOMPARE(PlacesOnPage(html).value(0).second, escaped);
    }

    void writtenAsUtf8_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("umlauts") << "Jürgen Weiß";
        QTest::newRow("cyrillic, beyond the BMP") << "Иван \U0001F9D7";
    }
    void writtenAsUtf8() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString file = dir.filePath("bracket.html");
        const TBracket b = Played(4, 4, 0);
        QString error;
        QVERIFY(WriteBracketHtml(file, b, Page({"A", "B", name}), &error));
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.contains(name.toUtf8()));
        QStringDecoder utf8(QStringDecoder::Utf8);
        QCOMPARE(QString(utf8(bytes)), BracketHtml(b, Page({"A", "B", name})));
        QVERIFY(!utf8.hasError());
        QVERIFY(bytes.contains("<meta charset=\"UTF-8\">"));
        QVERIFY(!WriteBracketHtml(dir.filePath("no/such/folder.html"), b, Page({}), &error));
        QVERIFY(error.contains("no/such/folder.html"));
    }

    void listsFinalPlaces_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("heats"); // run before the page is made
        QTest::newRow("4 decided") << 4 << 4 << 4;
        QTest::newRow("6 in 8 with byes, decided") << 6 << 8 << 8;
        QTest::newRow("16 half run") << 16 << 16 << 8;
        QTest::newRow("nothing run") << 8 << 8 << 0;
    }
    void listsFinalPlaces() {
        QFETCH(int, starters);
        QFETCH(int, size);
        QFETCH(int, heats);
        const TBracket b = Played(starters, size, heats);
        const TBracketPage page = Page({});
        const QString html = BracketHtml(b, page);
        QList<QPair<int, QString>> expected;
        for (const auto& [entry, place] : b.Places())
            expected << qMakePair(place, page.Name(entry));
        QCOMPARE(PlacesOnPage(html), expected);
        QCOMPARE(html.contains("Noch keine Plätze entschieden."), expected.isEmpty());
        if (b.Finished()) {
            // Every starter placed; lane A always won, so the seeds finish in their order.
            QCOMPARE(expected.size(), starters);
            for (int i = 0; i < starters; ++i)
                QCOMPARE(expected[i], qMakePair(i + 1, page.Name(i)));
        }
    }

    // The competition's places cover the whole field; those still racing (place 0) wait.
    void listsTheCompetitionsPlacesWhenGiven() {
        const TBracket b = Played(4, 4, 4);
        TBracketPage page = Page({});
        page.Places = {{0, 1}, {1, 2}, {2, 3}, {3, 4}, {7, 5}, {5, 0}, {6, 6}};
        QCOMPARE(PlacesOnPage(BracketHtml(b, page)),
                 (QList<QPair<int, QString>>{{1, page.Name(0)},
                                             {2, page.Name(1)},
                                             {3, page.Name(2)},
                                             {4, page.Name(3)},
                                             {5, page.Name(7)},
                                             {6, page.Name(6)}}));
    }

    void marksByesVoidedAndCurrent() {
        TBracket b = Played(3, 4, 1); // seed 4 missing: seed 1 advances without a run
        int raced = -1;
        for (int i = 0; i < b.Heats().size(); ++i)
            if (b.Heats()[i].Winner >= 0 && !b.Heats()[i].Bye) raced = i;
        QVERIFY(b.Rerun(raced));
        const QString html = BracketHtml(b, Page({}));
        QCOMPARE(html.count("<i>Freilos</i>"), 1);
        QCOMPARE(html.count("<table class=\"heat current\">"), 1);
        QVERIFY(html.contains(QString("ungültig: <s>%1</s> – <s>%2</s>")
                                  .arg(FormatTime(6000 + 10 * raced, tfSeconds),
                                       FormatTime(6500 + 10 * raced, tfSeconds))));
        QVERIFY(BracketHtml(TBracket(), Page({})).contains("Kein K.-o.-Feld."));
    }
};

QTEST_GUILESS_MAIN(TestBracketHtml)
#include "tst_brackethtml.moc"
