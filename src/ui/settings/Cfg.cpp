#include "ui/settings/Cfg.h"

#include "input/Comms.h"
#include "input/PortInfo.h"
#include "input/PortNames.h"
#include "ui/settings/EventSettingsGroup.h"
#include "ui/settings/FinalsSettingsGroup.h"
#include "ui/settings/LiveSettingsGroup.h"
#include "ui/settings/PadSettingsGroup.h"

#include <cmath>
#include <QCheckBox>
#include <QDialogButtonBox>
#include <QDoubleSpinBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QStyledItemDelegate>
#include <QStylePainter>
#include <QVBoxLayout>

namespace {
template <typename W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QSpinBox* SpinEdit(QWidget* parent, const char* name, int lo, int hi, int value) {
    auto* s = Named(new QSpinBox(parent), name);
    s->setRange(lo, hi);
    s->setValue(value);
    return s;
}

// The popup's entries are drawn like the closed list.
class TPolarityDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;
    void paint(QPainter* p, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override {
        const bool selected = option.state & QStyle::State_Selected;
        const QPalette& pal = option.palette;
        TPolarityBox::DrawItem(*p, option.rect, index.row(), index.data().toString(), false,
                               pal.color(selected ? QPalette::Highlight : QPalette::Base),
                               pal.color(selected ? QPalette::HighlightedText : QPalette::Text));
    }
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize s = QStyledItemDelegate::sizeHint(option, index);
        return QSize(std::max(s.width(), 64), std::max(s.height(), 18));
    }
};
} // namespace

QPixmap ContactPicture(int index) {
    QPixmap pm(41, 16);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    const bool closed = index == 0;
    const QColor colour = closed ? QColor(220, 0, 0) : QColor(128, 128, 128);
    QPen pen(colour, 2);
    p.setPen(pen);
    // Two terminals with their leads, and the blade between them: down on the far terminal
    // when closed, lifted when open.
    p.drawLine(QPointF(1, 11), QPointF(8, 11));
    p.drawLine(QPointF(32, 11), QPointF(40, 11));
    p.setBrush(colour);
    p.drawEllipse(QPointF(10, 11), 2.2, 2.2);
    p.drawEllipse(QPointF(30, 11), 2.2, 2.2);
    pen.setWidth(3);
    p.setPen(pen);
    if (closed)
        p.drawLine(QPointF(10, 11), QPointF(30, 11));
    else
        p.drawLine(QPointF(10, 11), QPointF(28, 3));
    return pm;
}

QStringList MonitorEntries(const QList<QRect>& screens) {
    QStringList entries;
    for (int i = 0; i < screens.size(); ++i) {
        const QRect& r = screens[i];
        entries << QString::asprintf("%d=(%d,%d)-(%d,%d)", i + 1, r.left(), r.top(), r.width(),
                                     r.height());
    }
    return entries;
}

TPolarityBox::TPolarityBox(QWidget* parent) : QComboBox(parent) {
    addItems({QStringLiteral("ON"), QStringLiteral("OFF")});
    setItemDelegate(new TPolarityDelegate(this));
}

void TPolarityBox::DrawItem(QPainter& p, const QRect& rect, int index, const QString& text,
                            bool disabled, const QColor& background, const QColor& textColour) {
    p.fillRect(rect, background);
    if (disabled) return;
    p.drawPixmap(rect.left() + 20, rect.top(), ContactPicture(index));
    p.setPen(textColour);
    p.drawText(QRect(rect.left() + 1, rect.top() + 1, 19, rect.height() - 1),
               Qt::AlignLeft | Qt::AlignTop, text);
}

QSize TPolarityBox::sizeHint() const {
    const QSize s = QComboBox::sizeHint();
    return QSize(std::max(s.width(), 96), std::max(s.height(), 22));
}

