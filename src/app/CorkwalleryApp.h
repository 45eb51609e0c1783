#pragma once

#include <memory>

class QApplication;

namespace corkwallery {

class AppDelegate;

namespace platform {
class InstanceLock;
class UnixSignals;
}  // namespace platform

// The process: chooses the display, makes sure only one copy runs per data folder, makes the
// QApplication and the one AppDelegate, and runs the event loop. Every way out ("Quit
// Corkwallery", SIGTERM, SIGINT, SIGHUP, the end of the desktop session) takes the same route:
// applicationWillTerminate once, then the loop ends (nested modal loops too) and run() returns 0.
class CorkwalleryApp {
public:
    static int main(int argc, char** argv);

    CorkwalleryApp(int& argc, char** argv);
    ~CorkwalleryApp();
    CorkwalleryApp(const CorkwalleryApp&) = delete;
    CorkwalleryApp& operator=(const CorkwalleryApp&) = delete;

    int run();
    void terminate();

private:
    std::unique_ptr<platform::InstanceLock> lock_;
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<platform::UnixSignals> signals_;
    std::unique_ptr<AppDelegate> delegate_;
    bool terminated_ = false;
};

}  // namespace corkwallery
