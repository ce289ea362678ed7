#include "ui/audience/FMonitor2.h"
#include "widgets/QtColors.h"

#include "core/Competition.h"
#include "core/RunController.h"
#include "core/Settings.h"
#include "core/TimeFormat.h"
#include "ui/finals/BracketView.h"
#include "ui/PanelParts.h"
#include "widgets/Udigit.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <QCloseEvent>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QPainter>
#include <QScreen>
#include <QTimer>

namespace {
// The main window's time panel keeps this width whatever its window does.
constexpr int kDesignPanelWidth = 350;

int RoundScaled(int v, double k) {
    return RoundHalfEven(double(v) * k);
}

QRect ScaledBox(const QRect& r, double kx, double ky) {
    // Left and right edges are scaled, not the width, so neighbours keep meeting exactly.
    const int left = RoundScaled(r.x(), kx);
    const int right = RoundScaled(r.x() + r.width(), kx);
    const int top = RoundScaled(r.y(), ky);
    const int bottom = RoundScaled(r.y() + r.height(), ky);
    return QRect(left, top, std::max(0, right - left), std::max(0, bottom - top));
}

// A box from (x1, y1) to (x2, y2), exclusive, never with a negative size.
QRect Span(int x1, int y1, int x2, int y2) {
    return QRect(x1, y1, std::max(0, x2 - x1), std::max(0, y2 - y1));
}

QLabel* Label(QWidget* parent, const char* name, const QString& text, const QString& family,
              TColor colour, Qt::Alignment align) {
    auto* l = new QLabel(text, parent);
    l->setObjectName(QString::fromLatin1(name));
    QFont f(family);
    f.setBold(true);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, ToQColor(colour));
    l->setPalette(pal);
    l->setAlignment(align);
    return l;
}

// Black text on a light lane colour, white on a dark one.
TColor TextOn(TColor bgr) {
    const int r = int(bgr & 0xFF), g = int((bgr >> 8) & 0xFF), b = int((bgr >> 16) & 0xFF);
    return 299 * r + 587 * g + 114 * b > 150000 ? Colors::clBlack : TColor(0xFFFFFF);
}

// The winner's marks: a bar at either side of the row, in the lane colour. It lies below the
// digits and is shown only once a run is over, so the clock tick never paints it.
class TWinnerMark : public QWidget {
public:
    explicit TWinnerMark(QWidget* parent) : QWidget(parent) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
    }
    int bar = 0;
    QColor colour;

protected:
    void paintEvent(QPaintEvent*) override {
        QPainter p(this);
        p.fillRect(0, 0, bar, height(), colour);
        p.fillRect(width() - bar, 0, bar, height(), colour);
    }
};

// A font's size in points from the way it was given (pixels are taken at 96 dots per inch,
// where the main window's design sizes hold).
int FontPoints(const QFont& f) {
    if (f.pointSize() > 0) return f.pointSize();
    if (f.pixelSize() > 0) return RoundHalfEven(f.pixelSize() * 72.0 / 96.0);
    return 48;
}
} // namespace

int RoundHalfEven(double x) {
    if (std::isnan(x)) return 0;
    constexpr double lo = double(std::numeric_limits<int>::min());
    constexpr double hi = double(std::numeric_limits<int>::max());
    // nearbyint follows the default rounding mode, which is to the nearest, ties to even.
    return int(std::clamp(std::nearbyint(x), lo, hi));
}

double Monitor2Scale(int clientWidth, int panelWidth) {
    if (panelWidth <= 0) panelWidth = kDesignPanelWidth;
    return double(std::max(0, clientWidth)) / double(panelWidth);
}

