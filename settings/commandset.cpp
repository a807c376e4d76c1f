#include "settings/commandset.h"

#include "link/link.h"
#include "settings/panelvalues.h"

void queueParameterCommand(Link &link, const SettingsForm &form, ParameterKey key)
{
    link.queueCommand(keyName(key) + parameterValue(form, key));
}

QList<ParameterKey> frequencyGroup()
{
    return {ParameterKey::FRBD, ParameterKey::FRCH};
}

QList<ParameterKey> digitalGroup(int selectedTab)
{
    if (selectedTab == DigitalTab)
        return {ParameterKey::PDIR, ParameterKey::LOGI};
    return {ParameterKey::LOGI};
}

QList<ParameterKey> analogGroup(int selectedTab)
{
    if (selectedTab == AnalogTab)
        return {ParameterKey::AUIO, ParameterKey::PDIR, ParameterKey::ADSL, ParameterKey::DASL};
    return {ParameterKey::AUIO, ParameterKey::ADSL, ParameterKey::DASL};
}

QList<ParameterKey> communicationGroup()
{
    return {ParameterKey::MODE, ParameterKey::TYPE, ParameterKey::MYID, ParameterKey::SNUM,
            ParameterKey::REPT, ParameterKey::ETIM, ParameterKey::DIVR, ParameterKey::PTIM,
            ParameterKey::HOLD, ParameterKey::DOUT};
}

QList<ParameterKey> allGroups(int selectedTab)
{
    return frequencyGroup() + digitalGroup(selectedTab) + analogGroup(selectedTab)
        + communicationGroup();
}

void queueGroup(Link &link, const SettingsForm &form, const QList<ParameterKey> &keys)
{
    for (ParameterKey key : keys)
        queueParameterCommand(link, form, key);
}
