#include "fakes/pgserver.h"
#include "file/settingsfile.h"
#include "station/plantrecord.h"
#include "station/station.h"
#include "unitsim/ptyunit.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QSignalSpy>
#include <QSqlDatabase>
#include <QSqlError>
#include <QScopeGuard>
#include <QSqlQuery>
#include <QTemporaryDir>
#include <QTest>

#include <memory>
#include <vector>

// A plant's record in a real PostgreSQL server, started for this test: what is refused before
// anything is written, own IDs shared by two stations, rows kept aside while the server is
// away, a station stopped, restarted or an adapter pulled while the database is slow, and the
// export.
class PlantRecordTest : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void cleanup();

    void refusedBeforeAnythingIsWritten_data();
    void refusedBeforeAnythingIsWritten();
    void twoStationsNeverGiveOneOwnIdTwice();
    void rowsWaitWhileTheServerIsAwayAndArriveOnce();
    void interruptedWhileTheDatabaseAnswers_data();
    void interruptedWhileTheDatabaseAnswers();
    void exportIsTheStationsCsv();

private:
    // A settings file of the factory defaults with `serial` as SNUM; its job is its name.
    QString settingsFile(const QString &name, int serial = 1);
    PlantJob jobOf(const QString &settingsPath, const QString &name, int from = 11);
    // A station on this server's record, own IDs in sequence from 11.
    StationSetup stationSetup(const QString &settingsPath) const;
    // One number the database answers; -1 when the query fails.
    int number(const QString &sql);
    bool sql(const QString &statement);
    static QList<QByteArray> ownIdsSent(const std::vector<std::unique_ptr<PtyUnit>> &units);

    PgServer m_server;
    QTemporaryDir m_dir;
};

void PlantRecordTest::initTestCase()
{
    // Rows kept aside go under the data folder: this test's own.
    qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
    QSqlDatabase db = QSqlDatabase::addDatabase(QStringLiteral("QPSQL"));
    db.setHostName(m_server.folder());
    db.setDatabaseName(QStringLiteral("zrt"));
    db.setUserName(QStringLiteral("zrt"));
    QVERIFY2(db.open(), qPrintable(db.lastError().text()));
}

void PlantRecordTest::cleanup()
{
    sql(QStringLiteral("DROP TABLE IF EXISTS zrt_attempts, zrt_own_ids, zrt_jobs, zrt_schema"));
}

QString PlantRecordTest::settingsFile(const QString &name, int serial)
{
    UnitSettings values;
    values.applyLine(QStringLiteral("SNUM=%1").arg(serial, 3, 10, QLatin1Char('0')));
    const QString path = m_dir.filePath(name);
    QFile file(path);
    const QByteArray bytes = buildSettingsFile(values);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.flush())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

PlantJob PlantRecordTest::jobOf(const QString &settingsPath, const QString &name, int from)
{
    const JobSettings settings = loadJobSettings(settingsPath);
    PlantJob job;
    job.name = name;
    job.settingsFile = QFileInfo(settingsPath).fileName();
    job.sha256 = settings.sha256;
    job.kind = QStringLiteral("digital");
    job.ownIdRule = QStringLiteral("sequence");
    job.sequenceFrom = from;
    return job;
}

StationSetup PlantRecordTest::stationSetup(const QString &settingsPath) const
{
    StationSetup setup;
    setup.settingsPath = settingsPath;
    setup.recordPath = QStringLiteral("postgresql://zrt@/zrt?host=") + m_server.folder();
    setup.rule = OwnIdRule::Sequence;
    setup.sequenceFrom = 11;
    return setup;
}

int PlantRecordTest::number(const QString &statement)
{
    QSqlQuery query;
    return query.exec(statement) && query.next() ? query.value(0).toInt() : -1;
}

bool PlantRecordTest::sql(const QString &statement)
{
    return QSqlQuery().exec(statement);
}

QList<QByteArray> PlantRecordTest::ownIdsSent(const std::vector<std::unique_ptr<PtyUnit>> &units)
{
    QList<QByteArray> sent;
    for (const auto &unit : units) {
        for (const QByteArray &line : unit->simulator().receivedLines()) {
            if (line.startsWith("@MYID"))
                sent << line.mid(5);
        }
    }
    return sent;
}

