#include "link/portmap.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QSerialPortInfo>

#include <algorithm>

namespace {

// Name order with numbers compared as numbers, so that ttyUSB10 comes after ttyUSB9.
bool naturalLess(const QString &a, const QString &b)
{
    qsizetype i = 0;
    qsizetype j = 0;
    while (i < a.size() && j < b.size()) {
        if (a[i].isDigit() && b[j].isDigit()) {
            qsizetype endA = i;
            qsizetype endB = j;
            while (endA < a.size() && a[endA].isDigit())
                ++endA;
            while (endB < b.size() && b[endB].isDigit())
                ++endB;
            const qulonglong numberA = a.mid(i, endA - i).toULongLong();
            const qulonglong numberB = b.mid(j, endB - j).toULongLong();
            if (numberA != numberB)
                return numberA < numberB;
            i = endA;
            j = endB;
            continue;
        }
        if (a[i] != b[j])
            return a[i] < b[j];
        ++i;
        ++j;
    }
    return a.size() - i < b.size() - j;
}

} // namespace

bool PortMap::bind(const QString &binding)
{
    static const QRegularExpression pattern(QStringLiteral("^COM([1-9])=(.+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = pattern.match(binding.trimmed());
    if (!match.hasMatch())
        return false;
    bind(match.captured(1).toInt(), match.captured(2));
    return true;
}

void PortMap::bind(int portNumber, const QString &device)
{
    m_bound.insert(portNumber, device);
}

void PortMap::setSystemPorts(const QStringList &deviceNames)
{
    QList<SystemPort> ports;
    for (const QString &name : deviceNames)
        ports << SystemPort{name, {}, {}, {}};
    setSystemPorts(ports);
}

void PortMap::setSystemPorts(const QList<SystemPort> &ports)
{
    m_system = ports;
}

void PortMap::setSource(Source source)
{
    m_source = std::move(source);
}

void PortMap::refresh()
{
    if (m_source)
        m_system = m_source();
}

QString PortMap::device(int portNumber) const
{
    if (portNumber < 1 || portNumber > PortCount)
        return {};
    if (m_bound.contains(portNumber))
        return m_bound.value(portNumber);
#ifdef Q_OS_WIN
    return QStringLiteral("COM%1").arg(portNumber);
#else
    return m_system.value(portNumber - 1).device;
#endif
}

SystemPort PortMap::port(int portNumber) const
{
    const QString name = device(portNumber);
    if (name.isEmpty())
        return {};
    // A binding may name a udev link (/dev/serial/by-id/...) to a port the system lists.
    const QString target = QFileInfo(name).canonicalFilePath();
    for (const SystemPort &listed : m_system) {
        if (listed.device == name || (!target.isEmpty() && listed.device == target)) {
            SystemPort found = listed;
            found.device = name;
            return found;
        }
    }
    return {name, {}, {}, {}};
}

int PortMap::entryOf(const QString &device, qsizetype listIndex)
{
#ifdef Q_OS_WIN
    Q_UNUSED(listIndex);
    static const QRegularExpression comPort(QStringLiteral("^COM([1-9])$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comPort.match(device);
    return match.hasMatch() ? match.captured(1).toInt() : 0;
#else
    Q_UNUSED(device);
    return listIndex < PortCount ? int(listIndex) + 1 : 0;
#endif
}

QStringList PortMap::orderPorts(const QStringList &deviceNames)
{
    auto isAdapter = [](const QString &name) {
        const QString base = name.section(QLatin1Char('/'), -1);
        return base.startsWith(QLatin1String("ttyUSB")) || base.startsWith(QLatin1String("ttyACM"))
            || base.startsWith(QLatin1String("cu.usb")) || base.startsWith(QLatin1String("tty.usb"));
    };
    QStringList ordered = deviceNames;
    std::stable_sort(ordered.begin(), ordered.end(), [&](const QString &a, const QString &b) {
        const bool adapterA = isAdapter(a);
        const bool adapterB = isAdapter(b);
        if (adapterA != adapterB)
            return adapterA;
        return naturalLess(a, b);
    });
    return ordered;
}

QList<SystemPort> PortMap::scanSystemPorts()
{
    QMap<QString, SystemPort> byName;
    for (const QSerialPortInfo &info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        // "COM3": what the user knows and QSerialPort opens (systemLocation() is "\\.\COM3").
        SystemPort port{info.portName(), {}, {}, {}};
#else
        SystemPort port{info.systemLocation(), {}, {}, {}};
#endif
        if (info.hasVendorIdentifier()) {
            port.manufacturer = info.manufacturer();
            port.product = info.description();
            port.serialNumber = info.serialNumber();
        }
        byName.insert(port.device, port);
    }
    QList<SystemPort> ordered;
    for (const QString &name : orderPorts(byName.keys()))
        ordered << byName.value(name);
    return ordered;
}
