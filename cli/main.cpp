// zrt48210-cli: scripted and parallel configuration of ZRT units, over the same link, parameter
// rules, settings file and error table as the window program.
#include "cli/clioptions.h"
#include "cli/portlist.h"
#include "cli/progressboard.h"
#include "cli/sessionrunner.h"
#include "cli/terminal.h"
#include "cli/unitplan.h"
#include "cli/watch.h"
#include "file/systemini.h"
#include "link/portmap.h"
#include "link/trafficlog.h"
#include "unit/unitfinder.h"
#include "link/unitmodels.h"

#include <QCoreApplication>
#include <QEventLoop>
#include <QRegularExpression>

#include <cstdio>
#include <functional>

namespace {

// --log FILE: false, with the reason said, when the file cannot be opened.
bool openLog(TrafficLog &log, const QString &path, QCoreApplication &app)
{
    QString reason;
    if (!log.appendTo(path, &reason)) {
        complain(QStringLiteral("--log %1: %2\nnothing was sent").arg(path, reason));
        return false;
    }
    QObject::connect(&log, &TrafficLog::fileFailed, &app, [path](const QString &why) {
        complain(QStringLiteral("--log %1: %2; the log stops here").arg(path, why));
    });
    return true;
}

// find: every port the system reports, or the ones given, asked at once who answers there.
int findUnits(const CliCommand &command, const QList<UnitPlan> &plans, const PortMap &ports,
              const PortSettings &lineSettings, TrafficLog *log)
{
    QList<FoundPort> found;
    if (command.ports.isEmpty()) {
        for (const PortEntry &entry : systemPortEntries())
            found << FoundPort{entry.entry, {entry.device, {}, {}, {}, {}}};
    }
    static const QRegularExpression comEntry(QStringLiteral("^COM[1-9]$"),
                                             QRegularExpression::CaseInsensitiveOption);
    for (const UnitPlan &plan : plans) {
        FoundPort port{{}, {plan.device, {}, {}, {}, {}}};
        if (comEntry.match(plan.port).hasMatch()) {
            port.entry = plan.port.toUpper();
        } else {
            for (int n = 1; n <= PortMap::PortCount && port.entry.isEmpty(); ++n) {
                if (UnitFinder::sameDevice(ports.device(n), plan.device))
                    port.entry = QStringLiteral("COM%1").arg(n);
            }
        }
        if (plan.device.isEmpty()) {
            port.found.device = plan.port;
            port.found.outcome = FoundUnit::Outcome::NotOpened;
            port.found.failure = {PortFailure::NoDevice,
                                  QStringLiteral("no serial port stands behind %1").arg(plan.port),
                                  {}};
        }
        found << port;
    }

    QStringList devices;
    for (const FoundPort &port : std::as_const(found)) {
        if (port.found.outcome != FoundUnit::Outcome::NotOpened)
            devices << port.found.device;
    }
    UnitFinder finder([](const QString &line) { return unitModelOf(line).has_value(); });
    if (log)
        QObject::connect(&finder, &UnitFinder::traffic, log, &TrafficLog::record);
    QEventLoop loop;
    QObject::connect(&finder, &UnitFinder::finished, &loop, &QEventLoop::quit);
    // Ctrl-C closes the ports (and so removes their lock files) on the way out.
    bool interrupted = false;
    watchInterrupts(&loop, [&] {
        interrupted = true;
        loop.quit();
    });
    finder.start(devices, lineSettings);
    loop.exec();
    if (interrupted)
        return ExitStatus::Interrupted;

    const QList<FoundUnit> answers = finder.results();
    qsizetype next = 0;
    bool anyUnit = false;
    for (FoundPort &port : found) {
        if (port.found.outcome != FoundUnit::Outcome::NotOpened)
            port.found = answers.value(next++);
        anyUnit = anyUnit || port.found.outcome == FoundUnit::Outcome::Unit;
    }
    const QByteArray out = command.json ? renderFoundJson(found) : renderFoundText(found).toUtf8();
    if (!writeAll(stdout, out))
        return ExitStatus::LinkFailed;
    return anyUnit ? ExitStatus::Done : ExitStatus::Refused;
}

int listPorts(bool json)
{
    const QList<PortEntry> ports = systemPortEntries();
    const QByteArray text = json ? renderPortsJson(ports) : renderPortsText(ports).toUtf8();
    return writeAll(stdout, text) ? ExitStatus::Done : ExitStatus::LinkFailed;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    prepareConsole();
    const CliCommand command = parseCliCommandLine(QCoreApplication::arguments());
    switch (command.action) {
    case CliCommand::Action::Help:
    case CliCommand::Action::Version:
        return writeAll(stdout, command.message.toUtf8()) ? ExitStatus::Done
                                                          : ExitStatus::LinkFailed;
    case CliCommand::Action::Refuse:
        writeAll(stderr, command.message.toUtf8());
        return ExitStatus::BadUsage;
    case CliCommand::Action::Run:
        break;
    }
    if (command.verb == Verb::Ports)
        return listPorts(command.json);
    if (command.verb == Verb::Record)
        return exportRecord(command);
    if (command.verb == Verb::Watch) {
        return runWatch(command, [&app](const std::function<void()> &stop) {
            watchInterrupts(&app, stop);
        });
    }

    PortMap ports;
    ports.setSystemPorts(PortMap::scanSystemPorts());
    const PlanResult planned = planUnits(command, ports);
    if (!planned.error.isEmpty()) {
        complain(planned.error + QStringLiteral("\nnothing was sent"));
        return ExitStatus::BadUsage;
    }

    TrafficLog log;
    if (!command.logPath.isEmpty() && !openLog(log, command.logPath, app))
        return ExitStatus::BadUsage;

    const PortSettings lineSettings = loadProgramPortSettings();
    if (command.verb == Verb::Find) {
        return findUnits(command, planned.plans, ports, lineSettings,
                         command.logPath.isEmpty() ? nullptr : &log);
    }
    SessionRunner runner(planned.plans, lineSettings, command.logPath.isEmpty() ? nullptr : &log);
    ProgressBoard board(stderr, isLineTerminal(stderr), command.ports);
    QObject::connect(&runner, &SessionRunner::progress, &app,
                     [&](int unit, const QString &text) { board.show(unit, text); });
    QObject::connect(&runner, &SessionRunner::finished, &app, &QCoreApplication::quit);
    bool interrupted = false;
    watchInterrupts(&app, [&] {
        if (!interrupted)
            complain(QStringLiteral("stopping: each unit finishes the line in progress"));
        interrupted = true;
        runner.interrupt();
    });
    runner.start();
    app.exec();

    const QList<UnitReport> reports = runner.reports();
    int status = overallExitStatus(reports);
    if (!command.recordPath.isEmpty() && !recordWrites(command, planned.plans, reports))
        status = std::max(status, ExitStatus::LinkFailed);
    const QByteArray out = command.json ? renderJson(command.verb, reports)
                                        : renderText(command.verb, reports).toUtf8();
    if (!writeAll(stdout, out))
        status = std::max(status, ExitStatus::LinkFailed);
    return status;
}
