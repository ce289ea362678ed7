#include "ui/ListPdf.h"

#include <algorithm>
#include <QBuffer>
#include <QCoreApplication>
#include <QFont>
#include <QFontMetrics>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>

namespace {
// Pages the lists and, when painter is given, draws them; returns the number of pages. Run
// once to count the pages, once to draw them with "Seite n von m" at each foot. Drawn by hand
// rather than through a rich-text layout: a thousand rows must take well under a second.
class TListPainter {
public:
    TListPainter(const TListDocument& doc, QPdfWriter& pdf)
        : m_doc(doc), m_pdf(pdf), m_area(pdf.pageLayout().paintRectPixels(pdf.resolution())) {
        m_body.setFamily(QStringLiteral("Liberation Sans"));
        m_body.setStyleHint(QFont::SansSerif);
        m_body.setPointSizeF(9);
        m_bold = m_body;
        m_bold.setBold(true);
        m_small = m_body;
        m_small.setPointSizeF(8);
        m_pad = pdf.resolution() / 60; // about 0.4 mm around a cell's text
        m_footer = pdf.resolution() * 8 / 25;
    }

    int Run(QPainter* painter, int pages) {
        m_p = painter;
        m_pages = pages;
        m_page = 0;
        m_y = 0;
        for (int i = 0; i < m_doc.sections.size(); ++i) {
            if (i > 0) NewPage(); // each category on a page of its own
            Section(m_doc.sections[i]);
        }
        Foot();
        return m_page + 1;
    }

private:
    int BodyHeight() const { return m_area.height() - m_footer; }

    void NewPage() {
        Foot();
        if (m_p) m_pdf.newPage();
        ++m_page;
        m_y = 0;
    }

    void Foot() {
        if (!m_p) return;
        m_p->setFont(m_small);
        m_p->setPen(Qt::black);
        const QRect foot(0, m_area.height() - m_footer / 2, m_area.width(), m_footer / 2);
        m_p->drawText(foot, Qt::AlignLeft | Qt::AlignBottom,
                      m_doc.eventName.isEmpty() ? m_doc.title : m_doc.eventName);
        m_p->drawText(
            foot, Qt::AlignRight | Qt::AlignBottom,
            QCoreApplication::translate("ListPdf", "Seite %1 von %2").arg(m_page + 1).arg(m_pages));
    }

    // A line of text over the whole width, wrapped when it is longer.
    void Line(const QString& text, const QFont& font, int gapAfter = 0) {
        const QFontMetrics fm(font, &m_pdf);
        const QRect r =
            fm.boundingRect(QRect(0, 0, m_area.width(), 100000), Qt::TextWordWrap, text);
        if (m_y + r.height() > BodyHeight() && m_y > 0) NewPage();
        if (m_p) {
            m_p->setFont(font);
            m_p->setPen(Qt::black);
            m_p->drawText(QRect(0, m_y, m_area.width(), r.height()), Qt::TextWordWrap, text);
        }
        m_y += r.height() + gapAfter;
    }

    // Columns as wide as their widest text; when they do not fit the page, the text columns
    // (name, club) give way and wrap, never cut.
    QVector<int> Widths(const TListTable& t) const {
        const QFontMetrics body(m_body, &m_pdf), bold(m_bold, &m_pdf);
        QVector<int> w(t.head.size());
        for (int c = 0; c < w.size(); ++c) {
            w[c] = bold.horizontalAdvance(t.head[c]);
            for (const QStringList& row : t.rows)
                w[c] = std::max(w[c], body.horizontalAdvance(row.value(c)));
            w[c] += 2 * m_pad + 1;
        }
        int fixed = 0, flexible = 0;
        for (int c = 0; c < w.size(); ++c)
            (t.right[c] ? fixed : flexible) += w[c];
        const int room = m_area.width() - fixed;
        if (fixed + flexible > m_area.width() && flexible > 0 && room > 0) {
            for (int c = 0; c < w.size(); ++c)
                if (!t.right[c]) w[c] = std::max(1, int(qint64(w[c]) * room / flexible));
        } else if (const int name = int(t.right.indexOf(false)); name >= 0) {
            w[name] += m_area.width() - fixed - flexible; // the page's width, spare to the name
        }
        return w;
    }

