// A real process on top of Application for tests that end it from outside. It prints "launched"
// once launched, "will-terminate" from the will-terminate callback and "exiting" once run() has
// returned; a desktop-level panel stays shown throughout, like a pin.

#include "platform/Application.h"
#include "platform/Log.h"
#include "platform/Panel.h"

namespace {

using namespace corkwallery::platform;

class HelperDelegate final : public ApplicationDelegate {
public:
    void applicationDidFinishLaunching() override {
        panel_ = std::make_unique<Panel>(Rect(100, 100, 40, 40));
        panel_->setLevel(WindowLevel::DesktopIcon);
        panel_->orderFront();
        logLine("launched");
    }
    bool applicationShouldTerminateAfterLastWindowClosed() override { return false; }
    void applicationWillTerminate() override { logLine("will-terminate"); }

private:
    std::unique_ptr<Panel> panel_;
};

}  // namespace

int main(int argc, char** argv) {
    Application application(argc, argv);
    HelperDelegate delegate;
    application.setDelegate(&delegate);
    const int status = application.run();
    logLine("exiting");
    return status;
}
