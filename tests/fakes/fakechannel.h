#pragma once

#include "link/serialchannel.h"

#include <QList>

// A serial line in memory: records what the link writes, and lets a test play the unit.
class FakeChannel : public SerialChannel
{
    Q_OBJECT
public:
    using SerialChannel::SerialChannel;

    bool open(const QString &device, const PortSettings &settings) override;
    bool close() override;
    bool isOpen() const override { return m_open; }
    bool write(const QByteArray &bytes) override;
    QByteArray readAll() override;
    qint64 bytesAvailable() const override { return m_input.size(); }
    void discardInput() override { m_input.clear(); }
    QString errorString() const override { return error; }
    PortFailure failure() const override { return failureKind; }

    // The unit sends bytes; readyRead follows as from a real port unless `announce` is false
    // (bytes already sitting in the driver's buffer).
    void receive(const QByteArray &bytes, bool announce = true);
    // The adapter is pulled out.
    void unplug();

    bool refuseOpen = false;
    bool failWrites = false;
    QString lastDevice;
    PortSettings lastSettings;
    // What errorString() says after a refused open, a failed write or an unplug.
    QString error = QStringLiteral("Input/output error");
    PortFailure failureKind = PortFailure::Other;
    QList<QByteArray> written;
    int closeCount = 0;

signals:
    void wrote(const QByteArray &bytes);

private:
    bool m_open = false;
    QByteArray m_input;
};
