#include "ui/verifyafterwrite.h"

#include "link/link.h"
#include "link/linkhost.h"

VerifyAfterWrite::VerifyAfterWrite(Link *link, LinkHost *host, QObject *parent)
    : QObject(parent)
    , m_link(link)
    , m_host(host)
{
    connect(m_link, &Link::awaitingReplyChanged, this, &VerifyAfterWrite::onAwaitingReplyChanged);
}

void VerifyAfterWrite::setEnabled(bool on)
{
    m_enabled = on;
}

void VerifyAfterWrite::noteWrite(const QStringList &commands)
{
    m_written = commands;
}

void VerifyAfterWrite::linkStatus(LinkStatus status)
{
    switch (m_state) {
    case State::Reading:
        if (status == LinkStatus::ReadDone) {
            m_state = State::Idle;
            // Shown after the dispatch has returned: the box is modal.
            const QList<Mismatch> mismatches = findMismatches(m_checking, m_reported);
            QMetaObject::invokeMethod(
                this, [this, mismatches] { emit verified(mismatches); }, Qt::QueuedConnection);
        }
        // Any other outcome ends the read without a result; its lines stay away from the
        // window until the exchange is over.
        return;
    case State::Scheduled:
        // "ACK" twice in one reply says "設定成功" twice; anything else cancels the check.
        if (status != LinkStatus::WriteDone)
            m_state = State::Idle;
        return;
    case State::Idle:
        break;
    }
    if (status == LinkStatus::Writing)
        return;
    const QStringList written = std::exchange(m_written, {});
    if (status != LinkStatus::WriteDone || !m_enabled || written.isEmpty())
        return;
    m_checking = written;
    m_state = State::Scheduled;
    // Not from inside the dispatch that reported the success: the rest of its reply belongs to
    // the write.
    QMetaObject::invokeMethod(this, &VerifyAfterWrite::start, Qt::QueuedConnection);
}

void VerifyAfterWrite::start()
{
    if (m_state != State::Scheduled)
        return;
    const LinkState &link = m_link->state();
    if (!link.portOpen || link.awaitingReply || !link.pendingText.isEmpty()
        || link.phase != ExchangePhase::Idle) {
        m_state = State::Idle;  // the user or the unit moved on
        return;
    }
    m_reported.clear();
    m_state = State::Reading;
    // Until the read goes out, no click may slip in between.
    m_host->setWindowLocked(true);
    m_link->readParameters();
}

void VerifyAfterWrite::onAwaitingReplyChanged(bool awaiting)
{
    // A read refused or never answered: the link is done with it, and so is the check.
    if (!awaiting && m_state == State::Reading && m_link->state().phase != ExchangePhase::Reading)
        m_state = State::Idle;
}
