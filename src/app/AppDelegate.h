#pragma once

#include <memory>
#include <vector>

#include "pins/PinParameters.h"
#include "platform/ApplicationDelegate.h"
#include "platform/NotificationCenter.h"
#include "platform/Panel.h"
#include "platform/ScreenWatch.h"
#include "platform/StatusItem.h"
#include "store/HeldRecords.h"
#include "store/PinnedPhotoState.h"
#include "store/StateStore.h"

namespace corkwallery {

// The application's one controller. It owns every pin window, the tray item and the info
// cards; it runs the launch sequence, answers the menu and the photo views' notifications, and
// saves the state on every change and once more at the end.
class AppDelegate final : public platform::ApplicationDelegate {
public:
    AppDelegate();
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    void applicationDidFinishLaunching() override;
    bool applicationShouldTerminateAfterLastWindowClosed() override { return false; }
    void applicationWillTerminate() override;
    void pinStateChanged();
    void handleRemovePhoto(const platform::Notification& notification);
    void addPhotoClicked();
    void removeAllPhotosClicked();
    void howToUseClicked();
    void closeHelpPanel();
    void quitClicked();

    void setupStatusItem();
    void restorePinnedPhotos();
    // Brings back onto a screen every pin that none shows enough of, and saves if any moved.
    void bringPinsOnScreen();
    // Builds, shows and lists one pin window, closes the info cards, remembers that a photo was
    // added and saves.
    void createPinWindow(const PinParameters& parameters);
    void addPhoto();
    // True when the state file now holds the pins.
    bool saveState();
    std::vector<PinnedPhotoState> loadState();
    void showWelcomePanel();
    void showHelpPanel();

    const PinWindowList& pinWindows() const { return pinWindows_; }
    const HeldRecords& heldRecords() const { return heldRecords_; }
    platform::StatusItem* statusItem() const { return statusItem_.get(); }
    platform::Panel* welcomePanel() const { return welcomePanel_.get(); }
    platform::Panel* helpPanel() const { return helpPanel_.get(); }

private:
    void closeCard(std::unique_ptr<platform::Panel>& card);

    PinWindowList pinWindows_;
    // Saved pins whose copies could not be read at launch; saved back until Remove All.
    HeldRecords heldRecords_;
    std::unique_ptr<platform::StatusItem> statusItem_;
    std::unique_ptr<platform::Panel> welcomePanel_;
    std::unique_ptr<platform::Panel> helpPanel_;
    std::unique_ptr<platform::ScreenWatch> screenWatch_;
};

}  // namespace corkwallery
