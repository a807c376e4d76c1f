#pragma once

#include "settings/parameters.h"

#include <QString>
#include <QStringView>

#include <array>

enum class DirectionGroup {
    Digital,  // cmdPDIR(0..3)
    Analog,   // cmdAUIO(0..1)
};

// The seventeen parameters of a unit and the unit panel they are for, as values: what the
// window's controls show, a settings file holds, the command line writes and a read-back
// reports. Every change goes through the rules of the parameter table, so a program's change
// does what a user's does: choosing a role sets the own ID it fixes.
class UnitSettings
{
public:
    // Every panel at its defaults, the digital panel selected.
    UnitSettings();

    // Lists: -1 for no selection.
    int listIndex(ParameterKey key) const;
    void selectListIndex(ParameterKey key, int index);
    // Number fields: the text as it stands, three characters at most.
    QString fieldText(ParameterKey key) const;
    void setFieldText(ParameterKey key, const QString &text);
    // Direction buttons: the flag each carries ("0" output, "1" input).
    QString directionFlag(DirectionGroup group, int index) const;
    void setDirectionFlag(DirectionGroup group, int index, const QString &flag);
    void showDigitalDirections(QStringView text);
    void showAnalogDirections(QStringView text);
    // The unit panel: DigitalTab or AnalogTab.
    int tab() const { return m_tab; }
    void setTab(int tab) { m_tab = tab; }

    // The value as the unit and the settings file carry it: a list index in decimal, a field's
    // text unchanged, or the direction text.
    QString value(ParameterKey key) const;
    // Characters 1 and 2 come from the analog buttons while the analog panel is selected.
    QString directionText() const;

    // Applies one "KEY?value" line; true when applied (or empty), false when refused. On a
    // refusal, `why` receives the rule the line broke, in English, for tools that name it (the
    // window does not).
    bool applyLine(QStringView line, QString *why = nullptr);
    // A slave's own ID given apart from the values (numbering a batch of units); false, and
    // nothing changed, when the role fixes the own ID.
    bool setOwnId(int ownId);
    // What a panel's ﾃﾞﾌｫﾙﾄ does.
    void setDefaults(Panel panel);

    // What the window derives from the values.
    bool ownIdEditable() const { return roleOwnId(listIndex(ParameterKey::TYPE)).editable; }
    bool analogDirectionsUsed() const
    {
        return ::analogDirectionsUsed(listIndex(ParameterKey::AUIO));
    }
    QString frequency() const;

    bool operator==(const UnitSettings &other) const = default;

private:
    bool applyNumber(ParameterKey key, QStringView value, QString *why);
    bool applyList(ParameterKey key, QStringView value, QString *why);

    std::array<int, AllParameterKeys.size()> m_lists{};
    std::array<QString, AllParameterKeys.size()> m_fields;
    std::array<QString, 4> m_digital;
    std::array<QString, 2> m_analog;
    int m_tab = 0;
};
