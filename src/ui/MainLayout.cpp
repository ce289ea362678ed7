// Building and arranging the main window's controls. The constructor runs the setup steps
// in an order where every step finds what it needs: panels first, then what sits on them,
// then the menus whose actions share the buttons' enabled flags, then timers and the port.
// The regions are placed by hand (LayoutWindow) rather than by Qt layouts: their sizes are
// fixed pixel rules, and the middle column must keep its bounds when one tower is used.
#include "core/ParticipantList.h"
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "input/Comms.h"
#include "input/PortNames.h"
#include "ui/Dialogs.h"
#include "ui/FInfo.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "ui/Fonts.h"
#include "ui/Help.h"
#include "ui/Pictures.h"
#include "ui/WindowLayout.h"
#include "widgets/BeamImage.h"
#include "widgets/BitBtnWithColor.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"
#include "widgets/Udigit.h"

#include <QApplication>
#include <QCalendarWidget>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPlainTextEdit>
#include <QStatusBar>
#include <QTextCharFormat>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
template <typename W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

void SetBackground(QWidget* w, TColor colour) {
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToQColor(colour));
    w->setPalette(pal);
}

QWidget* ColouredPanel(QWidget* parent, const char* name, TColor colour) {
    auto* w = Named(new QWidget(parent), name);
    SetBackground(w, colour);
    return w;
}

QFont DesignFont(const char* family, int pixels, bool bold = false) {
    QFont f(QString::fromLatin1(family));
    f.setPixelSize(pixels);
    f.setBold(bold);
    return f;
}

QLabel* TimeLabel(QWidget* parent, const char* name, const QString& text, const char* family,
                  int pixels, TColor colour, QRect geometry) {
    auto* l = Named(new QLabel(text, parent), name);
    l->setFont(DesignFont(family, pixels, true));
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, ToQColor(colour));
    l->setPalette(pal);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(geometry);
    return l;
}

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, const char* picture) {
    auto* b = Named(new QToolButton(parent), name);
    b->setIcon(Picture(QString::fromLatin1(picture)));
    b->setIconSize(QSize(22, 22));
    b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                            : Qt::ToolButtonTextBesideIcon);
    b->setText(caption);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setMinimumSize(30, 30);
    return b;
}

QFrame* ColourShape(QWidget* parent, const char* name, TColor c) {
    auto* f = Named(new QFrame(parent), name);
    SetBackground(f, c);
    return f;
}

// The maker's logo: three words, each over a black copy of itself as a shadow.
const char* const LogoWords[3] = {"Tav", "ole", "no"};
const TColor LogoColours[3] = {Colors::clRed, Colors::clGreen, Colors::clNavy};
const char* const MakerPage = "http://www.tavoleno.de";

// The status bar's two fixed panels.
const char* const StatusTexts[2] = {"Tavoleno - Zeitmessung", "V 1.9"};
} // namespace

TFormMain::TFormMain(TAppParts& parts, TDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), Settings(parts.Settings), Store(parts.Store.get()), Run(parts.Run.get()),
      Competition(parts.Competition.get()), Participants(parts.Participants.get()),
      Dialogs(dialogs ? dialogs : SystemDialogs()), ComPort(parts.Port.get()) {
    setObjectName(QStringLiteral("FormMain"));
    InstallFontSubstitutes();
    InitResources();
    setFont(DesignFont("MS Sans Serif", 11));
    setWindowIcon(Picture(QStringLiteral("veltaro")));
    setupPanels();
    setupTopStrip();
    setupTrackDisplays();
    setupCommandButtons();
    setupSelectionRow();
    setupProtocolArea();
    setupStatusBar();
    setupCalendar();
    setupCompetition();
    setupMenus();
    setupOffice();
    setupTimers();
    setupComPort();
    setupRun();
    // Last, when every control the filter looks at exists.
    for (QObject* o : std::initializer_list<QObject*>{
             labEditON, SortGrid1->viewport(), SortGrid1->InplaceEditor(), ImageTop, PanelTitle,
             PanelT1, PanelT2, Shape1, Shape2, PanelDate, LabelCalClose, LabelLogo[0], LabelLogo[1],
             LabelLogo[2], LabelLogoShadow[2]})
        o->installEventFilter(this);
    Help = new THelp(this);
    setupSounds();
    FormCreate();
}

TFormMain::~TFormMain() {
    ShutdownStep(QStringLiteral("settings"));
    SaveSettings();
    // The event thread stops while the controls its handlers touch are still there.
    ShutdownStep(QStringLiteral("close port"));
    ComPort->Close();
    Run->disconnect(this);
}

void TFormMain::setupPanels() {
    setWindowTitle(QStringLiteral("TL-Veltaro 1.9"));
    resize(Design::WindowWidth, Design::WindowHeight);
    setMinimumHeight(Design::MinHeight);
    auto* central = ColouredPanel(this, "FormMainClient", Colors::clSkyBlue);
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    PanelTop = ColouredPanel(central, "PanelTop", Colors::clSkyBlue);
    PanelTop->setFixedHeight(Design::TopBarHeight);
    PanelTimer = ColouredPanel(central, "PanelTimer", Colors::clBlack);
    PanelTimer->setFixedHeight(Design::TimerHeight);
    PanelProtokoll = ColouredPanel(central, "PanelProtokoll", Colors::clSkyBlue);
    PanelProtokoll->setMinimumWidth(Design::ProtocolMinWidth);
    v->addWidget(PanelTop);
    v->addWidget(PanelTimer);
    v->addWidget(PanelProtokoll, 1);

    Panel = Named(new QWidget(PanelTop), "Panel");
    PanelLL = Named(new QWidget(Panel), "PanelLL");
    Panel1 = Named(new QWidget(Panel), "Panel1");
    PanelRR = Named(new QWidget(Panel), "PanelRR");

    // The filler first: it lies behind the other panels of the timer area.
    PanelTTT2 = ColouredPanel(PanelTimer, "PanelTTT2", Colors::clSkyBlue);
    PanelTTT2->hide();
    PanelT1 = ColouredPanel(PanelTimer, "PanelT1", Colors::clBlack);
    PanelT2 = ColouredPanel(PanelTimer, "PanelT2", Colors::clBlack);
    Panel7 = ColouredPanel(PanelTimer, "Panel7", Colors::clSkyBlue);
    PanelT1->setGeometry(0, 0, Design::TrackPanelWidth, Design::TimerHeight);
    PanelT2->setGeometry(Design::WindowWidth - Design::TrackPanelWidth, 0, Design::TrackPanelWidth,
                         Design::TimerHeight);
    Panel7->setGeometry(DockedMiddleColumn(Design::WindowWidth));
}

