#pragma once

#include "unitsim/unitsimulator.h"

class AppFixture;
class PtyUnit;
class QtSerialChannel;

// The application as at a real start, with COM1 bound to a simulated unit on a fresh
// pseudo-terminal; the test owns all three. On failure the test has failed and both stay null.
void startAppWithUnit(const UnitOptions &options, QtSerialChannel *channel, PtyUnit **unit,
                      AppFixture **app);
// Clicks 接続 and waits until the unit is connected and no reply is awaited.
void connectThroughTheWindow(AppFixture *app);