TMonitor2Layout Monitor2Layout(const TMonitor2LayoutInput& in) {
    TMonitor2Layout out;
    const int H = std::max(0, in.height);
    const double kx = std::isfinite(in.kx) && in.kx > 0 ? in.kx : 0.0;
    const double ky = std::isfinite(in.ky) && in.ky > 0 ? in.ky : 0.0;

    out.stripHeight = H / 12;
    out.stripPoints = std::max(1, RoundHalfEven(out.stripHeight * 0.7));
    out.digitHeight = ((H - out.stripHeight) / 10) * 4;

    const int scaledThickness = RoundScaled(in.mainThickness, kx);
    for (int i = 0; i < 12; ++i) {
        const QRect main = i < 6 ? in.mainRow1[size_t(i)] : in.mainRow2[size_t(i - 6)];
        QRect box = ScaledBox(main, kx, ky);
        out.scaled[size_t(i)] = box;
        // The thickness must fit the scaled box, before the box gets the common height.
        const bool fits = scaledThickness <= box.width() / 2 && scaledThickness <= box.height() / 2;
        out.thickness[size_t(i)] = fits ? scaledThickness : in.heldThickness[size_t(i)];
        box.setHeight(out.digitHeight);
        if (i >= 6) box.moveTop(H / 2); // track 2 starts at half the height
        out.digits[size_t(i)] = box;
    }
    // With one tower the lower half would stay black: its row grows as tall as the screen
    // allows beside its strip and the hanging comma, and the whole stands in the middle. The
    // row cannot grow wider, it already spans the screen.
    int stripHeight = 0;
    const int hang = 2 * out.thickness[1];
    if (in.towers < 2) {
        const int area = std::max(0, H - out.stripHeight);
        out.digitHeight = area * 7 / 10;
        stripHeight = in.names ? out.digitHeight / 7 : 0;
        const int gap = stripHeight / 8;
        const int block = stripHeight + gap + out.digitHeight + hang;
        const int top = std::max(0, (area - block) / 2) + stripHeight + gap;
        for (int i = 0; i < 6; ++i) {
            out.digits[size_t(i)].setHeight(out.digitHeight);
            out.digits[size_t(i)].moveTop(top);
        }
    }

    out.separatorPoints = std::max(1, RoundScaled(in.separatorPoints, kx));
    const auto& d = out.digits;
    const int t2 = out.thickness[1];
    // The comma hangs below the digits by a bar's width; the colon stops a half bar short.
    out.comma1 = Span(d[3].x() + d[3].width(), d[3].y(), d[4].x(), d[3].bottom() + 1 + 2 * t2);
    out.colon1 = Span(d[1].x() + d[1].width(), d[1].y(), d[2].x(), d[1].bottom() + 1 - t2);
    const int t2b = out.thickness[7];
    out.colon2 = Span(d[7].x() + d[7].width(), d[7].y(), d[8].x(), d[7].bottom() + 1 - t2b);
    out.comma2 = out.comma1;
    out.comma2.moveTop(d[9].y());

    // The strips take the bands above the rows, left of the first comma, which hangs into the
    // band of the second row; they are never lower than a tenth of a digit, so a name can be
    // read from the back of the hall.
    const int lineLeft = d[0].x(), lineRight = out.comma1.x();
    const int rowRight = d[5].x() + d[5].width();
    if (!in.names) {
        // Without names a strip holds no more than a lane's reaction, small above its row.
        for (size_t t = 0; t < 2; ++t) {
            const QRect& first = d[t * 6];
            const int h = std::max(1, out.digitHeight / 6);
            out.strip[t] = Span(first.x(), std::max(0, first.y() - h), first.x() + in.width / 3,
                                std::max(0, first.y() - h) + h);
        }
    } else if (in.towers < 2) {
        out.strip[0] = Span(lineLeft, d[0].y() - stripHeight - stripHeight / 8, rowRight,
                            d[0].y() - stripHeight / 8);
    } else {
        const int band1 = d[0].y(), band2 = d[6].y() - (d[0].bottom() + 1);
        const int h = std::max(out.digitHeight / 10, std::min(band1, band2) * 9 / 10);
        const int y1 = std::max(0, (band1 - h) / 2);
        const int y2 = d[0].bottom() + 1 + std::max(0, (band2 - h) / 2);
        out.strip[0] = Span(lineLeft, y1, lineRight, y1 + h);
        out.strip[1] = Span(lineLeft, y2, lineRight, y2 + h);
        out.heading = Span(lineRight, y1, rowRight, y1 + h);
    }
    // The winner's bars stand in the margins beside the row, as tall as its digits.
    const int margin = std::max(0, std::min(lineLeft, std::max(0, in.width) - rowRight));
    out.winnerBar = std::min(out.thickness[0], margin / 2);
    const int reach = out.winnerBar + (margin - out.winnerBar) / 2;
    for (size_t t = 0; t < 2; ++t) {
        const QRect& first = d[t * 6];
        out.winner[t] =
            Span(lineLeft - reach, first.y(), rowRight + reach, first.y() + first.height());
    }
    return out;
}

