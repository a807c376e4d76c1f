#include "cli/watch.h"

#include "cli/terminal.h"

#include "link/portmap.h"
#include "station/station.h"

#include <QCoreApplication>
#include <QDateTime>
#include <QFileInfo>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

// The record is what counts: a reader of standard output that went away is said once, and the
// station goes on.
void say(const QString &line)
{
    static bool failed = false;
    const QByteArray bytes = (QDateTime::currentDateTime().toString(Qt::ISODateWithMs)
                              + QLatin1Char(' ') + line + QLatin1Char('\n')).toUtf8();
    const bool written =
        std::fwrite(bytes.constData(), 1, size_t(bytes.size()), stdout) == size_t(bytes.size())
        && std::fflush(stdout) == 0;
    if (!written && !failed) {
        failed = true;
        complain(QStringLiteral("cannot write the output: %1; the record goes on")
                     .arg(QString::fromLocal8Bit(std::strerror(errno))));
    }
}

} // namespace

int runWatch(const CliCommand &command,
             const std::function<void(const std::function<void()> &)> &stopRequests)
{
    StationSetup setup;
    setup.settingsPath = command.files.value(0);
    setup.recordPath = command.recordPath;
    setup.operatorName = command.operatorName;
    setup.jobName = command.jobName;
    setup.verify = true;
    if (command.myIdFrom) {
        setup.rule = OwnIdRule::Sequence;
        setup.sequenceFrom = *command.myIdFrom;
    }
    Station station(command.ports);
    QString why;
    if (!station.prepare(setup, &why)) {
        complain(why + QStringLiteral("\nnothing was sent"));
        return ExitStatus::BadUsage;
    }
    int status = ExitStatus::Done;
    QObject::connect(&station, &Station::slotAdded, &station, [](AdapterSlot *slot, int) {
        say(QStringLiteral("%1: adapter found").arg(slot->adapter().path));
    });
    QObject::connect(&station, &Station::slotRemoved, &station, [](AdapterSlot *slot) {
        say(QStringLiteral("%1: adapter gone").arg(slot->adapter().path));
    });
    QObject::connect(&station, &Station::unitFound, &station,
                     [](AdapterSlot *slot, const QString &model) {
                         say(QStringLiteral("%1: %2 answers").arg(slot->adapter().path, model));
                     });
    QObject::connect(&station, &Station::unreadableChanged, &station,
                     [](AdapterSlot *slot, bool unreadable) {
                         say(unreadable ? QStringLiteral("%1: unreadable answer; check the "
                                                         "line's speed and the cable")
                                                .arg(slot->adapter().path)
                                        : QStringLiteral("%1: no longer unreadable")
                                                .arg(slot->adapter().path));
                     });
    QObject::connect(&station, &Station::recorded, &station,
                     [](AdapterSlot *slot, const RecordRow &row) {
                         say(QStringLiteral("%1: %2 own ID %3 %4 (%5)")
                                 .arg(slot->adapter().path, row.result,
                                      row.ownId.isEmpty() ? QStringLiteral("-") : row.ownId,
                                      row.model, row.reason));
                     });
    QObject::connect(&station, &Station::halted, &station, [&status](const QString &reason) {
        complain(QStringLiteral("stopped: %1").arg(reason));
        status = ExitStatus::LinkFailed;
    });
    bool interrupted = false;
    QObject::connect(&station, &Station::stopped, &station, [] { QCoreApplication::quit(); });
    stopRequests([&] {
        if (!interrupted)
            complain(QStringLiteral("stopping: each unit finishes the line in progress"));
        interrupted = true;
        if (station.isActive())
            station.stop();
        else if (station.isIdle())
            QCoreApplication::quit();
    });
    station.watchAdapters();
    station.start();
    const QString sharedJob = station.counters().sharedJob;
    say(QStringLiteral("watching %1 with %2; record %3%4")
            .arg(command.ports.join(QLatin1Char(' ')), setup.settingsPath, setup.recordPath,
                 sharedJob.isEmpty() ? QString()
                                     : QStringLiteral(" (job %1, shared)").arg(sharedJob)));
    QCoreApplication::exec();
    const StationCounters counters = station.counters();
    say(QStringLiteral("this session: %1 done, %2 not done; the record: %3 done, %4 not done")
            .arg(counters.sessionDone).arg(counters.sessionFailed)
            .arg(counters.recordDone).arg(counters.recordFailed));
    return interrupted ? ExitStatus::Interrupted : status;
}

bool recordWrites(const CliCommand &command, const QList<UnitPlan> &plans,
                  const QList<UnitReport> &reports)
{
    QString why;
    if (plans.isEmpty())
        return true;
    // A plant's job is one settings file.
    const UnitPlan &first = plans.constFirst();
    for (const UnitPlan &plan : plans) {
        if (isPlantRecord(command.recordPath) && plan.settingsSha256 != first.settingsSha256) {
            complain(QStringLiteral("--record: a database's job takes one settings file"));
            return false;
        }
    }
    PlantJob plant;
    plant.settingsFile = QFileInfo(first.settingsPath).fileName();
    plant.name = command.jobName.isEmpty() ? plant.settingsFile : command.jobName;
    plant.sha256 = first.settingsSha256;
    plant.kind = first.values.tab() == 0 ? QStringLiteral("digital") : QStringLiteral("analog");
    const std::unique_ptr<RecordStore> record = openRecord(command.recordPath, plant, {}, &why);
    if (!record) {
        complain(QStringLiteral("--record: %1").arg(why));
        return false;
    }
    const QList<SystemPort> system = PortMap::scanSystemPorts();
    for (int i = 0; i < reports.size() && i < plans.size(); ++i) {
        // The file as it was read for the write: it may have been saved anew since.
        JobSettings job;
        job.path = plans.at(i).settingsPath;
        job.sha256 = plans.at(i).settingsSha256;
        // A port with no device behind it ran no job: its outcome and detail are all there is.
        const UnitReport &report = reports.at(i);
        UnitSummary result = report.summary.value_or(UnitSummary());
        result.outcome = report.outcome;
        if (!report.summary)
            result.detail = report.detail;
        Adapter adapter;
        adapter.path = plans.at(i).device;
        for (const SystemPort &port : system) {
            if (QFileInfo(port.device).canonicalFilePath()
                == QFileInfo(adapter.path).canonicalFilePath())
                adapter.serialNumber = port.serialNumber;
        }
        const RecordRow row = recordRow(result, adapter, command.operatorName, job);
        if (!record->append(row, &why)) {
            complain(QStringLiteral("--record: %1").arg(why));
            return false;
        }
    }
    // Rows kept aside while the database was away are not lost, but not where asked either.
    if (record->isOffline()) {
        complain(QStringLiteral("--record: %1").arg(record->offlineReason()));
        return false;
    }
    return true;
}

int exportRecord(const CliCommand &command)
{
    QList<QStringList> rows;
    QString why;
    if (!readRecordRows(command.recordPath, command.jobName, &rows, &why)) {
        complain(QStringLiteral("record export: %1").arg(why));
        return ExitStatus::LinkFailed;
    }
    const FileWriteResult saved =
        replaceFile(command.outputPath, StationRecord::fileBytes(rows));
    if (!saved.ok) {
        complain(QStringLiteral("record export: cannot save %1: %2")
                     .arg(command.outputPath, saved.reason));
        return ExitStatus::LinkFailed;
    }
    say(QStringLiteral("%1 rows written to %2").arg(rows.size()).arg(command.outputPath));
    return ExitStatus::Done;
}
