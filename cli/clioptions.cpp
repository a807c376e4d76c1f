#include "cli/clioptions.h"

#include <QCommandLineParser>

#include <algorithm>

namespace {

const QString Program = QStringLiteral("zrt48210-cli");

struct VerbRow
{
    Verb verb;
    const char *name;
};

constexpr VerbRow Verbs[] = {
    {Verb::Ports, "ports"}, {Verb::Identify, "identify"}, {Verb::Read, "read"},
    {Verb::Write, "write"}, {Verb::Set, "set"},           {Verb::Diff, "diff"},
    {Verb::Error, "error"},  {Verb::Find, "find"},  {Verb::Watch, "watch"},
};

QString helpText()
{
    return QStringLiteral(
        "Usage: zrt48210-cli VERB [arguments] [options]\n"
        "Configures ZRT radio telemetry units (48210, 48220, 48221) from the command\n"
        "line: one unit per --port, all of them at the same time.\n"
        "\n"
        "Verbs:\n"
        "  ports               List the serial ports: COMn entry, device, and maker,\n"
        "                      product and serial number of USB adapters.\n"
        "  identify            Model, kind and version line of each unit.\n"
        "  read [-o FILE]      Read back all seventeen parameters and print them as\n"
        "                      KEY=value lines, or save them as a settings file in the\n"
        "                      window's format. With several ports FILE must hold {n},\n"
        "                      replaced by 1, 2, ... in the order of the --port options.\n"
        "  write FILE... [--verify]\n"
        "                      Write all seventeen parameters of a settings file in the\n"
        "                      window's write-all order; stop at the first refusal.\n"
        "                      One FILE for all units, or one per --port in order.\n"
        "  set KEY=VALUE... [--verify]\n"
        "                      Write only the given parameters (FRBD FRCH PDIR LOGI\n"
        "                      AUIO ADSL DASL MODE TYPE MYID SNUM REPT ETIM DIVR PTIM\n"
        "                      HOLD DOUT). TYPE=1 (master) also writes own ID 000,\n"
        "                      TYPE=2 (repeater) 220; TYPE=0 (slave) needs MYID or\n"
        "                      --myid.\n"
        "  diff FILE...        Read back and list the parameters that differ from the\n"
        "                      file (one FILE for all units, or one per --port).\n"
        "  error               The unit's error code and its explanation.\n"
        "  find                Ask every serial port (or each --port) at once which unit\n"
        "                      answers there: model and version, no answer, or why the\n"
        "                      port cannot be opened, with the program holding it.\n"
        "                      Sends only UVER. Exit 0 when a unit of ours answered,\n"
        "                      1 when none did.\n"
        "  watch FILE --record CSV\n"
        "                      The production station without a window: every adapter\n"
        "                      that --port PATTERN matches (a glob, looked at again\n"
        "                      every 2 s) is watched; each unit plugged in is\n"
        "                      written, verified and recorded in CSV, once. One line\n"
        "                      per unit and event; Ctrl-C stops (status 130).\n"
        "\n"
        "Options:\n"
        "  --port P            The unit's serial line: a device path (/dev/ttyUSB0,\n"
        "                      /dev/serial/by-id/...) or COMn as the window maps it.\n"
        "                      Repeat for several units; they run in parallel.\n"
        "  -o, --output FILE   read: save a settings file instead of printing.\n"
        "  --verify            write, set: read back afterwards and compare.\n"
        "  --myid N            write, set, diff: own ID N (1 to 200) instead of the\n"
        "                      file's; not for a master or a repeater.\n"
        "  --myid-from N       The same with several ports: N, N+1, ... in --port order.\n"
        "  --json              Print one JSON document instead of text.\n"
        "  --log FILE          Append every line sent and received, resends, give-ups\n"
        "                      and port errors to FILE, with millisecond timestamps.\n"
        "  --record CSV        write, watch: append one row per unit to the station's\n"
        "                      record (UTF-8 CSV, as zrt48210-station keeps it).\n"
        "  --operator NAME     write, watch: the operator's name for the record.\n"
        "  -h, --help          Print this help and exit.\n"
        "  -v, --version       Print the version and exit.\n"
        "\n"
        "Progress goes to standard error: one line per unit, updated in place on a\n"
        "terminal. Ctrl-C lets each unit finish the line in progress, closes the ports\n"
        "and reports what was written.\n"
        "\n"
        "Exit status (with several units the worst one decides):\n"
        "  0    every unit done (and verified, with --verify)\n"
        "  1    a unit refused a parameter, a verify or diff found a difference, or a\n"
        "       unit is of the wrong model\n"
        "  2    bad usage or a bad settings file; nothing was sent\n"
        "  3    a port could not be opened, a unit stopped answering, or the result\n"
        "       could not be saved\n"
        "  130  interrupted by Ctrl-C\n");
}

CliCommand refuse(const QString &why)
{
    CliCommand command;
    command.action = CliCommand::Action::Refuse;
    command.message = QStringLiteral("%1: %2\nTry '%1 --help'.\n").arg(Program, why);
    return command;
}

std::optional<Verb> verbFromName(const QString &name)
{
    for (const VerbRow &row : Verbs) {
        if (name == QLatin1String(row.name))
            return row.verb;
    }
    return std::nullopt;
}

std::optional<int> ownIdNumber(const QString &text)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < 1 || number > 200 || text.size() > 3)
        return std::nullopt;
    return number;
}

} // namespace

QString verbName(Verb verb)
{
    for (const VerbRow &row : Verbs) {
        if (row.verb == verb)
            return QString::fromLatin1(row.name);
    }
    return {};
}

