#include <gtest/gtest.h>

#include <QFileDialog>
#include <QImage>
#include <QTest>
#include <QWindow>
#include <filesystem>
#include <fstream>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "photo/DraggableImageView.h"
#include "pins/PhotoAdder.h"
#include "platform/EventInjection.h"
#include "platform/Label.h"
#include "platform/Menu.h"
#include "platform/OpenPanel.h"
#include "platform/PanelWidget.h"
#include "platform/StackView.h"
#include "platform/StatusItem.h"
#include "platform/UserDefaults.h"
#include "store/StateFileCodec.h"
#include "support/CapturedLog.h"
#include "support/FileSizeLimit.h"
#include "support/Polling.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using platform::Size;
using testing::CapturedLog;

constexpr double kTilt = 0.13962634015954636;

std::string readBytes(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

std::set<std::string> filesIn(const fs::path& folder) {
    std::set<std::string> names;
    if (fs::is_directory(folder)) {
        for (const auto& entry : fs::directory_iterator(folder))
            names.insert(entry.path().filename().string());
    }
    return names;
}

bool hasAddedFirstPhoto() {
    return platform::UserDefaults::standard().boolForKey("hasAddedFirstPhoto");
}

// While alive, the file chooser confirms `pick`, or is cancelled when there is none.
class ChooserPicks {
public:
    explicit ChooserPicks(std::optional<fs::path> pick) {
        platform::OpenPanel::setModalDriver([pick](QFileDialog& dialog) {
            if (!pick)
                return dialog.reject();
            dialog.selectFile(QString::fromStdString(pick->string()));
            static_cast<QDialog&>(dialog).accept();
        });
    }
    ~ChooserPicks() { platform::OpenPanel::setModalDriver({}); }
};

class PhotoFlows : public ::testing::Test {
protected:
    ~PhotoFlows() override { platform::Menu::setPopUpInterceptor(nullptr); }

    fs::path imagesFolder() const { return home.dataHome() / "Corkwallery" / "images"; }
    fs::path stateFile() const { return home.dataHome() / "Corkwallery" / "pinned-photos.json"; }

    // A photo of the user's, outside the application's folders.
    fs::path userPhoto(const std::string& name, int width, int height) {
        const fs::path path = home.root() / "home" / "Pictures" / name;
        fs::create_directories(path.parent_path());
        QImage pixels(width, height, QImage::Format_RGB32);
        pixels.fill(Qt::darkYellow);
        EXPECT_TRUE(pixels.save(QString::fromStdString(path.string()), "PNG"));
        return path;
    }
    std::vector<PinnedPhotoState> savedRecords() const {
        const auto records = StateFileCodec::decode(readBytes(stateFile()));
        EXPECT_TRUE(records.ok());
        return records.ok() ? records.value() : std::vector<PinnedPhotoState>{};
    }
    // "Add Photo" from the tray menu, with the chooser confirming `pick` (cancelling when none);
    // the lines it logs.
    std::vector<std::string> addPhoto(const std::optional<fs::path>& pick) {
        const ChooserPicks chooser(pick);
        CapturedLog log;
        trayCommand("Add Photo");
        return log.lines();
    }
    void trayCommand(const std::string& title) {
        const platform::Menu& menu = *delegate.statusItem()->menu();
        for (std::size_t i = 0; i < menu.items().size(); ++i) {
            if (menu.items()[i].title == title)
                return menu.performItem(i);
        }
        FAIL() << title;
    }
    DraggableImageView& view(std::size_t i) const {
        return dynamic_cast<DraggableImageView&>(*delegate.pinWindows().at(i)->contentView());
    }
    // Chooses "Remove Photo" in the photo's own context menu.
    void removeByMenu(DraggableImageView& photo) {
        platform::Menu::setPopUpInterceptor([](platform::Menu& menu) {
            ASSERT_EQ(menu.items().at(2).title, "Remove Photo");
            menu.performItem(2);
        });
        const auto* window = delegate.pinWindows().front().get();
        for (const auto& w : delegate.pinWindows()) {
            if (w->contentView() == &photo)
                window = w.get();
        }
        platform::sendMouseEvent(photo, platform::MouseAction::RightDown,
                                 {window->frame().midX(), window->frame().midY()});
        platform::Menu::setPopUpInterceptor(nullptr);
    }
    void launch() {
        CapturedLog quiet;
        delegate.applicationDidFinishLaunching();
    }
    // What a save of the current windows alone logs.
    std::vector<std::string> saveLines() {
        CapturedLog log;
        delegate.saveState();
        return log.lines();
    }

    testing::TemporaryHome home;
    AppDelegate delegate;
};

TEST(AddPhoto, AnAdditionThatStopsEarlyChangesNothing) {
    struct Case {
        const char* name;
        std::optional<std::string> fileText;  // none: a decodable photo
        bool imagesFolderIsAFile;
        bool cancel;
    };
    const Case cases[] = {
        {"cancel", std::nullopt, false, true},
        {"undecodable", "not an image", false, false},
        {"empty file", "", false, false},
        {"copy fails", std::nullopt, true, false},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryHome caseHome;
        AppDelegate app;
        {
            CapturedLog quiet;
            app.applicationDidFinishLaunching();
        }
        ASSERT_NE(app.welcomePanel(), nullptr);
        const platform::Panel* welcome = app.welcomePanel();
        const fs::path images = caseHome.dataHome() / "Corkwallery" / "images";
        if (c.imagesFolderIsAFile) {
            fs::create_directories(images.parent_path());
            std::ofstream(images) << "in the way";
        }
        const fs::path pick = caseHome.root() / "home" / "photo.png";
        if (c.fileText) {
            std::ofstream(pick, std::ios::binary) << *c.fileText;
        } else {
            ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32).save(pick.c_str(), "PNG"));
        }
        const std::string original = readBytes(pick);

        const ChooserPicks chooser(c.cancel ? std::nullopt : std::optional(pick));
        CapturedLog log;
        app.addPhotoClicked();
        const auto lines = log.lines();

        if (c.cancel) {
            EXPECT_TRUE(lines.empty());
        } else if (c.imagesFolderIsAFile) {
            ASSERT_EQ(lines.size(), 2u);
            EXPECT_EQ(lines[0].rfind("[Corkwallery] ERROR copying image to container: ", 0), 0u)
                << lines[0];
            EXPECT_EQ(lines[1],
                      "[Corkwallery] ERROR: failed to copy image \u2014 photo will not persist");
        } else {
            EXPECT_EQ(lines,
                      std::vector<std::string>{"[Corkwallery] ERROR: failed to load image from " +
                                               pick.string()});
        }
        EXPECT_TRUE(app.pinWindows().empty());
        EXPECT_EQ(app.welcomePanel(), welcome);
        EXPECT_TRUE(welcome->isVisible());
        EXPECT_FALSE(fs::exists(caseHome.dataHome() / "Corkwallery" / "pinned-photos.json"));
        EXPECT_FALSE(hasAddedFirstPhoto());
        EXPECT_EQ(fs::is_regular_file(images), c.imagesFolderIsAFile);
        EXPECT_TRUE(filesIn(images).empty());
        EXPECT_EQ(readBytes(pick), original);
    }
}