TMonitor2Visibility Monitor2Visibility(int countBahn, int timeFormat) {
    const bool two = countBahn >= 2;
    const bool minutes = NormalizedTimeFormat(timeFormat) == tfMinutes;
    return {two, minutes, two && minutes};
}

QRect Monitor2ScreenRect(const QList<QRect>& screens, int index) {
    if (screens.isEmpty()) return QRect();
    if (index < 0 || index >= screens.size()) index = 0;
    return screens[index];
}

// --- the window ----------------------------------------------------------------------------

TFormMonitor2::TFormMonitor2(const TSettings& settings, const TCompetition& competition,
                             const TRunController& run, std::array<const TTrackClock*, 2> clocks)
    : QWidget(nullptr, Qt::Window | Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_settings(settings), m_competition(competition), m_run(run), m_clocks(clocks) {
    setObjectName(QStringLiteral("FormMonitor2"));
    setWindowTitle(QStringLiteral("Monitor 2"));
    // Closing the main window ends the program even while the audience still watches.
    setAttribute(Qt::WA_QuitOnClose, false);
    QFont f(QStringLiteral("Arial"));
    f.setBold(true);
    setFont(f);
    setAutoFillBackground(true);
    QPalette pal = palette();
    pal.setColor(QPalette::Window, Qt::black);
    pal.setColor(QPalette::WindowText, Qt::white);
    setPalette(pal);
    setupPanels();
    setupDigits();
    setupHall();
    setupBracket();
    connect(qApp, &QGuiApplication::screenRemoved, this,
            [this](QScreen* screen) { ScreenRemoved(screen); });
    connect(qApp, &QGuiApplication::screenAdded, this, &TFormMonitor2::ScreensChanged);
    PlaceAndLayout();
}

TFormMonitor2::~TFormMonitor2() = default;

void TFormMonitor2::setupPanels() {
    Panel1 = ColouredPanel(this, "Panel1", Colors::clBlack);
    PanelTimer = ColouredPanel(Panel1, "PanelTimer", Colors::clBlack);
    PanelBot = ColouredPanel(Panel1, "PanelBot", 0x202020);
    // The pointer would be a stray mark on the audience's screen.
    Panel1->setCursor(Qt::BlankCursor);
    const QString arial = QStringLiteral("Arial");
    LabelB1 = Label(PanelBot, "LabelB1", QStringLiteral("Tavo"), arial, Colors::clRed,
                    Qt::AlignRight | Qt::AlignVCenter);
    LabelB2 = Label(PanelBot, "LabelB2", QStringLiteral("le"), arial, 0x00FF00,
                    Qt::AlignHCenter | Qt::AlignVCenter);
    LabelB3 = Label(PanelBot, "LabelB3", QStringLiteral("no"), arial, 0xFFFF00,
                    Qt::AlignLeft | Qt::AlignVCenter);
}

void TFormMonitor2::setupDigits() {
    static const char* names[12] = {"Digit3",  "Digit4",  "Digit5",  "Digit6",
                                    "Digit7",  "Digit8",  "Digit3a", "Digit4a",
                                    "Digit5a", "Digit6a", "Digit7a", "Digit8a"};
    std::array<TDigit*, 12> all{};
    for (int i = 0; i < 12; ++i) {
        auto* d = new TDigit(PanelTimer);
        d->setObjectName(QString::fromLatin1(names[i]));
        d->setColor(Colors::clBlack);
        d->setColorOff(Colors::clBlack);
        d->setValueBinary(125);
        d->setSeparation(1);
        d->setThickness(6);
        d->setColorOn(i % 6 < 3 ? Colors::clDimGrey : Colors::clYellow);
        all[size_t(i)] = d;
    }
    Digit3 = all[0], Digit4 = all[1], Digit5 = all[2], Digit6 = all[3], Digit7 = all[4],
    Digit8 = all[5];
    Digit3a = all[6], Digit4a = all[7], Digit5a = all[8], Digit6a = all[9], Digit7a = all[10],
    Digit8a = all[11];
    const QString tnr = QStringLiteral("Times New Roman");
    const Qt::Alignment colon = Qt::AlignHCenter | Qt::AlignVCenter;
    const Qt::Alignment comma = Qt::AlignHCenter | Qt::AlignBottom;
    LabMin = Label(PanelTimer, "LabMin", QStringLiteral(":"), tnr, Colors::clDimGrey, colon);
    LabSec = Label(PanelTimer, "LabSec", QStringLiteral(","), tnr, Colors::clYellow, comma);
    LabMin2 = Label(PanelTimer, "LabMin2", QStringLiteral(":"), tnr, Colors::clDimGrey, colon);
    LabSec2 = Label(PanelTimer, "LabSec2", QStringLiteral(","), tnr, Colors::clYellow, comma);
}

void TFormMonitor2::setupHall() {
    const QString arial = QStringLiteral("Arial");
    const Qt::Alignment left = Qt::AlignLeft | Qt::AlignVCenter;
    for (int t = 0; t < 2; ++t) {
        const QString n = QString::number(t + 1);
        auto named = [&](QLabel* l, const char* name) {
            l->setObjectName(QString::fromLatin1(name) + n);
            // Too long a name is cut at the strip's end rather than pushing the others out.
            l->setMinimumSize(1, 1);
            return l;
        };
        TStrip& s = m_strips[size_t(t)];
        s.panel = ColouredPanel(PanelTimer, t == 0 ? "PanelName1" : "PanelName2", Colors::clBlack);
        s.colour = named(new QLabel(s.panel), "LabColor");
        s.colour->setAutoFillBackground(true);
        s.number = named(Label(s.panel, "", QString(), arial, 0xFFFFFF, left), "LabStNr");
        s.name = named(Label(s.panel, "", QString(), arial, 0xFFFFFF, left), "LabName");
        s.club = named(Label(s.panel, "", QString(), arial, 0xC0C0C0, left), "LabClub");
        s.category = named(Label(s.panel, "", QString(), arial, 0xC0C0C0, left), "LabKlasse");
        s.mark = named(Label(s.panel, "", QString(), arial, Colors::clRed, left), "LabDis");
        m_reaction[size_t(t)] = Label(s.panel, t == 0 ? "LabReact" : "LabReact2", QString(), arial,
                                      Colors::clYellow, left);
        m_reaction[size_t(t)]->hide();
        auto* row = new QHBoxLayout(s.panel);
        row->setContentsMargins(0, 0, 0, 0);
        row->addWidget(s.colour);
        row->addWidget(s.number);
        row->addWidget(s.name);
        row->addWidget(s.club);
        row->addWidget(s.category);
        row->addWidget(s.mark);
        row->addStretch(1);
        row->addWidget(m_reaction[size_t(t)]);
    }
    PanelName1 = m_strips[0].panel;
    PanelName2 = m_strips[1].panel;
    LabHeat =
        Label(PanelTimer, "LabHeat", QString(), arial, 0xFFFFFF, Qt::AlignRight | Qt::AlignVCenter);
    LabHeat->hide();
    auto* w1 = new TWinnerMark(PanelTimer);
    auto* w2 = new TWinnerMark(PanelTimer);
    MarkWinner1 = w1, MarkWinner2 = w2;
    MarkWinner1->setObjectName(QStringLiteral("MarkWinner1"));
    MarkWinner2->setObjectName(QStringLiteral("MarkWinner2"));
    for (QWidget* m : {MarkWinner1, MarkWinner2}) {
        m->hide();
        m->lower(); // below the digits: a digit's repaint never touches it
    }
    // What the strips show changes with the heat and the run, never with the clock tick; a
    // contact's handler only queues the refresh.
    connect(&m_competition, &TCompetition::Changed, this, &TFormMonitor2::ScheduleBoard);
    const TRunController* run = &m_run;
    for (auto signal :
         {&TRunController::Started, &TRunController::WasReset, &TRunController::Aborted,
          &TRunController::RunEnded, &TRunController::Changed})
        connect(run, signal, this, &TFormMonitor2::ScheduleBoard);
    connect(run, &TRunController::TrackStoppedAt, this, &TFormMonitor2::ScheduleBoard);
    connect(run, &TRunController::ReactionTaken, this, &TFormMonitor2::ScheduleBoard);
    connect(run, &TRunController::FalseStartCleared, this, &TFormMonitor2::ScheduleBoard);
    RefreshBoard();
}

bool TFormMonitor2::NamesShown() const {
    return m_settings.HallNames;
}

void TFormMonitor2::ScheduleBoard() {
    if (m_boardPending) return;
    m_boardPending = true;
    QTimer::singleShot(0, this, &TFormMonitor2::RefreshBoard);
}

void TFormMonitor2::RefreshBoard() {
    m_boardPending = false;
    const bool names = NamesShown();
    THallBoard board = HallBoard(m_competition, m_run);
    if (!names) board = THallBoard{};
    const TColor colours[2] = {m_settings.Color1, m_settings.Color2};
    const bool two = Monitor2Visibility(m_competition.CountBahn(), m_settings.TimeFormat).row2;
    for (size_t t = 0; t < 2; ++t) {
        const THallLane& lane = board.lanes[t];
        TStrip& s = m_strips[t];
        const bool won = board.winner == int(t);
        // The winner's strip takes the lane colour whole, seen from the back of the hall.
        const TColor back = won ? colours[t] : Colors::clBlack;
        s.panel->setAutoFillBackground(names);
        QPalette pal = s.panel->palette();
        pal.setColor(QPalette::Window, ToQColor(back));
        s.panel->setPalette(pal);
        QPalette block = s.colour->palette();
        block.setColor(QPalette::Window, ToQColor(colours[t]));
        s.colour->setPalette(block);
        s.number->setText(lane.startNumber);
        s.name->setText(lane.name);
        s.club->setText(lane.club);
        s.category->setText(lane.category);
        s.mark->setText(lane.mark);
        const TColor text = won ? TextOn(colours[t]) : TColor(0xFFFFFF);
        SetTextColour(s.number, text);
        SetTextColour(s.name, text);
        const TColor dim = won ? text : TColor(0xC0C0C0);
        SetTextColour(s.club, dim);
        SetTextColour(s.category, dim);
        const bool someone = !lane.startNumber.isEmpty() || !lane.name.isEmpty();
        s.colour->setVisible(names && (t == 0 || two));
        for (QLabel* l : {s.number, s.name, s.club, s.category})
            l->setVisible(names && !l->text().isEmpty());
        s.mark->setVisible(names && someone && !lane.mark.isEmpty());
        s.panel->setVisible(t == 0 || two);
        QWidget* mark = t == 0 ? MarkWinner1 : MarkWinner2;
        static_cast<TWinnerMark*>(mark)->colour = ToQColor(colours[t]);
        mark->setVisible(won);
        if (won) mark->update();
    }
    LabHeat->setText(board.heading);
    LabHeat->setVisible(names && !board.heading.isEmpty());
    m_board = board;
}

std::array<TDigit*, 6> TFormMonitor2::Row(int track) const {
    if (track == 0) return {Digit3, Digit4, Digit5, Digit6, Digit7, Digit8};
    return {Digit3a, Digit4a, Digit5a, Digit6a, Digit7a, Digit8a};
}

void TFormMonitor2::MirrorDigits(int track, const TDigitRow& shown) {
    // The setters return at once when nothing changed, so a tick repaints only what moved.
    const auto row = Row(track);
    for (size_t i = 0; i < 3; ++i) {
        row[i]->setValue(shown.values[i]);
        row[i]->setColorOn(shown.lit[i]);
    }
    SetTextColour(track == 0 ? LabMin : LabMin2, row[1]->ColorOn());
    for (size_t i = 3; i < 6; ++i)
        row[i]->setValue(shown.values[i]);
    // A false start's letters replace the figures; a time's figures come back with it.
    for (size_t i = 0; i < 6; ++i)
        row[i]->setValueBinary(shown.patterns[i]);
    if (m_falseStart[size_t(track == 0 ? 0 : 1)] != shown.falseStart) {
        m_falseStart[size_t(track == 0 ? 0 : 1)] = shown.falseStart;
        ApplyVisibility(); // "FS" stands without the comma
    }
}

void TFormMonitor2::ShowReaction(int track, const QString& text) {
    QLabel* label = m_reaction[track == 0 ? 0 : 1];
    label->setText(text.isEmpty() ? QString() : QStringLiteral("R ") + text);
    label->setVisible(!text.isEmpty());
}

void TFormMonitor2::ApplyVisibility() {
    const TMonitor2Visibility v =
        Monitor2Visibility(m_competition.CountBahn(), m_settings.TimeFormat);
    for (TDigit* d : Row(1))
        d->setVisible(v.row2);
    LabSec2->setVisible(v.row2 && !m_falseStart[1]);
    LabSec->setVisible(!m_falseStart[0]);
    LabMin->setVisible(v.colon1);
    LabMin2->setVisible(v.colon2);
    PanelName2->setVisible(v.row2);
    // One tower or two lay the rows out differently.
    if (m_laidOutTowers != m_competition.CountBahn() && m_laidOutTowers != 0) {
        LayOut();
        RefreshBoard();
    }
}

void TFormMonitor2::PlaceAndLayout() {
    ApplyVisibility();
    const QList<QScreen*> screens = QGuiApplication::screens();
    QList<QRect> rects;
    for (QScreen* s : screens)
        rects << s->geometry(); // the whole monitor, task bar included
    const int index =
        m_settings.Monitor >= 0 && m_settings.Monitor < screens.size() ? m_settings.Monitor : 0;
    m_placing = true;
    if (!screens.isEmpty()) {
        m_screen = screens[index];
        setScreen(screens[index]);
        setGeometry(Monitor2ScreenRect(rects, index));
    }
    m_placing = false;
    m_kx = Monitor2Scale(width(), m_clocks[0]->Shape().panelWidth);
    m_ky = m_kx * 1.0;
    LayOut();
    RefreshBoard();
}

void TFormMonitor2::LayOut() {
    const int H = height();
    const int CW = width();
    TMonitor2LayoutInput in;
    in.height = H;
    in.kx = m_kx;
    in.ky = m_ky;
    const TClockShape one = m_clocks[0]->Shape();
    in.mainRow1 = one.digits;
    in.mainRow2 = m_clocks[1]->Shape().digits;
    in.mainThickness = one.thickness;
    in.separatorPoints = FontPoints(one.separator);
    in.width = CW;
    in.towers = m_laidOutTowers = m_competition.CountBahn();
    in.names = NamesShown();
    std::array<TDigit*, 12> all{};
    const auto r1 = Row(0), r2 = Row(1);
    std::copy(r1.begin(), r1.end(), all.begin());
    std::copy(r2.begin(), r2.end(), all.begin() + 6);
    for (size_t i = 0; i < 12; ++i)
        in.heldThickness[i] = all[i]->Thickness();
    const TMonitor2Layout L = Monitor2Layout(in);

    Panel1->setGeometry(0, 0, CW, H);
    PanelTimer->setGeometry(0, 0, CW, H - L.stripHeight);
    PanelBot->setGeometry(0, H - L.stripHeight, CW, L.stripHeight);
    QFont strip = font();
    strip.setPointSize(L.stripPoints);
    for (QLabel* l : {LabelB1, LabelB2, LabelB3})
        l->setFont(strip);
    // The middle part is as wide as its text; the outer two meet it in the middle.
    const int w = QFontMetrics(LabelB2->font()).horizontalAdvance(LabelB2->text());
    const int side = std::max(0, (CW - w) / 2);
    LabelB1->setGeometry(0, 0, side, L.stripHeight);
    LabelB3->setGeometry(CW - side, 0, side, L.stripHeight);
    LabelB2->setGeometry(side, 0, std::max(0, CW - 2 * side), L.stripHeight);

    const int scaledThickness = RoundHalfEven(in.mainThickness * m_kx);
    for (size_t i = 0; i < 12; ++i) {
        // The digit itself checks the thickness against the box it has, as the rule wants.
        all[i]->setGeometry(L.scaled[i]);
        all[i]->setThickness(scaledThickness);
        all[i]->setGeometry(L.digits[i]);
    }
    for (QLabel* l : {LabMin, LabSec, LabMin2, LabSec2}) {
        QFont f = l->font();
        f.setPointSize(L.separatorPoints);
        l->setFont(f);
    }
    BracketView->setGeometry(PanelTimer->geometry());
    LabMin->setGeometry(L.colon1);
    LabSec->setGeometry(L.comma1);
    LabMin2->setGeometry(L.colon2);
    LabSec2->setGeometry(L.comma2);
    for (size_t t = 0; t < 2; ++t) {
        const TStrip& s = m_strips[t];
        const int h = L.strip[t].height();
        QFont f = m_reaction[t]->font();
        f.setPixelSize(std::max(1, h * 3 / 4));
        for (QLabel* l : {s.number, s.name, s.club, s.category, s.mark, m_reaction[t]})
            l->setFont(f);
        s.colour->setFixedWidth(std::max(1, h / 3));
        s.panel->layout()->setSpacing(std::max(1, h / 3));
        s.panel->setGeometry(L.strip[t]);
        QWidget* mark = t == 0 ? MarkWinner1 : MarkWinner2;
        static_cast<TWinnerMark*>(mark)->bar = L.winnerBar;
        mark->setGeometry(L.winner[t]);
    }
    QFont heading = LabHeat->font();
    heading.setPixelSize(std::max(1, L.heading.height() * 3 / 4));
    LabHeat->setFont(heading);
    LabHeat->setGeometry(L.heading);
}

QScreen* TFormMonitor2::PlacedScreen() const {
    return m_screen;
}

void TFormMonitor2::CloseTvMode() {
    ReleaseTvMode();
    close();
}

void TFormMonitor2::ReleaseTvMode() {
    emit TvModeReleased();
}

void TFormMonitor2::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    PlaceAndLayout();
}

