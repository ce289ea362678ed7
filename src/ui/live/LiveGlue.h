#pragma once
// Feeds the live server from the running program: the run's state on every change of the run
// and the protocol after the competition changed, when it differs from what was published; starts
// and stops the server as the settings say. The one place that knows where the protocol comes from.
#include "live/LiveBoard.h"

#include <QObject>
#include <QString>

class QTimer;
class TFormMain;
class TLiveServer;
class TLiveSharePanel;
class TLiveSettingsGroup;

class TLiveGlue : public QObject {
    Q_OBJECT
public:
    TLiveGlue(TFormMain& window, TLiveServer& server);

    // The protocol as the live pages show it. Today the window's grid; once the grid is a view
    // of the competition model, this reads the model instead.
    THtmlPage ProtocolForLive() const;
    TLiveState StateForLive() const;

    // Starts, moves or stops the server when the settings changed; publishes what changed.
    void Refresh();
    QString ShareAddress() const { return m_address; }
    QString Problem() const { return m_problem; }
    // Shows the address (or the problem) in a settings group, e.g. the dialog's.
    void Attach(TLiveSettingsGroup* group);

signals:
    void ShareChanged(const QString& address, const QString& problem);

private:
    void ApplySettings();
    void ScheduleRefresh();
    void TrackStopped(int track);
    void HeatOver();

    TFormMain& m_window;
    TLiveServer& m_server;
    QTimer* m_poll;
    bool m_refreshPending = false;
    bool m_appliedOn = false;
    int m_appliedPort = 0;
    QString m_appliedBind;
    QString m_address, m_problem;
    TLiveHeatLog m_heats;
    THtmlPage m_published;
    bool m_protocolPublished = false;
    TLiveBrackets m_publishedBrackets;
    bool m_protocolDirty = true; // the competition changed since the pages were last built
    int m_publishedFormat = -1;
    TLiveSharePanel* m_infoPanel = nullptr;
};
