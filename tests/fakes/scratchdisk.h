#pragma once

#include <QString>
#include <QTemporaryDir>

// A tiny file system of its own (a 64 KiB tmpfs), to try what the program does when the disk is
// full or read-only. Mounting needs the right to mount, which the tests have when run as root;
// without it isMounted() is false and skipReason() says why.
class ScratchDisk
{
public:
    ScratchDisk();
    ~ScratchDisk();
    ScratchDisk(const ScratchDisk &) = delete;
    ScratchDisk &operator=(const ScratchDisk &) = delete;

    bool isMounted() const { return m_mounted; }
    QString skipReason() const { return m_skipReason; }
    QString root() const { return m_dir.path(); }
    QString path(const QString &name) const { return m_dir.filePath(name); }

    // Takes every free block with a filler file, so that the next write fails.
    bool fill();
    bool makeReadOnly();

private:
    QTemporaryDir m_dir;
    bool m_mounted = false;
    QString m_skipReason;
};
