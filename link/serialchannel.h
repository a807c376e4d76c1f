#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

// Line settings handed to the serial service when a port is opened.
struct LineSettings
{
    QString device;          // the system's name of the port, e.g. "/dev/ttyUSB0" or "COM3"
    qint32 baudRate = 38400;
    QString parity = QStringLiteral("E");
    qint16 dataBits = 8;
    QString stopBits = QStringLiteral("1");
};

// The serial line as the link sees it. The link never touches a concrete port, so tests can
// hand it a fake and the protocol code stays free of platform details.
class SerialChannel : public QObject
{
    Q_OBJECT
public:
    using QObject::QObject;
    ~SerialChannel() override = default;

    virtual bool open(const LineSettings &settings) = 0;
    // False when the port was not open.
    virtual bool close() = 0;
    virtual bool isOpen() const = 0;
    // False when the bytes could not be handed to the port.
    virtual bool write(const QByteArray &bytes) = 0;
    virtual QByteArray readAll() = 0;
    virtual qint64 bytesAvailable() const = 0;
    virtual void discardInput() = 0;

signals:
    void readyRead();
    // The port went away under us (an unplugged adapter); the channel has closed it already.
    void lost();
};
