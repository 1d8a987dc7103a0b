#include "qt/portuguese.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

namespace zrmqt {

bool InstallPortuguese(QCoreApplication& application) {
    const QLocale brazil(QLocale::Portuguese, QLocale::Brazil);
    QLocale::setDefault(brazil);
    // Owned by the application: they live as long as it does.
    auto* translator = new QTranslator(&application);
    if (!translator->load(brazil, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace zrmqt
