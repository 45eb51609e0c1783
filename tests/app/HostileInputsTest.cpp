#include <gtest/gtest.h>

#include <sys/mount.h>
#include <sys/stat.h>
#include <QImage>
#include <QWidget>

#include <cerrno>
#include <cstring>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/AppDelegate.h"
#include "photo/DraggableImageView.h"
#include "pins/PinPlacement.h"
#include "platform/PanelWidget.h"
#include "store/StateFileCodec.h"
#include "support/CapturedLog.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"

// Files a user, a crash or an attacker may leave behind: each gets a clear log line, the program
// keeps running, and nothing a user pinned is lost.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using testing::CapturedLog;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

bool contains(const std::vector<std::string>& lines, const std::string& text) {
    return std::any_of(lines.begin(), lines.end(), [&](const std::string& line) {
        return line.find(text) != std::string::npos;
    });
}

class Hostile : public ::testing::Test {
protected:
    fs::path folder() const { return home.dataHome() / "Corkwallery"; }
    fs::path stateFile() const { return folder() / "pinned-photos.json"; }
    void writeState(const std::string& bytes) {
        fs::create_directories(folder() / "images");
        std::ofstream(stateFile(), std::ios::binary) << bytes;
    }
    void writePhoto(const std::string& name) {
        QImage pixels(40, 30, QImage::Format_RGB32);
        pixels.fill(Qt::darkMagenta);
        ASSERT_TRUE(
            pixels.save(QString::fromStdString((folder() / "images" / name).string()), "PNG"));
    }
    std::vector<std::string> launch() {
        CapturedLog log;
        delegate.applicationDidFinishLaunching();
        return log.lines();
    }
    std::vector<std::string> save() {
        CapturedLog log;
        delegate.saveState();
        return log.lines();
    }

    testing::TemporaryHome home;
    AppDelegate delegate;
};

struct BadFile {
    const char* name;
    std::string bytes;
};

class HostileStateFile : public Hostile, public ::testing::WithParamInterface<BadFile> {};

TEST_P(HostileStateFile, IsReportedKeptAndNeverOverwritten) {
    const std::string& bytes = GetParam().bytes;
    writeState(bytes);
    const auto lines = launch();
    EXPECT_TRUE(contains(lines, "[Corkwallery]   ERROR loading state: ")) << GetParam().name;
    EXPECT_TRUE(contains(lines, "restorePinnedPhotos() \u2014 0 state(s) to restore"));
    EXPECT_TRUE(delegate.pinWindows().empty());
    EXPECT_NE(delegate.statusItem(), nullptr);

    save();  // the next save replaces the file; the pins it held survive in the kept copy
    std::vector<fs::path> kept;
    for (const auto& entry : fs::directory_iterator(folder())) {
        if (entry.path().filename().string().rfind("pinned-photos.json.unreadable-", 0) == 0) {
            kept.push_back(entry.path());
        }
    }
    ASSERT_EQ(kept.size(), 1u);
    EXPECT_TRUE(readAll(kept[0]) == bytes);
}

const std::string kOneRecord =
    R"({"storedFilename":"a.png","originalPath":"","centerX":1,"centerY":2,"baseWidth":3,)"
    R"("baseHeight":4,"rotationAngle":0,"pinColorName":"red","isLocked":false})";

INSTANTIATE_TEST_SUITE_P(
    Files, HostileStateFile,
    ::testing::Values(BadFile{"empty", ""}, BadFile{"cut off", "[" + kOneRecord.substr(0, 60)},
                      // The other failure kinds of the reader are the codec tests' business.
                      BadFile{"object at the top", kOneRecord}, BadFile{"missing key", "[{}]"},
                      BadFile{"NUL byte", std::string("[]\0", 3)},
                      BadFile{"nested 100000 deep",
                              std::string(100000, '[') + std::string(100000, ']')},
                      BadFile{"100 MB of whitespace", std::string(100'000'000, ' ')}),
    [](const ::testing::TestParamInfo<BadFile>& file) {
        std::string name = file.param.name;
        std::replace(name.begin(), name.end(), ' ', '_');
        return name;
    });

