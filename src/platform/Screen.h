#pragma once

#include <optional>
#include <vector>

#include "platform/Geometry.h"

namespace corkwallery::platform {

// A display, with its whole frame (panels and docks included) and the part of it that panels and
// docks leave free, in screen coordinates.
struct Screen {
    Rect frame;
    double devicePixelRatio = 1;
    Rect visibleFrame;

    // The primary screen; absent when no screen is attached.
    static std::optional<Screen> main();
    static std::vector<Screen> all();
};

}  // namespace corkwallery::platform
