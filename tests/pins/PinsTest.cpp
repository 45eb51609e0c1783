#include "pins/PinBoard.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <QApplication>
#include <QSignalSpy>
#include <QWindow>
#include <algorithm>
#include <filesystem>

#include "desktop/PinWindow.h"
#include "platform/Utf8.h"
#include "support/CapturedLog.h"
#include "support/Polling.h"
#include "support/RecordPrinting.h"
#include "support/SavedPins.h"
#include "support/TemporaryHome.h"

// The pin list at launch, save and removal, with the files a user, a crash or an attacker may
// leave (records kept bit for bit, nothing a user pinned lost), and the pin window's exact frame.
// The program's own launch, serial and parallel: ParallelRestore.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using ::testing::Contains, ::testing::ContainsRegex, ::testing::HasSubstr, ::testing::Not;
using testing::savePins, testing::savedPins;
using testing::files::readBytes, testing::files::writeBytes, testing::files::writePicture;
using Lines = std::vector<std::string>;
using Records = std::vector<PinnedPhotoState>;

PinnedPhotoState record(const std::string& name) {
    return {name, "/home/me/" + name, 300, 300, 40, 30, 0.1, "green", false};
}

class Pins : public ::testing::Test {
protected:
    // Windows removed from their own menus go once events are processed.
    ~Pins() override { QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); }
    fs::path app() const { return home.dataHome() / "Corkwallery"; }
    fs::path images() const { return app() / "images"; }
    fs::path stateFile() const { return app() / "pinned-photos.json"; }
    // The board's flows decode on worker threads; each of these waits until its flow is done.
    static Lines restore(PinBoard& pins) {
        testing::CapturedLog log;
        const QSignalSpy restored(&pins, &PinBoard::restored);
        pins.restorePinnedPhotos();
        EXPECT_TRUE(testing::waitUntil([&] { return restored.count() == 1; }, 20000));
        return log.lines();
    }
    bool add(const fs::path& path) {
        std::optional<bool> pinned;
        board.addPhotos({path}, std::nullopt, [&](const auto& failures) { pinned = !failures[0]; });
        return testing::waitUntil([&] { return pinned.has_value(); }) && *pinned;
    }
    void undo() {
        const QSignalSpy undone(&board, &PinBoard::removalUndone);
        board.undoRemove();
        EXPECT_TRUE(testing::waitUntil([&] { return undone.count() == 1; }));
    }

    testing::TemporaryHome home;
    PinBoard board;
};

// A record whose copy is gone or no picture, or that a plain open would wait on for ever, or that
// would make the decoder open other files, or whose name could reach outside the images folder,
// is dropped (refused unopened, without blocking). One whose copy may load later (on a drive not
// mounted yet, or that cannot be opened now) is held: written back unchanged, in its place among
// the pins, at every save until it loads again or all photos are removed.
TEST_F(Pins, LaunchDropsWhatNeverLoadsAndHoldsWhatMayLoadLater) {
    const fs::path drive = home.root() / "drive";
    Records records;
    for (const char* name : {"A.png", "gone.png", "text.png", "fifo.png", "device.png",
                             "drawing.svg", "B.png", "D.png", "../outside.png", "..", "", "E.png"})
        records.push_back(record(name));
    savePins(records, false);
    for (const fs::path& picture : {images() / "A.png", images() / "E.png", app() / "outside.png"})
        writePicture(picture, 40, 30);
    writeBytes(images() / "text.png", "text");
    ASSERT_EQ(::mkfifo((images() / "fifo.png").c_str(), 0600), 0);
    fs::create_symlink("/dev/zero", images() / "device.png");
    writeBytes(images() / "drawing.svg",
               "<svg xmlns='http://www.w3.org/2000/svg' width='40' height='30'/>");
    fs::create_symlink(drive / "B.png", images() / "B.png");
    fs::create_symlink(images() / "D.png", images() / "D.png");  // a loop
    const Lines lines = restore(board);
    for (const char* refusal : {"fifo.png: not a regular file", "device.png: not a regular file",
                                "drawing.svg: SVG pictures are not decoded"})
        EXPECT_THAT(lines,
                    Contains("[Corkwallery]   Refused " + images().string() + "/" + refusal));
    EXPECT_THAT(lines, Contains(HasSubstr("] ERROR: failed to load")).Times(10));
    EXPECT_THAT(lines, Contains("[Corkwallery]   [6] Copy cannot be read now (a symbolic link to "
                                "nothing) \u2014 kept in the state file"));
    EXPECT_THAT(lines,
                Contains(ContainsRegex("\\[7\\] Copy cannot be read now \\(.+\\) \u2014 kept")));
    EXPECT_THAT(lines, Contains("[Corkwallery]   held 7: kept unchanged \u2014 stored=D.png"));
    EXPECT_EQ(board.pinWindows().size(), 2u);
    EXPECT_EQ(savedPins(), (Records{records[0], records[6], records[7], records[11]}));
    for (const char* name : {"text.png", "fifo.png", "device.png", "drawing.svg"})
        fs::remove(images() / name);

    // Removing the pin before them keeps them in their places.
    board.pinWindows()[0]->contentView()->removeThisPhoto();
    EXPECT_FALSE(fs::exists(images() / "A.png"));
    EXPECT_EQ(savedPins(), (Records{records[6], records[7], records[11]}));

    writePicture(drive / "B.png", 40, 30);  // the drive comes: B is a pin again, D still held
    PinBoard relaunched;
    restore(relaunched);
    EXPECT_EQ(relaunched.pinWindows().size(), 2u);
    EXPECT_EQ(savedPins(), (Records{records[6], records[7], records[11]}));
    relaunched.removeAllPhotos();  // lets go of held records, their copies to the Trash too
    EXPECT_EQ(savedPins(), Records{});
    // D's loop too where Qt can move a link to nothing (6.8); 6.4 leaves it. It is never lost.
    const bool loopStays = fs::is_symlink(images() / "D.png");
    EXPECT_NE(loopStays, fs::is_symlink(home.dataHome() / "Trash/files/D.png"));
    EXPECT_EQ(std::distance(fs::directory_iterator(images()), {}), loopStays ? 1 : 0);
    EXPECT_TRUE(fs::exists(drive / "B.png"));  // a link's target is not a copy
}

