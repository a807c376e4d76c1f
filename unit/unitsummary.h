#pragma once

#include "unit/unitjob.h"
#include "unit/unitoutcome.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <utility>

// A unit's work as the station, `watch` and the record tell it: how it ended, how far the write
// got, the own ID that went out and the values that stand for the unit.
struct UnitSummary
{
    UnitOutcome outcome = UnitOutcome::NoAnswer;
    QString model;    // "48210"; the raw text after "ZRT" for a model of another family
    QString kind;     // "デジタルユニット" ...
    QString version;  // the version line as received
    QString detail;   // the port's failure or the wrong model, in English
    int written = 0;  // parameters acknowledged
    int toWrite = 0;
    bool writeStarted = false;  // a parameter command went out
    bool ownIdSent = false;     // the MYID command went out
    QString ownId;              // the own ID that command carried
    QString refusedKey;
    QStringList mismatchedKeys;
    bool readBack = false;  // `values` are as read back; otherwise as written
    QList<std::pair<QString, QString>> values;  // key, value
};

// The summary of a job's result; a job its front end stopped is Interrupted.
UnitSummary summarize(const UnitJob::Result &job, bool interrupted);

// The reason in words: Japanese, as the record keeps it whatever the window speaks, or shown in
// the window's language.
enum class ReasonLanguage { Shown, Record };
QString reasonOf(const UnitSummary &summary, ReasonLanguage language = ReasonLanguage::Shown);

// The command line's words for a job that ended short of its work (the port, the answer, the
// unit), in English; `device` is the port it was run on.
QString commandLineDetail(const UnitJob::Result &job, const QString &device);
// ... and for an interrupted run, and a verify or diff that found differences.
QString interruptedDetail(int written, int toWrite);
QString differencesDetail(const QStringList &keys);
