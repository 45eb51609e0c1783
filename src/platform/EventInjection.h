#pragma once

#include "platform/MouseEvent.h"
#include "platform/View.h"

namespace corkwallery::platform {

enum class MouseAction { LeftDown, LeftDragged, LeftUp, RightDown };

// Delivers a mouse event to a view's native widget as the window system would, with the pointer
// at an explicit screen position (so a window that moves during a drag counts the motion once).
// `modifiers` are Qt-independent: ModifierShift, ModifierControl, ModifierOption (sent as Alt).
void sendMouseEvent(View& view, MouseAction action, Point screenLocation, unsigned modifiers = 0);

}  // namespace corkwallery::platform
