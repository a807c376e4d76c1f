#include "fakes/scriptedprompter.h"

Prompter::Answer ScriptedPrompter::message(const QString &text, const QString &title,
                                           Buttons buttons, Icon icon)
{
    shown << Shown{text, title, buttons, icon};
    if (onShow)
        onShow(shown.last());
    return answers.isEmpty() ? Answer::Ok : answers.takeFirst();
}

std::optional<QString> ScriptedPrompter::openFileName(const FileRequest &request)
{
    return nextFileName(request);
}

std::optional<QString> ScriptedPrompter::saveFileName(const FileRequest &request)
{
    return nextFileName(request);
}

std::optional<QString> ScriptedPrompter::nextFileName(const FileRequest &request)
{
    fileRequests << request;
    const QString name = fileNames.isEmpty() ? QString() : fileNames.takeFirst();
    if (name.isEmpty())
        return std::nullopt;
    return name;
}
