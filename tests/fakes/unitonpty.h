#pragma once

#include "link/qtserialchannel.h"
#include "unitsim/unitsimulator.h"

#include <QObject>

#include <memory>

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

    // False when the unit or the application could not be started (then both may be null), for
    // the caller's QVERIFY.
    bool start(const UnitOptions &options = {});
    // Clicks 接続 and waits until the unit is connected and no reply is awaited; false if not.
    bool connect();

    QtSerialChannel channel;
    PtyUnit *unit = nullptr;
    AppFixture *app = nullptr;
};

// What the window's tests against a unit on a pseudo-terminal share: a bench made anew for each
// test function (newBench() from init(), endBench() from cleanup()) and the first steps.
class PtyWindowTest : public QObject
{
    Q_OBJECT
protected:
    void newBench();
    void endBench();
    bool startUnit(const UnitOptions &options = {});  // false on a failure, for QVERIFY
    bool connectUnit() { return m_bench->connect(); }
    void click(const char *name);

    std::unique_ptr<UnitOnPty> m_bench;
    PtyUnit *m_unit = nullptr;
    AppFixture *m_app = nullptr;
};
