#include "app/application.h"
#include "link/qtserialchannel.h"
#include "ui/mainwindow.h"
#include "ui/qtprompter.h"

#include <QApplication>
#include <QCommandLineParser>
#include <QLibraryInfo>
#include <QTranslator>

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
