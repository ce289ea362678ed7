#pragma once
// The operator's main window. The run and the protocol live in the model objects it is given
// (TAppParts); the window shows them and turns keys, clicks and contacts into their commands.
// It is made of panels (ui/main/), each owning its controls and reporting clicks by signals:
//   TTitleStrip      help, settings, info, the logo, the date panel and its calendar
//   TTrackPicker     per track: colour, caption, the participant list (track 1: open)
//   TModeBox         the competition mode, the track swap, "Auf allen Strecken"
//   TTrackClock      per track: the running time's digits
//   TCommandColumn   START, STOP1, STOP2, ABBRECHEN and the beam lock pictures
//   TProtocolBar     the protocol's commands, RESET and auto-reset
//   TProtocolView    the protocol grid as the competition's view
//   TStatusLine      the row counter and the note about the next heat
// The window itself places the panels (MainLayout.cpp), keeps the keys (the invisible menus'
// actions) and holds the behaviour, one file per subject:
//   FMainRun.cpp         START, STOP, RESET, ABBRECHEN and UpdateControls
//   FMainClock.cpp       the 10 ms tick and the time digits
//   FMainContacts.cpp    contact notifications and the beam pictures
//   FMainRecording.cpp   where a stopped time lands; the competition modes
//   FMainTracks.cpp      who is on which track, the heat order, the track captions
//   FMainCompetition.cpp the competition's settings; the grid and the lists as its view
//   FMainProtocol.cpp    the protocol's commands, results and places
//   FMainFiles.cpp, FMainOffice.cpp       protocol files, pages and office exchange
//   FMainSettings.cpp, FMainCfg.cpp       the settings store and the settings dialog
//   FMainJournal.cpp, FMainShutdown.cpp   the journal, the exit copy and the end
//   FMainContactLog.cpp  what goes into the contact log, and opening it
//   FMainStartup.cpp     the creation's steps after the panels exist
//   FMainBracket.cpp, TvMode.cpp, Sounds.cpp   the bracket window, TV mode, cues
//   FMainUndo.cpp       undo and redo of the operator's actions on results
#include "core/Colors.h"
#include "core/Columns.h"
#include "core/Competition.h"
#include "core/RunController.h"
#include "core/Settings.h"
#include "persist/ContactLog.h"
#include "persist/FileTypes.h"
#include "persist/OfficeExport.h"
#include "persist/ProtocolHtml.h"
#include "persist/ProtocolText.h"
#include "persist/ResultList.h"
#include "ui/main/ProtocolBar.h"
#include "ui/main/StatusLine.h"

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <QMainWindow>
#include <QPointer>
#include <QStringList>
#include <QVector>

class QAction;
class QMenu;
class QSettings;
class QTimer;
class QWidget;
class TCfgDialog;
struct TCfgChoice;
class TComPort;
class TCommandColumn;
class TParticipantList;
class TDialogs;
class TFormInfo;
class TFormMonitor2;
class TFormBracket;
struct TBracketPage;
struct TBracketFileData;
class THelp;
class TLiveServer;
class TJournal;
struct TJournalMeta;
struct TJournalSnapshot;
class TModeBox;
class TProtocolView;
class TSoundCues;
class TTitleStrip;
class TTrackClock;
class TTrackPicker;

// What the window works with, built by the entry point (or a test) before the window: the
// settings and their store, the contact port, the run, and the competition with the one
// participant list both track lists show.
struct TAppParts {
    explicit TAppParts(std::unique_ptr<QSettings> store);
    ~TAppParts();
    TSettings Settings;
    std::unique_ptr<QSettings> Store; // null: defaults, nothing written
    std::unique_ptr<TComPort> Port;
    std::unique_ptr<TComPort> PadPort; // the foot pads, closed without a "Startmatten-Port"
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
    TParticipantList* Participants; // what both track lists show
    TDialogs* Dialogs;              // questions, file dialogs, the desktop's open/print
    TComPort* ComPort;
    TComPort* PadComPort;
    std::uint32_t PortMask = 0; // the ports the start-up probe found

