#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#include "store/StateFileCodec.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"

// The real program killed at random moments while it saves (it saves once per pin it restores):
// the state file must always read back whole, as one of the states that were written, and the
// temporary files of cut-short saves must not pile up.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;

constexpr int kPins = 12;
constexpr int kKills = 200;

std::string readAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

int savesIn(const std::string& output) {
    int count = 0;
    for (auto at = output.find("saveState() called"); at != std::string::npos;
         at = output.find("saveState() called", at + 1))
        ++count;
    return count;
}

TEST(CrashConsistency, StateFileSurvivesKillsAtAnyMoment) {
    testing::TemporaryHome home;
    const fs::path folder = home.dataHome() / "Corkwallery";
    fs::create_directories(folder / "images");
    std::vector<PinnedPhotoState> all;
    for (int i = 0; i < kPins; ++i) {
        const std::string name = "P" + std::to_string(i) + ".png";
        QImage pixels(64 + i, 48, QImage::Format_RGB32);
        pixels.fill(QColor::fromHsv(i * 30, 200, 200));
        ASSERT_TRUE(pixels.save(QString::fromStdString((folder / "images" / name).string())));
        all.push_back({name, "/p/" + name, 100.0 + 90 * i, 200.5 + 40 * i, 200, 150, 0.01 * i,
                       "blue", i % 2 == 0});
    }
    const std::string full = StateFileCodec::encode(all).value();
    std::ofstream(folder / "pinned-photos.json.backup", std::ios::binary) << full;
    // What a save may leave: the records restored so far, or the file as it was.
    std::vector<std::vector<PinnedPhotoState>> written{all};
    for (int k = 1; k <= kPins; ++k)
        written.emplace_back(all.begin(), all.begin() + k);

    // Each run is killed at a random moment of a random save: after the save has announced itself,
    // while it encodes, writes, syncs or renames.
    std::mt19937 random(20261206);
    std::uniform_int_distribution<int> save(1, kPins);
    std::uniform_int_distribution<int> microseconds(0, 3000);
    int killedMidRestore = 0;
    for (int run = 0; run < kKills; ++run) {
        std::ofstream(folder / "pinned-photos.json", std::ios::binary | std::ios::trunc) << full;
        QProcess process;
        process.start(QStringLiteral(CORKWALLERY_BINARY), {});
        ASSERT_TRUE(process.waitForStarted());
        const int target = save(random);
        std::string output;
        while (savesIn(output) < target) {
            ASSERT_TRUE(process.waitForReadyRead(30000)) << output;
            output += process.readAllStandardOutput().toStdString();
        }
        QThread::usleep(static_cast<unsigned long>(microseconds(random)));
        ::kill(static_cast<pid_t>(process.processId()), SIGKILL);
        ASSERT_TRUE(process.waitForFinished(10000));

        const auto records = StateFileCodec::decode(readAll(folder / "pinned-photos.json"));
        ASSERT_TRUE(records.ok()) << "run " << run << ": " << records.error();
        ASSERT_NE(std::find(written.begin(), written.end(), records.value()), written.end())
            << "run " << run << ": a state that was never written";
        if (records.value().size() < all.size())
            ++killedMidRestore;
    }
    // A last, whole launch clears what the interrupted saves left behind.
    QProcess last;
    last.start(QStringLiteral(CORKWALLERY_BINARY), {});
    std::string output;
    while (savesIn(output) < 1) {
        ASSERT_TRUE(last.waitForReadyRead(30000)) << output;
        output += last.readAllStandardOutput().toStdString();
    }
    last.terminate();
    ASSERT_TRUE(last.waitForFinished(10000));

    // The kills landed during saving, not only before or after it.
    EXPECT_GT(killedMidRestore, kKills / 10);
    // Nothing is left behind to grow: the folder holds the state file and the images, and the
    // user's own file that looks like a temporary one is still there.
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder))
        names.push_back(entry.path().filename().string());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"images", "pinned-photos.json",
                                               "pinned-photos.json.backup"}));
}

}  // namespace
}  // namespace corkwallery
