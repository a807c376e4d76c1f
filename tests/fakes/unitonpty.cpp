#include "fakes/unitonpty.h"

#include "fakes/appfixture.h"
#include "fakes/statustexts.h"
#include "link/link.h"
#include "unitsim/ptyunit.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

UnitOnPty::~UnitOnPty()
{
    // The program lets go of the port before the unit's end of the line goes away.
    delete app;
    channel.close();
    delete unit;
}

void UnitOnPty::start(const UnitOptions &options)
{
    auto *simulated = new PtyUnit(options);
    unit = simulated;
    QVERIFY2(simulated->openPty(), qPrintable(simulated->errorString()));
    auto *fixture = new AppFixture(&channel, {QStringLiteral("COM1=") + unit->devicePath()});
    app = fixture;
    QVERIFY(fixture->start());
}

void UnitOnPty::connect()
{
    QTest::mouseClick(app->button("cmdPort"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(app->label("lblStat")->text(), StatusText::Connected, 3000);
    QTRY_VERIFY(!app->link()->state().awaitingReply);
}
