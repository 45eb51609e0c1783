#include <gtest/gtest.h>

#include <tuple>

#include "platform/wayland/GrabPointer.h"

namespace corkwallery::platform::wayland {
namespace {

using Origin = GrabPointer::Origin;

// A drag where the surface follows the pointer, on a compositor that counts surface positions
// from `origin`: the pointer is found exactly once the surface has been carried far enough, and
// the way learnt. A resize (the surface does not follow) or a short drag teaches nothing.
TEST(GrabPointer, FindsThePointerWhereverTheCompositorCountsFrom) {
    // The compositor's origin, whether the surface follows, each step and how many; the way learnt.
    const std::tuple<Origin, bool, QPointF, int, Origin> cases[] = {
        {Origin::Current, true, {10, 4}, 10, Origin::Current},
        {Origin::Press, true, {10, 4}, 10, Origin::Press},
        {Origin::Press, true, {-3, -25}, 6, Origin::Press},
        {Origin::Press, true, {2, 1}, 4, Origin::Unknown},
        {Origin::Press, false, {10, 0}, 10, Origin::Unknown},
    };
    for (const auto& [origin, dragging, step, steps, learnt] : cases) {
        SCOPED_TRACE(::testing::Message() << int(origin) << " " << steps);
        GrabPointer::forget();
        GrabPointer grab;
        const QPointF pressSurface(100, 100), offset(50, 30);
        QPointF surface = pressSurface, pointer = surface + offset;
        grab.press(surface, offset);
        QPointF found;
        for (int i = 0; i < steps; ++i) {
            pointer += step;
            const QPointF local = pointer - (origin == Origin::Current ? surface : pressSurface);
            found = grab.pointer(surface, local, dragging);
            if (dragging)
                surface = found - offset;
        }
        EXPECT_EQ(GrabPointer::learnt(), learnt);
        EXPECT_TRUE(found == pointer || (learnt == Origin::Unknown && origin != Origin::Current));
    }
    GrabPointer::forget();
}

}  // namespace
}  // namespace corkwallery::platform::wayland
