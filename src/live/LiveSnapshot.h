#pragma once
// What the live pages show, as the GUI thread hands it over: plain values, copied once per
// change and never changed afterwards, so the server thread works on its own copy. The bytes
// sent to browsers are made from these on the server thread.
#include "core/Bracket.h"
#include "persist/ProtocolHtml.h"

#include <array>
#include <cstdint>
#include <QByteArray>
#include <QChar>
#include <QString>
#include <QVector>

enum class TLiveRun { Ready, Running, Finished };

// A participant in the fields a page lays out apart. The category is the value of the class
// column the places are counted by; empty without one.
struct TLivePerson {
    QString startNumber, name, club, category;
    bool operator==(const TLivePerson&) const = default;
};

struct TLiveTrack {
    QString participant; // the entry on this track as the window's list shows it
    TLivePerson who;
    QString colour;           // CSS "#rrggbb"
    bool stopped = false;     // this run's time on this track is final
    std::uint32_t stopMs = 0; // the final time, when stopped
    QString reaction;         // from the foot pads, "0,143"; empty without
    bool falseStart = false;
    bool operator==(const TLiveTrack&) const = default;
};

// One lane of a heat that is over, with what the protocol (or the bracket) holds for it now:
// a DIS given after the stop shows as "DIS.", not as the stopped time.
struct TLiveLane {
    int track = 1; // 1 or 2
    TLivePerson who;
    QString result; // a time, "DIS." or "FS."
    bool winner = false;
    bool operator==(const TLiveLane&) const = default;
};

struct TLiveHeat {
    QString round;            // "Qualifikation", "Halbfinale", ...
    QVector<TLiveLane> lanes; // side by side; the "Qualifikation" dummy never among them
    bool operator==(const TLiveHeat&) const = default;
};

struct TLiveState {
    QString title;
    TLiveRun run = TLiveRun::Ready;
    int trackCount = 2;
    int timeFormat = 1;
    QChar decimalSeparator = QLatin1Char(',');
    std::uint32_t startTick = 0; // TickCount() at START
    std::array<TLiveTrack, 2> tracks;
    QString round;            // what the heat on the tracks belongs to
    QVector<TLiveHeat> heats; // the last heats, newest first
    bool operator==(const TLiveState&) const = default;
};

// How many finished heats the live page lists.
constexpr int LiveLastHeats = 8;

// One line of a category's standings, as the protocol shows it.
struct TLiveStanding {
    int place = 0; // 0: none (no result)
    TLivePerson who;
    QString result;
    QStringList runs; // the run cells in use
    bool operator==(const TLiveStanding&) const = default;
};

struct TLiveCategory {
    QString category;            // "gesamt" when places are not counted per class
    QVector<TLiveStanding> rows; // best first, those without a place last
    bool operator==(const TLiveCategory&) const = default;
};

struct TLiveStandings {
    QString title;
    QVector<TLiveCategory> categories;
    bool operator==(const TLiveStandings&) const = default;
};

// One category's knock-out bracket, made from the same data as the bracket page: the bracket
// itself (copied, it shares its storage), who its entries are and the places of the field.
struct TLiveBracket {
    QString category;
    TBracket bracket;
    QVector<TLivePerson> people; // per entry number
    QVector<std::pair<int, int>> places;
    bool onTracks = true; // its heat is the one on the tracks
};

struct TLiveBrackets {
    QString title;
    int timeFormat = 1;
    QVector<TLiveBracket> brackets; // none before the finals
};
bool SameBrackets(const TLiveBrackets& a, const TLiveBrackets& b);

// The state as JSON at tick `now`. A running track's time is worked out here, when it is
// sent, so the GUI thread publishes on changes only and never per clock tick.
QByteArray LiveStateJson(const TLiveState& s, std::uint32_t now);
// The protocol's shown columns and rows as JSON: {"title", "columns", "rows"}.
QByteArray LiveProtocolJson(const THtmlPage& page);
// The HTML export's page for a phone, with the script that reloads it once the protocol has
// moved on from this version.
QByteArray LiveProtocolHtml(const THtmlPage& page, quint64 version);
// {"title", "categories": [{"category", "rows": [{"place", "startNumber", "name", "club",
// "category", "result", "runs"}]}]}; a row without a place has "place": null.
QByteArray LiveStandingsJson(const TLiveStandings& standings);
// {"title", "brackets": [{"category", "size", "current", "rounds": [{"name", "heats": [...]}],
// "places": [...]}]}: one entry per category that has a bracket.
QByteArray LiveBracketJson(const TLiveBrackets& brackets);
// The bracket page as the finals window writes it, for a phone, reloading itself once the
// bracket has moved on from this version.
QByteArray LiveBracketHtml(const TLiveBrackets& brackets, quint64 version);
// A track colour (0x00BBGGRR) as CSS "#rrggbb".
QString LiveCssColour(std::uint32_t bgr);
