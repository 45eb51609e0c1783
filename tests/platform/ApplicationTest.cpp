#include "platform/Application.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QProcess>
#include <QThread>
#include <QTimer>
#include <csignal>
#include <functional>
#include <memory>

#include "platform/Panel.h"

namespace corkwallery::platform {
namespace {

class RecordingDelegate final : public ApplicationDelegate {
public:
    std::function<void()> onLaunch;
    int launches = 0;
    bool launchedFromRunningLoop = false;
    int willTerminates = 0;
    bool panelShownAtTermination = false;
    std::unique_ptr<Panel> panel;

    void applicationDidFinishLaunching() override {
        ++launches;
        launchedFromRunningLoop = QThread::currentThread()->loopLevel() > 0;
        panel = std::make_unique<Panel>(Rect(10, 10, 50, 50));
        panel->setLevel(WindowLevel::DesktopIcon);
        panel->orderFront();
        onLaunch();
    }
    bool applicationShouldTerminateAfterLastWindowClosed() override { return false; }
    void applicationWillTerminate() override {
        ++willTerminates;
        panelShownAtTermination = panel != nullptr && panel->isVisible();
    }
};

// Runs an Application on the tests' own QApplication; returns whether run() ended by itself
// (a guard ends a loop that a broken route left running).
bool runApplication(RecordingDelegate& delegate) {
    int argc = 1;
    char name[] = "corkwallery";
    char* argv[] = {name, nullptr};
    Application application(argc, argv);
    application.setDelegate(&delegate);
    bool guarded = false;
    QTimer guard;
    guard.setSingleShot(true);
    QObject::connect(&guard, &QTimer::timeout, [&guarded] {
        guarded = true;
        QCoreApplication::exit(0);
    });
    guard.start(20000);
    EXPECT_EQ(application.run(), 0);
    return !guarded;
}

TEST(ApplicationTest, EveryRouteOutCallsWillTerminateOnceWithTheWindowsStillOpen) {
    const std::pair<const char*, std::function<void()>> routes[] = {
        {"terminate twice",
         [] {
             Application::shared()->terminate();
             Application::shared()->terminate();
         }},
        // Qt would close every window first, and give up since a panel refuses.
        {"Qt's quit", [] { QCoreApplication::quit(); }},
        {"the loop stopped directly", [] { QCoreApplication::exit(3); }},
    };
    for (const auto& [name, end] : routes) {
        SCOPED_TRACE(name);
        RecordingDelegate delegate;
        delegate.onLaunch = end;
        EXPECT_TRUE(runApplication(delegate));
        EXPECT_EQ(delegate.launches, 1);
        EXPECT_TRUE(delegate.launchedFromRunningLoop);
        EXPECT_EQ(delegate.willTerminates, 1);
        EXPECT_TRUE(delegate.panelShownAtTermination);
    }
}

TEST(ApplicationTest, ClosingTheLastWindowDoesNotEndTheApplication) {
    RecordingDelegate delegate;
    bool runningAfterClose = false;
    delegate.onLaunch = [&] {
        delegate.panel->close();
        // The request to quit that Qt posts by itself when windows go.
        QCoreApplication::postEvent(QCoreApplication::instance(), new QEvent(QEvent::Quit));
        QCoreApplication::processEvents();
        runningAfterClose = !Application::shared()->isTerminating();
        Application::shared()->terminate();
    };
    EXPECT_TRUE(runApplication(delegate));
    EXPECT_TRUE(runningAfterClose);
    EXPECT_EQ(delegate.willTerminates, 1);
}

// The real process, sent a signal once it has launched.
TEST(ApplicationTest, TerminationSignalsEndTheProcessThroughWillTerminateWithStatusZero) {
    for (const int signal : {SIGTERM, SIGINT, SIGHUP}) {
        SCOPED_TRACE(strsignal(signal));
        QProcess process;
        // Signals ignored by whoever started the tests (nohup) would stay ignored in the child.
        process.setChildProcessModifier([] {
            std::signal(SIGINT, SIG_DFL);
            std::signal(SIGHUP, SIG_DFL);
        });
        process.start(QStringLiteral(TERMINATION_HELPER), {});
        QString output;
        while (!output.contains(QStringLiteral("launched\n"))) {
            ASSERT_TRUE(process.waitForReadyRead(30000)) << output.toStdString();
            output += QString::fromUtf8(process.readAllStandardOutput());
        }
        ::kill(static_cast<pid_t>(process.processId()), signal);
        ASSERT_TRUE(process.waitForFinished(30000));
        output += QString::fromUtf8(process.readAllStandardOutput());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit);
        EXPECT_EQ(process.exitCode(), 0);
        EXPECT_EQ(output, QStringLiteral("launched\nwill-terminate\nexiting\n"));
    }
}

TEST(ApplicationTest, WithoutAReachableX11DisplayTheProgramSaysSoInOneLineAndFails) {
    struct Case {
        const char* display;  // null: unset
        const char* platform;
        const char* said;
    };
    const Case cases[] = {
        {":9876", nullptr, "\":9876\""},  // nobody there
        {nullptr, "wayland", "DISPLAY is not set"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.said);
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.remove(QStringLiteral("QT_QPA_PLATFORM"));
        environment.remove(QStringLiteral("DISPLAY"));
        if (c.display != nullptr)
            environment.insert(QStringLiteral("DISPLAY"), QString::fromUtf8(c.display));
        if (c.platform != nullptr)
            environment.insert(QStringLiteral("QT_QPA_PLATFORM"), QString::fromUtf8(c.platform));
        QProcess process;
        process.setProcessEnvironment(environment);
        process.start(QStringLiteral(TERMINATION_HELPER), {});
        ASSERT_TRUE(process.waitForFinished(30000));
        const QString errors = QString::fromUtf8(process.readAllStandardError());
        EXPECT_EQ(process.exitStatus(), QProcess::NormalExit)
            << "Qt's own abort must not be reached";
        EXPECT_EQ(process.exitCode(), 1);
        EXPECT_EQ(errors.count(QLatin1Char('\n')), 1) << errors.toStdString();
        EXPECT_TRUE(errors.contains(QString::fromUtf8(c.said))) << errors.toStdString();
    }
}

}  // namespace
}  // namespace corkwallery::platform
