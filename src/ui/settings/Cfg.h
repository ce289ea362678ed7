#pragma once
// The settings dialog "Einstellungen": the contacts' port and polarities, the start lock-out,
// the runs per participant, the time format, the auto-reset delay, the class column of the
// ranking and the display of the audience window. Made once at start-up, after the main
// window has probed the ports; the settings are copied in before each opening (Edit) and the
// edited copy is returned on OK (Choice), so a cancelled dialog leaves no trace.
#include "core/Settings.h"

#include <functional>
#include <QComboBox>
#include <QDialog>
#include <QPixmap>
#include <QStringList>

class QCheckBox;
class QDoubleSpinBox;
class QGroupBox;
class QLabel;
class QPushButton;
class QScreen;
class QSpinBox;
class TComPort;
class TFinalsSettingsGroup;
class TLiveSettingsGroup;
class TPadSettingsGroup;
class TEventSettingsGroup;

// The two contact pictures of the polarity lists, 41 x 16: closed (red, "ON", index 0) and
// open (grey, "OFF", index 1).
QPixmap ContactPicture(int index);

// The display entries of the monitor list: "2=(1280,0)-(1024,768)" per display, numbered from
// 1, with its left, top, width and height.
QStringList MonitorEntries(const QList<QRect>& screens);

// A polarity list: each entry shows its text and its contact picture; a disabled list shows
// an empty box, so a polarity that has no port to act on is not mistaken for a setting.
class TPolarityBox : public QComboBox {
    Q_OBJECT
public:
    explicit TPolarityBox(QWidget* parent = nullptr);
    // Draws one entry into rect: background, then (unless disabled) the picture at left + 20
    // and the text at left + 1, top + 1.
    static void DrawItem(QPainter& p, const QRect& rect, int index, const QString& text,
                         bool disabled, const QColor& background, const QColor& textColour);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

// What OK returns: the settings as edited, and the port list's choice before and after
// ("Keine" is 0) with the chosen port's number.
struct TCfgChoice {
    TSettings edited;
    int portBefore = 0, portNow = 0, portNumber = 0;
};

class TCfgDialog : public QDialog {
    Q_OBJECT
public:
    // Fills its port list from the ports the start-up probe found; the port tells which of
    // them this program holds open.
    TCfgDialog(QWidget* parent, const TComPort& port, quint32 portMask);

    // The settings go in before the dialog opens; port is the number in use (0: none), and
    // the second stop contact's polarity is offered only with two tracks.
    void Edit(const TSettings& settings, int port, int tracks);
    TCfgChoice Choice() const;

    // "Keine", then "COM" + n for every port the mask lists, rising; each entry's tooltip
    // names its device. Done once at creation; tests call it again with a mask of their own.
    void FillPortList(quint32 portMask);
    // Where the live results' address is shown (the live glue keeps it current).
    TLiveSettingsGroup* LiveGroup() const { return gbLive; }
    // The folder dialog of the "Wettkampfordner" button (the window's dialogs seam).
    void SetFolderChooser(std::function<QString(const QString&)> choose);

protected:
    void showEvent(QShowEvent* event) override;

private:
    // Before the dialog appears: a port that is not listed falls back to the last entry, the
    // port list is enabled with more than "Keine" in it, and the monitor list is rebuilt.
    void FormShow();
    // Polarities, their labels and the lock-out follow the chosen port.
    void cbPortChange();
    // The line under the port list: which device the chosen "COMn" is, and whether it is
    // busy or gone. Empty for "Keine".
    void ShowPortDevice();

    QSpinBox *seZabegov, *seAuto0, *seTimeout;
    QComboBox* cbKlass; // the category column by its title
    QDoubleSpinBox* seStopTimeout;
    QLabel *labStopTimeout, *labStopTimeoutSek;
    QComboBox *cbTimeFormat, *cbPort, *cbMonitor;
    QComboBox* cbLang;      // "Lang": 0 German, 1 English, used from the next start
    QCheckBox* cbHallNames; // names, winner and heat on the audience window
    TPolarityBox *cbAlg1, *cbAlg2, *cbAlg3;
    QGroupBox* gbLS;
    TLiveSettingsGroup* gbLive;     // "Live-Ergebnisse im Netz"
    TFinalsSettingsGroup* gbFinale; // ranking rule and bracket size
    TPadSettingsGroup* gbPads;      // the foot pads' port, polarities, false-start limit
    TEventSettingsGroup* gbEvent;   // event name, place and folder
    QLabel *labZabegov, *labTimeFormat, *labAuto0, *labAuto0Sek, *labKlass, *labPort,
        *labPortDevice, *labAlg, *labAlg1, *labAlg2, *labAlg3, *labTimeout, *labTimeoutSek,
        *labMonitor, *labLang, *labLangNote;
    QPushButton *OKBtn, *CancelBtn2;
    const TComPort& m_port;
    TSettings m_settings; // as they came in
    int m_portBefore = 0;
    int m_tracks = 2;
};
