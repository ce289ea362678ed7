#include "ui/finals/FBracket.h"

#include "core/Competition.h"
#include "core/RunController.h"
#include "core/Settings.h"
#include "ui/Dialogs.h"
#include "ui/finals/BracketView.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSignalBlocker>
#include <QVBoxLayout>

QString TFormBracket::Caption() {
    return tr("K.-o.-Feld");
}

TFormBracket::TFormBracket(QWidget* parent, TCompetition& competition, const TRunController& run,
                           const TSettings& settings, TDialogs& dialogs)
    : QWidget(parent, Qt::Window), m_competition(competition), m_run(run), m_settings(settings),
      m_dialogs(dialogs) {
    setObjectName(QStringLiteral("FormBracket"));
    setWindowTitle(Caption());
    // Closing the main window ends the program; this window must not keep it alive.
    setAttribute(Qt::WA_QuitOnClose, false);
    BracketView = new TBracketView(this, TBracketView::Light);
    cbKategorie = new QComboBox(this);
    cbKategorie->setObjectName(QStringLiteral("cbKategorie"));
    cbKategorie->setToolTip(tr("Feld der Klasse zeigen; ihr nächster Lauf kommt auf "
                               "die Türme"));
    labNote = new QLabel(this);
    labNote->setObjectName(QStringLiteral("labNote"));
    labNote->setWordWrap(true);
    bRebuild = new QPushButton(tr("Feld neu aufbauen"), this);
    bRebuild->setObjectName(QStringLiteral("bRebuild"));
    bRerun = new QPushButton(tr("Letzten Lauf wiederholen"), this);
    bRerun->setObjectName(QStringLiteral("bRerun"));
    bHtml = new QPushButton(tr("Als HTML"), this);
    bHtml->setObjectName(QStringLiteral("bHtml"));
    bHtml->setToolTip(tr("[Ctrl+Shift+H] K.-o.-Feld als HTML"));
    auto* buttons = new QHBoxLayout;
    buttons->addWidget(cbKategorie);
    buttons->addWidget(labNote, 1);
    buttons->addWidget(bRebuild);
    buttons->addWidget(bRerun);
    buttons->addWidget(bHtml);
    auto* v = new QVBoxLayout(this);
    v->addWidget(BracketView, 1);
    v->addLayout(buttons);
    resize(1280, 720);

    connect(bRebuild, &QPushButton::clicked, this, [this] { bRebuildClick(); });
    connect(bRerun, &QPushButton::clicked, this, [this] { bRerunClick(); });
    connect(bHtml, &QPushButton::clicked, this, &TFormBracket::HtmlRequested);
    connect(cbKategorie, qOverload<int>(&QComboBox::activated), this,
            [this](int index) { cbKategorieChange(index); });
    connect(&m_competition, &TCompetition::Changed, this, [this](TCompetition::TChange what) {
        // Cells and results of the qualification do not move the bracket; its names come
        // with the rows.
        if (what == TCompetition::BracketChanged || what == TCompetition::HeatChanged ||
            what == TCompetition::RowsChanged)
            Refresh();
    });
    for (auto signal :
         {&TRunController::Started, &TRunController::WasReset, &TRunController::Aborted,
          &TRunController::RunEnded, &TRunController::Changed})
        connect(&m_run, signal, this, [this] { UpdateButtons(); });
    Refresh();
}

