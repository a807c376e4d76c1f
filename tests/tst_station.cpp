#include "fakes/fakechannel.h"
#include "fakes/heldport.h"
#include "fakes/pgserver.h"
#include "fakes/scratchdisk.h"
#include "fakes/scriptedprompter.h"
#include "link/portholder.h"
#include "station/station.h"
#include "stationwindow/stationreport.h"
#include "stationwindow/stationwindow.h"
#include "stationwindow/tilewidget.h"
#include "unitsim/ptyunit.h"

#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QProcess>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalSpy>
#include <QStringEncoder>
#include <QTemporaryDir>
#include <QTest>
#include <QTranslator>

#include <map>
#include <memory>

Q_DECLARE_METATYPE(OwnIdRule)

// The production station against simulated units on pseudo-terminals. Plugging a unit in is a
// link appearing in a temporary folder the station watches; pulling it out, the link vanishing.
class StationTest : public QObject
{
    Q_OBJECT

private slots:
    void cleanup();

    void unitsInARowGetConsecutiveOwnIdsOnce();
    void eachUnitGetsTheOwnIdOfTheRule_data();
    void eachUnitGetsTheOwnIdOfTheRule();
    void unreadableAnswerIsShownAndNotRecorded_data();
    void unreadableAnswerIsShownAndNotRecorded();
    void cutShortIsInterrupted_data();
    void cutShortIsInterrupted();
    void wrongModelGetsNothing_data();
    void wrongModelGetsNothing();
    void badJobIsRefusedBeforeStart_data();
    void badJobIsRefusedBeforeStart();
    void unwritableRecordStopsWithNothingDone_data();
    void unwritableRecordStopsWithNothingDone();
    void portHeldByAnotherProgramIsSkipped();
    void tileSaysWhyALineCannotServe_data();
    void tileSaysWhyALineCannotServe();
    void secondStationSeesTheAdaptersInUse();
    void ownIdsFollowTheRecordAndTheLabels();
    void recordKeepsItsColumnsAndItsLanguage();
    void windowShowsDoneWithTheOwnId();
    void windowGivesAnInterruptedOwnIdBackWhenAsked_data();
    void windowGivesAnInterruptedOwnIdBackWhenAsked();
    void windowTakesATypedOwnIdPerUnit();
    void windowKeepsAResultAndShowsAnUnreadableUnit();

private:
    PtyUnit *plug(const QString &name, const UnitOptions &options = {});
    QString settingsFile(const QString &kind = QStringLiteral("デジタルユニット"),
                         const QByteArray &extra = {}, const QByteArray &myId = "001");
    std::unique_ptr<Station> startStation(const QString &record, int from = 11,
                                          OwnIdRule rule = OwnIdRule::Sequence,
                                          const QByteArray &fileOwnId = "001",
                                          const SyncToDisk &sync = {},
                                          const SerialChannelFactory &channels = {});
    static AdapterSlot *slotOf(const Station &station, const QString &path);
    static int count(const PtyUnit *unit, const QByteArray &keyword);
    static QList<QStringList> rows(const QString &record);
    // With a record, a job name: the window filled in as from the command line.
    std::unique_ptr<StationWindow> openWindow(ScriptedPrompter *prompter, QList<StationCue> *cues,
                                              const QString &record = {},
                                              const QString &jobName = {});

    QTemporaryDir m_dir;
    std::map<QString, std::unique_ptr<PtyUnit>> m_units;
    std::unique_ptr<PgServer> m_server;  // started by the first test that needs one
};

namespace {

constexpr int UnitTimeoutMs = 12000;  // the watcher's 2 s, a poll, the work
constexpr int OwnIdColumn = 8;
constexpr int ResultColumn = 11;
constexpr int ReasonCodeColumn = 12;
constexpr int ReasonColumn = 13;
constexpr int MyIdValueColumn = 15 + 9;

} // namespace

void StationTest::cleanup()
{
    m_units.clear();
    QDir(m_dir.path()).removeRecursively();
    QDir().mkpath(m_dir.path());
}

PtyUnit *StationTest::plug(const QString &name, const UnitOptions &options)
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("bench")));
    auto unit = std::make_unique<PtyUnit>(options);
    if (!unit->openPty(m_dir.filePath(QStringLiteral("bench/") + name)))
        qFatal("no pseudo-terminal: %s", qPrintable(unit->errorString()));
    PtyUnit *plugged = unit.get();
    m_units[name] = std::move(unit);
    return plugged;
}

QString StationTest::settingsFile(const QString &kind, const QByteArray &extra,
                                  const QByteArray &myId)
{
    QByteArray bytes = QStringEncoder("Shift_JIS").encode(kind + QLatin1String("\r\n"));
    for (const QByteArray &line : QList<QByteArray>{"TYPE=0", "MODE=0", "MYID=" + myId, "SNUM=001", "FRCH=0",
                                   "FRBD=0", "HOLD=0", "DIVR=0", "PDIR=0000", "LOGI=1", "AUIO=0",
                                   "ADSL=0", "DASL=0", "REPT=0", "ETIM=005", "PTIM=000",
                                   "DOUT=0"}) {
        bytes += line + "\r\n";
    }
    bytes += extra + "\r\n";
    const QString path = m_dir.filePath(QStringLiteral("job.txt"));
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write %s", qPrintable(path));
    return path;
}

