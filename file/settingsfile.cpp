#include "file/settingsfile.h"

#include "file/itemreader.h"
#include "settings/panelvalues.h"
#include "file/fileexists.h"

#include <QFile>
#include <QStringDecoder>
#include <QStringEncoder>

namespace {

const QString DigitalKind = QStringLiteral("デジタルユニット");
const QString AnalogKind = QStringLiteral("アナログユニット");
const char *const FileEncoding = "Shift_JIS";

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

QByteArray formatSettingsLine(const QString &key, const QString &value)
{
    return key.toLatin1() + '=' + value.toLatin1() + "\r\n";
}

QByteArray buildSettingsFile(const SettingsForm &form)
{
    QStringEncoder encoder(FileEncoding);
    const QString kind = form.selectedTab() == AnalogTab ? AnalogKind : DigitalKind;
    QByteArray content = encoder.encode(kind);
    content += "\r\n";
    for (ParameterKey key : FileOrder)
        content += formatSettingsLine(keyName(key), parameterValue(form, key));
    content += "\r\n";
    return content;
}

FileWriteResult writeSettingsFile(const QString &path, const QByteArray &content)
{
    return replaceFile(path, content);
}

LoadOutcome loadSettingsFile(const QString &path, SettingsForm &form)
{
    if (!fileExists(path))
        return LoadOutcome::Missing;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return LoadOutcome::Unreadable;
    return loadSettings(file, form);
}

LoadOutcome loadSettings(QIODevice &device, SettingsForm &form)
{
    ItemReader reader(&device, MaxItemBytes);
    const ItemReader::Result first = reader.next();
    if (first.status == ItemReader::Status::ReadError)
        return LoadOutcome::Unreadable;
    QStringDecoder decoder(FileEncoding);
    const QString kind = decoder.decode(first.item);
    if (first.status != ItemReader::Status::Item || decoder.hasError())
        return LoadOutcome::WrongFormat;
    if (kind == DigitalKind)
        form.selectTab(DigitalTab);
    else if (kind == AnalogKind)
        form.selectTab(AnalogTab);
    else
        return LoadOutcome::WrongFormat;

    while (!reader.atEnd()) {
        const ItemReader::Result item = reader.next();
        // Stop at the first refused item, the last one included: the rest is not read at all.
        if (item.status != ItemReader::Status::Item
            || applyParameterLine(form, QString::fromLatin1(item.item)) != 0) {
            return LoadOutcome::Unreadable;
        }
    }
    return LoadOutcome::Loaded;
}
