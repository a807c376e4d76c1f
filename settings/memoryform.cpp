#include "settings/memoryform.h"

#include "settings/panelvalues.h"

MemoryForm::MemoryForm()
{
    setFrequencyDefaults(*this);
    setDigitalDefaults(*this);
    setAnalogDefaults(*this);
    setCommunicationDefaults(*this);
}

void MemoryForm::selectListIndex(ParameterKey key, int index)
{
    m_lists.insert(key, index);
    if (key == ParameterKey::TYPE)
        applyRoleOwnId(*this);
}

int MemoryForm::listCount(ParameterKey key) const
{
    return listSize(key);
}

void MemoryForm::setFieldText(ParameterKey key, const QString &text)
{
    m_fields.insert(key, text.left(3));  // the field holds three characters at most
}

int MemoryForm::fieldMinimum(ParameterKey key) const
{
    return fieldBounds(key).minimum;
}

int MemoryForm::fieldMaximum(ParameterKey key) const
{
    return fieldBounds(key).maximum;
}

QString MemoryForm::directionFlag(DirectionGroup group, int index) const
{
    return group == DirectionGroup::Digital ? m_digital.at(index) : m_analog.at(index);
}

void MemoryForm::setDirectionFlag(DirectionGroup group, int index, const QString &flag)
{
    (group == DirectionGroup::Digital ? m_digital.at(index) : m_analog.at(index)) = flag;
}
