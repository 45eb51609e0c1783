#pragma once

#include <xcb/xcb.h>

namespace corkwallery::platform::x11 {

// The atom named `name`, interned once per connection and name; XCB_ATOM_NONE on failure.
xcb_atom_t atom(xcb_connection_t* connection, const char* name);

}  // namespace corkwallery::platform::x11
