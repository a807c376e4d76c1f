#pragma once

#include "link/serialchannel.h"

#include <QSerialPort>

// SerialChannel over QSerialPort.
class QtSerialChannel : public SerialChannel
{
    Q_OBJECT
public:
    explicit QtSerialChannel(QObject *parent = nullptr);

    bool open(const QString &device, const PortSettings &settings) override;
    bool close() override;
    bool isOpen() const override;
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override;
    void discardInput() override;
    QString errorString() const override { return m_error; }

private:
    void onError(QSerialPort::SerialPortError error);

    QSerialPort m_port;
    QString m_error;
};