void PlantRecordTest::refusedBeforeAnythingIsWritten_data()
{
    QTest::addColumn<QString>("url");       // {} stands for the server's folder
    QTest::addColumn<QString>("before");    // what the database holds first
    QTest::addColumn<int>("serial");        // of the settings file the job is joined with
    QTest::addColumn<int>("from");
    QTest::addColumn<QString>("reason");    // a part of why
    const QString url = QStringLiteral("postgresql://zrt@/zrt?host={}");
    QTest::newRow("password in the URL") << QStringLiteral("postgresql://zrt:secret@/zrt?host={}")
                                         << QString() << 1 << 11 << QStringLiteral("~/.pgpass");
    QTest::newRow("bad login") << QStringLiteral("postgresql://nobody@/zrt?host={}") << QString()
                               << 1 << 11 << QStringLiteral("\"nobody\"");
    QTest::newRow("unreachable") << QStringLiteral("postgresql://zrt@/zrt?host=/nonexistent")
                                 << QString() << 1 << 11 << QStringLiteral("接続できません");
    QTest::newRow("newer tables") << url << QStringLiteral("UPDATE zrt_schema SET version = 2")
                                  << 1 << 11 << QStringLiteral("版（2）");
    QTest::newRow("settings changed") << url << QString() << 2 << 11
                                      << QStringLiteral("SHA-256");
    QTest::newRow("another rule") << url << QString() << 1 << 21
                                  << QStringLiteral("開始番号 11");
}

void PlantRecordTest::refusedBeforeAnythingIsWritten()
{
    QFETCH(QString, url);
    QFETCH(QString, before);
    QFETCH(int, serial);
    QFETCH(int, from);
    QFETCH(QString, reason);
    url.replace(QLatin1String("{}"), m_server.folder());
    const QString good = QStringLiteral("postgresql://zrt@/zrt?host=") + m_server.folder();
    // A job begun by a first station, with file 1 and own IDs from 11.
    QString why;
    QVERIFY2(PlantRecord::open(good, jobOf(settingsFile(QStringLiteral("a.txt")),
                                           QStringLiteral("J")), &why),
             qPrintable(why));
    if (!before.isEmpty())
        QVERIFY(sql(before));
    const int jobs = number(QStringLiteral("SELECT count(*) FROM zrt_jobs"));
    const PlantJob second =
        jobOf(settingsFile(QStringLiteral("b.txt"), serial), QStringLiteral("J"), from);
    QVERIFY(!PlantRecord::open(url, second, &why));
    QVERIFY2(why.contains(reason), qPrintable(why));
    QCOMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_jobs")), jobs);
    QCOMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_own_ids")), 0);
}

// Two `watch` processes on one job, eight units each plugged in at once: sixteen own IDs, each
// once, with no gap, and sixteen rows.
void PlantRecordTest::twoStationsNeverGiveOneOwnIdTwice()
{
    const QString settings = settingsFile(QStringLiteral("job.txt"));
    std::vector<std::unique_ptr<PtyUnit>> units;
    for (const QString &bench : {QStringLiteral("a"), QStringLiteral("b")}) {
        QVERIFY(QDir().mkpath(m_dir.filePath(bench)));
        for (int i = 0; i < 8; ++i) {
            units.push_back(std::make_unique<PtyUnit>());
            QVERIFY(units.back()->openPty(m_dir.filePath(bench + QStringLiteral("/u%1").arg(i))));
        }
    }
    const QString url = QStringLiteral("postgresql://zrt@/zrt?host=") + m_server.folder();
    std::vector<std::unique_ptr<QProcess>> stations;
    for (const QString &bench : {QStringLiteral("a"), QStringLiteral("b")}) {
        auto station = std::make_unique<QProcess>();
        station->setProcessChannelMode(QProcess::ForwardedErrorChannel);
        station->start(QStringLiteral(ZRT_CLI),
                       {QStringLiteral("watch"), settings, QStringLiteral("--port"),
                        m_dir.filePath(bench + QStringLiteral("/u*")), QStringLiteral("--record"),
                        url, QStringLiteral("--myid-from"), QStringLiteral("11"),
                        QStringLiteral("--job"), QStringLiteral("order 5123")});
        QVERIFY(station->waitForStarted());
        stations.push_back(std::move(station));
    }
    QTRY_COMPARE_WITH_TIMEOUT(number(QStringLiteral("SELECT count(*) FROM zrt_attempts")), 16,
                              120000);
    for (const auto &station : stations) {
        station->terminate();
        QVERIFY(station->waitForFinished(30000));
    }
    QCOMPARE(number(QStringLiteral("SELECT count(DISTINCT own_id) FROM zrt_attempts"
                                   " WHERE result = 'done'")), 16);
    QCOMPARE(number(QStringLiteral("SELECT min(own_id) FROM zrt_attempts")), 11);
    QCOMPARE(number(QStringLiteral("SELECT max(own_id) FROM zrt_attempts")), 26);
    QCOMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_own_ids WHERE state = 'given'")),
             16);
    // What went out on the wire, not only what the record says.
    QList<QByteArray> sent = ownIdsSent(units);
    std::sort(sent.begin(), sent.end());
    QCOMPARE(sent.size(), 16);
    QCOMPARE(sent.front(), QByteArray("011"));
    QVERIFY(std::adjacent_find(sent.begin(), sent.end()) == sent.end());
}

