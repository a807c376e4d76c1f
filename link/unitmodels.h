#pragma once

#include <QString>
#include <QStringList>
#include <QStringView>

#include <optional>

// The unit panel that goes with a model.
inline constexpr int DigitalTab = 0;
inline constexpr int AnalogTab = 1;

// A model of the family, as the unit names itself on the identification line ("ZRT48210").
struct UnitModel
{
    QString model;  // "48210"
    QString kind;   // "デジタルユニット", or the installed translation
    int tab;        // the unit panel that goes with it: DigitalTab or AnalogTab
};

// The model of an identification line, compared exactly; none for a model of another family.
std::optional<UnitModel> unitModelOf(QStringView identificationLine);
// The models of the family, in order: "48210", "48220", "48221".
QStringList familyModels();
