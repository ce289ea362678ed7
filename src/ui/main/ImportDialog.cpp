#include "ui/main/ImportDialog.h"

#include "ui/PanelParts.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHeaderView>
#include <QLabel>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

TImportDialog::TImportDialog(const TImportTable& table, const TImportMapping& proposed,
                             QWidget* parent)
    : QDialog(parent), m_table(table), m_mapping(proposed) {
    setObjectName(QStringLiteral("ImportDialog"));
    setWindowTitle(tr("Startliste importieren"));
    m_mapping.resize(table.columns, TImportTarget::Skip);
    auto* g = new QVBoxLayout(this);
    g->addWidget(Named(new QLabel(tr("Wählen Sie über jeder Spalte, wohin sie im "
                                     "Protokoll gehört. Läufe, Zeit und Platz "
                                     "bleiben leer."),
                                  this),
                       "labHint"));
    m_preview = Named(new QTableWidget(this), "twPreview");
    g->addWidget(m_preview, 1);
    m_report = Named(new QLabel(this), "labReport");
    m_report->setWordWrap(true);
    g->addWidget(m_report);
    auto* buttons = new QDialogButtonBox(this);
    m_import =
        Named(buttons->addButton(tr("Importieren"), QDialogButtonBox::AcceptRole), "bImport");
    Named(buttons->addButton(tr("Abbrechen"), QDialogButtonBox::RejectRole), "bCancel");
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    g->addWidget(buttons);
    setupPreview();
    ShowMapping();
    resize(760, 460);
}

void TImportDialog::setupPreview() {
    // Row 0 holds the boxes; the file's titles are the header, its first rows follow.
    const QStringList& titles = m_table.rows.value(0);
    const int shown = int(std::min<qsizetype>(PreviewRows, m_table.rows.size() - 1));
    m_preview->setColumnCount(m_table.columns);
    m_preview->setRowCount(1 + std::max(0, shown));
    m_preview->setEditTriggers(QAbstractItemView::NoEditTriggers);
    m_preview->verticalHeader()->hide();
    QStringList header;
    for (int c = 0; c < m_table.columns; ++c)
        header << titles.value(c);
    m_preview->setHorizontalHeaderLabels(header);
    for (int r = 1; r <= shown; ++r)
        for (int c = 0; c < m_table.columns; ++c)
            m_preview->setItem(r, c, new QTableWidgetItem(m_table.rows[r].value(c)));
    for (int c = 0; c < m_table.columns; ++c) {
        auto* box = new QComboBox(m_preview);
        box->setObjectName(QStringLiteral("cbMap%1").arg(c));
        for (int i = 0; i < ImportTargetCount; ++i)
            box->addItem(ImportTargetText(ImportTargetAt(i)));
        m_preview->setCellWidget(0, c, box);
        m_boxes << box;
        connect(box, qOverload<int>(&QComboBox::currentIndexChanged), this,
                [this, c](int choice) { MapColumn(c, choice); });
    }
    m_preview->resizeColumnsToContents();
}

void TImportDialog::MapColumn(int column, int choice) {
    if (m_showing) return;
    const TImportTarget target = ImportTargetAt(choice);
    // A protocol column takes one file column; the one it had before is left out. The whole
    // name and its two parts exclude each other.
    const bool whole = target == TImportTarget::Name;
    const bool part = target == TImportTarget::LastName || target == TImportTarget::FirstName;
    for (TImportTarget& t : m_mapping)
        if ((target != TImportTarget::Skip && t == target) ||
            (whole && (t == TImportTarget::LastName || t == TImportTarget::FirstName)) ||
            (part && t == TImportTarget::Name))
            t = TImportTarget::Skip;
    m_mapping[column] = target;
    ShowMapping();
}

void TImportDialog::ShowMapping() {
    m_showing = true;
    for (int c = 0; c < m_boxes.size(); ++c)
        m_boxes[c]->setCurrentIndex(ImportTargetIndex(m_mapping[c]));
    m_showing = false;
    TStartList list;
    QString error;
    const bool ok = BuildStartList(m_table, m_mapping, &list, &error);
    m_import->setEnabled(ok);
    if (!ok) {
        m_report->setText(error);
        return;
    }
    const QString report = StartListReport(list);
    m_report->setText(tr("%1 Teilnehmer werden übernommen.").arg(list.rows.size() - 1) +
                      (report.isEmpty() ? QString() : QLatin1Char('\n') + report));
}
