// Building and arranging the main window's controls. The constructor runs the setup steps
// in an order where every step finds what it needs: panels first, then what sits on them,
// then the menus whose actions share the buttons' enabled flags, then timers and the port.
#include "core/TickCount.h"
#include "core/TimeFormat.h"
#include "input/Comms.h"
#include "input/PortNames.h"
#include "ui/Dialogs.h"
#include "ui/FMain.h"
#include "ui/FMonitor2.h"
#include "widgets/BeamImage.h"
#include "widgets/BitBtnWithColor.h"
#include "widgets/QtColors.h"
#include "widgets/SortGrid.h"
#include "widgets/Udigit.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QStatusBar>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace {
template <typename W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}

QWidget* ColouredPanel(QWidget* parent, const char* name, TColor colour) {
    auto* w = Named(new QWidget(parent), name);
    w->setAutoFillBackground(true);
    QPalette pal = w->palette();
    pal.setColor(QPalette::Window, ToQColor(colour));
    w->setPalette(pal);
    return w;
}

QLabel* TimeLabel(QWidget* parent, const char* name, const QString& text, const QString& family,
                  int pixels, TColor colour, QRect geometry) {
    auto* l = Named(new QLabel(text, parent), name);
    QFont f(family);
    f.setPixelSize(pixels);
    f.setBold(true);
    l->setFont(f);
    QPalette pal = l->palette();
    pal.setColor(QPalette::WindowText, ToQColor(colour));
    l->setPalette(pal);
    l->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    l->setGeometry(geometry);
    return l;
}

QToolButton* ToolButton(QWidget* parent, const char* name, const QString& caption,
                        const QString& hint, QStyle::StandardPixmap icon = QStyle::SP_CustomBase) {
    auto* b = Named(new QToolButton(parent), name);
    if (icon != QStyle::SP_CustomBase) {
        b->setIcon(QApplication::style()->standardIcon(icon));
        b->setToolButtonStyle(caption.isEmpty() ? Qt::ToolButtonIconOnly
                                                : Qt::ToolButtonTextBesideIcon);
    }
    b->setText(caption);
    b->setToolTip(hint);
    b->setAutoRaise(true);
    b->setMinimumSize(30, 30);
    return b;
}

QFrame* ColourShape(QWidget* parent, const char* name, TColor c) {
    auto* f = Named(new QFrame(parent), name);
    f->setAutoFillBackground(true);
    QPalette pal = f->palette();
    pal.setColor(QPalette::Window, ToQColor(c));
    f->setPalette(pal);
    return f;
}
} // namespace

TFormMain::TFormMain(TAppParts& parts, TDialogs* dialogs, QWidget* parent)
    : QMainWindow(parent), Settings(parts.Settings), Store(parts.Store.get()), Run(parts.Run.get()),
      Dialogs(dialogs ? dialogs : SystemDialogs()), ComPort(parts.Port.get()) {
    setObjectName(QStringLiteral("FormMain"));
    ColumnTitles = {"St.Nr.", "Name, Vorname", "Ort",   "Klasse", "Datum", "Turm1", "Turm2",
                    "Turm3",  "Turm4",         "Turm5", "Turm6",  "Zeit",  "Platz", "."};
    setupPanels();
    setupTrackDisplays();
    setupCommandButtons();
    setupSelectionRow();
    setupProtocolArea();
    setupMenus();
    setupTimers();
    setupComPort();
    setupRun();
    SortGrid1->OnModified = [this] { emit ProtocolChanged(); };
    LoadSettings();
    sbLoad->setToolTip(QStringLiteral("Protokoll Öffnen"));
    cbVidChange();
    PortMask = ProbePorts();
    if (ComPort->Port() != 0) {
        try {
            ComPort->Open();
        } catch (const EComError&) {
            // No message: the hidden beam pictures are the only sign of a port that failed.
        }
    }
    for (int c = 0; c < Col::Count; ++c)
        SortGrid1->setCells(c, 0, ColumnTitles[c]);
    UpdateControls();
    SortGrid1->setModified(false);
}

