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
    if (!lock.tryLock()) {
        platform::logLine("[Corkwallery] Corkwallery is already running \u2014 exiting");
        return 0;
    }
    platform::Application application(argc, argv);
    // Declared after the application, so every window goes before the application does.
    AppDelegate delegate;
    application.setDelegate(&delegate);
    return application.run();
}

}  // namespace corkwallery
