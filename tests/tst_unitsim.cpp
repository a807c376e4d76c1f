#include "unitsim/ptyunit.h"
#include "unitsim/unitsimulator.h"

#include <QFileInfo>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include <cerrno>
#include <memory>
#include <fcntl.h>
#include <unistd.h>

namespace {

const QByteArray kIdentification = "ZRT48210\r\nVer1.02\r\n";

// The tool's end of the line: the slave opened non-blocking and left as the unit set it up,
// so an echo or any other line discipline left on would show in what is read back.
class FarEnd
{
public:
    explicit FarEnd(const QString &path)
        : fd(::open(QFile::encodeName(path).constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~FarEnd()
    {
        if (fd >= 0)
            ::close(fd);
    }
    bool send(const QByteArray &bytes)
    {
        return ::write(fd, bytes.constData(), size_t(bytes.size())) == bytes.size();
    }
    // Appends whatever has arrived to `received`; a read that fails for good marks the line dead.
    const QByteArray &take()
    {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(fd, buffer, sizeof buffer)) > 0)
            received.append(buffer, n);
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            dead = true;
        return received;
    }

    int fd;
    QByteArray received;
    bool dead = false;
};

} // namespace

class UnitSimTest : public QObject
{
    Q_OBJECT

private slots:
    // Replies to the read commands
    void readCommandsForEveryModel_data();
    void readCommandsForEveryModel();
    void listingUsesSeparatorAndStoredValues();

    // Acceptance of parameter commands
    void parameterRules_data();
    void parameterRules();
    void fixedOwnIdsFollowTheStoredRole_data();
    void fixedOwnIdsFollowTheStoredRole();

    // Misbehaviour on request
    void silenceAndRefusalOptions();

    // Over a real pseudo-terminal
    void roundTripOverPtyAndReopen();
    void linkFollowsThePtyAndGoesWithIt();
    void chunkedReplyWithNoiseArrivesInPieces();
    void replyLargerThanTheLineIsQueued();
    void streamWithoutLineEndsStopsAtItsCountOrWhenTold();
    void closedMasterFailsTheToolsReads();
};

void UnitSimTest::readCommandsForEveryModel_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::addColumn<QByteArray>("version");
    QTest::addColumn<QByteArray>("identification");
    const char *rows[][3] = {
        {"48210", "1.02", "ZRT48210\r\nVer1.02\r\n"},
        {"48220", "Ver2.10", "ZRT48220\r\nVer2.10\r\n"},
        {"48221", "0.9b", "ZRT48221\r\nVer0.9b\r\n"},
        {"99999", "1.02", "ZRT99999\r\nVer1.02\r\n"},
    };
    for (const auto &row : rows)
        QTest::newRow(row[0]) << QByteArray(row[0]) << QByteArray(row[1]) << QByteArray(row[2]);
}

void UnitSimTest::readCommandsForEveryModel()
{
    QFETCH(QByteArray, model);
    QFETCH(QByteArray, version);
    QFETCH(QByteArray, identification);
    UnitSimulator unit({.model = model, .version = version});
    QCOMPARE(unit.respond("@UVER"), identification);
    QCOMPARE(unit.respond("@DISP"),
             QByteArray("TYPE=0\r\nMODE=0\r\nMYID=001\r\nSNUM=001\r\nFRCH=0\r\nFRBD=0\r\n"
                        "HOLD=0\r\nDIVR=0\r\nPDIR=0000\r\nLOGI=0\r\nAUIO=0\r\nADSL=0\r\n"
                        "DASL=0\r\nREPT=0\r\nETIM=005\r\nPTIM=000\r\nDOUT=0\r\n"));
    QCOMPARE(unit.respond("@UERR"), QByteArray("Err0000\r\n"));
    QCOMPARE(unit.respond("@FRCH7"), QByteArray("ACK\r\n"));
    QCOMPARE(unit.receivedLines(), QList<QByteArray>({"@UVER", "@DISP", "@UERR", "@FRCH7"}));
}