TFormMain::~TFormMain() {
    SaveSettings();
    // The event thread stops while the controls its handlers touch are still there.
    ComPort->Close();
    Run->disconnect(this);
}

void TFormMain::setupPanels() {
    setWindowTitle(QStringLiteral("TL-Veltaro 1.9"));
    resize(893, 495);
    setMinimumHeight(382);
    auto* central = ColouredPanel(this, "FormMainClient", Colors::clSkyBlue);
    setCentralWidget(central);
    auto* v = new QVBoxLayout(central);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);

    PanelTop = ColouredPanel(central, "PanelTop", Colors::clSkyBlue);
    PanelTop->setFixedHeight(85);
    PanelTimer = ColouredPanel(central, "PanelTimer", Colors::clBlack);
    PanelTimer->setFixedHeight(136);
    PanelProtokoll = ColouredPanel(central, "PanelProtokoll", Colors::clSkyBlue);
    v->addWidget(PanelTop);
    v->addWidget(PanelTimer);
    v->addWidget(PanelProtokoll, 1);

    // Top bar: a strip of buttons and the date, then the selection row.
    auto* top = new QVBoxLayout(PanelTop);
    top->setContentsMargins(0, 0, 0, 0);
    top->setSpacing(0);
    auto* strip = new QWidget(PanelTop);
    strip->setFixedHeight(32);
    auto* sh = new QHBoxLayout(strip);
    sh->setContentsMargins(4, 0, 0, 0);
    bHelp = ToolButton(strip, "bHelp", QStringLiteral("Hilfe"), QStringLiteral("[F1]"),
                       QStyle::SP_DialogHelpButton);
    bCFG = ToolButton(strip, "bCFG", QStringLiteral("Einstellungen"), QStringLiteral("[F2]"),
                      QStyle::SP_FileDialogDetailedView);
    bInfo = ToolButton(strip, "bInfo", QStringLiteral("Info"), QStringLiteral("[F3]"),
                       QStyle::SP_MessageBoxInformation);
    auto* logo = Named(new QLabel(QStringLiteral("Veltaro"), strip), "LabelLogo");
    QFont lf(QStringLiteral("Arial"));
    lf.setPixelSize(22);
    lf.setBold(true);
    logo->setFont(lf);
    PanelDate = Named(new QLabel(QStringLiteral("00:00"), strip), "PanelDate");
    PanelDate->setFixedSize(222, 32);
    PanelDate->setAlignment(Qt::AlignCenter);
    PanelDate->setAutoFillBackground(true);
    {
        QPalette pal = PanelDate->palette();
        pal.setColor(QPalette::Window, Qt::black);
        pal.setColor(QPalette::WindowText, ToQColor(Colors::clSilver));
        PanelDate->setPalette(pal);
        QFont f(QStringLiteral("Arial"));
        f.setPixelSize(24);
        PanelDate->setFont(f);
    }
    sh->addWidget(bHelp);
    sh->addWidget(bCFG);
    sh->addWidget(bInfo);
    sh->addSpacing(20);
    sh->addWidget(logo);
    sh->addStretch(1);
    sh->addWidget(PanelDate);
    top->addWidget(strip);

    Panel = Named(new QWidget(PanelTop), "Panel");
    Panel->setFixedHeight(53);
    top->addWidget(Panel);
    auto* row = new QHBoxLayout(Panel);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    PanelLL = Named(new QWidget(Panel), "PanelLL");
    Panel1 = Named(new QWidget(Panel), "Panel1");
    PanelRR = Named(new QWidget(Panel), "PanelRR");
    PanelLL->setFixedWidth(350);
    PanelRR->setFixedWidth(350);
    row->addWidget(PanelLL);
    row->addWidget(Panel1, 1);
    row->addWidget(PanelRR);

    // Timer area.
    auto* th = new QHBoxLayout(PanelTimer);
    th->setContentsMargins(0, 0, 0, 0);
    th->setSpacing(0);
    PanelT1 = ColouredPanel(PanelTimer, "PanelT1", Colors::clBlack);
    PanelT2 = ColouredPanel(PanelTimer, "PanelT2", Colors::clBlack);
    Panel7 = ColouredPanel(PanelTimer, "Panel7", Colors::clSkyBlue);
    PanelT1->setFixedWidth(350);
    PanelT2->setFixedWidth(350);
    th->addWidget(PanelT1);
    th->addWidget(Panel7, 1);
    th->addWidget(PanelT2);
    PanelTTT2 = ColouredPanel(PanelTimer, "PanelTTT2", Colors::clSkyBlue);
    PanelTTT2->hide();
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
        const QString tnr = QString::fromLatin1("Times New Roman");
        const QString arial = QString::fromLatin1("Arial");
        QLabel* colon = TimeLabel(panel, track == 0 ? "LabMin1" : "LabMin2", ":", tnr, 64,
                                  Colors::clDimGrey, QRect(104, 11, 25, 89));
        QLabel* comma = TimeLabel(panel, track == 0 ? "LabSec1" : "LabSec2", ",", tnr, 64,
                                  Colors::clYellow, QRect(224, 41, 25, 81));
        QLabel* mins = TimeLabel(panel, track == 0 ? "Lab1_min" : "Lab2_min", "Min.", arial, 19,
                                 Colors::clDimGrey, QRect(37, 106, 60, 24));
        QLabel* secs = TimeLabel(panel, track == 0 ? "Lab1_sek" : "Lab2_sek", "Sek.", arial, 19,
                                 Colors::clYellow, QRect(156, 106, 60, 24));
        QLabel* hund = TimeLabel(panel, track == 0 ? "Lab1_100" : "Lab2_100", "100", arial, 19,
                                 Colors::clYellow, QRect(278, 106, 60, 24));
        if (track == 0) {
            LabMin1 = colon, LabSec1 = comma, Lab1_min = mins, Lab1_sek = secs, Lab1_100 = hund;
        } else {
            LabMin2 = colon, LabSec2 = comma, Lab2_min = mins, Lab2_sek = secs, Lab2_100 = hund;
        }
    }
}

