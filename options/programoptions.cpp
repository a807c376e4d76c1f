#include "options/programoptions.h"

#include <QCommandLineParser>

namespace ProgramOptions {

QCommandLineOption helpOption()
{
    return QCommandLineOption(QStringList{QStringLiteral("h"), QStringLiteral("help")});
}

QCommandLineOption versionOption()
{
    return QCommandLineOption(QStringList{QStringLiteral("v"), QStringLiteral("version")});
}

QString versionText(const QString &program)
{
    return QStringLiteral("%1 %2\n").arg(program, QStringLiteral(ZRT_VERSION));
}

QString complaint(const QString &program, const QString &why)
{
    return QStringLiteral("%1: %2\n").arg(program, why);
}

QString refusal(const QString &program, const QString &why)
{
    return complaint(program, why) + QStringLiteral("Try '%1 --help'.\n").arg(program);
}

QCommandLineOption languageOption()
{
    return QCommandLineOption(QStringLiteral("lang"), QString(), QStringLiteral("LANG"));
}

QString languageProblem(const QCommandLineParser &parser, const QCommandLineOption &language)
{
    const QString name = parser.value(language);
    if (!parser.isSet(language) || name == QLatin1String("ja") || name == QLatin1String("en"))
        return {};
    return QStringLiteral("--lang %1: expected ja or en").arg(name);
}

std::optional<int> numberInRange(const QString &text, int min, int max)
{
    bool ok = false;
    const int number = text.toInt(&ok);
    if (!ok || number < min || number > max)
        return std::nullopt;
    return number;
}

} // namespace ProgramOptions
