// The bracket page: what it says about names and titles (escaped), how its bytes are encoded,
// the final places it lists, and how it is written.
#include "core/TimeFormat.h"
#include "persist/BracketHtml.h"

#include <QFile>
#include <QRegularExpression>
#include <QStringDecoder>
#include <QTemporaryDir>
#include <QtTest>

namespace {
// A bracket of the given starters, entry i qualified i-th best.
TBracket Built(int starters, int maxSize) {
    QVector<TBracket::TSeed> seeds;
    for (int i = 0; i < starters; ++i)
        seeds.push_back({i, 7000 + 100 * i});
    const auto b = TBracket::Build(seeds, maxSize);
    return b ? *b : TBracket();
}

TBracket::TLane Time(int ms) {
    return {TBracket::LaneTime, ms, ms};
}

// Runs the next count heats; lane A (the better seed) is always faster.
void Play(TBracket& b, int count) {
    for (int i = 0; i < count && b.CurrentHeat() >= 0; ++i) {
        const int h = b.CurrentHeat();
        QVERIFY(b.SetResult(h, Time(6000 + 10 * h), Time(6500 + 10 * h)));
    }
}

TBracketPage Page(const QStringList& names) {
    return {QStringLiteral("TL-Veltaro"), QStringLiteral("Stadtcup"), tfSeconds,
            [names](int entry) { return names.value(entry); }};
}

QStringList Names(int n) {
    QStringList s;
    for (int i = 0; i < n; ++i)
        s << QStringLiteral("Kletterer %1").arg(i + 1);
    return s;
}

// The (place, name) rows of the page's final places, in page order.
QList<QPair<int, QString>> PlacesOnPage(const QString& html) {
    QList<QPair<int, QString>> rows;
    const int from = html.indexOf(QStringLiteral("<table class=\"places\">"));
    if (from < 0) return rows;
    static const QRegularExpression row(
        QStringLiteral("<tr><td class=\"seed\">(\\d+)</td><td class=\"name\">([^<]*)</td></tr>"));
    auto it = row.globalMatch(html, from);
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
    // --- escaping -----------------------------------------------------------------------------
    void escapesText_data() {
        QTest::addColumn<QString>("raw");
        QTest::addColumn<QString>("escaped");
        QTest::newRow("script") << "<script>alert(1)</script>"
                                << "&lt;script&gt;alert(1)&lt;/script&gt;";
        QTest::newRow("double quotes") << "Max \"Blitz\" Mayer"
                                       << "Max &quot;Blitz&quot; Mayer";
        QTest::newRow("ampersand") << "Huber & Söhne"
                                   << "Huber &amp; Söhne";
        QTest::newRow("attribute breaker") << "\"><img src=x onerror=alert(1)>"
                                           << "&quot;&gt;&lt;img src=x onerror=alert(1)&gt;";
    }
    void escapesText() {
        QFETCH(QString, raw);
        QFETCH(QString, escaped);
        TBracket b = Built(4, 4);
        Play(b, 4); // decided: the name also stands in the final places
        QStringList names = Names(4);
        names[0] = raw;
        TBracketPage page = Page(names);
        page.CompetitionTitle = raw;
        const QString html = BracketHtml(b, page);
        QVERIFY2(!html.contains(raw), qPrintable(raw));
        // Title, heading, first-round heat, final and first place.
        QVERIFY(html.count(escaped) >= 5);
        QCOMPARE(PlacesOnPage(html).value(0).second, escaped);
    }

    // --- encoding -----------------------------------------------------------------------------
    void writtenAsUtf8_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("umlauts") << "Jürgen Weiß";
        QTest::newRow("cyrillic") << "Иван Петров";
        QTest::newRow("beyond the BMP") << "Kletterer \U0001F9D7";
    }
    void writtenAsUtf8() {
        QFETCH(QString, name);
        QTemporaryDir dir;
        const QString file = dir.filePath("bracket.html");
        TBracket b = Built(4, 4);
        QStringList names = Names(4);
        names[2] = name;
        QString error;
        QVERIFY(WriteBracketHtml(file, b, Page(names), &error));
        QVERIFY(error.isEmpty());
        QFile f(file);
        QVERIFY(f.open(QIODevice::ReadOnly));
        const QByteArray bytes = f.readAll();
        QVERIFY(bytes.contains(name.toUtf8()));
        QStringDecoder utf8(QStringDecoder::Utf8);
        const QString text = utf8(bytes);
        QVERIFY(!utf8.hasError());
        QVERIFY(text.contains("<meta charset=\"UTF-8\">"));
        QCOMPARE(text, BracketHtml(b, Page(names)));
    }

