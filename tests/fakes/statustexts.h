#pragma once

#include <QString>
#include <QtGlobal>

// What the status line must show, written out here rather than taken from the program, so that
// the tests hold the program to the exact wording and colours.

// Colours of the status line, as 0xAARRGGBB.
namespace StatusColour {
inline constexpr quint32 Progress = 0xff0000c0u;   // work under way and outcomes
inline constexpr quint32 LinkError = 0xffff4040u;  // the port, a silent or wrong unit
inline constexpr quint32 Idle = 0xff000000u;
} // namespace StatusColour

// Every text the status line shows.
namespace StatusText {
inline const QString WaitingAtStart = QStringLiteral("*** 待機中 ***");
inline const QString Waiting = QStringLiteral("--- 待機中 ---");
inline const QString Connecting = QStringLiteral("*** 接続中 ***");
inline const QString Connected = QStringLiteral("接続完了");
inline const QString OpenFailed = QStringLiteral("エラー：シリアルポートが開けませんでした");
inline const QString CloseFailed = QStringLiteral("エラー：シリアルポートは開かれていません");
inline const QString Disconnected = QStringLiteral("切断完了");
inline const QString WrongUnit = QStringLiteral("エラー：接続されているユニットが違います");
inline const QString NoAnswer = QStringLiteral("エラー：ユニットと通信できません。");
inline const QString Writing = QStringLiteral("*** 設定中 ***");
inline const QString WriteDone = QStringLiteral("設定成功");
inline const QString WriteFailed = QStringLiteral("設定失敗");
inline const QString ReadingSettings = QStringLiteral("*** 設定値読込中 ***");
inline const QString ReadingError = QStringLiteral("*** エラー情報読込中 ***");
inline const QString ReadDone = QStringLiteral("読込成功");
inline const QString ReadFailed = QStringLiteral("読込失敗");
inline const QString VerifyDone = QStringLiteral("照合成功");
inline const QString VerifyFailed = QStringLiteral("照合失敗");
} // namespace StatusText
