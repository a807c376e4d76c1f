#include "fakes/appfixture.h"
#include "fakes/heldport.h"
#include "link/link.h"
#include "link/portmap.h"
#include "link/qtserialchannel.h"
#include "ui/portdialog.h"
#include "ui/texts.h"
#include "unitsim/ptyunit.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QSerialPort>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <memory>
#include <unistd.h>
#include <vector>

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
    void holderIsNamed_data();
    void holderIsNamed();
    void findAsksEveryOtherPortAndSelectsTheFirstUnit();

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
        PortSurvey survey;
        survey.ports = ports;
        survey.check = [](const QString &device) {
            return QtSerialChannel::check(device, PortSettings());
        };
        return survey;
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
    // The catalogued height and the row of 検索 below it.
    QCOMPARE(dialog.height(), 180);
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
    QVERIFY(dialog.height() > 180);
    QCOMPARE(dialog.width(), 227);
}

void PortDialogTest::inUseIsToldApartFromMissingRights()
{
    // Another program holds the port: a child of this test, by the lock Qt looks at.
    PtyUnit unit;
    QVERIFY2(unit.openPty(), qPrintable(unit.errorString()));
    PortMap ports;
    ports.bind(1, unit.devicePath());
    {
        HeldPort holder;
        if (!holder.holdByLock(unit.devicePath(), defaultLockFolders().constFirst()))
            QSKIP(qPrintable(QStringLiteral("no lock: ") + holder.errorString()));
        PortDialog dialog(1, survey(&ports), nullptr);
        QCOMPARE(infoLines(&dialog),
                 QStringLiteral("他のプログラムが使用中です（sleep、PID %1）").arg(holder.pid()));
        // The link's channel keeps the kind and the holder for the traffic log.
        QtSerialChannel channel;
        QVERIFY(!channel.open(unit.devicePath(), PortSettings()));
        QCOMPARE(channel.failure(), PortFailure::InUse);
        QCOMPARE(channel.errorString(),
                 QStringLiteral("in use by sleep (PID %1)").arg(holder.pid()));
    }
    QtSerialChannel channel;
    QVERIFY(channel.open(unit.devicePath(), PortSettings()));
    QCOMPARE(channel.failure(), PortFailure::None);
    channel.close();

    // Missing rights, in words that say what to do.
    const auto refused = [](const QString &) {
        return PortCheck{PortFailure::NoPermission, QStringLiteral("Permission denied"), {}};
    };
    PortSurvey refusing = survey(&ports);
    refusing.check = refused;
    PortDialog dialog(1, refusing, nullptr);
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

void PortDialogTest::holderIsNamed_data()
{
    QTest::addColumn<QString>("how");
    QTest::addColumn<PortHolder::Kind>("kind");
    QTest::addColumn<QString>("dialog");
    QTest::addColumn<QString>("cli");
    // %1 the child's PID, %2 the lock file.
    QTest::newRow("lock of a running program")
        << "lock" << PortHolder::Kind::Program << "他のプログラムが使用中です（sleep、PID %1）"
        << "in use by sleep (PID %1)";
    QTest::newRow("device open, no lock")
        << "open" << PortHolder::Kind::Program << "他のプログラムが使用中です（sleep、PID %1）"
        << "in use by sleep (PID %1)";
    QTest::newRow("stale lock")
        << "stale" << PortHolder::Kind::StaleLock
        << "古いロックファイルがあります（PID %1 は終了しています）：%2"
        << "stale lock file %2 (PID %1 has ended)";
    QTest::newRow("nobody to be seen")
        << "none" << PortHolder::Kind::Unknown << "他のプログラムが使用中です" << "";
}

// Who holds a device, from a lock file in a folder of the test's own or from the processes;
// and how the port dialog and the command line say it.
void PortDialogTest::holderIsNamed()
{
    QFETCH(QString, how);
    QFETCH(PortHolder::Kind, kind);
    QFETCH(QString, dialog);
    QFETCH(QString, cli);
    PtyUnit unit;
    QVERIFY2(unit.openPty(), qPrintable(unit.errorString()));
    QTemporaryDir locks;
    HeldPort child;
    if (how == QLatin1String("open"))
        QVERIFY2(child.holdOpen(unit.devicePath()), qPrintable(child.errorString()));
    else if (how != QLatin1String("none"))
        QVERIFY2(child.holdByLock(unit.devicePath(), locks.path()),
                 qPrintable(child.errorString()));
    if (how == QLatin1String("stale"))
        child.endChild();

    const PortHolder holder = findPortHolder(unit.devicePath(), {locks.path()});
    QCOMPARE(holder.kind, kind);
    if (kind != PortHolder::Kind::Unknown)
        QCOMPARE(holder.pid, child.pid());
    QCOMPARE(holder.lockFile, child.lockFile());
    for (QString *text : {&dialog, &cli}) {
        text->replace(QLatin1String("%1"), QString::number(child.pid()));
        text->replace(QLatin1String("%2"), child.lockFile());
    }
    const PortFailure failure =
        kind == PortHolder::Kind::StaleLock ? PortFailure::StaleLock : PortFailure::InUse;
    QCOMPARE(Texts::portState({failure, describePortHolder(holder), holder}, false), dialog);
    QCOMPARE(describePortHolder(holder), cli);
}

void PortDialogTest::findAsksEveryOtherPortAndSelectsTheFirstUnit()
{
    // COM1 is held by the window (a unit of another model keeps it open); COM2 is silent, COM3
    // an analog unit, COM4 a digital unit behind garbage, COM5 a digital unit.
    std::vector<std::unique_ptr<PtyUnit>> units;
    QStringList bindings;
    auto add = [&](const QByteArray &model, bool silent, int noise) {
        UnitOptions options;
        options.model = model;
        options.silent = silent;
        auto unit = std::make_unique<PtyUnit>(options);
        unit->setReplyShape({0, 1, 0, noise});
        QVERIFY2(unit->openPty(), qPrintable(unit->errorString()));
        bindings << QStringLiteral("COM%1=%2").arg(units.size() + 1).arg(unit->devicePath());
        units.push_back(std::move(unit));
    };
    add("48299", false, 0);
    add("48210", true, 0);
    add("48220", false, 0);
    add("48210", false, 24);
    add("48210", false, 0);
    QtSerialChannel channel;
    AppFixture app(&channel, bindings);
    QVERIFY(app.start());
    QTest::mouseClick(app.button("cmdPort"), Qt::LeftButton);
    QTRY_COMPARE_WITH_TIMEOUT(app.label("lblStat")->text(),
                              QStringLiteral("エラー：接続されているユニットが違います"), 3000);

    QString found;
    int width = 0;
    onModal([&](QWidget *dialog) {
        auto *find = dialog->findChild<QPushButton *>(QStringLiteral("cmdFind"));
        QTest::mouseClick(find, Qt::LeftButton);
        QVERIFY(!find->isEnabled());
        QTRY_VERIFY_WITH_TIMEOUT(find->isEnabled(), 5000);
        found = dialog->findChild<QLabel *>(QStringLiteral("lblFind"))->text();
        width = dialog->width();
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdOK")),
                          Qt::LeftButton);
    });
    app.find<QAction>(QStringLiteral("mnuPort"))->trigger();
    QCOMPARE(found, QStringLiteral("ＣＯＭ１　このプログラムが開いています\n"
                                   "ＣＯＭ２　応答なし\n"
                                   "ＣＯＭ３　ZRT48220  Ver1.02\n"
                                   "ＣＯＭ４　応答を読み取れません\n"
                                   "ＣＯＭ５　ZRT48210  Ver1.02\n"
                                   "ＣＯＭ６　未接続\nＣＯＭ７　未接続\nＣＯＭ８　未接続\n"
                                   "ＣＯＭ９　未接続"));
    QCOMPARE(width, 227);
    // 設定 took the first entry where a unit of ours answered.
    QCOMPARE(app.link()->state().portNumber, 3);
    QVERIFY(app.link()->state().portOpen);
    // Only the identification went out: once to the held port (by 接続), with its resends to
    // the silent one and the one behind garbage; every searched port was closed again.
    const QList<int> sent{1, 4, 1, 4, 1};
    for (size_t i = 0; i < units.size(); ++i) {
        const QList<QByteArray> lines = units.at(i)->simulator().receivedLines();
        QCOMPARE(lines, QList<QByteArray>(sent.at(int(i)), QByteArray("@UVER")));
    }
    for (size_t i = 1; i < units.size(); ++i) {
        QtSerialChannel again;
        QVERIFY(again.open(units.at(i)->devicePath(), PortSettings()));
    }
}

QTEST_MAIN(PortDialogTest)
#include "tst_portdialog.moc"
