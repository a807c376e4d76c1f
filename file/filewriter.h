#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// How writing a file ended; on failure, the operating system's reason.
struct FileWriteResult
{
    bool ok = false;
    QString reason;
};

// Replaces the file at `path` with `content`, or creates it. The new bytes go to a temporary
// file beside it, which takes the file's place only once every byte is on the disk; on any
// failure the old file stays byte for byte and no temporary file is left.
//
// `sync` puts the temporary file's bytes on the disk before the rename (fsync where there is
// one) and returns the reason of a failure, empty on success; tests hand in one that fails.
using SyncToDisk = std::function<QString(int fileDescriptor)>;
// The system's own: fsync where there is one.
QString syncToDisk(int fileDescriptor);
FileWriteResult replaceFile(const QString &path, const QByteArray &content,
                            const SyncToDisk &sync = {});