// The server stops while a unit is being written: the unit finishes, its row waits on this PC
// and nothing more starts; with the server back and 開始, the row arrives once and work goes on.
void PlantRecordTest::rowsWaitWhileTheServerIsAwayAndArriveOnce()
{
    const QString settings = settingsFile(QStringLiteral("job.txt"));
    QVERIFY(QDir().mkpath(m_dir.filePath(QStringLiteral("c"))));
    PtyUnit first;
    ReplyShape slow;
    slow.delayMs = 150;
    first.setReplyShape(slow);
    QVERIFY(first.openPty(m_dir.filePath(QStringLiteral("c/u1"))));
    Station station({m_dir.filePath(QStringLiteral("c/u*"))});
    QString why;
    QVERIFY2(station.prepare(stationSetup(settings), &why), qPrintable(why));
    QSignalSpy halted(&station, &Station::halted);
    QSignalSpy recorded(&station, &Station::recorded);
    station.watchAdapters();
    station.start();
    // Its own ID has gone out: it was drawn from the database.
    const auto ownIdWentOut = [&first] {
        const QList<QByteArray> lines = first.simulator().receivedLines();
        return std::any_of(lines.cbegin(), lines.cend(),
                           [](const QByteArray &line) { return line.startsWith("@MYID"); });
    };
    QTRY_VERIFY_WITH_TIMEOUT(ownIdWentOut(), 15000);
    QVERIFY(m_server.stop());
    QTRY_COMPARE_WITH_TIMEOUT(recorded.size(), 1, 30000);
    QCOMPARE(recorded.first().at(1).value<RecordRow>().result, QStringLiteral("done"));
    QTRY_COMPARE(halted.size(), 1);
    QVERIFY(!station.isActive());
    const QDir spool(m_dir.filePath(QStringLiteral("data/zrt48210/spool")));
    QCOMPARE(spool.entryList({QStringLiteral("*.csv")}, QDir::Files).size(), 1);

    // Told to go on while the server is still away: it says why and stays stopped.
    station.start();
    QCOMPARE(halted.size(), 2);
    QVERIFY(!station.isActive());

    QVERIFY2(m_server.start(), qPrintable(m_server.errorString()));
    QSqlDatabase db = QSqlDatabase::database();
    db.close();
    QVERIFY(db.open());
    station.start();
    QVERIFY(station.isActive());
    QCOMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_attempts")), 1);
    QCOMPARE(number(QStringLiteral("SELECT own_id FROM zrt_attempts")), 11);
    QCOMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_own_ids WHERE state = 'given'")),
             1);
    QVERIFY(spool.entryList({QStringLiteral("*.csv")}, QDir::Files).isEmpty());

    PtyUnit second;
    QVERIFY(second.openPty(m_dir.filePath(QStringLiteral("c/u2"))));
    QTRY_COMPARE_WITH_TIMEOUT(recorded.size(), 2, 30000);
    QCOMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_attempts")), 2);
    QCOMPARE(number(QStringLiteral("SELECT max(own_id) FROM zrt_attempts")), 12);
}