std::unique_ptr<Station> StationTest::startStation(const QString &record, int from,
                                                  OwnIdRule rule, const QByteArray &fileOwnId,
                                                  const SyncToDisk &sync,
                                                  const SerialChannelFactory &channels)
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("bench")));
    auto station = std::make_unique<Station>(
        QStringList{m_dir.filePath(QStringLiteral("bench/*"))}, channels);
    station->setRecordSync(sync);
    StationSetup setup;
    setup.settingsPath = settingsFile(QStringLiteral("デジタルユニット"), {}, fileOwnId);
    setup.recordPath = record;
    setup.rule = rule;
    setup.sequenceFrom = from;
    setup.operatorName = QStringLiteral("Sato, \"K\"");
    QString why;
    if (!station->prepare(setup, &why))
        qFatal("station refused its job: %s", qPrintable(why));
    station->watchAdapters();
    station->start();
    return station;
}

AdapterSlot *StationTest::slotOf(const Station &station, const QString &path)
{
    for (AdapterSlot *slot : station.adapterSlots()) {
        if (slot->adapter().path.endsWith(path))
            return slot;
    }
    return nullptr;
}

int StationTest::count(const PtyUnit *unit, const QByteArray &keyword)
{
    int n = 0;
    for (const QByteArray &line : unit->simulator().receivedLines())
        n += UnitSimulator::keywordOf(line) == keyword ? 1 : 0;
    return n;
}

QList<QStringList> StationTest::rows(const QString &record)
{
    QFile file(record);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return StationRecord::parseCsv(file.readAll()).mid(1);
}

void StationTest::unitsInARowGetConsecutiveOwnIdsOnce()
{
    const QString record = m_dir.filePath(QStringLiteral("record.csv"));
    std::unique_ptr<Station> station = startStation(record);
    QSignalSpy recorded(station.get(), &Station::recorded);
    for (int i = 1; i <= 3; ++i) {
        plug(QStringLiteral("u%1").arg(i));
        QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), i, UnitTimeoutMs);
    }
    const QList<QStringList> done = rows(record);
    QCOMPARE(done.size(), 3);
    for (int i = 0; i < 3; ++i) {
        const QString ownId = QStringLiteral("0%1").arg(11 + i);
        QCOMPARE(done.at(i).value(ResultColumn), QStringLiteral("done"));
        QCOMPARE(done.at(i).value(ReasonCodeColumn), QStringLiteral("done"));
        QCOMPARE(done.at(i).value(OwnIdColumn), ownId);
        QCOMPARE(done.at(i).value(MyIdValueColumn), ownId);  // as read back
        QCOMPARE(m_units[QStringLiteral("u%1").arg(i + 1)]->simulator().value("MYID"),
                 ownId.toLatin1());
    }

    // Left plugged in, a unit is asked again who it is, and nothing more.
    PtyUnit *first = m_units[QStringLiteral("u1")].get();
    const int polls = count(first, "UVER");
    QTRY_VERIFY_WITH_TIMEOUT(count(first, "UVER") >= polls + 2, 5000);
    QCOMPARE(count(first, "MYID"), 1);
    QCOMPARE(recorded.count(), 3);

    // Another unit on the same adapter: the first leaves the polls unanswered through the
    // watchdog's give-up, then the next one answers and is configured.
    UnitOptions silent;
    silent.silent = true;
    first->simulator().setOptions(silent);
    QTRY_VERIFY_WITH_TIMEOUT(slotOf(*station, QStringLiteral("u1"))->view().removed, 8000);
    first->simulator().setOptions({});
    QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 4, UnitTimeoutMs);
    QCOMPARE(first->simulator().value("MYID"), QByteArray("014"));

    // Read by another CSV reader, byte order mark and quotes included, as Excel would.
    QFile raw(record);
    QVERIFY(raw.open(QIODevice::ReadOnly));
    QVERIFY(raw.readAll().startsWith("\xEF\xBB\xBF"));
    QProcess python;
    python.start(QStringLiteral("python3"),
                 {QStringLiteral("-c"),
                  QStringLiteral("import csv,sys\n"
                                 "for r in csv.DictReader(open(sys.argv[1], encoding='utf-8-sig',"
                                 " newline='')):\n"
                                 "  print(r['operator'], r['own_id'], r['result'], r['MYID'],"
                                 " sep='|')\n"),
                  record});
    if (!python.waitForFinished(10000) || python.exitCode() != 0)
        QSKIP("python3 is needed to read the record with another CSV parser");
    QCOMPARE(QString::fromUtf8(python.readAllStandardOutput()),
             QStringLiteral("Sato, \"K\"|011|done|011\nSato, \"K\"|012|done|012\n"
                            "Sato, \"K\"|013|done|013\nSato, \"K\"|014|done|014\n"));

    // The printable report holds every unit's own ID.
    const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
    QString why;
    QVERIFY2(writeStationReport(record, QString(), pdf, &why), qPrintable(why));
    QProcess text;
    text.start(QStringLiteral("pdftotext"), {pdf, QStringLiteral("-")});
    if (!text.waitForFinished(10000) || text.exitCode() != 0)
        QSKIP("pdftotext (poppler-utils) is needed to read the report");
    const QString words = QString::fromUtf8(text.readAllStandardOutput());
    for (const char *ownId : {"011", "012", "013", "014"})
        QVERIFY2(words.contains(QLatin1String(ownId)), qPrintable(words));
    QVERIFY2(words.contains(QStringLiteral("完了: 4台")), qPrintable(words));
}

void StationTest::eachUnitGetsTheOwnIdOfTheRule_data()
{
    QTest::addColumn<OwnIdRule>("rule");
    QTest::addColumn<bool>("together");  // plugged in at the same moment, replies slowed
    QTest::addColumn<QStringList>("ownIds");
    QTest::newRow("sequence, two at once") << OwnIdRule::Sequence << true
                                           << QStringList{"011", "012"};
    QTest::newRow("the file's, two in a row") << OwnIdRule::FromFile << false
                                              << QStringList{"042", "042"};
}

