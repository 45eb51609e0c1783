#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <filesystem>
#include <fstream>
#include <mutex>

#include "store/AppFolders.h"
#include "store/StateFileCodec.h"
#include "support/Polling.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

// The real program's command line: options answered without a display, files pinned at launch or
// handed to the copy that runs, and a desktop notification for every file that cannot be pinned.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;

struct Finished {
    int code;
    std::string out, err;
};

Finished run(const QStringList& arguments, const QProcessEnvironment& environment) {
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(CORKWALLERY_BINARY, arguments);
    EXPECT_TRUE(program.waitForFinished(30000));
    return {program.exitCode(), program.readAllStandardOutput().toStdString(),
            program.readAllStandardError().toStdString()};
}

TEST(app, CommandLineOptionsAreAnsweredWithoutADisplay) {
    testing::TemporaryHome home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(variable);
    struct Case {
        const char* option;
        int code;
        bool onStderr;
        std::vector<std::string> texts;
    } const cases[] = {
        {"--help", 0, false, {"Usage: ", " [options] [FILE...]\n", "--version"}},
        {"-v", 0, false, {"Corkwallery " CORKWALLERY_VERSION "\n"}},
        {"--frobnicate", 2, true, {"Unknown option 'frobnicate'.", "Usage: "}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.option);
        const Finished finished = run({c.option}, environment);
        EXPECT_EQ(finished.code, c.code);
        EXPECT_EQ(c.onStderr ? finished.out : finished.err, "");
        for (const std::string& text : c.texts)
            EXPECT_NE((c.onStderr ? finished.err : finished.out).find(text), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(home.root() / "runtime"));  // no lock was taken
}

// Plays the desktop's notification service: records the arguments of every Notify call.
class FakeNotifications : public QDBusVirtualObject {
public:
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const std::lock_guard lock(mutex_);
        calls_.push_back(message.arguments());
        return connection.send(message.createReply(QVariant::fromValue(1u)));
    }
    QList<QVariantList> calls() {
        const std::lock_guard lock(mutex_);
        return calls_;
    }

private:
    std::mutex mutex_;
    QList<QVariantList> calls_;
};

TEST(app, FilesGivenArePinnedOrHandedToTheRunningCopyAndRefusalsNotified) {
    testing::TemporaryHome home;
    QProcess bus;
    bus.start("dbus-daemon", {"--session", "--nofork", "--print-address"});
    if (!bus.waitForReadyRead(10000))
        GTEST_SKIP() << "no dbus-daemon";
    const QString address = QString::fromUtf8(bus.readLine()).trimmed();
    QDBusConnection connection = QDBusConnection::connectToBus(address, "notifications");
    FakeNotifications notifications;
    ASSERT_TRUE(connection.registerService("org.freedesktop.Notifications"));
    ASSERT_TRUE(connection.registerVirtualObject("/org/freedesktop/Notifications", &notifications));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", address);

    const fs::path photos = home.root() / "photos";
    for (const char* name : {"a.png", "b.jpg", "c.png"})
        testing::files::writePicture(photos / name, 80, 60);
    testing::files::writeBytes(photos / "notes.txt", "not a picture");
    testing::files::writePngHeaderOnly(photos / "huge.png", 20000, 20000);
    const auto saved = [] {
        std::ifstream in(AppFolders::stateFileURL());
        const auto records = StateFileCodec::decode(std::string(std::istreambuf_iterator(in), {}));
        return records.ok() ? records.value() : std::vector<PinnedPhotoState>();
    };
    QProcess first;
    first.setProcessEnvironment(environment);
    first.setWorkingDirectory(QString::fromStdString(photos.string()));
    first.start(CORKWALLERY_BINARY, {"a.png", "notes.txt", "--", "b.jpg"});
    ASSERT_TRUE(testing::waitUntil([&] { return saved().size() == 2; }, 20000));
    const auto atLaunch = saved();
    EXPECT_EQ(atLaunch[0].originalPath, (photos / "a.png").string());
    EXPECT_EQ(atLaunch[1].originalPath, (photos / "b.jpg").string());
    EXPECT_EQ(std::pair(atLaunch[1].centerX - atLaunch[0].centerX,
                        atLaunch[1].centerY - atLaunch[0].centerY),
              std::pair(30.0, -30.0));  // down and right on the screen

    const std::string running = "[Corkwallery] Corkwallery is already running \u2014 exiting\n";
    const auto path = [&](const char* name) { return QString::fromStdString(photos / name); };
    const Finished handed = run({path("c.png"), path("huge.png"), path("gone.png")}, environment);
    EXPECT_EQ(handed.code, 0);
    EXPECT_EQ(handed.out, running + "Pinned " + (photos / "c.png").string() + "\nNot pinned " +
                              (photos / "huge.png").string() + ": it is too large.\nNot pinned " +
                              (photos / "gone.png").string() + ": it cannot be read.\n");
    const Finished bare = run({}, environment);
    EXPECT_EQ(bare.out, running + "Corkwallery is running; its help card is on the desktop.\n");
    const auto after = saved();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(std::vector(after.begin(), after.begin() + 2), atLaunch);
    EXPECT_EQ(after[2].originalPath, (photos / "c.png").string());

    ASSERT_TRUE(testing::waitUntil([&] { return notifications.calls().size() == 3; }));
    const std::pair<QString, QString> refused[] = {{"notes.txt", "it is not a picture"},
                                                   {"huge.png", "it is too large"},
                                                   {"gone.png", "it cannot be read"}};
    for (int i = 0; i < 3; ++i) {
        const QVariantList call = notifications.calls()[i];
        EXPECT_EQ(call.value(0).toString(), "Corkwallery");
        EXPECT_EQ(call.value(3).toString(), "Photo not pinned");
        EXPECT_TRUE(call.value(4).toString().startsWith(refused[i].first +
                                                        " was not pinned: " + refused[i].second))
            << call.value(4).toString().toStdString();
    }
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_NE(
        first.readAllStandardOutput().indexOf("[Corkwallery] ERROR: failed to load image from " +
                                              (photos / "notes.txt").string()),
        -1);
    QDBusConnection::disconnectFromBus("notifications");
}

}  // namespace
}  // namespace corkwallery
