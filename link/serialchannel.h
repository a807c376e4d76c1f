#pragma once

#include "link/portholder.h"
#include "link/portsettings.h"

#include <QByteArray>
#include <QObject>
#include <QString>

#include <functional>
#include <memory>

// What kind of failure the last open, read or write was: enough to tell the user what to do.
enum class PortFailure {
    None,
    NoDevice,      // nothing stands behind the name (never there, or unplugged)
    InUse,         // another program holds the port
    StaleLock,     // a lock file of a program that has ended is in the way
    NoPermission,  // the user may not open the device
    Other,         // anything else; errorString() has the operating system's words
};

// Whether a device can be opened now, and if not, why.
struct PortCheck
{
    PortFailure failure = PortFailure::None;
    QString reason;  // the operating system's words
    PortHolder holder;  // InUse, StaleLock: who holds it, where that can be seen
};

// The serial line as the link sees it. The link never touches a concrete port, so tests can
// hand it a fake and the protocol code stays free of platform details.
class SerialChannel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialChannel() override = default;

    // Opens `device` ("/dev/ttyUSB0", "COM3") with the line settings; the port number of the
    // settings is not looked at.
    virtual bool open(const QString &device, const PortSettings &settings) = 0;
    // False when the port was not open.
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;
    // False when the bytes could not be handed to the port.
    virtual bool write(const QByteArray &bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual void discardInput() = 0;
    // Why the last open, read or write failed, in the operating system's words.
    virtual QString errorString() const = 0;
    virtual PortFailure failure() const = 0;
    // Who holds the port, after an open that failed with InUse or StaleLock, where known.
    virtual PortHolder holder() const { return {}; }

signals:
    void readyRead();
    // The port went away under us (an unplugged adapter); the channel has closed it already.
    void lost();
};

// Makes the channel for a port a front end opens: the real port, or a test's line in memory.
using SerialChannelFactory = std::function<std::unique_ptr<SerialChannel>()>;
