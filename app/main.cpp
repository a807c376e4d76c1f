#include "app/application.h"
#include "link/portmap.h"
#include "link/qtserialchannel.h"
#include "ui/mainwindow.h"
#include "ui/qtprompter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QTranslator>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("zrt48210"));

    // Qt's own buttons and dialogs speak Japanese too.
    QTranslator qtTranslator;
    if (qtTranslator.load(QStringLiteral("qtbase_ja"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QApplication::installTranslator(&qtTranslator);
    }

    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral("ZRT48210 unit settings"));
    parser.addHelpOption();
    QCommandLineOption portOption(
        QStringLiteral("port"),
        QStringLiteral("Bind a port entry to a device, e.g. COM1=/dev/ttyUSB0 (repeatable)."),
        QStringLiteral("COMn=device"));
    parser.addOption(portOption);
    parser.process(app);

    StartOptions options;
    options.programDirectory = QCoreApplication::applicationDirPath();
    options.portBindings = parser.values(portOption);
    for (const QString &binding : std::as_const(options.portBindings)) {
        PortMap check;
        if (!check.bind(binding)) {
            std::fprintf(stderr, "--port %s: expected COMn=DEVICE with n from 1 to 9\n",
                         qPrintable(binding));
            return 2;
        }
    }

    QtPrompter prompter;
    QtSerialChannel channel;
    Application application(&prompter, &channel, options);
    if (!application.start())
        return 0;
    prompter.setParent(application.window());
    const int code = QApplication::exec();
    application.shutdown();
    return code;
}
