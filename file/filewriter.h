#pragma once

#include <QByteArray>
#include <QString>

#include <functional>

// How writing a file ended; on failure, the operating system's reason.
struct FileWriteResult
{
    bool ok = false;
    QString reason;
    // The file is open in another program that keeps others from writing it (Excel does so on
    // Windows); nothing was written.
    bool heldElsewhere = false;
};

// Replaces the file at `path` with `content`, or creates it. The new bytes go to a temporary
// file beside it, which takes the file's place only once every byte is on the disk; on any
// failure the old file stays byte for byte and no temporary file is left.
//
// `sync` puts the temporary file's bytes on the disk before the rename (fsync on Linux,
// FlushFileBuffers on Windows) and returns the reason of a failure, empty on success; tests
// hand in one that fails.
using SyncToDisk = std::function<QString(int fileDescriptor)>;
// The system's own: fsync, or FlushFileBuffers for the descriptor's handle.
QString syncToDisk(int fileDescriptor);
FileWriteResult replaceFile(const QString &path, const QByteArray &content,
                            const SyncToDisk &sync = {});
// Appends `bytes` to the file at `path` and puts them on the disk before it returns; creates
// the file only when `create` says so. On failure what did get out is cut off again, so that
// the file ends where it ended before.
FileWriteResult appendToFile(const QString &path, const QByteArray &bytes, bool create,
                             const SyncToDisk &sync = {});
