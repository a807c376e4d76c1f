#include "link/link.h"

#include "link/serialchannel.h"

#include <QLoggingCategory>

#include <algorithm>
#include <utility>

// Developers' diagnostics of the exchange (QT_LOGGING_RULES="zrt.link.debug=true"); the user's
// record of the line is the traffic log.
Q_LOGGING_CATEGORY(lcLink, "zrt.link", QtWarningMsg)

namespace {
const QByteArray CrLf = QByteArrayLiteral("\r\n");
} // namespace

Link::Link(SerialChannel *channel, QObject *parent)
    : QObject(parent)
    , m_channel(channel)
{
    m_watchdog.setInterval(m_timings.watchdogMs);
    // Coarse timers may fire 5 % early; the resend rhythm is part of the protocol.
    m_watchdog.setTimerType(Qt::PreciseTimer);
    m_quietTimer.setTimerType(Qt::PreciseTimer);
    m_quietTimer.setSingleShot(true);
    m_turnTimer.setSingleShot(true);
    m_turnTimer.setInterval(0);
    m_finishTimer.setSingleShot(true);
    m_finishTimer.setInterval(0);
    connect(&m_watchdog, &QTimer::timeout, this, &Link::replyTimeout);
    connect(&m_quietTimer, &QTimer::timeout, this, &Link::onQuietTimeout);
    connect(&m_turnTimer, &QTimer::timeout, this, &Link::runTurn);
    connect(&m_finishTimer, &QTimer::timeout, this, &Link::emitFinished);
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

void Link::readBack(ParameterSink sink)
{
    begin(LinkOperation::ReadBack);
    m_sink = std::move(sink);
    queueIdentify();
    queueReadAll();
    showStatus(LinkStatus::ReadingSettings);
    m_state.phase = ExchangePhase::Reading;
}

void Link::readParameters(ParameterSink sink)
{
    begin(LinkOperation::ReadParameters);
    m_sink = std::move(sink);
    queueReadAll();
    m_state.phase = ExchangePhase::Reading;
}

void Link::readError()
{
    begin(LinkOperation::ReadError);
    queueReadError();
    showStatus(LinkStatus::ReadingError);
    m_state.phase = ExchangePhase::Reading;
}

void Link::writeGroup(const QStringList &commands)
{
    begin(LinkOperation::Write);
    showStatus(LinkStatus::Writing);
    for (const QString &command : commands)
        queueCommand(command);
}

void Link::quit()
{
    m_state.quitRequested = true;
    scheduleTurn();
}

// ---- operations and their results ----

void Link::begin(LinkOperation operation)
{
    // A caller that starts another operation before the last has ended takes it over.
    m_operation = operation;
    m_outcome.reset();
    m_portCheck = {};
    m_confirmed = false;
    m_sink = {};
}

void Link::notePortFailure()
{
    m_portCheck = {m_channel->failure(), m_channel->errorString(), m_channel->holder()};
}

// The first failure of an operation is what it ends with.
void Link::endOperation(LinkResult::Outcome outcome)
{
    if (m_operation && !m_outcome)
        m_outcome = outcome;
}

// The operation is over once nothing is awaited and nothing more will go out.
void Link::settle()
{
    if (!m_operation)
        return;
    const bool over = !m_state.portOpen
        || (!m_state.awaitingReply
            && (m_state.pendingText.isEmpty() || m_state.phase == ExchangePhase::Failed
                || m_state.quitRequested));
    if (!over)
        return;
    LinkResult result;
    result.operation = *m_operation;
    if (m_outcome)
        result.outcome = *m_outcome;
    else if (m_confirmed)
        result.outcome = LinkResult::Outcome::Done;
    else if (m_state.quitRequested || !m_state.portOpen)
        result.outcome = LinkResult::Outcome::Stopped;
    else
        result.outcome = LinkResult::Outcome::Unconfirmed;
    if (result.outcome != LinkResult::Outcome::OpenFailed)
        result.command = QString::fromLatin1(m_state.lastSentLine.trimmed().mid(1));
    if (result.outcome == LinkResult::Outcome::OpenFailed
        || result.outcome == LinkResult::Outcome::PortLost)
        result.port = m_portCheck;
    m_operation.reset();
    m_sink = {};
    m_results << result;
    // Announced from a turn of its own: the receiver may open a modal box.
    m_finishTimer.start();
}

void Link::emitFinished()
{
    const QList<LinkResult> results = std::exchange(m_results, {});
    for (const LinkResult &result : results) {
        qCDebug(lcLink) << "finished" << int(result.operation) << int(result.outcome)
                        << result.command;
        emit finished(result);
    }
}

void Link::showStatus(LinkStatus status)
{
    if (m_operation) {
        switch (status) {
        case LinkStatus::Connected:
            m_confirmed = *m_operation == LinkOperation::Connect;
            break;
        case LinkStatus::WriteDone:
            m_confirmed = *m_operation == LinkOperation::Write;
            break;
        case LinkStatus::ReadDone:
            m_confirmed = *m_operation != LinkOperation::Write
                && *m_operation != LinkOperation::Connect;
            break;
        default:
            break;
        }
    }
    emit statusChanged(status);
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
    m_unit.reset();
    emit unitForgotten();
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
    begin(LinkOperation::Connect);
    const int number = m_state.portNumber;
    const bool listed = number >= 1 && number <= 9;
    m_device = (listed && m_resolveDevice) ? m_resolveDevice(number) : QString();
    if (m_device.isEmpty()) {
        m_portCheck.failure = PortFailure::NoDevice;
        m_portCheck.reason =
            listed ? QStringLiteral("no device stands behind COM%1").arg(number)
                   : QStringLiteral("port number %1 is not one of COM1 to COM9").arg(number);
        report(TrafficEvent::Kind::OpenFailed, {}, m_portCheck.reason);
        showStatus(LinkStatus::OpenFailed);
        endOperation(LinkResult::Outcome::OpenFailed);
        settle();
        return;
    }
    if (!m_channel->open(m_device, m_state)) {
        notePortFailure();
        report(TrafficEvent::Kind::OpenFailed, {}, m_channel->errorString());
        showStatus(LinkStatus::OpenFailed);
        endOperation(LinkResult::Outcome::OpenFailed);
        settle();
        return;
    }
    m_state.portOpen = true;
    report(TrafficEvent::Kind::Opened);
    showStatus(LinkStatus::Connecting);
    m_state.pendingText.clear();
    m_state.phase = ExchangePhase::Connecting;
    discardInput();
    setAwaitingReply(false);
    queueIdentify();
}

void Link::disconnectUnit()
{
    if (!m_channel->close()) {
        showStatus(LinkStatus::CloseFailed);
        m_state.portOpen = false;
        settle();
        return;
    }
    m_state.portOpen = false;
    report(TrafficEvent::Kind::Closed);
    if (m_unit)
        showStatus(LinkStatus::Disconnected);
    m_state.pendingText.clear();
    emit connectionChanged(false);
    settle();
}

void Link::transmitNextLine()
{
    const qsizetype end = m_state.pendingText.indexOf(CrLf);
    if (end < 0) {
        // Only queueCommand fills the queue, so this cannot hold a partial command; be safe.
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
    qCDebug(lcLink) << "sent" << line.trimmed();
    report(TrafficEvent::Kind::Sent, line);
}

void Link::setAwaitingReply(bool on)
{
    resetCollection();
    m_state.awaitingReply = on;
    if (on) {
        m_watchdog.start();
        m_state.retryCount = 0;
        m_ticks = 0;
        m_heard = false;
        m_understood = false;
        m_garbled = false;
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

        qCDebug(lcLink) << "dispatch" << line;
        m_understood = m_understood || kind == QLatin1String("ACK") || kind == QLatin1String("NAK")
            || kind == QLatin1String("ZRT") || kind == QLatin1String("Ver")
            || kind == QLatin1String("Err");

        if (kind == QLatin1String("ACK")) {
            if (m_state.pendingText.isEmpty())
                showStatus(LinkStatus::WriteDone);
        } else if (kind == QLatin1String("NAK")) {
            showStatus(m_state.phase == ExchangePhase::Reading ? LinkStatus::ReadFailed
                                                               : LinkStatus::WriteFailed);
            m_state.phase = ExchangePhase::Failed;
            endOperation(LinkResult::Outcome::Refused);
        } else if (kind == QLatin1String("ZRT")) {
            m_unit = unitModelOf(line);
            emit identified(line.mid(3), m_unit ? m_unit->kind : QString());
            if (!m_unit) {
                showStatus(LinkStatus::WrongUnit);
                m_state.phase = ExchangePhase::Failed;
                endOperation(LinkResult::Outcome::WrongModel);
            }
            if (m_state.phase == ExchangePhase::Connecting) {
                emit connectionChanged(true);
                showStatus(LinkStatus::Connected);
                m_state.phase = ExchangePhase::Idle;
            }
        } else if (kind == QLatin1String("Ver")) {
            emit versionReceived(line);
        } else if (kind == QLatin1String("Err")) {
            showStatus(LinkStatus::ReadDone);
            emit errorLineReceived(line);
            reply.clear();
            m_state.phase = ExchangePhase::Idle;
        } else {
            parameterRow = true;
            if (m_state.phase == ExchangePhase::Reading) {
                const bool applied = !m_sink || m_sink(line);
                m_understood = m_understood || applied;
                emit parameterLineReceived(line, applied);
                lastApplyRejected = !applied;
                if (applied && reply.isEmpty()) {
                    showStatus(LinkStatus::ReadDone);
                    m_state.phase = ExchangePhase::Idle;
                }
            } else {
                // Outside a read such a line answers nothing: noise in front of "ZRT", say.
                m_garbled = true;
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
            if (!m_channel->write(m_state.lastSentLine)) {
                onChannelLost();
            } else {
                qCDebug(lcLink) << "resent" << m_state.retryCount
                                << m_state.lastSentLine.trimmed();
                report(TrafficEvent::Kind::Resent, m_state.lastSentLine);
            }
            return;
        }
    }
    // Resends used up, or a line that never went quiet: give up either way.
    giveUp();
}

void Link::giveUp()
{
    qCDebug(lcLink) << "gave up on" << m_state.lastSentLine.trimmed();
    report(TrafficEvent::Kind::GaveUp);
    showStatus(LinkStatus::NoAnswer);
    endOperation(m_heard && (m_garbled || !m_understood) ? LinkResult::Outcome::Unreadable
                                                         : LinkResult::Outcome::NoAnswer);
    if (!m_unit)
        disconnectUnit();
    m_state.pendingText.clear();
    m_state.phase = ExchangePhase::Idle;
    setAwaitingReply(false);
    settle();
}

void Link::hold()
{
    ++m_holds;
    // A wait under way stands still: a resend would be a line out as well.
    m_watchdog.stop();
}

void Link::release()
{
    if (m_holds == 0 || --m_holds > 0)
        return;
    if (m_state.portOpen && m_state.awaitingReply)
        m_watchdog.start();
    scheduleTurn();
}

void Link::scheduleTurn()
{
    if (!m_turnTimer.isActive())
        m_turnTimer.start();
}

void Link::runTurn()
{
    if (m_state.quitRequested || !m_state.portOpen) {
        settle();
        return;
    }
    dropFailedBatch();
    settle();
    // While a reply is awaited the turn belongs to the collection, which its own events drive;
    // while held, the next line waits for the release.
    if (!m_state.awaitingReply && !m_state.pendingText.isEmpty() && m_holds == 0)
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
    if (!bytes.isEmpty()) {
        m_heard = true;
        report(TrafficEvent::Kind::Received, bytes);
    }
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
    dispatchReply(reply);
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
    notePortFailure();
    report(TrafficEvent::Kind::Lost, {}, m_channel->errorString());
    m_channel->close();
    m_state.portOpen = false;
    showStatus(LinkStatus::NoAnswer);
    endOperation(LinkResult::Outcome::PortLost);
    m_state.pendingText.clear();
    m_state.phase = ExchangePhase::Idle;
    setAwaitingReply(false);
    emit connectionChanged(false);
    settle();
}

LinkHold::LinkHold(Link *link)
    : m_link(link)
{
    if (m_link)
        m_link->hold();
}

LinkHold::~LinkHold()
{
    if (m_link)
        m_link->release();
}
