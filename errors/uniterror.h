#pragma once

#include <QString>
#include <QStringView>

// The code of an error line: its last four characters (the whole line when shorter).
QString unitErrorCode(QStringView line);
// The explanation of a code, lines joined by CR LF: Japanese, or the installed translation.
QString unitErrorMessage(QStringView code);
