#pragma once
// The finals bracket drawn for people: rounds as columns from left to right, each heat a box
// with its two seeds, names and lane times, the winner filled, byes and voided runs marked,
// the heat on the tracks outlined. It draws a copy of the bracket it was last given, so it
// repaints only when that copy changes, never because a clock ticks somewhere.
#include "core/Bracket.h"

#include <functional>
#include <QColor>
#include <QHash>
#include <QRect>
#include <QSize>
#include <QVector>
#include <QWidget>

class TCompetition;

// Where everything of a bracket goes in a widget of the given size. Boxes are indexed like
// the bracket's heats; any size is safe (a tiny one gives tiny boxes, never negative ones).
struct TBracketLayout {
    QVector<QRect> headers; // one per round, above its column
    QVector<QRect> boxes;   // one per heat
    QRect smallFinalLabel;  // "Kleines Finale", above its box (empty without one)
    int fontPx = 1;         // names and times
    int headerPx = 1;       // round names
};
TBracketLayout BracketLayout(const QSize& size, int rounds, const QVector<TBracket::THeat>& heats);

// A participant as the bracket names him: the name cell, else the start number, else the
// participant-list text.
QString BracketName(const TCompetition& competition, int entry);

class TBracketView : public QWidget {
    Q_OBJECT
public:
    // Dark: the audience's black screen with the digits' yellow; Light: the operator's window.
    enum TTheme { Dark, Light };
    explicit TBracketView(QWidget* parent = nullptr, TTheme theme = Dark);

    // Takes a copy of the bracket with the names of its participants and the time format of
    // its lanes; repaints and returns true only when something shown changed.
    bool SetBracket(const TBracket& bracket, const std::function<QString(int entry)>& name,
                    int timeFormat);
    // What is shown when there is no bracket (why none could be built).
    void SetEmptyText(const QString& text);
    // The category the bracket is of, drawn in the corner; empty: none.
    void SetTitle(const QString& title);
    QString Title() const { return m_title; }
    const TBracket& Bracket() const { return m_bracket; }
    QString NameOf(int entry) const { return m_names.value(entry); }
    int Repaints() const { return m_repaints; } // how often a change asked for a repaint
    TTheme Theme() const { return m_theme; }

    QSize sizeHint() const override { return QSize(960, 540); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    struct TColours {
        QColor background, box, border, text, seed, time, winFill, winText, current, line, voided,
            header;
    };
    static TColours ColoursOf(TTheme theme);
    void DrawHeat(QPainter& p, const TBracket::THeat& heat, const QRect& box, int fontPx,
                  bool current) const;
    void Changed();

    TTheme m_theme;
    TColours m_colours;
    TBracket m_bracket;
    QHash<int, QString> m_names;
    int m_timeFormat = 1;
    QString m_shown; // everything drawn, as one text: a new bracket that draws alike is no change
    QString m_emptyText;
    int m_repaints = 0;
    QString m_title;
};
