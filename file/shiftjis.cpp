#include "file/shiftjis.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <QStringDecoder>
#include <QStringEncoder>
#endif

#ifdef Q_OS_WIN

namespace {

constexpr UINT ShiftJisCodePage = 932;

} // namespace

QByteArray toShiftJis(const QString &text)
{
    if (text.isEmpty())
        return {};
    const auto wide = reinterpret_cast<LPCWCH>(text.utf16());
    const int size = WideCharToMultiByte(ShiftJisCodePage, 0, wide, int(text.size()), nullptr,
                                         0, nullptr, nullptr);
    if (size <= 0)
        return {};
    QByteArray bytes(size, Qt::Uninitialized);
    if (WideCharToMultiByte(ShiftJisCodePage, 0, wide, int(text.size()), bytes.data(), size,
                            nullptr, nullptr)
        != size) {
        return {};
    }
    return bytes;
}

std::optional<QString> fromShiftJis(const QByteArray &bytes)
{
    if (bytes.isEmpty())
        return QString();
    const int size = MultiByteToWideChar(ShiftJisCodePage, MB_ERR_INVALID_CHARS,
                                         bytes.constData(), int(bytes.size()), nullptr, 0);
    if (size <= 0)
        return std::nullopt;
    QString text(size, Qt::Uninitialized);
    if (MultiByteToWideChar(ShiftJisCodePage, MB_ERR_INVALID_CHARS, bytes.constData(),
                            int(bytes.size()), reinterpret_cast<LPWSTR>(text.data()), size)
        != size) {
        return std::nullopt;
    }
    return text;
}

#else

namespace {

const char *const FileEncoding = "Shift_JIS";

} // namespace

QByteArray toShiftJis(const QString &text)
{
    QStringEncoder encoder(FileEncoding);
    return encoder.encode(text);
}

std::optional<QString> fromShiftJis(const QByteArray &bytes)
{
    QStringDecoder decoder(FileEncoding);
    const QString text = decoder.decode(bytes);
    if (decoder.hasError())
        return std::nullopt;
    return text;
}

#endif