void TPolarityBox::paintEvent(QPaintEvent*) {
    QStylePainter p(this);
    QStyleOptionComboBox opt;
    initStyleOption(&opt);
    opt.currentText.clear();
    opt.currentIcon = QIcon();
    p.drawComplexControl(QStyle::CC_ComboBox, opt);
    QRect field =
        style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, this);
    field.setTop(field.top() + std::max(0, (field.height() - 16) / 2));
    DrawItem(p, field, currentIndex(), currentText(), !isEnabled(),
             palette().color(isEnabled() ? QPalette::Active : QPalette::Disabled, QPalette::Base),
             palette().color(QPalette::Text));
}

TCfgDialog::TCfgDialog(QWidget* parent, const TComPort& port, quint32 portMask)
    : QDialog(parent), m_port(port) {
    setObjectName(QStringLiteral("CfgDialog"));
    setWindowTitle(tr("Einstellungen"));
    setModal(true);
    auto* grid = new QGridLayout(this);
    grid->setSizeConstraint(QLayout::SetFixedSize); // a fixed-size dialog

    int row = 0;
    auto addRow = [&](QGridLayout* g, int r, QLabel* label, QWidget* field, QLabel* unit) {
        g->addWidget(label, r, 0, Qt::AlignRight);
        g->addWidget(field, r, 1);
        if (unit) g->addWidget(unit, r, 2);
    };
    labZabegov = Named(new QLabel(tr("Turm(e):"), this), "labZabegov");
    seZabegov = SpinEdit(this, "seZabegov", 1, 6, 2);
    addRow(grid, row++, labZabegov, seZabegov, nullptr);

    labTimeFormat = Named(new QLabel(tr("Zeitformat:"), this), "labTimeFormat");
    cbTimeFormat = Named(new QComboBox(this), "cbTimeFormat");
    cbTimeFormat->addItems({QStringLiteral("SSSS,ss"), QStringLiteral("MM:SS,ss")});
    addRow(grid, row++, labTimeFormat, cbTimeFormat, nullptr);

    labAuto0 = Named(new QLabel(tr("Auto Reset:"), this), "labAuto0");
    seAuto0 = SpinEdit(this, "seAuto0", 1, 99, 5); // at most two digits by its range
    labAuto0Sek = Named(new QLabel(tr("Sek."), this), "labAuto0Sek");
    addRow(grid, row++, labAuto0, seAuto0, labAuto0Sek);

    labKlass = Named(new QLabel(tr("Sortieren nach Spalte:"), this), "labKlass");
    // The stored number is the column counted from 1 (0 none); the operator sees its title.
    cbKlass = Named(new QComboBox(this), "cbKlass");
    cbKlass->addItems(
        {tr("keine"), tr("St.Nr."), tr("Name, Vorname"), tr("Ort"), tr("Klasse"), tr("Datum")});
    cbKlass->setToolTip(tr("Plätze je Wert dieser Spalte (keine: gesamt)"));
    addRow(grid, row++, labKlass, cbKlass, nullptr);

    gbLS = Named(new QGroupBox(tr(" Lichtschranke(n) "), this), "gbLS");
    auto* ls = new QGridLayout(gbLS);
    labPort = Named(new QLabel(tr("Port:"), gbLS), "labPort");
    cbPort = Named(new QComboBox(gbLS), "cbPort");
    cbPort->setMaxVisibleItems(20);
    cbPort->setEnabled(false);
    cbPort->setMinimumWidth(96);
    ls->addWidget(labPort, 0, 0, Qt::AlignRight);
    ls->addWidget(cbPort, 0, 1);
    labPortDevice = Named(new QLabel(gbLS), "labPortDevice");
    labPortDevice->setTextInteractionFlags(Qt::TextSelectableByMouse);
    labPortDevice->setWordWrap(true);
    labPortDevice->setMinimumWidth(300);
    ls->addWidget(labPortDevice, 1, 0, 1, 3);
    labAlg = Named(new QLabel(tr(" Algorithmus: "), gbLS), "labAlg");
    ls->addWidget(labAlg, 2, 1);
    struct Polarity {
        TPolarityBox** box;
        QLabel** label;
        const char *boxName, *labelName, *caption, *hint;
    };
    const Polarity polarities[] = {
        {&cbAlg1, &labAlg1, "cbAlg1", "labAlg1", QT_TR_NOOP("Start (7+8):"),
         QT_TR_NOOP("Kontakt 7+8")},
        {&cbAlg2, &labAlg2, "cbAlg2", "labAlg2", QT_TR_NOOP("Stop1 (4+6):"),
         QT_TR_NOOP("Kontakt 4+6")},
        {&cbAlg3, &labAlg3, "cbAlg3", "labAlg3", QT_TR_NOOP("Stop2 (4+1):"),
         QT_TR_NOOP("Kontakt 4+1")},
    };
    int lr = 3;
    for (const Polarity& pol : polarities) {
        *pol.label = Named(new QLabel(tr(pol.caption), gbLS), pol.labelName);
        *pol.box = Named(new TPolarityBox(gbLS), pol.boxName);
        (*pol.box)->setToolTip(tr(pol.hint));
        (*pol.box)->setEnabled(false);
        (*pol.label)->setEnabled(false);
        ls->addWidget(*pol.label, lr, 0, Qt::AlignRight);
        ls->addWidget(*pol.box, lr++, 1);
    }
    labTimeout = Named(new QLabel(tr("Sperre:"), gbLS), "labTimeout");
    seTimeout = SpinEdit(gbLS, "seTimeout", 1, 999, 10);
    seTimeout->setEnabled(false);
    labTimeoutSek = Named(new QLabel(tr("Sek."), gbLS), "labTimeoutSek");
    ls->addWidget(labTimeout, lr, 0, Qt::AlignRight);
    ls->addWidget(seTimeout, lr, 1);
    ls->addWidget(labTimeoutSek, lr++, 2);
    // The stop pads' own delay after START, in tenths of a second.
    labStopTimeout = Named(new QLabel(tr("Stopp-Sperre:"), gbLS), "labStopTimeout");
    seStopTimeout = Named(new QDoubleSpinBox(gbLS), "seStopTimeout");
    seStopTimeout->setDecimals(1);
    seStopTimeout->setRange(0.5, 999.0);
    seStopTimeout->setSingleStep(0.1);
    seStopTimeout->setEnabled(false);
    labStopTimeoutSek = Named(new QLabel(tr("Sek."), gbLS), "labStopTimeoutSek");
    ls->addWidget(labStopTimeout, lr, 0, Qt::AlignRight);
    ls->addWidget(seStopTimeout, lr, 1);
    ls->addWidget(labStopTimeoutSek, lr, 2);
    grid->addWidget(gbLS, row++, 0, 1, 3);
    grid->addWidget(gbEvent = new TEventSettingsGroup(this), row++, 0, 1, 3);

    // The second column: pads, screens, live results and finals, so the dialog stays low
    // enough for a 768-pixel laptop screen.
    auto* right = new QVBoxLayout;
    right->addWidget(gbPads = new TPadSettingsGroup(this));
    labMonitor = Named(new QLabel(tr("2. Monitor / TV:"), this), "labMonitor");
    cbMonitor = Named(new QComboBox(this), "cbMonitor");
    cbMonitor->setEnabled(false);
    labMonitor->setEnabled(false);
    auto* monitor = new QHBoxLayout;
    monitor->addWidget(labMonitor);
    monitor->addWidget(cbMonitor, 1);
    right->addLayout(monitor);
    // The windows take their texts when they are made, so a change waits for the next start.
    labLang = Named(new QLabel(tr("Sprache:"), this), "labLang");
    cbLang = Named(new QComboBox(this), "cbLang");
    // Each language under its own name, the way its speakers look for it.
    cbLang->addItems({QStringLiteral("Deutsch"), QStringLiteral("English")});
    labLangNote = Named(new QLabel(tr("ab dem nächsten Start"), this), "labLangNote");
    auto* lang = new QHBoxLayout;
    lang->addWidget(labLang);
    lang->addWidget(cbLang);
    lang->addWidget(labLangNote, 1);
    right->addLayout(lang);
    cbHallNames =
        Named(new QCheckBox(tr("Namen und Sieger auf dem 2. Monitor"), this), "cbHallNames");
    right->addWidget(cbHallNames);
    right->addWidget(gbLive = new TLiveSettingsGroup(this));
    right->addWidget(gbFinale = new TFinalsSettingsGroup(this));
    right->addStretch(1);
    grid->addLayout(right, 0, 3, row, 1);

    auto* buttons = new QDialogButtonBox(this);
    OKBtn = Named(buttons->addButton(tr("OK"), QDialogButtonBox::AcceptRole), "OKBtn");
    OKBtn->setDefault(true);
    CancelBtn2 = Named(buttons->addButton(QDialogButtonBox::Cancel), "CancelBtn2");
    grid->addWidget(buttons, row++, 0, 1, 4);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

    connect(cbPort, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { cbPortChange(); });
    // One device cannot be both ports: OK waits for another choice.
    connect(gbPads, &TPadSettingsGroup::ConflictChanged, this,
            [this] { OKBtn->setEnabled(!gbPads->Conflict()); });
    FillPortList(portMask);
}

