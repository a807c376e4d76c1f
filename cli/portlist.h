#pragma once

#include "unit/unitfinder.h"

#include <QByteArray>
#include <QList>
#include <QString>

// A serial port the system reports, with the COMn entry the window would give it.
struct PortEntry
{
    QString entry;  // "COM1" .. "COM9"; empty beyond the ninth
    QString device;
    QString manufacturer;
    QString product;
    QString serialNumber;
};

QList<PortEntry> systemPortEntries();
QString renderPortsText(const QList<PortEntry> &ports);
QByteArray renderPortsJson(const QList<PortEntry> &ports);

// What `find` learnt about one port: the COM entry standing for it ("" for none) and its answer.
struct FoundPort
{
    QString entry;
    FoundUnit found;
};

// One line per port: device, entry ("-" for none), then model and version, or why not.
QString renderFoundText(const QList<FoundPort> &ports);
QByteArray renderFoundJson(const QList<FoundPort> &ports);
