#include "ui/main/ProtocolBar.h"

#include "ui/main/Sounds.h"
#include "ui/main/WindowLayout.h"
#include "ui/PanelParts.h"
#include "ui/Pictures.h"
#include "widgets/BitBtnWithColor.h"

#include <QCheckBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QSignalBlocker>
#include <QToolButton>

TProtocolBar::TProtocolBar(QWidget* parent) : QLabel(parent) {
    setObjectName(QStringLiteral("PanelTitle"));
    setFixedHeight(Design::TitleBarHeight);
    setScaledContents(true);
    auto* bar = new QHBoxLayout(this);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(1);
    struct TMade {
        TButton button;
        const char *name, *caption, *hint, *picture;
    };
    const TMade made[] = {
        {Save, "sbSave", "", QT_TR_NOOP("[Ctrl+S] Speichern unter..."), "save"},
        {DeleteRow, "sbCLS", "", QT_TR_NOOP("[Ctrl -] Zeile loschen"), "delete-line"},
        {DeleteAll, "sbCLSall", "", QT_TR_NOOP("Protokoll loschen"), "delete-protocol"},
        {Print, "sbPrint", "", QT_TR_NOOP("[Ctrl+P] Drucken"), "print"},
        {Track1, "sb1", "", QT_TR_NOOP("1. Turm"), "track1"},
        {Dis1, "sb1del", "1", QT_TR_NOOP("1. Turm DIS"), "disqualify"},
        {Sound, "sbSound", "", "[Ctrl+`] Sound", "sound-on"},
        {Dis2, "sb2del", "2", QT_TR_NOOP("2. Turm DIS"), "disqualify"},
        {Track2, "sb2", "", QT_TR_NOOP("2. Turm"), "track2"},
        {Word, "sbWord", "", QT_TR_NOOP("[Ctrl+W] Datei in MS Word"), "document"},
        {Excel, "sbExcel", "", QT_TR_NOOP("[Ctrl+E] Datei in MS Excel"), "spreadsheet"},
        {Html, "sbInet", "", QT_TR_NOOP("[Ctrl+H] Als HTML"), "html"},
        {Tv, "sbMon2", "", QT_TR_NOOP("[Ctrl+T] 2. Monitor/TV"), "tv"},
        {Undo, "bUndo", "", QT_TR_NOOP("Rückgängig (Strg+Z)"), "undo"},
    };
    for (const TMade& m : made) {
        QToolButton* b =
            ToolButton(this, m.name, QString::fromUtf8(m.caption), tr(m.hint), m.picture);
        m_buttons[m.button] = b;
        const TButton which = m.button;
        connect(b, &QToolButton::clicked, this, [this, which] { emit Clicked(which); });
    }
    for (TButton menu : {DeleteRow, Sound}) {
        QToolButton* b = m_buttons[menu];
        b->setContextMenuPolicy(Qt::CustomContextMenu);
        connect(b, &QWidget::customContextMenuRequested, this,
                [this, b, menu](const QPoint& p) { emit MenuRequested(menu, b->mapToGlobal(p)); });
    }
    m_buttons[Tv]->setCheckable(true);
    m_buttons[Tv]->setEnabled(false);
    for (TButton b : {Track1, Track2, Dis1, Dis2, Undo})
        m_buttons[b]->setEnabled(false);

    m_edit = Named(new QCheckBox(this), "cbEditON");
    m_editLabel = Named(new QLabel(tr("Editieren"), this), "labEditON");
    m_editLabel->installEventFilter(this);
    m_reset = Named(new TBitBtnWithColor(QStringLiteral("0:00"), this), "bRESET");
    m_reset->setToolTip(QStringLiteral("[F9] Reset"));
    m_reset->setFixedSize(75, 34);
    m_autoReset = Named(new QCheckBox(this), "cbAuto0");
    m_autoReset->setChecked(true);
    m_sort = Named(new QCheckBox(this), "cbSort");
    m_sort->setToolTip(QStringLiteral("Сортировать по местам"));
    m_sortLabel = Named(new QLabel(tr("Sortieren"), this), "LabelSort");
    auto* title = Named(new QLabel(tr("P R O T O K O L L"), this), "LabelProtokoll");
    title->setFont(DesignFont("Arial", 18, true));

    for (QWidget* w : std::initializer_list<QWidget*>{
             m_buttons[Save], m_buttons[DeleteRow], m_buttons[DeleteAll], m_buttons[Print],
             m_buttons[Undo], m_edit, m_editLabel, m_buttons[Track1], m_buttons[Dis1],
             m_buttons[Sound]})
        bar->addWidget(w);
    bar->addStretch(1);
    bar->addWidget(m_reset);
    bar->addWidget(m_autoReset);
    bar->addStretch(1);
    bar->addWidget(title);
    bar->addStretch(1);
    for (QWidget* w : std::initializer_list<QWidget*>{
             m_buttons[Dis2], m_buttons[Track2], m_sort, m_sortLabel, m_buttons[Word],
             m_buttons[Excel], m_buttons[Html], m_buttons[Tv]})
        bar->addWidget(w);

    connect(m_edit, &QCheckBox::clicked, this, &TProtocolBar::EditToggled);
    connect(m_sort, &QCheckBox::toggled, this, &TProtocolBar::SortToggled);
    connect(m_autoReset, &QCheckBox::clicked, this, &TProtocolBar::AutoResetToggled);
    m_reset->OnClick = [this] { emit ResetClicked(); };
    m_reset->OnMouseDown = [this](Qt::MouseButton) { emit ResetPressed(); };
}

void TProtocolBar::SetEnabled(TButton button, bool enabled) {
    if (button == Edit) {
        m_edit->setEnabled(enabled);
        m_editLabel->setEnabled(enabled);
    } else if (button == Sort) {
        m_sort->setEnabled(enabled);
        m_sortLabel->setEnabled(enabled);
    } else if (button < Edit) {
        m_buttons[button]->setEnabled(enabled);
    }
}

void TProtocolBar::SetReset(bool enabled, TColor faceWhenEnabled) {
    m_reset->setEnabled(enabled);
    m_reset->setColor(enabled ? faceWhenEnabled : Colors::clBtnFace);
}

void TProtocolBar::FocusReset() {
    m_reset->setFocus();
}

void TProtocolBar::SetTwoTracks(bool two) {
    for (TButton b : {Track1, Track2, Dis2})
        m_buttons[b]->setVisible(two);
    m_buttons[Dis1]->setText(two ? QStringLiteral("1") : QString());
}

void TProtocolBar::SetSoundIcon(bool on) {
    m_buttons[Sound]->setIcon(SoundPicture(on));
}

void TProtocolBar::ShowTvMode(bool on) {
    m_buttons[Tv]->setChecked(on);
}

void TProtocolBar::ShowSorted(bool on) {
    const QSignalBlocker quiet(m_sort);
    m_sort->setChecked(on);
}

void TProtocolBar::SetAutoResetHint(const QString& hint) {
    m_autoReset->setToolTip(hint);
}

bool TProtocolBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_editLabel && event->type() == QEvent::MouseButtonRelease &&
        m_editLabel->isEnabled()) {
        m_edit->setChecked(!m_edit->isChecked());
        emit EditToggled(m_edit->isChecked());
        return true;
    }
    return QLabel::eventFilter(watched, event);
}

void TProtocolBar::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    setPixmap(PicturePixmap(QStringLiteral("titlebar"), size(), devicePixelRatioF()));
}
