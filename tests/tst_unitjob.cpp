#include "link/link.h"
#include "link/qtserialchannel.h"
#include "unit/unitjob.h"
#include "unitsim/ptyunit.h"

#include <QSignalSpy>
#include <QTest>

#include <memory>

Q_DECLARE_METATYPE(UnitJob::Outcome)
Q_DECLARE_METATYPE(UnitJob::Work)

// The unit job against a simulated unit on a pseudo-terminal: one case per way it can end.
class UnitJobTest : public QObject
{
    Q_OBJECT

private slots:
    void endsWithOneTypedResult_data();
    void endsWithOneTypedResult();
    void stopEndsTheExchangeInProgress();

private:
    struct Bench
    {
        std::unique_ptr<PtyUnit> unit;
        QtSerialChannel channel;
        std::unique_ptr<Link> link;
        std::unique_ptr<UnitJob> job;
    };
    // False when the unit could not be started.
    static bool startBench(Bench &bench, const UnitOptions &options, const QString &device = {});
};

bool UnitJobTest::startBench(Bench &bench, const UnitOptions &options, const QString &device)
{
    bench.unit = std::make_unique<PtyUnit>(options);
    if (!bench.unit->openPty())
        return false;
    bench.link = std::make_unique<Link>(&bench.channel);
    bench.link->setTimings({200, 10});
    bench.link->setPortNumber(1);
    const QString path = device.isEmpty() ? bench.unit->devicePath() : device;
    bench.link->setDeviceResolver([path](int) { return path; });
    bench.job = std::make_unique<UnitJob>(bench.link.get());
    return true;
}

void UnitJobTest::endsWithOneTypedResult_data()
{
    using Outcome = UnitJob::Outcome;
    using Work = UnitJob::Work;
    QTest::addColumn<QString>("unit");  // simulator options: model, nak, err, forget, silent
    QTest::addColumn<Work>("work");
    QTest::addColumn<bool>("verify");
    QTest::addColumn<Outcome>("outcome");
    QTest::addColumn<QString>("command");  // the command concerned, where there is one
    QTest::addColumn<int>("written");

    QTest::newRow("identified") << "" << Work::Identify << false << Outcome::Done << "" << 0;
    QTest::newRow("read back") << "" << Work::ReadBack << false << Outcome::Done << "" << 0;
    QTest::newRow("error code") << "" << Work::ReadError << false << Outcome::Done << "" << 0;
    QTest::newRow("written") << "" << Work::Write << false << Outcome::Done << "" << 2;
    QTest::newRow("verified") << "" << Work::Write << true << Outcome::Done << "" << 2;
    QTest::newRow("refused") << "nak SNUM" << Work::Write << false << Outcome::Refused
                             << "SNUM042" << 1;
    QTest::newRow("unacknowledged") << "err SNUM" << Work::Write << false
                                    << Outcome::Unacknowledged << "SNUM042" << 2;
    QTest::newRow("different") << "forget SNUM" << Work::Write << true << Outcome::Different
                               << "" << 2;
    QTest::newRow("no answer") << "silent SNUM" << Work::Write << false << Outcome::NoAnswer
                               << "SNUM042" << 1;
    QTest::newRow("unidentified") << "err UVER" << Work::Write << false
                                  << Outcome::Unidentified << "" << 0;
    QTest::newRow("wrong model") << "model 48299" << Work::Write << false
                                 << Outcome::WrongModel << "" << 0;
    QTest::newRow("open failed") << "no device" << Work::Identify << false
                                 << Outcome::OpenFailed << "" << 0;
    QTest::newRow("read back lacking one") << "omit PTIM" << Work::ReadBack << false
                                           << Outcome::Done << "" << 0;
}