void StationTest::eachUnitGetsTheOwnIdOfTheRule()
{
    QFETCH(OwnIdRule, rule);
    QFETCH(bool, together);
    QFETCH(QStringList, ownIds);
    const QString record = m_dir.filePath(QStringLiteral("record.csv"));
    std::unique_ptr<Station> station = startStation(record, 11, rule, "042");
    QSignalSpy recorded(station.get(), &Station::recorded);
    const QString expectedNext = rule == OwnIdRule::FromFile ? ownIds.first() : "013";
    for (int i = 1; i <= 2; ++i) {
        PtyUnit *unit = plug(QStringLiteral("u%1").arg(i));
        if (together) {
            ReplyShape slow;
            slow.delayMs = 40;  // both units' writes overlap
            unit->setReplyShape(slow);
        } else {
            QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), i, UnitTimeoutMs);
        }
    }
    QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 2, 2 * UnitTimeoutMs);
    QStringList given;
    for (const QStringList &row : rows(record)) {
        QCOMPARE(row.value(ResultColumn), QStringLiteral("done"));
        QCOMPARE(row.value(MyIdValueColumn), row.value(OwnIdColumn));  // as read back
        given << row.value(OwnIdColumn);
    }
    given.sort();
    QCOMPARE(given, ownIds);
    QStringList onUnits{QString::fromLatin1(m_units[QStringLiteral("u1")]->simulator().value("MYID")),
                        QString::fromLatin1(m_units[QStringLiteral("u2")]->simulator().value("MYID"))};
    onUnits.sort();
    QCOMPARE(onUnits, ownIds);
    QCOMPARE(station->counters().nextOwnId, std::optional<int>(expectedNext.toInt()));
}

void StationTest::unreadableAnswerIsShownAndNotRecorded_data()
{
    QTest::addColumn<QString>("babble");
    QTest::addColumn<bool>("heals");  // then answers properly; otherwise falls silent
    QTest::newRow("noise before each reply") << "noise" << true;
    QTest::newRow("noise before each identification") << "noisy identify" << true;
    QTest::newRow("an endless stream") << "stream" << false;
}

void StationTest::unreadableAnswerIsShownAndNotRecorded()
{
    QFETCH(QString, babble);
    QFETCH(bool, heals);
    const QString record = m_dir.filePath(QStringLiteral("record.csv"));
    std::unique_ptr<Station> station = startStation(record);
    QSignalSpy recorded(station.get(), &Station::recorded);
    QSignalSpy unreadable(station.get(), &Station::unreadableChanged);
    UnitOptions options;
    options.noisyIdentifications = babble == QLatin1String("noisy identify") ? 1000 : 0;
    PtyUnit *unit = plug(QStringLiteral("u1"), options);
    ReplyShape noisy;
    noisy.noiseBytes = 40;
    if (babble == QLatin1String("noise"))
        unit->setReplyShape(noisy);
    else if (babble == QLatin1String("stream"))
        unit->streamOnCommand({});
    QTRY_VERIFY_WITH_TIMEOUT(slotOf(*station, QStringLiteral("u1")), UnitTimeoutMs);
    AdapterSlot *slot = slotOf(*station, QStringLiteral("u1"));
    QTRY_COMPARE_WITH_TIMEOUT(slot->view().state, SlotView::State::Unreadable, UnitTimeoutMs);
    QCOMPARE(slot->view().message, QStringLiteral("通信速度・配線を確認してください"));
    QCOMPARE(unreadable.count(), 1);
    QCOMPARE(unreadable.first().at(1).toBool(), true);
    // It stays so through further looks, and nothing but UVER goes out.
    const int polls = count(unit, "UVER");
    QTRY_VERIFY_WITH_TIMEOUT(count(unit, "UVER") > polls + 1, UnitTimeoutMs);
    QCOMPARE(slot->view().state, SlotView::State::Unreadable);
    QCOMPARE(unreadable.count(), 1);
    for (const QByteArray &line : unit->simulator().receivedLines())
        QCOMPARE(UnitSimulator::keywordOf(line), QByteArray("UVER"));
    QCOMPARE(recorded.count(), 0);

    unit->stopStream();
    unit->setReplyShape({});
    UnitOptions after;
    after.silent = !heals;
    unit->simulator().setOptions(after);
    if (heals) {
        QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 1, UnitTimeoutMs);
        QCOMPARE(slot->view().state, SlotView::State::Done);
        QCOMPARE(rows(record).value(0).value(OwnIdColumn), QStringLiteral("011"));
    } else {
        QTRY_COMPARE_WITH_TIMEOUT(slot->view().state, SlotView::State::Waiting, UnitTimeoutMs);
        QCOMPARE(recorded.count(), 0);
        QVERIFY(!QFileInfo::exists(record));
    }
    QCOMPARE(unreadable.count(), 2);
    QCOMPARE(unreadable.last().at(1).toBool(), false);
}

void StationTest::cutShortIsInterrupted_data()
{
    QTest::addColumn<bool>("unplugged");
    QTest::addColumn<QString>("reasonCode");
    QTest::newRow("adapter pulled mid-write") << true << "port-lost";
    QTest::newRow("unit silent mid-write") << false << "no-answer";
}

