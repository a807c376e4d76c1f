#pragma once

#include "options/programoptions.h"

#include <QString>
#include <QStringList>

#include <optional>

// What the station window starts with (from its command line).
struct StationStart
{
    QStringList patterns;
    QString settingsPath;
    QString recordPath;
    QString jobName;  // the plant's job, with a record in a database
    QString operatorName;
    std::optional<int> sequenceFrom;
    bool startAtOnce = false;  // 開始 as soon as the window is up (an unattended bench)
};

// The station program's command line, read before anything needs a display, so that --help and
// --version work on a bare console.
struct StationCommandLine : ProgramOptions::Outcome
{
    StationStart start;
    QString language;  // as given: empty, "ja" or "en"
};

// `arguments` with the program's name first, as main() receives them.
StationCommandLine parseStationCommandLine(const QStringList &arguments);
