#include "app/application.h"

#include "file/systemini.h"
#include "settings/panelvalues.h"
#include "ui/mainwindow.h"
#include "ui/prompter.h"
#include "ui/texts.h"

#include <QCoreApplication>
#include <QDir>
#include <QLockFile>
#include <QStandardPaths>
#include <QTemporaryFile>

namespace {

// Permission bits do not tell (root ignores them, a read-only mount overrides them): try it.
bool takesNewFiles(const QString &directory)
{
    QTemporaryFile probe(directory + QStringLiteral(".zrt48210-probe-XXXXXX"));
    return probe.open();  // and the probe goes again with it
}

} // namespace

Application::Application(Prompter *prompter, SerialChannel *channel, StartOptions options)
    : m_prompter(prompter)
    , m_channel(channel)
    , m_options(std::move(options))
{
}

Application::~Application()
{
    // The window refers to the link; let it go first.
    m_window.reset();
    m_link.reset();
}

QString Application::withTrailingSeparator(const QString &directory)
{
    if (directory.endsWith(QLatin1Char('/')) || directory.endsWith(QDir::separator()))
        return directory;
    return directory + QDir::separator();
}

QString Application::defaultLockDirectory()
{
    // Per user, so that two users of one PC each may run the tool.
    const QString runtime = QStandardPaths::writableLocation(QStandardPaths::RuntimeLocation);
    return runtime.isEmpty() ? QDir::tempPath() : runtime;
}

QString Application::portSettingsDirectory(const QString &programDirectory,
                                           const QString &installedDirectory)
{
    const bool installed = !installedDirectory.isEmpty()
        && QDir(programDirectory).canonicalPath() == QDir(installedDirectory).canonicalPath();
    if (!installed && takesNewFiles(programDirectory))
        return programDirectory;
    // Named after the program rather than the running binary, so that every build finds it.
    const QString user = withTrailingSeparator(QStandardPaths::writableLocation(
                             QStandardPaths::GenericConfigLocation))
        + QStringLiteral("zrt48210") + QDir::separator();
    QDir().mkpath(user);  // a failure shows when system.ini is written at the end
    return user;
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
    m_portSettingsFile = portSettingsPath(
        portSettingsDirectory(m_programDirectory, m_options.installedDirectory));
    // Not scanned here: the scan takes tens of milliseconds before the window could show,
    // and 接続 and the port dialog each look at the system's ports afresh anyway.
    if (m_options.scanSystemPorts)
        m_portMap.setSource(&PortMap::scanSystemPorts);
    for (const QString &binding : std::as_const(m_options.portBindings))
        m_portMap.bind(binding);

    m_window = std::make_unique<MainWindow>(m_prompter, &m_portMap, m_programDirectory);
    m_link = std::make_unique<Link>(m_channel, m_window.get());
    m_link->setTimings(m_options.timings);
    // Asked again at each connect: the adapter may have been plugged in since.
    m_link->setDeviceResolver([this](int number) {
        m_portMap.refresh();
        return m_portMap.device(number);
    });
    QObject::connect(m_link.get(), &Link::traffic, &m_trafficLog, &TrafficLog::record);
    m_window->attachLink(m_link.get());
    m_window->attachTrafficLog(&m_trafficLog);

    m_link->setPortSettings(loadPortSettings(m_portSettingsFile));
    setFrequencyDefaults(*m_window);
    setDigitalDefaults(*m_window);
    setAnalogDefaults(*m_window);
    setCommunicationDefaults(*m_window);
    m_window->enableSelectedUnitPanel();
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
