#include "unit/unitjob.h"

#include "link/link.h"
#include "settings/unitsettings.h"

#include <algorithm>

UnitJob::UnitJob(Link *link, QObject *parent)
    : QObject(parent)
    , m_link(link)
{
    connect(link, &Link::finished, this, &UnitJob::onLinkFinished);
    connect(link, &Link::traffic, this, &UnitJob::onTraffic);
    connect(link, &Link::identified, this, [this](const QString &model, const QString &) {
        if (m_running)
            m_result.model = model;
    });
    connect(link, &Link::versionReceived, this, [this](const QString &line) {
        if (m_running)
            m_result.version = line;
    });
    connect(link, &Link::errorLineReceived, this, [this](const QString &line) {
        if (m_running)
            m_result.errorLine = line;
    });
}

UnitJob::~UnitJob() = default;

void UnitJob::start(const Request &request)
{
    m_request = request;
    m_result = Result();
    m_running = true;
    m_stopped = false;
    m_sent = 0;
    if (!request.connect) {
        m_result.unit = m_link->unit();
        m_result.model = m_result.unit ? m_result.unit->model : QString();
        startWork();
        return;
    }
    m_step = Step::Connecting;
    emit stepStarted(m_step);
    m_link->connectUnit();
}

void UnitJob::stop()
{
    if (!m_running)
        return;
    m_stopped = true;
    m_link->quit();
}

void UnitJob::onTraffic(const TrafficEvent &event)
{
    if (!m_running || m_step != Step::Writing || event.kind != TrafficEvent::Kind::Sent)
        return;
    ++m_sent;
    emit commandSent(m_sent, static_cast<int>(m_result.commands.size()),
                     m_result.commands.value(m_sent - 1));
}

void UnitJob::onLinkFinished(const LinkResult &result)
{
    if (!m_running)
        return;
    if (m_step == Step::Writing) {
        // One command at a time, and a failure ends the batch: only the last one sent can have
        // gone unacknowledged.
        const bool lastFailed = result.outcome == LinkResult::Outcome::Refused
            || result.outcome == LinkResult::Outcome::NoAnswer
            || result.outcome == LinkResult::Outcome::Unreadable
            || result.outcome == LinkResult::Outcome::PortLost;
        m_result.sent = m_sent;
        m_result.written = std::max(0, m_sent - (lastFailed ? 1 : 0));
        for (const QString &command : m_result.commands.mid(0, m_sent)) {
            if (command.startsWith(QLatin1String("MYID")))
                m_result.ownIdSent = command.mid(4);
        }
    }
    m_result.command = result.command;
    m_result.port = result.port;
    if (m_stopped) {
        end(Outcome::Stopped);
        return;
    }
    switch (result.outcome) {
    case LinkResult::Outcome::Done:
        break;
    case LinkResult::Outcome::Unconfirmed:
        // A connect without an identification line has no unit to go on with; a write whose
        // last command was not acknowledged did not take. A read that ended without its last
        // line, or an error read without an error line, says so in what it holds.
        if (m_step == Step::Connecting) {
            end(Outcome::Unidentified);
            return;
        }
        if (m_step == Step::Writing) {
            end(Outcome::Unacknowledged);
            return;
        }
        break;
    default:
        end(outcomeOf(result.outcome));
        return;
    }
    switch (m_step) {
    case Step::Connecting:
        afterConnect();
        break;
    case Step::ReadingBack:
        // A read-back whose identification request was answered without one has no unit.
        m_result.unit = m_link->unit();
        m_result.model = m_result.unit ? m_result.unit->model : m_result.model;
        m_result.read = true;
        if (m_result.unit)
            judgeReadBack();
        end(m_result.unit ? Outcome::Done : Outcome::Unidentified);
        break;
    case Step::Writing:
        if (!m_request.verify) {
            end(Outcome::Done);
            return;
        }
        m_step = Step::Verifying;
        emit stepStarted(m_step);
        m_link->readParameters(
            [this](const QString &line) { return m_result.values.take(line); });
        break;
    case Step::Verifying:
        m_result.read = true;
        judgeReadBack();
        m_result.mismatches = findMismatches(m_result.commands, m_result.values);
        m_result.verified = m_result.mismatches.isEmpty();
        end(m_result.verified ? Outcome::Done : Outcome::Different);
        break;
    case Step::ReadingError:
        end(Outcome::Done);
        break;
    }
}