void TFormMain::setupTopStrip() {
    ImageTop = Named(new QLabel(PanelTop), "ImageTop");
    ImageTop->setScaledContents(true);
    bHelp = ToolButton(ImageTop, "bHelp", QStringLiteral("Hilfe"), QStringLiteral("[F1]"), "help");
    bCFG = ToolButton(ImageTop, "bCFG", QStringLiteral("Einstellungen"), QStringLiteral("[F2]"),
                      "settings");
    bInfo = ToolButton(ImageTop, "bInfo", QStringLiteral("Info"), QStringLiteral("[F3]"), "info");
    int x = 4;
    for (QToolButton* b : {bHelp, bCFG, bInfo}) {
        b->setIconSize(QSize(20, 20));
        const QSize hint = b->sizeHint();
        b->setGeometry(x, 1, hint.width(), 30);
        x += hint.width() + 2;
    }

    const QFont logoFont = DesignFont("Arial", 27, true);
    const QFontMetrics fm(logoFont);
    x += 24;
    for (int i = 0; i < 3; ++i) {
        const QString word = QString::fromLatin1(LogoWords[i]);
        const int w = fm.horizontalAdvance(word);
        // The shadow lies two pixels lower and one pixel (the last word two) further right.
        const int dx = i == 2 ? 2 : 1;
        auto* shadow = new QLabel(word, ImageTop);
        shadow->setObjectName(QStringLiteral("LabelLogoShadow%1").arg(i + 1));
        auto* label = new QLabel(word, ImageTop);
        label->setObjectName(QStringLiteral("LabelLogo%1").arg(i + 1));
        for (QLabel* l : {shadow, label}) {
            l->setFont(logoFont);
            l->setAttribute(Qt::WA_TranslucentBackground);
            l->setToolTip(QString::fromLatin1(MakerPage));
        }
        QPalette sp = shadow->palette();
        sp.setColor(QPalette::WindowText, Qt::black);
        shadow->setPalette(sp);
        QPalette lp = label->palette();
        lp.setColor(QPalette::WindowText, ToQColor(LogoColours[i]));
        label->setPalette(lp);
        const int top = (Design::StripHeight - fm.height()) / 2 - 1;
        shadow->setGeometry(x + dx, top + 2, w + 1, fm.height());
        label->setGeometry(x, top, w + 1, fm.height());
        label->setCursor(Qt::PointingHandCursor);
        if (i == 2) shadow->setCursor(Qt::PointingHandCursor);
        LabelLogo[i] = label;
        LabelLogoShadow[i] = shadow;
        x += w;
    }

    PanelDate = Named(new QLabel(QStringLiteral("00:00"), ImageTop), "PanelDate");
    PanelDate->setFixedSize(Design::DatePanelWidth, Design::DatePanelHeight);
    PanelDate->setAlignment(Qt::AlignCenter);
    PanelDate->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelDate->setLineWidth(2);
    PanelDate->setCursor(Qt::PointingHandCursor);
    SetBackground(PanelDate, Colors::clBlack);
    QPalette dp = PanelDate->palette();
    dp.setColor(QPalette::WindowText, ToQColor(Colors::clSilver));
    PanelDate->setPalette(dp);
    PanelDate->setFont(DesignFont("Arial", 24));
}

void TFormMain::setupTrackDisplays() {
    static const int digitLeft[6] = {8, 56, 128, 176, 248, 296};
    static const char* names1[6] = {"Digit1_0", "Digit1_1", "Digit1_2",
                                    "Digit1_3", "Digit1_4", "Digit1_5"};
    static const char* names2[6] = {"Digit2_0", "Digit2_1", "Digit2_2",
                                    "Digit2_3", "Digit2_4", "Digit2_5"};
    for (int track = 0; track < 2; ++track) {
        QWidget* panel = track == 0 ? PanelT1 : PanelT2;
        auto& digits = track == 0 ? Digits1 : Digits2;
        for (int i = 0; i < 6; ++i) {
            auto* d = Named(new TDigit(panel), track == 0 ? names1[i] : names2[i]);
            d->setGeometry(digitLeft[i], 11, 45, 89);
            d->setThickness(5);
            d->setSeparation(1);
            d->setColor(Colors::clBlack);
            d->setColorOff(Colors::clBlack);
            d->setColorOn(i < 3 ? Colors::clDimGrey : Colors::clYellow);
            digits[i] = d;
        }
        QLabel* colon = TimeLabel(panel, track == 0 ? "LabMin1" : "LabMin2", ":", "Times New Roman",
                                  64, Colors::clDimGrey, QRect(104, 11, 25, 89));
        QLabel* comma = TimeLabel(panel, track == 0 ? "LabSec1" : "LabSec2", ",", "Times New Roman",
                                  64, Colors::clYellow, QRect(224, 41, 25, 81));
        QLabel* mins = TimeLabel(panel, track == 0 ? "Lab1_min" : "Lab2_min", "Min.", "Arial", 19,
                                 Colors::clDimGrey, QRect(37, 106, 60, 24));
        QLabel* secs = TimeLabel(panel, track == 0 ? "Lab1_sek" : "Lab2_sek", "Sek.", "Arial", 19,
                                 Colors::clYellow, QRect(156, 106, 60, 24));
        QLabel* hund = TimeLabel(panel, track == 0 ? "Lab1_100" : "Lab2_100", "100", "Arial", 19,
                                 Colors::clYellow, QRect(278, 106, 60, 24));
        if (track == 0) {
            LabMin1 = colon, LabSec1 = comma, Lab1_min = mins, Lab1_sek = secs, Lab1_100 = hund;
        } else {
            LabMin2 = colon, LabSec2 = comma, Lab2_min = mins, Lab2_sek = secs, Lab2_100 = hund;
        }
    }
}

