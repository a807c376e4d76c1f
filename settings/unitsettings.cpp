#include "settings/unitsettings.h"

#include "link/unitmodels.h"

namespace {

constexpr int DigitalButtons = 4;
constexpr int AnalogButtons = 2;

size_t at(ParameterKey key)
{
    return static_cast<size_t>(key);
}

QString flagAt(QStringView text, int i)
{
    return i < text.size() ? text.mid(i, 1).toString() : QString();
}

bool refuse(QString *why, const QString &reason)
{
    if (why)
        *why = reason;
    return false;
}

} // namespace

UnitSettings::UnitSettings()
{
    m_lists.fill(-1);
    for (Panel panel : {Panel::Frequency, Panel::Digital, Panel::Analog, Panel::Communication})
        setDefaults(panel);
}

int UnitSettings::listIndex(ParameterKey key) const
{
    return m_lists.at(at(key));
}

void UnitSettings::selectListIndex(ParameterKey key, int index)
{
    m_lists.at(at(key)) = index;
    // The role rule always sets the own ID: a MYID line must come after the TYPE line.
    if (key == ParameterKey::TYPE)
        setFieldText(ParameterKey::MYID, roleOwnId(index).text);
}

QString UnitSettings::fieldText(ParameterKey key) const
{
    return m_fields.at(at(key));
}

void UnitSettings::setFieldText(ParameterKey key, const QString &text)
{
    m_fields.at(at(key)) = text.left(3);  // the field holds three characters at most
}

QString UnitSettings::directionFlag(DirectionGroup group, int index) const
{
    const auto i = static_cast<size_t>(index);
    return group == DirectionGroup::Digital ? m_digital.at(i) : m_analog.at(i);
}

void UnitSettings::setDirectionFlag(DirectionGroup group, int index, const QString &flag)
{
    const auto i = static_cast<size_t>(index);
    (group == DirectionGroup::Digital ? m_digital.at(i) : m_analog.at(i)) = flag;
}

void UnitSettings::showDigitalDirections(QStringView text)
{
    for (int i = 0; i < DigitalButtons; ++i)
        setDirectionFlag(DirectionGroup::Digital, i, flagAt(text, i));
}

void UnitSettings::showAnalogDirections(QStringView text)
{
    for (int i = 0; i < AnalogButtons; ++i)
        setDirectionFlag(DirectionGroup::Analog, i, flagAt(text, i));
}

QString UnitSettings::value(ParameterKey key) const
{
    switch (valueKind(key)) {
    case ValueKind::List:
        return QString::number(listIndex(key));
    case ValueKind::Number:
        return fieldText(key);
    case ValueKind::Direction:
        return directionText();
    }
    return {};
}

QString UnitSettings::directionText() const
{
    const bool analog = m_tab == AnalogTab;
    QString text;
    for (int i = 0; i < DigitalButtons; ++i) {
        const DirectionGroup group = (analog && i < AnalogButtons) ? DirectionGroup::Analog
                                                                    : DirectionGroup::Digital;
        text += directionFlag(group, i);
    }
    return text;
}

QString UnitSettings::frequency() const
{
    return frequencyText(listIndex(ParameterKey::FRBD), listIndex(ParameterKey::FRCH));
}

bool UnitSettings::setOwnId(int ownId)
{
    if (!ownIdEditable())
        return false;
    // Given as a line, so that it passes the field's rules.
    applyLine(QStringLiteral("MYID=%1").arg(ownId));
    return true;
}

void UnitSettings::setDefaults(Panel panel)
{
    for (ParameterKey key : AllParameterKeys) {
        if (!isOnPanel(key, panel))
            continue;
        const QString value = defaultValue(key);
        switch (valueKind(key)) {
        case ValueKind::List:
            selectListIndex(key, value.toInt());
            break;
        case ValueKind::Number:
            setFieldText(key, value);
            break;
        case ValueKind::Direction:
            if (panel == Panel::Analog)
                showAnalogDirections(value);
            else
                showDigitalDirections(value);
            break;
        }
    }
}

bool UnitSettings::applyLine(QStringView line, QString *why)
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
        return applyList(*key, value, why);
    case ValueKind::Number:
        return applyNumber(*key, value, why);
    case ValueKind::Direction:
        if (!isDirectionText(value)) {
            return refuse(why, QStringLiteral("PDIR takes four characters, each 0 or 1, not '%1'")
                                   .arg(value.toString()));
        }
        showDigitalDirections(value);
        showAnalogDirections(value);
        return true;
    }
    return false;
}

bool UnitSettings::applyNumber(ParameterKey key, QStringView value, QString *why)
{
    if (const std::optional<QString> text = fieldValue(key, value)) {
        setFieldText(key, *text);
        return true;
    }
    const FieldBounds bounds = fieldBounds(key);
    const bool plain = isPlainNumberText(value);
    // The own ID a master or a repeater carries is outside the slave range but is theirs to
    // have: accepted while the role list shows that role.
    const RoleOwnId fixed = roleOwnId(listIndex(ParameterKey::TYPE));
    const bool roleOwn = key == ParameterKey::MYID && !fixed.editable
        && fixed.text.toInt() == value.toInt();
    if (plain && roleOwn) {
        setFieldText(key, padWithZeros(value.toString()));
        return true;
    }
    const bool master = plain && value.toInt() == roleOwnId(Role::Master).text.toInt();
    const bool repeater = plain && value.toInt() == roleOwnId(Role::Repeater).text.toInt();
    if (key == ParameterKey::MYID && (master || repeater)) {
        return refuse(why, QStringLiteral("own ID %1 belongs to a %2 (TYPE=%3)")
                               .arg(padWithZeros(value.toString()),
                                    master ? QStringLiteral("master") : QStringLiteral("repeater"),
                                    QString::number(master ? Role::Master : Role::Repeater)));
    }
    return refuse(why, QStringLiteral("%1 takes a number from %2 to %3, not '%4'")
                           .arg(keyName(key), padWithZeros(QString::number(bounds.minimum)),
                                padWithZeros(QString::number(bounds.maximum)),
                                value.toString()));
}

bool UnitSettings::applyList(ParameterKey key, QStringView value, QString *why)
{
    const std::optional<int> index = parseListValue(value);
    if (!index || *index < -1 || *index >= listSize(key)) {
        return refuse(why, QStringLiteral("%1 takes a list index from 0 to %2, not '%3'")
                               .arg(keyName(key), QString::number(listSize(key) - 1),
                                    value.toString()));
    }
    selectListIndex(key, *index);
    return true;
}
