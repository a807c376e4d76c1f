#pragma once

#include <QString>
#include <QStringList>

// The window program's command line, read before anything needs a display, so that --help and
// --version work anywhere and a mistyped option is refused rather than ignored.
struct WindowCommandLine
{
    enum class Action { Run, Help, Version, Refuse };

    Action action = Action::Run;
    QString message;           // what to print for Help, Version and Refuse
    QStringList portBindings;  // "COMn=device", each checked
    QString language = QStringLiteral("ja");  // "ja" or "en"
    QString logFile;           // --log: the traffic log is appended to this file
};

WindowCommandLine parseWindowCommandLine(const QStringList &arguments);
