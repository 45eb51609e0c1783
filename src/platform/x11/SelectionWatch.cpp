#include "platform/x11/SelectionWatch.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace corkwallery::platform::x11 {

namespace {

xcb_connection_t* qtConnection() {
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = application != nullptr
                    ? application->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    return x11 != nullptr ? x11->connection() : nullptr;
}

// The screen that DISPLAY names, as Qt uses it: ":0.1" is screen 1.
int defaultScreenNumber() {
    int screen = 0;
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, &screen) == 0)
        screen = 0;
    std::free(host);
    return screen;
}

xcb_window_t rootWindow(xcb_connection_t* connection, int screenNumber) {
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; it.rem > 0; ++i, xcb_screen_next(&it)) {
        if (i == screenNumber)
            return it.data->root;
    }
    return XCB_WINDOW_NONE;
}

xcb_atom_t selectionAtom(xcb_connection_t* connection, const std::string& name) {
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr);
    const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    return value;
}

xcb_window_t currentOwner(xcb_connection_t* connection, xcb_atom_t selection) {
    xcb_get_selection_owner_reply_t* reply = xcb_get_selection_owner_reply(
        connection, xcb_get_selection_owner(connection, selection), nullptr);
    const xcb_window_t owner = reply != nullptr ? reply->owner : xcb_window_t{XCB_WINDOW_NONE};
    std::free(reply);
    return owner;
}

// Announces the XFixes version this code speaks, as the extension requires before other
// requests; returns the type of its selection events, or 0 without the extension.
std::uint8_t selectionNotifyType(xcb_connection_t* connection) {
    const xcb_query_extension_reply_t* extension =
        xcb_get_extension_data(connection, &xcb_xfixes_id);
    if (extension == nullptr || extension->present == 0)
        return 0;
    xcb_xfixes_query_version_reply_t* version = xcb_xfixes_query_version_reply(
        connection,
        xcb_xfixes_query_version(connection, XCB_XFIXES_MAJOR_VERSION, XCB_XFIXES_MINOR_VERSION),
        nullptr);
    const bool usable = version != nullptr && version->major_version >= 1;
    std::free(version);
    return usable ? extension->first_event + XCB_XFIXES_SELECTION_NOTIFY : 0;
}

}  // namespace

SelectionWatch::SelectionWatch(const std::string& selectionPrefix, QObject* parent)
    : QObject(parent) {
    xcb_connection_t* connection = qtConnection();
    if (connection == nullptr)
        return;
    const int screen = defaultScreenNumber();
    selection_ = selectionAtom(connection, selectionPrefix + std::to_string(screen));
    root_ = rootWindow(connection, screen);
    if (selection_ == XCB_ATOM_NONE || root_ == XCB_WINDOW_NONE)
        return;
    notifyEventType_ = selectionNotifyType(connection);
    if (notifyEventType_ != 0) {
        // Selected before the owner is read, so no change falls between the two.
        xcb_xfixes_select_selection_input(
            connection, root_, selection_,
            XCB_XFIXES_SELECTION_EVENT_MASK_SET_SELECTION_OWNER |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_WINDOW_DESTROY |
                XCB_XFIXES_SELECTION_EVENT_MASK_SELECTION_CLIENT_CLOSE);
        QCoreApplication::instance()->installNativeEventFilter(this);
    }
    owner_ = currentOwner(connection, selection_);
}

SelectionWatch::~SelectionWatch() {
    if (QCoreApplication* application = QCoreApplication::instance())
        application->removeNativeEventFilter(this);
}

bool SelectionWatch::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
    if (notifyEventType_ == 0 || eventType != "xcb_generic_event_t")
        return false;
    const auto* event = static_cast<const xcb_generic_event_t*>(message);
    if ((event->response_type & 0x7f) != notifyEventType_)
        return false;
    xcb_xfixes_selection_notify_event_t notify;
    std::memcpy(&notify, event, sizeof notify);
    if (notify.selection != selection_ || notify.window != root_)
        return false;
    owner_ = notify.owner;
    emit ownerChanged(isOwned());
    // Others (Qt's clipboard) may select the same events for their own selections.
    return false;
}

}  // namespace corkwallery::platform::x11