void TFormMain::setupCommandButtons() {
    Panel5 = Named(new QWidget(Panel7), "Panel5");
    ImageLSstart = Named(new TImageLS(Panel5), "ImageLSstart");
    ImageLSstart->setToolTip(QStringLiteral("Start-LS Sperre"));
    bSTART = Named(new TBitBtnWithColor(QStringLiteral("START"), Panel5), "bSTART");
    bSTART->setToolTip(QStringLiteral("[F8]"));
    Button1 = Named(new QToolButton(Panel5), "Button1");
    Button1->setText(QStringLiteral("+ 1 Std."));
    Button1->hide();
    Button2 = Named(new QToolButton(Panel5), "Button2");
    Button2->setText(QStringLiteral("+ 9 Min."));
    Button2->hide();

    PanelLE = Named(new QWidget(Panel7), "PanelLE");
    PanelRI = Named(new QWidget(Panel7), "PanelRI");
    ImageLS1 = Named(new TImageLS(PanelLE), "ImageLS1");
    ImageLS1->setToolTip(QStringLiteral("[F11] Блокировка луча СТОП1"));
    bSTOP1 = Named(new TBitBtnWithColor(QStringLiteral("STOP1"), PanelLE), "bSTOP1");
    bSTOP1->setToolTip(QStringLiteral("[F4]"));
    bSTOP1->Tag = 0;
    ImageLS2 = Named(new TImageLS(PanelRI), "ImageLS2");
    ImageLS2->setToolTip(QStringLiteral("[F12] Блокировка луча СТОП2"));
    bSTOP2 = Named(new TBitBtnWithColor(QStringLiteral("STOP2"), PanelRI), "bSTOP2");
    bSTOP2->setToolTip(QStringLiteral("[F6]"));
    bSTOP2->Tag = 1;

    // Above the stop parts, in the middle of the column's bottom.
    bAbbruch = Named(new TBitBtnWithColor(QStringLiteral("ABBRECHEN"), Panel7), "bAbbruch");
    bAbbruch->setToolTip(QStringLiteral("[Ctrl+X]"));
    bAbbruch->setFontColor(Colors::clYellow);

    for (TImageLS* image : {ImageLSstart, ImageLS1, ImageLS2}) {
        image->hide(); // shown while the contact port is open
        image->OnClick = [this, image] { ImageLSClick(image); };
    }

    bSTART->OnClick = [this] { mStartClick(); };
    bSTART->OnMouseDown = [this](Qt::MouseButton) { bSTARTMouseDown(); };
    bSTOP1->OnMouseDown = [this](Qt::MouseButton) { bSTOP1MouseDown(); };
    bSTOP2->OnMouseDown = [this](Qt::MouseButton) { bSTOP2MouseDown(); };
    // STOP acts on the press only: a keyboard "click" of a focused STOP button does nothing.
    bSTOP1->setAutoDefault(false);
    bSTOP2->setAutoDefault(false);
    bAbbruch->OnClick = [this] { Abruch1Click(); }; // the controller refuses when it cannot
    connect(Button1, &QToolButton::clicked, this, [this] { Button1Click(Button1); });
    connect(Button2, &QToolButton::clicked, this, [this] { Button1Click(Button2); });
}

void TFormMain::setupSelectionRow() {
    for (int track = 0; track < 2; ++track) {
        QWidget* part = track == 0 ? PanelLL : PanelRR;
        auto* g = new QVBoxLayout(part);
        g->setContentsMargins(2, 0, 2, 2);
        g->setSpacing(1);
        QFrame* bar = ColourShape(part, track == 0 ? "Shape1a" : "Shape2a", TrackColor(track));
        bar->setFixedHeight(7);
        auto* line = new QHBoxLayout;
        auto* caption = Named(new QLabel(track == 0 ? QStringLiteral(" Kletterturm 1 ")
                                                    : QStringLiteral(" Kletterturm 2 "),
                                         part),
                              track == 0 ? "LabelZabeg1" : "LabelZabeg2");
        caption->setFont(DesignFont("Arial", 16, true));
        QFrame* square = ColourShape(part, track == 0 ? "Shape1" : "Shape2", TrackColor(track));
        square->setFixedSize(25, 23);
        square->setFrameStyle(QFrame::Box | QFrame::Plain);
        square->setCursor(Qt::PointingHandCursor);
        square->setToolTip(QStringLiteral("Farbe"));
        auto* list = Named(new QComboBox(part), track == 0 ? "cbBuhn1" : "cbBuhn2");
        list->setMaxVisibleItems(20);
        list->setMinimumWidth(294);
        list->setEnabled(false);
        if (track == 0) {
            sbLoad = ToolButton(part, "sbLoad", QString(), QStringLiteral("[Ctrl+O]"), "open");
            sbLoad->setIconSize(QSize(18, 18));
            sbLoad->setMinimumSize(24, 24);
            sbLoad->setFixedHeight(24);
            line->addWidget(sbLoad);
            line->addWidget(caption, 1, Qt::AlignRight);
            line->addWidget(square);
        } else {
            line->addWidget(square);
            line->addWidget(caption, 1, Qt::AlignLeft);
        }
        g->addWidget(bar);
        g->addLayout(line);
        g->addWidget(list);
        if (track == 0) {
            Shape1a = bar, LabelZabeg1 = caption, Shape1 = square, cbBuhn1 = list;
        } else {
            Shape2a = bar, LabelZabeg2 = caption, Shape2 = square, cbBuhn2 = list;
        }
        list->setModel(Participants); // both lists show the one participant list
    }

    auto* mid = new QVBoxLayout(Panel1);
    mid->setContentsMargins(2, 8, 2, 2);
    mid->setSpacing(1);
    cbVid = Named(new QComboBox(Panel1), "cbVid");
    cbVid->addItems({QStringLiteral("Qualifikation"), QStringLiteral("Individuelles Klettern"),
                     QStringLiteral("Paarrennen"), QStringLiteral("Finale (K.-o.)")});
    cbVid->setToolTip(QStringLiteral("Wettkampfsart"));
    auto* midRow = new QHBoxLayout;
    seObmen =
        ToolButton(Panel1, "seObmen", QString(), QStringLiteral("[Ctrl+0] Turme wechseln"), "swap");
    seObmen->setIconSize(QSize(18, 18));
    seObmen->setFixedSize(36, 22);
    seObmen->setEnabled(false);
    cbAllTrasse = Named(new QCheckBox(QStringLiteral("Auf allen Strecken"), Panel1), "cbAllTrasse");
    cbAllTrasse->hide();
    midRow->addStretch(1);
    midRow->addWidget(seObmen);
    midRow->addWidget(cbAllTrasse);
    midRow->addStretch(1);
    mid->addWidget(cbVid);
    mid->addLayout(midRow);
    connect(cbVid, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        Settings.Vid = index;
        cbVidChange();
    });
    connect(cbAllTrasse, &QCheckBox::toggled, this, [this](bool on) {
        Settings.AllTrasse = on;
        ApplyCompetitionSettings();
    });
    connect(seObmen, &QToolButton::clicked, this, [this] { seObmenClick(); });
}

