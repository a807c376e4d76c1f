#pragma once

#include "file/filewriter.h"
#include "settings/parameters.h"

#include <QByteArray>
#include <QList>
#include <QString>

class QIODevice;
class UnitSettings;

// The unit kind a settings file names on its first line for a panel ("デジタルユニット").
QString settingsFileKind(int tab);
// "KEY=value" CR LF.
QByteArray formatSettingsLine(const QString &key, const QString &value);
// The whole file for `values`: the unit-kind line in Shift-JIS, the
// seventeen parameter lines in the file's own order, and an empty line.
QByteArray buildSettingsFile(const UnitSettings &values);


enum class LoadOutcome {
    Loaded,
    Missing,      // no such ordinary file
    WrongFormat,  // the first item is not a unit-kind line; nothing was changed
    Unreadable,   // a refused item or a read failure; the items before it stay applied
};
// What a load did, for tools that report it; the window shows the outcome alone.
struct LoadDetails
{
    // Where the load stopped: the file's line, from 1; 0 when the file could not be read at all.
    int line = 0;
    QString reason;  // why, in English: the rule an item broke, or the operating system's words
    QList<ParameterKey> applied;  // the parameters the file set, in its order
};
LoadOutcome loadSettingsFile(const QString &path, UnitSettings &values,
                             LoadDetails *details = nullptr);
// The same from an open device.
LoadOutcome loadSettings(QIODevice &device, UnitSettings &values, LoadDetails *details = nullptr);
