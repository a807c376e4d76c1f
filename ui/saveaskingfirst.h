#pragma once

#include "ui/prompter.h"

#include <QByteArray>
#include <QString>

#include <functional>

// Saves `content` to `path` as ファイル → 保存 always has: a file already there (a hidden one
// too: replacing it unasked loses it) is replaced only after the user agrees, and only whole.
// A failed write is shown with the box `failed` makes of the operating system's reason.
void saveAskingFirst(Prompter &prompter, const QString &path, const QByteArray &content,
                     const std::function<Prompter::Box(const QString &reason)> &failed);