void TCfgDialog::Edit(const TSettings& settings, int port, int tracks) {
    m_settings = settings;
    m_tracks = tracks;
    // No selection when the stored port was not found: the dialog then offers the last one.
    cbPort->setCurrentIndex(port != 0 ? cbPort->findText(QStringLiteral("COM%1").arg(port)) : 0);
    cbAlg1->setCurrentIndex(settings.Alg1);
    cbAlg2->setCurrentIndex(settings.Alg2);
    cbAlg3->setCurrentIndex(settings.Alg3);
    m_portBefore = cbPort->currentIndex();
    seTimeout->setValue(settings.TimerGesperrt / 1000);
    seStopTimeout->setValue(settings.StopGesperrt / 1000.0);
    seZabegov->setValue(settings.CountZabegov);
    cbTimeFormat->setCurrentIndex(settings.TimeFormat);
    seAuto0->setValue(settings.AutoTime / 1000);
    cbKlass->setCurrentIndex(settings.KlassCol >= 0 && settings.KlassCol <= 5 ? settings.KlassCol
                                                                              : 0);
    cbLang->setCurrentIndex(settings.Lang == 1 ? 1 : 0); // any other value is German
    cbHallNames->setChecked(settings.HallNames);
    gbLive->LoadFrom(settings);
    gbFinale->LoadFrom(settings);
    gbPads->LoadFrom(settings);
    gbEvent->LoadFrom(settings);
}

