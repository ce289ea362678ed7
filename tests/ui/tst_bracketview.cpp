// The bracket drawing: where its boxes go at any size, when it repaints, and what it shows of
// winners, voided runs and the heat on the tracks.
#include "ui/BracketView.h"

#include <QImage>
#include <QtTest>

namespace {
TBracket Played(int size, int count) {
    QVector<TBracket::TSeed> seeds;
    for (int i = 0; i < size; ++i)
        seeds.push_back({i, 7000 + 100 * i});
    TBracket b = TBracket::Build(seeds, size).value_or(TBracket());
    for (int i = 0; i < count && b.CurrentHeat() >= 0; ++i)
        b.SetResult(b.CurrentHeat(), {TBracket::LaneTime, 6000 + 10 * i, {}},
                    {TBracket::LaneTime, 6500 + 10 * i, {}});
    return b;
}

QString Name(int entry) {
    return QStringLiteral("Kletterer %1").arg(entry + 1);
}

int Count(const QImage& img, const QRect& r, QColor colour) {
    int n = 0;
    const QRect in = r.intersected(img.rect());
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x)
            n += img.pixelColor(x, y) == colour;
    return n;
}
} // namespace

class TestBracketView : public QObject {
    Q_OBJECT
private slots:
    void layout_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QSize>("widget");
        for (int size : {4, 8, 16})
            for (QSize w : {QSize(1920, 1080), QSize(320, 240), QSize(1080, 1920)})
                QTest::addRow("%d in %dx%d", size, w.width(), w.height()) << size << w;
    }
    void layout() {
        QFETCH(int, size);
        QFETCH(QSize, widget);
        const TBracket b = Played(size, 0);
        const auto& heats = b.Heats();
        const TBracketLayout L = BracketLayout(widget, b.Rounds(), heats);
        QCOMPARE(L.boxes.size(), heats.size());
        for (int i = 0; i < heats.size(); ++i) {
            const QRect& box = L.boxes[i];
            QVERIFY(QRect(QPoint(0, 0), widget).contains(box));
            QVERIFY(box.height() > 2 * L.fontPx); // two lines of text fit
            QVERIFY(!box.intersects(L.headers.value(heats[i].Round)));
            for (int j = i + 1; j < heats.size(); ++j)
                QVERIFY(!box.intersects(L.boxes[j]));
            QList<int> feeders, finals;
            for (int j = 0; j < heats.size(); ++j) {
                if (heats[j].SmallFinal) continue;
                if (heats[j].Round == heats[i].Round - 1 && heats[j].Slot / 2 == heats[i].Slot)
                    feeders << j;
                if (heats[j].Round == heats[i].Round) finals << j;
            }
            if (heats[i].SmallFinal) {
                // Below the final, its label between them.
                QVERIFY(L.smallFinalLabel.top() > L.boxes[finals[0]].bottom());
                QVERIFY(L.smallFinalLabel.bottom() < box.top());
            } else if (heats[i].Round > 0) {
                // Right of the two heats that feed it, and between them in height.
                QCOMPARE(feeders.size(), 2);
                QVERIFY(box.left() > L.boxes[feeders[1]].right());
                QVERIFY(box.center().y() > L.boxes[feeders[0]].center().y());
                QVERIFY(box.center().y() < L.boxes[feeders[1]].center().y());
            }
        }
        // A widget of no size draws nothing and breaks nothing.
        for (const QRect& r : BracketLayout(QSize(-5, 0), b.Rounds(), heats).boxes)
            QVERIFY(r.width() >= 0 && r.height() >= 0);
    }

    void repaintsOnlyOnChange_data() {
        QTest::addColumn<QString>("change");
        QTest::addColumn<bool>("repaints");
        QTest::newRow("same bracket again") << "none" << false;
        QTest::newRow("a heat decided") << "result" << true;
        QTest::newRow("a heat voided") << "rerun" << true;
        QTest::newRow("a name edited") << "name" << true;
        QTest::newRow("the time format") << "format" << true;
    }
    void repaintsOnlyOnChange() {
        QFETCH(QString, change);
        QFETCH(bool, repaints);
        TBracketView v;
        QVERIFY(v.SetBracket(Played(8, 1), Name, 1));
        const int before = v.Repaints();
        TBracket b = Played(8, change == "result" ? 2 : 1);
        if (change == "rerun") QVERIFY(b.Rerun(0));
        std::function<QString(int)> name = Name;
        if (change == "name") name = [](int e) { return e == 0 ? QString("Neu") : Name(e); };
        QCOMPARE(v.SetBracket(b, name, change == "format" ? 0 : 1), repaints);
        QCOMPARE(v.Repaints(), before + (repaints ? 1 : 0));
    }

    void drawsWinnerCurrentAndVoided_data() {
        QTest::addColumn<int>("theme");
        QTest::addColumn<QColor>("winFill");
        QTest::addColumn<QColor>("outline");
        QTest::addColumn<QColor>("voided");
        QTest::newRow("dark") << int(TBracketView::Dark) << QColor(0, 96, 0) << QColor(255, 160, 0)
                              << QColor(255, 80, 80);
        QTest::newRow("light") << int(TBracketView::Light) << QColor(200, 230, 190)
                               << QColor(230, 120, 0) << QColor(170, 0, 0);
    }
    void drawsWinnerCurrentAndVoided() {
        QFETCH(int, theme);
        QFETCH(QColor, winFill);
        QFETCH(QColor, outline);
        QFETCH(QColor, voided);
        TBracket b = Played(16, 3);
        QVERIFY(b.Rerun(2)); // heat 2 is on the tracks again, its first run voided
        TBracketView v(nullptr, TBracketView::TTheme(theme));
        v.resize(1920, 1080);
        v.SetBracket(b, Name, 1);
        const QImage img = v.grab().toImage();
        const TBracketLayout L = BracketLayout(v.size(), b.Rounds(), b.Heats());
        const QRect decided = L.boxes[0], current = L.boxes[2], open = L.boxes[5];
        auto under = [&](const QRect& r) {
            return QRect(r.left(), r.bottom() + 1, r.width(), L.fontPx);
        };
        // Lane A won heat 0: its half is filled; an open heat has no winner.
        QVERIFY(Count(img, decided.adjusted(0, 0, 0, -decided.height() / 2), winFill) >
                decided.width() * decided.height() / 8);
        QCOMPARE(Count(img, open, winFill), 0);
        // Only the heat on the tracks is outlined; only the voided run shows under its box.
        QVERIFY(Count(img, current.adjusted(-4, -4, 4, 4), outline) > current.width());
        QCOMPARE(Count(img, decided.adjusted(-4, -4, 4, 4), outline), 0);
        QVERIFY(Count(img, under(current), voided) > 20);
        QCOMPARE(Count(img, under(open), voided), 0);
    }
};

QTEST_MAIN(TestBracketView)
#include "tst_bracketview.moc"
