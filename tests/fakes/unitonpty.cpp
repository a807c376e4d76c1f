#include "fakes/unitonpty.h"

#include "fakes/appfixture.h"
#include "fakes/statustexts.h"
#include "link/link.h"
#include "link/qtserialchannel.h"
#include "unitsim/ptyunit.h"

#include <QLabel>
#include <QPushButton>
#include <QTest>

void startAppWithUnit(const UnitOptions &options, QtSerialChannel *channel, PtyUnit **unit,
                      AppFixture **app)
{
    *unit = new PtyUnit(options);
    QVERIFY2((*unit)->openPty(), qPrintable((*unit)->errorString()));
    *app = new AppFixture(channel, {QStringLiteral("COM1=") + (*unit)->devicePath()});
    QVERIFY((*app)->start());
}

void connectThroughTheWindow(AppFixture *app)
{
    QTest::mouseClick(app->button("cmdPort"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(app->label("lblStat")->text(), StatusText::Connected, 3000);
    QTRY_VERIFY(!app->link()->state().awaitingReply);
}