void TCfgDialog::SetFolderChooser(std::function<QString(const QString&)> choose) {
    gbEvent->ChooseFolder = std::move(choose);
}

TCfgChoice TCfgDialog::Choice() const {
    TCfgChoice c{m_settings, m_portBefore, cbPort->currentIndex(), 0};
    c.edited.KlassCol = cbKlass->currentIndex();
    gbLive->ApplyTo(c.edited);
    gbFinale->ApplyTo(c.edited);
    gbPads->ApplyTo(c.edited);
    gbEvent->ApplyTo(c.edited);
    c.edited.AutoTime = seAuto0->value() * 1000;
    c.edited.CountZabegov = seZabegov->value();
    c.edited.TimeFormat = cbTimeFormat->currentIndex();
    c.edited.TimerGesperrt = seTimeout->value() * 1000;
    c.edited.StopGesperrt = int(std::lround(seStopTimeout->value() * 10)) * 100;
    c.edited.Monitor = std::max(0, cbMonitor->currentIndex());
    // A stored value that is no language stays as it was unless another one is chosen.
    if (cbLang->currentIndex() != (m_settings.Lang == 1 ? 1 : 0))
        c.edited.Lang = cbLang->currentIndex();
    c.edited.HallNames = cbHallNames->isChecked();
    if (c.portNow >= 1) {
        c.portNumber = cbPort->currentText().mid(3, 3).toInt();
        c.edited.Alg1 = cbAlg1->currentIndex();
        c.edited.Alg2 = cbAlg2->currentIndex();
        c.edited.Alg3 = cbAlg3->currentIndex();
    }
    return c;
}

