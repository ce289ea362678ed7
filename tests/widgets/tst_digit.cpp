#include <QtTest>

#include "widgets/QtColors.h"
#include "widgets/Udigit.h"

#include <climits>
#include <QScreen>

using Hexagon = std::array<QPoint, 6>;
using DigitAction = std::function<void(TDigit&)>;
Q_DECLARE_METATYPE(Hexagon)
Q_DECLARE_METATYPE(DigitAction)

namespace {

// Counts the paint events a widget receives.
class TPaintCounter : public QObject {
public:
    int paints = 0;
    bool eventFilter(QObject*, QEvent* e) override {
        if (e->type() == QEvent::Paint) ++paints;
        return false;
    }
};

// An interior pixel of each of the eight segments of a 45 x 89 digit with thickness 5 and
// separation 1, in bit order, and pixels that belong to no segment (the seams).
const std::array<QPoint, 8> kInterior = {QPoint(22, 5),  QPoint(22, 44), QPoint(22, 83),
                                         QPoint(5, 25),  QPoint(39, 25), QPoint(5, 64),
                                         QPoint(39, 64), QPoint(42, 86)};
const std::array<QPoint, 6> kSeams = {QPoint(0, 0),   QPoint(5, 5),   QPoint(22, 0),
                                      QPoint(41, 44), QPoint(44, 44), QPoint(39, 83)};

const TColor kBack = 0x00603010, kOn = 0x0000FFFF, kOff = 0x00404040;

} // namespace

class TestDigit : public QObject {
    Q_OBJECT
private slots:
    void geometry_data() {
        QTest::addColumn<int>("bar");
        QTest::addColumn<Hexagon>("expected");
        // The main window's digit: 45 x 89, thickness 5, separation 1.
        QTest::newRow("top") << 0
                             << Hexagon{{{6, 5}, {11, 0}, {33, 0}, {38, 5}, {33, 10}, {11, 10}}};
        QTest::newRow("middle") << 1
                                << Hexagon{
                                       {{6, 44}, {11, 39}, {33, 39}, {38, 44}, {33, 49}, {11, 49}}};
        QTest::newRow("bottom") << 2
                                << Hexagon{
                                       {{6, 83}, {11, 78}, {33, 78}, {38, 83}, {33, 88}, {11, 88}}};
        QTest::newRow("upper left")
            << 3 << Hexagon{{{0, 11}, {5, 6}, {10, 11}, {10, 38}, {5, 43}, {0, 38}}};
        QTest::newRow("upper right")
            << 4 << Hexagon{{{34, 11}, {39, 6}, {44, 11}, {44, 38}, {39, 43}, {34, 38}}};
        QTest::newRow("lower left")
            << 5 << Hexagon{{{0, 50}, {5, 45}, {10, 50}, {10, 77}, {5, 82}, {0, 77}}};
        // x0 = W - 2T = 34, y0 = M - T = 39.
        QTest::newRow("lower right")
            << 6 << Hexagon{{{34, 50}, {39, 45}, {44, 50}, {44, 77}, {39, 82}, {34, 77}}};
    }

    void geometry() {
        QFETCH(int, bar);
        QFETCH(Hexagon, expected);
        const TDigitGeometry g = DigitGeometry(45, 89, 5, 1);
        QCOMPARE(g.bars[size_t(bar)], expected);
        const std::array<QPoint, 3> mark = {QPoint(44, 88), QPoint(35, 88), QPoint(44, 79)};
        QCOMPARE(g.mark, mark);
    }

    void lowerBarsEndAboveBottomCentre_data() {
        QTest::addColumn<int>("height");
        QTest::addColumn<int>("separation");
        QTest::addColumn<int>("gap");
        QTest::newRow("odd height") << 89 << 1 << 1;
        QTest::newRow("even height") << 90 << 1 << 2;
        QTest::newRow("odd height, separation 3") << 33 << 3 << 3;
        QTest::newRow("even height, separation 0") << 32 << 0 << 1;
    }

    void lowerBarsEndAboveBottomCentre() {
        QFETCH(int, height);
        QFETCH(int, separation);
        QFETCH(int, gap);
        const int t = 4;
        const TDigitGeometry g = DigitGeometry(40, height, t, separation);
        const int bottomCentre = height - 1 - t;
        for (size_t bar : {size_t(5), size_t(6)}) // the lower bars' pointed bottom ends
            QCOMPARE(bottomCentre - g.bars[bar][4].y(), gap);
        // The middle bar's centre line is (Height - 1) div 2.
        QCOMPARE(g.bars[1][0].y(), (height - 1) / 2);
    }

