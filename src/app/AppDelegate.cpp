#include "app/AppDelegate.h"

#include <algorithm>
#include <optional>
#include <string>

#include "app/InfoCardBuilder.h"
#include "photo/DraggableImageView.h"
#include "pins/PhotoAdder.h"
#include "pins/PhotoRestorer.h"
#include "pins/PinPlacement.h"
#include "pins/PinWindowBuilder.h"
#include "platform/Application.h"
#include "platform/Image.h"
#include "platform/Menu.h"
#include "platform/Screen.h"
#include "platform/UserDefaults.h"
#include "store/PhotoCopies.h"

namespace corkwallery {

using platform::NotificationCenter;

namespace {
const char* const kHasAddedFirstPhoto = "hasAddedFirstPhoto";
}

AppDelegate::AppDelegate() = default;

AppDelegate::~AppDelegate() {
    NotificationCenter::defaultCenter().removeObserver(this);
}

void AppDelegate::applicationDidFinishLaunching() {
    setupStatusItem();
    auto& center = NotificationCenter::defaultCenter();
    center.addObserver(this, DraggableImageView::pinStateDidChange(), nullptr,
                       [this](const platform::Notification&) { pinStateChanged(); });
    center.addObserver(this, DraggableImageView::removePhoto(), nullptr,
                       [this](const platform::Notification& n) { handleRemovePhoto(n); });
    restorePinnedPhotos();
    bringPinsOnScreen();
    screenWatch_ = std::make_unique<platform::ScreenWatch>([this] { bringPinsOnScreen(); });
    if (!pinWindows_.empty())
        return;
    if (!platform::UserDefaults::standard().boolForKey(kHasAddedFirstPhoto))
        showWelcomePanel();
}

void AppDelegate::applicationWillTerminate() {
    saveState();
}

void AppDelegate::pinStateChanged() {
    saveState();
}

// Removes the first listed window that shows the posting view; anything else is ignored.
void AppDelegate::handleRemovePhoto(const platform::Notification& notification) {
    if (notification.object == nullptr || pinWindows_.empty())
        return;
    const auto match =
        std::find_if(pinWindows_.begin(), pinWindows_.end(), [&](const auto& window) {
            return window->contentView() != nullptr && window->contentView() == notification.object;
        });
    if (match == pinWindows_.end())
        return;
    const auto* view = dynamic_cast<const DraggableImageView*>((*match)->contentView());
    if (view == nullptr)
        return;
    const std::optional<std::string> copy = view->storedFilename();
    (*match)->close();
    heldRecords_.windowRemoved(static_cast<std::size_t>(match - pinWindows_.begin()));
    pinWindows_.erase(match);
    // The copy goes only once the state file no longer names it: a crash in between leaves an
    // unnamed copy, never a pin without its photo.
    if (saveState() && copy)
        PhotoCopies::removeCopy(*copy);
}

void AppDelegate::addPhotoClicked() {
    addPhoto();
}

void AppDelegate::removeAllPhotosClicked() {
    std::vector<std::string> copies;
    for (const auto& window : pinWindows_) {
        const auto* view = dynamic_cast<const DraggableImageView*>(window->contentView());
        if (view != nullptr && view->storedFilename())
            copies.push_back(*view->storedFilename());
        window->close();
    }
    pinWindows_.clear();
    for (const PinnedPhotoState& record : heldRecords_.releaseAll())
        copies.push_back(record.storedFilename);
    // As for one pin: the copies go only once the state file no longer names them.
    if (!saveState())
        return;
    for (const std::string& copy : copies)
        PhotoCopies::removeCopy(copy);
}

void AppDelegate::howToUseClicked() {
    if (helpPanel_) {
        closeHelpPanel();
    } else {
        showHelpPanel();
    }
}

void AppDelegate::closeHelpPanel() {
    closeCard(helpPanel_);
}

void AppDelegate::quitClicked() {
    if (auto* application = platform::Application::shared())
        application->terminate();
}

void AppDelegate::setupStatusItem() {
    statusItem_ = std::make_unique<platform::StatusItem>();
    statusItem_->setImage(platform::Image::systemSymbol("pin.fill", "Corkwallery"));
    auto menu = std::make_unique<platform::Menu>();
    menu->addItem("Add Photo", "n", [this] { addPhotoClicked(); });
    menu->addSeparator();
    menu->addItem("Remove All Photos", "", [this] { removeAllPhotosClicked(); });
    menu->addSeparator();
    menu->addItem("How to Use", "", [this] { howToUseClicked(); });
    menu->addSeparator();
    menu->addItem("Quit Corkwallery", "q", [this] { quitClicked(); });
    statusItem_->setMenu(std::move(menu));
}

void AppDelegate::restorePinnedPhotos() {
    PhotoRestorer::restore(loadState(), heldRecords_,
                           [this](const PinParameters& p) { createPinWindow(p); });
}

void AppDelegate::bringPinsOnScreen() {
    std::vector<platform::Rect> screens;
    for (const platform::Screen& screen : platform::Screen::all())
        screens.push_back(screen.visibleFrame);
    if (PinPlacement::bringPinsOnScreen(pinWindows_, screens))
        saveState();
}

void AppDelegate::createPinWindow(const PinParameters& parameters) {
    pinWindows_.push_back(PinWindowBuilder::build(parameters));
    closeCard(welcomePanel_);
    closeCard(helpPanel_);
    platform::UserDefaults::standard().setBool(true, kHasAddedFirstPhoto);
    saveState();
}

void AppDelegate::addPhoto() {
    if (auto parameters = PhotoAdder::choosePhoto())
        createPinWindow(*parameters);
}

bool AppDelegate::saveState() {
    return StateStore::saveState(pinWindows_, heldRecords_);
}

std::vector<PinnedPhotoState> AppDelegate::loadState() {
    return StateStore::loadState();
}

void AppDelegate::showWelcomePanel() {
    welcomePanel_ = InfoCardBuilder::buildWelcomeCard(statusItem_ != nullptr &&
                                                      statusItem_->isFallbackCardShown());
}

void AppDelegate::showHelpPanel() {
    helpPanel_ = InfoCardBuilder::buildHelpCard([this] { closeHelpPanel(); });
}

void AppDelegate::closeCard(std::unique_ptr<platform::Panel>& card) {
    if (!card)
        return;
    card->close();
    card.reset();
}

}  // namespace corkwallery