    int RowHeight(const QStringList& cells, const QVector<int>& w, const QFont& font) const {
        const QFontMetrics fm(font, &m_pdf);
        int h = fm.height();
        for (int c = 0; c < w.size(); ++c) {
            const QString& text = cells.value(c);
            if (fm.horizontalAdvance(text) <= w[c] - 2 * m_pad) continue;
            h = std::max(
                h, fm.boundingRect(QRect(0, 0, w[c] - 2 * m_pad, 100000), Qt::TextWordWrap, text)
                       .height());
        }
        return h + 2 * m_pad;
    }

    void Row(const QStringList& cells, const QVector<int>& w, const QVector<bool>& right, bool head,
             int h) {
        if (!m_p) return;
        int x = 0;
        m_p->setFont(head ? m_bold : m_body);
        for (int c = 0; c < w.size(); ++c) {
            const QRect cell(x, m_y, w[c], h);
            if (head) m_p->fillRect(cell, QColor(0xE0, 0xE0, 0xE0));
            m_p->setPen(QColor(0x80, 0x80, 0x80));
            m_p->drawRect(cell);
            m_p->setPen(Qt::black);
            m_p->drawText(cell.adjusted(m_pad, m_pad, -m_pad, -m_pad),
                          Qt::TextWordWrap | Qt::AlignTop |
                              (right.value(c) ? Qt::AlignRight : Qt::AlignLeft),
                          cells.value(c));
            x += w[c];
        }
    }

    void Section(const TListSection& s) {
        const QStringList heading = ListHeading(m_doc, s);
        QFont big = m_bold, title = m_bold, info = m_body;
        big.setPointSizeF(14);
        title.setPointSizeF(11);
        info.setPointSizeF(10);
        for (int i = 0; i < heading.size(); ++i) {
            const bool last = i == heading.size() - 1;
            Line(heading[i], i == 0 ? big : last ? title : info, last ? 3 * m_pad : m_pad);
        }
        const TListTable t = ListTable(m_doc, s);
        const QVector<int> w = Widths(t);
        const int headHeight = RowHeight(t.head, w, m_bold);
        Row(t.head, w, t.right, true, headHeight);
        m_y += headHeight;
        for (const QStringList& cells : t.rows) {
            const int h = RowHeight(cells, w, m_body);
            if (m_y + h > BodyHeight()) {
                NewPage(); // the titles again on top of the rest
                Row(t.head, w, t.right, true, headHeight);
                m_y += headHeight;
            }
            Row(cells, w, t.right, false, h);
            m_y += h;
        }
        m_y += 3 * m_pad;
        Line(QCoreApplication::translate("ListPdf", "Stand: ") +
                 m_doc.stand.toString(QStringLiteral("dd.MM.yyyy HH:mm")),
             m_body);
        if (m_doc.kind == TListKind::Results) {
            m_y += 8 * m_pad;
            Line(QCoreApplication::translate(
                     "ListPdf", "______________________________\nSchiedsrichter (Unterschrift)"),
                 m_body);
        }
    }

    const TListDocument& m_doc;
    QPdfWriter& m_pdf;
    const QRect m_area;
    QFont m_body, m_bold, m_small;
    int m_pad = 0, m_footer = 0;
    QPainter* m_p = nullptr;
    int m_pages = 0, m_page = 0, m_y = 0;
};
} // namespace

bool WriteListPdf(const TListDocument& doc, const QString& fileName, QString* error) {
    // Drawn into memory first: the file is replaced only by a whole document.
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QPdfWriter pdf(&buffer);
        pdf.setPageSize(QPageSize(QPageSize::A4));
        pdf.setPageMargins(QMarginsF(15, 12, 15, 12), QPageLayout::Millimeter);
        pdf.setResolution(300);
        pdf.setTitle(doc.eventName.isEmpty() ? doc.title : doc.eventName);
        pdf.setCreator(QStringLiteral("TL-Veltaro"));
        TListPainter lists(doc, pdf);
        const int pages = lists.Run(nullptr, 0);
        QPainter painter(&pdf);
        lists.Run(&painter, pages);
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size() ||
        !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
