#include "app/application.h"
#include "app/commandline.h"
#include "app/fontstartup.h"
#include "ui/language.h"
#include "link/qtserialchannel.h"
#include "ui/applicationstyle.h"
#include "ui/mainwindow.h"
#include "ui/qtprompter.h"

#include <QApplication>
#include <QIcon>
#include <QTimer>

#include <cstdio>

int main(int argc, char *argv[])
{
    // Before QApplication, which needs a display: --help must work on a bare console.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const WindowCommandLine commandLine = parseWindowCommandLine(arguments);
    switch (commandLine.action) {
    case WindowCommandLine::Action::Help:
    case WindowCommandLine::Action::Version:
        std::fputs(commandLine.message.toUtf8().constData(), stdout);
        return std::fflush(stdout) == 0 ? 0 : 1;
    case WindowCommandLine::Action::Refuse:
        std::fputs(commandLine.message.toUtf8().constData(), stderr);
        return 2;
    case WindowCommandLine::Action::Run:
        break;
    }

    FontStartup fonts;
    QApplication app(argc, argv);
    fonts.join();
    QApplication::setStyle(new ApplicationStyle);
    QApplication::setApplicationName(QStringLiteral("zrt48210"));
    // An installed copy: the desktop finds its menu entry and icon by this name.
    QGuiApplication::setDesktopFileName(QStringLiteral(ZRT_APP_ID));

    installLanguage(commandLine.language, &app);

    StartOptions options;
    options.programDirectory = QCoreApplication::applicationDirPath();
    options.portBindings = commandLine.portBindings;
    options.installedDirectory = QStringLiteral(ZRT_INSTALLED_BINDIR);

    QtPrompter prompter;
    QtSerialChannel channel;
    Application application(&prompter, &channel, options);
    if (!commandLine.logFile.isEmpty()) {
        QString reason;
        if (!application.trafficLog()->appendTo(commandLine.logFile, &reason)) {
            std::fputs(QStringLiteral("zrt48210: --log %1: %2\n")
                           .arg(commandLine.logFile, reason)
                           .toUtf8()
                           .constData(),
                       stderr);
            return 2;
        }
    }
    if (!application.start())
        return 0;
    prompter.setParent(application.window());
    // The icon theme's lookup reads every folder of the theme: a tenth of the start-up, for an
    // icon the desktop shows beside the window. It follows once the window is up.
    QTimer::singleShot(0, &app, [] {
        QApplication::setWindowIcon(QIcon::fromTheme(QStringLiteral(ZRT_APP_ID)));
    });
    const int code = QApplication::exec();
    application.shutdown();
    return code;
}
