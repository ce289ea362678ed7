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
        // What the dialog returns, taken before anything is applied.
        TCfgChoice c{Settings, portBefore, d.cbPort->currentIndex(), 0};
        c.edited.KlassCol = d.seKlass->value();
        d.gbLive->ApplyTo(c.edited);
        d.gbFinale->ApplyTo(c.edited);
        c.edited.AutoTime = d.seAuto0->value() * 1000;
        c.edited.CountZabegov = d.seZabegov->value();
        c.edited.TimeFormat = d.cbTimeFormat->currentIndex();
        c.edited.TimerGesperrt = d.seTimeout->value() * 1000;
        c.edited.Monitor = std::max(0, d.cbMonitor->currentIndex());
        if (c.portNow >= 1) {
            c.portNumber = d.cbPort->currentText().mid(3, 3).toInt();
            c.edited.Alg1 = d.cbAlg1->currentIndex();
            c.edited.Alg2 = d.cbAlg2->currentIndex();
            c.edited.Alg3 = d.cbAlg3->currentIndex();
        }
        // A start contact may have started a heat while the dialog was open. What cannot
        // change that heat counts at once; the rest (runs, time format, lock-out, port, ...)
        // waits for the heat to end, or its times could land nowhere.
        Settings.LiveOn = c.edited.LiveOn; // the live glue notices and starts or stops the server
        Settings.LivePort = c.edited.LivePort;
        Settings.LiveBind = c.edited.LiveBind;
        Settings.Monitor = c.edited.Monitor;
        if (FormMonitor2) FormMonitor2->PlaceAndLayout();
        if (IsReady()) {
            ApplyCfgChoice(c);
        } else {
            m_pendingCfg = c;
            SetStatusNote(NoteSettings,
                          QStringLiteral("Die Einstellungen gelten ab dem nächsten RESET"));
        }
    }
    PanelLL->setFocus();
}

void TFormMain::ApplyPendingCfg() {
    if (!m_pendingCfg) return;
    const TCfgChoice c = *m_pendingCfg;
    m_pendingCfg.reset();
    SetStatusNote(NoteSettings, QString());
    ApplyCfgChoice(c);
}

void TFormMain::ApplyCfgChoice(const TCfgChoice& c) {
    const TSettings& e = c.edited;
    Settings.KlassCol = e.KlassCol;
    Settings.Ranking = e.Ranking; // reach the competition with the others below
    Settings.BracketSize = e.BracketSize;
    Settings.AutoTime = e.AutoTime;
    ApplyAutoTime();
    Settings.CountZabegov = e.CountZabegov;
    Competition->RestoreEmptyTitles();
    SetTimeFormat(e.TimeFormat);
    Settings.TimerGesperrt = e.TimerGesperrt;
    ApplyTrackCount();
    cbAllTrasse->setVisible(!seObmen->isVisibleTo(this) && Settings.CountZabegov > 1);

    // The port: a new choice closes the old one first; "Keine" leaves it closed; the same
    // choice leaves it as it is, open or not. A failed open is no error here: the hidden
    // beam pictures show it, and the number is kept for the next start.
    if (c.portNow != c.portBefore) ComPort->Close();
    if (c.portNow >= 1) {
        Settings.Alg1 = e.Alg1;
        Settings.Alg2 = e.Alg2;
        Settings.Alg3 = e.Alg3;
    }
    ComPort->setPort(quint8(c.portNumber));
    Settings.Port = c.portNumber;
    if (c.portNow >= 1 && c.portNow != c.portBefore) {
        try {
            ComPort->Open();
        } catch (const EComError&) {
        }
    }
    ApplyCompetitionSettings();
    RecalcProtocol();
    LayoutWindow();
}
