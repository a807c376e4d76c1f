#include "stationwindow/stationoptions.h"

#include "options/programoptions.h"
#include "settings/parameters.h"

#include <QCommandLineParser>

namespace {

const QString Program = QStringLiteral("zrt48210-station");

const char *const Help =
    "Usage: zrt48210-station [options]\n"
    "The production station for ZRT units: every serial adapter gets a tile; while\n"
    "開始 is on, each unit plugged in is written from one settings file, verified and\n"
    "recorded in a CSV file.\n"
    "\n"
    "Options:\n"
    "  --port PATTERN      Watch the paths this glob matches (/dev/serial/by-id/*)\n"
    "                      instead of the system's serial ports; repeatable.\n"
    "  --settings FILE     The settings file to start with.\n"
    "  --record CSV        The record file to start with, or a plant's database:\n"
    "                      postgresql://user@host:port/dbname (the password from\n"
    "                      ~/.pgpass or PGPASSWORD).\n"
    "  --job NAME          The plant's job the stations share (default: the\n"
    "                      settings file's name).\n"
    "  --operator NAME     The operator's name.\n"
    "  --myid-from N       Own IDs from a sequence starting at N.\n"
    "  --start             Start work (開始) as soon as the window is up.\n"
    "  --lang LANG         ja (the default) or en.\n"
    "  -h, --help          Print this help and exit.\n"
    "  -v, --version       Print the version and exit.\n";

using Action = StationCommandLine::Action;

StationCommandLine stopWith(Action action, const QString &message)
{
    return ProgramOptions::stopWith<StationCommandLine>(action, message);
}

} // namespace

StationCommandLine parseStationCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help = ProgramOptions::helpOption();
    const QCommandLineOption version = ProgramOptions::versionOption();
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("PATTERN"));
    const QCommandLineOption settings(QStringLiteral("settings"), QString(), QStringLiteral("F"));
    const QCommandLineOption record(QStringLiteral("record"), QString(), QStringLiteral("CSV"));
    const QCommandLineOption who(QStringLiteral("operator"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption from(QStringLiteral("myid-from"), QString(), QStringLiteral("N"));
    const QCommandLineOption lang = ProgramOptions::languageOption();
    const QCommandLineOption startNow(QStringLiteral("start"));
    const QCommandLineOption job(QStringLiteral("job"), QString(), QStringLiteral("NAME"));
    parser.addOptions({help, version, port, settings, record, who, from, lang, startNow, job});
    // The station names no way to try --help: a mistyped option gets the whole help.
    if (!parser.parse(arguments)) {
        return stopWith(Action::Refuse, ProgramOptions::complaint(Program, parser.errorText())
                                            + QString::fromUtf8(Help));
    }

    if (parser.isSet(help))
        return stopWith(Action::Help, QString::fromUtf8(Help));
    if (parser.isSet(version))
        return stopWith(Action::Version, ProgramOptions::versionText(Program));
    const QString badLanguage = ProgramOptions::languageProblem(parser, lang);
    if (!badLanguage.isEmpty())
        return stopWith(Action::Refuse, ProgramOptions::complaint(Program, badLanguage));
    StationCommandLine line;
    line.language = parser.value(lang);
    line.start.patterns = parser.values(port);
    line.start.settingsPath = parser.value(settings);
    line.start.recordPath = parser.value(record);
    line.start.operatorName = parser.value(who);
    line.start.jobName = parser.value(job);
    line.start.startAtOnce = parser.isSet(startNow);
    if (parser.isSet(from)) {
        const FieldBounds ownIds = fieldBounds(ParameterKey::MYID);
        line.start.sequenceFrom = ProgramOptions::numberInRange(parser.value(from),
                                                                ownIds.minimum, ownIds.maximum);
        if (!line.start.sequenceFrom) {
            const QString why = QStringLiteral("--myid-from takes %1 to %2")
                                    .arg(ownIds.minimum)
                                    .arg(ownIds.maximum);
            return stopWith(Action::Refuse, ProgramOptions::complaint(Program, why));
        }
    }
    return line;
}
