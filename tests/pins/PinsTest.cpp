#include "pins/PinBoard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QImage>
#include <QPointer>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>

#include "pins/PinPlacement.h"
#include "platform/ScreenCoordinates.h"
#include "store/StateFileCodec.h"
#include "support/CapturedLog.h"
#include "support/FileSizeLimit.h"
#include "support/ImageFiles.h"
#include "support/Polling.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"

// The pin list at launch, save and removal, with the files a user, a crash or an attacker may
// leave (exact log lines, records kept bit for bit, nothing a user pinned lost), and the pin
// window's exact frame.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains;
using ::testing::HasSubstr;
using ::testing::Not;
using Lines = std::vector<std::string>;
using Records = std::vector<PinnedPhotoState>;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), {}};
}

PinnedPhotoState record(const std::string& name, double cx, double cy) {
    return {name, "/home/me/" + name, cx, cy, 40, 30, 0.1, "green", false};
}

void writePhoto(const fs::path& path, int width = 40, int height = 30) {
    fs::create_directories(path.parent_path());
    ASSERT_TRUE(QImage(width, height, QImage::Format_RGB32).save(path.c_str(), "PNG"));
}

Lines restore(PinBoard& pins) {
    testing::CapturedLog log;
    pins.restorePinnedPhotos();
    return log.lines();
}

// QRectF and QPointF compare fuzzily; frames must be exact.
std::array<double, 4> exactly(const QRectF& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// Records the native geometry of every pin window as it is shown.
struct ShowRecorder : QObject {
    std::vector<QRect> shownAt;
    bool eventFilter(QObject* object, QEvent* event) override {
        if (auto* window = qobject_cast<PinWindow*>(object);
            window && event->type() == QEvent::Show)
            shownAt.push_back(window->geometry());
        return false;
    }
};

class Pins : public ::testing::Test {
protected:
    // Windows removed from their own menus go once events are processed.
    ~Pins() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    fs::path app() const { return home.dataHome() / "Corkwallery"; }
    fs::path images() const { return app() / "images"; }
    fs::path stateFile() const { return app() / "pinned-photos.json"; }
    void writeState(const Records& records) {
        fs::create_directories(images());
        testing::writeBytes(stateFile(), StateFileCodec::encode(records).value());
    }
    Records saved() const { return StateFileCodec::decode(readAll(stateFile())).value(); }
    DraggableImageView& view(std::size_t i) { return *board.pinWindows().at(i)->contentView(); }

    testing::TemporaryHome home;
    PinBoard board;
};

TEST_F(Pins, LaunchesThatRestoreNothingWriteNothingAndDropOnlyWhatCannotComeBack) {
    EXPECT_EQ(restore(board),
              (Lines{"[Corkwallery] loadState() \u2014 looking for: " + stateFile().string(),
                     "[Corkwallery]   File does not exist \u2014 returning empty",
                     "[Corkwallery] restorePinnedPhotos() \u2014 0 state(s) to restore"}));
    EXPECT_FALSE(fs::exists(stateFile()));
    EXPECT_FALSE(fs::exists(images()));

    // Copies gone, no pictures, or that a plain open would wait on for ever, or that would make
    // the decoder open other files: refused without blocking, and dropped.
    Records records;
    for (const char* name : {"gone.png", "text.png", "fifo.png", "device.png", "drawing.svg"})
        records.push_back(record(name, 300, 300));
    writeState(records);
    testing::writeBytes(images() / "text.png", "text");
    ASSERT_EQ(::mkfifo((images() / "fifo.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", images() / "device.png");
    testing::writeBytes(images() / "drawing.svg",
                        "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'/>");
    const std::string before = readAll(stateFile());
    const Lines lines = restore(board);
    for (const char* refusal : {"fifo.png: not a regular file", "device.png: not a regular file",
                                "drawing.svg: SVG pictures are not decoded"})
        EXPECT_THAT(lines,
                    Contains("[Corkwallery]   Refused " + images().string() + "/" + refusal));
    EXPECT_THAT(lines, Contains(HasSubstr("[4] ERROR: failed to load image from ")));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("saveState()"))));
    EXPECT_EQ(readAll(stateFile()), before);
    EXPECT_TRUE(board.saveState());
    EXPECT_EQ(saved(), Records{});

    // A whole images folder out of reach holds every record: written back as it was.
    fs::remove_all(images());
    fs::create_directory_symlink(home.root() / "drive", images());
    const std::string held =
        StateFileCodec::encode({record("a.png", 300, 300), record("b.png", 600, 300)}).value();
    testing::writeBytes(stateFile(), held);
    PinBoard relaunched;
    const Lines heldLines = restore(relaunched);
    EXPECT_THAT(heldLines, Contains("[Corkwallery]   [1] Images folder cannot be reached (No such "
                                    "file or directory) \u2014 kept in the state file"));
    EXPECT_THAT(heldLines, Not(Contains(HasSubstr("saveState()"))));
    EXPECT_TRUE(relaunched.saveState());
    EXPECT_EQ(readAll(stateFile()), held);
}

