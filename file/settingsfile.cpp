#include "file/settingsfile.h"

#include "file/itemreader.h"
#include "link/unitmodels.h"
#include "settings/unitsettings.h"
#include "file/fileexists.h"
#include "file/shiftjis.h"

#include <QFile>

namespace {

// The file's own order: TYPE before MYID, so that loading keeps a saved own ID.
constexpr ParameterKey FileOrder[] = {
    ParameterKey::TYPE, ParameterKey::MODE, ParameterKey::MYID, ParameterKey::SNUM,
    ParameterKey::FRCH, ParameterKey::FRBD, ParameterKey::HOLD, ParameterKey::DIVR,
    ParameterKey::PDIR, ParameterKey::LOGI, ParameterKey::AUIO, ParameterKey::ADSL,
    ParameterKey::DASL, ParameterKey::REPT, ParameterKey::ETIM, ParameterKey::PTIM,
    ParameterKey::DOUT,
};

// No valid item comes near this; a longer one is refused without being held in memory.
constexpr qsizetype MaxItemBytes = 1024;

} // namespace

QString settingsFileKind(int tab)
{
    return tab == AnalogTab ? QStringLiteral("アナログユニット")
                            : QStringLiteral("デジタルユニット");
}

QByteArray formatSettingsLine(const QString &key, const QString &value)
{
    return key.toLatin1() + '=' + value.toLatin1() + "\r\n";
}

QByteArray buildSettingsFile(const UnitSettings &values)
{
    QByteArray content = toShiftJis(settingsFileKind(values.tab()));
    content += "\r\n";
    for (ParameterKey key : FileOrder)
        content += formatSettingsLine(keyName(key), values.value(key));
    content += "\r\n";
    return content;
}

namespace {

LoadOutcome stop(LoadOutcome outcome, LoadDetails *details, int line, const QString &reason)
{
    if (details) {
        details->line = line;
        details->reason = reason;
    }
    return outcome;
}

} // namespace

LoadOutcome loadSettingsFile(const QString &path, UnitSettings &values, LoadDetails *details)
{
    if (!fileExists(path))
        return stop(LoadOutcome::Missing, details, 0, QStringLiteral("no such file"));
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return stop(LoadOutcome::Unreadable, details, 0, file.errorString());
    return loadSettings(file, values, details);
}

LoadOutcome loadSettings(QIODevice &device, UnitSettings &values, LoadDetails *details)
{
    ItemReader reader(&device, MaxItemBytes);
    const ItemReader::Result first = reader.next();
    if (first.status == ItemReader::Status::ReadError)
        return stop(LoadOutcome::Unreadable, details, 1, device.errorString());
    const std::optional<QString> decoded = fromShiftJis(first.item);
    const QString kind = decoded.value_or(QString());
    const bool kindLine = first.status == ItemReader::Status::Item && decoded.has_value();
    if (kindLine && kind == settingsFileKind(DigitalTab))
        values.setTab(DigitalTab);
    else if (kindLine && kind == settingsFileKind(AnalogTab))
        values.setTab(AnalogTab);
    else
        return stop(LoadOutcome::WrongFormat, details, 1,
                    QStringLiteral("the first line is not a unit kind (%1 or %2)")
                        .arg(settingsFileKind(DigitalTab), settingsFileKind(AnalogTab)));

    while (!reader.atEnd()) {
        const ItemReader::Result item = reader.next();
        // Stop at the first refused item, the last one included: the rest is not read at all.
        if (item.status == ItemReader::Status::ReadError)
            return stop(LoadOutcome::Unreadable, details, reader.itemLine(), device.errorString());
        if (item.status == ItemReader::Status::TooLong) {
            return stop(LoadOutcome::Unreadable, details, reader.itemLine(),
                        QStringLiteral("an item longer than %1 bytes").arg(MaxItemBytes));
        }
        const QString line = QString::fromLatin1(item.item);
        QString why;
        if (!values.applyLine(line, &why))
            return stop(LoadOutcome::Unreadable, details, reader.itemLine(), why);
        const std::optional<ParameterKey> key = keyFromName(QStringView(line).left(4));
        if (key && details)
            details->applied << *key;
    }
    return LoadOutcome::Loaded;
}
