#pragma once

#include "cli/clioptions.h"
#include "unit/unitsummary.h"
#include "settings/parameters.h"
#include "settings/verify.h"

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// How a unit's work ended, as every front end tells it.
using Outcome = UnitOutcome;

// What happened on one unit.
struct UnitReport
{
    QString port;    // as given
    QString device;
    QString model;   // "48210"; the raw text after "ZRT" for a model of another family
    QString kind;    // "デジタルユニット" ...
    QString version; // the version line as received
    Outcome outcome = Outcome::Done;
    QString detail;  // what went wrong, in English; empty when done
    int sent = 0;    // parameters that went out
    QString ownIdSent;  // the own ID whose MYID command went out; empty when none did
    int written = 0; // of those, acknowledged
    int toWrite = 0;
    bool verified = false;
    // Read back (read, diff, --verify), in the order of AllParameterKeys; empty when not read.
    QList<std::pair<ParameterKey, QString>> values;
    QList<Mismatch> mismatches;
    QString errorCode;     // error
    QString errorMessage;  // error: lines joined by CR LF, as the window shows them
    QString outputPath;    // read -o: the file written
    std::optional<UnitSummary> summary;  // what the record takes; none when no job ran
};

// The worst status of all units decides.
int overallExitStatus(const QList<UnitReport> &reports);

// Standard output in text: each unit's result, then, with several units, a summary table.
QString renderText(Verb verb, const QList<UnitReport> &reports);
// One JSON document for the whole run.
QByteArray renderJson(Verb verb, const QList<UnitReport> &reports);
