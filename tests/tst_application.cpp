#include "app/commandline.h"
#include "ui/language.h"
#include "fakes/appfixture.h"
#include "fakes/statustexts.h"
#include "fakes/fakechannel.h"
#include "fakes/scratchdisk.h"
#include "file/fileexists.h"
#include "file/systemini.h"
#include "ui/mainwindow.h"
#include "ui/portdialog.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QPushButton>
#include <QLabel>
#include <QTest>
#include <QTimer>
#include <QTranslator>

// Start-up, the single instance, and what the program leaves behind when it ends.
class ApplicationTest : public QObject
{
    Q_OBJECT

private slots:
    void secondInstanceIsRefused();
    void lockOfAKilledProcessDoesNotBlock();
    void programDirectoryEndsInOneSeparator();
    void fileExistsOnlyForOrdinaryFiles();
    void closingWithoutAPortWritesSystemIni();
    void closingWhileConnectedClosesThePortFirst();
    void portDialogChoiceIsRemembered();
    void rememberedPortIsUsedToConnect();
    void readOnlyProgramFolderKeepsSettingsInTheUserFolder();
    void unwritableSettingsAreSaidOnceAtClose();
    void installedProgramKeepsSettingsInTheUserFolder();
    void commandLineWithoutADisplay_data();
    void commandLineWithoutADisplay();
    void japaneseUnlessEnglishIsAsked();
    void logFileThatCannotBeOpenedIsRefused();
};

namespace {

const QByteArray DefaultIni = " 1 \r\n 38400 \r\nE\r\n 8 \r\n1\r\n";

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// Remembers whether system.ini existed at the moment the port was closed.
class OrderedChannel : public FakeChannel
{
public:
    bool close() override
    {
        iniExistedAtClose = QFile::exists(iniPath);
        return FakeChannel::close();
    }
    QString iniPath;
    bool iniExistedAtClose = true;
};

// Runs `action` on the modal dialog once it is up.
void onModal(std::function<void(QWidget *)> action)
{
    QTimer::singleShot(0, [action] {
        QTRY_VERIFY(QApplication::activeModalWidget());
        action(QApplication::activeModalWidget());
    });
}

// Points the user's configuration folder elsewhere for the life of the object.
class ConfigHome
{
public:
    explicit ConfigHome(const QString &path)
        : m_old(qgetenv("XDG_CONFIG_HOME"))
        , m_wasSet(qEnvironmentVariableIsSet("XDG_CONFIG_HOME"))
    {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(path));
    }
    ~ConfigHome()
    {
        if (m_wasSet)
            qputenv("XDG_CONFIG_HOME", m_old);
        else
            qunsetenv("XDG_CONFIG_HOME");
    }

private:
    QByteArray m_old;
    bool m_wasSet;
};

// False on a failure, for the caller's QVERIFY.
bool writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush();
}

// Starts the real program with its lock in `runtime` and waits until it holds the lock; false if
// it does not, for the caller's QVERIFY.
bool startRealProgram(QProcess &process, const QString &runtime)
{
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime);
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    process.setProcessEnvironment(environment);
    process.setWorkingDirectory(runtime);
    process.start(QStringLiteral(ZRT_EXECUTABLE), {});
    // The lock file is created first and filled a moment later: a program killed in between
    // leaves an empty one, which counts as held until it grows old.
    return process.waitForStarted()
        && QTest::qWaitFor([&runtime] {
               return QFileInfo(runtime + QStringLiteral("/zrt48210.lock")).size() > 0;
           }, 10000);
}

} // namespace

void ApplicationTest::secondInstanceIsRefused()
{
    QTemporaryDir runtime;
    QProcess first;
    QVERIFY(startRealProgram(first, runtime.path()));

    FakeChannel channel;
    AppFixture second(&channel);
    second.app = std::make_unique<Application>(
        &second.prompter, &channel,
        StartOptions{second.dir.path(), runtime.path(), {}, false, {}, {}});
    QVERIFY(!second.start());
    QCOMPARE(second.prompter.shown.size(), 1);
    QCOMPARE(second.prompter.shown.first().text, QStringLiteral("現在起動中です。"));
    QCOMPARE(second.prompter.shown.first().title, QStringLiteral("重複起動"));
    QCOMPARE(second.prompter.shown.first().icon, Prompter::Icon::Exclamation);
    QCOMPARE(second.prompter.shown.first().buttons, Prompter::Buttons::Ok);
    QVERIFY(!second.window());
    second.app->shutdown();
    QVERIFY(!QFile::exists(second.dir.filePath(QStringLiteral("system.ini"))));

    first.kill();
    first.waitForFinished();
}

