#include "platform/x11/Atoms.h"

#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <utility>

namespace corkwallery::platform::x11 {

xcb_atom_t atom(xcb_connection_t* connection, const char* name) {
    static std::map<std::pair<xcb_connection_t*, std::string>, xcb_atom_t> interned;
    const auto key = std::make_pair(connection, std::string(name));
    if (const auto found = interned.find(key); found != interned.end())
        return found->second;
    const xcb_intern_atom_cookie_t cookie =
        xcb_intern_atom(connection, 0, static_cast<std::uint16_t>(std::strlen(name)), name);
    xcb_intern_atom_reply_t* reply = xcb_intern_atom_reply(connection, cookie, nullptr);
    xcb_atom_t value = XCB_ATOM_NONE;
    if (reply != nullptr)
        value = reply->atom;
    std::free(reply);
    if (value != XCB_ATOM_NONE)
        interned.emplace(key, value);
    return value;
}

}  // namespace corkwallery::platform::x11
