#include "fakes/scratchdisk.h"
#include "link/trafficlog.h"

#include <QFile>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

// The record of the line: rows as a technician reads them, the bound, and the log file.
class TrafficLogTest : public QObject
{
    Q_OBJECT

private slots:
    void rowsFollowTheLine();
    void linesAreJoinedAcrossReadsAndCutWhenTooLong();
    void portsSharingTheLogKeepTheirLinesApart();
    void oldestRowsDropOffAtTheBound();
    void fileGetsTheSameRows();
    void fullDiskStopsTheFileWithAReason();

private:
    static TrafficEvent event(TrafficEvent::Kind kind, const QByteArray &bytes = {},
                              const QString &reason = {}, int attempt = 0)
    {
        TrafficEvent e;
        e.kind = kind;
        e.device = QStringLiteral("/dev/ttyUSB0");
        e.bytes = bytes;
        e.reason = reason;
        e.attempt = attempt;
        return e;
    }
    static QStringList texts(const TrafficLog &log)
    {
        QStringList list;
        for (const TrafficRow &row : log.rows())
            list << TrafficLog::directionName(row.direction) + QLatin1Char('|') + row.text;
        return list;
    }
};

using Kind = TrafficEvent::Kind;

void TrafficLogTest::rowsFollowTheLine()
{
    TrafficLog log;
    log.record(event(Kind::OpenFailed, {}, QStringLiteral("Permission denied")));
    log.record(event(Kind::Opened));
    log.record(event(Kind::Sent, "@UVER\r\n"));
    log.record(event(Kind::Received, "ZRT48210\r\nVer1.02\r\n"));
    log.record(event(Kind::Sent, "@MODE1\r\n"));
    log.record(event(Kind::Resent, "@MODE1\r\n", {}, 1));
    log.record(event(Kind::GaveUp));
    log.record(event(Kind::Unrequested, "\x1b\xff" "x\t"));
    log.record(event(Kind::ReplyCut));
    log.record(event(Kind::Lost, {}, QStringLiteral("Input/output error")));
    log.record(event(Kind::Closed));
    QCOMPARE(texts(log), (QStringList{
                             "|ポートを開けません：Permission denied",
                             "|ポートを開きました",
                             "送信|@UVER<CR><LF>",
                             "受信|ZRT48210<CR><LF>",
                             "受信|Ver1.02<CR><LF>",
                             "送信|@MODE1<CR><LF>",
                             "|再送 1/3：@MODE1<CR><LF>",
                             "|応答がないため中止しました",
                             "受信|<1B><FF>x<TAB>（要求していない受信のため破棄）",
                             "|応答が長すぎるため破棄しました",
                             "|ポートが失われました：Input/output error",
                             "|ポートを閉じました",
                         }));
    for (const TrafficRow &row : log.rows())
        QCOMPARE(row.port, QStringLiteral("/dev/ttyUSB0"));
}

void TrafficLogTest::linesAreJoinedAcrossReadsAndCutWhenTooLong()
{
    TrafficLog log;
    log.record(event(Kind::Received, "ZRT48"));
    const QDateTime firstByte = QDateTime::currentDateTime();
    QTest::qWait(20);  // a later read: the row keeps the time of the line's first byte
    log.record(event(Kind::Received, "210\r"));
    log.record(event(Kind::Received, "\nAC"));
    QCOMPARE(texts(log), QStringList{"受信|ZRT48210<CR><LF>"});
    QVERIFY(qAbs(log.rows().first().time.msecsTo(firstByte)) < 15);
    // A line the unit never finished is shown when the link moves on.
    log.record(event(Kind::Sent, "@DISP\r\n"));
    QCOMPARE(texts(log).mid(1), (QStringList{"受信|AC", "送信|@DISP<CR><LF>"}));

    // A stream without line ends costs one row of bounded size.
    log.clear();
    for (int i = 0; i < 16; ++i)
        log.record(event(Kind::Received, QByteArray(64 * 1024, 'x')));
    log.record(event(Kind::GaveUp));
    QCOMPARE(log.rows().size(), 2);
    QCOMPARE(log.rows().first().text,
             QString(TrafficLog::MaxShownBytes, QLatin1Char('x'))
                 + QStringLiteral("…（ほか %1 バイト）").arg(16 * 64 * 1024 - TrafficLog::MaxShownBytes));
}

