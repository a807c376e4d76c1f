// zrt48210-station: the production station. Plug in a unit; it is configured, verified and
// recorded, hands-free, on every adapter of the bench.
#include "ui/language.h"
#include "stationwindow/stationwindow.h"
#include "ui/qtprompter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QIcon>

#include <cstdio>

namespace {

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
    "  --record CSV        The record file to start with.\n"
    "  --operator NAME     The operator's name.\n"
    "  --myid-from N       Own IDs from a sequence starting at N.\n"
    "  --start             Start work (開始) as soon as the window is up.\n"
    "  --lang LANG         ja (the default) or en.\n"
    "  -h, --help          Print this help and exit.\n"
    "  -v, --version       Print the version and exit.\n";

} // namespace

int main(int argc, char *argv[])
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    QCommandLineParser parser;
    const QCommandLineOption help(QStringList{QStringLiteral("h"), QStringLiteral("help")});
    const QCommandLineOption version(QStringList{QStringLiteral("v"), QStringLiteral("version")});
    const QCommandLineOption port(QStringLiteral("port"), QString(), QStringLiteral("PATTERN"));
    const QCommandLineOption settings(QStringLiteral("settings"), QString(), QStringLiteral("F"));
    const QCommandLineOption record(QStringLiteral("record"), QString(), QStringLiteral("CSV"));
    const QCommandLineOption who(QStringLiteral("operator"), QString(), QStringLiteral("NAME"));
    const QCommandLineOption from(QStringLiteral("myid-from"), QString(), QStringLiteral("N"));
    const QCommandLineOption lang(QStringLiteral("lang"), QString(), QStringLiteral("LANG"));
    const QCommandLineOption startNow(QStringLiteral("start"));
    parser.addOptions({help, version, port, settings, record, who, from, lang, startNow});
    // Before QApplication, which needs a display: --help must work on a bare console.
    if (!parser.parse(arguments)) {
        std::fprintf(stderr, "zrt48210-station: %s\n%s", qPrintable(parser.errorText()), Help);
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(Help, stdout);
        return 0;
    }
    if (parser.isSet(version)) {
        std::printf("zrt48210-station %s\n", ZRT_VERSION);
        return 0;
    }
    const QString language = parser.value(lang);
    if (parser.isSet(lang) && language != QLatin1String("ja") && language != QLatin1String("en")) {
        std::fprintf(stderr, "zrt48210-station: --lang %s: expected ja or en\n",
                     qPrintable(language));
        return 2;
    }
    StationStart start;
    start.patterns = parser.values(port);
    start.settingsPath = parser.value(settings);
    start.recordPath = parser.value(record);
    start.operatorName = parser.value(who);
    start.startAtOnce = parser.isSet(startNow);
    if (parser.isSet(from)) {
        bool ok = false;
        const int n = parser.value(from).toInt(&ok);
        if (!ok || n < 1 || n > 200) {
            std::fprintf(stderr, "zrt48210-station: --myid-from takes 1 to 200\n");
            return 2;
        }
        start.sequenceFrom = n;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zrt48210-station"));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZRT_APP_ID) + QStringLiteral(".station"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(ZRT_APP_ID)));
    installLanguage(language, &app);
    QtPrompter prompter;
    StationWindow window(start, &prompter);
    prompter.setParent(&window);
    window.show();
    return QApplication::exec();
}
