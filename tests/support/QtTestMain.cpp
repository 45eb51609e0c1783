#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/TemporaryHome.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // No session bus: a panel of the user's must not change what the tests see.
    setenv("DBUS_SESSION_BUS_ADDRESS", "unix:path=/nonexistent/corkwallery-tests-bus", 1);
    // English, whatever the developer's own language; the translations have tests of their own.
    setenv("LANG", "C.UTF-8", 1);
    for (const char* variable : {"LANGUAGE", "LC_ALL", "LC_MESSAGES"})
        unsetenv(variable);
    // A home of the process's own until a test makes its own.
    corkwallery::testing::TemporaryHome home;
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
