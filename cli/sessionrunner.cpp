#include "cli/sessionrunner.h"

#include "cli/unitsession.h"
#include "link/trafficlog.h"

#include <algorithm>

SessionRunner::SessionRunner(const QList<UnitPlan> &plans, const PortSettings &lineSettings,
                             TrafficLog *log, QObject *parent)
    : QObject(parent)
{
    for (int i = 0; i < plans.size(); ++i) {
        auto *session = new UnitSession(plans.at(i), lineSettings, nullptr, this);
        if (log)
            connect(session->link(), &Link::traffic, log, &TrafficLog::record);
        connect(session, &UnitSession::progress, this,
                [this, i](const QString &text) { emit progress(i, text); });
        connect(session, &UnitSession::finished, this, &SessionRunner::onSessionFinished,
                Qt::QueuedConnection);
        m_sessions << session;
    }
}

void SessionRunner::start()
{
    for (UnitSession *session : std::as_const(m_sessions))
        session->start();
}

void SessionRunner::interrupt()
{
    for (UnitSession *session : std::as_const(m_sessions))
        session->interrupt();
}

QList<UnitReport> SessionRunner::reports() const
{
    QList<UnitReport> reports;
    for (const UnitSession *session : m_sessions)
        reports << session->report();
    return reports;
}

void SessionRunner::onSessionFinished()
{
    const bool all = std::all_of(m_sessions.cbegin(), m_sessions.cend(),
                                 [](const UnitSession *session) { return session->isFinished(); });
    if (all && !m_finished) {
        m_finished = true;
        emit finished();
    }
}
