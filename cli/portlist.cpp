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
        const int number = PortMap::entryOf(port.device, i);
        const QString entry = number > 0 ? QStringLiteral("COM%1").arg(number) : QString();
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

namespace {

QString resultName(FoundUnit::Outcome outcome)
{
    switch (outcome) {
    case FoundUnit::Outcome::Unit:
        return QStringLiteral("unit");
    case FoundUnit::Outcome::OtherModel:
        return QStringLiteral("other model");
    case FoundUnit::Outcome::NoAnswer:
        return QStringLiteral("no answer");
    case FoundUnit::Outcome::Unreadable:
        return QStringLiteral("unreadable");
    case FoundUnit::Outcome::NotOpened:
        return QStringLiteral("not opened");
    case FoundUnit::Outcome::Held:
        break;
    }
    return QStringLiteral("held");
}

QString foundText(const FoundUnit &found)
{
    switch (found.outcome) {
    case FoundUnit::Outcome::Unit:
        return QStringLiteral("ZRT%1  %2").arg(found.model, found.version).trimmed();
    case FoundUnit::Outcome::OtherModel:
        return QStringLiteral("ZRT%1  %2  (not a 48210, 48220 or 48221)")
            .arg(found.model, found.version);
    case FoundUnit::Outcome::NotOpened:
        return found.failure.reason;
    case FoundUnit::Outcome::Unreadable:
        return QStringLiteral("unreadable answer");
    case FoundUnit::Outcome::NoAnswer:
    case FoundUnit::Outcome::Held:
        break;
    }
    return resultName(found.outcome);
}

} // namespace

QString renderFoundText(const QList<FoundPort> &ports)
{
    if (ports.isEmpty())
        return QStringLiteral("no serial ports found\n");
    qsizetype width = 0;
    for (const FoundPort &port : ports)
        width = std::max(width, port.found.device.size());
    QString text;
    for (const FoundPort &port : ports) {
        const QString entry = port.entry.isEmpty() ? QStringLiteral("-") : port.entry;
        text += port.found.device.leftJustified(width + 2) + entry.leftJustified(6)
            + foundText(port.found) + QLatin1Char('\n');
    }
    return text;
}

QByteArray renderFoundJson(const QList<FoundPort> &ports)
{
    QJsonArray list;
    for (const FoundPort &port : ports) {
        const FoundUnit &found = port.found;
        QJsonObject row{{QStringLiteral("device"), found.device},
                        {QStringLiteral("entry"), port.entry.isEmpty() ? QJsonValue()
                                                                       : QJsonValue(port.entry)},
                        {QStringLiteral("result"), resultName(found.outcome)},
                        {QStringLiteral("model"), found.model},
                        {QStringLiteral("version"), found.version},
                        {QStringLiteral("reason"), found.failure.reason}};
        const PortHolder &holder = found.failure.holder;
        if (holder.kind != PortHolder::Kind::Unknown) {
            row.insert(QStringLiteral("holder"),
                       QJsonObject{{QStringLiteral("pid"), holder.pid},
                                   {QStringLiteral("program"), holder.program},
                                   {QStringLiteral("stale"),
                                    holder.kind == PortHolder::Kind::StaleLock}});
        }
        list.append(row);
    }
    return QJsonDocument(QJsonObject{{QStringLiteral("ports"), list}})
        .toJson(QJsonDocument::Indented);
}
