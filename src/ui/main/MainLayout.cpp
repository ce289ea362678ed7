// Building and arranging the main window from its panels. The constructor runs the setup
// steps in an order where every step finds what it needs: panels first, then their signals,
// then the menus whose actions share the buttons' enabled flags, then timers and the port.
// The regions are placed by hand (LayoutWindow) rather than by Qt layouts: their sizes are
// fixed pixel rules, and the middle column must keep its bounds when one tower is used.
#include "core/ParticipantList.h"
#include "core/Version.h"
#include "input/Comms.h"
#include "ui/audience/FMonitor2.h"
#include "ui/Dialogs.h"
#include "ui/Fonts.h"
#include "ui/help/FInfo.h"
#include "ui/help/Help.h"
#include "ui/main/CommandColumn.h"
#include "ui/main/FMain.h"
#include "ui/main/ModeBox.h"
#include "ui/main/ProtocolView.h"
#include "ui/main/TitleStrip.h"
#include "ui/main/TrackClock.h"
#include "ui/main/TrackPicker.h"
#include "ui/main/WindowLayout.h"
#include "ui/PanelParts.h"
#include "ui/Pictures.h"
#include "ui/settings/Cfg.h"

#include <QDir>
#include <QMenu>
#include <QPlainTextEdit>
#include <QTimer>
#include <QVBoxLayout>

namespace {
const char* const MakerPage = "http://www.tavoleno.de";
} // namespace

TFormMain::TFormMain(TAppParts& parts, TDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), Settings(parts.Settings), Store(parts.Store.get()), Run(parts.Run.get()),
      Competition(parts.Competition.get()), Participants(parts.Participants.get()),
      Dialogs(dialogs ? dialogs : SystemDialogs()), ComPort(parts.Port.get()),
      PadComPort(parts.PadPort.get()) {
    setObjectName(QStringLiteral("FormMain"));
    InstallFontSubstitutes();
    InitResources();
    setFont(DesignFont("MS Sans Serif", 11));
    setWindowIcon(Picture(QStringLiteral("veltaro")));
    setupPanels();
    setupCompetition();
    setupMenus();
    setupUndo();
    setupPanelSignals();
    setupOffice();
    setupTimers();
    setupComPort();
    setupRun();
    setupPads();
    Help = new THelp(this);
    setupSounds();
    FormCreate();
}

TFormMain::~TFormMain() {
    SaveSettings();
    // The event thread stops while the controls its handlers touch are still there.
    m_padsWanted = false;
    PadComPort->Close();
    ComPort->Close();
    Run->disconnect(this);
}

void TFormMain::setupPanels() {
    setWindowTitle(QStringLiteral("TL-Veltaro ") + ProgramVersion() + QStringLiteral("[*]"));
    resize(Design::WindowWidth, Design::WindowHeight);
    setMinimumHeight(Design::MinHeight);
    auto* central = ColouredPanel(this, "FormMainClient", Colors::clSkyBlue);
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    m_top = ColouredPanel(central, "PanelTop", Colors::clSkyBlue);
    m_top->setFixedHeight(Design::TopBarHeight);
    m_timer = ColouredPanel(central, "PanelTimer", Colors::clBlack);
    m_timer->setFixedHeight(Design::TimerHeight);
    m_protocolArea = ColouredPanel(central, "PanelProtokoll", Colors::clSkyBlue);
    m_protocolArea->setMinimumWidth(Design::ProtocolMinWidth);
    v->addWidget(m_top);
    v->addWidget(m_timer);
    v->addWidget(m_protocolArea, 1);

    m_strip = new TTitleStrip(m_top, central);
    m_selectionRow = Named(new QWidget(m_top), "Panel");
    m_picker[0] = new TTrackPicker(0, Participants, m_selectionRow);
    m_modeBox = new TModeBox(m_selectionRow);
    m_picker[1] = new TTrackPicker(1, Participants, m_selectionRow);

    // The filler first: it lies behind the other panels of the timer area.
    m_filler = ColouredPanel(m_timer, "PanelTTT2", Colors::clSkyBlue);
    m_filler->hide();
    m_clock[0] = new TTrackClock(0, m_timer);
    m_clock[1] = new TTrackClock(1, m_timer);
    m_commands = new TCommandColumn(m_timer);
    m_clock[1]->move(Design::WindowWidth - Design::TrackPanelWidth, 0);
    m_commands->setGeometry(DockedMiddleColumn(Design::WindowWidth));

    auto* p = new QVBoxLayout(m_protocolArea);
    p->setContentsMargins(0, 0, 0, 0);
    p->setSpacing(0);
    m_bar = new TProtocolBar(m_protocolArea);
    m_view = new TProtocolView(
        *Competition, [this](int track) { return TrackColor(track); }, m_protocolArea);
    p->addWidget(m_bar);
    p->addWidget(m_view, 1);

    m_status = new TStatusLine(this);
    setStatusBar(m_status);
    connect(m_status, &TStatusLine::FolderClicked, this,
            [this](const QString& folder) { Dialogs->ShellOpen(folder); });
}

