#pragma once

#include "file/filewriter.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QStringList>

#include <functional>
#include <memory>
#include <optional>
#include <utility>

// One attempt on one unit, as the record keeps it.
struct RecordRow
{
    QDateTime time;
    QString station;  // host name
    QString operatorName;
    QString adapter;
    QString adapterSerial;
    QString model;
    QString version;
    QString label;  // as scanned
    QString ownId;  // given: the command carrying it went out; empty otherwise
    QString settingsFile;
    QString settingsSha256;
    QString result;  // done, failed, interrupted, wrong-model
    QString reasonCode;  // for machines: no-answer, unreadable, refused, port-lost, ...
    QString reason;  // in words, Japanese
    bool readBack = false;  // the values are as read back; otherwise as written
    QList<std::pair<QString, QString>> values;
};

// What a record file holds so far.
struct RecordSummary
{
    int done = 0;
    int failed = 0;  // everything that is not done
    QSet<int> ownIds;
    QDateTime first;
    QDateTime last;
};

// Where a station's record lives: a CSV file (StationRecord) or a plant's PostgreSQL database
// shared by the stations of a job (PlantRecord). Rows are only appended, each kept before
// append() returns true.
class RecordStore
{
public:
    virtual ~RecordStore() = default;

    virtual bool append(const RecordRow &row, QString *why) = 0;
    virtual RecordSummary summary() const = 0;
    // The rows as CSV fields, without the header.
    virtual QList<QStringList> rows() const = 0;
    // The file's path, or the database's URL.
    virtual QString target() const = 0;

    // A plant's record shares the job's own IDs with the other stations: each is reserved
    // there before it goes out (`exactly` one, or the lowest free from `from`), and one whose
    // command never went out is released. Empty, with why, when none can be reserved.
    virtual bool sharesOwnIds() const { return false; }
    virtual std::optional<int> reserveOwnId(int from, std::optional<int> exactly, QString *why);
    virtual void releaseOwnId(int ownId) { Q_UNUSED(ownId); }

    // Rows appended while the database was away are kept aside; the station starts no unit
    // until resume() has sent them.
    virtual bool isOffline() const { return false; }
    virtual QString offlineReason() const { return {}; }
    virtual bool resume(QString *why)
    {
        Q_UNUSED(why);
        return true;
    }
    // Reads again what the other stations of the job have added; true when anything changed.
    virtual bool refresh() { return false; }

    // The same for a station, which must not stop talking to its other units while a plant's
    // database answers: `done` is called with the answer on the thread that asked, at once for
    // a file, later for a database, and never once the record is gone. Calls are answered in
    // the order they were made.
    using Drawn = std::function<void(std::optional<int> ownId, const QString &why)>;
    using Appended = std::function<void(bool kept, const QString &why)>;
    virtual void reserveOwnIdThen(int from, std::optional<int> exactly, const Drawn &done)
    {
        QString why;
        const std::optional<int> ownId = reserveOwnId(from, exactly, &why);
        done(ownId, why);
    }
    virtual void appendThen(const RecordRow &row, const Appended &done)
    {
        QString why;
        const bool kept = append(row, &why);
        done(kept, why);
    }
    virtual void refreshThen(const std::function<void(bool changed)> &done) { done(refresh()); }
};

// The job a plant's stations share: the same settings file under the same name, with one rule
// for own IDs.
struct PlantJob
{
    QString name;
    QString settingsFile;  // the file's name
    QString sha256;
    QString kind;          // the file's unit kind
    QString ownIdRule;     // "file", "sequence", "per-unit"
    int sequenceFrom = 1;
};

// Whether a record target is a database URL (postgresql://...) rather than a file.
bool isPlantRecord(const QString &target);
// Opens the record at `target` for `job` (the job matters to a plant's record only). Null,
// with why, when it cannot be used.
std::unique_ptr<RecordStore> openRecord(const QString &target, const PlantJob &job,
                                        const SyncToDisk &sync, QString *why);
// The rows of the record at `target`, without the header: a file's, or a plant job's (all of
// its stations'), or with an empty job name every job's.
bool readRecordRows(const QString &target, const QString &jobName, QList<QStringList> *rows,
                    QString *why);
