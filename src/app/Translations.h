#pragma once

#include <QLocale>
#include <QStringList>
#include <QTranslator>

namespace corkwallery {

// The program's texts in a language: its own (German and French, built into the program) and,
// when installed, Qt's, where the system has them (the file chooser's buttons, --help's headings).
// English, the source text, needs neither. The system locale follows LANGUAGE, LC_ALL, LC_MESSAGES
// and LANG.
class Translations {
public:
    // Installed on the running QCoreApplication while the object lives, for tr() everywhere.
    explicit Translations(const QLocale& locale = QLocale());
    // Only loaded, for translate(): the first of `uiLanguages` (as QLocale::uiLanguages() lists
    // them, the preferred first) that the program has. Another process's language, say.
    explicit Translations(const QStringList& uiLanguages);

    // A text as tr() in `context` would give it with this language installed: the source text
    // where there is no translation.
    QString translate(const char* context, const char* source,
                      const char* disambiguation = nullptr) const;

private:
    QTranslator own_;
    QTranslator qt_;
};

}  // namespace corkwallery
