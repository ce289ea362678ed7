#include "widgets/SortGrid.h"

#include <QMenu>
#include <QPainter>
#include <QtTest>

namespace {
const QColor kColours[] = {QColor(255, 0, 0), QColor(0, 255, 0), QColor(0, 0, 255)};

// Three 30-pixel columns, rows 20 high; data cells coloured per column.
void Setup(TSortGrid& g, int rows = 4) {
    g.setFrameShape(QFrame::NoFrame);
    g.setColCount(3);
    g.setRowCount(rows);
    g.setDefaultColWidth(30);
    g.setDefaultRowHeight(20);
    g.resize(200, 150);
    g.OnGetCellFormat = [](int c, int r, TGridDrawState, TFormatOptions& f, bool&, bool&, bool&) {
        if (r > 0) f.BrushColor = kColours[c];
    };
}

QPoint Centre(const TSortGrid& g, int c, int r) {
    return g.CellRect(c, r).center();
}
} // namespace

class TestGridView : public QObject {
    Q_OBJECT
private slots:
    void hiddenColumnTakesNoPixels_data() {
        QTest::addColumn<int>("middleWidth");
        QTest::addColumn<QColor>("at31");
        QTest::addColumn<QColor>("at61");
        QTest::newRow("shown") << 30 << kColours[1] << kColours[2];
        QTest::newRow("hidden") << -1 << kColours[2] << QColor();
    }
    void hiddenColumnTakesNoPixels() {
        QFETCH(int, middleWidth);
        QFETCH(QColor, at31);
        QFETCH(QColor, at61);
        TSortGrid g;
        Setup(g);
        g.setColWidths(1, middleWidth);
        const QImage img = g.grab().toImage();
        const int y = 2 * 21 + 10; // inside data row 2 (row 1 is the selected one)
        QCOMPARE(img.pixelColor(15, y), kColours[0]);
        QVERIFY(img.pixelColor(30, y) != kColours[0]); // the grid line
        QCOMPARE(img.pixelColor(31, y), at31);
        QCOMPARE(img.pixelColor(60, y), at31);
        if (at61.isValid()) QCOMPARE(img.pixelColor(61 + 15, y), at61);
        bool greenSeen = false;
        for (int x = 0; x < img.width(); ++x)
            greenSeen |= img.pixelColor(x, y) == kColours[1];
        QCOMPARE(greenSeen, middleWidth >= 0);
        int c, r;
        g.MouseToCell(QPoint(45, y), c, r);
        QCOMPARE(c, middleWidth >= 0 ? 1 : 2);
        QCOMPARE(r, 2);
    }

    void headerTextIsCut() {
        TSortGrid g;
        Setup(g);
        g.setColWidths(0, 60);
        const QString title = "Teilnehmername, Vorname";
        g.setCells(0, 0, title);
        g.SortOptions.SortCol = 2; // no arrow in this column
        const QFontMetrics fm(g.font());
        const QString cut = CutHeaderText(title, 59, fm);
        QVERIFY(cut.endsWith(".."));
        QVERIFY(cut.size() >= 4 && cut.size() < title.size());
        QVERIFY(fm.horizontalAdvance(cut) <= 59);
        QVERIFY(fm.horizontalAdvance(cut.left(cut.size() - 2) + title[cut.size() - 2] + "..") > 59);

        // The header cell looks exactly like the cut title drawn at its place.
        const QRect cell = g.CellRect(0, 0);
        const QImage shot = g.grab(cell).toImage().convertToFormat(QImage::Format_RGB32);
        QImage expected(cell.size(), QImage::Format_RGB32);
        expected.fill(g.palette().color(QPalette::Button));
        {
            QPainter p(&expected);
            p.setFont(g.font());
            p.setPen(g.palette().color(QPalette::ButtonText));
            p.drawText(QPoint(2, (cell.height() - fm.height()) / 2 + fm.ascent()), cut);
        }
        QCOMPARE(shot, expected);
    }

