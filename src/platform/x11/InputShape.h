#pragma once

#include <xcb/xcb.h>

#include <vector>

namespace corkwallery::platform::x11 {

// Makes `window` receive pointer input only inside `rectangles` (window pixels); elsewhere clicks
// go to whatever lies below. Does nothing when the server lacks the SHAPE extension.
void setInputShape(xcb_connection_t* connection, xcb_window_t window,
                   const std::vector<xcb_rectangle_t>& rectangles);

}  // namespace corkwallery::platform::x11
