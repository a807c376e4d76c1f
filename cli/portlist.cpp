#include "cli/portlist.h"

#include "link/portmap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSerialPortInfo>

#include <algorithm>

QList<PortEntry> systemPortEntries()
{
    const QList<QSerialPortInfo> infos = QSerialPortInfo::availablePorts();
    QStringList devices;
    for (const QSerialPortInfo &info : infos)
        devices << info.systemLocation();
    // The window's order, so that COMn here is COMn there.
    const QStringList ordered = PortMap::orderPorts(devices);
    QList<PortEntry> entries;
    for (qsizetype i = 0; i < ordered.size(); ++i) {
        const QSerialPortInfo &info = infos.at(devices.indexOf(ordered.at(i)));
        const QString entry =
            i < PortMap::PortCount ? QStringLiteral("COM%1").arg(i + 1) : QString();
        entries << PortEntry{entry, info.systemLocation(), info.manufacturer(),
                             info.description(), info.serialNumber()};
    }
    return entries;
}

QString renderPortsText(const QList<PortEntry> &ports)
{
    if (ports.isEmpty())
        return QStringLiteral("no serial ports found\n");
    qsizetype width = 0;
    for (const PortEntry &port : ports)
        width = std::max(width, port.device.size());
    QString text;
    for (const PortEntry &port : ports) {
        QStringList usb;
        for (const QString &part : {port.manufacturer, port.product, port.serialNumber}) {
            if (!part.isEmpty())
                usb << part;
        }
        text += port.entry.leftJustified(6) + port.device.leftJustified(width + 2)
            + usb.join(QLatin1String(", ")) + QLatin1Char('\n');
    }
    return text;
}

QByteArray renderPortsJson(const QList<PortEntry> &ports)
{
    QJsonArray list;
    for (const PortEntry &port : ports) {
        list.append(QJsonObject{{QStringLiteral("entry"), port.entry},
                                {QStringLiteral("device"), port.device},
                                {QStringLiteral("manufacturer"), port.manufacturer},
                                {QStringLiteral("product"), port.product},
                                {QStringLiteral("serialNumber"), port.serialNumber}});
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("ports"), list}})
        .toJson(QJsonDocument::Indented);
}
