#include "shell/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace vornik {

QTranslator* InstallQtTranslations(QCoreApplication& app, const QLocale& system, const QString& folder) {
    const QString from = folder.isEmpty() ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) : folder;
    auto* translator = new QTranslator(&app);
    if (!translator->load(system, QStringLiteral("qtbase"), QStringLiteral("_"), from) &&
        !translator->load(QLocale(QLocale::Russian, QLocale::Russia), QStringLiteral("qtbase"), QStringLiteral("_"), from)) {
        delete translator;
        return nullptr;
    }
    app.installTranslator(translator);
    return translator;
}

}  // namespace vornik