void TFormMain::setupProtocolArea() {
    auto* v = new QVBoxLayout(PanelProtokoll);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    PanelTitle = Named(new QLabel(PanelProtokoll), "PanelTitle");
    PanelTitle->setFixedHeight(Design::TitleBarHeight);
    PanelTitle->setScaledContents(true);
    auto* bar = new QHBoxLayout(PanelTitle);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(1);
    sbSave = ToolButton(PanelTitle, "sbSave", QString(),
                        QStringLiteral("[Ctrl+S] Speichern unter..."), "save");
    sbCLS = ToolButton(PanelTitle, "sbCLS", QString(), QStringLiteral("[Ctrl -] Zeile loschen"),
                       "delete-line");
    sbCLSall = ToolButton(PanelTitle, "sbCLSall", QString(), QStringLiteral("Protokoll loschen"),
                          "delete-protocol");
    sbPrint =
        ToolButton(PanelTitle, "sbPrint", QString(), QStringLiteral("[Ctrl+P] Drucken"), "print");
    cbEditON = Named(new QCheckBox(PanelTitle), "cbEditON");
    labEditON = Named(new QLabel(QStringLiteral("Editieren"), PanelTitle), "labEditON");
    sb1 = ToolButton(PanelTitle, "sb1", QString(), QStringLiteral("1. Turm"), "track1");
    sb1del = ToolButton(PanelTitle, "sb1del", QStringLiteral("1"), QStringLiteral("1. Turm DIS"),
                        "disqualify");
    sbSound =
        ToolButton(PanelTitle, "sbSound", QString(), QStringLiteral("[Ctrl+`] Sound"), "sound-on");
    bRESET = Named(new TBitBtnWithColor(QStringLiteral("0:00"), PanelTitle), "bRESET");
    bRESET->setToolTip(QStringLiteral("[F9] Reset"));
    bRESET->setFixedSize(75, 34);
    cbAuto0 = Named(new QCheckBox(PanelTitle), "cbAuto0");
    cbAuto0->setChecked(true);
    sb2del = ToolButton(PanelTitle, "sb2del", QStringLiteral("2"), QStringLiteral("2. Turm DIS"),
                        "disqualify");
    sb2 = ToolButton(PanelTitle, "sb2", QString(), QStringLiteral("2. Turm"), "track2");
    cbSort = Named(new QCheckBox(PanelTitle), "cbSort");
    cbSort->setToolTip(QStringLiteral("Сортировать по местам"));
    LabelSort = Named(new QLabel(QStringLiteral("Sortieren"), PanelTitle), "LabelSort");
    sbWord = ToolButton(PanelTitle, "sbWord", QString(),
                        QStringLiteral("[Ctrl+W] Datei in MS Word"), "document");
    sbExcel = ToolButton(PanelTitle, "sbExcel", QString(),
                         QStringLiteral("[Ctrl+E] Datei in MS Excel"), "spreadsheet");
    sbInet =
        ToolButton(PanelTitle, "sbInet", QString(), QStringLiteral("[Ctrl+H] Als HTML"), "html");
    sbMon2 =
        ToolButton(PanelTitle, "sbMon2", QString(), QStringLiteral("[Ctrl+T] 2. Monitor/TV"), "tv");
    sbMon2->setCheckable(true);
    sbMon2->setEnabled(false);
    auto* title =
        Named(new QLabel(QStringLiteral("P R O T O K O L L"), PanelTitle), "LabelProtokoll");
    title->setFont(DesignFont("Arial", 18, true));
    for (QWidget* w : std::initializer_list<QWidget*>{sbSave, sbCLS, sbCLSall, sbPrint, cbEditON,
                                                      labEditON, sb1, sb1del, sbSound})
        bar->addWidget(w);
    bar->addStretch(1);
    bar->addWidget(bRESET);
    bar->addWidget(cbAuto0);
    bar->addStretch(1);
    bar->addWidget(title);
    bar->addStretch(1);
    for (QWidget* w : std::initializer_list<QWidget*>{sb2del, sb2, cbSort, LabelSort, sbWord,
                                                      sbExcel, sbInet, sbMon2})
        bar->addWidget(w);
    for (QWidget* w : std::initializer_list<QWidget*>{sb1, sb2, sb1del, sb2del})
        w->setEnabled(false);

    SortGrid1 = Named(new TSortGrid(PanelProtokoll), "SortGrid1");
    SortGrid1->setColCount(Col::Count);
    SortGrid1->setRowCount(2);
    SortGrid1->setFixedRows(1);
    SortGrid1->setDefaultColWidth(32);
    SortGrid1->setDefaultRowHeight(20);
    SortGrid1->setFont(DesignFont("Courier", 16));
    SortGrid1->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                          goDrawFocusSelected | goColSizing | goRowSelect);
    // Only when the columns cannot fit (six runs in the minutes format in a narrow window)
    // does a sideways scroll bar appear, so "Zeit" and "Platz" can still be reached.
    SortGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    SortGrid1->SortOptions.CanSort = false;
    SortGrid1->SortOptions.SecondaryIndex = QStringLiteral("0");
    v->addWidget(PanelTitle);
    v->addWidget(SortGrid1, 1);

    SortGrid1->OnSelectCell = [this](int col, int, bool& canSelect) {
        SelectedCol = col;
        canSelect = true;
    };
    SortGrid1->OnRowSelected = [this] { SortGrid1RowSelected(); };
    SortGrid1->OnDblClick = [this] { ProtocolDblClick(SortGrid1->DblClickRow()); };
    SortGrid1->OnGetSortStyle = [this](int col, TSortStyle& style) {
        SortGrid1GetSortStyle(col, style);
    };
    SortGrid1->OnGetCellFormat = [this](int col, int row, TGridDrawState, TFormatOptions& f, bool&,
                                        bool&, bool&) {
        // A failure while looking at the lists must never keep a cell from being drawn.
        try {
            SortGrid1GetCellFormat(col, row, f);
        } catch (...) {
        }
    };

    PopupMenuDelStr = Named(new QMenu(this), "PopupMenuDelStr");
    struct Entry {
        const char* caption;
        int tag;
    };
    for (Entry e :
         {Entry{"2 Zeile loschen", 2}, Entry{"3 Zeile loschen", 3}, Entry{"4 Zeile loschen", 4},
          Entry{"5 Zeile loschen", 5}, Entry{"10 Zeile loschen", 10},
          Entry{"Bis zum Ende des Protokolls loschen", 65000}}) {
        QAction* a = PopupMenuDelStr->addAction(QString::fromUtf8(e.caption));
        a->setData(e.tag);
        connect(a, &QAction::triggered, this, [this, a] { ProtocolCommand(a->data().toInt()); });
    }
    sbCLS->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(sbCLS, &QWidget::customContextMenuRequested, this,
            [this](const QPoint& p) { PopupMenuDelStr->popup(sbCLS->mapToGlobal(p)); });
    connect(sbCLS, &QToolButton::clicked, this, [this] { ProtocolCommand(0); });
    connect(sbCLSall, &QToolButton::clicked, this, [this] { ProtocolCommand(1); });
    connect(sb1del, &QToolButton::clicked, this, [this] { sbDelClick(0); });
    connect(sb2del, &QToolButton::clicked, this, [this] { sbDelClick(1); });
    connect(sb1, &QToolButton::clicked, this, [this] { sb1Click(1); });
    connect(sb2, &QToolButton::clicked, this, [this] { sb1Click(2); });
    connect(cbEditON, &QCheckBox::clicked, this, [this] { cbEditONClick(); });
    connect(cbSort, &QCheckBox::toggled, this, [this](bool on) {
        ApplyCompetitionSettings();
        Competition->SetSorted(on);
    });
    connect(cbAuto0, &QCheckBox::clicked, this, [this] { cbAuto0Click(); });
    bRESET->OnClick = [this] { mResetClick(); };
    bRESET->OnMouseDown = [this](Qt::MouseButton) { bRESETMouseDown(); };
}

