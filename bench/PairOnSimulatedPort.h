#pragma once
// What the contact benchmarks share: the window in "Paarrennen" with four participants, no
// start lock-out to wait for, and its contacts on a simulated port the benchmark drives.
#include "input/ComDeviceSim.h"
#include "input/Comms.h"
#include "ui/main/FMain.h"

#include <memory>

inline std::shared_ptr<TSimComLines> PairOnSimulatedPort(TFormMain& w) {
    w.SetVid(2);
    TProtocolRows rows{QStringList(14)};
    for (int i = 1; i <= 4; ++i) {
        QStringList r(14);
        r[0] = QString::number(i);
        r[1] = QStringLiteral("Teilnehmer %1").arg(i);
        rows.push_back(r);
    }
    w.LoadProtocolRows(rows, "bench");
    w.show();
    w.Settings.TimerGesperrt = 1;
    w.Settings.StopGesperrt = 1;
    auto lines = std::make_shared<TSimComLines>();
    w.ComPort->setDeviceFactory(SimulatedDeviceFactory(lines));
    w.ComPort->setPort(1);
    w.ComPort->Open();
    return lines;
}
