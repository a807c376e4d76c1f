#pragma once

#include "station/record.h"
#include "station/recordstore.h"

#include <QList>
#include <QString>

#include <functional>
#include <memory>
#include <optional>

class QObject;
class QThread;

// What drawing an own ID in the database came to.
struct OwnIdDraw
{
    std::optional<int> ownId;
    bool full = false;   // none free up to the last own ID
    bool taken = false;  // the one asked for exactly is another unit's
    QString error;       // the database's, when it could not be asked
};

// The record of a plant: a PostgreSQL database that the stations of a job share, reached by a
// libpq URL (postgresql://user@host:port/dbname). The password comes from where libpq looks
// (PGPASSWORD, ~/.pgpass), never from the URL. The tables are made on first use.
//
// Own IDs are drawn in the database: a reservation is a row under a primary key on the job and
// the own ID, so two stations can never hold the same one. When the database goes away, rows
// go to a spool file on this PC (synced, as the CSV record is) and the record is offline until
// resume() has sent them, each once.
//
// The connection lives on a thread of its own, so that a station's exchanges with its other
// units go on while a statement waits for the server's commit.
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

    void reserveOwnIdThen(int from, std::optional<int> exactly, const Drawn &done) override;
    void appendThen(const RecordRow &row, const Appended &done) override;
    void refreshThen(const std::function<void(bool changed)> &done) override;

private:
    PlantRecord();
    // Runs `work` on the connection's thread and waits for its result.
    template <typename Work>
    auto onWorker(Work work) const;
    // Runs `work` there and hands its result to `reply` here, later.
    template <typename Work, typename Reply>
    void onWorkerThen(Work work, Reply reply);

    std::function<OwnIdDraw()> drawWork(int from, std::optional<int> exactly) const;
    std::function<std::optional<RecordSummary>()> summaryWork() const;
    bool connect(QString *why);
    bool joinJob(QString *why);
    bool insertRow(const RecordRow &row, QString *why);
    // What becomes of a row once the database has taken it or not.
    bool settleAppend(const RecordRow &row, bool inserted, const QString &reason, QString *why);
    std::optional<int> settleDraw(const OwnIdDraw &draw, std::optional<int> exactly,
                                  QString *why);
    bool settleRefresh(const std::optional<RecordSummary> &summary);
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
    std::unique_ptr<QThread> m_thread;
    std::unique_ptr<QObject> m_worker;   // on m_thread: the connection's statements run there
    std::unique_ptr<QObject> m_replies;  // on this thread: the answers come back through it
};
