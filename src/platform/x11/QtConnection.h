#pragma once

#include <xcb/xcb.h>

namespace corkwallery::platform::x11 {

// The X11 connection of the running Qt application; null when Qt runs on another platform
// (offscreen, native Wayland) or before the application exists.
xcb_connection_t* qtConnection();

}  // namespace corkwallery::platform::x11
