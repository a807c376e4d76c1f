#include "station/portwatcher.h"

#include "link/portmap.h"

#include <QDir>
#include <QFileInfo>
#include <QHash>

#include <algorithm>
#include <glob.h>

namespace {

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
        serials.insert(QFileInfo(port.device).canonicalFilePath(), port.serialNumber);
    const QHash<QString, QString> byPath = usbPaths();

    QStringList paths;
    if (m_patterns.isEmpty()) {
        for (const SystemPort &port : system)
            paths << port.device;
    } else {
        for (const QString &pattern : m_patterns) {
            for (const QString &path : globPaths(pattern)) {
                // A dangling link is an adapter that has gone.
                if (QFileInfo::exists(path) && !paths.contains(path))
                    paths << path;
            }
        }
    }

    QList<Adapter> adapters;
    for (const QString &path : std::as_const(paths)) {
        const QString device = QFileInfo(path).canonicalFilePath();
        Adapter adapter;
        adapter.path = path;
        adapter.serialNumber = serials.value(device);
        const QString usb = byPath.value(device);
        adapter.label = usb.isEmpty() ? path : usb;
        // Adapters with a USB path first, in its order; the rest by name.
        adapter.sortKey = (usb.isEmpty() ? QStringLiteral("1") : QStringLiteral("0"))
            + (usb.isEmpty() ? path : usb);
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
