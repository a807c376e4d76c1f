#include "link/portmap.h"
#include "settings/commandset.h"
#include "settings/parameters.h"
#include "settings/verify.h"
#include "ui/texts.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// Parameter rules that need no window.
class RulesTest : public QObject
{
    Q_OBJECT

private slots:
    void rangeCheck_data();
    void rangeCheck();
    void zeroFill();
    void plainNumberText();
    void listValues_data();
    void listValues();
    void frequency_data();
    void frequency();
    void directionText();
    void roles();
    void keys();
    void portOrder();
    void portBindings();
    void portDetailsFollowABindingThroughItsLink();
    void memoryFormFollowsTheRoleRule();
    void reportedValuesCompareAsTheWindowWrites();
};

void RulesTest::rangeCheck_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<int>("min");
    QTest::addColumn<int>("max");
    QTest::addColumn<bool>("outOfRange");
    QTest::newRow("inside") << "5" << 1 << 255 << false;
    QTest::newRow("lower bound") << "001" << 1 << 200 << false;
    QTest::newRow("upper bound") << "255" << 1 << 255 << false;
    QTest::newRow("above") << "256" << 1 << 255 << true;
    QTest::newRow("below") << "000" << 1 << 200 << true;
    QTest::newRow("zero allowed") << "0" << 0 << 100 << false;
    QTest::newRow("empty") << "" << 0 << 100 << true;
    QTest::newRow("letters") << "1a" << 0 << 100 << true;
    QTest::newRow("fraction inside") << "1.5" << 1 << 200 << false;
    QTest::newRow("overflow") << QString(400, QLatin1Char('9')) << 0 << 100 << true;
}

void RulesTest::rangeCheck()
{
    QFETCH(QString, text);
    QFETCH(int, min);
    QFETCH(int, max);
    QFETCH(bool, outOfRange);
    QCOMPARE(isOutOfRange(text, min, max), outOfRange);
}

void RulesTest::zeroFill()
{
    QCOMPARE(padWithZeros(QStringLiteral("5")), QStringLiteral("005"));
    QCOMPARE(padWithZeros(QStringLiteral("12")), QStringLiteral("012"));
    QCOMPARE(padWithZeros(QStringLiteral("200")), QStringLiteral("200"));
    QCOMPARE(padWithZeros(QString()), QStringLiteral("000"));
    QCOMPARE(padWithZeros(QStringLiteral("1234")), QStringLiteral("1234"));
}

void RulesTest::plainNumberText()
{
    for (const char *good : {"0", "12", "200"})
        QVERIFY2(isPlainNumberText(QString::fromLatin1(good)), good);
    for (const char *bad : {"", "1.5", " 12", "+5", "-1", "1000", "１２"})
        QVERIFY2(!isPlainNumberText(QString::fromUtf8(bad)), bad);
}

void RulesTest::listValues_data()
{
    QTest::addColumn<QString>("value");
    QTest::addColumn<int>("expected");  // -2: not a number
    QTest::newRow("plain") << "3" << 3;
    QTest::newRow("blanks") << "  2 " << 2;
    QTest::newRow("half to even down") << "2.5" << 2;
    QTest::newRow("half to even up") << "3.5" << 4;
    QTest::newRow("fraction") << "1.6" << 2;
    QTest::newRow("minus one") << "-1" << -1;
    QTest::newRow("letters") << "x" << -2;
    QTest::newRow("empty") << "" << -2;
    QTest::newRow("hex") << "0x1" << -2;
    QTest::newRow("exponent") << "1e1" << -2;
}

void RulesTest::listValues()
{
    QFETCH(QString, value);
    QFETCH(int, expected);
    const std::optional<int> parsed = parseListValue(value);
    QCOMPARE(parsed.value_or(-2), expected);
}

void RulesTest::frequency_data()
{
    QTest::addColumn<int>("band");
    QTest::addColumn<int>("channel");
    QTest::addColumn<QString>("text");
    QTest::newRow("0/0") << 0 << 0 << "2402.0MHz";
    QTest::newRow("3/7") << 3 << 7 << "2493.0MHz";
    QTest::newRow("1/4") << 1 << 4 << "2438.0MHz";
    QTest::newRow("2/5") << 2 << 5 << "2465.0MHz";
    QTest::newRow("no channel yet") << 0 << -1 << "2399.0MHz";
    QTest::newRow("no band") << -1 << 0 << "0000.0MHz";
    QTest::newRow("nothing") << -1 << -1 << "-0003.0MHz";
}

void RulesTest::frequency()
{
    QFETCH(int, band);
    QFETCH(int, channel);
    QFETCH(QString, text);
    QCOMPARE(frequencyText(band, channel), text);
}

void RulesTest::directionText()
{
    for (const char *good : {"0000", "1111", "0101"})
        QVERIFY(isDirectionText(QString::fromLatin1(good)));
    for (const char *bad : {"01", "01010", "0120", "", "O101"})
        QVERIFY(!isDirectionText(QString::fromLatin1(bad)));
    QCOMPARE(Texts::directionCaption(QStringLiteral("0")), QStringLiteral("出力"));
    QCOMPARE(Texts::directionCaption(QStringLiteral("1")), QStringLiteral("入力"));
    QCOMPARE(Texts::directionCaption(QString()), QStringLiteral("入力"));
}

void RulesTest::roles()
{
    QCOMPARE(roleOwnId(Role::Master).text, QStringLiteral("000"));
    QVERIFY(!roleOwnId(Role::Master).editable);
    QCOMPARE(roleOwnId(Role::Repeater).text, QStringLiteral("220"));
    QVERIFY(!roleOwnId(Role::Repeater).editable);
    QCOMPARE(roleOwnId(Role::Slave).text, QStringLiteral("001"));
    QVERIFY(roleOwnId(-1).editable);
}

