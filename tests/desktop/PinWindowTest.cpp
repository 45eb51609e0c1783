#include "desktop/PinWindow.h"

#include <gtest/gtest.h>

#include <QWindow>

#include "support/Polling.h"

namespace corkwallery {
namespace {

// Window managers report the geometries a window asked for late, after later requests went out,
// and may pair one request's size with a later one's position: such echoes leave the exact
// frame alone, while a move of the window manager's own is followed.
TEST(PinWindowDrift, LateEchoesAreIgnoredAndRealMovesFollowed) {
    PinWindow window(QRectF(100.25, 200.5, 300, 218));
    window.orderFront();
    window.setFrameOrigin({400.25, 300.5});
    const QRect first = window.geometry();
    window.setFrameSizeKeepingCenter({320, 240});
    const QRect second = window.geometry();
    window.setFrameOrigin({420.75, 310.5});
    const QRect third = window.geometry();
    for (const QRect& report : {first, QRect(second.topLeft(), first.size()), second, third}) {
        window.windowHandle()->setGeometry(report);
        ASSERT_TRUE(testing::waitUntil([&] { return window.geometry() == report; }));
    }
    EXPECT_EQ(window.frame(), QRectF(420.75, 310.5, 320, 240));

    window.windowHandle()->setPosition(QPoint(50, 60));
    ASSERT_TRUE(testing::waitUntil([&] { return window.geometry().topLeft() == QPoint(50, 60); }));
    EXPECT_EQ(window.frame(), QRectF(50, 900 - 60 - 240, 320, 240));
    EXPECT_EQ(window.center().y(), 900 - 60 - 120);
}

}  // namespace
}  // namespace corkwallery
