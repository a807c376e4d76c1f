#include "unit/admission.h"

#include "file/settingsfile.h"
#include "link/unitmodels.h"
#include "settings/commandset.h"

#include <QBuffer>
#include <QCryptographicHash>
#include <QFile>

QString fileKindMismatch(int fileTab, const UnitModel &unit)
{
    if (fileTab == unit.tab)
        return {};
    return QStringLiteral("the file is for a %1 (%2), the unit is a %3 (%4)")
        .arg(fileTab == AnalogTab ? QStringLiteral("analog unit")
                                  : QStringLiteral("digital unit"),
             settingsFileKind(fileTab), unit.model, unit.kind);
}

QString loadPlanSettings(const QString &path, UnitSettings &values, const QByteArray *bytes)
{
    LoadDetails details;
    LoadOutcome outcome;
    if (bytes) {
        QBuffer buffer;
        buffer.setData(*bytes);
        buffer.open(QIODevice::ReadOnly);
        outcome = loadSettings(buffer, values, &details);
    } else {
        outcome = loadSettingsFile(path, values, &details);
    }
    if (outcome != LoadOutcome::Loaded) {
        if (details.line == 0)
            return QStringLiteral("%1: %2").arg(path, details.reason);
        return QStringLiteral("%1: line %2: %3").arg(path).arg(details.line).arg(details.reason);
    }
    // The window would keep its own values for a missing line; here they would be defaults
    // nobody has seen, so such a file is not written.
    QStringList missing;
    for (ParameterKey key : AllParameterKeys) {
        if (!details.applied.contains(key))
            missing << keyName(key);
    }
    if (!missing.isEmpty())
        return QStringLiteral("%1: no line for %2").arg(path, missing.join(QLatin1String(", ")));
    return {};
}

JobSettings loadJobSettings(const QString &path)
{
    JobSettings job;
    job.path = path;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        job.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return job;
    }
    // A settings file is a few hundred bytes; a large file given by mistake is not taken in.
    constexpr qint64 MaxBytes = 64 * 1024;
    job.bytes = file.read(MaxBytes + 1);
    if (file.error() != QFileDevice::NoError) {
        job.error = QStringLiteral("%1: %2").arg(path, file.errorString());
        return job;
    }
    if (job.bytes.size() > MaxBytes) {
        job.error = QStringLiteral("%1: larger than a settings file can be").arg(path);
        return job;
    }
    job.sha256 = QString::fromLatin1(
        QCryptographicHash::hash(job.bytes, QCryptographicHash::Sha256).toHex());
    UnitSettings &values = job.values;
    job.error = loadPlanSettings(path, values, &job.bytes);
    if (!job.error.isEmpty())
        return job;
    job.analog = values.tab() == AnalogTab;
    job.role = values.listIndex(ParameterKey::TYPE);
    if (!values.ownIdEditable())
        job.fixedOwnId = roleOwnId(job.role).text;
    job.fileOwnId = values.value(ParameterKey::MYID);
    job.frequency = values.frequency();
    return job;
}