// Each restored window saves, so the file lists the pins restored so far; a record whose copy is
// gone from a readable folder is dropped for good.
TEST_F(Pins, LaunchRestoresEveryRecordWhoseCopyLoadsWithItsExactLines) {
    const Records records{record("A.png", 300, 300), record("B.png", 700, 500),
                          record("C.png", 1000, 200.5)};
    writePhoto(images() / "A.png", 64, 48);
    writePhoto(images() / "C.png", 30, 90);
    writeState(records);
    const std::string state = stateFile().string(), folder = images().string() + "/";
    const auto wrote = [](const Records& r) {
        return "[Corkwallery] Wrote " + std::to_string(StateFileCodec::encode(r).value().size()) +
               " bytes successfully";
    };
    const std::string savedA =
        "[Corkwallery]   window 0: saved \u2014 stored=A.png, center=(300.0, 300.0)";
    const Lines expected{
        "[Corkwallery] restorePinnedPhotos() \u2014 3 state(s) to restore",
        "[Corkwallery]   [0] Loading from container: " + folder + "A.png",
        "[Corkwallery]   [0] Image loaded: (64.0, 48.0)",
        "[Corkwallery] saveState() called \u2014 1 window(s)",
        savedA,
        "[Corkwallery] Encoding 1 state(s) to: " + state,
        wrote({records[0]}),
        "[Corkwallery]   [0] Window restored successfully",
        "[Corkwallery]   [1] Loading from container: " + folder + "B.png",
        "[Corkwallery]   [1] ERROR: failed to load image from " + folder + "B.png",
        "[Corkwallery]   [2] Loading from container: " + folder + "C.png",
        "[Corkwallery]   [2] Image loaded: (30.0, 90.0)",
        "[Corkwallery] saveState() called \u2014 2 window(s)",
        savedA,
        "[Corkwallery]   window 1: saved \u2014 stored=C.png, center=(1000.0, 200.5)",
        "[Corkwallery] Encoding 2 state(s) to: " + state,
        wrote({records[0], records[2]}),
        "[Corkwallery]   [2] Window restored successfully"};
    const Lines lines = restore(board);
    // After loadState's own lines: its headline, Read, Decoded and one per record.
    ASSERT_EQ(lines.size(), 6 + expected.size());
    EXPECT_EQ(Lines(lines.begin() + 6, lines.end()), expected);
    EXPECT_EQ(board.pinWindows().size(), 2u);
    EXPECT_EQ(saved(), (Records{records[0], records[2]}));
}

