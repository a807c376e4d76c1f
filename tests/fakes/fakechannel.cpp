#include "fakes/fakechannel.h"

bool FakeChannel::open(const QString &device, const PortSettings &settings)
{
    lastDevice = device;
    lastSettings = settings;
    if (refuseOpen || m_open)
        return false;
    m_open = true;
    return true;
}

bool FakeChannel::close()
{
    if (!m_open)
        return false;
    m_open = false;
    ++closeCount;
    return true;
}

bool FakeChannel::write(const QByteArray &bytes)
{
    if (!m_open || failWrites)
        return false;
    written << bytes;
    emit wrote(bytes);
    return true;
}

QByteArray FakeChannel::readAll()
{
    QByteArray bytes;
    bytes.swap(m_input);
    return bytes;
}

void FakeChannel::receive(const QByteArray &bytes, bool announce)
{
    m_input += bytes;
    if (announce)
        emit readyRead();
}

void FakeChannel::unplug()
{
    m_open = false;
    emit lost();
}
