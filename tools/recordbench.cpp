// Times what the record costs a station per unit: reserving the own ID (a plant's database
// only; a CSV record keeps its own IDs in memory) and appending the unit's row, as the station
// does once a unit is written. With --together N, N units at a time are handed to the record
// without waiting for one another, as a station with N adapters does. Several of these started
// on one job are several stations at once (scripts/benchmark.sh).
#include "settings/parameters.h"
#include "settings/unitsettings.h"
#include "station/recordstore.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QDateTime>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QFile>
#include <QSet>
#include <QSysInfo>
#include <QThread>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>
#include <memory>
#include <optional>

namespace {

int fail(const QString &why)
{
    std::fprintf(stderr, "zrt-recordbench: %s\n", qPrintable(why));
    return 1;
}

// What every process of one run joins with: the same file and rule, or the job refuses it.
PlantJob benchJob(const QString &name)
{
    PlantJob job;
    job.name = name;
    job.settingsFile = QStringLiteral("bench.txt");
    job.sha256 = QStringLiteral("be9c4f3a0d5e8f2b7c1a6d9e4f0b3c8a2d7e1f6a5b0c9d4e8f3a2b7c6d1e0f5a");
    job.kind = QStringLiteral("digital");
    job.ownIdRule = QStringLiteral("sequence");
    job.sequenceFrom = 1;
    return job;
}

// A unit written and verified, as the station records it: the seventeen values read back.
RecordRow doneRow(const QString &station, const QString &adapter, const PlantJob &job)
{
    RecordRow row;
    row.station = station;
    row.operatorName = QStringLiteral("佐藤");
    row.adapter = adapter;
    row.adapterSerial = QStringLiteral("A10K3Q7Z");
    row.model = QStringLiteral("ZRT48210");
    row.version = QStringLiteral("Ver1.02");
    row.settingsFile = job.settingsFile;
    row.settingsSha256 = job.sha256;
    row.result = QStringLiteral("done");
    row.reasonCode = QStringLiteral("done");
    row.reason = QStringLiteral("書込と照合が完了しました");
    row.readBack = true;
    const UnitSettings values;
    for (ParameterKey key : AllParameterKeys)
        row.values << std::pair{keyName(key), values.value(key)};
    return row;
}

double percentile(QList<double> values, double fraction)
{
    std::sort(values.begin(), values.end());
    const qsizetype rank = qsizetype(std::ceil(fraction * values.size())) - 1;
    return values.at(std::clamp<qsizetype>(rank, 0, values.size() - 1));
}

bool writeTimes(const QString &path, const QList<double> &times, QString *why)
{
    QByteArray bytes;
    for (double ms : times)
        bytes += QByteArray::number(ms, 'f', 3) + '\n';
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)
        || file.write(bytes) != bytes.size() || !file.flush()) {
        *why = QStringLiteral("cannot write %1: %2").arg(path, file.errorString());
        return false;
    }
    file.close();
    if (file.error() != QFileDevice::NoError) {
        *why = QStringLiteral("cannot close %1: %2").arg(path, file.errorString());
        return false;
    }
    return true;
}

} // namespace

