#include "ui/main/TitleStrip.h"

#include "ui/main/WindowLayout.h"
#include "ui/PanelParts.h"
#include "ui/Pictures.h"
#include "widgets/QtColors.h"

#include <algorithm>
#include <QCalendarWidget>
#include <QEvent>
#include <QFrame>
#include <QMouseEvent>
#include <QTimer>
#include <QToolButton>

namespace {
// The maker's logo: three words, each over a black copy of itself as a shadow.
const char* const LogoWords[3] = {"Tav", "ole", "no"};
const TColor LogoColours[3] = {Colors::clRed, Colors::clGreen, Colors::clNavy};
} // namespace

TTitleStrip::TTitleStrip(QWidget* parent, QWidget* calendarParent) : QLabel(parent) {
    setObjectName(QStringLiteral("ImageTop"));
    setScaledContents(true);
    m_help = ToolButton(this, "bHelp", tr("Hilfe"), QStringLiteral("[F1]"), "help");
    m_settings = ToolButton(this, "bCFG", tr("Einstellungen"), QStringLiteral("[F2]"), "settings");
    m_info = ToolButton(this, "bInfo", QStringLiteral("Info"), QStringLiteral("[F3]"), "info");
    int x = 4;
    for (QToolButton* b : {m_help, m_settings, m_info}) {
        b->setIconSize(QSize(20, 20));
        const QSize hint = b->sizeHint();
        b->setGeometry(x, 1, hint.width(), 30);
        x += hint.width() + 2;
    }
    connect(m_help, &QToolButton::clicked, this, &TTitleStrip::HelpClicked);
    connect(m_settings, &QToolButton::clicked, this, &TTitleStrip::SettingsClicked);
    connect(m_info, &QToolButton::clicked, this, &TTitleStrip::InfoClicked);
    setupLogo(x + 24);

    m_date = Named(new QLabel(QStringLiteral("00:00"), this), "PanelDate");
    m_date->setFixedSize(Design::DatePanelWidth, Design::DatePanelHeight);
    m_date->setAlignment(Qt::AlignCenter);
    m_date->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    m_date->setLineWidth(2);
    m_date->setCursor(Qt::PointingHandCursor);
    SetBackground(m_date, Colors::clBlack);
    SetTextColour(m_date, Colors::clSilver);
    m_date->setFont(DesignFont("Arial", 24));
    m_date->installEventFilter(this);
    m_dateTimer = Named(new QTimer(this), "TimerDate");
    m_dateTimer->setInterval(5000);
    connect(m_dateTimer, &QTimer::timeout, this, &TTitleStrip::ShowDate);
    setupCalendar(calendarParent);
}

void TTitleStrip::setupLogo(int x) {
    const QFont logoFont = DesignFont("Arial", 27, true);
    const QFontMetrics fm(logoFont);
    for (int i = 0; i < 3; ++i) {
        const QString word = QString::fromLatin1(LogoWords[i]);
        const int w = fm.horizontalAdvance(word);
        // The shadow lies two pixels lower and one pixel (the last word two) further right.
        const int dx = i == 2 ? 2 : 1;
        auto* shadow = new QLabel(word, this);
        shadow->setObjectName(QStringLiteral("LabelLogoShadow%1").arg(i + 1));
        auto* label = new QLabel(word, this);
        label->setObjectName(QStringLiteral("LabelLogo%1").arg(i + 1));
        for (QLabel* l : {shadow, label}) {
            l->setFont(logoFont);
            l->setAttribute(Qt::WA_TranslucentBackground);
            l->setToolTip(QStringLiteral("http://www.tavoleno.de"));
        }
        SetTextColour(shadow, Colors::clBlack);
        SetTextColour(label, LogoColours[i]);
        const int top = (Design::StripHeight - fm.height()) / 2 - 1;
        shadow->setGeometry(x + dx, top + 2, w + 1, fm.height());
        label->setGeometry(x, top, w + 1, fm.height());
        label->setCursor(Qt::PointingHandCursor);
        label->installEventFilter(this);
        if (i == 2) {
            shadow->setCursor(Qt::PointingHandCursor);
            shadow->installEventFilter(this);
        }
        m_logo[size_t(i)] = label;
        m_logoShadow[size_t(i)] = shadow;
        x += w;
    }
}

