#include "cli/unitsession.h"

#include "errors/uniterror.h"
#include "file/filewriter.h"
#include "file/settingsfile.h"
#include "settings/memoryform.h"
#include "settings/panelvalues.h"

#include <QTimer>

UnitSession::UnitSession(const UnitPlan &plan, const PortSettings &lineSettings,
                         SerialChannel *channel, QObject *parent)
    : QObject(parent)
    , m_plan(plan)
    , m_ownChannel(channel ? nullptr : std::make_unique<QtSerialChannel>())
    , m_channel(channel ? channel : m_ownChannel.get())
    , m_link(m_channel, this)
{
    m_report.port = plan.port;
    m_report.device = plan.device;
    m_link.setPortSettings(lineSettings);
    m_link.setPortNumber(1);  // the link asks the resolver for this entry's device
    const QString device = plan.device;
    m_link.setDeviceResolver([device](int) { return device; });
    connect(&m_link, &Link::awaitingReplyChanged, this, &UnitSession::scheduleCheck);
    connect(&m_link, &Link::traffic, this, &UnitSession::onTraffic);
}

void UnitSession::start()
{
    if (m_plan.device.isEmpty()) {
        finish(Outcome::OpenFailed,
               QStringLiteral("no serial port stands behind %1 (see 'zrt48210-cli ports')")
                   .arg(m_plan.port));
        return;
    }
    begin(Step::Connecting, QStringLiteral("connecting"));
    m_link.connectUnit();
}

void UnitSession::interrupt()
{
    if (isFinished())
        return;
    m_interrupted = true;
    m_link.quit();
    scheduleCheck();
}

// ---- what the link hands over ----

void UnitSession::showLinkStatus(LinkStatus status)
{
    m_statuses << status;
    scheduleCheck();
}

bool UnitSession::identifyUnit(const QString &line)
{
    m_unit = unitModelOf(line);
    m_report.model = line.mid(3);
    if (!m_unit)
        return false;
    m_report.kind = m_unit->kind;
    m_kindShown = m_unit->kind;
    return true;
}

void UnitSession::showUnitError(const QString &line)
{
    m_report.errorCode = unitErrorCode(line);
    m_report.errorMessage = unitErrorMessage(m_report.errorCode);
}

void UnitSession::onTraffic(const TrafficEvent &event)
{
    switch (event.kind) {
    case TrafficEvent::Kind::Sent:
        if (m_step == Step::Writing) {
            ++m_sent;
            emit progress(QStringLiteral("%1  writing %2 of %3 (%4)")
                              .arg(m_report.model).arg(m_sent).arg(m_commands.size())
                              .arg(m_commands.value(m_sent - 1).left(4)));
        }
        break;
    case TrafficEvent::Kind::OpenFailed:
    case TrafficEvent::Kind::Lost:
        m_lost = event.kind == TrafficEvent::Kind::Lost;
        m_portFailure = event.reason;
        m_portFailureKind = m_channel->failure();
        break;
    default:
        break;
    }
}

// ---- steps ----

void UnitSession::begin(Step step, const QString &what)
{
    m_step = step;
    m_statuses.clear();
    emit progress(m_report.model.isEmpty() ? what : m_report.model + QLatin1String("  ") + what);
}

void UnitSession::scheduleCheck()
{
    // After the link's current dispatch has returned: a step never ends inside the link.
    if (m_checkPending || isFinished())
        return;
    m_checkPending = true;
    QTimer::singleShot(0, this, &UnitSession::checkStep);
}

