#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

TEST(InstanceLock, OneHolderAtATimeUntilItGoesAndALeftoverFileIsTakenOver) {
    testing::TemporaryHome home;
    const std::string path = (home.dataHome() / "app.lock").string();
    // What a crashed run leaves behind: the file, with nobody holding it.
    std::ofstream(path) << "12345\n";

    auto first = std::make_unique<InstanceLock>(path);
    ASSERT_TRUE(first->tryLock());
    InstanceLock second(path);
    EXPECT_FALSE(second.tryLock());
    EXPECT_FALSE(second.isLocked());

    first.reset();
    EXPECT_TRUE(second.tryLock());
    std::ifstream kept(path);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "12345");  // never written
}

TEST(InstanceLock, FailsWhereTheFileCannotBeMade) {
    testing::TemporaryHome home;
    InstanceLock lock((home.dataHome() / "missing-folder" / "app.lock").string());
    EXPECT_FALSE(lock.tryLock());
}

}  // namespace
}  // namespace corkwallery::platform
