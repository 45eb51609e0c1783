#include "pins/PinWindow.h"

#include <gtest/gtest.h>

#include <QWindow>
#include <array>

#include "platform/ScreenCoordinates.h"
#include "support/Polling.h"

namespace corkwallery {
namespace {

// QRectF and QPointF compare fuzzily; frames must be exact.
std::array<double, 4> exactly(const QRectF& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// The window manager reports the geometries a window asked for late, after later requests went
// out: those echoes leave the exact frame alone, while a move of its own is followed.
TEST(PinWindowDrift, LateEchoesAreIgnoredAndRealMovesFollowed) {
    PinWindow window(QRectF(100.25, 200.5, 300, 218));
    window.orderFront();
    const QRect shown = window.geometry();
    // A quick drag: three requests before any report comes in.
    for (double x : {400.25, 420.75, 421.5})
        window.setFrameOrigin({x, 300.5});
    const QRect last = window.geometry();
    ASSERT_NE(last, shown);
    ASSERT_TRUE(testing::waitUntil([&] { return window.windowHandle()->geometry() == last; }));
    QCoreApplication::processEvents();
    EXPECT_EQ(exactly(window.frame()), exactly(QRectF(421.5, 300.5, 300, 218)));
    EXPECT_EQ(window.center().x(), 571.5);

    // The window manager moves it somewhere never asked for.
    window.windowHandle()->setPosition(QPoint(50, 60));
    ASSERT_TRUE(testing::waitUntil([&] { return window.geometry().topLeft() == QPoint(50, 60); }));
    EXPECT_EQ(exactly(window.frame()), exactly(QRectF(50, 900 - 60 - 218, 300, 218)));
    EXPECT_EQ(window.center().y(), 900 - 60 - 109);
}

}  // namespace
}  // namespace corkwallery
