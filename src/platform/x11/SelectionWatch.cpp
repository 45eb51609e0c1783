#include "platform/x11/SelectionWatch.h"

#include <xcb/xcb.h>
#include <xcb/xfixes.h>

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>

namespace corkwallery::platform::x11 {

namespace {

// The root window of the screen that DISPLAY names, as Qt uses it (":0.1" is screen 1), and its
// number.
xcb_window_t defaultRoot(xcb_connection_t* connection, int* number) {
    char* host = nullptr;
    int display = 0;
    if (xcb_parse_display(nullptr, &host, &display, number) == 0)
        *number = 0;
    std::free(host);
    xcb_screen_iterator_t it = xcb_setup_roots_iterator(xcb_get_setup(connection));
    for (int i = 0; i < *number && it.rem > 0; ++i)
        xcb_screen_next(&it);
    return it.rem > 0 ? it.data->root : xcb_window_t{XCB_WINDOW_NONE};
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
    auto* application = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = application != nullptr
                    ? application->nativeInterface<QNativeInterface::QX11Application>()
                    : nullptr;
    xcb_connection_t* connection = x11 != nullptr ? x11->connection() : nullptr;
    if (connection == nullptr)
        return;
    int screen = 0;
    root_ = defaultRoot(connection, &screen);
    const std::string name = selectionPrefix + std::to_string(screen);
    xcb_intern_atom_reply_t* atom = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(name.size()), name.c_str()),
        nullptr);
    selection_ = atom != nullptr ? atom->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(atom);
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
