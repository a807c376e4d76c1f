#pragma once

#include "ui/prompter.h"

#include <QList>
#include <QStringList>

#include <functional>

// Answers message boxes and file dialogs from a script and records what was asked.
class ScriptedPrompter : public Prompter
{
public:
    struct Shown
    {
        QString text;
        QString title;
        Buttons buttons;
        Icon icon;
    };

    Answer message(const QString &text, const QString &title, Buttons buttons,
                   Icon icon) override;
    std::optional<QString> openFileName(const FileRequest &request) override;
    std::optional<QString> saveFileName(const FileRequest &request) override;

    // Answers in order; once used up, every box is answered Ok.
    QList<Answer> answers;
    // File names in order; an empty string stands for Cancel.
    QStringList fileNames;

    // Called as each box opens, before it is answered.
    std::function<void(const Shown &box)> onShow;

    QList<Shown> shown;
    QList<FileRequest> fileRequests;

private:
    std::optional<QString> nextFileName(const FileRequest &request);
};
