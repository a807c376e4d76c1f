// Arbitrary bytes as system.ini.
#include "file/systemini.h"

namespace {

// Texts that survive being written and read back as they are.
bool isPlain(const QString &text)
{
    for (QChar c : text) {
        if (c == u'\r' || c == u'\n' || c == u',' || c == u'"')
            return false;
    }
    return text == text.trimmed();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t *data, size_t size)
{
    const QByteArray bytes(reinterpret_cast<const char *>(data), static_cast<qsizetype>(size));
    const PortSettings settings = parsePortSettings(bytes);
    if (isPlain(settings.parity) && isPlain(settings.stopBits)
        && !(parsePortSettings(formatPortSettings(settings)) == settings)) {
        __builtin_trap();
    }
    return 0;
}
