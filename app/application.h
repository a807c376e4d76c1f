#pragma once

#include "link/link.h"
#include "link/portmap.h"
#include "link/trafficlog.h"

#include <QString>
#include <QStringList>

#include <memory>

class MainWindow;
class Prompter;
class QLockFile;
class SerialChannel;

struct StartOptions
{
    QString programDirectory;  // where system.ini lives
    QString lockDirectory;     // where the single-instance lock lives
    QStringList portBindings;  // "COMn=device"
    bool scanSystemPorts = true;
    LinkTimings timings;
};

// The program's spine: refuses a second instance, prepares the values and the window, and
// after the window has closed, disconnects and writes system.ini.
class Application
{
public:
    Application(Prompter *prompter, SerialChannel *channel, StartOptions options);
    ~Application();

    // False when another instance runs; the user has been told and nothing else happened.
    bool start();
    void shutdown();

    MainWindow *window() const { return m_window.get(); }
    Link *link() const { return m_link.get(); }
    // What went over the line since the start, whether or not anyone looks.
    TrafficLog *trafficLog() { return &m_trafficLog; }
    QString programDirectory() const { return m_programDirectory; }

    static QString withTrailingSeparator(const QString &directory);
    static QString defaultLockDirectory();

private:
    Prompter *m_prompter;
    SerialChannel *m_channel;
    StartOptions m_options;
    QString m_programDirectory;
    PortMap m_portMap;
    TrafficLog m_trafficLog;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<MainWindow> m_window;
    std::unique_ptr<Link> m_link;
};
