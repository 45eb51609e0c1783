#include "store/StateStore.h"

#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>

#include <cerrno>
#include <cmath>
#include <cstring>
#include <ctime>
#include <functional>
#include <regex>

#include "StoreTestSupport.h"
#include "photo/DraggableImageView.h"
#include "store/PhotoCopies.h"
#include "store/StateFileCodec.h"
#include "support/FileSizeLimit.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using platform::Panel;
using platform::Rect;
using testing::CapturedLog;
using testing::readBytes;
using testing::writeBytes;
using Lines = std::vector<std::string>;

// A pin window as the application makes one, then placed exactly at `frame`.
std::unique_ptr<Panel> pinWindow(Rect frame, std::optional<std::string> stored,
                                 std::optional<std::string> original = std::nullopt,
                                 double rotation = -0.0523) {
    auto panel = std::make_unique<Panel>(frame);
    auto owned = std::make_unique<DraggableImageView>(Rect({0, 0}, frame.size));
    DraggableImageView& view = *owned;
    panel->setContentView(std::move(owned));
    view.setStoredFilename(std::move(stored));
    view.setOriginalPath(std::move(original));
    view.setPinColorName("purple");
    view.setLocked(true);
    view.fitWindowToPhoto({300, 225}, rotation);
    panel->setFrame(frame, false);
    return panel;
}

std::string utcStampNow() {
    const std::time_t now = std::time(nullptr);
    std::tm parts{};
    gmtime_r(&now, &parts);
    char text[32];
    std::strftime(text, sizeof text, "%Y%m%d-%H%M%S", &parts);
    return text;
}

class StateStoreTest : public ::testing::Test {
protected:
    fs::path appFolder() const { return home_.dataHome() / "Corkwallery"; }
    fs::path stateFile() const { return appFolder() / "pinned-photos.json"; }
    std::string lookingFor() const {
        return "[Corkwallery] loadState() \u2014 looking for: " + stateFile().string();
    }
    std::string encoding(int count) const {
        return "[Corkwallery] Encoding " + std::to_string(count) +
               " state(s) to: " + stateFile().string();
    }

    testing::TemporaryHome home_;
};

TEST_F(StateStoreTest, NoWindowsSaveAnEmptyArrayThatLoadsAsNoRecords) {
    CapturedLog log;
    StateStore::saveState({});
    EXPECT_TRUE(StateStore::loadState().empty());
    EXPECT_EQ(log.lines(),
              (Lines{"[Corkwallery] saveState() called \u2014 0 window(s)", encoding(0),
                     "[Corkwallery] Wrote 2 bytes successfully", lookingFor(),
                     "[Corkwallery]   Read 2 bytes", "[Corkwallery]   Decoded 0 state(s)"}));
    EXPECT_EQ(readBytes(stateFile()), "[]");
}

TEST_F(StateStoreTest, SavesPhotoWindowsInOrderAndLoadsThemBack) {
    PinWindowList windows;
    windows.push_back(pinWindow(Rect(100, 200, 320, 400), "A.jpg", "/x/A.jpg"));
    windows.push_back(pinWindow(Rect(0, 0, 50, 50), std::nullopt, "/x/none.jpg"));
    windows.push_back(std::make_unique<Panel>(Rect(0, 0, 10, 10)));
    windows.back()->setContentView(std::make_unique<platform::View>(Rect(0, 0, 10, 10)));
    windows.push_back(std::make_unique<Panel>(Rect(0, 0, 10, 10)));
    windows.push_back(pinWindow(Rect(480, 212.5, 320, 400), "B \u00e9.jpg", std::nullopt, 0.1));
    const std::vector<PinnedPhotoState> expected = {
        {"A.jpg", "/x/A.jpg", 260, 400, 300, 225, -0.0523, "purple", true},
        {"B \u00e9.jpg", "", 640, 412.5, 300, 225, 0.1, "purple", true}};
    const std::string json = StateFileCodec::encode(expected).value();
    const std::string skipped = "contentView is not DraggableImageView \u2014 skipping";

    CapturedLog log;
    StateStore::saveState(windows);
    EXPECT_EQ(readBytes(stateFile()), json);
    EXPECT_EQ(StateStore::loadState(), expected);
    EXPECT_EQ(
        log.lines(),
        (Lines{"[Corkwallery] saveState() called \u2014 5 window(s)",
               "[Corkwallery]   window 0: saved \u2014 stored=A.jpg, center=(260.0, 400.0)",
               "[Corkwallery]   window 1: storedFilename is nil \u2014 skipping",
               "[Corkwallery]   window 2: " + skipped, "[Corkwallery]   window 3: " + skipped,
               "[Corkwallery]   window 4: saved \u2014 stored=B \u00e9.jpg, center=(640.0, "
               "412.5)",
               encoding(2),
               "[Corkwallery] Wrote " + std::to_string(json.size()) + " bytes successfully",
               lookingFor(), "[Corkwallery]   Read " + std::to_string(json.size()) + " bytes",
               "[Corkwallery]   Decoded 2 state(s)",
               "[Corkwallery]     [0] stored=A.jpg, original=/x/A.jpg, center=(260.0, 400.0)",
               "[Corkwallery]     [1] stored=B \u00e9.jpg, original=, center=(640.0, 412.5)"}));
}