void ApplicationTest::lockOfAKilledProcessDoesNotBlock()
{
    QTemporaryDir runtime;
    QProcess killed;
    QVERIFY(startRealProgram(killed, runtime.path()));
    killed.kill();
    QVERIFY(killed.waitForFinished());
    QVERIFY(QFile::exists(runtime.filePath(QStringLiteral("zrt48210.lock"))));

    FakeChannel channel;
    AppFixture next(&channel);
    next.app = std::make_unique<Application>(
        &next.prompter, &channel,
        StartOptions{next.dir.path(), runtime.path(), {}, false, {}, {}});
    QVERIFY(next.start());
    QVERIFY(next.prompter.shown.isEmpty());
}

void ApplicationTest::programDirectoryEndsInOneSeparator()
{
    QCOMPARE(withTrailingSeparator(QStringLiteral("/opt/zrt")),
             QStringLiteral("/opt/zrt/"));
    QCOMPARE(withTrailingSeparator(QStringLiteral("/opt/zrt/")),
             QStringLiteral("/opt/zrt/"));
    QCOMPARE(withTrailingSeparator(QStringLiteral("/")), QStringLiteral("/"));

    FakeChannel channel;
    AppFixture fixture(&channel);
    QVERIFY(fixture.start());
    QCOMPARE(fixture.app->programDirectory(), fixture.dir.path() + QLatin1Char('/'));
}

void ApplicationTest::fileExistsOnlyForOrdinaryFiles()
{
    QTemporaryDir dir;
    const QString plain = dir.filePath(QStringLiteral("plain.txt"));
    const QString hidden = dir.filePath(QStringLiteral(".hidden.txt"));
    const QString readOnly = dir.filePath(QStringLiteral("readonly.txt"));
    for (const QString &path : {plain, hidden, readOnly}) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
    }
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner);
    QVERIFY(fileExists(plain));
    QVERIFY(fileExists(readOnly));
    QVERIFY(!fileExists(hidden));
    QVERIFY(!fileExists(dir.path()));
    QVERIFY(!fileExists(dir.filePath(QStringLiteral("missing.txt"))));
    QVERIFY(!fileExists(QStringLiteral("/no/such/drive/file.txt")));
    QVERIFY(!fileExists(QString()));
    QVERIFY(!fileExists(plain + QChar(u'\0') + QStringLiteral("x")));
}

void ApplicationTest::closingWithoutAPortWritesSystemIni()
{
    FakeChannel channel;
    AppFixture fixture(&channel);
    const QString ini = fixture.dir.filePath(QStringLiteral("system.ini"));
    QVERIFY(fixture.start());
    QVERIFY(!QFile::exists(ini));
    QCOMPARE(fixture.app->portSettingsFile(), ini);
    // The test whether the folder takes files leaves nothing behind.
    QCOMPARE(QDir(fixture.dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("zrt48210.lock")});
    fixture.prompter.answers << Prompter::Answer::Ok;
    QVERIFY(fixture.window()->close());
    fixture.app->shutdown();
    QCOMPARE(readFile(ini), DefaultIni);
    QCOMPARE(channel.closeCount, 0);
}

void ApplicationTest::closingWhileConnectedClosesThePortFirst()
{
    OrderedChannel channel;
    AppFixture fixture(&channel, {QStringLiteral("COM1=fake")});
    channel.iniPath = fixture.dir.filePath(QStringLiteral("system.ini"));
    QVERIFY(fixture.start());
    QTest::mouseClick(fixture.button("cmdPort"), Qt::LeftButton);
    QVERIFY(fixture.link()->state().portOpen);
    QCOMPARE(channel.lastDevice, QStringLiteral("fake"));
    QTRY_COMPARE(channel.written.size(), 1);
    channel.receive("ZRT48210\r\nVer1.02\r\n");
    QTRY_COMPARE(fixture.button("cmdPort")->text(), QStringLiteral("切断"));

    // Cancel leaves the connection as it was.
    fixture.prompter.answers << Prompter::Answer::Cancel << Prompter::Answer::Ok;
    QVERIFY(!fixture.window()->close());
    QVERIFY(fixture.link()->state().portOpen);
    QVERIFY(fixture.window()->close());
    fixture.app->shutdown();
    QCOMPARE(channel.closeCount, 1);
    QVERIFY(!channel.iniExistedAtClose);
    QCOMPARE(readFile(channel.iniPath), DefaultIni);
}

