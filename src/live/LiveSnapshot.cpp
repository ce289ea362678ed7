#include "live/LiveSnapshot.h"

#include "core/BracketText.h"
#include "core/TimeFormat.h"
#include "persist/BracketHtml.h"

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

QJsonObject& AddPerson(QJsonObject& o, const TLivePerson& p) {
    o.insert(QStringLiteral("startNumber"), p.startNumber);
    o.insert(QStringLiteral("name"), p.name);
    o.insert(QStringLiteral("club"), p.club);
    o.insert(QStringLiteral("category"), p.category);
    return o;
}

QJsonValue PlaceValue(int place) {
    return place > 0 ? QJsonValue(place) : QJsonValue();
}

// The list text of earlier versions, for overlays that still read "last".
QString Joined(const TLivePerson& p) {
    QStringList parts;
    for (const QString& f : {p.startNumber, p.name, p.club, p.category})
        if (!f.isEmpty()) parts << f;
    return parts.join(QLatin1Char(' '));
}

QString BracketName(const TLiveBracket& b, int entry) {
    const TLivePerson p = b.people.value(entry);
    return BracketEntryName(p.name, p.startNumber, Joined(p));
}

// The heats of a bracket as the bracket page groups them: round by round, the small final as a
// round of its own before the final. Calls f(name, heat indexes) for each group.
template <typename F> void ForEachRound(const TBracket& b, F f) {
    const int rounds = b.Rounds();
    for (int r = 0; r < rounds; ++r)
        for (bool small : {true, false}) {
            if (small && r != rounds - 1) continue;
            QVector<int> heats;
            for (int i = 0; i < b.Heats().size(); ++i)
                if (b.Heats()[i].Round == r && b.Heats()[i].SmallFinal == small) heats << i;
            if (!heats.isEmpty()) f(BracketRoundName(r, rounds, small), heats);
        }
}

// What a page needs on a phone: the device's width, both colour schemes, and the script that
// reloads it when what it shows has moved on.
QString ForPhones(QString html, const QString& style, const QString& script) {
    const QString head =
        QStringLiteral("<meta name=\"viewport\" content=\"width=device-width, "
                       "initial-scale=1\">\r\n<meta name=\"color-scheme\" content=\"light "
                       "dark\">\r\n<style>\r\n") +
        style + QStringLiteral("</style>\r\n");
    // After the page's own style, so that this one wins where both say something.
    const qsizetype headEnd = html.indexOf(QStringLiteral("</head>"), 0, Qt::CaseInsensitive);
    html.insert(headEnd >= 0 ? headEnd : 0, head);
    const qsizetype end = html.lastIndexOf(QStringLiteral("</body>"), -1, Qt::CaseInsensitive);
    if (end >= 0)
        html.insert(end, script);
    else
        html += script;
    return html;
}

QString ReloadScript(const char* event, quint64 version, const QString& more = {}) {
    return QStringLiteral("<script src=\"/protocol.js\" data-event=\"%1\" "
                          "data-version=\"%2\"%3></script>\r\n")
        .arg(QLatin1String(event))
        .arg(version)
        .arg(more);
}