TEST(PhotoSize, LongerSideIsAlways300Points) {
    const std::pair<Size, Size> cases[] = {
        {{4000, 3000}, {300, 225}}, {{3000, 4000}, {225, 300}}, {{1000, 1000}, {300, 300}},
        {{30, 20}, {300, 200}},     {{1, 600}, {0.5, 300}},
    };
    for (const auto& [natural, expected] : cases)
        EXPECT_EQ(PhotoAdder::baseSize(natural), expected)
            << natural.width << "x" << natural.height;
}

TEST_F(PhotoFlows, AddingOneFileTwiceMakesTwoCopiesAndTwoPinsAtTheScreenCentre) {
    launch();
    trayCommand("How to Use");
    ASSERT_NE(delegate.welcomePanel(), nullptr);
    ASSERT_NE(delegate.helpPanel(), nullptr);
    const fs::path pick = userPhoto("beach.png", 400, 300);
    const std::string original = readBytes(pick);

    for (int i = 0; i < 2; ++i) {
        const auto lines = addPhoto(pick);
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0].rfind("[Corkwallery] Copied image to container: ", 0), 0u) << lines[0];
        EXPECT_EQ(delegate.welcomePanel(), nullptr);
        EXPECT_EQ(delegate.helpPanel(), nullptr);
    }

    ASSERT_EQ(delegate.pinWindows().size(), 2u);
    const auto copies = filesIn(imagesFolder());
    ASSERT_EQ(copies.size(), 2u);
    std::vector<PinnedPhotoState> expected;
    for (std::size_t i = 0; i < 2; ++i) {
        const auto& window = *delegate.pinWindows()[i];
        EXPECT_TRUE(window.isVisible());
        EXPECT_EQ(window.frame().midX(), 720);
        EXPECT_EQ(window.frame().midY(), 450);
        const DraggableImageView& photo = view(i);
        ASSERT_TRUE(photo.storedFilename());
        const std::string& name = *photo.storedFilename();
        EXPECT_TRUE(copies.count(name)) << name;
        EXPECT_TRUE(name.ends_with("-beach.png")) << name;
        EXPECT_EQ(readBytes(imagesFolder() / name), original);
        EXPECT_GE(photo.rotationAngle(), -kTilt);
        EXPECT_LE(photo.rotationAngle(), kTilt);
        EXPECT_TRUE(
            (std::set<std::string>{"red", "blue", "green", "yellow"}).count(photo.pinColorName()))
            << photo.pinColorName();
        expected.push_back({name, pick.string(), 720, 450, 300, 225, photo.rotationAngle(),
                            photo.pinColorName(), false});
    }
    // The later pin is listed, and so saved, last.
    EXPECT_EQ(savedRecords(), expected);
    EXPECT_TRUE(hasAddedFirstPhoto());
    EXPECT_EQ(readBytes(pick), original);
}

