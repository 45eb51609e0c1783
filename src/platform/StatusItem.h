#pragma once

#include <memory>
#include <optional>
#include <string>

#include "platform/Geometry.h"
#include "platform/Image.h"
#include "platform/Menu.h"

class QIcon;
class QSystemTrayIcon;

namespace corkwallery::platform {

class Panel;

// The application's permanent control: an icon in the system tray whose menu opens on a left or
// right click. Where no tray host runs (GNOME without an extension, a bare window manager, a panel
// that has not started yet) a small card with the same picture sits at desktop level in the
// top-right corner of the main screen's work area and opens the same menu; it goes away once a
// tray appears and comes back if the tray goes. Tray hosts are followed as they come and go:
// StatusNotifier panels on the session bus, and the X11 tray's selection. Shown from
// construction until destruction.
class StatusItem {
public:
    // The card's side and its distance from the work area's top and right edges, in points.
    static constexpr double kCardSide = 32;
    static constexpr double kCardInset = 8;

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

    // Whether the tray icon is in a tray host now, and whether the card is shown instead.
    bool isInTray() const { return inTray_; }
    bool isFallbackCardShown() const;
    // The card's window; null until the card has been needed once.
    Panel* fallbackCard() const { return card_.get(); }
    // Where the card stands in a work area with this frame (the 1440 x 900 rectangle at the
    // origin when there is no screen).
    static Rect fallbackCardFrame(std::optional<Rect> workArea);
    // Where a menu `menuHeight` tall opens for a tray icon at `icon` on `screen`: hanging below
    // the icon, or standing above it when the icon is in the lower half of the screen.
    static Point trayMenuLocation(Rect icon, double menuHeight, Rect screen);

    // The tray icon's picture, made for every common tray size.
    QIcon trayIcon() const;
    // The native tray icon while it is in a tray, otherwise null.
    QSystemTrayIcon* nativeTrayIcon() const;

private:
    class Native;
    // The two kinds of tray host: a StatusNotifier panel on the session bus, and the X11 tray.
    enum class TrayKind { StatusNotifier, X11 };
    static std::optional<TrayKind>& qtTrayKind();

    // Shows the tray icon where a host can show it, and the card otherwise; `changed` is the host
    // that has just come, gone or been replaced.
    void updatePlacement(std::optional<TrayKind> changed);
    void openMenuAtTrayIcon();
    void showCard();
    void placeCard();
    void hideCard();
    Image shownImage() const;

    std::optional<Image> image_;
    std::unique_ptr<Menu> menu_;
    std::unique_ptr<Panel> card_;
    std::unique_ptr<Native> native_;
    bool inTray_ = false;
};

}  // namespace corkwallery::platform
