#include "link/portmap.h"
#include "settings/commandset.h"
#include "settings/parameters.h"
#include "settings/unitsettings.h"
#include "settings/verify.h"
#include "link/unitmodels.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

Q_DECLARE_METATYPE(ParameterKey)

// Parameter rules that need no window.
class RulesTest : public QObject
{
    Q_OBJECT

private slots:
    void rangeCheck_data();
    void rangeCheck();
    void zeroFill();
    void fieldRule_data();
    void fieldRule();
    void plainNumberText();
    void listValues_data();
    void listValues();
    void frequency_data();
    void frequency();
    void directionText();
    void keys();
    void portOrder();
    void portBindings();
    void portDetailsFollowABindingThroughItsLink();
    void linesApplyOrAreRefused_data();
    void linesApplyOrAreRefused();
    void panelDefaults_data();
    void panelDefaults();
    void roleRuleSetsTheOwnId_data();
    void roleRuleSetsTheOwnId();
    void analogUse();
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
    QCOMPARE(ownIdText(7), QStringLiteral("007"));
    QCOMPARE(ownIdText(220), QStringLiteral("220"));
}

void RulesTest::fieldRule_data()
{
    QTest::addColumn<ParameterKey>("key");
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("value");  // empty: refused
    QTest::newRow("padded") << ParameterKey::MYID << "5" << "005";
    QTest::newRow("own ID upper bound") << ParameterKey::MYID << "200" << "200";
    QTest::newRow("own ID above") << ParameterKey::MYID << "201" << "";
    QTest::newRow("master's own ID") << ParameterKey::MYID << "000" << "";
    QTest::newRow("zero allowed") << ParameterKey::PTIM << "0" << "000";
    QTest::newRow("above 100") << ParameterKey::PTIM << "101" << "";
    QTest::newRow("255") << ParameterKey::ETIM << "255" << "255";
    QTest::newRow("four digits inside") << ParameterKey::SNUM << "0012" << "";
    QTest::newRow("fraction inside") << ParameterKey::SNUM << "1.5" << "";
    QTest::newRow("empty") << ParameterKey::SNUM << "" << "";
}

