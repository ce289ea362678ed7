#pragma once
// The operator's manual. On Windows it is the compiled help file beside the program (the
// program's path with ".chm"), shown by the system's HTML-help viewer. Elsewhere there is no
// such viewer: the same manual ships as HTML pages and the program's own help window shows
// them, with its table of contents and keyword index.
#include <QList>
#include <QObject>
#include <QPointer>
#include <QString>

class QWidget;
class THelpWindow;

// One line of the table of contents: a context number, its depth (0 for a chapter), the
// title and the page (optionally with "#anchor").
struct THelpEntry {
    int context = 0;
    int level = 0;
    QString title;
    QString page;
};
// One keyword of the index and the page it leads to.
struct THelpKeyword {
    QString keyword;
    QString page;
};

// The manual's two lists, as tab-separated lines ("context, level, title, page" and
// "keyword, page"); blank lines and lines starting with '#' are comments; lines that do not
// fit are skipped.
QList<THelpEntry> ParseHelpContents(const QString& text);
QList<THelpKeyword> ParseHelpIndex(const QString& text);

// Windows: the program's path with ".chm" (in English "_en.chm" where it exists). Elsewhere:
// the folder of the manual's pages that is built into the program, in the program's language.
QString DefaultHelpFile();

class THelp : public QObject {
    Q_OBJECT
public:
    // The help window, where there is one, belongs to the owner and goes with it.
    explicit THelp(QWidget* owner);
    ~THelp() override;

    QString HelpFile() const { return m_file; }
    void setHelpFile(const QString& file);
    // Whether there is a manual to show: the help file, or the pages' table of contents.
    bool Exists() const;

    // The requests of the help system; false when the manual or its viewer is missing, or
    // the topic or keyword is unknown.
    bool Contents();
    bool Index(const QString& keyword);
    bool Topic(const QString& topic);
    bool Context(int context);
    void CloseAll();

    // The program's own help window once it has been opened (never on Windows).
    THelpWindow* Window() const { return m_windowGuard ? m_window : nullptr; }

private:
    THelpWindow* OpenWindow();
    QWidget* m_owner;
    QString m_file;
    QPointer<QWidget> m_windowGuard; // the window goes with its owner
    THelpWindow* m_window = nullptr;
};
