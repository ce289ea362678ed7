#pragma once
// The settings dialog's group "Startmatten": the second port that carries one foot pad per
// lane, each pad's polarity and the reaction under which a start is false.
#include <QGroupBox>

struct TSettings;
class QComboBox;
class QDoubleSpinBox;
class QLabel;
class TPolarityBox;

class TPadSettingsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TPadSettingsGroup(QWidget* parent = nullptr);
    // "Keine", then "COM" + n of every port found, as the contacts' list.
    void FillPortList(const QList<int>& ports);
    void LoadFrom(const TSettings& s);
    void ApplyTo(TSettings& s) const;
    int PortNumber() const; // 0: none
    // The contacts' port is taken: one device cannot serve both.
    void SetContactPort(int port);
    bool Conflict() const;

signals:
    void ConflictChanged();

private:
    void Follow();

    QComboBox* cbPadPort;
    TPolarityBox *cbPadAlg1, *cbPadAlg2;
    QDoubleSpinBox* seFsLimit;
    QLabel *labPadPort, *labPadAlg1, *labPadAlg2, *labFsLimit, *labFsLimitSek, *labPadNote;
    int m_contactPort = 0;
};
