#pragma once

namespace corkwallery::platform {

// What the application tells its one controller about its own life. Every call arrives on the
// main thread.
class ApplicationDelegate {
public:
    virtual ~ApplicationDelegate() = default;

    // Once, from the running event loop, before any user input is handled.
    virtual void applicationDidFinishLaunching() = 0;
    // Asked each time the last visible window has closed; true ends the application.
    virtual bool applicationShouldTerminateAfterLastWindowClosed() = 0;
    // Exactly once, however the application ends, before the process exits.
    virtual void applicationWillTerminate() = 0;
};

}  // namespace corkwallery::platform
