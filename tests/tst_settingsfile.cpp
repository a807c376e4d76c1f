#include "fakes/appfixture.h"
#include "fakes/fakechannel.h"
#include "fakes/scratchdisk.h"
#include "file/settingsfile.h"
#include "settings/unitsettings.h"
#include "ui/directionbutton.h"
#include "ui/mainwindow.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTest>

// Saving the window's values to a file and loading them back.
class SettingsFileTest : public QObject
{
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void defaultDigitalFileIsExact();
    void analogExampleIsExact();
    void menusAskForAFileName();
    void cancelledDialogsDoNothing();
    void overwriteAsksFirst();
    void failedSaveKeepsTheOldFile();
    void fullDiskKeepsTheOldFileAndReportsIt();
    void roundTrips_data();
    void roundTrips();
    void fileOfTheOtherKindSwitchesTheTab();
    void blankLinesBetweenItemsAreIgnored();
    void unknownKeyStopsTheLoad();
    void refusedLastItemIsReported();
    void kindLineAloneChangesOnlyTheTab();
    void badFilesAreRefusedCleanly_data();
    void badFilesAreRefusedCleanly();
    void hugeFilesStopAtTheFirstRefusedItem();
    void itemsFollowCommasAndQuotes();
    void refusalNamesItsLineAndRule_data();
    void refusalNamesItsLineAndRule();

private:
    QString path(const char *name) const { return m_fixture->dir.filePath(QLatin1String(name)); }
    static bool writeFile(const QString &path, const QByteArray &bytes);
    QByteArray readFile(const QString &path);
    QByteArray save();
    MainWindow *window() const { return m_fixture->window(); }
    QString lastMessage() const
    {
        return m_fixture->prompter.shown.isEmpty() ? QString()
                                                   : m_fixture->prompter.shown.last().text;
    }
    static bool makeUnwritable(const QString &directory);
    static void makeWritable(const QString &directory);

    FakeChannel *m_channel = nullptr;
    AppFixture *m_fixture = nullptr;
};

namespace {

const QByteArray DigitalKind = QByteArray::fromHex("83668357835e838b8386836a83628367");
const QByteArray AnalogKind = QByteArray::fromHex("83418369838d834f8386836a83628367");
const QByteArray DefaultBody = "TYPE=0\r\nMODE=0\r\nMYID=001\r\nSNUM=001\r\nFRCH=0\r\nFRBD=0\r\n"
                               "HOLD=0\r\nDIVR=0\r\nPDIR=0000\r\nLOGI=0\r\nAUIO=0\r\nADSL=0\r\n"
                               "DASL=0\r\nREPT=0\r\nETIM=005\r\nPTIM=000\r\nDOUT=0\r\n\r\n";
const QByteArray AnalogBody = "TYPE=0\r\nMODE=1\r\nMYID=012\r\nSNUM=001\r\nFRCH=3\r\nFRBD=1\r\n"
                              "HOLD=1\r\nDIVR=0\r\nPDIR=1000\r\nLOGI=0\r\nAUIO=0\r\nADSL=1\r\n"
                              "DASL=0\r\nREPT=1\r\nETIM=010\r\nPTIM=005\r\nDOUT=1\r\n\r\n";

} // namespace

void SettingsFileTest::init()
{
    m_channel = new FakeChannel;
    m_fixture = new AppFixture(m_channel);
    QVERIFY(m_fixture->start());
}

void SettingsFileTest::cleanup()
{
    delete m_fixture;
    delete m_channel;
}

bool SettingsFileTest::writeFile(const QString &path, const QByteArray &bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        && file.write(bytes) == bytes.size() && file.flush();
}

QByteArray SettingsFileTest::readFile(const QString &path)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return file.readAll();
}

QByteArray SettingsFileTest::save()
{
    const QString target = path("saved.txt");
    QFile::remove(target);
    window()->saveSettings(target);
    return readFile(target);
}

void SettingsFileTest::defaultDigitalFileIsExact()
{
    const QByteArray bytes = save();
    QCOMPARE(bytes.size(), 167);
    QCOMPARE(bytes, DigitalKind + "\r\n" + DefaultBody);
    QVERIFY(m_fixture->prompter.shown.isEmpty());
}

