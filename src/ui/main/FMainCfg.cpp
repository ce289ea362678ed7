// The settings dialog from the main window's side: the settings go in before it opens and come
// back when it closes with OK, in an order where each step finds what it needs (the tower
// count before the layout, the port last, since opening it may fail).
#include "input/Comms.h"
#include "ui/audience/FMonitor2.h"
#include "ui/Dialogs.h"
#include "ui/main/FMain.h"
#include "ui/main/TrackPicker.h"
#include "ui/settings/Cfg.h"
#include "ui/settings/FinalsSettingsGroup.h"
#include "ui/settings/LiveSettingsGroup.h"

void TFormMain::bCFGClick() {
    if (!CfgDialog || !Run->CanSetUpHeat()) return;
    CfgDialog->Edit(Settings, ComPort->Port(), Competition->CountBahn());
    if (Dialogs->RunModal(*CfgDialog) == QDialog::Accepted) {
        const TCfgChoice c = CfgDialog->Choice();
        // A start contact may have started a heat while the dialog was open. What cannot
        // change that heat counts at once; the rest (runs, time format, lock-out, port, ...)
        // waits for the heat to end, or its times could land nowhere.
        Settings.LiveOn = c.edited.LiveOn; // the live glue notices and starts or stops the server
        Settings.LivePort = c.edited.LivePort;
        Settings.LiveBind = c.edited.LiveBind;
        Settings.Monitor = c.edited.Monitor;
        Settings.Lang = c.edited.Lang; // it acts only at the next start, so also during a run
        Settings.HallNames = c.edited.HallNames; // the audience's view only: at once
        if (FormMonitor2) FormMonitor2->PlaceAndLayout();
        if (IsReady()) {
            ApplyCfgChoice(c);
        } else {
            m_pendingCfg = std::make_unique<TCfgChoice>(c);
            SetStatusNote(NoteSettings, tr("Die Einstellungen gelten ab dem nächsten RESET"));
        }
    }
    m_picker[0]->setFocus();
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
    Settings.StopGesperrt = e.StopGesperrt;
    const bool padsChanged = e.PadPort != Settings.PadPort;
    Settings.PadPort = e.PadPort;
    Settings.PadAlg1 = e.PadAlg1;
    Settings.PadAlg2 = e.PadAlg2;
    Settings.FsLimit = e.FsLimit;
    ApplyTrackCount();
    ShowAllTracksBox();

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
    if (padsChanged || c.portNow != c.portBefore) OpenPadPort();
    ApplyCompetitionSettings();
    RecalcProtocol();
    LayoutWindow();
}
