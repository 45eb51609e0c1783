#include "app/CorkwalleryApp.h"

#include "app/AppDelegate.h"
#include "platform/Application.h"
#include "platform/InstanceLock.h"
#include "platform/Log.h"
#include "store/AppFolders.h"

namespace corkwallery {

int CorkwalleryApp::main(int argc, char** argv) {
    // Two copies would overwrite each other's state file and lose pins, so a second one leaves
    // before it reads or writes anything. Held until the process ends.
    platform::InstanceLock lock(AppFolders::instanceLockURL());
    switch (lock.tryLock()) {
        case platform::InstanceLock::Outcome::Locked:
            AppFolders::removeInterruptedSaves();
            break;
        case platform::InstanceLock::Outcome::HeldElsewhere:
            platform::logLine("[Corkwallery] Corkwallery is already running \u2014 exiting");
            return 0;
        case platform::InstanceLock::Outcome::Failed:
            // Without the lock another copy may be saving: its temporary files are left alone.
            platform::logLine("[Corkwallery] ERROR taking the single-instance lock: " +
                              lock.error() + " \u2014 running without it");
            break;
    }
    platform::Application application(argc, argv);
    // Declared after the application, so every window goes before the application does.
    AppDelegate delegate;
    application.setDelegate(&delegate);
    return application.run();
}

}  // namespace corkwallery
