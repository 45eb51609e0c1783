#include "store/AppFolders.h"

#include <gtest/gtest.h>

#include <functional>
#include <regex>

#include "StoreTestSupport.h"
#include "store/PhotoCopies.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using testing::CapturedLog;
using testing::namesIn;
using testing::readBytes;
using testing::writeBytes;
using Names = std::set<std::string>;

TEST(AppFolders, FirstRunCreatesWhatEachOperationPromisesSilently) {
    const std::vector<std::tuple<std::function<std::string()>, std::string, Names>> cases = {
        {AppFolders::appFolderURL, "Corkwallery", {}},
        {AppFolders::stateFileURL, "Corkwallery/pinned-photos.json", {}},
        {AppFolders::imagesFolderURL, "Corkwallery/images", {"images"}},
    };
    for (const auto& [operation, path, inAppFolder] : cases) {
        SCOPED_TRACE(path);
        testing::TemporaryHome home;
        CapturedLog log;
        EXPECT_EQ(operation(), (home.dataHome() / path).string());
        EXPECT_EQ(operation(), (home.dataHome() / path).string());
        EXPECT_TRUE(log.lines().empty());
        EXPECT_EQ(namesIn(home.dataHome()), Names{"Corkwallery"});
        EXPECT_EQ(namesIn(home.dataHome() / "Corkwallery"), inAppFolder);
    }
}

TEST(AppFolders, StoredImageUrlRefusesNamesThatAreNotPlainFileNames) {
    testing::TemporaryHome home;
    const fs::path images = home.dataHome() / "Corkwallery" / "images";
    for (const std::string& name :
         {std::string(), std::string("."), std::string(".."), std::string("../pinned-photos.json"),
          std::string("a/b"), std::string("/etc/passwd"), std::string("a\0b", 3)})
        EXPECT_EQ(AppFolders::storedImageURL(name), std::nullopt) << name;
    for (const char* name : {"..a", ".hidden", "\u00c9t\u00e9 \u00e0 la mer.jpg"})
        EXPECT_EQ(AppFolders::storedImageURL(name), (images / name).string()) << name;
}

// One lock per data folder, in the runtime directory: two users or two data folders never share
// one, and two spellings of one folder always do.
TEST(AppFolders, InstanceLockIsNamedAfterTheDataFolderInTheRuntimeDirectory) {
    testing::TemporaryHome home;
    const std::string lock = AppFolders::instanceLockURL();
    EXPECT_TRUE(std::regex_match(
        lock, std::regex(home.runtimeDir().string() + "/corkwallery-[0-9a-f]{16}\\.lock")))
        << lock;
    fs::create_directory_symlink(home.dataHome(), home.root() / "linked");
    setenv("XDG_DATA_HOME", (home.root() / "linked").c_str(), 1);
    EXPECT_EQ(AppFolders::instanceLockURL(), lock);
    setenv("XDG_DATA_HOME", (home.root() / "elsewhere").c_str(), 1);
    EXPECT_NE(AppFolders::instanceLockURL(), lock);
}

class PhotoCopiesTest : public ::testing::Test {
protected:
    fs::path images() const { return home_.dataHome() / "Corkwallery" / "images"; }
    std::string source(const std::string& name, const std::string& bytes) const {
        writeBytes(home_.root() / "home" / name, bytes);
        return (home_.root() / "home" / name).string();
    }

    testing::TemporaryHome home_;
};

TEST_F(PhotoCopiesTest, EachCopyGetsAFreshNameAndTheBytesUnchanged) {
    std::string bytes(950, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    const std::string chosen = source("\u00c9t\u00e9 \u00e0 la mer.jpg", bytes);

    CapturedLog log;
    const auto first = PhotoCopies::copyImageToContainer(chosen);
    const auto second = PhotoCopies::copyImageToContainer(chosen);
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(namesIn(images()), (Names{*first, *second}));
    const std::regex form(
        "[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}-\u00c9t\u00e9 \u00e0 la mer\\.jpg");
    for (const std::string& name : {*first, *second}) {
        EXPECT_TRUE(std::regex_match(name, form)) << name;
        EXPECT_EQ(readBytes(images() / name), bytes);
    }
    EXPECT_EQ(log.lines(),
              (std::vector<std::string>{"[Corkwallery] Copied image to container: " +
                                            (images() / *first).string() + " (950 bytes)",
                                        "[Corkwallery] Copied image to container: " +
                                            (images() / *second).string() + " (950 bytes)"}));
}

TEST_F(PhotoCopiesTest, VanishedSourceLogsItsErrorAndLeavesNoFile) {
    const std::string chosen = source("gone.jpg", "x");
    fs::remove(chosen);
    CapturedLog log;
    EXPECT_EQ(PhotoCopies::copyImageToContainer(chosen), std::nullopt);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"[Corkwallery] ERROR copying image to container: " + chosen +
                                       ": No such file or directory"});
    EXPECT_TRUE(namesIn(images()).empty());
}

TEST_F(PhotoCopiesTest, RemovingDeletesOnlyAPlainlyNamedCopy) {
    CapturedLog log;
    const auto name = PhotoCopies::copyImageToContainer(source("a.jpg", "a"));
    ASSERT_TRUE(name);
    const fs::path outside = home_.dataHome() / "Corkwallery" / "pinned-photos.json";
    writeBytes(outside, "[]");
    for (const char* hostile : {"../pinned-photos.json", "..", ".", ""})
        PhotoCopies::removeCopy(hostile);
    EXPECT_EQ(readBytes(outside), "[]");
    EXPECT_EQ(namesIn(images()), Names{*name});

    PhotoCopies::removeCopy(*name);
    PhotoCopies::removeCopy(*name);  // already gone: nothing, silently
    EXPECT_TRUE(namesIn(images()).empty());
    EXPECT_EQ(log.lines().size(), 1u);  // the copy's own line only
}

}  // namespace
}  // namespace corkwallery