    // --- the other windows (made after this one, AppForms.h) --------------------------------
    TCfgDialog* CfgDialog = nullptr;      // the settings dialog
    TFormInfo* FormInfo = nullptr;        // the info box
    QPointer<TFormMonitor2> FormMonitor2; // the audience window; null until it is created
    void CreateInfoBox();
    // The audience window, mirroring this window's time panels; it must go before this window.
    std::unique_ptr<TFormMonitor2> CreateMonitor();
    void StartTvMode();       // once both windows exist and this one is shown
    void mBracketHtmlClick(); // the bracket page beside the protocol page, opened

    // --- what other parts of the program read ----------------------------------------------
    void UpdateControls();
    QString TrackParticipantText(int track) const; // as the track's list shows it
    THtmlPage HtmlPage() const;                    // the protocol as it is shown, without the dummy
    // Everything a load does once the rows are read: as if that file had been opened.
    void LoadProtocolRows(const TProtocolRows& rows, const QString& fileName);
    TSoundCues* Sounds = nullptr;
    THelp* Help = nullptr;
    void UpdateHelpButton(); // the help button follows whether the help exists

    // --- commands the benchmarks and the snapshot tool call directly -----------------------
    void ClockTimer(); // one refresh of the running digits
    void ShowTime(int track, std::int32_t ms);
    void SetTimeFormat(int format);
    void SetVid(int vid); // the mode box shows it; cbVidChange applies it
    void cbVidChange();
    // "Wertung": the category column places are counted by (the settings' KlassCol).
    void cbWertungChange(int klassCol);
    // "Anzeige": the protocol shows one category (index into Categories()), -1 every row.
    void cbAnzeigeChange(int index);
    void RecalcProtocol();
    void ProtocolCommand(int tag); // 0 the selected row, 1 every result, n > 1 n rows
    void sbSaveClick();
    void sbLoadClick();
    void mImportClick(); // a registration export through the column mapping
    void bCFGClick();    // the settings go in, and come back on OK
    void mBracketClick();
    void UpdateTvModeEnabled(); // TV mode needs a second screen
    bool IsRunning() const { return Run->IsRunning(); }

    // --- files ---------------------------------------------------------------------------------
    QString ProgramFile;     // the program file the paths below derive from
    QString DocTemplatePath; // the document export's template beside the program
    // The automation servers the exports talk to; made on first use (the suite's on Windows,
    // our stand-ins elsewhere), or set by a test before.
    mutable std::unique_ptr<TAutoServers> OfficeServers;
    QString ExitCopyName() const;      // where the exit copy goes: beside the program when possible
    QStringList ExitCopyNames() const; // beside the program, then the user's data folder
    QString ExitCopyWritten;           // where the last exit copy went ("" if nowhere)
    QString ExitCopyInfo() const;      // the line the info box shows about the exit copy
    QString ExitCopyStamped;           // the exit's dated copy in the event folder ("" if none)
    void Shutdown();                   // after the message loop: the exit copy of the protocol

