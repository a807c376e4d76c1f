#pragma once

#include "settings/unitsettings.h"

#include <QByteArray>
#include <QString>

struct UnitModel;

// Whether a settings file may go to units, decided once and the same for every front end: the
// file the window would load, with all seventeen parameters, of the unit's kind.

// "" when the settings file at `path` (or `bytes`, read from it before) holds all seventeen
// parameters and the window would load it; otherwise why not, with the line, in English.
QString loadPlanSettings(const QString &path, UnitSettings &values,
                         const QByteArray *bytes = nullptr);

// Why a settings file for the panel `fileTab` is not for `unit`, in English; empty when the
// unit is of the file's kind (a 48220 and a 48221 both take an analog file).
QString fileKindMismatch(int fileTab, const UnitModel &unit);

// A settings file as the station works with it: its bytes, read once, are what every unit gets.
struct JobSettings
{
    QString path;
    QByteArray bytes;
    UnitSettings values;  // as loaded from the bytes
    QString sha256;    // of the bytes, lower-case hex
    QString error;     // why the file cannot be used (with its line); empty when it can
    bool analog = false;
    int role = 0;        // Role::Slave, Master, Repeater
    QString fixedOwnId;  // "000" or "220" when the role fixes it; empty for a slave
    QString fileOwnId;   // the file's MYID
    QString frequency;   // "2402.0MHz"
};
// Reads the file once; a file larger than a settings file can be is refused unread.
JobSettings loadJobSettings(const QString &path);
