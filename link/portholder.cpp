#include "link/portholder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>

#ifdef Q_OS_LINUX
#include <cerrno>
#include <csignal>
#endif

QString serialLockName(const QString &device)
{
    QString name = device.startsWith(QLatin1String("/dev/")) ? device.mid(5) : device;
    name.replace(QLatin1Char('/'), QLatin1Char('_'));
    return QStringLiteral("LCK..") + name;
}

namespace {

#ifdef Q_OS_LINUX
// The names a lock of `path` may have: Qt's (the path below /dev with '/' made '_', or the
// whole path so for a link outside /dev) and the plain device name other programs use.
QStringList lockNames(const QString &path)
{
    QStringList names;
    for (const QString &candidate : {path, QFileInfo(path).canonicalFilePath()}) {
        if (candidate.isEmpty())
            continue;
        for (const QString &lock : {serialLockName(candidate),
                                    QStringLiteral("LCK..") + QFileInfo(candidate).fileName()}) {
            if (!names.contains(lock))
                names << lock;
        }
    }
    return names;
}

// The PID on the first line; 0 when there is none.
qint64 lockPid(const QString &lockFile)
{
    QFile file(lockFile);
    if (!file.open(QIODevice::ReadOnly))
        return 0;
    bool ok = false;
    const qint64 pid = file.readLine(64).trimmed().toLongLong(&ok);
    return ok && pid > 0 ? pid : 0;
}

bool isRunning(qint64 pid)
{
    // EPERM: it runs, under another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

QString programName(qint64 pid)
{
    QFile comm(QStringLiteral("/proc/%1/comm").arg(pid));
    if (!comm.open(QIODevice::ReadOnly))
        return {};
    return QString::fromLocal8Bit(comm.readAll().trimmed());
}

PortHolder fromLockFile(const QString &device, const QStringList &lockFolders)
{
    QStringList seen;
    for (const QString &folder : lockFolders) {
        for (const QString &name : lockNames(device)) {
            const QString path = QDir(folder).filePath(name);
            const QString real = QFileInfo(path).canonicalFilePath();
            if (real.isEmpty() || seen.contains(real))
                continue;
            seen << real;
            const qint64 pid = lockPid(path);
            if (pid == 0)
                continue;
            if (!isRunning(pid))
                return {PortHolder::Kind::StaleLock, pid, {}, path};
            return {PortHolder::Kind::Program, pid, programName(pid), path};
        }
    }
    return {};
}

// Another process with the device open, among those whose descriptors this user may read.
PortHolder fromOpenFiles(const QString &device)
{
    const QString target = QFileInfo(device).canonicalFilePath();
    if (target.isEmpty())
        return {};
    const qint64 self = QCoreApplication::applicationPid();
    const QStringList processes = QDir(QStringLiteral("/proc")).entryList(QDir::Dirs);
    for (const QString &entry : processes) {
        bool numeric = false;
        const qint64 pid = entry.toLongLong(&numeric);
        if (!numeric || pid == self)
            continue;
        const QDir fds(QStringLiteral("/proc/%1/fd").arg(pid));
        const QStringList entries =
            fds.entryList(QDir::AllEntries | QDir::System | QDir::NoDotAndDotDot);
        for (const QString &fd : entries) {
            if (QFile::symLinkTarget(fds.filePath(fd)) == target)
                return {PortHolder::Kind::Program, pid, programName(pid), {}};
        }
    }
    return {};
}
#endif

} // namespace

QStringList defaultLockFolders()
{
    return {QStringLiteral("/var/lock"), QStringLiteral("/run/lock")};
}

PortHolder findPortHolder(const QString &device, const QStringList &lockFolders)
{
#ifdef Q_OS_LINUX
    const PortHolder locked = fromLockFile(device, lockFolders);
    if (locked.kind != PortHolder::Kind::Unknown)
        return locked;
    return fromOpenFiles(device);
#else
    Q_UNUSED(device);
    Q_UNUSED(lockFolders);
    return {};
#endif
}

QString describePortHolder(const PortHolder &holder)
{
    switch (holder.kind) {
    case PortHolder::Kind::Unknown:
        break;
    case PortHolder::Kind::Program:
        if (holder.program.isEmpty())
            return QStringLiteral("in use by PID %1").arg(holder.pid);
        return QStringLiteral("in use by %1 (PID %2)").arg(holder.program).arg(holder.pid);
    case PortHolder::Kind::StaleLock:
        return QStringLiteral("stale lock file %1 (PID %2 has ended)")
            .arg(holder.lockFile)
            .arg(holder.pid);
    }
    return {};
}