void ApplicationTest::portDialogChoiceIsRemembered()
{
    FakeChannel channel;
    AppFixture fixture(&channel);
    QVERIFY(fixture.start());
    onModal([](QWidget *dialog) {
        auto *list = dialog->findChild<QComboBox *>(QStringLiteral("cmbCom"));
        QCOMPARE(list->currentIndex(), 0);
        list->setCurrentIndex(2);
        QTest::mouseClick(dialog->findChild<QPushButton *>(QStringLiteral("cmdOK")),
                          Qt::LeftButton);
    });
    fixture.find<QAction>(QStringLiteral("mnuPort"))->trigger();
    QCOMPARE(int(fixture.link()->state().portNumber), 3);

    onModal([](QWidget *dialog) {
        auto *list = dialog->findChild<QComboBox *>(QStringLiteral("cmbCom"));
        QCOMPARE(list->currentIndex(), 2);
        list->setCurrentIndex(5);
        QTest::keyClick(dialog, Qt::Key_Escape);
    });
    fixture.find<QAction>(QStringLiteral("mnuPort"))->trigger();
    QCOMPARE(int(fixture.link()->state().portNumber), 3);
    QVERIFY(!channel.isOpen());

    fixture.app->shutdown();
    QCOMPARE(readFile(fixture.dir.filePath(QStringLiteral("system.ini"))).left(5),
             QByteArray(" 3 \r\n"));
}

void ApplicationTest::rememberedPortIsUsedToConnect()
{
    FakeChannel channel;
    AppFixture fixture(&channel, {QStringLiteral("COM4=/dev/unit4")});
    QFile ini(fixture.dir.filePath(QStringLiteral("system.ini")));
    QVERIFY(ini.open(QIODevice::WriteOnly));
    ini.write(" 4 \r\n 9600 \r\nO\r\n 7 \r\n2\r\n");
    ini.close();
    QVERIFY(fixture.start());
    QTest::mouseClick(fixture.button("cmdPort"), Qt::LeftButton);
    QCOMPARE(channel.lastDevice, QStringLiteral("/dev/unit4"));
    QCOMPARE(channel.lastSettings.baudRate, 9600);
    QCOMPARE(channel.lastSettings.parity, QStringLiteral("O"));
    QCOMPARE(channel.lastSettings.dataBits, qint16(7));
    QCOMPARE(channel.lastSettings.stopBits, QStringLiteral("2"));
}

void ApplicationTest::readOnlyProgramFolderKeepsSettingsInTheUserFolder()
{
    ScratchDisk program;
    if (!program.isMounted())
        QSKIP(qPrintable(program.skipReason()));
    // A file beside a read-only program is not the one in use: it could never be written.
    QVERIFY(writeFile(program.path(QStringLiteral("system.ini")), " 2 \r\n 4800 \r\nN\r\n 8 \r\n1\r\n"));
    QVERIFY(program.makeReadOnly());
    QTemporaryDir home;
    ConfigHome configHome(home.path());
    const QString userIni = home.filePath(QStringLiteral("zrt48210/system.ini"));
    const QByteArray remembered = " 4 \r\n 9600 \r\nO\r\n 7 \r\n2\r\n";

    for (const QByteArray &expected : {DefaultIni, remembered}) {
        FakeChannel channel;
        AppFixture fixture(&channel);
        fixture.app = std::make_unique<Application>(
            &fixture.prompter, &channel,
            StartOptions{program.root(), fixture.dir.path(), {}, false, {}, {}});
        QVERIFY(fixture.start());
        QCOMPARE(fixture.app->portSettingsFile(), userIni);
        QCOMPARE(formatPortSettings(fixture.link()->portSettings()), expected);
        fixture.app->shutdown();
        QCOMPARE(readFile(userIni), expected);
        QVERIFY(fixture.prompter.shown.isEmpty());
        QVERIFY(writeFile(userIni, remembered));
    }
}

