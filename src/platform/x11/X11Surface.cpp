#include "platform/x11/X11Surface.h"

#include <xcb/shape.h>
#include <xcb/xcb.h>

#include <QGuiApplication>
#include <QScreen>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/x11/DesktopStacking.h"
#include "platform/x11/Xcb.h"

namespace corkwallery::platform::x11 {

namespace {

using xcb::atom;

// The window draws its own shadow, following what it shows; picom and compton would add a
// rectangular one around the whole window.
void markWithoutShadow(xcb_connection_t* connection, xcb_window_t window) {
    xcb::setValues(connection, window, atom(connection, "_COMPTON_SHADOW"), XCB_ATOM_CARDINAL, {0});
}

}  // namespace

std::uint32_t X11Surface::windowId() const {
    return static_cast<xcb_window_t>(window()->winId());
}

void X11Surface::prepare(const QRect&, Anchor) {
    const xcb_window_t id = windowId();
    xcb_connection_t* connection = xcb::connection();
    const xcb_atom_t netWmState = atom(connection, "_NET_WM_STATE");
    std::vector<std::uint32_t> states = xcb::values(connection, id, netWmState, XCB_ATOM_ATOM);
    for (const char* name : {"_NET_WM_STATE_STICKY", "_NET_WM_STATE_SKIP_TASKBAR",
                             "_NET_WM_STATE_SKIP_PAGER", "_KDE_NET_WM_STATE_SKIP_SWITCHER"}) {
        const xcb_atom_t state = atom(connection, name);
        if (std::find(states.begin(), states.end(), state) == states.end())
            states.push_back(state);
    }
    xcb::setValues(connection, id, netWmState, XCB_ATOM_ATOM, states);
    // Part of the desktop, which Show Desktop leaves alone, and above the desktop's own window
    // (window managers keep a transient above its parent), which shares that layer.
    xcb::setValues(connection, id, atom(connection, "_NET_WM_WINDOW_TYPE"), XCB_ATOM_ATOM,
                   {atom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP")});
    // On every workspace.
    xcb::setValues(connection, id, atom(connection, "_NET_WM_DESKTOP"), XCB_ATOM_CARDINAL,
                   {0xFFFFFFFF});
    markWithoutShadow(connection, id);

    std::vector<std::uint32_t> hints =
        xcb::values(connection, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS);
    // Nine fields: flags, then the input hint, which says whether the window takes the focus.
    hints.resize(9, 0);
    hints[0] |= 1;  // InputHint
    hints[1] = window()->flags().testFlag(Qt::WindowDoesNotAcceptFocus) ? 0 : 1;
    xcb::setValues(connection, id, XCB_ATOM_WM_HINTS, XCB_ATOM_WM_HINTS, hints);
    xcb_flush(connection);
}

// Compositors read the mark on the top-level window they draw, which is the window manager's
// frame when it put the window into one.
void X11Surface::markFrameWithoutShadow() {
    xcb_connection_t* connection = xcb::connection();
    const xcb_window_t id = windowId();
    xcb_window_t current = id;
    for (int depth = 0; depth < 8; ++depth) {
        xcb_query_tree_reply_t* tree =
            xcb_query_tree_reply(connection, xcb_query_tree(connection, current), nullptr);
        const xcb_window_t parent = tree != nullptr && tree->parent != tree->root
                                        ? tree->parent
                                        : xcb_window_t{XCB_WINDOW_NONE};
        std::free(tree);
        if (parent == XCB_WINDOW_NONE)
            break;
        current = parent;
    }
    if (current != id) {
        markWithoutShadow(connection, current);
        xcb_flush(connection);
    }
}

void X11Surface::setInputShape(const QRegion& region) {
    xcb_connection_t* connection = xcb::connection();
    const xcb_query_extension_reply_t* shape = xcb_get_extension_data(connection, &xcb_shape_id);
    if (shape == nullptr || shape->present == 0)
        return;
    // Device pixels, rounded outwards.
    const qreal ratio = window()->devicePixelRatio();
    std::vector<xcb_rectangle_t> rectangles;
    for (const QRect& r : region) {
        const QRect pixels =
            QRectF(QPointF(r.topLeft()) * ratio, QSizeF(r.size()) * ratio).toAlignedRect();
        rectangles.push_back({static_cast<std::int16_t>(pixels.x()),
                              static_cast<std::int16_t>(pixels.y()),
                              static_cast<std::uint16_t>(pixels.width()),
                              static_cast<std::uint16_t>(pixels.height())});
    }
    xcb_shape_rectangles(connection, XCB_SHAPE_SO_SET, XCB_SHAPE_SK_INPUT,
                         XCB_CLIP_ORDERING_UNSORTED, windowId(), 0, 0,
                         static_cast<std::uint32_t>(rectangles.size()), rectangles.data());
    xcb_flush(connection);
}

// Qt deletes WM_TRANSIENT_FOR of a window of ours as it maps it; written right after the map
// request, it reaches the server before the window manager, which hears of the map only then,
// reads it.
void X11Surface::keepAboveDesktop(bool mapped) {
    xcb_connection_t* connection = xcb::connection();
    const std::uint32_t desktop = mapped ? DesktopStacking::instance().desktopWindow() : 0;
    if (desktop != 0) {
        xcb::setValues(connection, windowId(), XCB_ATOM_WM_TRANSIENT_FOR, XCB_ATOM_WINDOW,
                       {desktop});
        xcb_flush(connection);
    }
    DesktopStacking::instance().keepAboveDesktop(window());
}

bool X11Surface::isPointerButtonDown() const {
    xcb_connection_t* connection = xcb::connection();
    const xcb_window_t root = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    xcb_query_pointer_reply_t* pointer =
        xcb_query_pointer_reply(connection, xcb_query_pointer(connection, root), nullptr);
    constexpr std::uint16_t kButtons = XCB_BUTTON_MASK_1 | XCB_BUTTON_MASK_2 | XCB_BUTTON_MASK_3 |
                                       XCB_BUTTON_MASK_4 | XCB_BUTTON_MASK_5;
    const bool down = pointer != nullptr && (pointer->mask & kButtons) != 0;
    std::free(pointer);
    return down;
}

bool X11Surface::placeDirectly(const QRect& geometry) {
    xcb_connection_t* connection = xcb::connection();
    // Qt's global coordinates to device pixels, as Qt scales them: about the screen's origin.
    const qreal factor = window()->devicePixelRatio();
    const QPoint origin =
        window()->screen() != nullptr ? window()->screen()->geometry().topLeft() : QPoint();
    const QPoint position =
        (QPointF(geometry.topLeft() - origin) * factor + QPointF(origin)).toPoint();
    const auto length = [factor](int points) {
        return static_cast<std::uint32_t>(std::max(1, qRound(points * factor)));
    };
    const std::uint32_t values[] = {static_cast<std::uint32_t>(position.x()),
                                    static_cast<std::uint32_t>(position.y()),
                                    length(geometry.width()), length(geometry.height())};
    xcb_configure_window(connection, windowId(),
                         XCB_CONFIG_WINDOW_X | XCB_CONFIG_WINDOW_Y | XCB_CONFIG_WINDOW_WIDTH |
                             XCB_CONFIG_WINDOW_HEIGHT,
                         values);
    xcb_flush(connection);
    return true;
}

}  // namespace corkwallery::platform::x11
