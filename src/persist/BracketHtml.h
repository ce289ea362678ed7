#pragma once
// The finals bracket as one HTML page: every round as a table of its heats, then the final
// places, for the notice board or the web beside the protocol page.
#include "core/Bracket.h"

#include <functional>
#include <QString>
#include <QVector>
#include <utility>

struct TBracketPage {
    QString AppTitle, CompetitionTitle;
    int TimeFormat = 1;                     // of the lane times, as the protocol writes them
    std::function<QString(int entry)> Name; // a participant's text; none: the entry number
    // The competition's final places (entry, place), those outside the bracket included;
    // empty: the places the bracket decided. Entries with place 0 are not listed.
    QVector<std::pair<int, int>> Places;
};

// One category's part of the page: its bracket (may be empty: too few for a final) and its
// final places as TBracketPage::Places.
struct TBracketPageSection {
    QString Category; // empty: the whole field, no category heading
    TBracket Bracket;
    QVector<std::pair<int, int>> Places;
};

// The page text, UTF-8 declared, CR LF line ends; every name and title is HTML-escaped.
QString BracketHtml(const TBracket& bracket, const TBracketPage& page);
// Every category's bracket and places on one page, in the order given.
QString BracketHtml(const QVector<TBracketPageSection>& sections, const TBracketPage& page);
// Writes the page as UTF-8 through a temporary file, so a failed write keeps the previous
// page; on failure returns false with the file name and the system's reason in error.
bool WriteBracketHtml(const QString& fileName, const TBracket& bracket, const TBracketPage& page,
                      QString* error);
bool WriteBracketHtml(const QString& fileName, const QVector<TBracketPageSection>& sections,
                      const TBracketPage& page, QString* error);
