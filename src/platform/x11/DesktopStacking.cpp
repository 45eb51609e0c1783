#include "platform/x11/DesktopStacking.h"

#include <QGuiApplication>
#include <QWindow>
#include <algorithm>
#include <cstdlib>
#include <vector>

#include "platform/x11/Xcb.h"

namespace corkwallery::platform::x11 {

namespace {

// The native windows of this process's top-levels.
std::vector<std::uint32_t> ownWindows() {
    std::vector<std::uint32_t> own;
    for (const QWindow* window : QGuiApplication::topLevelWindows()) {
        if (window->handle() != nullptr)
            own.push_back(static_cast<std::uint32_t>(window->winId()));
    }
    return own;
}

}  // namespace

DesktopStacking& DesktopStacking::instance() {
    static QPointer<DesktopStacking> stacking;
    if (!stacking)
        stacking = new DesktopStacking(QCoreApplication::instance());
    return *stacking;
}

DesktopStacking::DesktopStacking(QObject* parent) : QObject(parent) {
    xcb_connection_t* connection = xcb::connection();
    root_ = xcb_setup_roots_iterator(xcb_get_setup(connection)).data->root;
    stackingAtom_ = xcb::atom(connection, "_NET_CLIENT_LIST_STACKING");
    clientsAtom_ = xcb::atom(connection, "_NET_CLIENT_LIST");
    // Property changes of the root window, added to what Qt selects there already.
    xcb_get_window_attributes_reply_t* attributes = xcb_get_window_attributes_reply(
        connection, xcb_get_window_attributes(connection, root_), nullptr);
    const std::uint32_t mask =
        (attributes != nullptr ? attributes->your_event_mask : 0) | XCB_EVENT_MASK_PROPERTY_CHANGE;
    std::free(attributes);
    xcb_change_window_attributes(connection, root_, XCB_CW_EVENT_MASK, &mask);
    xcb_flush(connection);
    QCoreApplication::instance()->installNativeEventFilter(this);
}

DesktopStacking::~DesktopStacking() {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

void DesktopStacking::keepAboveDesktop(QWindow* window) {
    if (windows_.contains(window))
        return;
    windows_.append(window);
    markNewlyManaged();
    restack();
}

std::uint32_t DesktopStacking::desktopWindow() {
    if (!desktopKnown_) {
        desktop_ = findDesktopWindow();
        desktopKnown_ = true;
    }
    return desktop_;
}

std::uint32_t DesktopStacking::findDesktopWindow() const {
    xcb_connection_t* connection = xcb::connection();
    const xcb_atom_t type = xcb::atom(connection, "_NET_WM_WINDOW_TYPE");
    const xcb_atom_t desktop = xcb::atom(connection, "_NET_WM_WINDOW_TYPE_DESKTOP");
    const std::vector<std::uint32_t> own = ownWindows();
    for (const std::uint32_t window :
         xcb::values(connection, root_, clientsAtom_, XCB_ATOM_WINDOW)) {
        if (std::find(own.begin(), own.end(), window) != own.end())
            continue;
        const auto types = xcb::values(connection, window, type, XCB_ATOM_ATOM);
        if (std::find(types.begin(), types.end(), desktop) != types.end())
            return window;
    }
    return 0;
}

bool DesktopStacking::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != XCB_PROPERTY_NOTIFY)
        return false;
    const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
    if (notify->window != root_)
        return false;
    // The desktop window is looked for again only when the windows come or go.
    if (notify->atom == clientsAtom_) {
        desktopKnown_ = false;
        markNewlyManaged();
    }
    if (notify->atom == stackingAtom_ && !windows_.isEmpty())
        restack();
    return false;  // Qt reads root property changes too
}

void DesktopStacking::markNewlyManaged() {
    windows_.removeAll(nullptr);
    xcb_connection_t* connection = xcb::connection();
    const auto clients = xcb::values(connection, root_, clientsAtom_, XCB_ATOM_WINDOW);
    QList<std::uint32_t> managed;
    for (const QPointer<QWindow>& window : windows_) {
        const auto id = static_cast<std::uint32_t>(window->winId());
        if (std::find(clients.begin(), clients.end(), id) == clients.end())
            continue;
        managed.append(id);
        if (!managed_.contains(id))
            xcb::setValues(connection, id, xcb::atom(connection, "_NET_WM_WINDOW_OPACITY"),
                           XCB_ATOM_CARDINAL, {0xFFFFFFFE});
    }
    managed_ = managed;
    xcb_flush(connection);
}

// Each of ours that the window manager stacks below the desktop window goes just above it.
void DesktopStacking::restack() {
    windows_.removeAll(nullptr);
    xcb_connection_t* connection = xcb::connection();
    const std::uint32_t desktop = desktopWindow();
    if (desktop == 0)
        return;
    const auto stacking = xcb::values(connection, root_, stackingAtom_, XCB_ATOM_WINDOW);
    const auto position = [&](std::uint32_t window) {
        return std::find(stacking.begin(), stacking.end(), window) - stacking.begin();
    };
    const auto desktopAt = position(desktop);
    const xcb_atom_t restackAtom = xcb::atom(connection, "_NET_RESTACK_WINDOW");
    for (const QPointer<QWindow>& window : windows_) {
        const auto id = static_cast<std::uint32_t>(window->winId());
        const auto at = position(id);
        if (at == static_cast<std::ptrdiff_t>(stacking.size()) || at > desktopAt)
            continue;
        xcb_client_message_event_t restack{};
        restack.response_type = XCB_CLIENT_MESSAGE;
        restack.format = 32;
        restack.window = id;
        restack.type = restackAtom;
        restack.data.data32[0] = 2;  // from a pager-like source: honoured as asked
        restack.data.data32[1] = desktop;
        restack.data.data32[2] = XCB_STACK_MODE_ABOVE;
        xcb_send_event(connection, 0, root_,
                       XCB_EVENT_MASK_SUBSTRUCTURE_REDIRECT | XCB_EVENT_MASK_SUBSTRUCTURE_NOTIFY,
                       reinterpret_cast<const char*>(&restack));
    }
    xcb_flush(connection);
}

}  // namespace corkwallery::platform::x11