void PlantRecordTest::interruptedWhileTheDatabaseAnswers_data()
{
    QTest::addColumn<bool>("rowWaits");      // otherwise the own ID's draw waits
    QTest::addColumn<QString>("meanwhile");  // "stop", "pull" or "restart" (停止, then 開始)
    for (const bool rowWaits : {false, true}) {
        const char *what = rowWaits ? "row kept" : "own ID drawn";
        QTest::addRow("%s, 停止", what) << rowWaits << QStringLiteral("stop");
        QTest::addRow("%s, adapter pulled", what) << rowWaits << QStringLiteral("pull");
        QTest::addRow("%s, 停止 and 開始", what) << rowWaits << QStringLiteral("restart");
    }
}

// The station goes on with its other adapters while the database answers, so a unit can be
// stopped, pulled or stopped and started again in between. A drawn own ID then goes back and
// nothing goes out (after 開始 the unit is taken anew); a row is kept, and only then is the tile
// settled (and dropped, if pulled) and the station stopped; the unit is never written twice.
void PlantRecordTest::interruptedWhileTheDatabaseAnswers()
{
    QFETCH(bool, rowWaits);
    QFETCH(QString, meanwhile);
    const bool pulled = meanwhile == QLatin1String("pull");
    const bool restarted = meanwhile == QLatin1String("restart");
    const QString settings = settingsFile(QStringLiteral("job.txt"));
    const QString bench = m_dir.filePath(QStringLiteral("slow"));
    QVERIFY(QDir(bench).removeRecursively() && QDir().mkpath(bench));
    auto unit = std::make_unique<PtyUnit>();
    QVERIFY(unit->openPty(bench + QStringLiteral("/u1")));
    QByteArrayList heard;
    connect(unit.get(), &PtyUnit::lineReceived, this,
            [&heard](const QByteArray &line) { heard << line; });
    Station station({bench + QStringLiteral("/u*")});
    QString why;
    QVERIFY2(station.prepare(stationSetup(settings), &why), qPrintable(why));
    // This test's connection holds what the station's statement needs: the job's turn for
    // drawing an own ID, or the table of rows.
    QSqlDatabase db = QSqlDatabase::database();
    const int job = number(QStringLiteral("SELECT id FROM zrt_jobs"));
    QVERIFY(rowWaits
                ? db.transaction() && sql(QStringLiteral("LOCK TABLE zrt_attempts IN SHARE MODE"))
                : number(QStringLiteral("SELECT 1 FROM pg_advisory_lock(48210, %1)")
                              .arg(job)) == 1);
    bool held = true;
    const auto letGo = [&] {
        held = false;
        return rowWaits ? db.commit()
                        : number(QStringLiteral("SELECT 1 FROM pg_advisory_unlock(48210, %1)")
                                     .arg(job)) == 1;
    };
    // A failed check lets go too, or the next test would wait for it.
    const auto letGoAnyway = qScopeGuard([&] {
        if (held)
            letGo();
    });
    QSignalSpy recorded(&station, &Station::recorded);
    QSignalSpy removed(&station, &Station::slotRemoved);
    QSignalSpy stopped(&station, &Station::stopped);
    station.watchAdapters();
    station.start();
    QTRY_COMPARE_WITH_TIMEOUT(number(QStringLiteral("SELECT count(*) FROM pg_locks"
                                                    " WHERE NOT granted")),
                              1, 20000);
    QCOMPARE(station.adapterSlots().size(), 1);
    AdapterSlot *slot = station.adapterSlots().constFirst();
    if (pulled) {
        unit.reset();
        QTRY_VERIFY_WITH_TIMEOUT(slot->isGone(), 10000);
    } else {
        station.stop();
        if (restarted)
            station.start();
    }
    QTest::qWait(300);
    QCOMPARE(removed.size(), 0);
    QCOMPARE(stopped.size(), 0);
    QCOMPARE(recorded.size(), 0);
    QVERIFY(letGo());

    // Written and recorded once in the end, or not at all.
    const int written = rowWaits || restarted ? 1 : 0;
    if (written) {
        QTRY_COMPARE_WITH_TIMEOUT(recorded.size(), 1, 20000);
        QCOMPARE(recorded.first().at(0).value<AdapterSlot *>(), slot);
        QCOMPARE(recorded.first().at(1).value<RecordRow>().result, QStringLiteral("done"));
        QCOMPARE(recorded.first().at(1).value<RecordRow>().ownId, QStringLiteral("011"));
        if (!pulled)  // a pulled adapter's slot is gone with its tile
            QCOMPARE(slot->view().state, SlotView::State::Done);
    }
    if (pulled)
        QTRY_COMPARE(removed.size(), 1);
    else if (restarted)
        QTest::qWait(2500);  // a few of the slot's looks: the unit is not taken again
    else
        QTRY_COMPARE(stopped.size(), 1);
    // The one own ID went out and is given, or it never went out and is free again.
    QTRY_COMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_own_ids")), written);
    QCOMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_attempts")), written);
    QCOMPARE(number(QStringLiteral("SELECT count(*) FROM zrt_own_ids WHERE state = 'given'")),
             written);
    const auto ownIdLines = std::count_if(heard.cbegin(), heard.cend(), [](const QByteArray &line) {
        return line.startsWith("@MYID");
    });
    QCOMPARE(ownIdLines, written);
}