    void cutKeepsFourCharacters_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<int>("width");
        QTest::addColumn<QString>("cut");
        QTest::newRow("fits") << "Ort" << 200 << "Ort";
        QTest::newRow("no room") << "Klasse" << 1 << "Kl..";
        QTest::newRow("short") << "." << 0 << "..";
    }
    void cutKeepsFourCharacters() {
        QFETCH(QString, text);
        QFETCH(int, width);
        QFETCH(QString, cut);
        QCOMPARE(CutHeaderText(text, width, QFontMetrics(QFont())), cut);
    }

    void headerClicks() {
        TSortGrid g;
        Setup(g);
        for (int r = 1; r < 4; ++r)
            g.setCells(0, r, QString::number(4 - r));
        g.SortOptions.CanSort = false;
        g.SortOptions.SortCol = 0;
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        auto click = [&](int c, Qt::MouseButton b = Qt::LeftButton) {
            QTest::mouseClick(g.viewport(), b, {}, Centre(g, c, 0));
        };
        click(0);
        QCOMPARE(g.SortOptions.SortDirection, sdDescending);
        click(0);
        QCOMPARE(g.SortOptions.SortDirection, sdAscending);
        click(0, Qt::RightButton);
        QCOMPARE(g.SortOptions.SortDirection, sdDescending);
        click(1); // another column: ascending, and nothing sorted
        QCOMPARE(g.SortOptions.SortDirection, sdAscending);
        QCOMPARE(g.SortOptions.SortCol, 0);
        QCOMPARE(g.Cells(0, 1), QString("3"));

        g.SortOptions.CanSort = true;
        g.SortOptions.SortDirection = sdDescending;
        click(0);
        QCOMPARE(g.SortOptions.SortDirection, sdAscending);
        QCOMPARE(g.Cells(0, 1), QString("1"));
        QCOMPARE(g.Cells(0, 0), QString()); // the title row stays where it is

        // Dragging a column border resizes and is no click.
        g.setOptions(g.Options() | goColSizing);
        const QPoint border(g.CellRect(0, 0).right() + 1, 10);
        QTest::mousePress(g.viewport(), Qt::LeftButton, {}, border);
        QTest::mouseMove(g.viewport(), border + QPoint(15, 0));
        QTest::mouseRelease(g.viewport(), Qt::LeftButton, {}, border + QPoint(15, 0));
        QCOMPARE(g.ColWidths(0), 45);
        QCOMPARE(g.SortOptions.SortDirection, sdAscending);
    }

    void currentRowScrollsIntoView() {
        TSortGrid g;
        Setup(g, 101);
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.setRow(90);
        QVERIFY(g.TopRow() > 80);
        QVERIFY(!g.CellRect(0, 90).isEmpty());
        QVERIFY(g.CellRect(0, 90).bottom() < g.viewport()->height());
        QVERIFY(g.CellRect(0, 1).isEmpty());
        QCOMPARE(g.CellRect(0, 0).top(), 0); // the title row stays in view
        g.setRow(2);
        QCOMPARE(g.TopRow(), 2);
        g.setRow(100);
        g.setRowCount(5); // fewer rows than fit: back to the top
        QCOMPARE(g.TopRow(), 1);
        QCOMPARE(g.Row(), 4);
    }

    void selectingAsksTheOwner() {
        TSortGrid g;
        Setup(g, 6);
        g.setOptions(g.Options() | goRowSelect);
        bool allow = false;
        QList<QPoint> asked;
        QList<int> rowsSeen;
        g.OnSelectCell = [&](int c, int r, bool& can) {
            asked << QPoint(c, r);
            can = allow;
        };
        g.OnRowSelected = [&] { rowsSeen << g.Row(); };
        g.show();
        QVERIFY(QTest::qWaitForWindowActive(&g));
        g.setFocus();
        QTest::keyClick(&g, Qt::Key_Down);
        QCOMPARE(asked, QList<QPoint>{QPoint(0, 2)});
        QCOMPARE(g.Row(), 1);
        QVERIFY(rowsSeen.isEmpty());
        allow = true;
        QTest::keyClick(&g, Qt::Key_Down);
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, Centre(g, 2, 4));
        QCOMPARE(g.Row(), 4);
        QCOMPARE(g.Col(), 2);
        QCOMPARE(rowsSeen, (QList<int>{2, 4}));
        QCOMPARE(g.SelectedRows(), QStringList{"4"});
        QCOMPARE(g.Selection(), QRect(QPoint(0, 4), QPoint(2, 4)));
        g.setRow(5); // program moves are not asked about
        QCOMPARE(asked.size(), 3);
    }

    void editing_data() {
        QTest::addColumn<unsigned>("options");
        QTest::addColumn<int>("finishKey");
        QTest::addColumn<QString>("text");
        QTest::addColumn<bool>("modified");
        QTest::newRow("typed and confirmed")
            << unsigned(goEditing) << int(Qt::Key_Return) << "abc" << true;
        QTest::newRow("moved away") << unsigned(goEditing) << int(Qt::Key_Down) << "abc" << true;
        QTest::newRow("cancelled") << unsigned(goEditing) << int(Qt::Key_Escape) << "old" << false;
        QTest::newRow("no editing") << unsigned(0) << int(Qt::Key_Return) << "old" << false;
        QTest::newRow("row select")
            << unsigned(goEditing | goRowSelect) << int(Qt::Key_Return) << "old" << false;
    }
    void editing() {
        QFETCH(unsigned, options);
        QFETCH(int, finishKey);
        QFETCH(QString, text);
        QFETCH(bool, modified);
        TSortGrid g;
        Setup(g);
        g.setOptions(options);
        g.setCells(0, 1, "old");
        g.show();
        QVERIFY(QTest::qWaitForWindowActive(&g));
        g.setFocus();
        QTest::keyClick(&g, 'a');
        // Once the first key opened the editor, the rest goes where the focus went.
        QTest::keyClicks(QApplication::focusWidget(), "bc");
        QTest::keyClick(QApplication::focusWidget(), Qt::Key(finishKey));
        QCOMPARE(g.Cells(0, 1), text);
        QCOMPARE(g.Modified(), modified);
        QVERIFY(!g.EditorMode());
    }

    void popupOverDataRowsOnly() {
        TSortGrid g;
        Setup(g);
        QMenu menu;
        menu.addAction("x");
        g.PopupMenu = &menu;
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        QTest::mouseClick(g.viewport(), Qt::RightButton, {}, Centre(g, 1, 0));
        QVERIFY(!menu.isVisible());
        QTest::mouseClick(g.viewport(), Qt::RightButton, {}, Centre(g, 1, 2));
        QTRY_VERIFY(menu.isVisible());
        menu.close();
    }

    void noDataPaintingWhileUpdating() {
        TSortGrid g;
        Setup(g);
        int dataCalls = 0;
        g.OnGetCellFormat = [&](int, int r, TGridDrawState, TFormatOptions& f, bool&, bool&,
                                bool&) {
            if (r > 0) ++dataCalls;
            f.BrushColor = Qt::red;
        };
        g.show();
        QVERIFY(QTest::qWaitForWindowExposed(&g));
        g.BeginUpdate();
        dataCalls = 0;
        for (int i = 0; i < 50; ++i)
            g.setCells(1, 2, QString::number(i));
        const QImage during = g.grab().toImage();
        QCOMPARE(dataCalls, 0);
        QVERIFY(during.pixelColor(58, 2 * 21 + 10) != QColor(Qt::red));
        QTest::mouseClick(g.viewport(), Qt::LeftButton, {}, Centre(g, 1, 3)); // no input either
        QCOMPARE(g.Row(), 1);
        g.EndUpdate();
        QTRY_VERIFY(dataCalls > 0);
        QCOMPARE(g.grab().toImage().pixelColor(58, 2 * 21 + 10), QColor(Qt::red));
    }

    void oddTextsAreDrawn() {
        TSortGrid g;
        Setup(g, 6);
        g.setColWidths(2, 300);
        const QStringList odd{QString(10000, 'W'), "a\tb\nc\x01\x7f", "مرحبا بالعالم", "   ", ""};
        for (int i = 0; i < odd.size(); ++i) {
            if (i < 3) g.setCells(i, 0, odd[i]);
            for (int c = 0; c < 3; ++c)
                g.setCells(c, 1 + i, odd[i]);
        }
        g.OnGetCellFormat = [](int c, int, TGridDrawState, TFormatOptions& f, bool& check,
                               bool& combo, bool&) {
            f.AlignmentHorz = c == 2 ? Qt::AlignRight : Qt::AlignHCenter;
            check = c == 1;
            combo = c == 0;
        };
        g.SortOptions.SortCol = 0;
        QVERIFY(!g.grab().toImage().isNull());
        QCOMPARE(g.Cells(2, 1).size(), 10000);
        QCOMPARE(g.Cells(1, 2), odd[1]);
    }
};

QTEST_MAIN(TestGridView)
#include "tst_gridview.moc"
