#include "link/portmap.h"
#include "link/qtserialchannel.h"
#include "ui/portdialog.h"
#include "ui/texts.h"

#include <QApplication>
#include <QComboBox>
#include <QLabel>
#include <QTest>

// The port dialog on this PC's own ports, as the window opens it (Windows). The ports are the
// ones the test's harness (tests/wine/wine.sh) set up, given as ZRT_TEST_PORTS: "COM1=unit"
// for a unit behind it, "COM5=missing" for a port the system lists with no device behind it.
class SystemPortsTest : public QObject
{
    Q_OBJECT

private slots:
    void entriesAreTheSystemsComPorts();
};

void SystemPortsTest::entriesAreTheSystemsComPorts()
{
    const QStringList given =
        qEnvironmentVariable("ZRT_TEST_PORTS").split(u' ', Qt::SkipEmptyParts);
    QVERIFY2(!given.isEmpty(), "ZRT_TEST_PORTS names no port (tests/wine/wine.sh sets it)");
    PortMap ports;
    ports.setSource(&PortMap::scanSystemPorts);
    ports.refresh();
    PortSurvey survey;
    survey.ports = &ports;
    const PortSettings settings;
    survey.check = [settings](const QString &device) {
        return QtSerialChannel::check(device, settings);
    };
    PortDialog dialog(1, survey, nullptr);
    dialog.show();
    auto *list = dialog.findChild<QComboBox *>(QStringLiteral("cmbCom"));
    auto *device = dialog.findChild<QLabel *>(QStringLiteral("lblDevice"));
    auto *info = dialog.findChild<QLabel *>(QStringLiteral("lblPortInfo"));
    QVERIFY(list && device && info);
    for (const QString &port : given) {
        const QString name = port.section(u'=', 0, 0);
        const QString kind = port.section(u'=', 1);
        const int entry = name.mid(3).toInt();
        if (entry > list->count())
            continue;  // above ＣＯＭ９: not an entry of the dialog
        list->setCurrentIndex(entry - 1);
        if (kind == QLatin1String("unit")) {
            // ＣＯＭｎ is COMn itself, and it can be opened.
            QCOMPARE(device->text(), name);
            QVERIFY2(info->text().contains(Texts::portState({}, false)),
                     qPrintable(name + QLatin1String(": ") + info->text()));
        } else {
            // Listed, but nothing answers to the name: not offered as usable.
            QVERIFY2(!info->text().contains(Texts::portState({}, false)),
                     qPrintable(name + QLatin1String(": ") + info->text()));
        }
    }
}

QTEST_MAIN(SystemPortsTest)
#include "tst_systemports.moc"