void TCfgDialog::FillPortList(quint32 portMask) {
    const QSignalBlocker quiet(cbPort);
    cbPort->clear();
    cbPort->addItem(tr("Keine"));
    for (int n : PortsInMask(portMask)) {
        cbPort->addItem(QStringLiteral("COM%1").arg(n));
        cbPort->setItemData(cbPort->count() - 1, PortDeviceText(n), Qt::ToolTipRole);
    }
    gbPads->FillPortList(PortsInMask(portMask));
}

void TCfgDialog::FormShow() {
    if (cbPort->currentIndex() < 0) cbPort->setCurrentIndex(cbPort->count() - 1);
    cbPort->setEnabled(cbPort->count() > 1);
    labPort->setEnabled(cbPort->isEnabled());
    cbPortChange();

    const QList<QScreen*> screens = QGuiApplication::screens();
    const bool several = screens.size() > 1;
    cbMonitor->setEnabled(several);
    labMonitor->setEnabled(several);
    cbMonitor->clear();
    if (several) {
        QList<QRect> rects;
        for (QScreen* s : screens)
            rects << s->geometry();
        cbMonitor->addItems(MonitorEntries(rects));
        cbMonitor->setCurrentIndex(m_settings.Monitor);
    } else {
        cbMonitor->addItem(tr("nicht angeschlossen"));
        cbMonitor->setCurrentIndex(0);
    }
}

void TCfgDialog::cbPortChange() {
    const bool port = cbPort->currentIndex() >= 1;
    cbAlg1->setEnabled(port);
    cbAlg2->setEnabled(cbAlg1->isEnabled());
    cbAlg3->setEnabled(cbAlg1->isEnabled() && m_tracks > 1);
    labAlg1->setEnabled(cbAlg1->isEnabled());
    labAlg2->setEnabled(cbAlg2->isEnabled());
    labAlg3->setEnabled(cbAlg3->isEnabled());
    seTimeout->setEnabled(cbAlg1->isEnabled());
    labTimeout->setEnabled(seTimeout->isEnabled());
    labTimeoutSek->setEnabled(seTimeout->isEnabled());
    gbPads->SetContactPort(port ? cbPort->currentText().mid(3, 3).toInt() : 0);
    for (QWidget* w :
         std::initializer_list<QWidget*>{seStopTimeout, labStopTimeout, labStopTimeoutSek})
        w->setEnabled(seTimeout->isEnabled());
    ShowPortDevice();
}

void TCfgDialog::ShowPortDevice() {
    if (cbPort->currentIndex() < 1) {
        labPortDevice->clear();
        return;
    }
    const int n = cbPort->currentText().mid(3, 3).toInt();
    QString text = PortDeviceText(n);
    // The port this program holds would look busy to a probe; it is simply in use.
    if (m_port.Connected() && m_port.Port() == n) {
        text += tr(" – geöffnet");
    } else {
        const QString state = PortStateText(PortState(n));
        if (!state.isEmpty()) text += QStringLiteral(" – ") + state;
    }
    labPortDevice->setText(text);
}

void TCfgDialog::showEvent(QShowEvent* event) {
    FormShow();
    QDialog::showEvent(event);
}
