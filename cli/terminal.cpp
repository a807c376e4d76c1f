#include "cli/terminal.h"

#include <QMetaObject>
#include <QPointer>

#include <cerrno>
#include <cstring>

#ifdef Q_OS_WIN
#include <io.h>
#include <windows.h>
#else
#include <QSocketNotifier>

#include <csignal>
#include <fcntl.h>
#include <sys/ioctl.h>
#include <unistd.h>
#endif

#ifdef Q_OS_WIN

namespace {

QPointer<QObject> g_interruptTarget;
std::function<void()> g_interruptHandler;

// Runs on a thread of the system's own: hands the event to the loop and tells Windows it was
// handled, so the process is not ended under the units still in progress.
BOOL WINAPI onConsoleEvent(DWORD event)
{
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT)
        return FALSE;
    if (QObject *target = g_interruptTarget.data())
        QMetaObject::invokeMethod(target, [] { g_interruptHandler(); }, Qt::QueuedConnection);
    return TRUE;
}

} // namespace

bool isLineTerminal(std::FILE *stream)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    DWORD mode = 0;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleMode(handle, &mode))
        return false;
    // cmd.exe and PowerShell take the cursor moves once asked to; an older console that refuses
    // gets plain lines.
    return (mode & ENABLE_VIRTUAL_TERMINAL_PROCESSING)
        || SetConsoleMode(handle, mode | ENABLE_VIRTUAL_TERMINAL_PROCESSING);
}

int terminalColumns(std::FILE *stream)
{
    const HANDLE handle = reinterpret_cast<HANDLE>(_get_osfhandle(_fileno(stream)));
    CONSOLE_SCREEN_BUFFER_INFO info;
    if (handle == INVALID_HANDLE_VALUE || !GetConsoleScreenBufferInfo(handle, &info))
        return 0;
    return info.srWindow.Right - info.srWindow.Left + 1;
}

void prepareConsole()
{
    // Windows has no SIGPIPE: a write to a closed pipe fails and is checked as any other. A
    // console that is not there (output to a file) refuses the code page, which is then moot.
    SetConsoleOutputCP(CP_UTF8);
}

bool watchInterrupts(QObject *parent, const std::function<void()> &handler)
{
    g_interruptTarget = parent;
    g_interruptHandler = handler;
    return SetConsoleCtrlHandler(onConsoleEvent, TRUE);
}

#else

namespace {

int g_signalPipe[2] = {-1, -1};

void onSignal(int)
{
    const char byte = 1;
    [[maybe_unused]] const auto ignored = ::write(g_signalPipe[1], &byte, 1);
}

} // namespace

bool isLineTerminal(std::FILE *stream)
{
    return isatty(fileno(stream)) == 1;
}

int terminalColumns(std::FILE *stream)
{
    winsize size{};
    if (ioctl(fileno(stream), TIOCGWINSZ, &size) == 0)
        return size.ws_col;
    return 0;
}

void prepareConsole()
{
    std::signal(SIGPIPE, SIG_IGN);
}

// SIGINT and SIGTERM reach the event loop as a readable pipe.
bool watchInterrupts(QObject *parent, const std::function<void()> &handler)
{
    if (::pipe(g_signalPipe) != 0)
        return false;
    for (int fd : g_signalPipe)
        fcntl(fd, F_SETFD, FD_CLOEXEC);
    auto *notifier = new QSocketNotifier(g_signalPipe[0], QSocketNotifier::Read, parent);
    QObject::connect(notifier, &QSocketNotifier::activated, parent, [handler] {
        char byte;
        [[maybe_unused]] const auto ignored = ::read(g_signalPipe[0], &byte, 1);
        handler();
    });
    struct sigaction action = {};
    action.sa_handler = onSignal;
    sigemptyset(&action.sa_mask);
    action.sa_flags = SA_RESTART;
    return sigaction(SIGINT, &action, nullptr) == 0 && sigaction(SIGTERM, &action, nullptr) == 0;
}

#endif

bool writeAll(std::FILE *stream, const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return true;
    if (std::fwrite(bytes.constData(), 1, static_cast<size_t>(bytes.size()), stream)
            == static_cast<size_t>(bytes.size())
        && std::fflush(stream) == 0) {
        return true;
    }
    // A reader that went away (| head) chose to stop reading: no complaint for that.
    if (stream != stderr && errno != EPIPE)
        std::fprintf(stderr, "zrt48210-cli: cannot write the output: %s\n", std::strerror(errno));
    return false;
}

void complain(const QString &message)
{
    writeAll(stderr, ("zrt48210-cli: " + message + '\n').toUtf8());
}
