#pragma once

#include "settings/parameters.h"

#include <QString>

enum class DirectionGroup {
    Digital,  // cmdPDIR(0..3)
    Analog,   // cmdAUIO(0..1)
};

// The parameter controls of the main window, seen without widgets. The window is the only
// store of the values; the rules of the settings code work through this view so that they stay
// free of widgets.
class SettingsForm
{
public:
    virtual ~SettingsForm() = default;

    // Lists: -1 for no selection. Selecting runs the list's own handling, as a user's pick does.
    virtual int listIndex(ParameterKey key) const = 0;
    virtual int listCount(ParameterKey key) const = 0;
    virtual void selectListIndex(ParameterKey key, int index) = 0;

    // Number fields and the bounds of their up-downs.
    virtual QString fieldText(ParameterKey key) const = 0;
    virtual void setFieldText(ParameterKey key, const QString &text) = 0;
    virtual int fieldMinimum(ParameterKey key) const = 0;
    virtual int fieldMaximum(ParameterKey key) const = 0;

    // Direction buttons: the flag each carries; setting it also sets the caption.
    virtual QString directionFlag(DirectionGroup group, int index) const = 0;
    virtual void setDirectionFlag(DirectionGroup group, int index, const QString &flag) = 0;

    // The unit tab: 0 digital, 1 analog. Selecting runs the tab's own handling.
    virtual int selectedTab() const = 0;
    virtual void selectTab(int tab) = 0;
};