void UnitSession::checkStep()
{
    m_checkPending = false;
    if (m_step == Step::Idle || isFinished())
        return;
    const LinkState &state = m_link.state();
    // A refused command drops the rest of its batch, and after Ctrl-C nothing more goes out.
    const bool settled = !state.awaitingReply
        && (state.pendingText.isEmpty() || state.phase == ExchangePhase::Failed || m_interrupted);
    if (state.portOpen && !settled)
        return;

    if (m_step == Step::Writing)
        m_report.written = acknowledged();
    QString detail;
    if (m_interrupted) {
        finish(Outcome::Interrupted,
               m_report.toWrite > 0 ? QStringLiteral("Ctrl-C after %1 of %2 written")
                                          .arg(m_report.written).arg(m_report.toWrite)
                                    : QStringLiteral("Ctrl-C"));
        return;
    }
    if (const std::optional<Outcome> failure = stepFailure(&detail)) {
        finish(*failure, detail);
        return;
    }
    // Every step after the connect works on the identified unit: a connect or read-back that
    // ended without one (an error line in place of the identification) has no unit to go on.
    if (!m_unit) {
        finish(Outcome::NoAnswer, QStringLiteral("no identification in the answer to UVER"));
        return;
    }
    switch (m_step) {
    case Step::Connecting:
        afterConnect();
        break;
    case Step::Writing:
        afterWrite();
        break;
    case Step::Reading:
        afterRead();
        break;
    case Step::ReadingError:
        finish(Outcome::Done);
        break;
    case Step::Idle:
    case Step::Finished:
        break;
    }
}

std::optional<Outcome> UnitSession::stepFailure(QString *detail) const
{
    const QString written = m_report.toWrite > 0 && m_step == Step::Writing
        ? QStringLiteral(" (%1 of %2 written)").arg(m_report.written).arg(m_report.toWrite)
        : QString();
    if (m_statuses.contains(LinkStatus::OpenFailed)) {
        *detail = QStringLiteral("cannot open %1: %2").arg(m_plan.device, m_portFailure);
        // What the window's port dialog tells such a user too.
        if (m_portFailureKind == PortFailure::NoPermission)
            *detail += QStringLiteral("; serial ports belong to the group dialout: run "
                                      "'sudo usermod -aG dialout $USER', then log out and in "
                                      "again");
        return Outcome::OpenFailed;
    }
    if (m_lost) {
        *detail = QStringLiteral("the port went away: %1%2").arg(m_portFailure, written);
        return Outcome::PortLost;
    }
    if (m_statuses.contains(LinkStatus::NoAnswer)) {
        *detail = QStringLiteral("no answer to %1, sent %2 times%3")
                      .arg(lastCommand()).arg(Link::MaxResends + 1).arg(written);
        return Outcome::NoAnswer;
    }
    if (m_statuses.contains(LinkStatus::WrongUnit)) {
        *detail = QStringLiteral("ZRT%1 is not a 48210, 48220 or 48221").arg(m_report.model);
        return Outcome::WrongModel;
    }
    if (m_statuses.contains(LinkStatus::WriteFailed)
        || m_statuses.contains(LinkStatus::ReadFailed)) {
        *detail = QStringLiteral("the unit refused %1%2").arg(lastCommand(), written);
        return Outcome::Refused;
    }
    if (!m_link.state().portOpen) {
        *detail = QStringLiteral("the port was closed");
        return Outcome::PortLost;
    }
    return std::nullopt;
}

void UnitSession::afterConnect()
{
    QString detail;
    if (!kindMatches(&detail)) {
        finish(Outcome::WrongModel, detail);
        return;
    }
    switch (m_plan.verb) {
    case Verb::Identify:
    case Verb::Ports:
    case Verb::Find:
    case Verb::Watch:
        finish(Outcome::Done);
        break;
    case Verb::Write:
    case Verb::Set:
        startWrite();
        break;
    case Verb::Read:
    case Verb::Diff:
        m_reported.clear();
        begin(Step::Reading, QStringLiteral("reading back"));
        m_link.readBack();
        break;
    case Verb::Error:
        begin(Step::ReadingError, QStringLiteral("reading the error code"));
        m_link.readError();
        break;
    }
}

// write and diff: a file of one unit kind is not for a unit of the other.
bool UnitSession::kindMatches(QString *detail) const
{
    const int fileTab = m_plan.values.selectedTab();
    if (!m_plan.matchKind || fileTab == m_unit->tab)
        return true;
    *detail = QStringLiteral("the file is for a %1 (%2), the unit is a %3 (%4)")
                  .arg(fileTab == AnalogTab ? QStringLiteral("analog unit")
                                            : QStringLiteral("digital unit"),
                       fileTab == AnalogTab ? QStringLiteral("アナログユニット")
                                            : QStringLiteral("デジタルユニット"),
                       m_unit->model, m_unit->kind);
    return false;
}

