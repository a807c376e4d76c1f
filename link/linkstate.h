#pragma once

#include "link/portsettings.h"

#include <QByteArray>
#include <QtGlobal>

enum class ExchangePhase : qint16 {
    Idle = 0,
    Failed = 1,
    Reading = 2,
    Connecting = 3,
};

// The one record of the serial link.
struct LinkState : PortSettings
{
    bool portOpen = false;
    ExchangePhase phase = ExchangePhase::Idle;
    QByteArray pendingText;   // whole framed commands, each ending in CR LF
    QByteArray lastSentLine;  // CR LF included
    bool awaitingReply = false;
    int retryCount = 0;
    bool quitRequested = false;
};
