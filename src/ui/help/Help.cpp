#include "ui/help/Help.h"

#include "ui/AppForms.h"
#include "ui/help/HelpWindow.h"
#include "ui/Pictures.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QWidget>
#ifdef Q_OS_WIN
#include "ui/help/HtmlHelpWin32.h"
#endif

namespace {
QStringList Fields(const QString& line) {
    return line.split(QLatin1Char('\t'));
}
bool IsComment(const QString& line) {
    const QString t = line.trimmed();
    return t.isEmpty() || t.startsWith(QLatin1Char('#'));
}
} // namespace

QList<THelpEntry> ParseHelpContents(const QString& text) {
    QList<THelpEntry> entries;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (IsComment(line)) continue;
        const QStringList f = Fields(line.trimmed());
        if (f.size() != 4) continue;
        bool okContext = false, okLevel = false;
        THelpEntry e;
        e.context = f[0].trimmed().toInt(&okContext);
        e.level = f[1].trimmed().toInt(&okLevel);
        e.title = f[2].trimmed();
        e.page = f[3].trimmed();
        if (!okContext || !okLevel || e.level < 0 || e.level > 1 || e.title.isEmpty() ||
            e.page.isEmpty())
            continue;
        entries << e;
    }
    return entries;
}

QList<THelpKeyword> ParseHelpIndex(const QString& text) {
    QList<THelpKeyword> keywords;
    for (const QString& line : text.split(QLatin1Char('\n'))) {
        if (IsComment(line)) continue;
        const QStringList f = Fields(line.trimmed());
        if (f.size() != 2 || f[0].trimmed().isEmpty() || f[1].trimmed().isEmpty()) continue;
        keywords << THelpKeyword{f[0].trimmed(), f[1].trimmed()};
    }
    return keywords;
}

QString DefaultHelpFile() {
#ifdef Q_OS_WIN
    // The English manual beside the German one, when there is one.
    const QFileInfo program(QCoreApplication::applicationFilePath());
    const QString base = program.absolutePath() + QLatin1Char('/') + program.completeBaseName();
    const QString english = base + QStringLiteral("_en.chm");
    if (ProgramLanguage() == 1 && QFileInfo(english).isFile()) return english;
    return base + QStringLiteral(".chm");
#else
    return ProgramLanguage() == 1 ? QStringLiteral(":/help/en") : QStringLiteral(":/help");
#endif
}

THelp::THelp(QWidget* owner) : QObject(owner), m_owner(owner), m_file(DefaultHelpFile()) {
    InitResources();
}

THelp::~THelp() = default;

void THelp::setHelpFile(const QString& file) {
    if (file == m_file) return;
    m_file = file;
    // A window on the old pages would go on showing them.
    delete Window();
    m_window = nullptr;
}

#ifdef Q_OS_WIN
bool THelp::Exists() const {
    return QFileInfo(m_file).isFile();
}

namespace {
bool Call(QWidget* owner, const QString& file, unsigned command, std::uintptr_t data) {
    // The viewer takes the ANSI code page, as the rest of its interface.
    const QByteArray name = QDir::toNativeSeparators(file).toLocal8Bit();
    return HtmlHelpCall(owner ? std::uintptr_t(owner->winId()) : 0, name.constData(), command,
                        data);
}
} // namespace

bool THelp::Contents() {
    return Call(m_owner, m_file, HelpDisplayToc, 0);
}
bool THelp::Index(const QString& keyword) {
    const QByteArray k = keyword.toLocal8Bit();
    return Call(m_owner, m_file, HelpDisplayIndex, std::uintptr_t(k.constData()));
}
bool THelp::Topic(const QString& topic) {
    return Call(m_owner, m_file + QStringLiteral("::/") + topic, HelpDisplayTopic, 0);
}
bool THelp::Context(int context) {
    return Call(m_owner, m_file, HelpHelpContext, std::uintptr_t(context));
}
void THelp::CloseAll() {
    HtmlHelpCall(0, nullptr, HelpCloseAll, 0);
}
THelpWindow* THelp::OpenWindow() {
    return nullptr;
}
#else
bool THelp::Exists() const {
    return QFileInfo(m_file + QStringLiteral("/contents.tsv")).isFile();
}

THelpWindow* THelp::OpenWindow() {
    if (!Window()) {
        if (!Exists()) return nullptr;
        auto* w = new THelpWindow(m_file, m_owner);
        if (!w->Load()) {
            delete w;
            return nullptr;
        }
        m_window = w;
        m_windowGuard = w;
    }
    m_window->show();
    m_window->raise();
    m_window->activateWindow();
    return m_window;
}

bool THelp::Contents() {
    THelpWindow* w = OpenWindow();
    if (!w) return false;
    w->ShowContents();
    return true;
}
bool THelp::Index(const QString& keyword) {
    THelpWindow* w = OpenWindow();
    return w && w->ShowIndex(keyword);
}
bool THelp::Topic(const QString& topic) {
    THelpWindow* w = OpenWindow();
    return w && w->ShowPage(topic);
}
bool THelp::Context(int context) {
    THelpWindow* w = OpenWindow();
    return w && w->ShowContext(context);
}
void THelp::CloseAll() {
    if (Window()) m_window->hide();
}
#endif
