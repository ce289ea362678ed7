#pragma once
// The strip across the top of the main window: help, settings and info, the maker's logo,
// and the date panel that opens a calendar.
#include <array>
#include <QLabel>

class QAction;
class QCalendarWidget;
class QFrame;
class QTimer;
class QToolButton;

class TTitleStrip : public QLabel {
    Q_OBJECT
public:
    // The calendar opens over calendarParent, below the strip.
    TTitleStrip(QWidget* parent, QWidget* calendarParent);

    void StartDateClock(); // the date panel shows the time from now on; the calendar today
    void SetHelpAvailable(bool available);
    void SetSettingsEnabled(bool enabled);
    // A command offered by a right click on the info button.
    void AddInfoMenuAction(QAction* action);
    void LayOut(int width);

signals:
    void HelpClicked();
    void SettingsClicked();
    void InfoClicked();
    void LogoClicked();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void setupLogo(int x);
    void setupCalendar(QWidget* parent);
    void ShowDate();
    void OpenCalendar();
    QToolButton *m_help, *m_settings, *m_info;
    std::array<QLabel*, 3> m_logo{}, m_logoShadow{};
    QLabel* m_date;
    QTimer* m_dateTimer;
    QFrame* m_calendarPanel;
    QCalendarWidget* m_calendar;
    QLabel* m_calendarClose;
};