void TTitleStrip::setupCalendar(QWidget* parent) {
    m_calendarPanel = Named(new QFrame(parent), "PanelCal");
    m_calendarPanel->setFrameStyle(QFrame::Panel | QFrame::Raised);
    m_calendarPanel->setLineWidth(3);
    SetBackground(m_calendarPanel, Colors::clSilver);
    m_calendarPanel->resize(Design::CalendarWidth, Design::CalendarHeight);
    m_calendarPanel->hide();
    const int inner = 3;
    const int closeSize = 20;
    auto* close = Named(new QToolButton(m_calendarPanel), "bCalClose");
    close->setIcon(Picture(QStringLiteral("calendar-close")));
    close->setIconSize(QSize(12, 12));
    close->setToolTip(tr("Abbrechen"));
    close->setGeometry(Design::CalendarWidth - inner - closeSize - 1, inner + 1, closeSize,
                       closeSize);
    m_calendarClose = Named(new QLabel(tr("Abbrechen --> "), m_calendarPanel), "LabelCalClose");
    m_calendarClose->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    m_calendarClose->setGeometry(inner, inner + 1, close->x() - inner, closeSize);
    m_calendarClose->setCursor(Qt::PointingHandCursor);
    m_calendarClose->installEventFilter(this);
    m_calendar = Named(new QCalendarWidget(m_calendarPanel), "MonthCalendar1");
    m_calendar->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    m_calendar->setGridVisible(false);
    m_calendar->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    m_calendar->setFont(DesignFont("MS Sans Serif", 16));
    const int calTop = inner + closeSize + 3;
    m_calendar->setGeometry(inner, calTop, Design::CalendarWidth - 2 * inner,
                            Design::CalendarHeight - calTop - inner);
    connect(close, &QToolButton::clicked, m_calendarPanel, &QWidget::hide);
}

void TTitleStrip::StartDateClock() {
    m_calendar->setSelectedDate(WallClockNow().date());
    ShowDate();
    m_dateTimer->start();
}

void TTitleStrip::ShowDate() {
    m_date->setText(DatePanelText(WallClockNow(), QLocale()));
}

void TTitleStrip::SetHelpAvailable(bool available) {
    m_help->setEnabled(available);
}

void TTitleStrip::AddInfoMenuAction(QAction* action) {
    m_info->addAction(action);
    m_info->setContextMenuPolicy(Qt::ActionsContextMenu);
}

void TTitleStrip::SetSettingsEnabled(bool enabled) {
    m_settings->setEnabled(enabled);
}

void TTitleStrip::LayOut(int width) {
    setGeometry(0, 0, width, Design::StripHeight);
    m_date->move(width - Design::DatePanelWidth, 0);
    if (m_calendarPanel->isVisible())
        m_calendarPanel->setGeometry(CalendarGeometry(m_date->geometry()));
}

void TTitleStrip::OpenCalendar() {
    const QPoint at = m_date->mapTo(m_calendarPanel->parentWidget(), QPoint(0, 0));
    m_calendarPanel->setGeometry(CalendarGeometry(QRect(at, m_date->size())));
    m_calendarPanel->show();
    m_calendarPanel->raise();
}

void TTitleStrip::resizeEvent(QResizeEvent* event) {
    QLabel::resizeEvent(event);
    setPixmap(PicturePixmap(QStringLiteral("strip"), size(), devicePixelRatioF()));
}

bool TTitleStrip::eventFilter(QObject* watched, QEvent* event) {
    const bool released = event->type() == QEvent::MouseButtonRelease &&
                          static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (!released) return QLabel::eventFilter(watched, event);
    if (watched == m_date) {
        OpenCalendar();
    } else if (watched == m_calendarClose) {
        m_calendarPanel->hide();
    } else if (std::find(m_logo.begin(), m_logo.end(), watched) != m_logo.end() ||
               watched == m_logoShadow[2]) {
        emit LogoClicked();
    } else {
        return QLabel::eventFilter(watched, event);
    }
    return true;
}
