#pragma once

#include "settings/parameters.h"

#include <QList>

class Link;
class SettingsForm;

// Queues "@" + key + the value its control shows now. Later changes of the control do not
// alter a command already queued.
void queueParameterCommand(Link &link, const SettingsForm &form, ParameterKey key);

// The write groups, in their order on the wire. PDIR goes with the group of the selected tab.
QList<ParameterKey> frequencyGroup();
QList<ParameterKey> digitalGroup(int selectedTab);
QList<ParameterKey> analogGroup(int selectedTab);
QList<ParameterKey> communicationGroup();
QList<ParameterKey> allGroups(int selectedTab);

void queueGroup(Link &link, const SettingsForm &form, const QList<ParameterKey> &keys);