void StationTest::cutShortIsInterrupted()
{
    QFETCH(bool, unplugged);
    QFETCH(QString, reasonCode);
    const QString record = m_dir.filePath(QStringLiteral("record.csv"));
    std::unique_ptr<Station> station = startStation(record);
    QSignalSpy recorded(station.get(), &Station::recorded);
    PtyUnit *unit = plug(QStringLiteral("u1"));
    // After the own ID went out.
    connect(unit, &PtyUnit::lineReceived, this, [&](const QByteArray &line) {
        if (!line.startsWith("@SNUM"))
            return;
        if (unplugged) {
            QTimer::singleShot(0, this, [this] { m_units.erase(QStringLiteral("u1")); });
            return;
        }
        UnitOptions silent;
        silent.silent = true;
        unit->simulator().setOptions(silent);
    });
    QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 1, UnitTimeoutMs);
    QList<QStringList> cut = rows(record);
    QCOMPARE(cut.value(0).value(ResultColumn), QStringLiteral("interrupted"));
    QCOMPARE(cut.value(0).value(ReasonCodeColumn), reasonCode);
    QCOMPARE(cut.value(0).value(OwnIdColumn), QStringLiteral("011"));
    QVERIFY2(cut.value(0).value(ReasonColumn).contains(QLatin1String("/17")),
             qPrintable(cut.value(0).value(ReasonColumn)));
    if (!unplugged) {
        // The unit leaves the next look unanswered: the failure stays, marked as removed.
        AdapterSlot *slot = slotOf(*station, QStringLiteral("u1"));
        QTRY_VERIFY_WITH_TIMEOUT(slot->view().removed, UnitTimeoutMs);
        QCOMPARE(slot->view().state, SlotView::State::Interrupted);
        QCOMPARE(slot->view().ownId, QStringLiteral("011"));
        QCOMPARE(slot->view().message, cut.value(0).value(ReasonColumn));
    }
    // That own ID went out, so the next unit does not get it again.
    plug(QStringLiteral("u2"));
    QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 2, UnitTimeoutMs);
    QCOMPARE(rows(record).value(1).value(OwnIdColumn), QStringLiteral("012"));
}

void StationTest::wrongModelGetsNothing_data()
{
    QTest::addColumn<QByteArray>("model");
    QTest::newRow("another family") << QByteArray("99999");
    QTest::newRow("analog unit, digital file") << QByteArray("48220");
}

void StationTest::wrongModelGetsNothing()
{
    QFETCH(QByteArray, model);
    const QString record = m_dir.filePath(QStringLiteral("record.csv"));
    std::unique_ptr<Station> station = startStation(record);
    QSignalSpy recorded(station.get(), &Station::recorded);
    UnitOptions options;
    options.model = model;
    PtyUnit *unit = plug(QStringLiteral("u1"), options);
    QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 1, UnitTimeoutMs);
    QCOMPARE(rows(record).value(0).value(ResultColumn), QStringLiteral("wrong-model"));
    QCOMPARE(rows(record).value(0).value(ReasonCodeColumn), QStringLiteral("wrong-model"));
    QCOMPARE(rows(record).value(0).value(OwnIdColumn), QString());
    for (const QByteArray &line : unit->simulator().receivedLines())
        QVERIFY2(!UnitSimulator::isParameterKey(UnitSimulator::keywordOf(line)), line.constData());
    QCOMPARE(slotOf(*station, QStringLiteral("u1"))->view().state, SlotView::State::Failed);
    const StationCounters counters = station->counters();
    QCOMPARE(counters.sessionDone, 0);
    QCOMPARE(counters.sessionFailed, 1);
    QCOMPARE(counters.nextOwnId, std::optional<int>(11));
}

void StationTest::badJobIsRefusedBeforeStart_data()
{
    QTest::addColumn<QByteArray>("extra");
    QTest::addColumn<QByteArray>("recordBytes");
    QTest::addColumn<bool>("lockedByAnother");
    QTest::addColumn<QString>("reason");
    QTest::newRow("refused line") << QByteArray("LOGI=9") << QByteArray() << false
                                  << QStringLiteral("line 19");
    QTest::newRow("not a record") << QByteArray() << QByteArray("a,b\r\n") << false
                                  << QStringLiteral("記録ファイルではありません");
    QTest::newRow("another station") << QByteArray() << QByteArray() << true
                                     << QStringLiteral("別のステーションが使用中");
}

void StationTest::badJobIsRefusedBeforeStart()
{
    QFETCH(QByteArray, extra);
    QFETCH(QByteArray, recordBytes);
    QFETCH(bool, lockedByAnother);
    QFETCH(QString, reason);
    const QString record = m_dir.filePath(QStringLiteral("record.csv"));
    if (!recordBytes.isEmpty()) {
        QFile file(record);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(recordBytes) > 0);
    }
    StationRecord other;
    QString why;
    if (lockedByAnother)
        QVERIFY(other.open(record, &why));
    Station station({m_dir.filePath(QStringLiteral("bench/*"))});
    StationSetup setup;
    setup.settingsPath = settingsFile(QStringLiteral("デジタルユニット"), extra);
    setup.recordPath = record;
    QVERIFY(!station.prepare(setup, &why));
    QVERIFY2(why.contains(reason), qPrintable(why));
    station.start();
    QVERIFY(!station.isActive());
}

void StationTest::unwritableRecordStopsWithNothingDone_data()
{
    QTest::addColumn<QString>("how");
    QTest::newRow("full disk") << "full disk";
    QTest::newRow("removed mid-session") << "removed";
    QTest::newRow("sync fails") << "sync fails";
}

