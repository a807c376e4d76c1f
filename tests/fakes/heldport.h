#pragma once

#include <QProcess>
#include <QString>

// A child process of the test holding a serial device: by a lock file with its PID, as programs
// built on Qt (and minicom) write them, or by having the device open as its standard input.
// Ends the child and removes the lock when destroyed.
class HeldPort
{
public:
    HeldPort() = default;
    ~HeldPort();
    HeldPort(const HeldPort &) = delete;
    HeldPort &operator=(const HeldPort &) = delete;

    // The lock goes into `lockFolder`, named as Qt names the lock of `device`. False, with the
    // reason in errorString(), when the child or the lock could not be made.
    bool holdByLock(const QString &device, const QString &lockFolder);
    bool holdOpen(const QString &device);
    // The child ends and its lock stays behind: a stale lock.
    void endChild();
    qint64 pid() const { return m_pid; }
    QString lockFile() const { return m_lockFile; }
    QString errorString() const { return m_error; }

    // Where Qt looks for the lock of `device`, in `lockFolder`.
    static QString qtLockFile(const QString &device, const QString &lockFolder);

private:
    bool startChild();

    QProcess m_child;
    qint64 m_pid = 0;
    QString m_lockFile;
    QString m_error;
};