void TFormMain::setupCommandButtons() {
    auto* v = new QVBoxLayout(Panel7);
    v->setContentsMargins(2, 2, 2, 2);
    v->setSpacing(2);
    Panel5 = Named(new QWidget(Panel7), "Panel5");
    Panel5->setFixedHeight(67);
    auto* p5 = new QHBoxLayout(Panel5);
    p5->setContentsMargins(0, 0, 0, 0);
    ImageLSstart = Named(new TImageLS(Panel5), "ImageLSstart");
    ImageLSstart->setToolTip(QStringLiteral("Start-LS Sperre"));
    bSTART = Named(new TBitBtnWithColor(QStringLiteral("START"), Panel5), "bSTART");
    bSTART->setToolTip(QStringLiteral("[F8]"));
    bSTART->setMinimumHeight(32);
    Button1 = Named(new QToolButton(Panel5), "Button1");
    Button1->setText(QStringLiteral("+ 1 Std."));
    Button1->hide();
    Button2 = Named(new QToolButton(Panel5), "Button2");
    Button2->setText(QStringLiteral("+ 9 Min."));
    Button2->hide();
    p5->addWidget(ImageLSstart);
    p5->addWidget(bSTART, 1);

    auto* stops = new QHBoxLayout;
    PanelLE = Named(new QWidget(Panel7), "PanelLE");
    PanelRI = Named(new QWidget(Panel7), "PanelRI");
    auto* le = new QHBoxLayout(PanelLE);
    le->setContentsMargins(0, 0, 0, 0);
    auto* ri = new QHBoxLayout(PanelRI);
    ri->setContentsMargins(0, 0, 0, 0);
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
    for (auto* b : {bSTOP1, bSTOP2})
        b->setMinimumHeight(32);
    le->addWidget(ImageLS1);
    le->addWidget(bSTOP1, 1);
    ri->addWidget(bSTOP2, 1);
    ri->addWidget(ImageLS2);
    stops->addWidget(PanelLE);
    stops->addWidget(PanelRI);

    bAbbruch = Named(new TBitBtnWithColor(QStringLiteral("ABBRECHEN"), Panel7), "bAbbruch");
    bAbbruch->setToolTip(QStringLiteral("[Ctrl+X]"));
    bAbbruch->setFontColor(Colors::clYellow);
    bAbbruch->setMinimumSize(112, 32);
    bAbbruch->setMaximumWidth(200);
    v->addWidget(Panel5);
    v->addLayout(stops);
    v->addWidget(bAbbruch, 0, Qt::AlignHCenter);

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
        QFont cf(QStringLiteral("Arial"));
        cf.setPixelSize(16);
        cf.setBold(true);
        caption->setFont(cf);
        QFrame* square = ColourShape(part, track == 0 ? "Shape1" : "Shape2", TrackColor(track));
        square->setFixedSize(25, 23);
        square->setCursor(Qt::PointingHandCursor);
        auto* list = Named(new QComboBox(part), track == 0 ? "cbBuhn1" : "cbBuhn2");
        list->setMaxVisibleItems(20);
        list->setMinimumWidth(294);
        list->setEnabled(false);
        if (track == 0) {
            sbLoad = ToolButton(part, "sbLoad", QString(), QStringLiteral("[Ctrl+O]"),
                                QStyle::SP_DialogOpenButton);
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
        connect(list, qOverload<int>(&QComboBox::activated), this, [this] { cbBuhnChange(); });
    }

    auto* mid = new QVBoxLayout(Panel1);
    mid->setContentsMargins(2, 2, 2, 2);
    mid->setSpacing(1);
    cbVid = Named(new QComboBox(Panel1), "cbVid");
    cbVid->addItems({QStringLiteral("Qualifikation"), QStringLiteral("Individuelles Klettern"),
                     QStringLiteral("Paarrennen")});
    cbVid->setToolTip(QStringLiteral("Wettkampfsart"));
    auto* midRow = new QHBoxLayout;
    seObmen = ToolButton(Panel1, "seObmen", QStringLiteral("<->"),
                         QStringLiteral("[Ctrl+0] Turme wechseln"));
    seObmen->setEnabled(false);
    cbAllTrasse = Named(new QCheckBox(QStringLiteral("Auf allen Strecken"), Panel1), "cbAllTrasse");
    cbAllTrasse->hide();
    midRow->addWidget(seObmen);
    midRow->addWidget(cbAllTrasse);
    mid->addWidget(cbVid);
    mid->addLayout(midRow);
    connect(cbVid, qOverload<int>(&QComboBox::activated), this, [this](int index) {
        Settings.Vid = index;
        cbVidChange();
    });
    connect(cbAllTrasse, &QCheckBox::toggled, this, [this](bool on) { Settings.AllTrasse = on; });
    connect(seObmen, &QToolButton::clicked, this, [this] { seObmenClick(); });
}

