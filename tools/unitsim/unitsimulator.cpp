#include "unitsimulator.h"

#include <algorithm>

namespace {

const QByteArray kLineEnd = "\r\n";

// Highest index of each list parameter; the lists all start at 0.
const QMap<QByteArray, int> &listMaxima()
{
    static const QMap<QByteArray, int> maxima = {
        {"FRBD", 3}, {"FRCH", 7}, {"LOGI", 1}, {"AUIO", 1}, {"ADSL", 1}, {"DASL", 1},
        {"MODE", 5}, {"TYPE", 2}, {"REPT", 1}, {"DIVR", 1}, {"HOLD", 1}, {"DOUT", 1},
    };
    return maxima;
}

struct FieldRange
{
    int min;
    int max;
};

const QMap<QByteArray, FieldRange> &fieldRanges()
{
    static const QMap<QByteArray, FieldRange> ranges = {
        {"MYID", {1, 200}}, {"SNUM", {1, 200}}, {"ETIM", {1, 255}}, {"PTIM", {0, 100}},
    };
    return ranges;
}

bool allDigits(const QByteArray &text)
{
    for (char c : text) {
        if (c < '0' || c > '9')
            return false;
    }
    return !text.isEmpty();
}

// A list index as the tool writes it: plain decimal, no sign, blanks or leading zeros.
bool isListIndex(const QByteArray &value, int max)
{
    if (!allDigits(value) || (value.size() > 1 && value.startsWith('0')) || value.size() > 3)
        return false;
    return value.toInt() <= max;
}

bool isDirectionText(const QByteArray &value)
{
    if (value.size() != 4)
        return false;
    for (char c : value) {
        if (c != '0' && c != '1')
            return false;
    }
    return true;
}

} // namespace

UnitSimulator::UnitSimulator(const UnitOptions &options)
    : m_options(options)
    , m_values(factoryValues())
{
    for (auto it = options.initialValues.cbegin(); it != options.initialValues.cend(); ++it)
        m_values[it.key()] = it.value();
}

const QList<QByteArray> &UnitSimulator::parameterKeys()
{
    // TYPE comes before MYID so that a tool applying the listing in order already knows the
    // role when it meets a master's or repeater's fixed own ID.
    static const QList<QByteArray> keys = {
        "TYPE", "MODE", "MYID", "SNUM", "FRCH", "FRBD", "HOLD", "DIVR", "PDIR",
        "LOGI", "AUIO", "ADSL", "DASL", "REPT", "ETIM", "PTIM", "DOUT",
    };
    return keys;
}

bool UnitSimulator::isParameterKey(const QByteArray &key)
{
    return parameterKeys().contains(key);
}

bool UnitSimulator::isKnownKeyword(const QByteArray &key)
{
    return isParameterKey(key) || key == "UVER" || key == "DISP" || key == "UERR";
}

QByteArray UnitSimulator::keywordOf(const QByteArray &line)
{
    if (!line.startsWith('@') || line.size() < 5)
        return {};
    return line.mid(1, 4);
}

QMap<QByteArray, QByteArray> UnitSimulator::factoryValues()
{
    QMap<QByteArray, QByteArray> values;
    for (const QByteArray &key : parameterKeys())
        values[key] = "0";
    values["MYID"] = "001";
    values["SNUM"] = "001";
    values["PDIR"] = "0000";
    values["ETIM"] = "005";
    values["PTIM"] = "000";
    return values;
}

bool UnitSimulator::accepts(const QByteArray &key, const QByteArray &value) const
{
    if (const auto list = listMaxima().constFind(key); list != listMaxima().cend())
        return isListIndex(value, list.value());
    if (key == "PDIR")
        return isDirectionText(value);
    const auto field = fieldRanges().constFind(key);
    if (field == fieldRanges().cend() || value.size() != 3 || !allDigits(value))
        return false;
    // A master and a repeater carry fixed own IDs outside the slaves' range.
    if (key == "MYID" && value == "000")
        return m_values.value("TYPE") == "1";
    if (key == "MYID" && value == "220")
        return m_values.value("TYPE") == "2";
    const int number = value.toInt();
    return number >= field->min && number <= field->max;
}

QByteArray UnitSimulator::respond(const QByteArray &line)
{
    m_received.append(line);
    if (isSilenced(keywordOf(line)))
        return {};
    return answer(line);
}

bool UnitSimulator::isSilenced(const QByteArray &keyword) const
{
    if (m_options.silent)
        return true;
    if (m_options.silentAfter >= 0 && m_received.size() > m_options.silentAfter)
        return true;
    return !keyword.isEmpty() && m_options.silentKeys.contains(keyword);
}

QByteArray UnitSimulator::answer(const QByteArray &line)
{
    static const QByteArray ack = "ACK" + kLineEnd;
    static const QByteArray nak = "NAK" + kLineEnd;

    const QByteArray keyword = keywordOf(line);
    if (keyword.isEmpty() || m_options.nakKeys.contains(keyword))
        return nak;
    const QByteArray value = line.mid(5);
    if (m_options.errKeys.contains(keyword))
        return "Err" + m_options.errorCode + kLineEnd;
    if (keyword == "UVER")
        return value.isEmpty() ? identification() : nak;
    if (keyword == "DISP")
        return value.isEmpty() ? listing() : nak;
    if (keyword == "UERR")
        return value.isEmpty() ? "Err" + m_options.errorCode + kLineEnd : nak;
    if (!isParameterKey(keyword) || !accepts(keyword, value))
        return nak;
    if (!m_options.forgetKeys.contains(keyword))
        m_values[keyword] = value;
    return ack;
}

QByteArray UnitSimulator::identification()
{
    QByteArray version = m_options.version;
    if (!version.startsWith("Ver"))
        version.prepend("Ver");
    const QByteArray noise =
        m_identifications++ < m_options.noisyIdentifications ? "\x90\x3D\xC5\x15" : "";
    return noise + "ZRT" + m_options.model + kLineEnd + version + kLineEnd;
}

QByteArray UnitSimulator::listing() const
{
    QByteArray once;
    for (const QByteArray &key : parameterKeys()) {
        if (!m_options.omitKeys.contains(key))
            once += key + m_options.separator + m_values.value(key) + kLineEnd;
    }
    return once.repeated(std::max(1, m_options.listingRepeats));
}
