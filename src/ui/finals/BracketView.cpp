#include "ui/finals/BracketView.h"

#include "core/BracketText.h"
#include "core/Columns.h"
#include "core/Competition.h"

#include <algorithm>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>

TBracketLayout BracketLayout(const QSize& size, int rounds, const QVector<TBracket::THeat>& heats) {
    TBracketLayout L;
    const int W = std::max(0, size.width()), H = std::max(0, size.height());
    rounds = std::max(1, rounds);
    const int margin = std::max(2, std::min(W, H) / 60);
    const int headerH = std::max(8, H / 14);
    const int top = margin + headerH;
    const int avail = std::max(0, H - top - margin);
    const int colW = std::max(0, (W - 2 * margin) / rounds);
    const int boxW = colW * 86 / 100;
    int firstRound = 0;
    for (const auto& h : heats)
        if (h.Round == 0 && !h.SmallFinal) ++firstRound;
    firstRound = std::max(1, firstRound);
    // Boxes of one height everywhere; with few heats not so tall that the small final has
    // no room below the final.
    const int boxH = std::max(0, std::min(avail * 8 / (10 * firstRound), avail * 10 / 46));
    L.fontPx = std::max(1, std::min(boxH * 3 / 10, colW / 16));
    L.headerPx = std::max(1, std::min(headerH * 6 / 10, colW / 10));
    for (int r = 0; r < rounds; ++r)
        L.headers << QRect(margin + r * colW, margin, colW, headerH);

    L.boxes.resize(heats.size());
    for (int i = 0; i < heats.size(); ++i) {
        const auto& h = heats[i];
        const int r = std::clamp(h.Round, 0, rounds - 1);
        const int inRound = std::max(1, firstRound >> r);
        int centre = top + int((h.Slot + 0.5) * avail / inRound);
        if (h.SmallFinal) {
            centre = std::min(top + avail / 2 + boxH * 19 / 10, top + avail - boxH / 2);
            L.smallFinalLabel = QRect(margin + r * colW, centre - boxH / 2 - headerH * 8 / 10, boxW,
                                      headerH * 8 / 10);
        }
        L.boxes[i] = QRect(margin + r * colW, centre - boxH / 2, boxW, boxH);
    }
    return L;
}

QString BracketName(const TCompetition& competition, int entry) {
    return BracketEntryName(competition.Cell(entry, Col::Name), competition.Cell(entry, Col::StNr),
                            competition.EntryText(entry));
}

TBracketView::TColours TBracketView::ColoursOf(TTheme theme) {
    if (theme == Dark)
        return {Qt::black,
                QColor(24, 24, 24),
                QColor(96, 96, 96),
                Qt::white,
                QColor(160, 160, 160),
                QColor(255, 255, 0),
                QColor(0, 96, 0),
                Qt::white,
                QColor(255, 160, 0),
                QColor(110, 110, 110),
                QColor(255, 80, 80),
                QColor(255, 255, 0)};
    return {QColor(249, 249, 230), Qt::white,
            QColor(176, 167, 134), Qt::black,
            QColor(128, 128, 128), QColor(0, 0, 128),
            QColor(200, 230, 190), Qt::black,
            QColor(230, 120, 0),   QColor(160, 150, 120),
            QColor(170, 0, 0),     QColor(96, 80, 48)};
}

TBracketView::TBracketView(QWidget* parent, TTheme theme)
    : QWidget(parent), m_theme(theme), m_colours(ColoursOf(theme)) {
    setObjectName(QStringLiteral("BracketView"));
    setAttribute(Qt::WA_OpaquePaintEvent);
}