void ApplicationTest::unwritableSettingsAreSaidOnceAtClose()
{
    ScratchDisk disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    QVERIFY(disk.makeReadOnly());
    // The user's folder lies on the read-only disk too: neither place can take the file.
    ConfigHome configHome(disk.path(QStringLiteral("config")));

    FakeChannel channel;
    AppFixture fixture(&channel);
    fixture.app = std::make_unique<Application>(
        &fixture.prompter, &channel,
        StartOptions{disk.root(), fixture.dir.path(), {}, false, {}, {}});
    QVERIFY(fixture.start());
    QVERIFY(fixture.prompter.shown.isEmpty());
    fixture.prompter.answers << Prompter::Answer::Ok;
    QVERIFY(fixture.window()->close());
    fixture.app->shutdown();

    QCOMPARE(fixture.prompter.shown.size(), 2);
    const ScriptedPrompter::Shown &box = fixture.prompter.shown.last();
    QCOMPARE(box.title, QStringLiteral("保存エラー"));
    QVERIFY2(box.text.startsWith(QStringLiteral("通信設定（system.ini）を保存できませんでした。\r\n")),
             qPrintable(box.text));
    QVERIFY2(box.text.contains(disk.path(QStringLiteral("config/zrt48210/system.ini"))),
             qPrintable(box.text));
    QCOMPARE(box.buttons, Prompter::Buttons::Ok);
    QCOMPARE(box.icon, Prompter::Icon::None);
}

void ApplicationTest::installedProgramKeepsSettingsInTheUserFolder()
{
    // Run as root, an installed program could write beside itself; it must not.
    QTemporaryDir installed;
    QTemporaryDir home;
    ConfigHome configHome(home.path());
    const QString beside = installed.path() + QLatin1Char('/');
    QCOMPARE(portSettingsDirectory(beside, installed.path()),
             home.filePath(QStringLiteral("zrt48210")) + QLatin1Char('/'));
    QCOMPARE(portSettingsDirectory(beside, home.path()), beside);
    QCOMPARE(portSettingsDirectory(beside), beside);
    QVERIFY(QDir(installed.path()).entryList(QDir::Files | QDir::Hidden).isEmpty());
}

void ApplicationTest::commandLineWithoutADisplay_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<int>("exitCode");
    QTest::addColumn<QString>("stdoutHas");
    QTest::addColumn<QString>("stderrHas");
    QTest::newRow("help") << QStringList{QStringLiteral("--help")} << 0
                          << "Usage: zrt48210 [options]" << "";
    QTest::newRow("short help") << QStringList{QStringLiteral("-h")} << 0 << "--port COMn=DEVICE"
                                << "";
    QTest::newRow("version") << QStringList{QStringLiteral("--version")} << 0
                             << "zrt48210 " ZRT_VERSION "\n" << "";
    QTest::newRow("unknown option") << QStringList{QStringLiteral("--colour")} << 2 << ""
                                    << "Unknown option 'colour'";
    QTest::newRow("stray argument") << QStringList{QStringLiteral("settings.txt")} << 2 << ""
                                    << "unexpected argument 'settings.txt'";
    QTest::newRow("bad binding") << QStringList{QStringLiteral("--port"), QStringLiteral("COM0=x")}
                                 << 2 << "" << "expected COMn=DEVICE";
    QTest::newRow("missing value") << QStringList{QStringLiteral("--port")} << 2 << ""
                                   << "Missing value after '--port'";
    QTest::newRow("help names the log") << QStringList{QStringLiteral("--help")} << 0
                                        << "--log FILE" << "";
    QTest::newRow("log twice") << QStringList{"--log", "a.log", "--log", "b.log"} << 2 << ""
                               << "--log may be given once";
}

