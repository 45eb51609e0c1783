#include "platform/Application.h"

#include <fcntl.h>
#include <unistd.h>
#include <QApplication>
#include <QSessionManager>
#include <QSocketNotifier>
#include <QTimer>
#include <array>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

#include "platform/DisplayChoice.h"
#include "platform/x11/X11Display.h"

namespace corkwallery::platform {

namespace {

Application* sharedApplication = nullptr;

constexpr std::array<int, 3> kTerminationSignals{SIGTERM, SIGINT, SIGHUP};

// The write end of the self-pipe; the signal handler only writes one byte into it.
volatile std::sig_atomic_t signalPipeWriteEnd = -1;

extern "C" void onTerminationSignal(int signal) {
    const int savedErrno = errno;
    const unsigned char byte = static_cast<unsigned char>(signal);
    if (signalPipeWriteEnd >= 0)
        (void)!write(signalPipeWriteEnd, &byte, 1);
    errno = savedErrno;
}

[[noreturn]] void failWithoutDisplay(const char* reason) {
    std::fprintf(stderr,
                 "corkwallery: cannot start: %s; Corkwallery needs an X11 session or XWayland\n",
                 reason);
    std::exit(1);
}

// Picks the display before the native application exists, because that fixes it for good.
void chooseWindowSystem() {
    const DisplayEnvironment environment = DisplayEnvironment::fromProcess();
    const DisplayChoice choice = chooseDisplay(environment);
    switch (choice.kind) {
        case DisplayChoice::AsConfigured:
            return;
        case DisplayChoice::NoX11Display:
            failWithoutDisplay("no X11 display (DISPLAY is not set)");
        case DisplayChoice::X11:
            break;
    }
    // Qt aborts when it cannot connect, so try first and fail cleanly.
    if (!x11::canConnectToDisplay(*environment.display)) {
        const std::string reason =
            "cannot connect to the X11 display \"" + *environment.display + "\"";
        failWithoutDisplay(reason.c_str());
    }
    if (!choice.overridden.empty())
        std::fprintf(stderr,
                     "corkwallery: QT_QPA_PLATFORM=%s ignored: running on the X11 display \"%s\", "
                     "where Corkwallery can place its windows at desktop level\n",
                     choice.overridden.c_str(), environment.display->c_str());
    setenv("QT_QPA_PLATFORM", choice.qpaPlatform.c_str(), 1);
}

// Requests to quit that reach the application object. One the platform delivers (Qt's quit(), the
// end of the session) becomes Application::terminate(): Qt would first close every window and
// give up if one refused, and our windows refuse a close they did not ask for. One that Qt posts
// by itself, because a window closed or a loop locker went, is dropped: closing windows never
// ends the application.
class QuitRequestFilter final : public QObject {
public:
    explicit QuitRequestFilter(Application& application) : application_(application) {}

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched != QCoreApplication::instance() || event->type() != QEvent::Quit)
            return false;
        event->accept();
        if (event->spontaneous())
            application_.terminate();
        return true;
    }

private:
    Application& application_;
};

}  // namespace

class Application::Impl {
public:
    explicit Impl(Application& owner) : filter(owner) {}

    std::unique_ptr<QApplication> ownedApplication;
    QuitRequestFilter filter;
    ApplicationDelegate* delegate = nullptr;
    bool launched = false;
    bool terminating = false;
    bool willTerminateSent = false;

    std::array<int, 2> signalPipe{-1, -1};
    std::unique_ptr<QSocketNotifier> signalNotifier;
    std::array<struct sigaction, kTerminationSignals.size()> previousActions{};
    std::array<bool, kTerminationSignals.size()> installed{};
    std::vector<QMetaObject::Connection> connections;

    void sendWillTerminate() {
        if (willTerminateSent)
            return;
        willTerminateSent = true;
        if (delegate != nullptr)
            delegate->applicationWillTerminate();
    }

