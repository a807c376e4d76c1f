#pragma once

#include "settings/parameters.h"

#include <QList>
#include <QStringList>

class SettingsForm;

// The command for a parameter: its key and the value its control shows now ("FRBD3"). A
// command taken now does not change when the control changes later.
QString parameterCommand(const SettingsForm &form, ParameterKey key);
QStringList groupCommands(const SettingsForm &form, const QList<ParameterKey> &keys);

// The write groups, in their order on the wire. PDIR goes with the group of the selected tab.
QList<ParameterKey> frequencyGroup();
QList<ParameterKey> digitalGroup(int selectedTab);
QList<ParameterKey> analogGroup(int selectedTab);
QList<ParameterKey> communicationGroup();
QList<ParameterKey> allGroups(int selectedTab);
