#pragma once

#include "ui/prompter.h"

#include <QStringList>

class QWidget;

// Prompter with Qt's message boxes and file dialogs.
class QtPrompter : public Prompter
{
public:
    explicit QtPrompter(QWidget *parent = nullptr);
    void setParent(QWidget *parent) { m_parent = parent; }

    Answer message(const QString &text, const QString &title, Buttons buttons,
                   Icon icon) override;
    std::optional<QString> openFileName(const FileRequest &request) override;
    std::optional<QString> saveFileName(const FileRequest &request) override;

    // "a|*|b|*.txt" → {"a (*)", "b (*.txt)"}.
    static QStringList nameFilters(const QString &filter);

private:
    std::optional<QString> fileName(const FileRequest &request, bool save);

    QWidget *m_parent;
};
