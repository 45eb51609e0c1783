#pragma once

#include <QLocale>
#include <QTranslator>

namespace corkwallery {

// The program's texts in the user's language, installed on the running QCoreApplication while the
// object lives: its own (German and French, built into the program) and Qt's, where the system has
// them (the file chooser's buttons, --help's headings). English, the source text, needs neither.
// The system locale follows LANGUAGE, LC_ALL, LC_MESSAGES and LANG.
class Translations {
public:
    explicit Translations(const QLocale& locale = QLocale());

private:
    QTranslator own_;
    QTranslator qt_;
};

}  // namespace corkwallery
