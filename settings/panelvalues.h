#pragma once

#include "link/unitmodels.h"
#include "settings/settingsform.h"

#include <QString>
#include <QStringView>

// The value of a parameter as the unit and the settings file carry it: a list index in
// decimal, a field's text unchanged, or the direction text.
QString parameterValue(const SettingsForm &form, ParameterKey key);

// Applies one "KEY?value" line; true when applied (or empty), false when refused. On a refusal,
// `why` receives the rule the line broke, in English, for tools that name it (the window does
// not).
bool applyParameterLine(SettingsForm &form, QStringView line, QString *why = nullptr);

void showDigitalDirections(SettingsForm &form, QStringView text);
void showAnalogDirections(SettingsForm &form, QStringView text);
// Characters 1 and 2 come from the analog buttons while the analog tab is selected.
QString buildDirectionText(const SettingsForm &form);

// Choosing a role sets the own ID it fixes (master, repeater) or the slave default.
void applyRoleOwnId(SettingsForm &form);

void setFrequencyDefaults(SettingsForm &form);
void setDigitalDefaults(SettingsForm &form);
void setAnalogDefaults(SettingsForm &form);
void setCommunicationDefaults(SettingsForm &form);