TEST_F(Pins, CreatePinWindowShowsTheWindowOnceAtItsFinalFrame) {
    const std::tuple<QSizeF, double, std::optional<QPointF>, QRectF> cases[] = {
        // Without a centre the window stays on the main screen's centre (720, 450).
        {{300, 200}, 0, std::nullopt, {570, 341, 300, 218}},
        {{200, 300}, -0.13962634015954636, QPointF(412.5, 640.25), {292.5, 468.75, 240, 343}},
        // Off every screen: used as given.
        {{300, 225}, 0, QPointF(-5000, 9000), {-5150, 8878.5, 300, 243}}};
    const Photo photo{QImage(80, 60, QImage::Format_ARGB32), QSizeF(80, 60)};
    for (const auto& [size, angle, center, frame] : cases) {
        ShowRecorder recorder;
        qApp->installEventFilter(&recorder);
        {
            testing::CapturedLog quiet;
            board.createPinWindow(
                {photo, "A.jpg", "", size.width(), size.height(), angle, "blue", true, center});
        }
        qApp->removeEventFilter(&recorder);
        const PinWindow& window = *board.pinWindows().back();
        EXPECT_EQ(exactly(window.frame()), exactly(frame));
        const double m = window.drawingMargin();
        EXPECT_EQ(recorder.shownAt,
                  std::vector{platform::screen::toNativeGeometry(frame.adjusted(-m, -m, m, m))});
    }
}

// A restored pin saves back bit for bit, also a centre that no origin carries exactly (0.1, -0);
// a pin no screen shows comes back onto the nearest screen, at launch and when screens change,
// and that is saved.
TEST_F(Pins, RestoredPinsKeepTheirRecordExactlyUnlessOutOfReach) {
    Records records{{"L.png", "", 412.5, 640.25, 250.5, 120.25, -0.13, "purple", true},
                    {"Edge.png", "", 0.1, -0.0, 300, 200, 0.1, "red", false},
                    {"Far.png", "/x/Far.png", -3000.75, 5000.5, 80, 300, 0.0523, "yellow", false}};
    for (const auto& r : records)
        writePhoto(images() / r.storedFilename);
    writeState(records);
    const Lines lines = restore(board);
    // The far pin's window is 96 x 322: it lands in the top-left corner of the 1440 x 900 screen.
    records[2].centerX = 48;
    records[2].centerY = 900 - 161;
    EXPECT_THAT(lines,
                Contains("[Corkwallery] Brought pin 2 back on screen: center=(48.0, 739.0)"));
    EXPECT_EQ(board.pinWindows().size(), 3u);
    EXPECT_EQ(readAll(stateFile()), StateFileCodec::encode(records).value());
    EXPECT_THAT(readAll(stateFile()), HasSubstr("\"centerX\":0.1,\"centerY\":-0,"));

    // A monitor goes: a burst of screen changes brings the pin it showed back, saved once.
    board.pinWindows()[0]->setCenter({5000, 400});
    testing::CapturedLog log;
    for (QScreen* screen : {qApp->primaryScreen(), qApp->primaryScreen()})
        emit screen->availableGeometryChanged(screen->availableGeometry());
    EXPECT_EQ(board.pinWindows()[0]->center().x(), 5000);  // not before the burst is over
    QCoreApplication::processEvents();
    const Lines later = log.lines();
    EXPECT_EQ(std::count(later.begin(), later.end(),
                         "[Corkwallery] saveState() called \u2014 3 window(s)"),
              1);
    EXPECT_THAT(later,
                Contains("[Corkwallery] Brought pin 0 back on screen: center=(1308.0, 400.0)"));
}

