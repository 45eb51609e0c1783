#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <set>
#include <string>

#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

namespace fs = std::filesystem;

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

std::string contentOf(const fs::path& path) {
    std::ifstream in(path);
    return {std::istreambuf_iterator<char>(in), {}};
}

// What a crash leaves is ours; everything else in the folder, however alike, is the user's.
TEST(FileSystem, InterruptedWriteCleanupTakesOnlyOurTemporaryNames) {
    testing::TemporaryHome home;
    const fs::path folder = home.root() / "home";
    const std::set<std::string> ours = {
        ".pinned-photos.json.corkwallery-save-AbCdEf",
        ".0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg.corkwallery-save-xYz123",
    };
    const std::set<std::string> users = {
        "pinned-photos.json",
        "pinned-photos.json.backup",
        "pinned-photos.json.AbCdEf",  // the shape of another program's temporary file
        "pinned-photos.json.corkwallery-save-AbCdEf",
        ".pinned-photos.json.corkwallery-save-AbCdE",
        ".pinned-photos.json.corkwallery-save-AbCdEfG",
        ".corkwallery-save-AbCdEf",
    };
    for (const auto& name : ours)
        std::ofstream(folder / name) << "partial";
    for (const auto& name : users)
        std::ofstream(folder / name) << "mine";
    fs::create_directory(folder / ".album.corkwallery-save-QwErTy");  // a folder is never ours
    fs::create_symlink(folder / "pinned-photos.json", folder / ".link.corkwallery-save-QwErTy");

    FileSystem::removeInterruptedWrites(folder.string());

    std::set<std::string> expected = users;
    expected.insert({".album.corkwallery-save-QwErTy", ".link.corkwallery-save-QwErTy"});
    EXPECT_EQ(namesIn(folder), expected);
}

TEST(FileSystem, RenameToFreeNameNeverReplacesAnything) {
    testing::TemporaryHome home;
    const fs::path folder = home.root() / "home";
    const fs::path to = folder / "state.unreadable-20260101-120000";
    std::ofstream(to) << "first";
    std::ofstream(to.string() + "-2") << "second";
    for (const char* content : {"third", "fourth"}) {
        std::ofstream(folder / "state") << content;
        const auto kept = FileSystem::renameToFreeName((folder / "state").string(), to.string());
        ASSERT_TRUE(kept.ok()) << kept.error();
        EXPECT_EQ(contentOf(kept.value()), content);
    }
    EXPECT_EQ(contentOf(to), "first");
    EXPECT_EQ(contentOf(to.string() + "-2"), "second");
    const std::string base = to.filename().string();
    EXPECT_EQ(namesIn(folder),
              (std::set<std::string>{base, base + "-2", base + "-3", base + "-4"}));
    const auto missing = FileSystem::renameToFreeName((folder / "gone").string(), to.string());
    EXPECT_EQ(missing.ok() ? "" : missing.error(),
              (folder / "gone").string() + ": No such file or directory");
}

}  // namespace
}  // namespace corkwallery::platform
