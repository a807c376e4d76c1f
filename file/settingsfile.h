#pragma once

#include "file/filewriter.h"

#include <QByteArray>
#include <QString>

class QIODevice;
class SettingsForm;

namespace SettingsFileText {
inline const QString Filter =
    QStringLiteral("すべてのファイル（*.*）|*|テキストファイル（*.txt）|*.txt");
inline const QString DefaultSuffix = QStringLiteral("txt");
inline const QString SaveTitle = QStringLiteral("保存");
inline const QString LoadTitle = QStringLiteral("読込");
inline const QString Overwrite = QStringLiteral("ファイルが既に存在します。\r\n上書きしますか？");
inline const QString OverwriteTitle = QStringLiteral("保存確認");
inline const QString SaveFailed = QStringLiteral("ファイルに保存できません。");
inline const QString SaveFailedTitle = QStringLiteral("保存エラー");
inline const QString Missing = QStringLiteral("ファイルが存在しません。");
inline const QString WrongFormat = QStringLiteral("ファイル形式が違います。");
inline const QString Unreadable = QStringLiteral("ファイルから読込できません。");
inline const QString LoadFailedTitle = QStringLiteral("読込エラー");
} // namespace SettingsFileText

// "KEY=value" CR LF.
QByteArray formatSettingsLine(const QString &key, const QString &value);
// The whole file for the values the window shows: the unit-kind line in Shift-JIS, the
// seventeen parameter lines in the file's own order, and an empty line.
QByteArray buildSettingsFile(const SettingsForm &form);

// Replaces the file only once the whole content is written; on failure the old file stays.
FileWriteResult writeSettingsFile(const QString &path, const QByteArray &content);

enum class LoadOutcome {
    Loaded,
    Missing,      // no such ordinary file
    WrongFormat,  // the first item is not a unit-kind line; nothing was changed
    Unreadable,   // a refused item or a read failure; the items before it stay applied
};
LoadOutcome loadSettingsFile(const QString &path, SettingsForm &form);
// The same from an open device.
LoadOutcome loadSettings(QIODevice &device, SettingsForm &form);
// The message for an outcome other than Loaded.
QString loadOutcomeMessage(LoadOutcome outcome);