// A whole images folder out of reach holds every record: nothing is written at launch, and a save
// writes the file back as it was.
TEST_F(Pins, ImagesFolderOutOfReachHoldsEveryRecord) {
    const std::string held = savePins({record("a.png"), record("b.png")}, false);
    fs::create_directory_symlink(home.root() / "drive", images());
    const Lines lines = restore(board);
    EXPECT_THAT(lines, Contains(ContainsRegex("\\[1\\] Images folder cannot be reached \\(.+\\) "
                                              "\u2014 kept in the state file")));
    EXPECT_THAT(lines, Not(Contains(HasSubstr("saveState()"))));
    EXPECT_TRUE(board.saveState());
    EXPECT_EQ(readBytes(stateFile()), held);
}

// A restored pin saves back bit for bit, also a centre that no origin carries exactly (0.1, -0)
// and absurd sizes, in bounded windows that paint. A pin no screen shows is shown on the nearest
// screen, while its record keeps its place through the launch's saves and a lock; a drag there
// makes the spot it was dragged to its place (screens that change: e2e.monitors, wayland.sway).
TEST_F(Pins, RestoredPinsKeepTheirRecordsExactlyWhereverTheyAreShown) {
    Records records{{"L.png", "", 412.5, 640.25, 250.5, 120.25, -0.13, "purple", true},
                    {"Edge.png", "", 0.1, -0.0, 300, 200, 0.1, "red", false},
                    {"Huge.png", "", 720, 450, 1e308, 5e307, 0.1, "red", false},
                    {"Negative.png", "", 700, 400, -5, 0, 0.1, "red", false},
                    {"Far.png", "/x/Far.png", 1e308, -1e308, 80, 300, 0.0523, "yellow", false}};
    savePins(records);
    EXPECT_THAT(restore(board),
                Contains("[Corkwallery] Brought pin 4 back on screen: center=(1392.0, 161.0)"));
    EXPECT_EQ(readBytes(stateFile()), StateFileCodec::encode(records).value());
    for (const auto& window : board.pinWindows()) {
        EXPECT_LE(std::max(window->width(), window->height()), 32000);
        QImage canvas(64, 64, QImage::Format_ARGB32_Premultiplied);
        window->render(&canvas);
    }
    // The far pin's window, 96 x 322, stands in the bottom-right corner of the screen.
    PinWindow& far = *board.pinWindows()[4];
    EXPECT_EQ(far.center(), QPointF(1440 - 48, 161));
    far.contentView()->toggleLock();
    records[4].isLocked = true;
    EXPECT_EQ(savedPins(), records);
    far.setFrameOrigin(far.frame().topLeft() - QPointF(100, 0));
    emit far.contentView()->gestureEnded(far.contentView()->baseImageSize());  // a drag ends
    records[4].centerX = 1292;
    records[4].centerY = 161;
    EXPECT_EQ(savedPins(), records);
}

