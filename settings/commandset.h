#pragma once

#include "settings/parameters.h"

#include <QList>
#include <QStringList>

class UnitSettings;

// The command for a parameter: its key and its value now ("FRBD3"). A command taken now does
// not change when the values change later.
QString parameterCommand(const UnitSettings &values, ParameterKey key);
QStringList groupCommands(const UnitSettings &values, const QList<ParameterKey> &keys);

// The write groups, in their order on the wire. PDIR goes with the group of the selected tab.
QList<ParameterKey> frequencyGroup();
QList<ParameterKey> digitalGroup(int selectedTab);
QList<ParameterKey> analogGroup(int selectedTab);
QList<ParameterKey> communicationGroup();
QList<ParameterKey> allGroups(int selectedTab);
