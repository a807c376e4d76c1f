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
    PortFailure failure() const override { return m_failure; }
    // Who holds the port, after an open failed with InUse or StaleLock.
    PortHolder holder() const override { return m_holder; }

    // Opens `device` for a moment and closes it again, to tell the user whether it can be used.
    // Never call it for a device this program holds open.
    static PortCheck check(const QString &device, const PortSettings &settings);

private:
    void onError(QSerialPort::SerialPortError error);
    bool fail(PortFailure failure, const QString &reason);
    bool failInUse(const QString &device);

    QSerialPort m_port;
    QString m_error;
    PortFailure m_failure = PortFailure::None;
    PortHolder m_holder;
};