void UnitJob::afterConnect()
{
    m_result.unit = m_link->unit();
    // Every step after the connect works on the identified unit.
    if (!m_result.unit) {
        end(Outcome::Unidentified);
        return;
    }
    if (m_request.check) {
        m_result.detail = m_request.check(*m_result.unit);
        if (!m_result.detail.isEmpty()) {
            end(Outcome::WrongModel);
            return;
        }
    }
    startWork();
}

void UnitJob::startWork()
{
    switch (m_request.work) {
    case Work::Identify:
        end(Outcome::Done);
        break;
    case Work::ReadBack:
        m_step = Step::ReadingBack;
        emit stepStarted(m_step);
        m_link->readBack([this](const QString &line) { return m_result.values.take(line); });
        break;
    case Work::Write:
        m_result.commands = m_request.commands ? m_request.commands() : QStringList();
        m_step = Step::Writing;
        emit stepStarted(m_step);
        m_link->writeGroup(m_result.commands);
        break;
    case Work::ReadError:
        m_step = Step::ReadingError;
        emit stepStarted(m_step);
        m_link->readError();
        break;
    }
}

// The values as the window would hold them after this read, in the order the command set
// lists them (TYPE before MYID, so that a master's own ID stands).
void UnitJob::judgeReadBack()
{
    UnitSettings values;
    values.setTab(m_result.unit->tab);
    for (ParameterKey key : AllParameterKeys) {
        if (!m_result.values.has(key)) {
            m_result.readBackProblem = QStringLiteral("the unit did not report %1")
                                           .arg(keyName(key));
            continue;
        }
        const QString line = keyName(key) + QLatin1Char('=') + m_result.values.value(key);
        QString why;
        if (!values.applyLine(line, &why))
            m_result.readBackProblem = QStringLiteral("the unit reported %1: %2").arg(line, why);
    }
}

void UnitJob::end(Outcome outcome)
{
    if (!m_running)
        return;
    m_running = false;
    // A model of another family is named the same way by every front end.
    if (outcome == Outcome::WrongModel && m_result.detail.isEmpty()) {
        const QStringList family = familyModels();
        m_result.detail = QStringLiteral("ZRT%1 is not a %2 or %3")
                              .arg(m_result.model, family.mid(0, family.size() - 1)
                                                       .join(QLatin1String(", ")),
                                   family.last());
    }
    m_result.outcome = outcome;
    m_result.step = m_step;
    emit finished(m_result);
}

UnitJob::Outcome UnitJob::outcomeOf(LinkResult::Outcome outcome)
{
    switch (outcome) {
    case LinkResult::Outcome::Done:
        return Outcome::Done;
    case LinkResult::Outcome::Refused:
        return Outcome::Refused;
    case LinkResult::Outcome::Unconfirmed:
        return Outcome::Unacknowledged;
    case LinkResult::Outcome::NoAnswer:
        return Outcome::NoAnswer;
    case LinkResult::Outcome::Unreadable:
        return Outcome::Unreadable;
    case LinkResult::Outcome::WrongModel:
        return Outcome::WrongModel;
    case LinkResult::Outcome::OpenFailed:
        return Outcome::OpenFailed;
    case LinkResult::Outcome::PortLost:
        return Outcome::PortLost;
    case LinkResult::Outcome::Stopped:
        return Outcome::Stopped;
    }
    return Outcome::Stopped;
}