void TFormMain::setupStatusBar() {
    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    setStatusBar(StatusBar1);
    StatusBar1->setSizeGripEnabled(false);
    StatusBar1->setFixedHeight(Design::StatusBarHeight);
    const QString texts[3] = {QString(), QString::fromLatin1(StatusTexts[0]),
                              QString::fromLatin1(StatusTexts[1])};
    // Placed by hand (LayoutWindow): the status bar's own layout would add its margins and
    // make the bar taller than the design's 19 pixels.
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(texts[i], StatusBar1);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setAlignment(i == 2 ? Qt::AlignLeft | Qt::AlignVCenter : Qt::AlignCenter);
        l->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        l->setLineWidth(1);
        l->setIndent(3);
        StatusPanels[i] = l;
    }
    StatusNote = Named(new QLabel(StatusBar1), "StatusNote");
    StatusNote->setIndent(3);
    QPalette np = StatusNote->palette();
    np.setColor(QPalette::WindowText, ToQColor(Colors::clRed));
    StatusNote->setPalette(np);
}

void TFormMain::SetStatusNote(TNote slot, const QString& text) {
    if (m_notes[slot] == text) return; // asked on every UpdateControls: mostly nothing changed
    m_notes[slot] = text;
    QStringList shown;
    for (const QString& n : m_notes)
        if (!n.isEmpty()) shown << n;
    StatusNote->setText(shown.join(QStringLiteral(" – ")));
    StatusNote->setToolTip(StatusNote->text());
}

void TFormMain::setupCalendar() {
    PanelCal = Named(new QFrame(centralWidget()), "PanelCal");
    PanelCal->setFrameStyle(QFrame::Panel | QFrame::Raised);
    PanelCal->setLineWidth(3);
    SetBackground(PanelCal, Colors::clSilver);
    PanelCal->resize(Design::CalendarWidth, Design::CalendarHeight);
    PanelCal->hide();
    const int inner = 3;
    const int closeSize = 20;
    bCalClose = Named(new QToolButton(PanelCal), "bCalClose");
    bCalClose->setIcon(Picture(QStringLiteral("calendar-close")));
    bCalClose->setIconSize(QSize(12, 12));
    bCalClose->setToolTip(QStringLiteral("Abbrechen"));
    bCalClose->setGeometry(Design::CalendarWidth - inner - closeSize - 1, inner + 1, closeSize,
                           closeSize);
    LabelCalClose = Named(new QLabel(QStringLiteral("Abbrechen --> "), PanelCal), "LabelCalClose");
    LabelCalClose->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LabelCalClose->setGeometry(inner, inner + 1, bCalClose->x() - inner, closeSize);
    LabelCalClose->setCursor(Qt::PointingHandCursor);
    MonthCalendar1 = Named(new QCalendarWidget(PanelCal), "MonthCalendar1");
    MonthCalendar1->setVerticalHeaderFormat(QCalendarWidget::ISOWeekNumbers);
    MonthCalendar1->setGridVisible(false);
    MonthCalendar1->setHorizontalHeaderFormat(QCalendarWidget::SingleLetterDayNames);
    MonthCalendar1->setFont(DesignFont("MS Sans Serif", 16));
    const int calTop = inner + closeSize + 3;
    MonthCalendar1->setGeometry(inner, calTop, Design::CalendarWidth - 2 * inner,
                                Design::CalendarHeight - calTop - inner);
    connect(bCalClose, &QToolButton::clicked, this, [this] { CalendarClose(); });
}

