#include "cli/portlist.h"

#include "link/portmap.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

QList<PortEntry> systemPortEntries()
{
    // The window's order and details, so that COMn here is COMn there.
    const QList<SystemPort> ports = PortMap::scanSystemPorts();
    QList<PortEntry> entries;
    for (qsizetype i = 0; i < ports.size(); ++i) {
        const SystemPort &port = ports.at(i);
        const QString entry =
            i < PortMap::PortCount ? QStringLiteral("COM%1").arg(i + 1) : QString();
        entries << PortEntry{entry, port.device, port.manufacturer, port.product,
                             port.serialNumber};
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
