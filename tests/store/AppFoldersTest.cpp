#include "store/AppFolders.h"

#include <gtest/gtest.h>

#include <filesystem>
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

TEST(AppFolders, FirstRunCreatesWhatEachOperationPromisesAndNoMore) {
    struct Case {
        const char* name;
        std::function<std::string()> operation;
        const char* result;  // relative to the data home
        bool createsImages;
    };
    const std::vector<Case> cases = {
        {"appFolderURL", AppFolders::appFolderURL, "Corkwallery", false},
        {"stateFileURL", AppFolders::stateFileURL, "Corkwallery/pinned-photos.json", false},
        {"imagesFolderURL", AppFolders::imagesFolderURL, "Corkwallery/images", true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryHome home;
        CapturedLog log;
        EXPECT_EQ(c.operation(), (home.dataHome() / c.result).string());
        EXPECT_TRUE(log.lines().empty());
        EXPECT_EQ(namesIn(home.dataHome()), std::set<std::string>{"Corkwallery"});
        const auto expected =
            c.createsImages ? std::set<std::string>{"images"} : std::set<std::string>{};
        EXPECT_EQ(namesIn(home.dataHome() / "Corkwallery"), expected);
    }
}

TEST(AppFolders, ExistingFolderIsLeftAsItIs) {
    testing::TemporaryHome home;
    const fs::path images = AppFolders::imagesFolderURL();
    writeBytes(images / "copy.jpg", "bytes");
    CapturedLog log;
    EXPECT_EQ(AppFolders::appFolderURL(), (home.dataHome() / "Corkwallery").string());
    EXPECT_EQ(AppFolders::imagesFolderURL(), images.string());
    EXPECT_TRUE(log.lines().empty());
    EXPECT_EQ(readBytes(images / "copy.jpg"), "bytes");
}

TEST(AppFolders, StoredImageUrlRefusesNamesThatAreNotPlainFileNames) {
    testing::TemporaryHome home;
    const std::string images = (home.dataHome() / "Corkwallery" / "images").string();
    for (const std::string& name :
         {std::string(), std::string("."), std::string(".."), std::string("../pinned-photos.json"),
          std::string("a/b"), std::string("/etc/passwd"), std::string("x/"),
          std::string("a\0b", 3)}) {
        EXPECT_EQ(AppFolders::storedImageURL(name), std::nullopt) << name;
    }
    for (const std::string name : {"..a", "a..", ".hidden", "\u00c9t\u00e9 \u00e0 la mer.jpg",
                                   "0C9E3A4B-5D71-4F0E-9A2B-7E8F6D5C4B3A-beach.jpg"}) {
        EXPECT_EQ(AppFolders::storedImageURL(name), images + "/" + name) << name;
    }
}

class PhotoCopiesTest : public ::testing::Test {
protected:
    fs::path imagesFolder() const { return home_.dataHome() / "Corkwallery" / "images"; }
    fs::path source(const std::string& name, const std::string& bytes) const {
        const fs::path path = home_.root() / "home" / name;
        writeBytes(path, bytes);
        return path;
    }

    testing::TemporaryHome home_;
};

TEST_F(PhotoCopiesTest, CopiesTheBytesUnderAUuidAndTheChosenName) {
    std::string bytes(950, '\0');
    for (std::size_t i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(i * 7);
    const fs::path chosen = source("beach.jpg", bytes);

    CapturedLog log;
    const auto name = PhotoCopies::copyImageToContainer(chosen.string());
    const auto lines = log.lines();

    ASSERT_TRUE(name.has_value());
    EXPECT_TRUE(std::regex_match(*name, std::regex("[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}"
                                                   "-beach\\.jpg")))
        << *name;
    EXPECT_EQ(namesIn(imagesFolder()), std::set<std::string>{*name});
    EXPECT_EQ(readBytes(imagesFolder() / *name), bytes);
    EXPECT_EQ(readBytes(chosen), bytes);
    EXPECT_EQ(lines, std::vector<std::string>{"[Corkwallery] Copied image to container: " +
                                              (imagesFolder() / *name).string() + " (950 bytes)"});
}

TEST_F(PhotoCopiesTest, SameFileTwiceGivesTwoCopies) {
    const fs::path chosen = source("\u00c9t\u00e9 \u00e0 la mer.jpg", "jpeg bytes");
    CapturedLog log;
    const auto first = PhotoCopies::copyImageToContainer(chosen.string());
    const auto second = PhotoCopies::copyImageToContainer(chosen.string());
    ASSERT_TRUE(first && second);
    EXPECT_NE(*first, *second);
    EXPECT_EQ(log.lines().size(), 2u);
    for (const std::string& name : {*first, *second}) {
        EXPECT_EQ(name.size(), 37 + std::string("\u00c9t\u00e9 \u00e0 la mer.jpg").size());
        EXPECT_TRUE(name.ends_with("-\u00c9t\u00e9 \u00e0 la mer.jpg")) << name;
        EXPECT_EQ(readBytes(imagesFolder() / name), "jpeg bytes");
    }
}

TEST_F(PhotoCopiesTest, VanishedSourceLogsItsErrorAndLeavesNoFile) {
    const fs::path chosen = source("gone.jpg", "x");
    fs::remove(chosen);
    CapturedLog log;
    EXPECT_EQ(PhotoCopies::copyImageToContainer(chosen.string()), std::nullopt);
    EXPECT_EQ(log.lines(),
              std::vector<std::string>{"[Corkwallery] ERROR copying image to container: " +
                                       chosen.string() + ": No such file or directory"});
    EXPECT_TRUE(namesIn(imagesFolder()).empty());
}

TEST_F(PhotoCopiesTest, PlainFileWhereTheAppFolderBelongsFailsEachCopy) {
    writeBytes(home_.dataHome() / "Corkwallery", "not a folder");
    const fs::path chosen = source("beach.jpg", "x");
    CapturedLog log;
    AppFolders::appFolderURL();
    AppFolders::imagesFolderURL();
    EXPECT_EQ(PhotoCopies::copyImageToContainer(chosen.string()), std::nullopt);
    EXPECT_EQ(PhotoCopies::copyImageToContainer(chosen.string()), std::nullopt);
    const auto lines = log.lines();
    ASSERT_EQ(lines.size(), 2u);
    for (const std::string& line : lines) {
        EXPECT_TRUE(line.starts_with(
            "[Corkwallery] ERROR copying image to container: " + imagesFolder().string() + "/"))
            << line;
        EXPECT_TRUE(line.ends_with("-beach.jpg: Not a directory")) << line;
    }
    EXPECT_EQ(readBytes(home_.dataHome() / "Corkwallery"), "not a folder");
}

TEST_F(PhotoCopiesTest, RemovingDeletesOnlyAPlainlyNamedCopy) {
    CapturedLog log;
    const auto name = PhotoCopies::copyImageToContainer(source("a.jpg", "a").string());
    ASSERT_TRUE(name);
    const fs::path outside = home_.dataHome() / "Corkwallery" / "pinned-photos.json";
    writeBytes(outside, "[]");

    for (const char* hostile : {"../pinned-photos.json", "..", ".", ""})
        PhotoCopies::removeCopy(hostile);
    EXPECT_EQ(readBytes(outside), "[]");
    EXPECT_EQ(namesIn(imagesFolder()), std::set<std::string>{*name});

    PhotoCopies::removeCopy(*name);
    PhotoCopies::removeCopy(*name);  // already gone: silently nothing
    EXPECT_TRUE(namesIn(imagesFolder()).empty());
    EXPECT_EQ(log.lines().size(), 1u);  // the copy's own line only
}

}  // namespace
}  // namespace corkwallery
