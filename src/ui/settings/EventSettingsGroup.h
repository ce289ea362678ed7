#pragma once
// The settings dialog's group "Wettkampf": the event's name and place that head the official
// lists, and the competition's folder ("Wettkampfordner") where its files go.
#include <functional>
#include <QGroupBox>

struct TSettings;
class QLineEdit;
class QToolButton;

class TEventSettingsGroup : public QGroupBox {
    Q_OBJECT
public:
    explicit TEventSettingsGroup(QWidget* parent = nullptr);
    void LoadFrom(const TSettings& s);
    void ApplyTo(TSettings& s) const;
    // The folder dialog behind the "..." button, given by the window (its dialogs seam).
    std::function<QString(const QString& start)> ChooseFolder;

private:
    QLineEdit *eEventName, *eEventPlace, *eEventFolder;
    QToolButton* bEventFolder;
};
