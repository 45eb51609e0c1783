#include "platform/Files.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <set>

#include "support/ImageFiles.h"
#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

namespace fs = std::filesystem;

// What a crash leaves is ours; everything else in the folder, however alike, is the user's.
TEST(Files, InterruptedWriteCleanupTakesOnlyOurTemporaryFiles) {
    testing::TemporaryHome home;
    const fs::path folder = home.root() / "home";
    // Among them the shape of another program's temporary file, and near misses of ours.
    std::set<std::string> users = {"pinned-photos.json",
                                   "pinned-photos.json.AbCdEf",
                                   "pinned-photos.json.corkwallery-save-AbCdEf",
                                   ".pinned-photos.json.corkwallery-save-AbCdE",
                                   ".pinned-photos.json.corkwallery-save-AbCdEfG",
                                   ".corkwallery-save-AbCdEf"};
    for (const auto& name : users)
        testing::writeBytes(folder / name, "mine");
    testing::writeBytes(folder / ".pinned-photos.json.corkwallery-save-AbCdEf", "partial");
    testing::writeBytes(folder / ".\u00e9t\u00e9.jpg.corkwallery-save-xYz123", "partial");
    fs::create_directory(folder / ".album.corkwallery-save-QwErTy");  // a folder is never ours
    fs::create_symlink(folder / "pinned-photos.json", folder / ".link.corkwallery-save-QwErTy");
    files::removeInterruptedWrites(folder.string());
    users.insert({".album.corkwallery-save-QwErTy", ".link.corkwallery-save-QwErTy"});
    std::set<std::string> left;
    for (const auto& entry : fs::directory_iterator(folder))
        left.insert(entry.path().filename().string());
    EXPECT_EQ(left, users);
}

}  // namespace
}  // namespace corkwallery::platform
