// zrt48210-station: the production station. Plug in a unit; it is configured, verified and
// recorded, hands-free, on every adapter of the bench.
#include "stationwindow/stationoptions.h"
#include "stationwindow/stationwindow.h"
#include "ui/language.h"
#include "ui/qtprompter.h"

#include <QApplication>
#include <QIcon>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Before QApplication, which needs a display: --help must work on a bare console.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const StationCommandLine commandLine = parseStationCommandLine(arguments);
    switch (commandLine.action) {
    case StationCommandLine::Action::Help:
    case StationCommandLine::Action::Version:
        std::fputs(commandLine.message.toUtf8().constData(), stdout);
        return 0;
    case StationCommandLine::Action::Refuse:
        std::fputs(commandLine.message.toUtf8().constData(), stderr);
        return 2;
    case StationCommandLine::Action::Run:
        break;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zrt48210-station"));
    QGuiApplication::setDesktopFileName(QStringLiteral(ZRT_APP_ID) + QStringLiteral(".station"));
    QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(ZRT_APP_ID)));
    installLanguage(commandLine.language, &app);
    QtPrompter prompter;
    StationWindow window(commandLine.start, &prompter);
    prompter.setParent(&window);
    window.show();
    return QApplication::exec();
}
