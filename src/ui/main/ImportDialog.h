#pragma once
// "Startliste importieren": the first rows of a registration export, and above each of its
// columns the protocol column it goes to. The dialog returns the mapping (Mapping); the main
// window reads the file before and loads the start list after, the dialog touches neither.
#include "persist/StartListImport.h"

#include <QDialog>
#include <QVector>

class QComboBox;
class QLabel;
class QPushButton;
class QTableWidget;

class TImportDialog : public QDialog {
    Q_OBJECT
public:
    // The table is kept by reference: it must outlive the dialog.
    TImportDialog(const TImportTable& table, const TImportMapping& proposed,
                  QWidget* parent = nullptr);
    TImportMapping Mapping() const { return m_mapping; }

    static constexpr int PreviewRows = 20; // data rows shown below the titles

private:
    void setupPreview();
    void MapColumn(int column, int choice); // the operator chose in a column's box
    void ShowMapping();                     // the boxes, the report and the button follow it

    const TImportTable& m_table;
    TImportMapping m_mapping;
    QVector<QComboBox*> m_boxes;
    QTableWidget* m_preview = nullptr;
    QLabel* m_report = nullptr;
    QPushButton* m_import = nullptr;
    bool m_showing = false; // the boxes are being set from the mapping, not by the operator
};
