#include "link/qtserialchannel.h"

#include <QFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <cstring>
#include <unistd.h>
#endif

namespace {

bool toParity(const QString &letter, QSerialPort::Parity *parity)
{
    const QString upper = letter.trimmed().toUpper();
    if (upper == QLatin1String("N"))
        *parity = QSerialPort::NoParity;
    else if (upper == QLatin1String("E"))
        *parity = QSerialPort::EvenParity;
    else if (upper == QLatin1String("O"))
        *parity = QSerialPort::OddParity;
    else if (upper == QLatin1String("M"))
        *parity = QSerialPort::MarkParity;
    else if (upper == QLatin1String("S"))
        *parity = QSerialPort::SpaceParity;
    else
        return false;
    return true;
}

bool toStopBits(const QString &text, QSerialPort::StopBits *stopBits)
{
    const QString trimmed = text.trimmed();
    if (trimmed == QLatin1String("1"))
        *stopBits = QSerialPort::OneStop;
    else if (trimmed == QLatin1String("1.5"))
        *stopBits = QSerialPort::OneAndHalfStop;
    else if (trimmed == QLatin1String("2"))
        *stopBits = QSerialPort::TwoStop;
    else
        return false;
    return true;
}

#ifdef Q_OS_UNIX
// QSerialPort reports a port locked by another program as a permission error, just as a device
// the user may not open; only the access rights tell the two apart. Asked before opening.
PortCheck checkAccess(const QString &device)
{
    if (::access(QFile::encodeName(device).constData(), R_OK | W_OK) == 0)
        return {};
    const int error = errno;
    const QString reason = QString::fromLocal8Bit(std::strerror(error));
    if (error == ENOENT || error == ENODEV || error == ENXIO)
        return {PortFailure::NoDevice, reason, {}};
    if (error == EACCES || error == EPERM)
        return {PortFailure::NoPermission, reason, {}};
    return {};  // let the open itself say what is wrong
}
#else
PortCheck checkAccess(const QString &)
{
    return {};
}
#endif

} // namespace

QtSerialChannel::QtSerialChannel(QObject *parent)
    : SerialChannel(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialChannel::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialChannel::onError);
}

bool QtSerialChannel::open(const QString &device, const PortSettings &settings)
{
    if (m_port.isOpen())
        return fail(PortFailure::Other, QStringLiteral("the port is already open"));
    if (device.isEmpty())
        return fail(PortFailure::NoDevice, QStringLiteral("no device stands behind this port entry"));
    QSerialPort::Parity parity;
    QSerialPort::StopBits stopBits;
    if (settings.baudRate <= 0 || settings.dataBits < 5 || settings.dataBits > 8
        || !toParity(settings.parity, &parity) || !toStopBits(settings.stopBits, &stopBits)) {
        return fail(PortFailure::Other,
                    QStringLiteral("unsupported line settings (%1 bit/s, parity %2, %3 data "
                                   "bits, %4 stop bits)")
                        .arg(settings.baudRate)
                        .arg(settings.parity)
                        .arg(settings.dataBits)
                        .arg(settings.stopBits));
    }
    const PortCheck access = checkAccess(device);
    if (access.failure != PortFailure::None)
        return fail(access.failure, access.reason);
    // Everything is set before open(): a pseudo-terminal refuses a parity change afterwards.
    m_port.setPortName(device);
    m_port.setBaudRate(settings.baudRate);
    m_port.setParity(parity);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits));
    m_port.setStopBits(stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(1024);
    if (!m_port.open(QIODevice::ReadWrite)) {
        switch (m_port.error()) {
        case QSerialPort::DeviceNotFoundError:
            return fail(PortFailure::NoDevice, m_port.errorString());
        case QSerialPort::PermissionError:
            // The rights were checked above: what remains is a lock or an exclusive open.
            return failInUse(device);
        default:
            return fail(PortFailure::Other, m_port.errorString());
        }
    }
    m_port.clear(QSerialPort::AllDirections);
    m_error.clear();
    m_failure = PortFailure::None;
    m_holder = {};
    return true;
}

bool QtSerialChannel::fail(PortFailure failure, const QString &reason)
{
    m_failure = failure;
    m_error = reason;
    m_holder = {};
    return false;
}

bool QtSerialChannel::failInUse(const QString &device)
{
    const PortHolder holder = findPortHolder(device);
    switch (holder.kind) {
    case PortHolder::Kind::Unknown:
        fail(PortFailure::InUse,
             QStringLiteral("in use by another program (%1)").arg(m_port.errorString()));
        break;
    case PortHolder::Kind::Program:
        fail(PortFailure::InUse, describePortHolder(holder));
        break;
    case PortHolder::Kind::StaleLock:
        fail(PortFailure::StaleLock, describePortHolder(holder));
        break;
    }
    m_holder = holder;
    return false;
}

PortCheck QtSerialChannel::check(const QString &device, const PortSettings &settings)
{
    QtSerialChannel channel;
    if (!channel.open(device, settings))
        return {channel.failure(), channel.errorString(), channel.holder()};
    channel.close();
    return {};
}

bool QtSerialChannel::close()
{
    if (!m_port.isOpen())
        return false;
    // Unsent output is dropped, not flushed to the unit.
    m_port.clear(QSerialPort::Output);
    m_port.close();
    return true;
}

bool QtSerialChannel::isOpen() const
{
    return m_port.isOpen();
}

bool QtSerialChannel::write(const QByteArray &bytes)
{
    if (!m_port.isOpen())
        return false;
    if (m_port.write(bytes) == bytes.size())
        return true;
    return fail(PortFailure::Other, m_port.errorString());
}

QByteArray QtSerialChannel::readAll()
{
    return m_port.isOpen() ? m_port.readAll() : QByteArray();
}

qint64 QtSerialChannel::bytesAvailable() const
{
    return m_port.isOpen() ? m_port.bytesAvailable() : 0;
}

void QtSerialChannel::discardInput()
{
    if (!m_port.isOpen())
        return;
    m_port.readAll();
    m_port.clear(QSerialPort::Input);
}

void QtSerialChannel::onError(QSerialPort::SerialPortError error)
{
    // Qt keeps repeating these errors at full speed while the port stays open, so close it
    // at once and let the link report the loss.
    if (error != QSerialPort::ReadError && error != QSerialPort::ResourceError
        && error != QSerialPort::WriteError) {
        return;
    }
    if (!m_port.isOpen())
        return;
    fail(error == QSerialPort::ResourceError ? PortFailure::NoDevice : PortFailure::Other,
         m_port.errorString());
    m_port.close();
    emit lost();
}
