#pragma once

#include <QByteArray>
#include <QString>

// How writing a file ended; on failure, the operating system's reason.
struct FileWriteResult
{
    bool ok = false;
    QString reason;
};

// Replaces the file at `path` with `content`, or creates it. The new bytes go to a temporary
// file beside it, which takes the file's place only once every byte is on the disk; on any
// failure the old file stays byte for byte and no temporary file is left.
FileWriteResult replaceFile(const QString &path, const QByteArray &content);
