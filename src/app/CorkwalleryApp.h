#pragma once

#include <QCoreApplication>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QApplication;

namespace corkwallery {

class AppDelegate;
class RunningCopy;
class Translations;

namespace platform {
class InstanceLock;
class UnixSignals;
}  // namespace platform

// The process: reads the command line, makes sure only one copy runs per data folder (a later
// start hands its files to the running copy), chooses the display, makes the QApplication and the
// one AppDelegate, and runs the event loop. Every way out ("Quit Corkwallery", SIGTERM, SIGINT,
// SIGHUP, the end of the desktop session) takes the same route: applicationWillTerminate once,
// then the loop ends (nested modal loops too) and run() returns 0.
class CorkwalleryApp {
    Q_DECLARE_TR_FUNCTIONS(CorkwalleryApp)
public:
    static int main(int argc, char** argv);

    CorkwalleryApp(int& argc, char** argv);
    ~CorkwalleryApp();
    CorkwalleryApp(const CorkwalleryApp&) = delete;
    CorkwalleryApp& operator=(const CorkwalleryApp&) = delete;

    int run();
    void terminate();

private:
    // --help, --version and unknown options are answered here, without a display: their exit
    // status. Otherwise none, and files_ holds the paths given, made absolute.
    std::optional<int> readCommandLine(int argc, char** argv);

    std::vector<std::string> files_;
    std::optional<int> exitCode_;  // set when the process leaves before its event loop
    std::unique_ptr<platform::InstanceLock> lock_;
    std::unique_ptr<RunningCopy> runningCopy_;
    std::unique_ptr<QApplication> application_;
    std::unique_ptr<Translations> translations_;
    std::unique_ptr<platform::UnixSignals> signals_;
    std::unique_ptr<AppDelegate> delegate_;
    bool terminated_ = false;
};

}  // namespace corkwallery
