#include "fakes/pgserver.h"

#include <QFile>
#include <QProcess>

PgServer::PgServer()
{
    // The server runs as another user when the tests run as root: it must reach its folder.
    QFile::setPermissions(m_dir.path(), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner
                                            | QFile::ReadGroup | QFile::ExeGroup
                                            | QFile::ReadOther | QFile::ExeOther);
}

PgServer::~PgServer()
{
    stop();
}

bool PgServer::run(const QString &command)
{
    QProcess script;
    script.start(QStringLiteral("bash"),
                 {QStringLiteral(ZRT_PGSERVER_SCRIPT), command, folder()});
    if (!script.waitForFinished(120000) || script.exitStatus() != QProcess::NormalExit
        || script.exitCode() != 0) {
        m_error = QStringLiteral("pgserver.sh %1: %2%3")
                      .arg(command, QString::fromLocal8Bit(script.readAllStandardError()),
                           script.errorString());
        return false;
    }
    if (command == QLatin1String("start"))
        m_url = QString::fromUtf8(script.readAllStandardOutput()).trimmed();
    return true;
}

bool PgServer::start()
{
    return m_dir.isValid() && run(QStringLiteral("start"));
}

bool PgServer::stop()
{
    return run(QStringLiteral("stop"));
}
