#include "settings/panelvalues.h"

namespace {

constexpr int DigitalButtons = 4;
constexpr int AnalogButtons = 2;

void showDirections(SettingsForm &form, DirectionGroup group, int count, QStringView text)
{
    for (int i = 0; i < count; ++i)
        form.setDirectionFlag(group, i, i < text.size() ? text.mid(i, 1).toString() : QString());
}

// The own ID a master or a repeater carries is outside the slave range but is theirs to have:
// accept it while the role list shows that role.
bool isRoleOwnId(const SettingsForm &form, int value)
{
    const int role = form.listIndex(ParameterKey::TYPE);
    const RoleOwnId fixed = roleOwnId(role);
    return !fixed.editable && fixed.text.toInt() == value;
}

qint16 applyNumber(SettingsForm &form, ParameterKey key, QStringView value)
{
    // Only plain digits reach a field: anything else would be sent to the unit as it stands.
    if (!isPlainNumberText(value))
        return -1;
    const bool inRange = !isOutOfRange(value, form.fieldMinimum(key), form.fieldMaximum(key));
    if (!inRange && !(key == ParameterKey::MYID && isRoleOwnId(form, value.toInt())))
        return -1;
    form.setFieldText(key, padWithZeros(value.toString()));
    return 0;
}

qint16 applyList(SettingsForm &form, ParameterKey key, QStringView value)
{
    const std::optional<int> index = parseListValue(value);
    if (!index || *index < -1 || *index >= form.listCount(key))
        return -1;
    form.selectListIndex(key, *index);
    return 0;
}

} // namespace

QString parameterValue(const SettingsForm &form, ParameterKey key)
{
    switch (valueKind(key)) {
    case ValueKind::List:
        return QString::number(form.listIndex(key));
    case ValueKind::Number:
        return form.fieldText(key);
    case ValueKind::Direction:
        return buildDirectionText(form);
    }
    return {};
}

qint16 applyParameterLine(SettingsForm &form, QStringView line)
{
    const QStringView name = line.left(4);
    const QStringView value = line.size() > 5 ? line.mid(5) : QStringView();
    const std::optional<ParameterKey> key = keyFromName(name);
    if (!key)
        return name.isEmpty() ? 0 : -1;
    switch (valueKind(*key)) {
    case ValueKind::List:
        return applyList(form, *key, value);
    case ValueKind::Number:
        return applyNumber(form, *key, value);
    case ValueKind::Direction:
        if (isDirectionText(value) != 0)
            return -1;
        showDigitalDirections(form, value);
        showAnalogDirections(form, value);
        return 0;
    }
    return -1;
}

void showDigitalDirections(SettingsForm &form, QStringView text)
{
    showDirections(form, DirectionGroup::Digital, DigitalButtons, text);
}

void showAnalogDirections(SettingsForm &form, QStringView text)
{
    showDirections(form, DirectionGroup::Analog, AnalogButtons, text);
}

QString buildDirectionText(const SettingsForm &form)
{
    const bool analog = form.selectedTab() == AnalogTab;
    QString text;
    for (int i = 0; i < DigitalButtons; ++i) {
        const DirectionGroup group = (analog && i < AnalogButtons) ? DirectionGroup::Analog
                                                                    : DirectionGroup::Digital;
        text += form.directionFlag(group, i);
    }
    return text;
}

void setFrequencyDefaults(SettingsForm &form)
{
    form.selectListIndex(ParameterKey::FRBD, 0);
    form.selectListIndex(ParameterKey::FRCH, 0);
}

void setDigitalDefaults(SettingsForm &form)
{
    showDigitalDirections(form, u"0000");
    form.selectListIndex(ParameterKey::LOGI, 0);
}

void setAnalogDefaults(SettingsForm &form)
{
    form.selectListIndex(ParameterKey::AUIO, 0);
    showAnalogDirections(form, u"00");
    form.selectListIndex(ParameterKey::ADSL, 0);
    form.selectListIndex(ParameterKey::DASL, 0);
}

void setCommunicationDefaults(SettingsForm &form)
{
    form.selectListIndex(ParameterKey::MODE, 0);
    form.selectListIndex(ParameterKey::TYPE, Role::Slave);
    form.setFieldText(ParameterKey::MYID, QStringLiteral("001"));
    form.setFieldText(ParameterKey::SNUM, QStringLiteral("001"));
    form.selectListIndex(ParameterKey::REPT, 0);
    form.setFieldText(ParameterKey::ETIM, QStringLiteral("005"));
    form.selectListIndex(ParameterKey::DIVR, 0);
    form.setFieldText(ParameterKey::PTIM, QStringLiteral("000"));
    form.selectListIndex(ParameterKey::HOLD, 0);
    form.selectListIndex(ParameterKey::DOUT, 0);
}