// Whatever a file is called, it is pinned and saved like any other: the stored name and the
// original path are UTF-8 (bytes of another encoding read as U+FFFD), the copy carries exactly
// the stored name, a name too long beside the UUID keeps its extension, and each later save
// succeeds.
TEST_F(Pins, FilesOfAnyNameArePinnedAndSaved) {
    const std::string latin1(200, '\xe9');
    const std::pair<std::string, std::string> cases[] = {
        {"caf\xe9.png", "caf\uFFFD.png"},
        {"\xc3\xa9t\xc3\xa9 \xe2\x82.png", "\u00e9t\u00e9 \uFFFD.png"},  // a cut character
        {std::string(240, 'a') + ".png", std::string(214, 'a') + ".png"},
        {latin1 + ".png", platform::utf8::repaired(std::string(71, '\xe9')) + ".png"},
    };
    const fs::path folder = home.root() / "caf\xe9";
    for (const auto& [name, stored] : cases) {
        SCOPED_TRACE(platform::utf8::repaired(name));
        writePicture(folder / name, 40, 30);
        ASSERT_TRUE(add(folder / name));
        const PinnedPhotoState pinned = savedPins().back();
        EXPECT_THAT(pinned.storedFilename,
                    ::testing::MatchesRegex("[0-9A-F]{8}(-[0-9A-F]{4}){3}-[0-9A-F]{12}-.*"));
        EXPECT_EQ(pinned.storedFilename.substr(37), stored);
        EXPECT_LE(pinned.storedFilename.size(), 255u);
        EXPECT_EQ(pinned.originalPath, platform::utf8::repaired((folder / name).string()));
        EXPECT_EQ(readBytes(images() / pinned.storedFilename), readBytes(folder / name));
    }
    EXPECT_EQ(savedPins().size(), std::size(cases));
}

// A tiling manager's tile (a size never asked for) is no place of the user's: the saved layout
// stays as it was, and the program says once that the window manager places its windows itself. The
// windows ask for a fixed size, which tiling managers float.
TEST_F(Pins, TilesTheWindowManagerImposesAreNeverSaved) {
    const Records records{record("A.png"), record("B.png")};
    savePins(records);
    restore(board);
    testing::CapturedLog log;
    for (PinWindow* window : board.pinWindows()) {
        EXPECT_EQ(window->minimumSize(), window->maximumSize());
        window->windowHandle()->setGeometry(QRect(0, 20, 720, 880));
        ASSERT_TRUE(testing::waitUntil([&] { return window->geometry().width() == 720; }));
    }
    ASSERT_TRUE(board.saveState());
    EXPECT_THAT(log.lines(), Contains(HasSubstr("places pin windows itself")).Times(1));
    EXPECT_EQ(savedPins(), records);
}

// A copy goes to the Trash only after a save that no longer names it: when that save fails, the
// copies stay. A window manager's report from a window being closed changes nothing. Removals are
// undone latest first: the records come back byte for byte, in their places among the pins, their
// copies taken back from the Trash; a copy emptied from the Trash stays lost, and the others come
// back.
TEST_F(Pins, RemovalsGoToTheTrashAfterASaveAndAreUndoneExactly) {
    const Records records{record("A.png"),
                          {"B.png", "/b", 700.5, 200.25, 80, 60, -0.05, "blue", true},
                          record("C.png")};
    const std::string saved = savePins(records);
    restore(board);
    const fs::path trash = home.dataHome() / "Trash";
    PinWindow* const closing = board.pinWindows()[1];
    closing->contentView()->removeThisPhoto();
    // The window goes once events are processed; a late report from it finds no pin.
    emit closing->movedByWindowManager();
    emit closing->contentView()->gestureEnded({10, 10});
    EXPECT_EQ(savedPins(), (Records{records[0], records[2]}));
    EXPECT_TRUE(fs::exists(trash / "files/B.png") && fs::exists(trash / "info/B.png.trashinfo"));
    board.removeAllPhotos();
    EXPECT_TRUE(fs::is_empty(images()));
    undo();
    EXPECT_EQ(savedPins(), (Records{records[0], records[2]}));
    undo();
    EXPECT_EQ(readBytes(stateFile()), saved);
    EXPECT_TRUE(fs::is_empty(trash / "files") && fs::is_empty(trash / "info"));
    EXPECT_EQ(board.pinWindows().size(), 3u);
    EXPECT_FALSE(board.canUndoRemove());

    board.removeAllPhotos();
    fs::remove(trash / "files/A.png");
    QSignalSpy lost(&board, &PinBoard::copiesLost);
    undo();
    EXPECT_EQ(savedPins(), (Records{records[1], records[2]}));
    EXPECT_EQ(lost.value(0).value(0).toStringList(), QStringList{"A.png"});

    for (bool all : {false, true}) {
        SCOPED_TRACE(all ? "Remove All" : "Remove Photo");
        const auto copies = std::distance(fs::directory_iterator(images()), {});
        fs::remove(stateFile());
        fs::create_directory(stateFile());  // no save can replace a folder
        all ? board.removeAllPhotos() : board.pinWindows()[0]->contentView()->removeThisPhoto();
        EXPECT_EQ(board.pinWindows().size(), all ? 0u : 1u);
        EXPECT_EQ(std::distance(fs::directory_iterator(images()), {}), copies);
        fs::remove(stateFile());
    }
}

}  // namespace
}  // namespace corkwallery
