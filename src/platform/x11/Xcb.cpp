#include "platform/x11/Xcb.h"

#include <QGuiApplication>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

namespace corkwallery::platform::x11::xcb {

xcb_connection_t* connection() {
    auto* app = qobject_cast<QGuiApplication*>(QCoreApplication::instance());
    auto* x11 = app ? app->nativeInterface<QNativeInterface::QX11Application>() : nullptr;
    return x11 ? x11->connection() : nullptr;
}

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    static std::map<std::string, xcb_atom_t> interned;
    if (const auto found = interned.find(name); found != interned.end())
        return found->second;
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(
        connection,
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name),
        nullptr);
    const xcb_atom_t value = reply != nullptr ? reply->atom : xcb_atom_t{XCB_ATOM_NONE};
    std::free(reply);
    if (value != XCB_ATOM_NONE)
        interned.emplace(name, value);
    return value;
}

std::vector<std::uint32_t> values(xcb_connection_t* connection, xcb_window_t window,
                                  xcb_atom_t property, xcb_atom_t type) {
    xcb_get_property_reply_t* reply = xcb_get_property_reply(
        connection, xcb_get_property(connection, 0, window, property, type, 0, 4096), nullptr);
    std::vector<std::uint32_t> result;
    if (reply != nullptr && reply->format == 32 && reply->type == type) {
        const auto* data = static_cast<const std::uint32_t*>(xcb_get_property_value(reply));
        result.assign(data, data + xcb_get_property_value_length(reply) / 4);
    }
    std::free(reply);
    return result;
}

void setValues(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
               xcb_atom_t type, const std::vector<std::uint32_t>& values) {
    xcb_change_property(connection, XCB_PROP_MODE_REPLACE, window, property, type, 32,
                        static_cast<std::uint32_t>(values.size()), values.data());
}

}  // namespace corkwallery::platform::x11::xcb
