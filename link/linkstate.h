#pragma once

#include <QByteArray>
#include <QString>
#include <QtGlobal>

enum class ExchangePhase : qint16 {
    Idle = 0,
    Failed = 1,
    Reading = 2,
    Connecting = 3,
};

// The five values remembered in system.ini.
struct PortSettings
{
    quint8 portNumber = 1;
    qint32 baudRate = 38400;
    QString parity = QStringLiteral("E");
    qint16 dataBits = 8;
    QString stopBits = QStringLiteral("1");

    bool operator==(const PortSettings &) const = default;
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