void TFormMain::setupMenus() {
    FKeys = Named(new QMenu(QStringLiteral("FKeys"), this), "FKeys");
    CtrlKeys = Named(new QMenu(QStringLiteral("CtrlKeys"), this), "CtrlKeys");
    auto item = [this](QMenu* menu, const char* name, const QString& caption,
                       const QKeySequence& key, int tag = 0) {
        QAction* a = Named(new QAction(caption, this), name);
        a->setShortcut(key);
        a->setShortcutContext(Qt::WindowShortcut);
        a->setData(tag);
        menu->addAction(a);
        addAction(a); // the menus are never shown; the window carries the keys
        return a;
    };
    mHelp = item(FKeys, "mHelp", "Hilfe", QKeySequence(Qt::Key_F1));
    mConfig = item(FKeys, "mConfig", "Config", QKeySequence(Qt::Key_F2));
    mInfo = item(FKeys, "mInfo", "Info", QKeySequence(Qt::Key_F3));
    mSTOP1 = item(FKeys, "mSTOP1", "Stop1", QKeySequence(Qt::Key_F4), 0);
    mStop2 = item(FKeys, "mStop2", "Stop2", QKeySequence(Qt::Key_F6), 1);
    mStart = item(FKeys, "mStart", "Start", QKeySequence(Qt::Key_F8));
    mReset = item(FKeys, "mReset", "00:00", QKeySequence(Qt::Key_F9));
    LockLSstart = item(FKeys, "LockLSstart", "Lock LS start", QKeySequence(Qt::Key_F10));
    LockLS1 = item(FKeys, "LockLS1", "LockLS1", QKeySequence(Qt::Key_F11));
    LockLS21 = item(FKeys, "LockLS21", "LockLS2", QKeySequence(Qt::Key_F12));

    Open1 = item(CtrlKeys, "Open1", "Open", QKeySequence(Qt::CTRL | Qt::Key_O));
    Save1 = item(CtrlKeys, "Save1", "Save", QKeySequence(Qt::CTRL | Qt::Key_S));
    TVmode = item(CtrlKeys, "TVmode", "TV mode", QKeySequence(Qt::CTRL | Qt::Key_T));
    Print1 = item(CtrlKeys, "Print1", "Print", QKeySequence(Qt::CTRL | Qt::Key_P), 1);
    StrDel1 = item(CtrlKeys, "StrDel1", "Str Del", QKeySequence(Qt::CTRL | Qt::Key_Minus), 0);
    StrDel2 = item(CtrlKeys, "StrDel2", "Str del", QKeySequence(), 0); // its key: FormCreate
    Word1 = item(CtrlKeys, "Word1", "Word", QKeySequence(Qt::CTRL | Qt::Key_W));
    Excel1 = item(CtrlKeys, "Excel1", "Excel", QKeySequence(Qt::CTRL | Qt::Key_E));
    Html1 = item(CtrlKeys, "Html1", "Html", QKeySequence(Qt::CTRL | Qt::Key_H), 0);
    CLS1 = item(CtrlKeys, "CLS1", "CLS", QKeySequence(Qt::CTRL | Qt::Key_Delete), 1);
    Abruch1 = item(CtrlKeys, "Abruch1", "Abruch", QKeySequence(Qt::CTRL | Qt::Key_X));
    Trasse1 = item(CtrlKeys, "Trasse1", "Trasse 1", QKeySequence(Qt::CTRL | Qt::Key_1), 1);
    Trasse2 = item(CtrlKeys, "Trasse2", "Trasse 2", QKeySequence(Qt::CTRL | Qt::Key_2), 2);
    SwapTrasse = item(CtrlKeys, "SwapTrasse", "SwapTrasse", QKeySequence(Qt::CTRL | Qt::Key_0));
    mSound = item(CtrlKeys, "mSound", "Sound", QKeySequence(Qt::CTRL | Qt::Key_QuoteLeft));
    // Qt gives a key shared by two actions to neither, so the second item takes the key that
    // sits left of 1 on a German keyboard.
    mSound0 = item(CtrlKeys, "mSound0", "Sound", QKeySequence(Qt::CTRL | Qt::Key_AsciiCircum));
    mBracket = item(CtrlKeys, "mBracket", "K.-o.-Feld", QKeySequence(Qt::CTRL | Qt::Key_K));
    mBracketHtml = item(CtrlKeys, "mBracketHtml", "K.-o.-Feld Html",
                        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H));
    // The run keys act whichever of the program's windows has the focus (the bracket window,
    // the audience window on the operator's screen); a modal dialog still holds them back, as
    // it holds back the main window they belong to.
    for (QAction* a : {mSTOP1, mStop2, mStart, mReset, Abruch1, LockLSstart, LockLS1, LockLS21})
        a->setShortcutContext(Qt::ApplicationShortcut);

    connect(mStart, &QAction::triggered, this, [this] { mStartClick(); });
    connect(mSTOP1, &QAction::triggered, this, [this] { mSTOP1Click(); });
    connect(mStop2, &QAction::triggered, this, [this] { mStop2Click(); });
    connect(mReset, &QAction::triggered, this, [this] { mResetClick(); });
    connect(Abruch1, &QAction::triggered, this, [this] { Abruch1Click(); });
    connect(LockLSstart, &QAction::triggered, this, [this] { LockLSstartClick(); });
    connect(LockLS1, &QAction::triggered, this, [this] { LockLS1Click(); });
    connect(LockLS21, &QAction::triggered, this, [this] { LockLS21Click(); });
    connect(StrDel1, &QAction::triggered, this, [this] { ProtocolCommand(0); });
    connect(StrDel2, &QAction::triggered, this, [this] { ProtocolCommand(0); });
    connect(CLS1, &QAction::triggered, this, [this] { ProtocolCommand(1); });
    connect(Trasse1, &QAction::triggered, this, [this] { sb1Click(1); });
    connect(Trasse2, &QAction::triggered, this, [this] { sb1Click(2); });
    connect(SwapTrasse, &QAction::triggered, this, [this] { seObmenClick(); });
    connect(Open1, &QAction::triggered, this, [this] { sbLoadClick(); });
    connect(Save1, &QAction::triggered, this, [this] { sbSaveClick(); });
    connect(Html1, &QAction::triggered, this, [this] { sbInetClick(0); });
    connect(Print1, &QAction::triggered, this, [this] { sbInetClick(1); });
    connect(sbLoad, &QToolButton::clicked, this, [this] { sbLoadClick(); });
    connect(sbSave, &QToolButton::clicked, this, [this] { sbSaveClick(); });
    connect(sbInet, &QToolButton::clicked, this, [this] { sbInetClick(0); });
    connect(sbPrint, &QToolButton::clicked, this, [this] { sbInetClick(1); });
    TVmode->setEnabled(false); // until a second screen is seen (StartTvMode)
    connect(TVmode, &QAction::triggered, this, [this] { TVmodeClick(); });
    connect(sbMon2, &QToolButton::clicked, this, [this] { sbMon2Click(); });
    connect(mHelp, &QAction::triggered, this, [this] { bHelpClick(); });
    connect(bHelp, &QToolButton::clicked, this, [this] { bHelpClick(); });
    connect(mInfo, &QAction::triggered, this, [this] { bInfoClick(); });
    connect(bInfo, &QToolButton::clicked, this, [this] { bInfoClick(); });
    connect(bCFG, &QToolButton::clicked, this, [this] { bCFGClick(); });
    connect(mConfig, &QAction::triggered, this, [this] { bCFGClick(); });
    connect(mBracket, &QAction::triggered, this, [this] { mBracketClick(); });
    connect(mBracketHtml, &QAction::triggered, this, [this] { mBracketHtmlClick(); });
}