void TFormMain::setupPanelSignals() {
    connect(m_strip, &TTitleStrip::HelpClicked, this, [this] { bHelpClick(); });
    connect(m_strip, &TTitleStrip::SettingsClicked, this, [this] { bCFGClick(); });
    connect(m_strip, &TTitleStrip::InfoClicked, this, [this] { bInfoClick(); });
    connect(m_strip, &TTitleStrip::LogoClicked, this, [this] { LogoClick(); });

    for (int t = 0; t < 2; ++t) {
        connect(m_picker[t], &TTrackPicker::ListChanged, this, [this, t](int index) {
            if (m_listSync == 0) cbBuhnChange(t, index);
        });
        connect(m_picker[t], &TTrackPicker::ColourClicked, this, [this, t] { ShapeMouseDown(t); });
    }
    connect(m_picker[0], &TTrackPicker::LoadClicked, this, [this] { sbLoadClick(); });
    connect(m_picker[0], &TTrackPicker::ImportClicked, this, [this] { mImportClick(); });
    connect(m_modeBox, &TModeBox::ModeChosen, this, [this](int mode) {
        SetVid(mode);
        cbVidChange();
    });
    connect(m_modeBox, &TModeBox::AllTracksToggled, this, [this](bool on) {
        Settings.AllTrasse = on;
        ApplyCompetitionSettings();
    });
    connect(m_modeBox, &TModeBox::SwapClicked, this, [this] { seObmenClick(); });
    connect(m_modeBox, &TModeBox::RankingChosen, this, [this](int k) { cbWertungChange(k); });
    connect(m_modeBox, &TModeBox::CategoryChosen, this, [this](int i) { cbAnzeigeChange(i); });

    connect(m_commands, &TCommandColumn::StartClicked, this, [this] { mStartClick(); });
    connect(m_commands, &TCommandColumn::Pressed, this, [this](TCommandColumn::TCommand c) {
        IssueCommand(c == TCommandColumn::Start   ? mStart
                     : c == TCommandColumn::Stop1 ? mSTOP1
                                                  : mStop2);
    });
    connect(m_commands, &TCommandColumn::AbortClicked, this, [this] { Abruch1Click(); });
    connect(m_commands, &TCommandColumn::BeamClicked, this, [this](int b) { ToggleBeam(b); });
    connect(m_commands, &TCommandColumn::StartShifted, this,
            [this](std::uint32_t ms) { Run->ShiftStart(ms); });

    connect(m_bar, &TProtocolBar::Clicked, this, &TFormMain::ProtocolBarClicked);
    connect(m_bar, &TProtocolBar::MenuRequested, this,
            [this](TProtocolBar::TButton b, const QPoint& at) {
                (b == TProtocolBar::Sound ? PopupMenuSound : PopupMenuDelStr)->popup(at);
            });
    connect(m_bar, &TProtocolBar::ResetClicked, this, [this] { mResetClick(); });
    connect(m_bar, &TProtocolBar::ResetPressed, this, [this] { IssueCommand(mReset); });
    connect(m_bar, &TProtocolBar::AutoResetToggled, this,
            [this](bool on) { Run->SetAutoReset(on); });
    connect(m_bar, &TProtocolBar::EditToggled, this, [this](bool on) { cbEditONClick(on); });
    connect(m_bar, &TProtocolBar::SortToggled, this, [this](bool on) {
        ApplyCompetitionSettings();
        Competition->SetSorted(on);
    });

    connect(m_view, &TProtocolView::RowSelected, this, [this] { SortGrid1RowSelected(); });
    connect(m_view, &TProtocolView::DoubleClicked, this, &TFormMain::ProtocolDblClick);
    connect(m_view, &TProtocolView::Resized, this, &TFormMain::LayoutWindow);
    m_view->SetKeptKeys([this](const QKeySequence& pressed) {
        for (QAction* a : {mStart, mSTOP1, mStop2, mReset, Abruch1})
            if (a->isEnabled() && a->shortcut() == pressed) return true;
        return false;
    });

    PopupMenuDelStr = Named(new QMenu(this), "PopupMenuDelStr");
    struct Entry {
        const char* caption;
        int tag;
    };
    for (Entry e :
         {Entry{QT_TR_NOOP("2 Zeile loschen"), 2}, Entry{QT_TR_NOOP("3 Zeile loschen"), 3},
          Entry{QT_TR_NOOP("4 Zeile loschen"), 4}, Entry{QT_TR_NOOP("5 Zeile loschen"), 5},
          Entry{QT_TR_NOOP("10 Zeile loschen"), 10},
          Entry{QT_TR_NOOP("Bis zum Ende des Protokolls loschen"), 65000}}) {
        QAction* a = PopupMenuDelStr->addAction(tr(e.caption));
        a->setData(e.tag);
        connect(a, &QAction::triggered, this, [this, a] { ProtocolCommand(a->data().toInt()); });
    }
}

