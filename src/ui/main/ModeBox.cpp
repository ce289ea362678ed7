#include "ui/main/ModeBox.h"

#include "ui/PanelParts.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
const char* const ModeNames[] = {QT_TRANSLATE_NOOP("TModeBox", "Qualifikation"),
                                 QT_TRANSLATE_NOOP("TModeBox", "Individuelles Klettern"),
                                 QT_TRANSLATE_NOOP("TModeBox", "Paarrennen"),
                                 QT_TRANSLATE_NOOP("TModeBox", "Finale (K.-o.)")};
} // namespace

QString TModeBox::ModeName(int mode) {
    return mode >= 0 && mode < int(std::size(ModeNames)) ? tr(ModeNames[mode]) : QString();
}

TModeBox::TModeBox(QWidget* parent) : QWidget(parent) {
    setObjectName(QStringLiteral("Panel1"));
    auto* mid = new QVBoxLayout(this);
    mid->setContentsMargins(2, 8, 2, 2);
    mid->setSpacing(1);
    m_mode = Named(new QComboBox(this), "cbVid");
    for (int m = 0; m < int(std::size(ModeNames)); ++m)
        m_mode->addItem(ModeName(m));
    m_mode->setToolTip(tr("Wettkampfsart"));
    auto* row = new QHBoxLayout;
    m_swap = ToolButton(this, "seObmen", QString(), tr("[Ctrl+0] Turme wechseln"), "swap");
    m_swap->setIconSize(QSize(18, 18));
    m_swap->setFixedSize(36, 22);
    m_swap->setEnabled(false);
    m_allTracks = Named(new QCheckBox(tr("Auf allen Strecken"), this), "cbAllTrasse");
    m_allTracks->hide();
    row->addStretch(1);
    row->addWidget(m_swap);
    row->addWidget(m_allTracks);
    row->addStretch(1);
    mid->addWidget(m_mode);
    mid->addLayout(row);
    connect(m_mode, qOverload<int>(&QComboBox::activated), this, &TModeBox::ModeChosen);
    connect(m_allTracks, &QCheckBox::toggled, this, &TModeBox::AllTracksToggled);
    connect(m_swap, &QToolButton::clicked, this, &TModeBox::SwapClicked);
}

void TModeBox::ShowMode(int mode) {
    m_mode->setCurrentIndex(mode);
}

void TModeBox::SetChoosable(bool choosable) {
    m_mode->setEnabled(choosable);
    m_allTracks->setEnabled(choosable);
}

void TModeBox::SetSwapEnabled(bool enabled) {
    m_swap->setEnabled(enabled);
}

void TModeBox::SetSwapShown(bool shown) {
    m_swap->setVisible(shown);
}

void TModeBox::ShowAllTracks(bool shown, bool on) {
    m_allTracks->setVisible(shown);
    m_allTracks->setChecked(on);
}
