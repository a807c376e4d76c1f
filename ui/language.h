#pragma once

#include <QString>

class QCoreApplication;
class QTranslator;

// Japanese is the program's own language and stays the default whatever the system's locale;
// "en" brings in the English texts. Qt's own buttons and dialogs follow the same choice.
// Returns the translator installed (owned by the application), or nullptr.
QTranslator *installLanguage(const QString &language, QCoreApplication *application);
