/* How Wine delivers a unit's reply: sends @UVER on a COM port and reads the answer two ways,
   a plain synchronous ReadFile, and the overlapped WaitCommEvent on an I/O completion port
   that QSerialPort uses. scripts/windows.sh runs it and prints what it saw.
     serialprobe.exe COM1 */
#include <windows.h>
#include <stdio.h>

static HANDLE openPort(const char *name, DWORD flags)
{
    char path[64];
    snprintf(path, sizeof path, "\\\\.\\%s", name);
    HANDLE port = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, 0, NULL, OPEN_EXISTING, flags,
                              NULL);
    if (port == INVALID_HANDLE_VALUE) {
        printf("cannot open %s: error %lu\n", path, GetLastError());
        return port;
    }
    DCB dcb = {0};
    dcb.DCBlength = sizeof dcb;
    GetCommState(port, &dcb);
    dcb.BaudRate = 38400;
    dcb.ByteSize = 8;
    dcb.Parity = EVENPARITY;
    dcb.StopBits = ONESTOPBIT;
    dcb.fBinary = TRUE;
    dcb.fParity = TRUE;
    if (!SetCommState(port, &dcb))
        printf("SetCommState: error %lu\n", GetLastError());
    return port;
}

static int readSynchronously(const char *name)
{
    HANDLE port = openPort(name, 0);
    if (port == INVALID_HANDLE_VALUE)
        return 1;
    COMMTIMEOUTS timeouts = {0};
    timeouts.ReadIntervalTimeout = 50;
    timeouts.ReadTotalTimeoutConstant = 1000;
    SetCommTimeouts(port, &timeouts);
    DWORD done = 0;
    if (!WriteFile(port, "@UVER\r\n", 7, &done, NULL) || done != 7)
        printf("write failed: error %lu\n", GetLastError());
    char reply[256];
    DWORD total = 0;
    for (int i = 0; i < 4 && total < sizeof reply - 1; ++i) {
        if (!ReadFile(port, reply + total, sizeof reply - 1 - total, &done, NULL)) {
            printf("ReadFile: error %lu\n", GetLastError());
            break;
        }
        total += done;
    }
    reply[total] = 0;
    for (DWORD i = 0; i < total; ++i) {
        if (reply[i] == '\r' || reply[i] == '\n')
            reply[i] = '|';
    }
    printf("synchronous ReadFile: %lu bytes: %s\n", total, reply);
    return CloseHandle(port) ? 0 : 1;
}

static int readOverlapped(const char *name)
{
    HANDLE port = openPort(name, FILE_FLAG_OVERLAPPED);
    if (port == INVALID_HANDLE_VALUE)
        return 1;
    HANDLE completions = CreateIoCompletionPort(port, NULL, 1, 0);
    SetCommMask(port, EV_RXCHAR);
    OVERLAPPED writing = {0};
    OVERLAPPED waiting = {0};
    DWORD mask = 0;
    const BOOL waited = WaitCommEvent(port, &mask, &waiting);
    printf("WaitCommEvent returned %s (error %lu)\n", waited ? "TRUE" : "FALSE",
           waited ? 0 : GetLastError());
    if (!WriteFile(port, "@UVER\r\n", 7, NULL, &writing) && GetLastError() != ERROR_IO_PENDING)
        printf("write failed: error %lu\n", GetLastError());
    int packets = 0;
    for (int i = 0; i < 3; ++i) {
        DWORD bytes = 0;
        ULONG_PTR key = 0;
        LPOVERLAPPED which = NULL;
        if (!GetQueuedCompletionStatus(completions, &bytes, &key, &which, 1500) && !which) {
            printf("GetQueuedCompletionStatus: timed out\n");
            break;
        }
        ++packets;
        printf("completion packet for %s, event mask 0x%lx\n",
               which == &waiting ? "WaitCommEvent" : which == &writing ? "WriteFile" : "?",
               mask);
    }
    COMSTAT status;
    DWORD errors = 0;
    ClearCommError(port, &errors, &status);
    printf("packets: %d; bytes waiting in the driver: %lu\n", packets, status.cbInQue);
    const BOOL closed = CloseHandle(completions) && CloseHandle(port);
    return closed ? 0 : 1;
}

int main(int argc, char **argv)
{
    const char *name = argc > 1 ? argv[1] : "COM1";
    const int synchronous = readSynchronously(name);
    const int overlapped = readOverlapped(name);
    return synchronous || overlapped || fflush(stdout) != 0;
}