void SettingsFileTest::analogExampleIsExact()
{
    window()->selectTab(AnalogTab);
    for (const char *line : {"MODE=1", "MYID=012", "FRCH=3", "FRBD=1", "HOLD=1", "ADSL=1",
                             "REPT=1", "ETIM=010", "PTIM=005", "DOUT=1"}) {
        QVERIFY(window()->applyParameterLine(QString::fromLatin1(line)));
    }
    m_fixture->find<DirectionButton>(QStringLiteral("cmdAUIO_0"))->click();
    QCOMPARE(save(), AnalogKind + "\r\n" + AnalogBody);
}

void SettingsFileTest::menusAskForAFileName()
{
    m_fixture->prompter.fileNames << path("menu.txt") << path("menu.txt");
    m_fixture->find<QAction>(QStringLiteral("mnuSave"))->trigger();
    QCOMPARE(readFile(path("menu.txt")).size(), 167);
    window()->applyParameterLine(QStringLiteral("MODE=5"));
    m_fixture->find<QAction>(QStringLiteral("mnuOpen"))->trigger();
    QCOMPARE(window()->settings().listIndex(ParameterKey::MODE), 0);

    QCOMPARE(m_fixture->prompter.fileRequests.size(), 2);
    const auto &saveRequest = m_fixture->prompter.fileRequests.at(0);
    QCOMPARE(saveRequest.title, QStringLiteral("保存"));
    QCOMPARE(saveRequest.directory, m_fixture->directory());
    QCOMPARE(saveRequest.filter,
             QStringLiteral("すべてのファイル（*.*）|*|テキストファイル（*.txt）|*.txt"));
    QCOMPARE(saveRequest.defaultSuffix, QStringLiteral("txt"));
    QCOMPARE(m_fixture->prompter.fileRequests.at(1).title, QStringLiteral("読込"));
}

void SettingsFileTest::cancelledDialogsDoNothing()
{
    window()->applyParameterLine(QStringLiteral("MODE=5"));
    m_fixture->find<QAction>(QStringLiteral("mnuSave"))->trigger();
    m_fixture->find<QAction>(QStringLiteral("mnuOpen"))->trigger();
    QCOMPARE(m_fixture->prompter.fileRequests.size(), 2);
    QVERIFY(m_fixture->prompter.shown.isEmpty());
    QCOMPARE(window()->settings().listIndex(ParameterKey::MODE), 5);
    QCOMPARE(QDir(m_fixture->dir.path()).entryList(QDir::Files),
             QStringList{QStringLiteral("zrt48210.lock")});
}

void SettingsFileTest::overwriteAsksFirst()
{
    const QString target = path("old.txt");
    QVERIFY(writeFile(target, "old bytes"));
    m_fixture->prompter.answers << Prompter::Answer::Cancel;
    window()->saveSettings(target);
    QCOMPARE(m_fixture->prompter.shown.size(), 1);
    QCOMPARE(lastMessage(), QStringLiteral("ファイルが既に存在します。\r\n上書きしますか？"));
    QCOMPARE(m_fixture->prompter.shown.last().title, QStringLiteral("保存確認"));
    QCOMPARE(m_fixture->prompter.shown.last().buttons, Prompter::Buttons::OkCancel);
    QCOMPARE(readFile(target), QByteArray("old bytes"));

    m_fixture->prompter.answers << Prompter::Answer::Ok;
    window()->saveSettings(target);
    QCOMPARE(readFile(target).size(), 167);

    // A hidden file is asked about as well: replacing it unasked would lose it.
    const QString hidden = path(".hidden.txt");
    QVERIFY(writeFile(hidden, "keep"));
    m_fixture->prompter.answers << Prompter::Answer::Cancel;
    window()->saveSettings(hidden);
    QCOMPARE(readFile(hidden), QByteArray("keep"));
}

void SettingsFileTest::failedSaveKeepsTheOldFile()
{
    // A directory in the way.
    window()->saveSettings(m_fixture->dir.path());
    QCOMPARE(lastMessage(), QStringLiteral("ファイルに保存できません。"));
    QCOMPARE(m_fixture->prompter.shown.last().title, QStringLiteral("保存エラー"));
    QCOMPARE(m_fixture->prompter.shown.last().buttons, Prompter::Buttons::Ok);

    // A file in a directory that can no longer be written.
    const QString lockedDir = path("locked");
    QVERIFY(QDir().mkdir(lockedDir));
    const QString target = lockedDir + QStringLiteral("/old.txt");
    QVERIFY(writeFile(target, "old bytes"));
    if (!makeUnwritable(lockedDir))
        QSKIP("cannot make a directory unwritable here");
    m_fixture->prompter.shown.clear();
    window()->saveSettings(target);
    makeWritable(lockedDir);
    QCOMPARE(m_fixture->prompter.shown.size(), 2);  // the overwrite question, then the failure
    QCOMPARE(lastMessage(), QStringLiteral("ファイルに保存できません。"));
    QCOMPARE(readFile(target), QByteArray("old bytes"));
}

