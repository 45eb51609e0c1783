#include <gtest/gtest.h>

#include <QImage>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "photo/DraggableImageView.h"
#include "platform/Menu.h"
#include "platform/UserDefaults.h"
#include "store/StateFileCodec.h"
#include "support/CapturedLog.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using testing::CapturedLog;

PinnedPhotoState record(std::string name, double cx, double cy) {
    return {std::move(name), "/home/me/" + name, cx, cy, 300, 200, 0.1, "green", false};
}

class AppLaunch : public ::testing::Test {
protected:
    fs::path appFolder() const { return home.dataHome() / "Corkwallery"; }
    fs::path imagesFolder() const { return appFolder() / "images"; }
    fs::path stateFile() const { return appFolder() / "pinned-photos.json"; }

    void writeState(const std::vector<PinnedPhotoState>& records) {
        fs::create_directories(imagesFolder());
        const auto text = StateFileCodec::encode(records);
        ASSERT_TRUE(text.ok());
        std::ofstream(stateFile(), std::ios::binary) << text.value();
    }
    void writePhoto(const std::string& name, int width, int height) {
        fs::create_directories(imagesFolder());
        QImage pixels(width, height, QImage::Format_RGB32);
        pixels.fill(Qt::darkCyan);
        ASSERT_TRUE(pixels.save(QString::fromStdString((imagesFolder() / name).string()), "PNG"));
    }
    std::vector<PinnedPhotoState> savedRecords() const {
        std::ifstream in(stateFile(), std::ios::binary);
        const std::string text((std::istreambuf_iterator<char>(in)), {});
        auto records = StateFileCodec::decode(text);
        EXPECT_TRUE(records.ok()) << text;
        return records.ok() ? records.value() : std::vector<PinnedPhotoState>{};
    }
    std::vector<std::string> launch() {
        CapturedLog log;
        delegate.applicationDidFinishLaunching();
        return log.lines();
    }
    DraggableImageView& view(std::size_t i) const {
        return dynamic_cast<DraggableImageView&>(*delegate.pinWindows().at(i)->contentView());
    }

    testing::TemporaryHome home;
    AppDelegate delegate;
};

int count(const std::vector<std::string>& lines, const std::string& prefix) {
    return static_cast<int>(std::count_if(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.rfind(prefix, 0) == 0;
    }));
}

TEST_F(AppLaunch, WithoutStateFileRestoresNothingAndWritesNothing) {
    const auto lines = launch();
    const std::string path = stateFile().string();
    EXPECT_EQ(lines, (std::vector<std::string>{
                         "[Corkwallery] loadState() \u2014 looking for: " + path,
                         "[Corkwallery]   File does not exist \u2014 returning empty",
                         "[Corkwallery] restorePinnedPhotos() \u2014 0 state(s) to restore",
                     }));
    EXPECT_TRUE(delegate.pinWindows().empty());
    EXPECT_FALSE(fs::exists(stateFile()));
    EXPECT_FALSE(fs::exists(imagesFolder()));
    EXPECT_FALSE(platform::UserDefaults::standard().boolForKey("hasAddedFirstPhoto"));
}

TEST_F(AppLaunch, SkipsRecordsWhoseCopyIsMissingAndKeepsTheOthersInOrder) {
    writePhoto("A.png", 64, 48);
    writePhoto("C.png", 30, 90);
    writeState({record("A.png", 300, 300), record("B.png", 700, 500), record("C.png", 1000, 200)});

    const auto lines = launch();
    const std::string images = imagesFolder().string();
    const std::vector<std::string> expected{
        "[Corkwallery] restorePinnedPhotos() \u2014 3 state(s) to restore",
        "[Corkwallery]   [0] Loading from container: " + images + "/A.png",
        "[Corkwallery]   [0] Image loaded: (64.0, 48.0)",
        "[Corkwallery]   [0] Window restored successfully",
        "[Corkwallery]   [1] Loading from container: " + images + "/B.png",
        "[Corkwallery]   [1] ERROR: failed to load image from " + images + "/B.png",
        "[Corkwallery]   [2] Loading from container: " + images + "/C.png",
        "[Corkwallery]   [2] Image loaded: (30.0, 90.0)",
        "[Corkwallery]   [2] Window restored successfully",
    };
    std::vector<std::string> restoreLines;
    std::copy_if(lines.begin(), lines.end(), std::back_inserter(restoreLines),
                 [](const std::string& l) {
                     return l.find("restorePinnedPhotos") != std::string::npos ||
                            l.rfind("[Corkwallery]   [", 0) == 0;
                 });
    EXPECT_EQ(restoreLines, expected);
    EXPECT_EQ(count(lines, "[Corkwallery] saveState() called"), 2);  // one per restored window

    ASSERT_EQ(delegate.pinWindows().size(), 2u);
    EXPECT_EQ(savedRecords(), (std::vector<PinnedPhotoState>{record("A.png", 300, 300),
                                                             record("C.png", 1000, 200)}));
    EXPECT_TRUE(platform::UserDefaults::standard().boolForKey("hasAddedFirstPhoto"));
}

