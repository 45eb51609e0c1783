#include "app/CorkwalleryApp.h"

#include <QApplication>
#include <QSessionManager>
#include <QTimer>

#include "app/AppDelegate.h"
#include "platform/DisplayChoice.h"
#include "platform/InstanceLock.h"
#include "platform/Log.h"
#include "platform/UnixSignals.h"
#include "store/AppFolders.h"
#include "store/PhotoCopies.h"

namespace corkwallery {

int CorkwalleryApp::main(int argc, char** argv) {
    CorkwalleryApp app(argc, argv);
    return app.run();
}

CorkwalleryApp::CorkwalleryApp(int& argc, char** argv)
    : lock_(std::make_unique<platform::InstanceLock>(AppFolders::instanceLockURL())) {
    // Two copies would overwrite each other's state file and lose pins, so a second one leaves
    // before it reads or writes anything. Held until the process ends.
    switch (lock_->tryLock()) {
        case platform::InstanceLock::Outcome::Locked:
            PhotoCopies::removeInterruptedWrites();
            break;
        case platform::InstanceLock::Outcome::HeldElsewhere:
            platform::log("Corkwallery is already running \u2014 exiting");
            terminated_ = true;
            return;
        case platform::InstanceLock::Outcome::Failed:
            // Without the lock another copy may be saving: its temporary files are left alone.
            platform::log("ERROR taking the single-instance lock: " + lock_->error() +
                          " \u2014 running without it");
            break;
    }
    platform::prepareDisplay();
    application_ = std::make_unique<QApplication>(argc, argv);
    QCoreApplication::setOrganizationName(QStringLiteral("Corkwallery"));
    QCoreApplication::setApplicationName(QStringLiteral("Corkwallery"));
    QCoreApplication::setApplicationVersion(QStringLiteral(CORKWALLERY_VERSION));
    QGuiApplication::setDesktopFileName(QStringLiteral(CORKWALLERY_APP_ID));
    // Closing windows never ends the application.
    QGuiApplication::setQuitOnLastWindowClosed(false);
    QCoreApplication::setQuitLockEnabled(false);
    signals_ = std::make_unique<platform::UnixSignals>();
    QObject::connect(signals_.get(), &platform::UnixSignals::terminationRequested,
                     [this] { terminate(); });
    // The desktop session is ending: save now, since the process may be killed right after.
    QObject::connect(application_.get(), &QGuiApplication::commitDataRequest,
                     [this](QSessionManager&) { terminate(); });
    delegate_ = std::make_unique<AppDelegate>();
    QObject::connect(delegate_.get(), &AppDelegate::terminateRequested, [this] { terminate(); });
    application_->installEventFilter(delegate_.get());
}

CorkwalleryApp::~CorkwalleryApp() = default;

int CorkwalleryApp::run() {
    if (terminated_)
        return 0;
    // The first thing the running loop does, before it reads any input.
    QTimer::singleShot(0, application_.get(), [this] {
        if (!terminated_)
            delegate_->applicationDidFinishLaunching();
    });
    QCoreApplication::exec();
    terminate();  // in case anything but terminate() ended the loop
    return 0;
}

void CorkwalleryApp::terminate() {
    if (terminated_)
        return;
    terminated_ = true;
    delegate_->applicationWillTerminate();
    // exit() rather than quit(): it leaves every running loop at once, modal ones too, without
    // Qt's attempt to close the windows first.
    QCoreApplication::exit(0);
}

}  // namespace corkwallery
