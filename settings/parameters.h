#pragma once

#include <QString>
#include <QStringView>

#include <array>
#include <optional>

// The seventeen unit parameters, in the order the command set lists them.
enum class ParameterKey {
    FRBD, FRCH, PDIR, LOGI, AUIO, ADSL, DASL,
    MODE, TYPE, MYID, SNUM, REPT, ETIM, DIVR, PTIM, HOLD, DOUT,
};

enum class ValueKind {
    List,       // a drop-down list; the value is the selected index
    Number,     // a three-digit field
    Direction,  // the I/O direction buttons; the value is the four-character direction text
};

inline constexpr std::array<ParameterKey, 17> AllParameterKeys = {
    ParameterKey::FRBD, ParameterKey::FRCH, ParameterKey::PDIR, ParameterKey::LOGI,
    ParameterKey::AUIO, ParameterKey::ADSL, ParameterKey::DASL, ParameterKey::MODE,
    ParameterKey::TYPE, ParameterKey::MYID, ParameterKey::SNUM, ParameterKey::REPT,
    ParameterKey::ETIM, ParameterKey::DIVR, ParameterKey::PTIM, ParameterKey::HOLD,
    ParameterKey::DOUT,
};

QString keyName(ParameterKey key);
// Every key in the order of the command set, separated by blanks: "FRBD FRCH ... DOUT".
QString allKeyNames();
// Exact, case-sensitive.
std::optional<ParameterKey> keyFromName(QStringView name);
ValueKind valueKind(ParameterKey key);

// How many entries a list parameter's drop-down holds (FRBD 4, FRCH 8, MODE 6, TYPE 3, the
// rest 2); its value is an index below that.
int listSize(ParameterKey key);

// The panels of the window, each with its own ﾃﾞﾌｫﾙﾄ button; PDIR is on two of them.
enum class Panel { Frequency, Digital, Analog, Communication };
bool isOnPanel(ParameterKey key, Panel panel);
// The value a panel's ﾃﾞﾌｫﾙﾄ gives the parameter, as the unit carries it ("0", "005", "0000").
QString defaultValue(ParameterKey key);

// The range of a number field (MYID, SNUM, ETIM, PTIM), bounds included: what its up-down
// steps through and what the range check lets pass.
struct FieldBounds
{
    int minimum;
    int maximum;
};
FieldBounds fieldBounds(ParameterKey key);

// Roles of cmbTYPE.
namespace Role {
inline constexpr int Slave = 0;
inline constexpr int Master = 1;
inline constexpr int Repeater = 2;
} // namespace Role

// Own ID a role fixes ("000" master, "220" repeater), or the slave default "001" for any other
// index; `editable` says whether the user may change it.
struct RoleOwnId
{
    QString text;
    bool editable;
};
RoleOwnId roleOwnId(int typeIndex);
// True for an own ID that a role fixes: never a slave's, whatever the rule that gives them.
bool isRoleOwnId(int ownId);

// The analog-use rule: the analog direction buttons are used while AUIO's first entry is
// selected.
bool analogDirectionsUsed(int auioIndex);

// True when `text` is not a number or lies outside min..max (bounds included). Never throws.
bool isOutOfRange(QStringView text, int min, int max);
// One to three plain ASCII digits: the only texts a number field holds.
bool isPlainNumberText(QStringView text);
// Puts "0" in front until the text is three characters long.
QString padWithZeros(const QString &text);
// An own ID in three digits, as a field and the unit carry it: 7 gives "007".
QString ownIdText(int ownId);
// The field rule: a number field's text as the unit carries it ("5" gives "005"), or nothing
// when the text is not one to three plain digits within the field's bounds.
std::optional<QString> fieldValue(ParameterKey key, QStringView text);
// A list value: a decimal number, blanks around it allowed, a fraction rounded half to even.
std::optional<int> parseListValue(QStringView value);

// The frequency shown for a band and a channel index (-1 for no selection): "2402.0MHz".
QString frequencyText(int bandIndex, int channelIndex);

// True when `text` is four characters each "0" or "1".
bool isDirectionText(QStringView text);
