#pragma once

#include <QString>
#include <QtGlobal>

// The port entry and the line settings: what system.ini remembers and what a port is opened
// with. Only the port number can be changed from the window.
struct PortSettings
{
    quint8 portNumber = 1;  // COM1..COM9; system.ini may hold anything from 0 to 255
    qint32 baudRate = 38400;
    QString parity = QStringLiteral("E");  // N none, O odd, E even
    qint16 dataBits = 8;
    QString stopBits = QStringLiteral("1");

    bool operator==(const PortSettings &) const = default;
};
