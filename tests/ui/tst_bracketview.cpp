// The bracket drawing: where its boxes go at any size, when it repaints, and what the
// audience sees of winners, voided runs and the heat on the tracks.
#include "core/TimeFormat.h"
#include "ui/BracketView.h"

#include <QImage>
#include <QtTest>

namespace {
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

void Play(TBracket& b, int count) {
    for (int i = 0; i < count && b.CurrentHeat() >= 0; ++i)
        b.SetResult(b.CurrentHeat(), Time(6000 + 10 * i), Time(6500 + 10 * i));
}

QString Name(int entry) {
    return QStringLiteral("Kletterer %1").arg(entry + 1);
}

int Count(const QImage& img, const QRect& r, const std::function<bool(QColor)>& match) {
    int n = 0;
    const QRect in = r.intersected(img.rect());
    for (int y = in.top(); y <= in.bottom(); ++y)
        for (int x = in.left(); x <= in.right(); ++x)
            if (match(img.pixelColor(x, y))) ++n;
    return n;
}
} // namespace

class TestBracketView : public QObject {
    Q_OBJECT
private slots:
    // --- layout -------------------------------------------------------------------------------
    void layout_data() {
        QTest::addColumn<int>("size");
        QTest::addColumn<QSize>("widget");
        for (int size : {4, 8, 16})
            for (QSize w : {QSize(1920, 1080), QSize(800, 450), QSize(320, 240), QSize(1080, 1920)})
                QTest::addRow("%d in %dx%d", size, w.width(), w.height()) << size << w;
    }
    void layout() {
        QFETCH(int, size);
        QFETCH(QSize, widget);
        const TBracket b = Built(size, size);
        const auto& heats = b.Heats();
        const TBracketLayout L = BracketLayout(widget, b.Rounds(), heats);
        QCOMPARE(L.boxes.size(), heats.size());
        QCOMPARE(L.headers.size(), b.Rounds());
        const QRect all(QPoint(0, 0), widget);
        for (int i = 0; i < heats.size(); ++i) {
            const QRect& box = L.boxes[i];
            QVERIFY2(all.contains(box), qPrintable(QString("heat %1").arg(i)));
            QVERIFY(box.height() > 2 * L.fontPx); // two lines of text fit
            for (int j = i + 1; j < heats.size(); ++j)
                QVERIFY2(!box.intersects(L.boxes[j]), qPrintable(QString("%1, %2").arg(i).arg(j)));
            QVERIFY(!box.intersects(L.headers.value(heats[i].Round)));
        }
        for (int i = 0; i < heats.size(); ++i) {
            const auto& h = heats[i];
            if (h.SmallFinal) {
                // Below the final, in its column, its label between them.
                for (int j = 0; j < heats.size(); ++j)
                    if (heats[j].Round == h.Round && !heats[j].SmallFinal) {
                        QVERIFY(L.boxes[i].top() > L.boxes[j].bottom());
                        QVERIFY(L.smallFinalLabel.top() > L.boxes[j].bottom());
                        QVERIFY(L.smallFinalLabel.bottom() < L.boxes[i].top());
                    }
                continue;
            }
            if (h.Round == 0) continue;
            // Right of the heats that feed it, and between them in height.
            QList<int> feeders;
            for (int j = 0; j < heats.size(); ++j)
                if (heats[j].Round == h.Round - 1 && !heats[j].SmallFinal &&
                    heats[j].Slot / 2 == h.Slot)
                    feeders << j;
            QCOMPARE(feeders.size(), 2);
            for (int j : feeders)
                QVERIFY(L.boxes[i].left() > L.boxes[j].right());
            const int y = L.boxes[i].center().y();
            QVERIFY(y >= L.boxes[feeders[0]].center().y() && y <= L.boxes[feeders[1]].center().y());
        }
    }