// Sizes and centres far beyond any screen: the windows stay within what X11 can hold, and the
// records are written back exactly as they were read.
// Absurd sizes are kept exactly in bounded windows; so are absurd centres, unless no screen
// shows the pin: then it comes back onto the screen.
TEST_F(Hostile, AbsurdSizesAndCentresAreKeptWithBoundedWindowsWithinReach) {
    std::vector<PinnedPhotoState> records;
    int i = 0;
    for (double size : {1e308, 1e9, 0.0, -5.0}) {
        for (double centre : {1e308, 1e9, 0.0, -5.0}) {
            const std::string name = "P" + std::to_string(i++) + ".png";
            records.push_back({name, "", centre, -centre, size, size / 2, 0.1, "red", false});
        }
    }
    writeState(StateFileCodec::encode(records).value());
    for (const auto& record : records)
        writePhoto(record.storedFilename);

    const auto lines = launch();
    ASSERT_EQ(delegate.pinWindows().size(), records.size());
    for (const auto& window : delegate.pinWindows()) {
        const QWidget* native = window->widget();
        EXPECT_LE(std::max(native->width(), native->height()), 32000);
        QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
        static_cast<QWidget*>(window->widget())->render(&canvas);  // painting must not fail either
        EXPECT_FALSE(
            PinPlacement::broughtOnScreen(window->frame(), {platform::Rect(0, 0, 1440, 900)}));
    }
    save();
    const auto saved = StateFileCodec::decode(readAll(stateFile())).value();
    ASSERT_EQ(saved.size(), records.size());
    for (std::size_t p = 0; p < records.size(); ++p) {
        PinnedPhotoState expected = records[p];
        if (contains(lines, "[Corkwallery] Brought pin " + std::to_string(p) + " back on screen")) {
            expected.centerX = delegate.pinWindows()[p]->center().x;
            expected.centerY = delegate.pinWindows()[p]->center().y;
        }
        EXPECT_EQ(saved[p], expected);
    }
    // Huge pins around the origin cover the screen: they stay exactly where they were.
    for (const std::size_t kept : {2, 3, 6, 7})
        EXPECT_EQ(saved[kept].centerX, records[kept].centerX);
}

TEST_F(Hostile, StoredNamesThatLeaveTheImagesFolderAreNeverOpened) {
    fs::create_directories(folder() / "images");
    writePhoto("inside.png");
    fs::copy_file(folder() / "images" / "inside.png", folder() / "outside.png");
    std::vector<PinnedPhotoState> records;
    for (const char* name :
         {"../outside.png", "/etc/hostname", "..", ".", "", "images/../../outside.png"}) {
        records.push_back({name, "", 10, 10, 100, 100, 0, "red", false});
    }
    writeState(StateFileCodec::encode(records).value());
    const auto lines = launch();
    for (std::size_t i = 0; i < records.size(); ++i) {
        EXPECT_TRUE(
            contains(lines, "[" + std::to_string(i) + "] ERROR: failed to load image from "))
            << i;
    }
    EXPECT_TRUE(delegate.pinWindows().empty());
    EXPECT_TRUE(fs::exists(folder() / "outside.png"));
}