void RulesTest::keys()
{
    QCOMPARE(int(AllParameterKeys.size()), 17);
    for (ParameterKey key : AllParameterKeys)
        QCOMPARE(keyFromName(keyName(key)), std::optional<ParameterKey>(key));
    QVERIFY(!keyFromName(u"frbd"));
    QVERIFY(!keyFromName(u"DISP"));
    QCOMPARE(valueKind(ParameterKey::PDIR), ValueKind::Direction);
    QCOMPARE(valueKind(ParameterKey::PTIM), ValueKind::Number);
    QCOMPARE(valueKind(ParameterKey::DOUT), ValueKind::List);
}

void RulesTest::portOrder()
{
    const QStringList ordered = PortMap::orderPorts(
        {"/dev/ttyS1", "/dev/ttyUSB10", "/dev/ttyS0", "/dev/ttyACM0", "/dev/ttyUSB9",
         "/dev/ttyUSB0"});
    QCOMPARE(ordered, (QStringList{"/dev/ttyACM0", "/dev/ttyUSB0", "/dev/ttyUSB9",
                                   "/dev/ttyUSB10", "/dev/ttyS0", "/dev/ttyS1"}));
}

void RulesTest::portBindings()
{
    PortMap map;
    map.setSystemPorts(QStringList{"/dev/ttyUSB0", "/dev/ttyS0"});
    QVERIFY(map.bind(QStringLiteral("COM3=/dev/pts/4")));
    QVERIFY(map.bind(QStringLiteral("com1=/tmp/unit")));
    QVERIFY(!map.bind(QStringLiteral("COM10=/dev/pts/4")));
    QVERIFY(!map.bind(QStringLiteral("COM2")));
    QCOMPARE(map.device(3), QStringLiteral("/dev/pts/4"));
    QCOMPARE(map.device(0), QString());
    QCOMPARE(map.device(10), QString());
#ifndef Q_OS_WIN
    QCOMPARE(map.device(1), QStringLiteral("/tmp/unit"));
    QCOMPARE(map.device(2), QStringLiteral("/dev/ttyS0"));
    QCOMPARE(map.device(4), QString());
#endif
}

void RulesTest::portDetailsFollowABindingThroughItsLink()
{
    QTemporaryDir dir;
    const QString device = dir.filePath(QStringLiteral("ttyUSB7"));
    const QString byId = dir.filePath(QStringLiteral("usb-FTDI_FT232R_A50285BI-if00-port0"));
    QFile file(device);
    QVERIFY(file.open(QIODevice::WriteOnly));
    file.close();
    QVERIFY(QFile::link(device, byId));
    const SystemPort adapter{device, "FTDI", "FT232R USB UART", "A50285BI"};
    QList<SystemPort> system{{"/dev/ttyS0", {}, {}, {}}};
    PortMap map;
    map.setSource([&system] { return system; });
    map.bind(2, byId);
    map.refresh();
    QCOMPARE(map.port(1), system.first());
    QCOMPARE(map.port(2), (SystemPort{byId, {}, {}, {}}));
    QCOMPARE(map.port(3), SystemPort());

    // Plugged in while the program runs: found at the next refresh, under the bound name.
    system << adapter;
    QCOMPARE(map.port(2).manufacturer, QString());
    map.refresh();
    QCOMPARE(map.port(2), (SystemPort{byId, "FTDI", "FT232R USB UART", "A50285BI"}));
}

void RulesTest::memoryFormFollowsTheRoleRule()
{
    MemoryForm form;
    QCOMPARE(parameterCommand(form, ParameterKey::MYID), QStringLiteral("MYID001"));
    form.selectListIndex(ParameterKey::TYPE, Role::Master);
    QCOMPARE(parameterCommand(form, ParameterKey::MYID), QStringLiteral("MYID000"));
    form.selectListIndex(ParameterKey::TYPE, Role::Repeater);
    QCOMPARE(parameterCommand(form, ParameterKey::MYID), QStringLiteral("MYID220"));
    form.selectListIndex(ParameterKey::TYPE, Role::Slave);
    QCOMPARE(form.fieldText(ParameterKey::MYID), QStringLiteral("001"));
}

void RulesTest::reportedValuesCompareAsTheWindowWrites()
{
    const QStringList written{"TYPE1", "MYID000", "ETIM005", "PDIR0101", "MODE3", "SNUM010"};
    ReportedValues reported;
    // A master listed with its own ID before its role, a number without its zeros, a value the
    // rules refuse, and SNUM not listed at all.
    for (const char *line : {"MYID=000", "TYPE:1", "ETIM=5", "PDIR=0101", "MODE=9"})
        reported.take(QString::fromLatin1(line));
    const QList<Mismatch> mismatches = findMismatches(written, reported);
    QCOMPARE(mismatches.size(), 2);
    QCOMPARE(mismatches.at(0).key, ParameterKey::MODE);
    QCOMPARE(mismatches.at(0).written, QStringLiteral("3"));
    QCOMPARE(mismatches.at(0).reported, QStringLiteral("9"));
    QCOMPARE(mismatches.at(1).key, ParameterKey::SNUM);
    QVERIFY(mismatches.at(1).reported.isEmpty());
    QVERIFY(!reported.has(ParameterKey::SNUM));

    reported.clear();
    QVERIFY(!reported.has(ParameterKey::TYPE));
    QCOMPARE(findMismatches({"DOUT1"}, reported).size(), 1);
}

QTEST_GUILESS_MAIN(RulesTest)
#include "tst_rules.moc"