void UnitSimTest::listingUsesSeparatorAndStoredValues()
{
    UnitOptions options;
    options.separator = ':';
    options.errorCode = "100A";
    options.initialValues = {{"TYPE", "2"}, {"MYID", "220"}, {"PTIM", "7"}};
    UnitSimulator unit(options);
    QCOMPARE(unit.respond("@FRBD3"), QByteArray("ACK\r\n"));
    QCOMPARE(unit.respond("@PDIR0110"), QByteArray("ACK\r\n"));
    QCOMPARE(unit.respond("@DISP"),
             QByteArray("TYPE:2\r\nMODE:0\r\nMYID:220\r\nSNUM:001\r\nFRCH:0\r\nFRBD:3\r\n"
                        "HOLD:0\r\nDIVR:0\r\nPDIR:0110\r\nLOGI:0\r\nAUIO:0\r\nADSL:0\r\n"
                        "DASL:0\r\nREPT:0\r\nETIM:005\r\nPTIM:7\r\nDOUT:0\r\n"));
    QCOMPARE(unit.respond("@UERR"), QByteArray("Err100A\r\n"));

    options.omitKeys = {"TYPE", "PTIM"};
    unit.setOptions(options);
    QCOMPARE(unit.respond("@DISP"),
             QByteArray("MODE:0\r\nMYID:220\r\nSNUM:001\r\nFRCH:0\r\nFRBD:3\r\n"
                        "HOLD:0\r\nDIVR:0\r\nPDIR:0110\r\nLOGI:0\r\nAUIO:0\r\nADSL:0\r\n"
                        "DASL:0\r\nREPT:0\r\nETIM:005\r\nDOUT:0\r\n"));
}

void UnitSimTest::parameterRules_data()
{
    QTest::addColumn<QByteArray>("line");
    QTest::addColumn<bool>("accepted");
    const QList<QPair<const char *, bool>> rows = {
        {"@FRBD3", true},     {"@FRBD4", false},    {"@FRBD03", false},  {"@FRBD-1", false},
        {"@FRBD", false},     {"@FRCH7", true},     {"@FRCH8", false},   {"@MODE5", true},
        {"@MODE6", false},    {"@TYPE2", true},     {"@TYPE3", false},   {"@LOGI1", true},
        {"@AUIO2", false},    {"@ADSL1", true},     {"@DASL 1", false},  {"@REPT1", true},
        {"@DIVR1", true},     {"@HOLD1", true},     {"@DOUT2", false},   {"@MYID001", true},
        {"@MYID200", true},   {"@MYID201", false},  {"@MYID1", false},   {"@MYID0010", false},
        {"@SNUM200", true},   {"@SNUM000", false},  {"@SNUM 12", false}, {"@ETIM255", true},
        {"@ETIM256", false},  {"@ETIM000", false},  {"@PTIM000", true},  {"@PTIM100", true},
        {"@PTIM101", false},  {"@PDIR0101", true},  {"@PDIR01", false},  {"@PDIR01010", false},
        {"@PDIR0120", false}, {"@XXXX1", false},    {"@frbd1", false},   {"FRBD1", false},
        {"@UVER1", false},    {"@DISP ", false},    {"@UERR0", false},   {"@uver", false},
        {"@", false},         {"", false},
    };
    for (const auto &[line, accepted] : rows)
        QTest::newRow(*line ? line : "empty line") << QByteArray(line) << accepted;
}

void UnitSimTest::parameterRules()
{
    QFETCH(QByteArray, line);
    QFETCH(bool, accepted);
    UnitSimulator unit;
    const QByteArray key = line.mid(1, 4);
    QCOMPARE(unit.respond(line), QByteArray(accepted ? "ACK\r\n" : "NAK\r\n"));
    // Only an accepted value is stored; a refused one leaves the factory value.
    QCOMPARE(unit.value(key), accepted ? line.mid(5) : UnitSimulator::factoryValues().value(key));
}

