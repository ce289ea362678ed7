#pragma once
// The main window's layout rules as plain arithmetic, so they can be checked without a window.
// All sizes are pixels at the design's scale.
#include <array>
#include <functional>
#include <QDateTime>
#include <QLocale>
#include <QRect>
#include <QString>

namespace Design {
constexpr int WindowWidth = 893, WindowHeight = 495, MinHeight = 382;
constexpr int TopBarHeight = 85, StripHeight = 32, SelectionRowHeight = 53;
constexpr int TimerHeight = 136, TrackPanelWidth = 350, MiddleWidth = 188;
constexpr int FillerLeft = 513; // where the sky-blue filler of one tower starts
constexpr int ProtocolMinWidth = 854, TitleBarHeight = 42;
constexpr int StatusBarHeight = 19;
constexpr std::array<int, 3> StatusPanelWidths{50, 208, 50};
constexpr int DatePanelWidth = 222, DatePanelHeight = 32;
constexpr int CalendarWidth = 214, CalendarHeight = 257;
constexpr int Panel5Height = 67, StartWidth = 183, ButtonHeight = 32;
constexpr int AbortWidth = 112, AbortMaxWidth = 200;
} // namespace Design

// The selection row's three parts: track 1, the middle (mode list), track 2.
struct TRowParts {
    int left = 0, middle = 0, right = 0;
};

// Two towers share what the middle's 180 pixels leave; one tower gives the right part a fixed
// 160 and the middle the width of the timer area's middle column.
TRowParts SelectionRowWidths(int rowWidth, int towers);

// The width of each stop part (STOP1 left, STOP2 right) in a middle column this wide, with
// two towers; the two parts leave a small gap between them.
int StopPartWidth(int middleWidth);

// The middle column between the two track time panels while it is docked.
QRect DockedMiddleColumn(int clientWidth);

// The sky-blue filler of the one-tower window: from its fixed left edge to the right edge.
QRect FillerGeometry(int clientWidth);

// The abort button: as wide as the middle column allows between its design width and its
// maximum, centred, at the bottom of the column.
QRect AbortGeometry(int middleWidth);

// The protocol's 14 column widths. -1 hides a column. Time columns fit the format (0 seconds,
// else minutes); run columns beyond the number of runs are hidden; "Ort" takes the client
// width that is left (every column also takes its one-pixel grid line), and "Name, Vorname"
// then gets two thirds of what the two share. Nothing is ever narrower than -1.
std::array<int, 14> ProtocolColumnWidths(int clientWidth, int timeFormat, int runs);

// Where the calendar panel opens: at the top, reaching left from under the date panel.
QRect CalendarGeometry(const QRect& datePanel);

// The locale's short time format without seconds.
QString ShortTimeFormatWithoutSeconds(const QLocale& locale);

// The date panel's text: the locale's short date, three spaces and its short time.
QString DatePanelText(const QDateTime& now, const QLocale& locale);

// The locale's short date format with the year always written with four digits: Qt's locale
// data gives some locales (German among them) a two-digit year where the operator's system
// settings show four, and a two-digit year is ambiguous on a results sheet.
QString ShortDateFormatFourDigitYear(const QLocale& locale);

// The date panel's clock: the system's local time unless a test has set another.
QDateTime WallClockNow();
void SetWallClock(std::function<QDateTime()> clock); // empty: the system clock again
