#include "link/link.h"

#include "link/linkhost.h"
#include "link/serialchannel.h"

#include <algorithm>

namespace {
const QByteArray CrLf = QByteArrayLiteral("\r\n");
} // namespace

Link::Link(SerialChannel *channel, LinkHost *host, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
    , m_host(host)
{
    m_watchdog.setInterval(m_timings.watchdogMs);
    // Coarse timers may fire 5 % early; the resend rhythm is part of the protocol.
    m_watchdog.setTimerType(Qt::PreciseTimer);
    m_quietTimer.setTimerType(Qt::PreciseTimer);
    m_quietTimer.setSingleShot(true);
    m_turnTimer.setSingleShot(true);
    m_turnTimer.setInterval(0);
    connect(&m_watchdog, &QTimer::timeout, this, &Link::replyTimeout);
    connect(&m_quietTimer, &QTimer::timeout, this, &Link::onQuietTimeout);
    connect(&m_turnTimer, &QTimer::timeout, this, &Link::runTurn);
    connect(m_channel, &SerialChannel::readyRead, this, &Link::onReadyRead);
    connect(m_channel, &SerialChannel::lost, this, &Link::onChannelLost);
}

void Link::setTimings(const LinkTimings &timings)
{
    m_timings = timings;
    m_watchdog.setInterval(timings.watchdogMs);
}

void Link::setDeviceResolver(DeviceResolver resolver)
{
    m_resolveDevice = std::move(resolver);
}

void Link::setPortSettings(const PortSettings &settings)
{
    static_cast<PortSettings &>(m_state) = settings;
}

void Link::setPortNumber(int portNumber)
{
    m_state.portNumber = static_cast<quint8>(portNumber);
}

void Link::readBack()
{
    queueIdentify();
    queueReadAll();
    m_host->showLinkStatus(LinkStatus::ReadingSettings);
    m_state.phase = ExchangePhase::Reading;
}

void Link::readParameters()
{
    queueReadAll();
    m_state.phase = ExchangePhase::Reading;
}

void Link::readError()
{
    queueReadError();
    m_host->showLinkStatus(LinkStatus::ReadingError);
    m_state.phase = ExchangePhase::Reading;
}

void Link::writeGroup(const QStringList &commands)
{
    m_host->showLinkStatus(LinkStatus::Writing);
    for (const QString &command : commands)
        queueCommand(command);
}

void Link::quit()
{
    m_state.quitRequested = true;
}

void Link::report(TrafficEvent::Kind kind, const QByteArray &bytes, const QString &reason)
{
    TrafficEvent event;
    event.kind = kind;
    event.device = m_device;
    event.bytes = bytes;
    event.reason = reason;
    event.attempt = kind == TrafficEvent::Kind::Resent ? m_state.retryCount : 0;
    emit traffic(event);
}

void Link::queueCommand(const QString &command)
{
    m_state.pendingText += '@' + command.toLatin1() + CrLf;
    scheduleTurn();
}

void Link::queueIdentify()
{
    m_host->clearUnitLabels();
    queueCommand(QStringLiteral("UVER"));
}

void Link::queueReadAll()
{
    queueCommand(QStringLiteral("DISP"));
}

void Link::queueReadError()
{
    queueCommand(QStringLiteral("UERR"));
}

void Link::connectUnit()
{
    const int number = m_state.portNumber;
    const bool listed = number >= 1 && number <= 9;
    m_device = (listed && m_resolveDevice) ? m_resolveDevice(number) : QString();
    if (m_device.isEmpty()) {
        report(TrafficEvent::Kind::OpenFailed, {},
               listed ? QStringLiteral("no device stands behind COM%1").arg(number)
                      : QStringLiteral("port number %1 is not one of COM1 to COM9").arg(number));
        m_host->showLinkStatus(LinkStatus::OpenFailed);
        return;
    }
    if (!m_channel->open(m_device, m_state)) {
        report(TrafficEvent::Kind::OpenFailed, {}, m_channel->errorString());
        m_host->showLinkStatus(LinkStatus::OpenFailed);
        return;
    }
    m_state.portOpen = true;
    report(TrafficEvent::Kind::Opened);
    m_host->showLinkStatus(LinkStatus::Connecting);
    m_host->stopStatusReset();
    m_state.pendingText.clear();
    m_state.phase = ExchangePhase::Connecting;
    discardInput();
    setAwaitingReply(false);
    queueIdentify();
}

void Link::disconnectUnit()
{
    if (!m_channel->close()) {
        m_host->showLinkStatus(LinkStatus::CloseFailed);
        m_state.portOpen = false;
        return;
    }
    m_state.portOpen = false;
    report(TrafficEvent::Kind::Closed);
    if (!m_host->unitKind().isEmpty()) {
        m_host->showLinkStatus(LinkStatus::Disconnected);
        m_host->startStatusReset();
    }
    m_state.pendingText.clear();
    m_host->showConnectionState(false);
}

void Link::transmitNextLine()
{
    const qsizetype end = m_state.pendingText.indexOf(CrLf);
    if (end < 0) {
        // Only QueueCommand fills the queue, so this cannot hold a partial command; be safe.
        m_state.pendingText.clear();
        return;
    }
    const QByteArray line = m_state.pendingText.left(end + 2);
    setAwaitingReply(true);
    const bool written = m_channel->write(line);
    m_state.pendingText.remove(0, end + 2);
    m_state.lastSentLine = line;
    if (!written) {
        onChannelLost();
        return;
    }
    report(TrafficEvent::Kind::Sent, line);
}

void Link::setAwaitingReply(bool on)
{
    resetCollection();
    m_state.awaitingReply = on;
    m_host->setWindowLocked(on);
    if (on) {
        m_watchdog.start();
        m_state.retryCount = 0;
        m_ticks = 0;
        // Whatever arrived before the command goes out is not its reply.
        discardInput();
    } else {
        m_watchdog.stop();
    }
    emit awaitingReplyChanged(on);
}

void Link::dispatchReply(QString &reply)
{
    bool lastApplyRejected = false;
    for (;;) {
        if (reply.isEmpty()) {
            // A connect ends only on an identification line: a reply without one (noise in
            // front of "ZRT") keeps waiting, so the watchdog asks again or gives up.
            if (m_state.phase == ExchangePhase::Connecting)
                return;
            setAwaitingReply(false);
            return;
        }
        const qsizetype end = reply.indexOf(QLatin1String("\r\n"));
        const QString line = end < 0 ? reply : reply.left(end);
        reply.remove(0, end < 0 ? reply.size() : end + 2);
        const QStringView kind = QStringView(line).left(3);
        bool parameterRow = false;

        if (kind == QLatin1String("ACK")) {
            if (m_state.pendingText.isEmpty())
                m_host->showLinkStatus(LinkStatus::WriteDone);
        } else if (kind == QLatin1String("NAK")) {
            m_host->showLinkStatus(m_state.phase == ExchangePhase::Reading
                                       ? LinkStatus::ReadFailed
                                       : LinkStatus::WriteFailed);
            m_state.phase = ExchangePhase::Failed;
        } else if (kind == QLatin1String("ZRT")) {
            if (!m_host->identifyUnit(line)) {
                m_host->showLinkStatus(LinkStatus::WrongUnit);
                m_state.phase = ExchangePhase::Failed;
            }
            if (m_state.phase == ExchangePhase::Connecting) {
                m_host->showConnectionState(true);
                m_host->showLinkStatus(LinkStatus::Connected);
                m_state.phase = ExchangePhase::Idle;
            }
        } else if (kind == QLatin1String("Ver")) {
            m_host->showVersion(line);
        } else if (kind == QLatin1String("Err")) {
            // The report is modal; the watchdog must not resend behind it.
            m_watchdog.stop();
            m_host->showLinkStatus(LinkStatus::ReadDone);
            m_host->showUnitError(line);
            reply.clear();
            m_state.phase = ExchangePhase::Idle;
        } else {
            parameterRow = true;
            if (m_state.phase == ExchangePhase::Reading) {
                const bool applied = m_host->applyParameterLine(line) == 0;
                lastApplyRejected = !applied;
                if (applied && reply.isEmpty()) {
                    m_host->showLinkStatus(LinkStatus::ReadDone);
                    m_state.phase = ExchangePhase::Idle;
                }
            }
        }
        // A read-back whose final line was refused keeps waiting: the watchdog asks again.
        if (parameterRow && reply.isEmpty() && lastApplyRejected)
            return;
    }
}

void Link::replyTimeout()
{
    ++m_ticks;
    if (m_ticks < GiveUpTicks) {
        // Bytes on their way: the collection will pick them up.
        if (m_collecting || m_channel->bytesAvailable() > 0)
            return;
        if (m_state.retryCount < MaxResends) {
            ++m_state.retryCount;
            if (!m_channel->write(m_state.lastSentLine))
                onChannelLost();
            else
                report(TrafficEvent::Kind::Resent, m_state.lastSentLine);
            return;
        }
    }
    // Resends used up, or a line that never went quiet: give up either way.
    giveUp();
}

void Link::giveUp()
{
    report(TrafficEvent::Kind::GaveUp);
    m_host->showLinkStatus(LinkStatus::NoAnswer);
    if (m_host->unitKind().isEmpty())
        disconnectUnit();
    m_state.pendingText.clear();
    m_state.phase = ExchangePhase::Idle;
    setAwaitingReply(false);
}

void Link::scheduleTurn()
{
    if (!m_turnTimer.isActive())
        m_turnTimer.start();
}

void Link::runTurn()
{
    if (m_state.quitRequested || !m_state.portOpen)
        return;
    if (m_dispatching) {
        // A modal report is open inside a dispatch; try again once it has returned.
        scheduleTurn();
        return;
    }
    dropFailedBatch();
    // While a reply is awaited the turn belongs to the collection, which its own events drive.
    if (!m_state.awaitingReply && !m_state.pendingText.isEmpty())
        transmitNextLine();
}

// The first step of every turn: what is left of a failed batch is never sent.
void Link::dropFailedBatch()
{
    if (m_state.phase != ExchangePhase::Failed)
        return;
    m_state.pendingText.clear();
    m_state.phase = ExchangePhase::Idle;
}

void Link::onReadyRead()
{
    if (m_dispatching)
        return;  // read after the dispatch; the modal report must not re-enter it
    if (!m_state.portOpen || !m_state.awaitingReply) {
        // Nobody asked: such bytes would be discarded when the next wait starts anyway.
        discardInput();
        return;
    }
    m_collecting = true;
    appendReceived();
    m_quietTimer.start(m_timings.quietMs);
}

bool Link::appendReceived()
{
    const QByteArray bytes = m_channel->readAll();
    if (!bytes.isEmpty())
        report(TrafficEvent::Kind::Received, bytes);
    const qsizetype room = MaxReplyBytes - m_collected.size();
    m_collected += bytes.left(std::max<qsizetype>(room, 0));
    if (bytes.size() > room)
        m_replyCut = true;
    return !bytes.isEmpty();
}

void Link::onQuietTimeout()
{
    if (!m_collecting)
        return;
    if (m_channel->bytesAvailable() > 0 && appendReceived()) {
        m_quietTimer.start(m_timings.quietMs);
        return;
    }
    finishCollection();
}

void Link::finishCollection()
{
    QByteArray text = m_fragment + m_collected;
    const bool cut = m_replyCut;
    resetCollection();
    if (!m_state.portOpen || !m_state.awaitingReply)
        return;
    // A reply cut at the cap lost lines nobody can name: acting on the rest could report a
    // read-back as complete that never was. It counts as no reply; the watchdog asks again.
    if (cut) {
        report(TrafficEvent::Kind::ReplyCut);
        return;
    }
    dropFailedBatch();
    const qsizetype lastEnd = text.lastIndexOf(CrLf);
    const qsizetype complete = lastEnd < 0 ? 0 : lastEnd + 2;
    // An unfinished line waits for its rest in a later collection of the same wait.
    if (text.size() - complete <= MaxFragmentBytes)
        m_fragment = text.mid(complete);
    if (complete == 0)
        return;
    QString reply = QString::fromLatin1(text.left(complete));
    m_dispatching = true;
    dispatchReply(reply);
    m_dispatching = false;
    // Ending the wait dropped the fragment; a wait that goes on keeps it.
    scheduleTurn();
}

void Link::resetCollection()
{
    m_quietTimer.stop();
    m_collected.clear();
    m_fragment.clear();
    m_collecting = false;
    m_replyCut = false;
}

void Link::discardInput()
{
    const QByteArray stale = m_channel->readAll();
    if (!stale.isEmpty())
        report(TrafficEvent::Kind::Unrequested, stale);
    m_channel->discardInput();
}

void Link::onChannelLost()
{
    if (!m_state.portOpen)
        return;
    report(TrafficEvent::Kind::Lost, {}, m_channel->errorString());
    m_channel->close();
    m_state.portOpen = false;
    m_host->showLinkStatus(LinkStatus::NoAnswer);
    m_state.pendingText.clear();
    m_state.phase = ExchangePhase::Idle;
    setAwaitingReply(false);
    m_host->showConnectionState(false);
}