void UnitSimTest::fixedOwnIdsFollowTheStoredRole_data()
{
    QTest::addColumn<QByteArray>("type");
    QTest::addColumn<QByteArray>("myid");
    QTest::addColumn<bool>("accepted");
    // Role, own ID, accepted: only a master takes 000 and only a repeater takes 220.
    const QList<std::tuple<const char *, const char *, bool>> rows = {
        {"0", "000", false}, {"0", "220", false}, {"1", "000", true}, {"1", "220", false},
        {"2", "220", true},  {"2", "000", false}, {"2", "150", true},
    };
    for (const auto &[type, myid, accepted] : rows) {
        QTest::addRow("TYPE%s MYID%s", type, myid)
            << QByteArray(type) << QByteArray(myid) << accepted;
    }
}

void UnitSimTest::fixedOwnIdsFollowTheStoredRole()
{
    QFETCH(QByteArray, type);
    QFETCH(QByteArray, myid);
    QFETCH(bool, accepted);
    UnitSimulator unit;
    QCOMPARE(unit.respond("@TYPE" + type), QByteArray("ACK\r\n"));
    QCOMPARE(unit.respond("@MYID" + myid), QByteArray(accepted ? "ACK\r\n" : "NAK\r\n"));
    QCOMPARE(unit.value("MYID"), QByteArray(accepted ? myid : "001"));

    // The role may also come from the start values rather than a command.
    UnitOptions options;
    options.initialValues = {{"TYPE", type}};
    QCOMPARE(UnitSimulator(options).accepts("MYID", myid), accepted);
}

void UnitSimTest::silenceAndRefusalOptions()
{
    UnitOptions options;
    options.silent = true;
    UnitSimulator mute(options);
    QVERIFY(mute.respond("@UVER").isEmpty());
    QVERIFY(mute.respond("@FRBD1").isEmpty());
    QCOMPARE(mute.receivedLines(), QList<QByteArray>({"@UVER", "@FRBD1"}));
    QCOMPARE(mute.value("FRBD"), QByteArray("0"));

    options = {};
    options.silentAfter = 2;
    UnitSimulator tired(options);
    QCOMPARE(tired.respond("@UERR"), QByteArray("Err0000\r\n"));
    QCOMPARE(tired.respond("@bad"), QByteArray("NAK\r\n"));
    QVERIFY(tired.respond("@UERR").isEmpty());
    QVERIFY(tired.respond("@UVER").isEmpty());

    options = {};
    options.silentKeys = {"DISP", "MODE"};
    UnitSimulator picky(options);
    QVERIFY(picky.respond("@DISP").isEmpty());
    QVERIFY(picky.respond("@MODE3").isEmpty());
    QCOMPARE(picky.value("MODE"), QByteArray("0"));
    QCOMPARE(picky.respond("@MODE9"), QByteArray()); // still silent, even for a bad value
    QCOMPARE(picky.respond("@TYPE1"), QByteArray("ACK\r\n"));
    QCOMPARE(picky.respond("@UVER"), kIdentification);
    QCOMPARE(picky.receivedLines().size(), 5);

    options = {};
    options.nakKeys = {"MYID", "UVER"};
    UnitSimulator grumpy(options);
    QCOMPARE(grumpy.respond("@MYID123"), QByteArray("NAK\r\n"));
    QCOMPARE(grumpy.value("MYID"), QByteArray("001"));
    QCOMPARE(grumpy.respond("@UVER"), QByteArray("NAK\r\n"));
    QCOMPARE(grumpy.respond("@SNUM123"), QByteArray("ACK\r\n"));

    // Acknowledges, and lists the old value afterwards.
    options = {};
    options.forgetKeys = {"ETIM"};
    UnitSimulator forgetful(options);
    QCOMPARE(forgetful.respond("@ETIM010"), QByteArray("ACK\r\n"));
    QCOMPARE(forgetful.respond("@PTIM010"), QByteArray("ACK\r\n"));
    QCOMPARE(forgetful.value("ETIM"), QByteArray("005"));
    QCOMPARE(forgetful.value("PTIM"), QByteArray("010"));
}

