#include "ui/saveaskingfirst.h"

#include "file/filewriter.h"
#include "ui/texts.h"

#include <QFileInfo>

void saveAskingFirst(Prompter &prompter, const QString &path, const QByteArray &content,
                     const std::function<Prompter::Box(const QString &reason)> &failed)
{
    if (QFileInfo(path).isFile()
        && prompter.show(Texts::overwrite(), Prompter::Buttons::OkCancel) != Prompter::Answer::Ok) {
        return;
    }
    const FileWriteResult written = replaceFile(path, content);
    if (!written.ok)
        prompter.show(failed(written.reason));
}
