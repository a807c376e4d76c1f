#pragma once

#include "settings/settingsform.h"

#include <QHash>
#include <QString>

#include <array>

// The parameter controls without widgets: lists of the window's sizes, fields with their
// up-down bounds, and the direction flags, starting at the panel defaults. Choosing a role
// fixes or frees the own ID as on the window. Holds the values where there is no window: the
// command-line tool, a read-back kept apart for comparison, tests and fuzzing.
class MemoryForm : public SettingsForm
{
public:
    MemoryForm();

    int listIndex(ParameterKey key) const override { return m_lists.value(key, -1); }
    int listCount(ParameterKey key) const override;
    void selectListIndex(ParameterKey key, int index) override;
    QString fieldText(ParameterKey key) const override { return m_fields.value(key); }
    void setFieldText(ParameterKey key, const QString &text) override;
    int fieldMinimum(ParameterKey key) const override;
    int fieldMaximum(ParameterKey key) const override;
    QString directionFlag(DirectionGroup group, int index) const override;
    void setDirectionFlag(DirectionGroup group, int index, const QString &flag) override;
    int selectedTab() const override { return m_tab; }
    void selectTab(int tab) override { m_tab = tab; }

private:
    QHash<ParameterKey, int> m_lists;
    QHash<ParameterKey, QString> m_fields;
    std::array<QString, 4> m_digital;
    std::array<QString, 2> m_analog;
    int m_tab = 0;
};
