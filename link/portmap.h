#pragma once

#include <QMap>
#include <QString>
#include <QStringList>

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

    // Parses "COMn=path"; false when the text is not such a binding.
    bool bind(const QString &binding);
    void bind(int portNumber, const QString &device);
    // The devices the system reports, in the order they should take the entries.
    void setSystemPorts(const QStringList &deviceNames);

    // Empty when the number is outside 1..9 or nothing stands behind it.
    QString device(int portNumber) const;
    QStringList devices() const;

    // The system's serial ports, ordered as above (QSerialPortInfo).
    static QStringList systemPorts();
    static QStringList orderPorts(const QStringList &deviceNames);

private:
    QMap<int, QString> m_bound;
    QStringList m_system;
};