void TFormMain::setupProtocolArea() {
    auto* v = new QVBoxLayout(PanelProtokoll);
    v->setContentsMargins(0, 0, 0, 0);
    v->setSpacing(0);
    PanelTitle = Named(new QLabel(PanelProtokoll), "PanelTitle");
    PanelTitle->setFixedHeight(42);
    PanelTitle->setAutoFillBackground(true);
    {
        QPalette pal = PanelTitle->palette();
        pal.setColor(QPalette::Window, QColor(176, 167, 134));
        PanelTitle->setPalette(pal);
    }
    auto* bar = new QHBoxLayout(PanelTitle);
    bar->setContentsMargins(2, 2, 2, 2);
    bar->setSpacing(1);
    sbSave = ToolButton(PanelTitle, "sbSave", QString(),
                        QStringLiteral("[Ctrl+S] Speichern unter..."), QStyle::SP_DialogSaveButton);
    sbCLS = ToolButton(PanelTitle, "sbCLS", QString(), QStringLiteral("[Ctrl -] Zeile loschen"),
                       QStyle::SP_DialogDiscardButton);
    sbCLSall = ToolButton(PanelTitle, "sbCLSall", QString(), QStringLiteral("Protokoll loschen"),
                          QStyle::SP_TrashIcon);
    sbPrint = ToolButton(PanelTitle, "sbPrint", QString(), QStringLiteral("[Ctrl+P] Drucken"),
                         QStyle::SP_FileIcon);
    cbEditON = Named(new QCheckBox(PanelTitle), "cbEditON");
    labEditON = Named(new QLabel(QStringLiteral("Editieren"), PanelTitle), "labEditON");
    sb1 = ToolButton(PanelTitle, "sb1", QStringLiteral("1"), QStringLiteral("1. Turm"));
    sb1del = ToolButton(PanelTitle, "sb1del", QStringLiteral("1"), QStringLiteral("1. Turm DIS"));
    sbSound = ToolButton(PanelTitle, "sbSound", QString(), QStringLiteral("[Ctrl+`] Sound"),
                         QStyle::SP_MediaVolume);
    bRESET = Named(new TBitBtnWithColor(QStringLiteral("0:00"), PanelTitle), "bRESET");
    bRESET->setToolTip(QStringLiteral("[F9] Reset"));
    bRESET->setFixedSize(75, 34);
    cbAuto0 = Named(new QCheckBox(PanelTitle), "cbAuto0");
    cbAuto0->setChecked(true);
    sb2del = ToolButton(PanelTitle, "sb2del", QStringLiteral("2"), QStringLiteral("2. Turm DIS"));
    sb2 = ToolButton(PanelTitle, "sb2", QStringLiteral("2"), QStringLiteral("2. Turm"));
    cbSort = Named(new QCheckBox(PanelTitle), "cbSort");
    cbSort->setToolTip(QStringLiteral("Сортировать по местам"));
    LabelSort = Named(new QLabel(QStringLiteral("Sortieren"), PanelTitle), "LabelSort");
    sbWord = ToolButton(PanelTitle, "sbWord", QStringLiteral("W"), QStringLiteral("[Ctrl+W] Word"));
    sbExcel =
        ToolButton(PanelTitle, "sbExcel", QStringLiteral("X"), QStringLiteral("[Ctrl+E] Excel"));
    sbInet = ToolButton(PanelTitle, "sbInet", QString(), QStringLiteral("[Ctrl+H] Als HTML"),
                        QStyle::SP_DriveNetIcon);
    sbMon2 = ToolButton(PanelTitle, "sbMon2", QStringLiteral("TV"),
                        QStringLiteral("[Ctrl+T] 2. Monitor/TV"));
    sbMon2->setCheckable(true);
    sbMon2->setEnabled(false);
    auto* title =
        Named(new QLabel(QStringLiteral("P R O T O K O L L"), PanelTitle), "LabelProtokoll");
    QFont tf(QStringLiteral("Arial"));
    tf.setPixelSize(18);
    tf.setBold(true);
    title->setFont(tf);
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
    QFont gf(QStringLiteral("Courier"));
    gf.setPixelSize(16);
    SortGrid1->setFont(gf);
    SortGrid1->setOptions(goFixedVertLine | goFixedHorzLine | goVertLine | goHorzLine |
                          goDrawFocusSelected | goColSizing | goRowSelect);
    SortGrid1->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    SortGrid1->SortOptions.CanSort = false;
    SortGrid1->SortOptions.SecondaryIndex = QStringLiteral("0");
    v->addWidget(PanelTitle);
    v->addWidget(SortGrid1, 1);

    StatusBar1 = Named(new QStatusBar(this), "StatusBar1");
    setStatusBar(StatusBar1);
    StatusBar1->setSizeGripEnabled(false);
    const int panelWidths[3] = {50, 208, 50};
    const char* panelTexts[3] = {"", "Veltaro 1.9  Tavoleno", "TL"};
    for (int i = 0; i < 3; ++i) {
        auto* l = new QLabel(QString::fromUtf8(panelTexts[i]), StatusBar1);
        l->setObjectName(QStringLiteral("StatusPanel%1").arg(i));
        l->setFixedWidth(panelWidths[i]);
        l->setAlignment(Qt::AlignCenter);
        l->setFrameShape(QFrame::Panel);
        l->setFrameShadow(QFrame::Sunken);
        StatusBar1->addWidget(l);
        StatusPanels[i] = l;
    }

    SortGrid1->OnSelectCell = [this](int col, int, bool& canSelect) {
        SelectedCol = col;
        canSelect = true;
    };
    SortGrid1->OnRowSelected = [this] { SortGrid1RowSelected(); };
    SortGrid1->OnDblClick = [this] { ProtocolDblClick(); };
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
    labEditON->installEventFilter(this);
    SortGrid1->viewport()->installEventFilter(this);      // its width decides name and club
    SortGrid1->InplaceEditor()->installEventFilter(this); // run keys win over Cut and Copy

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
    connect(cbSort, &QCheckBox::clicked, this, [this] { RecalcProtocol(); });
    connect(cbAuto0, &QCheckBox::clicked, this, [this] { cbAuto0Click(); });
    bRESET->OnClick = [this] { mResetClick(); };
    bRESET->OnMouseDown = [this](Qt::MouseButton) { bRESETMouseDown(); };
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
    StrDel2 = item(
        CtrlKeys, "StrDel2", "Str del",
        QKeySequence(QKeyCombination(Qt::ControlModifier | Qt::KeypadModifier, Qt::Key_Minus)), 0);
    Word1 = item(CtrlKeys, "Word1", "Word", QKeySequence(Qt::CTRL | Qt::Key_W));
    Excel1 = item(CtrlKeys, "Excel1", "Excel", QKeySequence(Qt::CTRL | Qt::Key_E));
    Html1 = item(CtrlKeys, "Html1", "Html", QKeySequence(Qt::CTRL | Qt::Key_H), 0);
    CLS1 = item(CtrlKeys, "CLS1", "CLS", QKeySequence(Qt::CTRL | Qt::Key_Delete), 1);
    Abruch1 = item(CtrlKeys, "Abruch1", "Abruch", QKeySequence(Qt::CTRL | Qt::Key_X));
    Trasse1 = item(CtrlKeys, "Trasse1", "Trasse 1", QKeySequence(Qt::CTRL | Qt::Key_1), 1);
    Trasse2 = item(CtrlKeys, "Trasse2", "Trasse 2", QKeySequence(Qt::CTRL | Qt::Key_2), 2);
    SwapTrasse = item(CtrlKeys, "SwapTrasse", "SwapTrasse", QKeySequence(Qt::CTRL | Qt::Key_0));
    mSound = item(CtrlKeys, "mSound", "Sound", QKeySequence(Qt::CTRL | Qt::Key_QuoteLeft));
    mSound0 = item(CtrlKeys, "mSound0", "Sound", QKeySequence());

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
}

