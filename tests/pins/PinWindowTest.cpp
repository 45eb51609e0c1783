#include "pins/PinWindow.h"

#include <gtest/gtest.h>

#include <QWindow>
#include <array>
#include <functional>

#include "platform/ScreenCoordinates.h"
#include "support/Polling.h"

namespace corkwallery {
namespace {

// QRectF and QPointF compare fuzzily; frames must be exact.
std::array<double, 4> exactly(const QRectF& r) {
    return {r.x(), r.y(), r.width(), r.height()};
}

// Window managers report the geometries a window asked for late, after later requests went out,
// and may pair one request's size with a later one's position: such echoes leave the exact
// frame alone, while a move of the window manager's own is followed.
TEST(PinWindowDrift, LateEchoesAreIgnoredAndRealMovesFollowed) {
    PinWindow window(QRectF(100.25, 200.5, 300, 218));
    window.orderFront();
    std::vector<QRect> requests;
    for (const auto& change : std::initializer_list<std::function<void()>>{
             [&] {
                 window.setFrameOrigin({400.25, 300.5});
             },
             [&] {
                 window.setFrameSizeKeepingCenter({320, 240});
             },
             [&] {
                 window.setFrameOrigin({420.75, 310.5});
             }}) {
        change();
        requests.push_back(window.geometry());
    }
    const QRect paired(requests[1].topLeft(), requests[0].size());
    for (const QRect& report : {requests[0], paired, requests[1], requests[2]}) {
        window.windowHandle()->setGeometry(report);
        ASSERT_TRUE(testing::waitUntil([&] { return window.geometry() == report; }));
    }
    EXPECT_EQ(exactly(window.frame()), exactly(QRectF(420.75, 310.5, 320, 240)));

    window.windowHandle()->setPosition(QPoint(50, 60));
    ASSERT_TRUE(testing::waitUntil([&] { return window.geometry().topLeft() == QPoint(50, 60); }));
    EXPECT_EQ(exactly(window.frame()), exactly(QRectF(50, 900 - 60 - 240, 320, 240)));
    EXPECT_EQ(window.center().y(), 900 - 60 - 120);
}

}  // namespace
}  // namespace corkwallery