void UnitSimTest::roundTripOverPtyAndReopen()
{
    PtyUnit unit({.model = "48221"});
    QVERIFY2(unit.openPty(), qPrintable(unit.errorString()));
    QVERIFY(unit.devicePath().startsWith(QStringLiteral("/dev/pts/")));
    QSignalSpy lines(&unit, &PtyUnit::lineReceived);
    QSignalSpy replies(&unit, &PtyUnit::replySent);
    auto tool = std::make_unique<FarEnd>(unit.devicePath());
    QVERIFY(tool->fd >= 0);

    QVERIFY(tool->send("@UVER\r\n"));
    QTRY_COMPARE(tool->take(), QByteArray("ZRT48221\r\nVer1.02\r\n"));
    QCOMPARE(lines.value(0).value(0).toByteArray(), QByteArray("@UVER"));
    QCOMPARE(replies.value(0).value(0).toByteArray(), QByteArray("ZRT48221\r\nVer1.02\r\n"));

    // A bare LF ends a line too; two lines in one write get two replies in order.
    tool->received.clear();
    QVERIFY(tool->send("@FRBD2\n@UERR\r\n@MYID000\r\n"));
    QTRY_COMPARE(tool->take(), QByteArray("ACK\r\nErr0000\r\nNAK\r\n"));
    QCOMPARE(unit.simulator().value("FRBD"), QByteArray("2"));
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(1).at(0).toByteArray(), QByteArray("@FRBD2"));

    // The tool closes its port; the unit sees a line with nobody on it, and still answers
    // when the port is opened again.
    tool.reset();
    QCoreApplication::processEvents();
    tool = std::make_unique<FarEnd>(unit.devicePath());
    QVERIFY(tool->fd >= 0);
    QVERIFY(tool->send("@DISP\r\n"));
    QTRY_VERIFY(tool->take().endsWith("DOUT=0\r\n"));
    QVERIFY(tool->received.startsWith("TYPE=0\r\n"));
}

void UnitSimTest::linkFollowsThePtyAndGoesWithIt()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyZRT"));
    QFile::link(QStringLiteral("/nonexistent"), link); // a stale link from an earlier run
    auto unit = std::make_unique<PtyUnit>();
    QVERIFY2(unit->openPty(link), qPrintable(unit->errorString()));
    QCOMPARE(QFileInfo(link).symLinkTarget(), unit->devicePath());
    FarEnd tool(link);
    QVERIFY(tool.send("@UVER\r\n"));
    QTRY_COMPARE(tool.take(), kIdentification);
    unit.reset();
    QVERIFY(!QFileInfo(link).isSymLink());

    // Anything that is not a symbolic link is not ours to replace.
    QFile plain(link);
    QVERIFY(plain.open(QIODevice::WriteOnly));
    plain.close();
    PtyUnit refused;
    QVERIFY(!refused.openPty(link));
    QVERIFY(QFileInfo(link).isFile());
}

void UnitSimTest::chunkedReplyWithNoiseArrivesInPieces()
{
    PtyUnit unit;
    QVERIFY(unit.openPty());
    unit.setReplyShape({.chunks = 3, .chunkPauseMs = 300, .noiseBytes = 6});
    QSignalSpy replies(&unit, &PtyUnit::replySent);
    FarEnd tool(unit.devicePath());
    QVERIFY(tool.send("@UVER\r\n"));
    const QByteArray &reply = kIdentification;

    // The first piece alone, then the rest after the pauses.
    QTRY_VERIFY(!tool.take().isEmpty());
    QCOMPARE(tool.received.size(), (6 + reply.size()) / 3);
    QVERIFY(replies.isEmpty());
    QTRY_COMPARE(tool.take().size(), 6 + reply.size());
    QVERIFY(tool.received.endsWith(reply));
    const QByteArray noise = tool.received.left(6);
    QVERIFY(!noise.contains('\r') && !noise.contains('\n'));
    QTRY_COMPARE(replies.size(), 1);
    QCOMPARE(replies.at(0).at(0).toByteArray(), tool.received);
}