void TFormMain::ProtocolBarClicked(TProtocolBar::TButton button) {
    switch (button) {
    case TProtocolBar::Save:
        sbSaveClick();
        break;
    case TProtocolBar::DeleteRow:
        ProtocolCommand(0);
        break;
    case TProtocolBar::DeleteAll:
        ProtocolCommand(1);
        break;
    case TProtocolBar::Print:
        sbInetClick(1);
        break;
    case TProtocolBar::Track1:
        sb1Click(1);
        break;
    case TProtocolBar::Dis1:
        sbDelClick(0);
        break;
    case TProtocolBar::Sound:
        mSoundClick();
        break;
    case TProtocolBar::Dis2:
        sbDelClick(1);
        break;
    case TProtocolBar::Track2:
        sb1Click(2);
        break;
    case TProtocolBar::Word:
        sbWordClick();
        break;
    case TProtocolBar::Excel:
        sbExcelClick();
        break;
    case TProtocolBar::Html:
        sbInetClick(0);
        break;
    case TProtocolBar::Tv:
        SetTvMode(!Settings.MonitorOn);
        break;
    case TProtocolBar::Undo:
        IssueCommand(mUndo);
        break;
    case TProtocolBar::Edit:
    case TProtocolBar::Sort:
    case TProtocolBar::ButtonCount:
        break;
    }
}