    // --- final places -------------------------------------------------------------------------
    void listsFinalPlaces_data() {
        QTest::addColumn<int>("starters");
        QTest::addColumn<int>("size");
        QTest::addColumn<int>("heats"); // heats run before the page is made
        QTest::newRow("4 decided") << 4 << 4 << 4;
        QTest::newRow("8 decided") << 8 << 8 << 8;
        QTest::newRow("6 in 8 with byes, decided") << 6 << 8 << 8;
        QTest::newRow("16 half run") << 16 << 16 << 8;
        QTest::newRow("nothing run") << 8 << 8 << 0;
    }
    void listsFinalPlaces() {
        QFETCH(int, starters);
        QFETCH(int, size);
        QFETCH(int, heats);
        TBracket b = Built(starters, size);
        QCOMPARE(b.Size(), size);
        Play(b, heats);
        const QStringList names = Names(starters);
        const QString html = BracketHtml(b, Page(names));
        QList<QPair<int, QString>> expected;
        for (const auto& [entry, place] : b.Places())
            expected << qMakePair(place, names.value(entry));
        QCOMPARE(PlacesOnPage(html), expected);
        if (expected.isEmpty()) QVERIFY(html.contains("Noch keine Plätze entschieden."));
        if (b.Finished()) {
            // Every starter is placed, the winner of the final first.
            QCOMPARE(expected.size(), starters);
            QCOMPARE(expected.first(), qMakePair(1, names.first()));
        }
    }

    // --- byes, voided runs, the heat on the tracks --------------------------------------------
    void marksByesVoidedAndCurrent() {
        TBracket b = Built(3, 4); // seed 4 missing: seed 1 advances without a run
        Play(b, 1);
        int raced = -1;
        for (int i = 0; i < b.Heats().size(); ++i)
            if (b.Heats()[i].Winner >= 0 && !b.Heats()[i].Bye) raced = i;
        QVERIFY(raced >= 0);
        QVERIFY(b.Rerun(raced));
        const QString html = BracketHtml(b, Page(Names(3)));
        QVERIFY(html.contains("<i>Freilos</i>"));
        QCOMPARE(html.count("table class=\"heat current\""), 1);
        const QString voided = QStringLiteral("ungültig: <s>%1</s> – <s>%2</s>")
                                   .arg(FormatTime(6000 + 10 * raced, tfSeconds),
                                        FormatTime(6500 + 10 * raced, tfSeconds));
        QVERIFY2(html.contains(voided), qPrintable(voided));
    }

    void noBracket() {
        const QString html = BracketHtml(TBracket(), Page({}));
        QVERIFY(html.contains("Kein K.-o.-Feld."));
        QVERIFY(html.endsWith("</html>\r\n"));
    }

    // --- writing ------------------------------------------------------------------------------
    void unwritableFolderIsAnError() {
        QString error;
        QVERIFY(!WriteBracketHtml("/nonexistent-folder/x/bracket.html", Built(4, 4), Page(Names(4)),
                                  &error));
        QVERIFY(error.contains("/nonexistent-folder/x/bracket.html"));
    }
};

QTEST_GUILESS_MAIN(TestBracketHtml)
#include "tst_brackethtml.moc"
