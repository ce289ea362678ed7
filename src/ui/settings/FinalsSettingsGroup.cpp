#include "ui/settings/FinalsSettingsGroup.h"

#include "persist/SettingsStore.h"

#include <algorithm>
#include <array>
#include <QComboBox>
#include <QFormLayout>
#include <QLabel>

namespace {
constexpr std::array<int, 3> kSizes{16, 8, 4};
}

int BracketSizeIndex(int size) {
    for (int i = 0; i < int(kSizes.size()); ++i)
        if (size >= kSizes[size_t(i)]) return i;
    return int(kSizes.size()) - 1;
}

int BracketSizeAt(int index) {
    return kSizes[size_t(std::clamp(index, 0, int(kSizes.size()) - 1))];
}

TFinalsSettingsGroup::TFinalsSettingsGroup(QWidget* parent)
    : QGroupBox(tr(" Finale (K.-o.) "), parent) {
    setObjectName(QStringLiteral("gbFinale"));
    labRanking = new QLabel(tr("Wertung:"), this);
    labRanking->setObjectName(QStringLiteral("labRanking"));
    cbRanking = new QComboBox(this);
    cbRanking->setObjectName(QStringLiteral("cbRanking"));
    // The positions are the stored numbers: 0 the sum of the runs, 1 the best run.
    cbRanking->addItems({tr("Summe"), tr("Bestzeit")});
    labBracketSize = new QLabel(tr("K.-o.-Feld:"), this);
    labBracketSize->setObjectName(QStringLiteral("labBracketSize"));
    cbBracketSize = new QComboBox(this);
    cbBracketSize->setObjectName(QStringLiteral("cbBracketSize"));
    for (int size : kSizes)
        cbBracketSize->addItem(QString::number(size));
    auto* form = new QFormLayout(this);
    form->addRow(labRanking, cbRanking);
    form->addRow(labBracketSize, cbBracketSize);
}

void TFinalsSettingsGroup::LoadFrom(const TSettings& s) {
    cbRanking->setCurrentIndex(s.Ranking == 1 ? 1 : 0);
    cbBracketSize->setCurrentIndex(BracketSizeIndex(s.BracketSize));
}

void TFinalsSettingsGroup::ApplyTo(TSettings& s) const {
    s.Ranking = cbRanking->currentIndex() == 1 ? 1 : 0;
    s.BracketSize = BracketSizeAt(cbBracketSize->currentIndex());
}