const char* const DarkScheme = "@media (prefers-color-scheme: dark) {\r\n"
                               "body{background:#121212;color:#ddd}\r\n"
                               "table{background:#1e1e1e;color:#ddd}\r\n"
                               "td,th{border-color:#444}\r\n"
                               "a{color:#c8bc90}\r\n"
                               "}\r\n";

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
        QJsonObject o{
            {QStringLiteral("track"), t + 1},
            {QStringLiteral("participant"), track.participant},
            {QStringLiteral("colour"), track.colour},
            {QStringLiteral("running"), running},
            {QStringLiteral("stopped"), track.stopped && s.run != TLiveRun::Ready},
            {QStringLiteral("elapsedMs"), shown},
            {QStringLiteral("time"), FormatTime(shown, s.timeFormat, s.decimalSeparator)},
            {QStringLiteral("reaction"), s.run == TLiveRun::Ready ? QString() : track.reaction},
            {QStringLiteral("falseStart"), s.run != TLiveRun::Ready && track.falseStart},
        };
        tracks.append(AddPerson(o, track.who));
    }
    QJsonArray heats, last;
    for (const TLiveHeat& h : s.heats) {
        QJsonArray lanes;
        for (const TLiveLane& l : h.lanes) {
            QJsonObject o{{QStringLiteral("track"), l.track},
                          {QStringLiteral("result"), l.result},
                          {QStringLiteral("winner"), l.winner}};
            lanes.append(AddPerson(o, l.who));
            last.append(QJsonObject{{QStringLiteral("track"), l.track},
                                    {QStringLiteral("participant"), Joined(l.who)},
                                    {QStringLiteral("time"), l.result}});
        }
        heats.append(
            QJsonObject{{QStringLiteral("round"), h.round}, {QStringLiteral("lanes"), lanes}});
    }
    const QJsonObject o{
        {QStringLiteral("title"), s.title},
        {QStringLiteral("state"), QLatin1String(RunName(s.run))},
        {QStringLiteral("timeFormat"), s.timeFormat == 0 ? 0 : 1},
        {QStringLiteral("decimalSeparator"), QString(s.decimalSeparator)},
        {QStringLiteral("round"), s.round},
        {QStringLiteral("tracks"), tracks},
        {QStringLiteral("heats"), heats},
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
    // The table scrolls sideways in a box of its own, so the page itself keeps the phone's
    // width; name, result and place stay in view while the columns between them pass under.
    const qsizetype table = html.indexOf(QStringLiteral("<table"));
    if (table >= 0) {
        const qsizetype end = html.indexOf(QStringLiteral("</table>"), table);
        html.insert(end >= 0 ? end + 8 : html.size(), QStringLiteral("</div>"));
        html.insert(table, QStringLiteral("<div class=\"wide\">"));
    }
    // The positions among the columns written (1-based), for the style's nth-child.
    int name = 0, zeit = 0, platz = 0, shown = 0;
    const int columns = page.rows.isEmpty() ? 0 : int(page.rows.first().size());
    for (int c = 0; c < columns; ++c) {
        if (!ColumnShown(page, c)) continue;
        ++shown;
        if (c == Col::Name) name = shown;
        if (c == Col::Zeit) zeit = shown;
        if (c == Col::Platz) platz = shown;
    }
    QString style = QStringLiteral("body{margin:8px}\r\n"
                                   ".wide{overflow-x:auto}\r\n"
                                   ".wide table{width:auto;min-width:100%}\r\n"
                                   ".wide td,.wide th{white-space:nowrap}\r\n"
                                   ".wide th{background:#B0A786}\r\n");
    const auto stick = [&](int n, const QString& where) {
        if (n <= 0) return;
        style += QStringLiteral(".wide td:nth-child(%1),.wide th:nth-child(%1){position:sticky;"
                                "z-index:1;%2}\r\n.wide td:nth-child(%1){background:#FFFFFF}\r\n")
                     .arg(n)
                     .arg(where);
    };
    stick(name, QStringLiteral("left:0;white-space:normal;min-width:7em"));
    stick(platz, QStringLiteral("right:0"));
    // Beside the place, as far from the edge as the place column turns out wide (the script
    // measures it).
    stick(zeit, QStringLiteral("right:var(--place,3.2em)"));
    style += QLatin1String(DarkScheme) +
             QStringLiteral("@media (prefers-color-scheme: dark) {\r\n"
                            ".wide td:nth-child(n){background:#1e1e1e}\r\n"
                            ".wide th:nth-child(n){background:#5a5440}\r\n}\r\n");
    const QString script =
        ReloadScript("protocol", version,
                     platz > 0 ? QStringLiteral(" data-place=\"%1\"").arg(platz) : QString());
    return ForPhones(html, style, script).toUtf8();
}

