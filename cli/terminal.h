#pragma once

#include <QByteArray>
#include <QObject>
#include <QString>

#include <cstdio>
#include <functional>

// What the command line needs of the console it runs in, on Linux and on Windows.

// True when `stream` is a terminal (a console window on Windows) that takes the cursor moves of
// the progress lines; false for a file or a pipe, which get plain lines.
bool isLineTerminal(std::FILE *stream);
// The terminal's width in columns, or 0 when it is not known.
int terminalColumns(std::FILE *stream);
// Before any output: a closed pipe becomes a failed write, checked like any other, not a death
// by signal (Linux); the console shows the UTF-8 the program writes (Windows).
void prepareConsole();
// Ctrl-C, Ctrl-Break (Windows) and SIGTERM (Linux) call `handler` from the event loop of
// `parent`'s thread, where it is safe to act on them. False when they cannot be watched.
bool watchInterrupts(QObject *parent, const std::function<void()> &handler);

// Everything the command line prints is UTF-8, which prepareConsole() has the console show.
// False, with a message on standard error, when the bytes did not all get out.
bool writeAll(std::FILE *stream, const QByteArray &bytes);
// "zrt48210-cli: message" on standard error.
void complain(const QString &message);
