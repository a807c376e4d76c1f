#include "fakes/scratchdisk.h"
#include "file/systemini.h"

#include <QDir>

#include <QFile>
#include <QTemporaryDir>
#include <QTest>

// system.ini, byte for byte.
class PortSettingsTest : public QObject
{
    Q_OBJECT

private slots:
    void defaultsAreWrittenExactly();
    void writtenFileReadsBack();
    void reading_data();
    void reading();
    void missingFileGivesDefaults();
    void unwritableDirectoryIsIgnored();
    void fullOrReadOnlyDiskKeepsTheOldFile();
    void failedSyncStopsTheReplace();
};

namespace {
const QByteArray DefaultBytes = " 1 \r\n 38400 \r\nE\r\n 8 \r\n1\r\n";
}

void PortSettingsTest::defaultsAreWrittenExactly()
{
    QTemporaryDir dir;
    const QString path = portSettingsPath(dir.path() + QLatin1Char('/'));
    QVERIFY(path.endsWith(QLatin1String("/system.ini")));
    savePortSettings(path, PortSettings{});
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), DefaultBytes);
}

void PortSettingsTest::writtenFileReadsBack()
{
    PortSettings settings;
    settings.portNumber = 7;
    settings.baudRate = 9600;
    settings.parity = QStringLiteral("N");
    settings.dataBits = 7;
    settings.stopBits = QStringLiteral("2");
    const QByteArray bytes = formatPortSettings(settings);
    QCOMPARE(bytes, QByteArray(" 7 \r\n 9600 \r\nN\r\n 7 \r\n2\r\n"));
    QCOMPARE(parsePortSettings(bytes), settings);
    settings.baudRate = -5;
    QCOMPARE(formatPortSettings(settings).mid(5, 5), QByteArray("-5 \r\n"));
    QCOMPARE(parsePortSettings(formatPortSettings(settings)), settings);
}

void PortSettingsTest::reading_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<int>("port");      // expected; 1 with the other defaults means "defaults"
    QTest::addColumn<int>("baud");
    QTest::addColumn<QString>("parity");
    QTest::newRow("defaults") << DefaultBytes << 1 << 38400 << "E";
    QTest::newRow("blanks and lone LF") << QByteArray("  3\n 19200  \nO\n8\n1\n") << 3 << 19200
                                        << "O";
    QTest::newRow("quotes and commas") << QByteArray(" 4 , 9600\r\n\"N\"\r\n8\r\n\"1\"\r\n") << 4
                                       << 9600 << "N";
    QTest::newRow("four lines") << QByteArray(" 5 \r\n 9600 \r\nN\r\n 8 \r\n") << 1 << 38400
                                << "E";
    QTest::newRow("port 256") << QByteArray(" 256 \r\n 9600 \r\nN\r\n 8 \r\n1\r\n") << 1 << 38400
                              << "E";
    QTest::newRow("port 255 kept") << QByteArray(" 255 \r\n 9600 \r\nN\r\n 8 \r\n1\r\n") << 255
                                   << 9600 << "N";
    QTest::newRow("port 0 kept") << QByteArray(" 0 \r\n 9600 \r\nN\r\n 8 \r\n1\r\n") << 0 << 9600
                                 << "N";
    QTest::newRow("text for a number") << QByteArray(" 2 \r\n fast \r\nN\r\n 8 \r\n1\r\n") << 1
                                       << 38400 << "E";
    QTest::newRow("empty") << QByteArray() << 1 << 38400 << "E";
    QTest::newRow("binary") << QByteArray("\x00\xff\x01\r\n\x02", 6) << 1 << 38400 << "E";
}

void PortSettingsTest::reading()
{
    QFETCH(QByteArray, content);
    QFETCH(int, port);
    QFETCH(int, baud);
    QFETCH(QString, parity);
    const PortSettings settings = parsePortSettings(content);
    QCOMPARE(int(settings.portNumber), port);
    QCOMPARE(settings.baudRate, baud);
    QCOMPARE(settings.parity, parity);
}

void PortSettingsTest::missingFileGivesDefaults()
{
    QTemporaryDir dir;
    QCOMPARE(loadPortSettings(dir.filePath(QStringLiteral("system.ini"))), PortSettings{});
    // A directory where the file should be.
    QCOMPARE(loadPortSettings(dir.path()), PortSettings{});
}

void PortSettingsTest::unwritableDirectoryIsIgnored()
{
    QTemporaryDir dir;
    const QString readOnly = dir.filePath(QStringLiteral("ro"));
    QVERIFY(QDir().mkdir(readOnly));
    QFile::setPermissions(readOnly, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    const QString path = portSettingsPath(readOnly + QLatin1Char('/'));
    savePortSettings(path, PortSettings{});  // must neither throw nor crash
    if (QFile::exists(path))
        QSKIP("running with rights that ignore directory permissions");
    QVERIFY(!QFile::exists(path));
}

void PortSettingsTest::fullOrReadOnlyDiskKeepsTheOldFile()
{
    PortSettings changed;
    changed.portNumber = 4;
    for (const bool readOnly : {false, true}) {
        ScratchDisk disk;
        if (!disk.isMounted())
            QSKIP(qPrintable(disk.skipReason()));
        const QString path = portSettingsPath(disk.root() + QLatin1Char('/'));
        QVERIFY(savePortSettings(path, PortSettings{}).ok);
        QVERIFY(readOnly ? disk.makeReadOnly() : disk.fill());
        const FileWriteResult result = savePortSettings(path, changed);
        QVERIFY(!result.ok);
        QVERIFY2(!result.reason.isEmpty(), "the system's reason is kept");
        QFile file(path);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), DefaultBytes);
        QCOMPARE(QDir(disk.root()).entryList(QDir::Files | QDir::Hidden).size(),
                 readOnly ? 1 : 2);
    }
}

// Some file systems report a full disk only when the bytes are synced: the rename must not
// follow.
void PortSettingsTest::failedSyncStopsTheReplace()
{
    QTemporaryDir dir;
    const QString path = portSettingsPath(dir.path() + QLatin1Char('/'));
    QVERIFY(savePortSettings(path, PortSettings{}).ok);
    int synced = 0;
    const FileWriteResult result = replaceFile(path, "new", [&synced](int) {
        ++synced;
        return QStringLiteral("No space left on device");
    });
    QCOMPARE(synced, 1);
    QVERIFY(!result.ok);
    QCOMPARE(result.reason, QStringLiteral("No space left on device"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    QCOMPARE(file.readAll(), DefaultBytes);
    QCOMPARE(QDir(dir.path()).entryList(QDir::Files | QDir::Hidden),
             QStringList{QStringLiteral("system.ini")});
}

QTEST_GUILESS_MAIN(PortSettingsTest)
#include "tst_systemini.moc"
