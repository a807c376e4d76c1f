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

bool refuse(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return false;
}

bool applyNumber(SettingsForm &form, ParameterKey key, QStringView value, QString *why)
{
    const int min = form.fieldMinimum(key);
    const int max = form.fieldMaximum(key);
    // Only plain digits reach a field: anything else would be sent to the unit as it stands.
    const bool plain = isPlainNumberText(value);
    if (plain && (!isOutOfRange(value, min, max)
                  || (key == ParameterKey::MYID && isRoleOwnId(form, value.toInt())))) {
        form.setFieldText(key, padWithZeros(value.toString()));
        return true;
    }
    if (plain && key == ParameterKey::MYID && (value.toInt() == 0 || value.toInt() == 220)) {
        const bool master = value.toInt() == 0;
        return refuse(why, QStringLiteral("own ID %1 belongs to a %2 (TYPE=%3)")
                               .arg(padWithZeros(value.toString()),
                                    master ? QStringLiteral("master") : QStringLiteral("repeater"),
                                    QString::number(master ? Role::Master : Role::Repeater)));
    }
    return refuse(why, QStringLiteral("%1 takes a number from %2 to %3, not '%4'")
                           .arg(keyName(key), padWithZeros(QString::number(min)),
                                padWithZeros(QString::number(max)), value.toString()));
}

bool applyList(SettingsForm &form, ParameterKey key, QStringView value, QString *why)
{
    const std::optional<int> index = parseListValue(value);
    if (!index || *index < -1 || *index >= form.listCount(key)) {
        return refuse(why, QStringLiteral("%1 takes a list index from 0 to %2, not '%3'")
                               .arg(keyName(key), QString::number(form.listCount(key) - 1),
                                    value.toString()));
    }
    form.selectListIndex(key, *index);
    return true;
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

bool applyParameterLine(SettingsForm &form, QStringView line, QString *why)
{
    const QStringView name = line.left(4);
    const QStringView value = line.size() > 5 ? line.mid(5) : QStringView();
    const std::optional<ParameterKey> key = keyFromName(name);
    if (!key) {
        if (name.isEmpty())
            return true;
        return refuse(why, QStringLiteral("'%1' is not a parameter key").arg(name.toString()));
    }
    switch (valueKind(*key)) {
    case ValueKind::List:
        return applyList(form, *key, value, why);
    case ValueKind::Number:
        return applyNumber(form, *key, value, why);
    case ValueKind::Direction:
        if (!isDirectionText(value)) {
            return refuse(why, QStringLiteral("PDIR takes four characters, each 0 or 1, not '%1'")
                                   .arg(value.toString()));
        }
        showDigitalDirections(form, value);
        showAnalogDirections(form, value);
        return true;
    }
    return false;
}

void applyRoleOwnId(SettingsForm &form)
{
    form.setFieldText(ParameterKey::MYID, roleOwnId(form.listIndex(ParameterKey::TYPE)).text);
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
