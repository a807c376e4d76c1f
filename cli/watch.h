#pragma once

#include "cli/clioptions.h"
#include "cli/unitplan.h"
#include "cli/unitreport.h"

#include <QList>
#include <QObject>

#include <functional>

// `watch`: the production station without a window. Prints one line per unit and event to
// standard output; ends after Ctrl-C once every unit in progress has its row.
// `stopRequests` is called with what to do on Ctrl-C.
int runWatch(const CliCommand &command,
             const std::function<void(const std::function<void()> &)> &stopRequests);

// `write --record`: one row per unit of a finished write. False, with a message on standard
// error, when the record could not take them.
bool recordWrites(const CliCommand &command, const QList<UnitPlan> &plans,
                  const QList<UnitReport> &reports);

// `record export`: the rows of a record (a plant job's, from every station) as the CSV a
// station writes.
int exportRecord(const CliCommand &command);
