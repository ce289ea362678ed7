#include "ui/main/TrackPicker.h"

#include "ui/PanelParts.h"
#include "widgets/QtColors.h"

#include <QApplication>
#include <QComboBox>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenu>
#include <QToolButton>
#include <QVBoxLayout>

TTrackPicker::TTrackPicker(int track, QAbstractItemModel* participants, QWidget* parent)
    : QWidget(parent) {
    const bool one = track == 0;
    setObjectName(one ? QStringLiteral("PanelLL") : QStringLiteral("PanelRR"));
    auto* g = new QVBoxLayout(this);
    g->setContentsMargins(2, 0, 2, 2);
    g->setSpacing(1);
    m_bar = ColourShape(this, one ? "Shape1a" : "Shape2a", Colors::clWhite);
    m_bar->setFixedHeight(7);
    auto* line = new QHBoxLayout;
    m_caption = Named(new QLabel(one ? tr(" Kletterturm 1 ") : tr(" Kletterturm 2 "), this),
                      one ? "LabelZabeg1" : "LabelZabeg2");
    m_caption->setFont(DesignFont("Arial", 16, true));
    m_square = ColourShape(this, one ? "Shape1" : "Shape2", Colors::clWhite);
    m_square->setFixedSize(25, 23);
    m_square->setFrameStyle(QFrame::Box | QFrame::Plain);
    m_square->setCursor(Qt::PointingHandCursor);
    m_square->setToolTip(tr("Farbe"));
    m_square->installEventFilter(this);
    m_list = Named(new QComboBox(this), one ? "cbBuhn1" : "cbBuhn2");
    m_list->setMaxVisibleItems(20);
    m_list->setMinimumWidth(294);
    m_list->setEnabled(false);
    if (one) {
        m_load = ToolButton(this, "sbLoad", QString(), QStringLiteral("[Ctrl+O]"), "open");
        m_load->setIconSize(QSize(18, 18));
        m_load->setMinimumSize(24, 24);
        m_load->setFixedHeight(24);
        line->addWidget(m_load);
        line->addWidget(m_caption, 1, Qt::AlignRight);
        line->addWidget(m_square);
        connect(m_load, &QToolButton::clicked, this, &TTrackPicker::LoadClicked);
        // The keys are the window's; the menu only names them.
        auto* menu = Named(new QMenu(m_load), "sbLoadMenu");
        connect(menu->addAction(tr("Protokoll öffnen\tCtrl+O")), &QAction::triggered, this,
                &TTrackPicker::LoadClicked);
        connect(menu->addAction(tr("Startliste importieren\tCtrl+I")), &QAction::triggered, this,
                &TTrackPicker::ImportClicked);
        m_load->setMenu(menu);
        m_load->setPopupMode(QToolButton::MenuButtonPopup);
    } else {
        line->addWidget(m_square);
        line->addWidget(m_caption, 1, Qt::AlignLeft);
    }
    g->addWidget(m_bar);
    g->addLayout(line);
    g->addWidget(m_list);
    m_list->setModel(participants); // both lists show the one participant list
    connect(m_list, qOverload<int>(&QComboBox::currentIndexChanged), this,
            &TTrackPicker::ListChanged);
}

void TTrackPicker::ShowEntry(int entry) {
    m_list->setCurrentIndex(entry);
}

void TTrackPicker::SetColour(TColor colour) {
    SetBackground(m_square, colour);
    SetBackground(m_bar, colour);
}

void TTrackPicker::SetCaptionWarning(bool noRunLeft) {
    const QColor c =
        noRunLeft ? ToQColor(Colors::clRed) : QApplication::palette().color(QPalette::WindowText);
    QPalette pal = m_caption->palette();
    if (pal.color(QPalette::WindowText) == c) return;
    pal.setColor(QPalette::WindowText, c);
    m_caption->setPalette(pal);
}

void TTrackPicker::SetChoosable(bool choosable) {
    m_list->setEnabled(choosable);
    if (m_load) m_load->setEnabled(choosable);
}

void TTrackPicker::SetLoadHint(const QString& hint) {
    if (m_load) m_load->setToolTip(hint);
}

QPoint TTrackPicker::LoadButtonPoint() const {
    return m_load ? m_load->mapToGlobal(QPoint(16, 16)) : mapToGlobal(QPoint(0, 0));
}

bool TTrackPicker::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_square && event->type() == QEvent::MouseButtonPress) {
        emit ColourClicked();
        return true;
    }
    return QWidget::eventFilter(watched, event);
}
