#pragma once

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
