#include <gtest/gtest.h>

#include <QImage>
#include <QProcess>
#include <csignal>
#include <filesystem>
#include <fstream>
#include <string>

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

}  // namespace
}  // namespace corkwallery
