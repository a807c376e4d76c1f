// Arbitrary bytes as a settings file.
#include "settings/unitsettings.h"
#include "file/settingsfile.h"

#include <QBuffer>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    UnitSettings values;
    const LoadOutcome outcome = loadSettings(buffer, values);
    // Whatever was applied must still save as a well-formed file.
    const QByteArray saved = buildSettingsFile(values);
    if (!saved.endsWith("\r\n\r\n") || (outcome == LoadOutcome::Loaded && saved.count('\n') != 19))
        __builtin_trap();
    return 0;
}