void TFormMain::setupMenus() {
    FKeys = Named(new QMenu(QStringLiteral("FKeys"), this), "FKeys");
    CtrlKeys = Named(new QMenu(QStringLiteral("CtrlKeys"), this), "CtrlKeys");
    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& key, int tag = 0) {
        QAction* a = Named(new QAction(caption, this), name);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setData(tag);
        menu->addAction(a);
        addAction(a); // the menus are never shown; the window carries the keys
        return a;
    };
    mHelp = item(FKeys, "mHelp", tr("Hilfe"), QKeySequence(Qt::Key_F1));
    mConfig = item(FKeys, "mConfig", "Config", QKeySequence(Qt::Key_F2));
    mInfo = item(FKeys, "mInfo", "Info", QKeySequence(Qt::Key_F3));
    mSTOP1 = item(FKeys, "mSTOP1", "Stop1", QKeySequence(Qt::Key_F4), 0);
    mStop2 = item(FKeys, "mStop2", "Stop2", QKeySequence(Qt::Key_F6), 1);
    mStart = item(FKeys, "mStart", "Start", QKeySequence(Qt::Key_F8));
    mReset = item(FKeys, "mReset", "00:00", QKeySequence(Qt::Key_F9));
    LockLSstart = item(FKeys, "LockLSstart", "Lock LS start", QKeySequence(Qt::Key_F10));
    LockLS1 = item(FKeys, "LockLS1", "LockLS1", QKeySequence(Qt::Key_F11));
    LockLS21 = item(FKeys, "LockLS21", "LockLS2", QKeySequence(Qt::Key_F12));

    Open1 = item(CtrlKeys, "Open1", "Open", QKeySequence(Qt::CTRL | Qt::Key_O));
    Save1 = item(CtrlKeys, "Save1", "Save", QKeySequence(Qt::CTRL | Qt::Key_S));
    mImport =
        item(CtrlKeys, "mImport", tr("Startliste importieren"), QKeySequence(Qt::CTRL | Qt::Key_I));
    TVmode = item(CtrlKeys, "TVmode", "TV mode", QKeySequence(Qt::CTRL | Qt::Key_T));
    Print1 = item(CtrlKeys, "Print1", "Print", QKeySequence(Qt::CTRL | Qt::Key_P), 1);
    StrDel1 = item(CtrlKeys, "StrDel1", "Str Del", QKeySequence(Qt::CTRL | Qt::Key_Minus), 0);
    StrDel2 = item(CtrlKeys, "StrDel2", "Str del", QKeySequence(), 0); // its key: FormCreate
    Word1 = item(CtrlKeys, "Word1", "Word", QKeySequence(Qt::CTRL | Qt::Key_W));
    Excel1 = item(CtrlKeys, "Excel1", "Excel", QKeySequence(Qt::CTRL | Qt::Key_E));
    Html1 = item(CtrlKeys, "Html1", "Html", QKeySequence(Qt::CTRL | Qt::Key_H), 0);
    CLS1 = item(CtrlKeys, "CLS1", "CLS", QKeySequence(Qt::CTRL | Qt::Key_Delete), 1);
    Abruch1 = item(CtrlKeys, "Abruch1", tr("Abruch"), QKeySequence(Qt::CTRL | Qt::Key_X));
    Trasse1 = item(CtrlKeys, "Trasse1", tr("Trasse 1"), QKeySequence(Qt::CTRL | Qt::Key_1), 1);
    Trasse2 = item(CtrlKeys, "Trasse2", tr("Trasse 2"), QKeySequence(Qt::CTRL | Qt::Key_2), 2);
    SwapTrasse = item(CtrlKeys, "SwapTrasse", "SwapTrasse", QKeySequence(Qt::CTRL | Qt::Key_0));
    mSound = item(CtrlKeys, "mSound", "Sound", QKeySequence(Qt::CTRL | Qt::Key_QuoteLeft));
    // Qt gives a key shared by two actions to neither, so the second item takes the key that
    // sits left of 1 on a German keyboard.
    mSound0 = item(CtrlKeys, "mSound0", "Sound", QKeySequence(Qt::CTRL | Qt::Key_AsciiCircum));
    mBracket = item(CtrlKeys, "mBracket", tr("K.-o.-Feld"), QKeySequence(Qt::CTRL | Qt::Key_K));
    mBracketHtml = item(CtrlKeys, "mBracketHtml", tr("K.-o.-Feld Html"),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    mContactLog = item(CtrlKeys, "mContactLog", tr("Kontaktprotokoll öffnen"),
                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_L));
    mContactLog->setEnabled(false); // until there is a log (StartContactLog)
    m_strip->AddInfoMenuAction(mContactLog);
    mResultsPdf = item(CtrlKeys, "mResultsPdf", tr("Ergebnisliste (PDF)"),
                       QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P));
    mStartListPdf = item(CtrlKeys, "mStartListPdf", tr("Startliste (PDF)"),
                         QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_N));
    m_strip->AddInfoMenuAction(mResultsPdf);
    mHeatListPdf = item(CtrlKeys, "mHeatListPdf", tr("Laufliste (PDF)"),
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_R));
    m_strip->AddInfoMenuAction(mStartListPdf);
    m_strip->AddInfoMenuAction(mHeatListPdf);
    // The run keys act whichever of the program's windows has the focus (the bracket window,
    // the audience window on the operator's screen); a modal dialog still holds them back, as
    // it holds back the main window they belong to.
    for (QAction* a : {mSTOP1, mStop2, mStart, mReset, Abruch1, LockLSstart, LockLS1, LockLS21})
        a->setShortcutContext(Qt::ApplicationShortcut);

    connect(mStart, &QAction::triggered, this, [this] { mStartClick(); });
    connect(mSTOP1, &QAction::triggered, this, [this] { mSTOPClick(mSTOP1); });
    connect(mStop2, &QAction::triggered, this, [this] { mSTOPClick(mStop2); });
    connect(mReset, &QAction::triggered, this, [this] { mResetClick(); });
    connect(Abruch1, &QAction::triggered, this, [this] { Abruch1Click(); });
    connect(LockLSstart, &QAction::triggered, this, [this] { ToggleBeam(0); });
    connect(LockLS1, &QAction::triggered, this, [this] { ToggleBeam(1); });
    connect(LockLS21, &QAction::triggered, this, [this] { ToggleBeam(2); });
    connect(StrDel1, &QAction::triggered, this, [this] { ProtocolCommand(0); });
    connect(StrDel2, &QAction::triggered, this, [this] { ProtocolCommand(0); });
    connect(CLS1, &QAction::triggered, this, [this] { ProtocolCommand(1); });
    connect(Trasse1, &QAction::triggered, this, [this] { sb1Click(1); });
    connect(Trasse2, &QAction::triggered, this, [this] { sb1Click(2); });
    connect(SwapTrasse, &QAction::triggered, this, [this] { seObmenClick(); });
    connect(Open1, &QAction::triggered, this, [this] { sbLoadClick(); });
    connect(Save1, &QAction::triggered, this, [this] { sbSaveClick(); });
    connect(mImport, &QAction::triggered, this, [this] { mImportClick(); });
    connect(Html1, &QAction::triggered, this, [this] { sbInetClick(0); });
    connect(Print1, &QAction::triggered, this, [this] { sbInetClick(1); });
    TVmode->setEnabled(false); // until a second screen is seen (StartTvMode)
    connect(TVmode, &QAction::triggered, this, [this] { TVmodeClick(); });
    connect(mHelp, &QAction::triggered, this, [this] { bHelpClick(); });
    connect(mInfo, &QAction::triggered, this, [this] { bInfoClick(); });
    connect(mConfig, &QAction::triggered, this, [this] { bCFGClick(); });
    connect(mBracket, &QAction::triggered, this, [this] { mBracketClick(); });
    connect(mBracketHtml, &QAction::triggered, this, [this] { mBracketHtmlClick(); });
    connect(mContactLog, &QAction::triggered, this, [this] { mContactLogClick(); });
    connect(mResultsPdf, &QAction::triggered, this, [this] { WriteList(TListKind::Results); });
    connect(mStartListPdf, &QAction::triggered, this, [this] { WriteList(TListKind::StartList); });
    connect(mHeatListPdf, &QAction::triggered, this, [this] { WriteList(TListKind::Heats); });
}

