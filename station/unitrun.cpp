#include "station/unitrun.h"

#include "cli/unitplan.h"
#include "cli/unitreport.h"
#include "cli/unitsession.h"
#include "file/systemini.h"
#include "link/qtserialchannel.h"
#include "settings/memoryform.h"
#include "settings/panelvalues.h"

#include <QCoreApplication>
#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>

namespace {

// The line settings the window uses, from the system.ini it writes; never written here.
PortSettings lineSettings()
{
    return loadPortSettings(portSettingsPath(portSettingsDirectory(
        withTrailingSeparator(QCoreApplication::applicationDirPath()),
        QStringLiteral(ZRT_INSTALLED_BINDIR))));
}

RunOutcome runOutcome(Outcome outcome)
{
    switch (outcome) {
    case Outcome::Done: return RunOutcome::Done;
    case Outcome::Refused: return RunOutcome::Refused;
    case Outcome::Different: return RunOutcome::Different;
    case Outcome::WrongModel: return RunOutcome::WrongModel;
    case Outcome::OpenFailed: return RunOutcome::OpenFailed;
    case Outcome::NoAnswer: return RunOutcome::NoAnswer;
    case Outcome::PortLost: return RunOutcome::PortLost;
    case Outcome::BadReadBack: return RunOutcome::BadReadBack;
    case Outcome::OutputFailed: return RunOutcome::OpenFailed;
    case Outcome::Interrupted: return RunOutcome::Interrupted;
    }
    return RunOutcome::NoAnswer;
}

// The device a link (/dev/serial/by-id/...) stands for: ports are locked under the device's own
// name, so a program that opened it by another name must still see it in use.
QString deviceBehind(const QString &path)
{
    const QString device = QFileInfo(path).canonicalFilePath();
    return device.isEmpty() ? path : device;
}

// What a report holds that the station keeps, whatever the verb.
RunResult baseResult(const UnitReport &report)
{
    RunResult result;
    result.outcome = runOutcome(report.outcome);
    result.model = report.model;
    result.kind = report.kind;
    result.version = report.version;
    result.detail = report.detail;
    result.written = report.written;
    result.toWrite = report.toWrite;
    for (const Mismatch &mismatch : report.mismatches)
        result.mismatchedKeys << keyName(mismatch.key);
    for (const auto &[key, value] : report.values)
        result.values << std::pair{keyName(key), value};
    result.readBack = !result.values.isEmpty();
    return result;
}

// Without a read-back, the values as written: the commands the unit acknowledged.
void takeWrittenValues(RunResult &result, const QStringList &commands)
{
    if (result.readBack)
        return;
    for (const QString &command : commands.mid(0, result.written))
        result.values << std::pair{command.left(4), command.mid(4)};
}

} // namespace

JobSettings loadJobSettings(const QString &path)
{
    JobSettings job;
    job.path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        job.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return job;
    }
    job.bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        job.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return job;
    }
    job.sha256 = QString::fromLatin1(
        QCryptographicHash::hash(job.bytes, QCryptographicHash::Sha256).toHex());
    MemoryForm form;
    job.error = loadPlanSettings(path, form, &job.bytes);
    if (!job.error.isEmpty())
        return job;
    job.analog = form.selectedTab() == AnalogTab;
    job.role = form.listIndex(ParameterKey::TYPE);
    if (!roleOwnId(job.role).editable)
        job.fixedOwnId = roleOwnId(job.role).text;
    job.fileOwnId = parameterValue(form, ParameterKey::MYID);
    job.frequency = frequencyText(form.listIndex(ParameterKey::FRBD),
                                  form.listIndex(ParameterKey::FRCH));
    return job;
}

UnitRun::UnitRun(QObject *parent)
    : QObject(parent)
{
}

UnitRun::~UnitRun()
{
    delete m_session;
}

