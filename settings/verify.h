#pragma once

#include "settings/parameters.h"
#include "settings/unitsettings.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

// The values a unit reports in a read-back, kept apart from the window's so that they can be
// compared with what was written. Each line goes through the same rules as on the window, so
// that "5" and "005" compare equal; a line the rules refuse is kept as the unit sent it.
class ReportedValues
{
public:
    // Takes one parameter line of a read-back; false when the rules refuse it, as on the window.
    bool take(QStringView line);
    bool has(ParameterKey key) const { return m_reported.contains(key); }
    // The value as the window would write it, or as received when the rules refused it; empty
    // when the unit did not report the parameter.
    QString value(ParameterKey key) const;
    void clear();

private:
    UnitSettings m_values;
    QHash<ParameterKey, QString> m_reported;
};

struct Mismatch
{
    ParameterKey key;
    QString written;
    QString reported;  // empty when the unit did not report the parameter at all
};

// The parameters of `commands` ("FRBD3", "MYID001" ...) whose value the unit reports otherwise,
// in the order of the commands.
QList<Mismatch> findMismatches(const QStringList &commands, const ReportedValues &reported);
