#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "support/TemporaryHome.h"

int main(int argc, char** argv) {
    ::testing::InitGoogleTest(&argc, argv);
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // A home of the process's own until a test makes its own.
    corkwallery::testing::TemporaryHome home;
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
