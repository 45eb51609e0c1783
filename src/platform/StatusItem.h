#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Menu.h"

class QSystemTrayIcon;

namespace corkwallery::platform {

class Panel;

// The application's permanent control: an icon in the system tray whose menu opens on a left or
// right click. Where no tray host runs (GNOME without an extension, a bare window manager) a
// small card with the same picture sits at desktop level in the top-right corner of the main
// screen and opens the same menu; it goes away once a tray appears and comes back if the tray
// goes. Shown from construction until destruction.
class StatusItem {
public:
    // The card's side and its distance from the screen's top and right edges, in points.
    static constexpr double kCardSide = 32;
    static constexpr double kCardInset = 8;
    // How often the tray host is looked for, in milliseconds.
    static constexpr int kTrayCheckInterval = 1000;

    StatusItem();
    ~StatusItem();
    StatusItem(const StatusItem&) = delete;
    StatusItem& operator=(const StatusItem&) = delete;

    // The picture shown, drawn in a colour that reads on light and dark panels (white on the
    // card); its accessibility description becomes the tool tip. Without an image the pin
    // symbol is drawn, since a tray entry needs a picture to be found and clicked at all.
    void setImage(std::optional<Image> image);
    const std::optional<Image>& image() const { return image_; }
    std::string toolTip() const;

    // The menu that a click opens; owned by the item from now on.
    void setMenu(std::unique_ptr<Menu> menu);
    Menu* menu() const { return menu_.get(); }

    // Opens the menu with its top-left corner at `location`, as a click on the item does.
    void openMenu(Point location);

    // Whether a tray host was there at the last look, and whether the card is shown instead.
    bool isInTray() const { return inTray_; }
    bool isFallbackCardShown() const;
    // The card's window; null until the card has been needed once.
    Panel* fallbackCard() const { return card_.get(); }
    // Where the card stands on a screen with this frame (the 1440 x 900 rectangle at the origin
    // when there is no screen).
    static Rect fallbackCardFrame(std::optional<Rect> mainScreenFrame);

    // Looks for a tray host now and shows the tray icon or the card accordingly; also runs every
    // kTrayCheckInterval milliseconds.
    void updatePlacement();

    // Replaces the question "is a tray host running?" (tests); an empty function restores it.
    static void setTrayAvailabilityProbe(std::function<bool()> probe);

    QSystemTrayIcon* nativeTrayIcon() const;

private:
    class Native;

    void showCard();
    void hideCard();
    Image shownImage() const;

    std::optional<Image> image_;
    std::unique_ptr<Menu> menu_;
    std::unique_ptr<Panel> card_;
    std::unique_ptr<Native> native_;
    bool inTray_ = false;
};

}  // namespace corkwallery::platform
