#pragma once
// The operator's main window. Its state lives in its members and in its controls' enabled
// flags; its behaviour is split by subsystem:
//   core/RunController.cpp     START, STOP, RESET, ABBRECHEN, UpdateControls, auto-reset
//   core/RaceClock.cpp         the clock tick and the time displays
//   core/ResultRecording.cpp   recording stopped times, competition modes
//   core/TrackAssignment.cpp   participant lists, heat order, track captions
//   input/Contacts.cpp         contact notifications, polarity, beam locks, start lock-out
//   protocol/ProtocolCommands.cpp, protocol/Ranking.cpp   the protocol's commands and ranking
//   persist/ProtocolFiles.cpp, persist/SettingsGlue.cpp   files, HTML, settings
//   ui/MainLayout.cpp          building and arranging the controls
//   ui/TvMode.cpp              switching the audience window (ui/FMonitor2.h) on and off
#include "core/Colors.h"
#include "core/Columns.h"
#include "core/RunController.h"
#include "persist/FileTypes.h"
#include "persist/ProtocolHtml.h"
#include "persist/ProtocolText.h"
#include "persist/SettingsStore.h"
#include "widgets/SortGrid.h"

#include <array>
#include <cstdint>
#include <functional>
#include <memory>
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
class TDialogs;
class TDigit;
class TFormInfo;
class TFormMonitor2;
class THelp;
class TImageLS;
class TJournal;
struct TJournalMeta;
struct TJournalSnapshot;
class TSoundCues;

// What the window works with, built by the entry point (or a test) before the window: the
// settings and their store, the contact port and the run.
struct TAppParts {
    explicit TAppParts(std::unique_ptr<QSettings> store);
    ~TAppParts();
    TSettings Settings;
    std::unique_ptr<QSettings> Store; // null: defaults, nothing written
    std::unique_ptr<TComPort> Port;
    std::unique_ptr<TRunController> Run;
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
    TSettings& Settings; // every stored value; the window keeps no copy
    QSettings* Store;    // where Settings are read at creation and written at destruction
    TRunController* Run; // the state of the run; every run command's enabled flag
    TDialogs* Dialogs;   // questions, file dialogs, the desktop's open/print

    // --- heat and view -------------------------------------------------------------------------
    std::int32_t RunCounter = 0;
    int TrackRow1 = 0, TrackRow2 = 0;
    int SelectedCol = 0;
    std::array<bool, 2> TrackRunLeft{true, true}; // what the track captions show (red: none)
    std::uint32_t PortMask = 0;                   // the ports the start-up probe found
    QStringList ColumnTitles;

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
    QMenu* PopupMenuDelStr;
    QTimer *Clock, *TimerDate; // the 10 ms display refresh; the date panel
    TComPort* ComPort;

    // The two invisible menus: their actions carry the keys.
    QMenu *FKeys, *CtrlKeys;
    QAction *mHelp, *mConfig, *mInfo, *mSTOP1, *mStop2, *mStart, *mReset, *LockLSstart, *LockLS1,
        *LockLS21;
    QAction *Open1, *Save1, *TVmode, *Print1, *StrDel1, *StrDel2, *Word1, *Excel1, *Html1, *CLS1,
        *Abruch1, *Trasse1, *Trasse2, *SwapTrasse, *mSound, *mSound0;

    // --- run controller (core/RunController.cpp) ------------------------------------------
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

    // --- race clock (core/RaceClock.cpp) ---------------------------------------------------
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

    // --- result recording and modes (core/ResultRecording.cpp) -----------------------------
    void RecordRunTime(int track, const QString& text);
    void cbVidChange();
    int Vid() const { return Settings.Vid; } // the competition mode
    void SetVid(int vid);                    // the mode box shows it; cbVidChange applies it
    // The first protocol row (title row included) whose start number is exactly this number.
    int FindStartNumberRow(int startNumber) const;
    void CopyTrack1List();
    // The first heat of the mode: "Qualifikation" entries 1 and 0 (the dummy), else 0 and 1.
    void SelectStartEntries();
    // Participant-list entry i stands for the row at load-order position i + 1; these map
    // between the two also while the protocol is shown in ranking order.
    int EntryIndexOfRow(int row) const;
    int RowOfEntry(int entry) const;
    QVector<int> LoadOrder() const; // data rows in load order

    // --- track assignment (core/TrackAssignment.cpp) --------------------------------------
    void AdvanceParticipants();
    void LocateTrackRows();
    void UpdateTrackCaptions();
    void UpdateTrackButtons();
    void cbBuhnChange();
    void sb1Click(int tag);
    void seObmenClick();
    void ProtocolDblClick();

    // --- contacts (input/Contacts.cpp) ------------------------------------------------------
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

    // --- protocol (protocol/) -----------------------------------------------------------------
    void RecalcProtocol();
    void SetProtocolModified();
    void ProtocolCommand(int tag);
    void sbDelClick(int tag); // DIS of track tag + 1
    void cbEditONClick();
    void SortGrid1RowSelected();
    void ProtocolRefresh();
    void RepaintProtocol();
    void RemoveEntry(int entry); // from both participant lists
    void SortGrid1GetSortStyle(int col, TSortStyle& style);
    void SortGrid1GetCellFormat(int col, int row, TFormatOptions& f);

    // --- settings and protocol files (persist/) ------------------------------------------
    QStringList SettingsCorrections; // stored values that were out of range at the last load
    void LoadSettings();
    void SaveSettings();
    QString DefaultExportName() const;
    TProtocolRows ProtocolRows() const;
    bool WriteProtocolText(const QString& fileName, QString* error);
    bool ReadProtocolText(const QString& fileName);
    // Says how many lines a file had beyond the limit and how many bad bytes were replaced.
    void TellReadReport(const QString& fileName, const TProtocolReadReport& report);
    QString PartlyReadFile; // the file last loaded, when lines of it were left out
    bool IsPartlyReadFile(const QString& fileName) const;
    void FillProtocol(const TProtocolRows& rows); // rows as read from a file, titles first
    // Everything a load does once the rows are read: as if that file had been opened.
    void LoadProtocolRows(const TProtocolRows& rows, const QString& fileName);
    bool ReadyForLoad(); // false while a run is on; a finished run is ended first
    void RestoreAfterLoad(const QString& fileName);
    void sbSaveClick();
    void sbLoadClick();
    void sbInetClick(int tag);  // 0: open the page, 1: print it
    THtmlPage HtmlPage() const; // the protocol as it is shown: hidden columns left out
    bool RemoveDummyRow();
    void RestoreDummyRow();
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
    void setupPanels();
    void setupTrackDisplays();
    void setupCommandButtons();
    void setupSelectionRow();
    void setupProtocolArea();
    void setupMenus();
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