void StationTest::unwritableRecordStopsWithNothingDone()
{
    QFETCH(QString, how);
    const bool fullDisk = how == QLatin1String("full disk");
    ScratchDisk disk;
    if (fullDisk && !disk.isMounted())
        QSKIP(qPrintable(disk.skipReason()));
    const QString record = fullDisk ? disk.path(QStringLiteral("record.csv"))
                                    : m_dir.filePath(QStringLiteral("record.csv"));
    SyncToDisk failingSync;
    if (how == QLatin1String("sync fails"))
        failingSync = [](int) { return QStringLiteral("Input/output error"); };
    std::unique_ptr<Station> station = startStation(record, 11, OwnIdRule::Sequence, "001",
                                                    failingSync);
    QSignalSpy halted(station.get(), &Station::halted);
    QSignalSpy recorded(station.get(), &Station::recorded);
    int done = 0;
    if (fullDisk) {
        QVERIFY(disk.fill());
    } else if (how == QLatin1String("removed")) {
        plug(QStringLiteral("u0"));
        QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 1, UnitTimeoutMs);
        done = 1;
        QVERIFY(QFile::remove(record));
    }
    plug(QStringLiteral("u1"));
    QVERIFY(halted.wait(UnitTimeoutMs));
    QVERIFY2(halted.first().first().toString().contains(QStringLiteral("記録")),
             qPrintable(halted.first().first().toString()));
    QCOMPARE(recorded.count(), done);
    QVERIFY(!station->isActive());
    QCOMPARE(station->counters().sessionDone, done);
    const SlotView view = slotOf(*station, QStringLiteral("u1"))->view();
    QCOMPARE(view.state, SlotView::State::Failed);
    if (how == QLatin1String("removed"))
        QVERIFY(!QFileInfo::exists(record));  // not quietly started again
    else
        QCOMPARE(QFileInfo(record).size(), 0);  // no half row left behind
}

void StationTest::portHeldByAnotherProgramIsSkipped()
{
    PtyUnit *unit = plug(QStringLiteral("u1"));
    auto holder = std::make_unique<HeldPort>();
    if (!holder->holdByLock(unit->devicePath(), defaultLockFolders().constFirst()))
        QSKIP(qPrintable(QStringLiteral("no lock: ") + holder->errorString()));
    std::unique_ptr<Station> station = startStation(m_dir.filePath(QStringLiteral("r.csv")));
    QSignalSpy recorded(station.get(), &Station::recorded);
    QTRY_VERIFY_WITH_TIMEOUT(slotOf(*station, QStringLiteral("u1")), UnitTimeoutMs);
    AdapterSlot *slot = slotOf(*station, QStringLiteral("u1"));
    QTRY_COMPARE_WITH_TIMEOUT(slot->view().state, SlotView::State::InUse, UnitTimeoutMs);
    QCOMPARE(slot->view().message, QStringLiteral("他のプログラムが使用中です"));
    QVERIFY(unit->simulator().receivedLines().isEmpty());
    // Let go, and the unit is taken at the next look.
    holder.reset();
    QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 1, UnitTimeoutMs);
    QCOMPARE(slot->view().state, SlotView::State::Done);
}

// Where the wire does not matter the station runs on lines in memory: a port that cannot be
// opened, or a line of noise, is said on the tile and never recorded.
void StationTest::tileSaysWhyALineCannotServe_data()
{
    QTest::addColumn<int>("failure");  // None: the port opens and answers with noise
    QTest::addColumn<int>("state");
    QTest::addColumn<QString>("message");
    QTest::newRow("in use") << int(PortFailure::InUse) << int(SlotView::State::InUse)
                            << QStringLiteral("他のプログラムが使用中です");
    QTest::newRow("no permission") << int(PortFailure::NoPermission)
                                   << int(SlotView::State::InUse)
                                   << QStringLiteral("開けません: Permission denied");
    QTest::newRow("noise") << int(PortFailure::None) << int(SlotView::State::Unreadable)
                           << QStringLiteral("通信速度・配線を確認してください");
}

void StationTest::tileSaysWhyALineCannotServe()
{
    QFETCH(int, failure);
    QFETCH(int, state);
    QFETCH(QString, message);
    QDir().mkpath(m_dir.filePath(QStringLiteral("bench")));
    QFile adapter(m_dir.filePath(QStringLiteral("bench/u1")));
    QVERIFY(adapter.open(QIODevice::WriteOnly));
    adapter.close();
    const QString record = m_dir.filePath(QStringLiteral("r.csv"));
    std::unique_ptr<Station> station =
        startStation(record, 11, OwnIdRule::Sequence, "001", {}, [failure] {
            auto channel = std::make_unique<FakeChannel>();
            channel->failureKind = PortFailure(failure);
            channel->error = QStringLiteral("Permission denied");
            channel->refuseOpen = channel->failureKind != PortFailure::None;
            FakeChannel *line = channel.get();
            QObject::connect(line, &FakeChannel::wrote, line,
                             [line] { line->receive("\x15\xfe\x81~\x07\r\n"); });
            return channel;
        });
    AdapterSlot *slot = nullptr;
    QTRY_VERIFY_WITH_TIMEOUT((slot = slotOf(*station, QStringLiteral("u1")))
                                 && int(slot->view().state) == state,
                             UnitTimeoutMs);
    QCOMPARE(slot->view().message, message);
    QVERIFY(rows(record).isEmpty());
}

