#pragma once

#include "platform/Geometry.h"

namespace corkwallery::platform {

// Modifier flags, with the bit values of the flags they stand for.
enum ModifierFlag : unsigned {
    ModifierShift = 1u << 17,
    ModifierControl = 1u << 18,
    // Alt; Shift selects it too, since many X11 window managers keep Alt+drag for themselves.
    ModifierOption = 1u << 19,
};

struct MouseEvent {
    Point locationInScreen;  // the pointer, in screen coordinates
    unsigned modifierFlags = 0;
};

}  // namespace corkwallery::platform
