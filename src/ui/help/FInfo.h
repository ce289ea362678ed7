#pragma once
// The info box: what the program is, its version, and the way to its maker.
#include <functional>
#include <QDialog>

class QFrame;
class QLabel;
class QPlainTextEdit;
class QPushButton;

// Where the picture and the link of the info box lead.
extern const char* const ContactPage;

class TFormInfo : public QDialog {
    Q_OBJECT
public:
    explicit TFormInfo(QWidget* parent = nullptr);

    // Hands an address to the desktop; set by the main window so its dialogs seam is used.
    std::function<void(const QString&)> OnOpenUrl;

    QLabel* ImagePicture; // the picture at the top
    QFrame* PanelIcon;    // the sunken frame around the program's icon
    QLabel* ImageIcon;
    QLabel* LabelProduct; // "Veltaro"
    QLabel* LabelVersion; // "Version 1.9 (24.02.2010)"
    QPlainTextEdit* MemoInfo;
    QLabel* LabelLink; // the link at the bottom
    QPushButton* bOK;  // "Einverstanden"

    // A part shown above the link, e.g. where the live results can be reached.
    void AddSection(QWidget* section);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;
};

// The text of the info box's text area.
QString InfoText();
