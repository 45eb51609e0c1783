#pragma once

#include <xcb/xcb.h>

namespace corkwallery::platform::x11 {

// Asks for a top-level window's position and size (root pixels); the window manager, if any,
// decides and reports back.
void configureWindow(xcb_connection_t* connection, xcb_window_t window, int x, int y, int width,
                     int height);

}  // namespace corkwallery::platform::x11
