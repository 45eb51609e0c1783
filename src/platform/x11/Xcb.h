#pragma once

#include <xcb/xcb.h>

#include <cstdint>
#include <vector>

// Qt's own xcb connection and the property access our X11 code shares. Main thread only.
namespace corkwallery::platform::x11::xcb {

// Qt's connection; null when Qt does not run on xcb (offscreen tests).
xcb_connection_t* connection();
// The atom of `name`, interned once per run (the process has one Qt connection).
xcb_atom_t atom(xcb_connection_t* connection, const char* name);
// A property of 32-bit values of `type` (cardinals, atoms, windows); empty when it is not that.
std::vector<std::uint32_t> values(xcb_connection_t* connection, xcb_window_t window,
                                  xcb_atom_t property, xcb_atom_t type);
void setValues(xcb_connection_t* connection, xcb_window_t window, xcb_atom_t property,
               xcb_atom_t type, const std::vector<std::uint32_t>& values);

}  // namespace corkwallery::platform::x11::xcb