bool TBracketView::SetBracket(const TBracket& bracket,
                              const std::function<QString(int entry)>& name, int timeFormat) {
    QHash<int, QString> names;
    QString shown = QString::number(bracket.Size()) + QLatin1Char('/') +
                    QString::number(bracket.CurrentHeat()) + QLatin1Char('/') +
                    QString::number(timeFormat);
    for (const auto& h : bracket.Heats()) {
        shown += QStringLiteral("|%1,%2,%3").arg(h.Winner).arg(h.Bye).arg(h.Voided.size());
        for (size_t s = 0; s < 2; ++s) {
            const int e = h.Entry[s];
            if (e >= 0 && !names.contains(e))
                names.insert(e, name ? name(e) : QString::number(e + 1));
            shown += QStringLiteral(";%1,%2,%3,%4").arg(h.Seed[s]).arg(e).arg(names.value(e));
            shown += QLatin1Char(',') + BracketLaneText(h.Lane[s], timeFormat);
        }
        for (const auto& v : h.Voided)
            shown += QLatin1Char(':') + BracketLaneText(v[0], timeFormat) + QLatin1Char(':') +
                     BracketLaneText(v[1], timeFormat);
    }
    if (shown == m_shown) return false;
    m_bracket = bracket;
    m_names = std::move(names);
    m_timeFormat = timeFormat;
    m_shown = shown;
    Changed();
    return true;
}

void TBracketView::SetEmptyText(const QString& text) {
    if (text == m_emptyText) return;
    m_emptyText = text;
    if (m_bracket.IsEmpty()) Changed();
}

void TBracketView::Changed() {
    ++m_repaints;
    update();
}

void TBracketView::SetTitle(const QString& title) {
    if (title == m_title) return;
    m_title = title;
    update();
}

void TBracketView::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.fillRect(rect(), m_colours.background);
    p.setRenderHint(QPainter::Antialiasing);
    QFont base = font();
    if (m_bracket.IsEmpty()) {
        base.setPixelSize(std::max(8, height() / 20));
        p.setFont(base);
        p.setPen(m_colours.text);
        const QString text = m_emptyText.isEmpty() ? tr("Kein K.-o.-Feld") : m_emptyText;
        p.drawText(rect().adjusted(20, 20, -20, -20), Qt::AlignCenter | Qt::TextWordWrap, text);
        return;
    }
    const auto& heats = m_bracket.Heats();
    const int rounds = m_bracket.Rounds();
    const TBracketLayout L = BracketLayout(size(), rounds, heats);

    QFont header = base;
    header.setBold(true);
    header.setPixelSize(L.headerPx);
    p.setFont(header);
    p.setPen(m_colours.header);
    for (int r = 0; r < L.headers.size(); ++r)
        p.drawText(L.headers[r], Qt::AlignLeft | Qt::AlignVCenter,
                   BracketRoundName(r, rounds, false));
    if (!L.smallFinalLabel.isEmpty())
        p.drawText(L.smallFinalLabel, Qt::AlignLeft | Qt::AlignBottom,
                   BracketRoundName(rounds - 1, rounds, true));
    if (!m_title.isEmpty() && !L.headers.isEmpty()) {
        p.setPen(m_colours.text);
        const QRect band(0, L.headers[0].top(), width() - L.headers[0].left(),
                         L.headers[0].height());
        p.drawText(band, Qt::AlignRight | Qt::AlignVCenter, m_title);
    }

    // The lines from each heat to the side of the next heat its winner goes to.
    p.setPen(QPen(m_colours.line, std::max(1, L.fontPx / 10)));
    for (int i = 0; i < heats.size(); ++i) {
        const auto& h = heats[i];
        if (h.SmallFinal || h.Round >= rounds - 1) continue;
        for (int j = 0; j < heats.size(); ++j) {
            const auto& n = heats[j];
            if (n.SmallFinal || n.Round != h.Round + 1 || n.Slot != h.Slot / 2) continue;
            const QRect& a = L.boxes[i];
            const QRect& b = L.boxes[j];
            const int y2 =
                h.Slot % 2 == 0 ? b.top() + b.height() / 4 : b.top() + b.height() * 3 / 4;
            const int xm = (a.right() + b.left()) / 2;
            QPainterPath path(QPointF(a.right(), a.center().y()));
            path.lineTo(xm, a.center().y());
            path.lineTo(xm, y2);
            path.lineTo(b.left(), y2);
            p.drawPath(path);
        }
    }
    const int current = m_bracket.CurrentHeat();
    for (int i = 0; i < heats.size(); ++i)
        DrawHeat(p, heats[i], L.boxes[i], L.fontPx, i == current);
}