    void installSignalHandlers(Application& owner) {
        if (pipe2(signalPipe.data(), O_CLOEXEC | O_NONBLOCK) != 0) {
            std::perror("corkwallery: pipe2");
            return;
        }
        signalPipeWriteEnd = signalPipe[1];
        signalNotifier = std::make_unique<QSocketNotifier>(signalPipe[0], QSocketNotifier::Read);
        QObject::connect(signalNotifier.get(), &QSocketNotifier::activated, [this, &owner] {
            std::array<unsigned char, 64> bytes{};
            while (read(signalPipe[0], bytes.data(), bytes.size()) > 0) {
            }
            owner.terminate();
        });

        struct sigaction action {};
        action.sa_handler = onTerminationSignal;
        action.sa_flags = SA_RESTART;
        sigemptyset(&action.sa_mask);
        for (const int signal : kTerminationSignals)
            sigaddset(&action.sa_mask, signal);
        for (std::size_t i = 0; i < kTerminationSignals.size(); ++i) {
            const int signal = kTerminationSignals[i];
            if (sigaction(signal, nullptr, &previousActions[i]) != 0)
                continue;
            // Respect an ignored hang-up or interrupt handed down by nohup or a background job.
            if (signal != SIGTERM && previousActions[i].sa_handler == SIG_IGN)
                continue;
            installed[i] = sigaction(signal, &action, nullptr) == 0;
        }
    }

    void removeSignalHandlers() {
        for (std::size_t i = 0; i < kTerminationSignals.size(); ++i) {
            if (installed[i])
                sigaction(kTerminationSignals[i], &previousActions[i], nullptr);
        }
        signalPipeWriteEnd = -1;
        signalNotifier.reset();
        for (const int fd : signalPipe) {
            if (fd >= 0)
                close(fd);
        }
    }
};

Application::Application(int& argc, char** argv) : impl_(std::make_unique<Impl>(*this)) {
    if (QCoreApplication::instance() == nullptr) {
        chooseWindowSystem();
        impl_->ownedApplication = std::make_unique<QApplication>(argc, argv);
        QCoreApplication::setOrganizationName(QStringLiteral("Corkwallery"));
        QCoreApplication::setApplicationName(QStringLiteral("Corkwallery"));
    }
    sharedApplication = this;

    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    QCoreApplication::instance()->installEventFilter(&impl_->filter);
    if (app != nullptr) {
        QGuiApplication::setQuitOnLastWindowClosed(false);
        QCoreApplication::setQuitLockEnabled(false);
        impl_->connections.push_back(
            QObject::connect(app, &QGuiApplication::lastWindowClosed, [this] {
                if (impl_->delegate != nullptr &&
                    impl_->delegate->applicationShouldTerminateAfterLastWindowClosed())
                    terminate();
            }));
#ifndef QT_NO_SESSIONMANAGER
        // The desktop session is ending: save now, since the process may be killed right after.
        impl_->connections.push_back(QObject::connect(app, &QGuiApplication::commitDataRequest,
                                                      [this](QSessionManager&) { terminate(); }));
#endif
    }
    // Anyone who stops the event loop directly still gets the will-terminate call.
    impl_->connections.push_back(QObject::connect(QCoreApplication::instance(),
                                                  &QCoreApplication::aboutToQuit,
                                                  [this] { impl_->sendWillTerminate(); }));
    impl_->installSignalHandlers(*this);
}

Application::~Application() {
    impl_->removeSignalHandlers();
    for (const QMetaObject::Connection& connection : impl_->connections)
        QObject::disconnect(connection);
    if (QCoreApplication::instance() != nullptr)
        QCoreApplication::instance()->removeEventFilter(&impl_->filter);
    if (sharedApplication == this)
        sharedApplication = nullptr;
}

Application* Application::shared() {
    return sharedApplication;
}

void Application::setDelegate(ApplicationDelegate* delegate) {
    impl_->delegate = delegate;
}

ApplicationDelegate* Application::delegate() const {
    return impl_->delegate;
}

int Application::run() {
    if (!impl_->terminating) {
        // The first thing the running loop does, before it reads any input.
        QTimer::singleShot(0, QCoreApplication::instance(), [this] {
            if (impl_->launched || impl_->terminating)
                return;
            impl_->launched = true;
            if (impl_->delegate != nullptr)
                impl_->delegate->applicationDidFinishLaunching();
        });
        QCoreApplication::exec();
    }
    impl_->terminating = true;
    impl_->sendWillTerminate();
    return 0;
}

void Application::terminate() {
    if (impl_->terminating)
        return;
    impl_->terminating = true;
    impl_->sendWillTerminate();
    // exit() rather than quit(): it leaves every running loop at once, without Qt's attempt to
    // close the windows first.
    QCoreApplication::exit(0);
}

bool Application::isTerminating() const {
    return impl_->terminating;
}

}  // namespace corkwallery::platform
