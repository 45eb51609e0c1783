#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace corkwallery {

// A translator removes itself from the application when it is destroyed.
Translations::Translations(const QLocale& locale) {
    if (own_.load(locale, QStringLiteral("corkwallery"), QStringLiteral("_"),
                  QStringLiteral(":/i18n")))
        QCoreApplication::installTranslator(&own_);
    if (qt_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt_);
}

}  // namespace corkwallery