void TFormMonitor2::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (!m_placing) LayOut();
}

void TFormMonitor2::keyPressEvent(QKeyEvent* event) {
    // On any other monitor the operator does not sit in front of it: a stray Escape there
    // must not take the times away from the audience.
    if (event->key() == Qt::Key_Escape && m_settings.Monitor == 0) {
        CloseTvMode();
        return;
    }
    event->ignore();
}

void TFormMonitor2::closeEvent(QCloseEvent* event) {
    // Hidden, never destroyed: the window lives as long as the program. A close that comes
    // from the window system (Alt+F4) switches TV mode off like Escape; the program's own
    // closing of every window at its end must not, or the flag would be saved as off.
    event->accept();
    if (event->spontaneous()) ReleaseTvMode();
}

void TFormMonitor2::ScreenRemoved(QScreen* screen) {
    // A window left on a screen that is gone, or a full-screen window on top of the
    // operator's only screen, helps nobody: TV mode goes off and waits for the operator.
    const bool ownScreenGone = screen == m_screen || m_screen.isNull();
    if (isVisible() && (ownScreenGone || QGuiApplication::screens().size() < 2)) CloseTvMode();
    if (ownScreenGone) m_screen = nullptr;
    emit ScreensChanged();
}

// --- the finals bracket ---------------------------------------------------------------------