void TFormMain::setupTimers() {
    Clock = Named(new QTimer(this), "Clock");
    Clock->setInterval(10);
    Clock->setTimerType(Qt::PreciseTimer);
    connect(Clock, &QTimer::timeout, this, [this] { ClockTimer(); });
}

void TFormMain::setupRun() {
    connect(Run, &TRunController::Started, this, &TFormMain::RunStarted);
    connect(Run, &TRunController::TrackStoppedAt, this, &TFormMain::RunTrackStopped);
    connect(Run, &TRunController::WasReset, this, [this] { RunBackToReady(true); });
    connect(Run, &TRunController::Aborted, this, [this] { RunBackToReady(false); });
    connect(Run, &TRunController::RunEnded, this, [this] { RunBackToReady(false); });
    connect(Run, &TRunController::BeamsChanged, this, &TFormMain::ShowBeams);
    connect(Run, &TRunController::StopContactIgnored, this,
            [this](int track) { m_commands->FlashBeam(track + 1); });
    connect(Run, &TRunController::Changed, this, &TFormMain::UpdateControls);
    Run->SetCellToMark([c = Competition](int track) { return c->LastCell(track).Column >= 0; });
    // The box starts checked and the run follows it, never the other way round.
    Run->SetAutoReset(true);
}

void TFormMain::setupComPort() {
    connect(ComPort, &TComPort::OnCTS, this, [this](std::uint32_t t) { ContactNotified(0, t); });
    connect(ComPort, &TComPort::OnDSR, this, [this](std::uint32_t t) { ContactNotified(1, t); });
    connect(ComPort, &TComPort::OnRLSD, this, [this](std::uint32_t t) { ContactNotified(2, t); });
    connect(ComPort, &TComPort::OnOpen, this, &TFormMain::ComPortOpen);
    connect(ComPort, &TComPort::OnClose, this, &TFormMain::ComPortClose);
}