    void digitTable_data() {
        QTest::addColumn<int>("digit");
        QTest::addColumn<int>("pattern");
        QTest::newRow("0") << 0 << 0x7D;
        QTest::newRow("1") << 1 << 0x50;
        QTest::newRow("2") << 2 << 0x37;
        QTest::newRow("3") << 3 << 0x57;
        QTest::newRow("4") << 4 << 0x5A;
        QTest::newRow("5") << 5 << 0x4F;
        QTest::newRow("6") << 6 << 0x6F;
        QTest::newRow("7") << 7 << 0x51;
        QTest::newRow("8") << 8 << 0x7F;
        QTest::newRow("9") << 9 << 0x5F;
    }

    void digitTable() {
        QFETCH(int, digit);
        QFETCH(int, pattern);
        QCOMPARE(int(DigitPatterns[size_t(digit)]), pattern);
        TDigit d;
        d.setValue(digit == 0 ? 1 : 0); // make sure the next assignment is a change
        d.setValue(digit);
        QCOMPARE(d.Value(), digit);
        QCOMPARE(int(d.ValueBinary()), pattern);
    }

    void initialState() {
        TDigit d;
        QCOMPARE(d.size(), QSize(16, 32));
        QCOMPARE(d.sizeHint(), QSize(16, 32));
        QCOMPARE(d.BorderStyle(), bsSingle);
        QCOMPARE(d.ColorOff(), Colors::clBlack);
        QCOMPARE(d.ColorOn(), Colors::clYellow);
        QCOMPARE(d.Color(), Colors::clBlack);
        QCOMPARE(d.Value(), 0);
        QCOMPARE(int(d.ValueBinary()), 125);
        QCOMPARE(d.Thickness(), 2);
        QCOMPARE(d.Separation(), 1);
        QVERIFY(!d.OnOverflow);
        QVERIFY(d.testAttribute(Qt::WA_OpaquePaintEvent));
    }

    void valueOverflow_data() {
        QTest::addColumn<int>("start");
        QTest::addColumn<int>("bad");
        QTest::newRow("10 from 0") << 0 << 10;
        QTest::newRow("10 from 7") << 7 << 10;
        QTest::newRow("-1 from 0") << 0 << -1;
        QTest::newRow("INT_MIN from 3") << 3 << INT_MIN;
        QTest::newRow("INT_MAX from 9") << 9 << INT_MAX;
    }

    void valueOverflow() {
        QFETCH(int, start);
        QFETCH(int, bad);
        TDigit d;
        d.setValue(start);
        d.setValueBinary(0x80); // the overflow must restore the figure of 0
        QList<TDigit*> senders;
        d.OnOverflow = [&](TDigit* s) {
            senders << s;
            QCOMPARE(s->Value(), 0); // already 0 when the handler runs
        };
        d.setValue(bad);
        QCOMPARE(d.Value(), 0);
        QCOMPARE(int(d.ValueBinary()), 125);
        QCOMPARE(senders, QList<TDigit*>{&d});
        // The stored value is 0 now, so the same bad number is a change again.
        d.setValue(bad);
        QCOMPARE(senders.size(), 2);
        // A good value reports nothing.
        d.setValue(4);
        QCOMPARE(senders.size(), 2);
    }

    void overflowHandler() {
        TDigit d;
        // A handler that picks its own value: that value is what is shown.
        d.OnOverflow = [](TDigit* s) { s->setValue(7); };
        d.setValue(12);
        QCOMPARE(d.Value(), 7);
        QCOMPARE(int(d.ValueBinary()), 0x51);

        // A handler that assigns another bad value must not recurse without end.
        int calls = 0;
        d.OnOverflow = [&](TDigit* s) {
            ++calls;
            s->setValue(-5);
        };
        d.setValue(10);
        QCOMPARE(calls, 1);
        QCOMPARE(d.Value(), 0);
        QCOMPARE(int(d.ValueBinary()), 125);
        d.setValue(11); // and the guard does not stay on
        QCOMPARE(calls, 2);

        // A handler may delete the control.
        QWidget parent;
        QPointer<TDigit> owned = new TDigit(&parent);
        owned->setValue(3);
        owned->OnOverflow = [](TDigit* s) { delete s; };
        owned->setValue(99);
        QVERIFY(owned.isNull());
    }

