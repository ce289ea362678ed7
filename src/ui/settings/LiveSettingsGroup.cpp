#include "ui/settings/LiveSettingsGroup.h"

#include "persist/SettingsStore.h"
#include "ui/live/LiveShare.h"

#include <QCheckBox>
#include <QFormLayout>
#include <QLineEdit>
#include <QSpinBox>

TLiveSettingsGroup::TLiveSettingsGroup(QWidget* parent)
    : QGroupBox(tr(" Live-Ergebnisse im Netz "), parent) {
    setObjectName(QStringLiteral("gbLive"));
    cbLiveOn = new QCheckBox(tr("Zeiten und Protokoll im Netz zeigen"), this);
    cbLiveOn->setObjectName(QStringLiteral("cbLiveOn"));
    seLivePort = new QSpinBox(this);
    seLivePort->setObjectName(QStringLiteral("seLivePort"));
    seLivePort->setRange(1, 65535);
    eLiveBind = new QLineEdit(this);
    eLiveBind->setObjectName(QStringLiteral("eLiveBind"));
    eLiveBind->setPlaceholderText(tr("alle Netzwerke"));
    eLiveBind->setToolTip(tr("Leer: auf allen Netzwerken erreichbar; "
                             "127.0.0.1: nur auf diesem Rechner"));
    LiveShare = new TLiveSharePanel(this);
    auto* form = new QFormLayout(this);
    form->addRow(cbLiveOn);
    form->addRow(tr("Port:"), seLivePort);
    form->addRow(tr("Adresse:"), eLiveBind);
    form->addRow(LiveShare);
}

void TLiveSettingsGroup::LoadFrom(const TSettings& s) {
    cbLiveOn->setChecked(s.LiveOn);
    // A stored port out of range shows the default, not the end of the range it would be cut to.
    const bool portValid =
        s.LivePort >= seLivePort->minimum() && s.LivePort <= seLivePort->maximum();
    seLivePort->setValue(portValid ? s.LivePort : TSettings().LivePort);
    eLiveBind->setText(s.LiveBind);
}

void TLiveSettingsGroup::ApplyTo(TSettings& s) const {
    s.LiveOn = cbLiveOn->isChecked();
    s.LivePort = seLivePort->value();
    s.LiveBind = eLiveBind->text().trimmed();
}

void TLiveSettingsGroup::ShowShare(const QString& address, const QString& problem) {
    LiveShare->Show(address, problem);
}
