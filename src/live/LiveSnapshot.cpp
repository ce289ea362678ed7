#include "live/LiveSnapshot.h"

#include "core/TimeFormat.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace {

const char* RunName(TLiveRun run) {
    switch (run) {
    case TLiveRun::Running:
        return "running";
    case TLiveRun::Finished:
        return "finished";
    case TLiveRun::Ready:
        break;
    }
    return "ready";
}

bool ColumnShown(const THtmlPage& page, int col) {
    return col >= page.colWidths.size() || page.colWidths.at(col) > 0;
}

} // namespace

QByteArray LiveStateJson(const TLiveState& s, std::uint32_t now) {
    const int count = qBound(1, s.trackCount, 2);
    QJsonArray tracks;
    for (int t = 0; t < count; ++t) {
        const TLiveTrack& track = s.tracks[t];
        const bool running = s.run == TLiveRun::Running && !track.stopped;
        std::uint32_t ms = 0;
        if (running)
            ms = now - s.startTick;
        else if (track.stopped && s.run != TLiveRun::Ready)
            ms = track.stopMs;
        // Beyond 2^31 ms the counter has wrapped under a run nobody stopped: show no time
        // rather than a negative one.
        const std::int32_t shown = ms > 0x7FFFFFFFu ? 0 : std::int32_t(ms);
        tracks.append(QJsonObject{
            {QStringLiteral("track"), t + 1},
            {QStringLiteral("participant"), track.participant},
            {QStringLiteral("colour"), track.colour},
            {QStringLiteral("running"), running},
            {QStringLiteral("stopped"), track.stopped && s.run != TLiveRun::Ready},
            {QStringLiteral("elapsedMs"), shown},
            {QStringLiteral("time"), FormatTime(shown, s.timeFormat, s.decimalSeparator)},
            {QStringLiteral("reaction"), s.run == TLiveRun::Ready ? QString() : track.reaction},
            {QStringLiteral("falseStart"), s.run != TLiveRun::Ready && track.falseStart},
        });
    }
    QJsonArray last;
    for (const TLiveResult& r : s.last)
        last.append(QJsonObject{{QStringLiteral("track"), r.track},
                                {QStringLiteral("participant"), r.participant},
                                {QStringLiteral("time"), r.time}});
    const QJsonObject o{
        {QStringLiteral("title"), s.title},
        {QStringLiteral("state"), QLatin1String(RunName(s.run))},
        {QStringLiteral("timeFormat"), s.timeFormat == 0 ? 0 : 1},
        {QStringLiteral("decimalSeparator"), QString(s.decimalSeparator)},
        {QStringLiteral("tracks"), tracks},
        {QStringLiteral("last"), last},
    };
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray LiveProtocolJson(const THtmlPage& page) {
    QJsonArray columns, rows;
    if (!page.rows.isEmpty()) {
        const QStringList& titles = page.rows.first();
        for (int c = 0; c < titles.size(); ++c)
            if (ColumnShown(page, c)) columns.append(titles.at(c));
        for (qsizetype r = 1; r < page.rows.size(); ++r) {
            const QStringList& row = page.rows.at(r);
            QJsonArray cells;
            for (int c = 0; c < titles.size(); ++c)
                if (ColumnShown(page, c)) cells.append(c < row.size() ? row.at(c) : QString());
            rows.append(cells);
        }
    }
    const QJsonObject o{{QStringLiteral("title"), page.CompetitionTitle},
                        {QStringLiteral("columns"), columns},
                        {QStringLiteral("rows"), rows}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray LiveProtocolHtml(const THtmlPage& page, quint64 version) {
    QString html = ProtocolHtml(page);
    const QString script =
        QStringLiteral("<script src=\"/protocol.js\" data-version=\"%1\"></script>\r\n")
            .arg(version);
    const qsizetype end = html.lastIndexOf(QStringLiteral("</body>"), -1, Qt::CaseInsensitive);
    if (end >= 0)
        html.insert(end, script);
    else
        html += script;
    return html.toUtf8();
}

QString LiveCssColour(std::uint32_t bgr) {
    const unsigned r = bgr & 0xFF, g = (bgr >> 8) & 0xFF, b = (bgr >> 16) & 0xFF;
    return QStringLiteral("#%1%2%3")
        .arg(r, 2, 16, QLatin1Char('0'))
        .arg(g, 2, 16, QLatin1Char('0'))
        .arg(b, 2, 16, QLatin1Char('0'));
}
