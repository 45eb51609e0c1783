#pragma once

#include <optional>
#include <vector>

#include "platform/Geometry.h"
#include "store/StateStore.h"

namespace corkwallery {

// Keeps pins within reach: a pin of which no screen shows at least a 48 x 48 point piece (after
// a monitor went, or on a smaller screen than last time) comes back onto the nearest screen.
// Pins that are partly visible stay where the user put them.
class PinPlacement {
public:
    static constexpr double kSmallestVisiblePart = 48;

    // None when some screen shows enough of `frame`, or there is no screen. Otherwise `frame`
    // moved the least distance onto the nearest screen: wholly inside it when it fits, else with
    // its top-left corner in the screen's. Screens are the parts panels leave free.
    static std::optional<platform::Rect> broughtOnScreen(
        platform::Rect frame, const std::vector<platform::Rect>& screens);

    // Moves every pin window that needs it, logging each; true when any moved.
    static bool bringPinsOnScreen(const PinWindowList& pinWindows,
                                  const std::vector<platform::Rect>& screens);
};

}  // namespace corkwallery
