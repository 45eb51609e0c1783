#include "platform/x11/X11Display.h"

#include <xcb/xcb.h>

namespace corkwallery::platform::x11 {

bool canConnectToDisplay(const std::string& display) {
    xcb_connection_t* connection = xcb_connect(display.c_str(), nullptr);
    // A failed connection is still an object that must be released.
    const bool connected = xcb_connection_has_error(connection) == 0;
    xcb_disconnect(connection);
    return connected;
}

}  // namespace corkwallery::platform::x11
