#pragma once

#include "options/programoptions.h"
#include "unit/unitoutcome.h"

#include <QString>
#include <QStringList>

#include <optional>

enum class Verb { Ports, Identify, Read, Write, Set, Diff, Error, Find, Watch, Record };

// The command line of zrt48210-cli as given, checked for form only: which verb, which ports,
// which files and assignments. Whether a file or a value is acceptable is decided later, by the
// same rules as the window (see unitplan.h).
struct CliCommand : ProgramOptions::Outcome
{
    Verb verb = Verb::Identify;
    QStringList ports;        // as given: a device path or COMn, in order; watch: patterns
    QStringList files;        // write, diff: one file for every unit, or one per port
    QStringList assignments;  // set: KEY=VALUE, as given
    QString outputPath;       // read -o; with several ports it holds {n}
    std::optional<int> myId;      // --myid
    std::optional<int> myIdFrom;  // --myid-from
    bool verify = false;
    bool json = false;
    QString logPath;
    QString recordPath;    // write, watch, record: the station's record, a file or a database
    QString jobName;       // write, watch, record: the plant's job; the settings file's name
    QString operatorName;  // write, watch: for the record
};

CliCommand parseCliCommandLine(const QStringList &arguments);

QString verbName(Verb verb);

