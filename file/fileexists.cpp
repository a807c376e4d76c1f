#include "file/fileexists.h"

#include <QFileInfo>

bool fileExists(const QString &path)
{
    if (path.isEmpty() || path.contains(QChar(u'\0')))
        return false;
    const QFileInfo info(path);
    return info.exists() && info.isFile() && !info.isHidden();
}
