#pragma once
// The window that shows the HTML pages of the manual: contents and index on the left, the
// page on the right.
#include "ui/help/Help.h"

#include <QWidget>

class QLineEdit;
class QListWidget;
class QTabWidget;
class QTextBrowser;
class QTreeWidget;

class THelpWindow : public QWidget {
    Q_OBJECT
public:
    THelpWindow(const QString& folder, QWidget* parent = nullptr);

    // Reads the table of contents and the index; false when the contents cannot be read.
    bool Load();
    const QList<THelpEntry>& ContentsEntries() const { return m_contents; }
    const QList<THelpKeyword>& Keywords() const { return m_index; }

    void ShowContents();                    // the first page, the contents tab
    bool ShowIndex(const QString& keyword); // the index tab, filtered; opens a sole match
    bool ShowPage(const QString& page);     // a page (with "#anchor") of the manual
    bool ShowContext(int context);          // the contents entry with that number
    QString CurrentPage() const;            // the page shown, relative to the folder

    QTabWidget* Tabs;
    QTreeWidget* TreeContents;
    QLineEdit* EditIndex;
    QListWidget* ListIndex;
    QTextBrowser* Browser;

private:
    void FilterIndex(const QString& text);
    QString m_folder;
    QList<THelpEntry> m_contents;
    QList<THelpKeyword> m_index;
};
