#include <gtest/gtest.h>

#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <QLocalServer>
#include <QLocalSocket>
#include <QProcess>

#include "platform/InstanceLock.h"
#include "store/AppFolders.h"
#include "support/Polling.h"
#include "support/PrivateBus.h"
#include "support/RecordPrinting.h"
#include "support/SavedPins.h"
#include "support/TemporaryHome.h"

// The real program's command line: options answered without a display in the locale's language,
// files pinned at launch or handed to the copy that runs, and a desktop notification for every
// file that cannot be pinned.
namespace corkwallery {
namespace {

namespace files = testing::files;

// The program's exit status, standard output and standard error. The event loop runs meanwhile,
// so that servers of the test's own answer it.
auto run(const QStringList& arguments,
         const QProcessEnvironment& environment = QProcessEnvironment::systemEnvironment()) {
    QProcess program;
    program.setProcessEnvironment(environment);
    program.start(CORKWALLERY_BINARY, arguments);
    EXPECT_TRUE(testing::waitUntil([&] { return program.state() == QProcess::NotRunning; }, 30000));
    return std::tuple(program.exitCode(), program.readAllStandardOutput().toStdString(),
                      program.readAllStandardError().toStdString());
}

TEST(app, CommandLineOptionsAreAnsweredWithoutADisplayInTheLocalesLanguage) {
    testing::TemporaryHome home;
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    for (const char* variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        environment.remove(variable);
    // Locale, option, exit status, and a part of the text printed (on stderr for a failure). The
    // program is started by its full path; the usage names it as installed.
    const std::tuple<const char*, const char*, int, std::string> cases[] = {
        {"C.UTF-8", "--help", 0, "Usage: corkwallery [options] [FILE...]\n"},
        {"de_DE.UTF-8", "--help", 0, "Aufruf: corkwallery [Optionen] [DATEI...]\n"},  // Qt's words
        {"C.UTF-8", "-v", 0, "Corkwallery " CORKWALLERY_VERSION "\n"},
        {"C.UTF-8", "--frobnicate", 2, "Unknown option 'frobnicate'.\n\nUsage: corkwallery "},
        {"C.UTF-8", "--help-all", 2, "Unknown option 'help-all'."},  // it only repeated --help
    };
    for (const auto& [lang, option, status, text] : cases) {
        SCOPED_TRACE(std::string(lang) + " " + option);
        environment.insert("LANG", lang);
        const auto [code, out, err] = run({option}, environment);
        EXPECT_EQ(std::pair(code, status ? out : err), std::pair(status, std::string()));
        EXPECT_NE((status ? err : out).find(text), std::string::npos);
    }
    EXPECT_TRUE(std::filesystem::is_empty(home.root() / "runtime"));  // no lock was taken
}

// A running copy that drops every request unanswered: a later start says so on stderr and exits
// with 1 when its files were not pinned, with 0 when it had none to hand over.
TEST(app, AStartWhoseRequestGoesUnansweredExitsWith1OnlyWhenItHadFiles) {
    testing::TemporaryHome home;
    platform::InstanceLock lock(AppFolders::instanceLockURL());
    const auto locked = lock.tryLock();
    ASSERT_TRUE(locked && locked.value());
    std::string socket = lock.path();
    socket.replace(socket.size() - 5, 5, ".socket");
    QLocalServer server;
    QObject::connect(&server, &QLocalServer::newConnection, [&] {
        while (QLocalSocket* request = server.nextPendingConnection())
            request->abort();
    });
    ASSERT_TRUE(server.listen(QString::fromStdString(socket)));
    const std::string unanswered = "The running copy of Corkwallery did not answer";
    const std::tuple<QStringList, int, std::string> cases[] = {
        {{"/a.png"}, 1, unanswered + "; the files were not pinned.\n"},
        {{}, 0, unanswered + ".\n"},
    };
    for (const auto& [arguments, status, said] : cases) {
        const auto [code, out, err] = run(arguments);
        EXPECT_EQ(std::pair(code, err), std::pair(status, said));
    }
}

// Plays the desktop's notification service: keeps the text of every notification
// (delivered on the main thread, where the object lives).
struct FakeNotifications : QDBusVirtualObject {
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& message, const QDBusConnection& connection) override {
        if (message.member() != "Notify")  // what it can show
            return connection.send(message.createReply(QStringList()));
        calls.push_back(message.arguments().value(4).toString().toStdString());
        return connection.send(message.createReply(QVariant::fromValue(1u)));
    }
    std::vector<std::string> calls;
};

// The running copy in German, so that its notifications show it loaded its translation while its
// log lines stay English; later starts in German and English. (A later start without files:
// e2e.first-launch.)
TEST(app, FilesGivenArePinnedOrHandedToTheRunningCopyAndRefusalsNotified) {
    testing::TemporaryHome home;
    const testing::PrivateBus bus;
    FakeNotifications notifications;
    ASSERT_TRUE(bus.offer("notifications", "org.freedesktop.Notifications",
                          "/org/freedesktop/Notifications", &notifications));
    QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
    environment.insert("DBUS_SESSION_BUS_ADDRESS", bus.address());
    environment.insert("LANG", "de_DE.UTF-8");

    const auto path = [&](const char* name) { return (home.root() / name).string(); };
    for (const char* name : {"a.png", "b.jpg", "c.png"})
        files::writePicture(path(name), 80, 60);
    files::writeBytes(path("notes.txt"), "not a picture");
    const auto saved = testing::savedPins;
    QProcess first;
    first.setProcessEnvironment(environment);
    first.setWorkingDirectory(QString::fromStdString(home.root()));
    first.start(CORKWALLERY_BINARY, {"a.png", "notes.txt", "--", "b.jpg"});
    ASSERT_TRUE(testing::waitUntil([&] { return saved().size() == 2; }, 20000));
    const auto atLaunch = saved();
    EXPECT_EQ(std::tuple(atLaunch[0].originalPath, atLaunch[1].originalPath,
                         atLaunch[1].centerX - atLaunch[0].centerX,
                         atLaunch[1].centerY - atLaunch[0].centerY),
              std::tuple(path("a.png"), path("b.jpg"), 332.0, 0.0));  // side by side

    // A later start exits 0 and prints the running copy's answer, in the start's own language,
    // after its own log line; the running copy's notifications stay German.
    const std::string running = "[Corkwallery] Corkwallery is already running \u2014 exiting\n";
    // The start's language, the file it names besides c.png (not there), and the answer.
    const std::tuple<const char*, const char*, std::string> laterStarts[] = {
        {"de_DE.UTF-8", "gone.png",
         "Angeheftet: " + path("c.png") + "\nNicht angeheftet: " + path("gone.png") +
             " \u2013 die Datei kann nicht gelesen werden.\n"},
        {"C.UTF-8", "missing.png",
         "Pinned " + path("c.png") + "\nNot pinned " + path("missing.png") +
             ": it cannot be read.\n"},
    };
    for (const auto& [lang, missing, text] : laterStarts) {
        SCOPED_TRACE(lang);
        QProcessEnvironment later = environment;
        later.insert("LANG", lang);
        EXPECT_EQ(
            run({QString::fromStdString(path("c.png")), QString::fromStdString(path(missing))},
                later),
            std::tuple(0, running + text, std::string()));
    }
    const auto after = saved();
    ASSERT_EQ(after.size(), 4u);
    EXPECT_EQ(std::vector(after.begin(), after.begin() + 2), atLaunch);  // untouched

    ASSERT_TRUE(testing::waitUntil([&] { return notifications.calls.size() == 3; }));
    const std::string unreadable = " wurde nicht angeheftet: die Datei kann nicht gelesen werden.";
    EXPECT_EQ(notifications.calls,
              std::vector<std::string>({"notes.txt wurde nicht angeheftet: die Datei ist kein "
                                        "Bild, das Corkwallery anzeigen kann.",
                                        "gone.png" + unreadable, "missing.png" + unreadable}));
    first.terminate();
    ASSERT_TRUE(first.waitForFinished(10000));
    QDBusConnection::disconnectFromBus("notifications");
}

}  // namespace
}  // namespace corkwallery
