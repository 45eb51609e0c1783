#include <gtest/gtest.h>
#include <sched.h>

#include <QImage>
#include <QProcess>
#include <csignal>
#include <filesystem>

#include "store/AppFolders.h"
#include "store/StateFileCodec.h"
#include "support/Polling.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

// The real program restoring its pins with one decoding worker and with one per core.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using namespace corkwallery::testing::files;

// Restores the pins of `state` with a cold preview cache, then quits; gives its lines and the
// state file it leaves.
std::pair<std::string, std::string> launch(const testing::TemporaryHome& home,
                                           const std::string& state, bool oneCore, int records) {
    writeBytes(AppFolders::stateFileURL(), state);
    fs::remove_all(home.root() / "cache");
    QProcess program;
    program.setChildProcessModifier([oneCore] {
        cpu_set_t cores;
        if (!oneCore || sched_getaffinity(0, sizeof cores, &cores) != 0)
            return;
        for (int cpu = 0; cpu < CPU_SETSIZE; ++cpu) {
            if (CPU_ISSET(cpu, &cores)) {
                CPU_ZERO(&cores);
                CPU_SET(cpu, &cores);
                sched_setaffinity(0, sizeof cores, &cores);
                return;
            }
        }
    });
    program.start(CORKWALLERY_BINARY, {});
    std::string out;
    const auto restored = [&] {
        out += program.readAllStandardOutput().toStdString();
        int ends = 0;
        for (const char* end : {"] Window restored successfully", "] ERROR: failed to load"}) {
            for (auto at = out.find(end); at != std::string::npos; at = out.find(end, at + 1))
                ++ends;
        }
        return ends == records;
    };
    EXPECT_TRUE(testing::waitUntil(restored, 30000)) << out;
    ::kill(static_cast<pid_t>(program.processId()), SIGTERM);
    EXPECT_TRUE(program.waitForFinished(15000));
    return {out + program.readAllStandardOutput().toStdString(),
            readBytes(AppFolders::stateFileURL())};
}

// Copies that load (slow ones before quick ones), are missing or broken, too large to decode, or
// held because they cannot be read now.
TEST(ParallelRestore, WritesTheLinesAndStateFileOfASerialOne) {
    const testing::TemporaryHome home;
    const fs::path images = AppFolders::imagesFolderURL();
    QImage picture(1600, 1200, QImage::Format_RGB32);
    picture.fill(Qt::darkCyan);
    std::vector<PinnedPhotoState> records;
    for (const char* name : {"big.jpg", "small.png", "gone.png", "broken.jpg", "large.jpg",
                             "bomb.png", "held.png", "tall.jpg", "big.jpg"})
        records.push_back({name, "/p/" + std::string(name), 500, 300, 300, 200, 0.1, "red", false});
    writeJpeg(images / "big.jpg", picture, 1, true);
    writePicture(images / "small.png", 30, 20);
    writeBytes(images / "broken.jpg", "no picture");
    writeJpeg(images / "large.jpg", picture, 1);
    writePngHeaderOnly(images / "bomb.png", 30000, 30000);
    fs::create_symlink(home.root() / "drive/held.png", images / "held.png");
    writeJpeg(images / "tall.jpg", picture.scaled(200, 900), 6, true);
    const std::string state = StateFileCodec::encode(records).value();

    const auto serial = launch(home, state, true, static_cast<int>(records.size()));
    const auto parallel = launch(home, state, false, static_cast<int>(records.size()));
    EXPECT_EQ(parallel.first, serial.first);
    EXPECT_EQ(parallel.second, serial.second);
    EXPECT_NE(serial.first.find("Refused " + (images / "bomb.png").string()), std::string::npos);
    EXPECT_NE(serial.first.find("[6] Copy cannot be read now"), std::string::npos);
}

}  // namespace
}  // namespace corkwallery
