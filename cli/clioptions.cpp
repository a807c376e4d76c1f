#include "cli/clioptions.h"

#include "options/programoptions.h"
#include "settings/parameters.h"

#include <QCommandLineParser>

#include <algorithm>
#include <cstddef>

namespace {

const QString Program = QStringLiteral("zrt48210-cli");

constexpr unsigned bit(Verb verb)
{
    return 1u << static_cast<unsigned>(verb);
}

// Which verbs an option or an exit status concerns, for the help of one verb (Record is the
// last verb).
constexpr unsigned AllVerbs = bit(Verb::Record) * 2 - 1;
constexpr unsigned UnitVerbs = bit(Verb::Identify) | bit(Verb::Read) | bit(Verb::Write)
    | bit(Verb::Set) | bit(Verb::Diff) | bit(Verb::Error);

struct VerbRow
{
    Verb verb;
    const char *name;
    const char *usage;  // the verb with its arguments
    const char *about;  // wrapped for the help; no line end after the last line
};

constexpr VerbRow Verbs[] = {
    {Verb::Ports, "ports", "ports",
     "List the serial ports: COMn entry, device, and maker,\n"
     "product and serial number of USB adapters."},
    {Verb::Identify, "identify", "identify", "Model, kind and version line of each unit."},
    {Verb::Read, "read", "read [-o FILE]",
     "Read back all seventeen parameters and print them as\n"
     "KEY=value lines, or save them as a settings file in the\n"
     "window's format. With several ports FILE must hold {n},\n"
     "replaced by 1, 2, ... in the order of the --port options."},
    {Verb::Write, "write", "write FILE... [--verify]",
     "Write all seventeen parameters of a settings file in the\n"
     "window's write-all order; stop at the first refusal.\n"
     "One FILE for all units, or one per --port in order."},
    {Verb::Set, "set", "set KEY=VALUE... [--verify]",
     "Write only the given parameters (FRBD FRCH PDIR LOGI\n"
     "AUIO ADSL DASL MODE TYPE MYID SNUM REPT ETIM DIVR PTIM\n"
     "HOLD DOUT). TYPE=1 (master) also writes own ID 000,\n"
     "TYPE=2 (repeater) 220; TYPE=0 (slave) needs MYID or\n"
     "--myid."},
    {Verb::Diff, "diff", "diff FILE...",
     "Read back and list the parameters that differ from the\n"
     "file (one FILE for all units, or one per --port)."},
    {Verb::Error, "error", "error", "The unit's error code and its explanation."},
    {Verb::Find, "find", "find",
     "Ask every serial port (or each --port) at once which unit\n"
     "answers there: model and version, no answer, or why the\n"
     "port cannot be opened, with the program holding it.\n"
     "Sends only UVER. Exit 0 when a unit of ours answered,\n"
     "1 when none did."},
    {Verb::Watch, "watch", "watch FILE --record CSV",
     "The production station without a window: every adapter\n"
     "that --port PATTERN matches (a glob, looked at again\n"
     "every 2 s) is watched; each unit plugged in is\n"
     "written, verified and recorded in CSV, once. One line\n"
     "per unit and event; Ctrl-C stops (status 130)."},
    {Verb::Record, "record", "record export --record URL -o FILE",
     "Write the rows of a plant's job (every station's, or\n"
     "with --job NAME that job's) as the CSV a station keeps."},
};

struct HelpRow
{
    const char *left;
    const char *text;  // wrapped; no line end after the last line
    unsigned verbs;    // the verbs whose own help shows the row
};

constexpr HelpRow Options[] = {
    {"--port P",
     "The unit's serial line: a device path (/dev/ttyUSB0,\n"
     "/dev/serial/by-id/...) or COMn as the window maps it.\n"
     "Repeat for several units; they run in parallel.",
     AllVerbs & ~bit(Verb::Ports)},
    {"-o, --output FILE", "read: save a settings file instead of printing; record\n"
     "export: the CSV to write.", bit(Verb::Read) | bit(Verb::Record)},
    {"--verify", "write, set: read back afterwards and compare.",
     bit(Verb::Write) | bit(Verb::Set)},
    {"--myid N",
     "write, set, diff: own ID N (1 to 200) instead of the\n"
     "file's; not for a master or a repeater.",
     bit(Verb::Write) | bit(Verb::Set) | bit(Verb::Diff)},
    {"--myid-from N", "The same with several ports: N, N+1, ... in --port order.",
     bit(Verb::Write) | bit(Verb::Set) | bit(Verb::Diff) | bit(Verb::Watch)},
    {"--json", "Print one JSON document instead of text.",
     AllVerbs & ~bit(Verb::Watch) & ~bit(Verb::Record)},
    {"--log FILE",
     "Append every line sent and received, resends, give-ups\n"
     "and port errors to FILE, with millisecond timestamps.",
     AllVerbs & ~bit(Verb::Ports) & ~bit(Verb::Watch) & ~bit(Verb::Record)},
    {"--record CSV",
     "write, watch: append one row per unit to the station's\n"
     "record (UTF-8 CSV, as zrt48210-station keeps it), or to\n"
     "a plant's database: postgresql://user@host:port/dbname\n"
     "(the password from ~/.pgpass or PGPASSWORD).",
     bit(Verb::Write) | bit(Verb::Watch) | bit(Verb::Record)},
    {"--job NAME",
     "write, watch, record: the plant's job the stations share\n"
     "(default: the settings file's name).",
     bit(Verb::Write) | bit(Verb::Watch) | bit(Verb::Record)},
    {"--operator NAME", "write, watch: the operator's name for the record.",
     bit(Verb::Write) | bit(Verb::Watch)},
    {"-h, --help", "Print this help and exit.", AllVerbs},
    {"-v, --version", "Print the version and exit.", 0},
};

constexpr HelpRow ExitStatuses[] = {
    {"0", "every unit done (and verified, with --verify)",
     UnitVerbs | bit(Verb::Ports) | bit(Verb::Record)},
    {"1",
     "a unit refused a parameter, a verify or diff found a difference, or a\n"
     "unit is of the wrong model",
     UnitVerbs},
    {"2", "bad usage or a bad settings file; nothing was sent", AllVerbs},
    {"3",
     "a port could not be opened, a unit stopped answering, or the result\n"
     "could not be saved",
     UnitVerbs | bit(Verb::Watch) | bit(Verb::Record)},
    {"130", "interrupted by Ctrl-C", AllVerbs & ~bit(Verb::Ports) & ~bit(Verb::Record)},
};

// "  left  text", the text's lines from `column` on; a left side too wide for that stands on
// a line of its own.
QString helpEntry(const char *left, const char *text, int column)
{
    const QString indent(column, QLatin1Char(' '));
    QString entry = QStringLiteral("  ") + QLatin1String(left);
    entry = entry.size() + 2 > column ? entry + QLatin1Char('\n') + indent
                                      : entry.leftJustified(column);
    return entry + QString::fromUtf8(text).replace(QLatin1Char('\n'), QLatin1Char('\n') + indent)
        + QLatin1Char('\n');
}

// Every row without a verb; the rows that concern it with one.
template <std::size_t N>
QString helpRows(const char *title, const HelpRow (&rows)[N], int column, std::optional<Verb> verb)
{
    QString text = QLatin1String(title);
    for (const HelpRow &row : rows) {
        if (!verb || (row.verbs & bit(*verb)))
            text += helpEntry(row.left, row.text, column);
    }
    return text;
}

constexpr int TextColumn = 22;
constexpr int StatusColumn = 7;
const char *const ExitTitle = "Exit status (with several units the worst one decides):\n";

QString optionsAndStatuses(std::optional<Verb> verb)
{
    QString text = helpRows("Options:\n", Options, TextColumn, verb);
    if (!verb) {
        text += QStringLiteral(
            "\n"
            "Progress goes to standard error: one line per unit, updated in place on a\n"
            "terminal. Ctrl-C lets each unit finish the line in progress, closes the ports\n"
            "and reports what was written.\n");
    }
    return text + QLatin1Char('\n')
        + helpRows(ExitTitle, ExitStatuses, StatusColumn, verb);
}

QString helpText()
{
    QString text = QStringLiteral(
        "Usage: zrt48210-cli VERB [arguments] [options]\n"
        "Configures ZRT radio telemetry units (48210, 48220, 48221) from the command\n"
        "line: one unit per --port, all of them at the same time.\n"
        "'zrt48210-cli VERB --help' shows one verb's usage, options and exit statuses.\n"
        "\n"
        "Verbs:\n");
    for (const VerbRow &row : Verbs)
        text += helpEntry(row.usage, row.about, TextColumn);
    return text + QLatin1Char('\n') + optionsAndStatuses(std::nullopt);
}

// As git and nmcli do: the usage of one verb, its options and its exit statuses.
QString verbHelpText(const VerbRow &row)
{
    return QStringLiteral("Usage: %1 %2 [options]\n%3\n\n")
               .arg(Program, QLatin1String(row.usage), QString::fromUtf8(row.about))
        + optionsAndStatuses(row.verb);
}

using Action = CliCommand::Action;

CliCommand stopWith(Action action, const QString &message)
{
    return ProgramOptions::stopWith<CliCommand>(action, message);
}

CliCommand refuse(const QString &why)
{
    return stopWith(Action::Refuse, ProgramOptions::refusal(Program, why));
}

const VerbRow *verbRowOf(const QString &name)
{
    for (const VerbRow &row : Verbs) {
        if (name == QLatin1String(row.name))
            return &row;
    }
    return nullptr;
}

std::optional<Verb> verbFromName(const QString &name)
{
    const VerbRow *row = verbRowOf(name);
    return row ? std::optional(row->verb) : std::nullopt;
}

const FieldBounds OwnIds = fieldBounds(ParameterKey::MYID);

// At most three characters, as a field holds it.
std::optional<int> ownIdNumber(const QString &text)
{
    if (text.size() > 3)
        return std::nullopt;
    return ProgramOptions::numberInRange(text, OwnIds.minimum, OwnIds.maximum);
}

QString takesAnOwnId(const QString &option)
{
    return QStringLiteral("%1 takes an own ID from %2 to %3")
        .arg(option)
        .arg(OwnIds.minimum)
        .arg(OwnIds.maximum);
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
    const QCommandLineOption help = ProgramOptions::helpOption();
    const QCommandLineOption version = ProgramOptions::versionOption();
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
    const QCommandLineOption job(QStringLiteral("job"), QString(), QStringLiteral("NAME"));
    parser.addOptions({help, version, port, output, verify, myId, myIdFrom, json, log, record,
                       operatorName, job});
    if (!parser.parse(arguments))
        return refuse(parser.errorText());

    if (parser.isSet(help)) {
        const QStringList positional = parser.positionalArguments();
        const VerbRow *row = positional.isEmpty() ? nullptr : verbRowOf(positional.first());
        if (!positional.isEmpty() && !row)
            return refuse(QStringLiteral("unknown verb '%1'").arg(positional.first()));
        return stopWith(Action::Help, row ? verbHelpText(*row) : helpText());
    }
    if (parser.isSet(version))
        return stopWith(Action::Version, ProgramOptions::versionText(Program));

    CliCommand command;
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
    command.jobName = parser.value(job);
    const QString name = verbName(command.verb);

    auto notWith = [&](const QCommandLineOption &option, std::initializer_list<Verb> allowed) {
        return parser.isSet(option)
            && std::find(allowed.begin(), allowed.end(), command.verb) == allowed.end();
    };
    if (notWith(output, {Verb::Read, Verb::Record}))
        return refuse(QStringLiteral("-o is for read and record export only"));
    if (notWith(job, {Verb::Write, Verb::Watch, Verb::Record}))
        return refuse(QStringLiteral("--job is for write, watch and record only"));
    if (parser.isSet(job) && command.recordPath.isEmpty())
        return refuse(QStringLiteral("--job goes with --record"));
    if (command.verb == Verb::Record) {
        if (positional != QStringList{QStringLiteral("export")} || command.recordPath.isEmpty()
            || command.outputPath.isEmpty() || !command.ports.isEmpty() || parser.isSet(json)
            || parser.isSet(log) || parser.isSet(operatorName)) {
            return refuse(QStringLiteral("record takes: export --record URL [--job NAME] "
                                         "-o FILE.csv"));
        }
        return command;
    }
    if (notWith(verify, {Verb::Write, Verb::Set}))
        return refuse(QStringLiteral("--verify is for write and set only"));
    if (notWith(record, {Verb::Write, Verb::Watch, Verb::Record})
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
            return refuse(takesAnOwnId(QStringLiteral("--myid")));
    }
    if (parser.isSet(myIdFrom)) {
        command.myIdFrom = ownIdNumber(parser.value(myIdFrom));
        if (!command.myIdFrom)
            return refuse(takesAnOwnId(QStringLiteral("--myid-from")));
        if (command.verb != Verb::Watch
            && *command.myIdFrom + command.ports.size() - 1 > OwnIds.maximum) {
            return refuse(QStringLiteral("--myid-from %1 with %2 ports goes past own ID %3")
                              .arg(parser.value(myIdFrom))
                              .arg(command.ports.size())
                              .arg(OwnIds.maximum));
        }
    }
    return command;
}
