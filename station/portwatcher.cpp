#include "station/portwatcher.h"

#include "link/portmap.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>

#ifdef Q_OS_WIN
#include <QRegularExpression>

#include <windows.h>
#include <cfgmgr32.h>
#include <initguid.h>
#include <devguid.h>
#include <setupapi.h>
#else
#include <glob.h>
#endif

namespace {

#ifdef Q_OS_WIN
// Patterns match the names of the ports the system lists (COM*), case aside.
QStringList globPaths(const QString &pattern)
{
    const QRegularExpression match(QRegularExpression::wildcardToRegularExpression(pattern),
                                   QRegularExpression::CaseInsensitiveOption);
    QStringList paths;
    for (const SystemPort &port : PortMap::scanSystemPorts()) {
        if (match.match(port.device).hasMatch())
            paths << port.device;
    }
    return paths;
}

// What a port's adapter is known by: its COM name, upper case.
QString deviceKey(const QString &path)
{
    return path.toUpper();
}

bool stillThere(const QString &)
{
    return true;  // the system lists only the ports that are there
}

// The COMn name the driver gave a device of the ports class.
QString portName(HDEVINFO set, SP_DEVINFO_DATA *device)
{
    const HKEY key = SetupDiOpenDevRegKey(set, device, DICS_FLAG_GLOBAL, 0, DIREG_DEV, KEY_READ);
    if (key == INVALID_HANDLE_VALUE)
        return {};
    wchar_t name[64] = {};
    DWORD size = sizeof(name) - sizeof(wchar_t);
    DWORD type = 0;
    const LONG status = RegQueryValueExW(key, L"PortName", nullptr, &type,
                                         reinterpret_cast<BYTE *>(name), &size);
    RegCloseKey(key);
    return status == ERROR_SUCCESS && type == REG_SZ ? QString::fromWCharArray(name) : QString();
}

// The first location path (hub and socket) of the device or, as an FTDI port is a child of its
// USB device, of the nearest parent that has one.
QString locationPath(DEVINST device)
{
    for (int depth = 0; depth < 3; ++depth) {
        wchar_t paths[1024] = {};
        ULONG size = sizeof(paths) - 2 * sizeof(wchar_t);
        ULONG type = 0;
        if (CM_Get_DevNode_Registry_PropertyW(device, CM_DRP_LOCATION_PATHS, &type, paths, &size,
                                              0)
                == CR_SUCCESS
            && paths[0] != 0) {
            return QString::fromWCharArray(paths);  // the first of the list
        }
        DEVINST parent = 0;
        if (CM_Get_Parent(&parent, device, 0) != CR_SUCCESS)
            break;
        device = parent;
    }
    return {};
}

// Windows may give an adapter another COM number; its USB location stays with the hub's socket.
// Each COM name with its location, for the ports that have one.
QHash<QString, QString> usbPaths()
{
    QHash<QString, QString> locations;
    const HDEVINFO set = SetupDiGetClassDevsW(&GUID_DEVCLASS_PORTS, nullptr, nullptr,
                                              DIGCF_PRESENT);
    if (set == INVALID_HANDLE_VALUE)
        return locations;
    SP_DEVINFO_DATA device = {};
    device.cbSize = sizeof(device);
    for (DWORD i = 0; SetupDiEnumDeviceInfo(set, i, &device); ++i) {
        const QString port = portName(set, &device);
        const QString location = port.isEmpty() ? QString() : locationPath(device.DevInst);
        if (!location.isEmpty())
            locations.insert(deviceKey(port), location);
    }
    SetupDiDestroyDeviceInfoList(set);
    return locations;
}

// COM2 before COM10: the number padded for the sort.
QString sortName(const QString &path)
{
    static const QRegularExpression comPort(QStringLiteral("^COM(\\d+)$"),
                                            QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = comPort.match(path);
    return match.hasMatch() ? QStringLiteral("COM") + match.captured(1).rightJustified(3, u'0')
                            : path;
}

// The COM name and where the adapter sits, its hub path shortened to the USB part.
QString adapterLabel(const QString &path, const QString &location)
{
    if (location.isEmpty())
        return path;
    const qsizetype usb = location.indexOf(QLatin1String("USBROOT"));
    return path + QStringLiteral("  ") + (usb < 0 ? location : location.mid(usb));
}
#else
QStringList globPaths(const QString &pattern)
{
    QStringList paths;
    glob_t found = {};
    if (::glob(QFile::encodeName(pattern).constData(), 0, nullptr, &found) == 0) {
        for (size_t i = 0; i < found.gl_pathc; ++i)
            paths << QFile::decodeName(found.gl_pathv[i]);
    }
    globfree(&found);
    return paths;
}

// The device each /dev/serial/by-path link names, with the link's name.
QHash<QString, QString> usbPaths()
{
    QHash<QString, QString> names;
    const QDir folder(QStringLiteral("/dev/serial/by-path"));
    const QFileInfoList links = folder.entryInfoList(QDir::System | QDir::Files);
    for (const QFileInfo &link : links)
        names.insert(link.canonicalFilePath(), link.fileName());
    return names;
}

QString deviceKey(const QString &path)
{
    return QFileInfo(path).canonicalFilePath();
}

// A dangling link is an adapter that has gone.
bool stillThere(const QString &path)
{
    return QFileInfo::exists(path);
}

QString adapterLabel(const QString &path, const QString &usbPath)
{
    return usbPath.isEmpty() ? path : usbPath;
}

QString sortName(const QString &path)
{
    return path;
}
#endif

} // namespace

PortWatcher::PortWatcher(const QStringList &patterns, QObject *parent)
    : QObject(parent)
    , m_patterns(patterns)
{
    m_timer.setInterval(IntervalMs);
    connect(&m_timer, &QTimer::timeout, this, &PortWatcher::refresh);
}

void PortWatcher::start()
{
    refresh();
    m_timer.start();
}

QList<Adapter> PortWatcher::scan() const
{
    const QList<SystemPort> system = PortMap::scanSystemPorts();
    QHash<QString, QString> serials;
    for (const SystemPort &port : system)
        serials.insert(deviceKey(port.device), port.serialNumber);
    const QHash<QString, QString> byPath = usbPaths();

    QStringList paths;
    if (m_patterns.isEmpty()) {
        for (const SystemPort &port : system)
            paths << port.device;
    } else {
        for (const QString &pattern : m_patterns) {
            for (const QString &path : globPaths(pattern)) {
                if (stillThere(path) && !paths.contains(path))
                    paths << path;
            }
        }
    }

    QList<Adapter> adapters;
    for (const QString &path : std::as_const(paths)) {
        const QString device = deviceKey(path);
        Adapter adapter;
        adapter.path = path;
        adapter.serialNumber = serials.value(device);
        const QString usb = byPath.value(device);
        adapter.label = adapterLabel(path, usb);
        // Adapters with a USB path first, in its order; then those with a serial number, by it;
        // the rest by name.
        if (!usb.isEmpty())
            adapter.sortKey = QStringLiteral("0") + usb;
        else if (!adapter.serialNumber.isEmpty())
            adapter.sortKey = QStringLiteral("1") + adapter.serialNumber;
        else
            adapter.sortKey = QStringLiteral("2") + sortName(path);
        adapters << adapter;
    }
    std::sort(adapters.begin(), adapters.end(),
              [](const Adapter &a, const Adapter &b) { return a.sortKey < b.sortKey; });
    return adapters;
}

void PortWatcher::refresh()
{
    const QList<Adapter> now = scan();
    for (const Adapter &old : QList<Adapter>(m_adapters)) {
        const bool stays = std::any_of(now.cbegin(), now.cend(),
                                       [&](const Adapter &a) { return a.path == old.path; });
        if (!stays) {
            m_adapters.removeAll(old);
            emit removed(old.path);
        }
    }
    for (const Adapter &adapter : now) {
        const bool known = std::any_of(m_adapters.cbegin(), m_adapters.cend(),
                                       [&](const Adapter &a) { return a.path == adapter.path; });
        if (known)
            continue;
        const auto place = std::lower_bound(
            m_adapters.begin(), m_adapters.end(), adapter,
            [](const Adapter &a, const Adapter &b) { return a.sortKey < b.sortKey; });
        const int position = static_cast<int>(place - m_adapters.begin());
        m_adapters.insert(position, adapter);
        emit added(adapter, position);
    }
}
