#pragma once

#include "options/programoptions.h"

#include <QString>
#include <QStringList>

// The window program's command line, read before anything needs a display, so that --help and
// --version work anywhere and a mistyped option is refused rather than ignored.
struct WindowCommandLine : ProgramOptions::Outcome
{
    QStringList portBindings;  // "COMn=device", each checked
    QString language = QStringLiteral("ja");  // "ja" or "en"
    QString logFile;           // --log: the traffic log is appended to this file
};

WindowCommandLine parseWindowCommandLine(const QStringList &arguments);
