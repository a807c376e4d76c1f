#pragma once

#include "station/record.h"
#include "station/recordstore.h"

#include <QList>
#include <QString>

#include <memory>

// The record of a plant: a PostgreSQL database that the stations of a job share, reached by a
// libpq URL (postgresql://user@host:port/dbname). The password comes from where libpq looks
// (PGPASSWORD, ~/.pgpass), never from the URL. The tables are made on first use.
//
// Own IDs are drawn in the database: a reservation is a row under a primary key on the job and
// the own ID, so two stations can never hold the same one. When the database goes away, rows
// go to a spool file on this PC (synced, as the CSV record is) and the record is offline until
// resume() has sent them, each once.
class PlantRecord : public RecordStore
{
public:
    ~PlantRecord() override;

    // Connects, makes the tables if there are none, and joins the job (or starts it). Null,
    // with why, when the server cannot be reached, the URL holds a password, the tables are of
    // a newer version, or the job exists with another settings file or own-ID rule.
    static std::unique_ptr<PlantRecord> open(const QString &url, const PlantJob &job,
                                             QString *why);
    // The rows of a job (every job's with an empty name), without the header.
    static bool readRows(const QString &url, const QString &jobName, QList<QStringList> *rows,
                         QString *why);

    static constexpr int SchemaVersion = 1;

    bool append(const RecordRow &row, QString *why) override;
    RecordSummary summary() const override { return m_summary; }
    QList<QStringList> rows() const override;
    QString target() const override { return m_url; }

    bool sharesOwnIds() const override { return true; }
    std::optional<int> reserveOwnId(int from, std::optional<int> exactly, QString *why) override;
    void releaseOwnId(int ownId) override;

    bool isOffline() const override { return m_offline; }
    QString offlineReason() const override { return m_offlineReason; }
    bool resume(QString *why) override;
    bool refresh() override;

private:
    PlantRecord() = default;
    bool connect(QString *why);
    bool joinJob(QString *why);
    bool insertRow(const RecordRow &row, QString *why);
    // Sends every spool file of this job on this PC that no running station holds.
    bool sendSpools(QString *why);
    void goOffline(const QString &reason);

    QString m_url;
    QString m_connection;  // the name of this record's database connection
    QString m_session;     // whose reservations these are
    PlantJob m_job;
    int m_jobId = 0;
    RecordSummary m_summary;
    bool m_offline = false;
    QString m_offlineReason;
    QString m_spoolPrefix;  // of this job's spool files
    QString m_spoolPath;    // this run's
    std::unique_ptr<StationRecord> m_spool;
    QList<int> m_releases;  // own IDs to release once the database is back
};
