#pragma once

#include "cli/clioptions.h"
#include "link/unitmodels.h"
#include "settings/parameters.h"
#include "settings/unitsettings.h"

#include <QByteArray>
#include <QList>
#include <QString>

class PortMap;

// What one session does with one unit, settled before any port is opened.
struct UnitPlan
{
    Verb verb = Verb::Identify;
    QString port;    // as the user gave it: a device path or COMn
    QString device;  // what it stands for; empty when COMn stands for nothing
    int position = 1;  // among the --port options, from 1
    // write, diff: the file's values; set: the given values. The own ID is already overridden.
    UnitSettings values;
    // set: the parameters to write. write and diff take all seventeen.
    QList<ParameterKey> keys;
    // write, diff: the settings file, and the SHA-256 (lower-case hex) of the bytes `values`
    // came from, so that a record names what was written even if the file is saved anew.
    QString settingsPath;
    QString settingsSha256;
    bool matchKind = false;  // write, diff: the file's unit kind must be the unit's
    bool verify = false;
    QString outputPath;  // read -o, {n} already replaced
};

struct PlanResult
{
    QList<UnitPlan> plans;
    QString error;  // why nothing can be sent: a bad file or value, in English
};

// One plan per --port. Settings files are loaded and `set` values checked by the rules of the
// window here, so that a bad one is refused before anything is sent.
PlanResult planUnits(const CliCommand &command, const PortMap &ports);

// The commands that carry out a plan on a unit whose panel is `unitTab`, in the window's
// write-all order.
QStringList planCommands(const UnitPlan &plan, int unitTab);
