#include "unit/unitsummary.h"

#include "link/link.h"
#include "settings/parameters.h"

#include <QCoreApplication>

UnitSummary summarize(const UnitJob::Result &job, bool interrupted)
{
    UnitSummary summary;
    summary.outcome = interrupted ? UnitOutcome::Interrupted : outcomeOf(job);
    summary.model = job.model;
    if (job.unit)
        summary.kind = job.unit->kind;
    summary.version = job.version;
    summary.toWrite = static_cast<int>(job.commands.size());
    summary.written = job.written;
    summary.writeStarted = job.sent > 0;
    summary.ownIdSent = !job.ownIdSent.isEmpty();
    summary.ownId = job.ownIdSent;
    if (job.outcome == UnitJob::Outcome::Refused
        || job.outcome == UnitJob::Outcome::Unacknowledged)
        summary.refusedKey = job.command.left(4);
    for (const Mismatch &mismatch : job.mismatches)
        summary.mismatchedKeys << keyName(mismatch.key);
    if (job.outcome == UnitJob::Outcome::OpenFailed)
        summary.detail = job.port.reason;
    else if (job.outcome == UnitJob::Outcome::WrongModel)
        summary.detail = job.detail;
    if (job.read) {
        summary.readBack = true;
        for (ParameterKey key : AllParameterKeys) {
            if (job.values.has(key))
                summary.values << std::pair{keyName(key), job.values.value(key)};
        }
    } else {
        // Without a read-back, the values as written: the commands the unit acknowledged.
        for (const QString &command : job.commands.mid(0, job.written))
            summary.values << std::pair{command.left(4), command.mid(4)};
    }
    return summary;
}

QString reasonOf(const UnitSummary &result, ReasonLanguage language)
{
    // The record keeps the Japanese words whatever the window speaks, like every file written.
    const auto text = [language](const char *source) {
        return language == ReasonLanguage::Shown
            ? QCoreApplication::translate("Station", source)
            : QString::fromUtf8(source);
    };
    const QString progress =
        text(QT_TRANSLATE_NOOP("Station", "%1/%2 書込済み")).arg(result.written).arg(result.toWrite);
    switch (result.outcome) {
    case UnitOutcome::Done:
        return result.readBack ? text(QT_TRANSLATE_NOOP("Station", "書込と照合が完了しました"))
                               : text(QT_TRANSLATE_NOOP("Station", "書込完了（照合なし）"));
    case UnitOutcome::NoAnswer:
        return result.writeStarted
            ? text(QT_TRANSLATE_NOOP("Station", "ユニットが応答しなくなりました（%1）")).arg(progress)
            : text(QT_TRANSLATE_NOOP("Station", "エラー：ユニットと通信できません。"));
    case UnitOutcome::Unreadable:
        return result.writeStarted
            ? text(QT_TRANSLATE_NOOP("Station", "ユニットの応答を読み取れなくなりました（%1）"))
                  .arg(progress)
            : text(QT_TRANSLATE_NOOP("Station", "応答を読み取れません"));
    case UnitOutcome::WrongModel:
        return result.kind.isEmpty()
            ? text(QT_TRANSLATE_NOOP("Station", "エラー：接続されているユニットが違います（ZRT%1）"))
                  .arg(result.model)
            : text(QT_TRANSLATE_NOOP("Station", "ユニットの種類が設定ファイルと違います（ZRT%1 %2）"))
                  .arg(result.model, result.kind);
    case UnitOutcome::InUse:
        return text(QT_TRANSLATE_NOOP("Station", "他のプログラムが使用中です"));
    case UnitOutcome::OpenFailed:
        return text(QT_TRANSLATE_NOOP("Station", "開けません: %1")).arg(result.detail);
    case UnitOutcome::PortLost:
        return text(QT_TRANSLATE_NOOP("Station", "アダプタが抜かれました（%1）")).arg(progress);
    case UnitOutcome::Refused:
        return text(QT_TRANSLATE_NOOP("Station", "ユニットが %1 を受け付けませんでした（%2）"))
            .arg(result.refusedKey, progress);
    case UnitOutcome::Different:
        return text(QT_TRANSLATE_NOOP("Station", "照合失敗: %1"))
            .arg(result.mismatchedKeys.join(QLatin1String(", ")));
    case UnitOutcome::Interrupted:
        return text(QT_TRANSLATE_NOOP("Station", "停止しました（%1）")).arg(progress);
    case UnitOutcome::BadReadBack:
        return text(QT_TRANSLATE_NOOP("Station", "読み戻した値が使えません: %1")).arg(result.detail);
    case UnitOutcome::OutputFailed:
        return text(QT_TRANSLATE_NOOP("Station", "保存できません: %1")).arg(result.detail);
    }
    return {};
}

QString commandLineDetail(const UnitJob::Result &job, const QString &device)
{
    const QString written = !job.commands.isEmpty() && job.step == UnitJob::Step::Writing
        ? QStringLiteral(" (%1 of %2 written)").arg(job.written).arg(job.commands.size())
        : QString();
    switch (job.outcome) {
    case UnitJob::Outcome::OpenFailed: {
        QString detail = QStringLiteral("cannot open %1: %2").arg(device, job.port.reason);
        // What the window's port dialog tells such a user too.
        if (job.port.failure == PortFailure::NoPermission)
            detail += QStringLiteral("; serial ports belong to the group dialout: run "
                                     "'sudo usermod -aG dialout $USER', then log out and in "
                                     "again");
        return detail;
    }
    case UnitJob::Outcome::PortLost:
        return QStringLiteral("the port went away: %1%2").arg(job.port.reason, written);
    case UnitJob::Outcome::Stopped:
        return QStringLiteral("the port was closed");
    case UnitJob::Outcome::NoAnswer:
        return QStringLiteral("no answer to %1, sent %2 times%3")
            .arg(job.command).arg(Link::MaxResends + 1).arg(written);
    case UnitJob::Outcome::Unreadable:
        return QStringLiteral("unreadable answer to %1, sent %2 times: bytes came back, but no "
                              "line could be read (check the line's speed and parity, and the "
                              "cable)%3")
            .arg(job.command).arg(Link::MaxResends + 1).arg(written);
    case UnitJob::Outcome::Unidentified:
        return QStringLiteral("no identification in the answer to UVER");
    case UnitJob::Outcome::WrongModel:
        return job.detail;
    case UnitJob::Outcome::Refused:
        return QStringLiteral("the unit refused %1%2").arg(job.command, written);
    case UnitJob::Outcome::Unacknowledged:
        // Every command went out and none was refused, yet the last was not acknowledged: the
        // unit answered it with something else, such as an error line.
        return QStringLiteral("the unit did not acknowledge %1%2").arg(job.command, written);
    case UnitJob::Outcome::Different:
    case UnitJob::Outcome::Done:
        break;
    }
    return {};
}

QString interruptedDetail(int written, int toWrite)
{
    return toWrite > 0 ? QStringLiteral("Ctrl-C after %1 of %2 written").arg(written).arg(toWrite)
                       : QStringLiteral("Ctrl-C");
}

QString differencesDetail(const QStringList &keys)
{
    return QStringLiteral("%1 %2: %3")
        .arg(keys.size())
        .arg(keys.size() == 1 ? QStringLiteral("parameter differs")
                              : QStringLiteral("parameters differ"),
             keys.join(QLatin1String(", ")));
}
