#include "store/StateStore.h"

#include <gtest/gtest.h>

#include <cmath>
#include <ctime>
#include <filesystem>
#include <regex>

#include "StoreTestSupport.h"
#include "photo/DraggableImageView.h"
#include "store/AppFolders.h"
#include "support/FileSizeLimit.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using platform::Panel;
using platform::Rect;
using platform::Size;
using testing::CapturedLog;
using testing::namesIn;
using testing::readBytes;
using testing::writeBytes;
using Lines = std::vector<std::string>;

struct Pin {
    Rect frame;
    std::optional<std::string> stored;
    std::optional<std::string> original;
    Size base{300, 225};
    double rotation = -0.0523;
    std::string color = "red";
    bool locked = false;
};

// A pin window as the application makes it, then placed exactly at the pin's frame.
std::unique_ptr<Panel> pinWindow(const Pin& pin) {
    auto panel = std::make_unique<Panel>(pin.frame);
    auto owned = std::make_unique<DraggableImageView>(Rect({0, 0}, pin.frame.size));
    DraggableImageView& view = *owned;
    panel->setContentView(std::move(owned));
    view.setStoredFilename(pin.stored);
    view.setOriginalPath(pin.original);
    view.setPinColorName(pin.color);
    view.setLocked(pin.locked);
    view.fitWindowToPhoto(pin.base, pin.rotation);
    panel->setFrame(pin.frame, false);
    return panel;
}

std::unique_ptr<Panel> windowWith(std::unique_ptr<platform::View> content) {
    auto panel = std::make_unique<Panel>(Rect(0, 0, 100, 100));
    if (content)
        panel->setContentView(std::move(content));
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

TEST_F(StateStoreTest, SavingNoWindowsWritesAnEmptyArray) {
    CapturedLog log;
    StateStore::saveState({});
    EXPECT_EQ(log.lines(), (Lines{"[Corkwallery] saveState() called \u2014 0 window(s)",
                                  encoding(0), "[Corkwallery] Wrote 2 bytes successfully"}));
    EXPECT_EQ(readBytes(stateFile()), "[]");
    EXPECT_EQ(namesIn(appFolder()), std::set<std::string>{"pinned-photos.json"});
}

TEST_F(StateStoreTest, SavesPhotoWindowsInOrderAndLoadsThemBack) {
    PinWindowList windows;
    windows.push_back(pinWindow({Rect(100, 200, 320, 400), "A.jpg", "/x/A.jpg"}));
    windows.push_back(pinWindow({Rect(0, 0, 50, 50), std::nullopt, "/x/none.jpg"}));
    windows.push_back(windowWith(std::make_unique<platform::View>(Rect(0, 0, 100, 100))));
    windows.push_back(windowWith(nullptr));
    windows.push_back(pinWindow({Rect(480, 212.5, 320, 400),
                                 "B \u00e9.jpg",
                                 std::nullopt,
                                 {200, 150},
                                 0.1,
                                 "purple",
                                 true}));

    CapturedLog saveLog;
    StateStore::saveState(windows);
    const std::string json =
        R"([{"storedFilename":"A.jpg","originalPath":"\/x\/A.jpg","centerX":260,"centerY":400,)"
        R"("baseWidth":300,"baseHeight":225,"rotationAngle":-0.0523,"pinColorName":"red",)"
        R"("isLocked":false},{"storedFilename":"B )"
        "\u00e9"
        R"(.jpg","originalPath":"","centerX":640,"centerY":412.5,"baseWidth":200,)"
        R"("baseHeight":150,"rotationAngle":0.1,"pinColorName":"purple","isLocked":true}])";
    EXPECT_EQ(
        saveLog.lines(),
        (Lines{"[Corkwallery] saveState() called \u2014 5 window(s)",
               "[Corkwallery]   window 0: saved \u2014 stored=A.jpg, center=(260.0, 400.0)",
               "[Corkwallery]   window 1: storedFilename is nil \u2014 skipping",
               "[Corkwallery]   window 2: contentView is not DraggableImageView \u2014 "
               "skipping",
               "[Corkwallery]   window 3: contentView is not DraggableImageView \u2014 "
               "skipping",
               "[Corkwallery]   window 4: saved \u2014 stored=B \u00e9.jpg, center=(640.0, "
               "412.5)",
               encoding(2),
               "[Corkwallery] Wrote " + std::to_string(json.size()) + " bytes successfully"}));
    EXPECT_EQ(readBytes(stateFile()), json);

    CapturedLog loadLog;
    const auto states = StateStore::loadState();
    EXPECT_EQ(states, (std::vector<PinnedPhotoState>{
                          {"A.jpg", "/x/A.jpg", 260, 400, 300, 225, -0.0523, "red", false},
                          {"B \u00e9.jpg", "", 640, 412.5, 200, 150, 0.1, "purple", true}}));
    EXPECT_EQ(
        loadLog.lines(),
        (Lines{lookingFor(), "[Corkwallery]   Read " + std::to_string(json.size()) + " bytes",
               "[Corkwallery]   Decoded 2 state(s)",
               "[Corkwallery]     [0] stored=A.jpg, original=/x/A.jpg, center=(260.0, 400.0)",
               "[Corkwallery]     [1] stored=B \u00e9.jpg, original=, center=(640.0, 412.5)"}));
}