void SettingsFileTest::fullDiskKeepsTheOldFileAndReportsIt()
{
    ScratchDisk disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString old = disk.path(QStringLiteral("old.txt"));
    QVERIFY(writeFile(old, "old bytes"));
    QVERIFY(disk.fill());

    // Overwriting: asked first (answered OK), then the failure; the old bytes stay.
    window()->saveSettings(old);
    QCOMPARE(m_fixture->prompter.shown.size(), 2);
    QCOMPARE(m_fixture->prompter.shown.first().title, QStringLiteral("保存確認"));
    QCOMPARE(lastMessage(), QStringLiteral("ファイルに保存できません。"));
    QCOMPARE(m_fixture->prompter.shown.last().title, QStringLiteral("保存エラー"));
    QCOMPARE(readFile(old), QByteArray("old bytes"));

    // A new file is reported and not left behind empty.
    m_fixture->prompter.shown.clear();
    const QString fresh = disk.path(QStringLiteral("new.txt"));
    window()->saveSettings(fresh);
    QCOMPARE(m_fixture->prompter.shown.size(), 1);
    QCOMPARE(lastMessage(), QStringLiteral("ファイルに保存できません。"));
    QVERIFY(!QFile::exists(fresh));
    // Nor any temporary file.
    QCOMPARE(QDir(disk.root()).entryList(QDir::Files | QDir::Hidden),
             (QStringList{QStringLiteral("filler"), QStringLiteral("old.txt")}));
}

// Permissions first; root ignores them, so then the immutable attribute.
bool SettingsFileTest::makeUnwritable(const QString &directory)
{
    QFile::setPermissions(directory, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    if (!QFile(directory + QStringLiteral("/probe")).open(QIODevice::WriteOnly))
        return true;
    QFile::remove(directory + QStringLiteral("/probe"));
    return QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), directory}) == 0
        && !QFile(directory + QStringLiteral("/probe")).open(QIODevice::WriteOnly);
}

void SettingsFileTest::makeWritable(const QString &directory)
{
    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), directory});
    QFile::setPermissions(directory, QFile::permissions(directory) | QFileDevice::WriteOwner);
}

void SettingsFileTest::roundTrips_data()
{
    QTest::addColumn<int>("tab");
    QTest::addColumn<int>("role");
    QTest::addColumn<QString>("ownId");
    for (int tab : {DigitalTab, AnalogTab}) {
        const char *tabName = tab == DigitalTab ? "digital" : "analog";
        QTest::addRow("%s slave", tabName) << tab << int(Role::Slave) << "137";
        QTest::addRow("%s master", tabName) << tab << int(Role::Master) << "000";
        QTest::addRow("%s repeater", tabName) << tab << int(Role::Repeater) << "220";
    }
}

void SettingsFileTest::roundTrips()
{
    QFETCH(int, tab);
    QFETCH(int, role);
    QFETCH(QString, ownId);
    window()->selectTab(tab);
    const QStringList lines{"MODE=4", "SNUM=199", "FRCH=6", "FRBD=3", "HOLD=1", "DIVR=1",
                            "PDIR=1010", "LOGI=1", "AUIO=1", "ADSL=1", "DASL=1", "REPT=1",
                            "ETIM=254", "PTIM=099", "DOUT=1"};
    for (const QString &line : lines)
        QVERIFY(window()->applyParameterLine(line));
    window()->applyParameterLine(QStringLiteral("TYPE=%1").arg(role));
    QVERIFY(window()->applyParameterLine(QStringLiteral("MYID=") + ownId));
    const QByteArray saved = save();

    // Back to the defaults, then load.
    window()->showSettings(UnitSettings());
    window()->selectTab(1 - tab);
    window()->loadSettings(path("saved.txt"));
    QVERIFY2(m_fixture->prompter.shown.isEmpty(), qPrintable(lastMessage()));
    QCOMPARE(window()->selectedTab(), tab);
    QCOMPARE(window()->settings().fieldText(ParameterKey::MYID), ownId);
    QCOMPARE(window()->settings().listIndex(ParameterKey::TYPE), role);
    QCOMPARE(save(), saved);
}

