#include "app/CorkwalleryApp.h"

#include "app/AppDelegate.h"
#include "platform/Application.h"

namespace corkwallery {

int CorkwalleryApp::main(int argc, char** argv) {
    platform::Application application(argc, argv);
    // Declared after the application, so every window goes before the application does.
    AppDelegate delegate;
    application.setDelegate(&delegate);
    return application.run();
}

}  // namespace corkwallery