void TFormMain::setupTimers() {
    Clock = Named(new QTimer(this), "Clock");
    Clock->setInterval(10);
    Clock->setTimerType(Qt::PreciseTimer);
    connect(Clock, &QTimer::timeout, this, [this] { ClockTimer(); });
    TimerDate = Named(new QTimer(this), "TimerDate");
    TimerDate->setInterval(5000);
}

void TFormMain::setupRun() {
    connect(Run, &TRunController::Started, this, &TFormMain::RunStarted);
    connect(Run, &TRunController::TrackStoppedAt, this, &TFormMain::RunTrackStopped);
    connect(Run, &TRunController::WasReset, this, [this] { RunBackToReady(true); });
    connect(Run, &TRunController::Aborted, this, [this] { RunBackToReady(false); });
    connect(Run, &TRunController::RunEnded, this, [this] { RunBackToReady(false); });
    connect(Run, &TRunController::BeamsChanged, this, &TFormMain::ShowBeams);
    connect(Run, &TRunController::Changed, this, &TFormMain::UpdateControls);
    cbAuto0->setChecked(Run->AutoReset());
}

void TFormMain::setupComPort() {
    connect(ComPort, &TComPort::OnCTS, this, &TFormMain::ComPortCTS);
    connect(ComPort, &TComPort::OnDSR, this, &TFormMain::ComPortDSR);
    connect(ComPort, &TComPort::OnRLSD, this, &TFormMain::ComPortRLSD);
    connect(ComPort, &TComPort::OnOpen, this, &TFormMain::ComPortOpen);
    connect(ComPort, &TComPort::OnClose, this, &TFormMain::ComPortClose);
}

