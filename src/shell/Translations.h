#pragma once
// Qt's own texts (standard dialogs and buttons) in the user's language: the
// system's language where Qt has a translation for it, otherwise Russian,
// the language of the program. The program's own texts are fixed and are
// not translated.
#include <QLocale>
#include <QString>

class QCoreApplication;
class QTranslator;

namespace vornik {

// Loads and installs the translation; returns it (owned by `app`), or null
// when none could be loaded.
QTranslator* InstallQtTranslations(QCoreApplication& app, const QLocale& system,
                                   const QString& folder = QString());

}  // namespace vornik
