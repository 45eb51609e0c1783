#include "platform/x11/InputShape.h"

#include <xcb/shape.h>

#include <cstdint>

namespace corkwallery::platform::x11 {

void setInputShape(xcb_connection_t* connection, xcb_window_t window,
                   const std::vector<xcb_rectangle_t>& rectangles) {
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (shape == nullptr || shape->present == 0)
        return;
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                         XCB_CLIP_ORDERING_UNSORTED, window, 0, 0,
                         static_cast<std::uint32_t>(rectangles.size()), rectangles.data());
    xcb_flush(connection);
}

}  // namespace corkwallery::platform::x11
