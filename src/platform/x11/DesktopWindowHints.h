#pragma once

#include <xcb/xcb.h>

namespace corkwallery::platform::x11 {

// Marks an unmapped top-level window as part of the desktop: kept below normal windows, on every
// workspace, out of the taskbar, pager and window switcher, never given the input focus, and
// without a compositor's shadow.
// Merges into what the window's _NET_WM_STATE and WM_HINTS already hold. Window managers read
// these when the window is mapped and drop them when it is withdrawn, so this runs before every
// show.
void applyDesktopWindowHints(xcb_connection_t* connection, xcb_window_t window);

// Marks the frame a window manager put the mapped `window` into, if any, as drawing no
// compositor's shadow either.
void markFrameWithoutShadow(xcb_connection_t* connection, xcb_window_t window);

}  // namespace corkwallery::platform::x11
