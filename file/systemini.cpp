#include "file/systemini.h"

#include "file/itemreader.h"

#include <QBuffer>
#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>
#include <QTemporaryFile>

#include <limits>
#include <optional>

namespace {

// A number item: blanks around it are allowed, nothing else.
template<typename T>
std::optional<T> numberItem(const QByteArray &item)
{
    bool ok = false;
    const qlonglong value = item.trimmed().toLongLong(&ok);
    if (!ok || value < std::numeric_limits<T>::min() || value > std::numeric_limits<T>::max())
        return std::nullopt;
    return static_cast<T>(value);
}

std::optional<QByteArray> nextItem(ItemReader &reader)
{
    const ItemReader::Result result = reader.next();
    if (result.status != ItemReader::Status::Item)
        return std::nullopt;
    return result.item;
}

// Numbers carry a blank for the sign and one after them, as the file has always been written.
QByteArray numberLine(qlonglong value)
{
    const QByteArray digits = QByteArray::number(value);
    return (value < 0 ? digits : ' ' + digits) + " \r\n";
}

std::optional<PortSettings> readSettings(QIODevice *device)
{
    ItemReader reader(device, 256);
    PortSettings settings;
    const auto port = nextItem(reader);
    const auto baud = nextItem(reader);
    const auto parity = nextItem(reader);
    const auto dataBits = nextItem(reader);
    const auto stopBits = nextItem(reader);
    if (!port || !baud || !parity || !dataBits || !stopBits)
        return std::nullopt;
    const auto portNumber = numberItem<quint8>(*port);
    const auto baudRate = numberItem<qint32>(*baud);
    const auto bits = numberItem<qint16>(*dataBits);
    if (!portNumber || !baudRate || !bits)
        return std::nullopt;
    settings.portNumber = *portNumber;
    settings.baudRate = *baudRate;
    settings.parity = QString::fromLatin1(*parity);
    settings.dataBits = *bits;
    settings.stopBits = QString::fromLatin1(*stopBits);
    return settings;
}

// Permission bits do not tell (root ignores them, a read-only mount overrides them): try it.
bool takesNewFiles(const QString &directory)
{
    QTemporaryFile probe(directory + QStringLiteral(".zrt48210-probe-XXXXXX"));
    return probe.open();  // and the probe goes again with it
}

} // namespace

QString portSettingsPath(const QString &directory)
{
    return directory + QStringLiteral("system.ini");
}

QString withTrailingSeparator(const QString &directory)
{
    // Qt's own separator on every system; Windows takes it as well as its own.
    if (directory.endsWith(QLatin1Char('/')) || directory.endsWith(QDir::separator()))
        return directory;
    return directory + QLatin1Char('/');
}

namespace {

#ifdef Q_OS_WIN
// The installer puts the programs under Program Files; a copy anywhere else is portable.
bool isInstalledCopy(const QString &programDirectory, const QString &)
{
    const QString program = QDir(programDirectory).canonicalPath() + QLatin1Char('/');
    for (const char *variable : {"ProgramFiles", "ProgramW6432", "ProgramFiles(x86)"}) {
        const QString root = QDir(qEnvironmentVariable(variable)).canonicalPath();
        if (!root.isEmpty() && program.startsWith(root + QLatin1Char('/'), Qt::CaseInsensitive))
            return true;
    }
    return false;
}

// %APPDATA%, which roams with the user's profile.
QString userConfigurationDirectory()
{
    const QString roaming = qEnvironmentVariable("APPDATA");
    return roaming.isEmpty()
        ? QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)
        : QDir::fromNativeSeparators(roaming);
}
#else
bool isInstalledCopy(const QString &programDirectory, const QString &installedDirectory)
{
    return !installedDirectory.isEmpty()
        && QDir(programDirectory).canonicalPath() == QDir(installedDirectory).canonicalPath();
}

QString userConfigurationDirectory()
{
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation);
}
#endif

} // namespace

QString portSettingsDirectory(const QString &programDirectory, const QString &installedDirectory)
{
    if (!isInstalledCopy(programDirectory, installedDirectory) && takesNewFiles(programDirectory))
        return programDirectory;
    // Named after the program rather than the running binary, so that every build finds it.
    return withTrailingSeparator(userConfigurationDirectory()) + QStringLiteral("zrt48210/");
}

PortSettings loadProgramPortSettings()
{
    return loadPortSettings(portSettingsPath(
        portSettingsDirectory(withTrailingSeparator(QCoreApplication::applicationDirPath()),
                              QStringLiteral(ZRT_INSTALLED_BINDIR))));
}

PortSettings parsePortSettings(const QByteArray &content)
{
    QByteArray copy = content;
    QBuffer buffer(&copy);
    buffer.open(QIODevice::ReadOnly);
    return readSettings(&buffer).value_or(PortSettings{});
}

PortSettings loadPortSettings(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return PortSettings{};
    return readSettings(&file).value_or(PortSettings{});
}

QByteArray formatPortSettings(const PortSettings &settings)
{
    return numberLine(settings.portNumber) + numberLine(settings.baudRate)
        + settings.parity.toLatin1() + "\r\n" + numberLine(settings.dataBits)
        + settings.stopBits.toLatin1() + "\r\n";
}

FileWriteResult savePortSettings(const QString &path, const PortSettings &settings)
{
    return replaceFile(path, formatPortSettings(settings));
}
