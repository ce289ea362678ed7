#include "ui/ListPdf.h"

#include <QAbstractTextDocumentLayout>
#include <QBuffer>
#include <QFont>
#include <QPageLayout>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QTextDocument>

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

        QTextDocument text;
        text.documentLayout()->setPaintDevice(&pdf); // fonts measured as the PDF draws them
        // A sans serif of the design's metrics; the layout wraps a long name instead of
        // cutting it.
        QFont font(QStringLiteral("Liberation Sans"));
        font.setStyleHint(QFont::SansSerif);
        font.setPointSizeF(9.5);
        text.setDefaultFont(font);
        text.setHtml(ListDocumentHtml(doc));

        const QRect area = pdf.pageLayout().paintRectPixels(pdf.resolution());
        const int footer = pdf.resolution() * 8 / 25; // 8 mm for the page's foot line
        const QSizeF body(area.width(), area.height() - footer);
        text.setPageSize(body);
        const int pages = text.pageCount();
        QFont small = font;
        small.setPointSizeF(8);
        const QString name = doc.eventName.isEmpty() ? doc.title : doc.eventName;

        QPainter painter(&pdf);
        for (int page = 0; page < pages; ++page) {
            if (page > 0) pdf.newPage();
            painter.save();
            painter.translate(0, -page * body.height());
            text.drawContents(&painter, QRectF(QPointF(0, page * body.height()), body));
            painter.restore();
            painter.setFont(small);
            const QRectF foot(0, area.height() - footer / 2.0, area.width(), footer / 2.0);
            painter.drawText(foot, Qt::AlignLeft | Qt::AlignBottom, name);
            painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                             QStringLiteral("Seite %1 von %2").arg(page + 1).arg(pages));
        }
    }
    QSaveFile file(fileName);
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.size() ||
        !file.commit()) {
        if (error) *error = file.errorString();
        return false;
    }
    return true;
}
