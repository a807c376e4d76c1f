#pragma once

#include <QString>
#include <QStringList>
#include <QtGlobal>

// Who keeps a serial port from being opened, as far as this user can see.
struct PortHolder
{
    enum class Kind {
        Unknown,    // nothing tells: another user's program, or not on Linux
        Program,    // a running program: named by a lock file, or holding the device open
        StaleLock,  // a lock file names a program that has ended
    };

    Kind kind = Kind::Unknown;
    qint64 pid = 0;
    QString program;   // its name (/proc/PID/comm); empty when it cannot be read
    QString lockFile;  // the lock file that named it; empty when found by its open device
};

// The lock folders of serial ports: programs built on Qt, minicom and the like write
// LCK..<name> there with the holder's PID on the first line.
QStringList defaultLockFolders();
// The name of the lock file Qt's serial port takes for `device`: "LCK.." and the path below
// /dev (or the whole path, for one elsewhere) with each '/' made '_'.
QString serialLockName(const QString &device);

// Looks first for a lock file of `device` (its PID is the holder; a PID no longer running
// makes the lock stale), then for another process that has the device open (/proc/*/fd).
// This process is never named by its open devices. Linux only; elsewhere always Unknown.
PortHolder findPortHolder(const QString &device,
                          const QStringList &lockFolders = defaultLockFolders());

// "in use by minicom (PID 1234)", "stale lock file /run/lock/LCK..ttyUSB0 (PID 1234 has
// ended)"; empty for Unknown.
QString describePortHolder(const PortHolder &holder);
