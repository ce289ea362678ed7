// The composition root's parts: the settings, the contact port, the run and the competition,
// made before any window so that windows and tests receive them instead of making their own.
#include "core/Competition.h"
#include "core/ParticipantList.h"
#include "input/Comms.h"
#include "live/LiveServer.h"
#include "ui/main/FMain.h"

#include <QSettings>

TAppParts::TAppParts(std::unique_ptr<QSettings> store)
    : Store(std::move(store)), Port(std::make_unique<TComPort>()),
      PadPort(std::make_unique<TComPort>()), Run(std::make_unique<TRunController>(Settings)),
      Competition(std::make_unique<TCompetition>()),
      // Made after the competition and before any window: the list follows a change of the
      // entries before the windows re-select the tracks' participants in it.
      Participants(std::make_unique<TParticipantList>(Competition.get())),
      Live(std::make_unique<TLiveServer>()) {
    Competition->setObjectName(QStringLiteral("Competition"));
    Port->setObjectName(QStringLiteral("ComPort"));
    Port->setBaudRate(br9600);
    Port->setBaudRateUser(28800);
    Port->setPort(0);
    Port->setParity(prNone);
    Port->setStopBits(sbOneStopBit);
    Port->setFlowControl(fcRtsCts);
    Port->setDataBits(5);
    Port->setEvents(TEvents{evCTS, evDSR, evRLSD});
    Port->setEnableDTR(true);
    Port->setWriteBufSize(64);
    Port->setReadBufSize(64);
    // The foot pads: the same lines as the contacts, one pad per lane on CTS and DSR.
    PadPort->setObjectName(QStringLiteral("PadPort"));
    PadPort->setPort(0);
    PadPort->setFlowControl(fcRtsCts);
    PadPort->setDataBits(5);
    PadPort->setEvents(TEvents{evCTS, evDSR});
    PadPort->setEnableDTR(true);
    PadPort->setWriteBufSize(64);
    PadPort->setReadBufSize(64);
}

TAppParts::~TAppParts() {
    PadPort->Close();
    Port->Close();
}
