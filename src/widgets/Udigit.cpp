#include "widgets/Udigit.h"
#include "widgets/QtColors.h"

#include <algorithm>
#include <QPainter>
#include <QPaintEvent>
#include <QPointer>
#include <QRegion>

const std::array<quint8, 10> DigitPatterns = {125, 80, 55, 87, 90, 79, 111, 81, 127, 95};

namespace {

// Separation is taken as given and a thickness only has to fit the size at the time it
// was set, so the arithmetic is done wide and the result kept far inside what int and
// the rasteriser handle. No real display comes near this many pixels.
constexpr qint64 kCoordLimit = qint64(1) << 23;

struct TGeometryBuilder {
    qint64 w, h, t, s, m;

    static int clamp(qint64 v) { return int(std::clamp(v, -kCoordLimit, kCoordLimit)); }
    static QPoint pt(qint64 x, qint64 y) { return QPoint(clamp(x), clamp(y)); }

    std::array<QPoint, 6> horizontal(qint64 y0) const {
        return {pt(t + s, y0 + t),
                pt(2 * t + s, y0),
                pt(w - 2 * t - s, y0),
                pt(w - t - s, y0 + t),
                pt(w - 2 * t - s, y0 + 2 * t),
                pt(2 * t + s, y0 + 2 * t)};
    }

    std::array<QPoint, 6> vertical(qint64 x0, qint64 y0) const {
        return {pt(x0, y0 + 2 * t + s),         pt(x0 + t, y0 + t + s),
                pt(x0 + 2 * t, y0 + 2 * t + s), pt(x0 + 2 * t, y0 + m - t - s),
                pt(x0 + t, y0 + m - s),         pt(x0, y0 + m - t - s)};
    }
};

// A polygon's pixels and its outline.
template <size_t N> QRect BoundingBox(const std::array<QPoint, N>& points) {
    QRect box(points[0], points[0]);
    for (const QPoint& p : points)
        box |= QRect(p, p);
    return box.adjusted(-1, -1, 1, 1);
}

} // namespace

TDigitGeometry DigitGeometry(int width, int height, int thickness, int separation) {
    // The bars' centre lines run along x = T, x = W - T, y = T, y = M and y = H - T, where
    // W and H are the last pixel column and row.
    const qint64 w = qint64(width) - 1;
    const qint64 h = qint64(height) - 1;
    const TGeometryBuilder b{w, h, thickness, separation, h / 2};
    const qint64 t = b.t, s = b.s, m = b.m;

    TDigitGeometry g;
    g.bars[0] = b.horizontal(0);
    g.bars[1] = b.horizontal(m - t);
    g.bars[2] = b.horizontal(h - 2 * t);
    g.bars[3] = b.vertical(0, 0);
    g.bars[4] = b.vertical(w - 2 * t, 0);
    g.bars[5] = b.vertical(0, m - t);
    g.bars[6] = b.vertical(w - 2 * t, m - t);
    g.mark = {TGeometryBuilder::pt(w, h), TGeometryBuilder::pt(w - 2 * t + s, h),
              TGeometryBuilder::pt(w, h - 2 * t + s)};
    return g;
}

TDigit::TDigit(QWidget* parent) : QWidget(parent) {
    // Every pixel is painted, so nothing behind the control is redrawn when it changes.
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(16, 32);
}

QSize TDigit::sizeHint() const {
    return QSize(16, 32);
}

void TDigit::repaintNow() {
    // The clock tick must see the new figure on screen when the setter returns; an
    // update() could be merged with later ones and show a stale time.
    repaint();
}

void TDigit::repaintSegments(quint8 before) {
    const quint8 changed = before ^ m_valueBinary;
    if (!changed || !isVisible()) return;
    // A figure on a 4K screen covers half a million pixels, and from one hundredth to the next
    // only a few bars change: painting just their boxes keeps the clock tick short.
    const TDigitGeometry g = DigitGeometry(width(), height(), m_thickness, m_separation);
    QRegion boxes;
    for (size_t i = 0; i < g.bars.size(); ++i)
        if (changed & (1u << i)) boxes += BoundingBox(g.bars[i]);
    if (changed & 0x80) boxes += BoundingBox(g.mark);
    repaint(boxes & rect());
}

void TDigit::setBorderStyle(TBorderStyle style) {
    if (style == m_borderStyle) return;
    m_borderStyle = style;
    repaintNow();
}

void TDigit::setColorOff(TColor color) {
    if (color == m_colorOff) return;
    m_colorOff = color;
    repaintNow();
}

void TDigit::setColorOn(TColor color) {
    if (color == m_colorOn) return;
    m_colorOn = color;
    repaintNow();
}

void TDigit::setColor(TColor color) {
    if (color == m_color) return;
    m_color = color;
    update();
}

void TDigit::setValue(int value) {
    if (value == m_value) return;
    if (value >= 0 && value <= 9) {
        m_value = value;
    } else {
        m_value = 0;
        // A handler that itself assigns an out-of-range value would otherwise recurse
        // without end; the nested assignment still shows 0, it just does not report.
        if (OnOverflow && !m_inOverflow) {
            QPointer<TDigit> alive(this);
            m_inOverflow = true;
            OnOverflow(this);
            if (!alive) return; // the handler deleted us
            m_inOverflow = false;
        }
    }
    // Read again: an overflow handler may have assigned a value of its own.
    const quint8 before = m_valueBinary;
    m_valueBinary = DigitPatterns[size_t(m_value)];
    repaintSegments(before);
}

void TDigit::setValueBinary(quint8 pattern) {
    if (pattern == m_valueBinary) return;
    const quint8 before = m_valueBinary;
    m_valueBinary = pattern;
    repaintSegments(before);
}

void TDigit::setThickness(int thickness) {
    // Checked against the size now; a later resize keeps whatever was accepted.
    if (thickness > width() / 2 || thickness > height() / 2) return;
    m_thickness = thickness;
    update();
}

void TDigit::setSeparation(int separation) {
    m_separation = separation;
    update();
}

void TDigit::paintEvent(QPaintEvent* event) {
    const QColor background = ToQColor(m_color);
    const QColor on = ToQColor(m_colorOn);
    const QColor off = ToQColor(m_colorOff);
    const TDigitGeometry g = DigitGeometry(width(), height(), m_thickness, m_separation);

    QPainter p(this);
    p.setRenderHint(QPainter::Antialiasing, false);
    // The outline in the background colour leaves a thin seam around every segment.
    p.setPen(QPen(background, 1, Qt::SolidLine));
    // Box by box: the rasteriser clips a polygon to one rectangle cheaply and to a region of
    // several slowly.
    const QRegion& region = event->region();
    for (const QRect& area : region) {
        if (region.rectCount() > 1) p.setClipRect(area);
        p.fillRect(area, background);
        quint8 mask = 1;
        for (const auto& bar : g.bars) {
            if (area.intersects(BoundingBox(bar))) {
                p.setBrush((m_valueBinary & mask) ? on : off);
                p.drawPolygon(bar.data(), int(bar.size()));
            }
            mask <<= 1;
        }
        if (area.intersects(BoundingBox(g.mark))) {
            p.setBrush((m_valueBinary & mask) ? on : off);
            p.drawPolygon(g.mark.data(), int(g.mark.size()));
        }
    }
}
