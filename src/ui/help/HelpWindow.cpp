#include "ui/help/HelpWindow.h"

#include "ui/Pictures.h"

#include <QFile>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QListWidget>
#include <QSplitter>
#include <QTabWidget>
#include <QTextBrowser>
#include <QTreeWidget>
#include <QUrl>
#include <QVBoxLayout>

namespace {
QString ReadText(const QString& file) {
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly)) return QString();
    return QString::fromUtf8(f.readAll());
}

template <typename W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
} // namespace

THelpWindow::THelpWindow(const QString& folder, QWidget* parent)
    : QWidget(parent, Qt::Window), m_folder(folder) {
    setObjectName(QStringLiteral("HelpWindow"));
    setWindowTitle(tr("Veltaro - Hilfe"));
    setWindowIcon(Picture(QStringLiteral("veltaro")));
    resize(860, 580);

    Tabs = Named(new QTabWidget, "Tabs");
    TreeContents = Named(new QTreeWidget, "TreeContents");
    TreeContents->setHeaderHidden(true);
    TreeContents->setRootIsDecorated(true);
    auto* indexPage = new QWidget;
    auto* iv = new QVBoxLayout(indexPage);
    iv->setContentsMargins(4, 4, 4, 4);
    EditIndex = Named(new QLineEdit, "EditIndex");
    EditIndex->setPlaceholderText(tr("Stichwort eingeben"));
    EditIndex->setClearButtonEnabled(true);
    ListIndex = Named(new QListWidget, "ListIndex");
    iv->addWidget(EditIndex);
    iv->addWidget(ListIndex, 1);
    Tabs->addTab(TreeContents, tr("Inhalt"));
    Tabs->addTab(indexPage, QStringLiteral("Index"));

    Browser = Named(new QTextBrowser, "Browser");
    Browser->setOpenExternalLinks(true);
    QFont bf = Browser->font();
    bf.setPixelSize(14);
    Browser->setFont(bf);

    auto* split = new QSplitter(Qt::Horizontal);
    split->addWidget(Tabs);
    split->addWidget(Browser);
    split->setStretchFactor(1, 1);
    split->setSizes({240, 620});
    auto* h = new QHBoxLayout(this);
    h->setContentsMargins(4, 4, 4, 4);
    h->addWidget(split);

    connect(TreeContents, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* item) { ShowPage(item->data(0, Qt::UserRole).toString()); });
    connect(TreeContents, &QTreeWidget::itemActivated, this,
            [this](QTreeWidgetItem* item) { ShowPage(item->data(0, Qt::UserRole).toString()); });
    connect(EditIndex, &QLineEdit::textChanged, this, [this](const QString& t) { FilterIndex(t); });
    connect(EditIndex, &QLineEdit::returnPressed, this, [this] {
        for (int i = 0; i < ListIndex->count(); ++i)
            if (!ListIndex->item(i)->isHidden()) {
                ShowPage(ListIndex->item(i)->data(Qt::UserRole).toString());
                return;
            }
    });
    connect(ListIndex, &QListWidget::itemClicked, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
    connect(ListIndex, &QListWidget::itemActivated, this,
            [this](QListWidgetItem* item) { ShowPage(item->data(Qt::UserRole).toString()); });
}

bool THelpWindow::Load() {
    m_contents = ParseHelpContents(ReadText(m_folder + QStringLiteral("/contents.tsv")));
    m_index = ParseHelpIndex(ReadText(m_folder + QStringLiteral("/index.tsv")));
    TreeContents->clear();
    QTreeWidgetItem* chapter = nullptr;
    for (const THelpEntry& e : m_contents) {
        QTreeWidgetItem* item = e.level == 0 || !chapter ? new QTreeWidgetItem(TreeContents)
                                                         : new QTreeWidgetItem(chapter);
        if (e.level == 0) chapter = item;
        item->setText(0, e.title);
        item->setData(0, Qt::UserRole, e.page);
    }
    TreeContents->expandAll();
    ListIndex->clear();
    for (const THelpKeyword& k : m_index) {
        auto* item = new QListWidgetItem(k.keyword, ListIndex);
        item->setData(Qt::UserRole, k.page);
    }
    ListIndex->sortItems();
    return !m_contents.isEmpty();
}

void THelpWindow::ShowContents() {
    Tabs->setCurrentIndex(0);
    if (!m_contents.isEmpty()) ShowPage(m_contents.first().page);
    TreeContents->setFocus();
}

bool THelpWindow::ShowIndex(const QString& keyword) {
    Tabs->setCurrentIndex(1);
    EditIndex->setText(keyword);
    EditIndex->setFocus();
    QString page;
    int matches = 0;
    for (const THelpKeyword& k : m_index) {
        if (k.keyword.compare(keyword, Qt::CaseInsensitive) == 0) return ShowPage(k.page);
        if (k.keyword.startsWith(keyword, Qt::CaseInsensitive)) {
            ++matches;
            page = k.page;
        }
    }
    return matches == 1 ? ShowPage(page) : matches > 0;
}

bool THelpWindow::ShowPage(const QString& page) {
    const QString file = page.section(QLatin1Char('#'), 0, 0);
    const QString anchor = page.section(QLatin1Char('#'), 1);
    // A page outside the manual's folder is not the manual's.
    if (file.isEmpty() || file.contains(QLatin1String("..")) || file.startsWith(QLatin1Char('/')))
        return false;
    const QString path = m_folder + QLatin1Char('/') + file;
    if (!QFile::exists(path)) return false;
    QUrl url = path.startsWith(QLatin1Char(':')) ? QUrl(QStringLiteral("qrc") + path)
                                                 : QUrl::fromLocalFile(path);
    if (!anchor.isEmpty()) url.setFragment(anchor);
    Browser->setSource(url);
    // Keep the contents in step with the page shown.
    const auto items =
        TreeContents->findItems(QStringLiteral("*"), Qt::MatchWildcard | Qt::MatchRecursive);
    for (QTreeWidgetItem* item : items)
        if (item->data(0, Qt::UserRole).toString() == page) {
            TreeContents->setCurrentItem(item);
            break;
        }
    return true;
}

bool THelpWindow::ShowContext(int context) {
    for (const THelpEntry& e : m_contents)
        if (e.context == context) {
            Tabs->setCurrentIndex(0);
            return ShowPage(e.page);
        }
    return false;
}

QString THelpWindow::CurrentPage() const {
    const QUrl url = Browser->source();
    QString page = url.path().section(QLatin1Char('/'), -1);
    if (url.hasFragment()) page += QLatin1Char('#') + url.fragment();
    return page;
}

void THelpWindow::FilterIndex(const QString& text) {
    QListWidgetItem* first = nullptr;
    for (int i = 0; i < ListIndex->count(); ++i) {
        QListWidgetItem* item = ListIndex->item(i);
        const bool shown = text.isEmpty() || item->text().contains(text, Qt::CaseInsensitive);
        item->setHidden(!shown);
        if (shown && !first) first = item;
    }
    if (first) ListIndex->setCurrentItem(first);
}