    // At start-up, once the window is shown: offers the protocol of a competition the last
    // session left unfinished, then lets every change of the protocol reach the journal.
    void StartJournal(TJournal& journal);
    TJournalSnapshot JournalSnapshot() const;
    // From now on every contact edge, run command and correction of the protocol is logged
    // there (the log outlives the window).
    void StartContactLog(TContactLog& log);

signals:
    // The protocol's content changed (a time, DIS, an edit, a delete, clearing, a load).
    void ProtocolChanged();

protected:
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    // --- panels and keys (MainLayout.cpp) -----------------------------------------------------
    QWidget *m_top, *m_selectionRow, *m_timer, *m_filler, *m_protocolArea;
    TTitleStrip* m_strip;
    std::array<TTrackPicker*, 2> m_picker{};
    TModeBox* m_modeBox;
    std::array<TTrackClock*, 2> m_clock{};
    TCommandColumn* m_commands;
    TProtocolBar* m_bar;
    TProtocolView* m_view; // the protocol grid
    TStatusLine* m_status;
    QMenu *PopupMenuDelStr, *PopupMenuSound;
    QTimer* Clock; // the 10 ms display refresh
    // The two invisible menus: their actions carry the keys.
    QMenu *FKeys, *CtrlKeys;
    QAction *mHelp, *mConfig, *mInfo, *mSTOP1, *mStop2, *mStart, *mReset, *LockLSstart, *LockLS1,
        *LockLS21;
    QAction *Open1, *Save1, *TVmode, *Print1, *StrDel1, *StrDel2, *Word1, *Excel1, *Html1, *CLS1,
        *Abruch1, *Trasse1, *Trasse2, *SwapTrasse, *mSound, *mSound0, *mSound1, *mSound2, *mBracket,
        *mBracketHtml, *mContactLog, *mImport;
    void setupPanels();
    void setupCompetition();
    void setupPanelSignals();
    void setupMenus();
    void setupOffice();
    void setupTimers();
    void setupComPort();
    void setupRun();
    void setupSounds();
    void ApplyTrackCount();
    void LayoutWindow();
    TColor TrackColor(int track) const;
    void SetTrackColor(int track, TColor c);
    void ShapeMouseDown(int track); // the colour dialog for a track's square
    void LogoClick();               // the maker's web page
    void bInfoClick();              // the info box, modal
    void bHelpClick();              // the help's table of contents
    void ProtocolBarClicked(TProtocolBar::TButton button);
    // What the operator must know about the next heat, beside the status panels.
    using TNote = TStatusLine::TNote;
    static constexpr TNote NoteRuns = TStatusLine::NoteRuns;
    static constexpr TNote NoteSettings = TStatusLine::NoteSettings;
    static constexpr TNote NoteHeat = TStatusLine::NoteHeat;
    void SetStatusNote(TNote slot, const QString& text);

    // --- run (FMainRun.cpp) ----------------------------------------------------------------
    void IssueCommand(QAction* item); // runs the item's handler only while it is enabled
    void mStartClick();
    void mSTOPClick(QAction* sender);
    // The same commands at a known tick: a contact's, read when its line changed.
    void StartAt(std::uint32_t tick);
    void StopAt(int track, std::uint32_t tick);
    void mResetClick();
    void Abruch1Click();
    bool IsReady() const { return Run->IsReady(); }
    void ApplyAutoTime(); // the auto-reset hint follows the setting
    // What the window does when the run changes, whoever changed it.
    void RunStarted();
    void RunTrackStopped(int track, std::uint32_t elapsed);
    void RunBackToReady(bool advance);

    // --- race clock (FMainClock.cpp) -------------------------------------------------------
    void ShowDigits(int track, int s, int h);

    // --- sound cues (Sounds.cpp) -----------------------------------------------------------
    void PlayStartCue();
    void PlayStopCue();
    void mSoundClick();    // the master switch: the sound button, Ctrl+`
    void mSound1Click();   // the start cue's switch
    void mSound2Click();   // the stop cue's switch
    void ShowSoundState(); // the sound button's glyph and the check marks from the settings
    void PrepareSounds();  // finds and checks the two cue files; their items follow

    // --- settings dialog (FMainCfg.cpp) ----------------------------------------------------
    void ApplyCfgChoice(const TCfgChoice& c);
    // Settings confirmed while a heat was on, applied once it is over (RESET or ABBRECHEN).
    std::unique_ptr<TCfgChoice> m_pendingCfg;
    void ApplyPendingCfg();