TEST_F(StateStoreTest, LoadingReportsWhatItFinds) {
    struct Case {
        const char* name;
        std::optional<std::string> file;  // none: no state file
        Lines lines;                      // after the "looking for" line
    };
    const std::vector<Case> cases = {
        {"NoFile", std::nullopt, {"[Corkwallery]   File does not exist \u2014 returning empty"}},
        {"EmptyArray",
         "[]",
         {"[Corkwallery]   Read 2 bytes", "[Corkwallery]   Decoded 0 state(s)"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        fs::remove_all(appFolder());
        if (c.file) {
            fs::create_directories(appFolder());
            writeBytes(stateFile(), *c.file);
        }
        CapturedLog log;
        EXPECT_TRUE(StateStore::loadState().empty());
        Lines expected{lookingFor()};
        expected.insert(expected.end(), c.lines.begin(), c.lines.end());
        EXPECT_EQ(log.lines(), expected);
        EXPECT_TRUE(fs::is_directory(appFolder()));  // the load created it when missing
    }
}

TEST_F(StateStoreTest, LoadLineKeepsPointZeroWhileTheFileHasNone) {
    fs::create_directories(appFolder());
    writeBytes(stateFile(),
               R"([{"storedFilename":"A.jpg","originalPath":"\/x\/A.jpg","centerX":640,)"
               R"("centerY":412.5,"baseWidth":300,"baseHeight":225,"rotationAngle":0,)"
               R"("pinColorName":"red","isLocked":false}])");
    CapturedLog log;
    ASSERT_EQ(StateStore::loadState().size(), 1u);
    EXPECT_EQ(log.lines().back(),
              "[Corkwallery]     [0] stored=A.jpg, original=/x/A.jpg, center=(640.0, 412.5)");
}

TEST_F(StateStoreTest, UndecodableFileIsKeptBesideItselfAndSurvivesTheNextSave) {
    const std::vector<std::pair<std::string, std::string>> cases = {
        {"not json at all",
         "invalid JSON at byte 2: syntax error while parsing value - invalid "
         "literal; last read: 'no'"},
        {R"([{"storedFilename":"A.jpg"}])", "missing key 'originalPath' in element 0"},
    };
    for (const auto& [bytes, error] : cases) {
        SCOPED_TRACE(bytes);
        fs::remove_all(appFolder());
        fs::create_directories(appFolder());
        writeBytes(stateFile(), bytes);

        CapturedLog log;
        const std::string before = utcStampNow();
        EXPECT_TRUE(StateStore::loadState().empty());
        const std::string after = utcStampNow();
        const Lines lines = log.lines();

        ASSERT_EQ(lines.size(), 4u);
        EXPECT_EQ(lines[1], "[Corkwallery]   Read " + std::to_string(bytes.size()) + " bytes");
        EXPECT_EQ(lines[2], "[Corkwallery]   ERROR loading state: " + error);
        const std::string keptPrefix =
            "[Corkwallery]   Kept the unreadable state file as: " + stateFile().string() +
            ".unreadable-";
        ASSERT_TRUE(lines[3].starts_with(keptPrefix)) << lines[3];
        const std::string stamp = lines[3].substr(keptPrefix.size());
        EXPECT_TRUE(std::regex_match(stamp, std::regex("[0-9]{8}-[0-9]{6}"))) << stamp;
        EXPECT_TRUE(before <= stamp && stamp <= after) << stamp;

        const fs::path kept = stateFile().string() + ".unreadable-" + stamp;
        EXPECT_EQ(readBytes(stateFile()), bytes);
        EXPECT_EQ(readBytes(kept), bytes);

        CapturedLog saveLog;
        StateStore::saveState({});
        EXPECT_EQ(readBytes(stateFile()), "[]");
        EXPECT_EQ(readBytes(kept), bytes);
    }
}

TEST_F(StateStoreTest, FolderAtTheStatePathFailsLoadAndSaveAndIsLeftAlone) {
    fs::create_directories(stateFile() / "inner");
    CapturedLog log;
    EXPECT_TRUE(StateStore::loadState().empty());
    StateStore::saveState({});
    const Lines lines = log.lines();
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], lookingFor());
    EXPECT_TRUE(
        lines[1].starts_with("[Corkwallery]   ERROR loading state: " + stateFile().string() + ": "))
        << lines[1];
    EXPECT_EQ(lines[4], "[Corkwallery] ERROR writing state: " + stateFile().string() +
                            ": Filename refers to a directory");
    EXPECT_EQ(namesIn(appFolder()), std::set<std::string>{"pinned-photos.json"});
    EXPECT_EQ(namesIn(stateFile()), std::set<std::string>{"inner"});
}

