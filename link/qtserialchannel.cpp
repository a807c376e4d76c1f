#include "link/qtserialchannel.h"

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

} // namespace

QtSerialChannel::QtSerialChannel(QObject *parent)
    : SerialChannel(parent)
{
    connect(&m_port, &QSerialPort::readyRead, this, &SerialChannel::readyRead);
    connect(&m_port, &QSerialPort::errorOccurred, this, &QtSerialChannel::onError);
}

bool QtSerialChannel::open(const QString &device, const PortSettings &settings)
{
    if (m_port.isOpen()) {
        m_error = QStringLiteral("the port is already open");
        return false;
    }
    if (device.isEmpty()) {
        m_error = QStringLiteral("no device stands behind this port entry");
        return false;
    }
    QSerialPort::Parity parity;
    QSerialPort::StopBits stopBits;
    if (settings.baudRate <= 0 || settings.dataBits < 5 || settings.dataBits > 8
        || !toParity(settings.parity, &parity) || !toStopBits(settings.stopBits, &stopBits)) {
        m_error = QStringLiteral("unsupported line settings (%1 bit/s, parity %2, %3 data "
                                 "bits, %4 stop bits)")
                      .arg(settings.baudRate)
                      .arg(settings.parity)
                      .arg(settings.dataBits)
                      .arg(settings.stopBits);
        return false;
    }
    // Everything is set before open(): a pseudo-terminal refuses a parity change afterwards.
    m_port.setPortName(device);
    m_port.setBaudRate(settings.baudRate);
    m_port.setParity(parity);
    m_port.setDataBits(static_cast<QSerialPort::DataBits>(settings.dataBits));
    m_port.setStopBits(stopBits);
    m_port.setFlowControl(QSerialPort::NoFlowControl);
    m_port.setReadBufferSize(1024);
    if (!m_port.open(QIODevice::ReadWrite)) {
        m_error = m_port.errorString();
        return false;
    }
    m_port.clear(QSerialPort::AllDirections);
    m_error.clear();
    return true;
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
    m_error = m_port.errorString();
    return false;
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
    m_error = m_port.errorString();
    m_port.close();
    emit lost();
}
