#include "settings/parameters.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// The rules of each parameter, in the order of the command set: its name on the wire and in
// the file, its kind, the size of its list or the bounds of its field, the panels whose
// ﾃﾞﾌｫﾙﾄ resets it and the value it gets then. A line from the unit or a file is applied by
// the kind: a list takes an index below its size (or -1), a field plain digits within its
// bounds (MYID also the own ID its role fixes), PDIR a direction text. The role rule
// (roleOwnId) and the analog-use rule (analogDirectionsUsed) follow below; UnitSettings
// applies them to the values.
struct ParameterInfo
{
    ParameterKey key;
    const char *name;
    ValueKind kind;
    int listSize;        // a list's entries
    FieldBounds bounds;  // a number field's range
    unsigned panels;     // bits of Panel
    const char *defaultValue;
};

constexpr unsigned bit(Panel panel)
{
    return 1u << static_cast<unsigned>(panel);
}

constexpr unsigned Frq = bit(Panel::Frequency);
constexpr unsigned Dig = bit(Panel::Digital);
constexpr unsigned Ana = bit(Panel::Analog);
constexpr unsigned Com = bit(Panel::Communication);

constexpr std::array<ParameterInfo, 17> Table = {{
    {ParameterKey::FRBD, "FRBD", ValueKind::List, 4, {}, Frq, "0"},
    {ParameterKey::FRCH, "FRCH", ValueKind::List, 8, {}, Frq, "0"},
    {ParameterKey::PDIR, "PDIR", ValueKind::Direction, 0, {}, Dig | Ana, "0000"},
    {ParameterKey::LOGI, "LOGI", ValueKind::List, 2, {}, Dig, "0"},
    {ParameterKey::AUIO, "AUIO", ValueKind::List, 2, {}, Ana, "0"},
    {ParameterKey::ADSL, "ADSL", ValueKind::List, 2, {}, Ana, "0"},
    {ParameterKey::DASL, "DASL", ValueKind::List, 2, {}, Ana, "0"},
    {ParameterKey::MODE, "MODE", ValueKind::List, 6, {}, Com, "0"},
    {ParameterKey::TYPE, "TYPE", ValueKind::List, 3, {}, Com, "0"},
    {ParameterKey::MYID, "MYID", ValueKind::Number, 0, {1, 200}, Com, "001"},
    {ParameterKey::SNUM, "SNUM", ValueKind::Number, 0, {1, 200}, Com, "001"},
    {ParameterKey::REPT, "REPT", ValueKind::List, 2, {}, Com, "0"},
    {ParameterKey::ETIM, "ETIM", ValueKind::Number, 0, {1, 255}, Com, "005"},
    {ParameterKey::DIVR, "DIVR", ValueKind::List, 2, {}, Com, "0"},
    {ParameterKey::PTIM, "PTIM", ValueKind::Number, 0, {0, 100}, Com, "000"},
    {ParameterKey::HOLD, "HOLD", ValueKind::List, 2, {}, Com, "0"},
    {ParameterKey::DOUT, "DOUT", ValueKind::List, 2, {}, Com, "0"},
}};

const ParameterInfo &info(ParameterKey key)
{
    return Table[static_cast<size_t>(key)];
}

// A decimal number as the tool reads one: optional blanks, sign, digits and a fraction.
std::optional<double> readNumber(QStringView text)
{
    static const QRegularExpression pattern(
        QStringLiteral("^[ \\t]*[+-]?([0-9]+(\\.[0-9]*)?|\\.[0-9]+)[ \\t]*$"));
    if (!pattern.match(text.toString()).hasMatch())
        return std::nullopt;
    bool ok = false;
    const double value = text.trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return std::nullopt;
    return value;
}

} // namespace

QString keyName(ParameterKey key)
{
    return QString::fromLatin1(info(key).name);
}

std::optional<ParameterKey> keyFromName(QStringView name)
{
    for (const ParameterInfo &row : Table) {
        if (name == QLatin1String(row.name))
            return row.key;
    }
    return std::nullopt;
}

ValueKind valueKind(ParameterKey key)
{
    return info(key).kind;
}

int listSize(ParameterKey key)
{
    return info(key).listSize;
}

FieldBounds fieldBounds(ParameterKey key)
{
    return info(key).bounds;
}

bool isOnPanel(ParameterKey key, Panel panel)
{
    return (info(key).panels & bit(panel)) != 0;
}

QString defaultValue(ParameterKey key)
{
    return QString::fromLatin1(info(key).defaultValue);
}

QString allKeyNames()
{
    QStringList names;
    for (ParameterKey key : AllParameterKeys)
        names << keyName(key);
    return names.join(QLatin1Char(' '));
}

RoleOwnId roleOwnId(int typeIndex)
{
    switch (typeIndex) {
    case Role::Master:
        return {QStringLiteral("000"), false};
    case Role::Repeater:
        return {QStringLiteral("220"), false};
    default:
        return {defaultValue(ParameterKey::MYID), true};
    }
}

bool isRoleOwnId(int ownId)
{
    for (int role : {Role::Master, Role::Repeater}) {
        if (ownId == roleOwnId(role).text.toInt())
            return true;
    }
    return false;
}

bool analogDirectionsUsed(int auioIndex)
{
    return auioIndex == 0;
}

bool isOutOfRange(QStringView text, int min, int max)
{
    const std::optional<double> value = readNumber(text);
    return !value || *value < min || *value > max;
}

bool isPlainNumberText(QStringView text)
{
    if (text.isEmpty() || text.size() > 3)
        return false;
    for (QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return false;
    }
    return true;
}

QString padWithZeros(const QString &text)
{
    QString padded = text;
    while (padded.size() < 3)
        padded.prepend(QLatin1Char('0'));
    return padded;
}

QString ownIdText(int ownId)
{
    return padWithZeros(QString::number(ownId));
}

std::optional<QString> fieldValue(ParameterKey key, QStringView text)
{
    const FieldBounds bounds = fieldBounds(key);
    // Only plain digits reach a field: anything else would be sent to the unit as it stands.
    if (!isPlainNumberText(text) || isOutOfRange(text, bounds.minimum, bounds.maximum))
        return std::nullopt;
    return padWithZeros(text.toString());
}

std::optional<int> parseListValue(QStringView value)
{
    const std::optional<double> number = readNumber(value);
    if (!number || std::fabs(*number) > 32767.0)
        return std::nullopt;
    // Halves go to the even neighbour.
    return static_cast<int>(std::nearbyint(*number));
}

QString frequencyText(int bandIndex, int channelIndex)
{
    static constexpr qint16 Bases[] = {2402, 2426, 2450, 2472};
    const qint16 base = (bandIndex >= 0 && bandIndex < 4) ? Bases[bandIndex] : qint16(0);
    const qint16 frequency = static_cast<qint16>(base + 3 * channelIndex);
    const QString digits = QString::number(std::abs(int(frequency))).rightJustified(4, QLatin1Char('0'));
    return (frequency < 0 ? QStringLiteral("-") : QString()) + digits + QStringLiteral(".0MHz");
}

bool isDirectionText(QStringView text)
{
    if (text.size() != 4)
        return false;
    for (QChar c : text) {
        if (c != QLatin1Char('0') && c != QLatin1Char('1'))
            return false;
    }
    return true;
}
