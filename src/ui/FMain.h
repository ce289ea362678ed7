#pragma once
// The operator's main window. The run and the protocol live in the model objects it is given
// (TAppParts); the window shows them and turns keys, clicks and contacts into their commands.
// Its behaviour is split by subject, one file each:
//   ui/MainLayout.cpp          building and arranging the controls, the date panel, colours
//   ui/FMainStartup.cpp        the creation's steps after the controls exist
//   ui/FMainRun.cpp            START, STOP, RESET, ABBRECHEN and UpdateControls
//   ui/FMainClock.cpp          the 10 ms tick and the time digits
//   ui/FMainContacts.cpp       contact notifications and the beam pictures
//   ui/FMainRecording.cpp      where a stopped time lands; the competition modes
//   ui/FMainTracks.cpp         who is on which track, the heat order, the track captions
//   ui/FMainCompetition.cpp    the competition's settings; the grid and the lists as its view
//   ui/FMainProtocol.cpp, ui/FMainRanking.cpp   the protocol's commands, results and places
//   ui/FMainFiles.cpp, ui/FMainOffice.cpp       protocol files, pages and office exchange
//   ui/FMainSettings.cpp, ui/FMainCfg.cpp       the settings store and the settings dialog
//   ui/FMainJournal.cpp, ui/FMainShutdown.cpp   the journal, the exit copy and the end
//   ui/FMainBracket.cpp, ui/TvMode.cpp, ui/Sounds.cpp   the bracket window, TV mode, cues
#include "core/Colors.h"
#include "core/Columns.h"
#include "core/Competition.h"
#include "core/RunController.h"
#include "persist/FileTypes.h"
#include "persist/OfficeExport.h"
#include "persist/ProtocolHtml.h"
#include "persist/ProtocolText.h"
#include "persist/SettingsStore.h"
#include "widgets/SortGrid.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <QAction>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QVector>

class QCalendarWidget;
class QCheckBox;
class QComboBox;
class QFrame;
class QLabel;
class QMenu;
class QStatusBar;
class QTimer;
class QToolButton;
class QSettings;
class QWidget;
class TBitBtnWithColor;
class TCfgDialog;
class TComPort;
class TParticipantList;
class TDialogs;
class TDigit;
class TFormInfo;
class TFormMonitor2;
class TFormBracket;
struct TBracketPage;
class THelp;
class TImageLS;
class TLiveServer;
class TJournal;
struct TJournalMeta;
struct TJournalSnapshot;
class TSoundCues;

// What the window works with, built by the entry point (or a test) before the window: the
// settings and their store, the contact port, the run, and the competition with the one
// participant list both track lists show.
struct TAppParts {
    explicit TAppParts(std::unique_ptr<QSettings> store);
    ~TAppParts();
    TSettings Settings;
    std::unique_ptr<QSettings> Store; // null: defaults, nothing written
    std::unique_ptr<TComPort> Port;
    std::unique_ptr<TRunController> Run;
    // Its Changed signal is the one notice that the protocol's content changed.
    std::unique_ptr<TCompetition> Competition;
    std::unique_ptr<TParticipantList> Participants;
    std::unique_ptr<TLiveServer> Live; // the live results' server, idle until switched on
};

// The window bounds to store: the frame's top-left (what move() takes back) and the client's
// size (what resize() takes back), of the normal bounds when the window is maximised.
QRect StoredWindowBounds(const QRect& client, const QRect& frame, const QRect& normalClient);

class TFormMain : public QMainWindow {
    Q_OBJECT
public:
    TFormMain(TAppParts& parts, TDialogs* dialogs, QWidget* parent = nullptr);
    ~TFormMain() override;

    // --- collaborators -----------------------------------------------------------------------
    TSettings& Settings;       // every stored value; the window keeps no copy
    QSettings* Store;          // where Settings are read at creation and written at destruction
    TRunController* Run;       // the state of the run; every run command's enabled flag
    TCompetition* Competition; // the protocol, the heat and the results; the grid shows it
    TParticipantList* Participants; // what cbBuhn1 and cbBuhn2 list
    TDialogs* Dialogs;              // questions, file dialogs, the desktop's open/print

