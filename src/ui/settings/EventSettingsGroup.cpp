#include "ui/settings/EventSettingsGroup.h"

#include "core/Settings.h"
#include "ui/PanelParts.h"

#include <QDir>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QToolButton>

TEventSettingsGroup::TEventSettingsGroup(QWidget* parent) : QGroupBox(tr(" Wettkampf "), parent) {
    setObjectName(QStringLiteral("gbEvent"));
    auto* g = new QGridLayout(this);
    eEventName = Named(new QLineEdit(this), "eEventName");
    eEventPlace = Named(new QLineEdit(this), "eEventPlace");
    eEventFolder = Named(new QLineEdit(this), "eEventFolder");
    eEventFolder->setPlaceholderText(tr("Dokumente/<Datum> <Titel>"));
    eEventFolder->setToolTip(tr("Speichern, Exporte und die Kopie beim Beenden gehen hierhin."));
    bEventFolder = Named(new QToolButton(this), "bEventFolder");
    bEventFolder->setText(QStringLiteral("..."));
    g->addWidget(Named(new QLabel(tr("Veranstaltung:"), this), "labEventName"), 0, 0,
                 Qt::AlignRight);
    g->addWidget(eEventName, 0, 1, 1, 2);
    g->addWidget(Named(new QLabel(tr("Ort:"), this), "labEventPlace"), 1, 0, Qt::AlignRight);
    g->addWidget(eEventPlace, 1, 1, 1, 2);
    g->addWidget(Named(new QLabel(tr("Wettkampfordner:"), this), "labEventFolder"), 2, 0,
                 Qt::AlignRight);
    g->addWidget(eEventFolder, 2, 1);
    g->addWidget(bEventFolder, 2, 2);
    connect(bEventFolder, &QToolButton::clicked, this, [this] {
        if (!ChooseFolder) return;
        const QString chosen = ChooseFolder(QDir::fromNativeSeparators(eEventFolder->text()));
        if (!chosen.isEmpty()) eEventFolder->setText(QDir::toNativeSeparators(chosen));
    });
}

void TEventSettingsGroup::LoadFrom(const TSettings& s) {
    eEventName->setText(s.EventName);
    eEventPlace->setText(s.EventPlace);
    eEventFolder->setText(QDir::toNativeSeparators(s.EventFolder));
}

void TEventSettingsGroup::ApplyTo(TSettings& s) const {
    s.EventName = eEventName->text().trimmed();
    s.EventPlace = eEventPlace->text().trimmed();
    s.EventFolder = QDir::fromNativeSeparators(eEventFolder->text().trimmed());
}
