#include "station/recordstore.h"

#include "station/record.h"
#ifdef ZRT_PLANT_RECORD
#include "station/plantrecord.h"
#endif

#include <QCoreApplication>

namespace {

// The texts' translation context.
struct Words
{
    Q_DECLARE_TR_FUNCTIONS(Station)
};

[[maybe_unused]] QString withoutDatabase()
{
    return Words::tr("このプログラムはデータベースの記録に対応していません（CSV ファイルのみ）");
}

} // namespace

bool isPlantRecord(const QString &target)
{
    return target.startsWith(QLatin1String("postgresql://"))
        || target.startsWith(QLatin1String("postgres://"));
}

std::unique_ptr<RecordStore> openRecord(const QString &target, const PlantJob &job,
                                        const SyncToDisk &sync, QString *why)
{
    if (isPlantRecord(target)) {
#ifdef ZRT_PLANT_RECORD
        return PlantRecord::open(target, job, why);
#else
        Q_UNUSED(job);
        *why = withoutDatabase();
        return nullptr;
#endif
    }
    auto record = std::make_unique<StationRecord>();
    record->setSync(sync);
    if (!record->open(target, why))
        return nullptr;
    return record;
}

bool readRecordRows(const QString &target, const QString &jobName, QList<QStringList> *rows,
                    QString *why)
{
    if (isPlantRecord(target)) {
#ifdef ZRT_PLANT_RECORD
        return PlantRecord::readRows(target, jobName, rows, why);
#else
        Q_UNUSED(jobName);
        Q_UNUSED(rows);
        *why = withoutDatabase();
        return false;
#endif
    }
    return StationRecord::readRows(target, rows, why, false);
}
