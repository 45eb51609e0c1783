#include "platform/x11/WindowGeometry.h"

#include <algorithm>
#include <cstdint>

namespace corkwallery::platform::x11 {

void configureWindow(xcb_connection_t* connection, xcb_window_t window, int x, int y, int width,
                     int height) {
    const std::uint32_t values[] = {static_cast<std::uint32_t>(x), static_cast<std::uint32_t>(y),
                                    static_cast<std::uint32_t>(std::max(1, width)),
                                    static_cast<std::uint32_t>(std::max(1, height))};
    xcb_configure_window(connection, window,
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(connection);
}

}  // namespace corkwallery::platform::x11
