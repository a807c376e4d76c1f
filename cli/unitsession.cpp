#include "cli/unitsession.h"

#include "errors/uniterror.h"
#include "file/filewriter.h"
#include "file/settingsfile.h"
#include "settings/unitsettings.h"
#include "unit/admission.h"
#include "unit/unitsummary.h"

UnitSession::UnitSession(const UnitPlan &plan, const PortSettings &lineSettings,
                         SerialChannel *channel, QObject *parent)
    : QObject(parent)
    , m_plan(plan)
    , m_ownChannel(channel ? nullptr : std::make_unique<QtSerialChannel>())
    , m_channel(channel ? channel : m_ownChannel.get())
    , m_link(m_channel)
    , m_job(&m_link)
{
    m_report.port = plan.port;
    m_report.device = plan.device;
    m_link.setPortSettings(lineSettings);
    m_link.setPortNumber(1);  // the link asks the resolver for this entry's device
    const QString device = plan.device;
    m_link.setDeviceResolver([device](int) { return device; });
    connect(&m_job, &UnitJob::stepStarted, this, &UnitSession::showStep);
    connect(&m_job, &UnitJob::commandSent, this,
            [this](int index, int count, const QString &command) {
                emit progress(QStringLiteral("%1  writing %2 of %3 (%4)")
                                  .arg(m_report.model).arg(index).arg(count)
                                  .arg(command.left(4)));
            });
    connect(&m_job, &UnitJob::finished, this, &UnitSession::onJobFinished);
}

void UnitSession::start()
{
    if (m_plan.device.isEmpty()) {
        finish(Outcome::OpenFailed,
               QStringLiteral("no serial port stands behind %1 (see 'zrt48210-cli ports')")
                   .arg(m_plan.port));
        return;
    }
    UnitJob::Request request;
    request.check = [this](const UnitModel &unit) { return kindMismatch(unit); };
    switch (m_plan.verb) {
    case Verb::Identify:
    case Verb::Ports:
    case Verb::Find:
    case Verb::Watch:
    case Verb::Record:
        request.work = UnitJob::Work::Identify;
        break;
    case Verb::Write:
    case Verb::Set:
        request.work = UnitJob::Work::Write;
        // The job asks once the connect has identified the unit.
        request.commands = [this] { return planCommands(m_plan, m_link.unit()->tab); };
        request.verify = m_plan.verify;
        break;
    case Verb::Read:
    case Verb::Diff:
        request.work = UnitJob::Work::ReadBack;
        break;
    case Verb::Error:
        request.work = UnitJob::Work::ReadError;
        break;
    }
    m_job.start(request);
}

void UnitSession::interrupt()
{
    if (isFinished())
        return;
    m_interrupted = true;
    m_job.stop();
}

void UnitSession::showStep(UnitJob::Step step)
{
    QString what;
    switch (step) {
    case UnitJob::Step::Connecting:
        what = QStringLiteral("connecting");
        break;
    case UnitJob::Step::ReadingBack:
        what = QStringLiteral("reading back");
        break;
    case UnitJob::Step::Writing:
        what = QStringLiteral("writing");
        break;
    case UnitJob::Step::Verifying:
        what = QStringLiteral("verifying");
        break;
    case UnitJob::Step::ReadingError:
        what = QStringLiteral("reading the error code");
        break;
    }
    const QString model = m_link.unit() ? m_link.unit()->model : QString();
    if (!model.isEmpty())
        m_report.model = model;
    emit progress(m_report.model.isEmpty() ? what : m_report.model + QLatin1String("  ") + what);
}

// write and diff: a file of one unit kind is not for a unit of the other.
QString UnitSession::kindMismatch(const UnitModel &unit) const
{
    return m_plan.matchKind ? fileKindMismatch(m_plan.values.tab(), unit) : QString();
}

void UnitSession::onJobFinished(const UnitJob::Result &result)
{
    m_report.model = result.model;
    if (result.unit)
        m_report.kind = result.unit->kind;
    m_report.version = result.version;
    m_report.toWrite = static_cast<int>(result.commands.size());
    m_report.sent = result.sent;
    m_report.ownIdSent = result.ownIdSent;
    m_report.written = result.written;
    m_report.summary = summarize(result, m_interrupted);
    if (!result.errorLine.isEmpty()) {
        m_report.errorCode = unitErrorCode(result.errorLine);
        m_report.errorMessage = unitErrorMessage(m_report.errorCode);
    }
    if (m_interrupted) {
        finish(Outcome::Interrupted, interruptedDetail(m_report.written, m_report.toWrite));
        return;
    }
    if (result.outcome != UnitJob::Outcome::Done
        && result.outcome != UnitJob::Outcome::Different) {
        finish(outcomeOf(result), commandLineDetail(result, m_plan.device));
        return;
    }
    if (result.read)
        afterRead(result);
    else
        finish(Outcome::Done);
}

void UnitSession::afterRead(const UnitJob::Result &result)
{
    for (ParameterKey key : AllParameterKeys) {
        if (result.values.has(key))
            m_report.values << std::pair{key, result.values.value(key)};
    }

    if (m_plan.verb == Verb::Read) {
        if (!result.readBackProblem.isEmpty()) {
            finish(Outcome::BadReadBack, result.readBackProblem);
            return;
        }
        if (!m_plan.outputPath.isEmpty()) {
            // The values as the window would hold them after this read-back.
            UnitSettings values;
            values.setTab(result.unit->tab);
            for (const auto &[key, value] : std::as_const(m_report.values))
                values.applyLine(keyName(key) + QLatin1Char('=') + value);
            const FileWriteResult saved =
                replaceFile(m_plan.outputPath, buildSettingsFile(values));
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
    m_report.mismatches = m_plan.verb == Verb::Diff
        ? findMismatches(planCommands(m_plan, result.unit->tab), result.values)
        : result.mismatches;
    if (!m_report.mismatches.isEmpty()) {
        QStringList keys;
        for (const Mismatch &mismatch : std::as_const(m_report.mismatches))
            keys << keyName(mismatch.key);
        finish(Outcome::Different, differencesDetail(keys));
        return;
    }
    m_report.verified = result.verified;
    finish(Outcome::Done);
}

void UnitSession::finish(Outcome outcome, const QString &detail)
{
    if (isFinished())
        return;
    m_finished = true;
    m_report.outcome = outcome;
    m_report.detail = detail;
    if (m_link.state().portOpen)
        m_link.disconnectUnit();
    emit progress(detail.isEmpty() ? outcomeName(outcome)
                                   : outcomeName(outcome) + QLatin1String(": ") + detail);
    emit finished();
}
