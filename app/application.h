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
    QString programDirectory;  // system.ini lives here when this folder is writable
    QString lockDirectory;     // where the single-instance lock lives
    QStringList portBindings;  // "COMn=device"
    bool scanSystemPorts = true;
    LinkTimings timings;
    // The folder the program was installed to; system.ini never goes there, even when that
    // folder can be written (a program run as root).
    QString installedDirectory;
};

// The program's spine: refuses a second instance, builds the link and then the window that
// drives it, and after the window has closed, disconnects and writes system.ini (saying so
// when it cannot). Members go in the reverse order of their declaration: the window before the
// link it drives, the link before the traffic log and port map it uses.
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
    // The system.ini read at start and written at the end, chosen once at start.
    QString portSettingsFile() const { return m_portSettingsFile; }

    static QString defaultLockDirectory();

private:
    Prompter *m_prompter;
    SerialChannel *m_channel;
    StartOptions m_options;
    QString m_programDirectory;
    QString m_portSettingsFile;
    PortMap m_portMap;
    TrafficLog m_trafficLog;
    std::unique_ptr<QLockFile> m_lock;
    std::unique_ptr<Link> m_link;
    std::unique_ptr<MainWindow> m_window;
};