void StationTest::secondStationSeesTheAdaptersInUse()
{
    PtyUnit *unit = plug(QStringLiteral("u1"));
    std::unique_ptr<Station> first = startStation(m_dir.filePath(QStringLiteral("a.csv")));
    QSignalSpy recorded(first.get(), &Station::recorded);
    QTRY_COMPARE_WITH_TIMEOUT(recorded.count(), 1, UnitTimeoutMs);
    // Another station on the same bench, with a record of its own.
    std::unique_ptr<Station> second = startStation(m_dir.filePath(QStringLiteral("b.csv")), 50);
    QSignalSpy recordedBySecond(second.get(), &Station::recorded);
    QTRY_VERIFY_WITH_TIMEOUT(slotOf(*second, QStringLiteral("u1")), UnitTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(slotOf(*second, QStringLiteral("u1"))->view().state,
                              SlotView::State::InUse, UnitTimeoutMs);
    // Through several of both stations' looks, the unit keeps what the first one gave it.
    const int polls = count(unit, "UVER");
    QTRY_VERIFY_WITH_TIMEOUT(count(unit, "UVER") >= polls + 3, 8000);
    QCOMPARE(slotOf(*second, QStringLiteral("u1"))->view().state, SlotView::State::InUse);
    QCOMPARE(recordedBySecond.count(), 0);
    QCOMPARE(count(unit, "MYID"), 1);
    QCOMPARE(unit->simulator().value("MYID"), QByteArray("011"));
}

void StationTest::ownIdsFollowTheRecordAndTheLabels()
{
    // A record from an earlier day: the sequence goes on after its highest own ID.
    const QString record = m_dir.filePath(QStringLiteral("record.csv"));
    {
        StationRecord earlier;
        QString why;
        QVERIFY2(earlier.open(record, &why), qPrintable(why));
        for (const char *ownId : {"015", "020", ""}) {
            RecordRow row;
            row.ownId = QString::fromLatin1(ownId);
            row.result = QStringLiteral("done");
            QVERIFY2(earlier.append(row, &why), qPrintable(why));
        }
    }
    Station station({m_dir.filePath(QStringLiteral("bench/*"))});
    StationSetup setup;
    setup.settingsPath = settingsFile();
    setup.recordPath = record;
    setup.rule = OwnIdRule::Sequence;
    setup.sequenceFrom = 11;
    QString why;
    QVERIFY2(station.prepare(setup, &why), qPrintable(why));
    QCOMPARE(station.counters().nextOwnId, std::optional<int>(21));
    QCOMPARE(station.counters().recordDone, 3);

    // Typed or scanned: the own ID in the label's digits, never one the record holds.
    setup.rule = OwnIdRule::PerUnit;
    QVERIFY2(station.prepare(setup, &why), qPrintable(why));
    QCOMPARE(station.counters().nextOwnId, std::nullopt);
    QVERIFY(!station.queueLabel(QStringLiteral("LOT7-015"), &why));
    QVERIFY(!station.queueLabel(QStringLiteral("LOT7-201"), &why));
    QCOMPARE(why, QStringLiteral("「LOT7-201」は自己ID（001～200）ではありません"));
    QVERIFY(!station.queueLabel(QStringLiteral("no digits"), &why));
    QVERIFY2(station.queueLabel(QStringLiteral("LOT7-016"), &why), qPrintable(why));
    QVERIFY(!station.queueLabel(QStringLiteral("016"), &why));  // queued already
    QCOMPARE(station.counters().nextOwnId, std::optional<int>(16));

    // A sequence ends at the highest own ID; a role's own ID is given whatever the rule.
    OwnIdAllocator ids;
    ids.setRule(OwnIdRule::Sequence, 200, std::nullopt);
    QCOMPARE(ids.take(&why).value_or(OwnIdAllocator::Taken{}).ownId, 200);
    QVERIFY(!ids.take(&why));
    QCOMPARE(why, QStringLiteral("自己IDが200を超えます"));
    for (int fixed : {0, 220}) {
        ids.setRule(OwnIdRule::PerUnit, 1, fixed);
        QCOMPARE(ids.next(), std::optional<int>(fixed));
        QCOMPARE(ids.take(&why).value_or(OwnIdAllocator::Taken{-1, {}}).ownId, fixed);
    }
}

// A record begun before the reason code keeps its header; rows appended to it have its columns.
// The reasons are Japanese whatever the window speaks; the tile speaks the window's language.
void StationTest::recordKeepsItsColumnsAndItsLanguage()
{
    QStringList older = StationRecord::header();
    QCOMPARE(older.indexOf(QStringLiteral("reason_code")), ReasonCodeColumn);
    older.removeAt(ReasonCodeColumn);
    QStringList earlierRow(older.size());
    earlierRow[OwnIdColumn] = QStringLiteral("015");
    earlierRow[ResultColumn] = QStringLiteral("done");
    const QByteArray earlier = "\xEF\xBB\xBF" + StationRecord::csvLine(older)
        + StationRecord::csvLine(earlierRow);
    const QString path = m_dir.filePath(QStringLiteral("older.csv"));
    QFile file(path);
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(earlier) == earlier.size());
    file.close();

    QTranslator english;
    QVERIFY(english.load(QStringLiteral(":/i18n/zrt48210_en.qm")));
    QCoreApplication::installTranslator(&english);
    UnitSummary silent;
    silent.outcome = UnitOutcome::NoAnswer;
    const QString shown = reasonOf(silent);
    const RecordRow row = recordRow(silent, Adapter(), QStringLiteral("Sato"), JobSettings());
    QCoreApplication::removeTranslator(&english);
    QVERIFY2(!shown.contains(QStringLiteral("ユニット")), qPrintable(shown));
    QCOMPARE(row.reason, QStringLiteral("エラー：ユニットと通信できません。"));
    QCOMPARE(row.reasonCode, QStringLiteral("no-answer"));

    StationRecord record;
    QString why;
    QVERIFY2(record.open(path, &why), qPrintable(why));
    QVERIFY2(record.append(row, &why), qPrintable(why));
    QVERIFY(file.open(QIODevice::ReadOnly));
    const QByteArray bytes = file.readAll();
    QVERIFY(bytes.startsWith(earlier));
    const QList<QStringList> lines = StationRecord::parseCsv(bytes);
    QCOMPARE(lines.size(), 3);
    QCOMPARE(lines.at(0), older);
    QCOMPARE(lines.at(2).size(), older.size());
    QCOMPARE(lines.at(2).value(ResultColumn), QStringLiteral("failed"));
    QCOMPARE(lines.at(2).value(ReasonColumn - 1), row.reason);
    // Read back, every row has the reason code's column, empty where the file has none.
    QList<QStringList> read;
    QVERIFY2(StationRecord::readRows(path, &read, &why, false), qPrintable(why));
    QCOMPARE(read.size(), 2);
    QCOMPARE(read.at(1).value(ReasonColumn), row.reason);
    QCOMPARE(read.at(1).value(ReasonCodeColumn), QString());
    QCOMPARE(StationRecord::summarize(read).ownIds, QSet<int>{15});
}