    // --- view -----------------------------------------------------------------------------------
    int SelectedCol = 0;
    std::uint32_t PortMask = 0; // the ports the start-up probe found

    // --- controls (object names equal the member names) --------------------------------
    QWidget *PanelTop, *Panel, *PanelLL, *Panel1, *PanelRR, *PanelTimer, *PanelT1, *PanelT2,
        *Panel7, *Panel5, *PanelLE, *PanelRI, *PanelTTT2, *PanelProtokoll;
    QLabel *PanelTitle, *PanelDate;
    TBitBtnWithColor *bSTART, *bSTOP1, *bSTOP2, *bRESET, *bAbbruch;
    QToolButton *Button1, *Button2; // "+ 1 Std.", "+ 9 Min." (hidden)
    QToolButton *bCFG, *bHelp, *bInfo, *sbLoad, *sbSave, *sbCLS, *sbCLSall, *sbPrint, *sbInet,
        *sbExcel, *sbWord, *sb1, *sb2, *sb1del, *sb2del, *seObmen, *sbSound, *sbMon2;
    QComboBox *cbBuhn1, *cbBuhn2, *cbVid;
    QCheckBox *cbAllTrasse, *cbAuto0, *cbSort, *cbEditON;
    QLabel *LabelSort, *labEditON, *LabelZabeg1, *LabelZabeg2;
    QFrame *Shape1, *Shape2, *Shape1a, *Shape2a;
    std::array<TDigit*, 6> Digits1{}, Digits2{}; // Digit1_0..Digit1_5, Digit2_0..Digit2_5
    QLabel *LabMin1, *LabMin2, *LabSec1, *LabSec2, *Lab1_min, *Lab2_min, *Lab1_sek, *Lab2_sek,
        *Lab1_100, *Lab2_100;
    TImageLS *ImageLSstart, *ImageLS1, *ImageLS2;
    TSortGrid* SortGrid1;
    QStatusBar* StatusBar1;
    std::array<QLabel*, 3> StatusPanels{};
    // What the operator must know about the next heat, beside the status panels: why START
    // is grey, settings waiting for RESET, a heat that will be raced again.
    enum TNote { NoteRuns, NoteSettings, NoteHeat, NoteCount };
    QLabel* StatusNote;
    void SetStatusNote(TNote slot, const QString& text);
    QMenu* PopupMenuDelStr;
    QTimer *Clock, *TimerDate; // the 10 ms display refresh; the date panel
    TComPort* ComPort;

    // The two invisible menus: their actions carry the keys.
    QMenu *FKeys, *CtrlKeys;
    QAction *mHelp, *mConfig, *mInfo, *mSTOP1, *mStop2, *mStart, *mReset, *LockLSstart, *LockLS1,
        *LockLS21;
    QAction *Open1, *Save1, *TVmode, *Print1, *StrDel1, *StrDel2, *Word1, *Excel1, *Html1, *CLS1,
        *Abruch1, *Trasse1, *Trasse2, *SwapTrasse, *mSound, *mSound0;

    // --- run (ui/FMainRun.cpp) ------------------------------------------
    void IssueCommand(QAction* item); // runs the item's handler only while it is enabled
    void mStartClick();
    void mSTOPClick(QAction* sender);
    // The same commands at a known tick: a contact's, read when its line changed.
    void StartAt(std::uint32_t tick);
    void StopAt(int track, std::uint32_t tick);
    void mSTOP1Click() { mSTOPClick(mSTOP1); }
    void mStop2Click() { mSTOPClick(mStop2); }
    void mResetClick();
    void Abruch1Click();
    void cbAuto0Click();
    void UpdateControls();
    void bSTARTMouseDown() { IssueCommand(mStart); }
    void bSTOP1MouseDown() { IssueCommand(mSTOP1); }
    void bSTOP2MouseDown() { IssueCommand(mStop2); }
    void bRESETMouseDown() { IssueCommand(mReset); }
    bool IsRunning() const { return Run->IsRunning(); }
    bool IsReady() const { return Run->IsReady(); }
    void ApplyAutoTime(); // the auto-reset hint follows the setting
    // What the window does when the run changes, whoever changed it.
    void RunStarted();
    void RunTrackStopped(int track, std::uint32_t elapsed);
    void RunBackToReady(bool advance);

