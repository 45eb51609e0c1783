#include "platform/x11/DesktopWindowHints.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "platform/x11/Atoms.h"

namespace corkwallery::platform::x11 {

namespace {

constexpr std::uint32_t kAllDesktops = 0xFFFFFFFF;
// WM_HINTS: nine 32-bit fields; the first holds flags, the second the input hint.
constexpr std::size_t kWmHintsLength = 9;
constexpr std::uint32_t kInputHintFlag = 1;

std::vector<std::uint32_t> readCardinals(xcb_connection_t* connection, xcb_window_t window,
                                         xcb_atom_t property, xcb_atom_t type) {
    const xcb_get_property_cookie_t cookie =
        xcb_get_property(connection, 0, window, property, type, 0, 1024);
    xcb_get_property_reply_t* reply = xcb_get_property_reply(connection, cookie, nullptr);
    std::vector<std::uint32_t> values;
    if (reply != nullptr && reply->format == 32 && reply->type == type) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        values.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return values;
}

void markWithoutShadow(xcb_connection_t* connection, xcb_window_t window) {
    constexpr std::uint32_t kNoShadow = 0;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        atom(connection, "_COMPTON_SHADOW"), XCB_ATOM_CARDINAL, 32, 1, &kNoShadow);
}

}  // namespace

void applyDesktopWindowHints(xcb_connection_t* connection, xcb_window_t window) {
    const xcb_atom_t netWmState = atom(connection, "_NET_WM_STATE");
    std::vector<std::uint32_t> states =
        readCardinals(connection, window, netWmState, XCB_ATOM_ATOM);
    const std::array<const char*, 5> wanted{
        "_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR", "_NET_WM_STATE_SKIP_PAGER",
        "_KDE_NET_WM_STATE_SKIP_SWITCHER", "_NET_WM_STATE_BELOW"};
    for (const char* name : wanted) {
        const xcb_atom_t state = atom(connection, name);
        if (std::find(states.begin(), states.end(), state) == states.end())
            states.push_back(state);
    }
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, netWmState, XCB_ATOM_ATOM, 32,
                        static_cast<std::uint32_t>(states.size()), states.data());

    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window,
                        atom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL, 32, 1,
                        &kAllDesktops);

    // The window draws its own shadow, following what it shows; picom and compton would add a
    // rectangular one around the whole window.
    markWithoutShadow(connection, window);

    std::vector<std::uint32_t> hints =
        readCardinals(connection, window, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS);
    hints.resize(kWmHintsLength, 0);
    hints[0] |= kInputHintFlag;
    hints[1] = 0;
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, XCB_ATOM_WM_HINTS,
                        XCB_ATOM_WM_HINTS, 32, kWmHintsLength, hints.data());
    xcb_flush(connection);
}

}  // namespace corkwallery::platform::x11

namespace corkwallery::platform::x11 {

// Compositors read the mark on the top-level window they draw, which is the window manager's
// frame when it put the window into one.
void markFrameWithoutShadow(xcb_connection_t* connection, xcb_window_t window) {
    xcb_window_t current = window;
    for (int depth = 0; depth < 8; ++depth) {
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(connection, xcb_query_tree(connection, current), nullptr);
        if (tree == nullptr)
            return;
        const xcb_window_t parent = tree->parent;
        const xcb_window_t root = tree->root;
        std::free(tree);
        if (parent == root || parent == XCB_WINDOW_NONE)
            break;
        current = parent;
    }
    if (current != window) {
        markWithoutShadow(connection, current);
        xcb_flush(connection);
    }
}

}  // namespace corkwallery::platform::x11
