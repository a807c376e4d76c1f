#include "settings/parameters.h"

#include <QRegularExpression>

#include <cmath>

namespace {

// The rules of each parameter, in the order of the command set: its name on the wire and in
// the file, its kind, and the size of its list or the bounds of its field.
struct ParameterInfo
{
    ParameterKey key;
    const char *name;
    ValueKind kind;
    int listSize;        // a list's entries
    FieldBounds bounds;  // a number field's range
};

constexpr std::array<ParameterInfo, 17> Table = {{
    {ParameterKey::FRBD, "FRBD", ValueKind::List, 4, {}},
    {ParameterKey::FRCH, "FRCH", ValueKind::List, 8, {}},
    {ParameterKey::PDIR, "PDIR", ValueKind::Direction, 0, {}},
    {ParameterKey::LOGI, "LOGI", ValueKind::List, 2, {}},
    {ParameterKey::AUIO, "AUIO", ValueKind::List, 2, {}},
    {ParameterKey::ADSL, "ADSL", ValueKind::List, 2, {}},
    {ParameterKey::DASL, "DASL", ValueKind::List, 2, {}},
    {ParameterKey::MODE, "MODE", ValueKind::List, 6, {}},
    {ParameterKey::TYPE, "TYPE", ValueKind::List, 3, {}},
    {ParameterKey::MYID, "MYID", ValueKind::Number, 0, {1, 200}},
    {ParameterKey::SNUM, "SNUM", ValueKind::Number, 0, {1, 200}},
    {ParameterKey::REPT, "REPT", ValueKind::List, 2, {}},
    {ParameterKey::ETIM, "ETIM", ValueKind::Number, 0, {1, 255}},
    {ParameterKey::DIVR, "DIVR", ValueKind::List, 2, {}},
    {ParameterKey::PTIM, "PTIM", ValueKind::Number, 0, {0, 100}},
    {ParameterKey::HOLD, "HOLD", ValueKind::List, 2, {}},
    {ParameterKey::DOUT, "DOUT", ValueKind::List, 2, {}},
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
        return {QStringLiteral("001"), true};
    }
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
