#include "store/StateStore.h"

#include <gtest/gtest.h>
#include <sys/mount.h>
#include <sys/stat.h>

#include <cmath>
#include <filesystem>
#include <regex>

#include "platform/Files.h"
#include "store/StateFileCodec.h"
#include "support/CapturedLog.h"
#include "support/ImageFiles.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using Lines = std::vector<std::string>;

class StateStoreTest : public ::testing::Test {
protected:
    fs::path appFolder() const { return home_.dataHome() / "Corkwallery"; }
    std::string stateFile() const { return (appFolder() / "pinned-photos.json").string(); }
    std::string contents() const { return platform::files::readFile(stateFile()).value(); }
    // The logged lines, each checked for its prefix and given without it, <path> standing for
    // the state file's.
    Lines logged(testing::CapturedLog& log) const {
        Lines lines = log.lines();
        for (std::string& line : lines) {
            EXPECT_TRUE(line.starts_with("[Corkwallery] ")) << line;
            line = std::regex_replace(line.substr(14), std::regex(stateFile()), "<path>");
        }
        return lines;
    }

    testing::TemporaryHome home_;
    StateStore store_;
};

TEST_F(StateStoreTest, SavesAndLoadsWithExactLines) {
    std::vector<PinnedPhotoState> records = {
        {"A.jpg", "/x/A.jpg", 640, 400, 300, 225, -0.0523, "purple", true},
        {"B \u00e9.jpg", "", 640.5, 412.5, 300, 225, 0.1, "red", false}};
    const std::string json = StateFileCodec::encode(records).value();
    const std::string size = std::to_string(json.size());
    testing::CapturedLog log;
    EXPECT_TRUE(store_.loadState().empty());
    EXPECT_TRUE(store_.saveState({}));
    EXPECT_EQ(contents(), "[]");
    EXPECT_TRUE(store_.loadState().empty());
    EXPECT_TRUE(store_.saveState(records));
    EXPECT_EQ(store_.loadState(), records);
    records[1].centerX = NAN;
    EXPECT_FALSE(store_.saveState(records));
    EXPECT_EQ(contents(), json);
    EXPECT_EQ(
        logged(log),
        (Lines{"loadState() \u2014 looking for: <path>",
               "  File does not exist \u2014 returning empty", "Encoding 0 state(s) to: <path>",
               "Wrote 2 bytes successfully", "loadState() \u2014 looking for: <path>",
               "  Read 2 bytes", "  Decoded 0 state(s)", "Encoding 2 state(s) to: <path>",
               "Wrote " + size + " bytes successfully", "loadState() \u2014 looking for: <path>",
               "  Read " + size + " bytes", "  Decoded 2 state(s)",
               "    [0] stored=A.jpg, original=/x/A.jpg, center=(640.0, 400.0)",
               "    [1] stored=B \u00e9.jpg, original=, center=(640.5, 412.5)",
               "Encoding 2 state(s) to: <path>",
               "ERROR writing state: invalid value for 'centerX' in element 1: nan is not a "
               "JSON number"}));
}

ino_t inode(const std::string& path) {
    struct stat status {};
    return ::lstat(path.c_str(), &status) == 0 ? status.st_ino : 0;
}

// A state file that cannot be decoded, or not even read (a FIFO, which a plain open would wait
// on for ever), is renamed aside before any save can replace it.
TEST_F(StateStoreTest, UnusableFileIsMovedAsideAndSurvivesTheNextSave) {
    for (const bool fifo : {false, true}) {
        fs::create_directories(appFolder());
        if (fifo)
            ::mkfifo(stateFile().c_str(), 0600);
        else
            testing::writeBytes(stateFile(), "not json");
        const ino_t original = inode(stateFile());
        testing::CapturedLog log;
        StateStore store;
        EXPECT_TRUE(store.loadState().empty());
        EXPECT_TRUE(store.saveState({}));
        const Lines lines = logged(log);
        ASSERT_EQ(lines.size(), fifo ? 5u : 6u);  // "Read 8 bytes" for the text
        EXPECT_EQ(lines[0], "loadState() \u2014 looking for: <path>");
        EXPECT_TRUE(
            lines.end()[-4].starts_with(fifo ? "  ERROR loading state: <path>: not a regular file"
                                             : "  ERROR loading state: invalid JSON at byte 2: "));
        const std::string kept = "  Kept the unreadable state file as: <path>";
        ASSERT_TRUE(lines.end()[-3].starts_with(kept));
        const std::string stamp = lines.end()[-3].substr(kept.size());
        EXPECT_TRUE(std::regex_match(stamp, std::regex("\\.unreadable-[0-9]{8}-[0-9]{6}")));
        EXPECT_EQ(inode(stateFile() + stamp), original);
        EXPECT_EQ(Lines(lines.end() - 2, lines.end()),
                  (Lines{"Encoding 0 state(s) to: <path>", "Wrote 2 bytes successfully"}));
        EXPECT_EQ(contents(), "[]");
        fs::remove_all(appFolder());
    }
}

// When it can be moved aside neither, nothing is saved over it for the whole run.
TEST_F(StateStoreTest, UnreadableFileThatCannotBeMovedIsNeverSavedOver) {
    fs::create_directories(appFolder());
    if (::mount("tmpfs", appFolder().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root)";
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{appFolder()};
    testing::writeBytes(stateFile(), "not json");
    ASSERT_EQ(::mount(nullptr, appFolder().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    testing::CapturedLog log;
    EXPECT_TRUE(store_.loadState().empty());
    ASSERT_EQ(::mount(nullptr, appFolder().c_str(), nullptr, MS_REMOUNT, nullptr), 0);
    EXPECT_FALSE(store_.saveState({}));
    EXPECT_FALSE(store_.saveState({}));
    const Lines lines = logged(log);
    EXPECT_EQ(Lines(lines.begin() + 3, lines.end()),
              (Lines{"  ERROR keeping the unreadable state file: <path>: Read-only file system",
                     "  Nothing will be saved over it in this run"}));
    EXPECT_EQ(contents(), "not json");
    EXPECT_EQ(fs::directory_iterator(appFolder())->path().string(), stateFile());  // and alone
}

}  // namespace
}  // namespace corkwallery
