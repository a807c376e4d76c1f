#pragma once

#include "file/filewriter.h"
#include "link/portsettings.h"

#include <QByteArray>
#include <QString>

// system.ini: five lines, port number, speed, parity letter, data bits, stop bits.
QString portSettingsPath(const QString &programDirectory);
// The remembered settings, or all five defaults when the file cannot be read in full.
PortSettings loadPortSettings(const QString &path);
PortSettings parsePortSettings(const QByteArray &content);
QByteArray formatPortSettings(const PortSettings &settings);
// On failure the old file stays as it was.
FileWriteResult savePortSettings(const QString &path, const PortSettings &settings);
