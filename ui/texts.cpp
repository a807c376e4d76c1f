#include "ui/texts.h"

#include <QCoreApplication>

namespace {

// Status-line colours.
constexpr QRgb Progress = qRgb(0, 0, 192);   // work under way and outcomes
constexpr QRgb LinkError = qRgb(255, 64, 64);  // the port, a silent or wrong unit
constexpr QRgb Idle = qRgb(0, 0, 0);

} // namespace

Texts::StatusMessage Texts::status(LinkStatus status)
{
    switch (status) {
    case LinkStatus::Connecting:
        return {tr("*** 接続中 ***"), Progress};
    case LinkStatus::Connected:
        return {tr("接続完了"), Progress};
    case LinkStatus::OpenFailed:
        return {tr("エラー：シリアルポートが開けませんでした"), LinkError};
    case LinkStatus::CloseFailed:
        return {tr("エラー：シリアルポートは開かれていません"), LinkError};
    case LinkStatus::Disconnected:
        return {tr("切断完了"), Progress};
    case LinkStatus::WrongUnit:
        return {tr("エラー：接続されているユニットが違います"), LinkError};
    case LinkStatus::NoAnswer:
        return {tr("エラー：ユニットと通信できません。"), LinkError};
    case LinkStatus::Writing:
        return {tr("*** 設定中 ***"), Progress};
    case LinkStatus::WriteDone:
        return {tr("設定成功"), Progress};
    case LinkStatus::WriteFailed:
        return {tr("設定失敗"), Progress};
    case LinkStatus::ReadingSettings:
        return {tr("*** 設定値読込中 ***"), Progress};
    case LinkStatus::ReadingError:
        return {tr("*** エラー情報読込中 ***"), Progress};
    case LinkStatus::ReadDone:
        return {tr("読込成功"), Progress};
    case LinkStatus::ReadFailed:
        return {tr("読込失敗"), Progress};
    }
    return {};
}

Texts::StatusMessage Texts::idleAgain()
{
    return {tr("--- 待機中 ---"), Idle};
}

Texts::StatusMessage Texts::verifyDone()
{
    return {tr("照合成功"), Progress};
}

Texts::StatusMessage Texts::verifyFailed()
{
    return {tr("照合失敗"), LinkError};
}

Texts::Box Texts::duplicateStart()
{
    return {tr("現在起動中です。"), tr("重複起動")};
}

Texts::Box Texts::confirmExit()
{
    return {tr("プログラムを終了します。\r\nよろしいですか？"), tr("終了確認")};
}

Texts::Box Texts::confirmWrite()
{
    return {tr("設定を開始します。\r\nよろしいですか？"), tr("設定確認")};
}

Texts::Box Texts::invalidInput()
{
    return {tr("入力値が正しくありません。"), tr("入力値エラー")};
}

Texts::Box Texts::overwrite()
{
    return {tr("ファイルが既に存在します。\r\n上書きしますか？"), tr("保存確認")};
}

Texts::Box Texts::saveFailed()
{
    return {tr("ファイルに保存できません。"), tr("保存エラー")};
}

Texts::Box Texts::portSettingsNotSaved(const QString &path, const QString &reason)
{
    return {tr("通信設定（system.ini）を保存できませんでした。\r\n"
               "次回の起動では、今回の通信設定は使われません。\r\n"
               "保存先：%1\r\n"
               "原因：%2")
                .arg(path, reason),
            tr("保存エラー")};
}

Texts::Box Texts::loadFailed(LoadOutcome outcome)
{
    const QString title = tr("読込エラー");
    switch (outcome) {
    case LoadOutcome::Missing:
        return {tr("ファイルが存在しません。"), title};
    case LoadOutcome::WrongFormat:
        return {tr("ファイル形式が違います。"), title};
    case LoadOutcome::Unreadable:
    case LoadOutcome::Loaded:
        break;
    }
    return {tr("ファイルから読込できません。"), title};
}

Texts::Box Texts::unitError(const QString &message)
{
    return {message, tr("エラー情報")};
}

Texts::Box Texts::verifyMismatch(const QList<Mismatch> &mismatches)
{
    QStringList lines{tr("書き込んだ値とユニットの値が一致しません。")};
    for (const Mismatch &mismatch : mismatches) {
        const QString reported = mismatch.reported.isEmpty() ? tr("（応答なし）")
                                                              : mismatch.reported;
        lines << tr("%1　書込値 %2　ユニットの値 %3")
                     .arg(keyName(mismatch.key), mismatch.written, reported);
    }
    return {lines.join(QStringLiteral("\r\n")), tr("照合エラー")};
}

Texts::Box Texts::preferenceNotStored()
{
    return {tr("この設定を記録できません。次回の起動時には元に戻ります。"), tr("保存エラー")};
}

QString Texts::windowTitle()
{
    // The project's one version number (CMakeLists.txt).
    return tr("ZRT48210設定プログラム") + QStringLiteral("  Ver. ") + QStringLiteral(ZRT_VERSION);
}

QString Texts::portButton(bool connected)
{
    return connected ? tr("切断") : tr("接続");
}

