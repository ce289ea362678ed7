#include "ui/settings/PadSettingsGroup.h"

#include "core/Settings.h"
#include "input/PortNames.h"
#include "ui/PanelParts.h"
#include "ui/settings/Cfg.h"

#include <cmath>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QLabel>

TPadSettingsGroup::TPadSettingsGroup(QWidget* parent)
    : QGroupBox(tr(" Startmatten (Reaktionszeit) "), parent) {
    setObjectName(QStringLiteral("gbPads"));
    auto* g = new QGridLayout(this);
    labPadPort = Named(new QLabel(tr("Startmatten-Port:"), this), "labPadPort");
    cbPadPort = Named(new QComboBox(this), "cbPadPort");
    cbPadPort->setMinimumWidth(96);
    labPadAlg1 = Named(new QLabel(tr("Bahn 1 (CTS):"), this), "labPadAlg1");
    cbPadAlg1 = Named(new TPolarityBox(this), "cbPadAlg1");
    labPadAlg2 = Named(new QLabel(tr("Bahn 2 (DSR):"), this), "labPadAlg2");
    cbPadAlg2 = Named(new TPolarityBox(this), "cbPadAlg2");
    labFsLimit = Named(new QLabel(tr("Fehlstart unter:"), this), "labFsLimit");
    seFsLimit = Named(new QDoubleSpinBox(this), "seFsLimit");
    seFsLimit->setDecimals(3);
    seFsLimit->setRange(0.0, 0.999);
    seFsLimit->setSingleStep(0.01);
    labFsLimitSek = Named(new QLabel(tr("Sek."), this), "labFsLimitSek");
    labPadNote = Named(new QLabel(this), "labPadNote");
    int r = 0;
    for (auto [label, field] : {std::pair<QLabel*, QWidget*>{labPadPort, cbPadPort},
                                {labPadAlg1, cbPadAlg1},
                                {labPadAlg2, cbPadAlg2},
                                {labFsLimit, seFsLimit}}) {
        g->addWidget(label, r, 0, Qt::AlignRight);
        g->addWidget(field, r++, 1);
    }
    g->addWidget(labFsLimitSek, r - 1, 2);
    g->addWidget(labPadNote, r, 0, 1, 3);
    connect(cbPadPort, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] { Follow(); });
    FillPortList({});
}

void TPadSettingsGroup::FillPortList(const QList<int>& ports) {
    const QSignalBlocker quiet(cbPadPort);
    cbPadPort->clear();
    cbPadPort->addItem(tr("Keine"), 0);
    for (int n : ports)
        cbPadPort->addItem(QStringLiteral("COM%1").arg(n), n);
    Follow();
}

void TPadSettingsGroup::LoadFrom(const TSettings& s) {
    // A stored port that is not there now is offered as "Keine": opening it would only fail.
    cbPadPort->setCurrentIndex(std::max(0, cbPadPort->findData(s.PadPort)));
    cbPadAlg1->setCurrentIndex(s.PadAlg1);
    cbPadAlg2->setCurrentIndex(s.PadAlg2);
    seFsLimit->setValue(s.FsLimit / 1000.0);
    Follow();
}

void TPadSettingsGroup::ApplyTo(TSettings& s) const {
    s.PadPort = PortNumber();
    s.PadAlg1 = cbPadAlg1->currentIndex();
    s.PadAlg2 = cbPadAlg2->currentIndex();
    s.FsLimit = int(std::lround(seFsLimit->value() * 1000));
}

int TPadSettingsGroup::PortNumber() const {
    return cbPadPort->currentData().toInt();
}

void TPadSettingsGroup::SetContactPort(int port) {
    m_contactPort = port;
    Follow();
}

bool TPadSettingsGroup::Conflict() const {
    return PortNumber() != 0 && PortNumber() == m_contactPort;
}

void TPadSettingsGroup::Follow() {
    const bool on = PortNumber() != 0;
    for (QWidget* w : std::initializer_list<QWidget*>{cbPadAlg1, cbPadAlg2, seFsLimit, labPadAlg1,
                                                      labPadAlg2, labFsLimit, labFsLimitSek})
        w->setEnabled(on);
    labPadNote->setText(Conflict() ? tr("Derselbe Port wie die Lichtschranken: "
                                        "bitte einen anderen wählen")
                                   : QString());
    labPadNote->setVisible(Conflict());
    emit ConflictChanged();
}