void TFormBracket::Refresh() {
    const TCompetition& c = m_competition;
    BracketView->SetBracket(
        c.Bracket(), [&c](int entry) { return BracketName(c, entry); }, m_settings.TimeFormat);
    const QString note = c.BracketNote();
    BracketView->SetEmptyText(
        c.Mode() == TCompetition::FinaleKo || note.isEmpty() ? note : tr("Kein K.-o.-Feld"));
    labNote->setText(note);
    {
        const QSignalBlocker quiet(cbKategorie);
        cbKategorie->clear();
        for (const TCategoryBracket& b : c.Brackets()) {
            const int open = b.Bracket.Finished() ? -1 : b.Bracket.CurrentHeat();
            cbKategorie->addItem(TCompetition::CategoryLabel(b.Category) +
                                 (open < 0 ? tr(" (entschieden)") : QString()));
        }
        cbKategorie->setCurrentIndex(c.CurrentBracket());
    }
    cbKategorie->setVisible(c.BracketKlassCol() > 0 && !c.Brackets().isEmpty());
    BracketView->SetTitle(
        c.BracketKlassCol() > 0 && c.CurrentBracket() >= 0
            ? TCompetition::CategoryLabel(c.Brackets()[c.CurrentBracket()].Category)
            : QString());
    UpdateButtons();
}

void TFormBracket::cbKategorieChange(int index) {
    // Between heats only: the pair of a running heat stays on the tracks.
    if (!m_run.CanSetUpHeat() || !m_competition.SetCurrentBracket(index))
        m_dialogs.ShowMessage(tr("Die Klasse kann erst nach RESET oder ABBRECHEN "
                                 "gewechselt werden."),
                              Caption());
    Refresh();
}

void TFormBracket::UpdateButtons() {
    const bool finals = m_competition.Mode() == TCompetition::FinaleKo;
    const bool setUp = m_run.CanSetUpHeat(); // no heat on the tracks is running
    bRebuild->setEnabled(finals && setUp);
    cbKategorie->setEnabled(finals && setUp);
    bRerun->setEnabled(finals && setUp && RerunCandidate() >= 0);
    bHtml->setEnabled(!m_competition.Bracket().IsEmpty());
}

int TFormBracket::RerunCandidate() const {
    const auto& heats = m_competition.Bracket().Heats();
    // Heats are kept in racing order, so the last one a run decided is the last heat raced.
    for (int i = int(heats.size()) - 1; i >= 0; --i)
        if (heats[i].Winner >= 0 && !heats[i].Bye) return i;
    return -1;
}

void TFormBracket::bRebuildClick() {
    if (!bRebuild->isEnabled()) return;
    const TCompetition& c = m_competition;
    // Per category only the shown bracket is built anew; after a change of the category
    // column every one.
    const int index = c.CurrentBracket();
    const bool one = index >= 0 && c.BracketKlassCol() > 0 && c.BracketKlassCol() == c.KlassCol();
    const QString question =
        one ? tr("K.-o.-Feld „%1“ neu aus der Qualifikation aufbauen? Alle Läufe "
                 "dieses Feldes gehen verloren.")
                  .arg(TCompetition::CategoryLabel(c.Brackets()[index].Category))
            : tr("K.-o.-Feld neu aus der Qualifikation aufbauen? Alle Läufe des "
                 "K.-o.-Feldes gehen verloren.");
    if (!m_dialogs.AskYesNo(question, Caption())) return;
    if (!m_competition.RebuildBracket(one ? index : -1)) {
        const QString note = m_competition.BracketNote();
        m_dialogs.ShowMessage(
            note.isEmpty() ? tr("Das K.-o.-Feld kann nicht aufgebaut werden.") : note, Caption());
    }
    Refresh();
}

void TFormBracket::bRerunClick() {
    const int heat = RerunCandidate();
    if (!bRerun->isEnabled() || heat < 0) return;
    if (!m_dialogs.AskYesNo(tr("Lauf %1 wiederholen? Seine Zeiten bleiben als "
                               "ungültig vermerkt.")
                                .arg(heat + 1),
                            Caption()))
        return;
    if (!m_competition.RerunHeat(heat))
        m_dialogs.ShowMessage(tr("Lauf %1 kann nicht mehr wiederholt werden: sein Sieger ist schon "
                                 "wieder gelaufen.")
                                  .arg(heat + 1),
                              Caption());
    Refresh();
}