int main(int argc, char *argv[])
{
    QCoreApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("zrt-recordbench"));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Prints the milliseconds per unit (mean and 95th percentile) of reserving its own ID "
        "and appending its row to a record."));
    parser.addHelpOption();
    parser.addPositionalArgument(QStringLiteral("record"),
                                 QStringLiteral("A CSV file or a postgresql:// URL."));
    parser.addPositionalArgument(QStringLiteral("job"), QStringLiteral("The plant's job name."));
    parser.addPositionalArgument(QStringLiteral("units"), QStringLiteral("How many units."));
    const QCommandLineOption stationOption(
        QStringLiteral("station"), QStringLiteral("The station's name (host name and process)."),
        QStringLiteral("name"));
    const QCommandLineOption startOption(
        QStringLiteral("start-at"),
        QStringLiteral("Begin the first unit at this time (ms since the epoch), so that "
                       "several processes run at once; later than that is an error."),
        QStringLiteral("ms"));
    const QCommandLineOption timesOption(
        QStringLiteral("times"), QStringLiteral("Write each unit's milliseconds to this file."),
        QStringLiteral("path"));
    const QCommandLineOption togetherOption(
        QStringLiteral("together"),
        QStringLiteral("Hand this many units at a time to the record, each without waiting for "
                       "the others (default 1)."),
        QStringLiteral("n"), QStringLiteral("1"));
    parser.addOptions({stationOption, startOption, timesOption, togetherOption});
    parser.process(app);
    const QStringList arguments = parser.positionalArguments();
    bool isNumber = false;
    const int units = arguments.value(2).toInt(&isNumber);
    if (arguments.size() != 3 || !isNumber || units < 1)
        return fail(QStringLiteral("usage: zrt-recordbench RECORD JOB UNITS (see --help)"));
    const int together = parser.value(togetherOption).toInt(&isNumber);
    if (!isNumber || together < 1)
        return fail(QStringLiteral("--together takes a number of units"));
    std::optional<qint64> startAt;
    if (parser.isSet(startOption)) {
        startAt = parser.value(startOption).toLongLong(&isNumber);
        if (!isNumber)
            return fail(QStringLiteral("--start-at takes milliseconds since the epoch"));
    }
    const QString station = parser.isSet(stationOption)
        ? parser.value(stationOption)
        : QStringLiteral("%1-%2").arg(QSysInfo::machineHostName())
              .arg(QCoreApplication::applicationPid());

    const PlantJob job = benchJob(arguments.at(1));
    QString why;
    const std::unique_ptr<RecordStore> record = openRecord(arguments.at(0), job, {}, &why);
    if (!record)
        return fail(why);
    if (startAt) {
        const qint64 wait = *startAt - QDateTime::currentMSecsSinceEpoch();
        if (wait < 0)
            return fail(QStringLiteral("the record was open %1 ms after --start-at").arg(-wait));
        QThread::msleep(static_cast<unsigned long>(wait));
    }

    QList<double> times;
    QSet<int> ownIds;
    QDateTime last;
    QString failure;
    // One unit: its own ID reserved, then its row appended, as soon as the record answers.
    const auto recordUnit = [&](int i, const std::function<void()> &finished) {
        auto clock = std::make_shared<QElapsedTimer>();
        clock->start();
        const auto append = [&, i, clock, finished](int ownId) {
            RecordRow row = doneRow(station, QStringLiteral("/dev/ttyUSB%1").arg(i % 16), job);
            if (ownIds.contains(ownId)) {
                failure = QStringLiteral("unit %1: own ID %2 twice").arg(i + 1).arg(ownId);
                finished();
                return;
            }
            ownIds.insert(ownId);
            row.ownId = ownIdText(ownId);
            // A plant's record keeps one row per station, adapter and millisecond, as no real
            // unit is done quicker: this station's rows are a millisecond apart at least.
            row.time = QDateTime::currentDateTime();
            if (last.isValid() && row.time <= last)
                row.time = last.addMSecs(1);
            last = row.time;
            const auto valueAt = std::find_if(
                row.values.begin(), row.values.end(),
                [](const auto &value) { return value.first == QLatin1String("MYID"); });
            if (valueAt != row.values.end())
                valueAt->second = row.ownId;
            record->appendThen(row, [&, i, clock, finished](bool kept, const QString &why) {
                times << clock->nsecsElapsed() / 1e6;
                // A plant's record that lost its database keeps the row aside and says yes.
                if (!kept || record->isOffline())
                    failure = QStringLiteral("unit %1: %2")
                                  .arg(i + 1)
                                  .arg(kept ? record->offlineReason() : why);
                finished();
            });
        };
        if (!record->sharesOwnIds()) {
            append(i + 1);
            return;
        }
        record->reserveOwnIdThen(1, std::nullopt,
                                 [&, i, append, finished](std::optional<int> reserved,
                                                          const QString &why) {
                                     if (reserved) {
                                         append(*reserved);
                                         return;
                                     }
                                     failure = QStringLiteral("unit %1: no own ID: %2")
                                                   .arg(i + 1)
                                                   .arg(why);
                                     finished();
                                 });
    };
    QElapsedTimer wall;
    wall.start();
    for (int first = 0; first < units && failure.isEmpty(); first += together) {
        const int batch = std::min(together, units - first);
        int pending = batch;
        QEventLoop loop;
        for (int i = first; i < first + batch; ++i) {
            recordUnit(i, [&pending, &loop] {
                if (--pending == 0)
                    loop.quit();
            });
        }
        if (pending > 0)
            loop.exec();
    }
    const double wallPerUnit = wall.nsecsElapsed() / 1e6 / units;
    if (!failure.isEmpty())
        return fail(failure);

    // Every row is there once, as this station wrote it.
    const QList<QStringList> rows = record->rows();
    const auto mine = std::count_if(rows.cbegin(), rows.cend(), [&station](const QStringList &r) {
        return r.value(1) == station;
    });
    if (mine != units)
        return fail(QStringLiteral("the record holds %1 of this station's %2 rows")
                        .arg(mine).arg(units));
    if (parser.isSet(timesOption) && !writeTimes(parser.value(timesOption), times, &why))
        return fail(why);
    double sum = 0;
    for (double ms : times)
        sum += ms;
    const QByteArray line =
        QStringLiteral("%1 units, %2 at a time: mean %3 ms, p95 %4 ms per unit; %5 ms of the "
                       "whole run per unit\n")
            .arg(units)
            .arg(together)
            .arg(sum / units, 0, 'f', 2)
            .arg(percentile(times, 0.95), 0, 'f', 2)
            .arg(wallPerUnit, 0, 'f', 2)
            .toUtf8();
    if (std::fwrite(line.constData(), 1, size_t(line.size()), stdout) != size_t(line.size())
        || std::fflush(stdout) != 0)
        return fail(QStringLiteral("cannot write the output"));
    return 0;
}
