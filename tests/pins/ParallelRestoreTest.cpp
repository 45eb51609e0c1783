#include <gtest/gtest.h>
#include <sched.h>

#include <QProcess>
#include <csignal>

#include "store/AppFolders.h"
#include "store/StateFileCodec.h"
#include "support/Polling.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using namespace corkwallery::testing::files;

// Runs the program on `state` with no previews until every record is restored or dropped, on
// one core (so one decoding worker) or on all, then quits it; gives its lines and its state file.
std::pair<std::string, std::string> launch(const fs::path& cache, const std::string& state,
                                           std::size_t records, bool oneCore) {
    writeBytes(AppFolders::stateFileURL(), state);
    fs::remove_all(cache);
    // The core this test runs on is one the program may run on.
    QProcess program;
    if (oneCore)
        program.start("taskset", {"-c", QString::number(sched_getcpu()), CORKWALLERY_BINARY});
    else
        program.start(CORKWALLERY_BINARY, {});
    QByteArray out;
    EXPECT_TRUE(testing::waitUntil(
        [&] {
            out += program.readAllStandardOutput();
            return std::size_t(out.count("] Window restored successfully") +
                               out.count("] ERROR: failed to load")) == records;
        },
        30000))
        << out.toStdString();
    // A program that ended already has no id: 0 would signal this test's whole process group.
    if (program.processId() > 0)
        ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    EXPECT_TRUE(program.waitForFinished(15000));
    return {(out + program.readAllStandardOutput()).toStdString(),
            readBytes(AppFolders::stateFileURL())};
}

// Decoding on one worker per core writes the lines and the state file of a serial restore, for
// copies that load (slow ones before quick ones, one named twice), are missing, broken, too large
// to decode, or held because they cannot be read now.
TEST(ParallelRestore, WritesTheLinesAndStateFileOfASerialOne) {
    const testing::TemporaryHome home;
    const fs::path images = AppFolders::imagesFolderURL();
    QImage picture(1600, 1200, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    writeJpeg(images / "big.jpg", picture, 1, true);
    writePicture(images / "small.png", 30, 20);
    writeBytes(images / "broken.jpg", "no picture");
    writeJpeg(images / "large.jpg", picture, 1);
    writePngHeaderOnly(images / "bomb.png", 30000, 30000);
    fs::create_symlink(home.root() / "drive/held.png", images / "held.png");
    writeJpeg(images / "tall.jpg", picture.scaled(200, 900), 6, true);
    std::vector<PinnedPhotoState> records;
    for (const char* name : {"big.jpg", "small.png", "gone.png", "broken.jpg", "large.jpg",
                             "bomb.png", "held.png", "tall.jpg", "big.jpg"})
        records.push_back({name, name, 500, 300, 300, 200, 0.1, "red", false});
    const std::string state = StateFileCodec::encode(records).value();
    const auto serial = launch(home.root() / "cache", state, records.size(), true);
    const auto parallel = launch(home.root() / "cache", state, records.size(), false);
    EXPECT_EQ(parallel, serial);  // the lines and the state file
}

}  // namespace
}  // namespace corkwallery
