#include "settings/commandset.h"

#include "link/unitmodels.h"
#include "settings/unitsettings.h"

QString parameterCommand(const UnitSettings &values, ParameterKey key)
{
    return keyName(key) + values.value(key);
}

QStringList groupCommands(const UnitSettings &values, const QList<ParameterKey> &keys)
{
    QStringList commands;
    for (ParameterKey key : keys)
        commands << parameterCommand(values, key);
    return commands;
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
