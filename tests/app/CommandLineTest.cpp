#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QProcess>
#include <filesystem>
#include <tuple>

#include "store/AppFolders.h"
#include "store/StateFileCodec.h"
#include "support/Polling.h"
#include "support/RecordPrinting.h"
#include "support/TemporaryHome.h"
#include "support/TestFiles.h"

// The real program's command line: options answered without a display, files pinned at launch or
// handed to the copy that runs, and a desktop notification for every file that cannot be pinned.
namespace corkwallery {
namespace {

namespace fs = std::filesystem;
namespace files = testing::files;

// The program's exit status, standard output and standard error.
std::tuple<int, std::string, std::string> run(const QStringList& arguments,
                                              const QProcessEnvironment& environment) {
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
    const std::tuple<const char*, int, bool, std::string> cases[] = {
        {"--help", 0, false, " [options] [FILE...]\n"},
        {"-v", 0, false, "Corkwallery " CORKWALLERY_VERSION "\n"},
        {"--frobnicate", 2, true, "Unknown option 'frobnicate'.\n\nUsage: "},
    };
    for (const auto& [option, status, onStderr, text] : cases) {
        SCOPED_TRACE(option);
        const auto [code, out, err] = run({option}, environment);
        EXPECT_EQ(code, status);
        EXPECT_EQ(onStderr ? out : err, "");
        EXPECT_NE((onStderr ? err : out).find(text), std::string::npos);
    }
    EXPECT_TRUE(fs::is_empty(home.root() / "runtime"));  // no lock was taken
}

// Plays the desktop's notification service: keeps "<app> | <summary> | <body>" of every call
// (delivered on the main thread, where the object lives).
struct FakeNotifications : QDBusVirtualObject {
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        const QVariantList a = message.arguments();
        calls << a.value(0).toString() + " | " + a.value(3).toString() + " | " +
                     a.value(4).toString();
        return connection.send(message.createReply(QVariant::fromValue(1u)));
    }
    QStringList calls;
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
    const auto path = [&](const char* name) { return QString::fromStdString(photos / name); };
    for (const char* name : {"a.png", "b.jpg", "c.png"})
        files::writePicture(photos / name, 80, 60);
    files::writeBytes(photos / "notes.txt", "not a picture");
    files::writePngHeaderOnly(photos / "huge.png", 20000, 20000);
    const auto saved = [] {
        const auto records = StateFileCodec::decode(files::readBytes(AppFolders::stateFileURL()));
        return records.ok() ? records.value() : std::vector<PinnedPhotoState>();
    };
    QProcess first;
    first.setProcessEnvironment(environment);
    first.setWorkingDirectory(QString::fromStdString(photos.string()));
    first.start(CORKWALLERY_BINARY, {"a.png", "notes.txt", "--", "b.jpg"});
    ASSERT_TRUE(testing::waitUntil([&] { return saved().size() == 2; }, 20000));
    const auto atLaunch = saved();
    EXPECT_EQ(std::pair(atLaunch[0].originalPath, atLaunch[1].originalPath),
              std::pair(path("a.png").toStdString(), path("b.jpg").toStdString()));
    EXPECT_EQ(std::pair(atLaunch[1].centerX - atLaunch[0].centerX,
                        atLaunch[1].centerY - atLaunch[0].centerY),
              std::pair(30.0, -30.0));  // down and right on the screen

    const QString running = "[Corkwallery] Corkwallery is already running \u2014 exiting\n";
    const auto [code, out, err] =
        run({path("c.png"), path("huge.png"), path("gone.png")}, environment);
    EXPECT_EQ(code, 0);
    EXPECT_EQ(out, (running + "Pinned " + path("c.png") + "\nNot pinned " + path("huge.png") +
                    ": it is too large.\nNot pinned " + path("gone.png") + ": it cannot be read.\n")
                       .toStdString());
    EXPECT_EQ(
        std::get<1>(run({}, environment)),
        (running + "Corkwallery is running; its help card is on the desktop.\n").toStdString());
    const auto after = saved();
    ASSERT_EQ(after.size(), 3u);
    EXPECT_EQ(std::vector(after.begin(), after.begin() + 2), atLaunch);  // untouched
    EXPECT_EQ(after[2].originalPath, path("c.png").toStdString());

    ASSERT_TRUE(testing::waitUntil([&] { return notifications.calls.size() == 3; }));
    const QString told = "Corkwallery | Photo not pinned | ";
    EXPECT_EQ(
        notifications.calls,
        QStringList({told + "notes.txt was not pinned: it is not a picture Corkwallery can show.",
                     told + "huge.png was not pinned: it is too large.",
                     told + "gone.png was not pinned: it cannot be read."}));
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    EXPECT_TRUE(first.readAllStandardOutput().contains(
        ("[Corkwallery] ERROR: failed to load image from " + path("notes.txt")).toUtf8()));
    QDBusConnection::disconnectFromBus("notifications");
}

}  // namespace
}  // namespace corkwallery
