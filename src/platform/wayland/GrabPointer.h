#pragma once

#include <QPointF>

namespace corkwallery::platform::wayland {

// Where the pointer is on the screen (Qt's global coordinates) while a button held on a surface
// moves that surface. Wayland tells a client only positions local to its surface, and compositors
// differ in which place of a moving surface they count from while the button is held: where it is
// now (as Qt assumes), or where it was at the press (sway). The first drag that carries a surface
// far enough shows which, for the rest of the process; until then the first is assumed.
class GrabPointer {
public:
    // Where the surface was asked to be (its top-left) and the pointer on it, at the press.
    void press(QPointF surfaceTopLeft, QPointF local);
    // The pointer on the screen for a position on the surface, given where the surface was last
    // asked to be. `dragging`: the surface follows the pointer (a move, not a resize), which
    // alone tells the two ways apart.
    QPointF pointer(QPointF surfaceTopLeft, QPointF local, bool dragging);

    enum class Origin { Unknown, Current, Press };
    static Origin learnt();
    // Tests: forgets what was learnt.
    static void forget();

private:
    QPointF pressTopLeft_;
    QPointF pressLocal_;
};

}  // namespace corkwallery::platform::wayland