QString Texts::portButtonHint(bool connected)
{
    return connected ? tr("RS232C通信を終了します") : tr("RS232C通信を開始します");
}

QString Texts::directionCaption(const QString &flag)
{
    return flag == QLatin1String("0") ? tr("出力") : tr("入力");
}

QString Texts::saveDialogTitle()
{
    return tr("保存");
}

QString Texts::loadDialogTitle()
{
    return tr("読込");
}

QString Texts::fileFilter()
{
    return tr("すべてのファイル（*.*）|*|テキストファイル（*.txt）|*.txt");
}

QString Texts::portDialogTitle()
{
    return tr("通信設定");
}

QString Texts::portFrameCaption()
{
    return tr("使用ポート");
}

QStringList Texts::portEntries()
{
    return tr("ＣＯＭ１|ＣＯＭ２|ＣＯＭ３|ＣＯＭ４|ＣＯＭ５|ＣＯＭ６|ＣＯＭ７|ＣＯＭ８|ＣＯＭ９")
        .split(u'|');
}

QString Texts::portOk()
{
    return tr("設定");
}

QString Texts::portCancel()
{
    return tr("中止");
}

QString Texts::noDeviceFound()
{
    return tr("未接続");
}

QString Texts::portDetails(const SystemPort &port)
{
    QStringList lines;
    if (!port.manufacturer.isEmpty())
        lines << tr("メーカー：%1").arg(port.manufacturer);
    if (!port.product.isEmpty())
        lines << tr("製品：%1").arg(port.product);
    if (!port.serialNumber.isEmpty())
        lines << tr("シリアル番号：%1").arg(port.serialNumber);
    return lines.join(u'\n');
}

QString Texts::portState(const PortCheck &check, bool held)
{
    if (held)
        return tr("このプログラムが開いています");
    switch (check.failure) {
    case PortFailure::None:
        return tr("使用できます");
    case PortFailure::NoDevice:
        return {};  // the entry already reads 未接続
    case PortFailure::InUse:
        if (check.holder.kind != PortHolder::Kind::Program)
            return tr("他のプログラムが使用中です");
        if (check.holder.program.isEmpty())
            return tr("他のプログラムが使用中です（PID %1）").arg(check.holder.pid);
        return tr("他のプログラムが使用中です（%1、PID %2）")
            .arg(check.holder.program)
            .arg(check.holder.pid);
    case PortFailure::StaleLock:
        return tr("古いロックファイルがあります（PID %1 は終了しています）：%2")
            .arg(check.holder.pid)
            .arg(check.holder.lockFile);
    case PortFailure::NoPermission:
#ifdef Q_OS_LINUX
        return tr("アクセス権がありません。ユーザーを dialout グループに加え、"
                  "ログインし直してください：\nsudo usermod -aG dialout $USER");
#else
        return tr("アクセス権がありません：%1").arg(check.reason);
#endif
    case PortFailure::Other:
        break;
    }
    return tr("開けません：%1").arg(check.reason);
}

QString Texts::portFind()
{
    return tr("検索");
}

QString Texts::portFinding()
{
    return tr("検索中…");
}

QString Texts::foundUnit(const FoundUnit &found)
{
    switch (found.outcome) {
    case FoundUnit::Outcome::Unit:
        return QStringLiteral("ZRT%1  %2").arg(found.model, found.version).trimmed();
    case FoundUnit::Outcome::OtherModel:
        return tr("ZRT%1  %2（対象外の機種）").arg(found.model, found.version);
    case FoundUnit::Outcome::NoAnswer:
        return tr("応答なし");
    case FoundUnit::Outcome::Unreadable:
        return tr("応答を読み取れません");
    case FoundUnit::Outcome::NotOpened:
        if (found.failure.failure == PortFailure::NoDevice)
            return noDeviceFound();
        return portState(found.failure, false);
    case FoundUnit::Outcome::Held:
        break;
    }
    return portState({}, true);
}

QString Texts::trafficTitle()
{
    return tr("通信ログ");
}

QStringList Texts::trafficColumns()
{
    return tr("時刻|ポート|方向|内容").split(u'|');
}

QString Texts::trafficCopy()
{
    return tr("コピー");
}

QString Texts::trafficSave()
{
    return tr("保存");
}

QString Texts::trafficClear()
{
    return tr("クリア");
}

QString Texts::trafficSaveTitle()
{
    return tr("通信ログの保存");
}

QString Texts::trafficFileFilter()
{
    return tr("テキストファイル（*.txt）|*.txt|すべてのファイル（*.*）|*");
}

Texts::Box Texts::trafficSaveFailed(const QString &reason)
{
    return {tr("ファイルに保存できません。") + QStringLiteral("\r\n") + reason, tr("保存エラー")};
}

Texts::Box Texts::trafficFileFailed(const QString &reason)
{
    return {tr("通信ログをファイルに書き込めません。ファイルへの記録を停止しました。")
                + QStringLiteral("\r\n") + reason,
            tr("通信ログ")};
}

QString Texts::upDownName()
{
    return tr("増減ボタン");
}

QString Texts::upDownDescription()
{
    return tr("上で 1 増やし、下で 1 減らします");
}

