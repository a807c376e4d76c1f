#pragma once

#include "link/qtserialchannel.h"
#include "unitsim/unitsimulator.h"

class AppFixture;
class PtyUnit;

// The application as at a real start, on a real serial channel, with COM1 bound to a simulated
// unit on a fresh pseudo-terminal. Owns all three and ends them in the right order.
class UnitOnPty
{
public:
    UnitOnPty() = default;
    ~UnitOnPty();
    UnitOnPty(const UnitOnPty &) = delete;
    UnitOnPty &operator=(const UnitOnPty &) = delete;

    // On failure the test has failed and both stay null.
    void start(const UnitOptions &options = {});
    // Clicks 接続 and waits until the unit is connected and no reply is awaited.
    void connect();

    QtSerialChannel channel;
    PtyUnit *unit = nullptr;
    AppFixture *app = nullptr;
};
