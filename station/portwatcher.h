#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QTimer>

// A serial adapter as the station shows it.
struct Adapter
{
    QString path;          // what is opened: the device, or the link a pattern matched
    QString label;         // its /dev/serial/by-path name (Windows: COM name and USB location)
                           // where it has one, else the path
    QString serialNumber;  // the USB adapter's, where the system reports one
    QString sortKey;

    bool operator==(const Adapter &) const = default;
};

// The adapters of the bench, looked at again every 2 s. With patterns (globs over paths in the
// file system: /dev/serial/by-id/*, links in a folder of one's own), the paths they match;
// without, the serial ports the system reports. Ordered by USB path (on Windows the location
// path), so that a tile keeps its place on the screen as long as the cable stays in the same
// socket of the hub, whatever COM number Windows gives it.
class PortWatcher : public QObject
{
    Q_OBJECT
public:
    explicit PortWatcher(const QStringList &patterns, QObject *parent = nullptr);

    void start();
    QList<Adapter> adapters() const { return m_adapters; }
    QList<Adapter> scan() const;

    static constexpr int IntervalMs = 2000;

signals:
    void added(const Adapter &adapter, int position);
    void removed(const QString &path);

private:
    void refresh();

    QStringList m_patterns;
    QList<Adapter> m_adapters;
    QTimer m_timer;
};