void UnitSimTest::replyLargerThanTheLineIsQueued()
{
    PtyUnit unit;
    QVERIFY(unit.openPty());
    const int noise = 200000; // far more than a pseudo-terminal holds
    unit.setReplyShape({.noiseBytes = noise});
    QSignalSpy lines(&unit, &PtyUnit::lineReceived);
    QSignalSpy replies(&unit, &PtyUnit::replySent);
    FarEnd tool(unit.devicePath());
    QVERIFY(tool.send("@UERR\r\n"));
    // The unit has taken the line and gone back to the event loop with most of it unsent.
    QTRY_COMPARE(lines.size(), 1);
    QVERIFY(replies.isEmpty());
    QTRY_COMPARE_WITH_TIMEOUT(tool.take().size(), noise + 9, 30000);
    QVERIFY(tool.received.endsWith("Err0000\r\n"));
    QTRY_COMPARE(replies.size(), 1);
}

void UnitSimTest::streamWithoutLineEndsStopsAtItsCountOrWhenTold()
{
    PtyUnit unit;
    QVERIFY(unit.openPty());
    QSignalSpy finished(&unit, &PtyUnit::streamFinished);
    FarEnd tool(unit.devicePath());

    unit.streamOnCommand({"DISP"}, 2000);
    QVERIFY(tool.send("@UVER\r\n"));
    QTRY_COMPARE(tool.take(), kIdentification);
    tool.received.clear();
    QVERIFY(tool.send("@DISP\r\n"));
    QTRY_COMPARE(finished.size(), 1);
    QCOMPARE(finished.at(0).at(0).toLongLong(), 2000);
    QTRY_COMPARE(tool.take().size(), 2000);
    QVERIFY(!tool.received.contains('\r') && !tool.received.contains('\n'));

    // Endless, with a pattern, until stopped; afterwards the unit answers normally again.
    unit.streamOnCommand({}, -1, "xy");
    tool.received.clear();
    QVERIFY(tool.send("@UERR\r\n"));
    QTRY_VERIFY(tool.take().size() > 500);
    QVERIFY(unit.isStreaming());
    unit.stopStream();
    QCOMPARE(finished.size(), 2);
    QVERIFY(!unit.isStreaming());
    QVERIFY(tool.send("@UVER\r\n"));
    QTRY_VERIFY(tool.take().endsWith(kIdentification));
    const QByteArray streamed = tool.received.chopped(kIdentification.size());
    QCOMPARE(streamed, QByteArray("xy").repeated(streamed.size() / 2));
    QCOMPARE(finished.size(), 2);
}

void UnitSimTest::closedMasterFailsTheToolsReads()
{
    QTemporaryDir dir;
    const QString link = dir.filePath(QStringLiteral("ttyZRT"));
    PtyUnit unit;
    QVERIFY(unit.openPty(link));
    QSignalSpy closed(&unit, &PtyUnit::closed);
    FarEnd tool(unit.devicePath());
    tool.take();
    QVERIFY(!tool.dead);
    unit.setReplyShape({.delayMs = 500});
    QVERIFY(tool.send("@UVER\r\n"));
    QTRY_COMPARE(unit.simulator().receivedLines().size(), 1);

    unit.closeMaster();
    QCOMPARE(closed.size(), 1);
    QVERIFY(!unit.isOpen());
    QVERIFY(!QFileInfo(link).isSymLink());
    QTRY_VERIFY((tool.take(), tool.dead));
    QVERIFY(tool.received.isEmpty()); // the pending reply died with the line
}

QTEST_GUILESS_MAIN(UnitSimTest)
#include "tst_unitsim.moc"
