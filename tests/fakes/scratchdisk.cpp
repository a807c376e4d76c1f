#include "fakes/scratchdisk.h"

#include <QFile>

#include <cerrno>
#include <cstring>
#ifdef Q_OS_LINUX
#include <sys/mount.h>
#endif

#ifdef Q_OS_LINUX
ScratchDisk::ScratchDisk()
{
    const QByteArray target = QFile::encodeName(m_dir.path());
    if (::mount("tmpfs", target.constData(), "tmpfs", 0, "size=64k") == 0) {
        m_mounted = true;
        return;
    }
    m_skipReason = QStringLiteral("cannot mount a small tmpfs here (%1); the full-disk cases "
                                  "need the right to mount, as root has")
                       .arg(QString::fromLocal8Bit(std::strerror(errno)));
}

ScratchDisk::~ScratchDisk()
{
    if (m_mounted)
        ::umount2(QFile::encodeName(m_dir.path()).constData(), MNT_DETACH);
}
#else
// Windows (under Wine) has no small disk to mount: the full-disk cases stay with Linux.
ScratchDisk::ScratchDisk()
    : m_skipReason(QStringLiteral("no small file system to mount on this system"))
{
}

ScratchDisk::~ScratchDisk() = default;
#endif

bool ScratchDisk::fill()
{
    QFile filler(path(QStringLiteral("filler")));
    if (!filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return false;
    const QByteArray block(4096, 'f');
    while (filler.write(block) > 0) {
    }
    // Whatever is left is smaller than a block: take it byte by byte.
    while (filler.write("f", 1) == 1) {
    }
    return filler.error() == QFileDevice::WriteError || filler.error() == QFileDevice::ResourceError;
}

bool ScratchDisk::makeReadOnly()
{
#ifdef Q_OS_LINUX
    const QByteArray target = QFile::encodeName(m_dir.path());
    return ::mount("tmpfs", target.constData(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=64k") == 0;
#else
    return false;
#endif
}
