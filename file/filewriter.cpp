#include "file/filewriter.h"

#include <QSaveFile>

#ifdef Q_OS_UNIX
#include <cerrno>
#include <unistd.h>
#endif

// The data must be on the disk before the rename: some file systems report a full disk only
// here, and a crash between rename and write-back would otherwise leave an empty file.
// Returns the reason of a failure, empty on success.
QString syncToDisk(int fileDescriptor)
{
#ifdef Q_OS_UNIX
    if (::fsync(fileDescriptor) != 0)
        return qt_error_string(errno);
#else
    Q_UNUSED(fileDescriptor);
#endif
    return {};
}

FileWriteResult replaceFile(const QString &path, const QByteArray &content,
                            const SyncToDisk &sync)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return {false, file.errorString()};
    // QSaveFile only buffers on write(), and commit() does not report a failed final flush:
    // it would rename an empty temporary file over the old one. Flush and check first.
    QString reason;
    if (file.write(content) != content.size() || !file.flush())
        reason = file.errorString();
    else
        reason = sync ? sync(file.handle()) : syncToDisk(file.handle());
    if (!reason.isEmpty()) {
        file.cancelWriting();
        file.commit();  // discards the temporary file
        return {false, reason};
    }
    if (!file.commit())
        return {false, file.errorString()};
    return {true, {}};
}