// A symlinked images folder is the user's choice of where copies live: it is used, and removing a
// pin deletes only its own copy there; a copy that is itself a link loses the link, never the
// file it points at.
TEST_F(Hostile, SymlinkedImagesFolderIsUsedAndRemovalUnlinksOnlyTheCopy) {
    const fs::path elsewhere = home.root() / "elsewhere";
    fs::create_directories(elsewhere);
    fs::create_directories(folder());
    fs::create_directory_symlink(elsewhere, folder() / "images");
    writePhoto("a.png");
    writePhoto("neighbour.png");
    fs::copy_file(elsewhere / "a.png", home.root() / "users-own.png");
    fs::create_symlink(home.root() / "users-own.png", elsewhere / "b.png");
    writeState(StateFileCodec::encode({{"a.png", "", 300, 300, 100, 75, 0, "red", false},
                                       {"b.png", "", 600, 300, 100, 75, 0, "red", false}})
                   .value());
    launch();
    ASSERT_EQ(delegate.pinWindows().size(), 2u);

    auto& center = platform::NotificationCenter::defaultCenter();
    while (!delegate.pinWindows().empty()) {
        center.post(DraggableImageView::removePhoto(),
                    delegate.pinWindows().front()->contentView());
    }
    EXPECT_FALSE(fs::exists(elsewhere / "a.png"));
    EXPECT_FALSE(fs::is_symlink(elsewhere / "b.png"));
    EXPECT_TRUE(fs::exists(elsewhere / "neighbour.png"));
    EXPECT_TRUE(fs::exists(home.root() / "users-own.png"));
    EXPECT_TRUE(fs::is_symlink(folder() / "images"));
}

// Copies that a plain open would wait on for ever (a FIFO, a device) or that would make the
// decoder open other files (an SVG whose <image> names a FIFO elsewhere) are refused without
// blocking, and their records dropped like those of undecodable copies.
TEST_F(Hostile, FifoDeviceAndSvgCopiesAreRefusedWithoutBlocking) {
    fs::create_directories(folder() / "images");
    const fs::path images = folder() / "images";
    writePhoto("good.png");
    ASSERT_EQ(::mkfifo((images / "fifo.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", images / "device.png");
    const fs::path elsewhere = home.root() / "elsewhere.png";
    ASSERT_EQ(::mkfifo(elsewhere.c_str(), 0600), 0);
    std::ofstream(images / "drawing.svg")
        << "<svg xmlns='http://www.w3.org/2000/svg' xmlns:xlink='http://www.w3.org/1999/xlink' "
           "width='40' height='30'><image xlink:href='" +
               elsewhere.string() + "' width='40' height='30'/></svg>";
    std::vector<PinnedPhotoState> records;
    for (const char* name : {"good.png", "fifo.png", "device.png", "drawing.svg"})
        records.push_back({name, "", 300, 300, 40, 30, 0, "red", false});
    writeState(StateFileCodec::encode(records).value());

    const auto lines = launch();
    const std::string prefix = "[Corkwallery]   Refused " + images.string() + "/";
    for (const char* refusal : {"fifo.png: not a regular file", "device.png: not a regular file",
                                "drawing.svg: SVG pictures are not decoded"})
        EXPECT_TRUE(contains(lines, prefix + refusal)) << refusal;
    for (int i = 1; i <= 3; ++i) {
        EXPECT_TRUE(
            contains(lines, "[" + std::to_string(i) + "] ERROR: failed to load image from "))
            << i;
    }
    ASSERT_EQ(delegate.pinWindows().size(), 1u);
    EXPECT_EQ(StateFileCodec::decode(readAll(stateFile())).value(),
              std::vector<PinnedPhotoState>{records[0]});
}

// A copy that may load later (a link to a drive not mounted yet, a copy that cannot be opened
// now) keeps its record through every save, unchanged and in its place among the pins, until the
// copy loads again or all photos are removed; a copy absent from a readable folder drops it.
TEST_F(Hostile, RecordsWhoseCopiesCannotBeReadNowAreKeptInTheirPlaces) {
    fs::create_directories(folder() / "images");
    const fs::path images = folder() / "images";
    const fs::path drive = home.root() / "drive";
    writePhoto("A.png");
    writePhoto("E.png");
    fs::create_symlink(drive / "B.png", images / "B.png");   // the drive is not mounted yet
    fs::create_symlink(images / "D.png", images / "D.png");  // cannot be opened
    std::vector<PinnedPhotoState> records;
    for (const char* name : {"A.png", "B.png", "C.png", "D.png", "E.png"})
        records.push_back({name, "/p/" + std::string(name), 300, 300, 40, 30, 0, "red", false});
    writeState(StateFileCodec::encode(records).value());
    const auto saved = [&] { return StateFileCodec::decode(readAll(stateFile())).value(); };
    using Records = std::vector<PinnedPhotoState>;

    const auto lines = launch();
    const std::string kept = " \u2014 kept in the state file";
    EXPECT_TRUE(contains(lines, "[1] Copy cannot be read now (a symbolic link to nothing)" + kept));
    EXPECT_TRUE(
        contains(lines, "[3] Copy cannot be read now (Too many levels of symbolic links)" + kept));
    EXPECT_TRUE(contains(lines, "[2] ERROR: failed to load image from " + images.string()));
    EXPECT_FALSE(contains(lines, "[2] Copy cannot"));
    ASSERT_EQ(delegate.pinWindows().size(), 2u);
    EXPECT_EQ(saved(), (Records{records[0], records[1], records[3], records[4]}));
    const auto saveLines = save();
    for (const char* line : {"held 1: kept unchanged \u2014 stored=B.png",
                             "held 3: kept unchanged \u2014 stored=D.png", "Encoding 4 state(s)"})
        EXPECT_TRUE(contains(saveLines, line)) << line;

    // Removing the pin before them leaves them before the next one.
    auto& center = platform::NotificationCenter::defaultCenter();
    center.post(DraggableImageView::removePhoto(), delegate.pinWindows().front()->contentView());
    EXPECT_EQ(saved(), (Records{records[1], records[3], records[4]}));

    // The drive comes: B is a pin again, D is still held, in file order.
    fs::create_directories(drive);
    ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32).save((drive / "B.png").c_str(), "PNG"));
    AppDelegate relaunched;
    {
        CapturedLog quiet;
        relaunched.applicationDidFinishLaunching();
    }
    EXPECT_EQ(relaunched.pinWindows().size(), 2u);
    EXPECT_EQ(saved(), (Records{records[1], records[3], records[4]}));

    // Remove All lets go of held records too, and deletes their copies like any pin's.
    relaunched.removeAllPhotosClicked();
    EXPECT_EQ(saved(), Records{});
    EXPECT_TRUE(fs::is_empty(images));
    EXPECT_TRUE(fs::exists(drive / "B.png"));  // a link's target is not a copy
}

