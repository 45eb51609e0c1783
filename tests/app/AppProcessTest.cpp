#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <QProcessEnvironment>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "platform/InstanceLock.h"
#include "store/AppFolders.h"
#include "store/StateFileCodec.h"
#include "support/Polling.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"

// The real program, started with a prepared home on the offscreen platform.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
using testing::waitUntil;

class AppProcess : public ::testing::TestWithParam<int> {
protected:
    void SetUp() override {
        const fs::path images = home.dataHome() / "Corkwallery" / "images";
        fs::create_directories(images);
        QImage pixels(120, 80, QImage::Format_RGB32);
        pixels.fill(Qt::darkRed);
        ASSERT_TRUE(pixels.save(QString::fromStdString((images / "A-photo.png").string()), "PNG"));
        const auto text = StateFileCodec::encode(
            {{"A-photo.png", "/p/photo.png", 640, 412.5, 300, 200, 0.05, "blue", true}});
        std::ofstream(home.dataHome() / "Corkwallery" / "pinned-photos.json") << text.value();

        process.setProcessChannelMode(QProcess::SeparateChannels);
        process.start(QStringLiteral(CORKWALLERY_BINARY), {});
        ASSERT_TRUE(process.waitForStarted());
    }
    void TearDown() override {
        if (process.state() != QProcess::NotRunning) {
            process.kill();
            process.waitForFinished();
        }
    }
    std::string output() {
        out += process.readAllStandardOutput().toStdString();
        return out;
    }
    int occurrences(const std::string& text) {
        const std::string all = output();
        int n = 0;
        for (auto at = all.find(text); at != std::string::npos; at = all.find(text, at + 1))
            ++n;
        return n;
    }

    testing::TemporaryHome home;  // the child inherits HOME and the XDG folders
    QProcess process;
    std::string out;
};

TEST_P(AppProcess, SignalSavesOnceMoreAndExitsCleanly) {
    ASSERT_TRUE(
        waitUntil([&] { return occurrences("[0] Window restored successfully") == 1; }, 15000))
        << output();
    EXPECT_EQ(occurrences("saveState() called"), 1);

    ::kill(static_cast<pid_t>(process.processId()), GetParam());
    ASSERT_TRUE(process.waitForFinished(15000));
    EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
    EXPECT_EQ(process.exitCode(), 0);
    EXPECT_EQ(occurrences("saveState() called \u2014 1 window(s)"), 2) << output();
    EXPECT_EQ(occurrences("window 0: saved \u2014 stored=A-photo.png, center=(640.0, 412.5)"), 2);
}

INSTANTIATE_TEST_SUITE_P(Signals, AppProcess, ::testing::Values(SIGTERM, SIGINT, SIGHUP),
                         [](const ::testing::TestParamInfo<int>& signal) {
                             return "Signal" + std::to_string(signal.param);
                         });

// Only a copy that runs means "already running": a lock that cannot be taken for any other
// reason is reported, and the program runs on.
TEST(SingleInstance, OnlyARunningCopyTurnsTheNextOneAway) {
    struct Case {
        const char* name;
        std::function<void(const testing::TemporaryHome&, QProcessEnvironment&)> prepare;
        std::function<std::string(const testing::TemporaryHome&)> firstLine;
        bool runs;
    };
    std::unique_ptr<platform::InstanceLock> running;
    const auto lookingFor = [](const testing::TemporaryHome& home) {
        return "[Corkwallery] loadState() \u2014 looking for: " +
               (home.dataHome() / "Corkwallery" / "pinned-photos.json").string();
    };
    const Case cases[] = {
        {"another copy runs",
         [&](const testing::TemporaryHome&, QProcessEnvironment&) {
             running = std::make_unique<platform::InstanceLock>(AppFolders::instanceLockURL());
             ASSERT_EQ(running->tryLock(), platform::InstanceLock::Outcome::Locked);
         },
         [](const testing::TemporaryHome&) {
             return std::string("[Corkwallery] Corkwallery is already running \u2014 exiting");
         },
         false},
        {"a file where the application folder belongs",
         [](const testing::TemporaryHome& home, QProcessEnvironment&) {
             std::ofstream(home.dataHome() / "Corkwallery") << "in the way";
         },
         lookingFor, true},
        {"a folder where the lock file belongs",
         [](const testing::TemporaryHome&, QProcessEnvironment&) {
             fs::create_directories(AppFolders::instanceLockURL());
         },
         [](const testing::TemporaryHome&) {
             return "[Corkwallery] ERROR taking the single-instance lock: " +
                    AppFolders::instanceLockURL() + ": Is a directory \u2014 running without it";
         },
         true},
        // Qt falls back to a folder in the temporary directory, which cannot be made here either.
        {"no runtime directory at all",
         [](const testing::TemporaryHome& home, QProcessEnvironment& environment) {
             const QString file = QString::fromStdString((home.root() / "not-a-folder").string());
             std::ofstream(file.toStdString()) << "in the way";
             environment.insert(QStringLiteral("XDG_RUNTIME_DIR"), file);
             environment.insert(QStringLiteral("TMPDIR"), file);
         },
         [](const testing::TemporaryHome&) {
             return std::string(
                 "[Corkwallery] ERROR taking the single-instance lock: no runtime "
                 "directory for the lock file \u2014 running without it");
         },
         true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        testing::TemporaryHome home;
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        c.prepare(home, environment);
        const std::string expected = c.firstLine(home);
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(CORKWALLERY_BINARY), {});
        ASSERT_TRUE(process.waitForStarted());
        std::string out;
        const auto output = [&] {
            out += process.readAllStandardOutput().toStdString();
            return out;
        };
        if (c.runs) {
            ASSERT_TRUE(waitUntil(
                [&] { return output().find("restorePinnedPhotos()") != std::string::npos; }, 15000))
                << output();
            ::kill(static_cast<pid_t>(process.processId()), SIGTERM);
        }
        ASSERT_TRUE(process.waitForFinished(15000));
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(output().substr(0, output().find('\n')), expected);
        if (!c.runs) {
            EXPECT_EQ(output(), expected + "\n");
        }
        running.reset();
    }
}

}  // namespace
}  // namespace corkwallery
