#include "widgets/QtColors.h"

#include <QApplication>
#include <QPalette>

QColor ToQColor(TColor c) {
    if ((c >> 24) == 0xFF) {
        const QPalette pal = QApplication::palette();
        switch (c & 0xFF) {
        case 0x05:
            return pal.color(QPalette::Base);
        case 0x08:
            return pal.color(QPalette::WindowText);
        case 0x0D:
            return pal.color(QPalette::Highlight);
        case 0x0E:
            return pal.color(QPalette::HighlightedText);
        case 0x10:
            return pal.color(QPalette::Dark);
        case 0x14:
            return pal.color(QPalette::Light);
        default:
            return pal.color(QPalette::Button);
        }
    }
    return QColor(int(c & 0xFF), int((c >> 8) & 0xFF), int((c >> 16) & 0xFF));
}

TColor FromQColor(const QColor& c) {
    return TColor(c.red()) | (TColor(c.green()) << 8) | (TColor(c.blue()) << 16);
}