// Copies that may load later keep their records through every save, unchanged and in their
// places among the pins, until the copy loads again or all photos are removed.
TEST_F(Pins, RecordsWhoseCopiesCannotBeReadNowAreHeldInTheirPlaces) {
    const fs::path drive = home.root() / "drive";
    writePhoto(images() / "A.png");
    writePhoto(images() / "E.png");
    fs::create_symlink(drive / "B.png", images() / "B.png");     // a drive not mounted yet
    fs::create_symlink(images() / "D.png", images() / "D.png");  // cannot be opened
    Records records;
    for (const char* name : {"A.png", "B.png", "C.png", "D.png", "E.png"})
        records.push_back(record(name, 300, 300));
    writeState(records);

    const Lines lines = restore(board);
    EXPECT_THAT(lines, Contains(HasSubstr("[1] Copy cannot be read now (a symbolic link to "
                                          "nothing) \u2014 kept in the state file")));
    EXPECT_THAT(lines, Contains(HasSubstr("[3] Copy cannot be read now (Too many levels of "
                                          "symbolic links) \u2014 kept in the state file")));
    EXPECT_EQ(saved(), (Records{records[0], records[1], records[3], records[4]}));
    EXPECT_THAT(lines, Contains("[Corkwallery]   held 3: kept unchanged \u2014 stored=D.png"));

    // Removed from its own menu, the pin before them goes once that menu's action has returned;
    // they stay before the next one.
    QPointer<PinWindow> removed = board.pinWindows()[0].get();
    view(0).removeThisPhoto();
    EXPECT_TRUE(removed && removed->isHidden());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_FALSE(removed);
    EXPECT_FALSE(fs::exists(images() / "A.png"));
    EXPECT_EQ(saved(), (Records{records[1], records[3], records[4]}));

    writePhoto(drive / "B.png");  // the drive comes: B is a pin again, D is still held
    PinBoard relaunched;
    restore(relaunched);
    EXPECT_EQ(relaunched.pinWindows().size(), 2u);
    EXPECT_EQ(saved(), (Records{records[1], records[3], records[4]}));

    relaunched.removeAllPhotos();  // lets go of held records and deletes their copies too
    EXPECT_EQ(saved(), Records{});
    EXPECT_TRUE(fs::is_empty(images()));
    EXPECT_TRUE(fs::exists(drive / "B.png"));  // a link's target is not a copy
}

// A state file that cannot be read is moved aside before any save replaces it.
TEST_F(Pins, HostileStateFilesAreKeptAsideAndNeverOverwritten) {
    fs::create_directories(app());
    for (const std::string& bytes :
         {std::string(), std::string(R"([{"storedFilename":"a.png",)"),
          std::string(R"({"storedFilename":"a.png"})"), std::string("[{}]"), std::string("[]\0", 3),
          std::string(100000, '[') + std::string(100000, ']')}) {
        SCOPED_TRACE(bytes.substr(0, 20));
        testing::writeBytes(stateFile(), bytes);
        PinBoard pins;
        const Lines lines = restore(pins);
        EXPECT_THAT(lines, Contains(HasSubstr("[Corkwallery]   ERROR loading state: ")));
        EXPECT_THAT(lines,
                    Contains("[Corkwallery] restorePinnedPhotos() \u2014 0 state(s) to restore"));
        EXPECT_TRUE(pins.saveState());
        EXPECT_EQ(readAll(stateFile()), "[]");
        EXPECT_EQ(std::count_if(fs::directory_iterator(app()), {},
                                [&](const fs::directory_entry& entry) {
                                    return entry.path().filename() != "pinned-photos.json" &&
                                           readAll(entry.path()) == bytes;
                                }),
                  1);
    }
}

