#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QThread>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <random>

#include "platform/InstanceLock.h"
#include "store/AppFolders.h"
#include "store/StateFileCodec.h"
#include "support/Polling.h"
#include "support/TemporaryHome.h"

// The real program on the offscreen platform, in a home with saved pins.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;

int count(const std::string& text, const std::string& part) {
    int n = 0;
    for (auto at = text.find(part); at != std::string::npos; at = text.find(part, at + 1))
        ++n;
    return n;
}

// Writes the state file and a copy for every record.
std::string savePins(const std::vector<PinnedPhotoState>& records) {
    for (const PinnedPhotoState& record : records) {
        QImage picture(64, 48, QImage::Format_RGB32);
        picture.fill(QColor::fromHsv(static_cast<int>(record.centerX) % 360, 200, 200));
        fs::create_directories(AppFolders::imagesFolderURL());
        EXPECT_TRUE(picture.save(
            QString::fromStdString(*AppFolders::storedImageURL(record.storedFilename))));
    }
    const std::string text = StateFileCodec::encode(records).value();
    std::ofstream(AppFolders::stateFileURL(), std::ios::trunc) << text;
    return text;
}

// Every signal saves once more and exits with 0; only a copy that runs turns the next one away,
// while a lock that cannot be taken for any other reason is reported and the program runs on.
TEST(Program, EndsCleanlyOnSignalsAndRunsOnceWhateverTheLock) {
    enum Lock { Free, FolderInTheWay, HeldByAnother };
    for (const auto& [signal, lock] :
         {std::pair{SIGTERM, Free}, {SIGINT, FolderInTheWay}, {SIGHUP, Free}, {0, HeldByAnother}}) {
        SCOPED_TRACE(lock);
        testing::TemporaryHome home;
        savePins({{"A.png", "", 640, 412.5, 300, 200, 0.05, "blue", true}});
        std::string first =
            "[Corkwallery] loadState() \u2014 looking for: " + AppFolders::stateFileURL();
        platform::InstanceLock other(AppFolders::instanceLockURL());
        if (lock == FolderInTheWay) {
            fs::create_directories(other.path());
            first = "[Corkwallery] ERROR taking the single-instance lock: " + other.path() +
                    ": Is a directory \u2014 running without it";
        } else if (lock == HeldByAnother) {
            ASSERT_EQ(other.tryLock(), platform::InstanceLock::Outcome::Locked);
            first = "[Corkwallery] Corkwallery is already running \u2014 exiting";
        }
        QProcess program;
        // Signals ignored by whoever started the tests (nohup) would stay ignored in the child.
        program.setChildProcessModifier([] {
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGHUP, SIG_DFL);
        });
        program.start(CORKWALLERY_BINARY, {});
        std::string out;
        const auto output = [&] { return out += program.readAllStandardOutput().toStdString(); };
        if (signal != 0) {
            ASSERT_TRUE(testing::waitUntil(
                [&] { return count(output(), "Window restored successfully") == 1; }, 15000))
                << output();
            ::kill(static_cast<pid_t>(program.processId()), signal);
        }
        ASSERT_TRUE(program.waitForFinished(15000));
        EXPECT_EQ(program.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(program.exitCode(), 0);
        EXPECT_EQ(output().substr(0, output().find('\n')), first);
        EXPECT_EQ(count(output(), "window 0: saved \u2014 stored=A.png, center=(640.0, 412.5)"),
                  signal != 0 ? 2 : 0)
            << output();
        EXPECT_TRUE(signal != 0 || output() == first + "\n") << output();
    }
}

// Killed at random moments while it saves (once per pin it restores), the program leaves a state
// file that reads back whole, as one of the states that were written, and no temporary files.
TEST(CrashConsistency, StateFileSurvivesKillsAtAnyMoment) {
    constexpr int kPins = 12;
    constexpr int kKills = 200;
    testing::TemporaryHome home;
    std::vector<PinnedPhotoState> all;
    for (int i = 0; i < kPins; ++i)
        all.push_back({"P" + std::to_string(i) + ".png", "/p", 100.0 + 90 * i, 200.5 + 40 * i, 200,
                       150, 0.01 * i, "blue", i % 2 == 0});
    const std::string full = savePins(all);
    std::ofstream(AppFolders::stateFileURL() + ".backup") << full;  // looks like one of ours
    // What a save may leave: the records restored so far, or the file as it was.
    std::vector<std::vector<PinnedPhotoState>> written{all};
    for (int k = 1; k <= kPins; ++k)
        written.emplace_back(all.begin(), all.begin() + k);
    const auto runUntilSave = [](QProcess& program, int save) {
        program.start(CORKWALLERY_BINARY, {});
        for (std::string out; count(out, "saveState() called") < save;) {
            ASSERT_TRUE(program.waitForReadyRead(30000)) << out;
            out += program.readAllStandardOutput().toStdString();
        }
    };

    std::mt19937 random(20261206);
    int killedMidRestore = 0;
    for (int run = 0; run < kKills; ++run) {
        std::ofstream(AppFolders::stateFileURL(), std::ios::trunc) << full;
        QProcess program;
        runUntilSave(program, std::uniform_int_distribution(1, kPins)(random));
        QThread::usleep(std::uniform_int_distribution(0, 3000)(random));
        ::kill(static_cast<pid_t>(program.processId()), SIGKILL);
        ASSERT_TRUE(program.waitForFinished(10000));
        std::ifstream in(AppFolders::stateFileURL());
        const auto records = StateFileCodec::decode(std::string(std::istreambuf_iterator(in), {}));
        ASSERT_TRUE(records.ok()) << "run " << run << ": " << records.error();
        ASSERT_NE(std::find(written.begin(), written.end(), records.value()), written.end())
            << "run " << run << ": a state that was never written";
        killedMidRestore += records.value().size() < all.size() ? 1 : 0;
    }
    EXPECT_GT(killedMidRestore, kKills / 10);  // the kills landed during saving
    // A last, whole launch clears what the interrupted saves left behind.
    QProcess last;
    runUntilSave(last, 1);
    last.terminate();
    ASSERT_TRUE(last.waitForFinished(10000));
    std::set<std::string> names;
    for (const auto& entry : fs::directory_iterator(AppFolders::appFolderURL()))
        names.insert(entry.path().filename().string());
    EXPECT_EQ(names,
              (std::set<std::string>{"images", "pinned-photos.json", "pinned-photos.json.backup"}));
}

}  // namespace
}  // namespace corkwallery
