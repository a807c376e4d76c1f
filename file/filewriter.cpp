#include "file/filewriter.h"

#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <QDir>

#include <fcntl.h>
#include <io.h>
#include <windows.h>
#else
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

QString errnoReason()
{
    return QString::fromLocal8Bit(std::strerror(errno));
}

} // namespace

#ifdef Q_OS_WIN

namespace {

QString windowsReason(DWORD error)
{
    return qt_error_string(static_cast<int>(error));
}

std::wstring nativePath(const QString &path)
{
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

bool isHeldElsewhere(DWORD error)
{
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// Every byte, or false with the reason.
bool writeAll(int fd, const QByteArray &bytes, QString *reason)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const qsizetype chunk = std::min<qsizetype>(bytes.size() - done, 1 << 30);
        const int n = _write(fd, bytes.constData() + done, static_cast<unsigned>(chunk));
        if (n <= 0) {
            *reason = n == 0 ? QStringLiteral("nothing was written") : errnoReason();
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

QString syncToDisk(int fileDescriptor)
{
    const auto handle = reinterpret_cast<HANDLE>(_get_osfhandle(fileDescriptor));
    if (handle == INVALID_HANDLE_VALUE)
        return QStringLiteral("no file to sync");
    if (!FlushFileBuffers(handle))
        return windowsReason(GetLastError());
    return {};
}

// QSaveFile renames without MOVEFILE_WRITE_THROUGH, so the rename itself might not be on the
// disk when the call returns: the file is written and moved here with the system's own calls.
FileWriteResult replaceFile(const QString &path, const QByteArray &content,
                            const SyncToDisk &sync)
{
    const std::wstring target = nativePath(path);
    std::wstring temporary;
    HANDLE handle = INVALID_HANDLE_VALUE;
    // A name of its own beside the file, so the move stays on one volume.
    for (int attempt = 0; attempt < 100 && handle == INVALID_HANDLE_VALUE; ++attempt) {
        temporary = target + L"." + std::to_wstring(GetCurrentProcessId()) + L"."
            + std::to_wstring(attempt) + L".tmp";
        handle = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                             FILE_ATTRIBUTE_NORMAL, nullptr);
        if (handle == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS)
            return {false, windowsReason(GetLastError())};
    }
    if (handle == INVALID_HANDLE_VALUE)
        return {false, windowsReason(GetLastError())};
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_WRONLY | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        DeleteFileW(temporary.c_str());
        return {false, errnoReason()};
    }
    QString reason;
    if (writeAll(fd, content, &reason))
        reason = sync ? sync(fd) : syncToDisk(fd);
    const bool closed = _close(fd) == 0;
    if (reason.isEmpty() && !closed)
        reason = errnoReason();
    if (reason.isEmpty()
        && !MoveFileExW(temporary.c_str(), target.c_str(),
                        MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = GetLastError();
        DeleteFileW(temporary.c_str());
        return {false, windowsReason(error), isHeldElsewhere(error)};
    }
    if (!reason.isEmpty()) {
        DeleteFileW(temporary.c_str());
        return {false, reason};
    }
    return {true, {}};
}

FileWriteResult appendToFile(const QString &path, const QByteArray &bytes, bool create,
                             const SyncToDisk &sync)
{
    // Others may read the file meanwhile (a viewer), not write it.
    const HANDLE handle = CreateFileW(nativePath(path).c_str(), GENERIC_READ | GENERIC_WRITE,
                                      FILE_SHARE_READ, nullptr,
                                      create ? OPEN_ALWAYS : OPEN_EXISTING,
                                      FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return {false, windowsReason(error), isHeldElsewhere(error)};
    }
    const int fd = _open_osfhandle(reinterpret_cast<intptr_t>(handle), _O_RDWR | _O_BINARY);
    if (fd < 0) {
        CloseHandle(handle);
        return {false, errnoReason()};
    }
    const __int64 before = _lseeki64(fd, 0, SEEK_END);
    QString reason = before < 0 ? errnoReason() : QString();
    if (reason.isEmpty() && writeAll(fd, bytes, &reason))
        reason = sync ? sync(fd) : syncToDisk(fd);
    // Half a row would spoil the next one: what did get out is taken back. Best effort: the
    // failure itself is reported whatever this achieves.
    if (!reason.isEmpty() && before >= 0 && _chsize_s(fd, before) == 0
        && !syncToDisk(fd).isEmpty()) {
        qWarning("the half-written append was cut, but not synced");
    }
    const bool closed = _close(fd) == 0;
    if (!reason.isEmpty())
        return {false, reason};
    if (!closed)
        return {false, errnoReason()};
    return {true, {}};
}

#else

namespace {

// Every byte, or false with errno set.
bool writeAll(int fd, const QByteArray &bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.constData() + done, size_t(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            if (n == 0)
                errno = EIO;
            return false;
        }
        done += n;
    }
    return true;
}

} // namespace

// The data must be on the disk before the rename: some file systems report a full disk only
// here, and a crash between rename and write-back would otherwise leave an empty file.
// Returns the reason of a failure, empty on success.
QString syncToDisk(int fileDescriptor)
{
    if (::fsync(fileDescriptor) != 0)
        return qt_error_string(errno);
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

FileWriteResult appendToFile(const QString &path, const QByteArray &bytes, bool create,
                             const SyncToDisk &sync)
{
    const QByteArray name = QFile::encodeName(path);
    const int flags = O_WRONLY | O_APPEND | O_CLOEXEC | (create ? O_CREAT : 0);
    const int fd = ::open(name.constData(), flags, 0644);
    if (fd < 0)
        return {false, errnoReason()};
    const off_t before = ::lseek(fd, 0, SEEK_END);
    bool written = before >= 0 && writeAll(fd, bytes);
    QString reason = errnoReason();
    if (written) {
        reason = sync ? sync(fd) : syncToDisk(fd);
        written = reason.isEmpty();
    }
    // Half a row would spoil the next one: what did get out is taken back. Best effort: the
    // failure itself is reported below whatever this achieves.
    if (!written && before >= 0 && ::ftruncate(fd, before) == 0 && ::fsync(fd) != 0)
        qWarning("the half-written append was cut, but not synced");
    const bool closed = ::close(fd) == 0;
    if (!written || !closed)
        return {false, written ? errnoReason() : reason};
    return {true, {}};
}

#endif