void StationTest::windowShowsDoneWithTheOwnId()
{
    ScriptedPrompter prompter;
    QList<StationCue> cues;
    std::unique_ptr<StationWindow> shown = openWindow(&prompter, &cues);
    StationWindow &window = *shown;
    plug(QStringLiteral("u1"));
    const QString path = m_dir.filePath(QStringLiteral("bench/u1"));
    QTRY_VERIFY_WITH_TIMEOUT(window.tile(path), 5000);
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("start")), Qt::LeftButton);
    TileWidget *tile = window.tile(path);
    auto *state = tile->findChild<QLabel *>(QStringLiteral("tileState"));
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("✔ 完了"), UnitTimeoutMs);
    QCOMPARE(tile->findChild<QLabel *>(QStringLiteral("tileOwnId"))->text(),
             QStringLiteral("042"));
    QVERIFY(window.findChild<QLabel *>(QStringLiteral("counters"))->text().contains(
        QStringLiteral("次の自己ID 043")));
    QCOMPARE(cues, QList<StationCue>{StationCue::Done});
    auto *startButton = window.findChild<QPushButton *>(QStringLiteral("start"));
    QVERIFY(!startButton->isEnabled());
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("stop")), Qt::LeftButton);
    QTRY_VERIFY(startButton->isEnabled());
    QCOMPARE(state->text(), QStringLiteral("✔ 完了"));  // the outcome stays in sight

    const QString pdf = m_dir.filePath(QStringLiteral("report.pdf"));
    prompter.fileNames << pdf;
    QTest::mouseClick(window.findChild<QPushButton *>(QStringLiteral("report")), Qt::LeftButton);
    QVERIFY(QFileInfo(pdf).size() > 0);
    QCOMPARE(window.findChild<QLabel *>(QStringLiteral("message"))->text(),
             QStringLiteral("報告書を保存しました: ") + pdf);
}

std::unique_ptr<StationWindow> StationTest::openWindow(ScriptedPrompter *prompter,
                                                      QList<StationCue> *cues,
                                                      const QString &record,
                                                      const QString &jobName)
{
    QDir().mkpath(m_dir.filePath(QStringLiteral("bench")));
    StationStart start;
    start.patterns = {m_dir.filePath(QStringLiteral("bench/*"))};
    start.settingsPath = settingsFile();
    start.recordPath = record.isEmpty() ? m_dir.filePath(QStringLiteral("record.csv")) : record;
    start.jobName = jobName;
    start.sequenceFrom = 42;
    auto window = std::make_unique<StationWindow>(start, prompter);
    window->setSoundHook([cues](StationCue cue) { *cues << cue; });
    window->show();
    return window;
}

// In a CSV file, and in a plant's database shared with other stations under a job's name.
void StationTest::windowGivesAnInterruptedOwnIdBackWhenAsked_data()
{
    QTest::addColumn<bool>("database");
    QTest::newRow("record file") << false;
#ifdef ZRT_PLANT_RECORD
    QTest::newRow("plant's database") << true;
#endif
}

void StationTest::windowGivesAnInterruptedOwnIdBackWhenAsked()
{
    QFETCH(bool, database);
    QString record = m_dir.filePath(QStringLiteral("record.csv"));
    const QString job = QStringLiteral("bench job");
    if (database) {
        if (!m_server) {
            m_server = std::make_unique<PgServer>();
            QVERIFY2(m_server->start(), qPrintable(m_server->errorString()));
        }
        record = m_server->url();
        qputenv("XDG_DATA_HOME", QFile::encodeName(m_dir.filePath(QStringLiteral("data"))));
    }
    const auto recordRows = [&] {
        QList<QStringList> rows;
        QString why;
        if (!readRecordRows(record, job, &rows, &why))
            qWarning("%s", qPrintable(why));
        return rows;
    };
    ScriptedPrompter prompter;
    QList<StationCue> cues;
    std::unique_ptr<StationWindow> window = openWindow(&prompter, &cues, record, job);
    auto *counters = window->findChild<QLabel *>(QStringLiteral("counters"));
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("start")), Qt::LeftButton);
    // Pulled out once its own ID has gone out.
    PtyUnit *unit = plug(QStringLiteral("u1"));
    connect(unit, &PtyUnit::lineReceived, this, [this](const QByteArray &line) {
        if (line.startsWith("@SNUM"))
            QTimer::singleShot(0, this, [this] { m_units.erase(QStringLiteral("u1")); });
    });
    const QString path = m_dir.filePath(QStringLiteral("bench/u1"));
    QTRY_VERIFY_WITH_TIMEOUT(window->tile(path), UnitTimeoutMs);
    TileWidget *tile = window->tile(path);
    auto *state = tile->findChild<QLabel *>(QStringLiteral("tileState"));
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("⚠ 中断"), UnitTimeoutMs);
    QCOMPARE(cues, QList<StationCue>{StationCue::Failed});
    // Not given again unless the operator says so; the tile of the pulled adapter stays for it.
    QVERIFY(counters->text().contains(QStringLiteral("次の自己ID 043")));
    QCOMPARE(counters->text().startsWith(QStringLiteral("作業「bench job」（全ステーション）")),
             database);
    QTRY_VERIFY_WITH_TIMEOUT(tile->adapterSlot()->isGone(), UnitTimeoutMs);
    QCOMPARE(window->tile(path), tile);
    auto *reuse = tile->findChild<QPushButton *>(QStringLiteral("tileReuse"));
    QVERIFY(reuse->isVisible());
    QTest::mouseClick(reuse, Qt::LeftButton);
    QVERIFY(counters->text().contains(QStringLiteral("次の自己ID 042")));
    QTRY_VERIFY(!window->tile(path));

    PtyUnit *next = plug(QStringLiteral("u2"));
    QTRY_COMPARE_WITH_TIMEOUT(next->simulator().value("MYID"), QByteArray("042"), UnitTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(recordRows().size(), 2, UnitTimeoutMs);
    QCOMPARE(recordRows().value(1).value(ResultColumn), QStringLiteral("done"));
    QCOMPARE(recordRows().value(1).value(OwnIdColumn), QStringLiteral("042"));
    QTRY_COMPARE(cues, (QList<StationCue>{StationCue::Failed, StationCue::Done}));
}

