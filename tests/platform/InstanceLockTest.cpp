#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <memory>

#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

using Outcome = InstanceLock::Outcome;

TEST(InstanceLock, OneHolderAtATimeUntilItGoesAndALeftoverFileIsTakenOver) {
    testing::TemporaryHome home;
    const std::string path = (home.runtimeDir() / "app.lock").string();
    // What a crashed run leaves behind: the file, with nobody holding it.
    std::ofstream(path) << "12345\n";

    auto first = std::make_unique<InstanceLock>(path);
    ASSERT_EQ(first->tryLock(), Outcome::Locked);
    InstanceLock second(path);
    EXPECT_EQ(second.tryLock(), Outcome::HeldElsewhere);
    EXPECT_FALSE(second.isLocked());

    first.reset();
    EXPECT_EQ(second.tryLock(), Outcome::Locked);
    std::ifstream kept(path);
    std::string text;
    std::getline(kept, text);
    EXPECT_EQ(text, "12345");  // never written
}

// A lock that cannot be made says why, and never that another copy holds it.
TEST(InstanceLock, FailsWithItsReasonWhereTheFileCannotBeMade) {
    testing::TemporaryHome home;
    std::ofstream(home.runtimeDir() / "file") << "in the way";
    const std::pair<std::string, std::string> cases[] = {
        {(home.runtimeDir() / "missing-folder" / "app.lock").string(), "No such file or directory"},
        {(home.runtimeDir() / "file" / "app.lock").string(), "Not a directory"},
        {"", "no runtime directory for the lock file"},
    };
    for (const auto& [path, reason] : cases) {
        InstanceLock lock(path);
        EXPECT_EQ(lock.tryLock(), Outcome::Failed) << path;
        EXPECT_EQ(lock.error(), path.empty() ? reason : path + ": " + reason);
    }
}

}  // namespace
}  // namespace corkwallery::platform
