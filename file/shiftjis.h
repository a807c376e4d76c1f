#pragma once

#include <QByteArray>
#include <QString>

#include <optional>

// Settings files are Shift-JIS. Qt converts it through ICU on Linux; Qt for Windows has no ICU,
// so there the system's own code page 932 does it. The bytes are the same either way.
QByteArray toShiftJis(const QString &text);
// The text, or nothing when the bytes are not valid Shift-JIS.
std::optional<QString> fromShiftJis(const QByteArray &bytes);