    // --- race clock (ui/FMainClock.cpp) ---------------------------------------------------
    void ClockTimer();
    void ShowTime(int track, std::int32_t ms);
    void ShowDigits(int track, int s, int h);
    void Button1Click(QToolButton* sender);
    void SetTimeFormat(int format);

    // --- sound cues (ui/Sounds.cpp) ----------------------------------------------------------
    QMenu* PopupMenuSound;      // sbSound's pop-up: the two cue switches
    QAction *mSound1, *mSound2; // "Start sound", "Stopp sound"
    TSoundCues* Sounds;
    void PlayStartCue();
    void PlayStopCue();
    void mSoundClick();    // the master switch: sbSound, Ctrl+`
    void mSound1Click();   // the start cue's switch
    void mSound2Click();   // the stop cue's switch
    void ShowSoundState(); // sbSound's glyph and the check marks from the settings
    void PrepareSounds();  // finds and checks the two cue files; their items follow

    // --- settings dialog (ui/FMainCfg.cpp, ui/Cfg.h) -----------------------------------------
    TCfgDialog* CfgDialog = nullptr; // made once at start-up, after this window (AppForms.h)
    void bCFGClick();                // copies the settings in, shows it, applies them on OK
    // What OK returned: the settings as edited, and the port list's choice before and after.
    struct TCfgChoice {
        TSettings edited;
        int portBefore = 0, portNow = 0, portNumber = 0;
    };
    void ApplyCfgChoice(const TCfgChoice& c);
    // Settings confirmed while a heat was on, applied once it is over (RESET or ABBRECHEN).
    std::optional<TCfgChoice> m_pendingCfg;
    void ApplyPendingCfg();

    // --- result recording and modes (ui/FMainRecording.cpp) -----------------------------
    void RecordRunTime(int track, const QString& text);
    void cbVidChange();
    // The competition into a mode as the mode box asks; refused, the box goes back and the
    // operator is told why.
    bool EnterMode(int vid);
    int Vid() const { return Settings.Vid; } // the competition mode
    void SetVid(int vid);                    // the mode box shows it; cbVidChange applies it
    void ShowMode(); // the window's side of the mode: tracks shown, layout, run counter 0

    // --- track assignment (ui/FMainTracks.cpp) --------------------------------------
    void AdvanceParticipants();
    void UpdateTrackCaptions();
    void UpdateTrackButtons();
    void cbBuhnChange(int track, int index); // a list's entry became the track's participant
    void sb1Click(int tag);
    void seObmenClick();
    void ProtocolDblClick(int row); // the grid row under the double click; < 1 is ignored

    // --- the competition and its view (ui/FMainCompetition.cpp) ----------------------------
    // The stored settings the competition computes with, given to it in this one place
    // whenever they may have changed: load, mode, "Auf allen Strecken", time format, recompute.
    void ApplyCompetitionSettings();
    void CompetitionChanged(TCompetition::TChange what, int entry, int column);
    // The grid's data row of an entry and the entry of a grid row (through the hidden entry
    // column, so also after the grid sorted itself); -1 for none.
    int RowOfEntry(int entry) const;
    int EntryOfRow(int row) const;
    void ShowProtocol(); // every row, in the order the competition shows them
    void ShowCell(int entry, int column);
    void ShowHeat(); // the lists, captions, highlight and run buttons follow the tracks
    void SortGrid1EditCommit(int col, int row, const QString& text, const QString& before);
    void SortGrid1EndSort();
    void RefusedDuringRun(const QString& what);
    // Holds back the redraw of the whole protocol while one command changes the competition
    // several times; the last hold to end redraws once.
    class TViewHold {
    public:
        explicit TViewHold(TFormMain* w) : m_w(w) { ++m_w->m_viewHold; }
        ~TViewHold();
        TViewHold(const TViewHold&) = delete;
        TViewHold& operator=(const TViewHold&) = delete;

    private:
        TFormMain* m_w;
    };