void SettingsFileTest::fileOfTheOtherKindSwitchesTheTab()
{
    QVERIFY(writeFile(path("analog.txt"), AnalogKind + "\r\n" + AnalogBody));
    window()->loadSettings(path("analog.txt"));
    QVERIFY(m_fixture->prompter.shown.isEmpty());
    QCOMPARE(window()->selectedTab(), AnalogTab);
    // On the analog tab PDIR's first two characters come from the analog buttons.
    QCOMPARE(save(), AnalogKind + "\r\n" + AnalogBody);
}

void SettingsFileTest::blankLinesBetweenItemsAreIgnored()
{
    QByteArray bytes = AnalogKind + "\r\n" + AnalogBody;
    bytes.replace("MODE=1\r\n", "\r\n\r\nMODE=1\r\n\r\n");
    QVERIFY(writeFile(path("blank.txt"), bytes));
    window()->loadSettings(path("blank.txt"));
    QVERIFY(m_fixture->prompter.shown.isEmpty());
    QCOMPARE(window()->settings().listIndex(ParameterKey::DOUT), 1);
}

void SettingsFileTest::unknownKeyStopsTheLoad()
{
    QByteArray bytes = AnalogKind + "\r\n" + AnalogBody;
    bytes.replace("HOLD=1", "XXXX=1");  // line 8
    QVERIFY(writeFile(path("unknown.txt"), bytes));
    window()->loadSettings(path("unknown.txt"));
    QCOMPARE(lastMessage(), QStringLiteral("ファイルから読込できません。"));
    QCOMPARE(m_fixture->prompter.shown.last().title, QStringLiteral("読込エラー"));
    QCOMPARE(window()->settings().listIndex(ParameterKey::FRBD), 1);  // line 7 applied
    QCOMPARE(window()->settings().listIndex(ParameterKey::DIVR), 0);  // line 9 not
    QCOMPARE(window()->settings().listIndex(ParameterKey::DOUT), 0);
}

void SettingsFileTest::refusedLastItemIsReported()
{
    QByteArray bytes = DigitalKind + "\r\n" + DefaultBody;
    bytes.chop(2);  // no empty last line: DOUT is the last item
    bytes.replace("DOUT=0", "DOUT=7");
    QVERIFY(writeFile(path("last.txt"), bytes));
    window()->loadSettings(path("last.txt"));
    QCOMPARE(lastMessage(), QStringLiteral("ファイルから読込できません。"));
}

void SettingsFileTest::kindLineAloneChangesOnlyTheTab()
{
    window()->applyParameterLine(QStringLiteral("MODE=2"));
    QVERIFY(writeFile(path("kind.txt"), AnalogKind + "\r\n"));
    window()->loadSettings(path("kind.txt"));
    QVERIFY(m_fixture->prompter.shown.isEmpty());
    QCOMPARE(window()->selectedTab(), AnalogTab);
    QCOMPARE(window()->settings().listIndex(ParameterKey::MODE), 2);
}

void SettingsFileTest::badFilesAreRefusedCleanly_data()
{
    QTest::addColumn<QByteArray>("content");  // empty: no file at all
    QTest::addColumn<QString>("message");
    QTest::addColumn<bool>("tabChanges");
    const QString wrongFormat = QStringLiteral("ファイル形式が違います。");
    const QString unreadable = QStringLiteral("ファイルから読込できません。");
    QTest::newRow("missing") << QByteArray() << "ファイルが存在しません。" << false;
    QTest::newRow("other first line") << QByteArray("TYPE=0\r\nMODE=1\r\n") << wrongFormat << false;
    QTest::newRow("binary") << QByteArray("\x7f" "ELF\x02\x01\x00\xff\xfe", 9) << wrongFormat
                            << false;
    QTest::newRow("invalid Shift-JIS") << QByteArray("\x83\x66\x83\r\nTYPE=0\r\n") << wrongFormat
                                       << false;
    QTest::newRow("NUL in an item") << AnalogKind + "\r\nMODE=\0" "1\r\nTYPE=1\r\n" << unreadable
                                    << true;
    QTest::newRow("empty file") << QByteArray("\r\n") << wrongFormat << false;
}

