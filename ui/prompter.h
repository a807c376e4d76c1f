#pragma once

#include <QString>

#include <optional>

// Every message box and file dialog of the tool goes through this, so that tests can script
// the answers and check the exact texts.
class Prompter
{
public:
    enum class Buttons { Ok, OkCancel };
    enum class Icon { None, Exclamation };
    enum class Answer { Ok, Cancel };

    // A message box's text (lines joined by CR LF) and title.
    struct Box
    {
        QString text;
        QString title;
    };

    struct FileRequest
    {
        QString title;
        QString directory;
        // "description|pattern|description|pattern", as the tool's file-type list is written.
        QString filter;
        QString defaultSuffix;
    };

    virtual ~Prompter() = default;

    virtual Answer message(const QString &text, const QString &title, Buttons buttons,
                           Icon icon = Icon::None) = 0;
    Answer show(const Box &box, Buttons buttons = Buttons::Ok, Icon icon = Icon::None)
    {
        return message(box.text, box.title, buttons, icon);
    }
    // No value when the user cancelled.
    virtual std::optional<QString> openFileName(const FileRequest &request) = 0;
    virtual std::optional<QString> saveFileName(const FileRequest &request) = 0;
};