    // --- result recording and modes (FMainRecording.cpp) -----------------------------------
    void RecordRunTime(int track, const QString& text);
    // The competition into a mode as the mode box asks; refused, the box goes back and the
    // operator is told why.
    bool EnterMode(int vid);
    // The mode the mode box asks of the competition; the competition's Mode() is the mode in
    // force. They differ only until the competition has taken or refused the request.
    int Vid() const { return m_chosenMode; }
    int m_chosenMode = 0;
    void ShowMode(); // the window's side of the mode: tracks shown, layout, run counter 0
    void ShowAllTracksBox();

    // --- track assignment (FMainTracks.cpp) ------------------------------------------------
    void AdvanceParticipants();
    void UpdateTrackCaptions();
    void UpdateTrackButtons();
    void cbBuhnChange(int track, int index); // a list's entry became the track's participant
    void sb1Click(int tag);
    void seObmenClick();
    void ProtocolDblClick(int entry); // the entry under the double click; -1 is ignored

    // --- the competition and its view (FMainCompetition.cpp) -------------------------------
    // The stored settings the competition computes with, given to it in this one place
    // whenever they may have changed: load, mode, "Auf allen Strecken", time format, recompute.
    void ApplyCompetitionSettings();
    void CompetitionChanged(TCompetition::TChange what, int entry, int column);
    void ShowProtocol();       // every row, in the order the competition shows them
    void ShowCategoryChoice(); // the two lists beside the mode and the view's filter
    void ShowHeat();           // the lists, captions, highlight and run buttons follow the tracks
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

    // --- contacts (FMainContacts.cpp) ------------------------------------------------------
    void ContactNotified(int contact, std::uint32_t tick);
    void ComPortOpen();
    void ComPortClose();

    // --- the foot pads (FMainPads.cpp) -------------------------------------------------------
    void setupPads();
    void OpenPadPort(); // the "Startmatten-Port" of the settings, or none
    void PadNotified(int lane, std::uint32_t tick);
    void PadPortClosed();
    void RunReaction(int lane);
    void RunFalseStartCleared(int lane);
    void ShowReactions(); // the reactions and false starts of the run on both displays
    QAction *mClearFs1 = nullptr, *mClearFs2 = nullptr;
    bool m_padsWanted = false; // the pad port is meant to be open: a close is a loss
    void ToggleBeam(int beam); // 0 start, 1 and 2 the stop beams
    void ShowBeams();

    // --- protocol (FMainProtocol.cpp) ------------------------------------------------------
    void sbDelClick(int tag); // DIS of track tag + 1
    void cbEditONClick(bool on);
    void SortGrid1RowSelected();
    void ProtocolRefresh();
    void RepaintProtocol();

    // --- settings and protocol files (FMainSettings.cpp, FMainFiles.cpp) -------------------
    QStringList SettingsCorrections; // stored values that were out of range at the last load
    void LoadSettings();
    void SaveSettings();
    QString DefaultExportName() const;
    bool ReadProtocolText(const QString& fileName); // reads the file and loads it
    // Says how many lines a file had beyond the limit and how many bad bytes were replaced.
    void TellReadReport(const QString& fileName, const TProtocolReadReport& report);
    QString PartlyReadFile; // the file last loaded, when lines of it were left out
    bool IsPartlyReadFile(const QString& fileName) const;
    bool ReadyForLoad(); // false while a run is on; a finished run is ended first
    // The finals saved beside a protocol file, into the competition just loaded from it; the
    // bracket resumes in its mode. Empty on success, else why nothing of it was taken.
    QString ResumeFinals(const TBracketFileData& finals);
    // Unsaved results are replaced only when the operator agrees, and kept in the journal's
    // folder even then.
    bool MayReplaceProtocol();
    void sbInetClick(int tag); // 0: open the page, 1: print it
    QStringList OpenFilters() const;
    QStringList SaveFilters() const;
    TFileTypes FileTypes;          // the file types' descriptions, read at start-up
    QStringList OpenDialogFilters; // the types each dialog offers, built at start-up
    QStringList SaveDialogFilters;
    bool SpreadsheetOffered() const; // a spreadsheet program is there
    QString LastFolder;              // where both file dialogs start: the folder used last
    bool m_savedElsewhere = false;   // the last save went outside the event folder
    QString LastOpenName;            // the file the open dialog chose last (preselected next time)
    QString SaveDialogFileName;      // the save dialog's preset name
    void ReadFileTypes();

