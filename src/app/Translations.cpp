#include "app/Translations.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace corkwallery {

namespace {

bool loadOwn(QTranslator& translator, const QLocale& locale) {
    return translator.load(locale, QStringLiteral("corkwallery"), QStringLiteral("_"),
                           QStringLiteral(":/i18n"));
}

}  // namespace

// A translator removes itself from the application when it is destroyed.
Translations::Translations(const QLocale& locale) {
    if (loadOwn(own_, locale))
        QCoreApplication::installTranslator(&own_);
    if (qt_.load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
        QCoreApplication::installTranslator(&qt_);
}

// Language by language, as QTranslator goes through a locale's list; a tag QLocale cannot read
// names the C locale, which has no translation.
Translations::Translations(const QStringList& uiLanguages) {
    for (const QString& language : uiLanguages) {
        if (loadOwn(own_, QLocale(language)))
            return;
    }
}

QString Translations::translate(const char* context, const char* source,
                                const char* disambiguation) const {
    const QString text = own_.translate(context, source, disambiguation);
    return text.isEmpty() ? QString::fromUtf8(source) : text;
}

}  // namespace corkwallery
