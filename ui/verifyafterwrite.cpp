#include "ui/verifyafterwrite.h"

#include "link/link.h"

VerifyAfterWrite::VerifyAfterWrite(Link *link, QObject *parent)
    : QObject(parent)
    , m_link(link)
{
    connect(m_link, &Link::finished, this, &VerifyAfterWrite::onFinished);
}

void VerifyAfterWrite::setEnabled(bool on)
{
    m_enabled = on;
}

void VerifyAfterWrite::noteWrite(const QStringList &commands)
{
    m_written = commands;
}

void VerifyAfterWrite::onFinished(const LinkResult &result)
{
    if (result.operation == LinkOperation::ReadParameters && m_reading) {
        m_reading = false;
        // A read refused or never answered ends the check without a result.
        if (result.ok())
            emit verified(findMismatches(m_checking, m_reported));
        return;
    }
    if (result.operation != LinkOperation::Write)
        return;
    const QStringList written = std::exchange(m_written, {});
    const LinkState &link = m_link->state();
    // The user or the unit may have moved on since.
    if (!result.ok() || !m_enabled || written.isEmpty() || !link.portOpen || link.awaitingReply
        || !link.pendingText.isEmpty() || link.phase != ExchangePhase::Idle) {
        return;
    }
    m_checking = written;
    m_reported.clear();
    m_reading = true;
    emit checking();
    m_link->readParameters(
        [this](const QString &line) { return m_reported.take(line) == 0; });
}