// A restored pin is saved back bit for bit, even a centre that no origin carries exactly (0.1,
// or -0, which the file writes as such); a pin that no screen shows comes back onto the nearest
// screen, and that is saved.
TEST_F(AppLaunch, RestoredPinKeepsItsRecordExactlyUnlessOutOfReach) {
    std::vector<PinnedPhotoState> records{
        {"L.png", "", 412.5, 640.25, 250.5, 120.25, -0.13, "purple", true},
        {"Edge.png", "", 0.1, -0.0, 300, 200, 0.1, "red", false},
        {"Far.png", "/x/Far.png", -3000.75, 5000.5, 80, 300, 0.0523, "yellow", false},
    };
    writePhoto("L.png", 500, 240);
    writePhoto("Edge.png", 60, 40);
    writePhoto("Far.png", 30, 100);
    writeState(records);
    const auto lines = launch();

    // The far pin's window is 96 x 322: it lands in the top-left corner of the 1440 x 900 screen.
    records[2].centerX = 48;
    records[2].centerY = 900 - 161;
    EXPECT_EQ(count(lines, "[Corkwallery] Brought pin 2 back on screen: center=(48.0, 739.0)"), 1);
    EXPECT_EQ(count(lines, "[Corkwallery] Brought pin"), 1);
    ASSERT_EQ(delegate.pinWindows().size(), 3u);
    for (std::size_t i = 0; i < records.size(); ++i) {
        const platform::Point centre = delegate.pinWindows()[i]->center();
        EXPECT_EQ(centre.x, records[i].centerX);
        EXPECT_EQ(centre.y, records[i].centerY);
        EXPECT_EQ(view(i).baseImageSize(),
                  (platform::Size{records[i].baseWidth, records[i].baseHeight}));
        EXPECT_EQ(view(i).rotationAngle(), records[i].rotationAngle);
        EXPECT_EQ(view(i).pinColorName(), records[i].pinColorName);
        EXPECT_EQ(view(i).isLocked(), records[i].isLocked);
        EXPECT_TRUE(delegate.pinWindows()[i]->isVisible());
    }
    std::ifstream in(stateFile(), std::ios::binary);
    const std::string saved((std::istreambuf_iterator<char>(in)), {});
    EXPECT_NE(saved.find("\"centerX\":0.1,\"centerY\":-0,"), std::string::npos) << saved;
    EXPECT_EQ(saved, StateFileCodec::encode(records).value());
}

TEST_F(AppLaunch, EveryPinStateChangeFromAnySenderSaves) {
    launch();
    int sender = 0;
    CapturedLog log;
    platform::NotificationCenter::defaultCenter().post(DraggableImageView::pinStateDidChange(),
                                                       &sender);
    platform::NotificationCenter::defaultCenter().post(DraggableImageView::pinStateDidChange(),
                                                       nullptr);
    EXPECT_EQ(count(log.lines(), "[Corkwallery] saveState() called \u2014 0 window(s)"), 2);
    EXPECT_EQ(savedRecords(), std::vector<PinnedPhotoState>{});
}

TEST_F(AppLaunch, TrayMenuHasFourCommandsBetweenSeparators) {
    launch();
    ASSERT_NE(delegate.statusItem(), nullptr);
    const platform::Menu* menu = delegate.statusItem()->menu();
    ASSERT_NE(menu, nullptr);
    std::vector<std::string> entries;
    for (const auto& item : menu->items()) {
        entries.push_back(item.isSeparator
                              ? "-"
                              : item.title +
                                    (item.keyEquivalent.empty() ? "" : " ^" + item.keyEquivalent));
    }
    EXPECT_EQ(entries, (std::vector<std::string>{"Add Photo ^n", "-", "Remove All Photos", "-",
                                                 "How to Use", "-", "Quit Corkwallery ^q"}));
    // The offscreen platform has no tray: the corner card stands in for it.
    EXPECT_TRUE(delegate.statusItem()->isFallbackCardShown());
}

TEST_F(AppLaunch, QuittingSavesTheOpenWindowsOnceMore) {
    writePhoto("A.png", 64, 48);
    writeState({record("A.png", 300, 300)});
    launch();
    fs::remove(stateFile());
    CapturedLog log;
    delegate.applicationWillTerminate();
    EXPECT_EQ(count(log.lines(), "[Corkwallery] saveState() called \u2014 1 window(s)"), 1);
    EXPECT_EQ(savedRecords(), (std::vector<PinnedPhotoState>{record("A.png", 300, 300)}));
}

}  // namespace
}  // namespace corkwallery