    void layoutOfNothingIsSafe_data() {
        QTest::addColumn<QSize>("widget");
        QTest::newRow("empty") << QSize(0, 0);
        QTest::newRow("one pixel") << QSize(1, 1);
        QTest::newRow("invalid") << QSize(-20, -10);
        QTest::newRow("a line") << QSize(1920, 3);
    }
    void layoutOfNothingIsSafe() {
        QFETCH(QSize, widget);
        const TBracket b = Built(16, 16);
        const TBracketLayout L = BracketLayout(widget, b.Rounds(), b.Heats());
        for (const QRect& r : L.boxes)
            QVERIFY(r.width() >= 0 && r.height() >= 0);
        QVERIFY(L.fontPx >= 1 && L.headerPx >= 1);
        TBracketView v;
        v.SetBracket(b, Name, 1);
        v.resize(widget.expandedTo(QSize(0, 0)));
        (void)v.grab(); // draws without a crash
    }

    // --- repainting only on change ----------------------------------------------------------
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
        TBracket b = Built(8, 8);
        Play(b, 1);
        TBracketView v;
        QVERIFY(v.SetBracket(b, Name, 1));
        const int before = v.Repaints();
        std::function<QString(int)> name = Name;
        int format = 1;
        if (change == "result") Play(b, 1);
        if (change == "rerun") QVERIFY(b.Rerun(0));
        if (change == "name") name = [](int e) { return e == 0 ? QString("Neu") : Name(e); };
        if (change == "format") format = 0;
        QCOMPARE(v.SetBracket(b, name, format), repaints);
        QCOMPARE(v.Repaints(), before + (repaints ? 1 : 0));
    }

    // --- what the audience sees -------------------------------------------------------------
    void drawsWinnerCurrentAndVoided_data() {
        QTest::addColumn<int>("theme");
        QTest::newRow("dark") << int(TBracketView::Dark);
        QTest::newRow("light") << int(TBracketView::Light);
    }
    void drawsWinnerCurrentAndVoided() {
        QFETCH(int, theme);
        TBracket b = Built(16, 16);
        Play(b, 3);
        QVERIFY(b.Rerun(2)); // heat 2 is on the tracks again, its first run voided
        TBracketView v(nullptr, TBracketView::TTheme(theme));
        v.resize(1920, 1080);
        v.SetBracket(b, Name, 1);
        const QImage img = v.grab().toImage();
        const TBracketLayout L = BracketLayout(v.size(), b.Rounds(), b.Heats());
        const QRect decided = L.boxes[0], current = L.boxes[2], open = L.boxes[5];
        auto winFill = [&](QColor c) {
            return theme == TBracketView::Dark ? c == QColor(0, 96, 0) : c == QColor(200, 230, 190);
        };
        auto outline = [&](QColor c) {
            return theme == TBracketView::Dark ? c == QColor(255, 160, 0)
                                               : c == QColor(230, 120, 0);
        };
        auto voided = [&](QColor c) { return c.red() > 150 && c.green() < 100 && c.blue() < 100; };
        // The winner's half of a decided heat is filled; an open heat has no winner.
        QVERIFY(Count(img, decided.adjusted(0, 0, 0, -decided.height() / 2), winFill) >
                decided.width() * decided.height() / 8);
        QCOMPARE(Count(img, open, winFill), 0);
        // The heat on the tracks, and only it, is outlined.
        QVERIFY(Count(img, current.adjusted(-4, -4, 4, 4), outline) > current.width());
        QCOMPARE(Count(img, decided.adjusted(-4, -4, 4, 4), outline), 0);
        // The voided run shows under its box.
        const QRect under(current.left(), current.bottom() + 1, current.width(), L.fontPx);
        QVERIFY(Count(img, under, voided) > 20);
        QCOMPARE(Count(img, QRect(open.left(), open.bottom() + 1, open.width(), L.fontPx), voided),
                 0);
    }

    void noBracketSaysWhy() {
        TBracketView v;
        v.resize(800, 450);
        v.SetEmptyText("Zu wenige Teilnehmer");
        const QImage withText = v.grab().toImage();
        v.SetEmptyText("");
        const QImage plain = v.grab().toImage();
        QVERIFY(withText != plain);
    }
};

QTEST_MAIN(TestBracketView)
#include "tst_bracketview.moc"
