#include "cli/unitplan.h"

#include "unit/admission.h"

#include "file/fileexists.h"
#include "file/settingsfile.h"
#include "link/portmap.h"
#include "link/unitmodels.h"
#include "settings/commandset.h"

#include <QRegularExpression>

#include <algorithm>

namespace {

int writeOrder(ParameterKey key)
{
    return static_cast<int>(allGroups(DigitalTab).indexOf(key));
}

// Applies the assignments of `set` in the write order (TYPE before MYID, whose role rule
// would otherwise undo a given own ID); "" when every one is acceptable.
QString applyAssignments(const QStringList &assignments, UnitSettings &values,
                         QList<ParameterKey> &keys)
{
    QList<std::pair<ParameterKey, QString>> given;
    for (const QString &assignment : assignments) {
        const qsizetype equals = assignment.indexOf(QLatin1Char('='));
        const QString name = assignment.left(equals);
        const std::optional<ParameterKey> key = keyFromName(name);
        if (equals < 0)
            return QStringLiteral("'%1' is not KEY=VALUE").arg(assignment);
        if (!key) {
            return QStringLiteral("'%1' is not a parameter key; the keys are %2")
                .arg(name, allKeyNames());
        }
        if (keys.contains(*key))
            return QStringLiteral("%1 is given twice").arg(name);
        keys << *key;
        given << std::pair{*key, assignment.mid(equals + 1)};
    }
    std::stable_sort(given.begin(), given.end(), [](const auto &a, const auto &b) {
        return writeOrder(a.first) < writeOrder(b.first);
    });
    for (const auto &[key, value] : given) {
        // No selection (-1) is the window's state before a first pick, not a value to send.
        if (valueKind(key) == ValueKind::List && parseListValue(value) == -1) {
            return QStringLiteral("%1 takes a list index from 0 to %2, not '%3'")
                .arg(keyName(key), QString::number(listSize(key) - 1), value);
        }
        QString why;
        if (!values.applyLine(QString(keyName(key) + QLatin1Char('=') + value), &why))
            return why;
    }
    return {};
}

// Sets the own ID of a slave; a master's and a repeater's are fixed by their role.
QString overrideOwnId(UnitSettings &values, int ownId)
{
    if (values.setOwnId(ownId))
        return {};
    const int role = values.listIndex(ParameterKey::TYPE);
    return QStringLiteral("--myid: the own ID of a %1 is fixed at %2")
        .arg(role == Role::Master ? QStringLiteral("master") : QStringLiteral("repeater"),
             roleOwnId(role).text);
}

QString resolveDevice(const QString &port, const PortMap &ports)
{
    static const QRegularExpression entry(QStringLiteral("^COM([1-9])$"),
                                          QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = entry.match(port);
    return match.hasMatch() ? ports.device(match.captured(1).toInt()) : port;
}

} // namespace

PlanResult planUnits(const CliCommand &command, const PortMap &ports)
{
    PlanResult result;
    QList<UnitSettings> files;
    QStringList hashes;
    for (const QString &path : command.files) {
        if (!fileExists(path))
            return {{}, QStringLiteral("%1: no such file").arg(path)};
        const JobSettings job = loadJobSettings(path);
        if (!job.error.isEmpty())
            return {{}, job.error};
        files << job.values;
        hashes << job.sha256;
    }
    UnitSettings assigned;
    QList<ParameterKey> keys;
    if (command.verb == Verb::Set) {
        result.error = applyAssignments(command.assignments, assigned, keys);
        if (!result.error.isEmpty())
            return result;
        const bool ownIdGiven = command.myId || command.myIdFrom;
        if (ownIdGiven && keys.contains(ParameterKey::MYID))
            return {{}, QStringLiteral("MYID and --myid are both given")};
        if (keys.contains(ParameterKey::TYPE) && !keys.contains(ParameterKey::MYID)) {
            // As on the window, choosing a role sets the own ID; a slave's must be said.
            if (assigned.ownIdEditable() && !ownIdGiven) {
                return {{}, QStringLiteral("TYPE=0 (slave) needs an own ID: add MYID=N or "
                                           "--myid N")};
            }
            keys << ParameterKey::MYID;
        } else if (ownIdGiven) {
            keys << ParameterKey::MYID;
        }
    }

    for (int i = 0; i < command.ports.size(); ++i) {
        UnitPlan plan;
        plan.verb = command.verb;
        plan.port = command.ports.at(i);
        plan.device = resolveDevice(plan.port, ports);
        for (const UnitPlan &other : std::as_const(result.plans)) {
            if (!plan.device.isEmpty() && other.device == plan.device) {
                return {{}, QStringLiteral("--port %1 and --port %2 are the same device %3")
                                .arg(other.port, plan.port, plan.device)};
            }
        }
        plan.position = i + 1;
        const qsizetype file = files.size() > 1 ? i : 0;
        plan.values = command.verb == Verb::Set ? assigned : files.value(file);
        plan.settingsPath = command.files.value(file);
        plan.settingsSha256 = hashes.value(file);
        plan.keys = keys;
        plan.matchKind = command.verb == Verb::Write || command.verb == Verb::Diff;
        plan.verify = command.verify;
        plan.outputPath = command.outputPath;
        plan.outputPath.replace(QLatin1String("{n}"), QString::number(plan.position));
        const std::optional<int> ownId =
            command.myIdFrom ? std::optional(*command.myIdFrom + i) : command.myId;
        if (ownId) {
            const QString error = overrideOwnId(plan.values, *ownId);
            if (!error.isEmpty()) {
                return {{}, plan.settingsPath.isEmpty()
                                ? error
                                : plan.settingsPath + QLatin1String(": ") + error};
            }
        }
        result.plans << plan;
    }
    return result;
}

QStringList planCommands(const UnitPlan &plan, int unitTab)
{
    QList<ParameterKey> keys = allGroups(unitTab);
    if (plan.verb == Verb::Set)
        keys.removeIf([&](ParameterKey key) { return !plan.keys.contains(key); });
    return groupCommands(plan.values, keys);
}