// Names that could reach outside the images folder are never opened; absurd sizes and centres
// are kept exactly in bounded windows, and only pins no screen shows come back onto it.
TEST_F(Pins, HostileNamesAndSizesNeverReachOutsideOrEscapeTheScreen) {
    const double sizesAndCentres[][2] = {{1e308, 0}, {1e9, 1e308}, {0, -5}, {-5, 1e9}};
    Records records;
    for (const auto& [size, c] : sizesAndCentres) {
        records.push_back({"p" + std::to_string(records.size()) + ".png", "", c, -c, size, size / 2,
                           0.1, "red", false});
        writePhoto(images() / records.back().storedFilename);
    }
    for (const char* name :
         {"../outside.png", "/etc/hostname", "..", ".", "", "images/../../outside.png"})
        records.push_back(record(name, 10, 10));
    writePhoto(app() / "outside.png");
    writeState(records);
    const Lines lines = restore(board);
    ASSERT_EQ(board.pinWindows().size(), 4u);
    for (std::size_t i = 4; i < records.size(); ++i)
        EXPECT_THAT(lines,
                    Contains(HasSubstr("[" + std::to_string(i) + "] ERROR: failed to load")));
    Records expected(records.begin(), records.begin() + 4);
    for (std::size_t i = 0; i < expected.size(); ++i) {
        PinWindow& window = *board.pinWindows()[i];
        EXPECT_LE(std::max(window.width(), window.height()), 32000);
        QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
        window.render(&canvas);  // painting must not fail either
        EXPECT_FALSE(PinPlacement::broughtOnScreen(window.frame(), {QRectF(0, 0, 1440, 900)}));
        expected[i].centerX = window.center().x();  // moved only when no screen showed it
        expected[i].centerY = window.center().y();
    }
    EXPECT_EQ(saved(), expected);
    // A huge pin about the origin covers the screen: it stays.
    EXPECT_EQ(saved()[0].centerX, 0);
}

// A copy goes only after a save that no longer names it: when that save fails, the state file
// still names the copies and they stay.
TEST_F(Pins, RemovalDeletesCopiesOnlyAfterASuccessfulSave) {
    const std::string photo = (home.root() / "a.png").string();
    writePhoto(photo);
    for (bool all : {false, true}) {
        SCOPED_TRACE(all ? "Remove All" : "Remove Photo");
        ASSERT_TRUE(board.addPhoto(photo) && board.addPhoto(photo));
        const auto copies = std::distance(fs::directory_iterator(images()), {});
        const std::string state = readAll(stateFile());
        {
            testing::FileSizeLimit diskFull(1);  // files cannot grow, as on a full disk
            all ? board.removeAllPhotos() : view(0).removeThisPhoto();
        }
        EXPECT_EQ(board.pinWindows().size(), all ? 0u : 1u);
        EXPECT_EQ(readAll(stateFile()), state);
        EXPECT_EQ(std::distance(fs::directory_iterator(images()), {}), copies);
        board.removeAllPhotos();
    }
}

// Window managers report the geometries a window asked for late, after later requests went out,
// and may pair one request's size with a later one's position: such echoes leave the exact
// frame alone, while a move of the window manager's own is followed.
TEST(PinWindowDrift, LateEchoesAreIgnoredAndRealMovesFollowed) {
    PinWindow window(QRectF(100.25, 200.5, 300, 218));
    window.orderFront();
    window.setFrameOrigin({400.25, 300.5});
    const QRect first = window.geometry();
    window.setFrameSizeKeepingCenter({320, 240});
    const QRect second = window.geometry();
    window.setFrameOrigin({420.75, 310.5});
    const QRect third = window.geometry();
    for (const QRect& report : {first, QRect(second.topLeft(), first.size()), second, third}) {
        window.windowHandle()->setGeometry(report);
        ASSERT_TRUE(testing::waitUntil([&] { return window.geometry() == report; }));
    }
    EXPECT_EQ(exactly(window.frame()), exactly(QRectF(420.75, 310.5, 320, 240)));

    window.windowHandle()->setPosition(QPoint(50, 60));
    ASSERT_TRUE(testing::waitUntil([&] { return window.geometry().topLeft() == QPoint(50, 60); }));
    EXPECT_EQ(exactly(window.frame()), exactly(QRectF(50, 900 - 60 - 240, 320, 240)));
    EXPECT_EQ(window.center().y(), 900 - 60 - 120);
}

}  // namespace
}  // namespace corkwallery
