#pragma once

#include <string>

#include "platform/Geometry.h"

namespace corkwallery {

// The pin colours by name: "red", "blue", "green" and "yellow". A name that is not one of them,
// compared exactly, gives the red entry.
platform::Color pinColor(const std::string& name);

}  // namespace corkwallery
