#include "fakes/heldport.h"

#include <QDir>
#include <QFile>
#include <QSysInfo>

HeldPort::~HeldPort()
{
    if (!m_lockFile.isEmpty())
        QFile::remove(m_lockFile);
    endChild();
}

void HeldPort::endChild()
{
    m_child.kill();
    m_child.waitForFinished();
}

QString HeldPort::qtLockFile(const QString &device, const QString &lockFolder)
{
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QDir(lockFolder).filePath(QStringLiteral("LCK..") + name);
}

bool HeldPort::startChild()
{
    m_child.start(QStringLiteral("sleep"), {QStringLiteral("600")});
    if (!m_child.waitForStarted()) {
        m_error = m_child.errorString();
        return false;
    }
    m_pid = m_child.processId();
    return true;
}

bool HeldPort::holdByLock(const QString &device, const QString &lockFolder)
{
    if (!startChild())
        return false;
    QFile lock(qtLockFile(device, lockFolder));
    // QLockFile's layout: PID, program, host.
    const QByteArray content = QByteArray::number(m_pid) + "\nsleep\n"
        + QSysInfo::machineHostName().toLocal8Bit() + '\n';
    // One left behind for this device name by a program that has ended is overwritten.
    if (!lock.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || lock.write(content) != content.size() || !lock.flush()) {
        m_error = lock.fileName() + QLatin1String(": ") + lock.errorString();
        return false;
    }
    m_lockFile = lock.fileName();
    lock.close();
    return true;
}

bool HeldPort::holdOpen(const QString &device)
{
    m_child.setStandardInputFile(device);
    return startChild();
}
