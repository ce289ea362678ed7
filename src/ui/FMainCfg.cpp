// The settings dialog from the main window's side: the settings go in before it opens and come
// back when it closes with OK, in an order where each step finds what it needs (the tower
// count before the layout, the port last, since opening it may fail).
#include "input/Comms.h"
#include "ui/Cfg.h"
#include "ui/Dialogs.h"
#include "ui/FinalsSettingsGroup.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "ui/LiveSettingsGroup.h"
#include "widgets/SortGrid.h"

#include <QCheckBox>
#include <QSpinBox>
#include <QToolButton>

void TFormMain::bCFGClick() {
    if (!CfgDialog || !Run->CanSetUpHeat()) return;
    TCfgDialog& d = *CfgDialog;
    const int port = ComPort->Port();
    // No selection when the stored port was not found: the dialog then offers the last one.
    d.cbPort->setCurrentIndex(port != 0 ? d.cbPort->findText(QStringLiteral("COM%1").arg(port))
                                        : 0);
    d.cbAlg1->setCurrentIndex(Settings.Alg1);
    d.cbAlg2->setCurrentIndex(Settings.Alg2);
    d.cbAlg3->setCurrentIndex(Settings.Alg3);
    const int portBefore = d.cbPort->currentIndex();
    d.seTimeout->setValue(Settings.TimerGesperrt / 1000);
    d.seZabegov->setValue(Settings.CountZabegov);
    d.cbTimeFormat->setCurrentIndex(Settings.TimeFormat);
    d.seAuto0->setValue(Settings.AutoTime / 1000);
    d.seKlass->setValue(Settings.KlassCol);
    d.gbLive->LoadFrom(Settings);
    d.gbFinale->LoadFrom(Settings);

    if (Dialogs->RunModal(d) == QDialog::Accepted) {
        Settings.KlassCol = d.seKlass->value();
        d.gbLive->ApplyTo(Settings);   // the live glue notices and starts or stops the server
        d.gbFinale->ApplyTo(Settings); // reaches the competition with the others below
        Settings.AutoTime = d.seAuto0->value() * 1000;
        ApplyAutoTime();
        Settings.CountZabegov = d.seZabegov->value();
        Competition->RestoreEmptyTitles();
        SetTimeFormat(d.cbTimeFormat->currentIndex());
        Settings.TimerGesperrt = d.seTimeout->value() * 1000;
        ApplyTrackCount();
        cbAllTrasse->setVisible(!seObmen->isVisibleTo(this) && Settings.CountZabegov > 1);
        Settings.Monitor = std::max(0, d.cbMonitor->currentIndex());
        if (FormMonitor2) FormMonitor2->PlaceAndLayout();

        // The port: a new choice closes the old one first; "Keine" leaves it closed; the same
        // choice leaves it as it is, open or not. A failed open is no error here: the hidden
        // beam pictures show it, and the number is kept for the next start.
        const int portNow = d.cbPort->currentIndex();
        if (portNow != portBefore) ComPort->Close();
        int number = 0;
        if (portNow >= 1) {
            number = d.cbPort->currentText().mid(3, 3).toInt();
            Settings.Alg1 = d.cbAlg1->currentIndex();
            Settings.Alg2 = d.cbAlg2->currentIndex();
            Settings.Alg3 = d.cbAlg3->currentIndex();
        }
        ComPort->setPort(quint8(number));
        Settings.Port = number;
        if (portNow >= 1 && portNow != portBefore) {
            try {
                ComPort->Open();
            } catch (const EComError&) {
            }
        }
        ApplyCompetitionSettings();
        RecalcProtocol();
        LayoutWindow();
    }
    PanelLL->setFocus();
}