struct Removal {
    std::size_t index;
    bool copyAlreadyGone;
};

void PrintTo(const Removal& r, std::ostream* out) {
    *out << "pin " << r.index << (r.copyAlreadyGone ? ", copy gone" : "");
}

class RemoveOne : public PhotoFlows, public ::testing::WithParamInterface<Removal> {};

TEST_P(RemoveOne, TakesOffOnlyThatPinAndItsCopy) {
    launch();
    for (const char* name : {"a.png", "b.png", "c.png"})
        addPhoto(userPhoto(name, 60, 40));
    ASSERT_EQ(delegate.pinWindows().size(), 3u);
    std::ofstream(imagesFolder() / "unlisted.png") << "no window names me";
    trayCommand("How to Use");

    std::vector<const platform::Panel*> kept;
    std::vector<PinnedPhotoState> keptRecords;
    const auto records = savedRecords();
    for (std::size_t i = 0; i < 3; ++i) {
        if (i != GetParam().index) {
            kept.push_back(delegate.pinWindows()[i].get());
            keptRecords.push_back(records[i]);
        }
    }
    DraggableImageView& photo = view(GetParam().index);
    const std::string removed = *photo.storedFilename();
    if (GetParam().copyAlreadyGone)
        fs::remove(imagesFolder() / removed);
    auto files = filesIn(imagesFolder());
    files.erase(removed);

    CapturedLog log;
    removeByMenu(photo);
    const auto lines = log.lines();

    std::vector<const platform::Panel*> remaining;
    for (const auto& window : delegate.pinWindows()) {
        remaining.push_back(window.get());
        EXPECT_TRUE(window->isVisible());
    }
    EXPECT_EQ(remaining, kept);
    EXPECT_EQ(savedRecords(), keptRecords);
    EXPECT_EQ(filesIn(imagesFolder()), files);
    EXPECT_EQ(lines, saveLines());  // nothing of its own beyond the save
    EXPECT_TRUE(hasAddedFirstPhoto());
    EXPECT_NE(delegate.helpPanel(), nullptr);
    for (const char* name : {"a.png", "b.png", "c.png"})
        EXPECT_TRUE(fs::exists(home.root() / "home" / "Pictures" / name));
}

INSTANTIATE_TEST_SUITE_P(OfThree, RemoveOne,
                         ::testing::Values(Removal{0, false}, Removal{1, false}, Removal{2, false},
                                           Removal{1, true}));

// A copy goes only after a save that no longer names it: when that save fails, the state file
// still names the copies and they stay.
class RemovalWhoseSaveFails : public PhotoFlows, public ::testing::WithParamInterface<bool> {};

