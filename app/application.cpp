#include "app/application.h"

#include "file/systemini.h"
#include "ui/mainwindow.h"
#include "ui/prompter.h"
#include "ui/texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>

Application::Application(Prompter *prompter, SerialChannel *channel, StartOptions options)
    : m_prompter(prompter)
    , m_channel(channel)
    , m_options(std::move(options))
{
}

Application::~Application() = default;

QString Application::defaultLockDirectory()
{
    // Per user, so that two users of one PC each may run the tool.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

bool Application::start()
{
    const QString lockDirectory = m_options.lockDirectory.isEmpty() ? defaultLockDirectory()
                                                                    : m_options.lockDirectory;
    m_lock = std::make_unique<QLockFile>(withTrailingSeparator(lockDirectory)
                                         + QStringLiteral("zrt48210.lock"));
    // A lock left by a killed process is recognised as stale and taken over.
    if (!m_lock->tryLock(0)) {
        m_prompter->show(Texts::duplicateStart(), Prompter::Buttons::Ok,
                         Prompter::Icon::Exclamation);
        m_lock.reset();
        return false;
    }

    // Names the user's configuration (QSettings) that keeps the window's own choices; the port
    // settings stay in system.ini.
    QCoreApplication::setOrganizationName(QStringLiteral("zrt48210"));

    m_programDirectory = withTrailingSeparator(m_options.programDirectory);
    const QString iniDirectory =
        portSettingsDirectory(m_programDirectory, m_options.installedDirectory);
    QDir().mkpath(iniDirectory);  // a failure shows when system.ini is written at the end
    m_portSettingsFile = portSettingsPath(iniDirectory);
    // Not scanned here: the scan takes tens of milliseconds before the window could show,
    // and 接続 and the port dialog each look at the system's ports afresh anyway.
    if (m_options.scanSystemPorts)
        m_portMap.setSource(&PortMap::scanSystemPorts);
    for (const QString &binding : std::as_const(m_options.portBindings))
        m_portMap.bind(binding);

    m_link = std::make_unique<Link>(m_channel);
    m_link->setTimings(m_options.timings);
    // Asked again at each connect: the adapter may have been plugged in since.
    m_link->setDeviceResolver([this](int number) {
        m_portMap.refresh();
        return m_portMap.device(number);
    });
    QObject::connect(m_link.get(), &Link::traffic, &m_trafficLog, &TrafficLog::record);
    m_link->setPortSettings(loadPortSettings(m_portSettingsFile));

    m_window = std::make_unique<MainWindow>(m_prompter, &m_portMap, m_link.get(),
                                            m_programDirectory);
    m_window->attachTrafficLog(&m_trafficLog);
    m_window->showConnectionState(m_link->state().portOpen);
    m_window->setWindowTitle(Texts::windowTitle());
    m_window->show();
    return true;
}

void Application::shutdown()
{
    if (!m_link)
        return;
    if (m_link->state().portOpen)
        m_link->disconnectUnit();
    const FileWriteResult saved = savePortSettings(m_portSettingsFile, m_link->portSettings());
    // Said once, and the program ends anyway: the port chosen now will not be there at the
    // next start.
    if (!saved.ok)
        m_prompter->show(Texts::portSettingsNotSaved(m_portSettingsFile, saved.reason));
}
