#include <gtest/gtest.h>

#include <QProcess>

#include "support/Polling.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

// The real program speaks the language of the user's locale where it has a translation, English
// otherwise: in --help (Qt's own headings too), before any display, and in the running copy's
// answer to a later start.
TEST(app, LaunchesSpeakTheLanguageOfTheLocale) {
    const std::tuple<const char*, const char*, const char*> cases[] = {
        {"de_DE.UTF-8", "Argumente:\n  DATEI    ",
         "Corkwallery läuft bereits; die Anleitung wird auf der Arbeitsfläche angezeigt.\n"},
        {"fr_FR.UTF-8", "Arguments :\n  FICHIER    ",
         "Corkwallery est déjà lancé\u00a0; son mode d'emploi est affiché sur le bureau.\n"},
        {"C", "Arguments:\n  FILE    ",
         "Corkwallery is running; its help card is on the desktop.\n"},
    };
    for (const auto& [lang, help, answer] : cases) {
        SCOPED_TRACE(lang);
        const testing::TemporaryHome home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LANG", lang);
        const auto output = [&](const QStringList& arguments) {
            QProcess program;
            program.setProcessEnvironment(environment);
            program.start(CORKWALLERY_BINARY, arguments);
            EXPECT_TRUE(program.waitForFinished(30000));
            return program.readAllStandardOutput().toStdString();
        };
        EXPECT_NE(output({"--help"}).find(help), std::string::npos);
        QProcess running;
        running.setProcessEnvironment(environment);
        running.start(CORKWALLERY_BINARY, QStringList());
        // It listens for later starts before it restores the pins.
        ASSERT_TRUE(testing::waitUntil([&] { return running.peek(4096).contains("restore"); }));
        EXPECT_EQ(output({}), "[Corkwallery] Corkwallery is already running \u2014 exiting\n" +
                                  std::string(answer));
        running.terminate();
        EXPECT_TRUE(running.waitForFinished(10000));
    }
}

}  // namespace
}  // namespace corkwallery
