#include "platform/FileSystem.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <regex>
#include <set>
#include <sstream>

#include "platform/Uuid.h"
#include "support/FileSizeLimit.h"
#include "support/TemporaryHome.h"

namespace corkwallery::platform {
namespace {

namespace fs = std::filesystem;

void writeBytes(const fs::path& path, const std::string& bytes) {
    std::ofstream(path, std::ios::binary) << bytes;
}

std::string readBytes(const fs::path& path) {
    std::ostringstream out;
    out << std::ifstream(path, std::ios::binary).rdbuf();
    return out.str();
}

std::set<std::string> namesIn(const fs::path& folder) {
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.insert(entry.path().filename().string());
    return names;
}

TEST(FileSystem, ApplicationSupportFollowsXdgDataHome) {
    testing::TemporaryHome home;
    EXPECT_EQ(FileSystem::applicationSupportDirectory(), home.dataHome().string());
}

TEST(FileSystem, CreatesFoldersWithParentsUnlessAFileIsInTheWay) {
    testing::TemporaryHome home;
    const fs::path nested = home.root() / "a" / "b" / "c";
    EXPECT_TRUE(FileSystem::createDirectory(nested.string()));
    EXPECT_TRUE(fs::is_directory(nested));
    EXPECT_TRUE(FileSystem::createDirectory(nested.string()));  // already there

    writeBytes(home.root() / "plain", "x");
    EXPECT_FALSE(FileSystem::createDirectory((home.root() / "plain" / "sub").string()));
    EXPECT_FALSE(FileSystem::createDirectory((home.root() / "plain").string()));
    EXPECT_EQ(readBytes(home.root() / "plain"), "x");
}

TEST(FileSystem, ExistsAndRemoveTellFilesFromFolders) {
    testing::TemporaryHome home;
    const fs::path file = home.root() / "file";
    const fs::path folder = home.root() / "folder";
    writeBytes(file, "x");
    fs::create_directory(folder);

    EXPECT_TRUE(FileSystem::fileExists(file.string()));
    EXPECT_TRUE(FileSystem::fileExists(folder.string()));
    EXPECT_FALSE(FileSystem::fileExists((home.root() / "none").string()));

    EXPECT_FALSE(FileSystem::removeFile(folder.string()));
    EXPECT_TRUE(fs::is_directory(folder));
    EXPECT_TRUE(FileSystem::removeFile(file.string()));
    EXPECT_FALSE(fs::exists(file));
    EXPECT_FALSE(FileSystem::removeFile(file.string()));
}

TEST(FileSystem, ReadsAllBytesOrNamesThePathInItsError) {
    testing::TemporaryHome home;
    const std::string bytes("a\0b\xff\n", 5);
    writeBytes(home.root() / "data.bin", bytes);
    const auto read = FileSystem::readFile((home.root() / "data.bin").string());
    ASSERT_TRUE(read.ok());
    EXPECT_EQ(read.value(), bytes);

    const std::string missing = (home.root() / "missing").string();
    const auto failed = FileSystem::readFile(missing);
    ASSERT_FALSE(failed.ok());
    EXPECT_EQ(failed.error(), missing + ": No such file or directory");
    EXPECT_FALSE(FileSystem::readFile(home.root().string()).ok());
}

TEST(FileSystem, AtomicWriteReplacesTheFileAndLeavesNothingElse) {
    testing::TemporaryHome home;
    const fs::path target = home.root() / "state.json";
    writeBytes(target, "old contents, longer than the new");
    const auto written = FileSystem::writeFileAtomically(target.string(), "[]");
    ASSERT_TRUE(written.ok()) << written.error();
    EXPECT_EQ(written.value(), 2u);
    EXPECT_EQ(readBytes(target), "[]");
    EXPECT_EQ(namesIn(home.root()),
              (std::set<std::string>{"cache", "config", "data", "home", "state.json"}));
}

TEST(FileSystem, FailedAtomicWriteLeavesTheOldFileAndNoTemporaryFile) {
    testing::TemporaryHome home;
    const fs::path folder = home.root() / "folder";
    fs::create_directory(folder);
    const fs::path target = folder / "state.json";
    writeBytes(target, "previous");

    {
        testing::FileSizeLimit limit(1024);
        const auto written =
            FileSystem::writeFileAtomically(target.string(), std::string(4096, 'x'));
        ASSERT_FALSE(written.ok());
        EXPECT_EQ(written.error(), target.string() + ": File too large");
    }
    EXPECT_EQ(readBytes(target), "previous");
    EXPECT_EQ(namesIn(folder), std::set<std::string>{"state.json"});

    const auto ontoFolder = FileSystem::writeFileAtomically(folder.string(), "x");
    ASSERT_FALSE(ontoFolder.ok());
    EXPECT_EQ(ontoFolder.error(), folder.string() + ": Filename refers to a directory");
    const auto underFile = FileSystem::writeFileAtomically((target / "x").string(), "x");
    EXPECT_FALSE(underFile.ok());
    EXPECT_EQ(readBytes(target), "previous");
}

TEST(Uuid, RandomTextIsFreshUpperCaseVersion4) {
    const std::regex form("[0-9A-F]{8}-[0-9A-F]{4}-4[0-9A-F]{3}-[89AB][0-9A-F]{3}-[0-9A-F]{12}");
    const std::string first = Uuid::randomText();
    const std::string second = Uuid::randomText();
    EXPECT_TRUE(std::regex_match(first, form)) << first;
    EXPECT_TRUE(std::regex_match(second, form)) << second;
    EXPECT_NE(first, second);
}

}  // namespace
}  // namespace corkwallery::platform
