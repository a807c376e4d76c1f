#pragma once

#include <QString>
#include <QStringView>

// The code of an error line: its last four characters (the whole line when shorter).
QString unitErrorCode(QStringView line);
// The explanation of a code; lines joined by CR LF.
QString unitErrorMessage(QStringView code);

inline const QString UnitErrorTitle = QStringLiteral("エラー情報");