TEST_P(RemovalWhoseSaveFails, KeepsTheCopiesTheStateFileStillNames) {
    const bool all = GetParam();
    launch();
    addPhoto(userPhoto("a.png", 60, 40));
    addPhoto(userPhoto("b.png", 40, 60));
    ASSERT_EQ(delegate.pinWindows().size(), 2u);
    const auto copies = filesIn(imagesFolder());
    const std::string state = readBytes(stateFile());
    {
        // Files cannot grow, as on a full disk. The log is not captured: it is a file too.
        testing::FileSizeLimit diskFull(1);
        if (all)
            trayCommand("Remove All Photos");
        else
            removeByMenu(view(0));
    }
    EXPECT_EQ(delegate.pinWindows().size(), all ? 0u : 1u);
    EXPECT_EQ(readBytes(stateFile()), state);
    EXPECT_EQ(filesIn(imagesFolder()), copies);
}

INSTANTIATE_TEST_SUITE_P(OneOrAll, RemovalWhoseSaveFails, ::testing::Bool(),
                         [](const ::testing::TestParamInfo<bool>& all) {
                             return all.param ? "RemoveAll" : "RemovePhoto";
                         });

TEST_F(PhotoFlows, RemovalRequestsForAnythingButAListedPhotoAreIgnored) {
    launch();
    addPhoto(userPhoto("a.png", 60, 40));
    ASSERT_EQ(delegate.pinWindows().size(), 1u);
    fs::remove(stateFile());
    const auto files = filesIn(imagesFolder());

    int foreign = 0;
    DraggableImageView unlisted(platform::Rect(0, 0, 60, 40));
    unlisted.setStoredFilename(*view(0).storedFilename());
    const platform::Panel* window = delegate.pinWindows()[0].get();
    for (const void* object :
         {static_cast<const void*>(&foreign), static_cast<const void*>(&unlisted),
          static_cast<const void*>(window), static_cast<const void*>(nullptr)}) {
        CapturedLog log;
        platform::NotificationCenter::defaultCenter().post(DraggableImageView::removePhoto(),
                                                           object);
        EXPECT_TRUE(log.lines().empty());
    }
    ASSERT_EQ(delegate.pinWindows().size(), 1u);
    EXPECT_TRUE(delegate.pinWindows()[0]->isVisible());
    EXPECT_FALSE(fs::exists(stateFile()));
    EXPECT_EQ(filesIn(imagesFolder()), files);
}

TEST_F(PhotoFlows, RemoveAllWithoutPinsStillSavesAnEmptyList) {
    launch();
    const platform::Panel* welcome = delegate.welcomePanel();
    ASSERT_FALSE(fs::exists(stateFile()));
    CapturedLog log;
    trayCommand("Remove All Photos");
    const auto lines = log.lines();
    EXPECT_EQ(readBytes(stateFile()), "[]");
    EXPECT_EQ(lines, saveLines());
    EXPECT_EQ(delegate.welcomePanel(), welcome);
    EXPECT_FALSE(hasAddedFirstPhoto());
}

TEST_F(PhotoFlows, RemoveAllDeletesOnlyTheCopiesItsWindowsName) {
    launch();
    addPhoto(userPhoto("a.png", 60, 40));
    addPhoto(userPhoto("b.png", 40, 60));
    ASSERT_EQ(delegate.pinWindows().size(), 2u);
    const std::set<std::string> strangers{"failed-at-launch.png", "notes.txt"};
    for (const auto& name : strangers)
        std::ofstream(imagesFolder() / name) << "bytes";
    trayCommand("How to Use");
    const platform::Panel* help = delegate.helpPanel();

    trayCommand("Remove All Photos");

    EXPECT_TRUE(delegate.pinWindows().empty());
    EXPECT_EQ(filesIn(imagesFolder()), strangers);
    EXPECT_EQ(savedRecords(), std::vector<PinnedPhotoState>{});
    EXPECT_TRUE(hasAddedFirstPhoto());
    EXPECT_EQ(delegate.helpPanel(), help);
    EXPECT_EQ(delegate.welcomePanel(), nullptr);
    EXPECT_TRUE(fs::exists(home.root() / "home" / "Pictures" / "a.png"));

    // Nothing comes back at the next launch, and no welcome either.
    AppDelegate relaunched;
    {
        CapturedLog quiet;
        relaunched.applicationDidFinishLaunching();
    }
    EXPECT_TRUE(relaunched.pinWindows().empty());
    EXPECT_EQ(relaunched.welcomePanel(), nullptr);
}