    // --- contacts (ui/FMainContacts.cpp) ------------------------------------------------------
    void ComPortCTS(std::uint32_t tick);
    void ComPortDSR(std::uint32_t tick);
    void ComPortRLSD(std::uint32_t tick);
    void ContactNotified(int contact, std::uint32_t tick);
    void ComPortOpen();
    void ComPortClose();
    void ImageLSClick(TImageLS* sender);
    void ShowBeams();
    void LockLSstartClick();
    void LockLS1Click();
    void LockLS21Click();

    // --- protocol (ui/FMainProtocol.cpp, ui/FMainRanking.cpp)
    // -----------------------------------------------------------------
    void RecalcProtocol();
    void ProtocolCommand(int tag);
    void sbDelClick(int tag); // DIS of track tag + 1
    void cbEditONClick();
    void SortGrid1RowSelected();
    void ProtocolRefresh();
    void RepaintProtocol();
    void SortGrid1GetSortStyle(int col, TSortStyle& style);
    void SortGrid1GetCellFormat(int col, int row, TFormatOptions& f);

    // --- settings and protocol files (ui/FMainSettings.cpp, ui/FMainFiles.cpp)
    // ------------------------------------------
    QStringList SettingsCorrections; // stored values that were out of range at the last load
    void LoadSettings();
    void SaveSettings();
    QString DefaultExportName() const;
    bool ReadProtocolText(const QString& fileName); // reads the file and loads it
    // Says how many lines a file had beyond the limit and how many bad bytes were replaced.
    void TellReadReport(const QString& fileName, const TProtocolReadReport& report);
    QString PartlyReadFile; // the file last loaded, when lines of it were left out
    bool IsPartlyReadFile(const QString& fileName) const;
    // Everything a load does once the rows are read: as if that file had been opened.
    void LoadProtocolRows(const TProtocolRows& rows, const QString& fileName);
    bool ReadyForLoad(); // false while a run is on; a finished run is ended first
    // Unsaved results are replaced only when the operator agrees, and kept in the journal's
    // folder even then.
    bool MayReplaceProtocol();
    void sbSaveClick();
    void sbLoadClick();
    void sbInetClick(int tag);  // 0: open the page, 1: print it
    THtmlPage HtmlPage() const; // the protocol as it is shown, without the dummy
    QStringList OpenFilters() const;
    QStringList SaveFilters() const;
    TFileTypes FileTypes;          // the file types' descriptions, read at start-up
    QStringList OpenDialogFilters; // the types each dialog offers, built at start-up
    QStringList SaveDialogFilters;
    bool SpreadsheetOffered() const; // a spreadsheet program is there
    QString LastFolder;              // where both file dialogs start: the folder used last
    QString LastOpenName;            // the file the open dialog chose last (preselected next time)
    QString SaveDialogFileName;      // the save dialog's preset name
    void ReadFileTypes();

    // --- office exchange (ui/FMainOffice.cpp) -------------------------------------------------
    // The automation servers the exports talk to; made on first use (the suite's on Windows,
    // our stand-ins elsewhere), or set by a test before.
    mutable std::unique_ptr<TAutoServers> OfficeServers;
    TAutoServers& Office() const;
    bool OfficeServerAvailable(const QString& progId) const;
    QString DocumentTemplate() const; // DocTemplatePath, or a .docx of that name beside it
    TOfficeTable OfficeTable() const; // the protocol as the exports read it
    void sbExcelClick();
    void sbWordClick();
    bool ExportDocumentCommand(int mode, const QString& name, QString* error);
    bool SaveSpreadsheet(const QString& name, QString* error);
    bool SaveDocument(const QString& name, QString* error);
    bool ReadSpreadsheet(const QString& name); // the protocol is replaced only when it was read

    // --- layout (ui/MainLayout.cpp) ---------------------------------------------------------
    void ApplyTrackCount();
    void LayoutWindow();
    TColor TrackColor(int track) const;
    void SetTrackColor(int track, TColor c);
    void ShapeMouseDown(int track); // the colour dialog for a track's square
    void TimerDateTimer();
    void PanelDateClick(); // opens (or re-places) the calendar
    void CalendarClose();
    void LogoClick();        // the maker's web page
    void bInfoClick();       // the info box, modal
    void bHelpClick();       // the help's table of contents
    void UpdateHelpButton(); // bHelp follows whether the help exists
    QLabel* ImageTop;        // the upper strip's stretched picture
    std::array<QLabel*, 3> LabelLogo{}, LabelLogoShadow{};
    QFrame* PanelCal;
    QCalendarWidget* MonthCalendar1;
    QToolButton* bCalClose;
    QLabel* LabelCalClose;
    TFormInfo* FormInfo = nullptr; // the info box: made after the settings dialog (AppForms.h)
    THelp* Help;
    void CreateInfoBox();