void TBracketView::DrawHeat(QPainter& p, const TBracket::THeat& heat, const QRect& box, int fontPx,
                            bool current) const {
    const TColours& c = m_colours;
    const int radius = std::max(2, box.height() / 10);
    p.setPen(QPen(c.border, 1));
    p.setBrush(c.box);
    p.drawRoundedRect(box, radius, radius);
    QFont f = font();
    f.setPixelSize(fontPx);
    const QFontMetrics fm(f);
    const int pad = std::max(2, fontPx / 3);
    const int seedW = fm.horizontalAdvance(QStringLiteral("16")) + pad;
    // Times take what they need, so names keep as much of the box as they can.
    int timeW = fm.horizontalAdvance(QStringLiteral("00,00"));
    for (const auto& lane : heat.Lane)
        timeW = std::max(timeW, fm.horizontalAdvance(BracketLaneText(lane, m_timeFormat)));
    timeW += pad;
    for (int side = 0; side < 2; ++side) {
        const size_t s = size_t(side);
        QRect half(box.left(), box.top() + side * box.height() / 2, box.width(),
                   side == 0 ? box.height() / 2 : box.height() - box.height() / 2);
        const bool won = heat.Winner == side;
        if (won) {
            p.setPen(Qt::NoPen);
            p.setBrush(c.winFill);
            p.drawRoundedRect(half.adjusted(1, 1, -1, -1), radius, radius);
        }
        QRect seedBox(half.left() + pad, half.top(), seedW, half.height());
        QRect timeBox(half.right() - pad - timeW, half.top(), timeW, half.height());
        QRect nameBox(seedBox.right() + pad, half.top(),
                      std::max(0, timeBox.left() - seedBox.right() - 2 * pad), half.height());
        QFont sf = f;
        sf.setBold(won);
        p.setFont(sf);
        if (heat.Seed[s] > 0) {
            p.setPen(c.seed);
            p.drawText(seedBox, Qt::AlignRight | Qt::AlignVCenter, QString::number(heat.Seed[s]));
        }
        const bool freeSide = heat.Bye && heat.Entry[s] < 0;
        QFont nf = sf;
        nf.setItalic(freeSide);
        p.setFont(nf);
        p.setPen(freeSide ? c.seed : (won ? c.winText : c.text));
        const QString name =
            heat.Entry[s] >= 0 ? m_names.value(heat.Entry[s]) : BracketSideText(heat, side, {});
        p.drawText(nameBox, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetrics(nf).elidedText(name, Qt::ElideRight, nameBox.width()));
        p.setFont(sf);
        p.setPen(won ? c.winText : c.time);
        p.drawText(timeBox, Qt::AlignRight | Qt::AlignVCenter,
                   BracketLaneText(heat.Lane[s], m_timeFormat));
    }
    if (!heat.Voided.isEmpty()) {
        // The last voided run under the box, struck through: what the re-run replaced.
        const auto& v = heat.Voided.last();
        QFont vf = f;
        vf.setPixelSize(std::max(1, fontPx * 7 / 10));
        p.setFont(vf);
        p.setPen(c.voided);
        const QFontMetrics vm(vf);
        const QString label = tr("ungültig ");
        QRect line(box.left() + pad, box.bottom() + 2, box.width() - 2 * pad, vm.height());
        p.drawText(line, Qt::AlignLeft | Qt::AlignTop, label);
        vf.setStrikeOut(true);
        p.setFont(vf);
        line.setLeft(line.left() + vm.horizontalAdvance(label));
        p.drawText(line, Qt::AlignLeft | Qt::AlignTop,
                   BracketLaneText(v[0], m_timeFormat) + QStringLiteral(" – ") +
                       BracketLaneText(v[1], m_timeFormat));
    }
    if (current) {
        const int w = std::max(2, box.height() / 16);
        p.setPen(QPen(c.current, w));
        p.setBrush(Qt::NoBrush);
        p.drawRoundedRect(box.adjusted(-w / 2, -w / 2, w / 2, w / 2), radius, radius);
    }
}
