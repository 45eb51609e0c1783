#include "platform/InstanceLock.h"

#include <gtest/gtest.h>

#include <memory>

#include "platform/Files.h"
#include "support/ImageFiles.h"
#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

using Outcome = InstanceLock::Outcome;

// One holder at a time until it goes; a file left by a crashed run is taken over, never written.
// A lock that cannot be made says why, and never that another copy holds it.
TEST(InstanceLock, OutcomesOfTakingTheLock) {
    testing::TemporaryHome home;
    const std::string path = (home.runtimeDir() / "app.lock").string();
    testing::writeBytes(path, "12345\n");
    auto first = std::make_unique<InstanceLock>(path);
    ASSERT_EQ(first->tryLock(), Outcome::Locked);
    InstanceLock second(path);
    EXPECT_EQ(second.tryLock(), Outcome::HeldElsewhere);
    first.reset();
    EXPECT_EQ(second.tryLock(), Outcome::Locked);
    EXPECT_EQ(files::readFile(path).value(), "12345\n");
    InstanceLock failing(path + "/app.lock");
    EXPECT_EQ(failing.tryLock(), Outcome::Failed);
    EXPECT_EQ(failing.error(), path + "/app.lock: Not a directory");
}

}  // namespace
}  // namespace corkwallery::platform
