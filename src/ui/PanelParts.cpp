#include "ui/PanelParts.h"

#include "ui/Pictures.h"
#include "widgets/QtColors.h"

#include <QFont>
#include <QFrame>
#include <QLabel>
#include <QToolButton>

void SetBackground(QWidget* w, TColor colour) {
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToQColor(colour));
    w->setPalette(pal);
}

void SetTextColour(QWidget* w, TColor colour) {
    QPalette pal = w->palette();
    const QColor qc = ToQColor(colour);
    if (pal.color(QPalette::WindowText) == qc) return;
    pal.setColor(QPalette::WindowText, qc);
    w->setPalette(pal);
}

QWidget* ColouredPanel(QWidget* parent, const char* name, TColor colour) {
    auto* w = Named(new QWidget(parent), name);
    SetBackground(w, colour);
    return w;
}

QFrame* ColourShape(QWidget* parent, const char* name, TColor colour) {
    auto* f = Named(new QFrame(parent), name);
    SetBackground(f, colour);
    return f;
}

QFont DesignFont(const char* family, int pixels, bool bold) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QLabel* TimeLabel(QWidget* parent, const char* name, const QString& text, const char* family,
                  int pixels, TColor colour, const QRect& geometry) {
    auto* l = Named(new QLabel(text, parent), name);
    l->setFont(DesignFont(family, pixels, true));
    SetTextColour(l, colour);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(geometry);
    return l;
}

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, const char* picture) {
    auto* b = Named(new QToolButton(parent), name);
    b->setIcon(Picture(QString::fromLatin1(picture)));
    b->setIconSize(QSize(22, 22));
    b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                            : Qt::ToolButtonTextBesideIcon);
    b->setText(caption);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setMinimumSize(30, 30);
    return b;
}
