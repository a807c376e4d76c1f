#include "ui/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

QTranslator *installLanguage(const QString &language, QCoreApplication *application)
{
    auto *translator = new QTranslator(application);
    // The English texts are built into the program; Qt's Japanese ones come with Qt.
    const bool loaded = language == QLatin1String("en")
        ? translator->load(QStringLiteral(":/i18n/zrt48210_en.qm"))
        : translator->load(QStringLiteral("qtbase_ja"),
                           QLibraryInfo::path(QLibraryInfo::TranslationsPath));
    if (loaded && QCoreApplication::installTranslator(translator))
        return translator;
    delete translator;
    return nullptr;
}
