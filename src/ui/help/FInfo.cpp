#include "ui/help/FInfo.h"

#include "core/Version.h"
#include "ui/Pictures.h"

#include <QCoreApplication>
#include <QEvent>
#include <QFrame>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QVBoxLayout>

const char* const ContactPage = "http://www.tavoleno.de/kontakt";

namespace {
template <typename W> W* Named(W* w, const char* name) {
    w->setObjectName(QString::fromLatin1(name));
    return w;
}
} // namespace

QString InfoText() {
    return QCoreApplication::translate(
        "TFormInfo",
        "Veltaro misst die Zeiten bei Wettkämpfen im Speedklettern an einer oder zwei Wänden "
        "(\"Kletterturm 1\" links, \"Kletterturm 2\" rechts). Ein gemeinsamer Start setzt die "
        "Uhr in Gang, jede Bahn wird von ihrem eigenen Kontakt gestoppt. Jeder beendete Lauf "
        "wird ins Protokoll geschrieben, das Zeiten addiert und Plätze vergibt; das Protokoll "
        "lässt sich speichern, laden, drucken und als HTML-Seite veröffentlichen.\n"
        "\n"
        "Anschluss an die serielle Schnittstelle (9-polig):\n"
        "Start an Pins 7 + 8 (RTS - CTS), Stopp von Turm 1 an Pins 4 + 6 (DTR - DSR), "
        "Stopp von Turm 2 an Pins 4 + 1 (DTR - DCD). "
        "Ohne Kontakte arbeitet das Programm mit den Tasten: F8 START, F4 STOP1, F6 STOP2, "
        "F9 zurücksetzen, Strg+X abbrechen. F1 öffnet die Hilfe.\n"
        "\n"
        "Lizenz: Veltaro wird so bereitgestellt, wie es ist, ohne jede Gewährleistung; für "
        "Zeiten, die durch falsche Verdrahtung, Kontaktprellen oder Bedienfehler entstehen, "
        "wird keine Haftung übernommen. Prüfen Sie die Anlage vor jedem Wettkampf mit einem "
        "Probelauf. Das Programm verwendet Qt (LGPL Version 3); die mitgelieferten "
        "Liberation-Schriften stehen unter der SIL Open Font License.");
}

TFormInfo::TFormInfo(QWidget* parent) : QDialog(parent) {
    InitResources();
    setObjectName(QStringLiteral("FormInfo"));
    setWindowTitle(QStringLiteral("Info"));
    setWindowFlags(Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint |
                   Qt::WindowCloseButtonHint);
    setModal(true);
    QFont f(QStringLiteral("MS Sans Serif"));
    f.setPixelSize(11);
    setFont(f);

    ImagePicture = Named(new QLabel(this), "ImagePicture");
    ImagePicture->setFixedSize(320, 72);
    ImagePicture->setPixmap(
        PicturePixmap(QStringLiteral("info-banner"), QSize(320, 72), devicePixelRatioF()));
    ImagePicture->setCursor(Qt::PointingHandCursor);
    ImagePicture->setToolTip(QString::fromLatin1(ContactPage));

    PanelIcon = Named(new QFrame(this), "PanelIcon");
    PanelIcon->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    PanelIcon->setLineWidth(1);
    PanelIcon->setFixedSize(44, 44);
    ImageIcon = Named(new QLabel(PanelIcon), "ImageIcon");
    ImageIcon->setPixmap(Picture(QStringLiteral("veltaro")).pixmap(QSize(36, 36)));
    ImageIcon->setGeometry(4, 4, 36, 36);

    LabelProduct = Named(new QLabel(QStringLiteral("Veltaro"), this), "LabelProduct");
    QFont pf(QStringLiteral("Arial"));
    pf.setPixelSize(20);
    pf.setBold(true);
    LabelProduct->setFont(pf);
    LabelVersion =
        Named(new QLabel(tr("Version %1 (%2)")
                             .arg(ProgramVersion(),
                                  ProgramReleaseDate().toString(QStringLiteral("dd.MM.yyyy"))),
                         this),
              "LabelVersion");

    MemoInfo = Named(new QPlainTextEdit(this), "MemoInfo");
    MemoInfo->setReadOnly(true);
    MemoInfo->setPlainText(InfoText());
    MemoInfo->setFixedHeight(190);
    MemoInfo->setTabChangesFocus(true);

    LabelLink = Named(new QLabel(QStringLiteral("www.tavoleno.de/kontakt"), this), "LabelLink");
    QFont lf = LabelLink->font();
    lf.setUnderline(true);
    LabelLink->setFont(lf);
    QPalette lp = LabelLink->palette();
    lp.setColor(QPalette::WindowText, QColor(0, 0, 255));
    LabelLink->setPalette(lp);
    LabelLink->setCursor(Qt::PointingHandCursor);

    bOK = Named(new QPushButton(tr("Einverstanden"), this), "bOK");
    bOK->setDefault(true);
    bOK->setMinimumWidth(100);
    connect(bOK, &QPushButton::clicked, this, &QDialog::accept);

    auto* head = new QHBoxLayout;
    head->setSpacing(10);
    head->addWidget(PanelIcon, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->setSpacing(2);
    names->addWidget(LabelProduct);
    names->addWidget(LabelVersion);
    names->addStretch(1);
    head->addLayout(names, 1);
    auto* foot = new QHBoxLayout;
    foot->addWidget(LabelLink, 1, Qt::AlignVCenter);
    foot->addWidget(bOK);
    auto* v = new QVBoxLayout(this);
    v->setContentsMargins(10, 10, 10, 10);
    v->setSpacing(8);
    v->addWidget(ImagePicture, 0, Qt::AlignHCenter);
    v->addLayout(head);
    v->addWidget(MemoInfo);
    v->addLayout(foot);
    v->setSizeConstraint(QLayout::SetFixedSize);
    MemoInfo->setFixedWidth(360);

    ImagePicture->installEventFilter(this);
    LabelLink->installEventFilter(this);
}

void TFormInfo::AddSection(QWidget* section) {
    auto* v = static_cast<QVBoxLayout*>(layout());
    v->insertWidget(v->count() - 1, section);
}

bool TFormInfo::eventFilter(QObject* watched, QEvent* event) {
    if ((watched == ImagePicture || watched == LabelLink) &&
        event->type() == QEvent::MouseButtonRelease) {
        auto* me = static_cast<QMouseEvent*>(event);
        auto* w = static_cast<QWidget*>(watched);
        if (me->button() == Qt::LeftButton && w->rect().contains(me->position().toPoint()) &&
            OnOpenUrl)
            OnOpenUrl(QString::fromLatin1(ContactPage));
        return true;
    }
    return QDialog::eventFilter(watched, event);
}

void TFormInfo::showEvent(QShowEvent* event) {
    QDialog::showEvent(event);
    // Centred on the main window, wherever that stands.
    if (QWidget* owner = parentWidget()) {
        QRect box = frameGeometry();
        box.moveCenter(owner->window()->frameGeometry().center());
        move(box.topLeft());
    }
}