void ApplicationTest::commandLineWithoutADisplay()
{
    QFETCH(QStringList, arguments);
    QFETCH(int, exitCode);
    QFETCH(QString, stdoutHas);
    QFETCH(QString, stderrHas);
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(QString::fromLatin1(name));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZRT_EXECUTABLE), arguments);
    QVERIFY(process.waitForFinished(10000));
    const QString out = QString::fromLocal8Bit(process.readAllStandardOutput());
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), exitCode);
    QVERIFY2(out.contains(stdoutHas), qPrintable(out));
    QVERIFY2(err.contains(stderrHas), qPrintable(err));
    QVERIFY2(exitCode == 0 ? err.isEmpty() : out.isEmpty(), qPrintable(out + err));
}

void ApplicationTest::japaneseUnlessEnglishIsAsked()
{
    QCOMPARE(parseWindowCommandLine({QStringLiteral("zrt48210")}).language, QStringLiteral("ja"));
    QCOMPARE(parseWindowCommandLine({QStringLiteral("zrt48210"), QStringLiteral("--lang"),
                                     QStringLiteral("en")})
                 .language,
             QStringLiteral("en"));
    QCOMPARE(parseWindowCommandLine({QStringLiteral("zrt48210"), QStringLiteral("--lang=de")})
                 .action,
             WindowCommandLine::Action::Refuse);

    // An English system changes nothing by itself.
    const QLocale before;
    QLocale::setDefault(QLocale(QLocale::English, QLocale::UnitedStates));
    QTranslator *japanese = installLanguage(QStringLiteral("ja"), qApp);
    {
        FakeChannel channel;
        AppFixture fixture(&channel);
        QVERIFY(fixture.start());
        QCOMPARE(fixture.window()->windowTitle(),
                 QStringLiteral("ZRT48210設定プログラム  Ver. 1.02"));
        QCOMPARE(fixture.button("cmdPort")->text(), QStringLiteral("接続"));
    }
    QCoreApplication::removeTranslator(japanese);
    QLocale::setDefault(before);

    QTranslator *english = installLanguage(QStringLiteral("en"), qApp);
    QVERIFY(english);
    FakeChannel channel;
    AppFixture fixture(&channel, {QStringLiteral("COM1=fake")});
    QVERIFY(fixture.start());
    QCOMPARE(fixture.window()->windowTitle(), QStringLiteral("ZRT48210 Settings  Ver. 1.02"));
    QCOMPARE(fixture.button("cmdPort")->text(), QStringLiteral("Connect"));
    QCOMPARE(fixture.list("cmbTYPE")->itemText(1), QStringLiteral("Master"));
    fixture.window()->showLinkStatus(LinkStatus::NoAnswer);
    QCOMPARE(fixture.label("lblStat")->text(), QStringLiteral("Error: the unit does not answer."));
    fixture.link()->connectUnit();
    QTRY_VERIFY(!channel.written.isEmpty());
    channel.receive("ZRT48220\r\n");
    QTRY_COMPARE(fixture.label("lblUnitVer1")->text(), QStringLiteral("Analog input unit"));
    // The settings file keeps its Japanese kind line: it is data, not a text on the screen.
    const QString saved = fixture.dir.filePath(QStringLiteral("en.txt"));
    fixture.window()->saveSettings(saved);
    QFile file(saved);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readLine(), QByteArray::fromHex("83418369838d834f8386836a83628367") + "\r\n");
    QCoreApplication::removeTranslator(english);
}

void ApplicationTest::logFileThatCannotBeOpenedIsRefused()
{
    QTemporaryDir runtime;
    const QString log = runtime.filePath(QStringLiteral("no/such/folder/traffic.log"));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), runtime.path());
    environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("offscreen"));
    QProcess process;
    process.setProcessEnvironment(environment);
    process.start(QStringLiteral(ZRT_EXECUTABLE), {QStringLiteral("--log"), log});
    QVERIFY(process.waitForFinished(10000));
    QCOMPARE(process.exitStatus(), QProcess::NormalExit);
    QCOMPARE(process.exitCode(), 2);
    const QString err = QString::fromLocal8Bit(process.readAllStandardError());
    QVERIFY2(err.contains(QStringLiteral("--log ") + log + QStringLiteral(": ")), qPrintable(err));
    // Refused before the window: the single-instance lock was never taken.
    QVERIFY(!QFile::exists(runtime.filePath(QStringLiteral("zrt48210.lock"))));
}

QTEST_MAIN(ApplicationTest)
#include "tst_application.moc"
