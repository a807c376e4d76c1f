#include "cli/clioptions.h"
#include "stationwindow/stationoptions.h"

#include <QTest>

// The three programs' command lines, read without a display: what each runs with, and each
// refusal to the byte, as the program prints it.
class OptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void eachProgramRunsOrRefuses_data();
    void eachProgramRunsOrRefuses();
    void stationRunsWithWhatWasGiven();
};

namespace {

// Action::Run, Help, Version and Refuse, in the order the programs declare them.
constexpr int Run = 0;
constexpr int Help = 1;
constexpr int Version = 2;
constexpr int Refuse = 3;

QString tryHelp(const char *why)
{
    return QStringLiteral("zrt48210-cli: %1\nTry 'zrt48210-cli --help'.\n")
        .arg(QString::fromUtf8(why));
}

} // namespace

// The window's options are run as a program in tst_application.
void OptionsTest::eachProgramRunsOrRefuses_data()
{
    QTest::addColumn<bool>("station");  // else the command-line tool
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("message");  // the whole message, or how a help-bearing one begins
    const QStringList write{"write", "f.txt", "--port", "p1"};
    const QStringList twoPorts = write + QStringList{"--port", "p2"};
    const char *takesOwnId = "--myid takes an own ID from 1 to 200";
    QTest::newRow("cli: own ID") << false << write + QStringList{"--myid=7"} << Run << "";
    QTest::newRow("cli: own ID zero") << false << write + QStringList{"--myid", "0"} << Refuse
                                      << tryHelp(takesOwnId);
    QTest::newRow("cli: own ID, four digits") << false << write + QStringList{"--myid", "0007"}
                                              << Refuse << tryHelp(takesOwnId);
    QTest::newRow("cli: sequence not a number")
        << false << write + QStringList{"--myid-from", "x"} << Refuse
        << tryHelp("--myid-from takes an own ID from 1 to 200");
    QTest::newRow("cli: sequence to the last")
        << false << twoPorts + QStringList{"--myid-from", "199"} << Run << "";
    QTest::newRow("cli: sequence past the last")
        << false << twoPorts + QStringList{"--myid-from", "200"} << Refuse
        << tryHelp("--myid-from 200 with 2 ports goes past own ID 200");
    QTest::newRow("cli: watch from the last")
        << false
        << QStringList{"watch", "f.txt", "--port", "p*", "--record", "r.csv", "--myid-from",
                       "200"}
        << Run << "";
    QTest::newRow("cli: port twice") << false
                                     << QStringList{"identify", "--port", "a", "--port=a"}
                                     << Refuse << tryHelp("--port a is given twice");
    QTest::newRow("cli: unknown") << false << QStringList{"--colour"} << Refuse
                                  << tryHelp("Unknown option 'colour'.");

    const QString usage = QStringLiteral("Usage: zrt48210-station [options]\n");
    const char *takes = "zrt48210-station: --myid-from takes 1 to 200\n";
    QTest::newRow("station: nothing") << true << QStringList{} << Run << "";
    QTest::newRow("station: stray argument, ignored") << true << QStringList{"x.txt"} << Run
                                                      << "";
    QTest::newRow("station: sequence from 0") << true << QStringList{"--myid-from", "0"}
                                              << Refuse << takes;
    QTest::newRow("station: sequence from 201") << true << QStringList{"--myid-from=201"}
                                                << Refuse << takes;
    QTest::newRow("station: sequence not a number") << true << QStringList{"--myid-from", "7a"}
                                                    << Refuse << takes;
    QTest::newRow("station: other language")
        << true << QStringList{"--lang", "fr"} << Refuse
        << "zrt48210-station: --lang fr: expected ja or en\n";
    QTest::newRow("station: unknown") << true << QStringList{"--colour"} << Refuse
                                      << "zrt48210-station: Unknown option 'colour'.\n" + usage;
    QTest::newRow("station: missing value")
        << true << QStringList{"--myid-from"} << Refuse
        << "zrt48210-station: Missing value after '--myid-from'.\n" + usage;
    QTest::newRow("station: help") << true << QStringList{"-h"} << Help << usage;
    QTest::newRow("station: help before the language")
        << true << QStringList{"--help", "--lang", "fr"} << Help << usage;
    QTest::newRow("station: version") << true << QStringList{"--version"} << Version
                                      << "zrt48210-station " ZRT_VERSION "\n";
}

void OptionsTest::eachProgramRunsOrRefuses()
{
    QFETCH(bool, station);
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, message);
    int parsedAction = -1;
    QString parsedMessage;
    if (station) {
        const StationCommandLine line =
            parseStationCommandLine(QStringList{"zrt48210-station"} + arguments);
        parsedAction = int(line.action);
        parsedMessage = line.message;
    } else {
        const CliCommand command = parseCliCommandLine(QStringList{"zrt48210-cli"} + arguments);
        parsedAction = int(command.action);
        parsedMessage = command.message;
    }
    QCOMPARE(parsedAction, action);
    // The station's help goes out whole, after the complaint where there is one.
    if (message.endsWith(QLatin1String("[options]\n"))) {
        QVERIFY2(parsedMessage.startsWith(message), qPrintable(parsedMessage));
        QVERIFY2(parsedMessage.endsWith(
                     QStringLiteral("  -v, --version       Print the version and exit.\n")),
                 qPrintable(parsedMessage));
        QVERIFY(parsedMessage.contains(QStringLiteral("--myid-from N       Own IDs from")));
    } else {
        QCOMPARE(parsedMessage, message);
    }
}

void OptionsTest::stationRunsWithWhatWasGiven()
{
    const StationCommandLine line = parseStationCommandLine(
        {"zrt48210-station", "--port", "/dev/a*", "--port=/dev/b*", "--settings", "s.txt",
         "--record=r.csv", "--operator", "Sato", "--myid-from", "0007", "--start", "--lang",
         "en"});
    QCOMPARE(int(line.action), Run);
    QCOMPARE(line.start.patterns, (QStringList{"/dev/a*", "/dev/b*"}));
    QCOMPARE(line.start.settingsPath, QStringLiteral("s.txt"));
    QCOMPARE(line.start.recordPath, QStringLiteral("r.csv"));
    QCOMPARE(line.start.operatorName, QStringLiteral("Sato"));
    QCOMPARE(line.start.sequenceFrom, std::optional<int>(7));
    QVERIFY(line.start.startAtOnce);
    QCOMPARE(line.language, QStringLiteral("en"));
    const StationCommandLine bare = parseStationCommandLine({"zrt48210-station"});
    QCOMPARE(bare.start.sequenceFrom, std::nullopt);
    QVERIFY(!bare.start.startAtOnce);
    QVERIFY(bare.language.isEmpty());
}

QTEST_GUILESS_MAIN(OptionsTest)
#include "tst_options.moc"
