#pragma once

#include <QColor>
#include <array>
#include <string>

namespace corkwallery {

// The names a new pin's colour is drawn from, in this order.
inline constexpr std::array<const char*, 4> pinColorNames{"red", "blue", "green", "yellow"};

// The pin colours by name: red (0.85, 0.15, 0.15), blue (0.15, 0.4, 0.85), green (0.2, 0.7, 0.3)
// and yellow (0.9, 0.75, 0.1). A name that is none of them, compared exactly, gives red.
QColor pinColor(const std::string& name);

}  // namespace corkwallery