void UnitJobTest::endsWithOneTypedResult()
{
    QFETCH(QString, unit);
    QFETCH(UnitJob::Work, work);
    QFETCH(bool, verify);
    QFETCH(UnitJob::Outcome, outcome);
    QFETCH(QString, command);
    QFETCH(int, written);

    UnitOptions options;
    const QStringList words = unit.split(QLatin1Char(' '));
    const QByteArray key = words.value(1).toLatin1();
    if (words.first() == QLatin1String("nak"))
        options.nakKeys = {key};
    else if (words.first() == QLatin1String("err"))
        options.errKeys = {key};
    else if (words.first() == QLatin1String("forget"))
        options.forgetKeys = {key};
    else if (words.first() == QLatin1String("silent"))
        options.silentKeys = {key};
    else if (words.first() == QLatin1String("model"))
        options.model = key;
    else if (words.first() == QLatin1String("omit"))
        options.omitKeys = {key};
    Bench bench;
    QVERIFY(startBench(bench, options,
                       unit == QLatin1String("no device") ? QStringLiteral("/nonexistent/tty")
                                                          : QString()));

    UnitJob::Request request;
    request.work = work;
    request.verify = verify;
    request.commands = [] { return QStringList{QStringLiteral("MYID007"),
                                               QStringLiteral("SNUM042")}; };
    QList<int> progress;
    connect(bench.job.get(), &UnitJob::commandSent, this,
            [&progress](int index, int count, const QString &) { progress << index << count; });
    QSignalSpy finished(bench.job.get(), &UnitJob::finished);
    bench.job->start(request);
    QVERIFY(finished.wait(10000));
    const auto result = finished.first().first().value<UnitJob::Result>();
    QCOMPARE(result.outcome, outcome);
    QCOMPARE(result.written, written);
    if (!command.isEmpty())
        QCOMPARE(result.command, command);
    QCOMPARE(result.unit.has_value(), outcome != UnitJob::Outcome::OpenFailed
                                          && outcome != UnitJob::Outcome::WrongModel
                                          && outcome != UnitJob::Outcome::Unidentified);
    if (outcome == UnitJob::Outcome::WrongModel) {
        QCOMPARE(result.model, QStringLiteral("48299"));
        QCOMPARE(result.detail, QStringLiteral("ZRT48299 is not a 48210, 48220 or 48221"));
    }
    // Everything a front end needs is in the result: why the port failed, the own ID that
    // went out, whether the values read can stand for the unit.
    QCOMPARE(result.port.failure, outcome == UnitJob::Outcome::OpenFailed
                                      ? PortFailure::NoDevice : PortFailure::None);
    QCOMPARE(result.ownIdSent, work == UnitJob::Work::Write && result.sent > 0
                                   ? QStringLiteral("007") : QString());
    QCOMPARE(result.readBackProblem, unit == QLatin1String("omit PTIM")
                                         ? QStringLiteral("the unit did not report PTIM")
                                         : QString());
    if (work == UnitJob::Work::Write && result.unit)
        QCOMPARE(progress.mid(0, 2), (QList<int>{1, 2}));
    // What a read holds: the unit's values, or, after a verify, what differs.
    QCOMPARE(result.read, work == UnitJob::Work::ReadBack || (verify && result.written == 2));
    if (work == UnitJob::Work::ReadBack)
        QCOMPARE(result.values.value(ParameterKey::ETIM), QStringLiteral("005"));
    if (outcome == UnitJob::Outcome::Different) {
        QCOMPARE(result.mismatches.size(), 1);
        QCOMPARE(result.mismatches.first().key, ParameterKey::SNUM);
    }
    QCOMPARE(result.verified, verify && outcome == UnitJob::Outcome::Done);
    if (work == UnitJob::Work::ReadError)
        QCOMPARE(result.errorLine, QStringLiteral("Err0000"));
    // Verify is "DISP" alone after the write, on every front end.
    if (verify) {
        QCOMPARE(bench.unit->simulator().receivedLines().mid(1),
                 (QList<QByteArray>{"@MYID007", "@SNUM042", "@DISP"}));
    }
    // One result, and nothing more.
    QTest::qWait(0);
    QCOMPARE(finished.size(), 1);
}

void UnitJobTest::stopEndsTheExchangeInProgress()
{
    UnitOptions options;
    options.silentKeys = {"MYID"};
    Bench bench;
    QVERIFY(startBench(bench, options));
    UnitJob::Request request;
    request.work = UnitJob::Work::Write;
    request.commands = [] { return QStringList{QStringLiteral("MYID007"),
                                               QStringLiteral("SNUM042")}; };
    QSignalSpy finished(bench.job.get(), &UnitJob::finished);
    connect(bench.job.get(), &UnitJob::commandSent, bench.job.get(), &UnitJob::stop);
    bench.job->start(request);
    QVERIFY(finished.wait(10000));
    QCOMPARE(finished.first().first().value<UnitJob::Result>().outcome,
             UnitJob::Outcome::Stopped);
    QCOMPARE(bench.unit->simulator().receivedLines().count("@SNUM042"), 0);
}

QTEST_GUILESS_MAIN(UnitJobTest)
#include "tst_unitjob.moc"