void TFormMonitor2::setupBracket() {
    // Over the digits, never in their place: the digits keep their layout and values.
    BracketView = new TBracketView(Panel1, TBracketView::Dark);
    BracketView->hide();
    // The bracket changes only with the competition; the clock tick never reaches it.
    connect(&m_competition, &TCompetition::Changed, this, [this](TCompetition::TChange what) {
        if (what == TCompetition::BracketChanged || what == TCompetition::HeatChanged ||
            what == TCompetition::RowsChanged)
            RefreshBracket();
    });
    const TRunController* run = &m_run;
    for (auto signal : {&TRunController::Started, &TRunController::WasReset,
                        &TRunController::Aborted, &TRunController::RunEnded})
        connect(run, signal, this, [this] { ShowBracketOrDigits(); });
    connect(run, &TRunController::Changed, this, [this] { ShowBracketOrDigits(); });
    RefreshBracket();
}

void TFormMonitor2::RefreshBracket() {
    const TCompetition& c = m_competition;
    BracketView->SetBracket(
        c.Bracket(), [&c](int entry) { return BracketName(c, entry); }, m_settings.TimeFormat);
    BracketView->SetEmptyText(c.BracketNote());
    const int current = c.CurrentBracket();
    BracketView->SetTitle(current >= 0 && c.BracketKlassCol() > 0
                              ? TCompetition::CategoryLabel(c.Brackets()[current].Category)
                              : QString());
    ShowBracketOrDigits();
}

bool TFormMonitor2::BracketShown() const {
    return m_competition.Mode() == TCompetition::FinaleKo && m_run.IsReady();
}

void TFormMonitor2::ShowBracketOrDigits() {
    const bool show = BracketShown();
    if (show == BracketView->isVisibleTo(this)) return;
    BracketView->setVisible(show);
    if (show) BracketView->raise();
}