void StationTest::windowTakesATypedOwnIdPerUnit()
{
    ScriptedPrompter prompter;
    QList<StationCue> cues;
    std::unique_ptr<StationWindow> window = openWindow(&prompter, &cues);
    for (QRadioButton *rule : window->findChildren<QRadioButton *>()) {
        if (rule->text() == QStringLiteral("ユニットごとに入力・スキャン"))
            QTest::mouseClick(rule, Qt::LeftButton);
    }
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("start")), Qt::LeftButton);
    PtyUnit *unit = plug(QStringLiteral("u1"));
    const QString path = m_dir.filePath(QStringLiteral("bench/u1"));
    QTRY_VERIFY_WITH_TIMEOUT(window->tile(path), UnitTimeoutMs);
    auto *state = window->tile(path)->findChild<QLabel *>(QStringLiteral("tileState"));
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("？ 自己ID待ち"), UnitTimeoutMs);
    QCOMPARE(count(unit, "MYID"), 0);

    // A barcode scanner types the label and ends with Enter.
    auto *scan = window->findChild<QLineEdit *>(QStringLiteral("scan"));
    QTest::keyClicks(scan, QStringLiteral("LOT7-033"));
    QTest::keyClick(scan, Qt::Key_Return);
    QCOMPARE(scan->text(), QString());
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("✔ 完了"), UnitTimeoutMs);
    QCOMPARE(unit->simulator().value("MYID"), QByteArray("033"));
    QCOMPARE(window->tile(path)->findChild<QLabel *>(QStringLiteral("tileOwnId"))->text(),
             QStringLiteral("033"));
    const QStringList row = rows(m_dir.filePath(QStringLiteral("record.csv"))).value(0);
    QCOMPARE(row.value(OwnIdColumn), QStringLiteral("033"));
    QCOMPARE(row.value(OwnIdColumn - 1), QStringLiteral("LOT7-033"));  // the scanned label
}

void StationTest::windowKeepsAResultAndShowsAnUnreadableUnit()
{
    ScriptedPrompter prompter;
    QList<StationCue> cues;
    std::unique_ptr<StationWindow> window = openWindow(&prompter, &cues);
    QTest::mouseClick(window->findChild<QPushButton *>(QStringLiteral("start")), Qt::LeftButton);
    PtyUnit *unit = plug(QStringLiteral("u1"));
    const QString path = m_dir.filePath(QStringLiteral("bench/u1"));
    QTRY_VERIFY_WITH_TIMEOUT(window->tile(path), UnitTimeoutMs);
    TileWidget *tile = window->tile(path);
    auto *state = tile->findChild<QLabel *>(QStringLiteral("tileState"));
    auto *ownId = tile->findChild<QLabel *>(QStringLiteral("tileOwnId"));
    auto *removed = tile->findChild<QLabel *>(QStringLiteral("tileRemoved"));
    auto *message = tile->findChild<QLabel *>(QStringLiteral("tileMessage"));
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("✔ 完了"), UnitTimeoutMs);
    QVERIFY(!removed->isVisible());

    // Gone: the result stays, dimmed and marked.
    const QColor bright = tile->palette().color(QPalette::Window);
    UnitOptions silent;
    silent.silent = true;
    unit->simulator().setOptions(silent);
    QTRY_VERIFY_WITH_TIMEOUT(removed->isVisible(), UnitTimeoutMs);
    QCOMPARE(removed->text(), QStringLiteral("取り外し済み"));
    QCOMPARE(state->text(), QStringLiteral("✔ 完了"));
    QCOMPARE(ownId->text(), QStringLiteral("042"));
    QVERIFY(tile->palette().color(QPalette::Window) != bright);

    // Something babbles on the adapter now.
    unit->simulator().setOptions({});
    ReplyShape noisy;
    noisy.noiseBytes = 40;
    unit->setReplyShape(noisy);
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("⚠ 応答を読み取れません"),
                              UnitTimeoutMs);
    QCOMPARE(message->text(), QStringLiteral("通信速度・配線を確認してください"));
    QVERIFY(!removed->isVisible());
    QCOMPARE(ownId->text(), QString());

    // It answers properly: the usual run.
    unit->setReplyShape({});
    QTRY_COMPARE_WITH_TIMEOUT(ownId->text(), QStringLiteral("043"), UnitTimeoutMs);
    QTRY_COMPARE_WITH_TIMEOUT(state->text(), QStringLiteral("✔ 完了"), UnitTimeoutMs);
    QCOMPARE(cues, (QList<StationCue>{StationCue::Done, StationCue::Done}));
}

QTEST_MAIN(StationTest)
#include "tst_station.moc"