TEST_F(StateStoreTest, FailedSaveLeavesThePreviousFileByteForByte) {
    PinWindowList previous;
    previous.push_back(pinWindow({Rect(10, 20, 300, 250), "old.jpg", "/old.jpg"}));
    {
        CapturedLog quiet;
        StateStore::saveState(previous);
    }
    const std::string before = readBytes(stateFile());
    ASSERT_FALSE(before.empty());

    struct Case {
        const char* name;
        Pin pin;
        std::string error;
    };
    const std::vector<Case> cases = {
        {"NotEncodable",
         {Rect(0, 0, 300, 250), "new.jpg", "/new.jpg", {300, 225}, std::nan("")},
         "invalid value for 'rotationAngle' in element 0: nan is not a JSON number"},
        {"DiskFull",
         {Rect(0, 0, 300, 250), "new.jpg", "/" + std::string(8192, 'p')},
         stateFile().string() + ": File too large"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        PinWindowList windows;
        windows.push_back(pinWindow(c.pin));
        CapturedLog log;
        {
            testing::FileSizeLimit limit(4096);
            StateStore::saveState(windows);
        }
        EXPECT_EQ(log.lines().back(), "[Corkwallery] ERROR writing state: " + c.error);
        EXPECT_EQ(readBytes(stateFile()), before);
        EXPECT_EQ(namesIn(appFolder()), std::set<std::string>{"pinned-photos.json"});
    }
}

TEST_F(StateStoreTest, PlainFileWhereTheAppFolderBelongs) {
    fs::create_directories(home_.dataHome());
    writeBytes(appFolder(), "in the way");
    CapturedLog log;
    StateStore::saveState({});
    EXPECT_TRUE(StateStore::loadState().empty());
    EXPECT_EQ(
        log.lines(),
        (Lines{"[Corkwallery] saveState() called \u2014 0 window(s)", encoding(0),
               "[Corkwallery] ERROR writing state: " + stateFile().string() + ": Not a directory",
               lookingFor(), "[Corkwallery]   File does not exist \u2014 returning empty"}));
    EXPECT_EQ(readBytes(appFolder()), "in the way");
}

TEST_F(StateStoreTest, HostileStoredNamesLoadButReachNoFile) {
    fs::create_directories(appFolder());
    std::string json = "[";
    for (const char* name : {"../pinned-photos.json", "..", ""}) {
        json += std::string(json.size() > 1 ? "," : "") + R"({"storedFilename":")" + name +
                R"(","originalPath":"","centerX":0,"centerY":0,"baseWidth":1,"baseHeight":1,)"
                R"("rotationAngle":0,"pinColorName":"red","isLocked":false})";
    }
    json += "]";
    writeBytes(stateFile(), json);
    CapturedLog log;
    const auto states = StateStore::loadState();
    ASSERT_EQ(states.size(), 3u);
    for (const PinnedPhotoState& s : states)
        EXPECT_EQ(AppFolders::storedImageURL(s.storedFilename), std::nullopt) << s.storedFilename;
}

}  // namespace
}  // namespace corkwallery
