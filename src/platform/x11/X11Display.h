#pragma once

#include <string>

namespace corkwallery::platform::x11 {

// Whether an X11 server answers at `display` (a DISPLAY value such as ":0").
bool canConnectToDisplay(const std::string& display);

}  // namespace corkwallery::platform::x11