// The export of a job is, byte for byte, the CSV file a station would have written.
void PlantRecordTest::exportIsTheStationsCsv()
{
    const QString settings = settingsFile(QStringLiteral("job.txt"));
    QString why;
    const std::unique_ptr<PlantRecord> plant =
        PlantRecord::open(QStringLiteral("postgresql://zrt@/zrt?host=") + m_server.folder(),
                          jobOf(settings, QStringLiteral("J")), &why);
    QVERIFY2(plant, qPrintable(why));
    StationRecord csv;
    const QString csvPath = m_dir.filePath(QStringLiteral("station.csv"));
    QFile::remove(csvPath);
    QVERIFY2(csv.open(csvPath, &why), qPrintable(why));

    RecordRow done;
    const QDateTime now = QDateTime::currentDateTime();
    done.time = now.toOffsetFromUtc(9 * 3600);
    done.station = QStringLiteral("bench-1");
    done.operatorName = QStringLiteral("佐藤, \"K\"");
    done.adapter = QStringLiteral("/dev/ttyUSB0");
    done.model = QStringLiteral("ZRT48210");
    done.version = QStringLiteral("Ver1.02");
    done.ownId = QStringLiteral("011");
    done.settingsFile = QStringLiteral("job.txt");
    done.result = QStringLiteral("done");
    done.reasonCode = QStringLiteral("done");
    done.reason = QStringLiteral("書込と照合が完了しました");
    done.readBack = true;
    done.values = {{QStringLiteral("FRCH"), QStringLiteral("3")},
                   {QStringLiteral("MYID"), QStringLiteral("011")}};
    RecordRow silent = done;
    silent.time = done.time.addMSecs(1500).toUTC();
    silent.ownId.clear();
    silent.result = QStringLiteral("failed");
    silent.reasonCode = QStringLiteral("no-answer");
    silent.reason = QStringLiteral("エラー：ユニットと通信できません。");
    silent.values.clear();
    for (const RecordRow &row : {done, silent}) {
        QVERIFY2(plant->append(row, &why), qPrintable(why));
        QVERIFY2(csv.append(row, &why), qPrintable(why));
    }

    const QString exported = m_dir.filePath(QStringLiteral("export.csv"));
    QProcess cli;
    cli.start(QStringLiteral(ZRT_CLI),
              {QStringLiteral("record"), QStringLiteral("export"), QStringLiteral("--record"),
               plant->target(), QStringLiteral("--job"), QStringLiteral("J"),
               QStringLiteral("-o"), exported});
    QVERIFY(cli.waitForFinished(30000));
    QVERIFY2(cli.exitCode() == 0, cli.readAllStandardError().constData());
    QFile a(exported);
    QFile b(csvPath);
    QVERIFY(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
    QCOMPARE(a.readAll(), b.readAll());
}

QTEST_GUILESS_MAIN(PlantRecordTest)
#include "tst_plantrecord.moc"