CliCommand parseCliCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("P"));
    const QCommandLineOption output(QStringList{QStringLiteral("o"), QStringLiteral("output")},
                                    QString(), QStringLiteral("FILE"));
    const QCommandLineOption verify(QStringLiteral("verify"));
    const QCommandLineOption myId(QStringLiteral("myid"), QString(), QStringLiteral("N"));
    const QCommandLineOption myIdFrom(QStringLiteral("myid-from"), QString(), QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("FILE"));
    const QCommandLineOption record(QStringLiteral("record"), QString(), QStringLiteral("CSV"));
    const QCommandLineOption operatorName(QStringLiteral("operator"), QString(),
                                          QStringLiteral("NAME"));
    parser.addOptions({help, version, port, output, verify, myId, myIdFrom, json, log, record,
                       operatorName});
    if (!parser.parse(arguments))
        return refuse(parser.errorText());

    CliCommand command;
    if (parser.isSet(help)) {
        command.action = CliCommand::Action::Help;
        command.message = helpText();
        return command;
    }
    if (parser.isSet(version)) {
        command.action = CliCommand::Action::Version;
        command.message = QStringLiteral("%1 %2\n").arg(Program, QStringLiteral(ZRT_VERSION));
        return command;
    }

    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty())
        return refuse(QStringLiteral("no verb given"));
    const QString verbText = positional.takeFirst();
    const std::optional<Verb> verb = verbFromName(verbText);
    if (!verb)
        return refuse(QStringLiteral("unknown verb '%1'").arg(verbText));
    command.verb = *verb;
    command.ports = parser.values(port);
    command.outputPath = parser.value(output);
    command.verify = parser.isSet(verify);
    command.json = parser.isSet(json);
    command.logPath = parser.value(log);
    command.recordPath = parser.value(record);
    command.operatorName = parser.value(operatorName);
    const QString name = verbName(command.verb);

    auto notWith = [&](const QCommandLineOption &option, std::initializer_list<Verb> allowed) {
        return parser.isSet(option)
            && std::find(allowed.begin(), allowed.end(), command.verb) == allowed.end();
    };
    if (notWith(output, {Verb::Read}))
        return refuse(QStringLiteral("-o is for read only"));
    if (notWith(verify, {Verb::Write, Verb::Set}))
        return refuse(QStringLiteral("--verify is for write and set only"));
    if (notWith(record, {Verb::Write, Verb::Watch})
        || notWith(operatorName, {Verb::Write, Verb::Watch})) {
        return refuse(QStringLiteral("--record and --operator are for write and watch only"));
    }
    if (command.verb == Verb::Watch && (command.recordPath.isEmpty() || parser.isSet(myId)
                                        || parser.isSet(json) || parser.isSet(log))) {
        return refuse(QStringLiteral("watch takes FILE, --port PATTERN..., --record CSV and "
                                     "optionally --myid-from N and --operator NAME"));
    }
    if (notWith(myId, {Verb::Write, Verb::Set, Verb::Diff})
        || notWith(myIdFrom, {Verb::Write, Verb::Set, Verb::Diff, Verb::Watch})) {
        return refuse(QStringLiteral("--myid and --myid-from are for write, set and diff only"));
    }
    if (command.verb == Verb::Ports) {
        if (!command.ports.isEmpty() || parser.isSet(log))
            return refuse(QStringLiteral("ports takes no --port and no --log"));
    } else if (command.ports.isEmpty() && command.verb != Verb::Find) {
        return refuse(QStringLiteral("%1 needs at least one --port").arg(name));
    }
    for (qsizetype i = 0; i < command.ports.size(); ++i) {
        if (command.ports.indexOf(command.ports.at(i)) != i)
            return refuse(QStringLiteral("--port %1 is given twice").arg(command.ports.at(i)));
    }

    switch (command.verb) {
    case Verb::Watch:
        command.files = positional;
        if (command.files.size() != 1)
            return refuse(QStringLiteral("watch takes one settings file"));
        break;
    case Verb::Write:
    case Verb::Diff:
        command.files = positional;
        if (command.files.size() != 1 && command.files.size() != command.ports.size()) {
            return refuse(QStringLiteral("%1 takes one settings file for all units, or one for "
                                         "each --port (%2)")
                              .arg(name).arg(command.ports.size()));
        }
        break;
    case Verb::Set:
        command.assignments = positional;
        if (command.assignments.isEmpty())
            return refuse(QStringLiteral("set needs at least one KEY=VALUE"));
        break;
    default:
        if (!positional.isEmpty())
            return refuse(QStringLiteral("unexpected argument '%1'").arg(positional.first()));
        break;
    }

    if (command.verb == Verb::Read && command.ports.size() > 1 && parser.isSet(output)
        && !command.outputPath.contains(QLatin1String("{n}"))) {
        return refuse(QStringLiteral("with several ports, -o needs {n} in the file name, e.g. "
                                     "-o unit{n}.txt"));
    }
    if (parser.isSet(myId) && parser.isSet(myIdFrom))
        return refuse(QStringLiteral("give either --myid or --myid-from, not both"));
    if (parser.isSet(myId)) {
        command.myId = ownIdNumber(parser.value(myId));
        if (!command.myId)
            return refuse(QStringLiteral("--myid takes an own ID from 1 to 200"));
    }
    if (parser.isSet(myIdFrom)) {
        command.myIdFrom = ownIdNumber(parser.value(myIdFrom));
        if (!command.myIdFrom)
            return refuse(QStringLiteral("--myid-from takes an own ID from 1 to 200"));
        if (command.verb != Verb::Watch && *command.myIdFrom + command.ports.size() - 1 > 200) {
            return refuse(QStringLiteral("--myid-from %1 with %2 ports goes past own ID 200")
                              .arg(parser.value(myIdFrom))
                              .arg(command.ports.size()));
        }
    }
    return command;
}