QByteArray LiveStandingsJson(const TLiveStandings& standings) {
    QJsonArray categories;
    for (const TLiveCategory& c : standings.categories) {
        QJsonArray rows;
        for (const TLiveStanding& r : c.rows) {
            QJsonObject o{{QStringLiteral("place"), PlaceValue(r.place)},
                          {QStringLiteral("result"), r.result},
                          {QStringLiteral("runs"), QJsonArray::fromStringList(r.runs)}};
            rows.append(AddPerson(o, r.who));
        }
        categories.append(
            QJsonObject{{QStringLiteral("category"), c.category}, {QStringLiteral("rows"), rows}});
    }
    const QJsonObject o{{QStringLiteral("title"), standings.title},
                        {QStringLiteral("categories"), categories}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray LiveBracketJson(const TLiveBrackets& brackets) {
    QJsonArray list;
    for (const TLiveBracket& b : brackets.brackets) {
        const int current = b.onTracks ? b.bracket.CurrentHeat() : -1;
        QJsonArray rounds;
        ForEachRound(b.bracket, [&](const QString& name, const QVector<int>& indexes) {
            QJsonArray heats;
            for (int i : indexes) {
                const TBracket::THeat& h = b.bracket.Heats()[i];
                QJsonArray lanes, voided;
                for (size_t side = 0; side < 2; ++side) {
                    QJsonObject o{
                        {QStringLiteral("seed"), h.Seed[side]},
                        {QStringLiteral("result"),
                         BracketLaneText(h.Lane[side], brackets.timeFormat)},
                        // A bye's empty side wins nothing, even where nobody came.
                        {QStringLiteral("winner"), h.Winner == int(side) && h.Entry[side] >= 0}};
                    lanes.append(AddPerson(o, b.people.value(h.Entry[side])));
                }
                for (const auto& v : h.Voided)
                    voided.append(QJsonArray{BracketLaneText(v[0], brackets.timeFormat),
                                             BracketLaneText(v[1], brackets.timeFormat)});
                heats.append(QJsonObject{{QStringLiteral("number"), i + 1},
                                         {QStringLiteral("current"), i == current},
                                         {QStringLiteral("bye"), h.Bye},
                                         {QStringLiteral("lanes"), lanes},
                                         {QStringLiteral("voided"), voided}});
            }
            rounds.append(
                QJsonObject{{QStringLiteral("name"), name}, {QStringLiteral("heats"), heats}});
        });
        QJsonArray places;
        for (const auto& [entry, place] : b.places) {
            if (place <= 0) continue;
            QJsonObject o{{QStringLiteral("place"), place}};
            places.append(AddPerson(o, b.people.value(entry)));
        }
        list.append(QJsonObject{
            {QStringLiteral("category"), b.category},
            {QStringLiteral("size"), b.bracket.Size()},
            {QStringLiteral("current"), current >= 0 ? QJsonValue(current + 1) : QJsonValue()},
            {QStringLiteral("rounds"), rounds},
            {QStringLiteral("places"), places}});
    }
    const QJsonObject o{{QStringLiteral("title"), brackets.title},
                        {QStringLiteral("brackets"), list}};
    return QJsonDocument(o).toJson(QJsonDocument::Compact);
}

QByteArray LiveBracketHtml(const TLiveBrackets& brackets, quint64 version) {
    const auto pageOf = [&](const TLiveBracket* b) {
        TBracketPage page{
            QStringLiteral("TL-Veltaro"), brackets.title, brackets.timeFormat, {}, {}};
        if (b) {
            page.Name = [b](int entry) { return BracketName(*b, entry); };
            page.Places = b->places;
        }
        return page;
    };
    QString html;
    if (brackets.brackets.isEmpty()) html = BracketHtml(TBracket(), pageOf(nullptr));
    for (const TLiveBracket& b : brackets.brackets) {
        const QString one = BracketHtml(b.bracket, pageOf(&b));
        if (html.isEmpty()) {
            html = one;
            if (brackets.brackets.size() > 1)
                html.insert(html.indexOf(QStringLiteral("<div")), QStringLiteral("<h2>") +
                                                                      HtmlEscaped(b.category) +
                                                                      QStringLiteral("</h2>\r\n"));
            continue;
        }
        // A further category's rounds and places under the first's, with its name above.
        const qsizetype from = one.indexOf(QStringLiteral("<div"));
        const qsizetype to = one.lastIndexOf(QStringLiteral("</body>"));
        html.insert(html.lastIndexOf(QStringLiteral("</body>")),
                    QStringLiteral("<h2>") + HtmlEscaped(b.category) + QStringLiteral("</h2>\r\n") +
                        one.mid(from, to - from));
    }
    const QString style =
        QStringLiteral("body{margin:8px}\r\n.rounds{gap:.8em}\r\n") + QLatin1String(DarkScheme) +
        QStringLiteral("@media (prefers-color-scheme: dark) {\r\n"
                       "tr.win td{background:#2f3a1c}\r\ncaption{color:#b0a786}\r\n"
                       "th{background:#5a5440}\r\n}\r\n");
    return ForPhones(html, style, ReloadScript("bracket", version)).toUtf8();
}

bool SameBrackets(const TLiveBrackets& a, const TLiveBrackets& b) {
    if (a.title != b.title || a.timeFormat != b.timeFormat ||
        a.brackets.size() != b.brackets.size())
        return false;
    for (qsizetype i = 0; i < a.brackets.size(); ++i) {
        const TLiveBracket &x = a.brackets[i], &y = b.brackets[i];
        if (x.category != y.category || x.people != y.people || x.places != y.places ||
            x.bracket.ToLines() != y.bracket.ToLines())
            return false;
    }
    return true;
}

QString LiveCssColour(std::uint32_t bgr) {
    const unsigned r = bgr & 0xFF, g = (bgr >> 8) & 0xFF, b = (bgr >> 16) & 0xFF;
    return QStringLiteral("#%1%2%3")
        .arg(r, 2, 16, QLatin1Char('0'))
        .arg(g, 2, 16, QLatin1Char('0'))
        .arg(b, 2, 16, QLatin1Char('0'));
}