void SettingsFileTest::badFilesAreRefusedCleanly()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, message);
    QFETCH(bool, tabChanges);
    window()->applyParameterLine(QStringLiteral("MODE=3"));
    const QString target = path("bad.txt");
    if (!content.isEmpty())
        QVERIFY(writeFile(target, content));
    window()->loadSettings(target);
    QCOMPARE(m_fixture->prompter.shown.size(), 1);
    QCOMPARE(lastMessage(), message);
    QCOMPARE(m_fixture->prompter.shown.last().title, QStringLiteral("読込エラー"));
    QCOMPARE(window()->selectedTab(), tabChanges ? AnalogTab : DigitalTab);
    QCOMPARE(window()->settings().listIndex(ParameterKey::MODE), 3);
    QCOMPARE(window()->settings().listIndex(ParameterKey::TYPE), 0);
}

void SettingsFileTest::hugeFilesStopAtTheFirstRefusedItem()
{
    // 100 MB in one line after a good start: refused without being held in memory.
    const QString target = path("huge.txt");
    {
        QFile file(target);
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write(DigitalKind + "\r\nMODE=4\r\n");
        const QByteArray block(1024 * 1024, 'A');
        for (int i = 0; i < 100; ++i)
            QCOMPARE(file.write(block), block.size());
    }
    window()->loadSettings(target);
    QCOMPARE(lastMessage(), QStringLiteral("ファイルから読込できません。"));
    QCOMPARE(window()->settings().listIndex(ParameterKey::MODE), 4);

    // A directory chosen as the file.
    m_fixture->prompter.shown.clear();
    window()->loadSettings(m_fixture->dir.path());
    QCOMPARE(lastMessage(), QStringLiteral("ファイルが存在しません。"));
}

void SettingsFileTest::itemsFollowCommasAndQuotes()
{
    QVERIFY(writeFile(path("items.txt"),
              DigitalKind + "\r\n  \"MODE=3\",TYPE=1, MYID=000\r\n\"SNUM=5\"junk,FRBD=2\n"));
    window()->loadSettings(path("items.txt"));
    QVERIFY2(m_fixture->prompter.shown.isEmpty(), qPrintable(lastMessage()));
    QCOMPARE(window()->settings().listIndex(ParameterKey::MODE), 3);
    QCOMPARE(window()->settings().fieldText(ParameterKey::MYID), QStringLiteral("000"));
    QCOMPARE(window()->settings().fieldText(ParameterKey::SNUM), QStringLiteral("005"));
    QCOMPARE(window()->settings().listIndex(ParameterKey::FRBD), 2);
}

void SettingsFileTest::refusalNamesItsLineAndRule_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<int>("line");
    QTest::addColumn<QString>("reason");
    QTest::addColumn<QStringList>("applied");
    QTest::newRow("CR LF") << DigitalKind + "\r\nTYPE=0\r\nMODE=1\r\nPTIM=101\r\nSNUM=1\r\n" << 4
                           << "PTIM takes a number from 000 to 100, not '101'"
                           << QStringList{"TYPE", "MODE"};
    // Lone CR and lone LF end a line each; items after a comma stay on their line.
    QTest::newRow("mixed line ends and commas")
        << DigitalKind + "\rTYPE=0\nMODE=1,FRBD=1\r\n\r\nLOGI=1,PDIR=012\r\n" << 5
        << "PDIR takes four characters, each 0 or 1, not '012'"
        << QStringList{"TYPE", "MODE", "FRBD", "LOGI"};
    QTest::newRow("role own ID") << DigitalKind + "\r\nTYPE=0\r\nMYID=220\r\n" << 3
                                 << "own ID 220 belongs to a repeater (TYPE=2)"
                                 << QStringList{"TYPE"};
    QTest::newRow("kind line")
        << QByteArray("\r\nTYPE=0\r\n") << 1
        << "the first line is not a unit kind (デジタルユニット or アナログユニット)" << QStringList{};
}

void SettingsFileTest::refusalNamesItsLineAndRule()
{
    QFETCH(QByteArray, bytes);
    QFETCH(int, line);
    QFETCH(QString, reason);
    QFETCH(QStringList, applied);
    QVERIFY(writeFile(path("refused.txt"), bytes));
    UnitSettings values;
    LoadDetails details;
    QVERIFY(loadSettingsFile(path("refused.txt"), values, &details) != LoadOutcome::Loaded);
    QCOMPARE(details.line, line);
    QCOMPARE(details.reason, reason);
    QStringList keys;
    for (ParameterKey key : std::as_const(details.applied))
        keys << keyName(key);
    QCOMPARE(keys, applied);
}

QTEST_MAIN(SettingsFileTest)
#include "tst_settingsfile.moc"