TEST_F(PhotoFlows, HowToUseTogglesTheHelpCardAndItsCloseButtonClosesIt) {
    launch();
    const platform::Panel* welcome = delegate.welcomePanel();
    ASSERT_NE(welcome, nullptr);
    EXPECT_EQ(delegate.helpPanel(), nullptr);

    // Open, close, open anew.
    for (bool open : {true, false, true}) {
        trayCommand("How to Use");
        EXPECT_EQ(delegate.helpPanel() != nullptr, open);
        if (open) {
            EXPECT_TRUE(delegate.helpPanel()->isVisible());
        }
    }

    const platform::Panel& help = *delegate.helpPanel();
    ASSERT_TRUE(testing::waitUntil([&] { return help.widget()->isVisible(); }));
    const int w = static_cast<int>(help.frame().width());
    const int m = static_cast<int>(help.drawingMargin());
    QTest::mouseClick(help.widget()->windowHandle(), Qt::LeftButton, Qt::NoModifier,
                      QPoint(m + w - 18, m + 18));
    EXPECT_EQ(delegate.helpPanel(), nullptr);
    // The next "How to Use" opens it again rather than closing nothing.
    trayCommand("How to Use");
    EXPECT_NE(delegate.helpPanel(), nullptr);
    // The welcome card is not the help card's business.
    EXPECT_EQ(delegate.welcomePanel(), welcome);
    EXPECT_TRUE(welcome->isVisible());
}

TEST(LaunchGreeting, WelcomeCardOnlyOnAFirstLaunchWithoutPins) {
    struct Case {
        const char* name;
        bool addedBefore;
        bool restorablePin;
        bool pinWithoutCopy;
        bool welcome;
    };
    const Case cases[] = {
        {"new user", false, false, false, true},
        {"user who removed all pins", true, false, false, false},
        {"pin restored", false, true, false, false},
        {"no pin could be restored", false, false, true, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryHome home;
        const fs::path folder = home.dataHome() / "Corkwallery";
        fs::create_directories(folder / "images");
        if (c.addedBefore)
            platform::UserDefaults::standard().setBool(true, "hasAddedFirstPhoto");
        std::vector<PinnedPhotoState> records;
        if (c.restorablePin) {
            ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32)
                            .save((folder / "images" / "p.png").c_str(), "PNG"));
            records.push_back({"p.png", "", 300, 300, 40, 30, 0, "red", false});
        }
        if (c.pinWithoutCopy)
            records.push_back({"gone.png", "", 300, 300, 40, 30, 0, "red", false});
        if (!records.empty())
            std::ofstream(folder / "pinned-photos.json") << StateFileCodec::encode(records).value();

        AppDelegate app;
        {
            CapturedLog quiet;
            app.applicationDidFinishLaunching();
        }
        EXPECT_EQ(app.welcomePanel() != nullptr, c.welcome);
        if (c.welcome) {
            EXPECT_TRUE(app.welcomePanel()->isVisible());
        }
        EXPECT_EQ(app.helpPanel(), nullptr);
        EXPECT_EQ(app.pinWindows().size(), c.restorablePin ? 1u : 0u);
    }
}

// Without a tray host (as offscreen), the welcome card points at the corner card.
TEST(LaunchGreeting, WelcomeCardNamesTheCornerCardWithoutATray) {
    testing::TemporaryHome home;
    AppDelegate app;
    {
        CapturedLog quiet;
        app.applicationDidFinishLaunching();
    }
    ASSERT_FALSE(app.statusItem()->isInTray());
    ASSERT_NE(app.welcomePanel(), nullptr);
    const auto& stack = dynamic_cast<const platform::StackView&>(
        *app.welcomePanel()->contentView()->subviews()[0]);
    const auto* body = dynamic_cast<const platform::Label*>(stack.arrangedSubviews().at(2));
    ASSERT_NE(body, nullptr);
    EXPECT_EQ(body->stringValue(),
              "Click the pin card in the top-right corner\nto add your first photo.");
}

}  // namespace
}  // namespace corkwallery