void RulesTest::fieldRule()
{
    QFETCH(ParameterKey, key);
    QFETCH(QString, text);
    QFETCH(QString, value);
    QCOMPARE(fieldValue(key, text).value_or(QString()), value);
    // A line to the model follows the same rule (no role is selected that fixes an own ID).
    UnitSettings values;
    QCOMPARE(values.applyLine(keyName(key) + QLatin1Char('=') + text), !value.isEmpty());
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
#ifdef Q_OS_WIN
    QSKIP("udev links are Linux's: on Windows an entry is COMn itself");
#endif
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

void RulesTest::linesApplyOrAreRefused_data()
{
    QTest::addColumn<QString>("before");  // a line applied first, or empty
    QTest::addColumn<QString>("line");
    QTest::addColumn<QString>("key");
    QTest::addColumn<QString>("value");  // the key's value afterwards
    QTest::addColumn<QString>("why");    // empty: applied
    const QString noMode = QStringLiteral("MODE takes a list index from 0 to 5, not '%1'");
    const QString noSnum = QStringLiteral("SNUM takes a number from 001 to 200, not '%1'");
    QTest::newRow("list") << "" << "MODE=3" << "MODE" << "3" << "";
    QTest::newRow("list past its size") << "" << "MODE=6" << "MODE" << "0" << noMode.arg("6");
    QTest::newRow("list not a number") << "" << "MODE=x" << "MODE" << "0" << noMode.arg("x");
    QTest::newRow("colon") << "" << "MODE:4" << "MODE" << "4" << "";
    QTest::newRow("fraction rounded") << "" << "MODE=3.5" << "MODE" << "4" << "";
    QTest::newRow("-1 clears") << "" << "MODE=-1" << "MODE" << "-1" << "";
    QTest::newRow("FRCH 7") << "" << "FRCH=7" << "FRCH" << "7" << "";
    QTest::newRow("FRCH 8") << "" << "FRCH=8" << "FRCH" << "0"
                            << "FRCH takes a list index from 0 to 7, not '8'";
    QTest::newRow("field padded") << "" << "SNUM=12" << "SNUM" << "012" << "";
    QTest::newRow("field top") << "" << "SNUM=200" << "SNUM" << "200" << "";
    QTest::newRow("field below") << "" << "SNUM=0" << "SNUM" << "001" << noSnum.arg("0");
    QTest::newRow("field above") << "" << "SNUM=201" << "SNUM" << "001" << noSnum.arg("201");
    QTest::newRow("field fraction") << "" << "SNUM=1.5" << "SNUM" << "001" << noSnum.arg("1.5");
    QTest::newRow("PTIM zero") << "" << "PTIM=0" << "PTIM" << "000" << "";
    QTest::newRow("slave own ID 000") << "" << "MYID=000" << "MYID" << "001"
                                      << "own ID 000 belongs to a master (TYPE=1)";
    QTest::newRow("slave own ID 220") << "" << "MYID=220" << "MYID" << "001"
                                      << "own ID 220 belongs to a repeater (TYPE=2)";
    QTest::newRow("master own ID") << "TYPE=1" << "MYID=000" << "MYID" << "000" << "";
    QTest::newRow("master, repeater's") << "TYPE=1" << "MYID=220" << "MYID" << "000"
                                        << "own ID 220 belongs to a repeater (TYPE=2)";
    QTest::newRow("repeater own ID") << "TYPE=2" << "MYID=220" << "MYID" << "220" << "";
    QTest::newRow("repeater, slave range") << "TYPE=2" << "MYID=012" << "MYID" << "012" << "";
    QTest::newRow("repeater, 221") << "TYPE=2" << "MYID=221" << "MYID" << "220"
                                   << "MYID takes a number from 001 to 200, not '221'";
    QTest::newRow("directions") << "" << "PDIR=0101" << "PDIR" << "0101" << "";
    QTest::newRow("directions short") << "PDIR=0101" << "PDIR=01" << "PDIR" << "0101"
                                      << "PDIR takes four characters, each 0 or 1, not '01'";
    QTest::newRow("directions 2") << "" << "PDIR=0120" << "PDIR" << "0000"
                                  << "PDIR takes four characters, each 0 or 1, not '0120'";
    QTest::newRow("lower-case key") << "" << "mode=1" << "MODE" << "0"
                                    << "'mode' is not a parameter key";
    QTest::newRow("unknown key") << "" << "ABCD=1" << "MODE" << "0"
                                 << "'ABCD' is not a parameter key";
    QTest::newRow("empty line") << "" << "" << "MODE" << "0" << "";
    QTest::newRow("key only") << "" << "MODE" << "MODE" << "0" << noMode.arg("");
}

void RulesTest::linesApplyOrAreRefused()
{
    QFETCH(QString, before);
    QFETCH(QString, line);
    QFETCH(QString, key);
    QFETCH(QString, value);
    QFETCH(QString, why);
    UnitSettings values;
    QVERIFY(values.applyLine(before));
    QString reason;
    QCOMPARE(values.applyLine(line, &reason), why.isEmpty());
    QCOMPARE(reason, why);
    QCOMPARE(values.value(*keyFromName(key)), value);
}

void RulesTest::panelDefaults_data()
{
    QTest::addColumn<int>("panel");
    QTest::addColumn<int>("tab");
    // Every parameter as its panel's ﾃﾞﾌｫﾙﾄ leaves it, after each was set off its default.
    QTest::addColumn<QString>("after");
    const QString set = QStringLiteral("FRBD3 FRCH7 PDIR%1 LOGI1 AUIO1 ADSL1 DASL1 MODE5 TYPE1 "
                                       "MYID000 SNUM200 REPT1 ETIM255 DIVR1 PTIM100 HOLD1 DOUT1");
    const QString analogReset = QStringLiteral("AUIO0 ADSL0 DASL0");
    QTest::newRow("frequency") << int(Panel::Frequency) << DigitalTab
                               << set.arg("1111").replace("FRBD3 FRCH7", "FRBD0 FRCH0");
    QTest::newRow("digital") << int(Panel::Digital) << DigitalTab
                             << set.arg("0000").replace("LOGI1", "LOGI0");
    QTest::newRow("analog, digital tab") << int(Panel::Analog) << DigitalTab
                                         << set.arg("1111").replace("AUIO1 ADSL1 DASL1",
                                                                    analogReset);
    QTest::newRow("analog, analog tab") << int(Panel::Analog) << AnalogTab
                                        << set.arg("0011").replace("AUIO1 ADSL1 DASL1",
                                                                   analogReset);
    QTest::newRow("communication") << int(Panel::Communication) << DigitalTab
                                   << QStringLiteral("FRBD3 FRCH7 PDIR1111 LOGI1 AUIO1 ADSL1 "
                                                     "DASL1 MODE0 TYPE0 MYID001 SNUM001 REPT0 "
                                                     "ETIM005 DIVR0 PTIM000 HOLD0 DOUT0");
}

void RulesTest::panelDefaults()
{
    QFETCH(int, panel);
    QFETCH(int, tab);
    QFETCH(QString, after);
    UnitSettings values;
    values.setTab(tab);
    for (const char *line : {"FRBD=3", "FRCH=7", "PDIR=1111", "LOGI=1", "AUIO=1", "ADSL=1",
                             "DASL=1", "MODE=5", "TYPE=1", "SNUM=200", "REPT=1", "ETIM=255",
                             "DIVR=1", "PTIM=100", "HOLD=1", "DOUT=1"}) {
        QVERIFY2(values.applyLine(QString::fromLatin1(line)), line);
    }
    values.setDefaults(Panel(panel));
    QStringList commands;
    for (ParameterKey key : AllParameterKeys)
        commands << parameterCommand(values, key);
    QCOMPARE(commands.join(QLatin1Char(' ')), after);
    // A new set of values starts at every panel's defaults, on the digital panel.
    const UnitSettings fresh;
    QCOMPARE(fresh.tab(), DigitalTab);
    QCOMPARE(groupCommands(fresh, allGroups(DigitalTab)).join(QLatin1Char(' ')),
             QStringLiteral("FRBD0 FRCH0 PDIR0000 LOGI0 AUIO0 ADSL0 DASL0 MODE0 TYPE0 MYID001 "
                            "SNUM001 REPT0 ETIM005 DIVR0 PTIM000 HOLD0 DOUT0"));
}

void RulesTest::roleRuleSetsTheOwnId_data()
{
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("ownId");
    QTest::addColumn<bool>("editable");
    QTest::newRow("slave") << Role::Slave << "001" << true;
    QTest::newRow("master") << Role::Master << "000" << false;
    QTest::newRow("repeater") << Role::Repeater << "220" << false;
    QTest::newRow("no selection") << -1 << "001" << true;
}

void RulesTest::roleRuleSetsTheOwnId()
{
    QFETCH(int, role);
    QFETCH(QString, ownId);
    QFETCH(bool, editable);
    // The role overwrites any own ID given before it, also the same role picked again.
    UnitSettings values;
    values.selectListIndex(ParameterKey::TYPE, role);
    QVERIFY(values.applyLine(u"MYID=123"));  // the slave range, whatever the role
    values.selectListIndex(ParameterKey::TYPE, role);
    QCOMPARE(values.fieldText(ParameterKey::MYID), ownId);
    QCOMPARE(values.ownIdEditable(), editable);
    QCOMPARE(values.setOwnId(12), editable);
    QCOMPARE(values.fieldText(ParameterKey::MYID), editable ? QStringLiteral("012") : ownId);
    QCOMPARE(roleOwnId(role).text, ownId);
    QCOMPARE(isRoleOwnId(ownId.toInt()), !editable);
    // A line does what a pick does.
    UnitSettings fromLine;
    QVERIFY(fromLine.applyLine(u"MYID=123"));
    QVERIFY(fromLine.applyLine(QStringLiteral("TYPE=%1").arg(role)));
    QCOMPARE(fromLine.fieldText(ParameterKey::MYID), ownId);
}

void RulesTest::analogUse()
{
    UnitSettings values;
    QVERIFY(values.analogDirectionsUsed());
    for (int index : {1, -1}) {
        values.selectListIndex(ParameterKey::AUIO, index);
        QVERIFY(!values.analogDirectionsUsed());
    }
    QVERIFY(values.applyLine(u"AUIO=0"));
    QVERIFY(values.analogDirectionsUsed());
}

QTEST_GUILESS_MAIN(RulesTest)
#include "tst_rules.moc"
