#pragma once

#include "file/filewriter.h"
#include "link/portsettings.h"

#include <QByteArray>
#include <QString>

// system.ini: five lines, port number, speed, parity letter, data bits, stop bits.
QString portSettingsPath(const QString &directory);
// The one answer to where system.ini lives, for the window that writes it and the command line
// that reads it: beside the program when that folder takes new files and is not the folder the
// program was installed to (a portable copy keeps its settings with it), else the user's
// configuration folder for the tool. Creates nothing.
QString portSettingsDirectory(const QString &programDirectory,
                              const QString &installedDirectory = {});
QString withTrailingSeparator(const QString &directory);
// The line settings the window uses, from the system.ini it writes, as the running program
// (installed, or a copy elsewhere) finds it: for the programs that read it and never write it.
PortSettings loadProgramPortSettings();
// The remembered settings, or all five defaults when the file cannot be read in full.
PortSettings loadPortSettings(const QString &path);
PortSettings parsePortSettings(const QByteArray &content);
QByteArray formatPortSettings(const PortSettings &settings);
// On failure the old file stays as it was.
FileWriteResult savePortSettings(const QString &path, const PortSettings &settings);