void TFormMain::ApplyTrackCount() {
    RunCounter = 0;
    const bool two = Settings.CountBahn >= 2;
    for (QWidget* w : std::initializer_list<QWidget*>{LabelZabeg2, cbBuhn2, Shape2, Shape2a,
                                                      seObmen, PanelRI, sb1, sb2, sb2del, PanelT2})
        w->setVisible(two);
    PanelTTT2->setVisible(!two);
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
}

void TFormMain::LayoutWindow() {
    // Protocol column widths: time columns fit the chosen format, unused runs are hidden.
    const int T = 76 + 11 * NormalizedTimeFormat(Settings.TimeFormat);
    SortGrid1->setColWidths(0, 52);
    SortGrid1->setColWidths(1, 180);
    SortGrid1->setColWidths(3, 60);
    SortGrid1->setColWidths(4, 60);
    SortGrid1->setColWidths(5, T);
    for (int c = 6; c <= 10; ++c)
        SortGrid1->setColWidths(c, Settings.CountZabegov > c - 5 ? T : -1);
    SortGrid1->setColWidths(11, 84);
    SortGrid1->setColWidths(12, 46);
    SortGrid1->setColWidths(13, -1);
    int others = 0;
    for (int c = 0; c < Col::Count; ++c)
        if (c != 2) others += SortGrid1->ColWidths(c);
    int ort = SortGrid1->ClientWidth() - others - Col::Count;
    const int sum = SortGrid1->ColWidths(1) + ort;
    if (sum > 60) {
        SortGrid1->setColWidths(1, (sum / 3) * 2);
        ort = sum - SortGrid1->ColWidths(1);
    }
    // A narrow window would give the column a width below -1, which has no meaning.
    SortGrid1->setColWidths(2, std::max(ort, 0));
    if (PanelTTT2->isVisible())
        PanelTTT2->setGeometry(513, 0, std::max(0, PanelTimer->width() - 513),
                               PanelTimer->height());
}

bool TFormMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == labEditON && event->type() == QEvent::MouseButtonRelease &&
        labEditON->isEnabled()) {
        cbEditON->setChecked(!cbEditON->isChecked());
        cbEditONClick();
        return true;
    }
    if (watched == SortGrid1->viewport() && event->type() == QEvent::Resize) LayoutWindow();
    if (watched == SortGrid1->InplaceEditor() && event->type() == QEvent::ShortcutOverride) {
        // A line edit claims Ctrl+X for Cut; during a run ABBRECHEN must win, like every
        // enabled run command's key. Left unaccepted, the override lets the shortcut fire.
        const auto* key = static_cast<QKeyEvent*>(event);
        const QKeySequence pressed(key->keyCombination());
        for (QAction* a : {mStart, mSTOP1, mStop2, mReset, Abruch1})
            if (a->isEnabled() && a->shortcut() == pressed) return true;
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
    for (QFrame* f : shapes) {
        QPalette pal = f->palette();
        pal.setColor(QPalette::Window, ToQColor(c));
        f->setPalette(pal);
    }
    RepaintProtocol();
}
