#include "app/commandline.h"
#include "cli/clioptions.h"
#include "stationwindow/stationoptions.h"

#include <QTest>

// The three programs' command lines, read without a display: what each runs with, and each
// refusal to the byte, as the program prints it.
class OptionsTest : public QObject
{
    Q_OBJECT

private slots:
    void window_data();
    void window();
    void commandLineTool_data();
    void commandLineTool();
    void station_data();
    void station();
    void stationRunsWithWhatWasGiven();
};

namespace {

// Action::Run, Help, Version and Refuse, in the order all three programs declare them.
constexpr int Run = 0;
constexpr int Help = 1;
constexpr int Version = 2;
constexpr int Refuse = 3;

void addColumns()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("action");
    QTest::addColumn<QString>("message");  // the whole message, or how a help-bearing one begins
}

QString tryHelp(const char *program, const char *why)
{
    return QStringLiteral("%1: %2\nTry '%1 --help'.\n")
        .arg(QLatin1String(program), QString::fromUtf8(why));
}

} // namespace

void OptionsTest::window_data()
{
    addColumns();
    QTest::newRow("language") << QStringList{"--lang=en"} << Run << "";
    QTest::newRow("other language") << QStringList{"--lang", "fr"} << Refuse
                                    << tryHelp("zrt48210", "--lang fr: expected ja or en");
    QTest::newRow("log twice") << QStringList{"--log", "a", "--log=b"} << Refuse
                               << tryHelp("zrt48210", "--log may be given once");
    QTest::newRow("unknown") << QStringList{"--colour"} << Refuse
                             << tryHelp("zrt48210", "Unknown option 'colour'.");
    QTest::newRow("stray") << QStringList{"x.txt"} << Refuse
                           << tryHelp("zrt48210", "unexpected argument 'x.txt'");
    QTest::newRow("version") << QStringList{"-v"} << Version << "zrt48210 " ZRT_VERSION "\n";
}

void OptionsTest::window()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, message);
    const WindowCommandLine line = parseWindowCommandLine(QStringList{"zrt48210"} + arguments);
    QCOMPARE(int(line.action), action);
    QCOMPARE(line.message, message);
}

void OptionsTest::commandLineTool_data()
{
    addColumns();
    const QStringList write{"write", "f.txt", "--port", "p1"};
    const QStringList twoPorts = write + QStringList{"--port", "p2"};
    const char *takesOwnId = "--myid takes an own ID from 1 to 200";
    QTest::newRow("own ID") << write + QStringList{"--myid=7"} << Run << "";
    QTest::newRow("own ID above") << write + QStringList{"--myid", "201"} << Refuse
                                  << tryHelp("zrt48210-cli", takesOwnId);
    QTest::newRow("own ID zero") << write + QStringList{"--myid", "0"} << Refuse
                                 << tryHelp("zrt48210-cli", takesOwnId);
    QTest::newRow("own ID, four digits") << write + QStringList{"--myid", "0007"} << Refuse
                                         << tryHelp("zrt48210-cli", takesOwnId);
    QTest::newRow("sequence not a number") << write + QStringList{"--myid-from", "x"} << Refuse
        << tryHelp("zrt48210-cli", "--myid-from takes an own ID from 1 to 200");
    QTest::newRow("sequence to the last") << twoPorts + QStringList{"--myid-from", "199"} << Run
                                          << "";
    QTest::newRow("sequence past the last")
        << twoPorts + QStringList{"--myid-from", "200"} << Refuse
        << tryHelp("zrt48210-cli", "--myid-from 200 with 2 ports goes past own ID 200");
    QTest::newRow("watch from the last")
        << QStringList{"watch", "f.txt", "--port", "p*", "--record", "r.csv", "--myid-from",
                       "200"}
        << Run << "";
    QTest::newRow("port twice") << QStringList{"identify", "--port", "a", "--port=a"} << Refuse
                                << tryHelp("zrt48210-cli", "--port a is given twice");
    QTest::newRow("unknown") << QStringList{"--colour"} << Refuse
                             << tryHelp("zrt48210-cli", "Unknown option 'colour'.");
    QTest::newRow("version") << QStringList{"--version"} << Version
                             << "zrt48210-cli " ZRT_VERSION "\n";
}

void OptionsTest::commandLineTool()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, message);
    const CliCommand command = parseCliCommandLine(QStringList{"zrt48210-cli"} + arguments);
    QCOMPARE(int(command.action), action);
    QCOMPARE(command.message, message);
}

void OptionsTest::station_data()
{
    addColumns();
    const QString usage = QStringLiteral("Usage: zrt48210-station [options]\n");
    const char *takes = "zrt48210-station: --myid-from takes 1 to 200\n";
    QTest::newRow("nothing") << QStringList{} << Run << "";
    QTest::newRow("stray argument, ignored") << QStringList{"x.txt"} << Run << "";
    QTest::newRow("sequence from 0") << QStringList{"--myid-from", "0"} << Refuse << takes;
    QTest::newRow("sequence from 201") << QStringList{"--myid-from=201"} << Refuse << takes;
    QTest::newRow("sequence not a number") << QStringList{"--myid-from", "7a"} << Refuse
                                           << takes;
    QTest::newRow("other language") << QStringList{"--lang", "fr"} << Refuse
                                    << "zrt48210-station: --lang fr: expected ja or en\n";
    QTest::newRow("unknown") << QStringList{"--colour"} << Refuse
                             << "zrt48210-station: Unknown option 'colour'.\n" + usage;
    QTest::newRow("missing value") << QStringList{"--myid-from"} << Refuse
                                   << "zrt48210-station: Missing value after '--myid-from'.\n"
            + usage;
    QTest::newRow("help") << QStringList{"-h"} << Help << usage;
    QTest::newRow("help before the language") << QStringList{"--help", "--lang", "fr"} << Help
                                              << usage;
    QTest::newRow("version") << QStringList{"--version"} << Version
                             << "zrt48210-station " ZRT_VERSION "\n";
}

void OptionsTest::station()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, action);
    QFETCH(QString, message);
    const StationCommandLine line = parseStationCommandLine(QStringList{"zrt48210-station"}
                                                            + arguments);
    QCOMPARE(int(line.action), action);
    // The help goes out whole, after the complaint where there is one.
    const QString helpEnd = QStringLiteral("  -v, --version       Print the version and exit.\n");
    if (message.endsWith(QLatin1String("[options]\n"))) {
        QVERIFY2(line.message.startsWith(message), qPrintable(line.message));
        QVERIFY2(line.message.endsWith(helpEnd), qPrintable(line.message));
        QVERIFY(line.message.contains(QStringLiteral("--myid-from N       Own IDs from")));
    } else {
        QCOMPARE(line.message, message);
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
