#pragma once

#include "app/application.h"
#include "fakes/scriptedprompter.h"
#include "link/serialchannel.h"
#include "ui/mainwindow.h"

#include <QTemporaryDir>

#include <memory>

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

// The application started as at a real start, in a directory of its own, with a scripted
// prompter and whatever serial channel the test hands it. The user's configuration (QSettings)
// lives in that directory too, so no test sees another's choices.
class AppFixture
{
public:
    explicit AppFixture(SerialChannel *channel, QStringList portBindings = {});

    bool start();
    // Ends the program as at a confirmed close and starts it again in the same directory.
    bool restart();
    MainWindow *window() const { return app->window(); }
    Link *link() const { return app->link(); }
    QString directory() const { return dir.path() + QLatin1Char('/'); }

    template<typename T>
    T *find(const QString &name) const
    {
        return window()->template findChild<T *>(name);
    }
    QComboBox *list(const char *name) const;
    QLineEdit *field(const char *name) const;
    QPushButton *button(const char *name) const;
    QLabel *label(const char *name) const;

    QTemporaryDir dir;
    ScriptedPrompter prompter;
    std::unique_ptr<Application> app;

private:
    SerialChannel *m_channel;
    StartOptions m_options;
};