void UnitSession::startWrite()
{
    m_commands = planCommands(m_plan, m_unit->tab);
    m_report.toWrite = static_cast<int>(m_commands.size());
    m_sent = 0;
    begin(Step::Writing, QStringLiteral("writing"));
    m_link.writeGroup(m_commands);
}

void UnitSession::afterWrite()
{
    // Every command went out and none was refused, yet the last was not acknowledged: the unit
    // answered it with something else, such as an error line.
    if (!m_statuses.contains(LinkStatus::WriteDone)) {
        finish(Outcome::Refused,
               QStringLiteral("the unit did not acknowledge %1 (%2 of %3 written)")
                   .arg(lastCommand())
                   .arg(m_report.written)
                   .arg(m_report.toWrite));
        return;
    }
    if (!m_plan.verify) {
        finish(Outcome::Done);
        return;
    }
    m_reported.clear();
    begin(Step::Reading, QStringLiteral("verifying"));
    m_link.readBack();
}

void UnitSession::afterRead()
{
    // The values as the window would hold them after this read-back, in the order the command
    // set lists them (TYPE before MYID, so that a master's own ID stands).
    MemoryForm form;
    form.selectTab(m_unit->tab);
    QString unusable;
    for (ParameterKey key : AllParameterKeys) {
        if (!m_reported.has(key)) {
            unusable = QStringLiteral("the unit did not report %1").arg(keyName(key));
            continue;
        }
        const QString value = m_reported.value(key);
        m_report.values << std::pair{key, value};
        const QString line = keyName(key) + QLatin1Char('=') + value;
        QString why;
        if (::applyParameterLine(form, line, &why) != 0)
            unusable = QStringLiteral("the unit reported %1: %2").arg(line, why);
    }

    if (m_plan.verb == Verb::Read) {
        if (!unusable.isEmpty()) {
            finish(Outcome::BadReadBack, unusable);
            return;
        }
        if (!m_plan.outputPath.isEmpty()) {
            const FileWriteResult saved =
                replaceFile(m_plan.outputPath, buildSettingsFile(form));
            if (!saved.ok) {
                finish(Outcome::OutputFailed,
                       QStringLiteral("cannot save %1: %2").arg(m_plan.outputPath, saved.reason));
                return;
            }
            m_report.outputPath = m_plan.outputPath;
        }
        finish(Outcome::Done);
        return;
    }

    // Verify compares what was written; diff, the whole file.
    const QStringList expected =
        m_plan.verb == Verb::Diff ? planCommands(m_plan, m_unit->tab) : m_commands;
    m_report.mismatches = findMismatches(expected, m_reported);
    if (!m_report.mismatches.isEmpty()) {
        QStringList keys;
        for (const Mismatch &mismatch : std::as_const(m_report.mismatches))
            keys << keyName(mismatch.key);
        finish(Outcome::Different, QStringLiteral("%1 %2: %3")
                                       .arg(keys.size())
                                       .arg(keys.size() == 1 ? QStringLiteral("parameter differs")
                                                             : QStringLiteral("parameters differ"),
                                            keys.join(QLatin1String(", "))));
        return;
    }
    m_report.verified = m_plan.verb != Verb::Diff;
    finish(Outcome::Done);
}

void UnitSession::finish(Outcome outcome, const QString &detail)
{
    if (isFinished())
        return;
    m_step = Step::Finished;
    m_report.outcome = outcome;
    m_report.detail = detail;
    if (m_link.state().portOpen)
        m_link.disconnectUnit();
    emit progress(detail.isEmpty() ? outcomeName(outcome)
                                   : outcomeName(outcome) + QLatin1String(": ") + detail);
    emit finished();
}

// ---- bookkeeping ----

int UnitSession::acknowledged() const
{
    // One command at a time, and a failure ends the batch: only the last one sent can have
    // gone unacknowledged.
    const bool lastFailed = m_lost || m_statuses.contains(LinkStatus::WriteFailed)
        || m_statuses.contains(LinkStatus::NoAnswer);
    return std::max(0, m_sent - (lastFailed ? 1 : 0));
}

// The last command that went out, without its "@" and CR LF.
QString UnitSession::lastCommand() const
{
    return QString::fromLatin1(m_link.state().lastSentLine.trimmed().mid(1));
}
