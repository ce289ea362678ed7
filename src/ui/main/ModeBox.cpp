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

QStringList ListItems(const QComboBox* box) {
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}
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
    m_ranking = Named(new QComboBox(this), "cbWertung");
    m_ranking->setToolTip(tr("Plätze gesamt oder je Klasse (Spalte)"));
    m_category = Named(new QComboBox(this), "cbAnzeige");
    m_category->setToolTip(tr("Nur eine Klasse im Protokoll zeigen"));
    m_category->hide();
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
    row->addWidget(m_category, 4);
    row->addStretch(1);
    mid->addWidget(m_mode);
    mid->addWidget(m_ranking);
    mid->addLayout(row);
    connect(m_mode, qOverload<int>(&QComboBox::activated), this, &TModeBox::ModeChosen);
    connect(m_ranking, qOverload<int>(&QComboBox::activated), this, &TModeBox::RankingChosen);
    connect(m_category, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { emit CategoryChosen(index - 1); });
    connect(m_allTracks, &QCheckBox::toggled, this, &TModeBox::AllTracksToggled);
    connect(m_swap, &QToolButton::clicked, this, &TModeBox::SwapClicked);
}

void TModeBox::ShowMode(int mode) {
    m_mode->setCurrentIndex(mode);
}

void TModeBox::SetChoosable(bool choosable) {
    m_mode->setEnabled(choosable);
    m_ranking->setEnabled(choosable);
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

void TModeBox::ShowRanking(int klassCol, const QStringList& columnTitles) {
    QStringList items{tr("Wertung: gesamt")};
    for (int c = 0; c < 5; ++c)
        items << tr("Wertung: nach ") + columnTitles.value(c).trimmed();
    if (items != ListItems(m_ranking)) {
        const QSignalBlocker quiet(m_ranking);
        m_ranking->clear();
        m_ranking->addItems(items);
    }
    m_ranking->setCurrentIndex(klassCol >= 0 && klassCol <= 5 ? klassCol : 0);
}

void TModeBox::ShowCategories(const QStringList& categories, int shown) {
    QStringList items{tr("Anzeige: alle")};
    for (const QString& c : categories)
        items << tr("Anzeige: ") + (c.isEmpty() ? tr("ohne Angabe") : c);
    if (items != ListItems(m_category)) {
        const QSignalBlocker quiet(m_category);
        m_category->clear();
        m_category->addItems(items);
    }
    m_category->setCurrentIndex(shown >= 0 && shown < categories.size() ? shown + 1 : 0);
    m_category->setVisible(!categories.isEmpty());
}
