#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/MouseEvent.h"

class QMenu;

namespace corkwallery::platform {

class View;

struct MenuItem {
    std::string title;
    std::string keyEquivalent;  // a lower-case letter shown with Ctrl, or empty
    std::function<void()> action;
    bool isSeparator = false;
};

// A list of commands and separators, shown as a context menu or attached to the tray icon.
class Menu {
public:
    Menu();
    ~Menu();
    Menu(const Menu&) = delete;
    Menu& operator=(const Menu&) = delete;

    void addItem(std::string title, std::string keyEquivalent, std::function<void()> action);
    void addSeparator();
    const std::vector<MenuItem>& items() const { return items_; }
    // Runs an item's action as a click on it would.
    void performItem(std::size_t index) const;

    // Shows the menu at the event's pointer position and returns once it has closed.
    void popUpContextMenu(const MouseEvent& event, View& view);
    // Opens the menu with its top-left corner at `location` (screen coordinates), moved as needed
    // to stay on screen, and returns at once; an item's action runs when it is picked.
    void popUp(Point location);

    // While set, pop-ups go to `interceptor` instead of the screen (tests drive menus with it).
    static void setPopUpInterceptor(std::function<void(Menu&)> interceptor);

    // The native menu, built on first use and owned by this Menu. It stays the same object for
    // the Menu's life: adding items later updates it in place.
    QMenu* nativeMenu();

private:
    void fillNativeMenu();

    std::vector<MenuItem> items_;
    std::unique_ptr<QMenu> native_;
};

}  // namespace corkwallery::platform
