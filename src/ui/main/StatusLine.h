#pragma once
// The status bar: the protocol's row counter, the maker's name, the version, and a note of
// what the operator must know about the next heat (why START is grey, settings waiting for
// RESET, a heat that will be raced again).
#include <array>
#include <QStatusBar>

class QLabel;

class TStatusLine : public QStatusBar {
    Q_OBJECT
public:
    enum TNote { NoteRuns, NoteSettings, NoteHeat, NoteCount };
    explicit TStatusLine(QWidget* parent);

    void SetRowCounter(const QString& text);
    void SetNote(TNote slot, const QString& text);
    void LayOut(int width);

private:
    std::array<QLabel*, 3> m_panels{};
    QLabel* m_note;
    std::array<QString, NoteCount> m_notes;
};
