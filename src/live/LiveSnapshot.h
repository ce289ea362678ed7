#pragma once
// What the live pages show, as the GUI thread hands it over: plain values, copied once per
// change and never changed afterwards, so the server thread works on its own copy. The bytes
// sent to browsers are made from these on the server thread.
#include "persist/ProtocolHtml.h"

#include <array>
#include <cstdint>
#include <QByteArray>
#include <QChar>
#include <QString>
#include <QVector>

enum class TLiveRun { Ready, Running, Finished };

struct TLiveTrack {
    QString participant;      // the entry on this track as the window's list shows it
    QString colour;           // CSS "#rrggbb"
    bool stopped = false;     // this run's time on this track is final
    std::uint32_t stopMs = 0; // the final time, when stopped
    QString reaction;         // from the foot pads, "0,143"; empty without
    bool falseStart = false;
    bool operator==(const TLiveTrack&) const = default;
};

struct TLiveResult {
    int track = 1; // 1 or 2
    QString participant;
    QString time; // as the protocol holds it
    bool operator==(const TLiveResult&) const = default;
};

struct TLiveState {
    QString title;
    TLiveRun run = TLiveRun::Ready;
    int trackCount = 2;
    int timeFormat = 1;
    QChar decimalSeparator = QLatin1Char(',');
    std::uint32_t startTick = 0; // TickCount() at START
    std::array<TLiveTrack, 2> tracks;
    QVector<TLiveResult> last; // newest first
    bool operator==(const TLiveState&) const = default;
};

// How many finished times the live page lists.
constexpr int LiveLastResults = 8;

// The state as JSON at tick `now`. A running track's time is worked out here, when it is
// sent, so the GUI thread publishes on changes only and never per clock tick.
QByteArray LiveStateJson(const TLiveState& s, std::uint32_t now);
// The protocol's shown columns and rows as JSON: {"title", "columns", "rows"}.
QByteArray LiveProtocolJson(const THtmlPage& page);
// The HTML export's page with the script that reloads it once the protocol has moved on from
// this version.
QByteArray LiveProtocolHtml(const THtmlPage& page, quint64 version);
// A track colour (0x00BBGGRR) as CSS "#rrggbb".
QString LiveCssColour(std::uint32_t bgr);
