#pragma once
// The settings dialog's group "Live-Ergebnisse im Netz": on/off, port, bind address and the
// address to share. Self-contained, so the dialog embeds it with one line and copies the
// values in and out with the other settings.
#include <QGroupBox>

struct TSettings;
class QCheckBox;
class QLineEdit;
class QSpinBox;
class TLiveSharePanel;

class TLiveSettingsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TLiveSettingsGroup(QWidget* parent = nullptr);
    void LoadFrom(const TSettings& s);
    void ApplyTo(TSettings& s) const;
    // What the running server can be reached at (empty: off), or why it is not running.
    void ShowShare(const QString& address, const QString& problem = {});

    QCheckBox* cbLiveOn;
    QSpinBox* seLivePort;
    QLineEdit* eLiveBind;
    TLiveSharePanel* LiveShare;
};
