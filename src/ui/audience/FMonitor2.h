#pragma once
// The audience window: the running times of both tracks in large seven-segment digits on a
// second monitor or a TV set. It shows what the race clock writes into the main window's
// digits, scaled from the main window's track-1 time panel, and never takes part in timing.
#include "core/Colors.h"
#include "core/HallBoard.h"
#include "ui/main/TrackClock.h"

#include <array>
#include <QList>
#include <QPointer>
#include <QRect>
#include <QWidget>

class QLabel;
class QScreen;
class TBracketView;
class TCompetition;
class TDigit;
class TRunController;
struct TSettings;

// Rounds halves to the even neighbour (2.5 -> 2, 3.5 -> 4), like every scaled size here.
// Values beyond the int range are clamped.
int RoundHalfEven(double x);

// Everything the layout of the audience window depends on.
struct TMonitor2LayoutInput {
    int height = 0; // window height: the monitor's height
    double kx = 1.0, ky = 1.0;
    // The main-window digits each row mirrors, relative to their track panel, left to right.
    std::array<QRect, 6> mainRow1{}, mainRow2{};
    int mainThickness = 5;               // Thickness of the main window's first digit
    int separatorPoints = 48;            // font size of the main window's comma label, in points
    std::array<int, 12> heldThickness{}; // what each digit holds now (kept on a misfit)
    int width = 0;                       // window width: the monitor's width
    int towers = 2;                      // one tower: its row takes the whole screen
    bool names = false;                  // room for a name strip above each row
};

struct TMonitor2Layout {
    int stripHeight = 0;            // the bottom strip, H div 12
    int stripPoints = 1;            // font size of the strip's labels
    int digitHeight = 0;            // every digit's height
    std::array<QRect, 12> digits{}; // row 1 positions 1..6, then row 2 positions 1..6
    std::array<QRect, 12> scaled{}; // the same boxes merely scaled, before the common height
    // Per digit the thickness it ends up with: the scaled one where it fits the scaled box
    // (checked before the height is set), else the one it held.
    std::array<int, 12> thickness{};
    int separatorPoints = 1; // font size of the two colons and commas
    QRect colon1, comma1, colon2, comma2;
    // Above each row, left of the first row's comma: who climbs there (empty without names);
    // above the first row right of it, the finals' round and heat.
    std::array<QRect, 2> strip{};
    QRect heading;
    // The winner's marks: a bar in the lane colour on either side of its row, in the margins.
    std::array<QRect, 2> winner{};
    int winnerBar = 0; // the bars' width
};

// kx: how much wider the window is than the main window's time panel.
double Monitor2Scale(int clientWidth, int panelWidth);

// The digit boxes, thicknesses, separator boxes and strip of a window of the given size.
// Any input is safe: sizes that make no sense come out as empty boxes, never negative.
TMonitor2Layout Monitor2Layout(const TMonitor2LayoutInput& in);

struct TMonitor2Visibility {
    bool row2;   // the six digits of track 2 and its comma
    bool colon1; // the colon of track 1
    bool colon2; // the colon of track 2
};
// Track 2 is shown only with two towers; a colon only in the minutes format.
TMonitor2Visibility Monitor2Visibility(int countBahn, int timeFormat);

// The monitor the window goes to: the full rectangle of screen `index` in the system's list,
// or of the first screen when that index is not there (a TV unplugged since it was chosen).
// An empty list gives an empty rectangle.
QRect Monitor2ScreenRect(const QList<QRect>& screens, int index);

class TFormMonitor2 : public QWidget {
    Q_OBJECT
public:
    // Shows the settings' tower count, time format and monitor, the competition's bracket
    // between the run's heats, and scales itself from the main window's two time panels;
    // all of them must outlive this window.
    TFormMonitor2(const TSettings& settings, const TCompetition& competition,
                  const TRunController& run, std::array<const TTrackClock*, 2> clocks);
    ~TFormMonitor2() override;

    // --- controls (object names equal the member names) ------------------------------------
    QWidget *Panel1, *PanelTimer, *PanelBot;
    QLabel *LabelB1, *LabelB2, *LabelB3;
    TDigit *Digit3, *Digit4, *Digit5, *Digit6, *Digit7, *Digit8;       // track 1
    TDigit *Digit3a, *Digit4a, *Digit5a, *Digit6a, *Digit7a, *Digit8a; // track 2
    QLabel *LabMin, *LabSec, *LabMin2, *LabSec2;

    // The six digits of a track (0 or 1), positions 1 to 6.
    std::array<TDigit*, 6> Row(int track) const;
    double Kx() const { return m_kx; }
    double Ky() const { return m_ky; }
    // The screen the window was last placed on (null before that, or once it was unplugged).
    QScreen* PlacedScreen() const;

    // The race clock wrote a track's six digits in the main window: copy their values, the
    // lit colours of positions 1 to 3 and, from position 2, the colon's colour.
    void MirrorDigits(int track, const TDigitRow& shown);
    // A track's reaction from the foot pads ("R 0,143"), empty to hide it.
    void ShowReaction(int track, const QString& text);
    // Row-2 and colon visibility from the main window's tower count and time format.
    void ApplyVisibility();
    // Onto the chosen monitor, a new kx, then the layout.
    void PlaceAndLayout();
    // The layout for the current size with the kx of the last placing.
    void LayOut();
    // Hides the window; TV mode goes off (the TV-mode button up, the flag cleared).
    void CloseTvMode();

    // What the hall reads beside the digits: per lane a strip with the lane colour, start
    // number, name, club, category, "DIS." and the reaction (without names only the
    // reaction); the finals' round and heat; the winner's marks beside his row. Shown from the
    // competition and the run, a moment after they change.
    QWidget *PanelName1, *PanelName2, *MarkWinner1, *MarkWinner2;
    QLabel* LabHeat;
    const THallBoard& Board() const { return m_board; }
    void RefreshBoard();

    // In the finals the audience sees the bracket between heats and the digits from START
    // until RESET; in the other modes never the bracket.
    TBracketView* BracketView;
    bool BracketShown() const;
    void ShowBracketOrDigits();

signals:
    void TvModeReleased(); // Escape or the window system closed the window: TV mode is off
    void ScreensChanged(); // a screen came or went

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    void setupPanels();
    void setupDigits();
    void setupBracket();
    void setupHall();
    void ScheduleBoard();
    bool NamesShown() const;
    void RefreshBracket();
    void ScreenRemoved(QScreen* screen);
    void ReleaseTvMode();

    const TSettings& m_settings;
    const TCompetition& m_competition;
    const TRunController& m_run;
    std::array<const TTrackClock*, 2> m_clocks;
    std::array<QLabel*, 2> m_reaction{};
    struct TStrip {
        QWidget* panel;
        QLabel *colour, *number, *name, *club, *category, *mark;
    };
    std::array<TStrip, 2> m_strips{};
    THallBoard m_board;
    bool m_boardPending = false;
    int m_laidOutTowers = 0;                        // 0 before the first layout
    std::array<bool, 2> m_falseStart{false, false}; // a track shows "FS"
    double m_kx = 1.0, m_ky = 1.0;
    QPointer<QScreen> m_screen;
    bool m_placing = false;
};