    // --- TV mode (ui/TvMode.cpp) ----------------------------------------------------------
    QPointer<TFormMonitor2> FormMonitor2; // the audience window; null until it is created
    void sbMon2Click();
    void TVmodeClick();
    void UpdateTvModeEnabled(); // TV mode needs a second screen
    void StartTvMode();         // once both windows exist and this one is shown

    // --- finals bracket (ui/FMainBracket.cpp, ui/FBracket.h) --------------------------------
    QAction *mBracket, *mBracketHtml;   // Ctrl+K the bracket window, Ctrl+Shift+H its page
    QPointer<TFormBracket> FormBracket; // made on first use
    void mBracketClick();
    void mBracketHtmlClick(); // the bracket page beside the protocol page, opened
    QString BracketHtmlName() const;
    TBracketPage BracketPage() const;

    // --- start-up and shutdown (ui/FMainStartup.cpp, ui/FMainShutdown.cpp) ----------------
    // The steps of the window's creation, named in the order they ran; a test may watch each
    // step of the creation and of the shutdown begin (called with its name before it runs).
    QStringList StartupSteps;
    static std::function<void(TFormMain&, const QString&)> StartupObserver;
    void ShutdownStep(const QString& name);
    QString ProgramFile;               // the program file the paths below derive from
    QString DocTemplatePath;           // the document export's template beside the program
    QString ExitCopyName() const;      // where the exit copy goes: beside the program when possible
    QStringList ExitCopyNames() const; // beside the program, then the user's data folder
    QString ExitCopyWritten;           // where the last exit copy went ("" if nowhere)
    QString ExitCopyInfo() const;      // the line the info box shows about the exit copy
    void Shutdown();                   // after the message loop: the exit copy of the protocol

    // --- journal (ui/FMainJournal.cpp) ------------------------------------------------------
    // At start-up, once the window is shown: offers the protocol of a competition the last
    // session left unfinished, then lets every change of the protocol reach the journal.
    void StartJournal(TJournal& journal);
    TJournalSnapshot JournalSnapshot() const;
    void RestoreJournal(const TProtocolRows& rows, const TJournalMeta& meta);
    TJournal* Journal = nullptr;

signals:
    // The protocol's content changed (a time, DIS, an edit, a delete, clearing, a load).
    void ProtocolChanged();

public:
protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::array<QString, NoteCount> m_notes;
    int m_viewHold = 0;        // TViewHold depth
    bool m_rowsStale = false;  // the grid's rows wait for a redraw
    bool m_heatStale = false;  // the lists and the highlight wait for a refresh
    int m_listSync = 0;        // > 0 while the lists change for the window's own reasons
    bool m_committing = false; // an edited cell is being written into the competition
    QVector<int> m_rowEntry;   // grid data row - 1 -> entry
    QVector<int> m_entryRow;   // entry -> grid data row - 1
    void FlushView();
    void setupCompetition();
    void setupPanels();
    void setupTrackDisplays();
    void setupCommandButtons();
    void setupSelectionRow();
    void setupProtocolArea();
    void setupMenus();
    void setupOffice();
    void setupTimers();
    void setupComPort();
    void setupRun();
    void setupSounds();
    void FormCreate();
    void StartupStep(const QString& name);
    void ApplyMonitorRule();
    void PlacePointerOnLoad();
    bool m_pointerPending = false; // the pointer goes onto sbLoad once the window is shown
    void setupTopStrip();
    void setupCalendar();
    void setupStatusBar();
    void LayoutMiddleColumn();
    void SetCommandEnabled(TBitBtnWithColor* button, QAction* item, bool enabled,
                           TColor faceWhenEnabled);
};
