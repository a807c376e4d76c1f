#include "fakes/appfixture.h"

#include "ui/mainwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

AppFixture::AppFixture(SerialChannel *channel, QStringList portBindings)
{
    StartOptions options;
    options.programDirectory = dir.path();
    options.lockDirectory = dir.path();
    options.portBindings = std::move(portBindings);
    options.scanSystemPorts = false;
    options.timings = {1000, 10};
    app = std::make_unique<Application>(&prompter, channel, options);
}

bool AppFixture::start()
{
    return app->start();
}

QComboBox *AppFixture::list(const char *name) const
{
    return find<QComboBox>(QString::fromLatin1(name));
}

QLineEdit *AppFixture::field(const char *name) const
{
    return find<QLineEdit>(QString::fromLatin1(name));
}

QPushButton *AppFixture::button(const char *name) const
{
    return find<QPushButton>(QString::fromLatin1(name));
}

QLabel *AppFixture::label(const char *name) const
{
    return find<QLabel>(QString::fromLatin1(name));
}
