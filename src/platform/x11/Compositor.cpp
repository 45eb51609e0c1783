#include "platform/x11/Compositor.h"

#include <cstdlib>
#include <string>

#include "platform/x11/Atoms.h"

namespace corkwallery::platform::x11 {

bool isCompositorRunning(xcb_connection_t* connection) {
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0)
        screen = 0;
    std::free(host);
    const std::string selection = "_NET_WM_CM_S" + std::to_string(screen);
    const xcb_get_selection_owner_cookie_t cookie =
        xcb_get_selection_owner(connection, atom(connection, selection.c_str()));
    xcb_get_selection_owner_reply_t* reply =
        xcb_get_selection_owner_reply(connection, cookie, nullptr);
    const bool owned = reply != nullptr && reply->owner != XCB_WINDOW_NONE;
    std::free(reply);
    return owned;
}

}  // namespace corkwallery::platform::x11