// A state file that cannot be decoded, or not even read (a FIFO, which a plain open would wait
// on for ever), is renamed aside before any save can replace it.
TEST_F(StateStoreTest, UnusableFileIsMovedAsideAndSurvivesTheNextSave) {
    struct Case {
        const char* name;
        std::function<void(const fs::path&)> make;
        std::function<std::string(const fs::path&)> error;
        std::function<bool(const fs::path&)> isTheOriginal;
    };
    const Case cases[] = {
        {"not JSON", [](const fs::path& p) { writeBytes(p, "not json"); },
         [](const fs::path&) {
             return "invalid JSON at byte 2: syntax error while parsing value - invalid literal; "
                    "last read: 'no'";
         },
         [](const fs::path& p) { return readBytes(p) == "not json"; }},
        {"FIFO", [](const fs::path& p) { ASSERT_EQ(::mkfifo(p.c_str(), 0600), 0); },
         [](const fs::path& p) { return p.string() + ": not a regular file"; },
         [](const fs::path& p) { return fs::is_fifo(fs::symlink_status(p)); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryHome home;
        const fs::path folder = home.dataHome() / "Corkwallery";
        const fs::path state = folder / "pinned-photos.json";
        fs::create_directories(folder);
        c.make(state);
        CapturedLog log;
        const std::string before = utcStampNow();
        EXPECT_TRUE(StateStore::loadState().empty());
        const std::string after = utcStampNow();
        EXPECT_TRUE(StateStore::saveState({}));
        const Lines lines = log.lines();

        ASSERT_GE(lines.size(), 6u);
        EXPECT_EQ(lines[0], "[Corkwallery] loadState() \u2014 looking for: " + state.string());
        EXPECT_EQ(lines.end()[-5], "[Corkwallery]   ERROR loading state: " + c.error(state));
        const std::string kept =
            "[Corkwallery]   Kept the unreadable state file as: " + state.string() + ".unreadable-";
        const std::string& keptLine = lines.end()[-4];
        ASSERT_TRUE(keptLine.starts_with(kept)) << keptLine;
        const std::string stamp = keptLine.substr(kept.size());
        EXPECT_TRUE(std::regex_match(stamp, std::regex("[0-9]{8}-[0-9]{6}"))) << stamp;
        EXPECT_TRUE(before <= stamp && stamp <= after) << stamp;  // UTC, at the failed load
        EXPECT_TRUE(c.isTheOriginal(state.string() + ".unreadable-" + stamp));
        EXPECT_EQ(readBytes(state), "[]");
    }
}

// When the file can be moved aside neither, it is left as it is for the whole run.
TEST_F(StateStoreTest, UnreadableFileThatCannotBeMovedIsNeverSavedOver) {
    fs::create_directories(appFolder());
    if (::mount("tmpfs", appFolder().c_str(), "tmpfs", 0, "size=64k") != 0)
        GTEST_SKIP() << "cannot mount a tmpfs here (needs root): " << std::strerror(errno);
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{appFolder()};
    writeBytes(stateFile(), "not json");
    ASSERT_EQ(::mount(nullptr, appFolder().c_str(), nullptr, MS_REMOUNT | MS_RDONLY, nullptr), 0);
    CapturedLog log;
    EXPECT_TRUE(StateStore::loadState().empty());
    ASSERT_EQ(::mount(nullptr, appFolder().c_str(), nullptr, MS_REMOUNT, nullptr), 0);
    PinWindowList windows;
    windows.push_back(pinWindow(Rect(0, 0, 300, 250), "a.jpg"));
    EXPECT_FALSE(StateStore::saveState(windows));
    EXPECT_FALSE(StateStore::saveState(windows));

    const Lines lines = log.lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(Lines(lines.begin() + 3, lines.end()),
              (Lines{"[Corkwallery]   ERROR keeping the unreadable state file: " +
                         stateFile().string() + ": Read-only file system",
                     "[Corkwallery]   Nothing will be saved over it in this run",
                     "[Corkwallery] saveState() called \u2014 1 window(s)",
                     "[Corkwallery] saveState() called \u2014 1 window(s)"}));
    EXPECT_EQ(readBytes(stateFile()), "not json");
    EXPECT_EQ(testing::namesIn(appFolder()), std::set<std::string>{"pinned-photos.json"});
}

// A name holding a line feed must not print a line of its own; the file keeps the name as it is.
TEST_F(StateStoreTest, ControlCharactersInNamesAreEscapedInLogLinesOnly) {
    const std::string name = "a\n[Corkwallery] Wrote 2 bytes successfully\x1b\t\r\x7f \u00e9.jpg";
    PinWindowList windows;
    windows.push_back(pinWindow(Rect(100, 200, 320, 400), name));
    CapturedLog log;
    StateStore::saveState(windows);
    const Lines lines = log.lines();
    ASSERT_EQ(lines.size(), 4u);
    EXPECT_EQ(lines[1],
              "[Corkwallery]   window 0: saved \u2014 stored=a\\n[Corkwallery] Wrote 2 bytes "
              "successfully\\x1B\\t\\r\\x7F \u00e9.jpg, center=(260.0, 400.0)");
    ASSERT_EQ(StateStore::loadState().size(), 1u);
    EXPECT_EQ(StateStore::loadState()[0].storedFilename, name);
}

TEST_F(StateStoreTest, FailedSaveLeavesThePreviousFileByteForByte) {
    PinWindowList windows;
    windows.push_back(pinWindow(Rect(10, 20, 300, 250), "old.jpg"));
    CapturedLog log;
    StateStore::saveState(windows);
    const std::string before = readBytes(stateFile());

    windows.push_back(pinWindow(Rect(0, 0, 300, 250), "nan.jpg", "/x", std::nan("")));
    StateStore::saveState(windows);
    EXPECT_EQ(readBytes(stateFile()), before);

    windows.back() = pinWindow(Rect(0, 0, 300, 250), "big.jpg", std::string(8192, 'p'));
    {
        testing::FileSizeLimit diskFull(4096);  // holds for root, unlike permissions
        StateStore::saveState(windows);
    }
    EXPECT_EQ(readBytes(stateFile()), before);
    EXPECT_EQ(testing::namesIn(appFolder()), std::set<std::string>{"pinned-photos.json"});

    const Lines lines = log.lines();
    ASSERT_EQ(lines.size(), 14u);
    EXPECT_EQ(lines[8],
              "[Corkwallery] ERROR writing state: invalid value for 'rotationAngle' in "
              "element 1: nan is not a JSON number");
    EXPECT_EQ(lines[13],
              "[Corkwallery] ERROR writing state: " + stateFile().string() + ": File too large");
}

TEST_F(StateStoreTest, FolderAtTheStatePathFailsLoadAndSaveAndIsLeftAlone) {
    fs::create_directories(stateFile() / "inner");
    CapturedLog log;
    EXPECT_TRUE(StateStore::loadState().empty());
    StateStore::saveState({});
    const Lines lines = log.lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_TRUE(
        lines[1].starts_with("[Corkwallery]   ERROR loading state: " + stateFile().string() + ": "))
        << lines[1];
    EXPECT_EQ(lines[4],
              "[Corkwallery] ERROR writing state: " + stateFile().string() + ": Is a directory");
    EXPECT_EQ(testing::namesIn(appFolder()), std::set<std::string>{"pinned-photos.json"});
    EXPECT_EQ(testing::namesIn(stateFile()), std::set<std::string>{"inner"});
}

TEST_F(StateStoreTest, PlainFileWhereTheAppFolderBelongsFailsEachCopyAndSave) {
    writeBytes(appFolder(), "in the way");
    writeBytes(home_.root() / "home" / "a.jpg", "a");
    CapturedLog log;
    EXPECT_EQ(PhotoCopies::copyImageToContainer((home_.root() / "home" / "a.jpg").string()),
              std::nullopt);
    StateStore::saveState({});
    EXPECT_TRUE(StateStore::loadState().empty());
    const Lines lines = log.lines();
    ASSERT_EQ(lines.size(), 6u);
    EXPECT_TRUE(std::regex_match(lines[0], std::regex("\\[Corkwallery\\] ERROR copying image to "
                                                      "container: " +
                                                      appFolder().string() +
                                                      "/images/[0-9A-F-]{36}-a\\.jpg: Not a "
                                                      "directory")))
        << lines[0];
    EXPECT_EQ(
        Lines(lines.begin() + 1, lines.end()),
        (Lines{"[Corkwallery] saveState() called \u2014 0 window(s)", encoding(0),
               "[Corkwallery] ERROR writing state: " + stateFile().string() + ": Not a directory",
               lookingFor(), "[Corkwallery]   File does not exist \u2014 returning empty"}));
    EXPECT_EQ(readBytes(appFolder()), "in the way");
}

}  // namespace
}  // namespace corkwallery
