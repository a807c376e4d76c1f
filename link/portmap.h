#pragma once

#include <QList>
#include <QMap>
#include <QString>
#include <QStringList>

#include <functional>

// A serial port as the system reports it. The USB fields are empty for other ports.
struct SystemPort
{
    QString device;  // "/dev/ttyUSB0", "COM3"
    QString manufacturer;
    QString product;
    QString serialNumber;

    bool operator==(const SystemPort &) const = default;
};

// Which system device each of the entries COM1..COM9 stands for.
//
// On Windows COMn is the device "COMn". Elsewhere COMn is the n-th serial port the system
// reports: USB and ACM adapters first (that is where a technician's cable shows up), then the
// on-board ports, each group in name order. An explicit binding (--port COM1=/dev/pts/4)
// overrides an entry.
class PortMap
{
public:
    static constexpr int PortCount = 9;
    // The system's serial ports, in the order they should take the entries.
    using Source = std::function<QList<SystemPort>()>;

    // Parses "COMn=path"; false when the text is not such a binding.
    bool bind(const QString &binding);
    void bind(int portNumber, const QString &device);
    // The devices the system reports, in the order they should take the entries.
    void setSystemPorts(const QStringList &deviceNames);
    void setSystemPorts(const QList<SystemPort> &ports);
    // Adapters come and go while the program runs: refresh() asks the source again.
    void setSource(Source source);
    void refresh();

    // Empty when the number is outside 1..9 or nothing stands behind it.
    QString device(int portNumber) const;
    // The device behind an entry with what the system says about it; a device the system does
    // not list (a bound pseudo-terminal) comes with its path only.
    SystemPort port(int portNumber) const;

    // The system's serial ports, ordered as above (QSerialPortInfo).
    static QList<SystemPort> scanSystemPorts();
    // The entry ＣＯＭｎ (n, or 0 for none) that the port at `listIndex` of the system's list
    // stands for by default: the n-th port on Linux, the port named COMn on Windows.
    static int entryOf(const QString &device, qsizetype listIndex);
    static QStringList orderPorts(const QStringList &deviceNames);

private:
    QMap<int, QString> m_bound;
    QList<SystemPort> m_system;
    Source m_source;
};
