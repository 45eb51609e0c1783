#pragma once

#include <memory>

#include "platform/ApplicationDelegate.h"

namespace corkwallery::platform {

// The process's one application: the native application object, the event loop and a single way
// out. Whatever ends the application (terminate(), SIGTERM, SIGINT, SIGHUP, the end of the
// desktop session, or Qt asking to quit) calls the delegate's applicationWillTerminate() exactly
// once, after which run() returns 0. Closing windows never ends it unless the delegate says so.
class Application {
public:
    // Creates the native application on X11 whenever a display is there (XWayland under
    // Wayland), whatever QT_QPA_PLATFORM asks, since only X11 lets a program place its own
    // windows at desktop level; one line on standard error says when another platform asked for
    // is set aside. Only "offscreen" is honoured as asked. Without a reachable X11 display it
    // writes one line to standard error and exits the process with status 1. An application
    // object already made by the caller is adopted instead. `argc` and `argv` must outlive this
    // object.
    Application(int& argc, char** argv);
    ~Application();
    Application(const Application&) = delete;
    Application& operator=(const Application&) = delete;

    // The one Application while it exists, otherwise null.
    static Application* shared();

    // Not owned; must outlive run().
    void setDelegate(ApplicationDelegate* delegate);
    ApplicationDelegate* delegate() const;

    // Runs the event loop: calls applicationDidFinishLaunching() once it is running, and returns
    // 0 once the application has terminated. Returns at once if it terminated before.
    int run();

    // Ends the application: applicationWillTerminate(), then the event loop stops (nested modal
    // loops too). Later calls do nothing.
    void terminate();
    bool isTerminating() const;

private:
    class Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace corkwallery::platform