    void valueBinaryIsIndependent() {
        TDigit d;
        d.setValue(3);
        d.setValueBinary(0x80);
        QCOMPARE(d.Value(), 3);
        d.setValue(3); // unchanged: the other pattern stays
        QCOMPARE(int(d.ValueBinary()), 0x80);
        d.setValue(2);
        QCOMPARE(int(d.ValueBinary()), 0x37);
    }

    void thickness_data() {
        QTest::addColumn<QSize>("size");
        QTest::addColumn<int>("thickness");
        QTest::addColumn<bool>("accepted");
        QTest::newRow("16x32, 8") << QSize(16, 32) << 8 << true;
        QTest::newRow("16x32, 9") << QSize(16, 32) << 9 << false;
        QTest::newRow("45x89, 22") << QSize(45, 89) << 22 << true;
        QTest::newRow("45x89, 23") << QSize(45, 89) << 23 << false;
        QTest::newRow("height limits: 45x21, 10") << QSize(45, 21) << 10 << true;
        QTest::newRow("height limits: 45x21, 11") << QSize(45, 21) << 11 << false;
        QTest::newRow("same as before") << QSize(16, 32) << 2 << true;
    }

    void thickness() {
        QFETCH(QSize, size);
        QFETCH(int, thickness);
        QFETCH(bool, accepted);
        TDigit d;
        d.resize(size);
        d.setThickness(thickness);
        QCOMPARE(d.Thickness(), accepted ? thickness : 2);

        // A later resize does not re-check, and painting the misfit is harmless.
        d.resize(3, 3);
        QCOMPARE(d.Thickness(), accepted ? thickness : 2);
        QCOMPARE(d.grab().size(), QSize(3, 3));
    }

    void separationAnyValue_data() {
        QTest::addColumn<int>("separation");
        QTest::addColumn<int>("thickness");
        QTest::newRow("0") << 0 << 5;
        QTest::newRow("negative") << -3 << 5;
        QTest::newRow("INT_MAX") << INT_MAX << 5;
        QTest::newRow("INT_MIN") << INT_MIN << 5;
        QTest::newRow("INT_MIN with INT_MIN thickness") << INT_MIN << INT_MIN;
    }