    // --- office exchange (FMainOffice.cpp) -------------------------------------------------
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

    // --- TV mode (TvMode.cpp) --------------------------------------------------------------
    void SetTvMode(bool on);
    void TVmodeClick();
    bool m_tvPossible = false;

    // --- finals bracket (FMainBracket.cpp, FBracket.h) -------------------------------------
    QPointer<TFormBracket> FormBracket; // made on first use
    QString BracketHtmlName();          // in the event folder; empty when it cannot be written
    TBracketPage BracketPage() const;

    // --- undo and redo (FMainUndo.cpp) ---------------------------------------------------
    QAction *mUndo = nullptr, *mRedo = nullptr;
    void setupUndo();
    void UpdateUndoControls();
    void mUndoClick();
    void mRedoClick();
    void TakeStep(bool back); // undo (back) or redo, told on the status line and in the log

    // --- start-up (FMainStartup.cpp) -------------------------------------------------------
    void FormCreate();
    void ApplyMonitorRule();
    void PlacePointerOnLoad();
    bool m_pointerPending = false; // the pointer goes onto the open button once shown

    // --- contact log (FMainContactLog.cpp) ------------------------------------------------
    TContactLog* ContactLog = nullptr;
    // A command or a correction into the log, at tick (now when none is given).
    void LogEvent(TLogSource source, const QString& what, const QString& detail = QString(),
                  std::optional<std::uint32_t> tick = std::nullopt);
    // A participant as the log names him, with a cell's change when col is given.
    QString LogEntryText(int entry, int col = -1, const QString& before = QString()) const;
    // The run judges a contact's edge; what it made of it goes into the log.
    void ContactToRun(int contact, std::uint32_t status, std::uint32_t tick);
    void mContactLogClick();

    // --- journal (FMainJournal.cpp) --------------------------------------------------------
    void RestoreJournal(const TProtocolRows& rows, const TJournalMeta& meta);
    TJournal* Journal = nullptr;

    // --- the event folder, write confirmations, official lists (FMainEvent.cpp) ------------
    QString EventFolder() const; // chosen, or the date and title under the documents
    // The event folder, made when missing; when it cannot be written the operator may choose
    // another. Empty: nothing to be written there.
    QString ReadyEventFolder();
    // A file of the day's name and the kind in the event folder; empty as above.
    QString EventFilePath(const QString& kind, const QString& extension);
    void TellWritten(const QString& file);
    void TellNotWritten(const QString& file, const QString& why);
    void ShowModifiedMark(); // the caption's "*" follows the unsaved mark
    void SetCaption(const QString& title);
    TProtocolRows m_savedRows; // the protocol as last saved or loaded
    void RememberSaved();
    QString QuitQuestion() const; // "Beenden?" and what would be lost
    void WriteStampedExitCopy();
    void KeepInEventFolder(const QString& file); // a copy of a kept journal beside the results
    void WriteList(TListKind kind);
    QAction *mResultsPdf = nullptr, *mStartListPdf = nullptr;

    int m_viewHold = 0;                     // TViewHold depth
    std::optional<QString> m_categoryShown; // the protocol shows this category alone
    bool m_rowsStale = false;               // the grid's rows wait for a redraw
    bool m_heatStale = false;               // the lists and the highlight wait for a refresh
    int m_listSync = 0; // > 0 while the lists change for the window's own reasons
    void FlushView();
};