void UnitRun::poll(const QString &device)
{
    UnitPlan plan;
    plan.verb = Verb::Identify;
    plan.port = device;
    plan.device = deviceBehind(device);
    m_configuring = false;
    launch(plan);
}

void UnitRun::start(const QString &device, const JobSettings &job, std::optional<int> ownId,
                    bool verify)
{
    UnitPlan plan;
    plan.verb = Verb::Write;
    plan.port = device;
    plan.device = deviceBehind(device);
    plan.matchKind = true;
    plan.verify = verify;
    loadPlanSettings(job.path, plan.values, &job.bytes);
    if (ownId && roleOwnId(plan.values.listIndex(ParameterKey::TYPE)).editable)
        applyParameterLine(plan.values, QStringLiteral("MYID=%1").arg(*ownId));
    m_configuring = true;
    // Both panels write seventeen commands; which of them depends on the unit found.
    m_commands = planCommands(plan, plan.values.selectedTab());
    launch(plan);
}

void UnitRun::launch(const UnitPlan &plan)
{
    delete m_session;
    m_result = {};
    m_session = new UnitSession(plan, lineSettings(), nullptr, this);
    const int total = static_cast<int>(m_commands.size());
    connect(m_session->link(), &Link::traffic, this, [this, total](const TrafficEvent &event) {
        if (!m_configuring || event.kind != TrafficEvent::Kind::Sent)
            return;
        const QByteArray keyword = event.bytes.mid(1, 4);
        if (keyFromName(QString::fromLatin1(keyword))) {
            const int k = m_result.written + 1;
            m_result.written = k;  // counted as sent here; the report says what was taken
            m_result.writeStarted = true;
            if (keyword == "MYID") {
                m_result.ownIdSent = true;
                m_result.ownId = QString::fromLatin1(event.bytes.mid(5).trimmed());
            }
            emit progress(k, total, false);
        } else if (keyword == "DISP" && m_result.writeStarted) {
            emit progress(total, total, true);
        }
    });
    connect(m_session, &UnitSession::finished, this, &UnitRun::onFinished, Qt::QueuedConnection);
    m_session->start();
}

void UnitRun::interrupt()
{
    if (m_session)
        m_session->interrupt();
}

void UnitRun::onFinished()
{
    if (!m_session || !m_session->isFinished())
        return;
    const UnitReport report = m_session->report();
    RunResult result = baseResult(report);
    result.writeStarted = m_result.writeStarted;
    result.ownIdSent = m_result.ownIdSent;
    result.ownId = m_result.ownId;
    if (result.outcome == RunOutcome::Refused)
        result.refusedKey = QString::fromLatin1(m_session->link()->state().lastSentLine.mid(1, 4));
    if (result.outcome == RunOutcome::OpenFailed) {
        const PortCheck check = QtSerialChannel::check(report.device, lineSettings());
        if (check.failure == PortFailure::InUse)
            result.outcome = RunOutcome::InUse;
    }
    if (m_configuring)
        takeWrittenValues(result, m_commands);
    m_session->deleteLater();
    m_session = nullptr;
    emit finished(result);
}

RunResult UnitRun::resultOf(const UnitReport &report, const UnitPlan &plan)
{
    RunResult result = baseResult(report);
    const QStringList commands = planCommands(plan, plan.values.selectedTab());
    takeWrittenValues(result, commands);
    // A failure ends the batch on the command that was out: it went out too.
    const bool lastOut = report.outcome != Outcome::Done && report.written < report.toWrite;
    const int sent = report.written + (lastOut && report.toWrite > 0 ? 1 : 0);
    result.writeStarted = sent > 0;
    for (const QString &command : commands.mid(0, sent)) {
        if (command.startsWith(QLatin1String("MYID"))) {
            result.ownIdSent = true;
            result.ownId = command.mid(4);
        }
    }
    if (result.outcome == RunOutcome::Refused && sent > 0)
        result.refusedKey = commands.value(sent - 1).left(4);
    return result;
}
