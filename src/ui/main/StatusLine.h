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
    // What was just written where, for a few seconds over the note; a click opens the folder.
    // A failure stays longer, in red.
    void ShowWritten(const QString& text, const QString& folder, bool failed);

signals:
    void FolderClicked(const QString& folder);

private:
    std::array<QLabel*, 3> m_panels{};
    QLabel* m_note;
    QLabel* m_written;
    int m_writtenShown = 0; // counts the messages, so an old one's timer leaves a newer one
    std::array<QString, NoteCount> m_notes;
};
