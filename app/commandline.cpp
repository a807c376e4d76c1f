#include "app/commandline.h"

#include "link/portmap.h"
#include "options/programoptions.h"

#include <QCommandLineParser>

namespace {

const QString Program = QStringLiteral("zrt48210");

QString helpText()
{
    return QStringLiteral(
        "Usage: zrt48210 [options]\n"
        "Settings window for the ZRT radio telemetry units 48210, 48220 and 48221.\n"
        "\n"
        "Options:\n"
        "  --port COMn=DEVICE  Let the port entry COMn (n from 1 to 9) stand for DEVICE,\n"
        "                      e.g. --port COM1=/dev/ttyUSB0. Repeatable.\n"
        "  --lang LANG         ja (Japanese, the default whatever the system's language)\n"
        "                      or en (English).\n"
        "  --log FILE          Append every line sent to or received from the unit, and\n"
        "                      every event of the port, to FILE (one row a line, tab-\n"
        "                      separated: time, port, direction, text).\n"
        "  -h, --help          Print this help and exit.\n"
        "  -v, --version       Print the version and exit.\n");
}

using Action = WindowCommandLine::Action;

WindowCommandLine stopWith(Action action, const QString &message)
{
    return ProgramOptions::stopWith<WindowCommandLine>(action, message);
}

WindowCommandLine refuse(const QString &why)
{
    return stopWith(Action::Refuse, ProgramOptions::refusal(Program, why));
}

} // namespace

WindowCommandLine parseWindowCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    const QCommandLineOption help = ProgramOptions::helpOption();
    const QCommandLineOption version = ProgramOptions::versionOption();
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("COMn=DEVICE"));
    const QCommandLineOption lang = ProgramOptions::languageOption();
    const QCommandLineOption log(QStringLiteral("log"), QString(), QStringLiteral("FILE"));
    parser.addOptions({help, version, port, lang, log});
    if (!parser.parse(arguments))
        return refuse(parser.errorText());
    if (!parser.positionalArguments().isEmpty())
        return refuse(QStringLiteral("unexpected argument '%1'")
                          .arg(parser.positionalArguments().constFirst()));

    if (parser.isSet(help))
        return stopWith(Action::Help, helpText());
    if (parser.isSet(version))
        return stopWith(Action::Version, ProgramOptions::versionText(Program));
    WindowCommandLine line;
    for (const QString &binding : parser.values(port)) {
        PortMap check;
        if (!check.bind(binding))
            return refuse(QStringLiteral("--port %1: expected COMn=DEVICE with n from 1 to 9")
                              .arg(binding));
        line.portBindings << binding;
    }
    const QString badLanguage = ProgramOptions::languageProblem(parser, lang);
    if (!badLanguage.isEmpty())
        return refuse(badLanguage);
    if (parser.isSet(lang))
        line.language = parser.value(lang);
    const QStringList logs = parser.values(log);
    if (logs.size() > 1)
        return refuse(QStringLiteral("--log may be given once"));
    if (!logs.isEmpty() && logs.constFirst().isEmpty())
        return refuse(QStringLiteral("--log needs a file name"));
    line.logFile = logs.value(0);
    return line;
}
