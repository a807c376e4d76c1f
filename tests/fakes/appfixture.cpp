#include "fakes/appfixture.h"

#include "ui/mainwindow.h"

#include <QComboBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>

AppFixture::AppFixture(SerialChannel *channel, QStringList portBindings)
    : m_channel(channel)
{
    // A file of the test's own: Windows would keep the native format in the registry, which
    // outlives the test.
    QSettings::setDefaultFormat(QSettings::IniFormat);
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, dir.path());
    m_options.programDirectory = dir.path();
    m_options.lockDirectory = dir.path();
    m_options.portBindings = std::move(portBindings);
    m_options.scanSystemPorts = false;
    m_options.timings = {1000, 10};
    app = std::make_unique<Application>(&prompter, channel, m_options);
}

bool AppFixture::start()
{
    return app->start();
}

bool AppFixture::restart()
{
    app->shutdown();
    app = std::make_unique<Application>(&prompter, m_channel, m_options);
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