void TFormMain::setupTimers() {
    Clock = Named(new QTimer(this), "Clock");
    Clock->setInterval(10);
    Clock->setTimerType(Qt::PreciseTimer);
    connect(Clock, &QTimer::timeout, this, [this] { ClockTimer(); });
    TimerDate = Named(new QTimer(this), "TimerDate");
    TimerDate->setInterval(5000);
    connect(TimerDate, &QTimer::timeout, this, [this] { TimerDateTimer(); });
}

void TFormMain::setupRun() {
    connect(Run, &TRunController::Started, this, &TFormMain::RunStarted);
    connect(Run, &TRunController::TrackStoppedAt, this, &TFormMain::RunTrackStopped);
    connect(Run, &TRunController::WasReset, this, [this] { RunBackToReady(true); });
    connect(Run, &TRunController::Aborted, this, [this] { RunBackToReady(false); });
    connect(Run, &TRunController::RunEnded, this, [this] { RunBackToReady(false); });
    connect(Run, &TRunController::BeamsChanged, this, &TFormMain::ShowBeams);
    connect(Run, &TRunController::Changed, this, &TFormMain::UpdateControls);
    // The box starts checked and the run follows it, never the other way round.
    cbAuto0Click();
}

void TFormMain::setupComPort() {
    connect(ComPort, &TComPort::OnCTS, this, &TFormMain::ComPortCTS);
    connect(ComPort, &TComPort::OnDSR, this, &TFormMain::ComPortDSR);
    connect(ComPort, &TComPort::OnRLSD, this, &TFormMain::ComPortRLSD);
    connect(ComPort, &TComPort::OnOpen, this, &TFormMain::ComPortOpen);
    connect(ComPort, &TComPort::OnClose, this, &TFormMain::ComPortClose);
}

void TFormMain::ApplyTrackCount() {
    Competition->SetRunCounter(0);
    const bool two = Settings.CountBahn >= 2;
    for (QWidget* w : std::initializer_list<QWidget*>{LabelZabeg2, cbBuhn2, Shape2, Shape2a,
                                                      seObmen, PanelRI, sb1, sb2, sb2del, PanelT2})
        w->setVisible(two);
    PanelTTT2->setVisible(!two);
    PanelTTT2->lower();
    if (two) {
        bSTOP1->setText(QStringLiteral("STOP1"));
        sb1del->setText(QStringLiteral("1"));
        SetCommandEnabled(bSTOP2, mStop2, false, Colors::clRed);
    } else {
        bSTOP1->setText(QStringLiteral("STOP"));
        sb1del->setText(QString());
    }
    if (FormMonitor2) FormMonitor2->ApplyVisibility();
    LayoutWindow();
    RepaintProtocol();
}

void TFormMain::LayoutWindow() {
    const int W = width();
    ImageTop->setGeometry(0, 0, W, Design::StripHeight);
    PanelDate->move(W - Design::DatePanelWidth, 0);

    Panel->setGeometry(0, Design::StripHeight, W, Design::SelectionRowHeight);
    const TRowParts row = SelectionRowWidths(W, Settings.CountBahn);
    PanelLL->setGeometry(0, 0, row.left, Design::SelectionRowHeight);
    Panel1->setGeometry(row.left, 0, row.middle, Design::SelectionRowHeight);
    PanelRR->setGeometry(row.left + row.middle, 0, row.right, Design::SelectionRowHeight);

    PanelT1->setGeometry(0, 0, Design::TrackPanelWidth, Design::TimerHeight);
    PanelT2->setGeometry(W - Design::TrackPanelWidth, 0, Design::TrackPanelWidth,
                         Design::TimerHeight);
    // With one tower the middle column is not docked: it keeps the bounds it had, and the
    // filler behind it covers the rest of the timer area.
    if (Settings.CountBahn >= 2) Panel7->setGeometry(DockedMiddleColumn(W));
    PanelTTT2->setGeometry(FillerGeometry(W));
    LayoutMiddleColumn();

    const auto widths =
        ProtocolColumnWidths(SortGrid1->ClientWidth(), Settings.TimeFormat, Settings.CountZabegov);
    for (int c = 0; c < Col::Count; ++c)
        SortGrid1->setColWidths(c, widths[size_t(c)]);

    int x = 0;
    for (int i = 0; i < 3; ++i) {
        StatusPanels[i]->setGeometry(x, 2, Design::StatusPanelWidths[size_t(i)],
                                     Design::StatusBarHeight - 3);
        x += Design::StatusPanelWidths[size_t(i)] + 2;
    }
    StatusNote->setGeometry(x, 2, std::max(0, W - x - 2), Design::StatusBarHeight - 3);
    if (PanelCal->isVisible()) PanelCal->setGeometry(CalendarGeometry(PanelDate->geometry()));
}

