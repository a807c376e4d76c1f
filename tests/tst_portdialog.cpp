#include "fakes/appfixture.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qtserialchannel.h"
#include "ui/portdialog.h"
#include "unitsim/ptyunit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QTest>
#include <QTimer>

#include <unistd.h>

// The port dialog with real devices behind its entries: pseudo-terminals from the unit
// simulator, files that are no serial port, and a system whose adapters come and go.
class PortDialogTest : public QObject
{
    Q_OBJECT

private slots:
    void showsTheBoundDeviceAndNeverOpensTheOneInUse();
    void refreshFollowsDevicesComingAndGoing();
    void saysWhyADeviceCannotBeOpened();
    void inUseIsToldApartFromMissingRights();

private:
    static QString deviceLine(const QWidget *dialog)
    {
        return dialog->findChild<QLabel *>(QStringLiteral("lblDevice"))->text();
    }
    static QString infoLines(const QWidget *dialog)
    {
        return dialog->findChild<QLabel *>(QStringLiteral("lblPortInfo"))->text();
    }
    static PortSurvey survey(PortMap *ports)
    {
        return {ports, [](const QString &device) {
                    return QtSerialChannel::check(device, PortSettings());
                },
                {}};
    }
};

namespace {

// Runs `action` on the modal dialog once it is up.
void onModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        action(QApplication::activeModalWidget());
    });
}

} // namespace

void PortDialogTest::showsTheBoundDeviceAndNeverOpensTheOneInUse()
{
    // A unit of another model: the port stays open while 設定 → 通信設定 can be chosen.
    UnitOptions options;
    options.model = "48299";
    PtyUnit unit(options);
    QVERIFY2(unit.openPty(), qPrintable(unit.errorString()));
    QtSerialChannel channel;
    AppFixture app(&channel, {QStringLiteral("COM1=") + unit.devicePath()});
    QVERIFY(app.start());
    auto *menu = app.find<QAction>(QStringLiteral("mnuPort"));

    QString shown;
    onModal([&shown](QWidget *dialog) {
        shown = deviceLine(dialog) + u'|' + infoLines(dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    menu->trigger();
    QCOMPARE(shown, unit.devicePath() + QStringLiteral("|使用できます"));

    QTest::mouseClick(app.button("cmdPort"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(app.label("lblStat")->text(),
                              QStringLiteral("エラー：接続されているユニットが違います"), 3000);
    QVERIFY(app.link()->state().portOpen);
    QVERIFY(menu->isEnabled());
    // Opened a second time it would read as held by another program.
    onModal([&shown](QWidget *dialog) {
        shown = deviceLine(dialog) + u'|' + infoLines(dialog);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    menu->trigger();
    QCOMPARE(shown, unit.devicePath() + QStringLiteral("|このプログラムが開いています"));
    QVERIFY(app.link()->state().portOpen);
}

void PortDialogTest::refreshFollowsDevicesComingAndGoing()
{
    // Bound through a link of our own: a freed /dev/pts number may be taken at once by a
    // test running beside this one, but the link goes for good.
    QTemporaryDir dir;
    auto unit = std::make_unique<PtyUnit>();
    QVERIFY2(unit->openPty(dir.filePath(QStringLiteral("unit"))), qPrintable(unit->errorString()));
    QList<SystemPort> system;
    PortMap ports;
    ports.setSource([&system] { return system; });
    ports.bind(2, unit->linkPath());
    PortDialog dialog(2, survey(&ports), nullptr);
    dialog.show();
    QCOMPARE(deviceLine(&dialog), unit->linkPath());
    QCOMPARE(dialog.findChild<QComboBox *>()->itemData(0, Qt::ToolTipRole).toString(),
             QStringLiteral("未接続"));

    // The bound pseudo-terminal goes away and a USB adapter is plugged in.
    unit.reset();
    system = {{"/dev/ttyUSB0", "FTDI", "FT232R USB UART", "A50285BI"}};
    QTRY_COMPARE_WITH_TIMEOUT(deviceLine(&dialog), QStringLiteral("未接続"),
                              PortDialog::RefreshMs + 1000);
    QVERIFY(infoLines(&dialog).isEmpty());
    QCOMPARE(dialog.height(), 153);
    QCOMPARE(dialog.findChild<QComboBox *>()->itemData(0, Qt::ToolTipRole).toString(),
             QStringLiteral("/dev/ttyUSB0"));
    // What the dialog found is what 接続 opens.
    QCOMPARE(ports.device(1), QStringLiteral("/dev/ttyUSB0"));
}

void PortDialogTest::saysWhyADeviceCannotBeOpened()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("not-a-tty"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    PortMap ports;
    ports.bind(1, path);
    const PortCheck check = QtSerialChannel::check(path, PortSettings());
    QCOMPARE(check.failure, PortFailure::Other);
    QVERIFY(!check.reason.isEmpty());

    PortDialog dialog(1, survey(&ports), nullptr);
    // A long path is shortened in the middle; the tip holds it whole.
    QCOMPARE(dialog.findChild<QLabel *>(QStringLiteral("lblDevice"))->toolTip(), path);
    QCOMPARE(infoLines(&dialog), QStringLiteral("開けません：") + check.reason);
    QVERIFY(dialog.height() > 153);
    QCOMPARE(dialog.width(), 227);
}

void PortDialogTest::inUseIsToldApartFromMissingRights()
{
    PtyUnit unit;
    QVERIFY2(unit.openPty(), qPrintable(unit.errorString()));
    QSerialPort other;
    other.setPortName(unit.devicePath());
    QVERIFY(other.open(QIODevice::ReadWrite));
    PortMap ports;
    ports.bind(1, unit.devicePath());
    {
        PortDialog dialog(1, survey(&ports), nullptr);
        QCOMPARE(infoLines(&dialog), QStringLiteral("他のプログラムが使用中です"));
    }
    // The link's channel keeps the kind and a reason for the traffic log.
    QtSerialChannel channel;
    QVERIFY(!channel.open(unit.devicePath(), PortSettings()));
    QCOMPARE(channel.failure(), PortFailure::InUse);
    QVERIFY2(channel.errorString().startsWith(QStringLiteral("in use by another program")),
             qPrintable(channel.errorString()));
    other.close();
    QVERIFY(channel.open(unit.devicePath(), PortSettings()));
    QCOMPARE(channel.failure(), PortFailure::None);
    channel.close();

    // Missing rights, in words that say what to do.
    const auto refused = [](const QString &) {
        return PortCheck{PortFailure::NoPermission, QStringLiteral("Permission denied")};
    };
    PortDialog dialog(1, {&ports, refused, {}}, nullptr);
    QVERIFY2(infoLines(&dialog).startsWith(QStringLiteral("アクセス権がありません。")),
             qPrintable(infoLines(&dialog)));
#ifdef Q_OS_LINUX
    QVERIFY(infoLines(&dialog).contains(QStringLiteral("dialout")));
    QVERIFY(infoLines(&dialog).endsWith(QStringLiteral("\nsudo usermod -aG dialout $USER")));
#endif

    // The rights themselves are checked before the open; root has them all.
    if (::geteuid() == 0)
        QSKIP("root may open any device, so missing rights cannot be played here");
    QTemporaryDir dir;
    const QString locked = dir.filePath(QStringLiteral("ttyLocked"));
    QFile file(locked);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(file.setPermissions({}));
    QCOMPARE(QtSerialChannel::check(locked, PortSettings()).failure, PortFailure::NoPermission);
}

QTEST_MAIN(PortDialogTest)
#include "tst_portdialog.moc"
