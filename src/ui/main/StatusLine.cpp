#include "ui/main/StatusLine.h"

#include "core/Version.h"
#include "ui/main/WindowLayout.h"
#include "ui/PanelParts.h"

#include <algorithm>
#include <QLabel>
#include <QStringList>
#include <QTimer>
#include <QUrl>

TStatusLine::TStatusLine(QWidget* parent) : QStatusBar(parent) {
    setObjectName(QStringLiteral("StatusBar1"));
    setSizeGripEnabled(false);
    setFixedHeight(Design::StatusBarHeight);
    const QString texts[3] = {QString(), tr("Tavoleno - Zeitmessung"),
                              QStringLiteral("V ") + ProgramVersion()};
    // Placed by hand (LayOut): the status bar's own layout would add its margins and make
    // the bar taller than the design's 19 pixels.
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(texts[i], this);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setAlignment(i == 2 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setLineWidth(1);
        l->setIndent(3);
        m_panels[size_t(i)] = l;
    }
    m_note = Named(new QLabel(this), "StatusNote");
    m_note->setIndent(3);
    SetTextColour(m_note, Colors::clRed);
    m_written = Named(new QLabel(this), "StatusWritten");
    m_written->setIndent(3);
    m_written->setAutoFillBackground(true);
    m_written->setTextFormat(Qt::RichText);
    m_written->hide();
    connect(m_written, &QLabel::linkActivated, this,
            [this](const QString& link) { emit FolderClicked(QUrl(link).toLocalFile()); });
}

void TStatusLine::ShowWritten(const QString& text, const QString& folder, bool failed) {
    const QString shown = text.toHtmlEscaped();
    m_written->setText(
        folder.isEmpty()
            ? shown
            : QStringLiteral("<a href=\"%1\">%2</a>")
                  .arg(QUrl::fromLocalFile(folder).toString(QUrl::FullyEncoded), shown));
    m_written->setToolTip(text);
    SetTextColour(m_written, failed ? Colors::clRed : Colors::clBlack);
    m_written->show();
    m_written->raise();
    const int shownNow = ++m_writtenShown;
    QTimer::singleShot(failed ? 15000 : 6000, this, [this, shownNow] {
        if (shownNow == m_writtenShown) m_written->hide();
    });
}

void TStatusLine::SetRowCounter(const QString& text) {
    m_panels[0]->setText(text);
}

void TStatusLine::SetNote(TNote slot, const QString& text) {
    if (m_notes[slot] == text) return; // asked on every UpdateControls: mostly nothing changed
    m_notes[slot] = text;
    QStringList shown;
    for (const QString& n : m_notes)
        if (!n.isEmpty()) shown << n;
    m_note->setText(shown.join(QStringLiteral(" – ")));
    m_note->setToolTip(m_note->text());
}

void TStatusLine::LayOut(int width) {
    int x = 0;
    for (size_t i = 0; i < 3; ++i) {
        m_panels[i]->setGeometry(x, 2, Design::StatusPanelWidths[i], Design::StatusBarHeight - 3);
        x += Design::StatusPanelWidths[i] + 2;
    }
    m_note->setGeometry(x, 2, std::max(0, width - x - 2), Design::StatusBarHeight - 3);
    m_written->setGeometry(m_note->geometry());
}