void TrafficLogTest::portsSharingTheLogKeepTheirLinesApart()
{
    auto on = [](const char *port, Kind kind, const QByteArray &bytes) {
        TrafficEvent e = event(kind, bytes);
        e.device = QString::fromLatin1(port);
        return e;
    };
    TrafficLog log;
    log.record(on("/dev/ttyUSB0", Kind::Received, "ZRT48"));
    log.record(on("/dev/ttyUSB1", Kind::Received, "AC"));
    log.record(on("/dev/ttyUSB1", Kind::Sent, "@MODE1\r\n"));  // ends USB1's line, not USB0's
    log.record(on("/dev/ttyUSB0", Kind::Received, "210\r\n"));
    QCOMPARE(texts(log),
             (QStringList{"受信|AC", "送信|@MODE1<CR><LF>", "受信|ZRT48210<CR><LF>"}));
    QCOMPARE(log.rows().at(0).port, QStringLiteral("/dev/ttyUSB1"));
    QCOMPARE(log.rows().at(2).port, QStringLiteral("/dev/ttyUSB0"));
}

void TrafficLogTest::oldestRowsDropOffAtTheBound()
{
    TrafficLog log;
    QSignalSpy dropped(&log, &TrafficLog::rowsDropped);
    for (int i = 0; i < TrafficLog::MaxRows + 5; ++i)
        log.record(event(Kind::Sent, "@MYID" + QByteArray::number(i) + "\r\n"));
    QCOMPARE(log.rows().size(), TrafficLog::MaxRows);
    QCOMPARE(log.rows().first().text, QStringLiteral("@MYID5<CR><LF>"));
    QCOMPARE(log.rows().last().text, QStringLiteral("@MYID10004<CR><LF>"));
    QCOMPARE(dropped.size(), 5);
}

void TrafficLogTest::fileGetsTheSameRows()
{
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("traffic.log"));
    QFile old(path);
    QVERIFY(old.open(QIODevice::WriteOnly));
    QCOMPARE(old.write("earlier run\n"), 12);
    old.close();

    TrafficLog log;
    QString reason;
    QVERIFY(log.appendTo(path, &reason));
    log.record(event(Kind::Sent, "@UERR\r\n"));
    log.record(event(Kind::Received, "Err0000\r\n"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QList<QByteArray> lines = file.readAll().split('\n');
    QCOMPARE(lines.size(), 4);
    QCOMPARE(lines.at(0), QByteArray("earlier run"));
    QCOMPARE(QString::fromUtf8(lines.at(1)), TrafficLog::formatRow(log.rows().at(0)));
    QCOMPARE(QString::fromUtf8(lines.at(2)), TrafficLog::formatRow(log.rows().at(1)));
    QVERIFY(lines.at(3).isEmpty());
    QVERIFY(QString::fromUtf8(lines.at(2)).endsWith(
        QStringLiteral("\t/dev/ttyUSB0\t受信\tErr0000<CR><LF>")));
    QVERIFY(QDateTime::fromString(QString::fromUtf8(lines.at(1)).section(u'\t', 0, 0),
                                  QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz")).isValid());

    QVERIFY(!log.appendTo(dir.filePath(QStringLiteral("no/such/folder/x.log")), &reason));
    QVERIFY(!reason.isEmpty());
}

void TrafficLogTest::fullDiskStopsTheFileWithAReason()
{
    ScratchDisk disk;
    if (!disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    TrafficLog log;
    QString reason;
    QVERIFY(log.appendTo(disk.path(QStringLiteral("traffic.log")), &reason));
    QVERIFY(disk.fill());
    QSignalSpy failed(&log, &TrafficLog::fileFailed);
    for (int i = 0; i < 3; ++i)
        log.record(event(Kind::Sent, "@DISP\r\n"));
    QCOMPARE(failed.size(), 1);
    QVERIFY(!failed.first().first().toString().isEmpty());
    // The rows themselves are kept.
    QCOMPARE(log.rows().size(), 3);
}

QTEST_GUILESS_MAIN(TrafficLogTest)
#include "tst_trafficlog.moc"
