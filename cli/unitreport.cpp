#include "cli/unitreport.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <algorithm>

int overallExitStatus(const QList<UnitReport> &reports)
{
    // The statuses are ordered by severity, interrupted (130) above all.
    int worst = ExitStatus::Done;
    for (const UnitReport &report : reports)
        worst = std::max(worst, exitStatus(report.outcome));
    return worst;
}

namespace {

QString multiLine(const QString &message)
{
    QString text = message;
    return text.replace(QLatin1String("\r\n"), QLatin1String("\n"));
}

QString writtenText(const UnitReport &report)
{
    QString text = QStringLiteral("%1 of %2 written").arg(report.written).arg(report.toWrite);
    if (report.verified)
        text += QLatin1String(", verified");
    return text;
}

QString mismatchLines(const QList<Mismatch> &mismatches, const QString &expected,
                      const QString &reported)
{
    QString text;
    for (const Mismatch &mismatch : mismatches) {
        text += QStringLiteral("%1  %2 %3  %4 %5\n")
                    .arg(keyName(mismatch.key), expected, mismatch.written, reported,
                         mismatch.reported.isEmpty() ? QStringLiteral("(none)")
                                                     : mismatch.reported);
    }
    return text;
}

// The verb's own result for one unit, as far as it got.
QString unitBody(Verb verb, const UnitReport &report)
{
    const bool done = report.outcome == Outcome::Done;
    QString text;
    switch (verb) {
    case Verb::Ports:
    case Verb::Find:
    case Verb::Watch:
    case Verb::Record:
        break;
    case Verb::Identify:
        if (done) {
            text = QStringLiteral("model    %1\nkind     %2\nversion  %3\n")
                       .arg(report.model, report.kind, report.version);
        }
        break;
    case Verb::Read:
        if (done && !report.outputPath.isEmpty()) {
            text = QStringLiteral("saved %1\n").arg(report.outputPath);
        } else if (done || report.outcome == Outcome::OutputFailed) {
            // What could not be saved is printed, so that nothing read is lost.
            for (const auto &[key, value] : report.values)
                text += keyName(key) + QLatin1Char('=') + value + QLatin1Char('\n');
        }
        break;
    case Verb::Write:
    case Verb::Set:
        if (report.toWrite > 0)
            text = writtenText(report) + QLatin1Char('\n');
        text += mismatchLines(report.mismatches, QStringLiteral("written"),
                              QStringLiteral("read back"));
        break;
    case Verb::Diff:
        text = mismatchLines(report.mismatches, QStringLiteral("file"), QStringLiteral("unit"));
        if (done)
            text = QStringLiteral("no differences\n");
        break;
    case Verb::Error:
        if (done)
            text = report.errorCode + QLatin1Char('\n') + multiLine(report.errorMessage) + '\n';
        break;
    }
    return text;
}

QString summaryDetail(Verb verb, const UnitReport &report)
{
    if (report.outcome != Outcome::Done)
        return report.detail;
    switch (verb) {
    case Verb::Identify:
        return report.version;
    case Verb::Read:
        return report.outputPath.isEmpty() ? QStringLiteral("17 parameters read")
                                           : QStringLiteral("saved %1").arg(report.outputPath);
    case Verb::Write:
    case Verb::Set:
        return writtenText(report);
    case Verb::Diff:
        return QStringLiteral("no differences");
    case Verb::Error:
        return report.errorCode;
    case Verb::Ports:
    case Verb::Find:
    case Verb::Watch:
    case Verb::Record:
        break;
    }
    return {};
}

QString summaryTable(Verb verb, const QList<UnitReport> &reports)
{
    QList<QStringList> rows{{QStringLiteral("PORT"), QStringLiteral("MODEL"),
                             QStringLiteral("RESULT"), QStringLiteral("DETAIL")}};
    for (const UnitReport &report : reports) {
        const QString model = report.model.isEmpty() ? QStringLiteral("-") : report.model;
        rows << QStringList{report.port, model, outcomeName(report.outcome),
                            summaryDetail(verb, report)};
    }
    QList<qsizetype> widths(3, 0);
    for (const QStringList &row : rows) {
        for (int column = 0; column < 3; ++column)
            widths[column] = std::max(widths[column], row.at(column).size());
    }
    QString text;
    for (const QStringList &row : rows) {
        for (int column = 0; column < 3; ++column)
            text += row.at(column).leftJustified(widths[column] + 2);
        text += row.at(3) + QLatin1Char('\n');
    }
    return text;
}

} // namespace

QString renderText(Verb verb, const QList<UnitReport> &reports)
{
    const bool several = reports.size() > 1;
    QString text;
    for (const UnitReport &report : reports) {
        const QString body = unitBody(verb, report);
        if (several && !body.isEmpty())
            text += QStringLiteral("[%1]\n").arg(report.port);
        text += body;
    }
    if (several)
        text += (text.isEmpty() ? QString() : QStringLiteral("\n")) + summaryTable(verb, reports);
    return text;
}

QByteArray renderJson(Verb verb, const QList<UnitReport> &reports)
{
    QJsonArray units;
    for (const UnitReport &report : reports) {
        QJsonObject values;
        for (const auto &[key, value] : report.values)
            values.insert(keyName(key), value);
        QJsonArray mismatches;
        for (const Mismatch &mismatch : report.mismatches) {
            mismatches.append(QJsonObject{{QStringLiteral("key"), keyName(mismatch.key)},
                                          {QStringLiteral("expected"), mismatch.written},
                                          {QStringLiteral("reported"), mismatch.reported}});
        }
        QJsonObject unit{
            {QStringLiteral("port"), report.port},
            {QStringLiteral("device"), report.device},
            {QStringLiteral("model"), report.model},
            {QStringLiteral("kind"), report.kind},
            {QStringLiteral("version"), report.version},
            {QStringLiteral("outcome"), outcomeName(report.outcome)},
            {QStringLiteral("exitStatus"), exitStatus(report.outcome)},
            {QStringLiteral("detail"), report.detail},
            {QStringLiteral("values"), values},
            {QStringLiteral("mismatches"), mismatches},
        };
        if (verb == Verb::Write || verb == Verb::Set) {
            unit.insert(QStringLiteral("written"), report.written);
            unit.insert(QStringLiteral("toWrite"), report.toWrite);
            unit.insert(QStringLiteral("verified"), report.verified);
        }
        if (verb == Verb::Error) {
            unit.insert(QStringLiteral("error"),
                        QJsonObject{{QStringLiteral("code"), report.errorCode},
                                    {QStringLiteral("message"), multiLine(report.errorMessage)}});
        }
        if (!report.outputPath.isEmpty())
            unit.insert(QStringLiteral("output"), report.outputPath);
        units.append(unit);
    }
    const QJsonObject document{{QStringLiteral("verb"), verbName(verb)},
                               {QStringLiteral("exitStatus"), overallExitStatus(reports)},
                               {QStringLiteral("units"), units}};
    return QJsonDocument(document).toJson(QJsonDocument::Indented);
}