void TFormMain::ApplyTrackCount() {
    Competition->SetRunCounter(0);
    const bool two = Competition->CountBahn() >= 2;
    m_picker[1]->setVisible(two);
    m_modeBox->SetSwapShown(two);
    m_clock[1]->setVisible(two);
    m_commands->SetTwoTracks(two);
    m_bar->SetTwoTracks(two);
    m_filler->setVisible(!two);
    m_filler->lower();
    if (two) {
        m_commands->SetCommand(TCommandColumn::Stop2, false, Colors::clRed);
        mStop2->setEnabled(false);
    }
    if (FormMonitor2) FormMonitor2->ApplyVisibility();
    LayoutWindow();
    RepaintProtocol();
}

void TFormMain::LayoutWindow() {
    const int W = width();
    m_strip->LayOut(W);
    m_selectionRow->setGeometry(0, Design::StripHeight, W, Design::SelectionRowHeight);
    const TRowParts row = SelectionRowWidths(W, Competition->CountBahn());
    m_picker[0]->setGeometry(0, 0, row.left, Design::SelectionRowHeight);
    m_modeBox->setGeometry(row.left, 0, row.middle, Design::SelectionRowHeight);
    m_picker[1]->setGeometry(row.left + row.middle, 0, row.right, Design::SelectionRowHeight);

    m_clock[0]->move(0, 0);
    m_clock[1]->move(W - Design::TrackPanelWidth, 0);
    // With one tower the middle column is not docked: it keeps the bounds it had, and the
    // filler behind it covers the rest of the timer area.
    if (Competition->CountBahn() >= 2) m_commands->setGeometry(DockedMiddleColumn(W));
    m_filler->setGeometry(FillerGeometry(W));
    m_commands->LayOut();

    m_view->SetColumnWidths(
        ProtocolColumnWidths(m_view->ClientWidth(), Settings.TimeFormat, Settings.CountZabegov));
    m_status->LayOut(W);
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutWindow();
}

TColor TFormMain::TrackColor(int track) const {
    return track == 0 ? Settings.Color1 : Settings.Color2;
}

void TFormMain::SetTrackColor(int track, TColor c) {
    const int t = track == 0 ? 0 : 1;
    (t == 0 ? Settings.Color1 : Settings.Color2) = c;
    m_picker[size_t(t)]->SetColour(c);
    RepaintProtocol();
}

void TFormMain::ShapeMouseDown(int track) {
    TColor c = TrackColor(track);
    if (!Dialogs->ChooseColor(c)) return; // Cancel: colours and protocol stay as they were
    SetTrackColor(track, c);
}

void TFormMain::LogoClick() {
    Dialogs->ShellOpen(QString::fromLatin1(MakerPage));
}

void TFormMain::bInfoClick() {
    if (!FormInfo) return;
    // Where the results will be written at exit is decided only now: the program's folder
    // may have become read-only, or the data folder been made, since the start.
    QString event;
    if (!Settings.EventName.isEmpty())
        event += tr("Veranstaltung: ") + Settings.EventName + QLatin1Char('\n');
    if (!Settings.EventPlace.isEmpty())
        event += QStringLiteral("Ort: ") + Settings.EventPlace + QLatin1Char('\n');
    event += tr("Wettkampfordner: ") + QDir::toNativeSeparators(EventFolder());
    FormInfo->MemoInfo->setPlainText(InfoText() + QStringLiteral("\n\n") + event +
                                     QStringLiteral("\n\n") + ExitCopyInfo());
    FormInfo->exec();
}

void TFormMain::bHelpClick() {
    if (Help->Contents()) return;
#ifndef Q_OS_WIN
    // Without the manual's pages there is nothing to show; on Windows the missing library
    // was reported at start-up.
    Dialogs->ShowMessage(tr("Die Hilfe wurde nicht gefunden:\n") + Help->HelpFile(), tr("Hilfe"));
#endif
}

void TFormMain::UpdateHelpButton() {
    m_strip->SetHelpAvailable(Help->Exists());
}

void TFormMain::SetStatusNote(TNote slot, const QString& text) {
    m_status->SetNote(slot, text);
}