void TFormMain::LayoutMiddleColumn() {
    const int w = Panel7->width();
    const int lower = Design::TimerHeight - Design::Panel5Height;
    Panel5->setGeometry(0, 0, w, Design::Panel5Height);
    // The start lock picture above START; START at the bottom of its part.
    ImageLSstart->move((w - ImageLSstart->width()) / 2, 1);
    bSTART->setGeometry((w - Design::StartWidth) / 2,
                        Design::Panel5Height - Design::ButtonHeight - 1, Design::StartWidth,
                        Design::ButtonHeight);
    if (Settings.CountBahn >= 2) {
        const int part = StopPartWidth(w);
        PanelLE->setGeometry(0, Design::Panel5Height, part, lower);
        PanelRI->setGeometry(w - part, Design::Panel5Height, part, lower);
    } else {
        PanelLE->setGeometry(0, Design::Panel5Height, w, lower);
    }
    bSTOP1->setGeometry(2, 1, std::max(PanelLE->width() - 4, 0), Design::ButtonHeight);
    bSTOP2->setGeometry(PanelRI->width() - bSTOP1->width() - 2, 1, bSTOP1->width(),
                        Design::ButtonHeight);
    // The lock pictures sit in the lower corners, beside ABBRECHEN.
    ImageLS1->move(2, Design::ButtonHeight + 3);
    ImageLS2->move(PanelRI->width() - ImageLS2->width() - 2, Design::ButtonHeight + 3);
    bAbbruch->setGeometry(AbortGeometry(w));
    bAbbruch->raise();
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    const QEvent::Type type = event->type();
    if (watched == labEditON && type == QEvent::MouseButtonRelease && labEditON->isEnabled()) {
        cbEditON->setChecked(!cbEditON->isChecked());
        cbEditONClick();
        return true;
    }
    if (watched == SortGrid1->viewport() && type == QEvent::Resize) LayoutWindow();
    if (watched == SortGrid1->InplaceEditor() && type == QEvent::ShortcutOverride) {
        // A line edit claims Ctrl+X for Cut; during a run ABBRECHEN must win, like every
        // enabled run command's key. Left unaccepted, the override lets the shortcut fire.
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (QAction* a : {mStart, mSTOP1, mStop2, mReset, Abruch1})
            if (a->isEnabled() && a->shortcut() == pressed) return true;
    }
    if ((watched == ImageTop || watched == PanelTitle) && type == QEvent::Resize) {
        auto* label = static_cast<QLabel*>(watched);
        label->setPixmap(PicturePixmap(watched == ImageTop ? QStringLiteral("strip")
                                                           : QStringLiteral("titlebar"),
                                       label->size(), label->devicePixelRatioF()));
    }
    if ((watched == PanelT1 || watched == PanelT2) && type == QEvent::Paint) {
        // The time panels sit in a lowered bevel, like the date panel.
        auto* panel = static_cast<QWidget*>(watched);
        QPainter p(panel);
        const QRect r = panel->rect();
        p.setPen(ToQColor(Colors::clBtnShadow));
        p.drawLine(r.topLeft(), r.topRight());
        p.drawLine(r.topLeft(), r.bottomLeft());
        p.setPen(ToQColor(Colors::clBtnHighlight));
        p.drawLine(r.bottomLeft(), r.bottomRight());
        p.drawLine(r.topRight(), r.bottomRight());
        return true;
    }
    if ((watched == Shape1 || watched == Shape2) && type == QEvent::MouseButtonPress) {
        ShapeMouseDown(watched == Shape1 ? 0 : 1);
        return true;
    }
    const bool released = type == QEvent::MouseButtonRelease &&
                          static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (released && watched == PanelDate) {
        PanelDateClick();
        return true;
    }
    if (released && watched == LabelCalClose) {
        CalendarClose();
        return true;
    }
    if (released && (std::find(LabelLogo.begin(), LabelLogo.end(), watched) != LabelLogo.end() ||
                     watched == LabelLogoShadow[2])) {
        LogoClick();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void TFormMain::resizeEvent(QResizeEvent* event) {
    QMainWindow::resizeEvent(event);
    LayoutWindow();
}

TColor TFormMain::TrackColor(int track) const {
    return track == 0 ? Settings.Color1 : Settings.Color2;
}

void TFormMain::SetTrackColor(int track, TColor c) {
    const int t = track == 0 ? 0 : 1;
    (t == 0 ? Settings.Color1 : Settings.Color2) = c;
    const std::array<QFrame*, 2> shapes =
        t == 0 ? std::array<QFrame*, 2>{Shape1, Shape1a} : std::array<QFrame*, 2>{Shape2, Shape2a};
    for (QFrame* f : shapes)
        SetBackground(f, c);
    RepaintProtocol();
}

void TFormMain::ShapeMouseDown(int track) {
    TColor c = TrackColor(track);
    if (!Dialogs->ChooseColor(c)) return; // Cancel: colours and protocol stay as they were
    SetTrackColor(track, c);
}

void TFormMain::TimerDateTimer() {
    PanelDate->setText(DatePanelText(WallClockNow(), QLocale()));
}

void TFormMain::PanelDateClick() {
    const QPoint at = PanelDate->mapTo(centralWidget(), QPoint(0, 0));
    PanelCal->setGeometry(CalendarGeometry(QRect(at, PanelDate->size())));
    PanelCal->show();
    PanelCal->raise();
}

void TFormMain::CalendarClose() {
    PanelCal->hide();
}

void TFormMain::LogoClick() {
    Dialogs->ShellOpen(QString::fromLatin1(MakerPage));
}

void TFormMain::bInfoClick() {
    if (!FormInfo) return;
    // Where the results will be written at exit is decided only now: the program's folder
    // may have become read-only, or the data folder been made, since the start.
    FormInfo->MemoInfo->setPlainText(InfoText() + QStringLiteral("\n\n") + ExitCopyInfo());
    FormInfo->exec();
}

void TFormMain::bHelpClick() {
    if (Help->Contents()) return;
#ifndef Q_OS_WIN
    // Without the manual's pages there is nothing to show; on Windows the missing library
    // was reported at start-up.
    Dialogs->ShowMessage(QStringLiteral("Die Hilfe wurde nicht gefunden:\n") + Help->HelpFile(),
                         QStringLiteral("Hilfe"));
#endif
}

void TFormMain::UpdateHelpButton() {
    bHelp->setEnabled(Help->Exists());
}
