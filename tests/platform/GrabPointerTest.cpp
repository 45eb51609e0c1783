#include <gtest/gtest.h>

#include "platform/wayland/GrabPointer.h"

namespace corkwallery::platform::wayland {
namespace {

using Origin = GrabPointer::Origin;

// A drag where the surface follows the pointer, on a compositor that counts surface positions
// from `origin`: the pointer is found exactly once the surface has been carried far enough, and
// the way learnt. A resize (the surface does not follow) or a short drag teaches nothing.
TEST(GrabPointer, FindsThePointerWhereverTheCompositorCountsFrom) {
    struct Case {
        Origin origin;
        bool dragging;
        QPointF step;
        int steps;
        Origin learnt;
    };
    const Case cases[] = {
        {Origin::Current, true, {10, 4}, 10, Origin::Current},
        {Origin::Press, true, {10, 4}, 10, Origin::Press},
        {Origin::Press, true, {-3, -25}, 6, Origin::Press},
        {Origin::Press, true, {2, 1}, 4, Origin::Unknown},
        {Origin::Press, false, {10, 0}, 10, Origin::Unknown},
    };
    for (const Case& c : cases) {
        GrabPointer::forget();
        GrabPointer grab;
        const QPointF pressSurface(100, 100);
        QPointF surface = pressSurface;
        QPointF pointer(150, 130);
        const QPointF offset = pointer - surface;
        grab.press(surface, offset);
        QPointF found;
        for (int i = 0; i < c.steps; ++i) {
            pointer += c.step;
            const QPointF local = pointer - (c.origin == Origin::Current ? surface : pressSurface);
            found = grab.pointer(surface, local, c.dragging);
            if (c.dragging)
                surface = found - offset;
        }
        EXPECT_EQ(GrabPointer::learnt(), c.learnt) << int(c.origin) << " " << c.steps;
        if (c.learnt != Origin::Unknown || c.origin == Origin::Current) {
            EXPECT_EQ(found, pointer) << int(c.origin) << " " << c.steps;
        }
    }
    GrabPointer::forget();
}

}  // namespace
}  // namespace corkwallery::platform::wayland
