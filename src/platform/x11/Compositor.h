#pragma once

#include <xcb/xcb.h>

namespace corkwallery::platform::x11 {

// Whether a compositing manager runs on the connection's default screen: it owns the selection
// _NET_WM_CM_S<screen>. Without one, transparent pixels of a window show black.
bool isCompositorRunning(xcb_connection_t* connection);

}  // namespace corkwallery::platform::x11