    void separationAnyValue() {
        QFETCH(int, separation);
        QFETCH(int, thickness);
        TDigit d;
        d.resize(45, 89);
        d.setThickness(thickness);
        d.setSeparation(separation);
        QCOMPARE(d.Separation(), separation);
        QCOMPARE(d.Thickness(), thickness);
        d.setColor(kBack);
        // Extreme values give odd polygons but a finished picture in known colours.
        const QImage img = d.grab().toImage();
        QCOMPARE(img.size(), QSize(45, 89));
        const QList<QRgb> allowed = {ToQColor(kBack).rgb(), ToQColor(d.ColorOn()).rgb(),
                                     ToQColor(d.ColorOff()).rgb()};
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x)
                QVERIFY2(allowed.contains(img.pixel(x, y)),
                         qPrintable(QStringLiteral("%1,%2").arg(x).arg(y)));
    }

    void rendering_data() {
        QTest::addColumn<int>("pattern");
        QTest::newRow("all off") << 0;
        QTest::newRow("all on") << 255;
        QTest::newRow("corner mark only") << 0x80;
        for (int v = 0; v <= 9; ++v)
            QTest::addRow("digit %d", v) << int(DigitPatterns[size_t(v)]);
    }

    void rendering() {
        QFETCH(int, pattern);
        TDigit d;
        d.resize(45, 89);
        d.setThickness(5);
        d.setSeparation(1);
        d.setColor(kBack);
        d.setColorOn(kOn);
        d.setColorOff(kOff);
        d.setValueBinary(quint8(pattern));
        const QImage img = d.grab().toImage();
        const QRgb back = ToQColor(kBack).rgb(), on = ToQColor(kOn).rgb(),
                   off = ToQColor(kOff).rgb();

        for (size_t bit = 0; bit < kInterior.size(); ++bit) {
            const QRgb want = (pattern >> bit) & 1 ? on : off;
            QVERIFY2(img.pixel(kInterior[bit]) == want,
                     qPrintable(QStringLiteral("segment %1").arg(bit)));
        }
        for (const QPoint& p : kSeams)
            QVERIFY2(img.pixel(p) == back,
                     qPrintable(QStringLiteral("seam %1,%2").arg(p.x()).arg(p.y())));
        // The outline is drawn over every vertex.
        const TDigitGeometry g = DigitGeometry(45, 89, 5, 1);
        for (const auto& bar : g.bars)
            for (const QPoint& p : bar)
                QCOMPARE(img.pixel(p), back);
        // No blending anywhere: every pixel is one of the three colours.
        for (int y = 0; y < img.height(); ++y)
            for (int x = 0; x < img.width(); ++x) {
                const QRgb c = img.pixel(x, y);
                QVERIFY(c == back || c == on || c == off);
            }
    }

    // A new figure repaints only the bars that change; what reaches the screen must be the
    // same as a full repaint of the new figure, whatever was shown before.
    void partialRepaintMatchesFull_data() {
        QTest::addColumn<int>("from");
        QTest::addColumn<int>("to");
        for (int a = 0; a <= 9; ++a)
            for (int b : {(a + 1) % 10, (a + 5) % 10})
                QTest::addRow("%d to %d", a, b) << a << b;
    }

    void partialRepaintMatchesFull() {
        QFETCH(int, from);
        QFETCH(int, to);
        TDigit d;
        d.resize(61, 113);
        d.setThickness(6);
        d.setColor(Colors::clBlack);
        d.setColorOn(Colors::clRed);
        d.setColorOff(0x202020);
        d.show();
        QVERIFY(QTest::qWaitForWindowExposed(&d));
        d.setValue(from);
        d.setValue(to);
        QScreen* screen = d.screen();
        const QImage partial = screen->grabWindow(d.winId()).toImage();
        d.repaint();
        const QImage full = screen->grabWindow(d.winId()).toImage();
        QVERIFY(!full.isNull());
        QCOMPARE(partial, full);
    }

    void setterRepaints_data() {
        QTest::addColumn<DigitAction>("action");
        QTest::addColumn<int>("atOnce"); // paints before the setter returns
        QTest::addColumn<bool>("later"); // a paint follows from the event loop

        auto row = [](const char* name, DigitAction a, int atOnce, bool later) {
            QTest::newRow(name) << a << atOnce << later;
        };
        row(
            "Value unchanged", [](TDigit& d) { d.setValue(0); }, 0, false);
        row(
            "Value changed", [](TDigit& d) { d.setValue(8); }, 1, false);
        row(
            "Value overflow from 0 shows 0 again", [](TDigit& d) { d.setValue(10); }, 0, false);
        row(
            "Value overflow from 5",
            [](TDigit& d) {
                d.setValue(5);
                d.setValue(10);
            },
            2, false);
        row(
            "ValueBinary unchanged", [](TDigit& d) { d.setValueBinary(125); }, 0, false);
        row(
            "ValueBinary changed", [](TDigit& d) { d.setValueBinary(0); }, 1, false);
        row(
            "ColorOn unchanged", [](TDigit& d) { d.setColorOn(Colors::clYellow); }, 0, false);
        row(
            "ColorOn changed", [](TDigit& d) { d.setColorOn(Colors::clDimGrey); }, 1, false);
        row(
            "ColorOff unchanged", [](TDigit& d) { d.setColorOff(Colors::clBlack); }, 0, false);
        row(
            "ColorOff changed", [](TDigit& d) { d.setColorOff(Colors::clRed); }, 1, false);
        row(
            "BorderStyle unchanged", [](TDigit& d) { d.setBorderStyle(bsSingle); }, 0, false);
        row(
            "BorderStyle changed", [](TDigit& d) { d.setBorderStyle(bsNone); }, 1, false);
        row(
            "Color unchanged", [](TDigit& d) { d.setColor(Colors::clBlack); }, 0, false);
        row(
            "Color changed", [](TDigit& d) { d.setColor(Colors::clNavy); }, 0, true);
        row(
            "Thickness same value", [](TDigit& d) { d.setThickness(2); }, 0, true);
        row(
            "Thickness too big", [](TDigit& d) { d.setThickness(9); }, 0, false);
        row(
            "Separation same value", [](TDigit& d) { d.setSeparation(1); }, 0, true);
    }

    void setterRepaints() {
        QFETCH(DigitAction, action);
        QFETCH(int, atOnce);
        QFETCH(bool, later);

        QWidget window;
        window.resize(60, 60);
        TDigit* d = new TDigit(&window);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::qWait(20);
        TPaintCounter counter;
        d->installEventFilter(&counter);

        action(*d);
        QCOMPARE(counter.paints, atOnce);
        QTest::qWait(30);
        if (later)
            QVERIFY(counter.paints > atOnce);
        else
            QCOMPARE(counter.paints, atOnce);
    }
};

QTEST_MAIN(TestDigit)
#include "tst_digit.moc"