// A whole images folder out of reach holds every record: the launch writes nothing, quitting
// writes them back as they were, and they return once the folder does.
TEST_F(Hostile, ImagesFolderOutOfReachHoldsEveryRecord) {
    struct Case {
        const char* name;
        void (*breakIt)(const fs::path& images, const fs::path& drive);
        const char* reason;
    };
    const Case cases[] = {
        {"on a drive not mounted yet",
         [](const fs::path& images, const fs::path& drive) {
             fs::create_directory_symlink(drive, images);
         },
         "No such file or directory"},
        {"a file where it belongs",
         [](const fs::path& images, const fs::path&) { std::ofstream(images) << "in the way"; },
         "Not a directory"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryHome caseHome;
        const fs::path app = caseHome.dataHome() / "Corkwallery";
        const fs::path images = app / "images";
        const fs::path drive = caseHome.root() / "drive";
        fs::create_directories(app);
        c.breakIt(images, drive);
        const std::string bytes =
            StateFileCodec::encode({{"a.png", "", 300, 300, 40, 30, 0, "red", false},
                                    {"b.png", "", 600, 300, 40, 30, 0.1, "blue", true}})
                .value();
        std::ofstream(app / "pinned-photos.json", std::ios::binary) << bytes;

        AppDelegate first;
        CapturedLog log;
        first.applicationDidFinishLaunching();
        const auto lines = log.lines();
        for (const char* i : {"[0]", "[1]"}) {
            EXPECT_TRUE(contains(lines, i + std::string(" Images folder cannot be reached (") +
                                            c.reason + ") \u2014 kept in the state file"))
                << i;
        }
        EXPECT_FALSE(contains(lines, "saveState()"));
        EXPECT_TRUE(first.pinWindows().empty());
        {
            CapturedLog quiet;
            first.applicationWillTerminate();
        }
        EXPECT_EQ(readAll(app / "pinned-photos.json"), bytes);

        fs::remove(images);
        fs::create_directories(drive);
        fs::create_directory_symlink(drive, images);
        for (const char* name : {"a.png", "b.png"})
            ASSERT_TRUE(QImage(40, 30, QImage::Format_RGB32).save((drive / name).c_str(), "PNG"));
        AppDelegate second;
        {
            CapturedLog quiet;
            second.applicationDidFinishLaunching();
        }
        EXPECT_EQ(second.pinWindows().size(), 2u);
        EXPECT_EQ(readAll(app / "pinned-photos.json"), bytes);
    }
}

struct BrokenFolder {
    const char* name;
    void (*breakIt)(const fs::path& appFolder);
};

class BrokenFolders : public Hostile, public ::testing::WithParamInterface<BrokenFolder> {};

// A pin that exists must survive every save that cannot be written.
TEST_P(BrokenFolders, SavesFailWithALineAndTheProgramGoesOn) {
    writeState("[" + kOneRecord + "]");
    writePhoto("a.png");
    launch();
    ASSERT_EQ(delegate.pinWindows().size(), 1u);
    GetParam().breakIt(folder());
    const auto lines = save();
    EXPECT_TRUE(contains(lines, "[Corkwallery] ERROR writing state: ")) << GetParam().name;
    EXPECT_EQ(delegate.pinWindows().size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(Folders, BrokenFolders,
                         ::testing::Values(BrokenFolder{"StateFileIsAFolder",
                                                        [](const fs::path& app) {
                                                            fs::remove(app / "pinned-photos.json");
                                                            fs::create_directories(
                                                                app / "pinned-photos.json" /
                                                                "inside");
                                                        }},
                                           BrokenFolder{"AppFolderIsAFile",
                                                        [](const fs::path& app) {
                                                            fs::remove_all(app);
                                                            std::ofstream(app) << "not a folder";
                                                        }}),
                         [](const ::testing::TestParamInfo<BrokenFolder>& broken) {
                             return std::string(broken.param.name);
                         });

// A disk that fills up during a save: the previous file stays whole.
TEST_F(Hostile, FullDiskLeavesThePreviousStateFile) {
    fs::create_directories(folder());
    if (::mount("tmpfs", folder().c_str(), "tmpfs", 0, "size=16k") != 0) {
        GTEST_SKIP() << "cannot mount a small tmpfs here (needs root): " << std::strerror(errno);
    }
    struct Unmount {
        fs::path at;
        ~Unmount() { ::umount2(at.c_str(), MNT_DETACH); }
    } unmount{folder()};
    fs::create_directories(folder() / "images");
    writePhoto("a.png");
    std::vector<PinnedPhotoState> many(
        8, {"a.png", std::string(300, 'x'), 5, 5, 40, 30, 0, "red", false});
    writeState(StateFileCodec::encode(many).value());
    launch();  // each restored window saves: the file grows past what the disk holds
    const auto before = readAll(stateFile());
    ASSERT_TRUE(StateFileCodec::decode(before).ok());
    // Fill what is left, then save once more.
    std::ofstream(folder() / "filler", std::ios::binary) << std::string(64 * 1024, '.');
    const auto lines = save();
    EXPECT_TRUE(contains(lines, "[Corkwallery] ERROR writing state: "));
    EXPECT_EQ(readAll(stateFile()), before);
}

}  // namespace
}  // namespace corkwallery
