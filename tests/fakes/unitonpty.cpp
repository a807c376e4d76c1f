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

bool UnitOnPty::start(const UnitOptions &options)
{
    auto *simulated = new PtyUnit(options);
    unit = simulated;
    if (!simulated->openPty()) {
        qWarning("no pseudo-terminal: %s", qPrintable(simulated->errorString()));
        return false;
    }
    auto *fixture = new AppFixture(&channel, {QStringLiteral("COM1=") + unit->devicePath()});
    app = fixture;
    return fixture->start();
}

bool UnitOnPty::connect()
{
    QTest::mouseClick(app->button("cmdPort"), Qt::LeftButton);
    return QTest::qWaitFor(
               [this] { return app->label("lblStat")->text() == StatusText::Connected; }, 3000)
        && QTest::qWaitFor([this] { return !app->link()->state().awaitingReply; });
}

void PtyWindowTest::newBench()
{
    m_bench = std::make_unique<UnitOnPty>();
}

void PtyWindowTest::endBench()
{
    m_bench.reset();
    m_app = nullptr;
    m_unit = nullptr;
}

bool PtyWindowTest::startUnit(const UnitOptions &options)
{
    const bool started = m_bench->start(options);
    m_unit = m_bench->unit;
    m_app = m_bench->app;
    return started;
}

void PtyWindowTest::click(const char *name)
{
    QTest::mouseClick(m_app->button(name), Qt::LeftButton);
}
