#pragma once

#include <QString>
#include <QTemporaryDir>

// A PostgreSQL server of the test's own, in a temporary folder, reached by a Unix socket there
// (scripts/pgserver.sh does the work). Stopped when it goes.
class PgServer
{
public:
    PgServer();
    ~PgServer();
    PgServer(const PgServer &) = delete;
    PgServer &operator=(const PgServer &) = delete;

    // False, with errorString(), when the server cannot be made or started.
    bool start();
    bool stop();
    QString url() const { return m_url; }
    QString folder() const { return m_dir.path() + QLatin1String("/server"); }
    QString errorString() const { return m_error; }

private:
    bool run(const QString &command);

    QTemporaryDir m_dir;
    QString m_url;
    QString m_error;
};
