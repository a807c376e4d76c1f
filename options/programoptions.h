#pragma once

#include <QCommandLineOption>
#include <QString>

#include <optional>

class QCommandLineParser;

// What the command lines of the three programs share. Each reads its own options with
// QCommandLineParser, so "--opt value", "--opt=value", a repeated option and an unknown one
// behave alike; these are the options and the words they have in common. A program that words
// a refusal its own way keeps doing so.
namespace ProgramOptions {

// What a program does once its command line is read: run, print its help or version on
// standard output, or print a refusal on standard error and stop. Each program's command line
// adds what it runs with.
struct Outcome
{
    enum class Action { Run, Help, Version, Refuse };

    Action action = Action::Run;
    QString message;  // what to print for Help, Version and Refuse
};

// A `Line` (an Outcome) that stops with `action` and `message`.
template <typename Line>
Line stopWith(Outcome::Action action, const QString &message)
{
    Line line;
    line.action = action;
    line.message = message;
    return line;
}

// -h, --help and -v, --version.
QCommandLineOption helpOption();
QCommandLineOption versionOption();
// "PROGRAM VERSION\n".
QString versionText(const QString &program);

// "PROGRAM: WHY\n".
QString complaint(const QString &program, const QString &why);
// The complaint and "Try 'PROGRAM --help'.\n" after it.
QString refusal(const QString &program, const QString &why);

// --lang LANG: the window's language, ja or en.
QCommandLineOption languageOption();
// What is wrong with the parser's --lang ("--lang de: expected ja or en"); empty when it is
// absent or one of the two.
QString languageProblem(const QCommandLineParser &parser, const QCommandLineOption &language);

// A whole number, as QString::toInt reads one, within min..max (bounds included).
std::optional<int> numberInRange(const QString &text, int min, int max);

} // namespace ProgramOptions
